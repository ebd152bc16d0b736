// SPDX-License-Identifier: GPL-3.0-or-later
// The result area's colours (and the panels' that the window shares with it), taken from the
// application palette so that the window follows the desktop's theme.
#pragma once

#include <QColor>

namespace Vespalba {

// Window background (system colour 5): the normal back colour of a text box.
QColor ColorFondoVentana();

// Window frame (system colour 6): the back colour that marks a dawn box whose
// dawn never comes. A dark colour, clearly apart from ColorFondoVentana().
QColor ColorMarcoVentana();

// Active border (system colour 10): the panels behind the title banner, the
// input frame and the credits, the banner lines and the result frame.
QColor ColorBordeActivo();

}  // namespace Vespalba

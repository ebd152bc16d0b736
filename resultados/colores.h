// SPDX-License-Identifier: GPL-3.0-or-later
// The colours the window and its result area were designed against, kept under
// every desktop palette and platform theme, a dark one included: the fixed
// colours (dark blue captions, black result times, the light grey option
// panels) were chosen against these light system colours.
#pragma once

#include <QColor>
#include <QPalette>

namespace Vespalba {

// Qt's own light palette, the one its platforms give when the desktop gives
// none (window #efefef, text boxes white, text black), with every colour role
// of every group set, so that nothing of a desktop's palette fills in.
QPalette PaletaVentana();

// Window background (system colour 5): the normal back colour of a text box.
QColor ColorFondoVentana();

// Window frame (system colour 6): the back colour that marks a dawn box whose
// dawn never comes. A dark colour, clearly apart from ColorFondoVentana().
QColor ColorMarcoVentana();

// Active border (system colour 10): the panels behind the title banner, the
// input frame and the credits, the banner lines and the result frame.
QColor ColorBordeActivo();

}  // namespace Vespalba

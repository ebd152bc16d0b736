// SPDX-License-Identifier: GPL-3.0-or-later
// Prepares the application the way Vespalba runs, for the program and for
// the tests that drive its window alike.
#pragma once

#include <QFont>

class QApplication;
class QLabel;
class QLineEdit;
class QString;

namespace Vespalba {

// Sets the application name "Vespalba", the window style and its light
// palette (PaletaVentana(), whatever the desktop's theme), Qt's own Spanish
// texts (the message box button reads "Aceptar" whatever the user's locale),
// the window icon and the letter face. Call once, right after constructing
// the QApplication and before creating the window.
void PreparaAplicacion(QApplication& app);

// The letter face the window asks for: "MS Sans Serif", 8.25 points. Where
// that face is not installed, a substitute is named for it and this font
// carries the substitute's narrowing, in percent of its normal width, so
// that every text fits the boxes drawn for MS Sans Serif. The window's own
// sizes, weights and underlines are set by its style sheet on top of this.
QFont LetraVentana();

// Narrows the letter of a text box, in steps of one percent of its width,
// until `texto` fits between the box's frame and its inner margins. Boxes
// measured for MS Sans Serif can be too narrow for a substitute face even
// after the narrowing of LetraVentana(); a box that already fits keeps its
// letter.
void EstrechaHastaCaber(QLineEdit& caja, const QString& texto);

// The same for a label: narrows its letter until `texto` fits its width.
void EstrechaHastaCaber(QLabel& etiqueta, const QString& texto);

// Width in pixels that a one-line text box gives its text: its contents
// less the text margins and Qt's fixed 2-pixel margin on either side.
int AnchoUtil(const QLineEdit& caja);

}  // namespace Vespalba

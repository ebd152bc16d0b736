// Prepares the application the way Vespalba runs, for the program and for
// the tests that drive its window alike.
#pragma once

#include <QFont>

class QApplication;

// Sets the application name "Vespalba", the window style, Qt's own Spanish
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

// SPDX-License-Identifier: GPL-3.0-or-later
// Vespalba's start: prepare the application, create its one window (whose
// load handler runs before it is first shown), show it and dispatch events
// until the window is closed or "Salir" is chosen.
#include <QApplication>

#include "calculadora/FormVespalbaCivilNautico.h"
#include "calculadora/aplicacion.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Vespalba::PreparaAplicacion(app);
    Vespalba::FormVespalbaCivilNautico ventana;
    ventana.show();
    return QApplication::exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real window through many calculations and then "Salir", for
// the memory runs (valgrind's memcheck and massif). Prints the heap in use
// (glibc's mallinfo2) after a warm-up and at the end.
//   uso_ventana [calculos]   (default 1000)
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "calculadora/FormVespalbaCivilNautico.h"
#include "calculadora/aplicacion.h"

namespace {

std::size_t HeapEnUso() { return mallinfo2().uordblks; }

}  // namespace

int main(int argc, char** argv) {
    const long calculos = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    QApplication app(argc, argv);
    Vespalba::PreparaAplicacion(app);
    Vespalba::FormVespalbaCivilNautico ventana;
    ventana.show();

    QTimer::singleShot(0, &ventana, [&] {
        // The window's controls, by their names in its description.
        auto caja = [&](const char* nombre) { return ventana.findChild<QLineEdit*>(nombre); };
        caja("FE3")->setText(QStringLiteral("2003"));
        caja("L3")->setText(QStringLiteral("33"));
        caja("L4")->setText(QStringLiteral("16"));
        caja("G3")->setText(QStringLiteral("71"));
        caja("G4")->setText(QStringLiteral("36"));
        caja("Z")->setText(QStringLiteral("4"));
        const long calentamiento = calculos < 100 ? calculos : 100;
        std::size_t antes = 0;
        for (long i = 0; i < calculos; ++i) {
            if (i == calentamiento) {
                antes = HeapEnUso();
            }
            // A different day each time: the moon captions swap, polar and
            // ordinary days alternate with the latitude.
            caja("FE1")->setText(QString::number(1 + i % 28));
            caja("FE2")->setText(QString::number(1 + (i / 28) % 12));
            caja("L3")->setText(i % 2 ? QStringLiteral("74") : QStringLiteral("33"));
            ventana.findChild<QPushButton*>("Command1")->click();
            // As between two clicks of a user: the window repaints.
            QCoreApplication::processEvents();
        }
        const std::size_t despues = HeapEnUso();
        std::printf("calculos %ld; heap en uso tras %ld: %zu bytes; al final: %zu bytes\n",
                    calculos, calentamiento, antes, despues);
        std::fflush(stdout);
        ventana.findChild<QAction*>("Salir")->trigger();
    });
    return app.exec();
}

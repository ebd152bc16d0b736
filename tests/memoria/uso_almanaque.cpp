// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real almanac window through many place changes and then
// closes it, for the memory runs (valgrind's massif). The places cycle
// through the forty ports, towns of the world gazetteer north and south
// (polar days at Tromsø and Murmansk) and bare coordinates, confirmed with Return as
// typed in the place box; every tenth is searched letter by letter and
// picked from the suggestions with Down and Return. The view switches
// between the day and the month every 25 changes, and the window repaints
// after each change. Settings are kept in a temporary folder, never the
// user's. Prints the heap in use (glibc's mallinfo2) after the warm-up and
// at the end; exits with 1 if a change did not take.
//   uso_almanaque [cambios]   (default 1000; the first 100 are the warm-up)
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"

namespace {

using namespace Vespalba::Almanaque;

std::size_t HeapEnUso() { return mallinfo2().uordblks; }

// As typed in the place box and confirmed with Return: each differs from
// the one before it, the last from the first.
const char* const lugares[] = {
    "Concepción, Chile", "Punta Arenas", "33:16S 71:36W", "Tokio",        "Tromsø",
    "Buenos Aires",      "-33.27 -80.5", "Reikiavik",     "Puerto Montt", "64:08N 21:56W",
    "Londres",           "Valparaíso",
};

// Searched letter by letter and picked from the list (its first row):
// towns of the gazetteer that the list above does not name.
const char* const busquedas[] = {"auckl", "ushua", "anchora", "hobar", "murman", "dunedi"};

// The suggestions' pop-up list, found by its name.
QAbstractItemView* Lista() {
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() == QLatin1String("listaSugerencias")) {
            return qobject_cast<QAbstractItemView*>(w);
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const long cambios = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    QApplication app(argc, argv);
    QTemporaryDir carpeta;
    const QString archivo = carpeta.filePath(QStringLiteral("almanaque.conf"));
    const QString comun = carpeta.filePath(QStringLiteral("comun.conf"));
    {
        Preferencias p;
        p.ultimo = Valparaiso();
        QSettings a(archivo, QSettings::IniFormat);
        QSettings c(comun, QSettings::IniFormat);
        GuardaPreferencias(p, a, c);
    }
    // 2026-12-11 01:00 UT as "now": the same days in every run.
    VentanaAlmanaque ventana(std::make_unique<QSettings>(archivo, QSettings::IniFormat),
                             std::make_unique<QSettings>(comun, QSettings::IniFormat),
                             [] { return qint64(1796950800); });
    ventana.show();

    int estado = 0;
    QTimer::singleShot(0, &ventana, [&] {
        auto* caja = ventana.findChild<QLineEdit*>(QStringLiteral("cajaLugar"));
        auto* pestanas = ventana.findChild<QTabWidget*>(QStringLiteral("pestanas"));
        const long calentamiento = cambios < 100 ? cambios : 100;
        std::size_t antes = 0;
        long fallidos = 0;
        for (long i = 0; i < cambios; ++i) {
            if (i % 25 == 0) pestanas->setCurrentIndex(int(i / 25 % 2));
            const Sitio previo = ventana.SitioActual();
            caja->setFocus();
            caja->selectAll();
            if (i % 10 == 9) {
                QTest::keyClicks(caja, QString::fromUtf8(busquedas[i / 10 % std::size(busquedas)]));
                QAbstractItemView* lista = Lista();
                if (lista && lista->isVisible()) {
                    QTest::keyClick(lista, Qt::Key_Down);
                    QTest::keyClick(lista, Qt::Key_Return);
                }
            } else {
                caja->setText(QString::fromUtf8(lugares[std::size_t(i) % std::size(lugares)]));
                QTest::keyClick(caja, Qt::Key_Return);
            }
            // As between two choices of a user: the window repaints.
            QCoreApplication::processEvents();
            if (ventana.SitioActual() == previo) ++fallidos;
            if (i + 1 == calentamiento) antes = HeapEnUso();
        }
        const std::size_t despues = HeapEnUso();
        std::printf(
            "cambios de lugar %ld (sin efecto: %ld); heap en uso tras %ld: %zu bytes; al final: "
            "%zu bytes\n",
            cambios, fallidos, calentamiento, antes, despues);
        std::fflush(stdout);
        if (fallidos > 0) estado = 1;
        ventana.close();
    });
    const int salida = app.exec();
    return estado != 0 ? estado : salida;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings' sample pictures for docs/ (scripts/dibujos): a year at
// Valparaíso in America/Santiago's civil time and a polar year at 70 N, as
// PNG of 1600 x 900, and Valparaíso's year as a PDF (chart and twelve
// months), all from vespalba-tabla's real computation.
//   Run: dibujo_muestras DIRECTORY
// With a second argument, svg, png or pdf, only Valparaíso's year in that
// format (grafico.svg, grafico.png, almanaque.pdf): a whole process as
// vespalba-tabla will run it, for timing.
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

#include "dibujo/grafico.h"
#include "dibujo/paginas.h"
#include "dibujo_almanaque.h"

using namespace Vespalba::Dibujo;

namespace {

bool Escribe(const QString& ruta, const auto& escribe) {
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || !escribe(f)) {
        std::fprintf(stderr, "dibujo_muestras: no se pudo escribir %s\n", qPrintable(ruta));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "Uso: dibujo_muestras DIRECTORIO [svg|png|pdf]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const Almanaque valparaiso = Vespalba::Pruebas::AlmanaqueDe(
        {"--lugar", "valparaiso", "--tz", "America/Santiago", "--anio", "2023"});
    OpcionesDocumento documento;
    documento.programa = QStringLiteral("vespalba-tabla");
    documento.grafico = true;
    if (argc == 3) {
        const QByteArray formato = argv[2];
        bool bien = false;
        if (formato == "svg") {
            bien = Escribe(dir + "grafico.svg", [&](QFile& f) {
                return EscribeSvg(f, valparaiso, TamanoPorDefecto, {});
            });
        } else if (formato == "png") {
            bien = Escribe(dir + "grafico.png", [&](QFile& f) {
                return EscribePng(f, valparaiso, TamanoPorDefecto, {});
            });
        } else {
            bien = Escribe(dir + "almanaque.pdf",
                           [&](QFile& f) { return EscribePdf(f, valparaiso, documento); });
        }
        return bien ? 0 : 1;
    }
    const Almanaque polar = Vespalba::Pruebas::AlmanaqueDe(
        {"--lat", "70", "--lon", "0", "--zona", "0", "--anio", "2003"});
    const bool bien =
        Escribe(dir + "grafico-valparaiso.png",
                [&](QFile& f) { return EscribePng(f, valparaiso, TamanoPorDefecto, {}); }) &&
        Escribe(dir + "grafico-polar.png",
                [&](QFile& f) { return EscribePng(f, polar, TamanoPorDefecto, {}); }) &&
        Escribe(dir + "almanaque-valparaiso-2023.pdf",
                [&](QFile& f) { return EscribePdf(f, valparaiso, documento); });
    return bien ? 0 : 1;
}

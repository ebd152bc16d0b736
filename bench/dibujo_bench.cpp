// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the drawings for a year at one place (Valparaíso, 2023, in
// America/Santiago's civil time): the chart as SVG and as PNG of 1600 x 900,
// the PDF of the chart and twelve months, each into memory, with the bytes
// written as a counter; and the year's computation the drawings start from.
// Run: build/bench/dibujo_bench (no display needed: offscreen platform).
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>

#include "dibujo/grafico.h"
#include "dibujo/paginas.h"
#include "dibujo_almanaque.h"

using namespace Vespalba::Dibujo;

namespace {

const QStringList anio = {"--lugar", "valparaiso", "--tz", "America/Santiago", "--anio", "2023"};

const Almanaque& Anio() {
    static const Almanaque a = Vespalba::Pruebas::AlmanaqueDe(anio);
    return a;
}

template <class F>
void Escribe(benchmark::State& state, F&& escribe) {
    const Almanaque& a = Anio();
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!escribe(buffer, a)) state.SkipWithError("no se escribió");
        bytes = buffer.size();
        benchmark::DoNotOptimize(buffer.data().constData());
    }
    state.counters["bytes"] = double(bytes);
}

void GraficoSvgAnio(benchmark::State& state) {
    Escribe(state,
            [](QBuffer& b, const Almanaque& a) { return EscribeSvg(b, a, TamanoPorDefecto, {}); });
}
BENCHMARK(GraficoSvgAnio)->Unit(benchmark::kMillisecond);

void GraficoPngAnio(benchmark::State& state) {
    Escribe(state,
            [](QBuffer& b, const Almanaque& a) { return EscribePng(b, a, TamanoPorDefecto, {}); });
}
BENCHMARK(GraficoPngAnio)->Unit(benchmark::kMillisecond);

// The picture alone, without the PNG encoding.
void GraficoImagenAnio(benchmark::State& state) {
    const Almanaque& a = Anio();
    for (auto _ : state) {
        QImage imagen = GraficoImagen(a, TamanoPorDefecto, {});
        benchmark::DoNotOptimize(imagen.constBits());
    }
}
BENCHMARK(GraficoImagenAnio)->Unit(benchmark::kMillisecond);

void PdfAnio(benchmark::State& state) {
    OpcionesDocumento o;
    o.programa = QStringLiteral("vespalba-tabla");
    o.grafico = true;
    Escribe(state, [&](QBuffer& b, const Almanaque& a) { return EscribePdf(b, a, o); });
}
BENCHMARK(PdfAnio)->Unit(benchmark::kMillisecond);

// What the drawings start from: the year's days computed and copied into
// an Almanaque.
void CalculoAnio(benchmark::State& state) {
    const Vespalba::Tabla::Peticion peticion = Vespalba::Pruebas::PeticionDe(anio);
    for (auto _ : state) {
        Almanaque a =
            Vespalba::Pruebas::AlmanaqueDe(peticion, Vespalba::Dias::CalculaDias(peticion));
        benchmark::DoNotOptimize(a.dias.data());
    }
}
BENCHMARK(CalculoAnio)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

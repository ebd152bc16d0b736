// SPDX-License-Identifier: GPL-3.0-or-later
// The search where the programs run it: in a clean process, after a painted
// QApplication (offscreen) and after QCommandLineParser::parse, side by side;
// and the window's whole "Calcular" handler against its parts.
//
// The benchmarks run in the order they are written: the clean ones come
// first, before this process has made any Qt call. The counter
// "mitades_altas" tells whether the upper halves of the vector registers
// were in use (XINUSE bits 2 or 6) when the timed work began: 1 yes, 0 no,
// a share for a mix, -1 where the processor does not report it.
//
// Run: build/bench/programas_bench
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "astro/eventos.h"
#include "astro/tiempo.h"
#include "astro/vectorial.h"
#include "calculadora/FormVespalbaCivilNautico.h"
#include "calculadora/aplicacion.h"
#include "calculadora/validacion.h"
#include "resultados/area_resultados.h"

namespace MV = Vespalba::ModuloVespalba;

namespace {

double MitadesAltas() {
    const auto x = MV::ComponentesEnUso();
    return x ? ((*x & MV::MitadesAltasEnUso) != 0 ? 1.0 : 0.0) : -1.0;
}

// Leaves a non-zero upper half in ymm15, as Qt's AVX2 fill and AES hash
// do, where the processor has AVX.
void EnsuciaMitadesAltas() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool avx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    if (avx) {
        __asm__ volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
    }
#endif
}

// The worked example (2 July 2003, 33 16 S, 71 36 W, zone -4).
MV::DatosCalculo Ejemplo() {
    MV::DatosCalculo d;
    d.Dia = 2;
    d.Mes = 7;
    d.Anio = 2003;
    d.Latitud = -(33 + 16 / 60.0);
    d.Longitud = 71 + 36 / 60.0;
    d.Zona = -4;
    return d;
}

// Seconds of processor time this thread has used: what the searches cost,
// whatever else the machine runs meanwhile.
double TiempoDelHilo() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Days of 2026 at Valparaíso, one search each, timed by hand (processor time
// of this thread) right after `antes` has run: nothing, one instruction that
// leaves the upper halves in use, a paint, or a parse of the command line.
// The timer's own calls are kept out of the way between `antes` and the
// searches. The counter "mitades_altas" is the share of iterations whose
// searches began with the upper halves in use.
void Busqueda(benchmark::State& state, int dias, void (*antes)()) {
    MV::DatosCalculo d = Ejemplo();
    d.Anio = 2026;
    d.Mes = 1;
    int dia = 0;
    double sucias = 0;
    for (auto _ : state) {
        antes();
        const double inicio = TiempoDelHilo();
        sucias += MitadesAltas() > 0 ? 1 : 0;
        for (int i = 0; i < dias; ++i) {
            d.Dia = 1 + dia++ % 365;  // day 1..365 of January runs on through the year
            const MV::EventosDia ev = MV::BuscaEventos(d);
            benchmark::DoNotOptimize(ev);
        }
        state.SetIterationTime(TiempoDelHilo() - inicio);
    }
    state.counters["mitades_altas"] = sucias / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * dias);
}

void Nada() {}

// --------------------------------------------------------- clean process

BENCHMARK_CAPTURE(Busqueda, dia_limpio, 1, Nada)->Name("Busqueda/dia/limpio")->UseManualTime();
BENCHMARK_CAPTURE(Busqueda, anio_limpio, 365, Nada)
    ->Name("Busqueda/anio/limpio")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Busqueda, dia_sucio, 1, EnsuciaMitadesAltas)
    ->Name("Busqueda/dia/mitades_altas_en_uso")
    ->UseManualTime();

// What the cleaning at the search's entry spares it: the search's own
// arithmetic (the Sun's and the Moon's altitude at the 25 whole hours)
// called without it, clean and with the upper halves put in use before each
// day's hours.
void AlturasDelDia(benchmark::State& state, bool sucio) {
    const MV::DatosCalculo d = Ejemplo();
    const double cosLat = MV::CosGrad(d.Latitud);
    const double senLat = MV::SenGrad(d.Latitud);
    const double mjd = MV::FechaMJD(d.Anio, d.Mes, d.Dia, 0.0) - d.Zona / 24.0;
    for (auto _ : state) {
        if (sucio) {
            EnsuciaMitadesAltas();
        }
        double suma = 0;
        for (int hora = 0; hora <= 24; ++hora) {
            suma += MV::SenAltura(MV::ClaseEvento::Luna, mjd, hora, d.Longitud, cosLat, senLat);
            suma += MV::SenAltura(MV::ClaseEvento::Sol, mjd, hora, d.Longitud, cosLat, senLat);
        }
        benchmark::DoNotOptimize(suma);
    }
}
BENCHMARK_CAPTURE(AlturasDelDia, limpio, false)->Name("SinLimpiar/alturas_del_dia/limpio");
BENCHMARK_CAPTURE(AlturasDelDia, mitades_altas_en_uso, true)
    ->Name("SinLimpiar/alturas_del_dia/mitades_altas_en_uso");

// The parts of "Calcular" in a clean process: the validation of the worked
// example's texts as the window reads them, and the search.
Vespalba::EntradasCalculo EntradasEjemplo() {
    Vespalba::EntradasCalculo e;
    e.FE1 = QStringLiteral("2");
    e.FE2 = QStringLiteral("7");
    e.FE3 = QStringLiteral("2003");
    e.L3 = QStringLiteral("33");
    e.L4 = QStringLiteral("16");
    e.G3 = QStringLiteral("71");
    e.G4 = QStringLiteral("36");
    e.Z = QStringLiteral("4");
    return e;
}

void Calcular_Validacion(benchmark::State& state) {
    const Vespalba::EntradasCalculo e = EntradasEjemplo();
    for (auto _ : state) {
        auto v = Vespalba::ValidaDatos(e, QLocale());
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(Calcular_Validacion)->Name("Calcular/partes/validacion");

void Calcular_Busqueda(benchmark::State& state) {
    const MV::DatosCalculo d = Ejemplo();
    state.counters["mitades_altas"] = MitadesAltas();
    for (auto _ : state) {
        const MV::EventosDia ev = MV::BuscaEventos(d);
        benchmark::DoNotOptimize(ev);
    }
}
BENCHMARK(Calcular_Busqueda)->Name("Calcular/partes/busqueda");

// ------------------------------------------------ after Qt has been used

std::unique_ptr<QApplication> aplicacion;

QApplication& Aplicacion() {
    if (!aplicacion) {
        static int argc = 1;
        static char nombre[] = "programas_bench";
        static char* argv[] = {nombre, nullptr};
        aplicacion = std::make_unique<QApplication>(argc, argv);
        Vespalba::PreparaAplicacion(*aplicacion);
    }
    return *aplicacion;
}

// A button shown and painted, and a solid fill of an image: the raster
// engine's paths that every window paint takes.
void PintaAlgo() {
    Aplicacion();
    QPushButton boton(QStringLiteral("Calcular"));
    boton.resize(200, 60);
    boton.show();
    const QImage imagen = boton.grab().toImage();
    benchmark::DoNotOptimize(imagen.constBits());
    static QImage lienzo(512, 512, QImage::Format_ARGB32_Premultiplied);
    QPainter pintor(&lienzo);
    pintor.fillRect(lienzo.rect(), Qt::white);
}

// QCommandLineParser reading vespalba-tabla's usual options.
void LeeLineaDeOrdenes() {
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("lugar"), QStringLiteral("lugar"), QStringLiteral("N")});
    parser.addOption({QStringLiteral("zona"), QStringLiteral("zona"), QStringLiteral("H")});
    parser.addOption({QStringLiteral("anio"), QStringLiteral("anio"), QStringLiteral("A")});
    parser.parse({QStringLiteral("vespalba-tabla"), QStringLiteral("--lugar"),
                  QStringLiteral("valparaiso"), QStringLiteral("--zona"), QStringLiteral("-4"),
                  QStringLiteral("--anio"), QStringLiteral("2026")});
    benchmark::DoNotOptimize(parser.isSet(QStringLiteral("anio")));
}

BENCHMARK_CAPTURE(Busqueda, dia_tras_pintar, 1, PintaAlgo)
    ->Name("Busqueda/dia/tras_pintar")
    ->UseManualTime();
BENCHMARK_CAPTURE(Busqueda, dia_tras_parser, 1, LeeLineaDeOrdenes)
    ->Name("Busqueda/dia/tras_parser")
    ->UseManualTime();
BENCHMARK_CAPTURE(Busqueda, anio_tras_pintar, 365, PintaAlgo)
    ->Name("Busqueda/anio/tras_qapplication_pintada")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Busqueda, anio_tras_parser, 365, LeeLineaDeOrdenes)
    ->Name("Busqueda/anio/tras_parser")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ the window

struct VentanaEjemplo {
    std::unique_ptr<Vespalba::FormVespalbaCivilNautico> ventana;
    QPushButton* calcular = nullptr;
    QLineEdit* orto = nullptr;
};

VentanaEjemplo ventanaEjemplo;

// The real window, shown and painted once, with the worked example put in
// by its "Ejemplo" command. Controls are found by their names.
VentanaEjemplo& Ventana() {
    VentanaEjemplo& v = ventanaEjemplo;
    if (!v.ventana) {
        Aplicacion();
        v.ventana = std::make_unique<Vespalba::FormVespalbaCivilNautico>();
        v.ventana->show();
        QApplication::processEvents();
        v.ventana->findChild<QAction*>(QStringLiteral("Ej1"))->trigger();
        v.calcular = v.ventana->findChild<QPushButton*>(QStringLiteral("Command1"));
        v.orto = v.ventana->findChild<QLineEdit*>(QStringLiteral("Orto"));
        v.ventana->repaint();
    }
    return v;
}

// From the button's click to the end of the handler: reading the boxes,
// validation, search, filling the boxes. No paint in between: the handler
// only schedules one, and no event loop runs here.
void Calcular_Manejador(benchmark::State& state) {
    VentanaEjemplo& v = Ventana();
    state.counters["mitades_altas"] = MitadesAltas();
    for (auto _ : state) {
        v.calcular->click();
    }
    if (v.orto->text() != QStringLiteral(" 7: 50")) {
        state.SkipWithError("the window did not show the worked example's sunrise");
    }
}
BENCHMARK(Calcular_Manejador)->Name("Calcular/manejador");

// The same after the window has repainted itself, as it does between two
// clicks on the screen: only the handler is timed (processor time of this
// thread), the paint before it is not.
void Calcular_ManejadorTrasPintar(benchmark::State& state) {
    VentanaEjemplo& v = Ventana();
    double sucias = 0;
    for (auto _ : state) {
        v.ventana->repaint();
        const double inicio = TiempoDelHilo();
        sucias += MitadesAltas() > 0 ? 1 : 0;
        v.calcular->click();
        state.SetIterationTime(TiempoDelHilo() - inicio);
    }
    state.counters["mitades_altas"] = sucias / double(state.iterations());
}
BENCHMARK(Calcular_ManejadorTrasPintar)->Name("Calcular/manejador_tras_pintar")->UseManualTime();

// The third part, filling the boxes: clearing the result area and writing
// one day's results, on the same window's controls.
void Calcular_Llenado(benchmark::State& state) {
    VentanaEjemplo& v = Ventana();
    Vespalba::ControlesResultado area;
    area.Resultado = v.ventana->findChild<QWidget*>(QStringLiteral("Resultado"));
    for (int i = 0; i < Vespalba::NumCajas; ++i) {
        const std::string_view nombre = Vespalba::NombreCaja(static_cast<Vespalba::Caja>(i));
        area.cajas[i] = v.ventana->findChild<QLineEdit*>(
            QString::fromLatin1(nombre.data(), qsizetype(nombre.size())));
    }
    area.TextInfo = v.ventana->findChild<QLineEdit*>(QStringLiteral("TextInfo"));
    area.Label1 = v.ventana->findChild<QLabel*>(QStringLiteral("Label1"));
    area.Label8 = v.ventana->findChild<QLabel*>(QStringLiteral("Label8"));
    area.HorasLuz = v.ventana->findChild<QLineEdit*>(QStringLiteral("HorasLuz"));
    area.TextAl = v.ventana->findChild<QLineEdit*>(QStringLiteral("TextAl"));
    if (!Vespalba::Completos(area)) {
        state.SkipWithError("a control of the result area was not found by its name");
        return;
    }
    const MV::EventosDia ev = MV::BuscaEventos(Ejemplo());
    const std::chrono::year_month_day fecha{std::chrono::year{2003}, std::chrono::month{7},
                                            std::chrono::day{2}};
    for (auto _ : state) {
        Vespalba::LimpiaResultados(area);
        Vespalba::MuestraResultados(area, ev, fecha, QLocale());
    }
}
BENCHMARK(Calcular_Llenado)->Name("Calcular/partes/llenado");

}  // namespace

int main(int argc, char** argv) {
    // The window is measured without a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ventanaEjemplo.ventana.reset();
    aplicacion.reset();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window where users meet it: the real VentanaAlmanaque on Qt's
// offscreen platform, driven with real key events, each figure taken from
// the action to the paint it causes having finished.
//
//  Arranque/primera     the process's first window: QApplication, the
//                       window's construction split at its first Recalcula,
//                       and show() to the first paint of the Sun table.
//  Arranque/otra        the same for further windows of the same process.
//  Teclas/primera       the first keystrokes in the place box of the
//                       process's first window (the window opens the world
//                       gazetteer on a worker thread when it shows; a search
//                       before that is done waits for the rest): how long
//                       the window is frozen.
//  Teclas/secuencias    every keystroke of typing place names, the
//                       gazetteer open: key event to the suggestion list
//                       repainted.
//  Eleccion/...         a place (EligeSitio), a date (EligeFecha), Alt+Right
//                       and Alt+PageDown, with the day or the month shown:
//                       call or key to the day's Sun table or the month
//                       table repainted; with the year shown, a place, a
//                       zone or a date of another year, to the year's chart
//                       repainted.
//  Exportar/...         the year as PDF and 1980-2040 as PDF, written off
//                       the GUI thread as Archivo › Exportar does: the time
//                       of the export, the heap it adds (glibc's mallinfo2,
//                       peak over the export) and how late a 20 ms timer of
//                       the window fires meanwhile (the window's answer).
//
// Times are wall-clock (std::chrono::steady_clock), milliseconds; the one
// thread does all the work, and its processor time over the same spans is
// given too (counters "cpu_..."), which other processes on the machine
// change less. The two "primera" benchmarks measure what a fresh process
// does once: Arranque/primera is right only in a process that has shown no
// window, Teclas/primera in one that has opened no gazetteer. They are
// written, and so run, before the benchmarks that would spoil them; filter
// with care. Each benchmark reports its samples' median, 95th percentile
// and maximum as counters (p50_ms, p95_ms, max_ms).
//
// The offscreen platform paints into an image in memory: the X server's
// share of a paint is not here (bench/almanaque_proceso.sh measures the
// whole program on a virtual X server).
//
// Run: build/bench/almanaque_bench
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>

#include "almanaque/exportar.h"
#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"

namespace {

using namespace Vespalba::Almanaque;
using Reloj = std::chrono::steady_clock;

// 2026-12-11 01:00 UT: the window's "today" (the 10th on Chile's clock).
constexpr qint64 Ahora = 1796950800;

// Most milliseconds a paint is waited for before the sample is given up.
constexpr int EsperaMaxima = 5000;

double Ms(Reloj::time_point desde, Reloj::time_point hasta) {
    return std::chrono::duration<double, std::milli>(hasta - desde).count();
}

// Milliseconds of processor time this thread has used: what the work
// costs, whatever else the machine runs meanwhile (the "cpu_" counters).
double MsDelHilo() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// The samples' median, 95th percentile (nearest rank) and maximum, ms, as
// counters named with `prefijo` (p50_ms, p95_ms, max_ms).
void Percentiles(benchmark::State& state, std::vector<double> ms, const std::string& prefijo = {}) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const auto rango = [&](double p) {
        const auto i = std::size_t(std::ceil(p * double(ms.size()))) - 1;
        return ms[std::min(i, ms.size() - 1)];
    };
    state.counters[prefijo + "p50_ms"] = rango(0.50);
    state.counters[prefijo + "p95_ms"] = rango(0.95);
    state.counters[prefijo + "max_ms"] = ms.back();
    if (prefijo.empty()) state.counters["muestras"] = double(ms.size());
}

// Counts the paint events a set of widgets receive. The filter sees each
// one before the widget paints; the paint has finished when the event
// loop's turn that delivered it returns.
class Pinturas : public QObject {
public:
    void Vigila(QWidget* w) { w->installEventFilter(this); }
    int cuenta = 0;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) ++cuenta;
        return QObject::eventFilter(objeto, evento);
    }
};

// Runs the event loop until a paint counted by `p` after `antes` has
// finished; false if none came within EsperaMaxima.
bool EsperaPintura(const Pinturas& p, int antes) {
    const QDeadlineTimer limite(EsperaMaxima);
    while (p.cuenta == antes) {
        if (limite.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// Every pending event delivered: the window idle, as between two actions of
// a user.
void Reposa() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// ------------------------------------------------------------ the process

std::unique_ptr<QApplication> aplicacion;
std::unique_ptr<QTemporaryDir> carpeta;

QApplication& Aplicacion() {
    if (!aplicacion) {
        static int argc = 1;
        static char nombre[] = "almanaque_bench";
        static char* argv[] = {nombre, nullptr};
        aplicacion = std::make_unique<QApplication>(argc, argv);
        // As almanaque/main.cpp names the program.
        QApplication::setApplicationName(QStringLiteral("vespalba-almanaque"));
        QApplication::setApplicationDisplayName(QStringLiteral("Vespalba: almanaque"));
        QApplication::setOrganizationName(QStringLiteral("vespalba"));
    }
    return *aplicacion;
}

// Settings of a user who last looked at Valparaíso, in a folder of this
// process (the user's own are never touched).
QString Ajustes(const char* nombre) {
    if (!carpeta) {
        carpeta = std::make_unique<QTemporaryDir>();
        Preferencias p;
        p.ultimo = Valparaiso();
        QSettings a(carpeta->filePath(QStringLiteral("almanaque.conf")), QSettings::IniFormat);
        QSettings c(carpeta->filePath(QStringLiteral("comun.conf")), QSettings::IniFormat);
        GuardaPreferencias(p, a, c);
    }
    return carpeta->filePath(QString::fromLatin1(nombre));
}

std::unique_ptr<VentanaAlmanaque> NuevaVentana() {
    return std::make_unique<VentanaAlmanaque>(
        std::make_unique<QSettings>(Ajustes("almanaque.conf"), QSettings::IniFormat),
        std::make_unique<QSettings>(Ajustes("comun.conf"), QSettings::IniFormat),
        [] { return Ahora; });
}

// Marks the start of the constructor's first Recalcula: the constructor
// fills the favourites menu (ActualizaFavoritos) right before it, so the
// last action event that menu receives during construction is the instant
// Recalcula begins. Watches every object of the application.
class InicioRecalcula : public QObject {
public:
    std::optional<Reloj::time_point> instante;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::ActionAdded || evento->type() == QEvent::ActionChanged) {
            const auto* menu = qobject_cast<QMenu*>(objeto);
            if (menu && menu->title() == QStringLiteral("Lugares &favoritos")) {
                instante = Reloj::now();
            }
        }
        return QObject::eventFilter(objeto, evento);
    }
};

// One window from nothing to its first paint: construction (split at the
// first Recalcula), show() and the event loop until the Sun table's
// viewport has been painted. Adds the parts to `partes`, ms.
struct Partes {
    double construccion = 0;  // the constructor before its first Recalcula
    double recalcula = 0;     // the first Recalcula (the day and the month computed and set)
    double pintura = 0;       // show() to the first paint finished
};

bool AbreYPinta(Partes& partes, std::unique_ptr<VentanaAlmanaque>& ventana) {
    InicioRecalcula inicio;
    QCoreApplication::instance()->installEventFilter(&inicio);
    const auto t0 = Reloj::now();
    ventana = NuevaVentana();
    const auto t1 = Reloj::now();
    QCoreApplication::instance()->removeEventFilter(&inicio);
    Pinturas p;
    p.Vigila(ventana->findChild<QTableWidget*>(QStringLiteral("tablaSol"))->viewport());
    ventana->show();
    const bool pintada = EsperaPintura(p, 0);
    const auto t2 = Reloj::now();
    if (!inicio.instante || !pintada) return false;
    partes.construccion += Ms(t0, *inicio.instante);
    partes.recalcula += Ms(*inicio.instante, t1);
    partes.pintura += Ms(t1, t2);
    return true;
}

void ArranquePrimera(benchmark::State& state) {
    for (auto _ : state) {
        const double c0 = MsDelHilo();
        const auto t0 = Reloj::now();
        Aplicacion();
        const double app = Ms(t0, Reloj::now());
        Partes partes;
        std::unique_ptr<VentanaAlmanaque> ventana;
        if (!AbreYPinta(partes, ventana)) {
            state.SkipWithError("no first Recalcula seen, or no paint of the Sun table");
            return;
        }
        state.SetIterationTime(Ms(t0, Reloj::now()) / 1000.0);
        state.counters["cpu_ms"] = MsDelHilo() - c0;
        state.counters["qapplication_ms"] = app;
        state.counters["construccion_ms"] = partes.construccion;
        state.counters["recalcula_ms"] = partes.recalcula;
        state.counters["pintura_ms"] = partes.pintura;
        ventana.reset();
        Reposa();
    }
}
BENCHMARK(ArranquePrimera)
    ->Name("Arranque/primera")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void ArranqueOtra(benchmark::State& state) {
    Aplicacion();
    Partes partes;
    std::vector<double> ms;
    std::vector<double> cpu;
    for (auto _ : state) {
        std::unique_ptr<VentanaAlmanaque> ventana;
        const double c0 = MsDelHilo();
        const auto t0 = Reloj::now();
        if (!AbreYPinta(partes, ventana)) {
            state.SkipWithError("no first Recalcula seen, or no paint of the Sun table");
            return;
        }
        const double t = Ms(t0, Reloj::now());
        cpu.push_back(MsDelHilo() - c0);
        state.SetIterationTime(t / 1000.0);
        ms.push_back(t);
        ventana.reset();
        Reposa();
    }
    const double n = double(state.iterations());
    state.counters["construccion_ms"] = partes.construccion / n;
    state.counters["recalcula_ms"] = partes.recalcula / n;
    state.counters["pintura_ms"] = partes.pintura / n;
    Percentiles(state, ms);
    Percentiles(state, cpu, "cpu_");
}
BENCHMARK(ArranqueOtra)
    ->Name("Arranque/otra")
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ the place box

// The shown window of the keystroke and choice benchmarks.
std::unique_ptr<VentanaAlmanaque> ventana;

VentanaAlmanaque& Ventana() {
    if (!ventana) {
        Aplicacion();
        ventana = NuevaVentana();
        ventana->show();
        if (!QTest::qWaitForWindowExposed(ventana.get())) {
            std::fputs("almanaque_bench: the window was never exposed\n", stderr);
            std::exit(1);
        }
        ventana->activateWindow();
        Reposa();
    }
    return *ventana;
}

QLineEdit* Caja() { return Ventana().findChild<QLineEdit*>(QStringLiteral("cajaLugar")); }

// The suggestions' pop-up list: a window of its own, found by its name.
QAbstractItemView* Lista() {
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() == QLatin1String("listaSugerencias")) {
            return qobject_cast<QAbstractItemView*>(w);
        }
    }
    return nullptr;
}

// As a user starts a new search: Escape closes the list if it is open,
// Ctrl+F selects the box's text, which the next letter replaces.
void NuevaBusqueda() {
    QAbstractItemView* lista = Lista();
    if (lista && lista->isVisible()) QTest::keyClick(lista, Qt::Key_Escape);
    QTest::keyClick(&Ventana(), Qt::Key_F, Qt::ControlModifier);
    Reposa();
}

// One key in the place box, timed to the list's viewport painted: the
// handler's own time (the key event's delivery, which computes the
// suggestions and fills the list) and the whole, ms. False when no paint
// came.
struct Tecla {
    double manejador = 0;
    double total = 0;
    double cpu = 0;  // the thread's processor time over `total`
};
bool PulsaYEspera(QChar letra, Pinturas& p, Tecla& t) {
    const int antes = p.cuenta;
    const double c0 = MsDelHilo();
    const auto t0 = Reloj::now();
    QTest::keyClick(Caja(), letra.toLatin1());
    const auto t1 = Reloj::now();
    if (!EsperaPintura(p, antes)) return false;
    t.manejador = Ms(t0, t1);
    t.total = Ms(t0, Reloj::now());
    t.cpu = MsDelHilo() - c0;
    return true;
}

// The first search of the process, "concep" letter by letter: the first
// letter that leaves fewer than a full list of the forty ports opens the
// world gazetteer (Nomenclator::Mundial), and the list opens for the first
// time. Counters: each letter's time to the list painted (letra1_ms...),
// and for the slowest letter the handler's time and the whole (the window
// answers no input for either).
void TeclasPrimera(benchmark::State& state) {
    Ventana();
    NuevaBusqueda();
    const QString texto = QStringLiteral("concep");
    for (auto _ : state) {
        Pinturas p;
        // The list is created with the window; its viewport exists already.
        QAbstractItemView* lista = Lista();
        if (lista == nullptr) {
            state.SkipWithError("no list listaSugerencias");
            return;
        }
        p.Vigila(lista->viewport());
        Tecla peor;
        double total = 0;
        for (qsizetype i = 0; i < texto.size(); ++i) {
            Tecla t;
            if (!PulsaYEspera(texto[i], p, t)) {
                state.SkipWithError("the list was not painted after a letter");
                return;
            }
            state.counters["letra" + std::to_string(i + 1) + "_ms"] = t.total;
            if (t.total > peor.total) peor = t;
            total += t.total;
            Reposa();
        }
        state.SetIterationTime(total / 1000.0);
        state.counters["peor_manejador_ms"] = peor.manejador;
        state.counters["peor_hasta_pintada_ms"] = peor.total;
        state.counters["peor_cpu_ms"] = peor.cpu;
    }
    NuevaBusqueda();
}
BENCHMARK(TeclasPrimera)
    ->Name("Teclas/primera")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What users type, letter by letter, to find a place; each letter leaves at
// least one suggestion, so that the list is repainted every time.
const char* const secuencias[] = {"concep",  "valp",  "puerto m", "santiago", "buenos a",
                                  "londres", "tokio", "rio de",   "punta ar", "mar del"};

void TeclasSecuencias(benchmark::State& state) {
    Ventana();
    std::vector<double> ms;
    std::vector<double> primeras;    // the first letter of a search: the list opens
    std::vector<double> siguientes;  // the following: the list already open
    std::vector<double> manejador;
    std::vector<double> cpu;
    std::size_t s = 0;
    std::size_t letra = 0;
    Pinturas p;
    QAbstractItemView* lista = Lista();
    if (lista == nullptr) {
        state.SkipWithError("no list listaSugerencias");
        return;
    }
    p.Vigila(lista->viewport());
    for (auto _ : state) {
        const QString texto = QString::fromLatin1(secuencias[s]);
        if (letra == 0) NuevaBusqueda();
        Tecla t;
        if (!PulsaYEspera(texto[qsizetype(letra)], p, t)) {
            const std::string error = "the list was not painted after the letters " +
                                      texto.left(qsizetype(letra) + 1).toStdString();
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(t.total / 1000.0);
        ms.push_back(t.total);
        manejador.push_back(t.manejador);
        cpu.push_back(t.cpu);
        (letra == 0 ? primeras : siguientes).push_back(t.total);
        Reposa();
        if (++letra == std::size_t(texto.size())) {
            letra = 0;
            s = (s + 1) % std::size(secuencias);
        }
    }
    Percentiles(state, ms);
    Percentiles(state, primeras, "abre_");
    Percentiles(state, siguientes, "sigue_");
    Percentiles(state, manejador, "manejador_");
    Percentiles(state, cpu, "cpu_");
    NuevaBusqueda();
}
BENCHMARK(TeclasSecuencias)
    ->Name("Teclas/secuencias")
    ->Iterations(600)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ------------------------------------------------- choosing a place or date

// Places of every kind: the forty ports, gazetteer towns, north and south,
// polar days (Tromsø), and bare coordinates in their nautical zone.
std::vector<Sitio> Sitios() {
    std::vector<Sitio> s;
    for (const char* nombre :
         {"Valparaíso", "Concepción, Chile", "Puerto Montt", "Tokio", "Tromsø", "Buenos Aires",
          "-33.27 -80.5", "Reikiavik", "Punta Arenas", "64:08N 21:56W", "Londres", "Auckland"}) {
        const LecturaLugar l = LeeLugar(QString::fromUtf8(nombre));
        if (l.sitio) s.push_back(*l.sitio);
    }
    return s;
}

enum class Vista { Dia, Mes, Anio };

// Runs the event loop until a paint counted by `p` after `antes` has
// finished, or until the loop has nothing left to do: whether the paint came,
// and the instant the last work ended.
struct Fin {
    bool pintada = false;
    Reloj::time_point instante;
};
Fin EsperaPinturaOReposo(const Pinturas& p, int antes) {
    QAbstractEventDispatcher* despachador = QAbstractEventDispatcher::instance();
    const QDeadlineTimer limite(EsperaMaxima);
    Fin fin{false, Reloj::now()};
    while (!limite.hasExpired()) {
        const bool trabajo = despachador->processEvents(QEventLoop::AllEvents);
        if (p.cuenta != antes) return {true, Reloj::now()};
        if (!trabajo) break;
        fin.instante = Reloj::now();
    }
    return fin;
}

// Times `accion(i)` from its call to the paint of the shown view's table
// (the Sun table for the day, the month table for the month) having
// finished; `prepara` runs untimed before each, the window idle after it.
// A change that paints nothing there is timed to the event loop's rest and
// counted in "sin_pintar".
using Accion = std::function<void(VentanaAlmanaque&, int)>;
void MideEleccion(benchmark::State& state, Vista vista, const Accion& accion,
                  const Accion& prepara = {}) {
    VentanaAlmanaque& v = Ventana();
    QAbstractItemView* lista = Lista();
    if (lista && lista->isVisible()) QTest::keyClick(lista, Qt::Key_Escape);
    auto* pestanas = v.findChild<QTabWidget*>(QStringLiteral("pestanas"));
    pestanas->setCurrentIndex(vista == Vista::Dia ? 0 : vista == Vista::Mes ? 1 : 2);
    QWidget* vigilado =
        vista == Vista::Dia   ? v.findChild<QTableWidget*>(QStringLiteral("tablaSol"))->viewport()
        : vista == Vista::Mes ? v.findChild<QTableView*>(QStringLiteral("tablaMes"))->viewport()
                              : v.findChild<QWidget*>(QStringLiteral("graficoAnio"));
    v.EligeSitio(Valparaiso());
    v.EligeFecha(QDate(2026, 12, 10));
    v.setFocus();
    Reposa();
    Pinturas p;
    p.Vigila(vigilado);
    std::vector<double> ms;
    std::vector<double> cpu;
    int sinPintar = 0;
    int i = 0;
    for (auto _ : state) {
        if (prepara) {
            prepara(v, i);
            Reposa();
        }
        const int antes = p.cuenta;
        const double c0 = MsDelHilo();
        const auto t0 = Reloj::now();
        accion(v, i++);
        const Fin fin = EsperaPinturaOReposo(p, antes);
        cpu.push_back(MsDelHilo() - c0);
        if (!fin.pintada) ++sinPintar;
        const double t = Ms(t0, fin.instante);
        state.SetIterationTime(t / 1000.0);
        ms.push_back(t);
        Reposa();
    }
    Percentiles(state, ms);
    Percentiles(state, cpu, "cpu_");
    state.counters["sin_pintar"] = sinPintar;
    pestanas->setCurrentIndex(0);
    Reposa();
}

void EleccionSitio(benchmark::State& state, Vista vista) {
    static const std::vector<Sitio> sitios = Sitios();
    MideEleccion(state, vista, [](VentanaAlmanaque& v, int i) {
        // From the second: the window starts at Valparaíso, the first.
        v.EligeSitio(sitios[std::size_t(i + 1) % sitios.size()]);
    });
}

// Dates all over the almanac's range, a new month each time.
void EleccionFecha(benchmark::State& state, Vista vista) {
    MideEleccion(state, vista, [](VentanaAlmanaque& v, int) {
        static std::mt19937 azar(12345);
        std::uniform_int_distribution<qint64> dia(PrimeraFecha.toJulianDay(),
                                                  UltimaFecha.toJulianDay());
        v.EligeFecha(QDate::fromJulianDay(dia(azar)));
    });
}

// Zones by turns: the place's own, a fixed offset, another IANA zone.
void CambioDeZona(benchmark::State& state, Vista vista) {
    MideEleccion(state, vista, [](VentanaAlmanaque& v, int i) {
        EleccionZona z;
        switch (i % 3) {
            case 0:
                z.tipo = EleccionZona::Tipo::Fija;
                z.horas = -4.0;
                break;
            case 1:
                z.tipo = EleccionZona::Tipo::Iana;
                z.iana = QStringLiteral("Pacific/Easter");
                break;
            default: z.tipo = EleccionZona::Tipo::DelLugar; break;
        }
        v.EligeZona(z);
    });
}

// Alt+Right (the next day; a new month one time in thirty) and
// Alt+PageDown (the next month), as key events to the window; back to 1980
// (untimed) before the keys would leave the almanac's range.
void EleccionTecla(benchmark::State& state, Vista vista, Qt::Key tecla) {
    MideEleccion(
        state, vista,
        [tecla](VentanaAlmanaque& v, int) { QTest::keyClick(&v, tecla, Qt::AltModifier); },
        [](VentanaAlmanaque& v, int) {
            if (v.FechaActual() >= UltimaFecha.addMonths(-1)) v.EligeFecha(PrimeraFecha);
        });
}

// 240 samples each: a whole number of turns of the twelve places.
constexpr int MuestrasEleccion = 240;
BENCHMARK_CAPTURE(EleccionSitio, dia, Vista::Dia)
    ->Name("Eleccion/sitio/dia")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionSitio, mes, Vista::Mes)
    ->Name("Eleccion/sitio/mes")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionFecha, dia, Vista::Dia)
    ->Name("Eleccion/fecha/dia")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionFecha, mes, Vista::Mes)
    ->Name("Eleccion/fecha/mes")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionSitio, anio, Vista::Anio)
    ->Name("Eleccion/sitio/anio")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CambioDeZona, anio, Vista::Anio)
    ->Name("Eleccion/zona/anio")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionFecha, anio, Vista::Anio)
    ->Name("Eleccion/fecha/anio")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionTecla, alt_derecha_dia, Vista::Dia, Qt::Key_Right)
    ->Name("Eleccion/alt_derecha/dia")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionTecla, alt_derecha_mes, Vista::Mes, Qt::Key_Right)
    ->Name("Eleccion/alt_derecha/mes")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionTecla, alt_avpag_dia, Vista::Dia, Qt::Key_PageDown)
    ->Name("Eleccion/alt_avpag/dia")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EleccionTecla, alt_avpag_mes, Vista::Mes, Qt::Key_PageDown)
    ->Name("Eleccion/alt_avpag/mes")
    ->Iterations(MuestrasEleccion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ exporting

// The export of `desde`..`hasta` at Valparaíso as PDF into a scratch
// folder, through the window's own ExportaA (a worker thread, the window's
// event loop running meanwhile). A 20 ms timer of the window runs all
// along; its lateness is the window's answer.
void Exportar(benchmark::State& state, QDate desde, QDate hasta) {
    VentanaAlmanaque& v = Ventana();
    v.EligeSitio(Valparaiso());
    Reposa();
    QTemporaryDir dir;
    const Vespalba::Salidas::Peticion peticion =
        PeticionDe(v.ConsultaActual(), desde, hasta, "pdf");
    std::vector<double> ms, tarde;
    double heap = 0;
    int i = 0;
    for (auto _ : state) {
        QTimer reloj;
        reloj.setTimerType(Qt::PreciseTimer);
        auto previo = Reloj::now();
        QObject::connect(&reloj, &QTimer::timeout, [&] {
            const auto ahora = Reloj::now();
            tarde.push_back(std::max(0.0, Ms(previo, ahora) - 20.0));
            previo = ahora;
        });
        const std::size_t antes = mallinfo2().uordblks;
        std::size_t pico = antes;
        QTimer medidor;
        QObject::connect(&medidor, &QTimer::timeout,
                         [&] { pico = std::max(pico, mallinfo2().uordblks); });
        reloj.start(20);
        medidor.start(5);
        const auto t0 = Reloj::now();
        const bool escrito = v.ExportaA(peticion, dir.filePath(QStringLiteral("e%1.pdf").arg(i++)));
        const double t = Ms(t0, Reloj::now());
        reloj.stop();
        medidor.stop();
        if (!escrito) state.SkipWithError("la exportación falló");
        state.SetIterationTime(t / 1000.0);
        ms.push_back(t);
        heap = std::max(heap, double(pico - std::min(pico, antes)) / 1048576.0);
        Reposa();
    }
    Percentiles(state, ms);
    Percentiles(state, tarde, "atraso_");
    state.counters["heap_MiB"] = heap;
}

BENCHMARK_CAPTURE(Exportar, anio, QDate(2026, 1, 1), QDate(2026, 12, 31))
    ->Name("Exportar/pdf/anio")
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Exportar, todo, QDate(1980, 1, 1), QDate(2040, 12, 31))
    ->Name("Exportar/pdf/1980_2040")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Qt's messages, but for the offscreen platform's notices that it cannot
// grab the keyboard nor raise the suggestions' list, one per list shown.
QtMessageHandler mensajesDeQt = nullptr;
void Mensajes(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (texto.startsWith(QLatin1String("This plugin does not support"))) return;
    if (mensajesDeQt) mensajesDeQt(tipo, contexto, texto);
}

int main(int argc, char** argv) {
    // The window is measured without a display, unless one is asked for
    // (QT_QPA_PLATFORM=xcb under Xvfb measures X's share too).
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    mensajesDeQt = qInstallMessageHandler(Mensajes);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ventana.reset();
    aplicacion.reset();
    carpeta.reset();
    return 0;
}

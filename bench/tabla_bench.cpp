// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of what vespalba-tabla does: the day's search and the display texts
// for a whole year at each of the forty places of the table, the printing
// of one place's year and of 1980-2040 in each format, on one thread and in
// blocks on the machine's cores, and each format's writer alone over a
// block of days. Run: build/bench/tabla_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "astro/eventos.h"
#include "lugares/lugares.h"
#include "resultados/resultados.h"
#include "salidas/salida.h"

using namespace std::chrono;

namespace {

// A place of the table as the search takes it, with the zone of its
// meridian (hours east positive).
Vespalba::ModuloVespalba::DatosCalculo DatosDeLugar(int i) {
    Vespalba::ModuloVespalba::DatosCalculo d;
    const Vespalba::Coordenadas c = Vespalba::CoordenadasDe(Vespalba::Lugares[i]);
    d.Latitud = c.latitud;
    d.Longitud = -c.longitud;  // west positive
    d.Zona = std::round(-d.Longitud / 15);
    return d;
}

// Calls `f` with the data of each of the 14,600 place-days of 2026 at the
// forty places, in table order.
template <class F>
void CadaDiaLugar(F&& f) {
    const sys_days primero = sys_days{2026y / January / 1};
    for (int i = 1; i <= Vespalba::NumLugares; ++i) {
        Vespalba::ModuloVespalba::DatosCalculo d = DatosDeLugar(i);
        for (int n = 0; n < 365; ++n) {
            const year_month_day fecha{primero + days{n}};
            d.Dia = unsigned(fecha.day());
            d.Mes = unsigned(fecha.month());
            d.Anio = int(fecha.year());
            f(d);
        }
    }
}

// 2026 at the forty places: the search only, or the search and the display
// texts.
template <bool conTextos>
void AnioCuarentaLugares(benchmark::State& state) {
    for (auto _ : state) {
        CadaDiaLugar([](const Vespalba::ModuloVespalba::DatosCalculo& d) {
            const Vespalba::ModuloVespalba::EventosDia ev =
                Vespalba::ModuloVespalba::BuscaEventos(d);
            if constexpr (conTextos) {
                const Vespalba::PantallaResultados p = Vespalba::ComponeResultados(ev);
                benchmark::DoNotOptimize(p);
            } else {
                benchmark::DoNotOptimize(ev);
            }
        });
    }
    state.SetItemsProcessed(state.iterations() * Vespalba::NumLugares * 365);
}
BENCHMARK(AnioCuarentaLugares<false>)
    ->Name("AnioCuarentaLugares/busqueda")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AnioCuarentaLugares<true>)
    ->Name("AnioCuarentaLugares/busqueda_y_textos")
    ->Unit(benchmark::kMillisecond);

// The display texts alone, for the same 14,600 place-days searched once
// beforehand.
void AnioCuarentaLugaresSoloTextos(benchmark::State& state) {
    std::vector<Vespalba::ModuloVespalba::EventosDia> eventos;
    CadaDiaLugar([&](const Vespalba::ModuloVespalba::DatosCalculo& d) {
        eventos.push_back(Vespalba::ModuloVespalba::BuscaEventos(d));
    });
    for (auto _ : state) {
        for (const Vespalba::ModuloVespalba::EventosDia& ev : eventos) {
            const Vespalba::PantallaResultados p = Vespalba::ComponeResultados(ev);
            benchmark::DoNotOptimize(p);
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(eventos.size()));
}
BENCHMARK(AnioCuarentaLugaresSoloTextos)
    ->Name("AnioCuarentaLugares/solo_textos")
    ->Unit(benchmark::kMillisecond);

// Valparaíso over a range, computed and printed in one format (the work of
// one vespalba-tabla run, without starting the process): on the calling
// thread alone, or in blocks on the machine's cores as the program does.
// Wall-clock time, since the blocks run on other threads.
void RangoEnFormato(benchmark::State& state, const char* formato, sys_days desde, sys_days hasta,
                    bool unHilo) {
    Vespalba::Salidas::Peticion p;
    p.lugar = QStringLiteral("Valparaíso        ");
    p.latitud = -(33 + 16 / 60.0);
    p.longitud = 71 + 34 / 60.0;
    p.zona = -4;
    p.desde = desde;
    p.hasta = hasta;
    p.formato = Vespalba::Salidas::BuscaFormato(QString::fromLatin1(formato));
    Vespalba::Salidas::Reparto reparto;
    if (unHilo) {
        reparto.diasEnUnHilo = std::numeric_limits<int>::max();
    }
    for (auto _ : state) {
        const QByteArray salida = Vespalba::Salidas::Escribe(p, reparto);
        benchmark::DoNotOptimize(salida.constData());
    }
    state.SetItemsProcessed(state.iterations() * ((hasta - desde).count() + 1));
}

// RangoEnFormato/<range>/<format>/<un_hilo|por_bloques>.
const bool rangosRegistrados = [] {
    const struct {
        const char* nombre;
        sys_days desde, hasta;
    } rangos[] = {
        {"anio", sys_days{2026y / January / 1}, sys_days{2026y / December / 31}},
        {"1980_2040", sys_days{1980y / January / 1}, sys_days{2040y / December / 31}},
    };
    for (const auto& r : rangos) {
        for (const char* formato : {"texto", "csv", "json"}) {
            for (const bool unHilo : {true, false}) {
                const std::string nombre = std::string("RangoEnFormato/") + r.nombre + '/' +
                                           formato + (unHilo ? "/un_hilo" : "/por_bloques");
                benchmark::RegisterBenchmark(nombre.c_str(),
                                             [=](benchmark::State& state) {
                                                 RangoEnFormato(state, formato, r.desde, r.hasta,
                                                                unHilo);
                                             })
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
    }
    return true;
}();

// The days of a year at Valparaíso in the civil time of America/Santiago
// (--tz) against the fixed offset -4 (--zona): the zone adds the description
// of each civil day and, on its two change days, the interval search.
void AnioConZona(benchmark::State& state, bool civil) {
    Vespalba::Salidas::Peticion p;
    p.latitud = -(33 + 16 / 60.0);
    p.longitud = 71 + 34 / 60.0;
    p.zona = -4;
    if (civil) p.zonaHoraria = QStringLiteral("America/Santiago");
    p.desde = sys_days{2026y / January / 1};
    p.hasta = sys_days{2026y / December / 31};
    for (auto _ : state) {
        const auto dias = Vespalba::Dias::CalculaDias(p);
        benchmark::DoNotOptimize(dias.data());
    }
    state.SetItemsProcessed(state.iterations() * 365);
}
BENCHMARK_CAPTURE(AnioConZona, zona_fija, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnioConZona, tz, true)->Unit(benchmark::kMillisecond);

// A format's writer alone over a block of days computed once: the 46 days
// of one of the eight blocks a year is cut into, as a block's thread writes
// them after computing them. Its output is made afresh each time, in memory
// the allocator has already handed out, as from the second block on.
void EscrituraDeBloque(benchmark::State& state, const char* formato) {
    Vespalba::Salidas::Peticion p;
    p.lugar = QStringLiteral("Valparaíso        ");
    p.latitud = -(33 + 16 / 60.0);
    p.longitud = 71 + 34 / 60.0;
    p.zona = -4;
    p.desde = sys_days{2026y / March / 1};
    p.hasta = p.desde + days{45};
    p.formato = Vespalba::Salidas::BuscaFormato(QString::fromLatin1(formato));
    const std::vector<Vespalba::Dias::DiaCalculado> dias = Vespalba::Dias::CalculaDias(p);
    for (auto _ : state) {
        const QByteArray salida = p.formato->escribe(p, dias);
        benchmark::DoNotOptimize(salida.constData());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(dias.size()));
}
BENCHMARK_CAPTURE(EscrituraDeBloque, texto, "texto")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EscrituraDeBloque, csv, "csv")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EscrituraDeBloque, json, "json")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EscrituraDeBloque, ics, "ics")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

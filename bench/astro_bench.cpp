// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the day's event search: one calculation, and a whole year of days
// at forty places; and of the almanac's solar noon, the Moon's illumination
// and the principal phases of a year. Run: build/bench/astro_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "astro/almanaque.h"
#include "astro/eventos.h"

using namespace Vespalba::ModuloVespalba;

namespace {

// Forty places spread over the latitudes and longitudes the window accepts,
// with their natural zones (hours east positive).
struct Sitio {
    double lat, lon, zona;  // lon west positive
};

Sitio SitioNumero(int i) {
    const double lat = -62.5 + 3.2 * i;         // -62.5 .. 62.3
    const double lon = -174.9 + 8.9 * i;        // -174.9 .. 172.2
    const double zona = std::round(-lon / 15);  // near the natural zone
    return {lat, lon, zona};
}

void BM_UnCalculo(benchmark::State& state) {
    DatosCalculo d;
    d.Dia = 2;
    d.Mes = 7;
    d.Anio = 2003;
    d.Latitud = -(33 + 16 / 60.0);
    d.Longitud = 71.6;
    d.Zona = -4;
    for (auto _ : state) {
        benchmark::DoNotOptimize(d);
        EventosDia ev = BuscaEventos(d);
        benchmark::DoNotOptimize(ev);
    }
}
BENCHMARK(BM_UnCalculo);

void BM_AnioCuarentaLugares(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < 40; ++i) {
            const Sitio s = SitioNumero(i);
            for (int dia = 1; dia <= 365; ++dia) {
                DatosCalculo d;
                d.Dia = dia;  // day 1..365 of January runs on through the year
                d.Mes = 1;
                d.Anio = 2026;
                d.Latitud = s.lat;
                d.Longitud = s.lon;
                d.Zona = s.zona;
                EventosDia ev = BuscaEventos(d);
                benchmark::DoNotOptimize(ev);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 40 * 365);
}
BENCHMARK(BM_AnioCuarentaLugares)->Unit(benchmark::kMillisecond);

// The principal phases of one year (2026), about 50 of them.
void BM_FasesAnio(benchmark::State& state) {
    const double desde = 61041.0;  // 1 January 2026, 0 h UT
    for (auto _ : state) {
        benchmark::DoNotOptimize(desde);
        std::vector<FasePrincipal> f = FasesEntre(desde, desde + 365.0);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_FasesAnio)->Unit(benchmark::kMicrosecond);

// Solar noon of every day of 2026 at one place (Valparaíso, zone -4): one
// item is one day.
void BM_MediodiaAnio(benchmark::State& state) {
    const double desde = 61041.0 + 4.0 / 24;  // local midnight, 1 January 2026
    for (auto _ : state) {
        for (int dia = 0; dia < 365; ++dia) {
            const double inicio = desde + dia;
            MediodiaSolar m = BuscaMediodia(inicio, inicio + 1.0, -33.0472, 71.6127);
            benchmark::DoNotOptimize(m);
        }
    }
    state.SetItemsProcessed(state.iterations() * 365);
}
BENCHMARK(BM_MediodiaAnio)->Unit(benchmark::kMicrosecond);

// The illuminated fraction at one instant.
void BM_IluminacionLuna(benchmark::State& state) {
    double mjd = 61041.5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mjd);
        IluminacionLunar il = IluminacionLuna(mjd);
        benchmark::DoNotOptimize(il);
    }
}
BENCHMARK(BM_IluminacionLuna);

}  // namespace

BENCHMARK_MAIN();

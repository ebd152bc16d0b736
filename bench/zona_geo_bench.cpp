// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the zone of coordinates (lugares/zona_geo.h): opening and mapping
// the index (lugares/datos/zonas.idx), and lookups at random points of the
// globe (mostly sea: a walk down the quadtree), of land, and in cells a
// boundary crosses (the ray test over the cell's polygons), the zones' ids
// already checked against tzdata.
// Run: build/bench/zona_geo_bench.
#include <benchmark/benchmark.h>

#include <QString>

#include <cmath>
#include <random>
#include <vector>

#include "lugares/zona_geo.h"

namespace {

const QString kIndice = QStringLiteral(VESPALBA_ZONAS_IDX);

void AbreIndice(benchmark::State& state) {
    for (auto _ : state) {
        QString problema;
        auto indice = Vespalba::IndiceZonas::Abre(kIndice, &problema);
        benchmark::DoNotOptimize(indice);
    }
}
BENCHMARK(AbreIndice)->Unit(benchmark::kMicrosecond);

// The first lookup after opening: the mapped pages read in, the zone's id
// checked against the system's tzdata (its list read once per process).
void PrimeraBusqueda(benchmark::State& state) {
    for (auto _ : state) {
        auto indice = Vespalba::IndiceZonas::Abre(kIndice, nullptr);
        benchmark::DoNotOptimize(indice->Busca(-33.05, -71.62));
    }
}
BENCHMARK(PrimeraBusqueda)->Unit(benchmark::kMicrosecond);

struct Punto {
    double latitud, longitud;
};

// `n` points uniform on the sphere; with `tierra`, only those on land; with
// `dudosas`, only those within about 1 km of a boundary.
std::vector<Punto> Puntos(const Vespalba::IndiceZonas& indice, size_t n, bool tierra,
                          bool dudosas) {
    std::mt19937_64 azar(20261211);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Punto> puntos;
    while (puntos.size() < n) {
        const Punto p{std::asin(2 * u(azar) - 1) * 180 / 3.14159265358979323846,
                      360 * u(azar) - 180};
        const auto r = indice.Busca(p.latitud, p.longitud);
        if ((tierra && r->nautica) || (dudosas && !r->dudosa)) continue;
        puntos.push_back(p);
    }
    return puntos;
}

void Busca(benchmark::State& state, bool tierra, bool dudosas) {
    const auto indice = Vespalba::IndiceZonas::Abre(kIndice, nullptr);
    const auto puntos = Puntos(*indice, dudosas ? 200 : 4096, tierra, dudosas);
    size_t i = 0;
    for (auto _ : state) {
        const Punto& p = puntos[i++ % puntos.size()];
        benchmark::DoNotOptimize(indice->Busca(p.latitud, p.longitud));
    }
}
BENCHMARK_CAPTURE(Busca, globo, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Busca, tierra, true, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Busca, cerca_de_un_limite, false, true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

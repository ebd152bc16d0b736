// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of finding a place by name: one of the forty places (no gazetteer),
// opening the world gazetteer (the library already loaded: its catalogue
// read and its names reduced; then with the places file joined), and the
// gazetteer's searches over both.
// Run: build/bench/lugares_bench. The first opening in a process without
// the gazetteer's cache also unpacks libgeonames' records and loads GIO:
// that, and the runs with the cache, are measured on whole runs of
// vespalba-tabla by bench/lugares_proceso.sh.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include "lugares/nomenclator.h"
#include "lugares/poblados.h"
#include "tabla/lugares.h"
#include "tabla/orden.h"

namespace {

const Vespalba::Nomenclator& Mundo() {
    static const Vespalba::Nomenclator* mundo = Vespalba::Nomenclator::Mundial();
    return *mundo;
}

// --lugar as vespalba-tabla reads it.
void LeeLugar(benchmark::State& state, const char* nombre) {
    const QString texto = QString::fromUtf8(nombre);
    Mundo();  // opened before timing
    for (auto _ : state) {
        Vespalba::Tabla::Peticion p;
        QString aviso;
        benchmark::DoNotOptimize(Vespalba::Tabla::LeeNombreDeLugar(texto, p, aviso));
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK_CAPTURE(LeeLugar, de_la_tabla, "Valparaíso")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LeeLugar, del_nomenclator, "Concepción")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LeeLugar, desconocido, "Xqzwv")->Unit(benchmark::kMicrosecond);

// The gazetteer opened again, libgeonames alone: the catalogue read and
// 24,000 names reduced.
void AbreNomenclator(benchmark::State& state) {
    Mundo();  // the library loaded and its records unpacked before timing
    for (auto _ : state) {
        benchmark::DoNotOptimize(Vespalba::Nomenclator::Abre(Vespalba::BibliotecaGeonames,
                                                             Vespalba::CatalogoGeonames, nullptr));
    }
}
BENCHMARK(AbreNomenclator)->Unit(benchmark::kMillisecond);

// The same with the places of 1,000 people or more joined: their file
// mapped and checked, and libgeonames' towns found in it.
void AbreNomenclatorConPoblados(benchmark::State& state) {
    Mundo();
    const QString ruta = Vespalba::ArchivoPoblados::RutaDelPrograma();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Vespalba::Nomenclator::Abre(
            Vespalba::BibliotecaGeonames, Vespalba::CatalogoGeonames, nullptr, ruta));
    }
}
BENCHMARK(AbreNomenclatorConPoblados)->Unit(benchmark::kMillisecond);

// The gazetteer as a later run of a program opens it: libgeonames' towns
// and the index of the places' words from the cache (written before
// timing, in a folder of its own), the places file mapped and not checked
// again.
void AbreDeLaCache(benchmark::State& state) {
    QTemporaryDir carpeta;
    const QString ruta = Vespalba::ArchivoPoblados::RutaDelPrograma();
    Vespalba::Nomenclator::AbreConCache(Vespalba::BibliotecaGeonames, Vespalba::CatalogoGeonames,
                                        nullptr, ruta, carpeta.path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Vespalba::Nomenclator::AbreConCache(
            Vespalba::BibliotecaGeonames, Vespalba::CatalogoGeonames, nullptr, ruta,
            carpeta.path()));
    }
}
BENCHMARK(AbreDeLaCache)->Unit(benchmark::kMicrosecond);

// The places file alone, mapped and checked (the pages already in the
// page cache).
void AbrePoblados(benchmark::State& state) {
    const QString ruta = Vespalba::ArchivoPoblados::RutaDelPrograma();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Vespalba::ArchivoPoblados::Abre(ruta, nullptr));
    }
}
BENCHMARK(AbrePoblados)->Unit(benchmark::kMillisecond);

void Busca(benchmark::State& state, const char* nombre) {
    const QString texto = QString::fromUtf8(nombre);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Mundo().Busca(texto, 8));
    }
}
BENCHMARK_CAPTURE(Busca, nombre, "Concepción")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Busca, nombre_y_region, "Valparaiso, Indiana")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Busca, parte, "Montt")->Unit(benchmark::kMicrosecond);

void Parecidos(benchmark::State& state, const char* nombre) {
    const QString texto = QString::fromUtf8(nombre);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Mundo().Parecidos(texto, 8));
    }
}
BENCHMARK_CAPTURE(Parecidos, otro_pais, "Concepcion, Peru")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Parecidos, nada, "Xqzwv")->Unit(benchmark::kMicrosecond);

// --buscar's search: a short text that many names contain.
void BuscaTexto(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Mundo().BuscaTexto(QStringLiteral("san"), 20));
    }
}
BENCHMARK(BuscaTexto)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// SPDX-License-Identifier: GPL-3.0-or-later
// The world gazetteer on the installed libgeonames: names in Spanish or
// English without accents or case, narrowing by region, country or ISO code,
// several towns of one name, parts of names, close names, the Aysén zone, a
// missing library or catalogue; and the reading of .mo catalogues.
// Reference data: GeoNames' towns as libgeonames 0.3.0 carries them (the
// four Concepción, the three Valparaíso, Puerto Montt's "Port Montt").
// Then the places of 1,000 people or more joined to them (the program's
// gazetteer, Nomenclator::Mundial): the same towns still chosen with the
// same names, the new places with their regions and zones, libgeonames'
// towns never twice, a damaged places file; and libgeonames' zones against
// the boundaries' index.
#include <dlfcn.h>
#include <geonames.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lugares/catalogo_mo.h"
#include "lugares/nombres.h"
#include "lugares/nomenclator.h"
#include "lugares/poblados.h"
#include "lugares/regiones.h"
#include "lugares/zona_geo.h"

using namespace Vespalba;

namespace {

// The program's gazetteer: libgeonames and the places file.
const Nomenclator& Mundo() {
    QString problema;
    const Nomenclator* n = Nomenclator::Mundial(&problema);
    if (n == nullptr) {
        ADD_FAILURE() << problema.toStdString();
        std::abort();
    }
    return *n;
}

// libgeonames' towns alone.
const Nomenclator& Geonames() {
    static const std::unique_ptr<Nomenclator> n = [] {
        QString problema;
        auto g = Nomenclator::Abre(BibliotecaGeonames, CatalogoGeonames, &problema);
        if (!g) {
            ADD_FAILURE() << problema.toStdString();
            std::abort();
        }
        return g;
    }();
    return *n;
}

struct CasoBusca {
    const char* texto;
    const char* nombre;  // Spanish name of the town chosen
    const char* pais;    // its ISO code
    const char* zona;
    int total;       // towns that matched
    bool completos;  // by the whole name
};

void PrintTo(const CasoBusca& c, std::ostream* os) { *os << '"' << c.texto << '"'; }

class Busca : public testing::TestWithParam<CasoBusca> {};

TEST_P(Busca, EligeElPobladoEsperado) {
    const CasoBusca& c = GetParam();
    const Encontrados e = Geonames().Busca(QString::fromUtf8(c.texto), 10);
    ASSERT_EQ(e.total, c.total);
    ASSERT_EQ(int(e.poblados.size()), std::min(c.total, 10));
    EXPECT_EQ(e.completos, c.completos);
    const Poblado& t = e.poblados.front();
    EXPECT_EQ(t.nombre, QString::fromUtf8(c.nombre));
    EXPECT_EQ(t.codigoPais, c.pais);
    EXPECT_EQ(t.zona, c.zona);
    // Most populous first.
    for (std::size_t k = 1; k < e.poblados.size(); ++k) {
        EXPECT_GE(e.poblados[k - 1].habitantes, e.poblados[k].habitantes);
    }
}

// With the places of 1,000 people or more: the same town, with the same
// names and zone, among at least as many.
TEST_P(Busca, ConLosPobladosElMismo) {
    const CasoBusca& c = GetParam();
    const Encontrados g = Geonames().Busca(QString::fromUtf8(c.texto), 1);
    const Encontrados e = Mundo().Busca(QString::fromUtf8(c.texto), 10);
    ASSERT_FALSE(e.poblados.empty());
    EXPECT_GE(e.total, c.total);
    EXPECT_EQ(e.completos, c.completos);
    const Poblado& t = e.poblados.front();
    const Poblado& antes = g.poblados.front();
    EXPECT_EQ(t.NombreCompleto(), antes.NombreCompleto());
    EXPECT_EQ(t.nombreIngles, antes.nombreIngles);
    EXPECT_EQ(t.zona, antes.zona);
    EXPECT_EQ(t.latitud, antes.latitud);
    EXPECT_EQ(t.longitud, antes.longitud);
    EXPECT_EQ(t.habitantes, antes.habitantes);
    for (std::size_t k = 1; k < e.poblados.size(); ++k) {
        EXPECT_GE(e.poblados[k - 1].habitantes, e.poblados[k].habitantes);
    }
}

const CasoBusca casosBusca[] = {
    // Accents and case do not matter; the most populous of four namesakes.
    {"Concepción", "Concepción", "CL", "America/Santiago", 4, true},
    {"CONCEPCION", "Concepción", "CL", "America/Santiago", 4, true},
    {"  concepción ", "Concepción", "CL", "America/Santiago", 4, true},
    // Narrowed by country (Spanish, English, ISO code) or region, or both,
    // as the full name is written back.
    {"Concepción, Paraguay", "Concepción", "PY", "America/Asuncion", 1, true},
    {"concepcion, zulia", "Concepción", "VE", "America/Caracas", 1, true},
    {"Concepción, CL", "Concepción", "CL", "America/Santiago", 1, true},
    {"Concepción, Región del Biobío, Chile", "Concepción", "CL", "America/Santiago", 1, true},
    {"Concepcion, Philippines", "Concepcion", "PH", "Asia/Manila", 1, true},
    {"Valparaíso", "Valparaíso", "CL", "America/Santiago", 3, true},
    {"Valparaiso, Indiana", "Valparaíso", "US", "America/Chicago", 1, true},
    {"Valparaiso, United States", "Valparaíso", "US", "America/Chicago", 1, true},
    {"Valparaíso, Estados Unidos", "Valparaíso", "US", "America/Chicago", 1, true},
    {"Valparaíso, Chile", "Valparaíso", "CL", "America/Santiago", 1, true},
    {"valparaiso, br", "Valparaíso", "BR", "America/Sao_Paulo", 1, true},
    {"Puerto Montt, Los Lagos", "Puerto Montt", "CL", "America/Santiago", 1, true},
    // English names and Spanish names.
    {"Tokyo", "Tokio", "JP", "Asia/Tokyo", 1, true},
    {"tokio", "Tokio", "JP", "Asia/Tokyo", 1, true},
    {"London", "Londres", "GB", "Europe/London", 2, true},  // and London, Ontario
    {"Londres", "Londres", "GB", "Europe/London", 1, true},
    {"Port Montt", "Puerto Montt", "CL", "America/Santiago", 1, true},
    {"New York", "Nueva York", "US", "America/New_York", 1, true},
    {"nueva york", "Nueva York", "US", "America/New_York", 1, true},
    {"Sao Paulo", "São Paulo", "BR", "America/Sao_Paulo", 1, true},
    // The Aysén Region's own zone, which GeoNames' data does not know.
    {"Coyhaique", "Coyhaique", "CL", "America/Coyhaique", 1, true},
    {"Puerto Aysén", "Puerto Aysén", "CL", "America/Coyhaique", 1, true},
    {"Puerto Aisen", "Puerto Aysén", "CL", "America/Coyhaique", 1, true},
    {"Punta Arenas", "Punta Arenas", "CL", "America/Punta_Arenas", 1, true},
    // No whole name: a part of one name, from the start of a word.
    {"Montt", "Puerto Montt", "CL", "America/Santiago", 1, false},
    {"puerto mont", "Puerto Montt", "CL", "America/Santiago", 1, false},
    // Whole names narrowed away: then the parts, narrowed the same way.
    {"Concepción, Entre Ríos", "Concepción del Uruguay", "AR", "America/Argentina/Cordoba", 1,
     false},
};
INSTANTIATE_TEST_SUITE_P(Nomenclator, Busca, testing::ValuesIn(casosBusca));

TEST(Nomenclator, NadaQueBuscar) {
    for (const char* texto : {"Concepción, Perú", "Concepción, XX", "Valparaiso, Indianapolis",
                              "Xqzwv", "ontt", "", " , ", ", Chile"}) {
        const Encontrados e = Geonames().Busca(QString::fromUtf8(texto), 10);
        EXPECT_EQ(e.total, 0) << texto;
        EXPECT_TRUE(e.poblados.empty()) << texto;
    }
}

TEST(Nomenclator, CamposDeUnPoblado) {
    EXPECT_GT(Geonames().NumPoblados(), 20000);
    const Encontrados e = Geonames().Busca(QStringLiteral("Puerto Montt"), 1);
    ASSERT_EQ(e.total, 1);
    const Poblado& t = e.poblados.front();
    EXPECT_EQ(t.NombreCompleto(), QStringLiteral("Puerto Montt, Región de Los Lagos, Chile"));
    EXPECT_EQ(t.nombreIngles, QStringLiteral("Port Montt"));
    EXPECT_NEAR(t.latitud, -41.47, 0.01);   // north positive
    EXPECT_NEAR(t.longitud, -72.94, 0.01);  // east positive
    EXPECT_GT(t.habitantes, 100000u);
    // Beyond the computation's latitudes: found; the caller refuses it.
    const Encontrados polar = Geonames().Busca(QStringLiteral("Longyearbyen"), 1);
    ASSERT_EQ(polar.total, 1);
    EXPECT_GT(polar.poblados.front().latitud, 75.0);
}

TEST(Nomenclator, ParecidosPrimeroElMismoNombre) {
    // The name ignoring its narrowing part first, most populous first.
    const std::vector<Poblado> p = Geonames().Parecidos(QStringLiteral("Concepcion, Peru"), 8);
    ASSERT_GE(p.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(NombreComparable(p[std::size_t(k)].nombre), QStringLiteral("concepcion"))
            << p[std::size_t(k)].NombreCompleto().toStdString();
    }
    EXPECT_EQ(p[0].codigoPais, QStringLiteral("CL"));
    // One letter off.
    const std::vector<Poblado> v = Geonames().Parecidos(QStringLiteral("Valparaizo"), 8);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v[0].NombreCompleto(), QStringLiteral("Valparaíso, Región de Valparaíso, Chile"));
    EXPECT_TRUE(Geonames().Parecidos(QStringLiteral("Xqzwv"), 8).empty());
    EXPECT_TRUE(Geonames().Parecidos(QString(), 8).empty());
    EXPECT_EQ(Geonames().Parecidos(QStringLiteral("San"), 3).size(), 3u);
}

TEST(Nomenclator, BuscaTextoEnCualquierParteDelNombre) {
    const Encontrados cepci = Geonames().BuscaTexto(QStringLiteral("cepci"), 50);
    EXPECT_FALSE(cepci.completos);
    EXPECT_GE(cepci.total, 8);
    EXPECT_EQ(cepci.poblados.front().NombreCompleto(),
              QStringLiteral("Concepción, Región del Biobío, Chile"));
    // Whole names first, then the rest, each most populous first.
    const Encontrados valpa = Geonames().BuscaTexto(QStringLiteral("Valparaíso"), 50);
    EXPECT_TRUE(valpa.completos);
    ASSERT_GE(valpa.total, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(valpa.poblados[std::size_t(k)].nombre, QStringLiteral("Valparaíso"));
    }
    EXPECT_EQ(Geonames().BuscaTexto(QStringLiteral("Valparaíso, Chile"), 50).total, 1);
    // The limit bounds the towns given, not the count.
    const Encontrados san = Geonames().BuscaTexto(QStringLiteral("san"), 5);
    EXPECT_EQ(san.poblados.size(), 5u);
    EXPECT_GT(san.total, 500);
}

TEST(Nomenclator, SinCatalogoLosNombresEnIngles) {
    QString problema;
    const auto n = Nomenclator::Abre(BibliotecaGeonames, "/no/existe/geonames.mo", &problema);
    ASSERT_TRUE(n) << problema.toStdString();
    const Encontrados e = n->Busca(QStringLiteral("Tokyo"), 1);
    ASSERT_EQ(e.total, 1);
    EXPECT_EQ(e.poblados.front().nombre, QStringLiteral("Tokyo"));
    EXPECT_EQ(e.poblados.front().pais, QStringLiteral("Japan"));
    EXPECT_EQ(n->Busca(QStringLiteral("Tokio"), 1).total, 0);
}

TEST(Nomenclator, SinBibliotecaUnMotivoEnCastellano) {
    QString problema;
    EXPECT_FALSE(Nomenclator::Abre("libgeonames-que-no-existe.so.0", CatalogoGeonames, &problema));
    EXPECT_TRUE(problema.contains("instale el paquete libgeonames0")) << problema.toStdString();
    EXPECT_TRUE(problema.contains("libgeonames-que-no-existe.so.0")) << problema.toStdString();
    // A library that is not libgeonames.
    problema.clear();
    EXPECT_FALSE(Nomenclator::Abre("libz.so.1", CatalogoGeonames, &problema));
    EXPECT_TRUE(problema.contains("no es la biblioteca libgeonames esperada"))
        << problema.toStdString();
}

// ------------------------------------------- places of 1,000 people or more

// What the searches found before the places joined, still found, and what
// found nothing still finds nothing (but a place of the new ones).
TEST(Pueblos, LoDeAntesSigueIgual) {
    for (const char* texto :
         {"Concepción, XX", "Valparaiso, Indianapolis", "Xqzwv", "ontt", "", " , ", ", Chile"}) {
        EXPECT_EQ(Mundo().Busca(QString::fromUtf8(texto), 10).total, 0) << texto;
    }
    const Encontrados cepci = Mundo().BuscaTexto(QStringLiteral("cepci"), 50);
    EXPECT_GE(cepci.total, Geonames().BuscaTexto(QStringLiteral("cepci"), 0).total);
    EXPECT_EQ(cepci.poblados.front().NombreCompleto(),
              QStringLiteral("Concepción, Región del Biobío, Chile"));
    const std::vector<Poblado> v = Mundo().Parecidos(QStringLiteral("Valparaizo"), 8);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v[0].NombreCompleto(), QStringLiteral("Valparaíso, Región de Valparaíso, Chile"));
    EXPECT_TRUE(Mundo().Parecidos(QStringLiteral("Xqzwv"), 8).empty());
    // Every name of libgeonames found as before: counts of whole names
    // grow or stay, never shrink.
    EXPECT_GT(Mundo().NumPoblados(), 130000);
    EXPECT_EQ(Mundo().NumPobladosLibgeonames(), Geonames().NumPoblados());
    EXPECT_TRUE(Mundo().Aviso().isEmpty()) << Mundo().Aviso().toStdString();
}

struct CasoPueblo {
    const char* texto;
    const char* completo;  // NombreCompleto() of the place chosen
    const char* zona;
    bool libgeonames;  // the town is libgeonames' (its Spanish names, its zone)
};

void PrintTo(const CasoPueblo& c, std::ostream* os) { *os << '"' << c.texto << '"'; }

class Pueblo : public testing::TestWithParam<CasoPueblo> {};

TEST_P(Pueblo, SeHallaConSuRegionYSuZona) {
    const CasoPueblo& c = GetParam();
    const Encontrados e = Mundo().Busca(QString::fromUtf8(c.texto), 10);
    ASSERT_GE(e.total, 1);
    EXPECT_TRUE(e.completos);
    const Poblado& t = e.poblados.front();
    EXPECT_EQ(t.NombreCompleto(), QString::fromUtf8(c.completo));
    EXPECT_EQ(t.zona, c.zona);
    // The new places only in the joined gazetteer.
    EXPECT_EQ(Geonames().Busca(QString::fromUtf8(c.texto), 1).total > 0, c.libgeonames);
    // The zone a new place takes is the index's for its point.
    const std::optional<ZonaDeCoordenadas> z = ZonaEn(t.latitud, t.longitud);
    ASSERT_TRUE(z);
    if (!c.libgeonames) {
        EXPECT_EQ(t.zona, z->zona);
        EXPECT_EQ(t.nombre, t.nombreIngles);  // GeoNames' own name
    }
    for (std::size_t k = 1; k < e.poblados.size(); ++k) {
        EXPECT_GE(e.poblados[k - 1].habitantes, e.poblados[k].habitantes);
    }
}

const CasoPueblo casosPueblo[] = {
    // Easter Island: the Valparaíso Region, but its own zone.
    {"Hanga Roa", "Hanga Roa, Región de Valparaíso, Chile", "Pacific/Easter", false},
    {"hanga roa, chile", "Hanga Roa, Región de Valparaíso, Chile", "Pacific/Easter", false},
    {"Hanga Roa, Valparaíso", "Hanga Roa, Región de Valparaíso, Chile", "Pacific/Easter", false},
    {"HANGA ROA, CL", "Hanga Roa, Región de Valparaíso, Chile", "Pacific/Easter", false},
    // libgeonames' towns, with its names and zones (Aysén's own).
    {"Quellón", "Quellón, Región de Los Lagos, Chile", "America/Santiago", true},
    {"quellon", "Quellón, Región de Los Lagos, Chile", "America/Santiago", true},
    {"Puerto Aysén", "Puerto Aysén, Región Aysén del General Carlos Ibáñez del Campo, Chile",
     "America/Coyhaique", true},
    // The other Aysén villages: the boundaries' zone.
    {"Puerto Cisnes", "Puerto Cisnes, Región Aysén del General Carlos Ibáñez del Campo, Chile",
     "America/Coyhaique", false},
    {"Cochrane, Chile", "Cochrane, Región Aysén del General Carlos Ibáñez del Campo, Chile",
     "America/Coyhaique", false},
    {"Chile Chico", "Chile Chico, Región Aysén del General Carlos Ibáñez del Campo, Chile",
     "America/Coyhaique", false},
    // Magallanes.
    {"Porvenir, Chile", "Porvenir, Región de Magallanes y de la Antártica Chilena, Chile",
     "America/Punta_Arenas", false},
    // Narrowed by country: found now, nothing before.
    {"Concepción, Perú", "Concepción, Junín, Perú", "America/Lima", false},
};
INSTANTIATE_TEST_SUITE_P(Nomenclator, Pueblo, testing::ValuesIn(casosPueblo));

// A place in both lists is there once, as libgeonames has it; the file's
// namesakes follow it, most populous first.
TEST(Pueblos, LibgeonamesGanaYNoSeRepite) {
    const Encontrados g = Geonames().Busca(QStringLiteral("Valparaíso"), 50);
    const Encontrados e = Mundo().Busca(QStringLiteral("Valparaíso"), 50);
    ASSERT_GT(e.total, g.total);
    ASSERT_EQ(int(e.poblados.size()), e.total);
    // libgeonames' towns, all of 15,000 people or more, come first here.
    for (int k = 0; k < g.total; ++k) {
        EXPECT_EQ(e.poblados[std::size_t(k)].NombreCompleto(),
                  g.poblados[std::size_t(k)].NombreCompleto());
    }
    std::set<std::pair<long, long>> vistos;
    for (const Poblado& p : e.poblados) {
        EXPECT_TRUE(
            vistos.insert({std::lround(p.latitud * 100), std::lround(p.longitud * 100)}).second)
            << p.NombreCompleto().toStdString();
    }
    // Narrowed by region: the file's places of Colombia's Antioquia
    // (admin1 02), whose name libgeonames' towns there give.
    const Encontrados antioquia = Mundo().Busca(QStringLiteral("Valparaíso, Antioquia"), 5);
    ASSERT_EQ(antioquia.total, 1);
    EXPECT_EQ(antioquia.poblados.front().codigoPais, QStringLiteral("CO"));
    EXPECT_EQ(antioquia.poblados.front().zona, QStringLiteral("America/Bogota"));
    EXPECT_EQ(Mundo().Busca(QStringLiteral("Valparaíso, Colombia"), 5).total, 2);
    EXPECT_EQ(Mundo().Busca(QStringLiteral("Valparaíso, CO"), 5).total, 2);
}

// Many places share a name: ranked by population across both lists, whole
// names first, the count given whole and the list cut at the limit.
TEST(Pueblos, PorHabitantesEntreTodos) {
    const Encontrados g = Geonames().BuscaTexto(QStringLiteral("san pedro"), 0);
    const Encontrados e = Mundo().BuscaTexto(QStringLiteral("san pedro"), 1000);
    EXPECT_GT(e.total, g.total + 100);
    ASSERT_EQ(int(e.poblados.size()), e.total);
    auto entero = [](const Poblado& p) {
        return NombreComparable(p.nombre) == QStringLiteral("san pedro") ||
               NombreComparable(p.nombreIngles) == QStringLiteral("san pedro");
    };
    ASSERT_TRUE(entero(e.poblados.front()));
    int enteros = 0;
    for (std::size_t k = 0; k < e.poblados.size(); ++k) {
        const Poblado& p = e.poblados[k];
        if (k > 0 && entero(p) == entero(e.poblados[k - 1])) {
            EXPECT_GE(e.poblados[k - 1].habitantes, p.habitantes) << k;
        }
        if (entero(p)) {
            EXPECT_EQ(int(k), enteros++) << "a whole name after a part";
        }
    }
    EXPECT_GT(enteros, 20);
    // A smaller limit gives the first of the same list.
    const Encontrados diez = Mundo().BuscaTexto(QStringLiteral("san pedro"), 10);
    EXPECT_EQ(diez.total, e.total);
    ASSERT_EQ(diez.poblados.size(), 10u);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(diez.poblados[k].NombreCompleto(), e.poblados[k].NombreCompleto());
    }
    // Busca: the whole names alone, the same first ones.
    const Encontrados busca = Mundo().Busca(QStringLiteral("san pedro"), 10);
    EXPECT_EQ(busca.total, enteros);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(busca.poblados[k].NombreCompleto(), e.poblados[k].NombreCompleto());
    }
}

// A damaged or missing places file: libgeonames' towns alone, and a reason.
TEST(Pueblos, SinArchivoSanoSoloLibgeonames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile original(QStringLiteral(VESPALBA_POBLADOS_IDX));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    const QString truncado = dir.filePath("truncado.idx");
    const QString cambiado = dir.filePath("cambiado.idx");
    {
        QFile f(truncado);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.left(bytes.size() / 3));
        QFile g(cambiado);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        QByteArray b = bytes;
        // The first place's latitude (after the 48-byte header and its id),
        // far out of range.
        b[52] = char(0xff);
        b[53] = char(0xff);
        b[54] = char(0xff);
        b[55] = char(0x7f);
        g.write(b);
    }
    for (const QString& ruta : {truncado, cambiado, dir.filePath("no-existe.idx")}) {
        SCOPED_TRACE(ruta.toStdString());
        QString problema;
        const auto n = Nomenclator::Abre(BibliotecaGeonames, CatalogoGeonames, &problema, ruta);
        ASSERT_TRUE(n) << problema.toStdString();
        EXPECT_EQ(n->NumPoblados(), Geonames().NumPoblados());
        EXPECT_TRUE(n->Aviso().contains(ruta)) << n->Aviso().toStdString();
        EXPECT_TRUE(n->Aviso().contains("solo entre las ciudades de libgeonames"));
        EXPECT_EQ(n->Busca(QStringLiteral("Hanga Roa"), 5).total, 0);
        EXPECT_EQ(n->Busca(QStringLiteral("Concepción"), 5).total, 4);
        EXPECT_EQ(n->BuscaTexto(QStringLiteral("san"), 5).total,
                  Geonames().BuscaTexto(QStringLiteral("san"), 5).total);
    }
}

// ------------------------------------- libgeonames' zones against the index

// libgeonames' own records, read here with the library directly: the zone
// GeoNames gives each town, before the gazetteer's correction for Aysén.
struct Ciudad {
    std::string id, nombre, admin1, pais, zona;
    double latitud, longitud;
};
std::vector<Ciudad> CiudadesDeLibgeonames() {
    void* so = dlopen(BibliotecaGeonames, RTLD_NOW | RTLD_LOCAL);
    if (so == nullptr) {
        ADD_FAILURE() << "no libgeonames";
        return {};
    }
    const auto numero =
        reinterpret_cast<decltype(&geonames_get_n_cities)>(dlsym(so, "geonames_get_n_cities"));
    const auto ciudad =
        reinterpret_cast<decltype(&geonames_get_city)>(dlsym(so, "geonames_get_city"));
    const auto libera =
        reinterpret_cast<decltype(&geonames_city_free)>(dlsym(so, "geonames_city_free"));
    std::vector<Ciudad> ciudades;
    for (int i = 0; i < numero(); ++i) {
        GVariant* r = ciudad(i);
        const gchar *id, *nombre, *admin1, *region, *cc, *pais, *zona;
        guint32 habitantes;
        double lat, lon;
        g_variant_get(r, "(&s&s&s&s&s&s&sudd)", &id, &nombre, &admin1, &region, &cc, &pais, &zona,
                      &habitantes, &lat, &lon);
        ciudades.push_back({id, nombre, admin1, cc, zona, lat, lon});
        libera(r);
    }
    return ciudades;
}

// Every libgeonames town whose zone GeoNames gives: the index gives the
// same zone, but for the towns listed in tests/datos/zonas_libgeonames.txt
// with the index's zone, each explained there (Aysén's towns, which GeoNames
// puts in America/Santiago, predate America/Coyhaique; towns beside a
// boundary; zones since renamed or split in tzdata). The gazetteer gives
// the Aysén towns the index's zone too.
TEST(ZonasDeLibgeonames, LasDelIndiceSalvoLasExplicadas) {
    const std::vector<Ciudad> ciudades = CiudadesDeLibgeonames();
    ASSERT_GT(ciudades.size(), 20000u);
    std::map<std::string, std::string> distintas;  // "id nombre cc zona" -> zona del índice
    int conZona = 0;
    for (const Ciudad& c : ciudades) {
        if (c.zona.empty()) {
            continue;
        }
        ++conZona;
        const std::optional<ZonaDeCoordenadas> z = ZonaEn(c.latitud, c.longitud);
        ASSERT_TRUE(z) << c.nombre;
        if (z->zona.toStdString() != c.zona) {
            distintas[c.id + ' ' + c.pais + '.' + c.admin1 + ' ' + c.zona + ' ' + c.nombre] =
                z->zona.toStdString();
        }
        if (c.pais == "CL" && c.admin1 == "02") {
            EXPECT_EQ(z->zona, QStringLiteral("America/Coyhaique")) << c.nombre;
            EXPECT_EQ(
                Mundo().Busca(QString::fromStdString(c.nombre + ", CL"), 1).poblados.at(0).zona,
                z->zona)
                << c.nombre;
        }
    }
    EXPECT_GT(conZona, 20000);
    // The expected differences: "id CC.admin1 zone name -> index's zone",
    // after comments (#) and blank lines.
    QFile f(QStringLiteral(VESPALBA_DATOS "/zonas_libgeonames.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    std::map<std::string, std::string> esperadas;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString linea = in.readLine();
        if (linea.trimmed().isEmpty() || linea.startsWith('#')) {
            continue;
        }
        const qsizetype flecha = linea.lastIndexOf(QStringLiteral(" -> "));
        ASSERT_GT(flecha, 0) << linea.toStdString();
        esperadas[linea.left(flecha).toStdString()] = linea.mid(flecha + 4).toStdString();
    }
    for (const auto& [ciudad, zona] : distintas) {
        const auto it = esperadas.find(ciudad);
        EXPECT_TRUE(it != esperadas.end() && it->second == zona)
            << "unexplained: " << ciudad << " -> " << zona;
    }
    for (const auto& [ciudad, zona] : esperadas) {
        EXPECT_TRUE(distintas.count(ciudad) == 1) << "no longer differs: " << ciudad;
    }
    EXPECT_EQ(distintas.size(), esperadas.size());
}

// ---------------------------------------------------------- .mo catalogues

// A catalogue written as the GNU gettext manual describes it: magic,
// revision, N, offset of the originals' table, offset of the translations'
// table, hash size and offset (0), then the tables and the strings, every
// word in the given byte order.
std::string Catalogo(const std::vector<std::pair<std::string, std::string>>& mensajes,
                     bool invertido) {
    std::string d;
    auto palabra = [&](std::uint32_t v) {
        for (int b = 0; b < 4; ++b) {
            d.push_back(char(invertido ? (v >> (24 - 8 * b)) & 0xff : (v >> (8 * b)) & 0xff));
        }
    };
    const std::uint32_t n = std::uint32_t(mensajes.size());
    const std::uint32_t originales = 28, traducciones = 28 + 8 * n;
    std::uint32_t texto = 28 + 16 * n;
    palabra(0x950412deu);
    palabra(0);
    palabra(n);
    palabra(originales);
    palabra(traducciones);
    palabra(0);
    palabra(0);
    std::string cadenas;
    std::vector<std::uint32_t> tabla;
    for (const bool traduccion : {false, true}) {
        for (const auto& [o, t] : mensajes) {
            const std::string& s = traduccion ? t : o;
            palabra(std::uint32_t(s.size()));
            palabra(texto + std::uint32_t(cadenas.size()));
            cadenas += s;
            cadenas.push_back('\0');
        }
    }
    return d + cadenas;
}

TEST(CatalogoMo, AmbosOrdenesDeBytes) {
    const std::vector<std::pair<std::string, std::string>> mensajes = {
        {"", "Content-Type: text/plain; charset=UTF-8\n"},
        {"JP", "Japón"},
        {"CL.14", "Región de Los Lagos"},
        {std::string("casa\0casas", 10), std::string("maison\0maisons", 14)},
    };
    for (const bool invertido : {false, true}) {
        const std::string d = Catalogo(mensajes, invertido);
        const auto m = LeeCatalogoMo(d);
        ASSERT_EQ(m.size(), 4u) << invertido;
        EXPECT_EQ(m.at("JP"), "Japón");
        EXPECT_EQ(m.at("CL.14"), "Región de Los Lagos");
        EXPECT_EQ(m.at(std::string_view("casa\0casas", 10)), "maison");  // first form
        // Cut anywhere inside the tables or the strings: refused whole.
        for (std::size_t corte : {std::size_t(3), std::size_t(27), std::size_t(40), d.size() - 2}) {
            EXPECT_TRUE(LeeCatalogoMo(std::string_view(d).substr(0, corte)).empty()) << corte;
        }
        std::string malo = d;
        malo[0] ^= 1;  // magic
        EXPECT_TRUE(LeeCatalogoMo(malo).empty());
    }
    EXPECT_TRUE(LeeCatalogoMo({}).empty());
}

TEST(CatalogoMo, ElDeLibgeonames) {
    QFile f(QString::fromUtf8(CatalogoGeonames));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "libgeonames-common is not installed";
    const std::string d = f.readAll().toStdString();
    const auto m = LeeCatalogoMo(d);
    EXPECT_GT(m.size(), 4000u);
    EXPECT_EQ(m.at("JP"), "Japón");
    EXPECT_EQ(m.at("GB"), "Reino Unido");
    EXPECT_EQ(m.at("CL.14"), "Región de Los Lagos");
}

}  // namespace

// ------------------------------------------------------------------ regions

// Regions in Spanish: the gazetteer's own catalogue first, then GeoNames'
// Spanish names (datos/regiones.inc), then the English name without its
// English generic word.
TEST(Regiones, SinLaPalabraGenericaInglesa) {
    const std::pair<const char*, const char*> casos[] = {
        {"Tumbes Region", "Tumbes"},
        {"Lima region", "Lima"},
        {"Lima Province", "Lima"},
        {"Province of Buenos Aires", "Buenos Aires"},
        {"Region of Murcia", "Murcia"},
        {"Lagos State", "Lagos"},
        {"Madre de Dios Region", "Madre de Dios"},
        {"Northern Region", "Northern Region"},  // nothing but an adjective left
        {"Capital District", "Capital District"},
        {"Greater Accra Region", "Greater Accra"},
        {"Region", "Region"},  // nothing left at all
        {"Valparaíso", "Valparaíso"},
        {"  Ica Region ", "Ica"},
        {"", ""},
    };
    for (const auto& [ingles, esperado] : casos) {
        EXPECT_EQ(SinGenericoIngles(ingles), esperado) << ingles;
    }
    EXPECT_EQ(NombreDeRegion("PE.24", "", "Tumbes Region"), "Tumbes");
    EXPECT_EQ(NombreDeRegion("PE.02", "Departamento de Áncash", "Ancash Region"),
              "Departamento de Áncash");  // the catalogue's own first
    EXPECT_EQ(NombreDeRegion("ES.31", "", "Region of Murcia"), "Región de Murcia");
    EXPECT_EQ(RegionEnEspanol("XX.99"), "");
}

// Every line of the data file is found by its key: the table is sorted as
// the binary search needs, and each key has one name.
TEST(Regiones, CadaRegionDelArchivoSeHalla) {
    QFile f(QStringLiteral(VESPALBA_REGIONES_INC));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    int leidas = 0;
    std::set<std::string> claves;
    while (!f.atEnd()) {
        const QString linea = QString::fromUtf8(f.readLine()).trimmed();
        if (!linea.startsWith(QLatin1Char('{'))) continue;
        const QStringList partes = linea.split(QLatin1Char('"'));
        ASSERT_GE(partes.size(), 5) << linea.toStdString();
        const std::string clave = partes[1].toStdString(), nombre = partes[3].toStdString();
        EXPECT_TRUE(claves.insert(clave).second) << clave;
        EXPECT_EQ(RegionEnEspanol(clave), nombre) << clave;
        ++leidas;
    }
    EXPECT_GT(leidas, 700);
}

// The regions the data carry no Spanish name for (their English names, as
// the provenance file lists them): none keeps an English generic word at
// its end, but where only an adjective would be left.
TEST(Regiones, NingunaConPalabraGenericaAlFinal) {
    QFile f(QStringLiteral(VESPALBA_REGIONES_PROCEDENCIA));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    int vistas = 0, conservadas = 0;
    while (!f.atEnd()) {
        const QString linea = QString::fromUtf8(f.readLine()).trimmed();
        if (!linea.startsWith(QStringLiteral("- ")) || !linea.contains(QStringLiteral("): "))) {
            continue;
        }
        for (const QString& n :
             linea.section(QStringLiteral("): "), 1).split(QStringLiteral(", "))) {
            const std::string limpio = SinGenericoIngles(n.toStdString());
            ++vistas;
            const QString ultima = QString::fromStdString(limpio).section(QLatin1Char(' '), -1);
            if (QString::fromStdString(limpio) == n && n.contains(QLatin1Char(' ')) &&
                QStringList({"Region", "region", "Province", "Department", "Governorate",
                             "District", "State", "Oblast"})
                    .contains(ultima)) {
                ++conservadas;  // kept whole: an adjective before it
                const QString antes = n.section(QLatin1Char(' '), -2, -2).toLower();
                EXPECT_TRUE(
                    QStringList({"capital",   "federal",    "northern", "southern",     "eastern",
                                 "western",   "central",    "north",    "south",        "east",
                                 "west",      "upper",      "lower",    "greater",      "national",
                                 "coastal",   "autonomous", "special",  "metropolitan", "northwest",
                                 "northeast", "southwest"})
                        .contains(antes))
                    << n.toStdString();
            }
        }
    }
    EXPECT_GT(vistas, 3000);
    EXPECT_LT(conservadas, vistas / 20);
}

// The towns of the gazetteer show their regions in Spanish, or without the
// English word: Tumbes and Huacho, in Peru, whose regions libgeonames'
// catalogue does not translate.
TEST(Regiones, PueblosDelPeru) {
    const std::pair<const char*, const char*> casos[] = {
        {"Tumbes, Perú", "Tumbes"},
        {"Huacho, Perú", "Lima"},
    };
    for (const auto& [texto, region] : casos) {
        const Encontrados e = Geonames().Busca(QString::fromUtf8(texto), 1);
        ASSERT_FALSE(e.poblados.empty()) << texto;
        EXPECT_EQ(e.poblados.front().region, QString::fromUtf8(region)) << texto;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The world gazetteer on the installed libgeonames: names in Spanish or
// English without accents or case, narrowing by region, country or ISO code,
// several towns of one name, parts of names, close names, the Aysén zone, a
// missing library or catalogue; and the reading of .mo catalogues.
// Reference data: GeoNames' towns as libgeonames 0.3.0 carries them (the
// four Concepción, the three Valparaíso, Puerto Montt's "Port Montt").
#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <string>
#include <vector>

#include "places/catalogo_mo.h"
#include "places/nombres.h"
#include "places/nomenclator.h"

using namespace Vespalba;

namespace {

const Nomenclator& Mundo() {
    QString problema;
    const Nomenclator* n = Nomenclator::Mundial(&problema);
    if (n == nullptr) {
        ADD_FAILURE() << problema.toStdString();
        std::abort();
    }
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
    const Encontrados e = Mundo().Busca(QString::fromUtf8(c.texto), 10);
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
        const Encontrados e = Mundo().Busca(QString::fromUtf8(texto), 10);
        EXPECT_EQ(e.total, 0) << texto;
        EXPECT_TRUE(e.poblados.empty()) << texto;
    }
}

TEST(Nomenclator, CamposDeUnPoblado) {
    EXPECT_GT(Mundo().NumPoblados(), 20000);
    const Encontrados e = Mundo().Busca(QStringLiteral("Puerto Montt"), 1);
    ASSERT_EQ(e.total, 1);
    const Poblado& t = e.poblados.front();
    EXPECT_EQ(t.NombreCompleto(), QStringLiteral("Puerto Montt, Región de Los Lagos, Chile"));
    EXPECT_EQ(t.nombreIngles, QStringLiteral("Port Montt"));
    EXPECT_NEAR(t.latitud, -41.47, 0.01);   // north positive
    EXPECT_NEAR(t.longitud, -72.94, 0.01);  // east positive
    EXPECT_GT(t.habitantes, 100000u);
    // Beyond the computation's latitudes: found; the caller refuses it.
    const Encontrados polar = Mundo().Busca(QStringLiteral("Longyearbyen"), 1);
    ASSERT_EQ(polar.total, 1);
    EXPECT_GT(polar.poblados.front().latitud, 75.0);
}

TEST(Nomenclator, ParecidosPrimeroElMismoNombre) {
    // The name ignoring its narrowing part first, most populous first.
    const std::vector<Poblado> p = Mundo().Parecidos(QStringLiteral("Concepcion, Peru"), 8);
    ASSERT_GE(p.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(NombreComparable(p[std::size_t(k)].nombre), QStringLiteral("concepcion"))
            << p[std::size_t(k)].NombreCompleto().toStdString();
    }
    EXPECT_EQ(p[0].codigoPais, QStringLiteral("CL"));
    // One letter off.
    const std::vector<Poblado> v = Mundo().Parecidos(QStringLiteral("Valparaizo"), 8);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v[0].NombreCompleto(), QStringLiteral("Valparaíso, Región de Valparaíso, Chile"));
    EXPECT_TRUE(Mundo().Parecidos(QStringLiteral("Xqzwv"), 8).empty());
    EXPECT_TRUE(Mundo().Parecidos(QString(), 8).empty());
    EXPECT_EQ(Mundo().Parecidos(QStringLiteral("San"), 3).size(), 3u);
}

TEST(Nomenclator, BuscaTextoEnCualquierParteDelNombre) {
    const Encontrados cepci = Mundo().BuscaTexto(QStringLiteral("cepci"), 50);
    EXPECT_FALSE(cepci.completos);
    EXPECT_GE(cepci.total, 8);
    EXPECT_EQ(cepci.poblados.front().NombreCompleto(),
              QStringLiteral("Concepción, Región del Biobío, Chile"));
    // Whole names first, then the rest, each most populous first.
    const Encontrados valpa = Mundo().BuscaTexto(QStringLiteral("Valparaíso"), 50);
    EXPECT_TRUE(valpa.completos);
    ASSERT_GE(valpa.total, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(valpa.poblados[std::size_t(k)].nombre, QStringLiteral("Valparaíso"));
    }
    EXPECT_EQ(Mundo().BuscaTexto(QStringLiteral("Valparaíso, Chile"), 50).total, 1);
    // The limit bounds the towns given, not the count.
    const Encontrados san = Mundo().BuscaTexto(QStringLiteral("san"), 5);
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

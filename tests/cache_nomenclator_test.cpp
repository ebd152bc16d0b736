// SPDX-License-Identifier: GPL-3.0-or-later
// The gazetteer's cache (lugares/cache_nomenclator.h): written once and then
// read instead of libgeonames and of the whole check of the places file;
// the same answers either way; a damaged, truncated or stale cache, an
// unwritable folder, another library, another catalogue or another
// LD_LIBRARY_PATH: the answers of a gazetteer without a cache, no reason
// given, and the cache written again. The index of names' words against a
// pass over the names, and images of a few made-up towns read field by
// field.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "lugares/cache_nomenclator.h"
#include "lugares/nomenclator.h"
#include "lugares/poblados.h"

using namespace Vespalba;

namespace {

const QString kGeo = QStringLiteral("libgeonames.cache");
const QString kPob = QStringLiteral("poblados.cache");

// Everything a gazetteer answers for a table of names, as text.
std::string Resumen(const Nomenclator& n) {
    std::string r = "poblados " + std::to_string(n.NumPoblados()) + " libgeonames " +
                    std::to_string(n.NumPobladosLibgeonames()) + " aviso " +
                    n.Aviso().toStdString() + '\n';
    auto pon = [&](const Poblado& p) {
        r += "  " + p.NombreCompleto().toStdString() + " | " + p.nombreIngles.toStdString() +
             " | " + p.codigoPais.toStdString() + " | " + p.zona.toStdString() + " | " +
             std::to_string(p.latitud) + ' ' + std::to_string(p.longitud) + ' ' +
             std::to_string(p.habitantes) + '\n';
    };
    auto encontrados = [&](const char* que, const Encontrados& e) {
        r += std::string(que) + ' ' + std::to_string(e.total) + (e.completos ? " c\n" : " p\n");
        for (const Poblado& p : e.poblados) pon(p);
    };
    for (const char* texto : {"Concepción",
                              "concepcion, chile",
                              "Hanga Roa",
                              "Valparaíso, Antioquia",
                              "san pedro",
                              "Montt",
                              "puerto",
                              "Xqzwv",
                              "Tokio",
                              "London",
                              "Concepción, Perú",
                              "Coyhaique",
                              "Chile Chico",
                              "sa",
                              "z",
                              "ontt",
                              "",
                              ", Chile",
                              "Puerto Aisen",
                              "nueva york"}) {
        const QString t = QString::fromUtf8(texto);
        r += std::string("== ") + texto + '\n';
        encontrados("busca1", n.Busca(t, 1));
        encontrados("busca8", n.Busca(t, 8));
        encontrados("texto", n.BuscaTexto(t, 12));
    }
    for (const char* texto : {"Valparaizo", "Concepcion, Peru", "Xqzwv"}) {
        r += std::string("== parecidos ") + texto + '\n';
        for (const Poblado& p : n.Parecidos(QString::fromUtf8(texto), 8)) pon(p);
    }
    return r;
}

// The gazetteer without a cache: the reference every other one must match.
const std::string& Referencia() {
    static const std::string r = [] {
        QString problema;
        const auto n = Nomenclator::Abre(BibliotecaGeonames, CatalogoGeonames, &problema,
                                         QStringLiteral(VESPALBA_POBLADOS_IDX));
        if (!n) {
            ADD_FAILURE() << problema.toStdString();
            return std::string();
        }
        return Resumen(*n);
    }();
    return r;
}

std::unique_ptr<Nomenclator> ConCache(const QString& carpeta,
                                      const char* biblioteca = BibliotecaGeonames,
                                      const char* catalogo = CatalogoGeonames,
                                      const QString& poblados = VESPALBA_POBLADOS_IDX) {
    QString problema;
    auto n = Nomenclator::AbreConCache(biblioteca, catalogo, &problema, poblados, carpeta);
    EXPECT_TRUE(n) << problema.toStdString();
    EXPECT_TRUE(problema.isEmpty()) << problema.toStdString();
    return n;
}

std::string Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}
void Escribe(const QString& ruta, const std::string& bytes) {
    QFile::remove(ruta);
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
}

std::uint64_t U64(const std::string& b, std::size_t o) {
    std::uint64_t v = 0;
    std::memcpy(&v, b.data() + o, 8);
    return v;
}
void PonU64(std::string& b, std::size_t o, std::uint64_t v) { std::memcpy(b.data() + o, &v, 8); }
// Where the table of sections starts (the layout in cache_nomenclator.h).
std::size_t Tabla(const std::string& b) {
    std::uint32_t clave = 0;
    std::memcpy(&clave, b.data() + 24, 4);
    return 32 + ((std::size_t(clave) + 7) & ~std::size_t(7));
}

}  // namespace

// The first opening writes both files; the second reads them, loads no
// library and checks the places file no more; the same answers as a
// gazetteer without a cache, and the files left as they were.
TEST(CacheNomenclator, SeEscribeUnaVezYLuegoSeUsa) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString carpeta = dir.filePath("cache/vespalba");  // made when missing
    const auto primero = ConCache(carpeta);
    ASSERT_TRUE(primero);
    EXPECT_FALSE(primero->GeonamesDeLaCache());
    EXPECT_FALSE(primero->PobladosDeLaCache());
    ASSERT_TRUE(QFileInfo::exists(carpeta + '/' + kGeo));
    ASSERT_TRUE(QFileInfo::exists(carpeta + '/' + kPob));
    const std::optional<SelloArchivo> geo = SelloDeRuta(carpeta + '/' + kGeo);
    const std::optional<SelloArchivo> pob = SelloDeRuta(carpeta + '/' + kPob);
    const auto segundo = ConCache(carpeta);
    ASSERT_TRUE(segundo);
    EXPECT_TRUE(segundo->GeonamesDeLaCache());
    EXPECT_TRUE(segundo->PobladosDeLaCache());
    EXPECT_EQ(SelloDeRuta(carpeta + '/' + kGeo), geo);
    EXPECT_EQ(SelloDeRuta(carpeta + '/' + kPob), pob);
    EXPECT_EQ(Resumen(*primero), Referencia());
    EXPECT_EQ(Resumen(*segundo), Referencia());
    // No temporary files left behind.
    EXPECT_EQ(QDir(carpeta).entryList(QDir::Files).size(), 2);
}

// Damaged files, each ignored without a word: the same answers, and the
// file written again whole.
struct CasoDano {
    const char* nombre;
    bool poblados;  // poblados.cache rather than libgeonames.cache
    std::function<void(std::string&)> dana;
};
void PrintTo(const CasoDano& c, std::ostream* os) { *os << c.nombre; }

class CacheDanada : public testing::TestWithParam<CasoDano> {};

TEST_P(CacheDanada, SeIgnoraSinAvisoYSeRehace) {
    const CasoDano& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString carpeta = dir.path();
    ConCache(carpeta);
    const QString ruta = carpeta + '/' + (c.poblados ? kPob : kGeo);
    std::string bytes = Lee(ruta);
    ASSERT_GT(bytes.size(), 1000u);
    c.dana(bytes);
    Escribe(ruta, bytes);
    const auto n = ConCache(carpeta);
    ASSERT_TRUE(n);
    // The other file, whole, still read.
    EXPECT_EQ(n->GeonamesDeLaCache(), c.poblados);
    EXPECT_EQ(n->PobladosDeLaCache(), !c.poblados);
    EXPECT_EQ(Resumen(*n), Referencia());
    const auto otra = ConCache(carpeta);
    EXPECT_TRUE(otra->GeonamesDeLaCache());
    EXPECT_TRUE(otra->PobladosDeLaCache());
}

const CasoDano casosDano[] = {
    {"vacio", false, [](std::string& b) { b.clear(); }},
    {"truncado", false, [](std::string& b) { b.resize(b.size() / 2); }},
    {"solo_cabecera", false, [](std::string& b) { b.resize(40); }},
    {"un_byte_de_menos", false, [](std::string& b) { b.pop_back(); }},
    {"un_byte_de_mas", false, [](std::string& b) { b.push_back('\0'); }},
    {"magia", false, [](std::string& b) { b[0] ^= 1; }},
    {"hash", false, [](std::string& b) { b[Tabla(b) + 16 * 11] ^= 1; }},
    {"formato", false,
     [](std::string& b) {
         b[8] += 1;
         RehaceHashContenedorCache(b);
     }},
    {"clave_de_otra_version", false,
     [](std::string& b) {
         const std::size_t p = b.find("programa ");
         ASSERT_NE(p, std::string::npos);
         b[p + 9] = b[p + 9] == '9' ? '8' : '9';
         RehaceHashContenedorCache(b);
     }},
    {"seccion_fuera", false,
     [](std::string& b) {
         PonU64(b, Tabla(b) + 16 * 3, b.size() + 8);
         RehaceHashContenedorCache(b);
     }},
    {"seccion_desalineada", false,
     [](std::string& b) {
         PonU64(b, Tabla(b), U64(b, Tabla(b)) + 1);
         RehaceHashContenedorCache(b);
     }},
    {"seccion_mas_larga", false,
     [](std::string& b) {
         const std::size_t t = Tabla(b) + 16 * 10 + 8;  // the last section
         PonU64(b, t, U64(b, t) + 16);
         RehaceHashContenedorCache(b);
     }},
    {"fichas_de_otro_largo", false,
     [](std::string& b) {
         const std::size_t t = Tabla(b) + 16 * 1 + 8;
         PonU64(b, t, U64(b, t) - 8);
         RehaceHashContenedorCache(b);
     }},
    {"basura", false,
     [](std::string& b) {
         std::mt19937 azar(7);
         for (char& c : b) c = char(azar());
     }},
    {"poblados_truncado", true, [](std::string& b) { b.resize(b.size() - 100); }},
    {"poblados_magia", true, [](std::string& b) { b[3] ^= 0x20; }},
    {"poblados_clave", true,
     [](std::string& b) {
         const std::size_t p = b.find("ruta ");
         ASSERT_NE(p, std::string::npos);
         b[p + 6] ^= 1;
         RehaceHashContenedorCache(b);
     }},
    {"poblados_sello_de_otro_archivo", true,
     [](std::string& b) {
         const std::size_t sello = Tabla(b) + 16 * 2 + 8;  // the first section
         b[sello + 8] ^= 1;                                // the inode
     }},
    {"poblados_indice_de_otro_largo", true,
     [](std::string& b) {
         const std::size_t t = Tabla(b) + 16 * 1 + 8;
         PonU64(b, t, U64(b, t) + 4096);
         RehaceHashContenedorCache(b);
     }},
};
INSTANTIATE_TEST_SUITE_P(Casos, CacheDanada, testing::ValuesIn(casosDano),
                         [](const testing::TestParamInfo<CasoDano>& i) { return i.param.nombre; });

// Sections whose header is whole but whose contents are garbage (the
// places' stamp and the texts' final NUL kept, which are checked): no
// check sees it (that would cost a pass over them), but no read leaves the
// file and no search runs on.
TEST(CacheNomenclator, ContenidoDanadoNoSeCaeNiSeCuelga) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString carpeta = dir.path();
    ConCache(carpeta);
    for (const QString& nombre : {kGeo, kPob}) {
        for (const int semilla : {1, 2, 3}) {
            std::string b = Lee(carpeta + '/' + nombre);
            // From the first section (texts) or the second (after the stamp).
            const std::size_t datos = U64(b, Tabla(b) + (nombre == kGeo ? 0 : 16));
            std::mt19937 azar{unsigned(semilla)};
            for (std::size_t i = datos; i < b.size(); ++i) {
                // Some bytes, or all of them.
                if (semilla == 3 || azar() % 64 == 0) b[i] = char(azar());
            }
            if (nombre == kGeo) {
                b[U64(b, Tabla(b)) + U64(b, Tabla(b) + 8) - 1] = '\0';
            }
            const std::string original = Lee(carpeta + '/' + nombre);
            Escribe(carpeta + '/' + nombre, b);
            const auto n = ConCache(carpeta);
            ASSERT_TRUE(n);
            EXPECT_TRUE(nombre == kGeo ? n->GeonamesDeLaCache() : n->PobladosDeLaCache());
            const std::string r = Resumen(*n);
            EXPECT_FALSE(r.empty());
            Escribe(carpeta + '/' + nombre, original);
        }
    }
}

// A folder that cannot be made: no cache, the same answers, no reason.
TEST(CacheNomenclator, CarpetaNoEscribible) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Escribe(dir.filePath("archivo"), "no es una carpeta");
    const QString carpeta = dir.filePath("archivo/vespalba");
    for (int vez = 0; vez < 2; ++vez) {
        const auto n = ConCache(carpeta);
        ASSERT_TRUE(n);
        EXPECT_FALSE(n->GeonamesDeLaCache());
        EXPECT_FALSE(n->PobladosDeLaCache());
        EXPECT_EQ(Resumen(*n), Referencia());
    }
    // A home that does not exist is not made.
    {
        const auto n = ConCache(dir.filePath("no-existe/.cache/vespalba"));
        ASSERT_TRUE(n);
        EXPECT_FALSE(n->GeonamesDeLaCache());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("no-existe")));
    }
    // A folder in the place of the file: not read, not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkpath("otra/" + kGeo));
    const auto n = ConCache(dir.filePath("otra"));
    ASSERT_TRUE(n);
    EXPECT_FALSE(n->GeonamesDeLaCache());
    EXPECT_TRUE(QFileInfo(dir.filePath("otra/") + kGeo).isDir());
    EXPECT_EQ(Resumen(*n), Referencia());
}

// The key: another library file (a copy, then the copy changed), another
// catalogue, another LD_LIBRARY_PATH, another places file: made again,
// then read.
TEST(CacheNomenclator, OtraBibliotecaOtroCatalogoSeRehace) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString carpeta = dir.filePath("cache");
    ASSERT_TRUE(ConCache(carpeta));
    ASSERT_TRUE(ConCache(carpeta)->GeonamesDeLaCache());

    // libgeonames found where dlopen finds it, copied by its path.
    const QString original =
        QFileInfo(QStringLiteral("/usr/lib/x86_64-linux-gnu/libgeonames.so.0")).canonicalFilePath();
    ASSERT_FALSE(original.isEmpty());
    const QString copia = dir.filePath("libgeonames.so.0");
    ASSERT_TRUE(QFile::copy(original, copia));
    const QByteArray rutaCopia = QFile::encodeName(copia);
    {
        const auto n = ConCache(carpeta, rutaCopia.constData());
        EXPECT_FALSE(n->GeonamesDeLaCache());
        EXPECT_EQ(Resumen(*n), Referencia());
    }
    EXPECT_FALSE(ConCache(carpeta)->GeonamesDeLaCache());  // the other key was written
    EXPECT_TRUE(ConCache(carpeta)->GeonamesDeLaCache());
    EXPECT_FALSE(ConCache(carpeta, rutaCopia.constData())->GeonamesDeLaCache());
    EXPECT_TRUE(ConCache(carpeta, rutaCopia.constData())->GeonamesDeLaCache());
    // The same path, the file changed (its times): another key.
    {
        QFile f(copia);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                  QFileDevice::FileModificationTime));
    }
    EXPECT_FALSE(ConCache(carpeta, rutaCopia.constData())->GeonamesDeLaCache());
    EXPECT_TRUE(ConCache(carpeta, rutaCopia.constData())->GeonamesDeLaCache());

    // Another catalogue: the names in English, not the cached Spanish ones.
    {
        const auto ingles = ConCache(carpeta, BibliotecaGeonames, "/no/existe/geonames.mo");
        EXPECT_FALSE(ingles->GeonamesDeLaCache());
        EXPECT_EQ(ingles->Busca(QStringLiteral("Tokyo"), 1).poblados.at(0).nombre, "Tokyo");
        EXPECT_EQ(ingles->Busca(QStringLiteral("Tokio"), 1).total, 0);
    }
    const auto espanol = ConCache(carpeta);
    EXPECT_FALSE(espanol->GeonamesDeLaCache());
    EXPECT_EQ(espanol->Busca(QStringLiteral("Tokio"), 1).poblados.at(0).nombre, "Tokio");

    // LD_LIBRARY_PATH is part of the key (dlopen looks there first).
    ASSERT_TRUE(ConCache(carpeta)->GeonamesDeLaCache());
    const QByteArray antes = qgetenv("LD_LIBRARY_PATH");
    qputenv("LD_LIBRARY_PATH", QFile::encodeName(dir.path()));
    EXPECT_FALSE(ConCache(carpeta)->GeonamesDeLaCache());
    EXPECT_TRUE(ConCache(carpeta)->GeonamesDeLaCache());
    if (antes.isEmpty()) {
        qunsetenv("LD_LIBRARY_PATH");
    } else {
        qputenv("LD_LIBRARY_PATH", antes);
    }
    EXPECT_FALSE(ConCache(carpeta)->GeonamesDeLaCache());

    // Another places file (a copy): checked whole, then trusted.
    const QString pueblos = dir.filePath("poblados.idx");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VESPALBA_POBLADOS_IDX), pueblos));
    EXPECT_FALSE(
        ConCache(carpeta, BibliotecaGeonames, CatalogoGeonames, pueblos)->PobladosDeLaCache());
    EXPECT_TRUE(
        ConCache(carpeta, BibliotecaGeonames, CatalogoGeonames, pueblos)->PobladosDeLaCache());
    // The copy damaged in place: its stamp changed, so checked whole again
    // and refused with the reason of a gazetteer without a cache.
    {
        QFile f(pueblos);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(52));
        f.write(QByteArray("\xff\xff\xff\x7f", 4));  // the first place's latitude
    }
    const auto danado = ConCache(carpeta, BibliotecaGeonames, CatalogoGeonames, pueblos);
    EXPECT_FALSE(danado->PobladosDeLaCache());
    EXPECT_TRUE(danado->Aviso().contains("archivo de poblados dañado (registros)"))
        << danado->Aviso().toStdString();
    QString problema;
    const auto sinCache =
        Nomenclator::Abre(BibliotecaGeonames, CatalogoGeonames, &problema, pueblos);
    EXPECT_EQ(danado->Aviso(), sinCache->Aviso());
}

// CarpetaCacheNomenclator: XDG_CACHE_HOME when absolute, else ~/.cache.
TEST(CacheNomenclator, CarpetaDelUsuario) {
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME"), casa = qgetenv("HOME");
    qputenv("XDG_CACHE_HOME", "/tmp/cache-de-prueba");
    EXPECT_EQ(CarpetaCacheNomenclator(), "/tmp/cache-de-prueba/vespalba");
    qputenv("XDG_CACHE_HOME", "relativa");
    qputenv("HOME", "/home/alguien");
    EXPECT_EQ(CarpetaCacheNomenclator(), "/home/alguien/.cache/vespalba");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(CarpetaCacheNomenclator(), "/home/alguien/.cache/vespalba");
    qputenv("HOME", "");
    EXPECT_EQ(CarpetaCacheNomenclator(), QString());
    xdg.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", xdg);
    casa.isNull() ? qunsetenv("HOME") : qputenv("HOME", casa);
}

// ------------------------------------------------- index of names' words

// Every name where a text starts a word, as a pass over the block finds
// them.
TEST(IndicePalabras, IgualQueRecorrerLosNombres) {
    const std::vector<std::string> nombres = {"puerto montt", "montt",       "san pedro de la paz",
                                              "la paz",       "san pedro",   "pedro",
                                              "sa",           "san san",     "a b a",
                                              "puerto",       "montt montt", "zz",
                                              "la la la",     "paz",         "san pedro"};
    std::string bloque = "\n";
    std::vector<std::uint32_t> inicios;
    for (const std::string& n : nombres) {
        inicios.push_back(std::uint32_t(bloque.size()));
        bloque += n + '\n';
    }
    const std::string indice = IndicePalabras(bloque, inicios);
    for (const char* q : {"montt",  "pedro", "san", "san pedro",   "sa", "s",  "a",   "paz",
                          "la paz", "la la", "p",   "puerto m",    "z",  "zz", "zzz", "ontt",
                          "a b a",  "b",     "x",   "montt montt", "n"}) {
        std::vector<NombreHallado> esperados;
        for (std::size_t k = 0; k < nombres.size(); ++k) {
            const std::string& n = nombres[k];
            bool halla = false;
            for (std::size_t p = 0; p < n.size(); ++p) {
                if ((p == 0 || n[p - 1] == ' ') && n.compare(p, std::strlen(q), q) == 0) {
                    halla = true;
                }
            }
            if (halla) {
                esperados.push_back({std::uint32_t(k), n == q});
            }
        }
        std::vector<NombreHallado> hallados;
        BuscaPalabras(bloque, indice, nombres.size(), q, hallados);
        ASSERT_EQ(hallados.size(), esperados.size()) << q;
        for (std::size_t i = 0; i < hallados.size(); ++i) {
            EXPECT_EQ(hallados[i].nombre, esperados[i].nombre) << q;
            EXPECT_EQ(hallados[i].completo, esperados[i].completo) << q;
        }
    }
    // Any bytes as an index: read safely, and only names that hold the text.
    std::mt19937 azar(11);
    for (int vez = 0; vez < 200; ++vez) {
        std::string basura(std::size_t(azar() % 400), '\0');
        for (char& c : basura) c = char(azar() % 3 == 0 ? azar() % 90 : azar());
        std::vector<NombreHallado> hallados;
        BuscaPalabras(bloque, basura, nombres.size(), "pa", hallados);
        for (const NombreHallado& h : hallados) {
            EXPECT_LT(h.nombre, nombres.size());
        }
    }
}

// An image of made-up towns, read back field by field.
TEST(ImagenGeonames, CamposRegionesYCatalogo) {
    const std::vector<CiudadGeonames> ciudades = {
        {"30", "Port Montt", "14", "Los Lagos", "CL", "Chile", "America/Santiago", 200000, -41.5,
         -72.9},
        {"10", "Osorno", "14", "Los Lagos Region", "CL", "Chile", "America/Santiago", 150000, -40.6,
         -73.1},
        {"20", "Tokyo", "40", "Tokyo", "JP", "Japan", "Asia/Tokyo", 9000000, 35.7, 139.7},
    };
    const std::unordered_map<std::string_view, std::string_view> es = {
        {"30", "Puerto Montt"}, {"20", "Tokio"}, {"JP", "Japón"}, {"CL.14", ""}};
    const std::string bytes = ImagenGeonames::Construye(ciudades, es, "clave");
    EXPECT_FALSE(ImagenGeonames::Lee(bytes, "otra clave"));
    const std::optional<ImagenGeonames> g = ImagenGeonames::Lee(bytes, "clave");
    ASSERT_TRUE(g);
    ASSERT_EQ(g->NumCiudades(), 3);
    const ImagenGeonames::Ficha f = g->Ciudad(0);
    EXPECT_EQ(f.id, "30");
    EXPECT_EQ(f.nombre, "Port Montt");
    EXPECT_EQ(f.admin1, "14");
    EXPECT_EQ(f.region, "Los Lagos");
    EXPECT_EQ(f.codigoPais, "CL");
    EXPECT_EQ(f.pais, "Chile");
    EXPECT_EQ(f.zona, "America/Santiago");
    EXPECT_EQ(f.habitantes, 200000u);
    EXPECT_EQ(f.latitud, -41.5);
    EXPECT_EQ(f.longitud, -72.9);
    EXPECT_EQ(g->Habitantes(2), 9000000u);
    EXPECT_EQ(g->Ciudad(3).nombre, "");  // out of range: empty
    EXPECT_EQ(g->Habitantes(-1), 0u);
    // English and Spanish reduced names, the Spanish one where it differs.
    EXPECT_EQ(g->Plegados(), "\nport montt\npuerto montt\nosorno\ntokyo\ntokio\n");
    EXPECT_EQ(g->NumNombres(), 5);
    EXPECT_EQ(g->Dueno(1), 0);
    EXPECT_EQ(g->Dueno(4), 2);
    EXPECT_EQ(g->Dueno(5), -1);
    // Ids in order; the first town of each region and country.
    EXPECT_EQ(g->IdOrdenado(0), 10u);
    EXPECT_TRUE(g->TieneId(20));
    EXPECT_FALSE(g->TieneId(25));
    EXPECT_EQ(g->CiudadDeRegion("CL.14"), 0);
    EXPECT_EQ(g->CiudadDeRegion("JP.40"), 2);
    EXPECT_EQ(g->CiudadDeRegion("CL.1"), -1);
    EXPECT_EQ(g->CiudadDePais("CL"), 0);
    EXPECT_EQ(g->CiudadDePais("AR"), -1);
    EXPECT_EQ(g->Catalogo("JP"), std::optional<std::string_view>("Japón"));
    EXPECT_EQ(g->Catalogo("CL.14"), std::optional<std::string_view>(""));
    EXPECT_FALSE(g->Catalogo("CL"));
    std::vector<NombreHallado> h;
    BuscaPalabras(g->Plegados(), g->IndicePalabras(), std::size_t(g->NumNombres()), "montt", h);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].nombre, 0u);
    EXPECT_EQ(h[1].nombre, 1u);
    // Any prefix of the image is refused.
    for (std::size_t corte = 0; corte < bytes.size(); corte += 7) {
        EXPECT_FALSE(ImagenGeonames::Lee(std::string_view(bytes).substr(0, corte), "clave"));
    }
}

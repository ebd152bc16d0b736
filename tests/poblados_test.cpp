// SPDX-License-Identifier: GPL-3.0-or-later
// The file of GeoNames' places of 1,000 people or more
// (lugares/datos/poblados.idx): its places as lugares/datos/poblados.py wrote
// them, every reduced name as NombreComparable reduces the name, and
// damaged files refused whole with a reason, never read past their end.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "lugares/nombres.h"
#include "lugares/poblados.h"

using namespace Vespalba;

namespace {

std::string Bytes() {
    QFile f(QStringLiteral(VESPALBA_POBLADOS_IDX));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << VESPALBA_POBLADOS_IDX;
        return {};
    }
    return f.readAll().toStdString();
}

const ArchivoPoblados& Archivo() {
    static const std::unique_ptr<ArchivoPoblados> archivo = [] {
        QString problema;
        auto a = ArchivoPoblados::Abre(QStringLiteral(VESPALBA_POBLADOS_IDX), &problema);
        if (!a) {
            ADD_FAILURE() << problema.toStdString();
            std::abort();
        }
        return a;
    }();
    return *archivo;
}

std::uint32_t U32(const std::string& d, std::size_t pos) {
    std::uint32_t v;
    std::memcpy(&v, d.data() + pos, 4);
    return v;  // the tests run on little-endian machines, as the file is
}
void PonU32(std::string& d, std::size_t pos, std::uint32_t v) { std::memcpy(&d[pos], &v, 4); }

TEST(ArchivoPoblados, LosLugaresDeGeoNames) {
    const ArchivoPoblados& a = Archivo();
    EXPECT_GT(a.NumPoblados(), 130000);
    // GeoNames' ids, increasing: the search by id finds each.
    for (int i : {0, 1, a.NumPoblados() / 2, a.NumPoblados() - 1}) {
        EXPECT_EQ(a.BuscaId(a.Id(i)), i);
        if (i > 0) {
            EXPECT_LT(a.Id(i - 1), a.Id(i));
        }
    }
    EXPECT_EQ(a.BuscaId(0), -1);
    // Hanga Roa, Easter Island: geonameid 4030754, region 01 (Valparaíso).
    const int i = a.BuscaId(4030754);
    ASSERT_GE(i, 0);
    const ArchivoPoblados::Registro r = a.Poblado(i);
    EXPECT_EQ(r.nombre, "Hanga Roa");
    EXPECT_EQ(r.codigoPais, "CL");
    EXPECT_EQ(r.region, "01");
    EXPECT_NEAR(r.latitud, -27.1525, 1e-4);
    EXPECT_NEAR(r.longitud, -109.4244, 1e-4);  // east positive
    EXPECT_EQ(r.habitantes, 3304u);
    EXPECT_EQ(a.Habitantes(i), r.habitantes);
    EXPECT_EQ(a.Plegado(i), "hanga roa");
    const ArchivoPoblados::Region region = a.RegionNumero(r.indiceRegion);
    EXPECT_EQ(region.codigoPais, "CL");
    EXPECT_EQ(region.codigo, "01");
}

// The script reduces the names in Python; the searches reduce what is typed
// with NombreComparable. Every name must come out the same.
TEST(ArchivoPoblados, NombresReducidosComoNombreComparable) {
    const ArchivoPoblados& a = Archivo();
    int distintos = 0;
    for (int i = 0; i < a.NumPoblados(); ++i) {
        const ArchivoPoblados::Registro r = a.Poblado(i);
        const std::string esperado = NombreComparable(r.nombre);
        if (a.Plegado(i) != esperado && ++distintos <= 10) {
            ADD_FAILURE() << r.id << " «" << r.nombre << "»: «" << a.Plegado(i)
                          << "», se esperaba «" << esperado << "»";
        }
        // The layout: each name after a "\n" and before the next.
        const std::string_view bloque = a.Plegados();
        const std::size_t inicio = a.Inicios()[std::size_t(i)];
        ASSERT_EQ(bloque[inicio - 1], '\n');
        ASSERT_EQ(bloque[inicio + a.Plegado(i).size()], '\n');
    }
    EXPECT_EQ(distintos, 0);
}

// A damage done to the repository's file, and the part of the reason given.
struct Dano {
    const char* nombre;
    std::function<void(std::string&)> hace;
    const char* motivo;
};

TEST(ArchivoPoblados, UnArchivoDanadoSeRechazaEntero) {
    const std::string sano = Bytes();
    ASSERT_GT(sano.size(), 48u);
    const std::size_t registros = U32(sano, 12), tablaRegiones = U32(sano, 20);
    const std::size_t textos = U32(sano, 24), largoTextos = U32(sano, 28);
    const std::size_t plegados = U32(sano, 32);
    const Dano danos[] = {
        {"vacío", [](std::string& d) { d.clear(); }, "no es un archivo de poblados"},
        {"media cabecera", [](std::string& d) { d.resize(30); }, "no es un archivo de poblados"},
        {"otra firma", [](std::string& d) { d[0] = 'X'; }, "no es un archivo de poblados"},
        {"truncado a la mitad", [](std::string& d) { d.resize(d.size() / 2); }, "truncado"},
        {"truncado en un byte", [](std::string& d) { d.pop_back(); }, "truncado"},
        {"un byte de más", [](std::string& d) { d.push_back('\n'); }, "truncado"},
        {"más lugares que registros", [](std::string& d) { PonU32(d, 8, U32(d, 8) + 1000000); },
         "secciones"},
        {"registros fuera del archivo", [](std::string& d) { PonU32(d, 12, 0xfffffff0u); },
         "secciones"},
        {"regiones de más", [](std::string& d) { PonU32(d, 16, 0x20000); }, "secciones"},
        {"textos más largos que el archivo", [](std::string& d) { PonU32(d, 28, 0x7fffffff); },
         "secciones"},
        {"sin el último NUL de los textos",
         [&](std::string& d) { d[textos + largoTextos - 1] = 'x'; }, "secciones"},
        {"región que no es un país", [&](std::string& d) { d[tablaRegiones] = '1'; }, "regiones"},
        {"código de región fuera de los textos",
         [&](std::string& d) { PonU32(d, tablaRegiones + 4, 0xffffff00u); }, "regiones"},
        {"un nombre reducido vacío", [&](std::string& d) { d[plegados + 1] = '\n'; },
         "nombres reducidos"},
        {"un nombre reducido de menos",
         [&](std::string& d) {
             const std::size_t fin = d.find('\n', plegados + 1);
             d[fin] = ' ';
         },
         "nombres reducidos"},
        {"sin el \\n inicial", [&](std::string& d) { d[plegados] = 'a'; }, "nombres reducidos"},
        {"sin el \\n final", [](std::string& d) { d.back() = 'a'; }, "nombres reducidos"},
        {"ids fuera de orden",
         [&](std::string& d) { PonU32(d, registros + 24, U32(d, registros)); }, "registros"},
        {"latitud de 91 grados", [&](std::string& d) { PonU32(d, registros + 4, 9100000u); },
         "registros"},
        {"longitud de -181 grados",
         [&](std::string& d) { PonU32(d, registros + 8, std::uint32_t(-18100000)); }, "registros"},
        {"nombre fuera de los textos",
         [&](std::string& d) { PonU32(d, registros + 16, std::uint32_t(largoTextos)); },
         "registros"},
        {"región que no existe", [&](std::string& d) { d[registros + 21] = char(0xff); },
         "registros"},
    };
    ASSERT_TRUE(ArchivoPoblados::Lee(sano, nullptr)) << "the file as it is";
    for (const Dano& dano : danos) {
        SCOPED_TRACE(dano.nombre);
        std::string d = sano;
        dano.hace(d);
        QString problema;
        EXPECT_FALSE(ArchivoPoblados::Lee(d, &problema));
        EXPECT_TRUE(problema.contains(QString::fromUtf8(dano.motivo))) << problema.toStdString();
    }
}

TEST(ArchivoPoblados, UnArchivoQueNoEstaONoSeLee) {
    QString problema;
    EXPECT_FALSE(ArchivoPoblados::Abre(QStringLiteral("/no/existe/poblados.idx"), &problema));
    EXPECT_TRUE(problema.startsWith("/no/existe/poblados.idx: ")) << problema.toStdString();
    problema.clear();
    EXPECT_FALSE(ArchivoPoblados::Abre(QStringLiteral("/"), &problema));
    EXPECT_FALSE(problema.isEmpty());
    // A text file.
    problema.clear();
    EXPECT_FALSE(ArchivoPoblados::Abre(QStringLiteral(VESPALBA_FUENTE "/README.md"), &problema));
    EXPECT_TRUE(problema.contains("no es un archivo de poblados")) << problema.toStdString();
}

// Run by the test poblados_instalado: this program copied to
// DIR/bin and the file to DIR/share/vespalba, as installed.
TEST(ArchivoPoblados, DISABLED_ElArchivoInstalado) {
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("VESPALBA_POBLADOS"));
    const QString instalado = qEnvironmentVariable("VESPALBA_POBLADOS_INSTALADO");
    ASSERT_FALSE(instalado.isEmpty());
    EXPECT_EQ(QFileInfo(ArchivoPoblados::RutaDelPrograma()).canonicalFilePath(),
              QFileInfo(instalado).canonicalFilePath());
}

}  // namespace

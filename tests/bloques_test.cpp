// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla block by block: a long range computed on several threads in
// blocks of days, and written as the blocks are done, must give byte for byte
// what the format's writer gives over the whole range computed on one
// thread, in every format, however the range is split; and so must the
// program over 1980-2040.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "salidas/formatos.h"
#include "salidas/salida.h"
#include "tabla/orden.h"

using namespace Vespalba::Tabla;
using namespace Vespalba::Salidas;

namespace {

Vespalba::Tabla::Peticion PeticionDe(const QStringList& argumentos, const FormatoSalida& formato) {
    const Orden o = LeeOrden(QStringList{"vespalba-tabla"} + argumentos, {});
    EXPECT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
    Vespalba::Tabla::Peticion p = o.peticion;
    p.formato = &formato;
    return p;
}

// The whole range on the calling thread, with the format's own writer.
// The days computed as the program computes them for the format (with the
// golden and blue hours where it shows them), on one thread.
QByteArray UnHilo(const Vespalba::Tabla::Peticion& p) {
    return p.formato->escribe(p, CalculaDias(ConsultaDeDias(p)));
}

// The ranges split: six years near the pole at a fixed offset (summers of
// "Siempre Brillante.", winters of "Bajo horizonte" and dawns in the frame
// colour, so the table's columns are wider in some blocks than in others;
// longer than the text table keeps from its first pass), and two shorter
// ones in civil time, which the text table keeps: clock changes with their
// notes, and the date Samoa skipped.
struct Rango {
    const char* que;
    QStringList argumentos;
    qsizetype dias;
};

const Rango rangos[] = {
    {"six polar years",
     {"--lat", "69:30N", "--lon", "18:57E", "--zona", "1", "--desde", "1980-01-01", "--hasta",
      "1985-12-31"},
     2192},
    {"fourteen months in Tromso's civil time",
     {"--lat", "69:39N", "--lon", "18:57E", "--tz", "Europe/Oslo", "--desde", "2003-11-01",
      "--hasta", "2004-12-31"},
     427},
    {"the year Samoa skipped a date",
     {"--lat", "13:50S", "--lon", "171:45W", "--tz", "Pacific/Apia", "--desde", "2011-06-01",
      "--hasta", "2012-05-31"},
     366},
};

struct Division {
    const char* que;
    Reparto reparto;
};

void PrintTo(const Division& d, std::ostream* os) { *os << d.que; }

const Division divisiones[] = {
    {"as the program splits it", {0, 0, 0}},
    {"weeks on two threads", {0, 2, 7}},
    {"months of 31 days on three threads", {0, 3, 31}},
    {"one day per block on four threads", {0, 4, 1}},
    {"one block larger than the range", {0, 2, 5000}},
};

class PorBloques : public testing::TestWithParam<Division> {};

TEST_P(PorBloques, IgualQueEnUnHiloEnCadaFormato) {
    for (const Rango& r : rangos) {
        for (const FormatoSalida& f : Formatos()) {
            if (!EsTexto(f)) continue;  // drawings are not written block by block
            SCOPED_TRACE(std::string(r.que) + ", " + f.nombre);
            const Vespalba::Tabla::Peticion p = PeticionDe(r.argumentos, f);
            const QByteArray esperado = UnHilo(p);
            ASSERT_GE(esperado.count('\n'), r.dias);
            std::vector<QByteArray> piezas;
            const bool escrito = EscribePorPartes(
                p,
                [&](const QByteArray& pieza) {
                    piezas.push_back(pieza);
                    return true;
                },
                GetParam().reparto);
            EXPECT_TRUE(escrito);
            QByteArray junto;
            for (const QByteArray& pieza : piezas) {
                junto += pieza;
            }
            EXPECT_EQ(junto, esperado);
            // Streamed: no piece holds the whole range (except the block
            // larger than it).
            if (GetParam().reparto.diasPorBloque != 5000) {
                EXPECT_GT(piezas.size(), 4u);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Divisiones, PorBloques, testing::ValuesIn(divisiones));

// A sink that refuses a piece ends the computation: nothing more is handed
// to it, and the refusal is reported.
TEST(PorBloques, UnaPiezaRechazadaTerminaElCalculo) {
    for (const FormatoSalida& f : Formatos()) {
        if (!EsTexto(f)) continue;
        SCOPED_TRACE(f.nombre);
        const Vespalba::Tabla::Peticion p = PeticionDe(rangos[0].argumentos, f);
        int recibidas = 0;
        const bool escrito = EscribePorPartes(
            p,
            [&](const QByteArray&) {
                ++recibidas;
                return recibidas < 3;
            },
            Reparto{0, 2, 30});
        EXPECT_FALSE(escrito);
        EXPECT_EQ(recibidas, 3);
    }
}

// A block whose computation throws stops the others and the exception
// reaches the caller (a thread left with it would end the program); the
// blocks before it are still handed over in date order, none after it.
TEST(PorBloques, UnaExcepcionLlegaAlQueLlama) {
    const Vespalba::Tabla::Peticion p = PeticionDe(rangos[1].argumentos, Formatos()[0]);
    const Bloques bloques(p, Reparto{0, 2, 30});
    std::vector<std::chrono::sys_days> recibidos;
    EXPECT_THROW(bloques.EnOrden(
                     [](std::vector<DiaCalculado> dias) {
                         if (dias.front().fecha ==
                             std::chrono::year_month_day{std::chrono::year{2004} / 1 / 30}) {
                             throw std::runtime_error("bloque 3");
                         }
                         return std::chrono::sys_days{dias.front().fecha};
                     },
                     [&](std::chrono::sys_days primero) {
                         recibidos.push_back(primero);
                         return true;
                     }),
                 std::runtime_error);
    // Blocks of 30 days from 2003-11-01: the third, from 2003-12-31, is the
    // last one handed over.
    ASSERT_EQ(recibidos.size(), 3u);
    for (std::size_t i = 0; i < recibidos.size(); ++i) {
        EXPECT_EQ(recibidos[i], std::chrono::sys_days{std::chrono::year{2003} / 11 / 1} +
                                    std::chrono::days{30 * int(i)});
    }
}

// The program over the whole range of years, as a user runs it, against the
// same range on one thread in this process.
TEST(Programa, TodoElDominioIgualQueEnUnHilo) {
    const QStringList valparaiso = {"--lugar", "valparaiso", "--zona",  "-4",
                                    "--desde", "1980-01-01", "--hasta", "2040-12-31"};
    for (const FormatoSalida& f : Formatos()) {
        if (!EsTexto(f)) continue;
        SCOPED_TRACE(f.nombre);
        QProcess programa;
        // The calendar's DTSTAMP as in PeticionDe: the epoch.
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("0"));
        programa.setProcessEnvironment(entorno);
        programa.start(QStringLiteral(VESPALBA_TABLA),
                       valparaiso + QStringList{"--formato", QString::fromLatin1(f.nombre)});
        ASSERT_TRUE(programa.waitForFinished(300000));
        EXPECT_EQ(programa.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(programa.exitCode(), 0);
        const QByteArray salida = programa.readAllStandardOutput();
        const QByteArray esperado = UnHilo(PeticionDe(valparaiso, f));
        EXPECT_GE(esperado.count('\n'), 22280);
        // Compared whole: a difference would print megabytes, so only where.
        EXPECT_TRUE(salida == esperado)
            << "sizes " << salida.size() << " and " << esperado.size() << ", first difference at "
            << [&] {
                   qsizetype i = 0;
                   while (i < salida.size() && i < esperado.size() && salida[i] == esperado[i]) {
                       ++i;
                   }
                   return i;
               }();
    }
}

// Output that cannot be written ends the program with status 1, even when
// the range is written as it is computed.
TEST(Programa, SalidaLlenaEstadoUno) {
    QProcess programa;
    programa.setStandardOutputFile(QStringLiteral("/dev/full"));
    programa.start(QStringLiteral(VESPALBA_TABLA),
                   {"--lugar", "valparaiso", "--zona", "-4", "--desde", "1980-01-01", "--hasta",
                    "2040-12-31", "--formato", "json"});
    ASSERT_TRUE(programa.waitForFinished(300000));
    EXPECT_EQ(programa.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(programa.exitCode(), 1);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's --ahora, --si and --proximo: how the command line is read
// and refused, the answers at fixed instants against dias/proximo.h and
// astro/posicion.h (an event already past taken the next day, the midnight
// sun, a Sun altitude never reached, the end of the computed years, a
// clock-change day in America/Santiago), the JSON object's members, and the
// real program's refusals and exit statuses.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>
#include <QTimeZone>

#include <chrono>
#include <cmath>

#include "ahora_comun.h"
#include "astro/posicion.h"
#include "dias/presente.h"
#include "dias/proximo.h"
#include "tabla/ahora.h"
#include "tabla/orden.h"

namespace {

using namespace std::chrono;
using namespace Vespalba::Tabla;
using namespace Vespalba::Dias;
using Vespalba::Dias::BuscaProximo;
using Vespalba::Dias::EstadoProximo;
using Vespalba::Dias::Instante;
using Vespalba::Dias::TipoSuceso;

constexpr double MjdUnix = 40587.0;  // 1970-01-01 00:00 UT

using namespace PruebasAhora;

// ------------------------------------------------------------ the command line

TEST(AhoraOrden, LeeLasTresOpciones) {
    const struct {
        QStringList argumentos;
        Accion accion;
    } casos[] = {
        {Valparaiso + QStringList{"--ahora"}, Accion::Ahora},
        {Valparaiso + QStringList{"--ahora", "--formato", "json"}, Accion::Ahora},
        {Valparaiso + QStringList{"--si", "noche"}, Accion::Si},
        {Valparaiso + QStringList{"--proximo", "orto"}, Accion::Proximo},
        {Polar70 + QStringList{"--proximo", "sube", "--altura", "-18"}, Accion::Proximo},
        {Polar70 + QStringList{"--proximo", "baja", "--altura=60", "--formato", "json"},
         Accion::Proximo},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.argumentos.join(' ').toStdString());
        const Orden o = Lee(c.argumentos, Diciembre2026);
        EXPECT_EQ(o.accion, c.accion) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.instante, Diciembre2026);
    }
}

// Names as --eventos takes them: accents, capitals, blanks for hyphens.
TEST(AhoraOrden, NombresConAcentosYMayusculas) {
    const struct {
        const char* escrito;
        TipoSuceso tipo;
    } sucesos[] = {
        {"orto", TipoSuceso::Orto},
        {"Luna-Orto", TipoSuceso::LunaOrto},
        {"luna llena", TipoSuceso::LunaLlena},
        {"Aurora Náutica", TipoSuceso::AuroraNautica},
        {"fin-astronómico", TipoSuceso::FinAstronomico},
        {"Inicio-Dorada-Mañana", TipoSuceso::InicioDoradaManana},
        {"MEDIODÍA", TipoSuceso::Mediodia},
    };
    for (const auto& s : sucesos) {
        const Orden o =
            Lee(Valparaiso + QStringList{"--proximo", QString::fromUtf8(s.escrito)}, Diciembre2026);
        ASSERT_EQ(o.accion, Accion::Proximo) << s.escrito << ": " << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.suceso.tipo, s.tipo) << s.escrito;
    }
    const struct {
        const char* escrito;
        Condicion condicion;
    } condiciones[] = {
        {"dia", Condicion::Dia},
        {"Día", Condicion::Dia},
        {"noche", Condicion::Noche},
        {"Crepúsculo Civil", Condicion::CrepusculoCivil},
        {"crepusculo-nautico", Condicion::CrepusculoNautico},
        {"CREPÚSCULO-ASTRONÓMICO", Condicion::CrepusculoAstronomico},
        {"noche cerrada", Condicion::NocheCerrada},
        {"Dorada", Condicion::Dorada},
        {"azul", Condicion::Azul},
    };
    for (const auto& c : condiciones) {
        const Orden o =
            Lee(Valparaiso + QStringList{"--si", QString::fromUtf8(c.escrito)}, Diciembre2026);
        ASSERT_EQ(o.accion, Accion::Si) << c.escrito << ": " << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.condicion, c.condicion) << c.escrito;
    }
    const Orden a =
        Lee(Polar70 + QStringList{"--proximo", "Sube", "--altura", " 12.5 "}, Diciembre2026);
    ASSERT_EQ(a.accion, Accion::Proximo);
    EXPECT_EQ(a.peticion.suceso.tipo, TipoSuceso::SolSube);
    EXPECT_EQ(a.peticion.suceso.altura, 12.5);
}

// --help lists every condition and every event by the names the options take.
TEST(AhoraOrden, LaAyudaNombraCondicionesYSucesos) {
    const QString ayuda = TextoAyuda();
    for (const NombreCondicion& c : Condiciones) {
        EXPECT_TRUE(ayuda.contains(QLatin1String(c.nombre))) << c.nombre;
    }
    for (TipoSuceso tipo : Vespalba::Dias::TiposDeSuceso) {
        const QString nombre = Vespalba::Dias::NombreSuceso(tipo);
        EXPECT_TRUE(ayuda.contains(QRegularExpression(QStringLiteral("[ \\n]%1[,; ]").arg(nombre))))
            << nombre.toStdString();
    }
}

TEST(AhoraOrden, Rechazos) {
    const struct {
        QStringList argumentos;
        const char* motivo;
        qint64 ahora = Diciembre2026;
    } casos[] = {
        {Valparaiso + QStringList{"--proximo", "amanecer"}, "suceso desconocido"},
        {Valparaiso + QStringList{"--proximo", "dorada"}, "suceso desconocido"},
        {Valparaiso + QStringList{"--proximo", "sube"}, "necesita --altura"},
        {Valparaiso + QStringList{"--proximo", "baja"}, "necesita --altura"},
        {Valparaiso + QStringList{"--proximo", "sube", "--altura", "60.5"}, "fuera de rango"},
        {Valparaiso + QStringList{"--proximo", "sube", "--altura", "-18.01"}, "fuera de rango"},
        {Valparaiso + QStringList{"--proximo", "sube", "--altura", "nan"}, "no es un número"},
        {Valparaiso + QStringList{"--proximo", "sube", "--altura", "1e1"}, "no es un número"},
        {Valparaiso + QStringList{"--proximo", "orto", "--altura", "10"}, "--altura solo vale"},
        {Valparaiso + QStringList{"--ahora", "--altura", "10"}, "--altura solo vale"},
        {Valparaiso + QStringList{"--altura", "10", "--fecha", "2026-01-01"}, "--altura solo vale"},
        {Valparaiso + QStringList{"--proximo"}, "falta el valor de --proximo"},
        {Valparaiso + QStringList{"--si"}, "falta el valor de --si"},
        {Valparaiso + QStringList{"--si", "--ahora"}, "falta el valor de --si"},
        {Valparaiso + QStringList{"--ahora=1"}, "--ahora no lleva valor"},
        {Valparaiso + QStringList{"--si", "bla"}, "condición desconocida"},
        {Valparaiso + QStringList{"--si", "crepusculo"}, "condición desconocida"},
        {Valparaiso + QStringList{"--ahora", "--si", "noche"}, "se excluyen"},
        {Valparaiso + QStringList{"--proximo", "orto", "--si", "noche"}, "se excluyen"},
        {Valparaiso + QStringList{"--ahora", "--proximo", "orto"}, "se excluyen"},
        {Valparaiso + QStringList{"--ahora", "--ahora"}, "más de una vez"},
        {Valparaiso + QStringList{"--ahora", "--fecha", "2026-01-01"}, "no va con --fecha"},
        {Valparaiso + QStringList{"--ahora", "--hoy"}, "no va con --hoy"},
        {Valparaiso + QStringList{"--si", "dia", "--mes", "2026-01"}, "no va con --mes"},
        {Valparaiso + QStringList{"--proximo", "orto", "--anio", "2026"}, "no va con --anio"},
        {Valparaiso + QStringList{"--proximo", "orto", "--desde", "2026-01-01"},
         "no va con --desde"},
        {Valparaiso + QStringList{"--ahora", "--luna"}, "no va con --luna"},
        {Valparaiso + QStringList{"--ahora", "--papel", "a4"}, "no va con --papel"},
        {Valparaiso + QStringList{"--proximo", "orto", "--tamano", "800x600"},
         "no va con --tamano"},
        {Valparaiso + QStringList{"--ahora", "--eventos", "orto"}, "no va con --eventos"},
        {Valparaiso + QStringList{"--ahora", "--formato", "csv"}, "no vale con --ahora"},
        {Valparaiso + QStringList{"--proximo", "orto", "--formato", "ics"},
         "no vale con --proximo"},
        {Valparaiso + QStringList{"--si", "dia", "--formato", "json"}, "no lleva --formato"},
        {Valparaiso + QStringList{"--si", "dia", "--salida", "x"}, "no lleva --salida"},
        {QStringList{"--si", "dia"}, "falta el lugar"},
        // The present instant outside the years computed.
        {Valparaiso + QStringList{"--ahora"}, "fuera de los años",
         Segundos(sys_days{2041y / 1 / 1}, 12, 0, 0.0)},
        {Valparaiso + QStringList{"--si", "noche"}, "fuera de los años",
         Segundos(sys_days{1979y / 12 / 31}, 12, 0, 0.0)},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.argumentos.join(' ').toStdString());
        const Orden o = Lee(c.argumentos, c.ahora);
        ASSERT_EQ(o.accion, Accion::Error);
        EXPECT_TRUE(o.mensaje.contains(QString::fromUtf8(c.motivo))) << o.mensaje.toStdString();
        EXPECT_FALSE(o.mensaje.contains(QLatin1Char('\n')));
    }
}

// ------------------------------------------------------------- the helpers

TEST(AhoraTextos, InstanteHoraYLoQueFalta) {
    const qint64 t = Segundos(sys_days{2026y / 12 / 11}, 7, 4, -3.0);  // 7:04:00 at -03
    const struct {
        Instante instante;
        const char* iso;
        const char* hora;
    } casos[] = {
        {{t, -3 * 3600}, "2026-12-11T07:04:00-03:00", "7:04"},
        {{t + 59, -3 * 3600}, "2026-12-11T07:04:59-03:00", "7:04"},
        {{t, 0}, "2026-12-11T10:04:00+00:00", "10:04"},
        {{t, 5 * 3600 + 45 * 60}, "2026-12-11T15:49:00+05:45", "15:49"},
        {{t, -(9 * 3600 + 30 * 60)}, "2026-12-11T00:34:00-09:30", "0:34"},
        {{t - 8 * 3600, -3 * 3600}, "2026-12-10T23:04:00-03:00", "23:04"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(InstanteIso(c.instante), QString::fromLatin1(c.iso));
        EXPECT_EQ(HoraDeInstante(c.instante), QString::fromLatin1(c.hora));
    }
    const struct {
        qint64 segundos;
        const char* texto;
    } faltas[] = {
        {0, "en menos de 1 min"},
        {59, "en menos de 1 min"},
        {60, "en 1 min"},
        {3599, "en 59 min"},
        {3600, "en 1 h 0 min"},
        {3 * 3600 + 12 * 60 + 59, "en 3 h 12 min"},
        {86400, "en 1 d 0 h 0 min"},
        {2 * 86400 + 3 * 3600 + 60, "en 2 d 3 h 1 min"},
    };
    for (const auto& f : faltas) {
        EXPECT_EQ(TiempoQueFalta(f.segundos), QString::fromUtf8(f.texto)) << f.segundos;
    }
}

// ---------------------------------------------------------------- --proximo

// The line --proximo prints for the library's answer.
QString LineaDe(const Instante& t) {
    return InstanteIso(t) + QLatin1Char(' ') + HoraDeInstante(t) + QLatin1Char('\n');
}

TEST(AhoraProximo, ComoLaBusquedaDelDia) {
    int comparados = 0;
    for (const char* evento : {"orto", "ocaso", "mediodia", "fin-civil", "aurora-astronomica",
                               "luna-orto", "luna-llena", "inicio-dorada-tarde"}) {
        for (qint64 t : {Diciembre2026, Segundos(sys_days{2026y / 9 / 5}, 23, 30, -4.0),
                         Segundos(sys_days{1980y / 1 / 1}, 0, 0, -3.0)}) {
            SCOPED_TRACE(std::string(evento) + " " + std::to_string(t));
            const Orden o = Lee(Valparaiso + QStringList{"--proximo", evento}, t);
            ASSERT_EQ(o.accion, Accion::Proximo) << o.mensaje.toStdString();
            const auto esperado = BuscaProximo(o.peticion, o.peticion.suceso, t);
            ASSERT_EQ(esperado.estado, EstadoProximo::Hallado);
            const Respuesta r = Responde(Accion::Proximo, o.peticion);
            EXPECT_EQ(r.estado, 0);
            EXPECT_TRUE(r.mensaje.isEmpty());
            EXPECT_EQ(QString::fromUtf8(r.salida), LineaDe(*esperado.instante));
            EXPECT_GT(esperado.instante->segundos, t);
            ++comparados;
        }
    }
    EXPECT_EQ(comparados, 24);
}

// After today's sunset, the next one is tomorrow's; a second before it,
// today's.
TEST(AhoraProximo, UnSucesoYaPasadoEsDeManana) {
    const Orden hoy =
        Lee(Valparaiso + QStringList{"--proximo", "ocaso"}, Diciembre2026 + 12 * 3600);
    ASSERT_EQ(hoy.accion, Accion::Proximo);
    const Respuesta antes = Responde(Accion::Proximo, hoy.peticion);
    ASSERT_EQ(antes.estado, 0);
    ASSERT_TRUE(antes.salida.startsWith("2026-12-11T20:")) << antes.salida.toStdString();
    const QDateTime ocaso =
        QDateTime::fromString(QString::fromUtf8(antes.salida.left(25)), Qt::ISODate);
    ASSERT_TRUE(ocaso.isValid());
    const qint64 s = ocaso.toSecsSinceEpoch();
    for (const auto& [desde, dia] : {std::pair{s - 1, "2026-12-11T"}, std::pair{s, "2026-12-12T"},
                                     std::pair{s + 3600, "2026-12-12T"}}) {
        const Orden o = Lee(Valparaiso + QStringList{"--proximo", "ocaso"}, desde);
        const Respuesta r = Responde(Accion::Proximo, o.peticion);
        EXPECT_EQ(r.estado, 0);
        EXPECT_TRUE(r.salida.startsWith(dia)) << r.salida.toStdString();
    }
}

// At 70 N from 1 June the Sun does not set until late July.
TEST(AhoraProximo, SolDeMedianocheA70Norte) {
    const Orden o = Lee(Polar70 + QStringList{"--proximo", "ocaso", "--formato", "json"},
                        Segundos(sys_days{2026y / 6 / 1}, 12, 0, 1.0));
    ASSERT_EQ(o.accion, Accion::Proximo);
    const Respuesta r = Responde(Accion::Proximo, o.peticion);
    ASSERT_EQ(r.estado, 0);
    const QJsonObject j = QJsonDocument::fromJson(r.salida).object();
    EXPECT_EQ(j.value("evento").toString(), QStringLiteral("ocaso"));
    const QString instante = j.value("instante").toString();
    EXPECT_GE(instante, QStringLiteral("2026-07-15")) << instante.toStdString();
    EXPECT_LE(instante, QStringLiteral("2026-07-31T24")) << instante.toStdString();
    EXPECT_TRUE(instante.endsWith(QStringLiteral("+01:00")));
    EXPECT_EQ(j.value("hora").toString(), instante.mid(11, 5).remove(QRegularExpression("^0")));
}

// At 74.9 N the Sun never reaches 40 degrees: status 3, nothing on standard
// output in text, nulls in JSON; near the end of 2040 the search stops there.
TEST(AhoraProximo, NingunoEnUnAnioYFinDeLoCalculado) {
    for (const char* formato : {"texto", "json"}) {
        SCOPED_TRACE(formato);
        const Orden o =
            Lee(Polar749 + QStringList{"--proximo", "sube", "--altura", "40", "--formato", formato},
                Diciembre2026);
        ASSERT_EQ(o.accion, Accion::Proximo);
        const Respuesta r = Responde(Accion::Proximo, o.peticion);
        EXPECT_EQ(r.estado, SalidaNo);
        EXPECT_TRUE(r.mensaje.contains(QStringLiteral("no ocurre en los 366 días")))
            << r.mensaje.toStdString();
        EXPECT_FALSE(r.mensaje.contains(QLatin1Char('\n')));
        if (QLatin1String(formato) == QLatin1String("json")) {
            const QJsonObject j = QJsonDocument::fromJson(r.salida).object();
            EXPECT_EQ(j.value("evento").toString(), QStringLiteral("sube"));
            EXPECT_TRUE(j.value("instante").isNull());
            EXPECT_TRUE(j.value("hora").isNull());
            EXPECT_EQ(j.value("altura").toDouble(), 40.0);
        } else {
            EXPECT_TRUE(r.salida.isEmpty());
        }
    }
    const Orden fin = Lee(Valparaiso + QStringList{"--proximo", "ocaso"},
                          Segundos(sys_days{2040y / 12 / 31}, 23, 0, -3.0));
    ASSERT_EQ(fin.accion, Accion::Proximo) << fin.mensaje.toStdString();
    const Respuesta r = Responde(Accion::Proximo, fin.peticion);
    EXPECT_EQ(r.estado, SalidaNo);
    EXPECT_TRUE(r.salida.isEmpty());
    EXPECT_TRUE(r.mensaje.contains(
        QStringLiteral("después del 31 de diciembre de 2040, fuera de lo que calcula")))
        << r.mensaje.toStdString();
}

// -------------------------------------------------------------------- --si

int Si(const QStringList& lugar, const char* condicion, qint64 t) {
    const Orden o = Lee(lugar + QStringList{"--si", condicion}, t);
    EXPECT_EQ(o.accion, Accion::Si) << o.mensaje.toStdString();
    const Respuesta r = Responde(Accion::Si, o.peticion);
    EXPECT_TRUE(r.salida.isEmpty());
    EXPECT_TRUE(r.mensaje.isEmpty());
    return r.estado;
}

// A minute after each boundary of the evening, the conditions that hold and
// those that do not.
TEST(AhoraSi, CondicionesEnLosBordesDeLaTarde) {
    const char* todas[] = {"dia",
                           "noche",
                           "crepusculo-civil",
                           "crepusculo-nautico",
                           "crepusculo-astronomico",
                           "noche-cerrada",
                           "dorada",
                           "azul"};
    const struct {
        TipoSuceso tras;                   // a minute after this event
        std::vector<const char*> ciertas;  // the conditions that hold then
    } casos[] = {
        {TipoSuceso::Mediodia, {"dia"}},
        {TipoSuceso::InicioDoradaTarde, {"dia", "dorada"}},
        {TipoSuceso::Ocaso, {"noche", "crepusculo-civil", "dorada"}},
        {TipoSuceso::InicioAzulTarde, {"noche", "crepusculo-civil", "azul"}},
        {TipoSuceso::FinCivil, {"noche", "crepusculo-nautico"}},
        {TipoSuceso::FinNautico, {"noche", "crepusculo-astronomico"}},
        {TipoSuceso::FinAstronomico, {"noche", "noche-cerrada"}},
        {TipoSuceso::AuroraAstronomica, {"noche", "crepusculo-astronomico"}},
        {TipoSuceso::InicioDoradaManana, {"noche", "crepusculo-civil", "dorada"}},
        {TipoSuceso::Orto, {"dia", "dorada"}},
    };
    const Orden base = Lee(Valparaiso + QStringList{"--ahora"}, Diciembre2026);
    ASSERT_EQ(base.accion, Accion::Ahora);
    for (qint64 desde : {Diciembre2026, Segundos(sys_days{2026y / 6 / 21}, 0, 0, -4.0)}) {
        for (const auto& c : casos) {
            const auto e = BuscaProximo(base.peticion, {c.tras}, desde);
            ASSERT_EQ(e.estado, EstadoProximo::Hallado);
            const qint64 t = e.instante->segundos + 60;
            SCOPED_TRACE(Vespalba::Dias::NombreSuceso(c.tras).toStdString() + " " +
                         std::to_string(t));
            for (const char* condicion : todas) {
                const bool cumple =
                    std::find_if(c.ciertas.begin(), c.ciertas.end(), [&](const char* n) {
                        return QLatin1String(n) == QLatin1String(condicion);
                    }) != c.ciertas.end();
                EXPECT_EQ(Si(Valparaiso, condicion, t), cumple ? 0 : SalidaNo) << condicion;
            }
        }
    }
}

// At 70 N at midnight in June, day; in December at noon, night.
TEST(AhoraSi, DiaYNochePolares) {
    const qint64 medianoche = Segundos(sys_days{2026y / 6 / 21}, 0, 0, 1.0);
    EXPECT_EQ(Si(Polar70, "dia", medianoche), 0);
    EXPECT_EQ(Si(Polar70, "noche", medianoche), SalidaNo);
    const qint64 mediodia = Segundos(sys_days{2026y / 12 / 21}, 13, 0, 1.0);
    EXPECT_EQ(Si(Polar70, "dia", mediodia), SalidaNo);
    EXPECT_EQ(Si(Polar70, "noche", mediodia), 0);
    EXPECT_EQ(Si(Polar70, "noche-cerrada", mediodia), SalidaNo);
}

// ------------------------------------------------------------------ --ahora

QJsonObject AhoraJson(const QStringList& lugar, qint64 t, Respuesta* respuesta = nullptr) {
    const Orden o = Lee(lugar + QStringList{"--ahora", "--formato", "json"}, t);
    EXPECT_EQ(o.accion, Accion::Ahora) << o.mensaje.toStdString();
    const Respuesta r = Responde(Accion::Ahora, o.peticion);
    EXPECT_EQ(r.estado, 0);
    QJsonParseError error{};
    const QJsonDocument d = QJsonDocument::fromJson(r.salida, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.salida.toStdString();
    if (respuesta) *respuesta = r;
    return d.object();
}

const char* const Proximos[] = {
    "orto",           "ocaso",       "mediodia",           "aurora-civil",    "fin-civil",
    "aurora-nautica", "fin-nautico", "aurora-astronomica", "fin-astronomico", "luna-orto",
    "luna-ocaso",
};

TEST(AhoraJson, MiembrosYValores) {
    const QRegularExpression noNumero(QStringLiteral("\\b(nan|inf|infinity)\\b"),
                                      QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression iso(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)"));
    const QStringList partes = {"noche", "crepusculo-astronomico", "crepusculo-nautico",
                                "crepusculo-civil", "dia"};
    const QStringList fases = {"luna-nueva",       "creciente",  "cuarto-creciente",
                               "gibosa-creciente", "luna-llena", "gibosa-menguante",
                               "cuarto-menguante", "menguante"};
    int casos = 0;
    for (const QStringList& lugar : {Valparaiso, Polar70, Polar749}) {
        for (qint64 t = Segundos(sys_days{2026y / 1 / 3}, 5, 17, 0.0);
             t < Segundos(sys_days{2027y / 1 / 1}, 0, 0, 0.0); t += 86400 * 47 + 3600 * 5 + 7) {
            SCOPED_TRACE(lugar.join(' ').toStdString() + " " + std::to_string(t));
            Respuesta r;
            const QJsonObject j = AhoraJson(lugar, t, &r);
            EXPECT_FALSE(noNumero.match(QString::fromUtf8(r.salida)).hasMatch());
            const Orden o = Lee(lugar + QStringList{"--ahora"}, t);
            const Respuesta texto = Responde(Accion::Ahora, o.peticion);
            EXPECT_FALSE(noNumero.match(QString::fromUtf8(texto.salida)).hasMatch());
            EXPECT_TRUE(texto.salida.startsWith("Lugar: "));

            EXPECT_TRUE(iso.match(j.value("instante").toString()).hasMatch());
            // The Sun and the Moon where posicion.h puts them.
            const double mjd = MjdUnix + double(t) / 86400.0;
            const auto sol = Vespalba::ModuloVespalba::MomentoDelDiaEn(mjd, o.peticion.latitud,
                                                                       o.peticion.longitud);
            const auto luna = Vespalba::ModuloVespalba::PosicionLuna(mjd, o.peticion.latitud,
                                                                     o.peticion.longitud);
            for (const char* cuerpo : {"sol", "luna"}) {
                const QJsonObject c = j.value(cuerpo).toObject();
                ASSERT_TRUE(c.value("altura").isDouble()) << cuerpo;
                ASSERT_TRUE(c.value("azimut").isDouble()) << cuerpo;
                EXPECT_GE(c.value("azimut").toDouble(), 0.0);
                EXPECT_LE(c.value("azimut").toDouble(), 360.0);
            }
            EXPECT_NEAR(j.value("sol").toObject().value("altura").toDouble(), sol.sol.altura,
                        0.005);
            EXPECT_NEAR(j.value("luna").toObject().value("altura").toDouble(), luna.altura, 0.005);
            EXPECT_EQ(j.value("parte_del_dia").toString(),
                      QString::fromLatin1(Vespalba::ModuloVespalba::NombreParteDelDia(sol.parte)));
            EXPECT_TRUE(partes.contains(j.value("parte_del_dia").toString()));
            EXPECT_EQ(j.value("manana").toBool(), sol.manana);
            ASSERT_TRUE(j.value("manana").isBool());
            ASSERT_TRUE(j.value("hora_dorada").isBool());
            ASSERT_TRUE(j.value("hora_azul").isBool());
            EXPECT_FALSE(j.value("hora_dorada").toBool() && j.value("hora_azul").toBool());
            ASSERT_TRUE(j.value("luna_fraccion").isDouble());
            EXPECT_GE(j.value("luna_fraccion").toDouble(), 0.0);
            EXPECT_LE(j.value("luna_fraccion").toDouble(), 1.0);
            EXPECT_TRUE(fases.contains(j.value("luna_fase").toString()))
                << j.value("luna_fase").toString().toStdString();
            // The same answers as --si.
            EXPECT_EQ(Si(lugar, "dorada", t) == 0, j.value("hora_dorada").toBool());
            EXPECT_EQ(Si(lugar, "azul", t) == 0, j.value("hora_azul").toBool());
            EXPECT_EQ(Si(lugar, "dia", t) == 0, j.value("parte_del_dia").toString() == "dia");

            // Every event, as --proximo gives it, and one principal phase.
            const QJsonObject proximos = j.value("proximos").toObject();
            EXPECT_EQ(proximos.size(), qsizetype(std::size(Proximos)) + 1);
            for (const char* nombre : Proximos) {
                ASSERT_TRUE(proximos.contains(nombre)) << nombre;
                const QJsonObject p = proximos.value(nombre).toObject();
                const auto tipo = Vespalba::Dias::TipoDeNombre(QString::fromLatin1(nombre));
                const auto e = BuscaProximo(o.peticion, {*tipo}, t);
                if (e.instante) {
                    EXPECT_EQ(p.value("instante").toString(), InstanteIso(*e.instante));
                    EXPECT_EQ(p.value("hora").toString(), HoraDeInstante(*e.instante));
                } else {
                    EXPECT_TRUE(p.value("instante").isNull()) << nombre;
                    EXPECT_TRUE(p.value("hora").isNull()) << nombre;
                }
            }
            int fasesListadas = 0;
            for (const char* fase :
                 {"luna-nueva", "cuarto-creciente", "luna-llena", "cuarto-menguante"}) {
                if (!proximos.contains(fase)) continue;
                ++fasesListadas;
                const QString instante =
                    proximos.value(fase).toObject().value("instante").toString();
                EXPECT_TRUE(iso.match(instante).hasMatch());
                // None of the other phases comes earlier.
                for (TipoSuceso otra : {TipoSuceso::LunaNueva, TipoSuceso::CuartoCreciente,
                                        TipoSuceso::LunaLlena, TipoSuceso::CuartoMenguante}) {
                    const auto e = BuscaProximo(o.peticion, {otra}, t);
                    ASSERT_TRUE(e.instante);
                    EXPECT_LE(QDateTime::fromString(instante, Qt::ISODate).toSecsSinceEpoch(),
                              e.instante->segundos);
                }
            }
            EXPECT_EQ(fasesListadas, 1);
            ++casos;
        }
    }
    EXPECT_GE(casos, 15);
}

// The last hours computed: the events after 2040 are null, and the text
// says why.
TEST(AhoraJson, AlFinDeLoCalculado) {
    const qint64 t = Segundos(sys_days{2040y / 12 / 31}, 23, 30, -3.0);
    const QJsonObject j = AhoraJson(Valparaiso, t);
    const QJsonObject orto = j.value("proximos").toObject().value("orto").toObject();
    EXPECT_TRUE(orto.value("instante").isNull());
    EXPECT_TRUE(orto.value("hora").isNull());
    const Orden o = Lee(Valparaiso + QStringList{"--ahora"}, t);
    const QString texto = QString::fromUtf8(Responde(Accion::Ahora, o.peticion).salida);
    EXPECT_TRUE(texto.contains(QStringLiteral("fuera de lo que calcula"))) << texto.toStdString();
}

// America/Santiago's clocks go from 00:00 to 01:00 on 2026-09-06 (-04 to
// -03): the present instant keeps the evening's offset, the next sunrise
// has the morning's, and the time left counts real minutes.
TEST(AhoraJson, DiaDeCambioDeHoraEnSantiago) {
    const QStringList santiago = {"--lat", "33:27S", "--lon", "70:40W", "--tz", "America/Santiago"};
    const qint64 t = Segundos(sys_days{2026y / 9 / 5}, 23, 30, -4.0);
    const QJsonObject j = AhoraJson(santiago, t);
    EXPECT_EQ(j.value("instante").toString(), QStringLiteral("2026-09-05T23:30:00-04:00"));
    const QJsonObject orto = j.value("proximos").toObject().value("orto").toObject();
    const QString instante = orto.value("instante").toString();
    EXPECT_TRUE(instante.startsWith(QStringLiteral("2026-09-06T07:"))) << instante.toStdString();
    EXPECT_TRUE(instante.endsWith(QStringLiteral("-03:00")));
    EXPECT_EQ(orto.value("hora").toString(), instante.mid(12, 4));
    // The offset is the zone's at that instant.
    const QDateTime d = QDateTime::fromString(instante, Qt::ISODate);
    EXPECT_EQ(QTimeZone("America/Santiago").offsetFromUtc(d), -3 * 3600);
    // The text: the time left, real seconds.
    const Orden o = Lee(santiago + QStringList{"--ahora"}, t);
    const QString texto = QString::fromUtf8(Responde(Accion::Ahora, o.peticion).salida);
    const qint64 falta = d.toSecsSinceEpoch() - t;
    // Half an hour to the midnight that never comes, the morning's clock
    // from 01:00.
    const QTime reloj = QTime::fromString(instante.mid(11, 8), Qt::ISODate);
    ASSERT_TRUE(reloj.isValid());
    EXPECT_EQ(falta, 1800 + reloj.msecsSinceStartOfDay() / 1000 - 3600);
    EXPECT_TRUE(texto.contains(TiempoQueFalta(falta) + QStringLiteral(" (2026-09-06)")))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("Ahora: 2026-09-05T23:30:00-04:00 (23:30)")));
    // --proximo orto from the same instant: the same.
    const Orden p = Lee(santiago + QStringList{"--proximo", "orto"}, t);
    EXPECT_EQ(QString::fromUtf8(Responde(Accion::Proximo, p.peticion).salida),
              instante + QLatin1Char(' ') + orto.value("hora").toString() + QLatin1Char('\n'));
}

// -------------------------------------------------------- the real program

TEST(AhoraPrograma, RechazosEnUnaLinea) {
    const QStringList casos[] = {
        Valparaiso + QStringList{"--proximo", "amanecer"},
        Valparaiso + QStringList{"--proximo", "sube", "--altura", "90"},
        Valparaiso + QStringList{"--proximo", "sube"},
        Valparaiso + QStringList{"--ahora", "--si", "dia"},
        Valparaiso + QStringList{"--ahora", "--fecha", "2026-01-01"},
        Valparaiso + QStringList{"--si", "atardecer"},
    };
    for (const QStringList& argumentos : casos) {
        SCOPED_TRACE(argumentos.join(' ').toStdString());
        const Ejecucion e = Ejecuta(argumentos);
        EXPECT_EQ(e.estado, 2);
        EXPECT_TRUE(e.salida.isEmpty());
        EXPECT_TRUE(e.errores.startsWith("vespalba-tabla: ")) << e.errores.toStdString();
        EXPECT_EQ(e.errores.count('\n'), 1) << e.errores.toStdString();
    }
}

// Answers that do not depend on the day it runs.
TEST(AhoraPrograma, EstadosDeSalida) {
    const Ejecucion nunca = Ejecuta(Polar749 + QStringList{"--proximo", "sube", "--altura", "40"});
    EXPECT_EQ(nunca.estado, 3);
    EXPECT_TRUE(nunca.salida.isEmpty());
    EXPECT_EQ(nunca.errores.count('\n'), 1) << nunca.errores.toStdString();
    EXPECT_TRUE(nunca.errores.startsWith("vespalba-tabla: --proximo sube --altura 40: "))
        << nunca.errores.toStdString();
    // --si writes nothing and answers 0 or 3; its opposite the other.
    const Ejecucion dia = Ejecuta(Valparaiso + QStringList{"--si", "dia"});
    const Ejecucion noche = Ejecuta(Valparaiso + QStringList{"--si", "noche"});
    EXPECT_TRUE(dia.salida.isEmpty() && dia.errores.isEmpty());
    EXPECT_TRUE(noche.salida.isEmpty() && noche.errores.isEmpty());
    EXPECT_TRUE((dia.estado == 0 && noche.estado == 3) || (dia.estado == 3 && noche.estado == 0))
        << dia.estado << " " << noche.estado;
    const Ejecucion ayuda = Ejecuta({"--help"});
    EXPECT_EQ(ayuda.estado, 0);
    for (const char* texto : {"--ahora", "--si CONDICION", "--proximo EVENTO", "--altura GRADOS",
                              "3 si la\ncondición de --si no se cumple"}) {
        EXPECT_TRUE(ayuda.salida.contains(texto)) << texto;
    }
}

// The program's clock set with libfaketime, where it is installed.
TEST(AhoraPrograma, ConElRelojFijado) {
    const QString biblioteca =
        QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");
    if (!QFileInfo::exists(biblioteca)) GTEST_SKIP() << "libfaketime no está instalada";
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("LD_PRELOAD", biblioteca);
    // Under AddressSanitizer the preloaded library comes before its runtime,
    // which it refuses unless told the order is meant.
    entorno.insert("ASAN_OPTIONS",
                   entorno.value("ASAN_OPTIONS") + QStringLiteral(":verify_asan_link_order=0"));
    entorno.insert("TZ", "UTC");
    entorno.insert("FAKETIME", "@2026-06-21 12:00:00");
    // 14:00 in Madrid: day.
    const QStringList madrid = {"--lat", "40.4168", "--lon", "-3.7038", "--tz", "Europe/Madrid"};
    EXPECT_EQ(Ejecuta(madrid + QStringList{"--si", "dia"}, entorno).estado, 0);
    EXPECT_EQ(Ejecuta(madrid + QStringList{"--si", "noche"}, entorno).estado, 3);
    const Ejecucion j = Ejecuta(madrid + QStringList{"--ahora", "--formato", "json"}, entorno);
    ASSERT_EQ(j.estado, 0) << j.errores.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(j.salida).object();
    EXPECT_TRUE(o.value("instante").toString().startsWith("2026-06-21T14:00:0"))
        << j.salida.toStdString();
    EXPECT_EQ(o.value("parte_del_dia").toString(), QStringLiteral("dia"));
    const Ejecucion p = Ejecuta(madrid + QStringList{"--proximo", "ocaso"}, entorno);
    EXPECT_EQ(p.estado, 0);
    EXPECT_TRUE(p.salida.startsWith("2026-06-21T21:")) << p.salida.toStdString();
    EXPECT_TRUE(p.salida.trimmed().endsWith(p.salida.mid(11, 5)))  // "21:48"
        << p.salida.toStdString();
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla --esperar, --margen, --no-antes, --no-despues and
// --tolerancia, and the default place of --guardar-lugar: durations and
// clock times as typed, clock times on the days the clocks change, the
// instant a script acts at, the wait on a clock of the test's own (a
// suspend, a clock set back, a signal), and the real program: a real
// crossing a few seconds ahead, SIGTERM and SIGINT during the wait, cron's
// bare environment, a stored place and a damaged settings file.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "ahora_comun.h"
#include "astro/eventos.h"
#include "dias/dias.h"
#include "dias/lectura.h"
#include "dias/objetivo.h"
#include "dias/proximo.h"
#include "lugares/guardado.h"
#include "tabla/espera.h"
#include "tabla/orden.h"

namespace {

using namespace std::chrono;
using namespace Vespalba::Tabla;
using namespace Vespalba::Dias;
using Vespalba::Dias::EstadoProximo;
using Vespalba::Dias::TipoSuceso;

using namespace PruebasAhora;

// -------------------------------------------------- what is typed

TEST(EsperaLectura, Duraciones) {
    const struct {
        const char* texto;
        bool conSigno;
        std::optional<qint64> segundos;
    } casos[] = {
        {"30m", true, 1800},
        {"-30m", true, -1800},
        {"+1h15m", true, 4500},
        {"90s", true, 90},
        {"2d", false, 172800},
        {"1d2h3m4s", false, 93784},
        {" 1H 30M ", false, 5400},
        {"45min", false, 2700},
        {"0m", true, 0},
        {"-30m", false, std::nullopt},  // a tolerance has no sign
        {"+30m", false, std::nullopt},
        {"", true, std::nullopt},
        {"30", true, std::nullopt},  // no unit
        {"m", true, std::nullopt},
        {"1.5h", true, std::nullopt},
        {"30m1h", true, std::nullopt},  // out of order
        {"--30m", true, std::nullopt},
        {"1e3s", true, std::nullopt},
        {"9999999h", true, std::nullopt},  // a part too long
        {"99999999999999999999s", true, std::nullopt},
        {"3700d", true, std::nullopt},  // more than ten years
        {"30 m x", true, std::nullopt},
        {"٣٠m", true, std::nullopt},  // Arabic-Indic digits
    };
    for (const auto& c : casos) {
        EXPECT_EQ(LeeDuracion(QString::fromUtf8(c.texto), c.conSigno), c.segundos) << c.texto;
    }
    EXPECT_EQ(TextoDuracion(1800), QStringLiteral("30 min"));
    EXPECT_EQ(TextoDuracion(-4500), QStringLiteral("1 h 15 min"));
    EXPECT_EQ(TextoDuracion(7200), QStringLiteral("2 h"));
    EXPECT_EQ(TextoDuracion(45), QStringLiteral("45 s"));
    EXPECT_EQ(TextoDuracion(0), QStringLiteral("0 s"));
    EXPECT_EQ(TextoDuracion(3 * 86400 + 5 * 3600 + 59), QStringLiteral("3 d 5 h"));
    EXPECT_EQ(TextoDuracion(185), QStringLiteral("3 min 5 s"));
}

TEST(EsperaLectura, HorasDelReloj) {
    const struct {
        const char* texto;
        std::optional<int> minutos;
    } casos[] = {
        {"7:00", 420},
        {"07:00", 420},
        {"0:00", 0},
        {"23:59", 1439},
        {" 22:30 ", 1350},
        {"24:00", std::nullopt},
        {"7:60", std::nullopt},
        {"7", std::nullopt},
        {"7:5", std::nullopt},
        {"07:00:00", std::nullopt},
        {"-1:00", std::nullopt},
        {"", std::nullopt},
        {"7h", std::nullopt},
    };
    for (const auto& c : casos)
        EXPECT_EQ(LeeHoraDelDia(QString::fromUtf8(c.texto)), c.minutos) << c.texto;
}

TEST(EsperaLectura, OpcionesYRechazos) {
    const Orden o =
        Lee(Valparaiso + QStringList{"--esperar", "Ocaso", "--margen", "-30m", "--no-antes", "7:00",
                                     "--no-despues", "22:00", "--tolerancia", "10m"},
            Diciembre2026);
    ASSERT_EQ(o.accion, Accion::Esperar) << o.mensaje.toStdString();
    EXPECT_EQ(o.peticion.suceso.tipo, TipoSuceso::Ocaso);
    EXPECT_EQ(o.peticion.ajuste.margen, -1800);
    EXPECT_EQ(o.peticion.ajuste.noAntes, 420);
    EXPECT_EQ(o.peticion.ajuste.noDespues, 1320);
    EXPECT_EQ(o.peticion.tolerancia, 600);
    const Orden a =
        Lee(Polar70 + QStringList{"--esperar", "baja", "--altura", "10"}, Diciembre2026);
    ASSERT_EQ(a.accion, Accion::Esperar) << a.mensaje.toStdString();
    EXPECT_EQ(a.peticion.suceso.altura, 10.0);
    const Orden m =
        Lee(Valparaiso + QStringList{"--proximo", "orto", "--margen=+1h"}, Diciembre2026);
    ASSERT_EQ(m.accion, Accion::Proximo) << m.mensaje.toStdString();
    EXPECT_EQ(m.peticion.ajuste.margen, 3600);

    const struct {
        QStringList argumentos;
        const char* motivo;
    } casos[] = {
        {Valparaiso + QStringList{"--esperar", "atardecer"},
         "--esperar «atardecer»: suceso desconocido"},
        {Valparaiso + QStringList{"--esperar", "sube"}, "--esperar sube necesita --altura"},
        {Valparaiso + QStringList{"--esperar", "baja", "--altura", "61"}, "fuera de rango"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--margen", "30"}, "no es una duración"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--margen", "-1d1s"}, "más de un día"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--no-antes", "25:00"},
         "--no-antes «25:00»: no es una hora del reloj"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--no-despues", "7.30"},
         "--no-despues «7.30»: no es una hora del reloj"},
        {Valparaiso +
             QStringList{"--esperar", "ocaso", "--no-antes", "22:00", "--no-despues", "7:00"},
         "--no-antes 22:00 es más tarde que --no-despues 7:00"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--tolerancia", "-5m"},
         "no es una duración sin signo"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--tolerancia", "400d"}, "más de un año"},
        {Valparaiso + QStringList{"--proximo", "ocaso", "--tolerancia", "5m"},
         "--tolerancia solo vale con --esperar"},
        {Valparaiso + QStringList{"--ahora", "--margen", "5m"}, "--margen solo vale con"},
        {Valparaiso + QStringList{"--fecha", "2026-01-01", "--no-antes", "7:00"},
         "--no-antes solo vale con"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--proximo", "orto"}, "se excluyen"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--formato", "json"}, "no lleva --formato"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--salida", "x"}, "no lleva --salida"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--hoy"}, "no va con --hoy"},
        {Valparaiso + QStringList{"--esperar"}, "falta el valor de --esperar"},
        {Valparaiso + QStringList{"--esperar", "ocaso", "--margen"}, "falta el valor de --margen"},
        {Valparaiso + QStringList{"--guardar-lugar", "--fecha", "2026-01-01"},
         "--guardar-lugar no va con --fecha"},
        {QStringList{"--guardar-lugar", "--lugar", "valparaiso", "--zona", "-4"},
         "--guardar-lugar no va con --zona"},
        {QStringList{"--guardar-lugar"}, "--guardar-lugar necesita el lugar"},
        {QStringList{"--guardar-lugar=1", "--lugar", "valparaiso"}, "no lleva valor"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.argumentos.join(' ').toStdString());
        const Orden r = Lee(c.argumentos, Diciembre2026);
        ASSERT_EQ(r.accion, Accion::Error);
        EXPECT_TRUE(r.mensaje.contains(QString::fromUtf8(c.motivo))) << r.mensaje.toStdString();
        EXPECT_FALSE(r.mensaje.contains(QLatin1Char('\n')));
    }
}

// ------------------------------------------- clock times on their days

TEST(EsperaReloj, InstantesDeUnaHoraDelReloj) {
    Vespalba::Dias::Consulta santiago;
    santiago.zonaHoraria = QStringLiteral("America/Santiago");
    Vespalba::Dias::Consulta fija;
    fija.zona = -4.0;
    const struct {
        const Vespalba::Dias::Consulta* consulta;
        sys_days fecha;
        int minutos;
        qint64 esperado;
        const char* caso;
    } casos[] = {
        // 2026-04-04: at 24:00 -03 the clocks go back to 23:00 -04, so the
        // clock reads 23:00 to 24:00 twice: the first time counts.
        {&santiago, 2026y / 4 / 4, 22 * 60 + 59, Segundos(2026y / 4 / 5, 1, 59, 0), "antes"},
        {&santiago, 2026y / 4 / 4, 23 * 60, Segundos(2026y / 4 / 5, 2, 0, 0), "repetida"},
        {&santiago, 2026y / 4 / 4, 23 * 60 + 30, Segundos(2026y / 4 / 5, 2, 30, 0), "repetida"},
        {&santiago, 2026y / 4 / 5, 7 * 60, Segundos(2026y / 4 / 5, 11, 0, 0), "día siguiente"},
        // 2026-09-06 starts at 01:00 -03: 00:00 to 01:00 is skipped, and
        // the first instant after it is the day's start.
        {&santiago, 2026y / 9 / 6, 0, Segundos(2026y / 9 / 6, 4, 0, 0), "saltada"},
        {&santiago, 2026y / 9 / 6, 30, Segundos(2026y / 9 / 6, 4, 0, 0), "saltada"},
        {&santiago, 2026y / 9 / 6, 60, Segundos(2026y / 9 / 6, 4, 0, 0), "primera"},
        {&santiago, 2026y / 9 / 6, 12 * 60, Segundos(2026y / 9 / 6, 15, 0, 0), "mediodía"},
        {&santiago, 2026y / 9 / 5, 23 * 60 + 59, Segundos(2026y / 9 / 6, 3, 59, 0), "víspera"},
        {&fija, 2026y / 9 / 6, 30, Segundos(2026y / 9 / 6, 4, 30, 0), "fija"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(InstanteDeReloj(*c.consulta, c.fecha, c.minutos), c.esperado)
            << c.caso << " " << c.minutos;
    }
}

// ------------------------------------------------ the instant to act at

Vespalba::Dias::Suceso SucesoDe(TipoSuceso t) { return {t, 0.0}; }

Vespalba::Dias::Consulta Consulta(const QStringList& lugar) {
    const Orden o = Lee(lugar + QStringList{"--proximo", "orto"}, Diciembre2026);
    EXPECT_EQ(o.accion, Accion::Proximo) << o.mensaje.toStdString();
    return o.peticion;
}

TEST(EsperaObjetivo, MargenYCotasSobreElSucesoDelDia) {
    const Vespalba::Dias::Consulta v = Consulta(Valparaiso);
    const auto ocaso = SucesoDe(TipoSuceso::Ocaso);
    const auto orto = SucesoDe(TipoSuceso::Orto);
    const qint64 manana = Segundos(2026y / 12 / 11, 9, 0, -3.0);
    const auto hoy = Vespalba::Dias::BuscaProximo(v, ocaso, manana);
    ASSERT_EQ(hoy.estado, EstadoProximo::Hallado);
    const qint64 e = hoy.instante->segundos;
    const auto siguiente = Vespalba::Dias::BuscaProximo(v, ocaso, e);
    ASSERT_EQ(siguiente.estado, EstadoProximo::Hallado);
    const qint64 e2 = siguiente.instante->segundos;

    // Without an adjustment, BuscaProximo's answer.
    Objetivo o = BuscaObjetivo(v, ocaso, {}, manana);
    ASSERT_EQ(o.estado, EstadoProximo::Hallado);
    EXPECT_EQ(o.instante->segundos, e);
    EXPECT_EQ(o.suceso->segundos, e);
    EXPECT_EQ(o.instante->desfase, -3 * 3600);

    // Half an hour before; once that instant has passed, tomorrow's.
    o = BuscaObjetivo(v, ocaso, {-1800, {}, {}}, manana);
    EXPECT_EQ(o.instante->segundos, e - 1800);
    o = BuscaObjetivo(v, ocaso, {-1800, {}, {}}, e - 1800);
    EXPECT_EQ(o.instante->segundos, e2 - 1800);
    EXPECT_EQ(o.suceso->segundos, e2);
    // Half an hour after: ten minutes past sunset, today's still counts.
    o = BuscaObjetivo(v, ocaso, {1800, {}, {}}, e + 600);
    EXPECT_EQ(o.instante->segundos, e + 1800);
    EXPECT_EQ(o.suceso->segundos, e);

    // Sunrise near 6:30 in December: not before 7:00 holds it at 7:00, also
    // when asked at 6:45, after the sunrise itself; not after 6:00 brings it
    // to 6:00, and tomorrow's once 6:00 has passed.
    const qint64 siete = Segundos(2026y / 12 / 11, 7, 0, -3.0);
    for (const qint64 ahora :
         {Segundos(2026y / 12 / 11, 4, 0, -3.0), Segundos(2026y / 12 / 11, 6, 45, -3.0)}) {
        o = BuscaObjetivo(v, orto, {0, 7 * 60, {}}, ahora);
        ASSERT_EQ(o.estado, EstadoProximo::Hallado);
        EXPECT_EQ(o.instante->segundos, siete);
        EXPECT_LT(o.suceso->segundos, siete);
    }
    o = BuscaObjetivo(v, orto, {0, {}, 6 * 60}, Segundos(2026y / 12 / 11, 4, 0, -3.0));
    EXPECT_EQ(o.instante->segundos, Segundos(2026y / 12 / 11, 6, 0, -3.0));
    o = BuscaObjetivo(v, orto, {0, {}, 6 * 60}, Segundos(2026y / 12 / 11, 6, 0, -3.0));
    EXPECT_EQ(o.instante->segundos, Segundos(2026y / 12 / 12, 6, 0, -3.0));
    // Sunset is after 20:00: not after 20:00 always gives 20:00.
    o = BuscaObjetivo(v, ocaso, {0, {}, 20 * 60}, manana);
    EXPECT_EQ(o.instante->segundos, Segundos(2026y / 12 / 11, 20, 0, -3.0));
}

// A wait across a clock change: asked on the evening of 2026-04-04 in
// Santiago, the next sunrise is on the 5th, an hour later on the clock
// (-04): the instant is the one the day's computation gives.
TEST(EsperaObjetivo, ATravesDeUnCambioDeHora) {
    const Vespalba::Dias::Consulta v = Consulta(Valparaiso);
    const qint64 ahora = Segundos(2026y / 4 / 4, 21, 0, -3.0);
    const Objetivo o = BuscaObjetivo(v, SucesoDe(TipoSuceso::Orto), {}, ahora);
    ASSERT_EQ(o.estado, EstadoProximo::Hallado);
    const Vespalba::Dias::DiaCalculado dia = Vespalba::Dias::CalculaDia(v, 2026y / 4 / 5);
    const int sol = int(Vespalba::ModuloVespalba::ClaseEvento::Sol) - 1;
    EXPECT_EQ(o.instante->segundos, dia.instantes[std::size_t(sol)][0].segundos);
    EXPECT_EQ(o.instante->desfase, -4 * 3600);
    EXPECT_EQ(o.fecha, sys_days{2026y / 4 / 5});
    // Sunrise is after 7:00 -04 there; not before 8:00 is 8:00 -04.
    EXPECT_GT(o.instante->segundos, Segundos(2026y / 4 / 5, 7, 0, -4.0));
    const Objetivo ocho = BuscaObjetivo(v, SucesoDe(TipoSuceso::Orto), {0, 8 * 60, {}}, ahora);
    EXPECT_EQ(ocho.instante->segundos, Segundos(2026y / 4 / 5, 8, 0, -4.0));
    EXPECT_EQ(ocho.instante->desfase, -4 * 3600);
}

TEST(EsperaObjetivo, PolarYFinDeLoCalculado) {
    // 70 N in June: no sunset until late July.
    const Objetivo junio = BuscaObjetivo(Consulta(Polar70), SucesoDe(TipoSuceso::Ocaso),
                                         {-600, {}, {}}, Segundos(2026y / 6 / 1, 12, 0, 1.0));
    ASSERT_EQ(junio.estado, EstadoProximo::Hallado);
    EXPECT_GE(junio.fecha, sys_days{2026y / 7 / 15});
    EXPECT_LE(junio.fecha, sys_days{2026y / 7 / 31});
    EXPECT_EQ(junio.instante->segundos, junio.suceso->segundos - 600);
    // 74.9 N never sees the Sun at 40 degrees.
    const Objetivo nunca =
        BuscaObjetivo(Consulta(Polar749), {TipoSuceso::SolSube, 40.0}, {}, Diciembre2026);
    EXPECT_EQ(nunca.estado, EstadoProximo::NingunoEnUnAnio);
    EXPECT_FALSE(nunca.instante);
    // The last sunset computed, moved past the end of 2040, is refused; at
    // noon the day before's, a day later, is still ahead.
    const Vespalba::Dias::Consulta v = Consulta(Valparaiso);
    const Objetivo mediodia = BuscaObjetivo(v, SucesoDe(TipoSuceso::Ocaso), {86400, {}, {}},
                                            Segundos(2040y / 12 / 31, 12, 0, -3.0));
    ASSERT_EQ(mediodia.estado, EstadoProximo::Hallado);
    EXPECT_EQ(mediodia.fecha, sys_days{2040y / 12 / 30});
    const qint64 tarde = Segundos(2040y / 12 / 31, 21, 30, -3.0);
    EXPECT_EQ(BuscaObjetivo(v, SucesoDe(TipoSuceso::Ocaso), {86400, {}, {}}, tarde).estado,
              EstadoProximo::FinDelDominio);
}

// ------------------------------------------- waiting on a test's clock

// A clock that answers from a script: each sleep moves it to where the
// script says (the instant itself, later for a suspend, earlier for a
// clock set back) or reports a signal.
class RelojDePrueba : public Reloj {
public:
    struct Paso {
        Despertar despertar = Despertar::Vencido;
        qint64 desplazamiento = 0;  // the clock on waking: the instant plus this
        qint64 fijo = -1;           // or this instant, when not negative
    };
    RelojDePrueba(qint64 ahora, std::deque<Paso> pasos) : ahora_(ahora), pasos_(std::move(pasos)) {}
    qint64 Ahora() override { return ahora_; }
    Despertar Duerme(qint64 hasta) override {
        suenos.push_back(hasta);
        Paso p = pasos_.empty() ? Paso{} : pasos_.front();
        if (!pasos_.empty()) pasos_.pop_front();
        ahora_ = p.fijo >= 0 ? p.fijo : hasta + p.desplazamiento;
        return p.despertar;
    }
    int Senal() const override { return SIGTERM; }
    QString Motivo() const override { return QStringLiteral("prueba"); }
    std::vector<qint64> suenos;

private:
    qint64 ahora_;
    std::deque<Paso> pasos_;
};

TEST(EsperaReloj, DespiertaEnElInstanteTardeOPorUnaSenal) {
    using D = Reloj::Despertar;
    const qint64 t0 = 1'800'000'000, hasta = t0 + 3600;
    {
        RelojDePrueba r(t0, {});
        const FinEspera f = Espera(r, hasta);
        EXPECT_EQ(f.retraso, 0);
        EXPECT_EQ(f.despertares, 1);
        EXPECT_EQ(r.suenos, std::vector<qint64>{hasta});
    }
    {  // suspended across the instant: woken three hours late
        RelojDePrueba r(t0, {{D::Vencido, 3 * 3600}});
        const FinEspera f = Espera(r, hasta);
        EXPECT_EQ(f.retraso, 3 * 3600);
        EXPECT_EQ(f.despertares, 1);
    }
    {  // the clock set back an hour while sleeping: it sleeps again
        RelojDePrueba r(t0, {{D::RelojCambiado, 0, t0 - 3600}, {D::Vencido}});
        const FinEspera f = Espera(r, hasta);
        EXPECT_EQ(f.retraso, 0);
        EXPECT_EQ(f.despertares, 2);
        EXPECT_EQ(r.suenos, (std::vector<qint64>{hasta, hasta}));
    }
    {  // the clock set forward past the instant
        RelojDePrueba r(t0, {{D::RelojCambiado, 120}});
        EXPECT_EQ(Espera(r, hasta).retraso, 120);
    }
    {  // already past: no sleep at all
        RelojDePrueba r(hasta + 5, {});
        const FinEspera f = Espera(r, hasta);
        EXPECT_EQ(f.despertares, 0);
        EXPECT_EQ(f.retraso, 5);
    }
    {
        RelojDePrueba r(t0, {{D::Senal, 0, t0 + 10}});
        EXPECT_EQ(Espera(r, hasta).senal, SIGTERM);
    }
    {
        RelojDePrueba r(t0, {{D::Error, 0, t0}});
        EXPECT_EQ(Espera(r, hasta).error, QStringLiteral("prueba"));
    }
}

TEST(EsperaReloj, EstadosYMensajesDeLaEspera) {
    using D = Reloj::Despertar;
    const qint64 ahora = Segundos(2026y / 12 / 11, 12, 0, -3.0);
    Orden o = Lee(Valparaiso + QStringList{"--esperar", "ocaso", "--margen", "-30m"}, ahora);
    ASSERT_EQ(o.accion, Accion::Esperar) << o.mensaje.toStdString();
    const Objetivo objetivo =
        BuscaObjetivo(o.peticion, o.peticion.suceso, o.peticion.ajuste, ahora);
    const qint64 hasta = objetivo.instante->segundos;

    auto espera = [&](const Peticion& p, std::deque<RelojDePrueba::Paso> pasos, QStringList& avisos,
                      RelojDePrueba** usado = nullptr) {
        static std::unique_ptr<RelojDePrueba> reloj;
        reloj = std::make_unique<RelojDePrueba>(ahora, std::move(pasos));
        if (usado) *usado = reloj.get();
        return EsperaSuceso(p, *reloj, [&](const QString& l) {
            // Said before the first sleep.
            EXPECT_TRUE(reloj->suenos.empty());
            avisos << l;
        });
    };
    QStringList avisos;
    RelojDePrueba* reloj = nullptr;
    ResultadoEspera r = espera(o.peticion, {}, avisos, &reloj);
    EXPECT_EQ(r.respuesta.estado, 0);
    EXPECT_TRUE(r.respuesta.mensaje.isEmpty()) << r.respuesta.mensaje.toStdString();
    EXPECT_EQ(reloj->suenos, std::vector<qint64>{hasta});
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_TRUE(avisos[0].startsWith(QStringLiteral("espera hasta 2026-12-11T20:")))
        << avisos[0].toStdString();
    EXPECT_TRUE(avisos[0].contains(QStringLiteral(": ocaso a las 20:")));
    EXPECT_TRUE(avisos[0].contains(QStringLiteral(", 30 min antes")));

    // Woken two hours late (the machine slept): 0 with a note; with a
    // tolerance of an hour, 4; with one of three hours, 0 again.
    avisos.clear();
    r = espera(o.peticion, {{D::Vencido, 7200}}, avisos);
    EXPECT_EQ(r.respuesta.estado, 0);
    EXPECT_TRUE(r.respuesta.mensaje.contains(QStringLiteral("despertó 2 h después de")))
        << r.respuesta.mensaje.toStdString();
    o.peticion.tolerancia = 3600;
    r = espera(o.peticion, {{D::Vencido, 7200}}, avisos);
    EXPECT_EQ(r.respuesta.estado, SalidaTarde);
    EXPECT_TRUE(r.respuesta.mensaje.contains(QStringLiteral("pasa de --tolerancia 1 h")))
        << r.respuesta.mensaje.toStdString();
    o.peticion.tolerancia = 3 * 3600;
    EXPECT_EQ(espera(o.peticion, {{D::Vencido, 7200}}, avisos).respuesta.estado, 0);

    // SIGTERM: the signal, for the program to end by it.
    r = espera(o.peticion, {{D::Senal, 0, ahora + 60}}, avisos);
    EXPECT_EQ(r.senal, SIGTERM);
    EXPECT_TRUE(r.respuesta.mensaje.contains(QStringLiteral("interrumpida por SIGTERM")));

    // Never at 40 degrees at 74.9 N: 3, and no sleep.
    const Orden nunca =
        Lee(Polar749 + QStringList{"--esperar", "sube", "--altura", "40"}, Diciembre2026);
    ASSERT_EQ(nunca.accion, Accion::Esperar);
    avisos.clear();
    r = espera(nunca.peticion, {}, avisos, &reloj);
    EXPECT_EQ(r.respuesta.estado, SalidaNo);
    EXPECT_TRUE(reloj->suenos.empty());
    EXPECT_TRUE(avisos.isEmpty());
    EXPECT_TRUE(
        r.respuesta.mensaje.startsWith(QStringLiteral("--esperar sube --altura 40: no ocurre")))
        << r.respuesta.mensaje.toStdString();
}

// ----------------------------------------------------- the stored place

TEST(EsperaLugarGuardado, SeUsaCuandoNoSeDaLugar) {
    LugarPorOmision guardado;
    guardado.lugar = Vespalba::LugarGuardado{
        QStringLiteral("Caleta Tortel"), QStringLiteral("Caleta Tortel, Aysén, Chile"), -47.7958,
        -73.5353, QStringLiteral("America/Santiago")};
    guardado.archivo = QStringLiteral("/x/vespalba.conf");
    int preguntas = 0;
    auto lee = [&](const QStringList& a) {
        return LeeOrden(QStringList{QStringLiteral("vespalba-tabla")} + a, Diciembre2026, {}, [&] {
            ++preguntas;
            return guardado;
        });
    };
    Orden o = lee({"--proximo", "ocaso"});
    ASSERT_EQ(o.accion, Accion::Proximo) << o.mensaje.toStdString();
    EXPECT_EQ(o.peticion.latitud, -47.7958);
    EXPECT_EQ(o.peticion.longitud, 73.5353);  // west positive for the search
    EXPECT_EQ(o.peticion.zonaHoraria, QStringLiteral("America/Santiago"));
    EXPECT_EQ(o.peticion.nombreCompleto, QStringLiteral("Caleta Tortel, Aysén, Chile"));
    EXPECT_EQ(preguntas, 1);
    // A zone given wins; a place given is not looked up at all.
    o = lee({"--hoy", "--zona", "-4"});
    ASSERT_EQ(o.accion, Accion::Calcular);
    EXPECT_TRUE(o.peticion.zonaHoraria.isEmpty());
    EXPECT_EQ(o.peticion.zona, -4.0);
    o = lee({"--lugar", "valparaiso", "--hoy"});
    EXPECT_EQ(preguntas, 2);
    // What --guardar-lugar stores reads back as the place given.
    const Orden g = lee(
        {"--guardar-lugar", "--lat", "-47.7958", "--lon", "-73.5353", "--tz", "America/Santiago"});
    ASSERT_EQ(g.accion, Accion::GuardarLugar) << g.mensaje.toStdString();
    const Vespalba::LugarGuardado l = LugarParaGuardar(g.peticion);
    EXPECT_EQ(l.latitud, -47.7958);
    EXPECT_EQ(l.longitud, -73.5353);
    EXPECT_EQ(l.zona, QStringLiteral("America/Santiago"));

    // None stored: how to store one. Stored but bad: which file and why.
    guardado.lugar.reset();
    o = lee({"--ahora"});
    ASSERT_EQ(o.accion, Accion::Error);
    EXPECT_TRUE(o.mensaje.contains(QStringLiteral("--guardar-lugar"))) << o.mensaje.toStdString();
    guardado.problema = QStringLiteral("sus valores no son un lugar válido");
    o = lee({"--ahora"});
    EXPECT_TRUE(o.mensaje.contains(QStringLiteral("/x/vespalba.conf no se pudo usar (sus valores")))
        << o.mensaje.toStdString();
    // Coordinates stored without a zone: the zone of the point, here the
    // nautical zone off the coast.
    guardado.problema.clear();
    guardado.lugar = Vespalba::LugarGuardado{{}, {}, -33.0, -73.5, {}};
    o = lee({"--ahora"});
    ASSERT_EQ(o.accion, Accion::Ahora) << o.mensaje.toStdString();
    EXPECT_EQ(o.peticion.zona, -5.0);
    EXPECT_TRUE(o.peticion.origenZona.contains(QStringLiteral("náutica")));
}

// Whatever the file holds, reading it gives a valid place or none.
TEST(EsperaLugarGuardado, ArchivosDanados) {
    QTemporaryDir dir;
    const QByteArray contenidos[] = {
        "",
        "[lugar_por_omision]\nlatitud=-33.03\nlongitud=-71.63\nzona=America/Santiago\nnombre=V\n",
        "[lugar_por_omision]\nlatitud=nan\nlongitud=-71.63\n",
        "[lugar_por_omision]\nlatitud=80\nlongitud=-71.63\n",
        "[lugar_por_omision]\nlatitud=-33\nlongitud=-71\nzona=Marte/Olimpo\n",
        "[lugar_por_omision]\nlatitud=-33, 2\nlongitud=@Variant(\\0\\0\\0\\x7f)\n",
        "[lugar_por_omision]\nlatitud=-33\nlongitud=-71\nnombre=\"a\\x1b[31mb\"\n",
        QByteArray("\xff\xfe\0\0[lugar_por_omision\n=\n", 20),
    };
    int validos = 0;
    int n = 0;
    for (const QByteArray& c : contenidos) {
        // A file each: QSettings keeps what it read of a path while the
        // file's time and size look the same.
        const QString ruta = dir.filePath(QStringLiteral("vespalba%1.conf").arg(++n));
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c);
        f.close();
        QSettings s(ruta, QSettings::NativeFormat);
        const std::optional<Vespalba::LugarGuardado> l = Vespalba::LeeLugarPorOmision(s);
        if (l) {
            ++validos;
            EXPECT_TRUE(Vespalba::LugarGuardadoValido(*l));
            EXPECT_FALSE(l->nombre.contains(QChar(0x1b)));
        }
    }
    EXPECT_EQ(validos, 2);  // the good one, and the one whose name held an escape
}

// Without HOME the passwd entry's home folder is used.
TEST(EsperaLugarGuardado, HomeDesdePasswd) {
    const QByteArray antes = qgetenv("HOME");
    unsetenv("HOME");
    Vespalba::CompletaHome();
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(qgetenv("HOME"), QByteArray(pw->pw_dir));
    setenv("HOME", "/otra", 1);
    Vespalba::CompletaHome();
    EXPECT_EQ(qgetenv("HOME"), QByteArray("/otra"));
    if (antes.isNull()) {
        unsetenv("HOME");
    } else {
        setenv("HOME", antes.constData(), 1);
    }
}

// ------------------------------------------------------- the real program

// cron's environment: no LANG, no HOME, PATH=/usr/bin:/bin; the settings
// in a folder of the test's own.
QProcessEnvironment EntornoDeCron(const QString& configuracion) {
    QProcessEnvironment e;
    e.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), configuracion);
    for (const char* v : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (qEnvironmentVariableIsSet(v)) e.insert(QLatin1String(v), qEnvironmentVariable(v));
    }
    return e;
}

TEST(EsperaPrograma, LugarGuardadoBajoCron) {
    QTemporaryDir dir;
    const QProcessEnvironment cron = EntornoDeCron(dir.path());
    const QString archivo = dir.filePath(QStringLiteral("vespalba/vespalba.conf"));

    const Ejecucion sin = Ejecuta({"--proximo", "ocaso"}, cron);
    EXPECT_EQ(sin.estado, 2);
    EXPECT_TRUE(sin.errores.contains("guarde uno para cuando no se dé ninguno"))
        << sin.errores.toStdString();

    const Ejecucion g = Ejecuta({"--guardar-lugar", "--lugar", "Valparaíso"}, cron);
    ASSERT_EQ(g.estado, 0) << g.errores.toStdString();
    EXPECT_TRUE(g.salida.startsWith("lugar por omisión: Valparaíso, ")) << g.salida.toStdString();
    EXPECT_TRUE(g.salida.contains(archivo.toUtf8())) << g.salida.toStdString();
    {
        QSettings s(archivo, QSettings::NativeFormat);
        EXPECT_EQ(s.value("lugar_por_omision/zona").toString(), QStringLiteral("America/Santiago"));
        EXPECT_EQ(s.value("lugar_por_omision/nombre").toString(), QStringLiteral("Valparaíso"));
    }
    // The stored place answers as the place given.
    const Ejecucion guardado = Ejecuta({"--proximo", "ocaso"}, cron);
    const Ejecucion dado = Ejecuta({"--lugar", "valparaiso", "--proximo", "ocaso"}, cron);
    ASSERT_EQ(guardado.estado, 0) << guardado.errores.toStdString();
    EXPECT_EQ(guardado.salida, dado.salida);
    EXPECT_FALSE(guardado.salida.isEmpty());
    const Ejecucion tabla = Ejecuta({"--fecha", "2003-07-02", "--zona", "-4"}, cron);
    EXPECT_EQ(tabla.estado, 0);
    EXPECT_TRUE(tabla.salida.contains("Valparaíso")) << tabla.salida.toStdString();
    // Messages in Spanish and UTF-8 without LANG.
    const Ejecucion mal = Ejecuta({"--lugar", "Ñandú Perdido", "--hoy"}, cron);
    EXPECT_EQ(mal.estado, 2);
    EXPECT_TRUE(
        mal.errores.startsWith("vespalba-tabla: --lugar «Ñandú Perdido»: lugar desconocido"))
        << mal.errores.toStdString();

    // A damaged file: the message names it; --guardar-lugar leaves it as it was.
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray danado = "[lugar_por_omision]\nlatitud=mucho\nlongitud=-71\n[otro]\nx=1\n";
    f.write(danado);
    f.close();
    const Ejecucion d = Ejecuta({"--ahora"}, cron);
    EXPECT_EQ(d.estado, 2);
    EXPECT_TRUE(d.errores.contains(archivo.toUtf8() + " no se pudo usar"))
        << d.errores.toStdString();
    EXPECT_EQ(d.errores.count('\n'), 1);
    const Ejecucion otra = Ejecuta({"--guardar-lugar", "--lugar", "iquique"}, cron);
    EXPECT_EQ(otra.estado, 0) << otra.errores.toStdString();
    QSettings s(archivo, QSettings::NativeFormat);
    EXPECT_EQ(s.value("otro/x").toString(), QStringLiteral("1"));  // the rest kept
}

// A settings file its user cannot read (tests run as root: the program
// runs as nobody): the message says so, and --guardar-lugar leaves it.
TEST(EsperaPrograma, ArchivoDeAjustesIlegible) {
    if (geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        GTEST_SKIP() << "hace falta ser root y setpriv para correr como nobody";
    }
    QTemporaryDir dir;
    const auto todos = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                       QFile::WriteOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), todos);
    QDir(dir.path()).mkdir(QStringLiteral("vespalba"));
    QFile::setPermissions(dir.filePath(QStringLiteral("vespalba")), todos);
    const QString archivo = dir.filePath(QStringLiteral("vespalba/vespalba.conf"));
    const QByteArray contenido =
        "[lugar_por_omision]\nlatitud=-33\nlongitud=-71\nzona=America/Santiago\n";
    {
        QFile f(archivo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
    }
    QFile::setPermissions(archivo, QFileDevice::Permissions());
    auto comoNobody = [&](const QStringList& argumentos) {
        const QStringList todo = {"--reuid=nobody",
                                  "--regid=nogroup",
                                  "--clear-groups",
                                  "env",
                                  "-i",
                                  "PATH=/usr/bin:/bin",
                                  "XDG_CONFIG_HOME=" + dir.path(),
                                  QStringLiteral(VESPALBA_TABLA)};
        QProcess p;
        p.start(QStringLiteral("setpriv"), todo + argumentos);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::pair{p.exitCode(), p.readAllStandardError()};
    };
    const auto [estado, errores] = comoNobody({"--proximo", "ocaso"});
    EXPECT_EQ(estado, 2);
    EXPECT_TRUE(errores.contains("no se pudo usar (no se puede leer)")) << errores.toStdString();
    const auto [otroEstado, otrosErrores] = comoNobody({"--guardar-lugar", "--lugar", "iquique"});
    EXPECT_EQ(otroEstado, 1);
    EXPECT_TRUE(otrosErrores.contains("no se escribe en él")) << otrosErrores.toStdString();
    QFile::setPermissions(archivo, QFile::ReadOwner | QFile::WriteOwner);
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), contenido);
}

// The shell sees 143 for SIGTERM and 130 for SIGINT, as for any program
// ended by them, once the wait has begun.
TEST(EsperaPrograma, SigtermYSigintDuranteLaEspera) {
    QTemporaryDir dir;
    for (const auto& [senal, estado] : {std::pair{"TERM", 143}, std::pair{"INT", 130}}) {
        QProcess bash;
        bash.setProcessEnvironment(EntornoDeCron(dir.path()));
        const QString guion =
            QStringLiteral(
                "\"$0\" --lat 0 --lon 0 --zona 0 --esperar luna-llena 2>\"$1\" & p=$!\n"
                "for _ in $(seq 600); do grep -q 'espera hasta' \"$1\" && break; sleep 0.1; done\n"
                "kill -%1 $p; wait $p; echo $?\n")
                .arg(QLatin1String(senal));
        bash.start(QStringLiteral("/bin/bash"),
                   {QStringLiteral("-c"), guion, QStringLiteral(VESPALBA_TABLA),
                    dir.filePath(QStringLiteral("errores"))});
        ASSERT_TRUE(bash.waitForFinished(120000));
        EXPECT_EQ(bash.readAllStandardOutput().trimmed().toInt(), estado) << senal;
        QFile errores(dir.filePath(QStringLiteral("errores")));
        ASSERT_TRUE(errores.open(QIODevice::ReadOnly));
        const QByteArray texto = errores.readAll();
        EXPECT_TRUE(texto.contains("interrumpida por SIG" + QByteArray(senal)))
            << texto.toStdString();
    }
}

// A real crossing a few seconds ahead: where the Sun is rising now, an
// altitude a tenth of a degree above its present one. The program sleeps
// until the instant it announced, and no earlier.
TEST(EsperaPrograma, UnCruceRealDentroDeSegundos) {
    QTemporaryDir dir;
    const QProcessEnvironment entorno = EntornoDeCron(dir.path());
    // The longitude where it is 9:00 local mean time now, on the equator.
    const qint64 t = QDateTime::currentSecsSinceEpoch();
    const double horaUt = double(t % 86400) / 3600.0;
    const double lon = std::remainder((9.0 - horaUt) * 15.0, 360.0);
    const QStringList lugar = {
        "--lat",  "0",
        "--lon",  QString::number(lon, 'f', 3),
        "--zona", QString::number(std::clamp(std::lround(lon / 15.0), -12L, 14L))};
    const Ejecucion a = Ejecuta(lugar + QStringList{"--ahora", "--formato", "json"}, entorno);
    ASSERT_EQ(a.estado, 0) << a.errores.toStdString();
    const double altura = QJsonDocument::fromJson(a.salida)
                              .object()
                              .value("sol")
                              .toObject()
                              .value("altura")
                              .toDouble();
    ASSERT_GT(altura, 20.0);
    ASSERT_LT(altura, 59.0);
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.start(QStringLiteral(VESPALBA_TABLA),
            lugar + QStringList{"--esperar", "sube", "--altura",
                                QString::number(altura + 0.1, 'f', 3)});
    ASSERT_TRUE(p.waitForStarted());
    p.setReadChannel(QProcess::StandardError);
    QByteArray aviso;
    while (!aviso.contains('\n') && p.waitForReadyRead(60000)) aviso += p.readAllStandardError();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("espera hasta (\\S+) ")).match(QString::fromUtf8(aviso));
    ASSERT_TRUE(m.hasMatch()) << aviso.toStdString();
    const qint64 hasta = QDateTime::fromString(m.captured(1), Qt::ISODate).toSecsSinceEpoch();
    // A tenth of a degree at about a quarter of a degree a minute.
    if (hasta - t > 600 || hasta < t) {
        p.kill();
        p.waitForFinished();
        FAIL() << "el cruce anunciado no está en los minutos que siguen: " << aviso.toStdString();
    }
    ASSERT_TRUE(p.waitForFinished(int(hasta - t + 60) * 1000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_GE(QDateTime::currentSecsSinceEpoch(), hasta);
}

}  // namespace

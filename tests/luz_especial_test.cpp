// SPDX-License-Identifier: GPL-3.0-or-later
// The golden and blue hours of the day model (DiaCalculado::luzEspecial):
// computed only when the request asks, without changing anything else of a
// day; the same instants as the next-event search's crossings
// (DescribeDiaDeBusqueda, CrucesAlturaSol) and -6 degrees the civil
// twilight's; each boundary read on the clock in force at its instant; the
// thresholds a polar day or night does not reach left out; and every
// boundary of a year at several places against a fine bisection of the
// Sun's altitude (astro/posicion.h) around it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "astro/posicion.h"
#include "dias/dias.h"
#include "dias/proximo.h"

namespace {

using namespace std::chrono;
using namespace Vespalba::Dias;
using Vespalba::ModuloVespalba::ClaseEvento;

constexpr double MjdUnix = 40587.0;  // 1970-01-01 00:00 UT

struct Lugar {
    const char* nombre;
    double latitud;   // north positive
    double longitud;  // WEST positive
    const char* zona;
    double fija;  // hours, when zona is empty
};

// Valparaíso at a fixed offset and in its zone (Chile's clock changes at
// midnight), Madrid (at 02:00 and 03:00), Tromsø (70 N: midnight Sun and
// polar night) and a place at 70 N at UT.
const Lugar Lugares[] = {
    {"Valparaíso -4", -33.03, 71.63, "", -4.0},
    {"Valparaíso America/Santiago", -33.03, 71.63, "America/Santiago", 0.0},
    {"Madrid", 40.4168, 3.7038, "Europe/Madrid", 0.0},
    {"Tromsø", 69.6492, -18.9553, "Europe/Oslo", 0.0},
    {"70 N, 0", 70.0, 0.0, "", 0.0},
};

Consulta ConsultaDe(const Lugar& l, sys_days desde, sys_days hasta, bool luz) {
    Consulta c;
    c.latitud = l.latitud;
    c.longitud = l.longitud;
    c.zonaHoraria = QString::fromUtf8(l.zona);
    c.zona = l.fija;
    c.desde = desde;
    c.hasta = hasta;
    c.luzEspecial = luz;
    return c;
}

constexpr sys_days Dia(int a, unsigned m, unsigned d) { return sys_days{year{a} / month{m} / d}; }

// Offset east of UT, seconds, at an instant.
int DesfaseEn(const Consulta& c, qint64 segundos) {
    if (c.zonaHoraria.isEmpty()) return int(std::lround(c.zona * 3600));
    return QTimeZone(c.zonaHoraria.toLatin1())
        .offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC));
}

bool Iguales(const Instante& a, const Instante& b) {
    return a.segundos == b.segundos && a.desfase == b.desfase;
}

// Off by default: the days are the same as before, with no golden or blue
// hours; asked for, every existing day has them and nothing else changes.
TEST(LuzEspecial, SoloCuandoSePideYSinCambiarElResto) {
    for (const Lugar& l : Lugares) {
        SCOPED_TRACE(l.nombre);
        const std::vector<DiaCalculado> sin =
            CalculaDias(ConsultaDe(l, Dia(2026, 3, 20), Dia(2026, 4, 20), false));
        const std::vector<DiaCalculado> con =
            CalculaDias(ConsultaDe(l, Dia(2026, 3, 20), Dia(2026, 4, 20), true));
        ASSERT_EQ(sin.size(), con.size());
        for (std::size_t i = 0; i < sin.size(); ++i) {
            EXPECT_FALSE(sin[i].luzEspecial.has_value());
            EXPECT_EQ(con[i].luzEspecial.has_value(), con[i].existe);
            for (std::size_t c = 0; c < sin[i].eventos.clases.size(); ++c) {
                const auto& a = sin[i].eventos.clases[c];
                const auto& b = con[i].eventos.clases[c];
                EXPECT_EQ(a.estado, b.estado);
                EXPECT_EQ(a.hayOrto, b.hayOrto);
                EXPECT_EQ(a.hayOcaso, b.hayOcaso);
                EXPECT_EQ(a.horaOrto, b.horaOrto);
                EXPECT_EQ(a.horaOcaso, b.horaOcaso);
                EXPECT_TRUE(Iguales(sin[i].instantes[c][0], con[i].instantes[c][0]));
                EXPECT_TRUE(Iguales(sin[i].instantes[c][1], con[i].instantes[c][1]));
            }
            EXPECT_EQ(sin[i].pantalla.HorasLuz, con[i].pantalla.HorasLuz);
            EXPECT_EQ(sin[i].almanaque.cambioLuz, con[i].almanaque.cambioLuz);
            EXPECT_EQ(sin[i].almanaque.horaMediodia, con[i].almanaque.horaMediodia);
        }
    }
}

// Over a whole year at each place (2026, with Santiago's and Madrid's clock
// changes): each boundary is the next-event search's crossing of its
// altitude on that civil day, to the second and with the same offset; -6
// degrees gives the civil twilight's instants; the offset is the zone's at
// the instant and the wall-clock hours read that instant on that offset;
// CompletaLuzEspecial gives a day computed without them the same.
TEST(LuzEspecial, LasMismasQueLaBusquedaDeProximoYElCivil) {
    for (const Lugar& l : Lugares) {
        SCOPED_TRACE(l.nombre);
        const Consulta c = ConsultaDe(l, Dia(2026, 1, 1), Dia(2026, 12, 31), true);
        const std::optional<QTimeZone> zona =
            c.zonaHoraria.isEmpty() ? std::nullopt
                                    : std::optional<QTimeZone>(c.zonaHoraria.toLatin1());
        const QTimeZone* z = zona ? &*zona : nullptr;
        int contados = 0;
        for (const DiaCalculado& d : CalculaDias(c)) {
            if (!d.existe) continue;
            SCOPED_TRACE(std::to_string(int(d.fecha.year())) + "-" +
                         std::to_string(unsigned(d.fecha.month())) + "-" +
                         std::to_string(unsigned(d.fecha.day())));
            ASSERT_TRUE(d.luzEspecial);
            const LuzEspecialDia& luz = *d.luzEspecial;
            const DiaDeBusqueda b = DescribeDiaDeBusqueda(c, sys_days{d.fecha}, z);
            for (const DefinicionLimiteLuz& def : LimitesLuz) {
                const auto cruce = CrucesAlturaSol(b, AlturasLuzEspecial[std::size_t(def.umbral)],
                                                   z)[std::size_t(def.direccion)];
                const std::optional<MomentoLuz> m = luz.Limite(def.limite);
                ASSERT_EQ(m.has_value(), cruce.has_value()) << def.nombre;
                if (!m) continue;
                ++contados;
                EXPECT_TRUE(Iguales(m->instante, *cruce)) << def.nombre;
                EXPECT_EQ(m->instante.desfase, DesfaseEn(c, m->instante.segundos));
                // The clock's reading of the instant: hours after the
                // date's 0 h on the offset then, the second truncated.
                const qint64 medianoche =
                    qint64(sys_days{d.fecha}.time_since_epoch().count()) * 86400;
                const double reloj =
                    double(m->instante.segundos + m->instante.desfase - medianoche) / 3600.0;
                EXPECT_GE(m->hora, reloj - 1e-9);
                EXPECT_LT(m->hora, reloj + 1.0 / 3600.0) << def.nombre;
            }
            // -6 degrees is the civil twilight's class.
            const auto& civil = d.eventos[ClaseEvento::Civil];
            const auto& ic = d.instantes[std::size_t(int(ClaseEvento::Civil) - 1)];
            const std::optional<MomentoLuz> alba = luz.Limite(LimiteLuz::InicioAzulManana);
            const std::optional<MomentoLuz> fin = luz.Limite(LimiteLuz::FinAzulTarde);
            ASSERT_EQ(alba.has_value(), civil.hayOrto);
            ASSERT_EQ(fin.has_value(), civil.hayOcaso);
            if (alba) {
                EXPECT_EQ(alba->hora, civil.horaOrto);
                EXPECT_TRUE(Iguales(alba->instante, ic[0]));
            }
            if (fin) {
                EXPECT_EQ(fin->hora, civil.horaOcaso);
                EXPECT_TRUE(Iguales(fin->instante, ic[1]));
            }
            DiaCalculado solo =
                CalculaDia(ConsultaDe(l, c.desde, c.hasta, false), sys_days{d.fecha});
            ASSERT_FALSE(solo.luzEspecial);
            CompletaLuzEspecial(c, solo);
            ASSERT_TRUE(solo.luzEspecial);
            for (const DefinicionLimiteLuz& def : LimitesLuz) {
                const auto a = luz.Limite(def.limite);
                const auto e = solo.luzEspecial->Limite(def.limite);
                ASSERT_EQ(a.has_value(), e.has_value());
                if (a) {
                    EXPECT_EQ(a->hora, e->hora);
                    EXPECT_TRUE(Iguales(a->instante, e->instante));
                }
            }
        }
        EXPECT_GT(contados, 700);
    }
}

// What a polar day and a polar night leave at 70 N: on the June solstice
// the Sun stays between +3.4 and +43.4 degrees (no -6 or -4 crossing, +6
// crossed both ways); on the December solstice between -43.4 and -3.4 (-6
// and -4 crossed, +6 never: the golden hour is one stretch around noon).
TEST(LuzEspecial, UmbralesQueElSolNoAlcanzaA70N) {
    const Lugar& polar = Lugares[4];
    struct Caso {
        sys_days dia;
        std::array<bool, NumLimitesLuz> hay;  // in LimiteLuz's order
    };
    const Caso casos[] = {
        {Dia(2026, 6, 21), {false, false, true, true, false, false}},
        {Dia(2026, 12, 21), {true, true, false, false, true, true}},
    };
    for (const Caso& k : casos) {
        const DiaCalculado d = CalculaDia(ConsultaDe(polar, k.dia, k.dia, true), k.dia);
        ASSERT_TRUE(d.luzEspecial);
        for (const DefinicionLimiteLuz& def : LimitesLuz) {
            EXPECT_EQ(d.luzEspecial->Limite(def.limite).has_value(), k.hay[std::size_t(def.limite)])
                << def.nombre << " " << unsigned(year_month_day{k.dia}.month());
        }
    }
}

// The instant at which the Sun's altitude crosses `altura` between two
// instants that bracket it, by bisection to a millisecond; none when they
// do not bracket it.
std::optional<double> Biseca(double mjdA, double mjdB, double altura, const Lugar& l) {
    using Vespalba::ModuloVespalba::PosicionSol;
    auto f = [&](double mjd) { return PosicionSol(mjd, l.latitud, l.longitud).altura - altura; };
    double fa = f(mjdA);
    if ((fa > 0) == (f(mjdB) > 0)) return std::nullopt;
    while ((mjdB - mjdA) * 86400.0 > 1e-3) {
        const double m = 0.5 * (mjdA + mjdB);
        const double fm = f(m);
        if ((fm > 0) == (fa > 0)) {
            mjdA = m;
            fa = fm;
        } else {
            mjdB = m;
        }
    }
    return 0.5 * (mjdA + mjdB);
}

// Every boundary of 2026 against the instant the Sun's altitude crosses its
// threshold, found by bisection within 20 minutes of it: the hourly
// search's error. Where the threshold lies within a degree of the day's
// extreme altitude (Tromsø's and 70 N's grazing days) the parabola through
// hourly samples is looser; those are counted apart.
TEST(LuzEspecial, FrenteABiseccionDeLaAlturaDelSol) {
    using Vespalba::ModuloVespalba::PosicionSol;
    struct Cuenta {
        double maximo = 0, suma = 0;
        int n = 0;
        void Anota(double e) {
            maximo = std::max(maximo, e);
            suma += e;
            ++n;
        }
    };
    Cuenta claros, rozados, cambio;
    const std::array<sys_days, 4> diasDeCambio = {Dia(2026, 4, 4), Dia(2026, 4, 5), Dia(2026, 9, 5),
                                                  Dia(2026, 9, 6)};
    for (const Lugar& l : Lugares) {
        SCOPED_TRACE(l.nombre);
        const Consulta c = ConsultaDe(l, Dia(2026, 1, 1), Dia(2026, 12, 31), true);
        Cuenta lugar;
        for (const DiaCalculado& d : CalculaDias(c)) {
            if (!d.luzEspecial) continue;
            // The day's extreme altitudes, sampled every 10 minutes.
            const double mjd0 = MjdUnix + double(sys_days{d.fecha}.time_since_epoch().count()) -
                                d.desfase / 86400.0;
            double minimo = 90, maximo = -90;
            for (int k = 0; k <= 6 * 25; ++k) {
                const double a = PosicionSol(mjd0 + k / 144.0, l.latitud, l.longitud).altura;
                minimo = std::min(minimo, a);
                maximo = std::max(maximo, a);
            }
            const bool enCambio = c.zonaHoraria == QLatin1String("America/Santiago") &&
                                  std::find(diasDeCambio.begin(), diasDeCambio.end(),
                                            sys_days{d.fecha}) != diasDeCambio.end();
            for (const DefinicionLimiteLuz& def : LimitesLuz) {
                const std::optional<MomentoLuz> m = d.luzEspecial->Limite(def.limite);
                if (!m) continue;
                const double altura = AlturasLuzEspecial[std::size_t(def.umbral)];
                // The instant is truncated to the second: its middle.
                const double mjd = MjdUnix + (double(m->instante.segundos) + 0.5) / 86400.0;
                const std::optional<double> exacto =
                    Biseca(mjd - 20.0 / 1440.0, mjd + 20.0 / 1440.0, altura, l);
                ASSERT_TRUE(exacto) << def.nombre << " no crossing within 20 minutes";
                const double error = std::fabs(*exacto - mjd) * 86400.0;
                const bool roza = altura - minimo < 1.0 || maximo - altura < 1.0;
                (roza ? rozados : claros).Anota(error);
                lugar.Anota(error);
                if (enCambio) cambio.Anota(error);
            }
        }
        std::printf("%s: %d límites, error máximo %.1f s, medio %.2f s\n", l.nombre, lugar.n,
                    lugar.maximo, lugar.suma / std::max(1, lugar.n));
    }
    std::printf(
        "lejos del extremo del día: %d límites, máximo %.1f s, medio %.2f s; a menos de 1° del "
        "extremo: %d, máximo %.1f s, medio %.2f s; Santiago en sus días de cambio: %d, máximo "
        "%.1f s\n",
        claros.n, claros.maximo, claros.suma / std::max(1, claros.n), rozados.n, rozados.maximo,
        rozados.suma / std::max(1, rozados.n), cambio.n, cambio.maximo);
    ASSERT_GT(claros.n, 5000);
    EXPECT_EQ(cambio.n, 24) << "six boundaries on each of the four days";
    EXPECT_LE(claros.maximo, 30.0);
    EXPECT_LE(cambio.maximo, 30.0);
    EXPECT_LE(rozados.maximo, 300.0);
}

}  // namespace

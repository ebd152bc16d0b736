// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac's clock-time texts ("7:04"), against the window's own form
// (" 7: 4") of the same events: the same hours and minutes, other digits.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dias/celdas.h"
#include "dias/dias.h"

namespace {

using namespace std::chrono;
using Vespalba::Caja;
using Vespalba::NumCajas;
using Vespalba::Dias::CalculaDias;
using Vespalba::Dias::Consulta;
using Vespalba::Dias::DiaCalculado;

TEST(FormaDeReloj, HorasMinutosYSegundos) {
    using Vespalba::Dias::DuracionDeReloj;
    using Vespalba::Dias::HoraDeReloj;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double horas;
        const char* hora;
        const char* duracion;
    } casos[] = {
        {7.0 + 4.5 / 60, "7:04", "7:04"},
        {20.0, "20:00", "20:00"},
        {0.15, "0:09", "0:09"},
        {9.0 + 59.99 / 60, "9:59", "9:59"},  // truncated, never rounded up
        {24.0, "24:00", "24:00"},
        {0.0, "0:00", "0:00"},
        {23.0 + 59.0 / 60 + 59.9 / 3600, "23:59", "23:59"},
        // A sunset before the sunrise on the day's clock: the window writes
        // -1.36 h as "-2: 38"; the duration keeps its sign.
        {-1.36, "-2:38", "-1:21"},
        {nan, "", ""},
        {inf, "", ""},
        {-inf, "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.horas);
        EXPECT_EQ(HoraDeReloj(c.horas).toStdString(), c.hora);
        EXPECT_EQ(DuracionDeReloj(c.horas).toStdString(), c.duracion);
    }
}

// "H:MM" or "H: M" read back as whole minutes.
int Minutos(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral(R"(^\s*(-?\d+):\s*(\d+)$)"));
    const QRegularExpressionMatch m = forma.match(texto);
    EXPECT_TRUE(m.hasMatch()) << texto.toStdString();
    return m.captured(1).toInt() * 60 + m.captured(2).toInt();
}

// Every box of every day of a year, at places that cover the polar cases,
// a clock-change zone and a fixed offset: the new text is the window's
// time with other digits, or the window's own mark.
TEST(FormaDeReloj, LasMismasHorasQueLaVentana) {
    struct Lugar {
        double latitud, longitud;  // north, WEST positive
        const char* zona;          // empty: the fixed offset
        double desfase;
    };
    const Lugar lugares[] = {
        {-33.0, 71.6, "America/Santiago", 0},  // clock changes at midnight
        {70.0, -20.0, "Europe/Oslo", 0},       // polar day and night
        {-74.9, 60.0, "", -3.0},               // polar, a fixed offset
        {-13.8, 171.75, "Pacific/Apia", 0},    // 2011-12-30 does not exist
    };
    const QRegularExpression tiempo(QStringLiteral(R"(^-?\d+:\d\d$)"));
    for (const Lugar& l : lugares) {
        Consulta c;
        c.latitud = l.latitud;
        c.longitud = l.longitud;
        c.zonaHoraria = QString::fromLatin1(l.zona);
        c.zona = l.desfase;
        c.desde = sys_days{2011y / January / 1};
        c.hasta = sys_days{2011y / December / 31};
        int tiempos = 0;
        for (const DiaCalculado& d : CalculaDias(c)) {
            SCOPED_TRACE(Vespalba::Dias::FechaIso(d.fecha).toStdString() + " " + l.zona);
            for (int i = 0; i < NumCajas; ++i) {
                const QString ventana = QString::fromStdString(d.pantalla.cajas[i].texto);
                const QString nuevo = Vespalba::Dias::TextoDeCaja(d, static_cast<Caja>(i));
                if (ventana.contains(QLatin1Char(':'))) {
                    ASSERT_TRUE(tiempo.match(nuevo).hasMatch()) << nuevo.toStdString();
                    EXPECT_EQ(Minutos(nuevo), Minutos(ventana)) << ventana.toStdString();
                    ++tiempos;
                } else {
                    EXPECT_EQ(nuevo, ventana);
                }
            }
            const QString luz = QString::fromStdString(d.pantalla.HorasLuz);
            const QString nueva = Vespalba::Dias::TextoHorasDeLuz(d);
            if (luz.isEmpty()) {
                EXPECT_TRUE(nueva.isEmpty());
            } else if (!nueva.startsWith(QLatin1Char('-'))) {
                EXPECT_EQ(Minutos(nueva), Minutos(luz)) << luz.toStdString();
            } else {
                // The window floors a negative duration: -1:21 is "-2: 39".
                EXPECT_GE(Minutos(luz), -Minutos(nueva.mid(1)) - 1) << luz.toStdString();
            }
        }
        EXPECT_GT(tiempos, 1000) << l.zona;
    }
}

// Noon with its seconds: hours unpadded, on the clock in force at noon.
TEST(FormaDeReloj, MediodiaConSegundos) {
    Consulta c;
    c.latitud = -(33.0 + 16.0 / 60);
    c.longitud = 71.6;
    c.zona = -4;
    c.desde = c.hasta = sys_days{2003y / July / 2};
    const DiaCalculado d = CalculaDias(c).front();
    ASSERT_TRUE(d.almanaque.horaMediodia);
    const QString texto = Vespalba::Dias::HoraConSegundos(d, d.almanaque.mediodia);
    EXPECT_TRUE(texto.startsWith(QStringLiteral("12:50:"))) << texto.toStdString();
    // Before 10:00 the hour has one digit: the same instant at -9 h.
    c.zona = -9;
    const DiaCalculado temprano = CalculaDias(c).front();
    const QString t = Vespalba::Dias::HoraConSegundos(temprano, temprano.almanaque.mediodia);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^7:50:\d\d$)")).match(t).hasMatch())
        << t.toStdString();
    EXPECT_EQ(t.mid(4), texto.mid(5));
}

// A zone far from the place's longitude (30 S, 100 W on a fixed +5.5 h): the
// Sun sets in the morning and rises in the evening of each local date. The
// hours of daylight are the light within the day, about 14 h, and their
// change from one day to the next is the usual half minute, not a day.
TEST(HorasDeLuz, OcasoAntesDelOrto) {
    Consulta c;
    c.latitud = -30.0;
    c.longitud = 100.0;  // west positive
    c.zona = 5.5;
    c.desde = sys_days{2026y / December / 10};
    c.hasta = sys_days{2026y / December / 12};
    const std::vector<DiaCalculado> dias = CalculaDias(c);
    ASSERT_EQ(dias.size(), 3u);
    const char* esperadas[] = {"14:01", "14:01", "14:02"};
    for (std::size_t i = 0; i < dias.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Vespalba::Dias::TextoHorasDeLuz(dias[i]), QString::fromLatin1(esperadas[i]));
        ASSERT_TRUE(dias[i].horasLuz);
        EXPECT_GT(*dias[i].horasLuz, 14.0);
        EXPECT_LT(*dias[i].horasLuz, 14.1);
        if (i > 0) {
            ASSERT_TRUE(dias[i].almanaque.cambioLuz);
            EXPECT_GT(*dias[i].almanaque.cambioLuz, 0);
            EXPECT_LT(*dias[i].almanaque.cambioLuz, 60);
        }
    }
}

}  // namespace

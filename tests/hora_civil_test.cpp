// SPDX-License-Identifier: GPL-3.0-or-later
// Civil time in vespalba-tabla: IANA zones, the civil days around clock
// changes, dates a zone skips, and the invariant that a day of one offset
// gives exactly the results of that fixed offset.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTimeZone>

#include <chrono>
#include <cmath>
#include <vector>

#include "astro/almanaque.h"
#include "astro/eventos.h"
#include "lugares/zonas.h"
#include "salidas/salida.h"
#include "tabla/orden.h"

namespace {

using namespace std::chrono;
using Vespalba::DescribeDia;
using Vespalba::DiaCivil;
using Vespalba::Dias::CalculaDia;
using Vespalba::Dias::CalculaDias;
using Vespalba::Dias::DiaCalculado;
using Vespalba::ModuloVespalba::EventoClase;
using Vespalba::ModuloVespalba::NumClases;
using Vespalba::Tabla::Peticion;

sys_days Dia(int a, int m, int d) {
    return sys_days{year{a} / month{unsigned(m)} / day{unsigned(d)}};
}

// The civil days of the zones' rules, as published in tzdata (the dates and
// hours of each change, and the two dates that Pacific/Apia and
// Pacific/Kiritimati skipped when they crossed the date line).
struct CasoDia {
    const char* zona;
    int anio, mes, dia;
    bool existe;
    qint64 segundos;     // length of the civil day
    const char* inicio;  // wall clock when the day starts
    const char* nota;    // the change, "" when none
};

// clang-format off
const CasoDia casosDia[] = {
    // Mainland Chile changes at local midnight: the autumn day repeats its
    // last hour (24:00 -03 is 23:00 -04), the spring day starts at 01:00.
    {"America/Santiago", 2023, 4, 1, true, 90000, "00:00", "24:00 → 23:00, -03 → -04"},
    {"America/Santiago", 2023, 4, 2, true, 86400, "00:00", ""},
    {"America/Santiago", 2023, 9, 2, true, 86400, "00:00", ""},
    {"America/Santiago", 2023, 9, 3, true, 82800, "01:00", "00:00 → 01:00, -04 → -03"},
    // Aysén keeps -03 all year since 2025; Magallanes since 2016.
    {"America/Coyhaique", 2025, 4, 5, true, 86400, "00:00", ""},
    {"America/Coyhaique", 2024, 4, 6, true, 90000, "00:00", "24:00 → 23:00, -03 → -04"},
    {"America/Punta_Arenas", 2023, 4, 1, true, 86400, "00:00", ""},
    {"America/Punta_Arenas", 2016, 5, 14, true, 90000, "00:00", "24:00 → 23:00, -03 → -04"},
    // Easter Island changes at 22:00 local time.
    {"Pacific/Easter", 2023, 4, 1, true, 90000, "00:00", "22:00 → 21:00, -05 → -06"},
    {"Pacific/Easter", 2023, 9, 2, true, 82800, "00:00", "22:00 → 23:00, -06 → -05"},
    {"Europe/Madrid", 2026, 3, 29, true, 82800, "00:00", "02:00 → 03:00, +01 → +02"},
    {"Europe/Madrid", 2026, 10, 25, true, 90000, "00:00", "03:00 → 02:00, +02 → +01"},
    // Half-hour changes.
    {"Australia/Lord_Howe", 2026, 4, 5, true, 88200, "00:00", "02:00 → 01:30, +11 → +10:30"},
    {"Australia/Lord_Howe", 2026, 10, 4, true, 84600, "00:00", "02:00 → 02:30, +10:30 → +11"},
    {"America/St_Johns", 2026, 3, 8, true, 82800, "00:00", "02:00 → 03:00, -03:30 → -02:30"},
    {"America/St_Johns", 2026, 11, 1, true, 90000, "00:00", "02:00 → 01:00, -02:30 → -03:30"},
    // Nepal moved from +05:30 to +05:45 at the start of 1986.
    {"Asia/Kathmandu", 1986, 1, 1, true, 85500, "00:15", "00:00 → 00:15, +05:30 → +05:45"},
    {"Pacific/Auckland", 2026, 4, 5, true, 90000, "00:00", "03:00 → 02:00, +13 → +12"},
    {"Pacific/Auckland", 2026, 9, 27, true, 82800, "00:00", "02:00 → 03:00, +12 → +13"},
    // Dates skipped when the zone moved across the date line.
    {"Pacific/Kiritimati", 1994, 12, 31, false, 0, "", ""},
    {"Pacific/Apia", 2011, 12, 30, false, 0, "", ""},
    {"Pacific/Apia", 2011, 12, 29, true, 86400, "00:00", ""},
};
// clang-format on

TEST(DiaCivil, DuracionInicioYCambioDeCadaZona) {
    for (const CasoDia& c : casosDia) {
        SCOPED_TRACE(std::string(c.zona) + " " + std::to_string(c.anio) + "-" +
                     std::to_string(c.mes) + "-" + std::to_string(c.dia));
        ASSERT_TRUE(Vespalba::ZonaConocida(QString::fromLatin1(c.zona)));
        const QTimeZone zona(c.zona);
        const QDate fecha(c.anio, c.mes, c.dia);
        const DiaCivil d = DescribeDia(zona, fecha);
        ASSERT_EQ(d.existe, c.existe);
        if (!c.existe) continue;
        EXPECT_EQ(d.Segundos(), c.segundos);
        EXPECT_EQ(d.inicio.toTimeZone(zona).time().toString("HH:mm"), c.inicio);
        EXPECT_EQ(d.ordinario, c.nota[0] == '\0');
        QStringList notas;
        for (const auto& cambio : d.cambios) notas << Vespalba::NotaCambio(zona, fecha, cambio);
        EXPECT_EQ(notas.join("; "), QString::fromUtf8(c.nota));
    }
}

// The program's rows for those days: a date the zone skips has no times; a
// change day's note names the change.
TEST(DiaCivil, FilasDeLosDiasDeCambio) {
    for (const CasoDia& c : casosDia) {
        SCOPED_TRACE(std::string(c.zona) + " " + std::to_string(c.anio) + "-" +
                     std::to_string(c.mes) + "-" + std::to_string(c.dia));
        Peticion p;
        p.latitud = -33.0;
        p.longitud = 71.6;
        p.zonaHoraria = QString::fromLatin1(c.zona);
        const DiaCalculado d = CalculaDia(p, Dia(c.anio, c.mes, c.dia));
        EXPECT_EQ(d.existe, c.existe);
        if (!c.existe) {
            for (const EventoClase& e : d.eventos.clases) EXPECT_FALSE(e.hayOrto || e.hayOcaso);
            continue;
        }
        EXPECT_EQ(d.cambios.join("; "), QString::fromUtf8(c.nota));
        // The text's header names the offsets the day's times are read
        // with: the day's start's, and only the two of the change.
        if (c.nota[0] != '\0') {
            Peticion texto = p;
            texto.desde = texto.hasta = Dia(c.anio, c.mes, c.dia);
            const QString cabecera =
                QString::fromUtf8(Vespalba::Salidas::Escribe(texto)).section('\n', 1, 1);
            const QString nota = QString::fromUtf8(c.nota);
            const QStringList delCambio = {nota.section(", ", 1).section(" → ", 0, 0),
                                           nota.section(" → ", -1)};
            const QString lista = cabecera.section("(desfase", 1).section(';', 0, 0);
            const QStringList usados =
                lista.mid(lista.indexOf(' ') + 1).split(QRegularExpression(", | y "));
            EXPECT_TRUE(usados.contains(Vespalba::TextoDesfase(d.desfase)))
                << cabecera.toStdString();
            for (const QString& u : usados) {
                EXPECT_TRUE(delCambio.contains(u)) << cabecera.toStdString();
            }
        }
        for (std::size_t k = 0; k < d.eventos.clases.size(); ++k) {
            const EventoClase& e = d.eventos.clases[k];
            for (const auto& [hay, hora] :
                 {std::pair{e.hayOrto, e.horaOrto}, std::pair{e.hayOcaso, e.horaOcaso}}) {
                if (hay) {
                    EXPECT_GE(hora, 0.0);
                    EXPECT_LT(hora, 24.0);
                }
            }
        }
        // Solar noon on a day of 23 or 25 hours: an instant of the civil
        // day, read on the clock in force then, its hour that clock's.
        const DiaCivil civil =
            DescribeDia(QTimeZone(QByteArray(c.zona)), QDate(c.anio, c.mes, c.dia));
        const Vespalba::Dias::AlmanaqueDia& a = d.almanaque;
        ASSERT_TRUE(a.horaMediodia.has_value());
        EXPECT_GE(a.mediodia.segundos, civil.inicio.toSecsSinceEpoch());
        EXPECT_LT(a.mediodia.segundos, civil.inicio.toSecsSinceEpoch() + civil.Segundos());
        EXPECT_EQ(a.mediodia.desfase,
                  QTimeZone(QByteArray(c.zona))
                      .offsetFromUtc(QDateTime::fromSecsSinceEpoch(a.mediodia.segundos, Qt::UTC)));
        const qint64 medianoche = Dia(c.anio, c.mes, c.dia).time_since_epoch().count() * 86400LL;
        EXPECT_NEAR(double(a.mediodia.segundos + a.mediodia.desfase - medianoche),
                    *a.horaMediodia * 3600.0, 1.0);
        // 71.6 W: the passage near 16:46 UT, whatever the zone's offset.
        EXPECT_NEAR(double((a.mediodia.segundos % 86400)) / 3600.0, 16.77, 0.3);
    }
}

// The change of daylight across the start and the end of the polar night:
// none on a day without sunrise or sunset nor on the day after one; where
// both days have them, the difference of their daylight, truncated.
TEST(Almanaque, CambioDeLuzAlrededorDeLaNochePolar) {
    Peticion p;
    p.latitud = 70.0;
    p.longitud = -20.0;  // 20 E
    p.zonaHoraria = QStringLiteral("Europe/Oslo");
    for (const auto& [desde, hasta] : {std::pair{Dia(2026, 11, 18), Dia(2026, 12, 2)},
                                       std::pair{Dia(2027, 1, 8), Dia(2027, 1, 22)}}) {
        const std::vector<DiaCalculado> dias = CalculaDias(p, desde, hasta);
        int con = 0, sin = 0;
        for (std::size_t i = 1; i < dias.size(); ++i) {
            const auto& ayer = dias[i - 1].eventos[Vespalba::ModuloVespalba::ClaseEvento::Sol];
            const auto& hoy = dias[i].eventos[Vespalba::ModuloVespalba::ClaseEvento::Sol];
            const bool ambos = ayer.hayOrto && ayer.hayOcaso && hoy.hayOrto && hoy.hayOcaso;
            const std::optional<qint64>& cambio = dias[i].almanaque.cambioLuz;
            ASSERT_EQ(cambio.has_value(), ambos) << i;
            if (ambos) {
                ++con;
                EXPECT_EQ(*cambio,
                          qint64(std::trunc((*dias[i].horasLuz - *dias[i - 1].horasLuz) * 3600.0)));
                // Shortening days before the solstice, lengthening after.
                EXPECT_EQ(*cambio < 0, desde < Dia(2026, 12, 21)) << *cambio;
            } else {
                ++sin;
            }
            // Noon every day, the Sun below the horizon in the polar night.
            ASSERT_TRUE(dias[i].almanaque.horaMediodia.has_value());
            if (!hoy.hayOrto && !hoy.hayOcaso) {
                EXPECT_LT(dias[i].almanaque.alturaMediodia, -0.8);
            }
        }
        EXPECT_GT(con, 0);
        EXPECT_GT(sin, 0);
    }
}

// Across a clock change the change of daylight runs on smoothly: the day
// before is sampled on the new day's offset (otherwise the search's
// interpolation error, up to half a minute, would show as a jump).
TEST(Almanaque, CambioDeLuzSinSaltoEnLosCambiosDeHora) {
    Peticion p;
    p.latitud = -33.033333333333333;
    p.longitud = 71.633333333333333;
    p.zonaHoraria = QStringLiteral("America/Santiago");
    for (const sys_days cambio : {Dia(2023, 4, 1), Dia(2023, 9, 3), Dia(2026, 4, 4)}) {
        const std::vector<DiaCalculado> dias = CalculaDias(p, cambio - days{3}, cambio + days{3});
        for (std::size_t i = 1; i < dias.size(); ++i) {
            ASSERT_TRUE(dias[i].almanaque.cambioLuz && dias[i - 1].almanaque.cambioLuz);
            EXPECT_LE(std::abs(*dias[i].almanaque.cambioLuz - *dias[i - 1].almanaque.cambioLuz), 6)
                << Vespalba::Dias::FilaTexto(p, dias[i]).front().texto.toStdString();
        }
    }
}

// The first day's change comes from the day before, even before 1980.
TEST(Almanaque, CambioDeLuzDelPrimerDia) {
    Peticion p;
    p.latitud = -33.266666666666666;
    p.longitud = 71.6;
    p.zona = -4;
    const std::vector<DiaCalculado> dias = CalculaDias(p, Dia(1980, 1, 1), Dia(1980, 1, 1));
    const DiaCalculado antes = CalculaDia(p, Dia(1979, 12, 31));
    ASSERT_TRUE(dias[0].almanaque.cambioLuz.has_value());
    EXPECT_EQ(*dias[0].almanaque.cambioLuz,
              qint64(std::trunc((*dias[0].horasLuz - *antes.horasLuz) * 3600.0)));
    EXPECT_LT(*dias[0].almanaque.cambioLuz, 0) << "days shorten after the December solstice";
    EXPECT_FALSE(CalculaDia(p, Dia(1980, 1, 1)).almanaque.cambioLuz.has_value())
        << "one day alone has no day before";
}

// A principal phase within a minute of a local midnight is listed on the
// civil day that holds its instant, and on no other.
TEST(Almanaque, FaseJuntoALaMedianoche) {
    Peticion p;
    p.latitud = -33.0;
    p.longitud = 71.6;
    p.zona = -4;
    constexpr double MjdUnix = 40587.0;
    int vistas = 0;
    for (const auto& f : Vespalba::ModuloVespalba::FasesEntre(44239.0, 66519.0)) {  // 1980-2040
        const double local = (f.mjd - MjdUnix) * 86400.0 - 4 * 3600.0;  // s since 1970, at -4
        const double medianoche = std::round(local / 86400.0) * 86400.0;
        if (std::fabs(local - medianoche) > 60.0) continue;
        ++vistas;
        const sys_days dia{days{qint64(std::floor(local / 86400.0))}};
        const std::vector<DiaCalculado> dias = CalculaDias(p, dia - days{1}, dia + days{1});
        for (const DiaCalculado& d : dias) {
            const bool suya = sys_days{d.fecha} == dia;
            ASSERT_EQ(
                d.almanaque.fase.has_value() && d.almanaque.fase->instante.segundos ==
                                                    qint64(std::floor((f.mjd - MjdUnix) * 86400.0)),
                suya)
                << local - medianoche << " s from midnight";
            if (suya) {
                EXPECT_EQ(d.almanaque.fase->fase, f.fase);
                EXPECT_EQ(d.almanaque.etapa, Vespalba::ModuloVespalba::EtapaDeFase(f.fase));
                EXPECT_GE(d.almanaque.fase->hora, 0.0);
                EXPECT_LT(d.almanaque.fase->hora, 24.0);
            }
        }
    }
    EXPECT_GE(vistas, 2) << "phases that close to midnight in sixty years";
}

// A date the zone skips keeps every format's shape: a CSV row with as many
// fields as there are titles, a text row saying so, a JSON line without
// times.
TEST(DiaCivil, FechaSaltadaEnCadaFormato) {
    Peticion p;
    p.latitud = -13.833333333333334;
    p.longitud = 171.75;
    p.zonaHoraria = QStringLiteral("Pacific/Apia");
    p.desde = Dia(2011, 12, 29);
    p.hasta = Dia(2011, 12, 31);
    p.formato = Vespalba::Salidas::BuscaFormato(QStringLiteral("csv"));
    const QList<QByteArray> filas = Vespalba::Salidas::Escribe(p).trimmed().split('\n');
    ASSERT_EQ(filas.size(), 4);
    auto campos = [](const QByteArray& fila) {
        int n = 1;
        bool entreComillas = false;
        for (char c : fila.trimmed()) {
            if (c == '"') entreComillas = !entreComillas;
            if (c == ',' && !entreComillas) ++n;
        }
        return n;
    };
    for (const QByteArray& fila : filas)
        EXPECT_EQ(campos(fila), campos(filas[0])) << fila.constData();
    EXPECT_TRUE(filas[2].startsWith("2011-12-30,")) << filas[2].constData();
    EXPECT_TRUE(filas[2].contains(",false,"));

    p.formato = Vespalba::Salidas::BuscaFormato(QStringLiteral("texto"));
    const QString texto = QString::fromUtf8(Vespalba::Salidas::Escribe(p));
    const QString fila = texto.split('\n').filter("2011-12-30").value(0);
    EXPECT_TRUE(fila.endsWith("no existe en la zona")) << fila.toStdString();
    EXPECT_LE(fila.size(), 160);

    p.formato = Vespalba::Salidas::BuscaFormato(QStringLiteral("json"));
    const QByteArray json = Vespalba::Salidas::Escribe(p).split('\n').value(1);
    EXPECT_TRUE(json.contains("\"existe\":false")) << json.constData();
    EXPECT_TRUE(json.contains("\"clases\":null")) << json.constData();
}

// On every day of one offset, the zone's results are bit for bit those of
// that fixed offset: the zone only chooses the offset.
TEST(DiaCivil, DiaOrdinarioIgualQueSuDesfaseFijo) {
    struct Sitio {
        const char* zona;
        double latitud, longitudOeste;
        int anio;
    } sitios[] = {
        {"America/Santiago", -33.0333, 71.6333, 2023},
        {"Pacific/Easter", -27.1667, 109.4333, 2023},
        {"America/Punta_Arenas", -53.15, 70.9, 2016},
        {"Europe/Madrid", 40.4, 3.7, 2026},
        {"Australia/Lord_Howe", -31.55, -159.08, 2026},
        {"Asia/Kathmandu", 27.7, -85.3, 1986},
        {"America/St_Johns", 47.56, 52.71, 2026},
        {"Pacific/Auckland", -36.85, -174.76, 2026},
    };
    for (const Sitio& s : sitios) {
        SCOPED_TRACE(s.zona);
        Peticion civil;
        civil.latitud = s.latitud;
        civil.longitud = s.longitudOeste;
        civil.zonaHoraria = QString::fromLatin1(s.zona);
        civil.desde = Dia(s.anio, 1, 1);
        civil.hasta = Dia(s.anio, 12, 31);
        int ordinarios = 0;
        for (const DiaCalculado& d : CalculaDias(civil)) {
            if (!d.cambios.isEmpty()) continue;
            ++ordinarios;
            Peticion fija = civil;
            fija.zonaHoraria.clear();
            fija.zona = d.desfase / 3600.0;
            const DiaCalculado f = CalculaDia(fija, sys_days{d.fecha});
            for (int c = 0; c < NumClases; ++c) {
                const EventoClase& a = d.eventos.clases[c];
                const EventoClase& b = f.eventos.clases[c];
                ASSERT_EQ(a.estado, b.estado);
                ASSERT_EQ(a.hayOrto, b.hayOrto);
                ASSERT_EQ(a.hayOcaso, b.hayOcaso);
                // Bit for bit, not merely close.
                ASSERT_EQ(a.horaOrto, b.horaOrto);
                ASSERT_EQ(a.horaOcaso, b.horaOcaso);
            }
            ASSERT_EQ(d.pantalla.HorasLuz, f.pantalla.HorasLuz);
            for (int k = 0; k < Vespalba::NumCajas; ++k) {
                ASSERT_EQ(d.pantalla.cajas[k].texto, f.pantalla.cajas[k].texto);
            }
        }
        EXPECT_GE(ordinarios, 360);
    }
}

// A change day checked against an independent computation: the same events
// found with fixed-offset searches on either side of the change. Every event
// of the civil day is one that a fixed-offset search finds at the same
// instant (to the minute: the two searches sample different hours), and
// every crossing those searches find inside the civil day is reported,
// unless the day already holds an earlier one of the same direction (only
// one rise and one set per class are kept).
TEST(DiaCivil, DiaDeCambioComoBusquedasDeDesfaseFijo) {
    const struct {
        const char* zona;
        int anio, mes, dia;
        double latitud, longitudOeste;
    } casos[] = {
        {"America/Santiago", 2023, 4, 1, -33.0333, 71.6333},
        {"America/Santiago", 2023, 9, 3, -33.0333, 71.6333},
        {"America/Santiago", 1984, 3, 10, -33.0333, 71.6333},  // two moonsets
        {"Pacific/Easter", 2023, 4, 1, -27.1667, 109.4333},
        {"Pacific/Easter", 2023, 9, 2, -27.1667, 109.4333},
        {"Europe/Madrid", 2026, 3, 29, 40.4, 3.7},
        {"Europe/Madrid", 2026, 10, 25, 40.4, 3.7},
        {"Australia/Lord_Howe", 2026, 4, 5, -31.55, -159.08},
        {"Australia/Lord_Howe", 2026, 10, 4, -31.55, -159.08},
        {"Asia/Kathmandu", 1986, 1, 1, 27.7, -85.3},
        {"America/St_Johns", 2026, 11, 1, 47.56, 52.71},
        {"Pacific/Auckland", 2026, 4, 5, -36.85, -174.76},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.zona) + " " + std::to_string(c.anio) + "-" +
                     std::to_string(c.mes) + "-" + std::to_string(c.dia));
        const QTimeZone zona(c.zona);
        const DiaCivil civil = DescribeDia(zona, QDate(c.anio, c.mes, c.dia));
        ASSERT_FALSE(civil.ordinario);
        const qint64 inicio = civil.inicio.toSecsSinceEpoch();
        const qint64 fin = civil.fin.toSecsSinceEpoch();

        Peticion p;
        p.latitud = c.latitud;
        p.longitud = c.longitudOeste;
        p.zonaHoraria = QString::fromLatin1(c.zona);
        const DiaCalculado d = CalculaDia(p, Dia(c.anio, c.mes, c.dia));

        // The independent crossings: fixed-offset searches at the offsets
        // before and after the change, on the date and its neighbours.
        std::vector<qint64> cruces[NumClases][2];
        for (int desfase :
             {zona.offsetFromUtc(civil.inicio), zona.offsetFromUtc(civil.fin.addSecs(-1))}) {
            for (int k = -1; k <= 1; ++k) {
                Peticion fija = p;
                fija.zonaHoraria.clear();
                fija.zona = desfase / 3600.0;
                const DiaCalculado f = CalculaDia(fija, Dia(c.anio, c.mes, c.dia) + days{k});
                for (int clase = 0; clase < NumClases; ++clase) {
                    const EventoClase& e = f.eventos.clases[clase];
                    if (e.hayOrto) cruces[clase][0].push_back(f.instantes[clase][0].segundos);
                    if (e.hayOcaso) cruces[clase][1].push_back(f.instantes[clase][1].segundos);
                }
            }
        }
        for (int clase = 0; clase < NumClases; ++clase) {
            const EventoClase& e = d.eventos.clases[clase];
            const bool hay[2] = {e.hayOrto, e.hayOcaso};
            for (int sentido = 0; sentido < 2; ++sentido) {
                SCOPED_TRACE("class " + std::to_string(clase) + (sentido ? " set" : " rise"));
                const std::vector<qint64>& otros = cruces[clase][sentido];
                if (hay[sentido]) {
                    const qint64 t = d.instantes[clase][sentido].segundos;
                    EXPECT_GE(t, inicio);
                    EXPECT_LT(t, fin);
                    bool igual = false;
                    for (qint64 o : otros) igual = igual || std::llabs(o - t) <= 60;
                    EXPECT_TRUE(igual) << "not found by the fixed-offset searches";
                    // The wall clock of the event is its instant at its offset.
                    const double reloj = sentido ? e.horaOcaso : e.horaOrto;
                    const qint64 medianoche =
                        QDateTime(QDate(c.anio, c.mes, c.dia), QTime(0, 0), Qt::UTC)
                            .toSecsSinceEpoch();
                    EXPECT_NEAR(double(t + d.instantes[clase][sentido].desfase - medianoche),
                                reloj * 3600.0, 1.0);
                }
                for (qint64 o : otros) {
                    // Crossings well inside the civil day are all accounted for.
                    if (o < inicio + 60 || o >= fin - 60) continue;
                    EXPECT_TRUE(hay[sentido]) << "missed the crossing at " << o;
                    if (hay[sentido]) {
                        EXPECT_LE(d.instantes[clase][sentido].segundos, o + 60);
                    }
                }
            }
        }
    }
}

// The offsets read once for a span agree with the exact description of
// every day they answer for, and leave only the days near a change to it.
TEST(DiaCivil, DesfasesLeidosUnaVezComoDescribeDia) {
    for (const char* nombre : {"America/Santiago", "Pacific/Easter", "Australia/Lord_Howe",
                               "Asia/Kathmandu", "Pacific/Apia", "Pacific/Kiritimati", "UTC"}) {
        SCOPED_TRACE(nombre);
        const QTimeZone zona(nombre);
        const QDate desde(1985, 1, 1), hasta(2012, 12, 31);
        const Vespalba::DesfasesZona desfases(zona, desde, hasta);
        int sinDescribir = 0, total = 0;
        for (QDate d = desde; d <= hasta; d = d.addDays(1)) {
            ++total;
            const std::optional<int> rapido = desfases.DesfaseDiaOrdinario(d);
            if (!rapido) continue;
            ++sinDescribir;
            const DiaCivil exacto = DescribeDia(zona, d);
            ASSERT_TRUE(exacto.existe && exacto.ordinario) << d.toString(Qt::ISODate).toStdString();
            ASSERT_EQ(*rapido, exacto.inicio.offsetFromUtc())
                << d.toString(Qt::ISODate).toStdString();
        }
        // Most days need no description (about five around each change).
        EXPECT_GT(sinDescribir, total * 9 / 10);
    }
}

// --hoy is today's date in the request's zone, not the machine's.
TEST(DiaCivil, HoyEnLaZonaPedida) {
    // 2026-03-14 02:00 UT: still the 13th at -3 and -4, already the 14th at +9.
    const qint64 ahora = QDateTime(QDate(2026, 3, 14), QTime(2, 0), Qt::UTC).toSecsSinceEpoch();
    const struct {
        QStringList zona;
        sys_days hoy;
    } casos[] = {
        {{"--tz", "America/Santiago"}, Dia(2026, 3, 13)}, {{"--zona", "-4"}, Dia(2026, 3, 13)},
        {{"--tz", "Asia/Tokyo"}, Dia(2026, 3, 14)},       {{"--zona", "9"}, Dia(2026, 3, 14)},
        {{"--zona", "1.75"}, Dia(2026, 3, 14)},
    };
    for (const auto& c : casos) {
        const auto o = Vespalba::Tabla::LeeOrden(
            QStringList{"t", "--lat", "33:16S", "--lon", "71:36W", "--hoy"} + c.zona, ahora);
        ASSERT_EQ(o.accion, Vespalba::Tabla::Accion::Calcular) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.desde, c.hoy) << c.zona.join(' ').toStdString();
    }
}

// ZonaConocida looks only at the lines of tzdata.zi that hold the name:
// every zone and link that file names is known (but "Factory"), whatever
// QTimeZone makes of it aside; names that are parts of others, other
// cases, abbreviations and rules are not.
TEST(ZonaConocida, CadaNombreDeTzdataYNadaMas) {
    QFile zi(QStringLiteral("/usr/share/zoneinfo/tzdata.zi"));
    ASSERT_TRUE(zi.open(QIODevice::ReadOnly));
    int nombres = 0;
    while (!zi.atEnd()) {
        const QByteArray linea = zi.readLine().trimmed();
        const QList<QByteArray> partes = linea.split(' ');
        QString nombre;
        if (linea.startsWith("Z ") && partes.size() >= 2) nombre = QString::fromLatin1(partes[1]);
        if (linea.startsWith("L ") && partes.size() >= 3) nombre = QString::fromLatin1(partes[2]);
        if (nombre.isEmpty()) continue;
        ++nombres;
        EXPECT_EQ(Vespalba::ZonaConocida(nombre),
                  nombre != "Factory" && QTimeZone(nombre.toLatin1()).isValid())
            << nombre.toStdString();
    }
    EXPECT_GT(nombres, 500);
    for (const char* nombre : {"America/Santiag", "merica/Santiago", "america/santiago", "Santiago",
                               "Santiago ", " America/Santiago", "America", "CLT", "UTC+3", "Z",
                               "L", "", "Factory", "America/Sant*"}) {
        EXPECT_FALSE(Vespalba::ZonaConocida(QString::fromLatin1(nombre))) << nombre;
    }
    EXPECT_TRUE(Vespalba::ZonaConocida(QStringLiteral("America/Santiago")));
    EXPECT_TRUE(Vespalba::ZonaConocida(QStringLiteral("US/Pacific")));  // a link
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's drawings of the day: the Moon's lit part (its area
// against the fraction, its side for waxing and waning in either
// hemisphere, the pixels of the widget at scales 1 and 2) and the strip of
// the civil day from days the day model computes (an ordinary day, the
// 25- and 23-hour days of America/Santiago, a polar day and a polar night,
// a date the zone skips), checked against the Sun's altitude itself and
// the zone's clock as Qt reads it.
#include <gtest/gtest.h>

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPainterPath>
#include <QPalette>
#include <QPolygonF>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "almanaque/franja.h"
#include "almanaque/luna.h"
#include "astro/eventos.h"
#include "astro/tiempo.h"
#include "dias/celdas.h"
#include "dias/dias.h"
#include "dibujo/grafico.h"

using namespace Vespalba::Almanaque;
using Vespalba::Dias::CalculaDias;
using Vespalba::Dias::Consulta;
using Vespalba::Dias::DiaCalculado;
using Vespalba::ModuloVespalba::AlturaUmbral;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::CosGrad;
using Vespalba::ModuloVespalba::SenAltura;
using Vespalba::ModuloVespalba::SenGrad;

namespace {

// ------------------------------------------------------------------ the Moon

// Area enclosed by a path, from the polygons Qt flattens it into.
double Area(const QPainterPath& camino) {
    double area = 0;
    for (const QPolygonF& poligono : camino.toFillPolygons()) {
        double doble = 0;
        for (qsizetype i = 0; i < poligono.size(); ++i) {
            const QPointF a = poligono[i];
            const QPointF b = poligono[(i + 1) % poligono.size()];
            doble += a.x() * b.y() - b.x() * a.y();
        }
        area += std::fabs(doble) / 2;
    }
    return area;
}

TEST(ParteIluminada, AreaEsLaFraccionDelDisco) {
    const QRectF disco(10, 20, 200, 200);
    const double areaDisco = std::numbers::pi * 100 * 100;
    for (const double f :
         {0.0, 0.01, 0.05, 0.1, 0.25, 0.33, 0.4999, 0.5, 0.5001, 0.6, 0.75, 0.9, 0.99, 1.0}) {
        for (const bool creciente : {true, false}) {
            for (const bool sur : {false, true}) {
                const QPainterPath lit = ParteIluminada(f, creciente, sur, disco);
                EXPECT_NEAR(Area(lit) / areaDisco, f, 0.01)
                    << f << " creciente " << creciente << " sur " << sur;
                // Never outside the disc.
                EXPECT_TRUE(disco.adjusted(-0.01, -0.01, 0.01, 0.01).contains(lit.boundingRect()) ||
                            lit.isEmpty())
                    << f;
            }
        }
    }
}

TEST(ParteIluminada, FraccionesFueraDeRangoOInvalidas) {
    const QRectF disco(0, 0, 100, 100);
    const double areaDisco = std::numbers::pi * 50 * 50;
    const struct {
        double fraccion;
        double area;  // as a fraction of the disc
    } casos[] = {
        {NAN, 0}, {INFINITY, 0}, {-INFINITY, 0}, {-0.3, 0}, {1.7, 1},
    };
    for (const auto& c : casos) {
        EXPECT_NEAR(Area(ParteIluminada(c.fraccion, true, false, disco)) / areaDisco, c.area, 0.01)
            << c.fraccion;
    }
    EXPECT_TRUE(ParteIluminada(0.5, true, false, QRectF()).isEmpty());
    EXPECT_TRUE(ParteIluminada(0.5, true, false, QRectF(0, 0, NAN, 10)).isEmpty());
}

// Waxing: lit on the right from the north, on the left from the south;
// waning the other way; for crescent and gibbous alike.
TEST(ParteIluminada, LadoIluminado) {
    const QRectF disco(0, 0, 100, 100);
    const struct {
        bool creciente, sur, derecha;
    } casos[] = {
        {true, false, true},
        {true, true, false},
        {false, false, false},
        {false, true, true},
    };
    for (const auto& c : casos) {
        for (const double f : {0.1, 0.3, 0.5, 0.7, 0.9}) {
            const QPainterPath lit = ParteIluminada(f, c.creciente, c.sur, disco);
            // The limb on the lit side is lit; on the other, dark.
            const QPointF derecha(95, 50), izquierda(5, 50);
            EXPECT_EQ(lit.contains(derecha), c.derecha) << f << c.creciente << c.sur;
            EXPECT_EQ(lit.contains(izquierda), !c.derecha) << f << c.creciente << c.sur;
            // The centre is lit only past half.
            if (f != 0.5) {
                EXPECT_EQ(lit.contains(QPointF(50, 50)), f > 0.5) << f;
            }
        }
    }
}

// The widget drawn into an image of `escala` device pixels per logical one.
QImage Dibuja(QWidget& w, double escala, const QPalette& paleta = QPalette()) {
    w.setPalette(paleta);
    QImage imagen(w.size() * escala, QImage::Format_ARGB32_Premultiplied);
    imagen.setDevicePixelRatio(escala);
    imagen.fill(Qt::magenta);
    w.render(&imagen);
    return imagen;
}

// A pixel at logical coordinates.
QColor Pixel(const QImage& imagen, double x, double y) {
    const double e = imagen.devicePixelRatio();
    return imagen.pixelColor(int(x * e), int(y * e));
}

TEST(DibujoLuna, PixelesAEscala1Y2) {
    DibujoLuna luna;
    EXPECT_EQ(luna.sizeHint(), QSize(96, 96));
    luna.resize(96, 96);
    const struct {
        double fraccion;
        bool creciente, sur;
        bool derechaIluminada, izquierdaIluminada;
    } casos[] = {
        {0.0, true, false, false, false}, {NAN, true, false, false, false},
        {0.3, true, false, true, false},  {0.3, true, true, false, true},
        {0.3, false, false, false, true}, {0.3, false, true, true, false},
        {0.8, true, false, true, false},  {1.0, false, true, true, true},
    };
    for (const double escala : {1.0, 2.0}) {
        for (const auto& c : casos) {
            luna.MuestraLuna(c.fraccion, c.creciente, c.sur);
            const QImage im = Dibuja(luna, escala);
            ASSERT_EQ(im.width(), int(96 * escala));
            // Near each limb, at a quarter radius inside it.
            const QColor der = Pixel(im, 48 + 34, 48), izq = Pixel(im, 48 - 34, 48);
            EXPECT_EQ(der.lightness() > 180, c.derechaIluminada) << c.fraccion << " " << escala;
            EXPECT_EQ(izq.lightness() > 180, c.izquierdaIluminada) << c.fraccion << " " << escala;
            // The dark part is a dim grey disc, not the background.
            for (const QColor& px : {der, izq}) {
                EXPECT_NE(px, QColor(Qt::magenta));
                EXPECT_EQ(px.alpha(), 255);
            }
            // Outside the disc, the window's background.
            EXPECT_EQ(Pixel(im, 1, 1), luna.palette().color(QPalette::Window));
        }
    }
}

// At scale 2 the terminator of a half Moon is drawn at the device's
// resolution: two device pixels either side of it are wholly lit and wholly
// dark (a picture drawn at scale 1 and enlarged would blur them).
TEST(DibujoLuna, NitidaAEscala2) {
    DibujoLuna luna;
    luna.resize(96, 96);
    luna.MuestraLuna(0.5, true, false);
    const QImage im = Dibuja(luna, 2.0);
    const QImage im1 = Dibuja(luna, 1.0);
    const int centro = 96;  // device pixels
    const QColor lit = im.pixelColor(centro + 20, centro);
    const QColor dark = im.pixelColor(centro - 20, centro);
    EXPECT_EQ(im.pixelColor(centro + 1, centro), lit);
    EXPECT_EQ(im.pixelColor(centro - 2, centro), dark);
    EXPECT_EQ(im1.pixelColor(48 + 10, 48), lit);
    EXPECT_EQ(im1.pixelColor(48 - 10, 48), dark);
}

// New Moon: the disc and its outline still differ from a light and from a
// dark window.
TEST(DibujoLuna, LunaNuevaVisibleEnPaletasClaraYOscura) {
    DibujoLuna luna;
    luna.resize(96, 96);
    luna.MuestraLuna(0.0, true, false);
    for (const QColor fondo : {QColor(Qt::white), QColor(0x20, 0x20, 0x20), QColor(Qt::black)}) {
        QPalette paleta;
        paleta.setColor(QPalette::Window, fondo);
        const QImage im = Dibuja(luna, 1.0, paleta);
        const QColor disco = Pixel(im, 48, 48);
        EXPECT_GT(std::abs(disco.lightness() - fondo.lightness()), 25)
            << fondo.name().toStdString();
        // Along the row through the centre, the outline shows: some pixel
        // near the rim differs from both the disc and the window.
        bool borde = false;
        for (int x = 0; x < 8; ++x) {
            const QColor c = Pixel(im, x, 48);
            borde = borde || (std::abs(c.lightness() - fondo.lightness()) > 25 &&
                              std::abs(c.lightness() - disco.lightness()) > 25);
        }
        EXPECT_TRUE(borde) << fondo.name().toStdString();
    }
}

TEST(DibujoLuna, NombreAccesible) {
    DibujoLuna luna;
    const struct {
        double fraccion;
        bool creciente, sur;
        const char* nombre;
        const char* descripcion;
    } casos[] = {
        {0.449, true, false, "Luna iluminada al 45 %, creciente",
         "Iluminada por la derecha, vista desde el hemisferio norte"},
        {0.449, true, true, "Luna iluminada al 45 %, creciente",
         "Iluminada por la izquierda, vista desde el hemisferio sur"},
        {0.9, false, false, "Luna iluminada al 90 %, menguante",
         "Iluminada por la izquierda, vista desde el hemisferio norte"},
        {NAN, false, false, "Luna iluminada al 0 %, menguante", "Sin parte iluminada visible"},
        {1.7, true, false, "Luna iluminada al 100 %, creciente", "Disco entero iluminado"},
        {-2, true, false, "Luna iluminada al 0 %, creciente", "Sin parte iluminada visible"},
    };
    for (const auto& c : casos) {
        luna.MuestraLuna(c.fraccion, c.creciente, c.sur);
        EXPECT_EQ(luna.accessibleName(), QString::fromUtf8(c.nombre));
        EXPECT_EQ(luna.accessibleDescription(), QString::fromUtf8(c.descripcion));
        EXPECT_FALSE(luna.accessibleName().contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    }
}

// ------------------------------------------------------- the strip of the day

using namespace std::chrono;

Consulta ConsultaDe(double lat, double lon, const char* zonaHoraria, double zona,
                    year_month_day f) {
    Consulta c;
    c.latitud = lat;
    c.longitud = lon;
    c.zonaHoraria = QString::fromLatin1(zonaHoraria);
    c.zona = zona;
    c.desde = c.hasta = sys_days{f};
    return c;
}

// The day's first and last instants, seconds since 1970 UT, from Qt's
// reading of the zone (or midnight at the fixed offset).
std::pair<qint64, qint64> Limites(const Consulta& c, year_month_day f) {
    const QDate fecha(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
    if (c.zonaHoraria.isEmpty()) {
        const qint64 inicio =
            QDateTime(fecha, QTime(0, 0), QTimeZone(int(std::lround(c.zona * 3600))))
                .toSecsSinceEpoch();
        return {inicio, inicio + 86400};
    }
    const QTimeZone zona(c.zonaHoraria.toLatin1());
    return {fecha.startOfDay(zona).toSecsSinceEpoch(),
            fecha.addDays(1).startOfDay(zona).toSecsSinceEpoch()};
}

// How many of the four thresholds the Sun is above at an instant (seconds
// since 1970 UT), from its altitude.
int NivelDelSol(const Consulta& c, double segundos) {
    const double mjd = 40587.0 + segundos / 86400.0;
    const double sen =
        SenAltura(ClaseEvento::Sol, mjd, 0.0, c.longitud, CosGrad(c.latitud), SenGrad(c.latitud));
    int nivel = 0;
    for (const ClaseEvento k :
         {ClaseEvento::Sol, ClaseEvento::Civil, ClaseEvento::Nautico, ClaseEvento::Astronomico}) {
        if (sen > SenGrad(AlturaUmbral(k))) ++nivel;
    }
    return nivel;
}

struct CasoFranja {
    const char* que;
    double lat, lon;
    const char* zonaHoraria;
    double zona;
    year_month_day fecha;
    double horas;                     // the day's length
    std::vector<int> niveles;         // the stretches' levels, in order
    std::vector<int> relojes;         // the hour ticks' numbers, in order
    std::vector<const char*> marcas;  // the events' words, in order
};

std::vector<int> Rango(int desde, int hasta) {
    std::vector<int> v;
    for (int h = desde; h <= hasta; ++h) v.push_back(h);
    return v;
}

std::vector<CasoFranja> Casos() {
    const std::vector<int> ordinario = {0, 1, 2, 3, 4, 3, 2, 1, 0};
    std::vector<int> veinticinco = Rango(0, 23);
    veinticinco.push_back(23);  // the clock goes back from 24:00 to 23:00
    return {
        {"Valparaíso, -3 h",
         -33.0458,
         71.62,
         "",
         -3,
         2026y / January / 15,
         24,
         ordinario,
         Rango(0, 23),
         {"Orto", "Mediodía", "Ocaso"}},
        {"Valparaíso, America/Santiago in winter",
         -33.0458,
         71.62,
         "America/Santiago",
         0,
         2026y / July / 1,
         24,
         ordinario,
         Rango(0, 23),
         {"Orto", "Mediodía", "Ocaso"}},
        {"America/Santiago, 25 hours",
         -33.0458,
         71.62,
         "America/Santiago",
         0,
         2026y / April / 4,
         25,
         ordinario,
         veinticinco,
         {"Orto", "Mediodía", "Ocaso"}},
        {"America/Santiago, 23 hours from 1:00",
         -33.0458,
         71.62,
         "America/Santiago",
         0,
         2026y / September / 6,
         23,
         ordinario,
         Rango(1, 23),
         {"Orto", "Mediodía", "Ocaso"}},
        // Civil twilight ends after midnight and begins again before 3:00:
        // its set comes before its rise.
        {"60 N 10 E, white night",
         60.0,
         -10.0,
         "Europe/Oslo",
         0,
         2026y / June / 21,
         24,
         {3, 2, 3, 4, 3},
         Rango(0, 23),
         {"Orto", "Mediodía", "Ocaso"}},
        // The astronomical twilight of the evening does not end before
        // midnight: a lone rise.
        {"60 N 10 E, no astronomical dusk",
         60.0,
         -10.0,
         "Europe/Oslo",
         0,
         2026y / April / 16,
         24,
         {0, 1, 2, 3, 4, 3, 2, 1},
         Rango(0, 23),
         {"Orto", "Mediodía", "Ocaso"}},
        {"70 N, midnight sun",
         70.0,
         -23.68,
         "Europe/Oslo",
         0,
         2026y / June / 21,
         24,
         {4},
         Rango(0, 23),
         {"Mediodía"}},
        {"70 N, polar night with civil twilight at noon",
         70.0,
         -23.68,
         "Europe/Oslo",
         0,
         2026y / December / 21,
         24,
         {0, 1, 2, 3, 2, 1, 0},
         Rango(0, 23),
         {"Mediodía"}},
    };
}

TEST(FranjaDelDia, TramosHorasYMarcas) {
    for (const CasoFranja& caso : Casos()) {
        SCOPED_TRACE(caso.que);
        const Consulta c = ConsultaDe(caso.lat, caso.lon, caso.zonaHoraria, caso.zona, caso.fecha);
        const std::vector<DiaCalculado> dias = CalculaDias(c);
        ASSERT_EQ(dias.size(), 1u);
        const DiaCalculado& d = dias[0];
        const DatosFranja f = FranjaDelDia(c, d);
        EXPECT_DOUBLE_EQ(f.horasDelDia, caso.horas);

        // Consecutive, covering [0, 1], none empty, neighbours different.
        ASSERT_FALSE(f.tramos.empty());
        EXPECT_EQ(f.tramos.front().desde, 0.0);
        EXPECT_EQ(f.tramos.back().hasta, 1.0);
        std::vector<int> niveles;
        for (std::size_t i = 0; i < f.tramos.size(); ++i) {
            EXPECT_LT(f.tramos[i].desde, f.tramos[i].hasta) << i;
            if (i > 0) {
                EXPECT_EQ(f.tramos[i].desde, f.tramos[i - 1].hasta) << i;
                EXPECT_NE(f.tramos[i].nivel, f.tramos[i - 1].nivel) << i;
            }
            niveles.push_back(f.tramos[i].nivel);
        }
        EXPECT_EQ(niveles, caso.niveles);

        const auto [inicio, fin] = Limites(c, caso.fecha);
        EXPECT_EQ(fin - inicio, qint64(caso.horas * 3600));
        const auto instante = [&, inicio = inicio, fin = fin](double p) {
            return double(inicio) + p * double(fin - inicio);
        };

        // Every ten minutes, the level is the Sun's, away from the edges
        // (the search's times are good to about a minute).
        const double minuto = 60.0 / (double(fin - inicio));
        for (double p = 0; p < 1; p += 10 * minuto) {
            const auto tramo =
                std::find_if(f.tramos.begin(), f.tramos.end(),
                             [p](const TramoFranja& t) { return t.desde <= p && p < t.hasta; });
            ASSERT_NE(tramo, f.tramos.end()) << p;
            if (p - tramo->desde < 2 * minuto && tramo->desde > 0) continue;
            if (tramo->hasta - p < 2 * minuto && tramo->hasta < 1) continue;
            EXPECT_EQ(tramo->nivel, NivelDelSol(c, instante(p))) << p * caso.horas;
        }

        // The ticks: whole hours of the zone's clock, as Qt reads it, in order.
        std::vector<int> relojes;
        for (std::size_t i = 0; i < f.horas.size(); ++i) {
            const HoraFranja& h = f.horas[i];
            if (i > 0) {
                EXPECT_GT(h.posicion, f.horas[i - 1].posicion);
            }
            const qint64 t = std::llround(instante(h.posicion));
            const QDateTime reloj =
                c.zonaHoraria.isEmpty()
                    ? QDateTime::fromSecsSinceEpoch(t, QTimeZone(int(std::lround(c.zona * 3600))))
                    : QDateTime::fromSecsSinceEpoch(t, QTimeZone(c.zonaHoraria.toLatin1()));
            EXPECT_EQ(reloj.time().minute(), 0) << h.texto.toStdString();
            EXPECT_EQ(reloj.time().second(), 0) << h.texto.toStdString();
            EXPECT_EQ(h.texto, QString::number(reloj.time().hour()));
            relojes.push_back(h.texto.toInt());
        }
        EXPECT_EQ(relojes, caso.relojes);

        // The events: their words, the times the tables show, their places.
        ASSERT_EQ(f.marcas.size(), caso.marcas.size());
        const auto& sol = d.eventos[ClaseEvento::Sol];
        const auto& instantes = d.instantes[int(ClaseEvento::Sol) - 1];
        for (std::size_t i = 0; i < f.marcas.size(); ++i) {
            const QString palabra = QString::fromUtf8(caso.marcas[i]);
            const MarcaFranja& m = f.marcas[i];
            ASSERT_TRUE(m.texto.startsWith(palabra + QLatin1Char(' '))) << m.texto.toStdString();
            double hora = 0;
            qint64 t = 0;
            if (palabra == QStringLiteral("Orto")) {
                hora = sol.horaOrto, t = instantes[0].segundos;
            } else if (palabra == QStringLiteral("Ocaso")) {
                hora = sol.horaOcaso, t = instantes[1].segundos;
            } else {
                ASSERT_TRUE(d.almanaque.horaMediodia.has_value());
                hora = *d.almanaque.horaMediodia, t = d.almanaque.mediodia.segundos;
            }
            EXPECT_EQ(m.texto, palabra + QLatin1Char(' ') + Vespalba::Dias::HoraDeReloj(hora));
            EXPECT_NEAR(instante(m.posicion), double(t), 0.5);
        }
        // Sunrise and sunset, where there are both, bound the day's level 4.
        if (sol.hayOrto && sol.hayOcaso) {
            for (const TramoFranja& t : f.tramos) {
                const double medio = instante((t.desde + t.hasta) / 2);
                const bool entre =
                    medio > double(instantes[0].segundos) && medio < double(instantes[1].segundos);
                EXPECT_EQ(t.nivel == 4, entre);
            }
        }
    }
}

// The rules of the levels on days made by hand (a fixed offset of 0 h, so
// that hours are hours after the day's start): each class above its
// threshold all day, never, between its rise and set, outside its set and
// rise, after a lone rise or before a lone set; the level the number of
// classes above, jumping by two where two thresholds are crossed at once.
TEST(FranjaDelDia, NivelesDeLasReglas) {
    using Vespalba::ModuloVespalba::EstadoClase;
    struct Clase {
        EstadoClase estado;
        double orto = NAN, ocaso = NAN;  // hours; NAN: none
    };
    const Clase sobre{EstadoClase::SiempreSobre}, bajo{EstadoClase::SiempreBajo};
    auto con = [](double orto, double ocaso) {
        return Clase{EstadoClase::ConEventos, orto, ocaso};
    };
    const struct {
        const char* que;
        Clase sol, civil, nautico, astronomico;
        std::vector<std::pair<double, int>> tramos;  // (end hour, level)
        std::vector<const char*> marcas;
    } casos[] = {
        {"ordinary",
         con(6.5, 20.5),
         con(6, 21),
         con(5.5, 21.5),
         con(5, 22),
         {{5, 0}, {5.5, 1}, {6, 2}, {6.5, 3}, {20.5, 4}, {21, 3}, {21.5, 2}, {22, 1}, {24, 0}},
         {"Orto 6:30", "Ocaso 20:30"}},
        {"white night: nautical set before its rise",
         con(4, 22),
         con(3, 23),
         con(1.5, 0.5),
         sobre,
         {{0.5, 2}, {1.5, 1}, {3, 2}, {4, 3}, {22, 4}, {23, 3}, {24, 2}},
         {"Orto 4:00", "Ocaso 22:00"}},
        {"a lone set", bajo, con(NAN, 1), sobre, sobre, {{1, 3}, {24, 2}}, {}},
        {"a lone rise", bajo, con(23, NAN), sobre, sobre, {{23, 2}, {24, 3}}, {}},
        {"sunrise and civil dawn at once",
         con(6, 18),
         con(6, 19),
         sobre,
         sobre,
         {{6, 2}, {18, 4}, {19, 3}, {24, 2}},
         {"Orto 6:00", "Ocaso 18:00"}},
        {"the Sun grazes the horizon: rise and set in one second",
         con(12, 12),
         con(6, 18),
         sobre,
         sobre,
         {{6, 2}, {18, 3}, {24, 2}},
         {"Orto 12:00", "Ocaso 12:00"}},
        {"polar night", bajo, bajo, bajo, bajo, {{24, 0}}, {}},
        {"midnight sun", sobre, sobre, sobre, sobre, {{24, 4}}, {}},
    };
    const Consulta c = ConsultaDe(0, 0, "", 0, 2026y / March / 1);
    const qint64 inicio = qint64(sys_days{2026y / March / 1}.time_since_epoch().count()) * 86400;
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.que);
        DiaCalculado d;
        d.fecha = 2026y / March / 1;
        const std::pair<ClaseEvento, Clase> clases[] = {
            {ClaseEvento::Sol, caso.sol},
            {ClaseEvento::Civil, caso.civil},
            {ClaseEvento::Nautico, caso.nautico},
            {ClaseEvento::Astronomico, caso.astronomico}};
        for (const auto& [k, cl] : clases) {
            auto& e = d.eventos[k];
            e.estado = cl.estado;
            e.hayOrto = std::isfinite(cl.orto);
            e.hayOcaso = std::isfinite(cl.ocaso);
            e.horaOrto = e.hayOrto ? cl.orto : 0;
            e.horaOcaso = e.hayOcaso ? cl.ocaso : 0;
            d.instantes[int(k) - 1][0].segundos = inicio + qint64(e.horaOrto * 3600);
            d.instantes[int(k) - 1][1].segundos = inicio + qint64(e.horaOcaso * 3600);
        }
        const DatosFranja f = FranjaDelDia(c, d);
        ASSERT_EQ(f.tramos.size(), caso.tramos.size());
        double desde = 0;
        for (std::size_t i = 0; i < f.tramos.size(); ++i) {
            EXPECT_DOUBLE_EQ(f.tramos[i].desde, desde / 24) << i;
            EXPECT_DOUBLE_EQ(f.tramos[i].hasta, caso.tramos[i].first / 24) << i;
            EXPECT_EQ(f.tramos[i].nivel, caso.tramos[i].second) << i;
            desde = caso.tramos[i].first;
        }
        ASSERT_EQ(f.marcas.size(), caso.marcas.size());
        for (std::size_t i = 0; i < f.marcas.size(); ++i) {
            EXPECT_EQ(f.marcas[i].texto, QString::fromUtf8(caso.marcas[i]));
        }
        EXPECT_EQ(f.horas.size(), 24u);
    }
}

// A clock change is a whole hour: the ticks around the 25-hour day's second
// 23:00 and the 23-hour day's start are an hour of real time apart.
TEST(FranjaDelDia, HorasRealesEnLosCambiosDeHora) {
    for (const auto fecha : {2026y / April / 4, 2026y / September / 6}) {
        const Consulta c = ConsultaDe(-33.0458, 71.62, "America/Santiago", 0, fecha);
        const DatosFranja f = FranjaDelDia(c, CalculaDias(c).front());
        ASSERT_GE(f.horas.size(), 2u);
        EXPECT_DOUBLE_EQ(f.horas.front().posicion, 0.0);
        for (std::size_t i = 1; i < f.horas.size(); ++i) {
            EXPECT_NEAR((f.horas[i].posicion - f.horas[i - 1].posicion) * f.horasDelDia, 1.0, 1e-9);
        }
        EXPECT_NEAR((1.0 - f.horas.back().posicion) * f.horasDelDia, 1.0, 1e-9);
    }
}

TEST(FranjaDelDia, FechaQueLaZonaSalta) {
    const Consulta c = ConsultaDe(-13.83, 171.75, "Pacific/Apia", 0, 2011y / December / 30);
    const std::vector<DiaCalculado> dias = CalculaDias(c);
    ASSERT_EQ(dias.size(), 1u);
    ASSERT_FALSE(dias[0].existe);
    const DatosFranja f = FranjaDelDia(c, dias[0]);
    EXPECT_TRUE(f.tramos.empty());
    EXPECT_TRUE(f.marcas.empty());
    EXPECT_TRUE(f.horas.empty());
    EXPECT_EQ(DescribeFranja(f), QStringLiteral("Sin datos del día"));
}

// The stretches in words, with the wall-clock times of the events that end
// them; on the 25-hour day the last ends at 24:00 of the clock then shown.
TEST(FranjaDelDia, Descripcion) {
    using Vespalba::Dias::HoraDeReloj;
    for (const auto fecha : {2026y / January / 15, 2026y / April / 4}) {
        const Consulta c = ConsultaDe(-33.0458, 71.62, "America/Santiago", 0, fecha);
        const DiaCalculado d = CalculaDias(c).front();
        const DatosFranja f = FranjaDelDia(c, d);
        const auto hora = [&](ClaseEvento k, bool orto) {
            const auto& e = d.eventos[k];
            return HoraDeReloj(orto ? e.horaOrto : e.horaOcaso);
        };
        const QStringList esperado = {
            QStringLiteral("noche hasta ") + hora(ClaseEvento::Astronomico, true),
            QStringLiteral("crepúsculo astronómico hasta ") + hora(ClaseEvento::Nautico, true),
            QStringLiteral("crepúsculo náutico hasta ") + hora(ClaseEvento::Civil, true),
            QStringLiteral("crepúsculo civil hasta ") + hora(ClaseEvento::Sol, true),
            QStringLiteral("día hasta ") + hora(ClaseEvento::Sol, false),
            QStringLiteral("crepúsculo civil hasta ") + hora(ClaseEvento::Civil, false),
            QStringLiteral("crepúsculo náutico hasta ") + hora(ClaseEvento::Nautico, false),
            QStringLiteral("crepúsculo astronómico hasta ") + hora(ClaseEvento::Astronomico, false),
            QStringLiteral("noche hasta 24:00"),
        };
        EXPECT_EQ(DescribeFranja(f), esperado.join(QStringLiteral(", ")));
        FranjaDia franja;
        franja.Muestra(f);
        EXPECT_EQ(franja.accessibleDescription(), DescribeFranja(f));
    }
    const Consulta polar = ConsultaDe(70.0, -23.68, "Europe/Oslo", 0, 2026y / June / 21);
    EXPECT_EQ(DescribeFranja(FranjaDelDia(polar, CalculaDias(polar).front())),
              QStringLiteral("día todo el día"));
}

// The strip's pixels: along the band, night at the ends and day between
// sunrise and sunset where the data put them; the hours' numbers in the
// palette's text colour, on a light and on a dark window; at scales 1 and 2.
TEST(FranjaDia, Pixeles) {
    const Consulta c = ConsultaDe(-33.0458, 71.62, "", -3, 2026y / January / 15);
    const DatosFranja f = FranjaDelDia(c, CalculaDias(c).front());
    const TramoFranja& dia = *std::find_if(f.tramos.begin(), f.tramos.end(),
                                           [](const TramoFranja& t) { return t.nivel == 4; });
    FranjaDia franja;
    franja.Muestra(f);
    EXPECT_GE(franja.sizeHint().width(), 400);
    EXPECT_GE(franja.sizeHint().height(), 48);
    EXPECT_LE(franja.sizeHint().height(), 96);
    franja.resize(600, franja.sizeHint().height());

    const QColor noche(0x14, 0x1f, 0x4a), diurno(0xf7, 0xe4, 0x9a);
    for (const bool oscura : {false, true}) {
        QPalette paleta;
        paleta.setColor(QPalette::Window, oscura ? QColor(0x1e, 0x1e, 0x1e) : QColor(Qt::white));
        paleta.setColor(QPalette::WindowText, oscura ? QColor(Qt::white) : QColor(Qt::black));
        for (const double escala : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(escala);
            const QImage im = Dibuja(franja, escala, paleta);
            // The band's row: the one with the most night pixels.
            int fila = -1, mejor = 0;
            for (int y = 0; y < im.height(); ++y) {
                int n = 0;
                for (int x = 0; x < im.width(); ++x) n += im.pixelColor(x, y) == noche;
                if (n > mejor) mejor = n, fila = y;
            }
            ASSERT_GE(fila, 0);
            int primeroNoche = -1, ultimoNoche = -1, primeroDia = -1, ultimoDia = -1;
            for (int x = 0; x < im.width(); ++x) {
                const QColor px = im.pixelColor(x, fila);
                if (px == noche) {
                    if (primeroNoche < 0) primeroNoche = x;
                    ultimoNoche = x;
                }
                if (px == diurno) {
                    if (primeroDia < 0) primeroDia = x;
                    ultimoDia = x;
                }
            }
            ASSERT_GE(primeroDia, 0);
            // Edges on whole device pixels: along the band no pixel blends
            // two colours; each is a level's, an event line's (dark edges,
            // light core) or the band's grey outline at its ends.
            const std::vector<QColor> propios = {noche,
                                                 QColor(0x25, 0x3d, 0x78),
                                                 QColor(0x3e, 0x66, 0xa8),
                                                 QColor(0x86, 0xad, 0xda),
                                                 diurno,
                                                 QColor(0x10, 0x10, 0x10),
                                                 QColor(Qt::white),
                                                 QColor(0x8c, 0x8c, 0x8c)};
            for (int x = primeroNoche; x <= ultimoNoche; ++x) {
                EXPECT_NE(std::find(propios.begin(), propios.end(), im.pixelColor(x, fila)),
                          propios.end())
                    << x << " " << im.pixelColor(x, fila).name().toStdString();
            }
            // The band runs from the first night pixel to the last; day lies
            // where the stretch of level 4 lies in it, within 1 % (lines of
            // the events aside).
            const double largo = ultimoNoche - primeroNoche;
            EXPECT_NEAR((primeroDia - primeroNoche) / largo, dia.desde, 0.01);
            EXPECT_NEAR((ultimoDia - primeroNoche) / largo, dia.hasta, 0.01);

            // Below the band and its ticks, the hours' numbers in the
            // palette's text colour: pixels as close to it as the
            // antialiasing allows.
            int bajoBanda = fila;
            while (bajoBanda + 1 < im.height() &&
                   im.pixelColor(primeroNoche + 1, bajoBanda + 1) == noche) {
                ++bajoBanda;
            }
            const QColor texto = paleta.color(QPalette::WindowText);
            int cercanos = 0;
            for (int y = bajoBanda + int(7 * escala); y < im.height(); ++y) {
                for (int x = 0; x < im.width(); ++x) {
                    cercanos += std::abs(im.pixelColor(x, y).lightness() - texto.lightness()) < 40;
                }
            }
            EXPECT_GT(cercanos, 20);
        }
    }
}

// WCAG 2 contrast ratio of two colours.
double Contraste(const QColor& a, const QColor& b) {
    auto luminancia = [](const QColor& c) {
        auto lineal = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lineal(c.redF()) + 0.7152 * lineal(c.greenF()) + 0.0722 * lineal(c.blueF());
    };
    const double la = luminancia(a), lb = luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The golden and blue hours on the strip: their stretches lie between the
// day's crossings of -6, -4 and +6 degrees (the table's times), in time
// order; drawn in the year chart's colours, each at least 3:1 against what
// lies beside it on the band; switched off, the bands show again; the
// description names them.
TEST(FranjaDelDia, HorasDoradaYAzul) {
    using Vespalba::Dias::LimiteLuz;
    Consulta c = ConsultaDe(-33.0458, 71.62, "America/Santiago", 0, 2026y / January / 15);
    c.luzEspecial = true;
    const DiaCalculado d = CalculaDias(c).front();
    ASSERT_TRUE(d.luzEspecial);
    const DatosFranja f = FranjaDelDia(c, d);
    const auto [inicio, fin] = Limites(c, 2026y / January / 15);
    auto posicion = [&, inicio = inicio, fin = fin](LimiteLuz l) {
        const auto m = d.luzEspecial->Limite(l);
        EXPECT_TRUE(m.has_value());
        return m ? double(m->instante.segundos - inicio) / double(fin - inicio) : -1.0;
    };
    ASSERT_EQ(f.luz.size(), 4u);
    const struct {
        bool dorada;
        LimiteLuz desde, hasta;
    } esperados[] = {
        {false, LimiteLuz::InicioAzulManana, LimiteLuz::InicioDoradaManana},
        {true, LimiteLuz::InicioDoradaManana, LimiteLuz::FinDoradaManana},
        {true, LimiteLuz::InicioDoradaTarde, LimiteLuz::InicioAzulTarde},
        {false, LimiteLuz::InicioAzulTarde, LimiteLuz::FinAzulTarde},
    };
    for (std::size_t i = 0; i < f.luz.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.luz[i].dorada, esperados[i].dorada);
        EXPECT_NEAR(f.luz[i].desde, posicion(esperados[i].desde), 1e-9);
        EXPECT_NEAR(f.luz[i].hasta, posicion(esperados[i].hasta), 1e-9);
    }

    // What lies beside each stretch: another hour's colour, or the band's.
    const std::array<QColor, 5> niveles = {QColor(0x14, 0x1f, 0x4a), QColor(0x25, 0x3d, 0x78),
                                           QColor(0x3e, 0x66, 0xa8), QColor(0x86, 0xad, 0xda),
                                           QColor(0xf7, 0xe4, 0x9a)};
    auto colorEn = [&](double p) {
        for (const TramoLuz& t : f.luz) {
            if (t.desde <= p && p < t.hasta) {
                return t.dorada ? Vespalba::Dibujo::ColorDorada() : Vespalba::Dibujo::ColorAzul();
            }
        }
        for (const TramoFranja& t : f.tramos) {
            if (t.desde <= p && p < t.hasta) return niveles[std::size_t(t.nivel)];
        }
        return QColor();
    };
    for (const TramoLuz& t : f.luz) {
        const QColor propio =
            t.dorada ? Vespalba::Dibujo::ColorDorada() : Vespalba::Dibujo::ColorAzul();
        for (const double p : {t.desde - 1e-6, t.hasta + 1e-6}) {
            EXPECT_GE(Contraste(propio, colorEn(p)), 3.0)
                << (t.dorada ? "dorada" : "azul") << " junto a " << colorEn(p).name().toStdString();
        }
    }

    // The pixels in the middle of each stretch, on and off.
    FranjaDia franja;
    franja.Muestra(f);
    franja.resize(600, franja.sizeHint().height());
    for (const bool mostrar : {true, false}) {
        franja.MuestraLuz(mostrar);
        EXPECT_EQ(franja.LuzMostrada(), mostrar);
        const QImage im = Dibuja(franja, 1.0);
        // The band's row: the one with the most night pixels.
        int fila = -1, mejor = 0, primero = -1, ultimo = -1;
        for (int y = 0; y < im.height(); ++y) {
            int n = 0;
            for (int x = 0; x < im.width(); ++x) n += im.pixelColor(x, y) == niveles[0];
            if (n > mejor) mejor = n, fila = y;
        }
        ASSERT_GE(fila, 0);
        for (int x = 0; x < im.width(); ++x) {
            if (im.pixelColor(x, fila) == niveles[0]) {
                if (primero < 0) primero = x;
                ultimo = x;
            }
        }
        for (const TramoLuz& t : f.luz) {
            const double medio = 0.5 * (t.desde + t.hasta);
            const QColor px =
                im.pixelColor(int(std::lround(primero + medio * (ultimo - primero))), fila);
            const QColor propio =
                t.dorada ? Vespalba::Dibujo::ColorDorada() : Vespalba::Dibujo::ColorAzul();
            if (mostrar) {
                EXPECT_EQ(px, propio) << medio;
            } else {
                EXPECT_NE(px, propio) << medio;
            }
        }
        EXPECT_EQ(franja.accessibleDescription().contains(QStringLiteral("hora dorada de ")),
                  mostrar);
    }
    EXPECT_TRUE(DescribeFranja(f).contains(QStringLiteral("; hora azul de ")));
}

// Events too close for their texts side by side: the ones that would
// overlap above the band go below it. No hours here, so that any text
// under the band is an event's.
TEST(FranjaDia, TextosQueNoCabenArribaVanAbajo) {
    FranjaDia franja;
    franja.resize(480, franja.sizeHint().height());
    QPalette paleta;
    paleta.setColor(QPalette::Window, Qt::white);
    paleta.setColor(QPalette::WindowText, Qt::black);
    const QColor noche(0x14, 0x1f, 0x4a);
    for (const int cuantas : {1, 2}) {
        DatosFranja f;
        f.tramos = {{0, 1, 0}};
        f.marcas = {{0.5, QStringLiteral("Orto 12:00")}};
        if (cuantas == 2) f.marcas.push_back({0.52, QStringLiteral("Ocaso 12:10")});
        franja.Muestra(f);
        const QImage im = Dibuja(franja, 1.0, paleta);
        // The band's last row, then dark pixels under it.
        int abajo = -1;
        for (int y = 0; y < im.height(); ++y) {
            if (im.pixelColor(im.width() / 4, y) == noche) abajo = y;
        }
        ASSERT_GE(abajo, 0);
        int oscuros = 0;
        for (int y = abajo + 2; y < im.height(); ++y) {
            for (int x = 0; x < im.width(); ++x) oscuros += im.pixelColor(x, y).lightness() < 100;
        }
        EXPECT_EQ(oscuros > 0, cuantas == 2) << cuantas;
    }
}

// Whatever the data, the strip draws without a crash and says no "nan".
TEST(FranjaDia, DatosInvalidos) {
    DatosFranja f;
    f.tramos = {{0, NAN, 2}, {NAN, 1, 9}, {-1, 2, -3}};
    f.marcas = {{NAN, QStringLiteral("Orto 7:04")}, {2.0, QStringLiteral("Ocaso 20:00")}};
    f.horas = {{NAN, QStringLiteral("6")}, {0.5, QStringLiteral("12")}};
    f.horasDelDia = NAN;
    FranjaDia franja;
    franja.resize(480, 64);
    franja.Muestra(f);
    const QImage im = Dibuja(franja, 2.0);
    EXPECT_FALSE(im.isNull());
    EXPECT_FALSE(
        franja.accessibleDescription().contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    franja.Muestra(DatosFranja{});
    EXPECT_EQ(franja.accessibleDescription(), QStringLiteral("Sin datos del día"));
    EXPECT_FALSE(Dibuja(franja, 1.0).isNull());
}

}  // namespace

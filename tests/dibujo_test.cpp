// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings: which band each hour of a day belongs to; the daylight
// chart read back by its pixels for days computed by vespalba-tabla (the
// worked example at Valparaíso, a polar night, a midnight sun, a day of
// clock change, days with a single edge); the SVG parsed and the PNG's
// size; the PDF's text extracted with pdftotext and its fonts listed with
// pdffonts (poppler-utils).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cmath>
#include <map>
#include <optional>

#include "dibujo/bandas.h"
#include "dibujo/grafico.h"
#include "dibujo/paginas.h"
#include "dibujo_almanaque.h"

using namespace Vespalba::Dibujo;
using namespace std::chrono;
using Vespalba::Pruebas::AlmanaqueDe;

namespace {

// ------------------------------------------------------------ the bands

struct CasoTramos {
    const char* nombre;
    ClaseDia clase;
    std::vector<Tramo> tramos;
};

void PrintTo(const CasoTramos& c, std::ostream* os) { *os << c.nombre; }

class TramosCaso : public testing::TestWithParam<CasoTramos> {};

TEST_P(TramosCaso, HorasSobreElUmbral) {
    const CasoTramos& c = GetParam();
    EXPECT_EQ(TramosSobre(c.clase), c.tramos);
    // SobreUmbral agrees at each stretch's ends and just outside them.
    for (const Tramo& t : c.tramos) {
        EXPECT_TRUE(SobreUmbral(c.clase, t.desde));
        EXPECT_FALSE(SobreUmbral(c.clase, t.hasta));
        if (t.desde > 0) {
            EXPECT_FALSE(SobreUmbral(c.clase, t.desde - 1e-9));
        }
    }
}

const CasoTramos casosTramos[] = {
    {"siempre sobre", {Estado::SiempreSobre, {}, {}}, {{0, 24}}},
    {"siempre bajo", {Estado::SiempreBajo, {}, {}}, {}},
    {"orto y luego ocaso", {Estado::ConEventos, 7.5, 17.25}, {{7.5, 17.25}}},
    // The set comes first in the day: up from midnight, and again after the rise.
    {"ocaso y luego orto", {Estado::ConEventos, 20.3, 18.7}, {{0, 18.7}, {20.3, 24}}},
    // Dawn that comes but no end in the day (70 N, 2003-05-16).
    {"solo orto", {Estado::ConEventos, 0.5, std::nullopt}, {{0.5, 24}}},
    {"solo ocaso", {Estado::ConEventos, std::nullopt, 23.85}, {{0, 23.85}}},
    {"ocaso a medianoche y orto", {Estado::ConEventos, 1.0, 0.0}, {{1.0, 24}}},
    {"orto a las 24", {Estado::ConEventos, 24.0, 3.0}, {{0, 3.0}}},
    {"fuera del día", {Estado::ConEventos, -0.5, 24.5}, {{0, 24}}},
    {"sin horas", {Estado::ConEventos, std::nullopt, std::nullopt}, {}},
};

INSTANTIATE_TEST_SUITE_P(Bandas, TramosCaso, testing::ValuesIn(casosTramos));

TEST(Bandas, LaMasClaraQueElSolAlcanza) {
    Dia d;
    d[Clase::Sol] = {Estado::ConEventos, 8.0, 18.0};
    d[Clase::Civil] = {Estado::ConEventos, 7.5, 18.5};
    d[Clase::Nautico] = {Estado::ConEventos, 7.0, 19.0};
    d[Clase::Astronomico] = {Estado::ConEventos, 6.5, 19.5};
    const std::pair<double, Banda> casos[] = {
        {0.0, Banda::Noche},        {6.6, Banda::Astronomico}, {7.2, Banda::Nautico},
        {7.9, Banda::Civil},        {12.0, Banda::Dia},        {18.2, Banda::Civil},
        {19.2, Banda::Astronomico}, {23.9, Banda::Noche},
    };
    for (auto [hora, banda] : casos) EXPECT_EQ(BandaEnHora(d, hora), banda) << hora;
    // Where the searches disagree (the Sun up but civil twilight "below"),
    // the brighter band wins: no hour is drawn darker than the Sun's class.
    d[Clase::Civil] = {Estado::SiempreBajo, {}, {}};
    EXPECT_EQ(BandaEnHora(d, 12.0), Banda::Dia);
    EXPECT_EQ(BandaEnHora(d, 7.9), Banda::Nautico);
    // The Moon plays no part.
    d[Clase::Luna] = {Estado::SiempreSobre, {}, {}};
    EXPECT_EQ(BandaEnHora(d, 0.0), Banda::Noche);
}

// The golden and blue hours: the Sun above the lower altitude and not the
// higher one, on ordinary days and where a threshold is not reached.
TEST(Bandas, HorasDoradaYAzul) {
    const ClaseDia nunca{Estado::SiempreBajo, {}, {}};
    const ClaseDia siempre{Estado::SiempreSobre, {}, {}};
    const struct {
        const char* nombre;
        ClaseDia menos6, menos4, mas6;
        std::vector<Tramo> azul, dorada;
    } casos[] = {
        {"un día de latitud media",
         {Estado::ConEventos, 6.5, 19.5},
         {Estado::ConEventos, 6.75, 19.25},
         {Estado::ConEventos, 7.75, 18.25},
         {{6.5, 6.75}, {19.25, 19.5}},
         {{6.75, 7.75}, {18.25, 19.25}}},
        // 70 N at the June solstice: the Sun between +3.4 and +43.4 degrees.
        {"sol de medianoche",
         siempre,
         siempre,
         {Estado::ConEventos, 1.5, 22.5},
         {},
         {{0, 1.5}, {22.5, 24}}},
        // 70 N at the December solstice: -4 crossed, +6 never; one golden
        // stretch around noon between the morning's and evening's blue.
        {"noche polar",
         {Estado::ConEventos, 9.9, 14.0},
         {Estado::ConEventos, 11.0, 12.9},
         nunca,
         {{9.9, 11.0}, {12.9, 14.0}},
         {{11.0, 12.9}}},
        // The evening's -4 after midnight: up at the day's start.
        {"el ocaso de -4 antes que el orto",
         siempre,
         {Estado::ConEventos, 2.0, 1.0},
         {Estado::ConEventos, 3.0, 23.0},
         {{1.0, 2.0}},
         {{0, 1.0}, {2.0, 3.0}, {23.0, 24}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Dia d;
        d.luz = std::array<ClaseDia, NumUmbralesLuz>{c.menos6, c.menos4, c.mas6};
        EXPECT_EQ(TramosAzul(d), c.azul);
        EXPECT_EQ(TramosDorada(d), c.dorada);
        EXPECT_EQ(TramosEntre(c.menos6, c.menos4), c.azul);
    }
    Dia sin;
    EXPECT_TRUE(TramosAzul(sin).empty());
    EXPECT_TRUE(TramosDorada(sin).empty());
}

// WCAG 2's relative luminance and contrast ratio.
double Luminancia(const QColor& c) {
    auto lineal = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lineal(c.redF()) + 0.7152 * lineal(c.greenF()) + 0.0722 * lineal(c.blueF());
}
double Contraste(const QColor& a, const QColor& b) {
    const double x = Luminancia(a), y = Luminancia(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The golden hour lies between the blue hour and the day, the blue hour
// between the nautical twilight and the golden hour: each 3:1 or more
// against its neighbours, as a graphic object needs.
TEST(Bandas, ColoresDoradaYAzulSeDistinguen) {
    EXPECT_GE(Contraste(ColorDorada(), ColorBanda(Banda::Dia)), 3.0);
    EXPECT_GE(Contraste(ColorDorada(), ColorAzul()), 3.0);
    EXPECT_GE(Contraste(ColorAzul(), ColorBanda(Banda::Nautico)), 3.0);
    EXPECT_EQ(ColorDorada().alpha(), 255);
    EXPECT_EQ(ColorAzul().alpha(), 255);
}

// ------------------------------------------------------- chart's pixels

int Distancia(QRgb a, QColor b) {
    return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) +
           std::abs(qBlue(a) - b.blue());
}

// The chart with the golden and blue hours: their hours in their colours,
// the others in the bands', and the bands alone without the option.
TEST(Grafico, HorasDoradaYAzulEnSusColores) {
    Almanaque a;
    a.titulo.lugar = QStringLiteral("Prueba");
    for (int i = 0; i < 7; ++i) {
        Dia d;
        d.fecha = year_month_day{sys_days{2026y / March / 1} + days{i}};
        d[Clase::Sol] = {Estado::ConEventos, 7.0, 19.0};
        d[Clase::Civil] = {Estado::ConEventos, 6.5, 19.5};
        d[Clase::Nautico] = {Estado::ConEventos, 6.0, 20.0};
        d[Clase::Astronomico] = {Estado::ConEventos, 5.5, 20.5};
        d[Clase::Luna] = {Estado::SiempreBajo, {}, {}};
        d.luz = std::array<ClaseDia, NumUmbralesLuz>{ClaseDia{Estado::ConEventos, 6.5, 19.5},
                                                     ClaseDia{Estado::ConEventos, 6.75, 19.25},
                                                     ClaseDia{Estado::ConEventos, 8.0, 18.0}};
        a.dias.push_back(d);
    }
    const QSize tamano(800, 450);
    for (const bool dorada : {false, true}) {
        SCOPED_TRACE(dorada);
        OpcionesGrafico o;
        o.dorada = dorada;
        const QImage imagen = GraficoImagen(a, tamano, o);
        const Disposicion d = DisponeGrafico(imagen, QRectF(QPointF(0, 0), QSizeF(tamano)), a, o);
        const int x = int((d.Izquierda(3) + d.Derecha(3)) / 2);
        const auto en = [&](double hora) { return imagen.pixel(x, int(d.Y(hora))); };
        const struct {
            double hora;
            QColor sin, con;
        } casos[] = {
            {6.6, ColorBanda(Banda::Civil), ColorAzul()},
            {6.9, ColorBanda(Banda::Civil), ColorDorada()},
            {7.5, ColorBanda(Banda::Dia), ColorDorada()},
            {12.5, ColorBanda(Banda::Dia), ColorBanda(Banda::Dia)},
            {18.5, ColorBanda(Banda::Dia), ColorDorada()},
            {19.4, ColorBanda(Banda::Civil), ColorAzul()},
            {19.75, ColorBanda(Banda::Nautico), ColorBanda(Banda::Nautico)},
        };
        for (const auto& c : casos) {
            EXPECT_LE(Distancia(en(c.hora), dorada ? c.con : c.sin), 6) << c.hora;
        }
    }
}

// The colour of a band with the translucent Moon over it.
QColor ConLuna(QColor banda) {
    const QColor l = ColorLuna();
    const double a = l.alphaF();
    return QColor::fromRgbF(float(banda.redF() * (1 - a) + l.redF() * a),
                            float(banda.greenF() * (1 - a) + l.greenF() * a),
                            float(banda.blueF() * (1 - a) + l.blueF() * a));
}

// The band a pixel shows, with or without the Moon over it; none when the
// pixel is none of them (a grid line, a blend at an edge).
struct Lectura {
    Banda banda;
    bool luna;
};
std::optional<Lectura> LeeBanda(QRgb pixel) {
    for (int b = 0; b < NumBandas; ++b) {
        if (Distancia(pixel, ColorBanda(Banda(b))) <= 6) return Lectura{Banda(b), false};
        if (Distancia(pixel, ConLuna(ColorBanda(Banda(b)))) <= 6) return Lectura{Banda(b), true};
    }
    return std::nullopt;
}

// The chart of the days around a date, as a picture; day `indice` is the
// date's column.
struct Grafico {
    Almanaque almanaque;
    QImage imagen;
    Disposicion d;
    int indice = 0;

    const Dia& dia() const { return almanaque.dias[std::size_t(indice)]; }
    // Pixel row whose centre shows this hour.
    int Fila(double hora) const { return int(std::floor(d.Y(hora))); }
    int Columna() const { return int(std::floor((d.Izquierda(indice) + d.Derecha(indice)) / 2)); }
    std::optional<Lectura> En(double hora) const {
        return LeeBanda(imagen.pixel(Columna(), Fila(hora)));
    }
};

Grafico Dibuja(const QStringList& lugar, const char* fecha, bool luna = false,
               QSize tamano = QSize(1600, 900)) {
    const sys_days dia = sys_days{year{std::atoi(fecha)} / month{unsigned(std::atoi(fecha + 5))} /
                                  day{unsigned(std::atoi(fecha + 8))}};
    const year_month_day desde{dia - days{10}};
    const year_month_day hasta{dia + days{10}};
    Grafico g;
    g.almanaque = AlmanaqueDe(
        lugar + QStringList{QStringLiteral("--desde"), Vespalba::Pruebas::FechaIso(desde),
                            QStringLiteral("--hasta"), Vespalba::Pruebas::FechaIso(hasta)});
    g.indice = 10;
    const OpcionesGrafico o{luna, 0.0};
    g.imagen = GraficoImagen(g.almanaque, tamano, o);
    g.d = DisponeGrafico(g.imagen, QRectF(QPointF(0, 0), QSizeF(tamano)), g.almanaque, o);
    return g;
}

// "7: 50" -> 7 + 50/60.
constexpr double H(int horas, int minutos) { return horas + minutos / 60.0; }

struct Esperado {
    double hora;
    Banda banda;
    int luna = -1;  // 1: the Moon's band over it, 0: not, -1: not checked
};

struct CasoGrafico {
    const char* nombre;
    QStringList lugar;
    const char* fecha;
    bool luna;
    std::vector<Esperado> esperado;
    // Whole column of one band (polar day and night), or none.
    std::optional<Banda> sinDia;  // a band the column must never show
};

void PrintTo(const CasoGrafico& c, std::ostream* os) { *os << c.nombre; }

const QStringList valparaiso = {"--lat", "33:16S", "--lon", "71:36W", "--zona", "-4"};
const QStringList polar = {"--lat", "70", "--lon", "0", "--zona", "0"};
const QStringList santiago = {"--lat", "33:02S", "--lon", "71:38W", "--tz", "America/Santiago"};

// Expected bands from each day's times as vespalba-tabla prints them (the
// hours checked avoid the hour grid's lines):
//   Valparaíso 2003-07-02 (the worked example): astronomical dawn 6:21,
//     nautical 6:52, civil 7:23, sunrise 7:50, sunset 17:50, end of civil
//     twilight 18:17, nautical 18:48, astronomical 19:18; the Moon up from
//     10:15 to 20:41.
//   70 N 0 E zone 0, 2003-12-15: the Sun below all day, civil twilight
//     9:47 to 14:02, nautical 7:59 to 15:49, astronomical 6:40 to 17:09.
//   70 N, 2003-06-21: the Sun above all day ("No hay"), the Moon up from 1:09
//     to 11:05.
//   70 N, 2003-05-16: sunrise 0:30 and no sunset, civil twilight all day
//     ("////"): civil twilight before the rise, day after it.
//   70 N, 2003-07-27: sunset 23:51 and no sunrise: day until then.
//   70 N, 2003-07-23: the Sun up all day, the Moon set at 18:41 and rose at
//     20:18 (up at midnight, down in between).
//   America/Santiago 2023-09-02: sunrise 7:03 (-04); 2023-09-03, the clocks
//     go from 00:00 to 01:00 (-03): nautical dawn 7:08, civil 7:37, sunrise
//     8:01, sunset 19:30.
const CasoGrafico casosGrafico[] = {
    {"Valparaiso_2003_07_02",
     valparaiso,
     "2003-07-02",
     true,
     {{H(3, 30), Banda::Noche, 0},
      {H(6, 40), Banda::Astronomico, 0},
      {H(7, 10), Banda::Nautico, 0},
      {H(7, 40), Banda::Civil, 0},
      {H(9, 30), Banda::Dia, 0},
      {H(12, 30), Banda::Dia, 1},
      {H(18, 5), Banda::Civil, 1},
      {H(18, 35), Banda::Nautico, 1},
      {H(19, 5), Banda::Astronomico, 1},
      {H(20, 20), Banda::Noche, 1},
      {H(21, 30), Banda::Noche, 0}},
     std::nullopt},
    {"NochePolar_70N_2003_12_15",
     polar,
     "2003-12-15",
     false,
     {{H(0, 30), Banda::Noche},
      {H(7, 20), Banda::Astronomico},
      {H(9, 20), Banda::Nautico},
      {H(12, 30), Banda::Civil},
      {H(16, 30), Banda::Astronomico},
      {H(23, 30), Banda::Noche}},
     Banda::Dia},
    {"SolDeMedianoche_70N_2003_06_21",
     polar,
     "2003-06-21",
     true,
     {{H(0, 30), Banda::Dia, 0},
      {H(1, 30), Banda::Dia, 1},
      {H(12, 30), Banda::Dia, 0},
      {H(23, 30), Banda::Dia, 0}},
     Banda::Civil},
    {"SoloOrto_70N_2003_05_16",
     polar,
     "2003-05-16",
     false,
     {{H(0, 10), Banda::Civil}, {H(1, 30), Banda::Dia}, {H(23, 45), Banda::Dia}},
     Banda::Noche},
    {"SoloOcaso_70N_2003_07_27",
     polar,
     "2003-07-27",
     false,
     {{H(0, 15), Banda::Dia}, {H(23, 30), Banda::Dia}, {H(23, 57), Banda::Civil}},
     Banda::Noche},
    {"LunaAntesYDespuesDeMedianoche_70N_2003_07_23",
     polar,
     "2003-07-23",
     true,
     {{H(0, 30), Banda::Dia, 1},
      {H(18, 20), Banda::Dia, 1},
      {H(19, 30), Banda::Dia, 0},
      {H(23, 20), Banda::Dia, 1}},
     std::nullopt},
    {"AntesDelCambio_Santiago_2023_09_02",
     santiago,
     "2023-09-02",
     false,
     {{H(6, 50), Banda::Civil}, {H(7, 30), Banda::Dia}},
     std::nullopt},
    {"CambioDeHora_Santiago_2023_09_03",
     santiago,
     "2023-09-03",
     false,
     {{H(0, 30), Banda::Noche},
      {H(7, 20), Banda::Nautico},
      {H(7, 50), Banda::Civil},
      {H(12, 30), Banda::Dia},
      {H(19, 40), Banda::Civil}},
     std::nullopt},
};

class GraficoCaso : public testing::TestWithParam<CasoGrafico> {};

TEST_P(GraficoCaso, CadaHoraEnSuBanda) {
    const CasoGrafico& c = GetParam();
    const Grafico g = Dibuja(c.lugar, c.fecha, c.luna);
    ASSERT_EQ(Vespalba::Pruebas::FechaIso(g.dia().fecha), QString::fromLatin1(c.fecha));
    for (const Esperado& e : c.esperado) {
        const std::optional<Lectura> l = g.En(e.hora);
        ASSERT_TRUE(l) << "hora " << e.hora << ": no es color de ninguna banda";
        EXPECT_EQ(int(l->banda), int(e.banda)) << "hora " << e.hora;
        if (e.luna >= 0) {
            EXPECT_EQ(l->luna, e.luna == 1) << "Luna, hora " << e.hora;
        }
    }
    if (c.sinDia) {
        // A polar day or night: the whole column, every row, without that band.
        for (int y = int(std::ceil(g.d.area.top())); y < int(g.d.area.bottom()); ++y) {
            const std::optional<Lectura> l = LeeBanda(g.imagen.pixel(g.Columna(), y));
            if (l) {
                EXPECT_NE(int(l->banda), int(*c.sinDia)) << "fila " << y;
            }
        }
    }
}

// Every change of band down the column sits within one pixel of an event
// of the day, and every event that changes the band shows as a change
// there. Rows that show no band (the hour grid's lines) are skipped: a
// change seen across them is placed anywhere in the gap, one pixel more.
TEST_P(GraficoCaso, BordesEnLasHorasDeLosEventos) {
    const CasoGrafico& c = GetParam();
    const Grafico g = Dibuja(c.lugar, c.fecha, false);
    const Dia& dia = g.dia();

    // The band edges the day must show: the hours of its Sun classes' events
    // at which the band really changes.
    std::vector<double> eventos;
    for (Clase k : {Clase::Sol, Clase::Civil, Clase::Nautico, Clase::Astronomico}) {
        for (const std::optional<double>& h : {dia[k].orto, dia[k].ocaso}) {
            if (h && *h > 0.02 && *h < 23.98 &&
                BandaEnHora(dia, *h - 0.01) != BandaEnHora(dia, *h + 0.01)) {
                eventos.push_back(*h);
            }
        }
    }

    // The changes the picture shows: between two read rows of different
    // bands, anywhere from the bottom of the upper one to the top of the lower.
    struct Cambio {
        double desde, hasta;
    };
    std::vector<Cambio> cambios;
    std::optional<std::pair<int, Banda>> anterior;
    for (int y = int(std::ceil(g.d.area.top())) + 1; y < int(g.d.area.bottom()) - 1; ++y) {
        const std::optional<Lectura> l = LeeBanda(g.imagen.pixel(g.Columna(), y));
        if (!l) continue;
        if (anterior && anterior->second != l->banda) {
            cambios.push_back({double(anterior->first + 1), double(y)});
        }
        anterior = {y, l->banda};
    }

    for (double h : eventos) {
        const double y = g.d.Y(h);
        const bool visto = std::any_of(cambios.begin(), cambios.end(), [&](const Cambio& k) {
            return y >= k.desde - 1.0 && y <= k.hasta + 1.0;
        });
        EXPECT_TRUE(visto) << "evento a las " << h << " (y " << y << ") sin borde";
    }
    for (const Cambio& k : cambios) {
        const bool explicado = std::any_of(eventos.begin(), eventos.end(), [&](double h) {
            const double y = g.d.Y(h);
            return y >= k.desde - 1.0 && y <= k.hasta + 1.0;
        });
        EXPECT_TRUE(explicado) << "borde entre y " << k.desde << " y " << k.hasta << " sin evento";
    }
    EXPECT_EQ(cambios.size(), eventos.size());
}

INSTANTIATE_TEST_SUITE_P(Dias, GraficoCaso, testing::ValuesIn(casosGrafico));

// The clock change steps: the same hour falls in different bands on the
// day before and the day of the change; and the change's day is marked.
TEST(Grafico, ElCambioDeHoraEsUnEscalon) {
    const Grafico g = Dibuja(santiago, "2023-09-03");
    const int antes = int((g.d.Izquierda(g.indice - 1) + g.d.Derecha(g.indice - 1)) / 2);
    const std::optional<Lectura> a = LeeBanda(g.imagen.pixel(antes, g.Fila(H(7, 45))));
    const std::optional<Lectura> b = g.En(H(7, 45));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(int(a->banda), int(Banda::Dia));
    EXPECT_EQ(int(b->banda), int(Banda::Civil));
    // The triangle under the change's column, orange; none under the day before.
    auto naranja = [&](int x) {
        for (int y = int(g.d.area.bottom()) + 1; y < int(g.d.area.bottom() + 10 * g.d.punto); ++y) {
            const QColor p = g.imagen.pixelColor(x, y);
            if (p.red() > 180 && p.green() < 120 && p.blue() < 60) return true;
        }
        return false;
    };
    EXPECT_TRUE(naranja(g.Columna()));
    EXPECT_FALSE(naranja(antes));
}

// ---------------------------------------------------- picture and SVG

TEST(Grafico, PngDelTamanoPedido) {
    const Almanaque a =
        AlmanaqueDe({"--lat", "70", "--lon", "0", "--zona", "0", "--mes", "2003-02"});
    for (QSize tamano : {TamanoMinimo, TamanoPorDefecto, QSize(1001, 333), QSize(333, 1001)}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(EscribePng(buffer, a, tamano, {}));
        QImage leida;
        ASSERT_TRUE(leida.loadFromData(buffer.data(), "PNG"));
        EXPECT_EQ(leida.size(), tamano);
        // Whatever the size, the bands take most of the picture.
        const Disposicion d = DisponeGrafico(leida, QRectF(QPointF(0, 0), QSizeF(tamano)), a, {});
        EXPECT_GT(d.area.width() * d.area.height(), 0.35 * tamano.width() * tamano.height())
            << tamano.width() << "x" << tamano.height();
        EXPECT_TRUE(QRectF(QPointF(0, 0), QSizeF(tamano)).contains(d.area));
    }
}

TEST(Grafico, SvgBienFormadoConSuTitulo) {
    const Almanaque a =
        AlmanaqueDe({"--lugar", "valparaiso", "--tz", "America/Santiago", "--anio", "2023"});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(EscribeSvg(buffer, a, QSize(1600, 900), {true, 0.0}));

    QXmlStreamReader xml(buffer.data());
    QString titulo, ancho, alto, caja;
    int rectangulos = 0, textos = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("svg")) {
            ancho = xml.attributes().value(QLatin1String("width")).toString();
            alto = xml.attributes().value(QLatin1String("height")).toString();
            caja = xml.attributes().value(QLatin1String("viewBox")).toString();
        } else if (xml.name() == QLatin1String("title")) {
            titulo = xml.readElementText();
        } else if (xml.name() == QLatin1String("text")) {
            ++textos;
        } else if (xml.name() == QLatin1String("path") || xml.name() == QLatin1String("rect")) {
            ++rectangulos;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " línea "
                                 << xml.lineNumber();
    EXPECT_EQ(titulo, QStringLiteral("Valparaíso — 2023"));
    EXPECT_EQ(caja, QStringLiteral("0 0 1600 900"));
    // Its size in millimetres is 1600 x 900 CSS pixels of 1/96 inch.
    ASSERT_TRUE(ancho.endsWith(QLatin1String("mm")) && alto.endsWith(QLatin1String("mm")));
    EXPECT_NEAR(ancho.chopped(2).toDouble() / 25.4 * 96, 1600, 0.5) << ancho.toStdString();
    EXPECT_NEAR(alto.chopped(2).toDouble() / 25.4 * 96, 900, 0.5) << alto.toStdString();
    EXPECT_GT(textos, 12);  // hours, months, title, legend
    EXPECT_GT(rectangulos, 4);
    // The months' names are written as text in the SVG.
    for (const char* mes : {"enero", "julio", "diciembre"}) {
        EXPECT_TRUE(buffer.data().contains(mes)) << mes;
    }
}

TEST(Grafico, TituloConElIntervalo) {
    const std::pair<QStringList, QString> casos[] = {
        {{"--anio", "2023"}, "2023"},
        {{"--mes", "2023-09"}, "septiembre de 2023"},
        {{"--desde", "2023-01-01", "--hasta", "2023-03-31"}, "de enero a marzo de 2023"},
        {{"--desde", "2023-09-03", "--hasta", "2023-09-10"}, "del 3 al 10 de septiembre de 2023"},
        {{"--desde", "2023-08-28", "--hasta", "2023-09-10"},
         "del 28 de agosto al 10 de septiembre de 2023"},
        {{"--desde", "2023-12-28", "--hasta", "2024-01-10"},
         "del 28 de diciembre de 2023 al 10 de enero de 2024"},
    };
    for (const auto& [fechas, intervalo] : casos) {
        const Almanaque a =
            AlmanaqueDe(QStringList{"--lat", "10", "--lon", "10", "--zona", "1"} + fechas);
        EXPECT_EQ(TituloGrafico(a), QStringLiteral("10° 0' N, 10° 0' E — ") + intervalo);
    }
}

// ---------------------------------------------------------------- PDF

// The output of a poppler tool run on a file.
QString Ejecuta(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << programa.toStdString()
                      << " falló: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString EscribeEnArchivo(const QTemporaryDir& dir, const Almanaque& a, const OpcionesDocumento& o) {
    const QString ruta = dir.filePath(QStringLiteral("paginas.pdf"));
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_TRUE(EscribePdf(f, a, o));
    return ruta;
}

QStringList Palabras(const QString& s) {
    return s.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// Every word of every page lies inside the page and above the foot (the
// line that holds "Página"): nothing cut, nothing over the foot. Words and
// their boxes as pdftotext -bbox reads them, in points.
void DentroDeLasPaginas(const QString& ruta) {
    const QString html = Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-bbox", ruta, "-"});
    const QRegularExpression pagina(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">(.*?)</page>"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression palabra(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">(.*?)</word>"));
    int paginas = 0;
    for (const QRegularExpressionMatch& p : pagina.globalMatch(html)) {
        ++paginas;
        const double ancho = p.captured(1).toDouble();
        const double alto = p.captured(2).toDouble();
        struct Caja {
            double x0, y0, x1, y1;
            QString texto;
        };
        std::vector<Caja> cajas;
        std::optional<double> pie;
        for (const QRegularExpressionMatch& w : palabra.globalMatch(p.captured(3))) {
            cajas.push_back({w.captured(1).toDouble(), w.captured(2).toDouble(),
                             w.captured(3).toDouble(), w.captured(4).toDouble(), w.captured(5)});
            if (w.captured(5) == QStringLiteral("Página")) pie = cajas.back().y0;
        }
        ASSERT_TRUE(pie) << "página " << paginas << " sin pie";
        for (const Caja& c : cajas) {
            EXPECT_TRUE(c.x0 >= 0 && c.x1 <= ancho && c.y0 >= 0 && c.y1 <= alto)
                << "página " << paginas << ": " << c.texto.toStdString() << " fuera";
            if (c.y0 < *pie - 1.0) {
                EXPECT_LE(c.y1, *pie)
                    << "página " << paginas << ": " << c.texto.toStdString() << " sobre el pie";
            }
        }
    }
    EXPECT_GT(paginas, 0);
}

OpcionesDocumento Opciones() {
    OpcionesDocumento o;
    o.programa = QStringLiteral("vespalba-tabla 1.1.0");
    return o;
}

struct CasoPdf {
    const char* nombre;
    QStringList orden;
    std::vector<const char*> palabras;  // words the page must show besides the rows
};

void PrintTo(const CasoPdf& c, std::ostream* os) { *os << c.nombre; }

class PdfCaso : public testing::TestWithParam<CasoPdf> {};

// Each day's line in the extracted text holds exactly the words of the
// cells given (the dark boxes hold none), in order; and the title, the
// notes, the legend and the foot are there.
TEST_P(PdfCaso, ElTextoDeLasFilas) {
    const CasoPdf& c = GetParam();
    const Almanaque a = AlmanaqueDe(c.orden);
    QTemporaryDir dir;
    const QString ruta = EscribeEnArchivo(dir, a, Opciones());
    DentroDeLasPaginas(ruta);
    const QString texto = Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-layout", ruta, "-"});
    const QStringList lineas = texto.split(QLatin1Char('\n'));
    for (const Dia& d : a.dias) {
        QStringList esperadas;
        for (const Celda& celda : d.celdas) esperadas << Palabras(celda.texto);
        const QString fecha = Vespalba::Pruebas::FechaIso(d.fecha);
        QStringList encontradas;
        for (const QString& l : lineas) {
            if (l.trimmed().startsWith(fecha)) encontradas << l;
        }
        ASSERT_EQ(encontradas.size(), 1) << fecha.toStdString();
        EXPECT_EQ(Palabras(encontradas.front()), esperadas) << encontradas.front().toStdString();
    }
    const QString plano = Palabras(texto).join(QLatin1Char(' '));
    for (const char* p : c.palabras) {
        EXPECT_TRUE(plano.contains(Palabras(QString::fromUtf8(p)).join(QLatin1Char(' '))))
            << p << "\n"
            << texto.toStdString();
    }
}

const CasoPdf casosPdf[] = {
    {"CambioDeHora_Santiago_2023_09",
     {"--lat", "33:02S", "--lon", "71:38W", "--tz", "America/Santiago", "--mes", "2023-09"},
     {"Septiembre de 2023", "33° 2' S, 71° 38' W", "America/Santiago", "-04 y -03",
      "* 2023-09-03 cambio de hora: 00:00 → 01:00, -04 → -03", "Astronómico", "Desf.",
      "No hay: no se pone.", "Bajo horizonte: no sale.", "////: el crepúsculo no termina.",
      ": la aurora no llega.", "sábado y domingo", "día con cambio de hora", "minutos truncados",
      "baja precisión", "vespalba-tabla 1.1.0", "Página 1 de 1"}},
    // The dark boxes of the civil dawn that does not come, the Sun "Bajo
    // horizonte" all month.
    {"NochePolar_74N_2003_12",
     {"--lat", "74", "--lon", "0", "--zona", "0", "--mes", "2003-12"},
     {"Diciembre de 2003", "74° 0' N, 0° 0' E", "Obscuridad Absoluta.", "Página 1 de 1"}},
    // Pacific/Apia skipped 2011-12-30: its row says so across the table.
    {"FechaSaltada_Apia_2011_12",
     {"--lat", "13:50S", "--lon", "171:45W", "--tz", "Pacific/Apia", "--mes", "2011-12"},
     {"Diciembre de 2011", "2011-12-30 no existe en la zona"}},
};

INSTANTIATE_TEST_SUITE_P(Meses, PdfCaso, testing::ValuesIn(casosPdf));

TEST(Pdf, LetrasIncrustadas) {
    const Almanaque a = AlmanaqueDe(
        {"--lat", "33:02S", "--lon", "71:38W", "--tz", "America/Santiago", "--mes", "2023-09"});
    QTemporaryDir dir;
    OpcionesDocumento o = Opciones();
    o.grafico = true;
    const QString fuentes =
        Ejecuta(QStringLiteral(VESPALBA_PDFFONTS), {EscribeEnArchivo(dir, a, o)});
    // name  type  encoding  emb sub uni  object ID
    const QStringList lineas = fuentes.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(lineas.isEmpty()) << fuentes.toStdString();
    for (const QString& l : lineas) {
        EXPECT_TRUE(l.contains(QLatin1String("LiberationSans"))) << l.toStdString();
        const QStringList campos = Palabras(l);
        ASSERT_GE(campos.size(), 5);
        // emb, sub and uni: embedded, as a subset, with a map to Unicode (the
        // text can be searched and copied).
        EXPECT_EQ(campos[campos.size() - 5], QStringLiteral("yes")) << l.toStdString();
        EXPECT_EQ(campos[campos.size() - 3], QStringLiteral("yes")) << l.toStdString();
    }
}

// A year: the chart's page, then the twelve months, each page numbered.
TEST(Pdf, UnAnioEnTrecePaginas) {
    const Almanaque a =
        AlmanaqueDe({"--lugar", "valparaiso", "--tz", "America/Santiago", "--anio", "2023"});
    QTemporaryDir dir;
    OpcionesDocumento o = Opciones();
    o.grafico = true;
    const QString ruta = EscribeEnArchivo(dir, a, o);
    DentroDeLasPaginas(ruta);
    const QString info = Ejecuta(QStringLiteral(VESPALBA_PDFINFO), {ruta});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+13\\n"))))
        << info.toStdString();
    EXPECT_LT(QFileInfo(ruta).size(), 500 * 1024);
    const QString primera =
        Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-f", "1", "-l", "1", ruta, "-"});
    EXPECT_TRUE(primera.contains(QStringLiteral("Valparaíso — 2023"))) << primera.toStdString();
    EXPECT_TRUE(primera.contains(QStringLiteral("Página 1 de 13")));
    const QString ultima =
        Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-f", "13", "-l", "13", ruta, "-"});
    EXPECT_TRUE(ultima.contains(QStringLiteral("Diciembre de 2023")));
    EXPECT_TRUE(ultima.contains(QStringLiteral("2023-12-31")));
    EXPECT_TRUE(ultima.contains(QStringLiteral("Página 13 de 13")));
    // The chart's page lies landscape: wider than high.
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page\\s+1 size:\\s+([\\d.]+) x ([\\d.]+)"))
            .match(Ejecuta(QStringLiteral(VESPALBA_PDFINFO), {"-f", "1", "-l", "1", ruta}));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_GT(m.captured(1).toDouble(), m.captured(2).toDouble());
}

// A device of one orientation for the whole job (a printer, which
// refuses a new layout once the job has begun, as this writer does): the
// job takes the months' orientation, and no page asks for another. The
// months lie landscape, as the chart does: the same pages as written page
// by page.
TEST(Pdf, UnaSolaOrientacionParaTodoElTrabajo) {
    class DeUnaOrientacion : public QPdfWriter {
    public:
        using QPdfWriter::QPdfWriter;
        bool setPageLayout(const QPageLayout& diseno) override {
            if (paintingActive()) {
                ++rechazados;
                return false;
            }
            return QPdfWriter::setPageLayout(diseno);
        }
        int rechazados = 0;
    };
    const Almanaque a =
        AlmanaqueDe({"--lugar", "valparaiso", "--tz", "America/Santiago", "--anio", "2023"});
    QTemporaryDir dir;
    OpcionesDocumento o = Opciones();
    o.grafico = true;
    const QString porPagina = EscribeEnArchivo(dir, a, o);
    const QString unaSola = dir.filePath(QStringLiteral("una-sola.pdf"));
    {
        DeUnaOrientacion escritor(unaSola);
        ASSERT_TRUE(DibujaDocumento(escritor, a, o, {}, Orientaciones::UnaSola));
        EXPECT_EQ(escritor.rechazados, 0);
    }
    auto info = [](const QString& ruta) {
        return Ejecuta(QStringLiteral(VESPALBA_PDFINFO), {"-f", "1", "-l", "13", ruta})
            .split('\n')
            .filter(QRegularExpression(QStringLiteral("^(Pages|Page +\\d+ size):")));
    };
    EXPECT_EQ(info(unaSola), info(porPagina));
    EXPECT_EQ(info(unaSola).size(), 14);
    EXPECT_EQ(Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-layout", unaSola, "-"}),
              Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {"-layout", porPagina, "-"}));
}

// A page on a sheet of the other orientation, turned a quarter: its
// printable area lands exactly on the sheet's, a landscape page's top along
// a portrait sheet's left edge and a portrait page's along a landscape
// sheet's right edge; on a sheet of its own orientation, unchanged.
TEST(Pdf, GiroDePagina) {
    const QSizeF vertical(500, 800), apaisada(800, 500);
    struct Caso {
        QSizeF hoja;
        QPageLayout::Orientation pagina;
        QPointF arribaIzquierda, arribaDerecha;  // where the page's top corners land
    };
    const Caso casos[] = {
        {vertical, QPageLayout::Landscape, {0, 800}, {0, 0}},
        {apaisada, QPageLayout::Portrait, {800, 0}, {800, 500}},
        {vertical, QPageLayout::Portrait, {0, 0}, {500, 0}},
        {apaisada, QPageLayout::Landscape, {0, 0}, {800, 0}},
    };
    for (const Caso& c : casos) {
        const QTransform t = GiroDePagina(c.hoja, c.pagina);
        const bool girada =
            (c.hoja.width() > c.hoja.height()) != (c.pagina == QPageLayout::Landscape);
        const QSizeF pagina = girada ? c.hoja.transposed() : c.hoja;
        EXPECT_EQ(t.mapRect(QRectF(QPointF(0, 0), pagina)), QRectF(QPointF(0, 0), c.hoja));
        EXPECT_EQ(t.map(QPointF(0, 0)), c.arribaIzquierda);
        EXPECT_EQ(t.map(QPointF(pagina.width(), 0)), c.arribaDerecha);
    }
}

// Columns added after the text table's (the almanac's, here wider than
// they will be) still fit each month on one page, on A4 and on Letter, at
// eight points or more, the long words wrapped or the letters narrowed;
// every word of the cells is on the page, nothing cut.
TEST(Pdf, ColumnasDeMasCaben) {
    Almanaque a = AlmanaqueDe(
        {"--lat", "33:02S", "--lon", "71:38W", "--tz", "America/Santiago", "--mes", "2023-09"});
    for (const char* titulo : {"Mediodía", "Altura", "Fase", "Iluminada"}) {
        a.columnas.push_back({QStringLiteral("Almanaque"), QString::fromUtf8(titulo), false});
    }
    for (Dia& d : a.dias) {
        d.celdas.push_back({QStringLiteral("12: 41")});
        d.celdas.push_back({QStringLiteral("57.3°")});
        d.celdas.push_back({QStringLiteral("cuarto creciente gibosa")});
        d.celdas.push_back({QStringLiteral("99.9 %")});
    }
    for (Papel papel : {Papel::A4, Papel::Carta}) {
        OpcionesDocumento o = Opciones();
        o.papel = papel;
        QPdfWriter medida(QStringLiteral("/dev/null"));
        const FormaPagina forma = EligeForma(medida, medida.resolution() / 72.0, a, o);
        EXPECT_GE(forma.cuerpo, CuerpoMinimo);
        QTemporaryDir dir;
        const QString ruta = EscribeEnArchivo(dir, a, o);
        DentroDeLasPaginas(ruta);
        const QString texto = Ejecuta(QStringLiteral(VESPALBA_PDFTOTEXT), {ruta, "-"});
        std::map<QString, int> hay, falta;
        for (const QString& p : Palabras(texto)) ++hay[p];
        for (const Dia& d : a.dias) {
            for (const Celda& c : d.celdas) {
                for (const QString& p : Palabras(c.texto)) ++falta[p];
            }
        }
        for (const auto& [palabra, veces] : falta) {
            EXPECT_GE(hay[palabra], veces) << palabra.toStdString();
        }
    }
}

}  // namespace

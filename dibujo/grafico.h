// SPDX-License-Identifier: GPL-3.0-or-later
// The daylight chart: dates across, the wall-clock hours 0 to 24 down the
// side with midnight at the top, and for every day the hours of night, of
// astronomical, nautical and civil twilight and of day filled as bands; the
// clock changes show as steps, polar day and night as whole columns, and
// optionally the Moon's hours above the horizon as a translucent band and
// the golden and blue hours as bands of their own.
//
// One routine draws it on any QPaintDevice (QImage, QSvgGenerator, a
// QPdfWriter page) in the painter's own units; letters and lines are sized
// from the length of a typographic point in those units. Drawing text needs
// a QGuiApplication (any platform: "offscreen" needs no display).
#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include "dibujo/almanaque.h"
#include "dibujo/bandas.h"

class QIODevice;
class QPaintDevice;
class QPainter;

namespace Vespalba::Dibujo {

// The fewest days a chart is meant for: a program refuses shorter ranges
// (DibujaGrafico draws any number).
inline constexpr int DiasMinimosGrafico = 7;

// Sizes of the chart's images, pixels.
inline constexpr QSize TamanoMinimo{320, 200};
inline constexpr QSize TamanoMaximo{8000, 8000};
inline constexpr QSize TamanoPorDefecto{1600, 900};

struct OpcionesGrafico {
    // The Moon's hours above the horizon as a translucent band over the others.
    bool luna = false;
    // Length of one typographic point (1/72 inch) in the painter's units; it
    // sizes every letter, line and margin. 0: PuntoDeMarco of the frame.
    double punto = 0.0;
    // The golden and blue hours (TramosDorada, TramosAzul) over the bands,
    // of the days that carry them (Dia::luz).
    bool dorada = false;
};

// Fill colour of a band: graded from the dark night to the pale day.
QColor ColorBanda(Banda banda);

// Colour of the Moon's band, translucent (alpha below 255).
QColor ColorLuna();

// Colours of the golden hours' and the blue hours' bands, opaque: an amber
// and a violet that stand apart from the bands they lie on (the day's pale
// yellow, the civil twilight's light blue) and from each other.
QColor ColorDorada();
QColor ColorAzul();

// The point length that suits a frame of this size (in the painter's
// units) when nothing else fixes it: 1.45 units a point for 1600 x 900,
// growing as the frame above that, as its square root below, never under
// 0.9 units a point.
double PuntoDeMarco(const QSizeF& marco);

// Where the chart's parts lie inside its frame.
struct Disposicion {
    QRectF marco;        // the whole chart
    QRectF area;         // the bands: 0 h at area.top(), 24 h at area.bottom()
    int dias = 0;        // columns, one per day of the Almanaque, in order
    double punto = 1.0;  // units per typographic point

    // Horizontal extent of day i's column, [Izquierda(i), Derecha(i)).
    double Izquierda(int i) const { return area.left() + area.width() * i / dias; }
    double Derecha(int i) const { return Izquierda(i + 1); }
    // Vertical position of a wall-clock hour, [0, 24].
    double Y(double hora) const { return area.top() + area.height() * hora / 24.0; }
};

// The layout DibujaGrafico uses for this frame on this device (the letters'
// sizes depend on the device's font metrics).
//   marco: the chart's frame in the painter's units.
Disposicion DisponeGrafico(const QPaintDevice& dispositivo, const QRectF& marco,
                           const Almanaque& almanaque, const OpcionesGrafico& opciones);

// Draws the chart of every day of `almanaque` inside `marco` (painter's
// units): the title (place and range, coordinates and zone), the bands, the
// hour grid and its labels on both sides, the months grouped with their
// Spanish names (and the days' numbers where they fit), the clock changes
// marked under their days, and the legend. Leaves the painter's state as
// it found it. Nothing is drawn for an Almanaque without days.
void DibujaGrafico(QPainter& pintor, const QRectF& marco, const Almanaque& almanaque,
                   const OpcionesGrafico& opciones);

// The chart's title in one line: the place (or its coordinates) and the
// range of dates: "Valparaíso, Región de Valparaíso, Chile — 2023".
QString TituloGrafico(const Almanaque& almanaque);

// The chart as a picture of `tamano` pixels, on white.
QImage GraficoImagen(const Almanaque& almanaque, const QSize& tamano,
                     const OpcionesGrafico& opciones);

// The chart as PNG of `tamano` pixels written to `salida` (open for
// writing). False when writing failed.
//
// For these writers and EscribePdf, a failure of the device itself also
// shows in the device (QSaveFile::commit fails): check it there.
bool EscribePng(QIODevice& salida, const Almanaque& almanaque, const QSize& tamano,
                const OpcionesGrafico& opciones);

// The chart as SVG of `tamano` user units (pixels, 1/96 inch in its size)
// written to `salida` (open for writing), titled with TituloGrafico and
// described with the place's coordinates and zone. False when the painter
// could not start or finish.
bool EscribeSvg(QIODevice& salida, const Almanaque& almanaque, const QSize& tamano,
                const OpcionesGrafico& opciones);

}  // namespace Vespalba::Dibujo

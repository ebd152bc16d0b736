// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/luna.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "dias/dias.h"

namespace Vespalba::Almanaque {

namespace {

// Colours fixed whatever the palette: the dark part a dim grey that stands
// out from neither a white nor a black window, which the outline, a middle
// grey, separates from both; the lit part a pale yellow-white.
const QColor ColorOscuro(0x3a, 0x3b, 0x40);
const QColor ColorBorde(0x8c, 0x8c, 0x8c);
const QColor ColorIluminado(0xf7, 0xf2, 0xd6);

// Logical pixels between the widget's edge and the disc, for the outline.
constexpr double Margen = 2.0;

// The fraction as drawn: 0 to 1, and 0 (new) for one that is not finite.
double FraccionDibujada(double fraccion) {
    return std::isfinite(fraccion) ? std::clamp(fraccion, 0.0, 1.0) : 0.0;
}

// The side lit: waxing, the Sun is west of the Moon in the evening sky, to
// the right of it for an observer facing the Moon from the northern
// hemisphere (facing south) and to the left from the southern one.
bool LuzALaDerecha(bool creciente, bool hemisferioSur) { return creciente != hemisferioSur; }

}  // namespace

QPainterPath ParteIluminada(double fraccion, bool creciente, bool hemisferioSur,
                            const QRectF& disco) {
    QPainterPath camino;
    const double f = FraccionDibujada(fraccion);
    const bool discoValido = std::isfinite(disco.x()) && std::isfinite(disco.y()) &&
                             std::isfinite(disco.width()) && std::isfinite(disco.height()) &&
                             disco.width() > 0 && disco.height() > 0;
    if (f <= 0.0 || !discoValido) {
        return camino;
    }
    if (f >= 1.0) {
        camino.addEllipse(disco);
        return camino;
    }
    const bool derecha = LuzALaDerecha(creciente, hemisferioSur);
    // Half the terminator's width: the terminator is a great circle seen
    // obliquely, an ellipse of semi-axis |cos(phase angle)| = |1 - 2 f|
    // times the radius across. Gibbous, it bulges into the dark half (the
    // lit half disc plus a half ellipse: area (1 + |1 - 2f|) / 2 = f of the
    // disc); crescent, it cuts into the lit half (area (1 - |1 - 2f|) / 2 =
    // f).
    const double semiEje = std::fabs(1.0 - 2.0 * f) * 0.5 * disco.width();
    const bool gibosa = f > 0.5;
    const bool terminadorALaDerecha = gibosa ? !derecha : derecha;
    const double centroX = disco.center().x();

    // From the top of the disc round the lit side to its bottom (Qt's
    // angles: degrees counter-clockwise from 3 o'clock, 90 at the top)...
    camino.moveTo(centroX, disco.top());
    camino.arcTo(disco, 90.0, derecha ? -180.0 : 180.0);
    // ...and back up along the terminator, from 270 (the bottom) through 0
    // (its right end) or 180 (its left end) to 90.
    if (semiEje > 0.0) {
        const QRectF elipse(centroX - semiEje, disco.top(), 2.0 * semiEje, disco.height());
        camino.arcTo(elipse, 270.0, terminadorALaDerecha ? 180.0 : -180.0);
    } else {
        camino.lineTo(centroX, disco.top());  // a half Moon: the terminator is straight
    }
    camino.closeSubpath();
    return camino;
}

DibujoLuna::DibujoLuna(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    MuestraLuna(0.0, true, false);
}

void DibujoLuna::MuestraLuna(double fraccion, bool creciente, bool hemisferioSur) {
    fraccion_ = FraccionDibujada(fraccion);
    creciente_ = creciente;
    hemisferioSur_ = hemisferioSur;

    const int porcentaje = Dias::Porcentaje(fraccion_);
    setAccessibleName(
        QStringLiteral("Luna iluminada al %1 %, %2")
            .arg(porcentaje)
            .arg(creciente ? QStringLiteral("creciente") : QStringLiteral("menguante")));
    const QString hemisferio =
        hemisferioSur ? QStringLiteral("hemisferio sur") : QStringLiteral("hemisferio norte");
    QString descripcion;
    if (porcentaje == 0) {
        descripcion = QStringLiteral("Sin parte iluminada visible");
    } else if (porcentaje == 100) {
        descripcion = QStringLiteral("Disco entero iluminado");
    } else {
        descripcion =
            QStringLiteral("Iluminada por la %1, vista desde el %2")
                .arg(LuzALaDerecha(creciente, hemisferioSur) ? QStringLiteral("derecha")
                                                             : QStringLiteral("izquierda"),
                     hemisferio);
    }
    setAccessibleDescription(descripcion);
    update();
}

QSize DibujoLuna::sizeHint() const { return {96, 96}; }

QSize DibujoLuna::minimumSizeHint() const { return {32, 32}; }

QRectF DibujoLuna::Disco() const {
    const double lado = std::max(0.0, std::min(width(), height()) - 2.0 * Margen);
    const QPointF centro = QRectF(rect()).center();
    return {centro.x() - lado / 2, centro.y() - lado / 2, lado, lado};
}

void DibujoLuna::paintEvent(QPaintEvent*) {
    const QRectF disco = Disco();
    if (disco.width() <= 0) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ColorOscuro);
    p.drawEllipse(disco);
    p.setBrush(ColorIluminado);
    p.drawPath(ParteIluminada(fraccion_, creciente_, hemisferioSur_, disco));
    // The outline last, over both parts' edges: one logical pixel.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ColorBorde, 1.0));
    p.drawEllipse(disco);
}

}  // namespace Vespalba::Almanaque

// SPDX-License-Identifier: GPL-3.0-or-later
// The Moon as the place sees it: its lit part drawn from the illuminated
// fraction and whether it waxes, turned as seen from the place's hemisphere.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <QWidget>

namespace Vespalba::Almanaque {

// The lit part of the Moon's disc `disco` as seen from the place: a half disc
// on the lit side joined to a half ellipse (the terminator) whose semi-axis
// across is |1 - 2 fraccion| times the radius, bulging into the dark half
// for a gibbous Moon (fraccion > 1/2) and cutting into the lit half for a
// crescent, so that the path's area is fraccion times the disc's. Waxing:
// lit on the right seen from the northern hemisphere, on the left from the
// southern; waning the other way.
//   fraccion: illuminated fraction, 0 (new) to 1 (full); clamped to it, and
//             one that is not finite counts as 0. Empty path at 0.
//   disco:    the disc's bounding rectangle (a circle when square).
QPainterPath ParteIluminada(double fraccion, bool creciente, bool hemisferioSur,
                            const QRectF& disco);

// The Moon's disc: the dark part a dim grey disc with a thin outline (so a
// new Moon still shows on light and dark palettes), the lit part pale
// yellow-white. Painted as vectors, crisp at any devicePixelRatio. Its
// accessible name says the percentage lit and whether it waxes ("Luna
// iluminada al 45 %, creciente"); its description, which side is lit.
class DibujoLuna : public QWidget {
    Q_OBJECT
public:
    explicit DibujoLuna(QWidget* parent = nullptr);

    // fraccion: illuminated fraction 0..1 (clamped; not finite: drawn as
    // new); creciente: waxing; hemisferioSur: the place is south of the
    // equator.
    void MuestraLuna(double fraccion, bool creciente, bool hemisferioSur);

    QSize sizeHint() const override;  // 96 x 96 logical pixels
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    // The disc: the largest circle centred in the widget, inside a margin.
    QRectF Disco() const;

    double fraccion_ = 0.0;
    bool creciente_ = true;
    bool hemisferioSur_ = false;
};

}  // namespace Vespalba::Almanaque

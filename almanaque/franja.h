// SPDX-License-Identifier: GPL-3.0-or-later
// The strip of the civil day: night, the three twilights and day from the
// day's first instant to its last, with sunrise, solar noon and sunset
// marked and the wall clock's hours beneath. A civil day of 23 or 25 hours
// (a change of the clock) is drawn over its real length, its hours as the
// clock shows them.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <vector>

#include "dias/consulta.h"
#include "dias/dias.h"

namespace Vespalba::Almanaque {

// Stretch of the day: from, to as fractions of the civil day [0, 1]; nivel 0
// night, 1 astronomical twilight, 2 nautical, 3 civil, 4 day (how many of
// the thresholds -18, -12 and -6 degrees and the horizon the Sun is above).
struct TramoFranja {
    double desde = 0;
    double hasta = 0;
    int nivel = 0;
};

// An event: position as a fraction of the day; short text ("Orto 7:04").
struct MarcaFranja {
    double posicion = 0;
    QString texto;
};

// A clock hour's tick ("6", "12", "18"), on the clock in force at it.
struct HoraFranja {
    double posicion = 0;
    QString texto;
};

// A golden or blue hour: from, to as fractions of the civil day [0, 1].
struct TramoLuz {
    double desde = 0;
    double hasta = 0;
    bool dorada =
        false;  // the golden hour (the Sun from -4 to +6 degrees); else the blue (-6 to -4)
};

struct DatosFranja {
    std::vector<TramoFranja> tramos;  // consecutive, covering [0, 1]
    // The golden and blue hours in time order, when the day was computed
    // with them (Dias::CompletaLuzEspecial); drawn over the bands.
    std::vector<TramoLuz> luz;
    std::vector<MarcaFranja> marcas;  // sunrise, sunset, solar noon
    // Every whole hour of the wall clock within the day, [start, end): a
    // clock-change day has 23 or 25, and its ticks follow the clock shown
    // (America/Santiago 2026-04-04: 0 to 23, then 23 again).
    std::vector<HoraFranja> horas;
    double horasDelDia = 24;  // real length of the civil day, hours (23, 24, 25...)
};

// The strip of one computed day of the request. The day runs from the
// date's first instant to the next date's: for an IANA zone as the zone's
// civil day (its start may be 01:00 after a change at midnight), for a fixed
// offset from midnight at that offset for 24 hours. The day is cut at every
// rise and set of the Sun's four classes (d.instantes, UT seconds) and each
// piece gets the number of classes whose threshold the Sun is above then,
// from each class's state and the order of its rise and set; neighbouring
// pieces of one level are one stretch. Empty `tramos` (and marks and ticks)
// when !d.existe.
DatosFranja FranjaDelDia(const Dias::Consulta& consulta, const Dias::DiaCalculado& d);

// The level's name in words: "noche", "crepúsculo astronómico",
// "crepúsculo náutico", "crepúsculo civil", "día".
QString NombreNivel(int nivel);

// The stretches in words, for a screen reader: "noche hasta 5:12,
// crepúsculo astronómico hasta 5:47, ..., noche hasta 24:00", then, when
// given and shown, the golden and blue hours ("; hora azul de 6:41 a 7:05,
// hora dorada de 7:05 a 8:02, ..."). The times are
// read on the wall clock from the hour ticks (whole hours of the clock in
// force, so a clock change between them is placed right); without ticks,
// as hours from the day's start.
QString DescribeFranja(const DatosFranja& datos, bool conLuz = true);

// The strip: bands left to right in five fixed colours, deep blue for night
// to a pale yellow for day, that read on light and dark desktop themes;
// over them, unless switched off, the blue and golden hours in the year
// chart's colours (Dibujo::ColorAzul, ColorDorada: at least 3:1 against the
// bands beside them and each other);
// the hours' ticks and numbers below the band in the palette's text colour;
// the events as thin vertical lines with their texts above the band (or,
// when they would overlap there, below the hours). Painted as vectors,
// edges on whole device pixels: crisp at any devicePixelRatio.
class FranjaDia : public QWidget {
    Q_OBJECT
public:
    explicit FranjaDia(QWidget* parent = nullptr);

    void Muestra(const DatosFranja& datos);
    // Whether the golden and blue hours are drawn (and described); on at first.
    void MuestraLuz(bool mostrar);
    bool LuzMostrada() const { return conLuz_; }

    QSize sizeHint() const override;  // 480 wide, about 64 high
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    DatosFranja datos_;
    bool conLuz_ = true;
};

}  // namespace Vespalba::Almanaque

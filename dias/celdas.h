// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac's table as texts: its columns, a day's cells, the header that
// names the place and zone, the notes of the clock changes and the legend.
// vespalba-tabla's text table and printed pages and the almanac window's
// month show the same strings.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

#include "dias/consulta.h"
#include "dias/dias.h"

namespace Vespalba::Dias {

// "2003-07-02".
QString FechaIso(std::chrono::year_month_day f);

// The place's name as the outputs give it ("Valparaíso", "Puerto Montt,
// Región de Los Lagos, Chile"); empty for coordinates.
QString NombreDelLugar(const Consulta& p);

// The coordinates: "33° 16' S, 71° 36' W" (minutes with up to three
// decimals where they have them).
QString TextoCoordenadas(const Consulta& p);

// The zone as the header names it: its IANA name, or the fixed offset "-4 h".
QString NombreDeZona(const Consulta& p);

// A fixed offset's hours as the header writes them: "+5.75", "-4", "0".
QString HorasConSigno(double horas);

// The clock-time texts people write, built from the hours themselves:
// hours unpadded, minutes always in two digits, 24-hour clock, minutes
// truncated (never rounded), as every time shown.
//   HoraDeReloj(7.07) = "7:04", HoraDeReloj(20) = "20:00", HoraDeReloj(0.15)
//   = "0:09"; empty for a value that is not finite.
QString HoraDeReloj(double horas);
// A duration of hours, "9:59", "24:00", "0:00"; a negative one (a sunset
// before the sunrise on the day's clock) with its sign, "-5:30".
QString DuracionDeReloj(double horas);
// "12:50:17", "7:05:12": an instant on the day's clock with its seconds,
// after the date's 0 h (the instant is already truncated to the second).
QString HoraConSegundos(const DiaCalculado& d, const Instante& t);
// "+2 m 38 s", "-0 m 05 s", "0 m 00 s": a change of daylight, seconds.
QString CambioDeLuz(qint64 segundos);
// What the window's box shows, with its time in the form above: "7:04",
// or the box's mark ("No hay", "Bajo horizonte", "////"), or empty.
QString TextoDeCaja(const DiaCalculado& d, Caja caja);
// The hours of daylight as DuracionDeReloj writes them, empty where the
// window shows none.
QString TextoHorasDeLuz(const DiaCalculado& d);

// Adds to `usados` the offsets in force during the days ("-04") that it
// lacks, in order of first use.
void AnotaDesfases(const std::vector<DiaCalculado>& dias, QStringList& usados);

// The offsets used, in order: "-04 y -03".
QString TextoDesfasesUsados(QStringList usados);

// A column of the text table (and of the printed month pages).
struct Columna {
    QString grupo;   // title shared with the neighbouring columns of the same group
    QString titulo;  // the column's own title
    bool derecha;    // aligned to the right (times and marks)
};

// A cell of a day's row.
struct Celda {
    QString texto;
    bool marco = false;  // a dawn box in the frame colour: filled with shading
};

// The parts of the text table's header: the place's name ("Valparaíso",
// "Puerto Montt, Región de Los Lagos, Chile"; empty for coordinates), its
// coordinates ("33° 16' S, 71° 36' W"), the zone ("America/Santiago", or a
// fixed offset "-4 h") and the offsets in force during the days, in order of
// first use ({"-04", "-03"}).
struct Encabezado {
    QString lugar;
    QString coordenadas;
    QString zona;
    QStringList desfases;
};
Encabezado EncabezadoDe(const Consulta& consulta, const std::vector<DiaCalculado>& dias);

// The day's clock changes as the text table explains them under its rows,
// one line each: "* 2023-09-03 cambio de hora: 00:00 → 01:00, -04 → -03".
QStringList NotasDeCambio(const DiaCalculado& d);

// The text table's columns for the request, in order; with a zone name, the
// offset's after the date.
std::vector<Columna> Columnas(const Consulta& consulta);

// What the abbreviated titles and the almanac's columns mean, for the
// legend under the text table and on the printed pages: "Luz ±", "las horas
// de luz menos las del día anterior"; each abbreviation of the Moon's phase;
// with a zone name, "Desf.".
struct Explicacion {
    QString marca;
    QString significado;
};
std::vector<Explicacion> ExplicacionDeColumnas(const Consulta& consulta);

// A day's row of the text table, one cell for each of Columnas(consulta):
// the texts exactly as the table prints them, unpadded.
std::vector<Celda> FilaTexto(const Consulta& consulta, const DiaCalculado& d);

}  // namespace Vespalba::Dias

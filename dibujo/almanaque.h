// SPDX-License-Identifier: GPL-3.0-or-later
// What the drawings are made from: a range of consecutive civil days at one
// place, each with the state of the Moon and of the Sun at its four
// thresholds in wall-clock hours, and the texts of its row in the printed
// table. The drawing code reads nothing else, so any program that computes
// days can fill it.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace Vespalba::Dibujo {

// The classes of events of one day, in the order of the day's search: the
// Moon at its horizon, then the Sun at the horizon and at the three
// twilight depressions (6, 12 and 18 degrees).
enum class Clase : int {
    Luna = 0,
    Sol = 1,
    Civil = 2,
    Nautico = 3,
    Astronomico = 4,
};

inline constexpr int NumClases = 5;

// The Sun's altitudes that bound the golden and blue hours: the blue hour
// from -6 to -4 degrees, the golden hour from -4 to +6.
enum class UmbralLuz : int {
    Menos6 = 0,
    Menos4 = 1,
    Mas6 = 2,
};

inline constexpr int NumUmbralesLuz = 3;

// What a class did during the day.
enum class Estado {
    SiempreBajo,   // below its threshold all day
    SiempreSobre,  // above its threshold all day
    ConEventos,    // it crossed the threshold: orto and/or ocaso hold the hours
};

// One class's day. An hour is present only when the event happened.
struct ClaseDia {
    Estado estado = Estado::SiempreBajo;
    // Wall-clock hour of the upward crossing (rise, beginning of dawn), hours
    // after the date's 0 h as the clock in force at the event reads it, [0, 24].
    std::optional<double> orto;
    // Wall-clock hour of the downward crossing (set, end of twilight), [0, 24].
    std::optional<double> ocaso;
};

// One cell of the printed table.
struct Celda {
    QString texto;  // exactly as the text table prints it; may be empty
    // A dawn box in the dark frame colour (a dawn that does not come): drawn
    // as a dark box, its text (normally empty) on top of it.
    bool oscura = false;
};

// One column of the printed table.
struct Columna {
    // Title shared with the neighbouring columns of the same group ("Sol"
    // over "Orto" and "Ocaso"); empty for a column of its own.
    QString grupo;
    QString titulo;       // the column's own title ("Orto")
    bool derecha = true;  // aligned to the right (times and marks) or to the left (words)
};

// One civil day.
struct Dia {
    std::chrono::year_month_day fecha;
    // False when the zone skips the date (Pacific/Apia 2011-12-30): the
    // chart shows an empty column, the table the row's cells as given.
    bool existe = true;
    // Offset of the zone when the day starts, seconds east of UT (the
    // hours of events after a clock change are read on the new offset).
    int desfase = 0;
    // Indexed by Clase.
    std::array<ClaseDia, NumClases> clases{};
    // The Sun at the golden and blue hours' altitudes, as the classes: its
    // centre at -6, -4 and +6 degrees (indexed by UmbralLuz); none when the
    // days were computed without them.
    std::optional<std::array<ClaseDia, NumUmbralesLuz>> luz;
    // The row of the printed table: one cell per column of the Almanaque.
    std::vector<Celda> celdas;
    // The day's clock changes, each as the whole line that explains it under
    // the table ("* 2023-09-03 cambio de hora: 00:00 → 01:00, -04 → -03");
    // empty on a day without a change. A day with any is marked as a day of
    // clock change in the chart and in the table.
    QStringList cambios;

    ClaseDia& operator[](Clase c) { return clases[static_cast<int>(c)]; }
    const ClaseDia& operator[](Clase c) const { return clases[static_cast<int>(c)]; }
    // Whether the clock changes during the day.
    bool CambiaLaHora() const { return !cambios.isEmpty(); }
};

// The heading of every drawing: the place and its civil time.
struct Titulo {
    // "Valparaíso, Región de Valparaíso, Chile"; empty when only the
    // coordinates are known.
    QString lugar;
    QString coordenadas;  // "33° 2' S, 71° 38' W"
    // The zone: an IANA name ("America/Santiago") or a fixed offset as the
    // program words it ("-4 h").
    QString zona;
    // The offsets in force during the days, as the text table writes them,
    // in order of first use: {"-04", "-03"}.
    QStringList desfases;
};

// Everything the drawings need.
struct Almanaque {
    Titulo titulo;
    // The table's columns, in order; every Dia has one cell per column.
    std::vector<Columna> columnas;
    // Consecutive dates, first to last.
    std::vector<Dia> dias;
};

}  // namespace Vespalba::Dibujo

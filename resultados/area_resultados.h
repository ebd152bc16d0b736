// SPDX-License-Identifier: GPL-3.0-or-later
// Clearing and filling the window's result area. A thin layer: the texts,
// captions and marks come from ComponeResultados; this only writes them into
// the controls it is given.
#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <chrono>

#include "astro/eventos.h"
#include "resultados/resultados.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace Vespalba {

// The result area's controls, which the window owns and fills in from its
// description. Every pointer must be set (LlenaControles checks them).
struct ControlesResultado {
    QWidget* Resultado = nullptr;              // the result frame
    std::array<QLineEdit*, NumCajas> cajas{};  // the ten time boxes, indexed by Caja
    QLineEdit* TextInfo = nullptr;             // the status sentence
    QLabel* Label1 = nullptr;                  // caption beside the upper moon box
    QLabel* Label8 = nullptr;                  // caption beside the lower moon box
    QLineEdit* HorasLuz = nullptr;             // hours of daylight
    QLineEdit* TextAl = nullptr;               // the date of the calculation
};

// Whether every control is set: the window checks it once when it is built.
bool Completos(const ControlesResultado& c);

// The date of a calculation in the "Medium Date" style: day, abbreviated
// month name in `locale`, four-digit year ("2 jul 2003" in Spanish,
// "2 Jul 2003" in the C locale).
QString TextoFechaMedia(std::chrono::year_month_day fecha, const QLocale& locale);

// Gives the three dawn boxes (ComAuroraCivil, ComAurora, ComAuroraAstro)
// their normal back colour, the window background.
void ColorNormalCajasAurora(const ControlesResultado& area);

// Empties the ten time boxes and TextInfo, hides TextInfo, and gives the
// dawn boxes their normal back colour. Leaves the result frame as it is
// shown or hidden; HorasLuz, TextAl and the moon captions keep what they
// showed. "Nuevo Cálculo" uses it with the frame hidden.
void VaciaAreaResultados(const ControlesResultado& area);

// Starts a calculation: shows the result frame, then VaciaAreaResultados.
void LimpiaResultados(const ControlesResultado& area);

// Shows one day's results: the ten time boxes, the moon captions (each moon
// box's accessible name follows the caption beside it), the status
// sentence in TextInfo (shown only when a class has no events), the hours of
// daylight, the date in TextAl, and the window-frame colour on each dawn box
// whose dawn never comes.
void MuestraResultados(const ControlesResultado& area, const ModuloVespalba::EventosDia& eventos,
                       std::chrono::year_month_day fecha, const QLocale& locale = QLocale());

}  // namespace Vespalba

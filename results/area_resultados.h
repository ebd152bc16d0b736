// SPDX-License-Identifier: GPL-3.0-or-later
// Clearing and filling the window's result area. A thin layer: the texts,
// captions and marks come from ComponeResultados; this only finds the
// controls by their object names under `ventana` and writes them.
#pragma once

#include <QLocale>
#include <QString>
#include <QWidget>

#include <chrono>

#include "astro/eventos.h"

namespace Vespalba {

// The date of a calculation in the "Medium Date" style: day, abbreviated
// month name in `locale`, four-digit year ("2 jul 2003" in Spanish,
// "2 Jul 2003" in the C locale).
QString TextoFechaMedia(std::chrono::year_month_day fecha, const QLocale& locale);

// Gives the three dawn boxes (ComAuroraCivil, ComAurora, ComAuroraAstro)
// their normal back colour, the window background.
void ColorNormalCajasAurora(QWidget& ventana);

// Empties the ten time boxes and TextInfo, hides TextInfo, and gives the
// dawn boxes their normal back colour. Leaves the result frame as it is
// shown or hidden; HorasLuz, TextAl and the moon captions keep what they
// showed. "Nuevo Cálculo" uses it with the frame hidden.
void VaciaAreaResultados(QWidget& ventana);

// Starts a calculation: shows the result frame, then VaciaAreaResultados.
void LimpiaResultados(QWidget& ventana);

// Shows one day's results: the ten time boxes, the moon captions (each moon
// box's accessible name follows the caption beside it), the status
// sentence in TextInfo (shown only when a class has no events), the hours of
// daylight, the date in TextAl, and the window-frame colour on each dawn box
// whose dawn never comes.
void MuestraResultados(QWidget& ventana, const ModuloVespalba::EventosDia& eventos,
                       std::chrono::year_month_day fecha, const QLocale& locale = QLocale());

}  // namespace Vespalba

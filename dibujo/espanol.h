// SPDX-License-Identifier: GPL-3.0-or-later
// Dates and offsets in Spanish words for the drawings' titles and labels.
// Private to the drawing library.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace Vespalba::Dibujo {

// "enero" ... "diciembre".
QString NombreMes(std::chrono::month mes);

// "ene" ... "dic".
QString MesAbreviado(std::chrono::month mes);

// "septiembre de 2023".
QString MesYAnio(std::chrono::year_month mes);

// The range of dates in words: "2023" for a whole year, "septiembre de
// 2023" for a whole month, "de enero a marzo de 2023" for whole months, else
// "del 3 al 10 de septiembre de 2023", "del 28 de agosto al 10 de
// septiembre de 2023", "del 28 de diciembre de 2023 al 10 de enero de 2024".
// The zone's offsets after its name: " (desfase -03)", " (desfases -04 y
// -03)", "" for none.
QString TextoDesfases(const QStringList& desfases);

QString TextoIntervalo(std::chrono::year_month_day desde, std::chrono::year_month_day hasta);

}  // namespace Vespalba::Dibujo

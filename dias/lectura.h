// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the dates, durations and clock times people type, shared by the
// programs that take them (vespalba-tabla's options, reminders). Qt Core
// only.
#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace Vespalba::Dias {

// A calendar date AAAA-MM-DD (month and day of one or two digits) between
// 1980-01-01 and 2040-12-31: the date, or why it was refused ("no tiene la
// forma AAAA-MM-DD", "no existe en el calendario", "año fuera de rango").
struct LecturaFecha {
    std::optional<std::chrono::year_month_day> fecha;
    QString problema;
};
LecturaFecha LeeFecha(const QString& texto);

// A duration as typed: an optional sign, then one or more of whole days,
// hours, minutes and seconds in that order, each a number and its letter
// ("30m", "-30m", "+1h15m", "90s", "2d", "1h30m15s"; capitals and blanks
// between the parts accepted). Seconds; none for anything else, and for a
// sign when `conSigno` is false. At most a few years: larger numbers are
// refused rather than overflow.
std::optional<qint64> LeeDuracion(const QString& texto, bool conSigno);

// A duration as the messages write it: "30 min", "1 h 15 min", "2 d 3 h",
// "45 s", "0 s" (no sign).
QString TextoDuracion(qint64 segundos);

// A clock time "7:00", "07:00", "23:59": minutes after 0:00, 0 to 1439;
// none otherwise (24:00 included).
std::optional<int> LeeHoraDelDia(const QString& texto);

}  // namespace Vespalba::Dias

// SPDX-License-Identifier: GPL-3.0-or-later
// The instant a script acts at: the next occurrence of an event, moved by a
// margin (--margen, "30 minutes before sunset") and held within clock times
// of the event's civil day (--no-antes 07:00, --no-despues 22:00), for
// --proximo and --esperar.
#pragma once

#include <QString>

#include <chrono>
#include <optional>

#include "dias/consulta.h"
#include "dias/proximo.h"

namespace Vespalba::Tabla {

// The widest margin, seconds either way: a day.
inline constexpr qint64 MargenMaximo = 86400;
// The widest tolerance of --esperar, seconds: a year and a day.
inline constexpr qint64 ToleranciaMaxima = 367 * 86400;

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

// How the event's instant is moved and held.
struct Ajuste {
    qint64 margen = 0;             // seconds added to the event's instant; negative: before it
    std::optional<int> noAntes;    // minutes after 0:00 of the event's civil date
    std::optional<int> noDespues;  // the same; never before noAntes
    bool Vacio() const { return margen == 0 && !noAntes && !noDespues; }
};

// The instant at which the clock of the consulta's civil time (its zone, or
// its fixed offset) reads `minutos` after 0:00 on the civil date `fecha`:
// the first such instant when the clock reads it twice (the hour repeated
// when clocks go back); when the clock skips it that day (the hour lost when
// clocks go forward, or a day that starts later than 0:00), the first
// instant after it, the end of the skipped span. Seconds since 1970 UT.
// `fecha` must exist in the zone.
qint64 InstanteDeReloj(const Dias::Consulta& consulta, std::chrono::sys_days fecha, int minutos);

struct Objetivo {
    // Hallado: both instants are set. Otherwise as BuscaProximo's, and
    // FinDelDominio too when the moved instant falls after 2040-12-31.
    Dias::EstadoProximo estado = Dias::EstadoProximo::DatosNoValidos;
    std::optional<Dias::Instante> suceso;    // the event's own instant
    std::optional<Dias::Instante> instante;  // moved by the margin, held within the bounds
    std::chrono::sys_days fecha{};           // the event's civil date (as Proximo::fecha)
};

// The first occurrence of the event whose moved and held instant is after
// `ahora` (seconds since 1970 UT): so an event earlier than `ahora` still
// counts when its margin or a bound puts the instant after it, and one
// whose instant is already past is taken on a later day. The search reaches
// a year past `ahora`, no further than 2040-12-31.
Objetivo BuscaObjetivo(const Dias::Consulta& consulta, const Dias::Suceso& suceso,
                       const Ajuste& ajuste, qint64 ahora);

}  // namespace Vespalba::Tabla

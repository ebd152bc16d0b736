// SPDX-License-Identifier: GPL-3.0-or-later
// The instant a script or a reminder acts at: the next occurrence of an
// event, moved by a margin ("30 minutes before sunset", vespalba-tabla's
// --margen) and held within clock times of the event's civil day (--no-antes
// 07:00, --no-despues 22:00).
#pragma once

#include <QString>

#include <chrono>
#include <optional>

#include "dias/consulta.h"
#include "dias/proximo.h"

namespace Vespalba::Dias {

// The widest margin, seconds either way: a day.
inline constexpr qint64 MargenMaximo = 86400;

// The Sun's altitudes a rising or setting past an altitude (TipoSuceso::Sube,
// Baja) may be asked for, degrees, included.
inline constexpr double AlturaProximoMinima = -18.0;
inline constexpr double AlturaProximoMaxima = 60.0;

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
qint64 InstanteDeReloj(const Consulta& consulta, std::chrono::sys_days fecha, int minutos);

struct Objetivo {
    // Hallado: both instants are set. Otherwise as BuscaProximo's, and
    // FinDelDominio too when the moved instant falls after 2040-12-31.
    EstadoProximo estado = EstadoProximo::DatosNoValidos;
    std::optional<Instante> suceso;    // the event's own instant
    std::optional<Instante> instante;  // moved by the margin, held within the bounds
    std::chrono::sys_days fecha{};     // the event's civil date (as Proximo::fecha)
};

// The first occurrence of the event whose moved and held instant is after
// `ahora` (seconds since 1970 UT): so an event earlier than `ahora` still
// counts when its margin or a bound puts the instant after it, and one
// whose instant is already past is taken on a later day. The search reaches
// a year past `ahora`, no further than 2040-12-31.
Objetivo BuscaObjetivo(const Consulta& consulta, const Suceso& suceso, const Ajuste& ajuste,
                       qint64 ahora);

}  // namespace Vespalba::Dias

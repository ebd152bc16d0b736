// SPDX-License-Identifier: GPL-3.0-or-later
// The result area's display rules as a pure computation: from one day's
// EventosDia, the final text of the ten time boxes, the captions of the two
// moon labels, the status sentence of TextInfo, the hours of daylight and
// which dawn boxes take the window-frame colour. Nothing here touches a
// widget; the window applies a PantallaResultados to its controls, the
// command-line program prints it.
//
// The date box (TextAl) is not part of this record: its text depends on the
// platform's date format and is written by the window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "astro/eventos.h"

namespace Vespalba {

// The ten time boxes of the result frame, in the order the display writes
// them (also the order of PantallaResultados::cajas).
enum class Caja : int {
    OcasoLuna,       // upper moon box: the earlier moon event
    OrtoLuna,        // lower moon box: the later moon event
    Orto,            // sunrise
    Ocaso,           // sunset
    ComAuroraCivil,  // beginning of civil dawn (a dawn box)
    FinCrepCivil,    // end of civil twilight
    ComAurora,       // beginning of nautical dawn (a dawn box)
    FinCrep,         // end of nautical twilight
    ComAuroraAstro,  // beginning of astronomical dawn (a dawn box)
    FinCrepAstro,    // end of astronomical twilight
};

inline constexpr int NumCajas = 10;

// Object name of a box's control, e.g. "ComAuroraCivil".
std::string_view NombreCaja(Caja caja);

// The fixed words of the result area, exactly as the window shows them.
inline constexpr std::string_view CaptionOrtoLuna = "Orto Luna";
inline constexpr std::string_view CaptionOcasoLuna = "Ocaso Luna";
inline constexpr std::string_view MarcaNoHay = "No hay";                  // body never sets
inline constexpr std::string_view MarcaBajoHorizonte = "Bajo horizonte";  // body never rises
inline constexpr std::string_view MarcaSinFin = "////";                   // twilight never ends

// Final state of one time box.
struct CajaResultado {
    std::string_view control;  // object name of the box, as NombreCaja gives it
    std::string texto;         // its text: a HoraMinuto time, a mark, or ""
    // Back colour: true for the window-frame colour (a dawn that never comes),
    // false for the normal window-background colour. Only the three dawn
    // boxes can be true.
    bool colorMarco = false;
};

// Everything the display writes for one day, except the date.
struct PantallaResultados {
    std::array<CajaResultado, NumCajas> cajas;   // indexed by Caja, in write order
    std::string_view Label1 = CaptionOcasoLuna;  // caption beside OcasoLuna
    std::string_view Label8 = CaptionOrtoLuna;   // caption beside OrtoLuna
    std::string_view TextInfo;                   // status sentence; "" when hidden
    bool TextInfoVisible = false;                // whether TextInfo is shown
    // Hours of daylight as HoraMinuto(sunset - sunrise) (negative when the
    // sunset comes first in the local day); " 24: 0" when the Sun stays up,
    // " 0: 0" when it stays down, "" when only one of the two is found.
    // Always written, so an earlier day's value never stays on screen.
    std::string HorasLuz;

    CajaResultado& operator[](Caja c) { return cajas[static_cast<int>(c)]; }
    const CajaResultado& operator[](Caja c) const { return cajas[static_cast<int>(c)]; }
};

// Hours of daylight of a day: the sunlit time within it. Sunset - sunrise
// when the sunrise comes first; when the sunset comes first (a zone far from
// the place's longitude: the Sun sets in the morning and rises again in the
// evening of the local date), the day's length + (sunset - sunrise), the
// light after the sunrise and before the sunset. 24 when the Sun stays up,
// 0 when it stays down; none when only one of sunrise and sunset was found.
//   duracionDia: the local day's length, hours (23 or 25 on a day whose
//                clock changes, when the events are hours on the grid that
//                starts at its first instant).
std::optional<double> HorasDeLuz(const ModuloVespalba::EventosDia& eventos,
                                 double duracionDia = 24.0);

// Composes the result area for one day's search.
//   eventos: the day's EventosDia; times in local hours, [0, 24].
// The status sentence is that of the highest-numbered class without events;
// the moon boxes hold the earlier event above, each beside the caption that
// names it; a class that stays above its threshold shows "No hay" (Moon,
// Sun) or "////" (twilights) in its downward box, one that stays below shows
// "Bajo horizonte" (Moon, Sun) in its upward box or, for the twilights, its
// dawn box in the window-frame colour.
//   reloj:   where the hours the boxes show differ from those that order the
//            events (a civil day with a clock change), the same events in
//            wall-clock hours: the texts come from it, the order of the moon
//            events and the hours of daylight from `eventos`. None on an
//            ordinary day.
PantallaResultados ComponeResultados(const ModuloVespalba::EventosDia& eventos,
                                     const ModuloVespalba::EventosDia* reloj = nullptr);

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
// Where the Sun is at each hour of a day, read from the day's classes: the
// band of the daylight chart (night, the three twilights, day) and the
// hours during which a class's body is above its threshold.
#pragma once

#include <vector>

#include "dibujo/almanaque.h"

namespace Vespalba::Dibujo {

// The Sun's band at an instant, from darkest to brightest.
enum class Banda : int {
    Noche = 0,        // below -18 degrees
    Astronomico = 1,  // astronomical twilight: between -18 and -12 degrees
    Nautico = 2,      // nautical twilight: between -12 and -6 degrees
    Civil = 3,        // civil twilight: between -6 degrees and sunrise/sunset
    Dia = 4,          // the Sun above the horizon
};

inline constexpr int NumBandas = 5;

// A stretch of wall-clock hours of one day, [desde, hasta), within [0, 24].
struct Tramo {
    double desde = 0.0;
    double hasta = 0.0;
    friend bool operator==(const Tramo&, const Tramo&) = default;
};

// The hours of the day during which the class's body is above its
// threshold, in order, at most two stretches, none empty:
//   SiempreSobre: [0, 24).          SiempreBajo: none.
//   ConEventos with both hours: [orto, ocaso) when the rise comes first,
//     otherwise [0, ocaso) and [orto, 24) (up at midnight, down in between);
//   only the rise: [orto, 24);      only the set: [0, ocaso);
//   neither (not a state the search gives): none.
// Hours outside [0, 24] are clamped to it.
std::vector<Tramo> TramosSobre(const ClaseDia& clase);

// Whether the class's body is above its threshold at `hora` (hours after
// the date's 0 h on the wall clock): `hora` lies in one of TramosSobre.
bool SobreUmbral(const ClaseDia& clase, double hora);

// The Sun's band at `hora` on a day: the brightest band whose lower
// threshold the Sun is above (Dia when above the horizon, else Civil when
// above -6 degrees, and so on; Noche when above none). Taking the brightest
// keeps the chart consistent even where the classes' searches disagree.
Banda BandaEnHora(const Dia& dia, double hora);

// The hours during which the Sun is above `bajo`'s threshold and not above
// `alto`'s (a higher one): TramosSobre(bajo) less TramosSobre(alto), in
// order, none empty.
std::vector<Tramo> TramosEntre(const ClaseDia& bajo, const ClaseDia& alto);

// The day's golden hours (the Sun from -4 to +6 degrees) and blue hours
// (-6 to -4), morning and evening alike; none when the day has no
// Dia::luz. Where the Sun never reaches +6 degrees the morning's and the
// evening's golden hours are one stretch, and so on.
std::vector<Tramo> TramosDorada(const Dia& dia);
std::vector<Tramo> TramosAzul(const Dia& dia);

// The class whose threshold is a band's lower edge: Sol for Dia, Civil for
// Civil, Nautico for Nautico, Astronomico for Astronomico. Noche has none;
// it gives Astronomico's.
Clase ClaseDeBanda(Banda banda);

}  // namespace Vespalba::Dibujo

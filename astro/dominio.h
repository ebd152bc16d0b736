// SPDX-License-Identifier: GPL-3.0-or-later
// The domain of the computation: the dates and places its inputs may take.
// The window and the command-line program both check their inputs against
// these limits; where one of them accepts something narrower or wider (the
// window's zone of at most 12 hours), it says so in its own reader.
#pragma once

namespace Vespalba::ModuloVespalba {

// Years of the calendar date, Gregorian, both included.
inline constexpr int AnioMinimo = 1980;
inline constexpr int AnioMaximo = 2040;

// Magnitude of the latitude, degrees, excluded: above 75 degrees the Sun and
// the Moon can graze the horizon for days and the hour-by-hour search is not
// meant for it.
inline constexpr double LatitudLimite = 75.0;

// Magnitude of the longitude, degrees, excluded.
inline constexpr double LongitudLimite = 180.0;

// Minutes of arc of an angle given in degrees and minutes, excluded.
inline constexpr double MinutosLimite = 60.0;

}  // namespace Vespalba::ModuloVespalba

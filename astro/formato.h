// SPDX-License-Identifier: GPL-3.0-or-later
// The one text form of a time of day or a duration shown by Vespalba.
#pragma once

#include <string>

namespace Vespalba::ModuloVespalba {

// Hours and whole minutes of a decimal number of hours: the signed text of
// floor(x), ":", the signed text of the whole minutes (truncated, never
// rounded). A signed text is one blank and the digits for a number that is
// not negative, "-" and the digits for a negative one; no zero filling.
//   HoraMinuto(6.125) = " 6: 7", HoraMinuto(24) = " 24: 0",
//   HoraMinuto(-5.5) = "-6: 30".
// A value that is not finite has no time: the text is empty.
std::string HoraMinuto(double x);

}  // namespace Vespalba::ModuloVespalba

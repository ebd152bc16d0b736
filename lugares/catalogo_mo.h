// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a GNU gettext message catalogue (.mo) directly, without setting
// the process's locale: the gazetteer's Spanish names come from
// libgeonames' own catalogue whatever language the machine speaks.
#pragma once

#include <string_view>
#include <unordered_map>

namespace Vespalba {

// Every message of a .mo catalogue, original text to translation, as views
// into `datos` (which must outlive the map). The format is that of the GNU
// gettext manual ("The Format of GNU MO Files"): a magic number in either
// byte order, the number of strings, and two tables of (length, offset)
// pairs. Only the first form of a translation is kept (plural forms follow
// a NUL). Anything that is not a whole, well-formed catalogue (bad magic
// number, a table or a string outside the data) gives an empty map.
std::unordered_map<std::string_view, std::string_view> LeeCatalogoMo(std::string_view datos);

}  // namespace Vespalba

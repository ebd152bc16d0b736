// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/formato.h"

#include <charconv>
#include <cmath>

namespace Vespalba::ModuloVespalba {
namespace {

// " 12" or "-12" for a whole number held in a double.
std::string TextoConSigno(double entero) {
    // Every time and duration of the day fits a 64-bit integer, whose digits
    // are written several times faster than a double's.
    if (std::fabs(entero) < 9.0e15) {
        const long long n = static_cast<long long>(entero);
        char digitos[24];
        digitos[0] = n < 0 ? '-' : ' ';
        const auto fin = std::to_chars(digitos + 1, digitos + sizeof digitos, n < 0 ? -n : n).ptr;
        return std::string(digitos, fin);
    }
    char digitos[400];
    const auto fin = std::to_chars(digitos, digitos + sizeof digitos, std::fabs(entero),
                                   std::chars_format::fixed, 0)
                         .ptr;
    std::string texto(1, entero < 0.0 ? '-' : ' ');
    texto.append(digitos, fin);
    return texto;
}

}  // namespace

std::string HoraMinuto(double x) {
    if (!std::isfinite(x)) {
        return {};
    }
    const double horas = std::floor(x);
    const double minutos = std::floor((x - horas) * 60.0);
    return TextoConSigno(horas) + ":" + TextoConSigno(minutos);
}

}  // namespace Vespalba::ModuloVespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/catalogo_mo.h"

#include <cstdint>
#include <cstring>

namespace Vespalba {

std::unordered_map<std::string_view, std::string_view> LeeCatalogoMo(std::string_view datos) {
    constexpr std::uint32_t magico = 0x950412deu;
    constexpr std::uint32_t magicoInvertido = 0xde120495u;  // written on the other byte order
    // A 32-bit word at byte `o`, in the catalogue's byte order; none past the end.
    bool invertido = false;
    auto palabra = [&](std::uint64_t o, std::uint32_t& v) {
        if (o + 4 > datos.size()) {
            return false;
        }
        std::memcpy(&v, datos.data() + o, 4);
        if (invertido) {
            v = (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
        }
        return true;
    };
    std::uint32_t m = 0, n = 0, originales = 0, traducciones = 0;
    if (!palabra(0, m) || (m != magico && m != magicoInvertido)) {
        return {};
    }
    invertido = m == magicoInvertido;
    // Header: magic, revision, number of strings, offsets of the two tables.
    if (!palabra(8, n) || !palabra(12, originales) || !palabra(16, traducciones)) {
        return {};
    }
    // Each table holds n (length, offset) pairs of 8 bytes.
    if (std::uint64_t(originales) + 8ull * n > datos.size() ||
        std::uint64_t(traducciones) + 8ull * n > datos.size()) {
        return {};
    }
    std::unordered_map<std::string_view, std::string_view> mensajes;
    mensajes.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint32_t lo = 0, oo = 0, lt = 0, ot = 0;
        palabra(originales + 8ull * i, lo);
        palabra(originales + 8ull * i + 4, oo);
        palabra(traducciones + 8ull * i, lt);
        palabra(traducciones + 8ull * i + 4, ot);
        if (std::uint64_t(oo) + lo > datos.size() || std::uint64_t(ot) + lt > datos.size()) {
            return {};
        }
        std::string_view traduccion = datos.substr(ot, lt);
        traduccion = traduccion.substr(0, traduccion.find('\0'));  // first plural form
        mensajes.emplace(datos.substr(oo, lo), traduccion);
    }
    return mensajes;
}

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/regiones.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>

namespace Vespalba {

namespace {

struct NombreRegion {
    std::string_view clave;   // "PE.02"
    std::string_view nombre;  // "Departamento de Áncash"
};

// Sorted by clave in byte order (the script writes them so).
constexpr NombreRegion Regiones[] = {
#include "datos/regiones.inc"
};

// The English generic words GeoNames' region names carry, after the name
// ("Tumbes Region") or before it with "of" ("Province of Buenos Aires").
constexpr std::array<std::string_view, 14> Genericos = {
    "region", "province",     "department", "governorate", "district", "state",  "prefecture",
    "oblast", "municipality", "county",     "territory",   "division", "parish", "republic",
};

// Words that cannot stand without the generic one: "Northern Region" stays.
constexpr std::array<std::string_view, 22> Adjetivos = {
    "capital",      "federal",   "northern",  "southern",  "eastern",    "western",
    "central",      "north",     "south",     "east",      "west",       "upper",
    "lower",        "greater",   "national",  "coastal",   "autonomous", "special",
    "metropolitan", "northwest", "northeast", "southwest",
};

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool Es(std::string_view palabra, const auto& lista) {
    return std::any_of(std::begin(lista), std::end(lista),
                       [&](std::string_view w) { return IgualSinMayusculas(palabra, w); });
}

std::string_view Recorta(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view RegionEnEspanol(std::string_view clave) {
    const auto it =
        std::lower_bound(std::begin(Regiones), std::end(Regiones), clave,
                         [](const NombreRegion& r, std::string_view c) { return r.clave < c; });
    return it != std::end(Regiones) && it->clave == clave ? it->nombre : std::string_view{};
}

std::string SinGenericoIngles(std::string_view ingles) {
    const std::string_view nombre = Recorta(ingles);
    std::string_view resto = nombre;
    // "Tumbes Region", "Lima region": the last word.
    if (const auto blanco = nombre.rfind(' '); blanco != std::string_view::npos) {
        if (Es(nombre.substr(blanco + 1), Genericos)) resto = Recorta(nombre.substr(0, blanco));
    }
    // "Province of Buenos Aires": the first word and "of".
    if (resto == nombre) {
        const auto blanco = nombre.find(' ');
        if (blanco != std::string_view::npos && Es(nombre.substr(0, blanco), Genericos)) {
            std::string_view tras = Recorta(nombre.substr(blanco + 1));
            if (tras.size() > 3 && IgualSinMayusculas(tras.substr(0, 3), "of ")) {
                resto = Recorta(tras.substr(3));
            }
        }
    }
    if (resto.empty() || resto == nombre) return std::string(nombre);
    // Nothing but an adjective left ("Northern", "Capital"): kept whole.
    const auto ultimo = resto.rfind(' ');
    const std::string_view palabra =
        ultimo == std::string_view::npos ? resto : resto.substr(ultimo + 1);
    if (Es(palabra, Adjetivos)) return std::string(nombre);
    return std::string(resto);
}

std::string NombreDeRegion(std::string_view clave, std::string_view catalogo,
                           std::string_view ingles) {
    if (!catalogo.empty()) return std::string(catalogo);
    if (const std::string_view es = RegionEnEspanol(clave); !es.empty()) return std::string(es);
    return SinGenericoIngles(ingles);
}

}  // namespace Vespalba

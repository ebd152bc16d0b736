// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/lugares.h"

namespace Vespalba {

// Name (with its blanks), latitude degrees, minutes and hemisphere,
// longitude degrees, minutes and hemisphere, time zone, country.
//
// Zones: tzdata's zone1970.tab, by country and position. Mainland Chile
// north of Aysén, San Félix, San Ambrosio and Juan Fernández keep
// America/Santiago; Salas y Gómez belongs to Easter Island's commune;
// Puerto Chacabuco is in the Aysén Region (America/Coyhaique, tzdata 2025b);
// Angostura Inglesa, the narrows of Canal Messier by Puerto Edén on Isla
// Wellington, is in the Natales commune of the Magallanes Region, as are
// Puerto Williams and the base of Puerto Soberanía, whose Antártica commune
// belongs to the same region (America/Punta_Arenas; Angostura Inglesa's two
// candidate zones differ only in the winters of 2017 to 2024). Rabaul, in
// East New Britain, keeps Port Moresby's time (Pacific/Bougainville is
// Bougainville alone).
// clang-format off
constinit const std::array<Lugar, CapacidadLugares> Lugares = {{
    {},  // 0: never used
    {"Arica", 18, 29, "S", 70, 19, "W", "America/Santiago", "CL"},  // 1
    {"Vitor", 18, 45, "S", 70, 21, "W", "America/Santiago", "CL"},  // 2
    {"Pisagua           ", 19, 35, "S", 70, 13, "W", "America/Santiago", "CL"},  // 3
    {"Iquique           ", 20, 12, "S", 70, 11, "W", "America/Santiago", "CL"},  // 4
    {"Patillo           ", 20, 45, "S", 70, 12, "W", "America/Santiago", "CL"},  // 5
    {"Tocopilla         ", 22, 5, "S", 70, 12, "W", "America/Santiago", "CL"},  // 6
    {"Mejillones        ", 23, 5, "S", 70, 28, "W", "America/Santiago", "CL"},  // 7
    {"Antofagasta       ", 23, 39, "S", 70, 24, "W", "America/Santiago", "CL"},  // 8
    {"Taltal            ", 25, 24, "S", 70, 29, "W", "America/Santiago", "CL"},  // 9
    {"San Félix         ", 26, 20, "S", 80, 5, "W", "America/Santiago", "CL"},  // 10
    {"Salas y Gómez     ", 26, 30, "S", 105, 0, "W", "Pacific/Easter", "CL"},  // 11
    {"San Ambrosio      ", 26, 20, "S", 79, 55, "W", "America/Santiago", "CL"},  // 12
    {"Pascua            ", 27, 10, "S", 109, 26, "W", "Pacific/Easter", "CL"},  // 13
    {"Chañaral          ", 26, 20, "S", 70, 37, "W", "America/Santiago", "CL"},  // 14
    {"Caldera           ", 27, 4, "S", 70, 50, "W", "America/Santiago", "CL"},  // 15
    {"B. Inglesa        ", 27, 6, "S", 70, 52, "W", "America/Santiago", "CL"},  // 16
    {"Huasco            ", 28, 27, "S", 71, 14, "W", "America/Santiago", "CL"},  // 17
    {"Cruz Grande       ", 29, 26, "S", 71, 19, "W", "America/Santiago", "CL"},  // 18
    {"Pto. Aldea        ", 30, 17, "S", 71, 36, "W", "America/Santiago", "CL"},  // 19
    {"Coquimbo          ", 29, 56, "S", 71, 22, "W", "America/Santiago", "CL"},  // 20
    {"Valparaíso        ", 33, 16, "S", 71, 34, "W", "America/Santiago", "CL"},  // 21
    {"San Antonio       ", 33, 35, "S", 71, 37, "W", "America/Santiago", "CL"},  // 22
    {"Juan Fernández    ", 33, 37, "S", 78, 49, "W", "America/Santiago", "CL"},  // 23
    {"Talcahuano        ", 35, 42, "S", 73, 5, "W", "America/Santiago", "CL"},  // 24
    {"Canal Chacao      ", 41, 45, "S", 73, 53, "W", "America/Santiago", "CL"},  // 25
    {"Puerto Montt      ", 41, 29, "S", 72, 58, "W", "America/Santiago", "CL"},  // 26
    {"Puerto Chacabuco  ", 45, 28, "S", 72, 50, "W", "America/Coyhaique", "CL"},  // 27
    {"Angostura Inglesa ", 48, 59, "S", 74, 24, "W", "America/Punta_Arenas", "CL"},  // 28
    {"Punta Arenas      ", 53, 10, "S", 70, 54, "W", "America/Punta_Arenas", "CL"},  // 29
    {"Puerto Williams   ", 54, 56, "S", 67, 37, "W", "America/Punta_Arenas", "CL"},  // 30
    {"Puerto Soberanía  ", 62, 29, "S", 59, 38, "W", "America/Punta_Arenas", "CL"},  // 31
    {"Honolulo          ", 21, 18, "N ", 157, 52, "W", "Pacific/Honolulu", "US"},  // 32
    {"Auckland          ", 36, 50, "S", 174, 52, "E", "Pacific/Auckland", "NZ"},  // 33
    {"Tokio             ", 34, 50, "N ", 139, 53, "E", "Asia/Tokyo", "JP"},  // 34
    {"Manila            ", 15, 0, "N ", 121, 0, "E", "Asia/Manila", "PH"},  // 35
    {"Rabaul            ", 4, 0, "S", 152, 30, "E", "Pacific/Port_Moresby", "PG"},  // 36
    {"Tahiti            ", 18, 0, "S", 149, 0, "W", "Pacific/Tahiti", "PF"},  // 37
    {"Callao            ", 12, 8, "S", 77, 14, "W", "America/Lima", "PE"},  // 38
    {"Capetown          ", 33, 56, "S", 18, 29, "E", "Africa/Johannesburg", "ZA"},  // 39
    {"San Francisco     ", 37, 48, "N ", 122, 24, "W", "America/Los_Angeles", "US"},  // 40
}};
// clang-format on

std::string_view NombrePais(std::string_view codigo) {
    // The Spanish names libgeonames' catalogue gives these codes.
    // clang-format off
    static constexpr std::array<std::array<std::string_view, 2>, 9> nombres = {{
        {"CL", "Chile"}, {"US", "Estados Unidos"}, {"NZ", "Nueva Zelanda"}, {"JP", "Japón"},
        {"PH", "Filipinas"}, {"PG", "Papúa-Nueva Guinea"}, {"PF", "Polinesia Francesa"},
        {"PE", "Perú"}, {"ZA", "Sudáfrica"},
    }};
    // clang-format on
    for (const auto& [c, nombre] : nombres) {
        if (c == codigo) {
            return nombre;
        }
    }
    return {};
}

Coordenadas CoordenadasDe(const Lugar& lugar) {
    double latitud = lugar.LatGrados + lugar.LatMinutos / 60.0;
    if (lugar.LatHemisferio == "S") {
        latitud = -latitud;
    }
    double longitud = lugar.LonGrados + lugar.LonMinutos / 60.0;
    if (lugar.LonHemisferio == "W") {
        longitud = -longitud;
    }
    return {latitud + 0.0, longitud + 0.0};  // no negative zero
}

}  // namespace Vespalba

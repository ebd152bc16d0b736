// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/lugares.h"

namespace Vespalba {

// Name (with its blanks), latitude degrees, minutes and hemisphere,
// longitude degrees, minutes and hemisphere.
// clang-format off
constinit const std::array<Lugar, CapacidadLugares> Lugares = {{
    {},  // 0: never used
    {"Arica", 18, 29, "S", 70, 19, "W"},  // 1
    {"Vitor", 18, 45, "S", 70, 21, "W"},  // 2
    {"Pisagua           ", 19, 35, "S", 70, 13, "W"},  // 3
    {"Iquique           ", 20, 12, "S", 70, 11, "W"},  // 4
    {"Patillo           ", 20, 45, "S", 70, 12, "W"},  // 5
    {"Tocopilla         ", 22, 5, "S", 70, 12, "W"},  // 6
    {"Mejillones        ", 23, 5, "S", 70, 28, "W"},  // 7
    {"Antofagasta       ", 23, 39, "S", 70, 24, "W"},  // 8
    {"Taltal            ", 25, 24, "S", 70, 29, "W"},  // 9
    {"San Félix         ", 26, 20, "S", 80, 5, "W"},  // 10
    {"Salas y Gómez     ", 26, 30, "S", 105, 0, "W"},  // 11
    {"San Ambrosio      ", 26, 20, "S", 79, 55, "W"},  // 12
    {"Pascua            ", 27, 10, "S", 109, 26, "W"},  // 13
    {"Chañaral          ", 26, 20, "S", 70, 37, "W"},  // 14
    {"Caldera           ", 27, 4, "S", 70, 50, "W"},  // 15
    {"B. Inglesa        ", 27, 6, "S", 70, 52, "W"},  // 16
    {"Huasco            ", 28, 27, "S", 71, 14, "W"},  // 17
    {"Cruz Grande       ", 29, 26, "S", 71, 19, "W"},  // 18
    {"Pto. Aldea        ", 30, 17, "S", 71, 36, "W"},  // 19
    {"Coquimbo          ", 29, 56, "S", 71, 22, "W"},  // 20
    {"Valparaíso        ", 33, 16, "S", 71, 34, "W"},  // 21
    {"San Antonio       ", 33, 35, "S", 71, 37, "W"},  // 22
    {"Juan Fernández    ", 33, 37, "S", 78, 49, "W"},  // 23
    {"Talcahuano        ", 35, 42, "S", 73, 5, "W"},  // 24
    {"Canal Chacao      ", 41, 45, "S", 73, 53, "W"},  // 25
    {"Puerto Montt      ", 41, 29, "S", 72, 58, "W"},  // 26
    {"Puerto Chacabuco  ", 45, 28, "S", 72, 50, "W"},  // 27
    {"Angostura Inglesa ", 48, 59, "S", 74, 24, "W"},  // 28
    {"Punta Arenas      ", 53, 10, "S", 70, 54, "W"},  // 29
    {"Puerto Williams   ", 54, 56, "S", 67, 37, "W"},  // 30
    {"Puerto Soberanía  ", 62, 29, "S", 59, 38, "W"},  // 31
    {"Honolulo          ", 21, 18, "N ", 157, 52, "W"},  // 32
    {"Auckland          ", 36, 50, "S", 174, 52, "E"},  // 33
    {"Tokio             ", 34, 50, "N ", 139, 53, "E"},  // 34
    {"Manila            ", 15, 0, "N ", 121, 0, "E"},  // 35
    {"Rabaul            ", 4, 0, "S", 152, 30, "E"},  // 36
    {"Tahiti            ", 18, 0, "S", 149, 0, "W"},  // 37
    {"Callao            ", 12, 8, "S", 77, 14, "W"},  // 38
    {"Capetown          ", 33, 56, "S", 18, 29, "E"},  // 39
    {"San Francisco     ", 37, 48, "N ", 122, 24, "W"},  // 40
}};
// clang-format on

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

// SPDX-License-Identifier: GPL-3.0-or-later
// The four worked days of the event search, with what the result area shows
// for them. Shared by the display-rules tests and the command-line tests.
//
// Hours: computed with the calendar, sidereal-time and Sun and Moon routines
// as written, in double precision, rounded to four decimals. Texts: the
// hours-and-minutes form of those hours (none lies within a rounding error
// of a whole minute) with the moon ordering, marks and status sentence of
// the display rules; the first day's are the window's worked example.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "astro/eventos.h"
#include "resultados/resultados.h"

namespace DiasTrabajados {

using Vespalba::Caja;
using Vespalba::ModuloVespalba::EstadoClase;

struct HorasClase {
    EstadoClase estado;
    std::optional<double> orto, ocaso;
};

// The final state of the result area, except the date.
struct PantallaEsperada {
    // Texts of the ten boxes, in Caja order: OcasoLuna, OrtoLuna, Orto,
    // Ocaso, ComAuroraCivil, FinCrepCivil, ComAurora, FinCrep,
    // ComAuroraAstro, FinCrepAstro.
    std::array<const char*, Vespalba::NumCajas> cajas;
    const char* label1;
    const char* label8;
    const char* horasLuz;
    const char* textInfo;  // nullptr when TextInfo is hidden
    std::vector<Caja> colorMarco;
};

struct Dia {
    const char* nombre;
    // The request as the command line takes it.
    const char* fecha;  // AAAA-MM-DD
    const char* lat;    // degrees:minutes and hemisphere
    const char* lon;
    const char* zona;
    // The same as the search takes it.
    double dia, mes, anio;
    double latitud;   // north positive
    double longitud;  // west positive
    double zonaHoras;
    std::array<HorasClase, Vespalba::ModuloVespalba::NumClases> clases;  // Luna .. Astronomico
    PantallaEsperada pantalla;
};

constexpr auto Con = EstadoClase::ConEventos;
constexpr auto Sobre = EstadoClase::SiempreSobre;
constexpr auto Bajo = EstadoClase::SiempreBajo;

inline const std::vector<Dia>& Todos() {
    // clang-format off
    static const std::vector<Dia> dias = {
        {"Valparaiso_2003_07_02",
         "2003-07-02", "33:16S", "71:36W", "-4",
         2, 7, 2003, -(33 + 16 / 60.0), 71 + 36 / 60.0, -4,
         {{{Con, 10.2667, 20.6866},
           {Con, 7.8481, 17.8400},
           {Con, 7.3928, 18.2897},
           {Con, 6.8724, 18.8068},
           {Con, 6.3663, 19.3153}}},
         {{" 10: 15", " 20: 41", " 7: 50", " 17: 50", " 7: 23", " 18: 17", " 6: 52", " 18: 48",
           " 6: 21", " 19: 18"},
          "Orto Luna", "Ocaso Luna", " 9: 59", nullptr, {}}},
        {"SoloOcasoDeLuna_53S_2003_06_21",
         "2003-06-21", "53:10S", "70:55W", "-4",
         21, 6, 2003, -(53 + 10 / 60.0), 70 + 55 / 60.0, -4,
         {{{Con, std::nullopt, 13.2582},
           {Con, 8.9918, 16.5177},
           {Con, 8.2780, 17.2349},
           {Con, 7.5330, 17.9857},
           {Con, 6.8191, 18.6897}}},
         {{" 13: 15", "", " 8: 59", " 16: 31", " 8: 16", " 17: 14", " 7: 31", " 17: 59", " 6: 49",
           " 18: 41"},
          "Ocaso Luna", "Orto Luna", " 7: 31", nullptr, {}}},
        {"DiaPolar_70N_2003_06_21",
         "2003-06-21", "70:0N", "0:0E", "0",
         21, 6, 2003, 70, 0, 0,
         {{{Con, 1.1582, 11.0874},
           {Sobre, std::nullopt, std::nullopt},
           {Sobre, std::nullopt, std::nullopt},
           {Sobre, std::nullopt, std::nullopt},
           {Sobre, std::nullopt, std::nullopt}}},
         {{" 1: 9", " 11: 5", "", "No hay", "", "////", "", "////", "", "////"},
          "Orto Luna", "Ocaso Luna", " 24: 0", "Siempre Brillante.", {}}},
        {"NochePolar_70N_2003_12_21",
         "2003-12-21", "70:0N", "0:0W", "0",
         21, 12, 2003, 70, 0, 0,
         {{{Bajo, std::nullopt, std::nullopt},
           {Bajo, std::nullopt, std::nullopt},
           {Con, 9.9062, 14.0263},
           {Con, 8.0894, 15.8423},
           {Con, 6.7547, 17.1754}}},
         {{"", "Bajo horizonte", "Bajo horizonte", "", " 9: 54", " 14: 1", " 8: 5", " 15: 50",
           " 6: 45", " 17: 10"},
          "Ocaso Luna", "Orto Luna", " 0: 0", "Siempre Bajo el Horizonte.", {}}},
    };
    // clang-format on
    return dias;
}

}  // namespace DiasTrabajados

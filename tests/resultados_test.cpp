// SPDX-License-Identifier: GPL-3.0-or-later
// The display rules: the four worked days through the real search, then
// synthetic days for each rule (moon ordering, truncated minutes, the ends
// of the day, polar night and day, twilight without darkness, daylight
// when the sunset comes first, the status sentence of the last class
// without events).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "dias_trabajados.h"
#include "resultados/resultados.h"

using namespace Vespalba;
using DiasTrabajados::PantallaEsperada;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::EstadoClase;
using Vespalba::ModuloVespalba::EventoClase;
using Vespalba::ModuloVespalba::EventosDia;

namespace {

void Compara(const PantallaResultados& p, const PantallaEsperada& x) {
    for (int i = 0; i < NumCajas; ++i) {
        const auto caja = static_cast<Caja>(i);
        SCOPED_TRACE(std::string(NombreCaja(caja)));
        EXPECT_EQ(p.cajas[i].control, NombreCaja(caja));
        EXPECT_EQ(p.cajas[i].texto, x.cajas[i]);
        const bool marco =
            std::find(x.colorMarco.begin(), x.colorMarco.end(), caja) != x.colorMarco.end();
        EXPECT_EQ(p.cajas[i].colorMarco, marco) << "frame colour";
    }
    EXPECT_EQ(p.Label1, x.label1);
    EXPECT_EQ(p.Label8, x.label8);
    EXPECT_EQ(p.HorasLuz, x.horasLuz);
    EXPECT_EQ(p.TextInfoVisible, x.textInfo != nullptr);
    EXPECT_EQ(p.TextInfo, x.textInfo ? x.textInfo : "");
}

TEST(NombreCaja, NombresDeLosControlesEnOrdenDeEscritura) {
    const char* nombres[] = {"OcasoLuna",      "OrtoLuna",     "Orto",      "Ocaso",
                             "ComAuroraCivil", "FinCrepCivil", "ComAurora", "FinCrep",
                             "ComAuroraAstro", "FinCrepAstro"};
    for (int i = 0; i < NumCajas; ++i) {
        EXPECT_EQ(NombreCaja(static_cast<Caja>(i)), nombres[i]);
    }
}

// ------------------------------------------------------------ worked days

class DiaTrabajado : public testing::TestWithParam<DiasTrabajados::Dia> {};

TEST_P(DiaTrabajado, PantallaDeLaBusquedaReal) {
    const DiasTrabajados::Dia& d = GetParam();
    Vespalba::ModuloVespalba::DatosCalculo datos;
    datos.Dia = d.dia;
    datos.Mes = d.mes;
    datos.Anio = d.anio;
    datos.Latitud = d.latitud;
    datos.Longitud = d.longitud;
    datos.Zona = d.zonaHoras;
    Compara(ComponeResultados(Vespalba::ModuloVespalba::BuscaEventos(datos)), d.pantalla);
}

INSTANTIATE_TEST_SUITE_P(Dias, DiaTrabajado, testing::ValuesIn(DiasTrabajados::Todos()),
                         [](const auto& info) { return std::string(info.param.nombre); });

// ---------------------------------------------------------- synthetic days

EventoClase Con(std::optional<double> orto, std::optional<double> ocaso) {
    EventoClase e;
    e.estado = EstadoClase::ConEventos;
    e.hayOrto = orto.has_value();
    e.horaOrto = orto.value_or(-99.0);  // must never be read when absent
    e.hayOcaso = ocaso.has_value();
    e.horaOcaso = ocaso.value_or(-99.0);
    return e;
}

EventoClase Sin(EstadoClase estado) {
    EventoClase e;
    e.estado = estado;
    e.horaOrto = e.horaOcaso = -99.0;
    return e;
}

const EventoClase Sobre = Sin(EstadoClase::SiempreSobre);
const EventoClase Bajo = Sin(EstadoClase::SiempreBajo);

// An ordinary day in hours that are exact in binary, so that each text is
// beyond doubt: moon 10:15 / 20:45, Sun 7:45 / 17:52 (17.875 h), civil
// 7:15 / 18:22, nautical 6:45 / 18:52, astronomical 6:15 / 19:30.
const EventoClase luna = Con(10.25, 20.75);
const EventoClase sol = Con(7.75, 17.875);
const EventoClase civil = Con(7.25, 18.375);
const EventoClase nautico = Con(6.75, 18.875);
const EventoClase astro = Con(6.25, 19.5);

struct Sintetico {
    const char* nombre;
    std::array<EventoClase, Vespalba::ModuloVespalba::NumClases> clases;
    PantallaEsperada pantalla;
};

class DiaSintetico : public testing::TestWithParam<Sintetico> {};

TEST_P(DiaSintetico, Pantalla) {
    EventosDia ev;
    ev.clases = GetParam().clases;
    Compara(ComponeResultados(ev), GetParam().pantalla);
}

// Texts of the ordinary day's Sun and twilight boxes.
#define SOL_Y_CREPUSCULOS \
    " 7: 45", " 17: 52", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15", " 19: 30"

// clang-format off
const Sintetico sinteticos[] = {
    {"LunaSePoneAntesDeSalir",
     {Con(19.5, 8.25), sol, civil, nautico, astro},
     {{" 8: 15", " 19: 30", SOL_Y_CREPUSCULOS}, "Ocaso Luna", "Orto Luna", " 10: 7", nullptr, {}}},
    {"LunaSaleAntesDePonerse",
     {Con(9.125, 21.5), sol, civil, nautico, astro},
     {{" 9: 7", " 21: 30", SOL_Y_CREPUSCULOS}, "Orto Luna", "Ocaso Luna", " 10: 7", nullptr, {}}},
    {"LunaSaleYSePoneALaMismaHora",
     {Con(12.5, 12.5), sol, civil, nautico, astro},
     {{" 12: 30", " 12: 30", SOL_Y_CREPUSCULOS}, "Ocaso Luna", "Orto Luna", " 10: 7", nullptr, {}}},
    {"SoloOrtoDeLuna",
     {Con(5.5, std::nullopt), sol, civil, nautico, astro},
     {{"", " 5: 30", SOL_Y_CREPUSCULOS}, "Ocaso Luna", "Orto Luna", " 10: 7", nullptr, {}}},
    {"MinutosTruncadosNuncaRedondeados",
     {luna, Con(6.999, 18.9999), civil, nautico, astro},
     {{" 10: 15", " 20: 45", " 6: 59", " 18: 59", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15",
       " 19: 30"},
      "Orto Luna", "Ocaso Luna", " 12: 0", nullptr, {}}},
    {"EventosEnLosBordesDelDia",
     {Con(0.0, 24.0), Con(0.0, 24.0), civil, nautico, astro},
     {{" 0: 0", " 24: 0", " 0: 0", " 24: 0", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15",
       " 19: 30"},
      "Orto Luna", "Ocaso Luna", " 24: 0", nullptr, {}}},
    {"NochePolar",
     {luna, Bajo, Bajo, Bajo, Bajo},
     {{" 10: 15", " 20: 45", "Bajo horizonte", "", "", "", "", "", "", ""},
      "Orto Luna", "Ocaso Luna", " 0: 0", "Obscuridad Absoluta.",
      {Caja::ComAuroraCivil, Caja::ComAurora, Caja::ComAuroraAstro}}},
    {"SoloLaAuroraCivilNoLlega",
     {luna, Bajo, Bajo, nautico, astro},
     {{" 10: 15", " 20: 45", "Bajo horizonte", "", "", "", " 6: 45", " 18: 52", " 6: 15", " 19: 30"},
      "Orto Luna", "Ocaso Luna", " 0: 0", "Obscuridad Absoluta.", {Caja::ComAuroraCivil}}},
    {"NocheSinOscuridadAstronomica",
     {luna, sol, civil, nautico, Sobre},
     {{" 10: 15", " 20: 45", " 7: 45", " 17: 52", " 7: 15", " 18: 22", " 6: 45", " 18: 52", "", "////"},
      "Orto Luna", "Ocaso Luna", " 10: 7", "Siempre Brillante.", {}}},
    {"OcasoDeSolAntesDelOrto",
     {luna, Con(20.0, 14.5), civil, nautico, astro},
     {{" 10: 15", " 20: 45", " 20: 0", " 14: 30", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15",
       " 19: 30"},
      "Orto Luna", "Ocaso Luna", " 18: 30", nullptr, {}}},
    {"SoloOcasoDeSolSinHorasDeLuz",
     {luna, Con(std::nullopt, 16.25), civil, nautico, astro},
     {{" 10: 15", " 20: 45", "", " 16: 15", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15",
       " 19: 30"},
      "Orto Luna", "Ocaso Luna", "", nullptr, {}}},
    {"LunaSiempreSobre",
     {Sobre, sol, civil, nautico, astro},
     {{"No hay", "", SOL_Y_CREPUSCULOS}, "Ocaso Luna", "Orto Luna", " 10: 7",
      "Luna Sobre el Horizonte.", {}}},
    {"LunaSiempreBajo",
     {Bajo, sol, civil, nautico, astro},
     {{"", "Bajo horizonte", SOL_Y_CREPUSCULOS}, "Ocaso Luna", "Orto Luna", " 10: 7",
      "Luna Bajo el Horizonte.", {}}},
    {"ElAvisoEsDeLaUltimaClaseSinEventos",
     {Sobre, Bajo, civil, nautico, astro},
     {{"No hay", "", "Bajo horizonte", "", " 7: 15", " 18: 22", " 6: 45", " 18: 52", " 6: 15", " 19: 30"},
      "Ocaso Luna", "Orto Luna", " 0: 0", "Siempre Bajo el Horizonte.", {}}},
};
// clang-format on
// The daylight of a day whose sunset comes first is the light outside the
// two: after the sunrise to the day's end, and from its start to the
// sunset. The day lasts 23 or 25 hours when its clock changes.
TEST(HorasDeLuz, ConElOcasoAntesDelOrtoEsLaLuzFueraDeLosDos) {
    // clang-format off
    const struct {
        double orto, ocaso, duracionDia, luz;
    } casos[] = {
        {7.75, 17.875, 24.0, 10.125},  // the sunrise first: sunset - sunrise, as always
        {20.0, 14.5, 24.0, 18.5},
        {17.0, 7.0, 24.0, 14.0},
        {20.0, 14.5, 25.0, 19.5},     // the day the clocks go back
        {20.0, 14.5, 23.0, 17.5},     // the day they go forward
        {12.0, 12.0, 24.0, 0.0},
    };
    // clang-format on
    for (const auto& c : casos) {
        EventosDia d;
        d[ClaseEvento::Sol] = Con(c.orto, c.ocaso);
        const std::optional<double> luz = HorasDeLuz(d, c.duracionDia);
        ASSERT_TRUE(luz.has_value());
        EXPECT_DOUBLE_EQ(*luz, c.luz) << c.orto << " " << c.ocaso << " " << c.duracionDia;
    }
}

// A zone far from the place's longitude: at 30 S, 100 W on a fixed +5.5 h
// the Sun sets at 7:04:07 and rises at 17:02:09 on 2026-12-11; the
// calculator shows the light within the day, 24 h + (7.0689 - 17.0359) h =
// 14 h 1.98 min truncated to the minute as every day's is, and no longer
// "-10: 1".
TEST(HorasDeLuz, ZonaLejosDeLaLongitudEnLaCalculadora) {
    Vespalba::ModuloVespalba::DatosCalculo datos;
    datos.Dia = 11;
    datos.Mes = 12;
    datos.Anio = 2026;
    datos.Latitud = -30.0;
    datos.Longitud = 100.0;  // west positive
    datos.Zona = 5.5;
    const EventosDia e = Vespalba::ModuloVespalba::BuscaEventos(datos);
    const PantallaResultados p = ComponeResultados(e);
    EXPECT_EQ(p[Caja::Orto].texto, " 17: 2");
    EXPECT_EQ(p[Caja::Ocaso].texto, " 7: 4");
    EXPECT_EQ(p.HorasLuz, " 14: 1");
}

INSTANTIATE_TEST_SUITE_P(Reglas, DiaSintetico, testing::ValuesIn(sinteticos),
                         [](const auto& info) { return std::string(info.param.nombre); });

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The civil days of a request: for each date, the search's events read on
// the clock in force at each of them (exact on the days the clocks change),
// the window's display of them, and the almanac's other quantities (solar
// noon, the change of daylight, the Moon's light and phase). Both almanac
// programs, vespalba-tabla and the almanac window, compute their days here.
#pragma once

#include <QStringList>
#include <QTimeZone>

#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <vector>

#include "astro/almanaque.h"
#include "astro/eventos.h"
#include "astro/posicion.h"
#include "dias/consulta.h"
#include "lugares/zonas.h"
#include "resultados/resultados.h"

namespace Vespalba::Dias {

// When an event happened: its instant and the offset in force then.
struct Instante {
    qint64 segundos = 0;  // seconds since 1970-01-01 00:00 UT, truncated
    int desfase = 0;      // offset east of universal time in force, seconds
};

// The Moon's principal phase on a civil day.
struct FaseDelDia {
    ModuloVespalba::FaseLunar fase = ModuloVespalba::FaseLunar::LunaNueva;
    double hora = 0.0;  // wall-clock hours after the date's 0 h, as the events'
    Instante instante;
    double fraccion = 0.0;  // the Moon's illuminated fraction at that instant, 0 to 1
};

// The almanac's other quantities of a civil day.
struct AlmanaqueDia {
    // Solar noon, the Sun's upper meridian passage in the civil day (the
    // first of two on a day that holds two); none only where the civil time
    // is about 12 hours from the local solar time.
    std::optional<double> horaMediodia;  // wall-clock hours, as the events'
    Instante mediodia;
    double alturaMediodia = 0.0;  // the Sun's centre then, degrees, geometric
    // Daylight less the previous civil day's, seconds, truncated toward
    // zero; none when either day lacks its sunrise or its sunset.
    std::optional<qint64> cambioLuz;
    // The Moon at 12:00 on the day's clock: illuminated fraction 0 to 1,
    // whether it waxes, and the name of the day's phase.
    double fraccionLuna = 0.0;
    bool lunaCreciente = false;
    ModuloVespalba::EtapaLunar etapa = ModuloVespalba::EtapaLunar::LunaNueva;
    // The principal phase whose instant falls on the day, if one does.
    std::optional<FaseDelDia> fase;
};

// The Moon's illuminated fraction, 0 to 1, as a whole percentage: rounded
// to the nearest, 0 to 100.
int Porcentaje(double fraccion);

// Spanish name of a stage of the Moon ("Gibosa creciente") and of a
// principal phase ("Luna llena").
QString TextoEtapa(ModuloVespalba::EtapaLunar etapa);
QString TextoFase(ModuloVespalba::FaseLunar fase);

// The text table's abbreviation of a stage: LN luna nueva, Cre creciente,
// CC cuarto creciente, GC gibosa creciente, LL luna llena, GM gibosa
// menguante, CM cuarto menguante, Men menguante.
QString AbreviaturaEtapa(ModuloVespalba::EtapaLunar etapa);

// ------------------------------------------- golden hour and blue hour

// The Sun's altitudes, degrees (geometric, of its centre), that bound the
// golden and blue hours (astro/posicion.h), in the order of
// LuzEspecialDia::cruces: -6 (the civil twilight's, the blue hour's outer
// edge), -4 (between blue and golden) and +6 (the golden hour's top).
inline constexpr int NumUmbralesLuz = 3;
inline constexpr std::array<double, NumUmbralesLuz> AlturasLuzEspecial = {
    ModuloVespalba::AlturaAzulDesde, ModuloVespalba::AlturaDoradaDesde,
    ModuloVespalba::AlturaDoradaHasta};

// The six boundaries of a day's golden and blue hours. The morning runs up
// through the blue hour (-6 to -4) and the golden hour (-4 to +6), the
// evening down through the golden hour (+6 to -4) and the blue hour (-4 to
// -6).
enum class LimiteLuz : int {
    InicioAzulManana = 0,    // -6 rising: the civil dawn's instant
    InicioDoradaManana = 1,  // -4 rising: the morning blue hour ends
    FinDoradaManana = 2,     // +6 rising
    InicioDoradaTarde = 3,   // +6 setting
    InicioAzulTarde = 4,     // -4 setting: the evening golden hour ends
    FinAzulTarde = 5,        // -6 setting: the civil dusk's instant
};
inline constexpr int NumLimitesLuz = 6;

// A boundary's altitude (an index of AlturasLuzEspecial), its direction (0
// rising, 1 setting) and its ASCII name in data (CSV columns, JSON members).
struct DefinicionLimiteLuz {
    LimiteLuz limite;
    int umbral;
    int direccion;
    const char* nombre;
};
inline constexpr std::array<DefinicionLimiteLuz, NumLimitesLuz> LimitesLuz = {{
    {LimiteLuz::InicioAzulManana, 0, 0, "inicio_azul_manana"},
    {LimiteLuz::InicioDoradaManana, 1, 0, "inicio_dorada_manana"},
    {LimiteLuz::FinDoradaManana, 2, 0, "fin_dorada_manana"},
    {LimiteLuz::InicioDoradaTarde, 2, 1, "inicio_dorada_tarde"},
    {LimiteLuz::InicioAzulTarde, 1, 1, "inicio_azul_tarde"},
    {LimiteLuz::FinAzulTarde, 0, 1, "fin_azul_tarde"},
}};

// A boundary that happened: wall-clock hours as the events' and the instant.
struct MomentoLuz {
    double hora = 0.0;  // hours after the date's 0 h on the clock in force then, [0, 24]
    Instante instante;
};

// The Sun at the golden and blue hours' altitudes on a civil day: the same
// hourly search as the twilights' (BuscaAlturaSol, BuscaAlturaSolIntervalo
// on a day whose clock changes), read on the clock as the events are.
struct LuzEspecialDia {
    // Per altitude of AlturasLuzEspecial, as DiaCalculado::eventos holds a
    // class: the state, and the rise [hayOrto, horaOrto] and set in
    // wall-clock hours. -6 is exactly the civil twilight's class.
    std::array<ModuloVespalba::EventoClase, NumUmbralesLuz> cruces{};
    // Per altitude the instant of the rise [0] and of the set [1];
    // meaningful where the crossing's flag is set.
    std::array<std::array<Instante, 2>, NumUmbralesLuz> instantes{};

    // One boundary; none where the Sun does not cross its altitude that way
    // that day (a polar day or night, or an altitude the Sun never reaches).
    std::optional<MomentoLuz> Limite(LimiteLuz limite) const;
};

// One computed civil day: the search's result in wall-clock hours and what
// the window would show.
struct DiaCalculado {
    std::chrono::year_month_day fecha;
    // Wall-clock hours of the events, hours after the date's 0 h as the
    // clock in force at each event reads it, [0, 24]; on a day without a
    // clock change exactly the search's local hours.
    ModuloVespalba::EventosDia eventos;
    PantallaResultados pantalla;
    // False when the zone skips the date (Pacific/Apia 2011-12-30): no
    // events, an empty pantalla.
    bool existe = true;
    int desfase = 0;  // offset in force when the day starts, seconds east of UT
    // Per class (indexed as EventosDia::clases) the instant of the rise [0]
    // and of the set [1]; meaningful where the event's flag is set.
    std::array<std::array<Instante, 2>, ModuloVespalba::NumClases> instantes{};
    // Hours of daylight: the time elapsed from sunrise to sunset (also across
    // a clock change), 24 when the Sun stays up, 0 when it stays down.
    std::optional<double> horasLuz;
    // The clock changes of the day, "00:00 → 01:00, -04 → -03".
    QStringList cambios;
    // Solar noon, the change of daylight and the Moon's phase; meaningful
    // where existe.
    AlmanaqueDia almanaque;
    // The golden and blue hours: only when the request asks for them
    // (Consulta::luzEspecial) and the day exists.
    std::optional<LuzEspecialDia> luzEspecial;
};

// The search and the display rules for one day of the request. `zona` is
// the request's IANA zone already made (CalculaDias makes it once); none
// makes it from consulta.zonaHoraria. `desfases`, the zone's offsets over
// the request's dates, spares most days the exact description of the civil
// day; the results are the same without it. `fases`, the principal phases
// from at least ten days before the day to ten days after it, spares the
// day their search. The day's almanaque.cambioLuz needs the previous day:
// CalculaDias fills it, CalculaDia leaves it empty.
DiaCalculado CalculaDia(const Consulta& consulta, std::chrono::sys_days dia,
                        const QTimeZone* zona = nullptr, const DesfasesZona* desfases = nullptr,
                        std::span<const ModuloVespalba::FasePrincipal> fases = {});

// Adds the golden and blue hours to a day already computed without them
// (the almanac window computes a month without, and its shown day with
// them). `zona` as for CalculaDia. Nothing on a day that does not exist.
void CompletaLuzEspecial(const Consulta& consulta, DiaCalculado& dia,
                         const QTimeZone* zona = nullptr);

// Every day of the request, from desde to hasta.
std::vector<DiaCalculado> CalculaDias(const Consulta& consulta);

// The days from desde to hasta (none when hasta is before desde), at the
// request's place and zone. The day before desde is computed too, for the
// first day's change of daylight, even outside the years a request may ask.
std::vector<DiaCalculado> CalculaDias(const Consulta& consulta, std::chrono::sys_days desde,
                                      std::chrono::sys_days hasta);

}  // namespace Vespalba::Dias

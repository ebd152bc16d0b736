// SPDX-License-Identifier: GPL-3.0-or-later
// "What comes next": the next sunrise, twilight, golden or blue hour,
// moonrise, principal phase or Sun altitude after an instant, at a place and
// in its civil time. The search walks the place's civil days forward from
// the one that holds the instant, each day computed as the almanac computes
// it (CalculaDia for the search's classes and solar noon; the same hourly
// search for the golden and blue hours and any other Sun altitude), so that
// an event has exactly the instant the almanac gives it on its day.
#pragma once

#include <QString>
#include <QStringView>
#include <QTimeZone>

#include <array>
#include <chrono>
#include <optional>

#include "astro/eventos.h"
#include "dias/consulta.h"
#include "dias/dias.h"
#include "lugares/zonas.h"

namespace Vespalba::Dias {

// The events that can be looked for. Each has an ASCII name for data and the
// command line (NombreSuceso, in brackets):
enum class TipoSuceso : int {
    Orto,               // [orto] sunrise: the Sun's upper limb at -50', rising
    Ocaso,              // [ocaso] sunset
    Mediodia,           // [mediodia] solar noon, the Sun's upper meridian passage
    AuroraCivil,        // [aurora-civil] the Sun's centre at -6 degrees, rising
    FinCivil,           // [fin-civil] -6, setting
    AuroraNautica,      // [aurora-nautica] -12, rising
    FinNautico,         // [fin-nautico] -12, setting
    AuroraAstronomica,  // [aurora-astronomica] -18, rising
    FinAstronomico,     // [fin-astronomico] -18, setting
    LunaOrto,           // [luna-orto] moonrise
    LunaOcaso,          // [luna-ocaso] moonset
    LunaNueva,          // [luna-nueva] the principal phases (FasesEntre)
    CuartoCreciente,    // [cuarto-creciente]
    LunaLlena,          // [luna-llena]
    CuartoMenguante,    // [cuarto-menguante]
    // The golden and blue hours' boundaries, the Sun's centre at the
    // altitudes of astro/posicion.h. The morning runs up through the blue
    // hour (-6 to -4) and the golden hour (-4 to +6), the evening down
    // through the golden hour (+6 to -4) and the blue hour (-4 to -6); each
    // boundary is named by what it begins, but for the two that end one:
    InicioAzulManana,    // [inicio-azul-manana] -6, rising: aurora-civil's instant
    InicioDoradaManana,  // [inicio-dorada-manana] -4, rising: the blue hour ends
    FinDoradaManana,     // [fin-dorada-manana] +6, rising
    InicioDoradaTarde,   // [inicio-dorada-tarde] +6, setting
    InicioAzulTarde,     // [inicio-azul-tarde] -4, setting: the golden hour ends
    FinAzulTarde,        // [fin-azul-tarde] -6, setting: fin-civil's instant
    // Any altitude of the Sun's centre, Suceso::altura.
    SolSube,  // [sube] rising through it
    SolBaja,  // [baja] setting through it
};

// Every kind, in the order above.
inline constexpr std::array<TipoSuceso, 23> TiposDeSuceso = {
    TipoSuceso::Orto,
    TipoSuceso::Ocaso,
    TipoSuceso::Mediodia,
    TipoSuceso::AuroraCivil,
    TipoSuceso::FinCivil,
    TipoSuceso::AuroraNautica,
    TipoSuceso::FinNautico,
    TipoSuceso::AuroraAstronomica,
    TipoSuceso::FinAstronomico,
    TipoSuceso::LunaOrto,
    TipoSuceso::LunaOcaso,
    TipoSuceso::LunaNueva,
    TipoSuceso::CuartoCreciente,
    TipoSuceso::LunaLlena,
    TipoSuceso::CuartoMenguante,
    TipoSuceso::InicioAzulManana,
    TipoSuceso::InicioDoradaManana,
    TipoSuceso::FinDoradaManana,
    TipoSuceso::InicioDoradaTarde,
    TipoSuceso::InicioAzulTarde,
    TipoSuceso::FinAzulTarde,
    TipoSuceso::SolSube,
    TipoSuceso::SolBaja,
};

// The ASCII name of a kind ("inicio-dorada-manana"), and back; none for a
// name that is not one (names are lower case, exactly as listed).
QString NombreSuceso(TipoSuceso tipo);
std::optional<TipoSuceso> TipoDeNombre(QStringView nombre);

struct Suceso {
    TipoSuceso tipo = TipoSuceso::Orto;
    // SolSube and SolBaja: the Sun's altitude, degrees, geometric, of its
    // centre, from ModuloVespalba::AlturaSolMinima (-18) to AlturaSolMaxima
    // (60); unused otherwise.
    double altura = 0.0;
};

// How a search ended.
enum class EstadoProximo : int {
    Hallado = 0,      // instante holds the event
    NingunoEnUnAnio,  // none in the civil day of the instant and the DiasDeBusqueda after it
    FinDelDominio,    // none up to 2040-12-31, the last date computed, before a year was
                      // searched
    FueraDelDominio,  // the instant's civil date is before 1980-01-01 or after 2040-12-31
    DatosNoValidos,   // a latitude of 75 degrees or more, an unknown zone name, a Sun
                      // altitude out of its range, a value that is not finite
};

// Civil days searched after the instant's own: a year, even a leap one.
inline constexpr int DiasDeBusqueda = 366;

struct Proximo {
    EstadoProximo estado = EstadoProximo::DatosNoValidos;
    // The event's instant (truncated to the second, as CalculaDia gives its
    // events) and the offset in force then; only when Hallado.
    std::optional<Instante> instante;
    // Hallado: the civil date that holds the event. NingunoEnUnAnio and
    // FinDelDominio: the last date searched.
    std::chrono::sys_days fecha{};
};

// The first event of the kind whose instant (in whole seconds, truncated) is
// after `despuesDe` (seconds since 1970-01-01 00:00 UT): the search of the
// place's civil days, in consulta.zonaHoraria (or at the fixed offset
// consulta.zona), from the one that holds `despuesDe` to DiasDeBusqueda
// days after it and no further than 2040-12-31. Of consulta only latitud,
// longitud, zonaHoraria and zona are read.
//
// Each civil day's events are the almanac's for that day: as CalculaDia
// computes them for the search's classes, with solar noon (both passages on
// the rare day that holds two) from BuscaMediodia over the civil day, the
// phases from FasesEntre, and the golden and blue hours and any other Sun
// altitude from BuscaAlturaSol (BuscaAlturaSolIntervalo on a day whose clock
// changes). So the day's search keeps its rules: at most one rise and one
// set of a class per day, the later one where a day holds two of one
// direction (the Moon, some polar days), and a polar day or night with no
// crossing is passed over.
Proximo BuscaProximo(const Consulta& consulta, const Suceso& suceso, qint64 despuesDe);

// The same, as the instant only: none when BuscaProximo finds none, whatever
// the reason.
std::optional<Instante> ProximoSuceso(const Consulta& lugarYZona, const Suceso& suceso,
                                      qint64 despuesDe);

// ----------------------------------------------- a civil day for the search

// One civil day as the day's search samples it: the hour grid of the offset
// in force when it starts, and the civil day's span on it.
struct DiaDeBusqueda {
    std::chrono::sys_days fecha{};
    bool existe = true;     // false when the zone skips the date: nothing else holds
    bool ordinario = true;  // of one offset, 00:00 to 24:00: BuscaEventos' day (datos)
    int desfase = 0;        // offset when the day starts, seconds east of UT
    qint64 origen = 0;      // the date's 0 h at that offset, seconds since 1970 UT: grid hour 0
    qint64 inicio = 0;      // the civil day is [inicio, fin), seconds since 1970 UT
    qint64 fin = 0;
    // The search's inputs: datos for an ordinary day, as CalculaDia fills
    // them; intervalo for every day, as CalculaDia takes a day whose clock
    // changes (on an ordinary day: Desde 0, Hasta 24, the same grid).
    ModuloVespalba::DatosCalculo datos;
    ModuloVespalba::DiaIntervalo intervalo;
};

// Describes civil day `dia` of the consulta's place and civil time. `zona`
// is consulta.zonaHoraria already made (a valid zone), none for a fixed
// offset; `desfases`, when given, spares ordinary days their description,
// as in CalculaDia.
DiaDeBusqueda DescribeDiaDeBusqueda(const Consulta& consulta, std::chrono::sys_days dia,
                                    const QTimeZone* zona, const DesfasesZona* desfases = nullptr);

// A Sun altitude's crossings on such a day, upward [0] and downward [1], as
// instants with the offset in force at each: BuscaAlturaSol on an ordinary
// day, BuscaAlturaSolIntervalo on another; none where the search keeps none.
// `zona` as for DescribeDiaDeBusqueda.
std::array<std::optional<Instante>, 2> CrucesAlturaSol(const DiaDeBusqueda& dia,
                                                       double alturaGrados, const QTimeZone* zona);

}  // namespace Vespalba::Dias

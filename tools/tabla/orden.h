// SPDX-License-Identifier: GPL-3.0-or-later
// Reading vespalba-tabla's command line: the place, the zone, the dates and
// the output format, checked against the ranges the window accepts.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "dias/consulta.h"
#include "dias/proximo.h"
#include "places/guardado.h"
#include "tools/tabla/formatos.h"
#include "tools/tabla/objetivo.h"

namespace Vespalba::Tabla {

// The events a calendar (--formato ics) holds, as bits of Peticion::eventos.
enum EventoCalendario : unsigned {
    EventoOrto = 1u << 0,         // sunrise
    EventoOcaso = 1u << 1,        // sunset
    EventoCivil = 1u << 2,        // civil dawn and dusk
    EventoNautico = 1u << 3,      // nautical dawn and dusk
    EventoAstronomico = 1u << 4,  // astronomical dawn and dusk
    EventoLuna = 1u << 5,         // moonrise and moonset
    EventoFases = 1u << 6,        // the principal phases
    EventoMediodia = 1u << 7,     // solar noon
    EventoDorada = 1u << 8,       // the golden hours' beginnings and ends
    EventoAzul = 1u << 9,         // the blue hours' beginnings and ends
};

// The names --eventos takes, in the order --help lists them, with their bits.
struct NombreEventoCalendario {
    const char* nombre;
    unsigned bit;
};
inline constexpr NombreEventoCalendario EventosCalendario[] = {
    {"orto", EventoOrto},
    {"ocaso", EventoOcaso},
    {"civil", EventoCivil},
    {"nautico", EventoNautico},
    {"astronomico", EventoAstronomico},
    {"luna", EventoLuna},
    {"fases", EventoFases},
    {"mediodia", EventoMediodia},
    {"dorada", EventoDorada},
    {"azul", EventoAzul},
};
// The paper of the printed pages.
enum class Papel {
    A4,     // 210 x 297 mm
    Carta,  // US Letter, 8.5 x 11 inches
};

// The fewest days of a chart (svg, png): a shorter range is refused.
inline constexpr int DiasMinimosGrafico = 7;
// The sizes of a chart, pixels (SVG user units), both sides included.
inline constexpr QSize TamanoMinimo{320, 200};
inline constexpr QSize TamanoMaximo{8000, 8000};
inline constexpr QSize TamanoPorDefecto{1600, 900};

// The conditions --si tests, on the Sun's altitude at the present instant.
enum class Condicion {
    Dia,                    // dia: the Sun at or above the sunrise threshold, -50'
    Noche,                  // noche: below it
    CrepusculoCivil,        // crepusculo-civil: from -6 to -50'
    CrepusculoNautico,      // crepusculo-nautico: from -12 to -6
    CrepusculoAstronomico,  // crepusculo-astronomico: from -18 to -12
    NocheCerrada,           // noche-cerrada: below -18
    Dorada,                 // dorada: the golden hour, -4 to +6
    Azul,                   // azul: the blue hour, -6 to -4
};

// The names --si takes, in the order --help lists them.
struct NombreCondicion {
    const char* nombre;
    Condicion condicion;
};
inline constexpr NombreCondicion Condiciones[] = {
    {"dia", Condicion::Dia},
    {"noche", Condicion::Noche},
    {"crepusculo-civil", Condicion::CrepusculoCivil},
    {"crepusculo-nautico", Condicion::CrepusculoNautico},
    {"crepusculo-astronomico", Condicion::CrepusculoAstronomico},
    {"noche-cerrada", Condicion::NocheCerrada},
    {"dorada", Condicion::Dorada},
    {"azul", Condicion::Azul},
};

// The Sun's altitudes --altura accepts with --proximo sube or baja, degrees,
// included.
inline constexpr double AlturaProximoMinima = -18.0;
inline constexpr double AlturaProximoMaxima = 60.0;

// A checked request: the place, zone and dates of the days (--lugar or
// --lat/--lon, --tz or --zona, --fecha, --mes, --anio or --desde/--hasta),
// and how to write them.
struct Peticion : Dias::Consulta {
    const FormatoSalida* formato = &Formatos().front();  // never null
    // The calendar's events (--eventos), bits of EventoCalendario.
    unsigned eventos = EventoOrto | EventoOcaso | EventoFases;
    // The calendar's DTSTAMP, seconds since 1970-01-01 00:00 UT: the
    // SOURCE_DATE_EPOCH of the environment when set, so that the output can
    // be made again byte for byte, otherwise the present instant.
    qint64 sello = 0;
    Papel papel = Papel::A4;          // --papel, for pages
    QSize tamano = TamanoPorDefecto;  // --tamano, for a chart
    bool luna = false;                // --luna: the Moon's hours on the chart
    bool dorada = false;              // --dorada: the golden and blue hours on the chart
    // --salida: where the output goes (see destino.h): a regular file
    // replaced only once it is whole, a device or pipe written in place;
    // empty or "-" for standard output.
    QString salida;
    // --ahora, --si and --proximo: the present instant, seconds since
    // 1970-01-01 00:00 UT (LeeOrden's `ahora`).
    qint64 instante = 0;
    Condicion condicion = Condicion::Dia;  // --si
    Dias::Suceso suceso;               // --proximo and --esperar, with --altura for sube and baja
    Ajuste ajuste;                     // --margen, --no-antes and --no-despues
    std::optional<qint64> tolerancia;  // --tolerancia, seconds
};

// Whether a PDF of the request starts with the chart: its days are one
// whole calendar year.
bool ConGraficoDelAnio(const Peticion& peticion);

// The days' request of a Peticion: its place, zone and dates, with the
// golden and blue hours (Consulta::luzEspecial) when its output shows them:
// the CSV's and JSON's last fields, the calendar's dorada and azul events,
// the chart's band of --dorada. The text table does not show them, and
// its days are computed without.
Dias::Consulta ConsultaDeDias(const Peticion& peticion);

// What the command line asks for.
enum class Accion {
    Calcular,      // print the days of the Peticion
    Ayuda,         // --help
    Version,       // --version
    ListaLugares,  // --lugares
    Buscar,        // --buscar: busqueda holds the text
    Ahora,         // --ahora: the moment at the place and the next events (ahora.h)
    Si,            // --si: whether the condition holds now, as the exit status
    Proximo,       // --proximo: the next occurrence of an event
    Esperar,       // --esperar: sleep until the next occurrence (espera.h)
    GuardarLugar,  // --guardar-lugar: store the place (and zone) as the default
    Error,         // bad input: mensaje holds the one-line reason
};

struct Orden {
    Accion accion = Accion::Error;
    Peticion peticion;  // meaningful for Calcular
    QString mensaje;    // for Error: one line, without the program's name
    QString busqueda;   // for Buscar: the text to look for
    QString aviso;      // for Calcular: a line for standard error (which town of several), or empty
};

// The default place stored in the user's settings, for a request that
// names none.
struct LugarPorOmision {
    std::optional<LugarGuardado> lugar;
    QString archivo;   // the settings file, for the messages
    QString problema;  // why a stored place could not be used; empty when none is stored
};

// Reads the arguments (the first one is the program's name).
//   ahora:         the present instant, seconds since 1970-01-01 00:00 UT;
//                  --hoy is its date in the request's zone.
//   fechaFuente:   the environment's SOURCE_DATE_EPOCH, or a null string
//                  when it is not set: whole seconds since 1970 for the
//                  calendar's DTSTAMP (refused otherwise).
//   porOmision:    gives the stored default place; asked only when the
//                  arguments name no place. None: no place is stored.
Orden LeeOrden(const QStringList& argumentos, qint64 ahora, const QString& fechaFuente = QString(),
               const std::function<LugarPorOmision()>& porOmision = {});

// The default place as --guardar-lugar stores it: the request's place, its
// coordinates (east positive) and its zone (--tz, or the place's own).
LugarGuardado LugarParaGuardar(const Peticion& peticion);

// The refusal of a request whose output is binary (pdf, png) and whose
// destination is a terminal: standard output, or what --salida names
// (/dev/tty, a pseudo-terminal); empty when the output may be written.
QString RechazoTerminal(const Peticion& peticion, bool destinoEsTerminal);

// A message that quotes what was typed, made safe to print as one line:
// control characters in it (a newline, an escape) written as \xHH, so that
// it cannot break the line nor drive the terminal.
QString UnaLinea(const QString& mensaje);

// The text of --help.
QString TextoAyuda();

// ----------------------------------------------------------------- places

// The place of --lugar by name: one of the forty places, compared as
// NombreComparable does (the gazetteer is not opened then; its full name is
// its name as the window's list shows it, "Valparaíso"); otherwise a town
// of the gazetteer, asked for as "Nombre", "Nombre, Región" or "Nombre, País"
// (see Nomenclator::Busca). Several towns with the whole name: the most
// populous, and `aviso` says which and how many others there were; a part of
// one name only: that town, and `aviso` says which. Fills the place's name,
// coordinates, zone and full name in p, or gives the one-line refusal:
// unknown (with close names from both sources), a part of several names,
// a town at 75 degrees of latitude or more, or no gazetteer installed.
QString LeeNombreDeLugar(const QString& nombre, Peticion& p, QString& aviso);

// Close names of both sources for a refusal ("parecidos: Valparaíso (vea
// --lugares); en el nomenclátor: «Valparaíso, Chile», ..."); empty when
// there are none. Opens the gazetteer.
QString PistaDeLugar(const QString& nombre);

// -------------------------------------------------------------- numbers

// Result of reading one value: the number, or the reason it was refused.
struct Lectura {
    std::optional<double> valor;
    QString problema;  // why it was refused, e.g. "no es un número"
};

// Latitude, either as the window takes it, "33:16S" (whole degrees 0 to 74,
// minutes under 60 with optional decimals, hemisphere N or S), computed as
// degrees + minutes / 60 and then negated for the south; or as signed decimal
// degrees, north positive, |value| < 75.
// Gives decimal degrees, north positive.
Lectura LeeLatitud(const QString& texto);

// Longitude, either as the window takes it, "71:36W" (whole degrees 0 to
// 179, minutes under 60, hemisphere W or E), or as signed decimal degrees,
// EAST positive as maps and GPS give it, |value| < 180.
// Gives decimal degrees, WEST positive, the sign the search takes.
Lectura LeeLongitud(const QString& texto);

// Fixed zone, hours east positive, from -12 to +14 in quarter hours (5.5,
// 5.75, -3.5).
Lectura LeeZona(const QString& texto);

}  // namespace Vespalba::Tabla

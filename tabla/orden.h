// SPDX-License-Identifier: GPL-3.0-or-later
// Reading vespalba-tabla's command line into a request and an action: the
// place, the zone, the dates and the output format, checked against the
// ranges the window accepts, and what --ahora, --si, --proximo and
// --esperar ask.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "dias/consulta.h"
#include "dias/objetivo.h"
#include "dias/proximo.h"
#include "lugares/guardado.h"
#include "salidas/peticion.h"

namespace Vespalba::Tabla {

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

// The widest tolerance of --esperar, seconds: a year and a day.
inline constexpr qint64 ToleranciaMaxima = 367 * 86400;

// A checked request: the place, zone and dates of the days (--lugar or
// --lat/--lon, --tz or --zona, --fecha, --mes, --anio or --desde/--hasta)
// and how to write them (Salidas::Peticion), with what only the command
// line reads: where the output goes and what --si, --proximo and --esperar
// ask.
struct Peticion : Salidas::Peticion {
    // --salida: where the output goes (see salidas/destino.h): a regular file
    // replaced only once it is whole, a device or pipe written in place;
    // empty or "-" for standard output.
    QString salida;
    // --ahora, --si and --proximo: the present instant, seconds since
    // 1970-01-01 00:00 UT (LeeOrden's `ahora`).
    qint64 instante = 0;
    Condicion condicion = Condicion::Dia;  // --si
    Dias::Suceso suceso;               // --proximo and --esperar, with --altura for sube and baja
    Dias::Ajuste ajuste;               // --margen, --no-antes and --no-despues
    std::optional<qint64> tolerancia;  // --tolerancia, seconds
};

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

// The text of --help.
QString TextoAyuda();

}  // namespace Vespalba::Tabla

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's answers about the present instant, for people and for
// shell scripts: --ahora (where the Sun and the Moon are, the part of the
// day and the next event of each kind), --si (whether a condition of the
// Sun holds now, given as the exit status) and --proximo (the next
// occurrence of one event).
#pragma once

#include <QByteArray>
#include <QString>

#include "astro/posicion.h"
#include "dias/dias.h"
#include "dias/objetivo.h"
#include "dias/proximo.h"
#include "tabla/orden.h"

namespace Vespalba::Tabla {

// The exit status of a --si whose condition does not hold, and of a
// --proximo whose event does not occur within the search.
inline constexpr int SalidaNo = 3;

// What the program answers.
struct Respuesta {
    int estado = 0;     // exit status: 0, SalidaNo, or 2 for data the search refuses
    QByteArray salida;  // for standard output (or --salida); empty for --si
    QString mensaje;    // one line for standard error, without the program's name, or empty
};

// The answer of `accion` (Accion::Ahora, Si or Proximo; any other gives
// status 2) for the request's place and zone at peticion.instante.
Respuesta Responde(Accion accion, const Peticion& peticion);

// Whether a condition of --si holds at a moment of the day.
bool CumpleCondicion(Condicion condicion, const ModuloVespalba::MomentoDelDia& momento);

// The answer of a search that found no instant, for `opcion` ("--proximo",
// "--esperar"): status 2 and the reason when the date or the place is
// outside what is computed; SalidaNo and why when the event does not occur
// within the search; status 0 and no message when the instant was found.
Respuesta SinObjetivo(const QString& opcion, const Dias::Suceso& suceso,
                      const Dias::Objetivo& objetivo);

}  // namespace Vespalba::Tabla

// SPDX-License-Identifier: GPL-3.0-or-later
// A request written to a file as vespalba-tabla writes it with --salida, for
// the almanac window's "Exportar…": the same writers and pages, the same
// destination rules (a regular file replaced only once whole, and left as
// it was on any failure or cancellation), with progress and cancellation
// for long ranges. Needs a QGuiApplication for the drawings; may run off
// the GUI thread.
#pragma once

#include <QString>

#include <functional>

#include "salidas/peticion.h"

namespace Vespalba::Salidas {

// Told (part done, parts) as the work goes on (days for the text formats,
// pages for the PDF; parts 0 when unknown); returns false to cancel.
using Progreso = std::function<bool(qint64 hecho, qint64 total)>;

struct Exportacion {
    bool escrito = false;
    bool cancelado = false;
    // Why it was not written, in Spanish, one line: "cancelado", or as
    // Destino says it, naming the file ("no se pudo escribir «ruta»: ...; el
    // archivo queda como estaba"). Empty when written.
    QString motivo;
};

// Writes the request's days in peticion.formato to `ruta` (see Destino);
// `programa` ("vespalba-almanaque 1.1.0") goes where vespalba-tabla puts its
// own name (the PDF's creator and foot, the calendar's PRODID is the
// library's own).
Exportacion Exporta(const Peticion& peticion, const QString& ruta, const QString& programa,
                    const Progreso& progreso = {});

}  // namespace Vespalba::Salidas

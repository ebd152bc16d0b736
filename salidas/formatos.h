// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's output formats as one table: each entry is the value of
// --formato, its description in --help and its writer (or, for a drawing,
// what it draws). Adding a format means one entry in formatos.cpp and its
// writer; the help text and the message that lists the accepted values are
// made from the table.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <span>
#include <vector>

namespace Vespalba::Dias {
struct DiaCalculado;
}

namespace Vespalba::Salidas {

struct Peticion;
using Dias::DiaCalculado;
class Bloques;

// Receives the output in order, a piece at a time; returns false when the
// piece could not be written, which ends the computation.
using Sumidero = std::function<bool(const QByteArray& pieza)>;

// What a format draws: nothing (a text written by its writers), printed
// pages (PDF), or the daylight chart as a vector drawing (SVG) or a picture
// (PNG). Drawings are made by the drawing module (see dibujo.h), from the
// days computed whole.
enum class Lamina {
    Ninguna,
    Paginas,
    Vectorial,
    Imagen,
};

struct FormatoSalida {
    const char* nombre;  // value of --formato, lower case ("csv")
    // Its description in --help, UTF-8; each '\n' starts a continuation line.
    const char* ayuda;
    Lamina lamina;
    // Bytes that are not text (PDF, PNG): never written to a terminal.
    bool binario;
    // Writes the request's days, in date order, in this format; null for a
    // drawing.
    QByteArray (*escribe)(const Peticion& peticion, const std::vector<DiaCalculado>& dias);
    // Writes a long request block by block as the blocks are computed, the
    // same bytes as `escribe` over all its days; false when the sink refused
    // a piece. Null for a drawing.
    bool (*escribePorBloques)(const Peticion& peticion, const Bloques& bloques,
                              const Sumidero& sumidero);
};

// Whether the format is a text written as it is computed (texto, csv,
// json), by its writers; a drawing is computed whole, then drawn.
inline bool EsTexto(const FormatoSalida& f) { return f.lamina == Lamina::Ninguna; }

// Whether the format is the daylight chart alone (svg, png): it takes
// --tamano and needs a range of at least DiasMinimosGrafico days.
inline bool EsGrafico(const FormatoSalida& f) {
    return f.lamina == Lamina::Vectorial || f.lamina == Lamina::Imagen;
}

// Every format; the first is the default.
std::span<const FormatoSalida> Formatos();

// The format of that name (blanks around it and case ignored), or none.
const FormatoSalida* BuscaFormato(const QString& nombre);

// The accepted names for a message: "texto, csv, json, pdf, svg o png".
QString NombresDeFormatos();

// The formats' lines of --help: "  --formato texto       tabla alineada ...".
QString AyudaDeFormatos();

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's drawings (--formato pdf, svg, png): the computed days
// turned into the drawing library's Almanaque, with the text table's own
// columns and cells, and drawn in the request's format.
//
// This part links Qt Gui, which the text formats never load: the program
// reaches it through a module opened with dlopen (modulo.cpp), so that a
// text, CSV or JSON run starts as fast as before.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "dibujo/almanaque.h"
#include "dibujo/paginas.h"
#include "salidas/peticion.h"
#include "salidas/salida.h"

class QIODevice;

namespace Vespalba::Salidas {

// The Almanaque of the request's days: the title as the text table's header
// words it (place, coordinates, zone and the offsets in force); the columns
// of Columnas(peticion) and each day's cells of FilaTexto(peticion, day),
// the same strings the text table prints, a dark box where its cell is in
// the frame colour; each day's clock changes as the notes under the table.
Dibujo::Almanaque AlmanaqueDe(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// Draws the days in the request's format (pdf, svg or png; see Lamina) to
// `salida` (open for writing): the pages on peticion.papel, the chart page
// first for a whole year; the chart of peticion.tamano, with the Moon's band
// when peticion.luna and the golden and blue hours when peticion.dorada (the
// days computed with them, ConsultaDeDias). `programa` ("vespalba-tabla 1.1.0") goes at the pages'
// foot. False when drawing failed or the format does not draw.
// `progreso` as for Dibujo::EscribePdf (pages only).
bool Dibuja(const Peticion& peticion, const std::vector<DiaCalculado>& dias, QIODevice& salida,
            const QString& programa, const std::function<bool(int, int)>& progreso = {});

// The pages' options of the request: its paper, the chart page for a whole
// year, the chart's bands, `programa` at the foot, the method's note and the
// legend with the columns' explanations.
Dibujo::OpcionesDocumento DocumentoDe(const Peticion& peticion, const QString& programa);

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings' letters. Private to the drawing library.
#pragma once

#include <QFont>

namespace Vespalba::Dibujo {

// Liberation Sans (Debian's fonts-liberation2; a PDF embeds it), DejaVu
// Sans where it is missing, at `puntos` typographic points of `punto`
// painter units each.
QFont Letra(double puntos, double punto, bool negrita = false);

}  // namespace Vespalba::Dibujo

// SPDX-License-Identifier: GPL-3.0-or-later
// ModuloVespalba: the whole computation of Vespalba, free of any window.
//   astro/tiempo.h   angles, fractions, modified Julian date, sidereal time
//   astro/solluna.h  low-precision Sun and Moon positions
//   astro/dominio.h  the years and places the inputs may take
//   astro/eventos.h  the day's event search and its records
//   astro/almanaque.h solar noon, the Moon's illumination and principal phases
//   astro/formato.h  the hours-and-minutes text
//   astro/vectorial.h the vector-register state the search starts from
#pragma once

#include "astro/almanaque.h"
#include "astro/dominio.h"
#include "astro/eventos.h"
#include "astro/formato.h"
#include "astro/solluna.h"
#include "astro/tiempo.h"
#include "astro/vectorial.h"

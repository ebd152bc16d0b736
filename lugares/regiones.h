// SPDX-License-Identifier: GPL-3.0-or-later
// The Spanish name of a region (GeoNames' first-order division, admin1), for
// the gazetteer's places: its own Spanish catalogue's, else GeoNames' Spanish
// alternate name (datos/regiones.inc), else the English name without its
// English generic word ("Tumbes", not "Tumbes Region"). Standard library
// only; UTF-8 throughout.
#pragma once

#include <string>
#include <string_view>

namespace Vespalba {

// GeoNames' Spanish name of the region "CC.ADMIN1" ("PE.02", "CL.12"), or
// empty when the data carry none.
std::string_view RegionEnEspanol(std::string_view clave);

// The English name without an English generic word: "Tumbes Region" ->
// "Tumbes", "Province of Buenos Aires" -> "Buenos Aires", "Lima region" ->
// "Lima". Kept whole when nothing would be left but a word that needs the
// generic one ("Northern Region", "Capital District").
std::string SinGenericoIngles(std::string_view ingles);

// The name a place's region is shown with: `catalogo` (libgeonames' Spanish
// catalogue's) when not empty, else RegionEnEspanol(clave), else
// SinGenericoIngles(ingles).
std::string NombreDeRegion(std::string_view clave, std::string_view catalogo,
                           std::string_view ingles);

}  // namespace Vespalba

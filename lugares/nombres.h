// SPDX-License-Identifier: GPL-3.0-or-later
// Names of places compared as people type them: without accents, case or
// extra blanks. Finding one of the forty places of the table by name, and
// the places whose names come close to a name that is none of them.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Vespalba {

// A name reduced for comparison: accents and other combining marks dropped,
// a few letters that carry no mark spelt plainly ("ł" as "l", "ø" as "o",
// "æ" as "ae", "ß" as "ss"), case folded, hyphens read as blanks, runs of blanks made
// one and blanks around it removed ("Valparaíso        " and " VALPARAISO"
// both become "valparaiso"; "Łódź" becomes "lodz", "Port-au-Prince" "port au
// prince").
QString NombreComparable(const QString& nombre);

// The same reduction of a UTF-8 text, given as UTF-8: equal to
// NombreComparable(QString::fromUtf8(texto)).toUtf8(). ASCII texts are
// reduced byte by byte, without going through QString.
std::string NombreComparable(std::string_view texto);

// Whether `buscado` (already reduced) appears in `nombre` (already reduced)
// at the start of one of its words: "montt" and "puerto m" in "puerto
// montt", not "ontt".
bool ContieneDesdePalabra(std::string_view nombre, std::string_view buscado);

// A place asked for as "Nombre", "Nombre, Región", "Nombre, País" or
// "Nombre, Región, País": the name and the parts after it that narrow it,
// each reduced with NombreComparable (empty parts dropped).
struct NombreCalificado {
    std::string nombre;
    std::vector<std::string> calificadores;
};
NombreCalificado PartesDelNombre(const QString& texto);

// Indices of the forty places whose names contain the name of `texto`
// anywhere, once both are reduced ("valpa": Valparaíso); a part after a
// comma must be the place's country, in Spanish or as its ISO code
// ("Valparaíso, Chile", "puerto, CL"). Table order.
std::vector<int> LugaresQueContienen(const QString& texto);

// Levenshtein distance: the fewest one-character insertions, deletions and
// substitutions that turn one text into the other.
int DistanciaEdicion(const QString& a, const QString& b);
int DistanciaEdicion(std::string_view a, std::string_view b);  // bytes

// Name of place i (1 to NumLugares) exactly as stored, with its blanks.
QString NombreLugar(int i);

// Index (1 to NumLugares) of the place whose name equals the given one once
// both are reduced with NombreComparable; none when no name does.
std::optional<int> BuscaLugar(const QString& nombre);

// Indices of the places whose names come close to the given one: names
// that contain it, or that are a few letters away from it. Table order.
std::vector<int> LugaresParecidos(const QString& nombre);

}  // namespace Vespalba

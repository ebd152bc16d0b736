// SPDX-License-Identifier: GPL-3.0-or-later
// The world gazetteer: GeoNames' towns of 15,000 people or more and the
// capitals (about 24,000), as Debian's libgeonames carries them, named in
// Spanish from the library's own Spanish catalogue whatever the machine's
// locale; joined by GeoNames' other places of 1,000 people or more (about
// 111,000 more, from lugares/datos/poblados.idx, see poblados.h), with
// GeoNames' own names, the region and country names of libgeonames' towns
// with the same codes, and the zone of their point in the time-zone
// boundaries (zona_geo.h). Where both have a place (the same GeoNames id),
// libgeonames' town is the one kept. The library and the file are opened at
// run time on first use: a program that never asks for a town loads neither
// (nor GIO, which the library pulls in). The program's gazetteer keeps what
// it derives from both in the user's cache folder (cache_nomenclator.h):
// later runs read that instead of loading the library and unpacking its
// records. Nothing outside lugares/ sees GLib.
#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace Vespalba {

// A town of the gazetteer.
struct Poblado {
    QString nombre;        // Spanish when the catalogue has it, else GeoNames' ("Tokio")
    QString nombreIngles;  // GeoNames' own, English ("Tokyo", "Port Montt")
    QString region;        // first-level division, Spanish when translated ("Región de Los Lagos")
    QString pais;          // country, Spanish when translated ("Chile")
    QString codigoPais;    // ISO 3166 ("CL")
    QString zona;          // IANA time zone ("America/Santiago"), one the system's tzdata has
    double latitud = 0.0;  // degrees, north positive
    double longitud = 0.0;  // degrees, EAST positive
    unsigned habitantes = 0;

    // "Puerto Montt, Región de Los Lagos, Chile" (empty parts left out).
    QString NombreCompleto() const;
};

// Towns found for a name.
struct Encontrados {
    std::vector<Poblado> poblados;  // the first of the matches, best first
    int total = 0;                  // how many towns matched in all
    bool completos = false;         // the whole name matched (not a part of it)
};

// Where Debian puts the library and its Spanish catalogue.
inline constexpr char BibliotecaGeonames[] = "libgeonames.so.0";
inline constexpr char CatalogoGeonames[] = "/usr/share/locale/es/LC_MESSAGES/geonames.mo";

class Nomenclator {
public:
    // The gazetteer of the installed libgeonames and the program's places
    // file (ArchivoPoblados::RutaDelPrograma), opened on the first call
    // (thread-safe) and kept for the life of the process, with the cache in
    // CarpetaCacheNomenclator(). Null when the library cannot be opened,
    // with the reason, in Spanish, in *problema; a missing or damaged places
    // file leaves libgeonames' towns alone, and Aviso() says why.
    static const Nomenclator* Mundial(QString* problema = nullptr);

    // A gazetteer from the given library (a name dlopen searches for, or a
    // path) and Spanish catalogue (a missing catalogue leaves the English
    // names), joined by the places of the file `poblados` when given. Null,
    // with the reason in *problema, when the library cannot be loaded or is
    // not the expected one.
    static std::unique_ptr<Nomenclator> Abre(const char* biblioteca, const char* catalogo,
                                             QString* problema,
                                             const QString& poblados = QString());

    // As Mundial opens its gazetteer: libgeonames' towns from the cache in
    // `carpeta` when it holds them for this library and catalogue (the
    // library is then not loaded), else from the library, written to the
    // cache for the next time (when the folder can be written); the places
    // of the file `poblados` joined (an empty path: Aviso() says it is
    // missing), checked whole only when the cache does not show this very
    // file checked before. An empty `carpeta`: no cache. The results, the
    // reasons and the notes are those of a gazetteer opened without a cache.
    static std::unique_ptr<Nomenclator> AbreConCache(const char* biblioteca, const char* catalogo,
                                                     QString* problema, const QString& poblados,
                                                     const QString& carpeta);

    ~Nomenclator();
    Nomenclator(const Nomenclator&) = delete;
    Nomenclator& operator=(const Nomenclator&) = delete;

    int NumPoblados() const;
    // Of them, libgeonames' towns.
    int NumPobladosLibgeonames() const;
    // Spanish, empty when all is well: why the places file's places are not
    // in the gazetteer (the file or the zones' index missing or damaged).
    const QString& Aviso() const;
    // Whether libgeonames' towns were read from the cache (the library was
    // not loaded), and whether the places file was taken as checked before
    // on the cache's word (its words' index from there too). For the tests.
    bool GeonamesDeLaCache() const;
    bool PobladosDeLaCache() const;

    // Does now, once, what the first search that gives a place of the file
    // would otherwise do: gathers the names of their regions from
    // libgeonames' towns and looks up a zone (the system's zone list read).
    // For a program that searches as the user types, on a worker thread.
    void Prepara() const;

    // A place as asked for by name: "Nombre", or narrowed as "Nombre,
    // Región", "Nombre, País" or "Nombre, Región, País", where each part
    // after the name must match the town's region or country, in Spanish
    // or English, whole or from the start of a word ("Los Lagos" for
    // "Región de Los Lagos"), or the country's ISO code ("CL"). Names,
    // Spanish or English, are compared with NombreComparable. The towns
    // whose whole name matches; when none does, those whose name contains
    // the given one from the start of a word ("Montt": Puerto Montt). Most
    // populous first; at most `maximo` of them in `poblados`.
    Encontrados Busca(const QString& texto, int maximo) const;

    // For a search list: towns whose name contains the text anywhere
    // ("cepci": Concepción), narrowed as Busca does; whole-name matches
    // first, each group most populous first.
    Encontrados BuscaTexto(const QString& texto, int maximo) const;

    // Towns whose names come close to the name of `texto` (its narrowing
    // parts are ignored): the same name, a name containing it from the start
    // of a word, then names a few letters away (one in four, at least one),
    // closest first and then most populous. At most `maximo`.
    std::vector<Poblado> Parecidos(const QString& texto, int maximo) const;

private:
    struct Datos;
    explicit Nomenclator(std::unique_ptr<Datos> datos);
    // libgeonames' towns from the library itself into `datos`; false, with
    // the reason in *problema, when it cannot be loaded or is not the
    // expected one. With a cache folder, they are written there.
    static bool DeLaBiblioteca(Datos& datos, const char* biblioteca, const char* catalogo,
                               QString* problema, const QString& carpeta);
    // The records whose name (English or Spanish, reduced) is `texto`'s
    // whole name, and those that contain it (from a word's start when
    // `desdePalabra`, anywhere otherwise), each narrowed by its region and
    // country parts, in record order.
    void Coincidencias(const QString& texto, bool desdePalabra, std::vector<int>& completos,
                       std::vector<int>& parciales) const;
    std::unique_ptr<Datos> d_;
};

}  // namespace Vespalba

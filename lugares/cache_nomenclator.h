// SPDX-License-Identifier: GPL-3.0-or-later
// What the world gazetteer (nomenclator.h) derives from libgeonames and from
// the places file, kept between runs in the user's cache folder
// ($XDG_CACHE_HOME/vespalba, else ~/.cache/vespalba) so that a run that asks
// for one town neither loads libgeonames (nor GIO), nor unpacks and reduces
// its 24,000 records, nor checks the places file whole again.
//
// Two files, each written once, whole, to a temporary file renamed over the
// old one (a reader sees the old file or the new one, never a part):
//   libgeonames.cache  libgeonames' towns as the gazetteer reads them (their
//                      fields, reduced names, ids in order, a town of each
//                      region and country, the Spanish catalogue and an
//                      index of the names' words), keyed by the library file
//                      the dynamic linker found, /etc/ld.so.cache,
//                      LD_LIBRARY_PATH and its folders, the catalogue (a missing one is a key too),
//                      the format, the program's version and Qt's (the names' reduction follows
//                      Qt's Unicode tables);
//   poblados.cache     the stamp of the places file last checked whole
//                      (path, device, inode, size, and modification and
//                      change times in nanoseconds) and the index of its
//                      names' words.
// A file that is missing, of another key, truncated or whose header, key or
// sections do not add up is ignored, silently: the gazetteer is then made
// as without a cache (and the file written again). Every read inside a
// section is bounds-checked, so that no content can make a read leave the
// file or a loop run on; the contents are not checked whole (that would
// cost what the cache saves).
//
// The layout, native byte order (the file never leaves the machine): the
// magic "VESPCACH", the format, the kind ('G' libgeonames, 'P' places), the
// file's length, the key's length, the number of sections, the key, each
// section's offset and length, a 64-bit FNV-1a hash of all that; then the
// sections, each at a multiple of 8 bytes.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vespalba {

// The folder of the program's cache: $XDG_CACHE_HOME/vespalba (an absolute
// path only), else ~/.cache/vespalba. Empty when there is no home, and
// when a library in LD_PRELOAD replaces dlopen (a wrapper that may refuse
// or redirect libraries, as the tests' machine without libgeonames): a
// cache would hide what it does.
QString CarpetaCacheNomenclator();

// A file's identity: device, inode, size, and modification and change times
// (nanoseconds). The change time moves at every write, and no program can
// set it back.
struct SelloArchivo {
    std::uint64_t dispositivo = 0, nodo = 0, largo = 0;
    std::int64_t modificado = 0, cambiado = 0;
    bool operator==(const SelloArchivo&) const = default;
};
// Of an open file, or of a path (following links); none when it cannot be had.
std::optional<SelloArchivo> SelloDeDescriptor(int fd);
std::optional<SelloArchivo> SelloDeRuta(const QString& ruta);

// The sections of a cache file: none when the bytes are not a whole file of
// kind `tipo`, with exactly `clave` as key and `numSecciones` sections, all
// inside the bytes.
std::optional<std::vector<std::string_view>> LeeContenedorCache(std::string_view bytes, char tipo,
                                                                std::string_view clave,
                                                                std::size_t numSecciones);
// The key stored in a cache file of kind `tipo`, without checking it (for
// the parts of the key that name files: the library found).
std::optional<std::string_view> ClaveDeContenedorCache(std::string_view bytes, char tipo);
// Recomputes the header's hash of a cache file's bytes, when the header is
// there: for the tests and the fuzz target, so that a header damaged on
// purpose gets past the hash to the checks after it.
void RehaceHashContenedorCache(std::string& bytes);
// A cache file of these sections.
std::string EscribeContenedorCache(char tipo, std::string_view clave,
                                   const std::vector<std::string>& secciones);

// A cache file mapped into memory, kept for the life of what reads it.
class CacheMapeada {
public:
    // `nombre` in `carpeta`; none when missing or unreadable.
    static std::unique_ptr<CacheMapeada> Abre(const QString& carpeta, const QString& nombre);
    ~CacheMapeada();
    CacheMapeada(const CacheMapeada&) = delete;
    CacheMapeada& operator=(const CacheMapeada&) = delete;
    std::string_view Bytes() const { return bytes_; }

private:
    CacheMapeada() = default;
    std::string_view bytes_;
    void* mapa_ = nullptr;
    std::size_t largo_ = 0;
};

// Whether files can be written in `carpeta`, made when missing (with the
// folder above it, but not with those above that).
bool CarpetaEscribible(const QString& carpeta);
// Writes `bytes` as `nombre` in `carpeta` (made as CarpetaEscribible does): to a
// temporary file there, then renamed over the old one. False, leaving
// nothing behind, when it cannot.
bool GuardaCache(const QString& carpeta, const QString& nombre, std::string_view bytes);

// ------------------------------------------------- index of names' words

// A block of reduced names laid out as "\nname\nname\n" and, for each
// position where a word starts (a name's start, or after a blank), that
// position and the number of its name, ordered by the text from there to
// the name's end. A search for the names where a text starts a word is then
// a binary search, not a pass over the block.
struct EntradaPalabra {
    std::uint32_t posicion;
    std::uint32_t nombre;
};
// The index of `bloque`, whose name k starts at inicios[k], as bytes.
std::string IndicePalabras(std::string_view bloque, std::span<const std::uint32_t> inicios);
// The names (numbers under `numNombres`) where `q` (no "\n", not empty)
// starts a word, each once, in increasing order, with whether q is the whole
// name; as a pass over the block would give them. `indice` is what
// IndicePalabras gave (any bytes are read safely; a damaged index may miss
// names, never gives one that does not hold q).
struct NombreHallado {
    std::uint32_t nombre;
    bool completo;
};
void BuscaPalabras(std::string_view bloque, std::string_view indice, std::size_t numNombres,
                   std::string_view q, std::vector<NombreHallado>& hallados);

// ------------------------------------------------- libgeonames' towns

// One town as libgeonames gives it.
struct CiudadGeonames {
    std::string id, nombre, admin1, region, codigoPais, pais, zona;
    std::uint32_t habitantes = 0;
    double latitud = 0.0, longitud = 0.0;
};

// libgeonames' towns and their Spanish catalogue as the gazetteer reads
// them, over bytes that ImagenGeonames::Construye made (in memory, or a
// cache file mapped). Every accessor is bounds-checked: an index out of
// range or an offset outside its section gives an empty value.
class ImagenGeonames {
public:
    // The sections of the image, built from the towns in libgeonames' order
    // and the catalogue (key to Spanish text), with `clave` as key; the
    // index of the names' words only `conIndice` (it costs more to make
    // than a few searches without it: for an image kept in the cache).
    static std::string Construye(const std::vector<CiudadGeonames>& ciudades,
                                 const std::unordered_map<std::string_view, std::string_view>& es,
                                 std::string_view clave, bool conIndice = true);
    // The image in `bytes` (which must outlive it), when it is a whole one
    // of that key.
    static std::optional<ImagenGeonames> Lee(std::string_view bytes, std::string_view clave);

    struct Ficha {
        std::string_view id, nombre, admin1, region, codigoPais, pais, zona;
        std::uint32_t habitantes = 0;
        double latitud = 0.0, longitud = 0.0;
    };
    int NumCiudades() const { return numCiudades_; }
    Ficha Ciudad(int i) const;
    std::uint32_t Habitantes(int i) const;

    // The reduced names: English, then Spanish when it differs; name k
    // starts at Inicio(k) of Plegados() and belongs to town Dueno(k) (-1
    // when out of range).
    std::string_view Plegados() const { return plegados_; }
    int NumNombres() const { return numNombres_; }
    std::uint32_t Inicio(int k) const;
    int Dueno(int k) const;
    // Empty when the image was made without it.
    std::string_view IndicePalabras() const { return palabras_; }

    // Whether a town has GeoNames id `id`.
    bool TieneId(std::uint32_t id) const;
    int NumIds() const { return int(ids_.size() / 4); }
    std::uint32_t IdOrdenado(int g) const;

    // The first town (in libgeonames' order) of a region ("CL.01") or of a
    // country ("CL"); -1 when none.
    int CiudadDeRegion(std::string_view clave) const;
    int CiudadDePais(std::string_view codigo) const;
    // The catalogue's text for a key; none when it has none.
    std::optional<std::string_view> Catalogo(std::string_view clave) const;

private:
    std::string_view Texto(std::uint32_t pos) const;
    int BuscaClave(std::string_view tabla, std::string_view clave) const;
    int numCiudades_ = 0, numNombres_ = 0;
    std::string_view textos_, fichas_, plegados_, inicios_, duenos_, ids_, regiones_, paises_,
        catalogo_, textosCatalogo_, palabras_;
};

}  // namespace Vespalba

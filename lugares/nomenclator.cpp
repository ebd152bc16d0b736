// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/nomenclator.h"

#include <dlfcn.h>
#include <geonames.h>
#include <link.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lugares/cache_nomenclator.h"
#include "lugares/catalogo_mo.h"
#include "lugares/nombres.h"
#include "lugares/poblados.h"
#include "lugares/regiones.h"
#include "lugares/zona_geo.h"

namespace Vespalba {

namespace {

// The library's entry points used, resolved at run time.
struct ApiGeonames {
    decltype(&geonames_get_n_cities) numero = nullptr;
    decltype(&geonames_get_city) ciudad = nullptr;
    decltype(&geonames_city_free) libera = nullptr;
};

// GeoNames' records: "(sssssssudd)", id (the key of the town's name in the
// catalogue), English name, region code in its country, English name of
// the region, ISO 3166 code, English name of the country, IANA zone,
// population, latitude (north positive) and longitude (east positive).
constexpr char TipoRegistro[] = "(sssssssudd)";

// The key of libgeonames' cache: what the cached towns were made from and
// by. `rutaSo` is the library file the dynamic linker found; a file that
// cannot be looked at makes no key.
std::optional<std::string> ClaveGeonames(const char* biblioteca, const char* catalogo,
                                         const std::string& rutaSo) {
    auto sello = [](const std::optional<SelloArchivo>& s) {
        return s ? std::to_string(s->dispositivo) + ':' + std::to_string(s->nodo) + ':' +
                       std::to_string(s->largo) + ':' + std::to_string(s->modificado) + ':' +
                       std::to_string(s->cambiado)
                 : std::string("no");
    };
    const std::optional<SelloArchivo> so = SelloDeRuta(QString::fromStdString(rutaSo));
    if (rutaSo.empty() || !so) {
        return std::nullopt;
    }
    // Where dlopen looks before ld.so.cache: the folders of LD_LIBRARY_PATH
    // (an empty one is the current folder), whose times change when a file
    // is added to them.
    const QString ruta = qEnvironmentVariable("LD_LIBRARY_PATH");
    std::string carpetas = ";ld_library_path " + ruta.toStdString();
    if (!ruta.isEmpty()) {
        for (const QString& c : ruta.split(QRegularExpression(QStringLiteral("[:;]")))) {
            carpetas += '|' + sello(SelloDeRuta(c.isEmpty() ? QStringLiteral(".") : c));
        }
    }
    return std::string("nomenclator 1;programa " VESPALBA_VERSION ";qt ") + qVersion() + carpetas +
           ";biblioteca " + biblioteca + ";so=" + std::to_string(rutaSo.size()) + ':' + rutaSo +
           '|' + sello(so) + ";ld.so.cache " +
           sello(SelloDeRuta(QStringLiteral("/etc/ld.so.cache"))) + ";catalogo " + catalogo + '|' +
           sello(SelloDeRuta(QString::fromUtf8(catalogo)));
}

// The library file named in a stored key ("so=<length>:<path>|").
std::string RutaSoDeClave(std::string_view clave) {
    const std::size_t so = clave.find(";so=");
    if (so == std::string_view::npos) {
        return {};
    }
    std::size_t largo = 0, i = so + 4;
    for (; i < clave.size() && clave[i] >= '0' && clave[i] <= '9' && largo < 4096; ++i) {
        largo = largo * 10 + std::size_t(clave[i] - '0');
    }
    if (i >= clave.size() || clave[i] != ':' || largo > clave.size() - i - 1) {
        return {};
    }
    return std::string(clave.substr(i + 1, largo));
}

// The key of the places file's cache (its stamp is stored beside it).
std::string ClavePoblados(const QString& ruta) {
    return std::string("poblados 1;programa " VESPALBA_VERSION ";qt ") + qVersion() + ";ruta " +
           ruta.toStdString();
}

std::string BytesDeSello(const SelloArchivo& s) {
    std::string b(40, '\0');
    std::memcpy(b.data(), &s.dispositivo, 8);
    std::memcpy(b.data() + 8, &s.nodo, 8);
    std::memcpy(b.data() + 16, &s.largo, 8);
    std::memcpy(b.data() + 24, &s.modificado, 8);
    std::memcpy(b.data() + 32, &s.cambiado, 8);
    return b;
}
std::optional<SelloArchivo> SelloDeBytes(std::string_view b) {
    if (b.size() != 40) {
        return std::nullopt;
    }
    SelloArchivo s;
    std::memcpy(&s.dispositivo, b.data(), 8);
    std::memcpy(&s.nodo, b.data() + 8, 8);
    std::memcpy(&s.largo, b.data() + 16, 8);
    std::memcpy(&s.modificado, b.data() + 24, 8);
    std::memcpy(&s.cambiado, b.data() + 32, 8);
    return s;
}

// Whether `partes` is a run of whole words of `nombre` (both reduced):
// "los lagos" and "region de los lagos" in "region de los lagos", not "lago".
bool ContienePalabras(std::string_view nombre, std::string_view partes) {
    if (partes.empty()) {
        return false;
    }
    for (std::size_t i = nombre.find(partes); i != std::string_view::npos;
         i = nombre.find(partes, i + 1)) {
        const std::size_t fin = i + partes.size();
        if ((i == 0 || nombre[i - 1] == ' ') && (fin == nombre.size() || nombre[fin] == ' ')) {
            return true;
        }
    }
    return false;
}

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The names of a block of reduced names, laid out as "\nname\nname\n"
// (`numNombres` of them, name k starting at inicio(k)), that hold `q`: f(k,
// completo) for name k, once per name, `completo` when q is the whole name.
// With `desdePalabra`, only names where q starts one of their words
// ("montt" in "puerto montt", not "ontt"); otherwise anywhere. q holds no
// "\n", so an occurrence never spans two names. Whatever the starts given,
// every read stays inside the block and each step moves forward.
template <class Inicio, class F>
void Recorre(std::string_view bloque, std::size_t numNombres, Inicio&& inicio, std::string_view q,
             bool desdePalabra, F&& f) {
    if (q.empty() || numNombres == 0 || bloque.empty()) {
        return;
    }
    const char* const base = bloque.data();
    const char* const fin = base + bloque.size();
    for (const char* p = base; p < fin;) {
        const void* hallado = memmem(p, std::size_t(fin - p), q.data(), q.size());
        if (hallado == nullptr) {
            break;
        }
        const std::size_t pos = std::size_t(static_cast<const char*>(hallado) - base);
        // The first name that starts after pos (an upper bound): the one
        // before it holds pos.
        std::size_t a = 0, b = numNombres;
        while (a < b) {
            const std::size_t m = a + (b - a) / 2;
            if (std::size_t(inicio(m)) <= pos) {
                a = m + 1;
            } else {
                b = m;
            }
        }
        if (a == 0) {  // before the first name: not a block
            break;
        }
        const std::size_t k = a - 1;
        const std::size_t primero = inicio(k);
        const std::size_t final = std::min(
            a == numNombres ? bloque.size() - 1 : std::size_t(inicio(a)) - 1, bloque.size() - 1);
        if (!desdePalabra || pos == primero || base[pos - 1] == ' ') {
            // The leftmost occurrence is the whole name if any is.
            f(k, pos == primero && pos + q.size() == final);
            p = base + std::max(final, pos + 1);
        } else {
            p = base + pos + 1;  // a later occurrence may start a word
        }
    }
}

// The name from `inicio` to `fin` (its "\n") of a block; empty when the
// two do not make a name inside the block.
std::string_view NombreEnBloque(std::string_view bloque, std::size_t inicio, std::size_t fin) {
    fin = std::min(fin, bloque.size());
    return inicio >= fin ? std::string_view() : bloque.substr(inicio, fin - inicio);
}

}  // namespace

struct Nomenclator::Datos {
    // libgeonames' towns are records 0 to numGeo - 1, read from an image of
    // them (cache_nomenclator.h): the user's cache mapped, or one made here
    // from the library.
    std::unique_ptr<CacheMapeada> cacheGeo;
    std::string imagenPropia;
    ImagenGeonames geo;
    bool geoDeCache = false;
    int numGeo = 0;

    // The places of 1,000 people or more: record numGeo + j is the file's
    // place j, unless libgeonames has it (Repetido(j)), when no record is.
    std::unique_ptr<ArchivoPoblados> poblados;
    // The index of their names' words: the user's cache mapped, or made
    // here; empty when there is none (the searches then pass over the
    // names).
    std::unique_ptr<CacheMapeada> cachePoblados;
    std::string indicePropio;
    std::string_view indicePoblados;
    bool pobladosDeCache = false;
    mutable std::once_flag hayRepetidos;
    mutable int numRepetidos = 0;
    QString aviso;  // why the file's places are missing; empty when they are there

    bool Repetido(int j) const { return geo.TieneId(poblados->Id(j)); }
    int NumRepetidos() const {
        std::call_once(hayRepetidos, [this] {
            // Both lists in increasing order of id, walked together.
            const int n = poblados->NumPoblados();
            int g = 0;
            for (int j = 0; j < n && g < geo.NumIds(); ++j) {
                const std::uint32_t id = poblados->Id(j);
                while (g < geo.NumIds() && geo.IdOrdenado(g) < id) {
                    ++g;
                }
                if (g < geo.NumIds() && geo.IdOrdenado(g) == id) {
                    ++numRepetidos;
                }
            }
        });
        return numRepetidos;
    }

    int NumPoblados() const {
        return numGeo + (poblados ? poblados->NumPoblados() - NumRepetidos() : 0);
    }
    bool DeLibgeonames(int i) const { return i < numGeo; }

    unsigned Habitantes(int i) const {
        return DeLibgeonames(i) ? geo.Habitantes(i) : poblados->Habitantes(i - numGeo);
    }

    // The Spanish text of a catalogue key, or `ingles` when it has none.
    std::string_view Espanol(std::string_view clave, std::string_view ingles) const {
        const std::optional<std::string_view> t = geo.Catalogo(clave);
        return !t || t->empty() ? ingles : *t;
    }

    // Where a record lies: country and region codes, and the English names
    // of the region and country (libgeonames' own for its towns; for the
    // file's places, those of the first libgeonames town of the same region
    // or country, empty when it has none there).
    struct Ubicacion {
        std::string codigoPais;
        std::string admin1;
        std::string_view region;
        std::string_view pais;
    };
    Ubicacion UbicacionDe(std::string_view codigoPais, std::string_view admin1) const {
        Ubicacion u{std::string(codigoPais), std::string(admin1), {}, {}};
        if (const int r = geo.CiudadDeRegion(u.codigoPais + '.' + u.admin1); r >= 0) {
            u.region = geo.Ciudad(r).region;
        }
        if (const int p = geo.CiudadDePais(u.codigoPais); p >= 0) {
            u.pais = geo.Ciudad(p).pais;
        }
        return u;
    }
    Ubicacion UbicacionDe(int i) const {
        if (DeLibgeonames(i)) {
            const ImagenGeonames::Ficha f = geo.Ciudad(i);
            return {std::string(f.codigoPais), std::string(f.admin1), f.region, f.pais};
        }
        const ArchivoPoblados::Registro r = poblados->Poblado(i - numGeo);
        return UbicacionDe(r.codigoPais, r.region);
    }

    Poblado PobladoDe(int i) const {
        Poblado p;
        if (DeLibgeonames(i)) {
            const ImagenGeonames::Ficha f = geo.Ciudad(i);
            const std::string cc(f.codigoPais);
            p.nombre = Utf8(Espanol(f.id, f.nombre));
            p.nombreIngles = Utf8(f.nombre);
            const std::string clave = cc + '.' + std::string(f.admin1);
            p.region = Utf8(NombreDeRegion(clave, Espanol(clave, {}), f.region));
            p.pais = Utf8(Espanol(cc, f.pais));
            p.codigoPais = Utf8(cc);
            // GeoNames' data predates tzdata 2025b, which gave the Aysén
            // Region (admin1 02) its own zone.
            p.zona = (cc == "CL" && f.admin1 == "02") ? QStringLiteral("America/Coyhaique")
                                                      : Utf8(f.zona);
            p.latitud = f.latitud;
            p.longitud = f.longitud;
            p.habitantes = f.habitantes;
            return p;
        }
        const ArchivoPoblados::Registro r = poblados->Poblado(i - numGeo);
        const Ubicacion u = UbicacionDe(r.codigoPais, r.region);
        p.nombre = Utf8(r.nombre);
        p.nombreIngles = p.nombre;
        const std::string clave = u.codigoPais + '.' + u.admin1;
        p.region = Utf8(NombreDeRegion(clave, Espanol(clave, {}), u.region));
        p.pais = Utf8(Espanol(u.codigoPais, u.pais.empty() ? r.codigoPais : u.pais));
        p.codigoPais = Utf8(r.codigoPais);
        // The zone of the point in the time-zone boundaries: the index was
        // there when the places were joined, and their coordinates are in
        // range.
        if (const auto z = ZonaEn(r.latitud, r.longitud)) {
            p.zona = z->zona;
        }
        p.latitud = r.latitud;
        p.longitud = r.longitud;
        p.habitantes = r.habitantes;
        return p;
    }
    // Whether every narrowing part matches the region or country of `u`.
    bool Cumple(const Ubicacion& u, const std::vector<std::string>& calificadores) const {
        std::string codigo = u.codigoPais;
        for (char& c : codigo) {
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        }
        const std::string nombres[] = {
            NombreComparable(u.region),
            NombreComparable(Espanol(u.codigoPais + '.' + u.admin1, {})),
            NombreComparable(RegionEnEspanol(u.codigoPais + '.' + u.admin1)),
            NombreComparable(u.pais),
            NombreComparable(Espanol(u.codigoPais, {})),
        };
        for (const std::string& c : calificadores) {
            const bool cumple = c == codigo || std::any_of(std::begin(nombres), std::end(nombres),
                                                           [&](const std::string& n) {
                                                               return ContienePalabras(n, c);
                                                           });
            if (!cumple) {
                return false;
            }
        }
        return true;
    }

    // The first `cuantos` of `indices` most populous first, then in record
    // order (what a stable sort by population gives), at the front.
    void PrimerosPorHabitantes(std::vector<int>& indices, std::size_t cuantos) const {
        std::vector<std::pair<unsigned, int>> h;
        h.reserve(indices.size());
        for (int i : indices) {
            h.emplace_back(Habitantes(i), i);
        }
        const auto orden = [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        };
        cuantos = std::min(cuantos, h.size());
        std::partial_sort(h.begin(), h.begin() + std::ptrdiff_t(cuantos), h.end(), orden);
        for (std::size_t k = 0; k < cuantos; ++k) {
            indices[k] = h[k].second;
        }
    }

    void Agrega(const std::vector<int>& indices, int maximo, Encontrados& e) const {
        for (std::size_t k = 0; k < indices.size() && int(e.poblados.size()) < maximo; ++k) {
            e.poblados.push_back(PobladoDe(indices[k]));
        }
    }

    // libgeonames' towns from the image in `bytes`.
    bool TomaImagen(std::string_view bytes, std::string_view clave) {
        std::optional<ImagenGeonames> g = ImagenGeonames::Lee(bytes, clave);
        if (!g) {
            return false;
        }
        geo = *g;
        numGeo = geo.NumCiudades();
        return true;
    }
    // The image in the user's cache folder `carpeta`, when it is whole and
    // of this library and catalogue.
    bool LeeCacheGeonames(const QString& carpeta, const char* biblioteca, const char* catalogo);
    // Joins the places of the file at `ruta` that libgeonames lacks; when
    // they cannot be had, says why in `aviso`. With the index of their
    // words in the cache folder `carpeta`, when given.
    void Junta(const QString& ruta, const QString& carpeta);
};

bool Nomenclator::Datos::LeeCacheGeonames(const QString& carpeta, const char* biblioteca,
                                          const char* catalogo) {
    std::unique_ptr<CacheMapeada> cache =
        CacheMapeada::Abre(carpeta, QStringLiteral("libgeonames.cache"));
    if (!cache) {
        return false;
    }
    const std::optional<std::string_view> guardada = ClaveDeContenedorCache(cache->Bytes(), 'G');
    if (!guardada) {
        return false;
    }
    const std::optional<std::string> clave =
        ClaveGeonames(biblioteca, catalogo, RutaSoDeClave(*guardada));
    if (!clave || *clave != *guardada || !TomaImagen(cache->Bytes(), *clave)) {
        return false;
    }
    cacheGeo = std::move(cache);
    geoDeCache = true;
    return true;
}

void Nomenclator::Datos::Junta(const QString& ruta, const QString& carpeta) {
    const QString sinEllos = QStringLiteral(
        "los pueblos de 1000 habitantes o más no están: %1; se busca solo entre "
        "las ciudades de libgeonames");
    if (ruta.isEmpty()) {
        aviso = sinEllos.arg(QStringLiteral("no se encontró el archivo poblados.idx"));
        return;
    }
    // The stamp of the file last checked whole, and its words' index.
    const QString nombreCache = QStringLiteral("poblados.cache");
    const std::string clave = ClavePoblados(ruta);
    std::unique_ptr<CacheMapeada> cache = CacheMapeada::Abre(carpeta, nombreCache);
    std::optional<SelloArchivo> revisado;
    std::string_view indice;
    if (cache) {
        if (const auto s = LeeContenedorCache(cache->Bytes(), 'P', clave, 2)) {
            revisado = SelloDeBytes((*s)[0]);
            indice = (*s)[1];
        }
    }
    QString problema;
    std::unique_ptr<ArchivoPoblados> archivo = ArchivoPoblados::Abre(ruta, &problema, revisado);
    if (!archivo) {
        aviso = sinEllos.arg(problema);
        return;
    }
    // Their zones come from the boundaries' index.
    if (IndiceZonas::DelPrograma(&problema) == nullptr) {
        aviso = sinEllos.arg(problema);
        return;
    }
    if (!archivo->RevisadoEntero()) {
        cachePoblados = std::move(cache);
        indicePoblados = indice;
        pobladosDeCache = true;
    } else if (archivo->Sello() && CarpetaEscribible(carpeta)) {
        indicePropio = IndicePalabras(archivo->Plegados(), archivo->Inicios());
        indicePoblados = indicePropio;
        GuardaCache(
            carpeta, nombreCache,
            EscribeContenedorCache('P', clave, {BytesDeSello(*archivo->Sello()), indicePropio}));
    }
    poblados = std::move(archivo);
}

Nomenclator::Nomenclator(std::unique_ptr<Datos> datos) : d_(std::move(datos)) {}

Nomenclator::~Nomenclator() = default;

const Nomenclator* Nomenclator::Mundial(QString* problema) {
    static QString motivo;
    static const std::unique_ptr<Nomenclator> mundial =
        AbreConCache(BibliotecaGeonames, CatalogoGeonames, &motivo,
                     ArchivoPoblados::RutaDelPrograma(), CarpetaCacheNomenclator());
    if (!mundial && problema != nullptr) {
        *problema = motivo;
    }
    return mundial.get();
}

std::unique_ptr<Nomenclator> Nomenclator::Abre(const char* biblioteca, const char* catalogo,
                                               QString* problema, const QString& poblados) {
    auto datos = std::make_unique<Datos>();
    if (!DeLaBiblioteca(*datos, biblioteca, catalogo, problema, QString())) {
        return nullptr;
    }
    if (!poblados.isEmpty()) {
        datos->Junta(poblados, QString());
    }
    return std::unique_ptr<Nomenclator>(new Nomenclator(std::move(datos)));
}

std::unique_ptr<Nomenclator> Nomenclator::AbreConCache(const char* biblioteca, const char* catalogo,
                                                       QString* problema, const QString& poblados,
                                                       const QString& carpeta) {
    auto datos = std::make_unique<Datos>();
    if (!datos->LeeCacheGeonames(carpeta, biblioteca, catalogo)) {
        datos = std::make_unique<Datos>();
        if (!DeLaBiblioteca(*datos, biblioteca, catalogo, problema, carpeta)) {
            return nullptr;
        }
    }
    datos->Junta(poblados, carpeta);
    return std::unique_ptr<Nomenclator>(new Nomenclator(std::move(datos)));
}

bool Nomenclator::DeLaBiblioteca(Datos& datos, const char* biblioteca, const char* catalogo,
                                 QString* problema, const QString& carpeta) {
    auto falla = [&](const QString& motivo) {
        if (problema != nullptr) {
            *problema = motivo;
        }
        return false;
    };
    // Never closed: it is not needed after this, but closing a library
    // that pulled in GIO is not safe.
    void* so = dlopen(biblioteca, RTLD_NOW | RTLD_LOCAL);
    if (so == nullptr) {
        const char* error = dlerror();
        return falla(QStringLiteral("no se pudo cargar el nomenclátor mundial, %1 (%2); "
                                    "instale el paquete libgeonames0")
                         .arg(QString::fromUtf8(biblioteca),
                              QString::fromUtf8(error != nullptr ? error : "")));
    }
    ApiGeonames api;
    api.numero =
        reinterpret_cast<decltype(&geonames_get_n_cities)>(dlsym(so, "geonames_get_n_cities"));
    api.ciudad = reinterpret_cast<decltype(&geonames_get_city)>(dlsym(so, "geonames_get_city"));
    api.libera = reinterpret_cast<decltype(&geonames_city_free)>(dlsym(so, "geonames_city_free"));
    if (api.numero == nullptr || api.ciudad == nullptr || api.libera == nullptr) {
        return falla(QStringLiteral("%1 no es la biblioteca libgeonames esperada; "
                                    "instale el paquete libgeonames0")
                         .arg(QString::fromUtf8(biblioteca)));
    }
    // The key of the cache, from the files as they are before they are read
    // (a file changed meanwhile makes a key that the next run refuses).
    std::optional<std::string> clave;
    if (CarpetaEscribible(carpeta)) {
        link_map* mapa = nullptr;
        if (dlinfo(so, RTLD_DI_LINKMAP, &mapa) == 0 && mapa != nullptr && mapa->l_name != nullptr) {
            clave = ClaveGeonames(biblioteca, catalogo, mapa->l_name);
        }
    }
    // The first call unpacks the records.
    const int n = api.numero();
    if (n <= 0) {
        return falla(QStringLiteral("el nomenclátor mundial de %1 está vacío")
                         .arg(QString::fromUtf8(biblioteca)));
    }
    auto malaForma = [&] {
        return falla(QStringLiteral("los registros de %1 no tienen la forma esperada %2")
                         .arg(QString::fromUtf8(biblioteca), QLatin1String(TipoRegistro)));
    };
    // Every record has the type of the first: they are the items of one
    // array.
    {
        GVariant* r = api.ciudad(0);
        const bool forma = r != nullptr && g_variant_is_of_type(r, G_VARIANT_TYPE(TipoRegistro));
        if (r != nullptr) {
            api.libera(r);
        }
        if (!forma) {
            return malaForma();
        }
    }
    // Each field taken alone: cheaper than g_variant_get, which reads its
    // format string at every call.
    std::vector<CiudadGeonames> ciudades(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        GVariant* r = api.ciudad(i);
        CiudadGeonames& c = ciudades[std::size_t(i)];
        std::string* textos[] = {&c.id,         &c.nombre, &c.admin1, &c.region,
                                 &c.codigoPais, &c.pais,   &c.zona};
        for (gsize campo = 0; campo < std::size(textos); ++campo) {
            GVariant* v = g_variant_get_child_value(r, campo);
            *textos[campo] = g_variant_get_string(v, nullptr);
            g_variant_unref(v);
        }
        GVariant* v = g_variant_get_child_value(r, 7);
        c.habitantes = g_variant_get_uint32(v);
        g_variant_unref(v);
        v = g_variant_get_child_value(r, 8);
        c.latitud = g_variant_get_double(v);
        g_variant_unref(v);
        v = g_variant_get_child_value(r, 9);
        c.longitud = g_variant_get_double(v);
        g_variant_unref(v);
        api.libera(r);
    }

    std::string bytesCatalogo;
    QFile mo(QString::fromUtf8(catalogo));
    if (mo.open(QIODevice::ReadOnly)) {
        bytesCatalogo = mo.readAll().toStdString();
    }
    // The names reduced once, the ids in order, a town of each region and
    // country, the catalogue: an image of what the searches read, kept in
    // the cache for the next runs.
    datos.imagenPropia = ImagenGeonames::Construye(ciudades, LeeCatalogoMo(bytesCatalogo),
                                                   clave.value_or(""), clave.has_value());
    if (!datos.TomaImagen(datos.imagenPropia, clave.value_or(""))) {
        return falla(QStringLiteral("el nomenclátor mundial de %1 está vacío")
                         .arg(QString::fromUtf8(biblioteca)));
    }
    if (clave) {
        GuardaCache(carpeta, QStringLiteral("libgeonames.cache"), datos.imagenPropia);
    }
    return true;
}

int Nomenclator::NumPoblados() const { return d_->NumPoblados(); }

int Nomenclator::NumPobladosLibgeonames() const { return d_->numGeo; }

const QString& Nomenclator::Aviso() const { return d_->aviso; }

bool Nomenclator::GeonamesDeLaCache() const { return d_->geoDeCache; }

bool Nomenclator::PobladosDeLaCache() const { return d_->pobladosDeCache; }

void Nomenclator::Prepara() const {
    if (d_->poblados) {
        d_->PobladoDe(d_->numGeo);
    }
}

QString Poblado::NombreCompleto() const {
    QStringList partes;
    for (const QString* p : {&nombre, &region, &pais}) {
        if (!p->isEmpty()) {
            partes << *p;
        }
    }
    return partes.join(QStringLiteral(", "));
}

void Nomenclator::Coincidencias(const QString& texto, bool desdePalabra,
                                std::vector<int>& completos, std::vector<int>& parciales) const {
    const NombreCalificado q = PartesDelNombre(texto);
    if (q.nombre.empty()) {
        return;
    }
    const Datos& d = *d_;
    // The names of a block that hold the name asked for, in the block's
    // order: from the index of its words when there is one and the name
    // must start a word; otherwise in a pass over the block.
    std::vector<NombreHallado> hallados;
    auto recorre = [&](std::string_view bloque, std::string_view indice, std::size_t numNombres,
                       auto&& inicio, auto&& f) {
        if (desdePalabra && !indice.empty()) {
            BuscaPalabras(bloque, indice, numNombres, q.nombre, hallados);
            for (const NombreHallado& h : hallados) {
                f(std::size_t(h.nombre), h.completo);
            }
        } else {
            Recorre(bloque, numNombres, inicio, q.nombre, desdePalabra, f);
        }
    };
    // libgeonames' towns: a town's two names are next to each other, so its
    // matches come together; the whole name wins over a part.
    int ultimo = -1;
    recorre(
        d.geo.Plegados(), d.geo.IndicePalabras(), std::size_t(d.geo.NumNombres()),
        [&](std::size_t k) { return d.geo.Inicio(int(k)); },
        [&](std::size_t k, bool completo) {
            const int i = d.geo.Dueno(int(k));
            if (i < 0) {
                return;
            }
            if (i == ultimo) {
                if (completo && !parciales.empty() && parciales.back() == i) {
                    parciales.pop_back();
                    completos.push_back(i);
                }
                return;
            }
            ultimo = i;
            (completo ? completos : parciales).push_back(i);
        });
    if (!q.calificadores.empty()) {
        for (std::vector<int>* v : {&completos, &parciales}) {
            std::erase_if(*v, [&](int i) { return !d.Cumple(d.UbicacionDe(i), q.calificadores); });
        }
    }
    if (!d.poblados) {
        return;
    }
    // The file's places: one name each. Narrowed region by region, each
    // region's names worked out once.
    const ArchivoPoblados& a = *d.poblados;
    std::vector<signed char> cumpleRegion(
        q.calificadores.empty() ? 0 : std::size_t(a.NumRegiones()), -1);
    auto cumple = [&](int j) {
        if (q.calificadores.empty()) {
            return true;
        }
        const int r = a.Poblado(j).indiceRegion;
        signed char& c = cumpleRegion[std::size_t(r)];
        if (c < 0) {
            const ArchivoPoblados::Region region = a.RegionNumero(r);
            c = d.Cumple(d.UbicacionDe(region.codigoPais, region.codigo), q.calificadores) ? 1 : 0;
        }
        return c == 1;
    };
    recorre(
        a.Plegados(), d.indicePoblados, std::size_t(a.NumPoblados()),
        [&](std::size_t j) { return a.Inicios()[j]; },
        [&](std::size_t j, bool completo) {
            if (!d.Repetido(int(j)) && cumple(int(j))) {
                (completo ? completos : parciales).push_back(d.numGeo + int(j));
            }
        });
}

Encontrados Nomenclator::Busca(const QString& texto, int maximo) const {
    std::vector<int> completos;
    std::vector<int> parciales;
    Coincidencias(texto, true, completos, parciales);
    std::vector<int>& elegidos = completos.empty() ? parciales : completos;
    Encontrados e;
    e.total = int(elegidos.size());
    e.completos = !completos.empty();
    d_->PrimerosPorHabitantes(elegidos, std::size_t(std::max(maximo, 0)));
    d_->Agrega(elegidos, maximo, e);
    return e;
}

Encontrados Nomenclator::BuscaTexto(const QString& texto, int maximo) const {
    std::vector<int> completos;
    std::vector<int> parciales;
    Coincidencias(texto, false, completos, parciales);
    Encontrados e;
    e.total = int(completos.size() + parciales.size());
    e.completos = !completos.empty();
    const std::size_t cuantos = std::size_t(std::max(maximo, 0));
    d_->PrimerosPorHabitantes(completos, cuantos);
    d_->PrimerosPorHabitantes(parciales, cuantos - std::min(cuantos, completos.size()));
    d_->Agrega(completos, maximo, e);
    d_->Agrega(parciales, maximo, e);
    return e;
}

std::vector<Poblado> Nomenclator::Parecidos(const QString& texto, int maximo) const {
    const std::string q = PartesDelNombre(texto).nombre;
    std::vector<Poblado> parecidos;
    if (q.empty()) {
        return parecidos;
    }
    // Letters that may differ: one in four, at least one (among thousands
    // of names, two letters off a short name is too many).
    const int tolerancia = std::max<int>(1, int(q.size()) / 4);
    // Closeness of a reduced name: 0 the same, 1 contains it from the start
    // of a word, 2 + the edit distance when within the tolerance; -1 far.
    auto cercania = [&](std::string_view n) {
        if (n == q) {
            return 0;
        }
        if (q.size() >= 3 && ContieneDesdePalabra(n, q)) {
            return 1;
        }
        const int diferencia = int(n.size()) - int(q.size());
        if (diferencia > tolerancia || -diferencia > tolerancia) {
            return -1;
        }
        const int d = DistanciaEdicion(n, std::string_view(q));
        return d <= tolerancia ? 2 + d : -1;
    };
    struct Candidato {
        int cercania;
        unsigned habitantes;
        int indice;
    };
    std::vector<Candidato> candidatos;
    // Each name of a block of reduced names laid out as "\nname\nname\n",
    // given its number.
    auto recorre = [&](std::string_view bloque, std::size_t numNombres, auto&& inicio, auto&& f) {
        for (std::size_t k = 0; k < numNombres; ++k) {
            const std::size_t siguiente = k + 1 < numNombres ? inicio(k + 1) : bloque.size();
            f(k, NombreEnBloque(bloque, inicio(k), siguiente == 0 ? 0 : siguiente - 1));
        }
    };
    const Datos& d = *d_;
    // A town's two names are next to each other: the closer counts.
    recorre(
        d.geo.Plegados(), std::size_t(d.geo.NumNombres()),
        [&](std::size_t k) { return std::size_t(d.geo.Inicio(int(k))); },
        [&](std::size_t k, std::string_view n) {
            const int c = cercania(n);
            const int i = d.geo.Dueno(int(k));
            if (c < 0 || i < 0) {
                return;
            }
            if (!candidatos.empty() && candidatos.back().indice == i) {
                candidatos.back().cercania = std::min(candidatos.back().cercania, c);
            } else {
                candidatos.push_back({c, d.Habitantes(i), i});
            }
        });
    if (d.poblados) {
        const std::vector<std::uint32_t>& inicios = d.poblados->Inicios();
        recorre(
            d.poblados->Plegados(), inicios.size(),
            [&](std::size_t j) { return std::size_t(inicios[j]); },
            [&](std::size_t j, std::string_view n) {
                if (const int c = cercania(n); c >= 0 && !d.Repetido(int(j))) {
                    const int i = d.numGeo + int(j);
                    candidatos.push_back({c, d.Habitantes(i), i});
                }
            });
    }
    const std::size_t cuantos = std::min(std::size_t(std::max(maximo, 0)), candidatos.size());
    std::partial_sort(candidatos.begin(), candidatos.begin() + std::ptrdiff_t(cuantos),
                      candidatos.end(), [](const Candidato& x, const Candidato& y) {
                          return x.cercania != y.cercania       ? x.cercania < y.cercania
                                 : x.habitantes != y.habitantes ? x.habitantes > y.habitantes
                                                                : x.indice < y.indice;
                      });
    for (std::size_t k = 0; k < cuantos; ++k) {
        parecidos.push_back(d.PobladoDe(candidatos[k].indice));
    }
    return parecidos;
}

}  // namespace Vespalba

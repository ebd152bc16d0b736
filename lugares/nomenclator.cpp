// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/nomenclator.h"

#include <dlfcn.h>
#include <geonames.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

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

// The fields of a record: GeoNames' "(sssssssudd)", in this order.
enum Campo : gsize {
    CampoId,          // geonameid, the key of the town's name in the catalogue
    CampoNombre,      // English name
    CampoAdmin1,      // code of the region in its country
    CampoRegion,      // English name of the region
    CampoCodigoPais,  // ISO 3166
    CampoPais,        // English name of the country
    CampoZona,        // IANA zone
    CampoHabitantes,  // guint32
    CampoLatitud,     // double, north positive
    CampoLongitud,    // double, east positive
};
constexpr char TipoRegistro[] = "(sssssssudd)";

// Text of a string field. It points into the library's unpacked data,
// which lives as long as the library: the library is never closed.
const char* Texto(GVariant* registro, Campo campo) {
    GVariant* v = g_variant_get_child_value(registro, campo);
    const char* s = g_variant_get_string(v, nullptr);
    g_variant_unref(v);
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
// (`inicios`: where each name starts), that hold `q`: f(k, completo) for
// name k, once per name, `completo` when q is the whole name. With
// `desdePalabra`, only names where q starts one of their words ("montt" in
// "puerto montt", not "ontt"); otherwise anywhere. q holds no "\n", so an
// occurrence never spans two names.
template <class F>
void Recorre(std::string_view bloque, const std::vector<std::uint32_t>& inicios, std::string_view q,
             bool desdePalabra, F&& f) {
    if (q.empty() || inicios.empty()) {
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
        const auto it = std::upper_bound(inicios.begin(), inicios.end(), pos);
        if (it == inicios.begin()) {  // before the first name: not a block
            break;
        }
        const std::size_t k = std::size_t(it - inicios.begin()) - 1;
        const std::size_t inicio = inicios[k];
        const std::size_t final = it == inicios.end() ? bloque.size() - 1 : *it - 1;
        if (!desdePalabra || pos == inicio || base[pos - 1] == ' ') {
            // The leftmost occurrence is the whole name if any is.
            f(k, pos == inicio && pos + q.size() == final);
            p = base + final;
        } else {
            p = base + pos + 1;  // a later occurrence may start a word
        }
    }
}

}  // namespace

struct Nomenclator::Datos {
    ApiGeonames api;
    std::string catalogo;  // the .mo file's bytes, which `es` points into
    std::unordered_map<std::string_view, std::string_view> es;

    // libgeonames' towns are records 0 to numGeo - 1. Their reduced names
    // (the English one, and the Spanish one when it differs), gathered once
    // in the layout of the places file's: "\nname\nname\n", name k starting
    // at iniciosGeo[k] and belonging to town duenoGeo[k].
    int numGeo = 0;
    std::string plegadosGeo;
    std::vector<std::uint32_t> iniciosGeo;
    std::vector<int> duenoGeo;
    std::vector<std::uint32_t> idsGeo;  // GeoNames' ids, in increasing order

    // The places of 1,000 people or more: record numGeo + j is the file's
    // place j, unless libgeonames has it (repetidos[j]), when no record is.
    std::unique_ptr<ArchivoPoblados> poblados;
    std::vector<bool> repetidos;
    int numRepetidos = 0;
    QString aviso;  // why the file's places are missing; empty when they are there

    // A town of libgeonames in each region ("CL.01") and country ("CL"),
    // whose English names the file's places there take; gathered on first
    // use, which only the file's places make.
    mutable std::once_flag hayUbicaciones;
    mutable std::unordered_map<std::string, int> regionGeo;
    mutable std::unordered_map<std::string, int> paisGeo;
    void Ubicaciones() const {
        std::call_once(hayUbicaciones, [this] {
            for (int i = 0; i < numGeo; ++i) {
                GVariant* r = api.ciudad(i);
                const std::string cc = Texto(r, CampoCodigoPais);
                regionGeo.try_emplace(cc + '.' + Texto(r, CampoAdmin1), i);
                paisGeo.try_emplace(cc, i);
                api.libera(r);
            }
        });
    }

    int NumPoblados() const {
        return numGeo + (poblados ? poblados->NumPoblados() - numRepetidos : 0);
    }
    bool DeLibgeonames(int i) const { return i < numGeo; }

    // The whole of libgeonames' record i.
    struct Ficha {
        const char* id;
        const char* nombre;
        const char* admin1;
        const char* region;
        const char* codigoPais;
        const char* pais;
        const char* zona;
        unsigned habitantes;
        double latitud;
        double longitud;
    };
    Ficha Lee(int i) const {
        GVariant* r = api.ciudad(i);
        Ficha f{Texto(r, CampoId),
                Texto(r, CampoNombre),
                Texto(r, CampoAdmin1),
                Texto(r, CampoRegion),
                Texto(r, CampoCodigoPais),
                Texto(r, CampoPais),
                Texto(r, CampoZona),
                0u,
                0.0,
                0.0};
        GVariant* v = g_variant_get_child_value(r, CampoHabitantes);
        f.habitantes = g_variant_get_uint32(v);
        g_variant_unref(v);
        v = g_variant_get_child_value(r, CampoLatitud);
        f.latitud = g_variant_get_double(v);
        g_variant_unref(v);
        v = g_variant_get_child_value(r, CampoLongitud);
        f.longitud = g_variant_get_double(v);
        g_variant_unref(v);
        api.libera(r);
        return f;
    }

    unsigned Habitantes(int i) const {
        if (!DeLibgeonames(i)) {
            return poblados->Habitantes(i - numGeo);
        }
        GVariant* r = api.ciudad(i);
        GVariant* v = g_variant_get_child_value(r, CampoHabitantes);
        const unsigned h = g_variant_get_uint32(v);
        g_variant_unref(v);
        api.libera(r);
        return h;
    }

    // The Spanish text of a catalogue key, or `ingles` when it has none.
    std::string_view Espanol(std::string_view clave, std::string_view ingles) const {
        const auto it = es.find(clave);
        return it == es.end() || it->second.empty() ? ingles : it->second;
    }

    // Where a record lies: country and region codes, and the English names
    // of the region and country (libgeonames' own for its towns; for the
    // file's places, those of a libgeonames town of the same region or
    // country, empty when it has none there).
    struct Ubicacion {
        std::string codigoPais;
        std::string admin1;
        std::string_view region;
        std::string_view pais;
    };
    Ubicacion UbicacionDe(std::string_view codigoPais, std::string_view admin1) const {
        Ubicacion u{std::string(codigoPais), std::string(admin1), {}, {}};
        Ubicaciones();
        if (const auto r = regionGeo.find(u.codigoPais + '.' + u.admin1); r != regionGeo.end()) {
            u.region = Lee(r->second).region;
        }
        if (const auto p = paisGeo.find(u.codigoPais); p != paisGeo.end()) {
            u.pais = Lee(p->second).pais;
        }
        return u;
    }
    Ubicacion UbicacionDe(int i) const {
        if (DeLibgeonames(i)) {
            const Ficha f = Lee(i);
            return {f.codigoPais, f.admin1, f.region, f.pais};
        }
        const ArchivoPoblados::Registro r = poblados->Poblado(i - numGeo);
        return UbicacionDe(r.codigoPais, r.region);
    }

    Poblado PobladoDe(int i) const {
        Poblado p;
        if (DeLibgeonames(i)) {
            const Ficha f = Lee(i);
            const std::string cc = f.codigoPais;
            p.nombre = Utf8(Espanol(f.id, f.nombre));
            p.nombreIngles = Utf8(f.nombre);
            const std::string clave = cc + '.' + f.admin1;
            p.region = Utf8(NombreDeRegion(clave, Espanol(clave, {}), f.region));
            p.pais = Utf8(Espanol(cc, f.pais));
            p.codigoPais = Utf8(cc);
            // GeoNames' data predates tzdata 2025b, which gave the Aysén
            // Region (admin1 02) its own zone.
            p.zona = (cc == "CL" && std::strcmp(f.admin1, "02") == 0)
                         ? QStringLiteral("America/Coyhaique")
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

    // Joins the places of the file at `ruta` that libgeonames lacks; when
    // they cannot be had, says why in `aviso`.
    void Junta(const QString& ruta);
};

void Nomenclator::Datos::Junta(const QString& ruta) {
    const QString sinEllos = QStringLiteral(
        "los pueblos de 1000 habitantes o más no están: %1; se busca solo entre "
        "las ciudades de libgeonames");
    if (ruta.isEmpty()) {
        aviso = sinEllos.arg(QStringLiteral("no se encontró el archivo poblados.idx"));
        return;
    }
    QString problema;
    std::unique_ptr<ArchivoPoblados> archivo = ArchivoPoblados::Abre(ruta, &problema);
    if (!archivo) {
        aviso = sinEllos.arg(problema);
        return;
    }
    // Their zones come from the boundaries' index.
    if (IndiceZonas::DelPrograma(&problema) == nullptr) {
        aviso = sinEllos.arg(problema);
        return;
    }
    // libgeonames' towns win: the file's places with their ids are left out.
    // Both lists in increasing order of id, walked together.
    const int n = archivo->NumPoblados();
    repetidos.assign(std::size_t(n), false);
    std::size_t g = 0;
    for (int j = 0; j < n && g < idsGeo.size(); ++j) {
        const std::uint32_t id = archivo->Id(j);
        while (g < idsGeo.size() && idsGeo[g] < id) {
            ++g;
        }
        if (g < idsGeo.size() && idsGeo[g] == id) {
            repetidos[std::size_t(j)] = true;
            ++numRepetidos;
        }
    }
    poblados = std::move(archivo);
}

Nomenclator::Nomenclator(std::unique_ptr<Datos> datos) : d_(std::move(datos)) {}

Nomenclator::~Nomenclator() = default;

const Nomenclator* Nomenclator::Mundial(QString* problema) {
    static QString motivo;
    static const std::unique_ptr<Nomenclator> mundial = [] {
        std::unique_ptr<Nomenclator> n = Abre(BibliotecaGeonames, CatalogoGeonames, &motivo);
        if (n) {
            n->d_->Junta(ArchivoPoblados::RutaDelPrograma());
        }
        return n;
    }();
    if (!mundial && problema != nullptr) {
        *problema = motivo;
    }
    return mundial.get();
}

std::unique_ptr<Nomenclator> Nomenclator::Abre(const char* biblioteca, const char* catalogo,
                                               QString* problema, const QString& poblados) {
    auto falla = [&](const QString& motivo) {
        if (problema != nullptr) {
            *problema = motivo;
        }
        return nullptr;
    };
    // Never closed: the records' texts point into its data.
    void* so = dlopen(biblioteca, RTLD_NOW | RTLD_LOCAL);
    if (so == nullptr) {
        const char* error = dlerror();
        return falla(QStringLiteral("no se pudo cargar el nomenclátor mundial, %1 (%2); "
                                    "instale el paquete libgeonames0")
                         .arg(QString::fromUtf8(biblioteca),
                              QString::fromUtf8(error != nullptr ? error : "")));
    }
    auto datos = std::make_unique<Datos>();
    datos->api.numero =
        reinterpret_cast<decltype(&geonames_get_n_cities)>(dlsym(so, "geonames_get_n_cities"));
    datos->api.ciudad =
        reinterpret_cast<decltype(&geonames_get_city)>(dlsym(so, "geonames_get_city"));
    datos->api.libera =
        reinterpret_cast<decltype(&geonames_city_free)>(dlsym(so, "geonames_city_free"));
    const ApiGeonames& api = datos->api;
    if (api.numero == nullptr || api.ciudad == nullptr || api.libera == nullptr) {
        return falla(QStringLiteral("%1 no es la biblioteca libgeonames esperada; "
                                    "instale el paquete libgeonames0")
                         .arg(QString::fromUtf8(biblioteca)));
    }
    // The first call unpacks the records.
    const int n = api.numero();
    if (n <= 0) {
        return falla(QStringLiteral("el nomenclátor mundial de %1 está vacío")
                         .arg(QString::fromUtf8(biblioteca)));
    }
    {
        GVariant* r = api.ciudad(0);
        const bool forma = r != nullptr && g_variant_is_of_type(r, G_VARIANT_TYPE(TipoRegistro));
        if (r != nullptr) {
            api.libera(r);
        }
        if (!forma) {
            return falla(QStringLiteral("los registros de %1 no tienen la forma esperada %2")
                             .arg(QString::fromUtf8(biblioteca), QLatin1String(TipoRegistro)));
        }
    }

    QFile mo(QString::fromUtf8(catalogo));
    if (mo.open(QIODevice::ReadOnly)) {
        datos->catalogo = mo.readAll().toStdString();
        datos->es = LeeCatalogoMo(datos->catalogo);
    }

    // The names, reduced once: the searches compare them many times. The
    // populations and ids, and a town of each region and country.
    datos->numGeo = n;
    datos->idsGeo.resize(std::size_t(n));
    datos->plegadosGeo.reserve(std::size_t(n) * 12);
    datos->plegadosGeo.push_back('\n');
    auto agregaNombre = [&](int i, const std::string& plegado) {
        datos->iniciosGeo.push_back(std::uint32_t(datos->plegadosGeo.size()));
        datos->duenoGeo.push_back(i);
        datos->plegadosGeo += plegado;
        datos->plegadosGeo.push_back('\n');
    };
    for (int i = 0; i < n; ++i) {
        GVariant* r = api.ciudad(i);
        const char* id = Texto(r, CampoId);
        const std::string plegado = NombreComparable(std::string_view(Texto(r, CampoNombre)));
        // A reduced name is never empty in the layout: an empty one matches
        // nothing anyway.
        if (!plegado.empty()) {
            agregaNombre(i, plegado);
        }
        const auto es = datos->es.find(id);
        if (es != datos->es.end() && !es->second.empty()) {
            const std::string plegadoEs = NombreComparable(es->second);
            if (!plegadoEs.empty() && plegadoEs != plegado) {
                agregaNombre(i, plegadoEs);
            }
        }
        datos->idsGeo[std::size_t(i)] = std::uint32_t(std::strtoul(id, nullptr, 10));
        api.libera(r);
    }
    std::sort(datos->idsGeo.begin(), datos->idsGeo.end());
    if (!poblados.isEmpty()) {
        datos->Junta(poblados);
    }
    return std::unique_ptr<Nomenclator>(new Nomenclator(std::move(datos)));
}

int Nomenclator::NumPoblados() const { return d_->NumPoblados(); }

int Nomenclator::NumPobladosLibgeonames() const { return d_->numGeo; }

const QString& Nomenclator::Aviso() const { return d_->aviso; }

void Nomenclator::Prepara() const {
    if (d_->poblados) {
        d_->Ubicaciones();
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
    // libgeonames' towns: a town's two names are next to each other, so its
    // matches come together; the whole name wins over a part.
    int ultimo = -1;
    Recorre(d.plegadosGeo, d.iniciosGeo, q.nombre, desdePalabra, [&](std::size_t k, bool completo) {
        const int i = d.duenoGeo[k];
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
    Recorre(a.Plegados(), a.Inicios(), q.nombre, desdePalabra, [&](std::size_t j, bool completo) {
        if (!d.repetidos[j] && cumple(int(j))) {
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
    auto recorre = [&](std::string_view bloque, const std::vector<std::uint32_t>& inicios,
                       auto&& f) {
        for (std::size_t k = 0; k < inicios.size(); ++k) {
            const std::size_t fin = k + 1 < inicios.size() ? inicios[k + 1] - 1 : bloque.size() - 1;
            f(k, bloque.substr(inicios[k], fin - inicios[k]));
        }
    };
    const Datos& d = *d_;
    // A town's two names are next to each other: the closer counts.
    recorre(d.plegadosGeo, d.iniciosGeo, [&](std::size_t k, std::string_view n) {
        const int c = cercania(n);
        if (c < 0) {
            return;
        }
        const int i = d.duenoGeo[k];
        if (!candidatos.empty() && candidatos.back().indice == i) {
            candidatos.back().cercania = std::min(candidatos.back().cercania, c);
        } else {
            candidatos.push_back({c, d.Habitantes(i), i});
        }
    });
    if (d.poblados) {
        recorre(d.poblados->Plegados(), d.poblados->Inicios(),
                [&](std::size_t j, std::string_view n) {
                    if (!d.repetidos[j]) {
                        if (const int c = cercania(n); c >= 0) {
                            const int i = d.numGeo + int(j);
                            candidatos.push_back({c, d.Habitantes(i), i});
                        }
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

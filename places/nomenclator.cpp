// SPDX-License-Identifier: GPL-3.0-or-later
#include "places/nomenclator.h"

#include <dlfcn.h>
#include <geonames.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "places/catalogo_mo.h"
#include "places/nombres.h"

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

}  // namespace

struct Nomenclator::Datos {
    ApiGeonames api;
    std::string catalogo;  // the .mo file's bytes, which `es` points into
    std::unordered_map<std::string_view, std::string_view> es;

    // What the name searches read of each record, gathered once.
    struct Registro {
        std::string plegado;    // English name, reduced
        std::string plegadoEs;  // Spanish name, reduced, when it differs; else empty
    };
    std::vector<Registro> registros;

    // The whole of record i.
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

    unsigned HabitantesDe(int i) const {
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

    Poblado PobladoDe(int i) const {
        const Ficha f = Lee(i);
        const std::string cc = f.codigoPais;
        Poblado p;
        p.nombre = Utf8(Espanol(f.id, f.nombre));
        p.nombreIngles = Utf8(f.nombre);
        p.region = Utf8(Espanol(cc + '.' + f.admin1, f.region));
        p.pais = Utf8(Espanol(cc, f.pais));
        p.codigoPais = Utf8(cc);
        // GeoNames' data predates tzdata 2025b, which gave the Aysén Region
        // (admin1 02) its own zone.
        p.zona = (cc == "CL" && std::strcmp(f.admin1, "02") == 0)
                     ? QStringLiteral("America/Coyhaique")
                     : Utf8(f.zona);
        p.latitud = f.latitud;
        p.longitud = f.longitud;
        p.habitantes = f.habitantes;
        return p;
    }

    // Whether every narrowing part matches record i's region or country.
    bool Cumple(int i, const std::vector<std::string>& calificadores) const {
        if (calificadores.empty()) {
            return true;
        }
        const Ficha f = Lee(i);
        const std::string cc = f.codigoPais;
        std::string codigo = cc;
        for (char& c : codigo) {
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        }
        const std::string nombres[] = {
            NombreComparable(std::string_view(f.region)),
            NombreComparable(Espanol(cc + '.' + f.admin1, {})),
            NombreComparable(std::string_view(f.pais)),
            NombreComparable(Espanol(cc, {})),
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

    // Indices in the order given, then most populous first (stable).
    void PorHabitantes(std::vector<int>& indices) const {
        std::vector<std::pair<unsigned, int>> h;
        h.reserve(indices.size());
        for (int i : indices) {
            h.emplace_back(HabitantesDe(i), i);
        }
        std::stable_sort(h.begin(), h.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t k = 0; k < h.size(); ++k) {
            indices[k] = h[k].second;
        }
    }

    Encontrados Resultado(const std::vector<int>& indices, int maximo, bool completos) const {
        Encontrados e;
        e.total = int(indices.size());
        e.completos = completos;
        for (int k = 0; k < e.total && k < maximo; ++k) {
            e.poblados.push_back(PobladoDe(indices[std::size_t(k)]));
        }
        return e;
    }
};

Nomenclator::Nomenclator(std::unique_ptr<Datos> datos) : d_(std::move(datos)) {}

Nomenclator::~Nomenclator() = default;

const Nomenclator* Nomenclator::Mundial(QString* problema) {
    static QString motivo;
    static const std::unique_ptr<Nomenclator> mundial =
        Abre(BibliotecaGeonames, CatalogoGeonames, &motivo);
    if (!mundial && problema != nullptr) {
        *problema = motivo;
    }
    return mundial.get();
}

std::unique_ptr<Nomenclator> Nomenclator::Abre(const char* biblioteca, const char* catalogo,
                                               QString* problema) {
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

    // The names, reduced once: the searches compare them many times.
    datos->registros.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        GVariant* r = api.ciudad(i);
        Datos::Registro& reg = datos->registros[std::size_t(i)];
        reg.plegado = NombreComparable(std::string_view(Texto(r, CampoNombre)));
        const auto es = datos->es.find(Texto(r, CampoId));
        if (es != datos->es.end() && !es->second.empty()) {
            std::string plegadoEs = NombreComparable(es->second);
            if (plegadoEs != reg.plegado) {
                reg.plegadoEs = std::move(plegadoEs);
            }
        }
        api.libera(r);
    }
    return std::unique_ptr<Nomenclator>(new Nomenclator(std::move(datos)));
}

int Nomenclator::NumPoblados() const { return int(d_->registros.size()); }

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
    auto contiene = [&](const std::string& nombre) {
        return desdePalabra ? ContieneDesdePalabra(nombre, q.nombre)
                            : nombre.find(q.nombre) != std::string::npos;
    };
    for (int i = 0; i < NumPoblados(); ++i) {
        const Datos::Registro& r = d_->registros[std::size_t(i)];
        if (r.plegado == q.nombre || r.plegadoEs == q.nombre) {
            completos.push_back(i);
        } else if (contiene(r.plegado) || contiene(r.plegadoEs)) {
            parciales.push_back(i);
        }
    }
    for (std::vector<int>* v : {&completos, &parciales}) {
        std::erase_if(*v, [&](int i) { return !d_->Cumple(i, q.calificadores); });
        d_->PorHabitantes(*v);
    }
}

Encontrados Nomenclator::Busca(const QString& texto, int maximo) const {
    std::vector<int> completos;
    std::vector<int> parciales;
    Coincidencias(texto, true, completos, parciales);
    return completos.empty() ? d_->Resultado(parciales, maximo, false)
                             : d_->Resultado(completos, maximo, true);
}

Encontrados Nomenclator::BuscaTexto(const QString& texto, int maximo) const {
    std::vector<int> completos;
    std::vector<int> parciales;
    Coincidencias(texto, false, completos, parciales);
    const bool hayCompletos = !completos.empty();
    completos.insert(completos.end(), parciales.begin(), parciales.end());
    return d_->Resultado(completos, maximo, hayCompletos);
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
    auto cercania = [&](const std::string& n) {
        if (n.empty()) {
            return -1;
        }
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
        const int d = DistanciaEdicion(std::string_view(n), std::string_view(q));
        return d <= tolerancia ? 2 + d : -1;
    };
    struct Candidato {
        int cercania;
        unsigned habitantes;
        int indice;
    };
    std::vector<Candidato> candidatos;
    for (int i = 0; i < NumPoblados(); ++i) {
        const Datos::Registro& r = d_->registros[std::size_t(i)];
        const int a = cercania(r.plegado);
        const int b = cercania(r.plegadoEs);
        const int c = a < 0 ? b : (b < 0 ? a : std::min(a, b));
        if (c >= 0) {
            candidatos.push_back({c, d_->HabitantesDe(i), i});
        }
    }
    std::stable_sort(
        candidatos.begin(), candidatos.end(), [](const Candidato& x, const Candidato& y) {
            return x.cercania != y.cercania ? x.cercania < y.cercania : x.habitantes > y.habitantes;
        });
    for (std::size_t k = 0; k < candidatos.size() && int(k) < maximo; ++k) {
        parecidos.push_back(d_->PobladoDe(candidatos[k].indice));
    }
    return parecidos;
}

}  // namespace Vespalba

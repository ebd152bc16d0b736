// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/cache_nomenclator.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

#include "lugares/nombres.h"

namespace Vespalba {

namespace {

constexpr char kMagia[8] = {'V', 'E', 'S', 'P', 'C', 'A', 'C', 'H'};
constexpr std::uint32_t kFormatoContenedor = 1;
constexpr std::size_t kCabeceraFija = 32;
// Larger files are not caches of this program.
constexpr std::uint64_t kLargoMaximo = std::uint64_t(1) << 30;

std::uint32_t U32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
std::uint64_t U64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
double F64(const char* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}
template <class T>
void Pon(std::string& s, T v) {
    char b[sizeof v];
    std::memcpy(b, &v, sizeof v);
    s.append(b, sizeof v);
}
std::size_t Redondea8(std::size_t n) { return (n + 7) & ~std::size_t(7); }

std::uint64_t Fnv1a(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h = (h ^ std::uint8_t(c)) * 1099511628211ull;
    }
    return h;
}

// Where the header ends (the key, the table of sections and the hash),
// checked against the bytes; none when it does not fit.
struct Cabecera {
    std::string_view clave;
    std::size_t tabla = 0;  // offset of the sections' table
    std::uint32_t numSecciones = 0;
};
std::optional<Cabecera> LeeCabecera(std::string_view b, char tipo) {
    if (b.size() < kCabeceraFija || std::memcmp(b.data(), kMagia, sizeof kMagia) != 0 ||
        U32(b.data() + 8) != kFormatoContenedor || U32(b.data() + 12) != std::uint8_t(tipo) ||
        U64(b.data() + 16) != b.size()) {
        return std::nullopt;
    }
    const std::uint64_t largoClave = U32(b.data() + 24);
    const std::uint64_t numSecciones = U32(b.data() + 28);
    if (largoClave > b.size() || numSecciones > 64) {
        return std::nullopt;
    }
    Cabecera c;
    c.clave = b.substr(kCabeceraFija, std::size_t(largoClave));
    c.tabla = kCabeceraFija + Redondea8(std::size_t(largoClave));
    c.numSecciones = std::uint32_t(numSecciones);
    const std::uint64_t fin = c.tabla + 16 * numSecciones + 8;
    if (fin > b.size() || Fnv1a(b.substr(0, std::size_t(fin - 8))) != U64(b.data() + fin - 8)) {
        return std::nullopt;
    }
    return c;
}

// The text from `pos` to the end of its name (the next "\n") or of the block.
std::string_view Sufijo(std::string_view bloque, std::size_t pos, std::size_t maximo) {
    if (pos >= bloque.size()) {
        return {};
    }
    std::string_view s = bloque.substr(pos, maximo);
    return s.substr(0, s.find('\n'));
}

}  // namespace

namespace {

// Whether the dlopen this program calls is one that LD_PRELOAD put before
// the C library's: a wrapper that may refuse or redirect libraries (the
// tests act out a machine without libgeonames so), which a cache would
// hide. Preloaded libraries that leave dlopen alone (valgrind's) do not
// count.
bool DlopenSustituido() {
    const QByteArray precargas = qgetenv("LD_PRELOAD");
    if (precargas.isEmpty()) {
        return false;
    }
    Dl_info info;
    void* const dlopenUsado = dlsym(RTLD_DEFAULT, "dlopen");
    if (dlopenUsado == nullptr || dladdr(dlopenUsado, &info) == 0 || info.dli_fname == nullptr) {
        return true;
    }
    const QByteArray objeto = QByteArray(info.dli_fname);
    const QByteArray nombreObjeto = objeto.mid(objeto.lastIndexOf('/') + 1);
    for (QByteArray p : precargas.split(':')) {
        for (const QByteArray& precarga : p.replace(' ', ':').split(':')) {
            if (!precarga.isEmpty() &&
                (precarga == objeto ||
                 precarga.mid(precarga.lastIndexOf('/') + 1) == nombreObjeto)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

QString CarpetaCacheNomenclator() {
    if (DlopenSustituido()) {
        return {};
    }
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!base.startsWith(QLatin1Char('/'))) {
        const QString casa = qEnvironmentVariable("HOME");
        if (!casa.startsWith(QLatin1Char('/'))) {
            return {};
        }
        base = casa + QStringLiteral("/.cache");
    }
    return base + QStringLiteral("/vespalba");
}

namespace {
SelloArchivo SelloDe(const struct stat& s) {
    return {std::uint64_t(s.st_dev), std::uint64_t(s.st_ino), std::uint64_t(s.st_size),
            std::int64_t(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec,
            std::int64_t(s.st_ctim.tv_sec) * 1000000000 + s.st_ctim.tv_nsec};
}
}  // namespace

std::optional<SelloArchivo> SelloDeDescriptor(int fd) {
    struct stat s;
    if (fd < 0 || fstat(fd, &s) != 0) {
        return std::nullopt;
    }
    return SelloDe(s);
}

std::optional<SelloArchivo> SelloDeRuta(const QString& ruta) {
    struct stat s;
    if (ruta.isEmpty() || stat(QFile::encodeName(ruta).constData(), &s) != 0) {
        return std::nullopt;
    }
    return SelloDe(s);
}

std::optional<std::vector<std::string_view>> LeeContenedorCache(std::string_view b, char tipo,
                                                                std::string_view clave,
                                                                std::size_t numSecciones) {
    const std::optional<Cabecera> c = LeeCabecera(b, tipo);
    if (!c || c->clave != clave || c->numSecciones != numSecciones) {
        return std::nullopt;
    }
    const std::size_t datos = c->tabla + 16 * numSecciones + 8;
    std::vector<std::string_view> secciones;
    for (std::size_t s = 0; s < numSecciones; ++s) {
        const std::uint64_t desde = U64(b.data() + c->tabla + 16 * s);
        const std::uint64_t largo = U64(b.data() + c->tabla + 16 * s + 8);
        if (desde % 8 != 0 || desde < datos || desde > b.size() || largo > b.size() - desde) {
            return std::nullopt;
        }
        secciones.push_back(b.substr(std::size_t(desde), std::size_t(largo)));
    }
    return secciones;
}

std::optional<std::string_view> ClaveDeContenedorCache(std::string_view bytes, char tipo) {
    const std::optional<Cabecera> c = LeeCabecera(bytes, tipo);
    if (!c) {
        return std::nullopt;
    }
    return c->clave;
}

void RehaceHashContenedorCache(std::string& b) {
    if (b.size() < kCabeceraFija) {
        return;
    }
    const std::uint64_t largoClave = U32(b.data() + 24);
    const std::uint64_t numSecciones = U32(b.data() + 28);
    if (largoClave > b.size() || numSecciones > 64) {
        return;
    }
    const std::uint64_t fin =
        kCabeceraFija + Redondea8(std::size_t(largoClave)) + 16 * numSecciones + 8;
    if (fin <= b.size()) {
        const std::uint64_t h = Fnv1a(std::string_view(b).substr(0, std::size_t(fin - 8)));
        std::memcpy(b.data() + fin - 8, &h, 8);
    }
}

std::string EscribeContenedorCache(char tipo, std::string_view clave,
                                   const std::vector<std::string>& secciones) {
    std::string b(kMagia, sizeof kMagia);
    Pon(b, kFormatoContenedor);
    Pon(b, std::uint32_t(std::uint8_t(tipo)));
    Pon(b, std::uint64_t(0));  // the length, below
    Pon(b, std::uint32_t(clave.size()));
    Pon(b, std::uint32_t(secciones.size()));
    b += clave;
    b.resize(Redondea8(b.size()), '\0');
    std::size_t desde = b.size() + 16 * secciones.size() + 8;
    for (const std::string& s : secciones) {
        Pon(b, std::uint64_t(desde));
        Pon(b, std::uint64_t(s.size()));
        desde = Redondea8(desde + s.size());
    }
    const std::uint64_t total = desde;
    std::memcpy(b.data() + 16, &total, 8);
    Pon(b, Fnv1a(b));
    for (const std::string& s : secciones) {
        b += s;
        b.resize(Redondea8(b.size()), '\0');
    }
    return b;
}

std::unique_ptr<CacheMapeada> CacheMapeada::Abre(const QString& carpeta, const QString& nombre) {
    if (carpeta.isEmpty()) {
        return nullptr;
    }
    const QByteArray ruta = QFile::encodeName(carpeta + QLatin1Char('/') + nombre);
    const int fd = open(ruta.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat s;
    void* mapa = MAP_FAILED;
    if (fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_size > 0 &&
        std::uint64_t(s.st_size) <= kLargoMaximo) {
        mapa = mmap(nullptr, std::size_t(s.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    }
    close(fd);
    if (mapa == MAP_FAILED) {
        return nullptr;
    }
    std::unique_ptr<CacheMapeada> c(new CacheMapeada);
    c->mapa_ = mapa;
    c->largo_ = std::size_t(s.st_size);
    c->bytes_ = std::string_view(static_cast<const char*>(mapa), c->largo_);
    return c;
}

CacheMapeada::~CacheMapeada() {
    if (mapa_ != nullptr) {
        munmap(mapa_, largo_);
    }
}

bool CarpetaEscribible(const QString& carpeta) {
    if (carpeta.isEmpty()) {
        return false;
    }
    // The folder and the cache folder above it are made, not the folders
    // above that (a home that does not exist stays so).
    const QString base = QFileInfo(carpeta).path();
    if (!QFileInfo(base).isDir() &&
        (!QFileInfo(QFileInfo(base).path()).isDir() || !QDir().mkdir(base))) {
        return false;
    }
    return (QFileInfo(carpeta).isDir() || QDir().mkdir(carpeta)) &&
           access(QFile::encodeName(carpeta).constData(), W_OK | X_OK) == 0;
}

bool GuardaCache(const QString& carpeta, const QString& nombre, std::string_view bytes) {
    if (!CarpetaEscribible(carpeta)) {
        return false;
    }
    QSaveFile f(carpeta + QLatin1Char('/') + nombre);
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

// ------------------------------------------------- index of names' words

std::string IndicePalabras(std::string_view bloque, std::span<const std::uint32_t> inicios) {
    // Sorted by their first eight bytes as one number (big-endian, padded
    // with zeros, which no name holds), then, when those are equal, by the
    // rest: the same order as the texts', with few comparisons of texts.
    struct Palabra {
        std::uint64_t inicio;
        std::uint32_t posicion, nombre;
        std::string_view resto;
    };
    auto primeros = [](std::string_view t) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            v = (v << 8) | (i < t.size() ? std::uint8_t(t[i]) : 0u);
        }
        return v;
    };
    std::vector<Palabra> palabras;
    palabras.reserve(inicios.size() * 2);
    for (std::size_t k = 0; k < inicios.size(); ++k) {
        const std::size_t inicio = inicios[k];
        const std::string_view nombre = Sufijo(bloque, inicio, std::string_view::npos);
        for (std::size_t p = 0; p < nombre.size(); ++p) {
            if (p == 0 || nombre[p - 1] == ' ') {
                palabras.push_back({primeros(nombre.substr(p)), std::uint32_t(inicio + p),
                                    std::uint32_t(k), nombre.substr(p)});
            }
        }
    }
    std::sort(palabras.begin(), palabras.end(), [](const Palabra& a, const Palabra& b) {
        if (a.inicio != b.inicio) return a.inicio < b.inicio;
        return a.resto != b.resto ? a.resto < b.resto : a.posicion < b.posicion;
    });
    std::string indice;
    indice.reserve(palabras.size() * sizeof(EntradaPalabra));
    for (const Palabra& p : palabras) {
        Pon(indice, p.posicion);
        Pon(indice, p.nombre);
    }
    return indice;
}

void BuscaPalabras(std::string_view bloque, std::string_view indice, std::size_t numNombres,
                   std::string_view q, std::vector<NombreHallado>& hallados) {
    hallados.clear();
    if (q.empty() || q.find('\n') != std::string_view::npos) {
        return;
    }
    const std::size_t n = indice.size() / sizeof(EntradaPalabra);
    auto posicion = [&](std::size_t i) { return U32(indice.data() + 8 * i); };
    // The entries are ordered by the text from their position: those that
    // start with q are a run, found by its two ends.
    auto primera = [&](auto&& antes) {
        std::size_t a = 0, b = n;
        while (a < b) {
            const std::size_t m = a + (b - a) / 2;
            if (antes(Sufijo(bloque, posicion(m), q.size()))) {
                a = m + 1;
            } else {
                b = m;
            }
        }
        return a;
    };
    const std::size_t desde = primera([&](std::string_view s) { return s < q; });
    const std::size_t hasta = primera([&](std::string_view s) { return s <= q; });
    for (std::size_t i = desde; i < hasta && i < n; ++i) {
        const std::size_t pos = posicion(i);
        const std::uint32_t nombre = U32(indice.data() + 8 * i + 4);
        if (nombre >= numNombres || pos == 0 || pos >= bloque.size() ||
            (bloque[pos - 1] != '\n' && bloque[pos - 1] != ' ') ||
            bloque.substr(pos, q.size()) != q) {
            continue;
        }
        const std::size_t fin = pos + q.size();
        hallados.push_back(
            {nombre, bloque[pos - 1] == '\n' && fin < bloque.size() && bloque[fin] == '\n'});
    }
    std::sort(hallados.begin(), hallados.end(), [](const NombreHallado& a, const NombreHallado& b) {
        return a.nombre != b.nombre ? a.nombre < b.nombre : a.completo > b.completo;
    });
    // One per name: the first of each kept, the whole name if any was.
    hallados.erase(std::unique(hallados.begin(), hallados.end(),
                               [](const NombreHallado& a, const NombreHallado& b) {
                                   return a.nombre == b.nombre;
                               }),
                   hallados.end());
}

// ------------------------------------------------- libgeonames' towns

namespace {

enum Seccion : std::size_t {
    STextos,
    SFichas,
    SPlegados,
    SInicios,
    SDuenos,
    SIds,
    SRegiones,
    SPaises,
    SCatalogo,
    STextosCatalogo,
    SPalabras,
    SNumSecciones
};
// A town: seven offsets of texts, the population, latitude and longitude.
constexpr std::size_t kFicha = 48;
constexpr std::size_t kCatalogo = 16;

}  // namespace

std::string ImagenGeonames::Construye(
    const std::vector<CiudadGeonames>& ciudades,
    const std::unordered_map<std::string_view, std::string_view>& es, std::string_view clave,
    bool conIndice) {
    std::vector<std::string> s(SNumSecciones);
    // Texts, each once, NUL-ended. The keys are views of the towns' texts
    // and of the region and country keys below, alive until the image is made.
    std::unordered_map<std::string_view, std::uint32_t> textos;
    textos.reserve(ciudades.size() * 4);
    auto texto = [&](std::string_view t) {
        const auto [it, nuevo] = textos.try_emplace(t, std::uint32_t(s[STextos].size()));
        if (nuevo) {
            s[STextos] += t;
            s[STextos].push_back('\0');
        }
        return it->second;
    };
    std::vector<std::uint32_t> inicios, ids;
    std::string& plegados = s[SPlegados];
    plegados.push_back('\n');
    auto agregaNombre = [&](std::size_t i, const std::string& plegado) {
        inicios.push_back(std::uint32_t(plegados.size()));
        Pon(s[SDuenos], std::uint32_t(i));
        plegados += plegado;
        plegados.push_back('\n');
    };
    std::unordered_map<std::string, std::uint32_t> regiones, paises;
    for (std::size_t i = 0; i < ciudades.size(); ++i) {
        const CiudadGeonames& c = ciudades[i];
        for (const std::string* t :
             {&c.id, &c.nombre, &c.admin1, &c.region, &c.codigoPais, &c.pais, &c.zona}) {
            Pon(s[SFichas], texto(*t));
        }
        Pon(s[SFichas], c.habitantes);
        Pon(s[SFichas], c.latitud);
        Pon(s[SFichas], c.longitud);
        // The reduced names, as the gazetteer always laid them: a reduced
        // name is never empty in the layout (an empty one matches nothing
        // anyway), and the Spanish one only when it differs.
        const std::string plegado = NombreComparable(std::string_view(c.nombre));
        if (!plegado.empty()) {
            agregaNombre(i, plegado);
        }
        const auto e = es.find(c.id);
        if (e != es.end() && !e->second.empty()) {
            const std::string plegadoEs = NombreComparable(e->second);
            if (!plegadoEs.empty() && plegadoEs != plegado) {
                agregaNombre(i, plegadoEs);
            }
        }
        ids.push_back(std::uint32_t(std::strtoul(c.id.c_str(), nullptr, 10)));
        regiones.try_emplace(c.codigoPais + '.' + c.admin1, std::uint32_t(i));
        paises.try_emplace(c.codigoPais, std::uint32_t(i));
    }
    for (const std::uint32_t v : inicios) {
        Pon(s[SInicios], v);
    }
    std::sort(ids.begin(), ids.end());
    for (const std::uint32_t v : ids) {
        Pon(s[SIds], v);
    }
    for (auto [mapa, seccion] : {std::pair{&regiones, SRegiones}, std::pair{&paises, SPaises}}) {
        std::vector<std::pair<std::string_view, std::uint32_t>> orden(mapa->begin(), mapa->end());
        std::sort(orden.begin(), orden.end());
        for (const auto& [k, i] : orden) {
            Pon(s[seccion], texto(k));
            Pon(s[seccion], i);
        }
    }
    std::vector<std::pair<std::string_view, std::string_view>> catalogo(es.begin(), es.end());
    std::sort(catalogo.begin(), catalogo.end());
    for (const auto& [k, v] : catalogo) {
        for (const std::string_view t : {k, v}) {
            Pon(s[SCatalogo], std::uint32_t(s[STextosCatalogo].size()));
            Pon(s[SCatalogo], std::uint32_t(t.size()));
            s[STextosCatalogo] += t;
        }
    }
    if (conIndice) {
        s[SPalabras] = Vespalba::IndicePalabras(plegados, inicios);
    }
    return EscribeContenedorCache('G', clave, s);
}

std::optional<ImagenGeonames> ImagenGeonames::Lee(std::string_view bytes, std::string_view clave) {
    const auto s = LeeContenedorCache(bytes, 'G', clave, SNumSecciones);
    if (!s) {
        return std::nullopt;
    }
    ImagenGeonames g;
    g.textos_ = (*s)[STextos];
    g.fichas_ = (*s)[SFichas];
    g.plegados_ = (*s)[SPlegados];
    g.inicios_ = (*s)[SInicios];
    g.duenos_ = (*s)[SDuenos];
    g.ids_ = (*s)[SIds];
    g.regiones_ = (*s)[SRegiones];
    g.paises_ = (*s)[SPaises];
    g.catalogo_ = (*s)[SCatalogo];
    g.textosCatalogo_ = (*s)[STextosCatalogo];
    g.palabras_ = (*s)[SPalabras];
    const std::size_t n = g.fichas_.size() / kFicha;
    if (g.fichas_.size() % kFicha != 0 || n == 0 || n > 0x7fffffff || g.ids_.size() != 4 * n ||
        g.inicios_.size() % 4 != 0 || g.inicios_.size() != g.duenos_.size() ||
        g.inicios_.size() / 4 > 0x7fffffff || g.regiones_.size() % 8 != 0 ||
        g.paises_.size() % 8 != 0 || g.catalogo_.size() % kCatalogo != 0 ||
        g.palabras_.size() % sizeof(EntradaPalabra) != 0 || g.plegados_.size() > 0xffffffffu ||
        (!g.textos_.empty() && g.textos_.back() != '\0')) {
        return std::nullopt;
    }
    g.numCiudades_ = int(n);
    g.numNombres_ = int(g.inicios_.size() / 4);
    return g;
}

std::string_view ImagenGeonames::Texto(std::uint32_t pos) const {
    if (pos >= textos_.size()) {
        return {};
    }
    const std::string_view t = textos_.substr(pos);
    return t.substr(0, t.find('\0'));
}

ImagenGeonames::Ficha ImagenGeonames::Ciudad(int i) const {
    Ficha f;
    if (i < 0 || i >= numCiudades_) {
        return f;
    }
    const char* r = fichas_.data() + kFicha * std::size_t(i);
    f.id = Texto(U32(r));
    f.nombre = Texto(U32(r + 4));
    f.admin1 = Texto(U32(r + 8));
    f.region = Texto(U32(r + 12));
    f.codigoPais = Texto(U32(r + 16));
    f.pais = Texto(U32(r + 20));
    f.zona = Texto(U32(r + 24));
    f.habitantes = U32(r + 28);
    f.latitud = F64(r + 32);
    f.longitud = F64(r + 40);
    return f;
}

std::uint32_t ImagenGeonames::Habitantes(int i) const {
    return i < 0 || i >= numCiudades_ ? 0 : U32(fichas_.data() + kFicha * std::size_t(i) + 28);
}

std::uint32_t ImagenGeonames::Inicio(int k) const {
    return k < 0 || k >= numNombres_ ? std::uint32_t(plegados_.size())
                                     : U32(inicios_.data() + 4 * std::size_t(k));
}

int ImagenGeonames::Dueno(int k) const {
    if (k < 0 || k >= numNombres_) {
        return -1;
    }
    const std::uint32_t i = U32(duenos_.data() + 4 * std::size_t(k));
    return i < std::uint32_t(numCiudades_) ? int(i) : -1;
}

std::uint32_t ImagenGeonames::IdOrdenado(int g) const {
    return g < 0 || g >= NumIds() ? 0 : U32(ids_.data() + 4 * std::size_t(g));
}

bool ImagenGeonames::TieneId(std::uint32_t id) const {
    int a = 0, b = NumIds();
    while (a < b) {
        const int m = a + (b - a) / 2;
        if (IdOrdenado(m) < id) {
            a = m + 1;
        } else {
            b = m;
        }
    }
    return a < NumIds() && IdOrdenado(a) == id;
}

int ImagenGeonames::BuscaClave(std::string_view tabla, std::string_view clave) const {
    std::size_t a = 0, b = tabla.size() / 8;
    while (a < b) {
        const std::size_t m = a + (b - a) / 2;
        if (Texto(U32(tabla.data() + 8 * m)) < clave) {
            a = m + 1;
        } else {
            b = m;
        }
    }
    if (a >= tabla.size() / 8 || Texto(U32(tabla.data() + 8 * a)) != clave) {
        return -1;
    }
    const std::uint32_t i = U32(tabla.data() + 8 * a + 4);
    return i < std::uint32_t(numCiudades_) ? int(i) : -1;
}

int ImagenGeonames::CiudadDeRegion(std::string_view clave) const {
    return BuscaClave(regiones_, clave);
}

int ImagenGeonames::CiudadDePais(std::string_view codigo) const {
    return BuscaClave(paises_, codigo);
}

std::optional<std::string_view> ImagenGeonames::Catalogo(std::string_view clave) const {
    auto pieza = [&](std::size_t m, std::size_t cual) -> std::string_view {
        const char* e = catalogo_.data() + kCatalogo * m + 8 * cual;
        const std::size_t desde = U32(e), largo = U32(e + 4);
        return desde > textosCatalogo_.size() ? std::string_view()
                                              : textosCatalogo_.substr(desde, largo);
    };
    std::size_t a = 0, b = catalogo_.size() / kCatalogo;
    while (a < b) {
        const std::size_t m = a + (b - a) / 2;
        if (pieza(m, 0) < clave) {
            a = m + 1;
        } else {
            b = m;
        }
    }
    if (a >= catalogo_.size() / kCatalogo || pieza(a, 0) != clave) {
        return std::nullopt;
    }
    return pieza(a, 1);
}

}  // namespace Vespalba

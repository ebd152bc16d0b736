// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/poblados.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace Vespalba {

namespace {

constexpr char kMagia[8] = {'V', 'P', 'O', 'B', 'L', 'A', '1', '\0'};
constexpr std::size_t kCabecera = 48;
constexpr std::size_t kRegistro = 24;
constexpr std::size_t kRegion = 8;
constexpr std::int32_t kLatitudMaxima = 9000000;    // 10^-5 degrees
constexpr std::int32_t kLongitudMaxima = 18000000;  // 10^-5 degrees

std::uint32_t U32(const char* p) { return qFromLittleEndian<quint32>(p); }
std::uint16_t U16(const char* p) { return qFromLittleEndian<quint16>(p); }

}  // namespace

struct ArchivoPoblados::Datos {
    std::unique_ptr<QFile> archivo;
    std::string_view bytes;
    std::uint32_t numPoblados = 0, registros = 0, numRegiones = 0, tablaRegiones = 0;
    std::string_view textos, plegados;
    std::optional<SelloArchivo> sello;
    bool entera = false;  // checked whole on opening
    // Start of each place's reduced name in `plegados`: found by the whole
    // check, or on first use after a check of the header alone.
    mutable std::vector<std::uint32_t> inicios;
    mutable std::once_flag hayInicios;
    bool iniciosListos = false;

    const char* Registro(int i) const { return bytes.data() + registros + kRegistro * unsigned(i); }
    // The NUL-ended text at `pos` of the names section (the section ends in
    // a NUL; an offset outside it, which the whole check refuses, reads as
    // empty).
    std::string_view Texto(std::uint32_t pos) const {
        return pos < textos.size() ? std::string_view(textos.data() + pos) : std::string_view();
    }
    const std::vector<std::uint32_t>& Inicios() const {
        if (!iniciosListos) {
            std::call_once(hayInicios, [this] {
                // The layout passed the whole check before: one name per
                // place. Bounded whatever the bytes.
                inicios.reserve(numPoblados);
                for (std::size_t pos = 1; pos < plegados.size() && inicios.size() < numPoblados;) {
                    std::size_t fin = plegados.find('\n', pos);
                    if (fin == std::string_view::npos) fin = plegados.size();
                    inicios.push_back(std::uint32_t(pos));
                    pos = fin + 1;
                }
                inicios.resize(numPoblados, std::uint32_t(plegados.size() - 1));
            });
        }
        return inicios;
    }
};

ArchivoPoblados::ArchivoPoblados(std::unique_ptr<Datos> datos) : d_(std::move(datos)) {}
ArchivoPoblados::~ArchivoPoblados() = default;

std::unique_ptr<ArchivoPoblados> ArchivoPoblados::Abre(const QString& ruta, QString* problema) {
    return Abre(ruta, problema, std::nullopt);
}

std::unique_ptr<ArchivoPoblados> ArchivoPoblados::Abre(
    const QString& ruta, QString* problema, const std::optional<SelloArchivo>& revisado) {
    auto falla = [&](const QString& por) {
        if (problema) *problema = QStringLiteral("%1: %2").arg(ruta, por);
        return nullptr;
    };
    auto d = std::make_unique<Datos>();
    d->archivo = std::make_unique<QFile>(ruta);
    if (!d->archivo->open(QIODevice::ReadOnly)) return falla(d->archivo->errorString());
    const qint64 largo = d->archivo->size();
    if (largo < qint64(kCabecera) || largo > 0x7fffffff)
        return falla(QStringLiteral("no es un archivo de poblados"));
    const uchar* base = d->archivo->map(0, largo);
    if (!base) return falla(d->archivo->errorString());
    d->bytes = std::string_view(reinterpret_cast<const char*>(base), std::size_t(largo));
    d->sello = SelloDeDescriptor(d->archivo->handle());
    const bool entera = !revisado || !d->sello || *d->sello != *revisado;
    QString por;
    auto archivo = Valida(std::move(d), &por, entera);
    if (!archivo) return falla(por);
    return archivo;
}

std::unique_ptr<ArchivoPoblados> ArchivoPoblados::Lee(std::string_view datos, QString* problema) {
    auto d = std::make_unique<Datos>();
    d->bytes = datos;
    return Valida(std::move(d), problema, true);
}

std::unique_ptr<ArchivoPoblados> ArchivoPoblados::Valida(std::unique_ptr<Datos> d,
                                                         QString* problema, bool entera) {
    auto falla = [&](const char* por) {
        if (problema) *problema = QString::fromUtf8(por);
        return nullptr;
    };
    const std::string_view b = d->bytes;
    if (b.size() < kCabecera || std::memcmp(b.data(), kMagia, sizeof kMagia) != 0)
        return falla("no es un archivo de poblados");
    const char* c = b.data() + sizeof kMagia;
    d->numPoblados = U32(c);
    d->registros = U32(c + 4);
    d->numRegiones = U32(c + 8);
    d->tablaRegiones = U32(c + 12);
    const std::uint64_t textos = U32(c + 16), largoTextos = U32(c + 20);
    const std::uint64_t plegados = U32(c + 24), largoPlegados = U32(c + 28);
    const std::uint64_t largo = U32(c + 32);
    if (largo != b.size()) return falla("archivo de poblados truncado o de otro largo");
    // Each section inside the file, in the file's order, none overlapping.
    if (d->registros < kCabecera ||
        d->registros + kRegistro * std::uint64_t(d->numPoblados) > d->tablaRegiones ||
        d->tablaRegiones + kRegion * std::uint64_t(d->numRegiones) > textos ||
        textos + largoTextos > plegados || plegados + largoPlegados > largo ||
        d->numPoblados == 0 || d->numRegiones == 0 || d->numRegiones > 0x10000 ||
        largoTextos == 0 || b[textos + largoTextos - 1] != '\0' || largoPlegados < 2)
        return falla("archivo de poblados dañado (secciones)");
    d->textos = b.substr(textos, largoTextos);
    d->plegados = b.substr(plegados, largoPlegados);

    for (std::uint32_t r = 0; r < d->numRegiones; ++r) {
        const char* fila = b.data() + d->tablaRegiones + kRegion * r;
        if (fila[0] < 'A' || fila[0] > 'Z' || fila[1] < 'A' || fila[1] > 'Z' ||
            U32(fila + 4) >= largoTextos)
            return falla("archivo de poblados dañado (regiones)");
    }
    // The reduced names: "\n", then one name and a "\n" per place, no name
    // empty.
    if (d->plegados.front() != '\n' || d->plegados.back() != '\n')
        return falla("archivo de poblados dañado (nombres reducidos)");
    d->entera = entera;
    if (!entera) return std::unique_ptr<ArchivoPoblados>(new ArchivoPoblados(std::move(d)));
    d->inicios.reserve(d->numPoblados);
    for (std::size_t pos = 1; pos < d->plegados.size();) {
        const std::size_t fin = d->plegados.find('\n', pos);
        if (fin == pos || d->inicios.size() == d->numPoblados)
            return falla("archivo de poblados dañado (nombres reducidos)");
        d->inicios.push_back(std::uint32_t(pos));
        pos = fin + 1;
    }
    if (d->inicios.size() != d->numPoblados)
        return falla("archivo de poblados dañado (nombres reducidos)");

    std::uint32_t anterior = 0;
    for (std::uint32_t i = 0; i < d->numPoblados; ++i) {
        const char* r = d->Registro(int(i));
        const std::uint32_t id = U32(r);
        const auto lat = std::int32_t(U32(r + 4)), lon = std::int32_t(U32(r + 8));
        if ((i > 0 && id <= anterior) || lat < -kLatitudMaxima || lat > kLatitudMaxima ||
            lon < -kLongitudMaxima || lon > kLongitudMaxima || U32(r + 16) >= largoTextos ||
            U16(r + 20) >= d->numRegiones || d->textos[U32(r + 16)] == '\0')
            return falla("archivo de poblados dañado (registros)");
        anterior = id;
    }
    d->iniciosListos = true;
    return std::unique_ptr<ArchivoPoblados>(new ArchivoPoblados(std::move(d)));
}

QString ArchivoPoblados::RutaDelPrograma() {
    const QString variable = qEnvironmentVariable("VESPALBA_POBLADOS");
    if (!variable.isEmpty()) return variable;
    const QString programa = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!programa.isEmpty()) {
        const QString instalado =
            QDir(QFileInfo(programa).path())
                .filePath(QStringLiteral(VESPALBA_DATOS_RELATIVO "/poblados.idx"));
        if (QFileInfo::exists(instalado)) return instalado;
    }
    const QString fuente = QStringLiteral(VESPALBA_POBLADOS_FUENTE);
    return QFileInfo::exists(fuente) ? fuente : QString();
}

int ArchivoPoblados::NumPoblados() const { return int(d_->numPoblados); }

ArchivoPoblados::Registro ArchivoPoblados::Poblado(int i) const {
    const char* r = d_->Registro(i);
    // In range after the whole check; kept so after a check of the header.
    const int indiceRegion = std::min<int>(U16(r + 20), int(d_->numRegiones) - 1);
    const char* region = d_->bytes.data() + d_->tablaRegiones + kRegion * unsigned(indiceRegion);
    Registro p;
    p.id = U32(r);
    p.latitud = std::int32_t(U32(r + 4)) / 1e5;
    p.longitud = std::int32_t(U32(r + 8)) / 1e5;
    p.habitantes = U32(r + 12);
    p.nombre = d_->Texto(U32(r + 16));
    p.codigoPais = std::string_view(region, 2);
    p.region = d_->Texto(U32(region + 4));
    p.indiceRegion = indiceRegion;
    return p;
}

std::uint32_t ArchivoPoblados::Habitantes(int i) const { return U32(d_->Registro(i) + 12); }

int ArchivoPoblados::NumRegiones() const { return int(d_->numRegiones); }

ArchivoPoblados::Region ArchivoPoblados::RegionNumero(int r) const {
    const char* region = d_->bytes.data() + d_->tablaRegiones + kRegion * unsigned(r);
    return {std::string_view(region, 2), d_->Texto(U32(region + 4))};
}

std::string_view ArchivoPoblados::Plegados() const { return d_->plegados; }

const std::vector<std::uint32_t>& ArchivoPoblados::Inicios() const { return d_->Inicios(); }

std::string_view ArchivoPoblados::Plegado(int i) const {
    const std::size_t inicio = d_->Inicios()[std::size_t(i)];
    return d_->plegados.substr(inicio, d_->plegados.find('\n', inicio) - inicio);
}

std::uint32_t ArchivoPoblados::Id(int i) const { return U32(d_->Registro(i)); }

int ArchivoPoblados::BuscaId(std::uint32_t id) const {
    int a = 0, b = int(d_->numPoblados);
    while (a < b) {
        const int m = a + (b - a) / 2;
        if (U32(d_->Registro(m)) < id) {
            a = m + 1;
        } else {
            b = m;
        }
    }
    return a < int(d_->numPoblados) && U32(d_->Registro(a)) == id ? a : -1;
}

QString ArchivoPoblados::Ruta() const { return d_->archivo ? d_->archivo->fileName() : QString(); }

std::optional<SelloArchivo> ArchivoPoblados::Sello() const { return d_->sello; }

bool ArchivoPoblados::RevisadoEntero() const { return d_->entera; }

}  // namespace Vespalba

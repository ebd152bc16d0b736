// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/zona_geo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "lugares/zonas.h"

namespace Vespalba {

namespace {

// geo-tz's root box, degrees: the quadtree's cells are halves of it.
constexpr double kOeste = -179.9999, kSur = -89.9999, kEste = 179.9999, kNorte = 89.9999;
constexpr double kEscala = 65535.0;  // quantization steps across a cell
constexpr double kKmGrado = 6371.0 * 3.14159265358979323846 / 180.0;  // km per degree of arc
// A boundary nearer than this makes the answer doubtful, km.
constexpr double kDuda = 1.0;
// Farther than this from a simplified edge, a point is on the side the exact
// boundary puts it: twice the simplification's 111 m, km.
constexpr double kSimplificacion = 0.25;
constexpr int kProfundidadMaxima = 64;

constexpr quint32 kTipoNodo = 0, kTipoZonas = 1, kTipoGeometria = 2;

quint32 U32(const uchar* p) { return qFromLittleEndian<quint32>(p); }

// One zone's polygons within a cell, as the ray test and the distances left them.
struct Pieza {
    int zona = 0;
    bool dentro = false;
    double distancia = std::numeric_limits<double>::infinity();  // to its nearest edge, km
};

// The distance from (px, py) to the segment (ax, ay)-(bx, by), same units.
double DistanciaSegmento(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double largo2 = dx * dx + dy * dy;
    double t = largo2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / largo2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

double ZonaNautica(double longitudEste) {
    if (!std::isfinite(longitudEste)) return 0.0;
    // floor(x + 0.5) sends a band's edge east; the clamp splits the band at
    // 180 degrees: up to +180 is +12, from -180 it is -12. "+ 0.0" turns a
    // negative zero into zero.
    return std::clamp(std::floor(longitudEste / 15.0 + 0.5), -12.0, 12.0) + 0.0;
}

QString NombreZonaNautica(double horas) {
    const int h = int(std::lround(horas));
    if (h == 0) return QStringLiteral("Etc/GMT");
    // POSIX counts hours west of Greenwich as positive.
    return QStringLiteral("Etc/GMT%1%2")
        .arg(h < 0 ? QLatin1Char('+') : QLatin1Char('-'))
        .arg(std::abs(h));
}

struct IndiceZonas::Datos {
    std::unique_ptr<QFile> archivo;
    const uchar* base = nullptr;
    qint64 largo = 0;
    quint32 numZonas = 0, numNodos = 0, tablaNodos = 0, geometria = 0;
    quint64 palabrasGeometria = 0;  // u16 words in the geometry section
    std::vector<QString> ids;       // by zone number; [0] unused
    std::vector<QString> sustitutas;
    std::vector<quint32> rangos;  // size rank: the smaller zone first where two overlap
    // Per zone, what the system's tzdata makes of it, found on first use:
    // 0 not yet known, 1 it has the id, 2 it lacks it but has the stand-in,
    // 3 it lacks both.
    std::unique_ptr<std::atomic<int>[]> estado;

    quint32 Nodo(quint32 nodo, int hijo) const {
        return U32(base + tablaNodos + 16 * quint64(nodo) + 4 * hijo);
    }
    quint16 Palabra(quint64 i) const {
        return i < palabrasGeometria ? qFromLittleEndian<quint16>(base + geometria + 2 * i) : 0;
    }

    // The id to give for zone `z` of the boundaries; a note when the system
    // lacks it.
    QString Nombre(int z, QString* nota) const {
        int e = estado[z].load(std::memory_order_relaxed);
        if (e == 0) {
            e = ZonaConocida(ids[z])                                        ? 1
                : (!sustitutas[z].isEmpty() && ZonaConocida(sustitutas[z])) ? 2
                                                                            : 3;
            estado[z].store(e, std::memory_order_relaxed);
        }
        if (e == 1) return ids[z];
        if (nota) {
            *nota = e == 2 ? QStringLiteral("%1 falta en el tzdata de este sistema; se usa %2.")
                                 .arg(ids[z], sustitutas[z])
                           : QStringLiteral("%1 falta en el tzdata de este sistema.").arg(ids[z]);
        }
        return e == 2 ? sustitutas[z] : ids[z];
    }

    // The pieces of the cell whose geometry starts at word `g`, for the point
    // at (qx, qy) in the cell's quantized coordinates; kx and ky are the km
    // of one step east and north there.
    QVarLengthArray<Pieza, 16> Piezas(quint64 g, double qx, double qy, double kx, double ky) const;
};

QVarLengthArray<Pieza, 16> IndiceZonas::Datos::Piezas(quint64 g, double qx, double qy, double kx,
                                                      double ky) const {
    QVarLengthArray<Pieza, 16> piezas;
    const int numPiezas = Palabra(g++);
    const double px = qx * kx, py = qy * ky;
    for (int i = 0; i < numPiezas && g < palabrasGeometria; ++i) {
        Pieza p;
        p.zona = Palabra(g++);
        const int anillos = Palabra(g++);
        double minima = std::numeric_limits<double>::infinity();
        for (int a = 0; a < anillos && g < palabrasGeometria; ++a) {
            const quint64 puntos = Palabra(g++);
            if (puntos == 0) continue;
            double xa = Palabra(g), ya = Palabra(g + 1);
            for (quint64 k = 1; k < puntos; ++k) {
                const double xb = Palabra(g + 2 * k), yb = Palabra(g + 2 * k + 1);
                // Ray to the east: an edge crossing the point's row east of it.
                if ((ya > qy) != (yb > qy) && qx < xa + (qy - ya) * (xb - xa) / (yb - ya))
                    p.dentro = !p.dentro;
                // An edge along a side of the cell is the cell's border, not a
                // boundary between zones.
                const bool borde = (xa == xb && (xa == 0 || xa == kEscala)) ||
                                   (ya == yb && (ya == 0 || ya == kEscala));
                if (!borde) {
                    const double d = DistanciaSegmento(px, py, xa * kx, ya * ky, xb * kx, yb * ky);
                    minima = std::min(minima, d);
                }
                xa = xb;
                ya = yb;
            }
            g += 2 * puntos;
        }
        p.distancia = minima;
        if (p.zona >= 1 && quint32(p.zona) <= numZonas) piezas.append(p);
    }
    return piezas;
}

IndiceZonas::IndiceZonas(std::unique_ptr<Datos> datos) : d_(std::move(datos)) {}
IndiceZonas::~IndiceZonas() = default;

int IndiceZonas::NumZonas() const { return int(d_->numZonas); }
QString IndiceZonas::Ruta() const { return d_->archivo->fileName(); }

std::unique_ptr<IndiceZonas> IndiceZonas::Abre(const QString& ruta, QString* problema) {
    auto falla = [&](const QString& por) {
        if (problema) *problema = QStringLiteral("%1: %2").arg(ruta, por);
        return nullptr;
    };
    auto d = std::make_unique<Datos>();
    d->archivo = std::make_unique<QFile>(ruta);
    if (!d->archivo->open(QIODevice::ReadOnly)) return falla(d->archivo->errorString());
    d->largo = d->archivo->size();
    if (d->largo < 32) return falla(QStringLiteral("no es un índice de zonas"));
    d->base = d->archivo->map(0, d->largo);
    if (!d->base) return falla(d->archivo->errorString());
    const uchar* b = d->base;
    if (std::memcmp(b, "VZONAS1", 8) != 0) return falla(QStringLiteral("no es un índice de zonas"));
    d->numZonas = U32(b + 8);
    const quint64 tablaZonas = U32(b + 12);
    d->numNodos = U32(b + 16);
    d->tablaNodos = U32(b + 20);
    d->geometria = U32(b + 24);
    const quint64 largo = U32(b + 28);
    if (largo != quint64(d->largo) || d->numZonas == 0 || d->numZonas >= (1u << 15) ||
        d->numNodos == 0 || tablaZonas + 12 * quint64(d->numZonas) > largo ||
        d->tablaNodos + 16 * quint64(d->numNodos) > d->geometria || d->geometria > largo ||
        (largo - d->geometria) % 2 != 0)
        return falla(QStringLiteral("índice de zonas dañado"));
    d->palabrasGeometria = (largo - d->geometria) / 2;
    auto texto = [&](quint32 pos, QString* t) {
        if (pos == 0) return true;
        if (pos >= largo) return false;
        const void* fin = std::memchr(b + pos, 0, largo - pos);
        if (!fin) return false;
        *t = QString::fromLatin1(reinterpret_cast<const char*>(b + pos),
                                 static_cast<const uchar*>(fin) - (b + pos));
        return true;
    };
    d->ids.resize(d->numZonas + 1);
    d->sustitutas.resize(d->numZonas + 1);
    d->rangos.resize(d->numZonas + 1);
    for (quint32 z = 1; z <= d->numZonas; ++z) {
        const uchar* fila = b + tablaZonas + 12 * quint64(z - 1);
        if (!texto(U32(fila), &d->ids[z]) || d->ids[z].isEmpty() ||
            !texto(U32(fila + 4), &d->sustitutas[z]))
            return falla(QStringLiteral("índice de zonas dañado"));
        d->rangos[z] = U32(fila + 8);
    }
    d->estado = std::make_unique<std::atomic<int>[]>(d->numZonas + 1);
    return std::unique_ptr<IndiceZonas>(new IndiceZonas(std::move(d)));
}

std::optional<ZonaDeCoordenadas> IndiceZonas::Busca(double latitud, double longitudEste) const {
    if (!std::isfinite(latitud) || !std::isfinite(longitudEste) || latitud < -90.0 ||
        latitud > 90.0)
        return std::nullopt;
    // Longitude into [-180, 180], keeping 180 (east) and -180 (west) apart
    // for the nautical zones.
    double lon = std::fmod(longitudEste, 360.0);
    if (lon > 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;

    const Datos& d = *d_;
    ZonaDeCoordenadas r;
    const double horas = ZonaNautica(lon);
    auto mar = [&](ZonaDeCoordenadas& z) {
        z.zona = NombreZonaNautica(horas);
        z.nautica = true;
        z.horasNauticas = horas;
    };

    // Down the quadtree as geo-tz built it (same midpoints, same ties).
    const double y = std::clamp(latitud, kSur, kNorte), x = std::clamp(lon, kOeste, kEste);
    double o = kOeste, s = kSur, e = kEste, n = kNorte;
    quint32 nodo = 0;
    for (int nivel = 0; nivel < kProfundidadMaxima; ++nivel) {
        const double mlon = (o + e) / 2, mlat = (s + n) / 2;
        int hijo;
        if (y >= mlat) {
            s = mlat;
            hijo = x >= mlon ? 0 : 1;
            (x >= mlon ? o : e) = mlon;
        } else {
            n = mlat;
            hijo = x >= mlon ? 3 : 2;
            (x >= mlon ? o : e) = mlon;
        }
        const quint32 ranura = d.Nodo(nodo, hijo);
        const quint32 tipo = ranura >> 30, valor = ranura & 0x3FFFFFFFu;
        if (ranura == 0) break;  // open sea
        if (tipo == kTipoNodo) {
            if (valor >= d.numNodos) break;
            nodo = valor;
            continue;
        }
        if (tipo == kTipoZonas) {
            const int a = int(valor & 0x7FFF), b = int(valor >> 15);
            if (a < 1 || quint32(a) > d.numZonas) break;
            r.zona = d.Nombre(a, &r.nota);
            if (b >= 1 && quint32(b) <= d.numZonas) {
                r.otra = d.Nombre(b, nullptr);
                r.solapadas = true;
            }
            return r;
        }
        if (tipo != kTipoGeometria) break;

        // A cell a boundary crosses: its pieces, the ray test and distances.
        const double qx = (x - o) / (e - o) * kEscala, qy = (y - s) / (n - s) * kEscala;
        const double kx = (e - o) / kEscala * kKmGrado * std::cos(y * 3.14159265358979323846 / 180);
        const double ky = (n - s) / kEscala * kKmGrado;
        auto piezas = d.Piezas(valor, qx, qy, kx, ky);
        std::sort(piezas.begin(), piezas.end(),
                  [](const Pieza& p, const Pieza& q) { return p.distancia < q.distancia; });
        QVarLengthArray<Pieza, 16> dentro;
        for (const Pieza& p : piezas)
            if (p.dentro) dentro.append(p);
        auto nombra = [&](int z) { return d.Nombre(z, nullptr); };
        if (dentro.size() >= 2) {
            // Two zones hold the point: a true overlap, or, near their shared
            // boundary, the two simplifications crossing each other.
            if (dentro[0].distancia < kSimplificacion) {
                const Pieza& honda =
                    dentro[0].distancia >= dentro[1].distancia ? dentro[0] : dentro[1];
                const Pieza& somera = &honda == &dentro[0] ? dentro[1] : dentro[0];
                r.zona = d.Nombre(honda.zona, &r.nota);
                r.otra = nombra(somera.zona);
                r.dudosa = true;
            } else {
                const bool primera = d.rangos[dentro[0].zona] <= d.rangos[dentro[1].zona];
                r.zona = d.Nombre(primera ? dentro[0].zona : dentro[1].zona, &r.nota);
                r.otra = nombra(primera ? dentro[1].zona : dentro[0].zona);
                r.solapadas = true;
            }
            return r;
        }
        if (dentro.size() == 1) {
            r.zona = d.Nombre(dentro[0].zona, &r.nota);
            if (!piezas.isEmpty() && piezas[0].distancia < kDuda) {
                r.dudosa = true;
                for (const Pieza& p : piezas) {
                    if (p.zona != dentro[0].zona && p.distancia < kDuda) {
                        r.otra = nombra(p.zona);
                        break;
                    }
                }
                if (r.otra.isEmpty()) r.otra = NombreZonaNautica(horas);
            }
            return r;
        }
        // In no piece: the sea, unless two zones' edges pass within the
        // simplification's reach, a sliver the two simplified boundaries
        // left between them.
        if (piezas.size() >= 2 && piezas[1].distancia < kSimplificacion &&
            piezas[0].zona != piezas[1].zona) {
            r.zona = d.Nombre(piezas[0].zona, &r.nota);
            r.otra = nombra(piezas[1].zona);
            r.dudosa = true;
            return r;
        }
        mar(r);
        if (!piezas.isEmpty() && piezas[0].distancia < kDuda) {
            r.dudosa = true;
            r.otra = nombra(piezas[0].zona);
        }
        return r;
    }
    mar(r);
    return r;
}

const IndiceZonas* IndiceZonas::DelPrograma(QString* problema) {
    struct Abierto {
        std::unique_ptr<IndiceZonas> indice;
        QString problema;
    };
    // Opened once, by whichever thread asks first (C++ static initialization
    // is thread-safe).
    static const Abierto abierto = [] {
        Abierto a;
        const QString variable = qEnvironmentVariable("VESPALBA_ZONAS_GEO");
        if (!variable.isEmpty()) {
            a.indice = Abre(variable, &a.problema);
            return a;
        }
        QStringList rutas;
        const QString programa = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        if (!programa.isEmpty()) {
            rutas << QDir(QFileInfo(programa).path())
                         .filePath(QStringLiteral(VESPALBA_DATOS_RELATIVO "/zonas.idx"));
        }
        rutas << QStringLiteral(VESPALBA_ZONAS_FUENTE);
        QStringList problemas;
        for (const QString& ruta : rutas) {
            if (!QFileInfo::exists(ruta)) {
                problemas << QStringLiteral("%1: no existe").arg(ruta);
                continue;
            }
            QString p;
            a.indice = Abre(ruta, &p);
            if (a.indice) return a;
            problemas << p;
        }
        a.problema = QStringLiteral("No se encontró el índice de zonas horarias (%1).")
                         .arg(problemas.join(QStringLiteral("; ")));
        return a;
    }();
    if (!abierto.indice && problema) *problema = abierto.problema;
    return abierto.indice.get();
}

std::optional<ZonaDeCoordenadas> ZonaEn(double latitud, double longitudEste, QString* problema) {
    const IndiceZonas* indice = IndiceZonas::DelPrograma(problema);
    if (!indice) return std::nullopt;
    auto z = indice->Busca(latitud, longitudEste);
    if (!z && problema) {
        *problema = QStringLiteral("Coordenadas fuera de rango: latitud %1, longitud %2.")
                        .arg(latitud)
                        .arg(longitudEste);
    }
    return z;
}

}  // namespace Vespalba

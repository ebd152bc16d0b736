// SPDX-License-Identifier: GPL-3.0-or-later
// The IANA time zone of any point of the globe: on land and in territorial
// waters, the zone of the timezone-boundary-builder boundaries (ODbL-1.0,
// OpenStreetMap contributors; see lugares/datos/ZONAS-PROCEDENCIA.md), read
// from an index file mapped into memory once (lugares/datos/zonas.idx, made by
// lugares/datos/zonas_geo.py, which describes its format); at sea, the nautical
// zone of the longitude.
//
// The index keeps the zones' polygons simplified by at most about 110 m and
// quantized to a few metres: a point farther than that from every boundary
// gets the zone the exact polygons give it; nearer, either of the zones on
// the two sides of the boundary, with `dudosa` set within about 1 km.
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace Vespalba {

// The nautical zone of a longitude (EAST positive): hours east of universal
// time, the longitude divided by 15 and rounded, -12 to +12. Bands of 15
// degrees centred on the multiples of 15; a longitude on a band's edge goes
// to the eastern band (7.5 -> +1, -7.5 -> 0); the band at 180 degrees is
// split at the date line: +12 west of it (172.5 to 180), -12 east of it
// (-180 to -172.5). Not finite: 0.
double ZonaNautica(double longitudEste);

// The tzdata id of a nautical zone of `horas` (-12 to +12, whole): "Etc/GMT"
// for 0; otherwise POSIX's inverted sign, "Etc/GMT+5" for -5 h, "Etc/GMT-12"
// for +12 h.
QString NombreZonaNautica(double horas);

// The zone of a point.
struct ZonaDeCoordenadas {
    // The IANA id to use ("America/Santiago"); at sea the nautical zone's
    // ("Etc/GMT+5"). Always one the system's tzdata has, unless `nota` says
    // otherwise.
    QString zona;
    // The other candidate, or empty: when `solapadas`, the other zone that
    // claims the point; when `dudosa`, the zone across the nearest boundary
    // (a nautical id for the sea).
    QString otra;
    bool nautica = false;        // outside every land zone: `zona` is nautical
    double horasNauticas = 0.0;  // when `nautica`: hours east of UT, ZonaNautica(longitude)
    // A boundary passes within about 1 km: the point may belong to `otra`.
    bool dudosa = false;
    // Two zones' boundaries both hold the point (Asia/Urumqi and
    // Asia/Shanghai in Xinjiang; Asia/Tbilisi and Europe/Moscow in Abkhazia
    // and South Ossetia): `zona` is the smaller of the two in area, the more
    // local one, and `otra` the larger.
    bool solapadas = false;
    // Spanish, empty in general: says when the boundaries' zone is missing
    // from the system's tzdata and which one is given instead
    // (America/Coyhaique, new in tzdata 2025b, as America/Punta_Arenas).
    QString nota;
};

// An index of zone boundaries, mapped read-only; lookups read no file and
// may run in several threads at once.
class IndiceZonas {
public:
    // The index in file `ruta`, mapped; null, with the reason in Spanish in
    // *problema, when it cannot be opened or is not a valid index.
    static std::unique_ptr<IndiceZonas> Abre(const QString& ruta, QString* problema);

    // The program's index, opened on the first call (thread-safe) and kept
    // for the life of the process: $VESPALBA_ZONAS_GEO when set; otherwise
    // ../share/vespalba/zonas.idx from the running program's folder, as
    // installed; otherwise the source tree's lugares/datos/zonas.idx, for
    // programs run from the build folder. Null, with the reason, when none
    // opens.
    static const IndiceZonas* DelPrograma(QString* problema = nullptr);

    ~IndiceZonas();
    IndiceZonas(const IndiceZonas&) = delete;
    IndiceZonas& operator=(const IndiceZonas&) = delete;

    // The zone of latitude `latitud` (degrees, north positive, -90 to 90)
    // and longitud `longitudEste` (degrees, EAST positive; any finite value,
    // taken modulo 360). None for coordinates out of range or not finite.
    std::optional<ZonaDeCoordenadas> Busca(double latitud, double longitudEste) const;

    int NumZonas() const;
    // The file mapped.
    QString Ruta() const;

private:
    struct Datos;
    explicit IndiceZonas(std::unique_ptr<Datos> datos);
    std::unique_ptr<Datos> d_;
};

// IndiceZonas::DelPrograma()->Busca(latitud, longitudEste): none, with the
// reason in *problema, when the index cannot be opened or the coordinates
// are out of range.
std::optional<ZonaDeCoordenadas> ZonaEn(double latitud, double longitudEste,
                                        QString* problema = nullptr);

}  // namespace Vespalba

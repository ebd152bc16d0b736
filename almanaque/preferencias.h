// SPDX-License-Identifier: GPL-3.0-or-later
// What the almanac window remembers between runs, kept with QSettings in
// the user's configuration folder: the last place and zone choice, the
// window's geometry and the favourite places, one of which may be the
// default place (the place the command line's scripts use too). Every
// value is checked when read: a file that is unreadable, truncated or
// holds nonsense gives the defaults, never a crash.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <optional>
#include <vector>

#include "almanaque/modelo.h"

namespace Vespalba::Almanaque {

struct Preferencias {
    std::optional<Sitio> ultimo;  // the place shown last
    EleccionZona zona;            // the zone choice shown last
    QByteArray geometria;         // QWidget::saveGeometry's bytes
    std::vector<Sitio> favoritos;
    int porOmision = -1;  // index in favoritos of the default place, or -1
};

// The settings of the almanac ("vespalba", "vespalba-almanaque") and the
// settings shared by both programs ("vespalba", "vespalba"), whose
// [lugar_por_omision] group is the default place. Tests pass their own.
Preferencias LeePreferencias(QSettings& almanaque, QSettings& comun);
void GuardaPreferencias(const Preferencias& p, QSettings& almanaque, QSettings& comun);

// Writes only what belongs to one window: the last place, the zone and the
// geometry. The favourites and the default place are shared by every
// window and program that opens the same files, and change only through
// CambiaFavoritos.
void GuardaEstado(const Preferencias& p, QSettings& almanaque);

// A change to the favourites, for the shown place.
enum class CambioFavorito {
    Anade,       // added at the end when not there yet
    Quita,       // removed (and no longer the default when it was)
    PorOmision,  // made the default place (added when not a favourite), or no longer the default
};

// Applies `cambio` for `sitio` to the favourites and the default place as
// the files hold them now, not to a copy read earlier: under a lock beside
// the almanac's file that every window takes for this, both files are read
// again (QSettings::sync), changed and written back. So what another window
// or program added or removed meanwhile is kept. Gives the favourites and
// the default place as written (the other members of the result are as
// read, and may be ignored).
Preferencias CambiaFavoritos(QSettings& almanaque, QSettings& comun, CambioFavorito cambio,
                             const Sitio& sitio);

// The favourites and the default place as the files hold them now (read
// again from disk), for a window whose files another one changed.
Preferencias RecargaPreferencias(QSettings& almanaque, QSettings& comun);

// The default place stored in the shared settings, if any valid one is.
std::optional<Sitio> LeeLugarPorOmision(QSettings& comun);

// The place of the first start: the main location of the system's time
// zone as tzdata's zone1970.tab gives it (named from the zone's id:
// America/Santiago is Santiago), or Valparaíso when the zone has no entry
// there (UTC, links) or lies at 75 degrees of latitude or more.
//   zona:  the system's zone id (QTimeZone::systemTimeZoneId())
//   tabla: zone1970.tab's path
Sitio SitioInicial(const QByteArray& zona,
                   const QString& tabla = QStringLiteral("/usr/share/zoneinfo/zone1970.tab"));

}  // namespace Vespalba::Almanaque

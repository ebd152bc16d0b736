// SPDX-License-Identifier: GPL-3.0-or-later
// The default place both almanac programs share: the almanac window's
// favourite marked "por omisión" and vespalba-tabla's --guardar-lugar are
// the same setting, the group [lugar_por_omision] of the user's
// ~/.config/vespalba/vespalba.conf (QSettings "vespalba", "vespalba").
// Every value is checked when read: a file that is unreadable, truncated or
// holds nonsense gives no place, never a crash.
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <optional>

namespace Vespalba {

// A place as it is stored.
struct LugarGuardado {
    QString nombre;          // "Valparaíso"; empty for bare coordinates
    QString nombreCompleto;  // "Valparaíso, Región de Valparaíso, Chile"; may be empty
    double latitud = 0.0;    // degrees, north positive, |latitud| < 75
    double longitud = 0.0;   // degrees, EAST positive, |longitud| < 180
    QString zona;            // the place's IANA zone; empty when none is known
    bool operator==(const LugarGuardado&) const = default;
};

// Longest name kept, characters.
inline constexpr int MaximoNombreGuardado = 200;

// A setting's value as a finite number (written with '.'), none otherwise.
std::optional<double> NumeroGuardado(const QVariant& v);
// A setting's value as one line of text: control characters taken out, at
// most MaximoNombreGuardado characters; empty for a list or nothing.
QString TextoGuardado(const QVariant& v);

// Whether a place may be used: finite coordinates in range, and a zone that
// is empty or known to the system's tzdata.
bool LugarGuardadoValido(const LugarGuardado& l);

// The place stored in the current group of `s` (keys nombre,
// nombre_completo, latitud, longitud, zona); none when any part is missing
// or bad. Control characters are taken out of the names.
std::optional<LugarGuardado> LeeLugarGuardado(QSettings& s);

// Stores `l` in the current group of `s`; the numbers as the shortest
// decimals that read back exactly, with '.' whatever the locale.
void EscribeLugarGuardado(QSettings& s, const LugarGuardado& l);

// The default place of the shared settings, none when none valid is stored
// or the file cannot be read.
std::optional<LugarGuardado> LeeLugarPorOmision(QSettings& comun);
// Stores the default place (none: removes it).
void GuardaLugarPorOmision(QSettings& comun, const std::optional<LugarGuardado>& l);

// Makes sure HOME is set before Qt looks for the configuration folder:
// under cron or systemd a job may start without it, and Qt would then look
// in /.config. Takes the home folder of the user's passwd entry; does
// nothing when HOME is set or no entry is found. Call before anything of
// Qt reads paths.
void CompletaHome();

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/guardado.h"

#include <QRegularExpression>
#include <QVariant>

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "lugares/zonas.h"

namespace Vespalba {

namespace {

const QString grupoPorOmision = QStringLiteral("lugar_por_omision");

}  // namespace

std::optional<double> NumeroGuardado(const QVariant& v) {
    if (!v.isValid() || v.isNull() || v.typeId() == QMetaType::QVariantList) return std::nullopt;
    bool ok = false;
    const double x = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x)) return std::nullopt;
    return x + 0.0;  // no -0
}

QString TextoGuardado(const QVariant& v) {
    if (!v.isValid() || v.typeId() == QMetaType::QVariantList) return {};
    QString s = v.toString();
    // Control characters would break a message's line and the menus.
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
    s.remove(control);
    return s.left(MaximoNombreGuardado);
}

bool LugarGuardadoValido(const LugarGuardado& l) {
    return std::isfinite(l.latitud) && std::isfinite(l.longitud) && std::fabs(l.latitud) < 75.0 &&
           std::fabs(l.longitud) < 180.0 && (l.zona.isEmpty() || ZonaConocida(l.zona));
}

std::optional<LugarGuardado> LeeLugarGuardado(QSettings& s) {
    LugarGuardado l;
    const std::optional<double> lat = NumeroGuardado(s.value(QStringLiteral("latitud")));
    const std::optional<double> lon = NumeroGuardado(s.value(QStringLiteral("longitud")));
    if (!lat || !lon) return std::nullopt;
    l.latitud = *lat;
    l.longitud = *lon;
    l.nombre = TextoGuardado(s.value(QStringLiteral("nombre")));
    l.nombreCompleto = TextoGuardado(s.value(QStringLiteral("nombre_completo")));
    l.zona = TextoGuardado(s.value(QStringLiteral("zona")));
    if (!LugarGuardadoValido(l)) return std::nullopt;
    return l;
}

void EscribeLugarGuardado(QSettings& s, const LugarGuardado& l) {
    s.setValue(QStringLiteral("nombre"), l.nombre);
    s.setValue(QStringLiteral("nombre_completo"), l.nombreCompleto);
    s.setValue(QStringLiteral("latitud"), QString::number(l.latitud, 'g', 17));
    s.setValue(QStringLiteral("longitud"), QString::number(l.longitud, 'g', 17));
    s.setValue(QStringLiteral("zona"), l.zona);
}

std::optional<LugarGuardado> LeeLugarPorOmision(QSettings& comun) {
    if (comun.status() != QSettings::NoError) return std::nullopt;
    comun.beginGroup(grupoPorOmision);
    std::optional<LugarGuardado> l = LeeLugarGuardado(comun);
    comun.endGroup();
    return l;
}

void GuardaLugarPorOmision(QSettings& comun, const std::optional<LugarGuardado>& l) {
    comun.remove(grupoPorOmision);
    if (!l) return;
    comun.beginGroup(grupoPorOmision);
    EscribeLugarGuardado(comun, *l);
    comun.endGroup();
}

void CompletaHome() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return;
    long tamano = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (tamano <= 0) tamano = 16384;
    std::vector<char> memoria(static_cast<std::size_t>(tamano));
    passwd entrada{};
    passwd* hallada = nullptr;
    if (getpwuid_r(getuid(), &entrada, memoria.data(), memoria.size(), &hallada) == 0 &&
        hallada != nullptr && hallada->pw_dir != nullptr && hallada->pw_dir[0] == '/') {
        setenv("HOME", hallada->pw_dir, 1);
    }
}

}  // namespace Vespalba

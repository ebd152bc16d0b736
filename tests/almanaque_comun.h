// SPDX-License-Identifier: GPL-3.0-or-later
// What the almanac window's tests share: settings files whose last place is
// Valparaíso, and the window opened on them with a clock of the test's own.
#pragma once

#include <QSettings>
#include <QString>
#include <QTest>

#include <functional>
#include <memory>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"

namespace PruebasAlmanaque {

// Writes the almanac's settings (`archivo`) and the shared ones (`comun`)
// with Valparaíso as the last place shown.
inline void GuardaValparaiso(const QString& archivo, const QString& comun) {
    Vespalba::Almanaque::Preferencias p;
    p.ultimo = Vespalba::Almanaque::Valparaiso();
    QSettings a(archivo, QSettings::IniFormat);
    QSettings c(comun, QSettings::IniFormat);
    Vespalba::Almanaque::GuardaPreferencias(p, a, c);
}

// The window on those settings, shown and exposed, its clock `ahora`.
inline std::unique_ptr<Vespalba::Almanaque::VentanaAlmanaque> AbreAlmanaque(
    const QString& archivo, const QString& comun, std::function<qint64()> ahora) {
    auto v = std::make_unique<Vespalba::Almanaque::VentanaAlmanaque>(
        std::make_unique<QSettings>(archivo, QSettings::IniFormat),
        std::make_unique<QSettings>(comun, QSettings::IniFormat), std::move(ahora));
    v->show();
    if (!QTest::qWaitForWindowExposed(v.get())) return nullptr;
    return v;
}

}  // namespace PruebasAlmanaque

// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/colores.h"

#include <QGuiApplication>
#include <QPalette>

namespace Vespalba {

QColor ColorFondoVentana() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
}

QColor ColorMarcoVentana() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Shadow);
}

QColor ColorBordeActivo() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
}

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "letras.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace Vespalba::Dibujo {

QFont Letra(double puntos, double punto, bool negrita) {
    QFont letra;
    letra.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    letra.setStyleHint(QFont::SansSerif);
    // In the painter's units, whatever the device's resolution.
    letra.setPixelSize(std::max(1, int(std::lround(puntos * punto))));
    letra.setBold(negrita);
    return letra;
}

}  // namespace Vespalba::Dibujo

// SPDX-License-Identifier: GPL-3.0-or-later
#include "rechazos.h"

#include "astro/dominio.h"

namespace Vespalba::Tabla {

QString Rechazo(const QString& opcion, const QString& valor, const QString& problema,
                const QString& rango) {
    return QStringLiteral("%1 «%2»: %3; %4").arg(opcion, valor, problema, rango);
}

const QString rangoLugar = QStringLiteral(
    "se acepta uno de los 40 lugares (vea --lugares) o un pueblo o ciudad del nomenclátor "
    "mundial, como «Concepción» o «Valparaíso, Chile» (vea --buscar)");
const QString rangoLat =
    QStringLiteral(
        "se acepta grados:minutos y hemisferio, como 33:16S (grados de 0 a %1, minutos "
        "menores que %2), o grados decimales con el norte positivo, mayores que -%3 y "
        "menores que %3")
        .arg(ModuloVespalba::LatitudLimite - 1)
        .arg(ModuloVespalba::MinutosLimite)
        .arg(ModuloVespalba::LatitudLimite);

}  // namespace Vespalba::Tabla

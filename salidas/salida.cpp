// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/salida.h"

#include "salidas/peticion.h"

namespace Vespalba::Salidas {

// ----------------------------------------------------------------- dispatch

bool EscribePorPartes(const Peticion& peticion, const Sumidero& sumidero, const Reparto& reparto) {
    if (peticion.formato->escribe == nullptr) {
        return false;  // a drawing: see dibujo.h
    }
    const Dias::Consulta consulta = ConsultaDeDias(peticion);
    const long long n = (peticion.hasta - peticion.desde).count() + 1;
    if (n <= reparto.diasEnUnHilo) {
        return sumidero(peticion.formato->escribe(peticion, CalculaDias(consulta)));
    }
    return peticion.formato->escribePorBloques(peticion, Bloques(consulta, reparto), sumidero);
}

QByteArray Escribe(const Peticion& peticion, const Reparto& reparto) {
    QByteArray salida;
    EscribePorPartes(
        peticion,
        [&](const QByteArray& pieza) {
            salida += pieza;
            return true;
        },
        reparto);
    return salida;
}

}  // namespace Vespalba::Salidas

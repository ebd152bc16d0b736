// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/bloques.h"

#include <QThread>

#include <algorithm>

namespace Vespalba::Salidas {

using namespace std::chrono;

Bloques::Bloques(const Dias::Consulta& consulta, const Reparto& reparto)
    : consulta_(consulta),
      hilos_(reparto.hilos > 0 ? reparto.hilos : std::max(1, QThread::idealThreadCount())),
      dias_((consulta.hasta - consulta.desde).count() + 1) {
    const long long n = dias_;
    // Blocks small enough to share out evenly (four for each thread), and
    // never so large that a block's text weighs more than about a megabyte.
    porBloque_ = reparto.diasPorBloque > 0
                     ? reparto.diasPorBloque
                     : std::clamp<long long>((n + 4 * hilos_ - 1) / (4 * hilos_), 16, 512);
    cuantos_ = int((n + porBloque_ - 1) / porBloque_);
}

std::vector<DiaCalculado> Bloques::DiasDelBloque(int bloque) const {
    const sys_days desde = consulta_.desde + days{bloque * porBloque_};
    const sys_days hasta = std::min(desde + days{porBloque_ - 1}, consulta_.hasta);
    return CalculaDias(consulta_, desde, hasta);
}
}  // namespace Vespalba::Salidas

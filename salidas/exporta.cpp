// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/exporta.h"

#include <QBuffer>

#include <chrono>

#include "salidas/destino.h"
#include "salidas/dibujo.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {

Exportacion Exporta(const Peticion& peticion, const QString& ruta, const QString& programa,
                    const Progreso& progreso) {
    Exportacion r;
    Destino destino;
    if (!destino.Abre(ruta)) {
        r.motivo = destino.Motivo();
        return r;
    }
    const qint64 dias = (peticion.hasta - peticion.desde).count() + 1;
    auto sigue = [&](qint64 hecho, qint64 total) {
        if (!progreso || progreso(hecho, total)) return true;
        r.cancelado = true;
        return false;
    };
    bool escrito = false;
    if (peticion.formato->lamina == Lamina::Ninguna) {
        // The pieces come in order; their days are counted by their lines
        // only roughly, so the progress is the bytes' share of an estimate.
        qint64 hechos = 0;
        escrito = EscribePorPartes(peticion, [&](const QByteArray& pieza) {
            hechos += pieza.count('\n');
            return sigue(std::min(hechos, dias), dias) && destino.Escribe(pieza);
        });
    } else {
        if (!sigue(0, 0)) {
            destino.Termina(false);
            r.motivo = QStringLiteral("cancelado");
            return r;
        }
        const std::vector<DiaCalculado> calculados = CalculaDias(ConsultaDeDias(peticion));
        QByteArray bytes;
        QBuffer memoria(&bytes);
        memoria.open(QIODevice::WriteOnly);
        escrito = Dibuja(peticion, calculados, memoria, programa,
                         [&](int pagina, int paginas) { return sigue(pagina, paginas); });
        if (escrito) escrito = destino.Escribe(bytes);
        if (!escrito && !r.cancelado && destino.Motivo().isEmpty()) {
            destino.Termina(false);
            r.motivo = QStringLiteral(
                           "no se pudo escribir «%1»: no se pudo dibujar el formato %2; el "
                           "archivo queda como estaba")
                           .arg(ruta, QLatin1String(peticion.formato->nombre));
            return r;
        }
    }
    if (r.cancelado) {
        destino.Termina(false);
        r.motivo = QStringLiteral("cancelado");
        return r;
    }
    if (!destino.Termina(escrito)) {
        r.motivo = destino.Motivo();
        return r;
    }
    r.escrito = true;
    return r;
}

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as vespalba-tabla's command line (the
// arguments cut at '|' or, when present, at 0x01), and as a zone name. Every
// command line (with a default place stored) must be read into a request or
// refused with one line; a request of a few days is computed and written in
// each format, which must never hold "nan" nor "inf". Never a crash or a
// hang.
#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "lugares/zonas.h"
#include "salidas/formatos.h"
#include "salidas/salida.h"
#include "tabla/orden.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(tamano));

    // The zone-name reader on the whole text.
    if (Vespalba::ZonaConocida(texto)) {
        Exige(!texto.isEmpty());
    }
    Exige(Vespalba::ZonasParecidas(texto).size() <= 5);

    const QChar corte = texto.contains(QChar(1)) ? QChar(1) : QChar('|');
    const QStringList argumentos =
        QStringList{QStringLiteral("vespalba-tabla")} + texto.split(corte);
    // A fixed instant for --hoy: 2026-03-14 02:00 UT.
    // A stored default place for the command lines that name none.
    const Vespalba::Tabla::Orden orden =
        Vespalba::Tabla::LeeOrden(argumentos, 1773453600, QString(), [] {
            Vespalba::Tabla::LugarPorOmision l;
            l.lugar = Vespalba::LugarGuardado{QStringLiteral("Caleta Tortel"),
                                              {},
                                              -47.7958,
                                              -73.5353,
                                              QStringLiteral("America/Santiago")};
            return l;
        });
    if (orden.accion == Vespalba::Tabla::Accion::Error) {
        Exige(!orden.mensaje.isEmpty() && !orden.mensaje.contains(QLatin1Char('\n')));
        return 0;
    }
    if (orden.accion != Vespalba::Tabla::Accion::Calcular) return 0;
    Vespalba::Tabla::Peticion p = orden.peticion;
    // A few days are enough to exercise the writers.
    if (p.hasta - p.desde > std::chrono::days{3}) p.hasta = p.desde + std::chrono::days{3};
    for (const Vespalba::Salidas::FormatoSalida& f : Vespalba::Salidas::Formatos()) {
        // The text writers; the drawings need a platform (tabla_dibujo_test).
        if (!Vespalba::Salidas::EsTexto(f)) continue;
        p.formato = &f;
        const QString salida = QString::fromUtf8(Vespalba::Salidas::Escribe(p));
        Exige(!salida.isEmpty());
        // A number that is not one, as Qt or the C library would write it.
        static const QRegularExpression noNumero(QStringLiteral("\\b(nan|inf|infinity)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
        Exige(!noNumero.match(salida).hasMatch());
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: the window's results from the command line, for a day, a
// month, a year or a range of days. Needs no display.
#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

#include "tools/tabla/orden.h"
#include "tools/tabla/salida.h"

namespace {

// Exit statuses.
constexpr int SalidaBien = 0;
constexpr int SalidaNoEscrita = 1;  // standard output could not be written
constexpr int SalidaDatoInvalido = 2;

int Imprime(const QByteArray& texto) {
    const bool escrito = std::fwrite(texto.constData(), 1, std::size_t(texto.size()), stdout) ==
                         std::size_t(texto.size());
    return (escrito && std::fflush(stdout) == 0) ? SalidaBien : SalidaNoEscrita;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vespalba-tabla"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESPALBA_VERSION));

    using namespace std::chrono;
    const Vespalba::Tabla::Orden orden = Vespalba::Tabla::LeeOrden(
        QCoreApplication::arguments(), QDateTime::currentSecsSinceEpoch(),
        qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH") ? qEnvironmentVariable("SOURCE_DATE_EPOCH")
                                                       : QString());

    switch (orden.accion) {
        case Vespalba::Tabla::Accion::Error:
            std::fprintf(stderr, "vespalba-tabla: %s\n", orden.mensaje.toUtf8().constData());
            return SalidaDatoInvalido;
        case Vespalba::Tabla::Accion::Ayuda: return Imprime(Vespalba::Tabla::TextoAyuda().toUtf8());
        case Vespalba::Tabla::Accion::Version:
            return Imprime("vespalba-tabla " VESPALBA_VERSION "\n");
        case Vespalba::Tabla::Accion::ListaLugares:
            return Imprime(Vespalba::Tabla::ListaDeLugares());
        case Vespalba::Tabla::Accion::Buscar: {
            const Vespalba::Tabla::Busqueda b = Vespalba::Tabla::BuscaLugares(orden.busqueda);
            if (!b.problema.isEmpty()) {
                std::fprintf(stderr, "vespalba-tabla: %s\n", b.problema.toUtf8().constData());
                return SalidaDatoInvalido;
            }
            return Imprime(b.salida);
        }
        case Vespalba::Tabla::Accion::Calcular: break;
    }
    if (!orden.aviso.isEmpty()) {
        std::fprintf(stderr, "vespalba-tabla: %s\n", orden.aviso.toUtf8().constData());
    }
    // Written as it is computed: a long range never sits whole in memory.
    const bool escrito =
        Vespalba::Tabla::EscribePorPartes(orden.peticion, [](const QByteArray& pieza) {
            return std::fwrite(pieza.constData(), 1, std::size_t(pieza.size()), stdout) ==
                   std::size_t(pieza.size());
        });
    return (escrito && std::fflush(stdout) == 0) ? SalidaBien : SalidaNoEscrita;
}

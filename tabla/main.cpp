// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: the window's results from the command line, for a day, a
// month, a year or a range of days. Needs no display.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "lugares/guardado.h"
#include "lugares/lectura.h"
#include "salidas/destino.h"
#include "salidas/modulo.h"
#include "salidas/salida.h"
#include "tabla/ahora.h"
#include "tabla/espera.h"
#include "tabla/lugares.h"
#include "tabla/orden.h"

namespace {

// Exit statuses.
constexpr int SalidaBien = 0;
constexpr int SalidaNoEscrita = 1;  // the output could not be made or written
constexpr int SalidaDatoInvalido = 2;
// 3, Vespalba::Tabla::SalidaNo: a --si that does not hold, a --proximo not found.

const char programa[] = "vespalba-tabla " VESPALBA_VERSION;

void Dice(const QString& mensaje) {
    std::fprintf(stderr, "vespalba-tabla: %s\n", Vespalba::UnaLinea(mensaje).toUtf8().constData());
}

// Writes `texto` to standard output, checked to the end.
int Imprime(const QByteArray& texto) {
    Vespalba::Salidas::Destino salida;
    if (salida.Abre(QString()) && salida.Escribe(texto) && salida.Termina()) return SalidaBien;
    Dice(salida.Motivo());
    return SalidaNoEscrita;
}

// Ends the output (see Destino::Termina), saying why when it fails.
int Termina(Vespalba::Salidas::Destino& destino, bool escrito) {
    if (destino.Termina(escrito)) return SalidaBien;
    Dice(destino.Motivo());
    return SalidaNoEscrita;
}

// The settings both programs share, ~/.config/vespalba/vespalba.conf.
std::unique_ptr<QSettings> AjustesComunes() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("vespalba"), QStringLiteral("vespalba"));
}

// Why the shared settings cannot be used, or empty.
QString ProblemaDeAjustes(const QSettings& ajustes) {
    switch (ajustes.status()) {
        case QSettings::NoError: return {};
        case QSettings::AccessError: return QStringLiteral("no se puede leer");
        case QSettings::FormatError:
            return QStringLiteral("no tiene el formato de un archivo de ajustes");
    }
    return QStringLiteral("no se puede leer");
}

// The default place stored by --guardar-lugar or the almanac window.
Vespalba::Tabla::LugarPorOmision LeeLugarGuardadoDelUsuario() {
    Vespalba::Tabla::LugarPorOmision r;
    const std::unique_ptr<QSettings> ajustes = AjustesComunes();
    r.archivo = ajustes->fileName();
    r.problema = ProblemaDeAjustes(*ajustes);
    if (!r.problema.isEmpty()) return r;
    ajustes->beginGroup(QStringLiteral("lugar_por_omision"));
    const bool hay = !ajustes->childKeys().isEmpty();
    ajustes->endGroup();
    r.lugar = Vespalba::LeeLugarPorOmision(*ajustes);
    if (hay && !r.lugar) r.problema = QStringLiteral("sus valores no son un lugar válido");
    return r;
}

// --guardar-lugar: stores the place, then says what was stored and where.
int GuardaLugar(const Vespalba::Tabla::Peticion& peticion) {
    const std::unique_ptr<QSettings> ajustes = AjustesComunes();
    if (const QString problema = ProblemaDeAjustes(*ajustes); !problema.isEmpty()) {
        // Written over, its other settings would be lost.
        Dice(QStringLiteral("--guardar-lugar: %1 %2; no se escribe en él para no perder lo que "
                            "guarda: corríjalo o bórrelo")
                 .arg(ajustes->fileName(), problema));
        return SalidaNoEscrita;
    }
    const Vespalba::LugarGuardado lugar = Vespalba::Tabla::LugarParaGuardar(peticion);
    Vespalba::GuardaLugarPorOmision(*ajustes, lugar);
    ajustes->sync();
    if (ajustes->status() != QSettings::NoError) {
        Dice(QStringLiteral("--guardar-lugar: no se pudo escribir %1").arg(ajustes->fileName()));
        return SalidaNoEscrita;
    }
    const QString nombre = lugar.nombreCompleto.isEmpty() ? lugar.nombre : lugar.nombreCompleto;
    return Imprime(QStringLiteral("lugar por omisión: %1%2 (latitud %3, longitud %4%5), en %6\n")
                       .arg(nombre, nombre.isEmpty() ? QString() : QStringLiteral(","))
                       .arg(lugar.latitud, 0, 'f', 4)
                       .arg(lugar.longitud, 0, 'f', 4)
                       .arg(lugar.zona.isEmpty() ? QString() : QStringLiteral(", ") + lugar.zona,
                            ajustes->fileName())
                       .toUtf8());
}

// --esperar: sleeps until the event, then ends with its status; ended by
// SIGTERM or SIGINT, ends by the same signal, as the shell expects.
int Espera(const Vespalba::Tabla::Peticion& peticion) {
    QString problema;
    std::unique_ptr<Vespalba::Tabla::Reloj> reloj = Vespalba::Tabla::RelojDelSistema(problema);
    if (!reloj) {
        Dice(QStringLiteral("--esperar: no se pudo preparar la espera (%1)").arg(problema));
        return SalidaNoEscrita;
    }
    const Vespalba::Tabla::ResultadoEspera r =
        Vespalba::Tabla::EsperaSuceso(peticion, *reloj, [](const QString& linea) { Dice(linea); });
    if (!r.respuesta.mensaje.isEmpty()) Dice(r.respuesta.mensaje);
    if (r.senal != 0) {
        reloj.reset();  // the signals' mask as it was
        std::signal(r.senal, SIG_DFL);
        std::raise(r.senal);
    }
    return r.respuesta.estado;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (a closed pipe) makes a write fail with EPIPE,
    // reported with status 1, instead of ending the program by the signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Under cron or a systemd unit HOME may be unset: the stored place is
    // then found through the user's passwd entry.
    Vespalba::CompletaHome();
    // The text formats need Qt Core only; a drawing ends this application
    // object and has the module make a QGuiApplication.
    std::optional<QCoreApplication> nucleo;
    nucleo.emplace(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vespalba-tabla"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESPALBA_VERSION));

    const Vespalba::Tabla::Orden orden = Vespalba::Tabla::LeeOrden(
        QCoreApplication::arguments(), QDateTime::currentSecsSinceEpoch(),
        qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH") ? qEnvironmentVariable("SOURCE_DATE_EPOCH")
                                                       : QString(),
        LeeLugarGuardadoDelUsuario);

    switch (orden.accion) {
        case Vespalba::Tabla::Accion::Error: Dice(orden.mensaje); return SalidaDatoInvalido;
        case Vespalba::Tabla::Accion::Ayuda: return Imprime(Vespalba::Tabla::TextoAyuda().toUtf8());
        case Vespalba::Tabla::Accion::Version: return Imprime(QByteArray(programa) + '\n');
        case Vespalba::Tabla::Accion::ListaLugares:
            return Imprime(Vespalba::Tabla::ListaDeLugares());
        case Vespalba::Tabla::Accion::Buscar: {
            const Vespalba::Tabla::Busqueda b = Vespalba::Tabla::BuscaLugares(orden.busqueda);
            if (!b.problema.isEmpty()) {
                Dice(b.problema);
                return SalidaDatoInvalido;
            }
            if (!b.aviso.isEmpty()) Dice(b.aviso);
            return Imprime(b.salida);
        }
        case Vespalba::Tabla::Accion::GuardarLugar:
            if (!orden.aviso.isEmpty()) Dice(orden.aviso);
            return GuardaLugar(orden.peticion);
        case Vespalba::Tabla::Accion::Esperar:
            if (!orden.aviso.isEmpty()) Dice(orden.aviso);
            return Espera(orden.peticion);
        case Vespalba::Tabla::Accion::Ahora:
        case Vespalba::Tabla::Accion::Si:
        case Vespalba::Tabla::Accion::Proximo: {
            // The present instant: the answer, then its status (3: the
            // condition does not hold, or the event does not occur).
            if (!orden.aviso.isEmpty()) Dice(orden.aviso);
            const Vespalba::Tabla::Respuesta r =
                Vespalba::Tabla::Responde(orden.accion, orden.peticion);
            if (!r.salida.isEmpty()) {
                Vespalba::Salidas::Destino destino;
                if (!destino.Abre(orden.peticion.salida) || !destino.Escribe(r.salida) ||
                    !destino.Termina()) {
                    Dice(destino.Motivo());
                    return SalidaNoEscrita;
                }
            }
            if (!r.mensaje.isEmpty()) Dice(r.mensaje);
            return r.estado;
        }
        case Vespalba::Tabla::Accion::Calcular: break;
    }
    const Vespalba::Tabla::Peticion& peticion = orden.peticion;
    // Opened first (a named pipe waits here for its reader), so that a
    // terminal it leads to is known before anything is written.
    Vespalba::Salidas::Destino destino;
    if (!destino.Abre(peticion.salida)) {
        Dice(destino.Motivo());
        return SalidaNoEscrita;
    }
    const QString rechazo = Vespalba::Tabla::RechazoTerminal(peticion, destino.EsTerminal());
    if (!rechazo.isEmpty()) {
        Dice(rechazo);
        return SalidaDatoInvalido;
    }
    if (!orden.aviso.isEmpty()) {
        Dice(orden.aviso);
    }
    if (peticion.formato->lamina == Vespalba::Salidas::Lamina::Ninguna) {
        // Written as it is computed: a long range never sits whole in memory.
        const bool escrito = Vespalba::Salidas::EscribePorPartes(
            peticion, [&](const QByteArray& pieza) { return destino.Escribe(pieza); });
        return Termina(destino, escrito);
    }
    // A drawing: computed whole, drawn, then written.
    QString problema;
    const Vespalba::Salidas::DibujaPeticion dibuja =
        Vespalba::Salidas::CargaModuloDibujo(QCoreApplication::applicationDirPath(), problema);
    if (dibuja == nullptr) {
        Dice(problema);
        return SalidaNoEscrita;
    }
    nucleo.reset();
    QByteArray dibujo;
    if (!dibuja(argc, argv, peticion, QLatin1String(programa), dibujo, problema)) {
        Dice(problema);
        return SalidaNoEscrita;  // a file of --salida is left as it was
    }
    return Termina(destino, destino.Escribe(dibujo));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: the window's results from the command line, for a day, a
// month, a year or a range of days. Needs no display.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "tools/tabla/modulo.h"
#include "tools/tabla/orden.h"
#include "tools/tabla/salida.h"

namespace {

// Exit statuses.
constexpr int SalidaBien = 0;
constexpr int SalidaNoEscrita = 1;  // the output could not be made or written
constexpr int SalidaDatoInvalido = 2;

const char programa[] = "vespalba-tabla " VESPALBA_VERSION;

void Dice(const QString& mensaje) {
    std::fprintf(stderr, "vespalba-tabla: %s\n",
                 Vespalba::Tabla::UnaLinea(mensaje).toUtf8().constData());
}

int Imprime(const QByteArray& texto) {
    const bool escrito = std::fwrite(texto.constData(), 1, std::size_t(texto.size()), stdout) ==
                         std::size_t(texto.size());
    return (escrito && std::fflush(stdout) == 0) ? SalidaBien : SalidaNoEscrita;
}

// Why the file of --salida could not be made or written, in words.
QString MotivoArchivo(const QString& ruta, const QSaveFile& archivo) {
    const QFileInfo info(ruta);
    const QFileInfo carpeta(info.absolutePath());
    QString motivo;
    if (info.isDir()) {
        motivo = QStringLiteral("es una carpeta");
    } else if (!carpeta.isDir()) {
        motivo = QStringLiteral("no existe la carpeta %1").arg(carpeta.filePath());
    } else if (!carpeta.isWritable()) {
        motivo = QStringLiteral("no se puede escribir en la carpeta %1").arg(carpeta.filePath());
    } else if (info.exists() && !info.isWritable()) {
        motivo = QStringLiteral("el archivo no se puede escribir");
    } else {
        motivo = QStringLiteral("falló la escritura (%1)").arg(archivo.errorString());
    }
    return QStringLiteral("no se pudo escribir «%1»: %2; el archivo queda como estaba")
        .arg(ruta, motivo);
}

// Where the output goes: standard output, or the file of --salida through
// a QSaveFile (a new file next to it, renamed over it once whole).
class Destino {
public:
    // False, with the reason said, when the file cannot be opened.
    bool Abre(const QString& ruta) {
        ruta_ = ruta;
        if (ruta.isEmpty()) return true;
        archivo_ = std::make_unique<QSaveFile>(ruta);
        if (!archivo_->open(QIODevice::WriteOnly)) {
            Dice(MotivoArchivo(ruta_, *archivo_));
            return false;
        }
        return true;
    }
    bool Escribe(const QByteArray& pieza) {
        if (archivo_) return archivo_->write(pieza) == pieza.size();
        return std::fwrite(pieza.constData(), 1, std::size_t(pieza.size()), stdout) ==
               std::size_t(pieza.size());
    }
    // Ends the output: the file committed, or standard output flushed; on
    // the file's failure, says why and leaves an existing file as it was.
    int Termina(bool escrito) {
        if (!archivo_) {
            return (escrito && std::fflush(stdout) == 0) ? SalidaBien : SalidaNoEscrita;
        }
        if (escrito && archivo_->commit()) return SalidaBien;
        Dice(MotivoArchivo(ruta_, *archivo_));
        archivo_->cancelWriting();
        return SalidaNoEscrita;
    }

private:
    QString ruta_;
    std::unique_ptr<QSaveFile> archivo_;
};

// The drawing module's entry point, or none with the reason. Looked for
// next to the program (the build tree), then where it is installed.
Vespalba::Tabla::DibujaPeticion CargaModulo(const QString& carpeta, QString& problema) {
    const QStringList rutas = {
        QDir(carpeta).filePath(QStringLiteral(VESPALBA_MODULO_RELATIVO "/") +
                               QLatin1String(Vespalba::Tabla::NombreModuloDibujo)),
        QDir(carpeta).filePath(QLatin1String(Vespalba::Tabla::NombreModuloDibujo)),
    };
    QString errores;
    for (const QString& ruta : rutas) {
        if (!QFileInfo::exists(ruta)) continue;
        // Never closed: its code runs until the program ends.
        void* so = dlopen(QFile::encodeName(ruta).constData(), RTLD_NOW | RTLD_LOCAL);
        if (so == nullptr) {
            errores = QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (void* entrada = dlsym(so, Vespalba::Tabla::EntradaModuloDibujo)) {
            return reinterpret_cast<Vespalba::Tabla::DibujaPeticion>(entrada);
        }
        errores = QStringLiteral("%1 no tiene %2")
                      .arg(ruta, QLatin1String(Vespalba::Tabla::EntradaModuloDibujo));
    }
    problema = QStringLiteral(
                   "no se pudo cargar el módulo de dibujo %1 (%2); reinstale el paquete vespalba")
                   .arg(rutas.front(), errores.isEmpty() ? QStringLiteral("no está") : errores);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // The text formats need Qt Core only; a drawing ends this application
    // object and has the module make a QGuiApplication.
    std::optional<QCoreApplication> nucleo;
    nucleo.emplace(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vespalba-tabla"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESPALBA_VERSION));

    const Vespalba::Tabla::Orden orden = Vespalba::Tabla::LeeOrden(
        QCoreApplication::arguments(), QDateTime::currentSecsSinceEpoch(),
        qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH") ? qEnvironmentVariable("SOURCE_DATE_EPOCH")
                                                       : QString());

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
            return Imprime(b.salida);
        }
        case Vespalba::Tabla::Accion::Calcular: break;
    }
    const Vespalba::Tabla::Peticion& peticion = orden.peticion;
    const QString rechazo = Vespalba::Tabla::RechazoTerminal(peticion, isatty(STDOUT_FILENO) == 1);
    if (!rechazo.isEmpty()) {
        Dice(rechazo);
        return SalidaDatoInvalido;
    }
    if (!orden.aviso.isEmpty()) {
        Dice(orden.aviso);
    }
    Destino destino;
    if (!destino.Abre(peticion.salida)) {
        return SalidaNoEscrita;
    }
    if (peticion.formato->lamina == Vespalba::Tabla::Lamina::Ninguna) {
        // Written as it is computed: a long range never sits whole in memory.
        const bool escrito = Vespalba::Tabla::EscribePorPartes(
            peticion, [&](const QByteArray& pieza) { return destino.Escribe(pieza); });
        return destino.Termina(escrito);
    }
    // A drawing: computed whole, drawn, then written.
    QString problema;
    const Vespalba::Tabla::DibujaPeticion dibuja =
        CargaModulo(QCoreApplication::applicationDirPath(), problema);
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
    return destino.Termina(destino.Escribe(dibujo));
}

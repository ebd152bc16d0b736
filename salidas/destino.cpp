// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/destino.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Vespalba::Salidas {

namespace {

// Symbolic links followed before giving up, as the kernel does (ELOOP).
constexpr int SaltosMaximos = 40;

QByteArray Nativa(const QString& ruta) { return QFile::encodeName(ruta); }

// The number of the descriptor that `ruta` (absolute, clean) names:
// /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/PID/fd/N or
// /proc/PID/task/TID/fd/N; -1 for any other path. `propio` tells whether
// it is this process's own descriptor (PID self, thread-self or ours).
int DescriptorNombrado(const QString& ruta, bool& propio) {
    // \z: the very end (a "$" would let a final newline through).
    static const QRegularExpression dev(
        QStringLiteral("^/dev/(?:(stdin|stdout|stderr)|fd/([0-9]+))\\z"));
    static const QRegularExpression proc(
        QStringLiteral("^/proc/([^/]+)(?:/task/[^/]+)?/fd/([0-9]+)\\z"));
    propio = true;
    if (const QRegularExpressionMatch m = dev.match(ruta); m.hasMatch()) {
        if (m.captured(1) == QLatin1String("stdin")) return 0;
        if (m.captured(1) == QLatin1String("stdout")) return 1;
        if (m.captured(1) == QLatin1String("stderr")) return 2;
        bool bien = false;
        const int n = m.captured(2).toInt(&bien);
        return bien ? n : INT_MAX;
    }
    if (const QRegularExpressionMatch m = proc.match(ruta); m.hasMatch()) {
        const QString pid = m.captured(1);
        propio = pid == QLatin1String("self") || pid == QLatin1String("thread-self") ||
                 pid == QString::number(getpid());
        bool bien = false;
        const int n = m.captured(2).toInt(&bien);
        return bien ? n : INT_MAX;
    }
    return -1;
}

// The folder `ruta` (absolute) is in with every link resolved, or empty.
QString CarpetaReal(const QString& ruta) {
    const QByteArray carpeta = Nativa(QFileInfo(ruta).path());
    char* real = realpath(carpeta.constData(), nullptr);
    if (real == nullptr) return {};
    const QString r = QFile::decodeName(real);
    std::free(real);
    return r;
}

struct Clase {
    FormaDestino forma = FormaDestino::Reemplazo;
    int descriptor = -1;  // the own descriptor the path names, or -1
};

// How `ruta` is written: the path itself and every link it leads through,
// each as typed and with its folder resolved, is compared with the names of
// file descriptors; what it finally names decides the rest.
Clase Clasifica(const QString& ruta) {
    if (ruta.isEmpty() || ruta == QLatin1String("-")) {
        return {FormaDestino::Salida, STDOUT_FILENO};
    }
    QString actual = QDir::cleanPath(QDir::current().absoluteFilePath(ruta));
    for (int salto = 0; salto <= SaltosMaximos; ++salto) {
        const QString carpeta = CarpetaReal(actual);
        const QString resuelta =
            carpeta.isEmpty()
                ? QString()
                : QDir::cleanPath(carpeta + QLatin1Char('/') + QFileInfo(actual).fileName());
        for (const QString& r : {actual, resuelta}) {
            bool propio = false;
            const int n = r.isEmpty() ? -1 : DescriptorNombrado(r, propio);
            if (n >= 0) return {FormaDestino::EnSuSitio, propio ? n : -1};
        }
        struct stat s {};
        if (lstat(Nativa(actual).constData(), &s) != 0 || !S_ISLNK(s.st_mode)) break;
        char destino[PATH_MAX];
        const ssize_t largo = readlink(Nativa(actual).constData(), destino, sizeof destino);
        if (largo <= 0 || std::size_t(largo) >= sizeof destino) break;
        const QString enlace = QFile::decodeName(QByteArray(destino, largo));
        const QString base = carpeta.isEmpty() ? QFileInfo(actual).path() : carpeta;
        actual = QDir::cleanPath(QDir(base).absoluteFilePath(enlace));
    }
    struct stat s {};
    if (stat(Nativa(ruta).constData(), &s) != 0 || S_ISREG(s.st_mode) || S_ISDIR(s.st_mode)) {
        // New, regular, a folder (which QSaveFile refuses with its reason),
        // or unreachable (the reason found by QSaveFile too).
        return {FormaDestino::Reemplazo, -1};
    }
    return {FormaDestino::EnSuSitio, -1};
}

// Why the replacement of `ruta` could not be made or written, in words.
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

}  // namespace

FormaDestino FormaDe(const QString& ruta) { return Clasifica(ruta).forma; }

QString MotivoErrno(int numero) {
    switch (numero) {
        case ENOSPC: return QStringLiteral("no queda espacio en el dispositivo");
        case EDQUOT: return QStringLiteral("se acabó la cuota de disco");
        case EPIPE: return QStringLiteral("el lector cerró la tubería");
        case EACCES:
        case EPERM: return QStringLiteral("no hay permiso para escribirlo");
        case EISDIR: return QStringLiteral("es una carpeta");
        case ENOENT: return QStringLiteral("no existe");
        case ENOTDIR: return QStringLiteral("una parte de la ruta no es una carpeta");
        case EROFS: return QStringLiteral("el sistema de archivos es de solo lectura");
        case EIO: return QStringLiteral("error de entrada y salida en el dispositivo");
        case ENXIO: return QStringLiteral("no hay dispositivo ni lector detrás de esa ruta");
        case EFBIG: return QStringLiteral("el archivo pasaría del tamaño máximo");
        case ELOOP: return QStringLiteral("demasiados enlaces simbólicos seguidos");
        case ENAMETOOLONG: return QStringLiteral("la ruta es demasiado larga");
        case EBADF: return QStringLiteral("no está abierta para escribir");
        case ETXTBSY: return QStringLiteral("es un programa en ejecución");
        case ECONNRESET: return QStringLiteral("el otro extremo cortó la conexión");
        default:
            return QStringLiteral("error del sistema %1 (%2)")
                .arg(numero)
                .arg(QString::fromLocal8Bit(std::strerror(numero)));
    }
}

Destino::Destino() = default;

Destino::~Destino() {
    if (forma_ == FormaDestino::EnSuSitio && descriptor_ >= 0) close(descriptor_);
    // A QSaveFile not committed removes its file beside the target.
}

bool Destino::Abre(const QString& ruta) {
    ruta_ = ruta;
    const Clase clase = Clasifica(ruta);
    forma_ = clase.forma;
    switch (forma_) {
        case FormaDestino::Salida: descriptor_ = STDOUT_FILENO; return true;
        case FormaDestino::Reemplazo:
            archivo_ = std::make_unique<QSaveFile>(ruta);
            if (!archivo_->open(QIODevice::WriteOnly)) {
                motivo_ = MotivoArchivo(ruta_, *archivo_);
                return false;
            }
            return true;
        case FormaDestino::EnSuSitio: break;
    }
    const QByteArray nativa = Nativa(ruta);
    struct stat s {};
    if (clase.descriptor < 0 && stat(nativa.constData(), &s) == 0 && S_ISSOCK(s.st_mode)) {
        motivo_ = QStringLiteral(
                      "no se pudo escribir «%1»: es un socket, que no se abre como un "
                      "archivo")
                      .arg(ruta_);
        return false;
    }
    // As ">" opens it: truncated when it is a regular file behind
    // /dev/stdout or the like (a device or a pipe ignores O_TRUNC); never
    // made the controlling terminal.
    do {
        descriptor_ = open(nativa.constData(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0 &&
        (errno == ENXIO || errno == ENOENT || errno == EACCES || errno == EPERM) &&
        clase.descriptor >= 0) {
        // This process's own descriptor that cannot be opened again: a
        // socket behind it, no /proc, or a pipe or file of another user
        // (sudo -u, runuser, a service that changes user), which /proc
        // refuses to reopen. Written through a copy of it, as the shell's
        // >&1 does: where the descriptor stands, never truncated (a file
        // opened for appending keeps what it had).
        const int banderas = fcntl(clase.descriptor, F_GETFL);
        if (banderas != -1 && (banderas & O_ACCMODE) != O_RDONLY) {
            descriptor_ = fcntl(clase.descriptor, F_DUPFD_CLOEXEC, 0);
        } else {
            errno = EBADF;
        }
    }
    if (descriptor_ < 0) {
        Falla(errno);
        return false;
    }
    return true;
}

bool Destino::EsTerminal() const { return descriptor_ >= 0 && isatty(descriptor_) == 1; }

void Destino::Falla(int numero) {
    if (!motivo_.isEmpty()) return;
    motivo_ =
        forma_ == FormaDestino::Salida
            ? QStringLiteral("no se pudo escribir la salida estándar: %1").arg(MotivoErrno(numero))
            : QStringLiteral("no se pudo escribir «%1»: %2").arg(ruta_, MotivoErrno(numero));
}

bool Destino::Escribe(QByteArrayView pieza) {
    if (!motivo_.isEmpty() || terminado_) return false;
    if (archivo_) {
        if (archivo_->write(pieza.data(), pieza.size()) == pieza.size()) return true;
        motivo_ = MotivoArchivo(ruta_, *archivo_);
        return false;
    }
    const char* p = pieza.data();
    qsizetype resto = pieza.size();
    while (resto > 0) {
        const ssize_t n = write(descriptor_, p, std::size_t(resto));
        if (n > 0) {
            p += n;
            resto -= n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor left non-blocking by whoever gave it: wait until
            // it takes more, as a blocking write would.
            pollfd espera{descriptor_, POLLOUT, 0};
            if (poll(&espera, 1, -1) < 0 && errno != EINTR) {
                Falla(errno);
                return false;
            }
        } else {
            Falla(n < 0 ? errno : EIO);
            return false;
        }
    }
    return true;
}

bool Destino::Termina(bool escrito) {
    if (terminado_) return motivo_.isEmpty();
    terminado_ = true;
    if (archivo_) {
        if (escrito && motivo_.isEmpty() && archivo_->commit()) return true;
        if (motivo_.isEmpty()) motivo_ = MotivoArchivo(ruta_, *archivo_);
        archivo_->cancelWriting();
        return false;
    }
    // Closed and checked, standard output too: a file system that writes
    // late (NFS, a full quota) reports its failure only here.
    const int descriptor = std::exchange(descriptor_, -1);
    if (close(descriptor) != 0 && escrito) Falla(errno);
    if (!escrito && motivo_.isEmpty()) {
        motivo_ = forma_ == FormaDestino::Salida
                      ? QStringLiteral("la salida estándar quedó a medias")
                      : QStringLiteral("«%1» quedó a medias").arg(ruta_);
    }
    return motivo_.isEmpty();
}

}  // namespace Vespalba::Salidas

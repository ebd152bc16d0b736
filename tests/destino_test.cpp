// SPDX-License-Identifier: GPL-3.0-or-later
// Where vespalba-tabla writes (Destino, and the program's --salida): a
// regular file replaced whole, everything else written in place as a shell's
// ">" does, with every failure reported as status 1 and its reason, never a
// death by SIGPIPE nor a device or a pipe turned into a regular file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>

#include "salidas/destino.h"

namespace {

using Vespalba::Salidas::Destino;
using Vespalba::Salidas::FormaDe;
using Vespalba::Salidas::FormaDestino;

QByteArray Nativa(const QString& ruta) { return QFile::encodeName(ruta); }

// What lstat says `ruta` is: 'f' regular, 'd' folder, 'l' link, 'p' named
// pipe, 'c' character device, 's' socket, '-' nothing, '?' anything else.
char Tipo(const QString& ruta) {
    struct stat s {};
    if (lstat(Nativa(ruta).constData(), &s) != 0) return '-';
    if (S_ISREG(s.st_mode)) return 'f';
    if (S_ISDIR(s.st_mode)) return 'd';
    if (S_ISLNK(s.st_mode)) return 'l';
    if (S_ISFIFO(s.st_mode)) return 'p';
    if (S_ISCHR(s.st_mode)) return 'c';
    if (S_ISSOCK(s.st_mode)) return 's';
    return '?';
}

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no se pudo leer>");
}

bool Escribe(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(contenido) == contenido.size();
}

// A Unix socket bound at `ruta`; its descriptor, or -1.
int Socket(const QString& ruta) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un direccion{};
    direccion.sun_family = AF_UNIX;
    const QByteArray nativa = Nativa(ruta);
    if (s < 0 || std::size_t(nativa.size()) >= sizeof direccion.sun_path) return -1;
    std::memcpy(direccion.sun_path, nativa.constData(), std::size_t(nativa.size()));
    if (bind(s, reinterpret_cast<const sockaddr*>(&direccion), sizeof direccion) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// ------------------------------------------------------- the forms of targets

// Each kind of target gets its form from what is on disk, following links,
// and the names of descriptors get the in-place form whatever they point
// at, also reached through a link or a linked folder.
TEST(FormaDe, CadaClaseDeDestino) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto en = [&](const char* nombre) { return dir.filePath(QLatin1String(nombre)); };
    ASSERT_TRUE(Escribe(en("archivo"), "antes\n"));
    ASSERT_TRUE(QDir().mkdir(en("carpeta")));
    ASSERT_EQ(mkfifo(Nativa(en("tubo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(en("archivo"), en("enlace-archivo")));
    ASSERT_TRUE(QFile::link(en("tubo"), en("enlace-tubo")));
    ASSERT_TRUE(QFile::link(en("no-existe"), en("colgante")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/stdout"), en("enlace-stdout")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/fd"), en("descriptores")));
    const int sock = Socket(en("socket"));
    ASSERT_GE(sock, 0);
    // A descriptor open on a regular file: replacing the file behind it
    // would detach it, so its names are written in place.
    const int abierto = open(Nativa(en("archivo")).constData(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(abierto, 0);
    const QString n = QString::number(abierto);

    const struct {
        QString ruta;
        FormaDestino forma;
    } casos[] = {
        {QString(), FormaDestino::Salida},
        {QStringLiteral("-"), FormaDestino::Salida},
        {en("nuevo.txt"), FormaDestino::Reemplazo},
        {en("archivo"), FormaDestino::Reemplazo},
        {en("enlace-archivo"), FormaDestino::Reemplazo},
        {en("colgante"), FormaDestino::Reemplazo},
        {en("carpeta"), FormaDestino::Reemplazo},
        {en("no/hay.txt"), FormaDestino::Reemplazo},
        {QStringLiteral("/dev/stdout\n"), FormaDestino::Reemplazo},  // no such file there
        {en("tubo"), FormaDestino::EnSuSitio},
        {en("enlace-tubo"), FormaDestino::EnSuSitio},
        {en("socket"), FormaDestino::EnSuSitio},
        {QStringLiteral("/dev/null"), FormaDestino::EnSuSitio},
        {QStringLiteral("/dev/stdout"), FormaDestino::EnSuSitio},
        {QStringLiteral("/dev/stderr"), FormaDestino::EnSuSitio},
        {QStringLiteral("/dev/fd/") + n, FormaDestino::EnSuSitio},
        {QStringLiteral("/proc/self/fd/") + n, FormaDestino::EnSuSitio},
        {QStringLiteral("/proc/%1/fd/%2").arg(getpid()).arg(n), FormaDestino::EnSuSitio},
        {QStringLiteral("/proc/thread-self/fd/") + n, FormaDestino::EnSuSitio},
        {QStringLiteral("/dev/./fd/../fd/") + n, FormaDestino::EnSuSitio},
        {en("enlace-stdout"), FormaDestino::EnSuSitio},
        {en("descriptores/") + n, FormaDestino::EnSuSitio},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.ruta.toStdString());
        EXPECT_EQ(FormaDe(c.ruta), c.forma);
    }
    close(abierto);
    close(sock);
}

// A descriptor given non-blocking (here a socket, which cannot be opened
// again by its /dev/fd name and is written through a copy) still takes the
// whole output: a write that would block waits instead of failing.
TEST(Destino, DescriptorNoBloqueanteRecibeTodo) {
    int par[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par), 0);
    ASSERT_EQ(fcntl(par[0], F_SETFL, fcntl(par[0], F_GETFL) | O_NONBLOCK), 0);
    QByteArray enviado(4 << 20, '\0');
    for (qsizetype i = 0; i < enviado.size(); ++i) enviado[i] = char('a' + i % 23);

    QByteArray recibido;
    std::thread lector([&] {
        char bloque[4096];
        ssize_t n;
        while ((n = read(par[1], bloque, sizeof bloque)) > 0) recibido.append(bloque, n);
    });
    {
        Destino destino;
        const bool abierto = destino.Abre(QStringLiteral("/dev/fd/%1").arg(par[0]));
        EXPECT_TRUE(abierto) << destino.Motivo().toStdString();
        EXPECT_EQ(destino.Forma(), FormaDestino::EnSuSitio);
        EXPECT_FALSE(destino.EsTerminal());
        for (qsizetype desde = 0; abierto && desde < enviado.size(); desde += 1 << 20) {
            EXPECT_TRUE(destino.Escribe(QByteArrayView(enviado).sliced(desde, 1 << 20)))
                << destino.Motivo().toStdString();
        }
        EXPECT_EQ(destino.Termina(), abierto) << destino.Motivo().toStdString();
    }
    close(par[0]);  // the reader's end of file
    lector.join();
    close(par[1]);
    EXPECT_EQ(recibido.size(), enviado.size());
    EXPECT_TRUE(recibido == enviado);
}

// ------------------------------------------------------ the program's --salida

struct Ejecucion {
    bool normal = false;  // ended by itself, not by a signal nor killed
    int estado = -1;
    QByteArray salida;
    QByteArray errores;
};

// What is made at <scratch>/destino before the run.
enum class Objeto {
    Nada,            // nothing (the case names a path of its own)
    Tubo,            // a named pipe
    EnlaceATubo,     // a link to the named pipe <scratch>/tubo
    EnlaceColgante,  // a link to <scratch>/objetivo, which does not exist
    EnlaceAArchivo,  // a link to the regular file <scratch>/objetivo
    Carpeta,         // a folder
    SinPermiso,      // a regular file nobody may write, in a folder all may
    Nulo,            // a character device like /dev/null (mknod, as root)
    Lleno,           // a character device like /dev/full (mknod, as root)
    Socket,          // a Unix socket
};

// Who reads what the program writes.
enum class Lector {
    Nadie,
    Cat,             // cat on the named pipe (destino, or the link's target tubo)
    Cabeza,          // head -c 10 on the named pipe: reads 10 bytes and goes
    Tuberia,         // the program's standard output is a pipe
    ArchivoAbierto,  // its standard output is <scratch>/abierto, opened for appending
    SocketAbierto,   // its standard output is a connected Unix socket, read here
};

// What the reader gets.
// What the reader gets: Anadido is the file's earlier content followed by
// everything (written through a copy of the descriptor, which appends).
enum class Recibe { Nada, Todo, Diez, Anadido };

struct Caso {
    const char* nombre;
    Objeto objeto;
    const char* ruta;  // --salida; nullptr for <scratch>/destino
    bool comoNadie;    // run as the unprivileged user nobody
    Lector lector;
    int estado;
    Recibe recibe;
    const char* dice;  // the reason on standard error; nullptr when silent
};

const char* const NombreObjetivo = "objetivo";
const QByteArray Previo = QByteArrayLiteral("antes\n");

// Two years of a place's days as JSON Lines: well over a pipe's 64 KiB, so
// that a reader that goes after 10 bytes leaves the program writing.
const QStringList Pedido = {"--lugar", "valparaiso", "--desde",   "2026-01-01",
                            "--hasta", "2027-12-31", "--formato", "json"};

Ejecucion Espera(QProcess& p) {
    Ejecucion e;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return e;
    }
    e.normal = p.exitStatus() == QProcess::NormalExit;
    e.estado = p.exitCode();
    e.salida = p.readAllStandardOutput();
    e.errores = p.readAllStandardError();
    return e;
}

// The program's output to a pipe, as the reference for what a reader gets.
const QByteArray& Referencia() {
    static const QByteArray r = [] {
        QProcess p;
        p.start(QStringLiteral(VESPALBA_TABLA), Pedido);
        const Ejecucion e = Espera(p);
        EXPECT_TRUE(e.normal && e.estado == 0) << e.errores.toStdString();
        return e.salida;
    }();
    return r;
}

class Salida : public ::testing::TestWithParam<Caso> {};

TEST_P(Salida, EstadoLoLeidoYLoQueQueda) {
    const Caso& c = GetParam();
    const bool root = geteuid() == 0;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (c.comoNadie && root && setpriv.isEmpty()) {
        GTEST_SKIP() << "root without setpriv (util-linux): cannot run as an unprivileged user";
    }
    const bool dispositivo = c.objeto == Objeto::Nulo || c.objeto == Objeto::Lleno;
    if (dispositivo && !root) {
        GTEST_SKIP() << "a character device is made with mknod, which needs root";
    }
    ASSERT_FALSE(Referencia().isEmpty());
    ASSERT_GT(Referencia().size(), 1 << 17);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Reachable and writable by nobody too (the read-only file's folder).
    ASSERT_EQ(chmod(Nativa(dir.path()).constData(), 01777), 0);
    auto en = [&](const char* nombre) { return dir.filePath(QLatin1String(nombre)); };
    const QString destino = en("destino");
    const QString tubo = en("tubo");
    const QString objetivo = en(NombreObjetivo);
    const QString abierto = en("abierto");
    int sock = -1;
    switch (c.objeto) {
        case Objeto::Nada: break;
        case Objeto::Tubo: ASSERT_EQ(mkfifo(Nativa(destino).constData(), 0600), 0); break;
        case Objeto::EnlaceATubo:
            ASSERT_EQ(mkfifo(Nativa(tubo).constData(), 0600), 0);
            ASSERT_TRUE(QFile::link(tubo, destino));
            break;
        case Objeto::EnlaceColgante: ASSERT_TRUE(QFile::link(objetivo, destino)); break;
        case Objeto::EnlaceAArchivo:
            ASSERT_TRUE(Escribe(objetivo, Previo));
            ASSERT_TRUE(QFile::link(objetivo, destino));
            break;
        case Objeto::Carpeta: ASSERT_TRUE(QDir().mkdir(destino)); break;
        case Objeto::SinPermiso:
            ASSERT_TRUE(Escribe(destino, Previo));
            ASSERT_EQ(chmod(Nativa(destino).constData(), 0444), 0);
            break;
        case Objeto::Nulo:
        case Objeto::Lleno: {
            const dev_t numero = makedev(1, c.objeto == Objeto::Nulo ? 3 : 7);
            if (mknod(Nativa(destino).constData(), S_IFCHR | 0666, numero) != 0) {
                GTEST_SKIP() << "mknod failed (" << std::strerror(errno)
                             << "): no device can be made here";
            }
            break;
        }
        case Objeto::Socket:
            sock = Socket(destino);
            ASSERT_GE(sock, 0);
            break;
    }
    const QString pipe = c.objeto == Objeto::Tubo ? destino : tubo;
    if (c.lector == Lector::ArchivoAbierto) {
        ASSERT_TRUE(Escribe(abierto, QByteArray(Referencia().size() * 2, 'x')));
    }
    struct stat antes {};
    lstat(Nativa(c.lector == Lector::ArchivoAbierto ? abierto : destino).constData(), &antes);
    const QStringList hechos =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);

    // The reader's copy goes to a file elsewhere: a pipe to this process,
    // not read while the program runs, would fill and stop the reader.
    QTemporaryDir aparte;
    ASSERT_TRUE(aparte.isValid());
    const QString copia = aparte.filePath(QStringLiteral("leido"));
    QProcess lector;
    if (c.lector == Lector::Cat || c.lector == Lector::Cabeza) {
        lector.setStandardOutputFile(copia);
        if (c.lector == Lector::Cat) {
            lector.start(QStringLiteral("cat"), {"--", pipe});
        } else {
            lector.start(QStringLiteral("head"), {"-c", "10", "--", pipe});
        }
        ASSERT_TRUE(lector.waitForStarted());
    }
    // A connected socket as the program's standard output, read to its end
    // on a thread of this process.
    int conexion[2] = {-1, -1};
    QByteArray delSocket;
    std::thread lectorSocket;
    if (c.lector == Lector::SocketAbierto) {
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, conexion), 0);
        lectorSocket = std::thread([&] {
            char bloque[1 << 16];
            ssize_t n;
            while ((n = read(conexion[0], bloque, sizeof bloque)) > 0) delSocket.append(bloque, n);
        });
    }
    const QString ruta = c.ruta != nullptr ? QString::fromLatin1(c.ruta) : destino;
    QProcess programa;
    QStringList argumentos = Pedido + QStringList{"--salida", ruta};
    if (c.comoNadie && root) {
        argumentos.prepend(QStringLiteral(VESPALBA_TABLA));
        argumentos = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + argumentos;
        programa.setProgram(setpriv);
    } else {
        programa.setProgram(QStringLiteral(VESPALBA_TABLA));
    }
    programa.setArguments(argumentos);
    if (c.lector == Lector::ArchivoAbierto) {
        programa.setStandardOutputFile(abierto, QIODevice::Append);
    }
    if (c.lector == Lector::SocketAbierto) {
        const int extremo = conexion[1];
        programa.setChildProcessModifier([extremo] { dup2(extremo, STDOUT_FILENO); });
    }
    programa.start();
    const Ejecucion e = Espera(programa);
    if (c.lector == Lector::SocketAbierto) {
        close(conexion[1]);  // the program's copy is closed: the reader's end of file
        lectorSocket.join();
        close(conexion[0]);
    }
    Ejecucion leido;
    if (c.lector == Lector::Cat || c.lector == Lector::Cabeza) {
        // A reader the program never opened the pipe for gets its end of
        // file from a writer opened and closed here.
        const int escritor = open(Nativa(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (escritor >= 0) close(escritor);
        leido = Espera(lector);
    }
    if (sock >= 0) close(sock);

    ASSERT_TRUE(e.normal) << "ended by a signal or still running";
    EXPECT_EQ(e.estado, c.estado) << e.errores.toStdString();
    if (c.dice == nullptr) {
        EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
    } else {
        const QString error = QString::fromUtf8(e.errores);
        EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
        EXPECT_TRUE(error.startsWith(
            QStringLiteral("vespalba-tabla: no se pudo escribir «%1»: ").arg(ruta)))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.dice))) << error.toStdString();
    }

    // What the reader got.
    QByteArray recibido;
    switch (c.lector) {
        case Lector::Nadie: break;
        case Lector::Cat:
        case Lector::Cabeza:
            EXPECT_TRUE(leido.normal && leido.estado == 0) << leido.errores.toStdString();
            recibido = Lee(copia);
            break;
        case Lector::Tuberia: recibido = e.salida; break;
        case Lector::ArchivoAbierto: recibido = Lee(abierto); break;
        case Lector::SocketAbierto: recibido = delSocket; break;
    }
    if (c.lector != Lector::Tuberia && c.lector != Lector::SocketAbierto) {
        EXPECT_TRUE(e.salida.isEmpty());
    }
    switch (c.recibe) {
        case Recibe::Nada: EXPECT_TRUE(recibido.isEmpty()) << recibido.size() << " bytes"; break;
        case Recibe::Todo:
            EXPECT_EQ(recibido.size(), Referencia().size());
            EXPECT_TRUE(recibido == Referencia());
            break;
        case Recibe::Diez: EXPECT_EQ(recibido, Referencia().left(10)); break;
        case Recibe::Anadido: {
            const QByteArray previo(Referencia().size() * 2, 'x');
            EXPECT_EQ(recibido.size(), previo.size() + Referencia().size());
            EXPECT_TRUE(recibido == previo + Referencia());
            break;
        }
    }

    // What is left on disk: the same entries (no file left beside the
    // target), each of the same kind; a link's target written through.
    QStringList quedan =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList esperadas = hechos;
    if (c.objeto == Objeto::EnlaceColgante) {
        esperadas.append(QLatin1String(NombreObjetivo));
        esperadas.sort();
    }
    EXPECT_EQ(quedan, esperadas);
    switch (c.objeto) {
        case Objeto::Nada: break;
        case Objeto::Tubo: EXPECT_EQ(Tipo(destino), 'p'); break;
        case Objeto::EnlaceATubo:
            EXPECT_EQ(Tipo(destino), 'l');
            EXPECT_EQ(Tipo(tubo), 'p');
            break;
        case Objeto::EnlaceColgante:
        case Objeto::EnlaceAArchivo:
            EXPECT_EQ(Tipo(destino), 'l');
            EXPECT_EQ(QFile::symLinkTarget(destino), objetivo);
            EXPECT_EQ(Tipo(objetivo), 'f');
            EXPECT_TRUE(Lee(objetivo) == (c.estado == 0 ? Referencia() : Previo));
            break;
        case Objeto::Carpeta:
            EXPECT_EQ(Tipo(destino), 'd');
            EXPECT_TRUE(QDir(destino).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden |
                                              QDir::NoDotAndDotDot));
            break;
        case Objeto::SinPermiso:
            EXPECT_EQ(Tipo(destino), 'f');
            EXPECT_EQ(Lee(destino), Previo);
            break;
        case Objeto::Nulo:
        case Objeto::Lleno: {
            struct stat s {};
            ASSERT_EQ(lstat(Nativa(destino).constData(), &s), 0);
            EXPECT_TRUE(S_ISCHR(s.st_mode));
            EXPECT_EQ(s.st_rdev, antes.st_rdev);
            break;
        }
        case Objeto::Socket: EXPECT_EQ(Tipo(destino), 's'); break;
    }
    if (c.lector == Lector::ArchivoAbierto) {
        // The file the program was given, truncated as ">" does, not replaced.
        struct stat despues {};
        ASSERT_EQ(lstat(Nativa(abierto).constData(), &despues), 0);
        EXPECT_EQ(despues.st_ino, antes.st_ino);
    }
    if (ruta == QLatin1String("/dev/null") || ruta == QLatin1String("/dev/full")) {
        EXPECT_EQ(Tipo(ruta), 'c');
    }
}

const Caso Casos[] = {
    {"tubo_con_lector", Objeto::Tubo, nullptr, false, Lector::Cat, 0, Recibe::Todo, nullptr},
    {"tubo_con_lector_que_se_va", Objeto::Tubo, nullptr, false, Lector::Cabeza, 1, Recibe::Diez,
     "el lector cerró la tubería"},
    {"enlace_a_tubo", Objeto::EnlaceATubo, nullptr, false, Lector::Cat, 0, Recibe::Todo, nullptr},
    {"enlace_colgante", Objeto::EnlaceColgante, nullptr, false, Lector::Nadie, 0, Recibe::Nada,
     nullptr},
    {"enlace_a_archivo", Objeto::EnlaceAArchivo, nullptr, false, Lector::Nadie, 0, Recibe::Nada,
     nullptr},
    {"guion", Objeto::Nada, "-", false, Lector::Tuberia, 0, Recibe::Todo, nullptr},
    {"dev_stdout_a_una_tuberia", Objeto::Nada, "/dev/stdout", false, Lector::Tuberia, 0,
     Recibe::Todo, nullptr},
    {"dev_fd_1_a_un_archivo_abierto", Objeto::Nada, "/dev/fd/1", false, Lector::ArchivoAbierto, 0,
     Recibe::Todo, nullptr},
    {"carpeta", Objeto::Carpeta, nullptr, false, Lector::Nadie, 1, Recibe::Nada, "es una carpeta"},
    {"archivo_sin_permiso_como_nadie", Objeto::SinPermiso, nullptr, true, Lector::Nadie, 1,
     Recibe::Nada, "el archivo no se puede escribir"},
    {"dev_null_como_nadie", Objeto::Nada, "/dev/null", true, Lector::Nadie, 0, Recibe::Nada,
     nullptr},
    {"dev_full_como_nadie", Objeto::Nada, "/dev/full", true, Lector::Nadie, 1, Recibe::Nada,
     "no queda espacio en el dispositivo"},
    {"nulo_como_root", Objeto::Nulo, nullptr, false, Lector::Nadie, 0, Recibe::Nada, nullptr},
    {"lleno_como_root", Objeto::Lleno, nullptr, false, Lector::Nadie, 1, Recibe::Nada,
     "no queda espacio en el dispositivo"},
    {"socket", Objeto::Socket, nullptr, false, Lector::Nadie, 1, Recibe::Nada, "es un socket"},
    // Another user's pipe, file or socket (sudo -u, runuser, a service that
    // changes user): reopening /proc/self/fd/1 is refused, and the program
    // writes through a copy of its own descriptor, as the shell's >&1 does;
    // a file opened for appending keeps its content and gets the days after it.
    {"dev_stdout_a_una_tuberia_como_nadie", Objeto::Nada, "/dev/stdout", true, Lector::Tuberia, 0,
     Recibe::Todo, nullptr},
    {"dev_fd_1_a_un_archivo_abierto_como_nadie", Objeto::Nada, "/dev/fd/1", true,
     Lector::ArchivoAbierto, 0, Recibe::Anadido, nullptr},
    {"dev_stdout_a_un_socket", Objeto::Nada, "/dev/stdout", false, Lector::SocketAbierto, 0,
     Recibe::Todo, nullptr},
    {"proc_self_fd_1_a_un_socket_como_nadie", Objeto::Nada, "/proc/self/fd/1", true,
     Lector::SocketAbierto, 0, Recibe::Todo, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Destinos, Salida, ::testing::ValuesIn(Casos),
                         [](const ::testing::TestParamInfo<Caso>& i) {
                             return std::string(i.param.nombre);
                         });

// ---------------------------------------------------------------- terminals

// A pseudo-terminal named by --salida: the binary formats are refused with
// status 2 before anything is written; a text format is written there.
TEST(Terminal, SalidaNombraUnaTerminal) {
    const int maestro = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (maestro < 0 || grantpt(maestro) != 0 || unlockpt(maestro) != 0) {
        GTEST_SKIP() << "no pseudo-terminal here: " << std::strerror(errno);
    }
    const QString esclava = QString::fromLocal8Bit(ptsname(maestro));
    // Held open here too, so that the terminal does not hang up between runs.
    const int abierta = open(Nativa(esclava).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(abierta, 0);
    const struct {
        const char* formato;
        int estado;
        bool escribe;
    } casos[] = {{"pdf", 2, false}, {"png", 2, false}, {"csv", 0, true}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.formato);
        QProcess p;
        // A month for a drawing (a chart needs a week), a day of text: a
        // pseudo-terminal that nobody reads holds a few kilobytes only.
        const QStringList dias =
            c.escribe ? QStringList{"--fecha", "2026-07-02"} : QStringList{"--mes", "2026-07"};
        p.start(QStringLiteral(VESPALBA_TABLA),
                QStringList{"--lugar", "valparaiso", "--formato", c.formato, "--salida", esclava} +
                    dias);
        const Ejecucion e = Espera(p);
        ASSERT_TRUE(e.normal);
        EXPECT_EQ(e.estado, c.estado) << e.errores.toStdString();
        if (c.estado == 2) {
            EXPECT_TRUE(e.errores.startsWith("vespalba-tabla: el formato "));
            EXPECT_TRUE(e.errores.contains("es una terminal")) << e.errores.toStdString();
        }
        // What the program wrote is waiting on the master's side by now.
        QByteArray leido;
        pollfd espera{maestro, POLLIN, 0};
        while (poll(&espera, 1, 0) == 1 && (espera.revents & POLLIN) != 0) {
            char bloque[4096];
            const ssize_t n = read(maestro, bloque, sizeof bloque);
            if (n <= 0) break;
            leido.append(bloque, n);
        }
        EXPECT_EQ(!leido.isEmpty(), c.escribe) << leido.toStdString();
        if (c.escribe) {
            EXPECT_TRUE(leido.contains("2026-07-02")) << leido.toStdString();
        }
    }
    close(abierta);
    close(maestro);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Where vespalba-tabla's output goes: standard output, or the target of
// --salida. A regular file (or a new one) is replaced whole or not at all;
// anything else (a device, a named pipe, a process's file descriptor) is
// written where it is, as a shell's ">" does. Qt Core only.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QSaveFile;

namespace Vespalba::Salidas {

// How a target is written.
enum class FormaDestino {
    Salida,     // standard output itself (no --salida, or "-"): file descriptor 1
    Reemplazo,  // a regular file, a new one, a link to one, a dangling link (its
                // target made), or a folder (refused): a file beside it,
                // renamed over the target once whole (QSaveFile)
    EnSuSitio,  // opened and written in place: a character or block device,
                // a named pipe, a socket, a link to any of them, and
                // /dev/stdout, /dev/stderr, /dev/fd/N and /proc/*/fd/N
                // whatever they point at (replacing them would detach the
                // file the shell gave the program); this process's own
                // descriptor that may not be opened again (another user's
                // pipe or file, a socket) is written through a copy of it
};

// The form `ruta` (as typed: relative to the working folder, or absolute)
// is written in, from what is on disk now.
FormaDestino FormaDe(const QString& ruta);

// The Spanish words for a failed system call's error number (ENOSPC: "no
// queda espacio en el dispositivo"); strerror's text for a rare one.
QString MotivoErrno(int numero);

class Destino {
public:
    Destino();
    // An output not finished with Termina is dropped: a replacement file
    // removed (an existing file left as it was), a descriptor closed.
    ~Destino();
    Destino(const Destino&) = delete;
    Destino& operator=(const Destino&) = delete;

    // Opens `ruta`: empty or "-" for standard output. A named pipe waits
    // here for its reader. False, with Motivo(), when it cannot be opened.
    bool Abre(const QString& ruta);

    // Whether what was opened is a terminal (binary formats are refused there).
    bool EsTerminal() const;

    FormaDestino Forma() const { return forma_; }

    // Writes the whole piece (retrying after a signal and after a partial
    // write). False, with Motivo(), when it could not; every later call is
    // then refused as well.
    bool Escribe(QByteArrayView pieza);

    // Ends the output: the replacement renamed over the target, or the
    // descriptor closed, each checked. `escrito` false (the pieces were not
    // all made) drops it instead. False, with Motivo(), on any failure; a
    // regular file is then left as it was.
    bool Termina(bool escrito = true);

    // One line, without the program's name: "no se pudo escribir «X»: no
    // queda espacio en el dispositivo".
    const QString& Motivo() const { return motivo_; }

private:
    void Falla(int numero);

    QString ruta_;
    FormaDestino forma_ = FormaDestino::Salida;
    std::unique_ptr<QSaveFile> archivo_;  // Reemplazo
    int descriptor_ = -1;                 // Salida (1) and EnSuSitio
    bool terminado_ = false;
    QString motivo_;
};

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and opening the drawing module (see modulo.h).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

#include "salidas/modulo.h"

namespace Vespalba::Salidas {

DibujaPeticion CargaModuloDibujo(const QString& carpeta, QString& problema) {
    const QStringList rutas = {
        QDir(carpeta).filePath(QStringLiteral(VESPALBA_MODULO_RELATIVO "/") +
                               QLatin1String(NombreModuloDibujo)),
        QDir(carpeta).filePath(QLatin1String(NombreModuloDibujo)),
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
        if (void* entrada = dlsym(so, EntradaModuloDibujo)) {
            return reinterpret_cast<DibujaPeticion>(entrada);
        }
        errores = QStringLiteral("%1 no tiene %2").arg(ruta, QLatin1String(EntradaModuloDibujo));
    }
    problema = QStringLiteral(
                   "no se pudo cargar el módulo de dibujo %1 (%2); reinstale el paquete vespalba")
                   .arg(rutas.front(), errores.isEmpty() ? QStringLiteral("no está") : errores);
    return nullptr;
}

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing module of vespalba-tabla: a shared object, opened with dlopen
// only when the format draws, that holds everything linked to Qt Gui (the
// platform, fonts, QPdfWriter, QSvgGenerator, QImage). Its one entry point,
// looked up by name, is declared here for both sides.
#pragma once

#include <QByteArray>
#include <QString>

namespace Vespalba::Salidas {

struct Peticion;

// File name of the module (see CargaModuloDibujo).
inline constexpr char NombreModuloDibujo[] = "vespalba-tabla-dibujo.so";

// Name of the entry point in the module.
inline constexpr char EntradaModuloDibujo[] = "vespalba_tabla_dibuja";

// The entry point: makes the QGuiApplication (on the offscreen platform
// unless QT_QPA_PLATFORM names another; no other application object may
// exist), computes the request's days and draws them in its format into
// `salida`. argc and argv are the program's, for the application object;
// `programa` ("vespalba-tabla 1.1.0") goes at the pages' foot. Returns true,
// or false with the one-line reason in `problema`.
using DibujaPeticion = bool (*)(int& argc, char** argv, const Peticion& peticion,
                                const QString& programa, QByteArray& salida, QString& problema);

// The drawing module's entry point, or none with the one-line reason in
// `problema` (the module missing or damaged: reinstall the package).
// Looked for in VESPALBA_MODULO_RELATIVO from `carpeta` (as installed, from
// the program's folder), then in `carpeta` itself (the build tree). The
// module stays loaded until the program ends.
DibujaPeticion CargaModuloDibujo(const QString& carpeta, QString& problema);

}  // namespace Vespalba::Salidas

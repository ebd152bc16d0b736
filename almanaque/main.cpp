// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-almanaque: the almanac window.
#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QSettings>

#include <memory>

#include "almanaque/ventana.h"
#include "lugares/guardado.h"

int main(int argc, char** argv) {
    // Started without HOME (a session manager's job), the settings are
    // still the user's own.
    Vespalba::CompletaHome();
    QApplication aplicacion(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vespalba-almanaque"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vespalba: almanaque"));
    QApplication::setApplicationVersion(QStringLiteral(VESPALBA_VERSION));
    QApplication::setOrganizationName(QStringLiteral("vespalba"));
    QApplication::setDesktopFileName(QStringLiteral("vespalba-almanaque"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/iconos/vespalba-almanaque.svg")));

    // ~/.config/vespalba/vespalba-almanaque.conf, and the settings both
    // programs share, ~/.config/vespalba/vespalba.conf.
    auto propios = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                               QStringLiteral("vespalba"),
                                               QStringLiteral("vespalba-almanaque"));
    auto comunes =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("vespalba"), QStringLiteral("vespalba"));
    Vespalba::Almanaque::VentanaAlmanaque ventana(
        std::move(propios), std::move(comunes), [] { return QDateTime::currentSecsSinceEpoch(); });
    ventana.show();
    return QApplication::exec();
}

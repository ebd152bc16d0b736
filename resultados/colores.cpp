// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultados/colores.h"

namespace Vespalba {

QPalette PaletaVentana() {
    const QColor fondo(0xef, 0xef, 0xef);
    const QColor claro = fondo.lighter(150);
    const QColor medio = fondo.darker(130);
    const QColor oscuro = fondo.darker(150);
    const QColor sombra = oscuro.darker(135);
    const QColor textoInhabilitado(190, 190, 190);
    const QColor resalte(48, 140, 198);

    QPalette p(Qt::black, fondo, claro, oscuro, medio, Qt::black, Qt::white);
    p.setColor(QPalette::Midlight, medio.lighter(110));
    p.setColor(QPalette::Button, fondo);
    p.setColor(QPalette::Shadow, sombra);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, resalte);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, Qt::blue);
    p.setColor(QPalette::LinkVisited, Qt::magenta);
    p.setColor(QPalette::AlternateBase, QColor(0xf7, 0xf7, 0xf7));
    p.setColor(QPalette::NoRole, Qt::black);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    p.setColor(QPalette::ToolTipText, Qt::black);
    QColor marcador(Qt::black);
    marcador.setAlpha(128);
    p.setColor(QPalette::PlaceholderText, marcador);

    p.setColor(QPalette::Disabled, QPalette::WindowText, textoInhabilitado);
    p.setColor(QPalette::Disabled, QPalette::Text, textoInhabilitado);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, textoInhabilitado);
    p.setColor(QPalette::Disabled, QPalette::Base, fondo);
    p.setColor(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
    p.setColor(QPalette::Disabled, QPalette::Shadow, sombra.lighter(150));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));

    p.setResolveMask(~QPalette::ResolveMask{0});
    return p;
}

QColor ColorFondoVentana() { return PaletaVentana().color(QPalette::Active, QPalette::Base); }

QColor ColorMarcoVentana() { return PaletaVentana().color(QPalette::Active, QPalette::Shadow); }

QColor ColorBordeActivo() { return PaletaVentana().color(QPalette::Active, QPalette::Button); }

}  // namespace Vespalba

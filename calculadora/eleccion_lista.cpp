// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculadora/eleccion_lista.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>

namespace Vespalba {

EleccionLista::EleccionLista(QComboBox* lista, QObject* parent)
    : QObject(parent),
      lista_(lista),
      vista_(lista->view()),
      ventanilla_(lista->view()->viewport()) {
    // A filter installed later runs earlier: these run before the box's own
    // list handling (which QComboBox installs when it creates the view).
    lista_->installEventFilter(this);
    vista_->installEventFilter(this);
    ventanilla_->installEventFilter(this);
    connect(lista_, &QComboBox::activated, this, [this] {
        if (eligiendo_) {
            emit Elegido();
        }
    });
}

bool EleccionLista::EsGestoDeEleccion(const QObject* objeto, const QEvent* evento) const {
    const QEvent::Type tipo = evento->type();
    if (objeto == lista_) {
        // The box has the focus (its text field forwards to it), and a wheel
        // turned over the text field reaches it too.
        if (tipo == QEvent::Wheel) {
            return true;
        }
        if (tipo == QEvent::KeyPress) {
            const int tecla = static_cast<const QKeyEvent*>(evento)->key();
            return tecla == Qt::Key_Up || tecla == Qt::Key_Down || tecla == Qt::Key_PageUp ||
                   tecla == Qt::Key_PageDown;
        }
        return false;
    }
    if (objeto == vista_ && tipo == QEvent::ShortcutOverride) {
        // The open list takes Return or Enter on the ShortcutOverride that
        // precedes the key press: that event closes it and sets the entry.
        const int tecla = static_cast<const QKeyEvent*>(evento)->key();
        return tecla == Qt::Key_Return || tecla == Qt::Key_Enter;
    }
    return objeto == ventanilla_ && tipo == QEvent::MouseButtonRelease;
}

bool EleccionLista::eventFilter(QObject* objeto, QEvent* evento) {
    if (redespachando_ || !EsGestoDeEleccion(objeto, evento)) {
        return false;
    }
    // Deliver the gesture now, to the box's handling and the other filters,
    // with the mark set: an `activated` emitted meanwhile is a choice. The
    // mark lasts exactly as long as this one event. (Qt precedes a key press
    // sent this way with a ShortcutOverride of its own; the box's text field
    // takes none for the arrow and page keys, and the window has no shortcut
    // on them, so it changes nothing.)
    redespachando_ = true;
    eligiendo_ = true;
    QCoreApplication::sendEvent(objeto, evento);
    eligiendo_ = false;
    redespachando_ = false;
    return true;
}

}  // namespace Vespalba

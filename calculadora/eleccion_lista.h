// SPDX-License-Identifier: GPL-3.0-or-later
// Tells a user's choice from an editable combo box's list apart from every
// other way its current entry can change.
//
// An editable QComboBox emits `activated` for a choice from its list, but
// also when the text typed into it (or set by code) equals an entry and the
// user presses Return or leaves the box. EleccionLista emits Elegido only
// for `activated` signals that come out of one of these user gestures:
//   - on the closed box: the Up, Down, PageUp or PageDown key, or the mouse
//     wheel (the box moves to the previous or next entry);
//   - in the open list: a mouse button released on a row, or Return or
//     Enter on the highlighted row (F4 and Alt+Down close it unchosen).
// Typed text, text set by code (setEditText emits nothing) and leaving the
// box never give Elegido.
#pragma once

#include <QObject>

class QComboBox;
class QEvent;

namespace Vespalba {

class EleccionLista : public QObject {
    Q_OBJECT

public:
    // Watches `lista` (which must outlive this object; making it the parent
    // is simplest) and its list view as they are now: call after any
    // setView().
    explicit EleccionLista(QComboBox* lista, QObject* parent = nullptr);

signals:
    // The user chose an entry; the box's current index and text are already
    // that entry's.
    void Elegido();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    bool EsGestoDeEleccion(const QObject* objeto, const QEvent* evento) const;

    QComboBox* lista_;
    QObject* vista_;              // the list view: keys while the list is open
    QObject* ventanilla_;         // the list view's viewport: mouse on the rows
    bool eligiendo_ = false;      // a choice gesture is being delivered
    bool redespachando_ = false;  // our own re-delivery of that gesture
};

}  // namespace Vespalba

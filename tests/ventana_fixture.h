// SPDX-License-Identifier: GPL-3.0-or-later
// A fixture that builds Vespalba's real window, shows it and waits until it
// is the active window, so that every test starts from the start state with
// the keyboard focus where the user finds it. Controls are found by their
// names in the window's description.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTest>
#include <memory>
#include <ostream>

#include "calculadora/FormVespalbaCivilNautico.h"

// Lets GoogleTest print a QString as text in its failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class VentanaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ventana_ = std::make_unique<Vespalba::FormVespalbaCivilNautico>();
        ventana_->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana_.get()));
    }

    void TearDown() override { ventana_.reset(); }

    Vespalba::FormVespalbaCivilNautico& Ventana() { return *ventana_; }

    // The window's control of that name and class, or null after recording
    // a failure when there is none; callers ASSERT on the result.
    template <class T = QWidget>
    T* Control(const char* nombre) const {
        T* c = ventana_->findChild<T*>(QString::fromLatin1(nombre));
        if (c == nullptr) {
            ADD_FAILURE() << "no hay " << T::staticMetaObject.className() << " llamado " << nombre;
        }
        return c;
    }

    // The name of the control that has the keyboard focus ("" for none). An
    // editable combo box's inner text field answers with the box's name.
    static QString NombreConFoco() {
        QWidget* w = QApplication::focusWidget();
        while (w != nullptr && w->objectName().isEmpty()) {
            w = w->parentWidget();
        }
        return w == nullptr ? QString() : w->objectName();
    }

private:
    std::unique_ptr<Vespalba::FormVespalbaCivilNautico> ventana_;
};

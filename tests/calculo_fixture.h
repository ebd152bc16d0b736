// SPDX-License-Identifier: GPL-3.0-or-later
// A fixture for tests that type inputs and press "Calcular" in the real
// window: the user's locale is Spanish (Chile), boxes are filled by typing,
// and a message box that opens is recorded and closed with its button.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

#include "ventana_fixture.h"

// What a message box showed before the test closed it.
struct MensajeVisto {
    QString titulo;
    QString texto;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    QStringList botones;
    QString focoAlAbrir;   // the window's focus control while the box is open
    QString focoAlCerrar;  // control with the focus once the box is closed
};

// The ten time boxes of the result frame.
inline const char* const cajasTiempo[] = {"OcasoLuna",      "OrtoLuna",     "Orto",      "Ocaso",
                                          "ComAuroraCivil", "FinCrepCivil", "ComAurora", "FinCrep",
                                          "ComAuroraAstro", "FinCrepAstro"};

// The worked example (2 July 2003, 33 16 S, 71 36 W, zone 4 hours west) as
// the result area shows it in the Spanish locale: the day's hours computed
// with the calendar, sidereal-time and Sun and Moon routines, in the
// hours-and-minutes form, and the moon captions exchanged (rise first).
inline const std::map<QString, QString> resultadosEjemplo = {
    {"OcasoLuna", " 10: 15"},     {"Label1", "Orto Luna"},      {"OrtoLuna", " 20: 41"},
    {"Label8", "Ocaso Luna"},     {"Orto", " 7: 50"},           {"Ocaso", " 17: 50"},
    {"ComAuroraCivil", " 7: 23"}, {"FinCrepCivil", " 18: 17"},  {"ComAurora", " 6: 52"},
    {"FinCrep", " 18: 48"},       {"ComAuroraAstro", " 6: 21"}, {"FinCrepAstro", " 19: 18"},
    {"HorasLuz", " 9: 59"},       {"TextAl", "2 jul 2003"},
};

class CalculoTest : public VentanaTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Chile));
        VentanaTest::SetUp();
    }
    void TearDown() override {
        VentanaTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    // Empties a box and types a text into it, as the user does.
    void Escribe(const char* nombre, const QString& texto) {
        QLineEdit* caja = Control<QLineEdit>(nombre);
        ASSERT_NE(caja, nullptr);
        caja->setFocus();
        caja->selectAll();
        QTest::keyClick(caja, Qt::Key_Delete);
        QTest::keyClicks(caja, texto);
        ASSERT_EQ(caja->text(), texto) << nombre;
    }

    struct Entradas {
        const char *dia, *mes, *anio, *latGrados, *latMinutos;
        bool norte;
        const char *lonGrados, *lonMinutos;
        bool este;
        const char* zona;
        bool zonaEste;
    };

    // Every input typed or clicked, hemisphere and zone buttons included.
    void EscribeTodo(const Entradas& e) {
        Escribe("FE1", e.dia);
        Escribe("FE2", e.mes);
        Escribe("FE3", e.anio);
        Escribe("L3", e.latGrados);
        Escribe("L4", e.latMinutos);
        Escribe("G3", e.lonGrados);
        Escribe("G4", e.lonMinutos);
        Escribe("Z", e.zona);
        QTest::mouseClick(Control<QRadioButton>(e.norte ? "Lnn" : "Lss"), Qt::LeftButton);
        QTest::mouseClick(Control<QRadioButton>(e.este ? "Gee" : "Gww"), Qt::LeftButton);
        QTest::mouseClick(Control<QRadioButton>(e.zonaEste ? "Option2" : "Option1"),
                          Qt::LeftButton);
    }

    // Presses "Calcular". When a message box opens, records it, hands it to
    // `alAbrir` (if given) while it is open, closes it with its button, and
    // returns what it showed.
    std::optional<MensajeVisto> Calcula(const std::function<void(QMessageBox&)>& alAbrir = {}) {
        std::optional<MensajeVisto> visto;
        QTimer vigia;
        vigia.setInterval(10);
        QObject::connect(&vigia, &QTimer::timeout, [&] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (caja == nullptr) {
                return;
            }
            vigia.stop();
            MensajeVisto m;
            m.titulo = caja->windowTitle();
            m.texto = caja->text();
            m.icono = caja->icon();
            for (QAbstractButton* b : caja->buttons()) {
                m.botones << b->text();
            }
            QWidget* foco = Ventana().focusWidget();
            m.focoAlAbrir = foco ? foco->objectName() : QString();
            if (alAbrir) {
                alAbrir(*caja);
            }
            QTest::mouseClick(caja->buttons().value(0), Qt::LeftButton);
            visto = m;
        });
        vigia.start();
        QTest::mouseClick(Control<QPushButton>("Command1"), Qt::LeftButton);
        vigia.stop();
        if (visto) {
            // The offscreen platform has no window manager to give the
            // window back its activation when the box closes: do it here.
            Ventana().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&Ventana()));
            visto->focoAlCerrar = NombreConFoco();
        }
        return visto;
    }

    // The text of a box or a label.
    QString Texto(const char* nombre) {
        if (auto* caja = Ventana().findChild<QLineEdit*>(nombre)) return caja->text();
        if (auto* etiqueta = Ventana().findChild<QLabel*>(nombre)) return etiqueta->text();
        ADD_FAILURE() << "no hay control " << nombre;
        return {};
    }

    bool Visible(const char* nombre) { return Control<QWidget>(nombre)->isVisible(); }

    bool Marcada(const char* nombre) { return Control<QRadioButton>(nombre)->isChecked(); }

    // A box's back colour as set in its palette.
    QColor Fondo(const char* nombre) {
        return Control<QLineEdit>(nombre)->palette().color(QPalette::Base);
    }

    // Everything the commands and handlers may change, by control name:
    // each text box's text and back colour, each option button's state,
    // the place box's text, the moon captions, and whether the result
    // frame and TextInfo are shown.
    std::map<QString, QString> EstadoVentana() {
        std::map<QString, QString> e;
        for (QLineEdit* caja : Ventana().findChildren<QLineEdit*>()) {
            if (caja->objectName().isEmpty()) continue;  // the place box's own field
            e[caja->objectName()] = caja->text();
            e[caja->objectName() + ".fondo"] = caja->palette().color(QPalette::Base).name();
        }
        for (QRadioButton* opcion : Ventana().findChildren<QRadioButton*>()) {
            e[opcion->objectName()] = opcion->isChecked() ? "marcada" : "";
        }
        e["ComLugar"] = Control<QComboBox>("ComLugar")->currentText();
        e["Label1"] = Texto("Label1");
        e["Label8"] = Texto("Label8");
        e["Resultado.visible"] = Visible("Resultado") ? "sí" : "no";
        e["TextInfo.visible"] = Visible("TextInfo") ? "sí" : "no";
        return e;
    }
};

// Lets GoogleTest print a window state as name = value lines.
inline void PrintTo(const std::map<QString, QString>& e, std::ostream* os) {
    for (const auto& [nombre, valor] : e) {
        *os << "\n  " << nombre.toStdString() << " = \"" << valor.toStdString() << '"';
    }
}

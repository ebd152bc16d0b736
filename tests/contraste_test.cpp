// SPDX-License-Identifier: GPL-3.0-or-later
// The window keeps the look it was designed with under a dark desktop
// palette: every text it shows is measured, in the pixels the window
// actually paints, against the pixels behind it (WCAG 2 contrast ratio), and
// compared with the same text under the light palette. Also that the light
// palette is Qt's own, the one the window had always been drawn with.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "calculadora/FormVespalbaCivilNautico.h"
#include "resultados/colores.h"

namespace {

// Relative luminance of an sRGB colour (WCAG 2).
double Luminancia(const QColor& c) {
    const auto canal = [](int v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * canal(c.red()) + 0.7152 * canal(c.green()) + 0.0722 * canal(c.blue());
}

// Contrast ratio of two colours, 1 to 21 (WCAG 2).
double Contraste(const QColor& a, const QColor& b) {
    const double la = Luminancia(a);
    const double lb = Luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text painted in `zona` of `imagen`: the background is
// the colour most of its pixels have, the text the pixel that stands out
// most from it.
double ContrasteTexto(const QImage& imagen, const QRect& zona) {
    std::map<QRgb, int> cuenta;
    const QRect dentro = zona.intersected(imagen.rect());
    for (int y = dentro.top(); y <= dentro.bottom(); ++y) {
        for (int x = dentro.left(); x <= dentro.right(); ++x) {
            ++cuenta[imagen.pixel(x, y) | 0xff000000u];
        }
    }
    if (cuenta.empty()) return 0;
    auto fondo = cuenta.begin();
    for (auto i = cuenta.begin(); i != cuenta.end(); ++i) {
        if (i->second > fondo->second) fondo = i;
    }
    double mejor = 1;
    for (const auto& [color, n] : cuenta) {
        mejor = std::max(mejor, Contraste(QColor::fromRgb(fondo->first), QColor::fromRgb(color)));
    }
    return mejor;
}

QString Nombre(const QWidget* w) {
    return w->objectName().isEmpty() ? Nombre(w->parentWidget()) + "/texto" : w->objectName();
}

// Every text the window shows, by a name, with the part of the window
// (window coordinates) where the text is drawn: a label's contents, a text
// box's inside, an option button's or push button's text part, a frame's
// caption, a menu title.
std::map<QString, QRect> TextosALaVista(QWidget& ventana) {
    std::map<QString, QRect> textos;
    const auto agrega = [&](const QWidget* w, const QString& nombre, const QRect& zona) {
        if (!zona.isEmpty())
            textos[nombre] = QRect(w->mapTo(&ventana, zona.topLeft()), zona.size());
    };
    for (QWidget* w : ventana.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&ventana)) continue;
        if (auto* x = qobject_cast<QLabel*>(w); x && !x->text().trimmed().isEmpty()) {
            agrega(x, Nombre(x), x->contentsRect());
        } else if (auto* x = qobject_cast<QLineEdit*>(w); x && !x->text().trimmed().isEmpty()) {
            QStyleOptionFrame op;
            op.initFrom(x);
            op.lineWidth = x->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &op, x);
            agrega(x, Nombre(x), x->style()->subElementRect(QStyle::SE_LineEditContents, &op, x));
        } else if (auto* x = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton op;
            op.initFrom(x);
            agrega(x, Nombre(x),
                   x->style()->subElementRect(QStyle::SE_RadioButtonContents, &op, x));
        } else if (auto* x = qobject_cast<QPushButton*>(w)) {
            QStyleOptionButton op;
            op.initFrom(x);
            agrega(x, Nombre(x), x->style()->subElementRect(QStyle::SE_PushButtonContents, &op, x));
        } else if (auto* x = qobject_cast<QGroupBox*>(w); x && !x->title().isEmpty()) {
            QStyleOptionGroupBox op;
            op.initFrom(x);
            op.text = x->title();
            op.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            agrega(
                x, Nombre(x),
                x->style()->subControlRect(QStyle::CC_GroupBox, &op, QStyle::SC_GroupBoxLabel, x));
        } else if (auto* x = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : x->actions()) {
                agrega(x, a->objectName(), x->actionGeometry(a));
            }
        }
    }
    return textos;
}

// A typical dark desktop palette (GNOME's Adwaita dark, as Qt reads it).
QPalette PaletaOscura() {
    const QColor texto(0xf0, 0xf0, 0xf0);
    QPalette p(texto, QColor(0x32, 0x32, 0x32), QColor(0x4b, 0x4b, 0x4b), QColor(0x21, 0x21, 0x21),
               QColor(0x2a, 0x2a, 0x2a), texto, QColor(0x24, 0x24, 0x24));
    p.setColor(QPalette::Shadow, QColor(0x19, 0x19, 0x19));
    p.setColor(QPalette::ButtonText, texto);
    p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    return p;
}

// What the user does before the window is measured.
struct Escenario {
    const char* nombre;
    std::function<void(QWidget&)> hace;
};

// The window's control of that name and class.
template <class T = QWidget>
T* Control(QWidget& v, const char* nombre) {
    T* c = v.findChild<T*>(QString::fromLatin1(nombre));
    if (c == nullptr) {
        ADD_FAILURE() << "no hay " << nombre;
        std::abort();
    }
    return c;
}

void Escribe(QWidget& v, const char* dia, const char* mes, const char* anio, const char* latGrados,
             const char* latMinutos) {
    for (const auto& [caja, texto] : {std::pair{"FE1", dia},
                                      {"FE2", mes},
                                      {"FE3", anio},
                                      {"L3", latGrados},
                                      {"L4", latMinutos},
                                      {"G3", "0"},
                                      {"G4", "0"},
                                      {"Z", "0"}}) {
        Control<QLineEdit>(v, caja)->setText(QString::fromLatin1(texto));
    }
    Control<QRadioButton>(v, "Lnn")->setChecked(true);
    Control<QRadioButton>(v, "Gee")->setChecked(true);
}

void Calcula(QWidget& v) { QTest::mouseClick(Control<QPushButton>(v, "Command1"), Qt::LeftButton); }

const Escenario kEscenarios[] = {
    {"ejemplo",
     [](QWidget& v) {
         Control<QAction>(v, "Ej1")->trigger();
         Calcula(v);
     }},
    {"noche polar, 70 N",
     [](QWidget& v) {
         Escribe(v, "21", "12", "2003", "70", "0");
         Calcula(v);
     }},
    {"sin aurora civil, 74 59 N",
     [](QWidget& v) {
         Escribe(v, "21", "12", "2003", "74", "59");
         Calcula(v);
     }},
};

// What is measured in one window.
struct Medida {
    std::map<QString, double> contrastes;  // text name -> contrast ratio
    QColor marca;                          // inside ComAuroraCivil
    QColor normal;                         // inside ComAurora
};

// How the dark palette reaches the window.
enum class Oscuro { No, AntesDeLaVentana, DespuesDeCalcular };

class ContrasteTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Chile)); }
    void TearDown() override {
        QApplication::setPalette(Vespalba::PaletaVentana());
        QLocale::setDefault(QLocale::c());
    }

    Medida Mide(const Escenario& e, Oscuro oscuro) {
        QApplication::setPalette(oscuro == Oscuro::AntesDeLaVentana ? PaletaOscura()
                                                                    : Vespalba::PaletaVentana());
        auto v = std::make_unique<Vespalba::FormVespalbaCivilNautico>();
        v->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(v.get()));
        e.hace(*v);
        if (oscuro == Oscuro::DespuesDeCalcular) {
            // The desktop turns dark while the window is open: a new
            // application palette and a change of theme for every control.
            QApplication::setPalette(PaletaOscura());
            QList<QWidget*> todos = v->findChildren<QWidget*>();
            todos.prepend(v.get());
            for (QWidget* w : todos) {
                QEvent cambio(QEvent::ThemeChange);
                QApplication::sendEvent(w, &cambio);
            }
            QApplication::processEvents();
        }
        const QImage imagen = v->grab().toImage();
        Medida m;
        for (const auto& [nombre, zona] : TextosALaVista(*v)) {
            m.contrastes[nombre] = ContrasteTexto(imagen, zona);
        }
        const auto dentro = [&](QWidget* caja) {
            return imagen.pixelColor(caja->mapTo(v.get(), QPoint(6, caja->height() / 2)));
        };
        m.marca = dentro(Control(*v, "ComAuroraCivil"));
        m.normal = dentro(Control(*v, "ComAurora"));
        return m;
    }
};

TEST_F(ContrasteTest, CadaTextoSeLeeComoConLaPaletaClara) {
    const bool informa = std::getenv("VESPALBA_CONTRASTES") != nullptr;
    for (const Escenario& e : kEscenarios) {
        SCOPED_TRACE(e.nombre);
        const Medida clara = Mide(e, Oscuro::No);
        ASSERT_GE(clara.contrastes.size(), 60u) << "every text of the window is measured";
        for (const Oscuro modo : {Oscuro::AntesDeLaVentana, Oscuro::DespuesDeCalcular}) {
            SCOPED_TRACE(modo == Oscuro::AntesDeLaVentana ? "oscura antes de la ventana"
                                                          : "oscura con la ventana abierta");
            const Medida oscura = Mide(e, modo);
            for (const auto& [nombre, claro] : clara.contrastes) {
                ASSERT_TRUE(oscura.contrastes.count(nombre)) << nombre.toStdString();
                const double oscuro = oscura.contrastes.at(nombre);
                EXPECT_GE(oscuro, claro - 1e-9) << nombre.toStdString();
                EXPECT_TRUE(oscuro >= 3 || claro < 3)
                    << nombre.toStdString() << ": " << oscuro << ":1";
                if (informa && modo == Oscuro::AntesDeLaVentana) {
                    std::printf("%-28s %-32s %6.2f %6.2f\n", e.nombre, qPrintable(nombre), claro,
                                oscuro);
                }
            }
            // A dawn box marked as a dawn that never comes stays clearly
            // darker than a normal one.
            if (std::string(e.nombre).starts_with("sin aurora")) {
                EXPECT_LT(Luminancia(oscura.marca), Luminancia(oscura.normal));
                EXPECT_GE(Contraste(oscura.marca, oscura.normal), 3.0);
                EXPECT_GE(Contraste(oscura.marca, oscura.normal),
                          Contraste(clara.marca, clara.normal) - 1e-9);
                if (informa) {
                    std::printf("%-28s %-32s %6.2f %6.2f\n", e.nombre, "marca/normal",
                                Contraste(clara.marca, clara.normal),
                                Contraste(oscura.marca, oscura.normal));
                }
            }
        }
    }
}

// The light palette is Qt's own, with which the window has always been drawn
// where the desktop gives no palette (the offscreen platform here): role by
// role, in every group.
TEST_F(ContrasteTest, PaletaClaraEsLaPropiaDeQt) {
    // An empty palette gives the application back the platform's own.
    QApplication::setPalette(QPalette());
    const QPalette plataforma = QApplication::palette();
    const QPalette propia = Vespalba::PaletaVentana();
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto grupo = QPalette::ColorGroup(g);
            const auto rol = QPalette::ColorRole(r);
            EXPECT_EQ(propia.color(grupo, rol).rgba(), plataforma.color(grupo, rol).rgba())
                << "grupo " << g << " rol " << r;
        }
    }
    EXPECT_EQ(propia.resolveMask(), ~QPalette::ResolveMask{0}) << "every role set";
}

}  // namespace

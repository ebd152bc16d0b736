// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns from the window: each control's accessible
// name and role, the label that heads it, the text of each result box, the
// moon boxes' names after a calculation that exchanges their captions, and
// the message box. Read through Qt's accessibility interfaces, the same ones
// Qt's bridge publishes on the desktop's accessibility bus.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>

#include <map>
#include <optional>
#include <string>

#include "calculo_fixture.h"

namespace {

// A control as the accessibility interfaces show it: its name, its role,
// and the label beside it that names it too (its buddy), if any.
struct ControlAccesible {
    const char* control;
    const char* nombre;
    QAccessible::Role papel;
    const char* etiqueta;
};

constexpr QAccessible::Role kTexto = QAccessible::EditableText;
constexpr QAccessible::Role kOpcion = QAccessible::RadioButton;

// clang-format off
const ControlAccesible controles[] = {
    {"FE1", "Día", kTexto, "Label18"},
    {"FE2", "Mes", kTexto, "Label16"},
    {"FE3", "Año", kTexto, "Label17"},
    {"L3", "Latitud, grados", kTexto, "Label3"},
    {"L4", "Latitud, minutos", kTexto, nullptr},
    {"G3", "Longitud, grados", kTexto, "Label2"},
    {"G4", "Longitud, minutos", kTexto, nullptr},
    {"Z", "Zona horaria, horas", kTexto, "Label5_0"},
    {"Lss", "Latitud sur", kOpcion, nullptr},
    {"Lnn", "Latitud norte", kOpcion, nullptr},
    {"Gww", "Longitud oeste", kOpcion, nullptr},
    {"Gee", "Longitud este", kOpcion, nullptr},
    {"Option1", "Zona al oeste", kOpcion, nullptr},
    {"Option2", "Zona al este", kOpcion, nullptr},
    {"Command4", "Hoy", QAccessible::Button, nullptr},
    {"Command1", "Calcular", QAccessible::Button, nullptr},
    {"ComAuroraAstro", "Com. Aurora Astronómico", kTexto, "Label15_1"},
    {"ComAurora", "Com. Aurora Náutico", kTexto, "Label15_0"},
    {"ComAuroraCivil", "Com. Aurora Civil", kTexto, "Label14_1"},
    {"Orto", "Orto Sol", kTexto, "Label14_0"},
    {"Ocaso", "Ocaso Sol", kTexto, "Label13"},
    {"FinCrepCivil", "Fin Crepúsculo Civil", kTexto, "FLabel13_1"},
    {"FinCrep", "Fin Crepúsculo Náutico", kTexto, "FLabel13_0"},
    {"FinCrepAstro", "Fin Crepúsculo Astronómico", kTexto, "FLabel13_2"},
    {"OcasoLuna", "Ocaso Luna", kTexto, "Label1"},
    {"OrtoLuna", "Orto Luna", kTexto, "Label8"},
    {"TextAl", "Fecha del cálculo", kTexto, "Label9"},
    {"HorasLuz", "Horas Luz", kTexto, "Label4"},
    {"TextInfo", "Información", kTexto, nullptr},
};
// clang-format on

// The boxes a calculation writes, whose text a screen reader reads.
const char* const cajasResultado[] = {"OcasoLuna",      "OrtoLuna",     "Orto",      "Ocaso",
                                      "ComAuroraCivil", "FinCrepCivil", "ComAurora", "FinCrep",
                                      "ComAuroraAstro", "FinCrepAstro", "HorasLuz",  "TextAl",
                                      "TextInfo"};

class AccesibilidadTest : public CalculoTest {
protected:
    // The accessibility interface of the named control (null, after
    // recording a failure, when there is none).
    QAccessibleInterface* Interfaz(const char* nombre) {
        QWidget* w = Control<QWidget>(nombre);
        if (w == nullptr) return nullptr;
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
        if (i == nullptr) ADD_FAILURE() << nombre << " has no accessibility interface";
        return i;
    }

    static QString Nombre(QAccessibleInterface* i) { return i->text(QAccessible::Name); }

    // Checks every control's name, role and labels, with the two moon boxes
    // named as given.
    void CompruebaControles(const QString& nombreOcasoLuna, const QString& nombreOrtoLuna) {
        for (const ControlAccesible& c : controles) {
            SCOPED_TRACE(c.control);
            QAccessibleInterface* i = Interfaz(c.control);
            ASSERT_NE(i, nullptr);
            QString esperado = QString::fromUtf8(c.nombre);
            if (std::string(c.control) == "OcasoLuna") esperado = nombreOcasoLuna;
            if (std::string(c.control) == "OrtoLuna") esperado = nombreOrtoLuna;
            EXPECT_EQ(Nombre(i), esperado);
            EXPECT_EQ(i->role(), c.papel);
            if (c.etiqueta == nullptr) continue;

            // The heading label is the box's buddy, is reported as the box's
            // label, and is read with its own caption.
            auto* etiqueta = Control<QLabel>(c.etiqueta);
            ASSERT_NE(etiqueta, nullptr);
            EXPECT_EQ(etiqueta->buddy(), Control<QWidget>(c.control));
            bool nombrada = false;
            for (const auto& [otra, relacion] : i->relations(QAccessible::Label)) {
                nombrada = nombrada || otra->object() == etiqueta;
            }
            EXPECT_TRUE(nombrada) << c.etiqueta << " is not reported as its label";
            QAccessibleInterface* e = QAccessible::queryAccessibleInterface(etiqueta);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->role(), QAccessible::StaticText);
            EXPECT_EQ(Nombre(e), etiqueta->text());
        }
    }

    // Each result box's value as read by a screen reader is its text.
    void CompruebaValores() {
        for (const char* nombre : cajasResultado) {
            QAccessibleInterface* i = Interfaz(nombre);
            ASSERT_NE(i, nullptr);
            EXPECT_EQ(i->text(QAccessible::Value), Control<QLineEdit>(nombre)->text()) << nombre;
        }
    }
};

TEST_F(AccesibilidadTest, AlAbrirCadaControlTieneNombrePapelYEtiqueta) {
    CompruebaControles("Ocaso Luna", "Orto Luna");
    CompruebaValores();

    // Labels keep their own text as their name: none has a name set.
    for (QLabel* etiqueta : Ventana().findChildren<QLabel*>()) {
        if (etiqueta->objectName().startsWith("qt_")) continue;
        SCOPED_TRACE(etiqueta->objectName().toStdString());
        EXPECT_TRUE(etiqueta->accessibleName().isEmpty());
        EXPECT_EQ(Nombre(QAccessible::queryAccessibleInterface(etiqueta)), etiqueta->text());
    }

    // The menu bar's three commands.
    QAccessibleInterface* menu =
        QAccessible::queryAccessibleInterface(Ventana().findChild<QMenuBar*>());
    ASSERT_NE(menu, nullptr);
    QStringList ordenes;
    for (int k = 0; k < menu->childCount(); ++k) {
        EXPECT_EQ(menu->child(k)->role(), QAccessible::MenuItem);
        ordenes << Nombre(menu->child(k));
    }
    EXPECT_EQ(ordenes, (QStringList{"Ejemplo", "Nuevo Cálculo", "Salir"}));
}

TEST_F(AccesibilidadTest, ListaDeLugares) {
    auto* lugar = Control<QComboBox>("ComLugar");
    ASSERT_NE(lugar, nullptr);
    EXPECT_EQ(lugar->accessibleName(), "Lugar");
    QAccessibleInterface* i = Interfaz("ComLugar");
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->role(), QAccessible::ComboBox);
    EXPECT_EQ(i->text(QAccessible::Value), "Selección Lugar");

    // Qt on Linux reads the box's text as its name; the text field inside
    // carries the name "Lugar" and the text.
    QAccessibleInterface* campo = QAccessible::queryAccessibleInterface(lugar->lineEdit());
    ASSERT_NE(campo, nullptr);
    EXPECT_EQ(campo->parent()->object(), lugar);
    EXPECT_EQ(campo->role(), QAccessible::EditableText);
    EXPECT_EQ(Nombre(campo), "Lugar");
    EXPECT_EQ(campo->text(QAccessible::Value), "Selección Lugar");

    Ventana().Ej1_Click();
    EXPECT_EQ(i->text(QAccessible::Value), "Valparaíso        ");
    EXPECT_EQ(Nombre(campo), "Lugar");
}

TEST_F(AccesibilidadTest, LasCajasDeLaLunaSiguenSuEtiqueta) {
    // A day, the moon captions it shows, and what TextInfo then says.
    const struct {
        const char* que;
        Entradas entradas;
        const char* label1;  // the upper moon caption
        const char* label8;  // the lower one
        std::optional<QString> info;
        const std::map<QString, QString>* textos;  // worked texts, when known
        // clang-format off
    } dias[] = {
        {"worked example, rise first",
         {"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false},
         "Orto Luna", "Ocaso Luna", std::nullopt, &resultadosEjemplo},
        {"moonset only, 53 10 S",
         {"21", "6", "2003", "53", "10", false, "70", "55", false, "4", false},
         "Ocaso Luna", "Orto Luna", std::nullopt, nullptr},
        {"midnight sun, 70 N, rise first",
         {"21", "6", "2003", "70", "0", true, "0", "0", false, "0", false},
         "Orto Luna", "Ocaso Luna", QString("Siempre Brillante."), nullptr},
    };
    // clang-format on
    // One after another, so that the names go back as well as forth.
    for (const auto& d : dias) {
        SCOPED_TRACE(d.que);
        EscribeTodo(d.entradas);
        ASSERT_FALSE(Calcula());
        ASSERT_EQ(Texto("Label1"), d.label1);
        ASSERT_EQ(Texto("Label8"), d.label8);
        CompruebaControles(d.label1, d.label8);
        CompruebaValores();
        EXPECT_EQ(Control<QWidget>("TextInfo")->isVisible(), d.info.has_value());
        if (d.info) {
            EXPECT_EQ(Interfaz("TextInfo")->text(QAccessible::Value), *d.info);
        }
        if (d.textos == nullptr) continue;
        for (const auto& [nombre, texto] : *d.textos) {
            if (nombre.startsWith("Label")) continue;  // captions, not boxes
            QAccessibleInterface* i = Interfaz(qPrintable(nombre));
            ASSERT_NE(i, nullptr);
            EXPECT_EQ(i->text(QAccessible::Value), texto) << nombre.toStdString();
        }
    }
}

TEST_F(AccesibilidadTest, ElCuadroDeMensajeExponeSuTexto) {
    const QString mensaje = "Verifique Ingreso del Día, (entre 1 y 31.";
    bool leido = false;
    const std::optional<MensajeVisto> m = Calcula([&](QMessageBox& caja) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(&caja);
        ASSERT_NE(i, nullptr);
        // An alert, named by its caption, whose value is the message.
        EXPECT_EQ(i->role(), QAccessible::AlertMessage);
        EXPECT_EQ(Nombre(i), "Vespalba");
        EXPECT_EQ(i->text(QAccessible::Value), mensaje);
        // And the message is a static text inside it, next to its button.
        bool texto = false;
        bool boton = false;
        for (int k = 0; k < i->childCount(); ++k) {
            QAccessibleInterface* h = i->child(k);
            texto = texto || (h->role() == QAccessible::StaticText && Nombre(h) == mensaje);
            for (int j = 0; j < h->childCount(); ++j) {
                boton = boton || (h->child(j)->role() == QAccessible::Button &&
                                  Nombre(h->child(j)) == "Aceptar");
            }
        }
        EXPECT_TRUE(texto);
        EXPECT_TRUE(boton);
        leido = true;
    });
    ASSERT_TRUE(m);
    EXPECT_EQ(m->texto, mensaje);
    EXPECT_TRUE(leido);
}

}  // namespace

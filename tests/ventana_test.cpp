// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user first sees it: every control with its kind,
// parent, place, size, text, letter, colour and alignment; the start state;
// the menu; the keyboard order; and that every text fits its box.
//
// Expected values are the window's design, in twips (15 twips to a pixel at
// 96 dots per inch), relative to the containing frame or to the client area
// below the menu bar.
#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyleOption>
#include <vector>

#include "resultados/colores.h"
#include "ventana_fixture.h"

namespace {

constexpr int kTwipsPorPixel = 15;

QRect EnPixeles(int left, int top, int width, int height) {
    return QRect(left / kTwipsPorPixel, top / kTwipsPorPixel, width / kTwipsPorPixel,
                 height / kTwipsPorPixel);
}

enum class Clase { Etiqueta, Caja, Marco, Contenedor, Opcion, Boton, Lista, Rectangulo };

const char* NombreClase(Clase c) {
    switch (c) {
        case Clase::Etiqueta: return "QLabel";
        case Clase::Caja: return "QLineEdit";
        case Clase::Marco: return "QGroupBox";
        case Clase::Contenedor: return "QFrame";
        case Clase::Opcion: return "QRadioButton";
        case Clase::Boton: return "QPushButton";
        case Clase::Lista: return "QComboBox";
        case Clase::Rectangulo: return "QFrame";
    }
    return "";
}

// The text a control shows: a frame's caption, a combo box's current text.
QString TextoDe(QWidget* w) {
    if (auto* x = qobject_cast<QLabel*>(w)) return x->text();
    if (auto* x = qobject_cast<QLineEdit*>(w)) return x->text();
    if (auto* x = qobject_cast<QGroupBox*>(w)) return x->title();
    if (auto* x = qobject_cast<QAbstractButton*>(w)) return x->text();
    if (auto* x = qobject_cast<QComboBox*>(w)) return x->currentText();
    return {};
}

struct Pieza {
    const char* nombre;
    Clase clase;
    const char* padre;  // "areaCliente": placed directly on the window
    const char* texto;
    int left, top, width, height;  // twips
    double puntos;
    bool negrita;
    bool subrayado;
};

void PrintTo(const Pieza& c, std::ostream* os) { *os << c.nombre; }

constexpr const char* kVentana = "areaCliente";

// Every control of the window, frame by frame, as designed.
// clang-format off
const Pieza kPiezas[] = {
    // Placed directly on the window.
    {"Label23_1", Clase::Etiqueta, kVentana, "Vespalba del Sol y de la Luna.", 1560, 240, 4095, 300, 12, true, false},
    {"Label23_0", Clase::Etiqueta, kVentana, "Comienzo Aurora y Fin Crepúsculo.", 1440, 720, 4245, 300, 12, true, false},
    {"Shape5", Clase::Rectangulo, kVentana, "", 840, 120, 5655, 975, 8.25, false, false},
    {"Frame3", Clase::Marco, kVentana, "Datos Generales", 1080, 1320, 5175, 2775, 9.75, true, false},
    {"Shape3", Clase::Rectangulo, kVentana, "", 840, 1200, 5655, 3975, 8.25, false, false},
    {"Command1", Clase::Boton, kVentana, "Calcular", 3000, 4440, 1215, 495, 8.25, false, false},
    {"Shape1", Clase::Rectangulo, kVentana, "", 2880, 4320, 1455, 735, 8.25, false, false},
    {"Frame7_0", Clase::Marco, kVentana, "", 1440, 5520, 4575, 1335, 8.25, false, false},
    {"Shape4", Clase::Rectangulo, kVentana, "", 1320, 5400, 4815, 1575, 8.25, false, false},
    {"TextInfo", Clase::Caja, kVentana, " ", 1680, 7200, 3855, 495, 12, false, false},
    {"Resultado", Clase::Marco, kVentana, "Resultados", 6840, 120, 4335, 7575, 9.75, true, false},
    // Inside "Datos Generales".
    {"Label10", Clase::Etiqueta, "Frame3", "Fecha", 480, 600, 660, 240, 9.75, true, false},
    {"Command4", Clase::Boton, "Frame3", "Hoy", 1320, 480, 495, 375, 8.25, false, false},
    {"Label18", Clase::Etiqueta, "Frame3", "Día (DD)", 2160, 240, 645, 195, 8.25, false, false},
    {"FE1", Clase::Caja, "Frame3", " ", 2280, 480, 495, 375, 8.25, false, false},
    {"Label16", Clase::Etiqueta, "Frame3", "Mes (MM)", 2880, 240, 705, 195, 8.25, false, false},
    {"FE2", Clase::Caja, "Frame3", " ", 2880, 480, 495, 375, 8.25, false, false},
    {"Label17", Clase::Etiqueta, "Frame3", "Año (AAAA)", 3720, 240, 840, 195, 8.25, false, false},
    {"FE3", Clase::Caja, "Frame3", " ", 3600, 480, 735, 375, 8.25, false, false},
    {"ComLugar", Clase::Lista, "Frame3", "Selección Lugar", 120, 1440, 1815, 315, 8.25, false, false},
    {"Label3", Clase::Etiqueta, "Frame3", "Latitud", 2160, 1200, 585, 240, 8.25, false, false},
    {"L3", Clase::Caja, "Frame3", " ", 2880, 1080, 495, 375, 8.25, false, false},
    {"Label7", Clase::Etiqueta, "Frame3", "°", 3480, 1080, 60, 195, 8.25, false, false},
    {"L4", Clase::Caja, "Frame3", " ", 3600, 1080, 495, 375, 8.25, false, false},
    {"Label11_0", Clase::Etiqueta, "Frame3", "'", 4200, 1080, 30, 195, 8.25, false, false},
    {"Frame1", Clase::Contenedor, "Frame3", "", 4320, 960, 735, 615, 8.25, false, false},
    {"Label2", Clase::Etiqueta, "Frame3", "Longitud", 2040, 1800, 765, 240, 8.25, false, false},
    {"G3", Clase::Caja, "Frame3", " ", 2880, 1680, 495, 375, 8.25, false, false},
    {"Label6", Clase::Etiqueta, "Frame3", "°", 3480, 1680, 60, 195, 8.25, false, false},
    {"G4", Clase::Caja, "Frame3", " ", 3600, 1680, 495, 375, 8.25, false, false},
    {"Label11_1", Clase::Etiqueta, "Frame3", "'", 4200, 1680, 30, 195, 8.25, false, false},
    {"Frame2", Clase::Contenedor, "Frame3", "", 4320, 1560, 735, 615, 8.25, false, false},
    {"Label5_0", Clase::Etiqueta, "Frame3", "Zona Horaria", 1680, 2280, 1185, 240, 8.25, false, false},
    {"Z", Clase::Caja, "Frame3", "4", 2880, 2160, 495, 375, 8.25, false, false},
    {"Frame8", Clase::Contenedor, "Frame3", "", 3480, 2160, 615, 495, 8.25, false, false},
    // The option buttons, in their borderless frames.
    {"Lss", Clase::Opcion, "Frame1", "S", 120, 120, 375, 255, 8.25, false, false},
    {"Lnn", Clase::Opcion, "Frame1", "N", 120, 360, 375, 195, 8.25, false, false},
    {"Gww", Clase::Opcion, "Frame2", "W", 120, 120, 495, 255, 8.25, false, false},
    {"Gee", Clase::Opcion, "Frame2", "E", 120, 360, 375, 195, 8.25, false, false},
    {"Option1", Clase::Opcion, "Frame8", "W", 0, 0, 615, 255, 8.25, false, false},
    {"Option2", Clase::Opcion, "Frame8", "E", 0, 240, 495, 255, 8.25, false, false},
    // Inside "Resultados": all text bold.
    {"Frame6", Clase::Marco, "Resultado", "", 120, 240, 3855, 735, 9.75, true, false},
    {"Label9", Clase::Etiqueta, "Frame6", "Fecha", 360, 240, 660, 240, 9.75, true, false},
    {"TextAl", Clase::Caja, "Frame6", " ", 1800, 240, 1335, 360, 9.75, true, false},
    {"Frame5", Clase::Marco, "Resultado", "Sol", 120, 1080, 4095, 4215, 8.25, true, false},
    {"FrameLuna", Clase::Marco, "Resultado", "Luna", 120, 5400, 4095, 1215, 8.25, true, false},
    {"Frame4", Clase::Marco, "Resultado", "", 120, 6720, 4095, 735, 8.25, true, false},
    {"Label4", Clase::Etiqueta, "Frame4", "Horas Luz", 120, 360, 870, 195, 8.25, true, false},
    {"HorasLuz", Clase::Caja, "Frame4", "", 2760, 240, 1095, 375, 8.25, true, false},
    // The Sun's rows, and the light-yellow panel behind sunrise and sunset.
    {"Shape2", Clase::Rectangulo, "Frame5", "", 120, 1560, 3855, 1095, 8.25, false, false},
    {"Label15_1", Clase::Etiqueta, "Frame5", "Com. Aurora Astronómico", 240, 240, 2145, 195, 8.25, true, false},
    {"ComAuroraAstro", Clase::Caja, "Frame5", " ", 2760, 120, 1095, 375, 8.25, true, false},
    {"Label15_0", Clase::Etiqueta, "Frame5", "Com. Aurora Náutico", 240, 720, 1770, 195, 8.25, true, true},
    {"ComAurora", Clase::Caja, "Frame5", " ", 2760, 600, 1095, 375, 8.25, true, false},
    {"Label14_1", Clase::Etiqueta, "Frame5", "Com. Aurora Civil", 240, 1200, 1470, 195, 8.25, true, false},
    {"ComAuroraCivil", Clase::Caja, "Frame5", " ", 2760, 1080, 1095, 375, 8.25, true, false},
    {"Label14_0", Clase::Etiqueta, "Frame5", "Orto Sol", 240, 1800, 705, 195, 8.25, true, false},
    {"Orto", Clase::Caja, "Frame5", "  ", 2760, 1680, 1095, 375, 8.25, true, false},
    {"Label13", Clase::Etiqueta, "Frame5", "Ocaso Sol", 240, 2280, 885, 195, 8.25, true, false},
    {"Ocaso", Clase::Caja, "Frame5", " ", 2760, 2160, 1095, 375, 8.25, true, false},
    {"FLabel13_1", Clase::Etiqueta, "Frame5", "Fin Crepúsculo Civil", 240, 2880, 1695, 195, 8.25, true, false},
    {"FinCrepCivil", Clase::Caja, "Frame5", " ", 2760, 2760, 1095, 375, 8.25, true, false},
    {"FLabel13_0", Clase::Etiqueta, "Frame5", "Fin Crepúsculo Náutico", 240, 3360, 1995, 195, 8.25, true, true},
    {"FinCrep", Clase::Caja, "Frame5", " ", 2760, 3240, 1095, 375, 8.25, true, false},
    {"FLabel13_2", Clase::Etiqueta, "Frame5", "Fin Crepúsculo Astronómico", 240, 3840, 2370, 195, 8.25, true, false},
    {"FinCrepAstro", Clase::Caja, "Frame5", " ", 2760, 3720, 1095, 375, 8.25, true, false},
    // The Moon's rows.
    {"Label1", Clase::Etiqueta, "FrameLuna", "Ocaso Luna", 120, 360, 1035, 195, 8.25, true, false},
    {"OcasoLuna", Clase::Caja, "FrameLuna", "", 2760, 240, 1095, 375, 8.25, true, false},
    {"Label8", Clase::Etiqueta, "FrameLuna", "Orto Luna", 120, 720, 855, 195, 8.25, true, false},
    {"OrtoLuna", Clase::Caja, "FrameLuna", "", 2760, 720, 1095, 375, 8.25, true, false},
    // The credits.
    {"Label21", Clase::Etiqueta, "Frame7_0", "Autor", 2040, 240, 375, 195, 8.25, false, false},
    {"Label19", Clase::Etiqueta, "Frame7_0", "Equipo Vespalba · info@example.org", 960, 480, 2760, 195, 8.25, false, false},
    {"Label20", Clase::Etiqueta, "Frame7_0", "Proyecto Vespalba de cálculo astronómico", 120, 720, 4275, 195, 8.25, false, false},
    {"Label22", Clase::Etiqueta, "Frame7_0", "Junio 2003", 1800, 960, 780, 195, 8.25, false, false},
};
// clang-format on

class ControlTest : public VentanaTest, public ::testing::WithParamInterface<Pieza> {};

TEST_P(ControlTest, ComoEnElDiseno) {
    const Pieza& c = GetParam();
    QWidget* w = Control<QWidget>(c.nombre);
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), NombreClase(c.clase));
    ASSERT_NE(w->parentWidget(), nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.padre));
    EXPECT_EQ(w->geometry(), EnPixeles(c.left, c.top, c.width, c.height));
    EXPECT_EQ(TextoDe(w), QString::fromUtf8(c.texto));
    const QFont letra = w->font();
    EXPECT_EQ(letra.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(letra.pointSizeF(), c.puntos);
    EXPECT_EQ(letra.bold(), c.negrita);
    EXPECT_EQ(letra.underline(), c.subrayado);
    if (c.clase == Clase::Caja) {
        EXPECT_FALSE(qobject_cast<QLineEdit*>(w)->isReadOnly());
    }
    if (c.clase == Clase::Contenedor) {
        EXPECT_EQ(qobject_cast<QFrame*>(w)->frameShape(), QFrame::NoFrame) << "sin borde";
    }
}

INSTANTIATE_TEST_SUITE_P(Ventana, ControlTest, ::testing::ValuesIn(kPiezas),
                         [](const auto& info) { return std::string(info.param.nombre); });

// Where a colour comes from: a fixed RGB value, the platform's active-border
// colour, or the application's own default for that role.
enum class Origen { Fijo, BordeActivo, Aplicacion };

struct Color {
    const char* nombre;
    QPalette::ColorRole rol;
    Origen origen;
    QRgb rgb;
};

constexpr QRgb kGris224 = 0xe0e0e0;
constexpr QRgb kNegro = 0x000000;

// Text colours (WindowText for labels, option buttons and frame captions,
// Text for text boxes and, in the classic style, frame captions) and back
// colours (Window; Button for option buttons).
// clang-format off
const Color kColores[] = {
    {"Label23_1", QPalette::WindowText, Origen::Fijo, 0x000040},
    {"Label23_1", QPalette::Window, Origen::BordeActivo, 0},
    {"Label23_0", QPalette::WindowText, Origen::Fijo, 0x000040},
    {"Label23_0", QPalette::Window, Origen::BordeActivo, 0},
    {"Shape5", QPalette::Window, Origen::BordeActivo, 0},
    {"Shape3", QPalette::Window, Origen::BordeActivo, 0},
    {"Shape4", QPalette::Window, Origen::BordeActivo, 0},
    {"Shape1", QPalette::WindowText, Origen::Fijo, 0xff0000},
    {"Frame3", QPalette::WindowText, Origen::Fijo, 0x000080},
    {"Frame3", QPalette::Text, Origen::Fijo, 0x000080},
    {"TextInfo", QPalette::Text, Origen::Fijo, 0xff0000},
    {"Resultado", QPalette::WindowText, Origen::Fijo, 0x0000ff},
    {"Resultado", QPalette::Text, Origen::Fijo, 0x0000ff},
    {"Resultado", QPalette::Window, Origen::BordeActivo, 0},
    {"Frame1", QPalette::Window, Origen::Fijo, kGris224},
    {"Frame2", QPalette::Window, Origen::Fijo, kGris224},
    {"Frame8", QPalette::Window, Origen::Fijo, kGris224},
    {"Lss", QPalette::Button, Origen::Fijo, kGris224},
    {"Lnn", QPalette::Button, Origen::Fijo, kGris224},
    {"Gww", QPalette::Button, Origen::Fijo, kGris224},
    {"Gee", QPalette::Button, Origen::Fijo, kGris224},
    {"Option1", QPalette::Button, Origen::Fijo, kGris224},
    {"Option2", QPalette::Button, Origen::Fijo, kGris224},
    {"Frame6", QPalette::Text, Origen::Fijo, 0x0000ff},
    {"Frame5", QPalette::WindowText, Origen::Fijo, 0x0000c0},
    {"Frame5", QPalette::Text, Origen::Fijo, 0x0000c0},
    {"FrameLuna", QPalette::WindowText, Origen::Fijo, 0x0000c0},
    {"FrameLuna", QPalette::Text, Origen::Fijo, 0x0000c0},
    {"Frame4", QPalette::Window, Origen::Fijo, kGris224},
    {"Shape2", QPalette::Window, Origen::Fijo, 0xffffc0},
    {"Label15_1", QPalette::WindowText, Origen::Fijo, kNegro},
    {"Label14_1", QPalette::WindowText, Origen::Fijo, kNegro},
    {"Label14_0", QPalette::WindowText, Origen::Fijo, 0x000080},
    {"Label13", QPalette::WindowText, Origen::Fijo, 0x000080},
    {"FLabel13_1", QPalette::WindowText, Origen::Fijo, kNegro},
    {"FLabel13_0", QPalette::WindowText, Origen::Fijo, kNegro},
    {"FLabel13_2", QPalette::WindowText, Origen::Fijo, kNegro},
    {"ComAuroraAstro", QPalette::Text, Origen::Fijo, kNegro},
    {"ComAurora", QPalette::Text, Origen::Fijo, kNegro},
    {"ComAuroraCivil", QPalette::Text, Origen::Fijo, kNegro},
    {"Orto", QPalette::Text, Origen::Fijo, kNegro},
    {"Ocaso", QPalette::Text, Origen::Fijo, kNegro},
    {"FinCrepCivil", QPalette::Text, Origen::Fijo, kNegro},
    {"FinCrep", QPalette::Text, Origen::Fijo, kNegro},
    {"FinCrepAstro", QPalette::Text, Origen::Fijo, kNegro},
    // Controls without a colour of their own keep the application's, even
    // inside a frame whose caption is coloured.
    {"Label15_0", QPalette::WindowText, Origen::Aplicacion, 0},
    {"Label18", QPalette::WindowText, Origen::Aplicacion, 0},
    {"Lss", QPalette::WindowText, Origen::Aplicacion, 0},
    {"FE1", QPalette::Text, Origen::Aplicacion, 0},
    {"Label9", QPalette::WindowText, Origen::Aplicacion, 0},
    {"TextAl", QPalette::Text, Origen::Aplicacion, 0},
    {"Label1", QPalette::WindowText, Origen::Aplicacion, 0},
    {"OrtoLuna", QPalette::Text, Origen::Aplicacion, 0},
    {"Label4", QPalette::WindowText, Origen::Aplicacion, 0},
    // The dawn boxes start with the window-background colour.
    {"ComAuroraAstro", QPalette::Base, Origen::Aplicacion, 0},
    {"ComAurora", QPalette::Base, Origen::Aplicacion, 0},
    {"ComAuroraCivil", QPalette::Base, Origen::Aplicacion, 0},
};
// clang-format on

TEST_F(VentanaTest, ColoresComoEnElDiseno) {
    for (const Color& c : kColores) {
        QWidget* w = Control<QWidget>(c.nombre);
        ASSERT_NE(w, nullptr);
        QColor esperado;
        switch (c.origen) {
            case Origen::Fijo: esperado = QColor::fromRgb(c.rgb); break;
            case Origen::BordeActivo: esperado = Vespalba::ColorBordeActivo(); break;
            case Origen::Aplicacion: esperado = QApplication::palette(w).color(c.rol); break;
        }
        EXPECT_EQ(w->palette().color(QPalette::Active, c.rol), esperado)
            << c.nombre << " rol " << c.rol << ": "
            << w->palette().color(c.rol).name().toStdString() << " en vez de "
            << esperado.name().toStdString();
        // A back colour shows only where the control paints its background.
        if (c.rol == QPalette::Window || c.rol == QPalette::Button) {
            EXPECT_TRUE(w->autoFillBackground()) << c.nombre;
        }
    }
    EXPECT_EQ(Control<QFrame>("Shape1")->frameShape(), QFrame::Box) << "Shape1 es solo un contorno";
    EXPECT_EQ(Vespalba::ColorFondoVentana(), QApplication::palette().color(QPalette::Base));
}

TEST_F(VentanaTest, Alineaciones) {
    const struct {
        const char* nombre;
        Qt::Alignment horizontal;
        // clang-format off
    } casos[] = {
        {"Label23_1", Qt::AlignHCenter}, {"Label23_0", Qt::AlignHCenter}, {"Label10", Qt::AlignLeft},
        {"FE1", Qt::AlignLeft},          {"Z", Qt::AlignHCenter},         {"TextAl", Qt::AlignHCenter},
        {"TextInfo", Qt::AlignLeft},     {"HorasLuz", Qt::AlignRight},    {"ComAuroraAstro", Qt::AlignRight},
        {"ComAurora", Qt::AlignRight},   {"ComAuroraCivil", Qt::AlignRight}, {"Orto", Qt::AlignRight},
        {"Ocaso", Qt::AlignRight},       {"FinCrepCivil", Qt::AlignRight}, {"FinCrep", Qt::AlignRight},
        {"FinCrepAstro", Qt::AlignRight}, {"OcasoLuna", Qt::AlignRight},  {"OrtoLuna", Qt::AlignRight},
    };
    // clang-format on
    for (const auto& c : casos) {
        QWidget* w = Control<QWidget>(c.nombre);
        ASSERT_NE(w, nullptr);
        const QVariant alineacion = w->property("alignment");
        ASSERT_TRUE(alineacion.isValid()) << c.nombre;
        EXPECT_EQ(alineacion.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask, c.horizontal)
            << c.nombre;
    }
}

TEST_F(VentanaTest, EstadoInicial) {
    EXPECT_EQ(Ventana().windowTitle(),
              QStringLiteral("Vespalba del Sol y de la Luna, Comienzo Aurora y Fin Crepúsculo."));

    // "S", "W" and the zone's "W" selected.
    for (const auto& [nombre, elegido] : {std::pair{"Lss", true},
                                          {"Lnn", false},
                                          {"Gww", true},
                                          {"Gee", false},
                                          {"Option1", true},
                                          {"Option2", false}}) {
        QRadioButton* b = Control<QRadioButton>(nombre);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->isChecked(), elegido) << nombre;
    }

    // Only the input side shows: the result frame and the information line
    // are hidden, everything else of the window is on view.
    EXPECT_FALSE(Control<QGroupBox>("Resultado")->isVisible());
    EXPECT_FALSE(Control<QLineEdit>("TextInfo")->isVisible());
    for (const Pieza& c : kPiezas) {
        QWidget* w = Control<QWidget>(c.nombre);
        ASSERT_NE(w, nullptr);
        const bool oculto = w->objectName() == "TextInfo" || w->objectName() == "Resultado" ||
                            Control<QWidget>("Resultado")->isAncestorOf(w);
        EXPECT_EQ(w->isVisible(), !oculto) << c.nombre;
    }

    EXPECT_TRUE(Control<QComboBox>("ComLugar")->isEditable());
    EXPECT_EQ(NombreConFoco(), QStringLiteral("FE1"));
}

TEST_F(VentanaTest, TamanoFijoYCentrada) {
    Vespalba::FormVespalbaCivilNautico& v = Ventana();
    // The client area below the menu bar is 11835 x 7995 twips.
    ASSERT_NE(v.centralWidget(), nullptr);
    EXPECT_EQ(v.centralWidget()->objectName(), QStringLiteral("areaCliente"));
    EXPECT_EQ(v.centralWidget()->size(), QSize(11835 / kTwipsPorPixel, 7995 / kTwipsPorPixel));
    EXPECT_EQ(v.centralWidget()->y(), v.menuBar()->height());
    EXPECT_EQ(v.size(),
              QSize(11835 / kTwipsPorPixel, 7995 / kTwipsPorPixel + v.menuBar()->height()));
    EXPECT_EQ(v.minimumSize(), v.size());
    EXPECT_EQ(v.maximumSize(), v.size());
    EXPECT_EQ(v.findChild<QScrollArea*>(), nullptr) << "on a screen it fits, nothing scrolls";

    // Centred as the window was placed before its first showing; a frame
    // that the platform adds afterwards may shift it by its own width.
    const QRect pantalla = v.screen()->availableGeometry();
    if (pantalla.width() >= v.frameGeometry().width() &&
        pantalla.height() >= v.frameGeometry().height()) {
        const QPoint desvio = v.geometry().center() - pantalla.center();
        const QSize marco = v.frameGeometry().size() - v.geometry().size();
        EXPECT_LE(std::abs(desvio.x()), marco.width() + 1) << "centrada en la pantalla";
        EXPECT_LE(std::abs(desvio.y()), marco.height() + 1) << "centrada en la pantalla";
    }
    EXPECT_FALSE(v.windowIcon().isNull());
}

TEST_F(VentanaTest, MenuDeTresOrdenes) {
    const QList<QAction*> acciones = Ventana().menuBar()->actions();
    const struct {
        const char* nombre;
        const char* texto;
    } esperadas[] = {{"Ej1", "Ejemplo"}, {"Nuevo", "Nuevo Cálculo"}, {"Salir", "Salir"}};
    ASSERT_EQ(acciones.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(acciones[i]->objectName(), QString::fromLatin1(esperadas[i].nombre));
        EXPECT_EQ(acciones[i]->text(), QString::fromUtf8(esperadas[i].texto));
        EXPECT_EQ(acciones[i]->menu(), nullptr) << esperadas[i].nombre << " no abre un submenú";
        EXPECT_TRUE(acciones[i]->isVisible() && acciones[i]->isEnabled());
    }
}

TEST_F(VentanaTest, SalirCierraLaVentana) {
    QAction* salir = Control<QAction>("Salir");
    ASSERT_NE(salir, nullptr);
    salir->trigger();
    EXPECT_FALSE(Ventana().isVisible());
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed())
        << "cerrar la última ventana termina el programa";
}

// The decorative rectangles lie beneath every control that overlaps them:
// among a frame's children, the later ones are drawn on top.
TEST_F(VentanaTest, RectangulosDebajo) {
    for (const char* forma : {"Shape5", "Shape3", "Shape4", "Shape1", "Shape2"}) {
        QWidget* r = Control<QWidget>(forma);
        ASSERT_NE(r, nullptr);
        const QObjectList hermanos = r->parentWidget()->children();
        const qsizetype lugar = hermanos.indexOf(r);
        int encima = 0;
        for (qsizetype i = 0; i < hermanos.size(); ++i) {
            auto* w = qobject_cast<QWidget*>(hermanos[i]);
            if (w == nullptr || w == r || w->objectName().startsWith("Shape")) continue;
            if (!w->geometry().intersects(r->geometry())) continue;
            EXPECT_GT(i, lugar) << w->objectName().toStdString() << " queda bajo " << forma;
            ++encima;
        }
        EXPECT_GT(encima, 0) << forma << " no está detrás de ningún control";
    }
}

// No text is cut: laid out in its own letter as the control lays it out,
// the ink of each text stays inside the part of the control that shows text.
TEST_F(VentanaTest, NingunTextoCortado) {
    int revisados = 0;
    const auto revisa = [&](QWidget* w, const QRect& zona, const QString& texto, int alineacion) {
        if (texto.trimmed().isEmpty()) return;
        const QFontMetrics medida(w->font());
        const QRect renglon = medida.boundingRect(zona, alineacion, texto);
        const QRect tinta = medida.tightBoundingRect(texto).translated(
            renglon.left(), renglon.top() + medida.ascent());
        EXPECT_TRUE(zona.contains(tinta))
            << w->objectName().toStdString() << " \"" << texto.toStdString() << "\" tinta "
            << tinta.left() << ".." << tinta.right() << " x " << tinta.top() << ".."
            << tinta.bottom() << " en " << zona.left() << ".." << zona.right() << " x "
            << zona.top() << ".." << zona.bottom();
        ++revisados;
    };
    for (QWidget* w : Ventana().findChildren<QWidget*>()) {
        if (auto* x = qobject_cast<QLabel*>(w)) {
            revisa(x, x->contentsRect(), x->text(), int(x->alignment()));
        } else if (auto* x = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton op;
            op.initFrom(x);
            const QRect zona = x->style()->subElementRect(QStyle::SE_RadioButtonContents, &op, x);
            revisa(x, zona, x->text(), Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* x = qobject_cast<QPushButton*>(w)) {
            QStyleOptionButton op;
            op.initFrom(x);
            const QRect zona = x->style()->subElementRect(QStyle::SE_PushButtonContents, &op, x);
            revisa(x, zona, x->text(), Qt::AlignCenter);
        } else if (auto* x = qobject_cast<QGroupBox*>(w)) {
            // The caption may run as far as the frame's right edge.
            QStyleOptionGroupBox op;
            op.initFrom(x);
            op.text = x->title();
            op.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            QRect zona =
                x->style()->subControlRect(QStyle::CC_GroupBox, &op, QStyle::SC_GroupBoxLabel, x);
            zona.setRight(x->rect().right());
            revisa(x, zona, x->title(), Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* x = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox op;
            op.initFrom(x);
            op.editable = true;
            const QRect zona = x->style()->subControlRect(QStyle::CC_ComboBox, &op,
                                                          QStyle::SC_ComboBoxEditField, x);
            revisa(x, zona, x->currentText(), Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    EXPECT_GE(revisados, 40);
}

// Tab from FE1 visits the controls in the designed order; hidden controls
// and those in a hidden frame are passed over, and an option-button group is
// one stop, at its selected button. After the last stop the focus comes back
// to FE1.
struct Recorrido {
    const char* caso;
    void (*prepara)(Vespalba::FormVespalbaCivilNautico&);
    std::vector<const char*> paradas;
};

void PrintTo(const Recorrido& r, std::ostream* os) { *os << r.caso; }

// clang-format off
const Recorrido kRecorridos[] = {
    {"AlAbrir", [](Vespalba::FormVespalbaCivilNautico&) {},
     {"FE2", "FE3", "L3", "L4", "G3", "G4", "Z", "Command4", "Lss", "Gww", "ComLugar", "Command1", "Option1",
      "FE1"}},
    {"NorteEsteYZonaEste",
     [](Vespalba::FormVespalbaCivilNautico& v) {
         v.findChild<QRadioButton*>("Lnn")->setChecked(true);
         v.findChild<QRadioButton*>("Gee")->setChecked(true);
         v.findChild<QRadioButton*>("Option2")->setChecked(true);
     },
     {"FE2", "FE3", "L3", "L4", "G3", "G4", "Z", "Command4", "Lnn", "Gee", "ComLugar", "Command1", "Option2",
      "FE1"}},
    {"ConResultadosALaVista",
     [](Vespalba::FormVespalbaCivilNautico& v) {
         v.findChild<QWidget*>("Resultado")->show();
         v.findChild<QWidget*>("TextInfo")->show();
     },
     {"FE2", "FE3", "L3", "L4", "G3", "G4", "Z", "ComAurora", "Orto", "Command4", "Lss", "Gww", "ComLugar",
      "Command1", "ComAuroraCivil", "ComAuroraAstro", "Option1", "OrtoLuna", "OcasoLuna", "TextAl", "FinCrepAstro",
      "FinCrepCivil", "Ocaso", "FinCrep", "TextInfo", "HorasLuz", "FE1"}},
};
// clang-format on

class TabuladorTest : public VentanaTest, public ::testing::WithParamInterface<Recorrido> {};

TEST_P(TabuladorTest, OrdenDelTeclado) {
    const Recorrido& r = GetParam();
    r.prepara(Ventana());
    ASSERT_EQ(NombreConFoco(), QStringLiteral("FE1"));
    QStringList visitados;
    for (size_t i = 0; i < r.paradas.size(); ++i) {
        QWidget* foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr);
        QTest::keyClick(foco, Qt::Key_Tab);
        visitados << NombreConFoco();
    }
    QStringList esperados;
    for (const char* n : r.paradas) esperados << QString::fromLatin1(n);
    EXPECT_EQ(visitados.join(' '), esperados.join(' '));
}

INSTANTIATE_TEST_SUITE_P(Ventana, TabuladorTest, ::testing::ValuesIn(kRecorridos),
                         [](const auto& info) { return std::string(info.param.caso); });

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// "Calcular" through the real widgets: typed inputs, the button, and every
// box, caption, colour and message the user then reads. The expected texts
// are the worked days' hours (computed with the calendar, sidereal-time and
// Sun and Moon routines as written) in the hours-and-minutes form.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "calculadora/aplicacion.h"
#include "calculo_fixture.h"
#include "resultados/colores.h"

namespace {

class CalcularTest : public CalculoTest {
protected:
    // The colour actually drawn inside a box, a few pixels in from its
    // left edge, where no text stands in a right-aligned box.
    QColor ColorPintado(const char* nombre) {
        QLineEdit* caja = Control<QLineEdit>(nombre);
        const QImage imagen = caja->grab().toImage();
        return imagen.pixelColor(6, imagen.height() / 2);
    }
};

TEST_F(CalcularTest, CaminoDelEjemplo) {
    EXPECT_FALSE(Visible("Resultado"));
    EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
    ASSERT_FALSE(Calcula()) << "no message for valid inputs";

    EXPECT_TRUE(Visible("Resultado"));
    EXPECT_FALSE(Visible("TextInfo"));
    for (const auto& [nombre, texto] : resultadosEjemplo) {
        EXPECT_EQ(Texto(qPrintable(nombre)), texto) << nombre.toStdString();
    }
    for (const char* aurora : {"ComAuroraCivil", "ComAurora", "ComAuroraAstro"}) {
        EXPECT_EQ(Fondo(aurora), Vespalba::ColorFondoVentana()) << aurora;
    }
    // The inputs are never changed by a calculation.
    EXPECT_EQ(Texto("L4"), "16");
    EXPECT_EQ(Texto("G4"), "36");
}

struct DiaEnPantalla {
    const char* que;
    const char *dia, *mes, *anio, *latGrados, *latMinutos;
    bool norte;
    const char *lonGrados, *lonMinutos, *zona;
    std::map<std::string, QString> textos;  // box or label -> text
    std::optional<QString> info;            // TextInfo when shown
    std::vector<std::string> marco;         // dawn boxes in the frame colour
};

// clang-format off
const DiaEnPantalla diasTrabajados[] = {
    {"moonset only, 53 10 S",
     "21", "6", "2003", "53", "10", false, "70", "55", "4",
     {{"OcasoLuna", " 13: 15"}, {"Label1", "Ocaso Luna"}, {"OrtoLuna", ""},
      {"Label8", "Orto Luna"}, {"Orto", " 8: 59"}, {"Ocaso", " 16: 31"},
      {"ComAuroraCivil", " 8: 16"}, {"FinCrepCivil", " 17: 14"}, {"ComAurora", " 7: 31"},
      {"FinCrep", " 17: 59"}, {"ComAuroraAstro", " 6: 49"}, {"FinCrepAstro", " 18: 41"},
      {"HorasLuz", " 7: 31"}, {"TextAl", "21 jun 2003"}},
     std::nullopt, {}},
    {"polar night with twilights, 70 N",
     "21", "12", "2003", "70", "0", true, "0", "0", "0",
     {{"OcasoLuna", ""}, {"Label1", "Ocaso Luna"}, {"OrtoLuna", "Bajo horizonte"},
      {"Label8", "Orto Luna"}, {"Orto", "Bajo horizonte"}, {"Ocaso", ""},
      {"ComAuroraCivil", " 9: 54"}, {"FinCrepCivil", " 14: 1"}, {"ComAurora", " 8: 5"},
      {"FinCrep", " 15: 50"}, {"ComAuroraAstro", " 6: 45"}, {"FinCrepAstro", " 17: 10"},
      {"HorasLuz", " 0: 0"}, {"TextAl", "21 dic 2003"}},
     QString("Siempre Bajo el Horizonte."), {}},
    {"midnight sun, 70 N",
     "21", "6", "2003", "70", "0", true, "0", "0", "0",
     {{"OcasoLuna", " 1: 9"}, {"Label1", "Orto Luna"}, {"OrtoLuna", " 11: 5"},
      {"Label8", "Ocaso Luna"}, {"Orto", ""}, {"Ocaso", "No hay"}, {"ComAuroraCivil", ""},
      {"FinCrepCivil", "////"}, {"ComAurora", ""}, {"FinCrep", "////"}, {"ComAuroraAstro", ""},
      {"FinCrepAstro", "////"}, {"HorasLuz", " 24: 0"}},
     QString("Siempre Brillante."), {}},
    {"civil dawn never comes, 74 59 N",
     "21", "12", "2003", "74", "59", true, "0", "0", "0",
     {{"Orto", "Bajo horizonte"}, {"Ocaso", ""}, {"ComAuroraCivil", ""}, {"FinCrepCivil", ""},
      {"HorasLuz", " 0: 0"}},
     QString("Obscuridad Absoluta."), {"ComAuroraCivil"}},
};
// clang-format on

TEST_F(CalcularTest, DiasTrabajadosEnPantalla) {
    for (const DiaEnPantalla& d : diasTrabajados) {
        SCOPED_TRACE(d.que);
        EscribeTodo({d.dia, d.mes, d.anio, d.latGrados, d.latMinutos, d.norte, d.lonGrados,
                     d.lonMinutos, false, d.zona, false});
        ASSERT_FALSE(Calcula());
        for (const auto& [nombre, texto] : d.textos) {
            EXPECT_EQ(Texto(nombre.c_str()), texto) << nombre;
        }
        EXPECT_EQ(Visible("TextInfo"), d.info.has_value());
        if (d.info) {
            EXPECT_EQ(Texto("TextInfo"), *d.info);
        }
        for (const char* aurora : {"ComAuroraCivil", "ComAurora", "ComAuroraAstro"}) {
            const bool marcada = std::find(d.marco.begin(), d.marco.end(), aurora) != d.marco.end();
            EXPECT_EQ(Fondo(aurora),
                      marcada ? Vespalba::ColorMarcoVentana() : Vespalba::ColorFondoVentana())
                << aurora;
        }
    }
}

// ------------------------------------------------------------------ checks

struct Rechazo {
    const char* control;
    const char* texto;
    const char* mensaje;
};

// clang-format off
const Rechazo rechazos[] = {
    {"FE1", "32", "Verifique Ingreso del Día, (entre 1 y 31."},
    {"FE2", "13", "Verifique Ingreso del Mes. (entre 1 y 12)"},
    {"FE3", "1979", "Verifique Ingreso del Año. (entre 1980 y 2040)"},
    {"L3", "75", "Verifique Ingreso el Grado de Latitud. (entre 0 y 75°)"},
    {"L4", "60", "Verifique Ingreso del minuto de Latitud. (entre 0 y 59'.99999)"},
    {"G3", "180", "Verifique Ingreso el Grado de Longitud. (entre 0 y 179°)"},
    {"G4", "60", "Verifique Ingreso del minuto de Longitud. (entre 0 y 59.9999')"},
    {"Z", "12,5", "Verifique Ingreso de la Zona Horaria. (entre 0 y 12 horas)"},
    {"FE1", "5abc", "Verifique Ingreso del Día, (entre 1 y 31."},
    {"L3", "nan", "Verifique Ingreso el Grado de Latitud. (entre 0 y 75°)"},
    {"Z", "", "Verifique Ingreso de la Zona Horaria. (entre 0 y 12 horas)"},
};
// clang-format on

TEST_F(CalcularTest, CadaRechazoConSuMensajeYFoco) {
    // A successful calculation first: a failed check after it leaves the
    // previous daylight and date, and empties the time boxes.
    EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
    ASSERT_FALSE(Calcula());
    for (const Rechazo& r : rechazos) {
        SCOPED_TRACE(std::string(r.control) + " = \"" + r.texto + "\"");
        EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
        Escribe(r.control, QString::fromUtf8(r.texto));
        Control<QLineEdit>("FE1")->setFocus();  // the focus elsewhere before the press
        const std::optional<MensajeVisto> m = Calcula();
        ASSERT_TRUE(m) << "a message box must open";
        EXPECT_EQ(m->titulo, "Vespalba");
        EXPECT_EQ(m->texto, QString::fromUtf8(r.mensaje));
        EXPECT_EQ(m->icono, QMessageBox::NoIcon);
        EXPECT_EQ(m->botones, QStringList{"Aceptar"});
        EXPECT_EQ(m->focoAlAbrir, r.control) << "focus moved before the box opens";
        EXPECT_EQ(m->focoAlCerrar, r.control);
        EXPECT_TRUE(Visible("Resultado"));
        EXPECT_FALSE(Visible("TextInfo"));
        for (const char* caja : cajasTiempo) {
            EXPECT_EQ(Texto(caja), "") << caja;
        }
        EXPECT_EQ(Texto("HorasLuz"), " 9: 59");
        EXPECT_EQ(Texto("TextAl"), "2 jul 2003");
        EXPECT_EQ(Texto(r.control), QString::fromUtf8(r.texto)) << "what was typed stays";
    }
}

// A fraction in a date box: the hours are those of the date the date box
// shows. "1,5" of July 2003 and "2003,4" show 2 July 2003, and give the
// worked example's hours; in English "1.5" gives what "2" gives.
TEST_F(CalcularTest, FechaFraccionariaCalculaElDiaMostrado) {
    for (const auto& [dia, anio] : {std::pair{"1,5", "2003"}, {"2", "2003,4"}, {"2,4", "2003,2"}}) {
        SCOPED_TRACE(std::string(dia) + " / 7 / " + anio);
        EscribeTodo({dia, "7", anio, "33", "16", false, "71", "36", false, "4", false});
        ASSERT_FALSE(Calcula()) << "no message";
        for (const auto& [nombre, texto] : resultadosEjemplo) {
            EXPECT_EQ(Texto(qPrintable(nombre)), texto) << nombre.toStdString();
        }
    }

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto resultados = [&](const char* dia) {
        EscribeTodo({dia, "7", "2003", "33", "16", false, "71", "36", false, "4", false});
        EXPECT_FALSE(Calcula()) << "no message for day " << dia;
        std::map<QString, QString> r;
        for (const auto& [nombre, texto] : resultadosEjemplo) {
            r[nombre] = Texto(qPrintable(nombre));
        }
        return r;
    };
    const auto entero = resultados("2");
    EXPECT_EQ(entero.at("Orto"), " 7: 50");
    EXPECT_EQ(resultados("1.5"), entero);
}

// A day or month that rounds to 0 in January 1980 would search 1979: the
// first such box is refused with its message, as any other bad input.
TEST_F(CalcularTest, FechaRedondeadaAntesDe1980) {
    EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
    ASSERT_FALSE(Calcula());
    const struct {
        const char *dia, *mes, *control, *mensaje;
    } casos[] = {
        {"0,4", "1", "FE1", "Verifique Ingreso del Día, (entre 1 y 31."},
        {"1", "0,4", "FE2", "Verifique Ingreso del Mes. (entre 1 y 12)"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.control);
        EscribeTodo({c.dia, c.mes, "1980", "33", "16", false, "71", "36", false, "4", false});
        const std::optional<MensajeVisto> m = Calcula();
        ASSERT_TRUE(m) << "a message box must open";
        EXPECT_EQ(m->texto, QString::fromUtf8(c.mensaje));
        EXPECT_EQ(m->focoAlCerrar, c.control);
        for (const char* caja : cajasTiempo) {
            EXPECT_EQ(Texto(caja), "") << caja;
        }
        EXPECT_EQ(Texto("HorasLuz"), " 9: 59");
        EXPECT_EQ(Texto("TextAl"), "2 jul 2003");
    }
}

TEST_F(CalcularTest, LimitesAceptados) {
    const struct {
        const char* control;
        const char* texto;
        // clang-format off
    } aceptados[] = {
        {"FE1", "31"},   {"FE2", "12"},      {"FE3", "1980"},    {"FE3", "2040"},
        {"L3", "74"},    {"L4", "59,99"},    {"G4", "59,9999"},  {"L4", "59.9999"},
        {"Z", "12"},     {"Z", "-12"},       {"G3", "179,5"},
    };
    // clang-format on
    for (const auto& a : aceptados) {
        SCOPED_TRACE(std::string(a.control) + " = \"" + a.texto + "\"");
        EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
        Escribe(a.control, QString::fromUtf8(a.texto));
        EXPECT_FALSE(Calcula()) << "no message";
        EXPECT_NE(Texto("Orto"), "");
    }
}

TEST_F(CalcularTest, AlAbrirCalcularPideElDia) {
    // The boxes start with a blank: the day is rejected first.
    const std::optional<MensajeVisto> m = Calcula();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->texto, "Verifique Ingreso del Día, (entre 1 y 31.");
    EXPECT_EQ(m->focoAlCerrar, "FE1");
    EXPECT_TRUE(Visible("Resultado"));
    EXPECT_EQ(Texto("HorasLuz"), "");
}

TEST_F(CalcularTest, UnDiaPolarNoDejaLasHorasDeLuzAnteriores) {
    EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
    ASSERT_FALSE(Calcula());
    ASSERT_EQ(Texto("HorasLuz"), " 9: 59");
    EscribeTodo({"21", "6", "2003", "70", "0", true, "0", "0", false, "0", false});
    ASSERT_FALSE(Calcula());
    EXPECT_EQ(Texto("HorasLuz"), " 24: 0");
    // And the frame colour of a dawn box goes at the next calculation.
    EscribeTodo({"21", "12", "2003", "74", "59", true, "0", "0", false, "0", false});
    ASSERT_FALSE(Calcula());
    EXPECT_EQ(Fondo("ComAuroraCivil"), Vespalba::ColorMarcoVentana());
    EXPECT_EQ(ColorPintado("ComAuroraCivil").rgb(), Vespalba::ColorMarcoVentana().rgb())
        << "the mark is drawn";
    EXPECT_EQ(ColorPintado("ComAurora").rgb(), Vespalba::ColorFondoVentana().rgb());
    EscribeTodo({"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false});
    ASSERT_FALSE(Calcula());
    EXPECT_EQ(Fondo("ComAuroraCivil"), Vespalba::ColorFondoVentana());
    EXPECT_EQ(Texto("Label1"), "Orto Luna");
}

}  // namespace

namespace {

// Every result the window writes fits its box or label: the boxes and the
// moon labels were measured for MS Sans Serif, and a substitute face must not
// cut "Bajo horizonte", a swapped "Ocaso Luna" or a date.
TEST_F(CalcularTest, NingunResultadoCortado) {
    // clang-format off
    const CalcularTest::Entradas casos[] = {
        {"2", "7", "2003", "33", "16", false, "71", "36", false, "4", false},   // captions swapped
        {"21", "12", "2003", "74", "59", true, "0", "0", false, "0", false},   // "Bajo horizonte"
        {"21", "6", "2003", "70", "0", true, "0", "0", false, "0", false},     // "No hay", "////"
        {"30", "9", "2040", "53", "10", false, "70", "55", false, "4", false}, // a long date
    };
    // clang-format on
    int revisados = 0;
    for (const auto& c : casos) {
        EscribeTodo(c);
        ASSERT_FALSE(Calcula());
        for (QLineEdit* caja : Control<QWidget>("Resultado")->findChildren<QLineEdit*>()) {
            if (caja->text().isEmpty()) continue;
            EXPECT_LE(QFontMetrics(caja->font()).horizontalAdvance(caja->text()),
                      Vespalba::AnchoUtil(*caja))
                << caja->objectName().toStdString() << " \"" << caja->text().toStdString() << "\"";
            ++revisados;
        }
        for (const char* nombre : {"Label1", "Label8"}) {
            QLabel* etiqueta = Control<QLabel>(nombre);
            EXPECT_LE(QFontMetrics(etiqueta->font()).horizontalAdvance(etiqueta->text()),
                      etiqueta->contentsRect().width())
                << nombre << " \"" << etiqueta->text().toStdString() << "\"";
        }
        QLineEdit* info = Control<QLineEdit>("TextInfo");
        if (info->isVisible()) {
            EXPECT_LE(QFontMetrics(info->font()).horizontalAdvance(info->text()),
                      Vespalba::AnchoUtil(*info));
        }
    }
    EXPECT_GT(revisados, 30);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The commands "Ejemplo", "Nuevo Cálculo", "Hoy" and "Salir" in the real
// window, each from its menu item or button, and what "Calcular" then
// shows. The example's results are the worked example's hours.
#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <string>

#include "calculo_fixture.h"
#include "resultados/colores.h"

namespace {

class OrdenesTest : public CalculoTest {
protected:
    void Menu(const char* nombre) {
        QAction* accion = Control<QAction>(nombre);
        ASSERT_NE(accion, nullptr);
        accion->trigger();
    }
    void Hoy() { QTest::mouseClick(Control<QPushButton>("Command4"), Qt::LeftButton); }
};

// ------------------------------------------------------------------ Ejemplo

TEST_F(OrdenesTest, EjemploLlenaLasEntradasSinCalcular) {
    // Other values everywhere first, the zone east among them.
    EscribeTodo({"9", "9", "2010", "50", "1", true, "5", "5", true, "7", true});
    Control<QComboBox>("ComLugar")->setEditText("Lima");
    Menu("Ej1");
    const std::map<QString, QString> esperado = {
        {"FE1", "2"}, {"FE2", "7"}, {"FE3", "2003"},
        {"Z", "4"},   {"L3", "33"}, {"L4", "16"},
        {"G3", "71"}, {"G4", "36"}, {"ComLugar", "Valparaíso        "},
    };
    for (const auto& [nombre, texto] : esperado) {
        const QString visto = nombre == "ComLugar" ? Control<QComboBox>("ComLugar")->currentText()
                                                   : Texto(qPrintable(nombre));
        EXPECT_EQ(visto, texto) << nombre.toStdString();
    }
    EXPECT_TRUE(Marcada("Lss"));
    EXPECT_TRUE(Marcada("Gww"));
    EXPECT_TRUE(Marcada("Option2")) << "the zone's direction is not the example's";
    EXPECT_FALSE(Visible("Resultado"));
    EXPECT_EQ(Texto("Orto"), "  ") << "nothing calculated";
    EXPECT_EQ(Control<QComboBox>("ComLugar")->count(), 40);
}

TEST_F(OrdenesTest, EjemploYCalcularMuestranElEjemplo) {
    Menu("Ej1");
    ASSERT_FALSE(Calcula()) << "the example passes every check";
    EXPECT_TRUE(Visible("Resultado"));
    EXPECT_FALSE(Visible("TextInfo"));
    for (const auto& [nombre, texto] : resultadosEjemplo) {
        EXPECT_EQ(Texto(qPrintable(nombre)), texto) << nombre.toStdString();
    }
    // 36 minutes, although the list entry the box names has 34.
    EXPECT_EQ(Texto("G4"), "36");
}

TEST_F(OrdenesTest, EjemploOcultaLosResultadosPeroNoElAviso) {
    // 21 June 2003 at 70 N: the Sun never sets, a sentence in TextInfo.
    EscribeTodo({"21", "6", "2003", "70", "0", true, "0", "0", false, "0", false});
    ASSERT_FALSE(Calcula());
    ASSERT_TRUE(Visible("Resultado"));
    ASSERT_TRUE(Visible("TextInfo"));
    const QString aviso = Texto("TextInfo");
    const QString orto = Texto("OcasoLuna");
    Menu("Ej1");
    EXPECT_FALSE(Visible("Resultado"));
    EXPECT_TRUE(Visible("TextInfo"));
    EXPECT_EQ(Texto("TextInfo"), aviso);
    EXPECT_EQ(aviso, "Siempre Brillante.");
    EXPECT_EQ(Texto("OcasoLuna"), orto) << "hidden, not emptied";
}

// ------------------------------------------------------------ Nuevo Cálculo

TEST_F(OrdenesTest, NuevoCalculoVaciaYLuegoCalcularPideElDia) {
    // 21 December 2003 at 74 59 N, 0 E, zone 0 east: civil dawn never
    // comes (its box takes the frame colour) and TextInfo shows a sentence.
    EscribeTodo({"21", "12", "2003", "74", "59", true, "0", "0", true, "0", true});
    ASSERT_FALSE(Calcula());
    ASSERT_EQ(Fondo("ComAuroraCivil"), Vespalba::ColorMarcoVentana());
    ASSERT_TRUE(Visible("TextInfo"));
    const std::map<QString, QString> antes = EstadoVentana();

    Menu("Nuevo");
    EXPECT_FALSE(Visible("Resultado"));
    for (const char* caja : {"FE1", "FE2", "FE3", "L3", "L4", "G3", "G4"}) {
        EXPECT_EQ(Texto(caja), "") << caja;
    }
    EXPECT_EQ(Texto("Z"), "4");
    EXPECT_TRUE(Marcada("Lss"));
    EXPECT_TRUE(Marcada("Gww"));
    EXPECT_TRUE(Marcada("Option2")) << "the zone's direction stays";
    EXPECT_EQ(Control<QComboBox>("ComLugar")->currentText(), "Selección Lugar");
    EXPECT_EQ(Control<QComboBox>("ComLugar")->count(), 40);
    for (const char* caja : cajasTiempo) {
        EXPECT_EQ(Texto(caja), "") << caja;
    }
    EXPECT_EQ(Texto("TextInfo"), "");
    EXPECT_FALSE(Visible("TextInfo"));
    for (const char* aurora : {"ComAuroraCivil", "ComAurora", "ComAuroraAstro"}) {
        EXPECT_EQ(Fondo(aurora), Vespalba::ColorFondoVentana()) << aurora;
    }
    for (const char* queda : {"HorasLuz", "TextAl", "Label1", "Label8"}) {
        EXPECT_EQ(Texto(queda), antes.at(queda)) << queda;
    }
    EXPECT_EQ(Texto("TextAl"), "21 dic 2003");

    const std::optional<MensajeVisto> m = Calcula();
    ASSERT_TRUE(m) << "the empty day is rejected";
    EXPECT_EQ(m->texto, "Verifique Ingreso del Día, (entre 1 y 31.");
    EXPECT_EQ(m->focoAlCerrar, "FE1");
    EXPECT_TRUE(Visible("Resultado"));
    for (const char* caja : cajasTiempo) {
        EXPECT_EQ(Texto(caja), "") << caja;
    }
    EXPECT_EQ(Texto("HorasLuz"), antes.at("HorasLuz"));
    EXPECT_EQ(Texto("TextAl"), "21 dic 2003");
}

TEST_F(OrdenesTest, NuevoCalculoAntesDeCalcular) {
    Menu("Nuevo");
    EXPECT_FALSE(Visible("Resultado"));
    EXPECT_FALSE(Visible("TextInfo"));
    EXPECT_EQ(Texto("FE1"), "");
    EXPECT_EQ(Texto("Orto"), "") << "emptied even before any calculation";
    EXPECT_EQ(Texto("Z"), "4");
}

// --------------------------------------------------------------------- Hoy

struct Dia {
    QDate fecha;
    const char *dia, *mes, *anio;
};

const Dia dias[] = {
    {QDate(2026, 3, 5), "5", "3", "2026"},
    {QDate(2026, 12, 8), "8", "12", "2026"},
    {QDate(1999, 10, 31), "31", "10", "1999"},
    {QDate(2041, 1, 1), "1", "1", "2041"},
};

TEST_F(OrdenesTest, HoyEscribeLaFechaSinCerosYNadaMas) {
    EscribeTodo({"20", "11", "2011", "12", "34", true, "56", "7", true, "8", true});
    for (const Dia& d : dias) {
        SCOPED_TRACE(d.fecha.toString(Qt::ISODate).toStdString());
        Ventana().FijaReloj([&d] { return d.fecha; });
        std::map<QString, QString> antes = EstadoVentana();
        Hoy();
        std::map<QString, QString> despues = EstadoVentana();
        EXPECT_EQ(Texto("FE1"), d.dia);
        EXPECT_EQ(Texto("FE2"), d.mes);
        EXPECT_EQ(Texto("FE3"), d.anio);
        for (const char* fecha : {"FE1", "FE2", "FE3"}) {
            antes.erase(fecha);
            despues.erase(fecha);
        }
        EXPECT_EQ(despues, antes);
    }
}

TEST_F(OrdenesTest, HoySinRelojFijadoEsLaFechaLocal) {
    const QDate antes = QDate::currentDate();
    Hoy();
    const QDate despues = QDate::currentDate();
    const QDate escrita(Texto("FE3").toInt(), Texto("FE2").toInt(), Texto("FE1").toInt());
    EXPECT_TRUE(escrita == antes || escrita == despues) << escrita.toString().toStdString();
}

// ------------------------------------------------------------------- Salir

TEST_F(OrdenesTest, SalirCierraTrasCualquierEstado) {
    Menu("Ej1");
    ASSERT_FALSE(Calcula());
    Menu("Salir");
    EXPECT_FALSE(Ventana().isVisible());
}

}  // namespace

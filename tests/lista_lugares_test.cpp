// SPDX-License-Identifier: GPL-3.0-or-later
// The place list in the real window: its forty entries, what a pick copies,
// and which gestures are picks. A choice from the list by mouse or keyboard
// runs the pick; typed text, text set by code and leaving the box do not.
// Expected coordinates are those of the place table for the named places.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWheelEvent>

#include <functional>
#include <string>

#include "calculadora/eleccion_lista.h"
#include "calculo_fixture.h"
#include "lugares/lugares.h"

namespace {

QString Nombre(int indice) {
    const std::string_view n = Vespalba::Lugares[indice].Nombre;
    return QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
}

class ListaLugaresTest : public CalculoTest {
public:
    using VentanaTest::Control;
    using VentanaTest::NombreConFoco;

    // The menu item "Ejemplo".
    void Ejemplo() { Control<QAction>("Ej1")->trigger(); }

    QComboBox* Lista() { return Control<QComboBox>("ComLugar"); }

    // Index in the list of the entry of exactly that name.
    int Fila(const QString& nombre) {
        const int fila = Lista()->findText(nombre, Qt::MatchExactly | Qt::MatchCaseSensitive);
        EXPECT_GE(fila, 0) << nombre.toStdString();
        return fila;
    }

    // Opens the list with a click on the box's arrow, moves the mouse onto
    // the row of `nombre` and clicks it, as the user does.
    void EligeConRaton(const QString& nombre) {
        QComboBox* lista = Lista();
        QTest::mouseClick(lista, Qt::LeftButton, {},
                          QPoint(lista->width() - 4, lista->height() / 2));
        QAbstractItemView* vista = lista->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(vista->window())) << "the list opens";
        const QModelIndex indice = vista->model()->index(Fila(nombre), 0);
        vista->scrollTo(indice);
        // Press on the row, a move with the button down (the list ignores a
        // release that follows its opening click too closely unless the
        // mouse has moved), release on the row.
        const QPoint centro = vista->visualRect(indice).center();
        QTest::mousePress(vista->viewport(), Qt::LeftButton, {}, centro);
        QTest::mouseMove(vista->viewport(), centro);
        QTest::mouseRelease(vista->viewport(), Qt::LeftButton, {}, centro);
        EXPECT_FALSE(vista->isVisible()) << "the list closes";
    }

    // Keys on the box, which has the keyboard focus.
    void Teclas(std::initializer_list<Qt::Key> teclas, Qt::KeyboardModifiers mod = {}) {
        Lista()->setFocus();
        for (Qt::Key t : teclas) {
            QTest::keyClick(Lista(), t, mod);
        }
    }

    // Opens the list from the keyboard (Alt+Down), then keys inside it.
    void TeclasEnLaListaAbierta(std::initializer_list<Qt::Key> teclas) {
        Teclas({Qt::Key_Down}, Qt::AltModifier);
        QAbstractItemView* vista = Lista()->view();
        ASSERT_TRUE(vista->isVisible()) << "Alt+Down opens the list";
        for (Qt::Key t : teclas) {
            QTest::keyClick(vista, t);
        }
    }

    // The mouse wheel turned one notch toward the user over the closed box.
    void RuedaAbajo() {
        QComboBox* lista = Lista();
        const QPointF dentro(lista->width() / 2.0, lista->height() / 2.0);
        QWheelEvent rueda(dentro, lista->mapToGlobal(dentro), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(lista, &rueda);
    }

    // Types into the place box (its text selected first, so replaced).
    void EscribeEnLista(const QString& texto) {
        Lista()->setFocus();
        Lista()->lineEdit()->selectAll();
        QTest::keyClicks(Lista(), texto);
        ASSERT_EQ(Lista()->currentText(), texto);
    }

    // The coordinate boxes and hemisphere buttons, in one line.
    QString Coordenadas() {
        return Texto("L3") + "|" + Texto("L4") + "|" + (Marcada("Lss") ? "S" : "") +
               (Marcada("Lnn") ? "N" : "") + "|" + Texto("G3") + "|" + Texto("G4") + "|" +
               (Marcada("Gww") ? "W" : "") + (Marcada("Gee") ? "E" : "");
    }

    // The same line for a row of the place table.
    static QString CoordenadasDe(int indice) {
        const Vespalba::Lugar& l = Vespalba::Lugares[indice];
        return QString::number(l.LatGrados) + "|" + QString::number(l.LatMinutos) + "|" +
               (l.LatHemisferio == "S" ? "S" : "N") + "|" + QString::number(l.LonGrados) + "|" +
               QString::number(l.LonMinutos) + "|" + (l.LonHemisferio == "W" ? "W" : "E");
    }

    // Counts the picks the window runs from here on.
    std::unique_ptr<QSignalSpy> CuentaElecciones() {
        auto* eleccion = Lista()->findChild<Vespalba::EleccionLista*>();
        EXPECT_NE(eleccion, nullptr);
        return std::make_unique<QSignalSpy>(eleccion, &Vespalba::EleccionLista::Elegido);
    }
};

TEST_F(ListaLugaresTest, CuarentaEntradasEnElOrdenDeLaTabla) {
    QComboBox* lista = Lista();
    ASSERT_NE(lista, nullptr);
    ASSERT_EQ(lista->count(), 40);
    for (int i = 1; i <= Vespalba::NumLugares; ++i) {
        EXPECT_EQ(lista->itemText(i - 1), Nombre(i)) << "entry " << i;
    }
    EXPECT_EQ(lista->itemText(0), "Arica");
    EXPECT_EQ(lista->itemText(39), "San Francisco     ");
    EXPECT_EQ(lista->currentText(), "Selección Lugar");
    EXPECT_EQ(lista->currentIndex(), -1) << "no entry chosen at start";
    EXPECT_EQ(lista->insertPolicy(), QComboBox::NoInsert);
    EXPECT_EQ(Coordenadas(), " | |S| | |W") << "loading fills no box";
}

TEST_F(ListaLugaresTest, LoEscritoNoAgregaEntradas) {
    for (const char* texto : {"Lima", "Tokio             ", "tokio             ", "Toki"}) {
        SCOPED_TRACE(texto);
        EscribeEnLista(texto);
        QTest::keyClick(Lista(), Qt::Key_Return);
        EXPECT_EQ(Lista()->count(), 40);
        EXPECT_EQ(Lista()->currentText(), texto) << "the typed text stays as typed";
    }
}

// ------------------------------------------------ which gestures are picks

struct Gesto {
    const char* que;
    std::function<void(ListaLugaresTest&)> hace;
    int picks;                // pick runs expected
    const char* coordenadas;  // the boxes and buttons afterwards
    const char* textoLista;   // the place box's text afterwards
};

void PrintTo(const Gesto& g, std::ostream* os) { *os << g.que; }

class GestoTest : public ListaLugaresTest, public testing::WithParamInterface<Gesto> {};

TEST_P(GestoTest, EligeSoloDesdeLaLista) {
    const Gesto& g = GetParam();
    const auto elecciones = CuentaElecciones();
    g.hace(*this);
    EXPECT_EQ(elecciones->count(), g.picks);
    EXPECT_EQ(Coordenadas(), QString::fromUtf8(g.coordenadas));
    EXPECT_EQ(Lista()->currentText(), QString::fromUtf8(g.textoLista));
    EXPECT_EQ(Lista()->count(), 40);
}

// clang-format off
const Gesto gestos[] = {
    // Picks.
    {"mouse on a row of the open list",
     [](ListaLugaresTest& t) { t.EligeConRaton("Manila            "); }, 1,
     "15|0|N|121|0|E", "Manila            "},
    {"Down on the closed box, from no entry",
     [](ListaLugaresTest& t) { t.Teclas({Qt::Key_Down}); }, 1, "18|29|S|70|19|W", "Arica"},
    {"Down, Down, Up on the closed box",
     [](ListaLugaresTest& t) { t.Teclas({Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}); }, 3,
     "18|29|S|70|19|W", "Arica"},
    {"PageDown on the closed box", [](ListaLugaresTest& t) { t.Teclas({Qt::Key_PageDown}); }, 1,
     "18|29|S|70|19|W", "Arica"},
    {"wheel over the closed box", [](ListaLugaresTest& t) { t.RuedaAbajo(); }, 1,
     "18|29|S|70|19|W", "Arica"},
    {"Alt+Down, Down, Return in the open list",
     [](ListaLugaresTest& t) { t.TeclasEnLaListaAbierta({Qt::Key_Down, Qt::Key_Return}); }, 1,
     "18|45|S|70|21|W", "Vitor"},
    {"Alt+Down, Down, Enter in the open list",
     [](ListaLugaresTest& t) { t.TeclasEnLaListaAbierta({Qt::Key_Down, Qt::Key_Enter}); }, 1,
     "18|45|S|70|21|W", "Vitor"},
    {"Down after Ejemplo: the entry after the example's place",
     [](ListaLugaresTest& t) {
         t.Ejemplo();
         t.Teclas({Qt::Key_Down});
     },
     1, "33|35|S|71|37|W", "San Antonio       "},
    // Not picks.
    {"Up at the first entry moves nothing",
     [](ListaLugaresTest& t) {
         t.Teclas({Qt::Key_Down});
         t.Teclas({Qt::Key_Up});
     },
     1, "18|29|S|70|19|W", "Arica"},
    {"Down, Escape in the open list",
     [](ListaLugaresTest& t) { t.TeclasEnLaListaAbierta({Qt::Key_Down, Qt::Key_Escape}); }, 0,
     " | |S| | |W", "Selección Lugar"},
    {"Down, F4 in the open list closes it",
     [](ListaLugaresTest& t) { t.TeclasEnLaListaAbierta({Qt::Key_Down, Qt::Key_F4}); }, 0,
     " | |S| | |W", "Selección Lugar"},
    {"typed exact name, Return",
     [](ListaLugaresTest& t) {
         t.EscribeEnLista("Manila            ");
         QTest::keyClick(t.Lista(), Qt::Key_Return);
     },
     0, " | |S| | |W", "Manila            "},
    {"typed exact name, Tab out of the box",
     [](ListaLugaresTest& t) {
         t.EscribeEnLista("Tokio             ");
         QTest::keyClick(t.Lista(), Qt::Key_Tab);
         EXPECT_NE(t.NombreConFoco(), "ComLugar");
     },
     0, " | |S| | |W", "Tokio             "},
    {"typed exact name, click in another box",
     [](ListaLugaresTest& t) {
         t.EscribeEnLista("Arica");
         QTest::mouseClick(t.Control<QLineEdit>("FE1"), Qt::LeftButton);
         EXPECT_EQ(t.NombreConFoco(), "FE1");
     },
     0, " | |S| | |W", "Arica"},
    {"typed name without its blanks, Return",
     [](ListaLugaresTest& t) {
         t.EscribeEnLista("Manila");
         QTest::keyClick(t.Lista(), Qt::Key_Return);
     },
     0, " | |S| | |W", "Manila"},
    {"text set by code",
     [](ListaLugaresTest& t) { t.Lista()->setEditText("Honolulo          "); }, 0, " | |S| | |W",
     "Honolulo          "},
    {"Ejemplo, then the focus into the box and out again",
     [](ListaLugaresTest& t) {
         t.Ejemplo();
         t.Lista()->setFocus();
         QTest::keyClick(t.Lista(), Qt::Key_Tab);
         EXPECT_NE(t.NombreConFoco(), "ComLugar");
     },
     0, "33|16|S|71|36|W", "Valparaíso        "},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Gestos, GestoTest, testing::ValuesIn(gestos));

// ----------------------------------------------------------- what a pick copies

struct Eleccion {
    const char* nombre;
    const char* coordenadas;  // L3|L4|lat button|G3|G4|lon button
};

// The places named, with the coordinates the place table gives them.
// clang-format off
const Eleccion elecciones[] = {
    {"Valparaíso        ", "33|16|S|71|34|W"},
    {"Manila            ", "15|0|N|121|0|E"},
    {"Honolulo          ", "21|18|N|157|52|W"},
    {"Capetown          ", "33|56|S|18|29|E"},
    {"Tokio             ", "34|50|N|139|53|E"},
    {"Arica", "18|29|S|70|19|W"},
    {"San Francisco     ", "37|48|N|122|24|W"},
};
// clang-format on

TEST_F(ListaLugaresTest, UnaEleccionCopiaLasCoordenadasYNoLaZona) {
    for (const Eleccion& e : elecciones) {
        SCOPED_TRACE(e.nombre);
        // A zone of 9 hours east and the opposite hemispheres beforehand.
        Escribe("Z", "9");
        QTest::mouseClick(Control<QRadioButton>("Option2"), Qt::LeftButton);
        QTest::mouseClick(Control<QRadioButton>("Lnn"), Qt::LeftButton);
        QTest::mouseClick(Control<QRadioButton>("Gee"), Qt::LeftButton);
        if (QString(e.coordenadas).contains("N")) {
            QTest::mouseClick(Control<QRadioButton>("Lss"), Qt::LeftButton);
        }
        if (QString(e.coordenadas).contains("W")) {
            QTest::mouseClick(Control<QRadioButton>("Gww"), Qt::LeftButton);
        }
        EligeConRaton(QString::fromUtf8(e.nombre));
        EXPECT_EQ(Coordenadas(), QString::fromUtf8(e.coordenadas));
        EXPECT_EQ(Texto("Z"), "9");
        EXPECT_TRUE(Marcada("Option2"));
        EXPECT_FALSE(Marcada("Option1"));
    }
}

TEST_F(ListaLugaresTest, CadaEntradaConElTecladoCopiaSuFila) {
    for (int i = 1; i <= Vespalba::NumLugares; ++i) {
        Teclas({Qt::Key_Down});
        EXPECT_EQ(Lista()->currentText(), Nombre(i));
        EXPECT_EQ(Coordenadas(), CoordenadasDe(i)) << Nombre(i).toStdString();
    }
}

TEST_F(ListaLugaresTest, UnaEleccionDejaLosResultados) {
    Ejemplo();
    ASSERT_FALSE(Calcula());
    ASSERT_TRUE(Visible("Resultado"));
    auto antes = EstadoVentana();
    EligeConRaton("Tokio             ");
    auto despues = EstadoVentana();
    EXPECT_EQ(Coordenadas(), "34|50|N|139|53|E");
    for (const char* cambia : {"L3", "L4", "G3", "G4", "Lss", "Lnn", "Gww", "Gee", "ComLugar"}) {
        antes.erase(cambia);
        despues.erase(cambia);
    }
    EXPECT_EQ(despues, antes) << "results, dates and zone as they were";
    EXPECT_EQ(Texto("Orto"), resultadosEjemplo.at("Orto"));
}

// A pick while the box's text names no place (exactly, case and trailing
// blanks included): no box changes, north and east are selected.
TEST_F(ListaLugaresTest, ElegirUnTextoQueNoNombraLugar) {
    for (const char* texto : {"Lima", "Manila", "arica", "Arica ", "Selección Lugar", ""}) {
        SCOPED_TRACE(std::string("\"") + texto + "\"");
        EscribeTodo({"1", "2", "2003", "10", "20", false, "30", "40", false, "4", false});
        Lista()->setEditText(QString::fromUtf8(texto));
        Ventana().ComLugar_Click();
        EXPECT_EQ(Coordenadas(), "10|20|N|30|40|E");
    }
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a screen too small for it (run on a 640 x 480 screen, and on
// a 1280 x 1024 one at twice the scale): placed with its frame inside the
// available area, in the available size, its client area scrolling in both
// directions with every control where the design puts it and reachable.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "ventana_fixture.h"

namespace {

// The client area's designed size, 11835 x 7995 twips.
constexpr QSize kAreaCliente(789, 533);

class PantallaPequenaTest : public VentanaTest {
protected:
    void SetUp() override {
        VentanaTest::SetUp();
        const QSize zona = Ventana().screen()->availableGeometry().size();
        ASSERT_TRUE(zona.width() < kAreaCliente.width() || zona.height() < kAreaCliente.height())
            << "this test wants a screen smaller than the window";
    }

    QScrollArea* Desplazamiento() {
        auto* d = qobject_cast<QScrollArea*>(Ventana().centralWidget());
        EXPECT_NE(d, nullptr) << "the client area scrolls";
        return d;
    }

    // "Ejemplo" and "Calcular": every control of the window on view.
    void CalculaElEjemplo() {
        Control<QAction>("Ej1")->trigger();
        Control<QPushButton>("Command1")->click();
        ASSERT_TRUE(Control<QWidget>("Resultado")->isVisible());
    }
};

TEST_F(PantallaPequenaTest, MarcoDentroDelAreaDisponible) {
    auto& v = Ventana();
    const QRect zona = v.screen()->availableGeometry();
    EXPECT_TRUE(zona.contains(v.frameGeometry()))
        << "frame " << v.frameGeometry().x() << "," << v.frameGeometry().y() << " "
        << v.frameGeometry().width() << "x" << v.frameGeometry().height() << " in " << zona.width()
        << "x" << zona.height();
    EXPECT_TRUE(zona.contains(v.geometry().topLeft()));
    // The menu bar on top, whole and above the scrolled contents.
    EXPECT_EQ(v.menuBar()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(v.menuBar()->width(), v.width());
    EXPECT_EQ(v.centralWidget()->y(), v.menuBar()->height());
    // In the available size, in both directions as far as it lacks room.
    const QSize marco = v.frameGeometry().size() - v.size();
    const QSize diseno(kAreaCliente.width(), kAreaCliente.height() + v.menuBar()->height());
    EXPECT_EQ(v.size(), diseno.boundedTo(zona.size() - marco));
    // The user can make it smaller, never larger than designed.
    EXPECT_LT(v.minimumSize().width(), v.width());
    EXPECT_LT(v.minimumSize().height(), v.height());
    EXPECT_EQ(v.maximumSize(), diseno);
}

// The client area is the designed one, moved as it scrolls: at either end of
// both scroll bars the window shows its pixels.
TEST_F(PantallaPequenaTest, AreaDelDisenoQueSeDesplaza) {
    CalculaElEjemplo();
    QScrollArea* d = Desplazamiento();
    ASSERT_NE(d, nullptr);
    QWidget* area = d->widget();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->objectName(), QStringLiteral("areaCliente"));
    EXPECT_EQ(area->size(), kAreaCliente);
    EXPECT_EQ(d->frameShape(), QFrame::NoFrame);
    QWidget* vista = d->viewport();
    EXPECT_LT(vista->width(), kAreaCliente.width());
    EXPECT_LT(vista->height(), kAreaCliente.height());
    EXPECT_EQ(d->horizontalScrollBar()->maximum(), kAreaCliente.width() - vista->width());
    EXPECT_EQ(d->verticalScrollBar()->maximum(), kAreaCliente.height() - vista->height());

    const QImage diseno = area->grab().toImage();
    const qreal escala = diseno.devicePixelRatio();
    for (const bool alFinal : {false, true}) {
        SCOPED_TRACE(alFinal ? "al final" : "al principio");
        QScrollBar* h = d->horizontalScrollBar();
        QScrollBar* vv = d->verticalScrollBar();
        h->setValue(alFinal ? h->maximum() : 0);
        vv->setValue(alFinal ? vv->maximum() : 0);
        const QRect visto(vista->mapTo(&Ventana(), QPoint(0, 0)), vista->size());
        const QImage ventana = Ventana().grab().toImage();
        const auto fisico = [&](const QRect& r) {
            return QRect((r.topLeft() * escala), r.size() * escala);
        };
        const QImage mostrado = ventana.copy(fisico(visto));
        const QImage esperado =
            diseno.copy(fisico(QRect(QPoint(h->value(), vv->value()), vista->size())));
        ASSERT_EQ(mostrado.size(), esperado.size());
        // Qt's line drawing may give the corner pixel of a frame cut by the
        // edge of the view the other of its two colours; a control moved,
        // a margin or a frame added would differ in thousands of pixels.
        int distintos = 0;
        for (int y = 0; y < mostrado.height(); ++y) {
            for (int x = 0; x < mostrado.width(); ++x) {
                distintos += mostrado.pixel(x, y) != esperado.pixel(x, y);
            }
        }
        EXPECT_LE(distintos, 4);
    }
}

// Every stop of the Tab key brings its whole control into view.
TEST_F(PantallaPequenaTest, CadaControlAlAlcance) {
    CalculaElEjemplo();
    QScrollArea* d = Desplazamiento();
    ASSERT_NE(d, nullptr);
    QWidget* vista = d->viewport();
    Control<QLineEdit>("FE1")->setFocus();
    QStringList visitados;
    for (int i = 0; i < 30; ++i) {
        QWidget* foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr);
        QTest::keyClick(foco, Qt::Key_Tab);
        foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr) << "after " << visitados.join(' ').toStdString();
        ASSERT_TRUE(d->widget()->isAncestorOf(foco))
            << foco->metaObject()->className() << " after " << visitados.join(' ').toStdString();
        const QRect donde(foco->mapTo(vista, QPoint(0, 0)), foco->size());
        EXPECT_TRUE(vista->rect().contains(donde)) << NombreConFoco().toStdString();
        visitados << NombreConFoco();
    }
    // The design's keyboard order (TextInfo hidden), the scroll area no
    // stop of its own.
    const QStringList orden = {"FE2",
                               "FE3",
                               "L3",
                               "L4",
                               "G3",
                               "G4",
                               "Z",
                               "ComAurora",
                               "Orto",
                               "Command4",
                               "Lss",
                               "Gww",
                               "ComLugar",
                               "Command1",
                               "ComAuroraCivil",
                               "ComAuroraAstro",
                               "Option1",
                               "OrtoLuna",
                               "OcasoLuna",
                               "TextAl",
                               "FinCrepAstro",
                               "FinCrepCivil",
                               "Ocaso",
                               "FinCrep",
                               "HorasLuz",
                               "FE1"};
    EXPECT_EQ(visitados.mid(0, orden.size()).join(' '), orden.join(' '));
}

}  // namespace

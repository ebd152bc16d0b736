// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's year: the chart widget's pixels at chosen hours and
// days against the bands the day's search gives (the worked example's
// winter, a polar year, a clock-change year), and choosing a day by
// pointing, clicking and the arrows, at the first and last day and across a
// clock change; the chosen day follows in the day and month views.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "almanaque/anio.h"
#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"
#include "almanaque_comun.h"
#include "dibujo/grafico.h"

namespace {

using namespace Vespalba::Almanaque;
using Vespalba::Dibujo::Banda;
using Vespalba::Dibujo::ColorBanda;

// 2026-12-11 23:30 UT, 20:30 at Valparaíso.
constexpr qint64 Ahora = 1797031800;

class AnioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        PruebasAlmanaque::GuardaValparaiso(dir_.filePath("a.conf"), dir_.filePath("c.conf"));
        ventana_ = PruebasAlmanaque::AbreAlmanaque(dir_.filePath("a.conf"), dir_.filePath("c.conf"),
                                                   [] { return Ahora; });
        ASSERT_NE(ventana_, nullptr);
        ventana_->resize(1200, 800);
        // Ctrl+3: the year's tab.
        QTest::keyClick(ventana_.get(), Qt::Key_3, Qt::ControlModifier);
        grafico_ = ventana_->findChild<GraficoAnio*>(QStringLiteral("graficoAnio"));
        ASSERT_NE(grafico_, nullptr);
        ASSERT_TRUE(grafico_->isVisible());
    }
    void Lugar(double lat, double lon, const char* zona) {
        Sitio s;
        s.latitud = lat;
        s.longitud = lon;
        s.zona = QString::fromLatin1(zona);
        ventana_->EligeSitio(s);
    }
    // The colour at a wall-clock hour in the middle of a day's column.
    QColor Color(const QImage& imagen, QDate fecha, double hora) {
        const auto [izquierda, derecha] = grafico_->Columna(fecha);
        EXPECT_LT(izquierda, derecha) << fecha.toString(Qt::ISODate).toStdString();
        return imagen.pixelColor(int((izquierda + derecha) / 2.0), int(grafico_->Y(hora)));
    }
    QPoint Centro(QDate fecha, double hora = 12.0) {
        const auto [izquierda, derecha] = grafico_->Columna(fecha);
        return QPoint(int((izquierda + derecha) / 2.0), int(grafico_->Y(hora)));
    }

    QTemporaryDir dir_;
    std::unique_ptr<VentanaAlmanaque> ventana_;
    GraficoAnio* grafico_ = nullptr;
};

// The worked example's place and zone in 2003: on 2003-07-10 (a column
// away from the chosen day) night at 3:18, dawn's twilights before the
// sunrise near 7:50, day after noon, night again at 22:18. (Off the whole
// hours, where the grid's lines lie over the bands.)
TEST_F(AnioTest, BandasDelEjemploResuelto) {
    Lugar(-33.2667, -71.6, "");
    EleccionZona cuatro;
    cuatro.tipo = EleccionZona::Tipo::Fija;
    cuatro.horas = -4.0;
    ventana_->EligeZona(cuatro);
    ventana_->EligeFecha(QDate(2003, 7, 2));
    const QImage imagen = grafico_->grab().toImage();
    const QDate dia(2003, 7, 10);
    EXPECT_EQ(Color(imagen, dia, 3.3), ColorBanda(Banda::Noche));
    EXPECT_EQ(Color(imagen, dia, 7.1), ColorBanda(Banda::Nautico));
    EXPECT_EQ(Color(imagen, dia, 7.6), ColorBanda(Banda::Civil));
    EXPECT_EQ(Color(imagen, dia, 12.3), ColorBanda(Banda::Dia));
    EXPECT_EQ(Color(imagen, dia, 22.3), ColorBanda(Banda::Noche));
}

// 70 N in Norway's time: midnight sun at the June solstice, no day at the
// December one (noon in civil twilight).
TEST_F(AnioTest, AnioPolar) {
    Lugar(70.0, 20.0, "Europe/Oslo");
    ventana_->EligeFecha(QDate(2026, 3, 1));
    const QImage imagen = grafico_->grab().toImage();
    EXPECT_EQ(Color(imagen, QDate(2026, 6, 21), 1.3), ColorBanda(Banda::Dia));
    EXPECT_EQ(Color(imagen, QDate(2026, 6, 21), 13.3), ColorBanda(Banda::Dia));
    EXPECT_EQ(Color(imagen, QDate(2026, 12, 21), 12.3), ColorBanda(Banda::Civil));
    EXPECT_EQ(Color(imagen, QDate(2026, 12, 21), 0.3), ColorBanda(Banda::Noche));
}

// Santiago's 2026: pointing gives the day under the pointer, the first and
// the last; a click on the day of the change chooses it in the day and
// month views; the arrows move a day and a week.
TEST_F(AnioTest, ElegirDiasConElPunteroYLasFlechas) {
    Lugar(-33.45, -70.67, "America/Santiago");
    ventana_->EligeFecha(QDate(2026, 2, 10));
    for (const QDate f : {QDate(2026, 1, 1), QDate(2026, 4, 4), QDate(2026, 4, 5),
                          QDate(2026, 9, 6), QDate(2026, 12, 31)}) {
        EXPECT_EQ(grafico_->DiaEn(Centro(f)), f) << f.toString(Qt::ISODate).toStdString();
    }
    EXPECT_FALSE(grafico_->DiaEn(QPointF(1, 1)));  // the title, outside the bands
    const QString texto = grafico_->TextoDelDia(QDate(2026, 4, 5));
    EXPECT_TRUE(texto.startsWith(QStringLiteral("domingo 5 de abril de 2026")))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("Orto: "))) << texto.toStdString();

    QTest::mouseClick(grafico_, Qt::LeftButton, {}, Centro(QDate(2026, 4, 5)));
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 4, 5));
    auto* tabla = ventana_->findChild<QTableView*>(QStringLiteral("tablaMes"));
    ASSERT_NE(tabla, nullptr);
    EXPECT_EQ(tabla->currentIndex().row(), 4);
    EXPECT_TRUE(grafico_->hasFocus());
    QTest::keyClick(grafico_, Qt::Key_Right);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 4, 6));
    QTest::keyClick(grafico_, Qt::Key_Down);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 4, 13));
    QTest::keyClick(grafico_, Qt::Key_Up);
    QTest::keyClick(grafico_, Qt::Key_Left);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 4, 5));
    EXPECT_EQ(grafico_->accessibleDescription(), grafico_->TextoDelDia(QDate(2026, 4, 5)));
    // The last day: Right stays in the year shown.
    QTest::mouseClick(grafico_, Qt::LeftButton, {}, Centro(QDate(2026, 12, 31)));
    QTest::keyClick(grafico_, Qt::Key_Right);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 12, 31));
    QTest::mouseClick(grafico_, Qt::LeftButton, {}, Centro(QDate(2026, 1, 1)));
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 1, 1));
    // Another year redraws: its first day is there.
    ventana_->EligeFecha(QDate(2027, 3, 3));
    EXPECT_EQ(grafico_->DiaEn(Centro(QDate(2027, 1, 1))), QDate(2027, 1, 1));
}

}  // namespace

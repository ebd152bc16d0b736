// SPDX-License-Identifier: GPL-3.0-or-later
// The application as the program prepares it: name, Spanish standard
// buttons, icon, letter face and the system colours.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

#include "calculadora/aplicacion.h"
#include "resultados/colores.h"
#include "ventana_fixture.h"

namespace {

TEST(Aplicacion, NombreVespalba) {
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Vespalba"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Vespalba"));
}

// Qt's own Spanish translation is loaded whatever the user's locale, so a
// message box's single button reads "Aceptar".
TEST(Aplicacion, BotonAceptarEnCastellano) {
    QMessageBox caja(QMessageBox::NoIcon, QStringLiteral("Vespalba"), QStringLiteral("Mensaje"),
                     QMessageBox::Ok);
    QAbstractButton* ok = caja.button(QMessageBox::Ok);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text().remove('&'), QStringLiteral("Aceptar"));
}

TEST(Aplicacion, IconoDeSolYLuna) {
    const QIcon icono = QApplication::windowIcon();
    ASSERT_FALSE(icono.isNull());
    EXPECT_FALSE(icono.availableSizes().isEmpty());
}

// The window asks for "MS Sans Serif", 8.25 points; where that face is
// missing, an installed substitute takes its place, narrowed to fit.
TEST(Aplicacion, LetraPedidaYSustituta) {
    const QFont letra = Vespalba::LetraVentana();
    EXPECT_EQ(letra.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(letra.pointSizeF(), 8.25);
    EXPECT_EQ(QApplication::font().family(), QStringLiteral("MS Sans Serif"));
    const QString usada = QFontInfo(letra).family();
    EXPECT_TRUE(QFontDatabase::hasFamily(usada)) << usada.toStdString();
    if (!QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) {
        EXPECT_EQ(
            QFont::substitute(QStringLiteral("MS Sans Serif")).compare(usada, Qt::CaseInsensitive),
            0);
        EXPECT_LT(letra.stretch(), 100) << "la sustituta va estrechada";
    }
}

// A dawn box marked with the window-frame colour must stand out from a
// normal one: the two colours are far apart in lightness.
TEST(Aplicacion, ColoresDelSistema) {
    EXPECT_EQ(Vespalba::ColorFondoVentana(), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(Vespalba::ColorBordeActivo(), QApplication::palette().color(QPalette::Button));
    EXPECT_GE(std::abs(Vespalba::ColorFondoVentana().lightness() -
                       Vespalba::ColorMarcoVentana().lightness()),
              128)
        << Vespalba::ColorFondoVentana().name().toStdString() << " frente a "
        << Vespalba::ColorMarcoVentana().name().toStdString();
    EXPECT_EQ(Vespalba::ColorMarcoVentana().alpha(), 255);
}

}  // namespace

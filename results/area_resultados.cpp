// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/area_resultados.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include <string_view>

#include "results/resultados.h"
#include "window/colores.h"

namespace Vespalba {
namespace {

QString Texto(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

template <class T>
T& Control(QWidget& ventana, std::string_view nombre) {
    T* c = ventana.findChild<T*>(Texto(nombre));
    Q_ASSERT_X(c != nullptr, "Control", "the window has no control of that name");
    return *c;
}

QLineEdit& CajaTexto(QWidget& ventana, std::string_view nombre) {
    return Control<QLineEdit>(ventana, nombre);
}

void ColorDeFondo(QLineEdit& caja, const QColor& color) {
    QPalette p = caja.palette();
    p.setColor(QPalette::Base, color);
    caja.setPalette(p);
}

constexpr std::string_view cajasAurora[] = {"ComAuroraCivil", "ComAurora", "ComAuroraAstro"};

}  // namespace

QString TextoFechaMedia(std::chrono::year_month_day fecha, const QLocale& locale) {
    const QDate d(static_cast<int>(fecha.year()), static_cast<int>(unsigned{fecha.month()}),
                  static_cast<int>(unsigned{fecha.day()}));
    return locale.toString(d, QStringLiteral("d MMM yyyy"));
}

void ColorNormalCajasAurora(QWidget& ventana) {
    for (std::string_view nombre : cajasAurora) {
        ColorDeFondo(CajaTexto(ventana, nombre), ColorFondoVentana());
    }
}

void LimpiaResultados(QWidget& ventana) {
    Control<QWidget>(ventana, "Resultado").setVisible(true);
    VaciaAreaResultados(ventana);
}

void VaciaAreaResultados(QWidget& ventana) {
    for (int i = 0; i < NumCajas; ++i) {
        CajaTexto(ventana, NombreCaja(static_cast<Caja>(i))).clear();
    }
    QLineEdit& info = CajaTexto(ventana, "TextInfo");
    info.clear();
    info.setVisible(false);
    ColorNormalCajasAurora(ventana);
}

void MuestraResultados(QWidget& ventana, const ModuloVespalba::EventosDia& eventos,
                       std::chrono::year_month_day fecha, const QLocale& locale) {
    const PantallaResultados p = ComponeResultados(eventos);

    QLineEdit& info = CajaTexto(ventana, "TextInfo");
    if (p.TextInfoVisible) {
        info.setText(Texto(p.TextInfo));
        info.setVisible(true);
    }
    for (const CajaResultado& c : p.cajas) {
        CajaTexto(ventana, c.control).setText(Texto(c.texto));
    }
    // Each moon box is named after the caption beside it, so that a screen
    // reader says "Orto Luna" for the upper box when it holds the rise.
    Control<QLabel>(ventana, "Label1").setText(Texto(p.Label1));
    CajaTexto(ventana, "OcasoLuna").setAccessibleName(Texto(p.Label1));
    Control<QLabel>(ventana, "Label8").setText(Texto(p.Label8));
    CajaTexto(ventana, "OrtoLuna").setAccessibleName(Texto(p.Label8));
    CajaTexto(ventana, "HorasLuz").setText(Texto(p.HorasLuz));
    CajaTexto(ventana, "TextAl").setText(TextoFechaMedia(fecha, locale));
    for (const CajaResultado& c : p.cajas) {
        if (c.colorMarco) {
            ColorDeFondo(CajaTexto(ventana, c.control), ColorMarcoVentana());
        }
    }
}

}  // namespace Vespalba

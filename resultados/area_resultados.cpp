// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultados/area_resultados.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include <algorithm>
#include <string_view>

#include "resultados/colores.h"

namespace Vespalba {
namespace {

QString Texto(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void ColorDeFondo(QLineEdit& caja, const QColor& color) {
    QPalette p = caja.palette();
    p.setColor(QPalette::Base, color);
    caja.setPalette(p);
}

constexpr Caja cajasAurora[] = {Caja::ComAuroraCivil, Caja::ComAurora, Caja::ComAuroraAstro};

QLineEdit& CajaDe(const ControlesResultado& area, Caja caja) {
    return *area.cajas[static_cast<int>(caja)];
}

}  // namespace

bool Completos(const ControlesResultado& c) {
    return c.Resultado && c.TextInfo && c.Label1 && c.Label8 && c.HorasLuz && c.TextAl &&
           std::all_of(c.cajas.begin(), c.cajas.end(), [](const QLineEdit* k) { return k; });
}

QString TextoFechaMedia(std::chrono::year_month_day fecha, const QLocale& locale) {
    const QDate d(static_cast<int>(fecha.year()), static_cast<int>(unsigned{fecha.month()}),
                  static_cast<int>(unsigned{fecha.day()}));
    return locale.toString(d, QStringLiteral("d MMM yyyy"));
}

void ColorNormalCajasAurora(const ControlesResultado& area) {
    for (Caja caja : cajasAurora) {
        ColorDeFondo(CajaDe(area, caja), ColorFondoVentana());
    }
}

void LimpiaResultados(const ControlesResultado& area) {
    area.Resultado->setVisible(true);
    VaciaAreaResultados(area);
}

void VaciaAreaResultados(const ControlesResultado& area) {
    for (QLineEdit* caja : area.cajas) {
        caja->clear();
    }
    area.TextInfo->clear();
    area.TextInfo->setVisible(false);
    ColorNormalCajasAurora(area);
}

void MuestraResultados(const ControlesResultado& area, const ModuloVespalba::EventosDia& eventos,
                       std::chrono::year_month_day fecha, const QLocale& locale) {
    const PantallaResultados p = ComponeResultados(eventos);

    if (p.TextInfoVisible) {
        area.TextInfo->setText(Texto(p.TextInfo));
        area.TextInfo->setVisible(true);
    }
    for (int i = 0; i < NumCajas; ++i) {
        area.cajas[i]->setText(Texto(p.cajas[i].texto));
    }
    // Each moon box is named after the caption beside it, so that a screen
    // reader says "Orto Luna" for the upper box when it holds the rise.
    area.Label1->setText(Texto(p.Label1));
    CajaDe(area, Caja::OcasoLuna).setAccessibleName(Texto(p.Label1));
    area.Label8->setText(Texto(p.Label8));
    CajaDe(area, Caja::OrtoLuna).setAccessibleName(Texto(p.Label8));
    area.HorasLuz->setText(Texto(p.HorasLuz));
    area.TextAl->setText(TextoFechaMedia(fecha, locale));
    for (int i = 0; i < NumCajas; ++i) {
        if (p.cajas[i].colorMarco) {
            ColorDeFondo(*area.cajas[i], ColorMarcoVentana());
        }
    }
}

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "espanol.h"

#include <array>

using namespace std::chrono;

namespace Vespalba::Dibujo {

namespace {

// clang-format off
const std::array<const char*, 12> nombres = {
    "enero", "febrero", "marzo", "abril", "mayo", "junio",
    "julio", "agosto", "septiembre", "octubre", "noviembre", "diciembre"};
// clang-format on

bool EsPrimero(year_month_day f) { return f.day() == day{1}; }

bool EsUltimo(year_month_day f) {
    return f.day() == year_month_day_last{f.year(), month_day_last{f.month()}}.day();
}

QString Numero(int n) { return QString::number(n); }

}  // namespace

QString NombreMes(month mes) {
    return QString::fromUtf8(nombres[std::size_t(unsigned(mes) - 1) % 12]);
}

QString MesAbreviado(month mes) { return NombreMes(mes).left(3); }

QString MesYAnio(year_month mes) {
    return NombreMes(mes.month()) + QStringLiteral(" de ") + Numero(int(mes.year()));
}

QString TextoIntervalo(year_month_day desde, year_month_day hasta) {
    const int a0 = int(desde.year());
    const int a1 = int(hasta.year());
    if (EsPrimero(desde) && EsUltimo(hasta)) {
        if (desde.month() == January && hasta.month() == December && a0 == a1) return Numero(a0);
        if (desde.month() == hasta.month() && a0 == a1) {
            return MesYAnio(year_month{desde.year(), desde.month()});
        }
        if (a0 == a1) {
            return QStringLiteral("de %1 a %2 de %3")
                .arg(NombreMes(desde.month()), NombreMes(hasta.month()), Numero(a0));
        }
        return QStringLiteral("de %1 a %2")
            .arg(MesYAnio(year_month{desde.year(), desde.month()}),
                 MesYAnio(year_month{hasta.year(), hasta.month()}));
    }
    const QString d0 = Numero(int(unsigned(desde.day())));
    const QString d1 = Numero(int(unsigned(hasta.day())));
    if (a0 != a1) {
        return QStringLiteral("del %1 de %2 al %3 de %4")
            .arg(d0, MesYAnio(year_month{desde.year(), desde.month()}), d1,
                 MesYAnio(year_month{hasta.year(), hasta.month()}));
    }
    if (desde.month() != hasta.month()) {
        return QStringLiteral("del %1 de %2 al %3 de %4 de %5")
            .arg(d0, NombreMes(desde.month()), d1, NombreMes(hasta.month()), Numero(a0));
    }
    if (desde == hasta) {
        return QStringLiteral("%1 de %2")
            .arg(d0, MesYAnio(year_month{desde.year(), desde.month()}));
    }
    return QStringLiteral("del %1 al %2 de %3")
        .arg(d0, d1, MesYAnio(year_month{desde.year(), desde.month()}));
}

QString TextoDesfases(const QStringList& desfases) {
    if (desfases.isEmpty()) return {};
    if (desfases.size() == 1) return QStringLiteral(" (desfase %1)").arg(desfases.front());
    QStringList d = desfases;
    const QString ultimo = d.takeLast();
    return QStringLiteral(" (desfases %1 y %2)").arg(d.join(QStringLiteral(", ")), ultimo);
}

}  // namespace Vespalba::Dibujo

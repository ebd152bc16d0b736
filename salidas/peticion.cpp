// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/peticion.h"

namespace Vespalba::Salidas {

using namespace std::chrono;

QString NombresDeEventos(const QString& y) {
    QString lista;
    const std::size_t n = std::size(EventosCalendario);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) lista += i + 1 == n ? y : QStringLiteral(", ");
        lista += QLatin1String(EventosCalendario[i].nombre);
    }
    return lista;
}

bool ConGraficoDelAnio(const Peticion& peticion) {
    const year_month_day desde{peticion.desde};
    return desde.month() == January && desde.day() == day{1} &&
           peticion.hasta == sys_days{desde.year() / December / 31};
}

Dias::Consulta ConsultaDeDias(const Peticion& p) {
    Dias::Consulta c = p;
    const QLatin1String formato(p.formato->nombre);
    c.luzEspecial =
        formato == QLatin1String("csv") || formato == QLatin1String("json") ||
        (formato == QLatin1String("ics") && (p.eventos & (EventoDorada | EventoAzul))) || p.dorada;
    return c;
}

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/formatos.h"

#include <array>

#include "salidas/calendario.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {
namespace {

// clang-format off
const std::array<FormatoSalida, 7> formatos = {{
    {"texto", "tabla alineada para leer e imprimir (por omisión)",
     Lamina::Ninguna, false, EscribeTexto, EscribeTextoPorBloques},
    {"csv", "RFC 4180: una fila de títulos y una fila por día; las horas\n"
            "como en la ventana y también en horas decimales; al final,\n"
            "los límites de las horas azul y dorada",
     Lamina::Ninguna, false, EscribeCsv, EscribeCsvPorBloques},
    {"json", "JSON Lines: un objeto por día, con los límites de las horas\n"
             "azul y dorada",
     Lamina::Ninguna, false, EscribeJson, EscribeJsonPorBloques},
    {"ics", "calendario iCalendar (RFC 5545) de los sucesos, en hora UTC,\n"
            "para importar en un programa de calendario (vea --eventos)",
     Lamina::Ninguna, false, EscribeIcs, EscribeIcsPorBloques},
    {"pdf", "páginas para imprimir, un mes por página con las columnas de\n"
            "la tabla de texto; con un año entero (--anio), el gráfico\n"
            "del año primero; en un archivo (--salida)",
     Lamina::Paginas, true, nullptr, nullptr},
    {"svg", "el gráfico de luz del día (noche, crepúsculos y día, hora\n"
            "por hora) como dibujo vectorial de --tamano; para una semana\n"
            "o más, mejor un año",
     Lamina::Vectorial, false, nullptr, nullptr},
    {"png", "el mismo gráfico como imagen de --tamano píxeles, en un\n"
            "archivo (--salida)",
     Lamina::Imagen, true, nullptr, nullptr},
}};
// clang-format on

// Width of the option column in --help, as the other options use it.
constexpr int AnchoOpcion = 24;

}  // namespace

std::span<const FormatoSalida> Formatos() { return formatos; }

const FormatoSalida* BuscaFormato(const QString& nombre) {
    const QString buscado = nombre.trimmed().toLower();
    for (const FormatoSalida& f : formatos) {
        if (buscado == QLatin1String(f.nombre)) return &f;
    }
    return nullptr;
}

QString NombresDeFormatos() {
    QString lista;
    for (std::size_t i = 0; i < formatos.size(); ++i) {
        if (i > 0) lista += i + 1 == formatos.size() ? QStringLiteral(" o ") : QStringLiteral(", ");
        lista += QLatin1String(formatos[i].nombre);
    }
    return lista;
}

QString AyudaDeFormatos() {
    QString ayuda;
    for (const FormatoSalida& f : formatos) {
        const QStringList lineas = QString::fromUtf8(f.ayuda).split(QLatin1Char('\n'));
        ayuda += (QStringLiteral("  --formato ") + QLatin1String(f.nombre))
                     .leftJustified(AnchoOpcion - 1) +
                 QLatin1Char(' ') + lineas.front() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lineas.size(); ++i) {
            ayuda += QString(AnchoOpcion, QLatin1Char(' ')) + lineas[i] + QLatin1Char('\n');
        }
    }
    return ayuda;
}

}  // namespace Vespalba::Salidas

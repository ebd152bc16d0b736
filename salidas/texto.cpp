// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's aligned text table.
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

#include "dias/celdas.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {

using namespace std::chrono;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::EstadoClase;
using Vespalba::ModuloVespalba::EventoClase;

namespace {

const QChar sombra(0x2593);  // the shading that stands for the frame colour

QString Alinea(const QString& s, qsizetype ancho, bool derecha) {
    return derecha ? s.rightJustified(ancho) : s.leftJustified(ancho);
}

// The header: the place, its coordinates and the zone.
//   usados: the offsets in force during the days, in order of first use.
QString Cabecera(const Peticion& p, const QStringList& usados) {
    const QString coordenadas = TextoCoordenadas(p);
    const QString nombre = NombreDelLugar(p);
    const QString lugar =
        nombre.isEmpty() ? coordenadas : nombre + QStringLiteral(" (") + coordenadas + ')';
    // How the zone was found, when the request did not name it.
    const QString origen =
        p.origenZona.isEmpty() ? QString() : QStringLiteral("\nZona hallada: ") + p.origenZona;
    if (!p.zonaHoraria.isEmpty()) {
        const QString desfases = TextoDesfasesUsados(usados);
        return QStringLiteral(
                   "Lugar: %1\nZona horaria: %2, hora civil (%3 %4; cada hora con el de su "
                   "momento)%5\n")
            .arg(lugar, p.zonaHoraria,
                 desfases.contains(QLatin1Char(' ')) ? QStringLiteral("desfases")
                                                     : QStringLiteral("desfase"),
                 desfases, origen);
    }
    const QString sentido = p.zona < 0 ? QStringLiteral("- ") : QStringLiteral("+ ");
    return QStringLiteral("Lugar: %1\nZona horaria: %2 (hora local = hora universal %3%4 h)%5\n")
        .arg(lugar, NombreDeZona(p), sentido, QString::number(std::fabs(p.zona), 'g', 6), origen);
}

// Characters on a line of the table, at most: it prints on A4 landscape.
constexpr qsizetype AnchoMaximoLinea = 160;

// Widths of the columns, characters, and the blanks between two columns:
// two, or one when two would make the table too wide for the page.
struct Anchos : std::vector<qsizetype> {
    using std::vector<qsizetype>::vector;
    qsizetype separacion = 2;
    QString Separador() const { return QString(separacion, QLatin1Char(' ')); }
};

// What the text table needs to know of every day before its first row: the
// widest cell of each column and the offsets in force, in order of first
// use.
struct MedidasTexto {
    Anchos celdas;
    QStringList desfases;
};

// The days' rows of cells, as FilaTexto gives them.
using Filas = std::vector<std::vector<Celda>>;

// `filas`, when given, receives the days' rows, for FilasTexto not to make
// them again.
MedidasTexto MideTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                       Filas* filas = nullptr) {
    MedidasTexto m;
    m.celdas.assign(Columnas(peticion).size(), 0);
    if (filas) filas->reserve(dias.size());
    for (const DiaCalculado& d : dias) {
        std::vector<Celda> fila = FilaTexto(peticion, d);
        for (std::size_t c = 0; c < m.celdas.size(); ++c) {
            m.celdas[c] = std::max(m.celdas[c], fila[c].texto.size());
        }
        if (filas) filas->push_back(std::move(fila));
    }
    AnotaDesfases(dias, m.desfases);
    return m;
}

// `m` and then `otras`, of the days that follow.
void Suma(MedidasTexto& m, const MedidasTexto& otras) {
    if (m.celdas.empty()) {
        m.celdas.assign(otras.celdas.size(), 0);
    }
    for (std::size_t c = 0; c < m.celdas.size(); ++c) {
        m.celdas[c] = std::max(m.celdas[c], otras.celdas[c]);
    }
    for (const QString& t : otras.desfases) {
        if (!m.desfases.contains(t)) m.desfases << t;
    }
}

// The group that starts at column c ends before column FinDeGrupo(c).
std::size_t FinDeGrupo(const std::vector<Columna>& columnas, std::size_t c) {
    std::size_t fin = c + 1;
    while (fin < columnas.size() && columnas[fin].grupo == columnas[c].grupo) {
        ++fin;
    }
    return fin;
}

// Characters spanned by columns c to fin - 1, separators included.
qsizetype AnchoDeGrupo(const Anchos& ancho, std::size_t c, std::size_t fin) {
    qsizetype tramo = qsizetype(fin - c - 1) * ancho.separacion;
    for (std::size_t k = c; k < fin; ++k) {
        tramo += ancho[k];
    }
    return tramo;
}

// Widths: the widest of the title and the cells; a group's title that is
// wider than its columns widens the group's last column. The last column,
// the notice, is as wide as its title: a longer notice ends the line or
// takes a line of its own (see FilasTexto). One blank between columns when
// two would put the notice's title past AnchoMaximoLinea (polar places,
// whose cells are the widest).
Anchos AnchosColumnas(const std::vector<Columna>& columnas, const Anchos& celdas) {
    const auto dispone = [&](qsizetype separacion) {
        Anchos ancho(columnas.size(), 0);
        ancho.separacion = separacion;
        for (std::size_t c = 0; c < columnas.size(); ++c) {
            ancho[c] = std::max(columnas[c].titulo.size(), celdas[c]);
        }
        for (std::size_t c = 0; c < columnas.size(); c = FinDeGrupo(columnas, c)) {
            const std::size_t fin = FinDeGrupo(columnas, c);
            const qsizetype tramo = AnchoDeGrupo(ancho, c, fin);
            if (columnas[c].grupo.size() > tramo) {
                ancho[fin - 1] += columnas[c].grupo.size() - tramo;
            }
        }
        ancho.back() = columnas.back().titulo.size();
        return ancho;
    };
    Anchos ancho = dispone(2);
    if (AnchoDeGrupo(ancho, 0, ancho.size()) > AnchoMaximoLinea) {
        ancho = dispone(1);
    }
    return ancho;
}

void TerminaLinea(QString& linea, QString& salida) {
    while (linea.endsWith(QLatin1Char(' '))) {
        linea.chop(1);
    }
    salida += linea;
    salida += QLatin1Char('\n');
}

// The two title lines: the groups' titles centred over their columns, then
// the columns' own titles.
QString Titulos(const std::vector<Columna>& columnas, const Anchos& ancho) {
    const std::size_t n = columnas.size();
    QString titulos;
    QString linea;
    for (std::size_t c = 0; c < n; c = FinDeGrupo(columnas, c)) {
        const std::size_t fin = FinDeGrupo(columnas, c);
        const qsizetype tramo = AnchoDeGrupo(ancho, c, fin);
        const QString& g = columnas[c].grupo;
        const qsizetype izquierda = (tramo - g.size()) / 2;
        linea += QString(izquierda, QLatin1Char(' ')) + g.leftJustified(tramo - izquierda);
        if (fin < n) {
            linea += ancho.Separador();
        }
    }
    TerminaLinea(linea, titulos);
    linea.clear();
    for (std::size_t c = 0; c < n; ++c) {
        linea += Alinea(columnas[c].titulo, ancho[c], columnas[c].derecha);
        if (c + 1 < n) {
            linea += ancho.Separador();
        }
    }
    TerminaLinea(linea, titulos);
    return titulos;
}

// The rows of some consecutive days, each month's rows after a blank line
// and the titles.
//   mesAnterior: the month of the row before the first of these; none for
//                the table's first row.
//   filas:       the days' rows already made by MideTexto, or none.
QByteArray FilasTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                      const std::vector<Columna>& columnas, const Anchos& ancho,
                      const QString& titulos, std::optional<year_month> mesAnterior,
                      const Filas* filas = nullptr) {
    QString salida;
    for (std::size_t i = 0; i < dias.size(); ++i) {
        const DiaCalculado& d = dias[i];
        const year_month mes{d.fecha.year(), d.fecha.month()};
        if (mes != mesAnterior) {
            salida += QLatin1Char('\n');
            salida += titulos;
            mesAnterior = mes;
        }
        const std::vector<Celda> propia = filas ? std::vector<Celda>() : FilaTexto(peticion, d);
        const std::vector<Celda>& fila = filas ? (*filas)[i] : propia;
        QString linea;
        if (!d.existe) {
            // Nothing but the date and the notice.
            linea = Alinea(fila.front().texto, ancho.front(), false) + ancho.Separador() +
                    fila.back().texto;
            TerminaLinea(linea, salida);
            continue;
        }
        // Every column but the last, the notice.
        for (std::size_t c = 0; c + 1 < columnas.size(); ++c) {
            const Celda& celda = fila[c];
            linea += celda.marco ? QString(ancho[c], sombra)
                                 : Alinea(celda.texto, ancho[c], columnas[c].derecha);
            linea += ancho.Separador();
        }
        const QString& aviso = fila.back().texto;
        if (linea.size() + aviso.size() > AnchoMaximoLinea) {
            // A notice that would make the line too long for the page goes
            // on a line of its own, under the day's row.
            TerminaLinea(linea, salida);
            linea = QString(ancho.front() + ancho.separacion, QLatin1Char(' '));
        }
        linea += aviso;
        TerminaLinea(linea, salida);
    }
    return salida.toUtf8();
}

// The notes of the days' clock changes, one line each.
QString NotasDeCambios(const std::vector<DiaCalculado>& dias) {
    QString notas;
    for (const DiaCalculado& d : dias) {
        for (const QString& nota : NotasDeCambio(d)) {
            notas += nota + QLatin1Char('\n');
        }
    }
    return notas;
}

// What follows the rows: the clock changes' notes after a blank line, when
// there are any, and the legend.
QByteArray PieTexto(const Peticion& peticion, const QString& notas) {
    QString salida;
    if (!notas.isEmpty()) {
        salida += QLatin1Char('\n') + notas;
    }
    salida += QStringLiteral(
        "\nHoras locales de la zona, con los minutos truncados; el mediodía (paso del Sol por el "
        "meridiano), con los segundos truncados.\n"
        "No hay: no se pone.  Bajo horizonte: no sale.  ////: el crepúsculo no termina.  ");
    salida += QString(4, sombra);
    salida += QStringLiteral(": la aurora no llega.\n");
    // The columns' explanations, two blanks apart, on lines that fit the page.
    QString linea;
    for (const Explicacion& e : ExplicacionDeColumnas(peticion)) {
        const QString texto = e.marca + QStringLiteral(": ") + e.significado + QLatin1Char('.');
        if (!linea.isEmpty() && linea.size() + 2 + texto.size() > AnchoMaximoLinea) {
            salida += linea + QLatin1Char('\n');
            linea.clear();
        }
        linea += (linea.isEmpty() ? QString() : QStringLiteral("  ")) + texto;
    }
    salida += linea + QLatin1Char('\n');
    return salida.toUtf8();
}

}  // namespace

QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const std::vector<Columna> columnas = Columnas(peticion);
    Filas filas;
    const MedidasTexto m = MideTexto(peticion, dias, &filas);
    const Anchos ancho = AnchosColumnas(columnas, m.celdas);
    return Cabecera(peticion, m.desfases).toUtf8() +
           FilasTexto(peticion, dias, columnas, ancho, Titulos(columnas, ancho), std::nullopt,
                      &filas) +
           PieTexto(peticion, NotasDeCambios(dias));
}

bool EscribeTextoPorBloques(const Peticion& peticion, const Bloques& bloques,
                            const Sumidero& sumidero) {
    // Up to this many days (about two megabytes of them) are kept from the
    // first pass rather than computed again.
    constexpr long long DiasGuardados = 2048;
    const bool guarda = bloques.Dias() <= DiasGuardados;
    // A block kept from the first pass: its days and their rows of cells,
    // made on the block's thread.
    struct Guardado {
        std::vector<DiaCalculado> dias;
        Filas filas;
    };
    std::vector<Guardado> guardados;
    MedidasTexto m;
    bloques.EnOrden(
        [&](std::vector<DiaCalculado> dias) {
            Guardado g;
            MedidasTexto medidas = MideTexto(peticion, dias, guarda ? &g.filas : nullptr);
            if (guarda) g.dias = std::move(dias);
            return std::pair(std::move(medidas), std::move(g));
        },
        [&](std::pair<MedidasTexto, Guardado> bloque) {
            Suma(m, bloque.first);
            if (guarda) guardados.push_back(std::move(bloque.second));
            return true;
        });
    const std::vector<Columna> columnas = Columnas(peticion);
    const Anchos ancho = AnchosColumnas(columnas, m.celdas);
    const QString titulos = Titulos(columnas, ancho);
    // The clock changes' notes go under the table; there are two a year at
    // most.
    QString notas;
    const auto filas = [&](const std::vector<DiaCalculado>& dias, const Filas* hechas) {
        // The month of the row before the block's first, unless that is the
        // table's first row.
        std::optional<year_month> mesAnterior;
        const sys_days primero{dias.front().fecha};
        if (primero != peticion.desde) {
            const year_month_day anterior{primero - days{1}};
            mesAnterior = anterior.year() / anterior.month();
        }
        return std::pair(FilasTexto(peticion, dias, columnas, ancho, titulos, mesAnterior, hechas),
                         NotasDeCambios(dias));
    };
    const auto escribe = [&](const std::pair<QByteArray, QString>& bloque) {
        notas += bloque.second;
        return sumidero(bloque.first);
    };
    if (!sumidero(Cabecera(peticion, m.desfases).toUtf8())) {
        return false;
    }
    if (guarda) {
        for (const Guardado& g : guardados) {
            if (!escribe(filas(g.dias, &g.filas))) return false;
        }
    } else if (!bloques.EnOrden(
                   [&](const std::vector<DiaCalculado>& dias) { return filas(dias, nullptr); },
                   escribe)) {
        return false;
    }
    return sumidero(PieTexto(peticion, notas));
}

}  // namespace Vespalba::Salidas

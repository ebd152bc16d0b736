// SPDX-License-Identifier: GPL-3.0-or-later
#include "dibujo/paginas.h"

#include <QFontMetricsF>
#include <QHash>
#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

#include "espanol.h"
#include "letras.h"

using namespace std::chrono;

namespace Vespalba::Dibujo {

namespace {

// Sizes of a page's parts, typographic points unless said otherwise.
constexpr double MargenMm = 12.0;  // around the printable area, millimetres
constexpr double CuerpoTitulo = 13.0;
constexpr double CuerpoSubtitulo = 9.0;
constexpr double CuerpoMaximo = 9.0;  // the largest letters tried for a table
constexpr double Interlineado = 1.4;  // a table row's height over its letters' size
constexpr double Relleno = 2.5;       // space on each side of a cell's text
constexpr double Canal = 9.0;         // space left of the table for the change mark
constexpr double Separacion = 7.0;    // between the parts of a page
constexpr double MaximoExtra = 10.0;  // the most a column is widened to fill the width

const QColor colorTexto(0x11, 0x11, 0x11);
const QColor colorFinDeSemana(0xeb, 0xeb, 0xeb);
const QColor colorFondoCambio(0xfd, 0xe0, 0xc8);
const QColor colorCambio(0xd3, 0x54, 0x00);
const QColor colorOscuro(0x4d, 0x4d, 0x4d);  // the dark box of a dawn that does not come
const QColor colorRaya(0xc4, 0xc4, 0xc4);
const QColor colorRayaFuerte(0x55, 0x55, 0x55);

// An entry of a page's legend: a swatch or a printed mark, then words.
enum class TipoEntrada { Texto, CajaOscura, FinDeSemana, Cambio };

struct Entrada {
    TipoEntrada tipo = TipoEntrada::Texto;
    QString texto;       // the whole entry for Texto, the words after the swatch otherwise
    QRectF caja;         // where it goes
    double muestra = 0;  // swatch's width
};

// Everything a month's page places, in the painter's units.
struct Plano {
    double u = 1.0;       // units per point
    double cuerpo = 8.0;  // table letters, points
    QFont letra, negrita, titulo, subtitulo;
    QRectF hoja;
    QString lugar, mes, linea2;
    QRectF cajaLugar, cajaMes, cajaLinea2;
    // Table.
    double xTabla = 0;
    std::vector<double> ancho;   // per column
    std::vector<bool> envuelve;  // per column: its texts wrap
    double altoLinea = 0;
    double yGrupos = 0, yTitulos = 0, yFilas = 0;
    std::vector<const Dia*> dias;
    std::vector<double> altoFila;
    // Under the table.
    QStringList notas;
    QRectF cajaNotas;
    std::vector<Entrada> leyenda;
    QRectF cajaMetodo;
    double yPie = 0;  // top of the foot's line
    bool cabe = true;
};

std::vector<const Dia*> DiasDelMes(const Almanaque& a, year_month mes) {
    std::vector<const Dia*> dias;
    for (const Dia& d : a.dias) {
        if (d.fecha.year() == mes.year() && d.fecha.month() == mes.month()) dias.push_back(&d);
    }
    return dias;
}

QString Capitaliza(QString s) {
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    return s;
}

QString LineaZona(const Titulo& t) {
    QStringList partes;
    if (!t.lugar.isEmpty() && !t.coordenadas.isEmpty()) partes << t.coordenadas;
    if (!t.zona.isEmpty()) {
        partes << QStringLiteral("Zona horaria: ") + t.zona + TextoDesfases(t.desfases);
    }
    return partes.join(QStringLiteral(" · "));
}

// The height of `texto` wrapped at `ancho`, in lines.
int Lineas(const QFontMetricsF& m, const QString& texto, double ancho) {
    if (texto.isEmpty()) return 1;
    const QRectF r = m.boundingRect(QRectF(0, 0, ancho, 1e9), Qt::TextWordWrap, texto);
    return std::max(1, int(std::lround(r.height() / m.lineSpacing())));
}

// The widest word of a text.
double PalabraMasAncha(const QFontMetricsF& m, const QString& texto) {
    double ancho = 0;
    for (const QString& palabra : texto.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        ancho = std::max(ancho, m.horizontalAdvance(palabra));
    }
    return ancho;
}

// What the table's texts need at one size of letters, measured once for
// every page: each column's natural width (the widest of its title and its
// cells over every day of the Almanaque, so that every page has the same
// columns, plus the cell's padding; a group's title that is wider than its
// columns widening them evenly), and the width of its widest word.
struct Textos {
    std::vector<double> ancho;
    std::vector<double> minimo;
};

Textos MideTextos(const QPaintDevice& dispositivo, const QFont& letra, const QFont& negrita,
                  double punto, const Almanaque& a) {
    const QFontMetricsF m(letra, &dispositivo);
    const QFontMetricsF mn(negrita, &dispositivo);
    const std::size_t n = a.columnas.size();
    const double relleno = 2 * Relleno * punto;
    // A year repeats most texts ("-03", "No hay", "Orto 9: 0"): each
    // measured once; the words only in the columns that may wrap.
    QHash<QString, double> medidos;
    auto mide = [&](const QString& t) {
        auto i = medidos.constFind(t);
        if (i == medidos.cend()) i = medidos.insert(t, m.horizontalAdvance(t));
        return *i;
    };
    Textos t{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (std::size_t c = 0; c < n; ++c) {
        const bool palabras = !a.columnas[c].derecha;
        t.ancho[c] = mn.horizontalAdvance(a.columnas[c].titulo);
        t.minimo[c] = palabras ? PalabraMasAncha(mn, a.columnas[c].titulo) : t.ancho[c];
        for (const Dia& d : a.dias) {
            if (c >= d.celdas.size()) continue;
            const QString& texto = d.celdas[c].texto;
            t.ancho[c] = std::max(t.ancho[c], mide(texto));
            if (!palabras) continue;
            for (const QString& palabra : texto.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                t.minimo[c] = std::max(t.minimo[c], mide(palabra));
            }
        }
        if (!palabras) t.minimo[c] = t.ancho[c];
        t.ancho[c] += relleno;
        t.minimo[c] += relleno;
    }
    for (std::size_t c = 0; c < n;) {
        std::size_t fin = c + 1;
        while (fin < n && a.columnas[fin].grupo == a.columnas[c].grupo) ++fin;
        if (!a.columnas[c].grupo.isEmpty()) {
            const double tramo =
                std::accumulate(t.ancho.begin() + long(c), t.ancho.begin() + long(fin), 0.0);
            const double titulo = mn.horizontalAdvance(a.columnas[c].grupo) + relleno;
            if (titulo > tramo) {
                for (std::size_t k = c; k < fin; ++k)
                    t.ancho[k] += (titulo - tramo) / double(fin - c);
            }
        }
        c = fin;
    }
    return t;
}

// The columns' widths within the plan's page: the natural widths; when too
// wide and wrapping is allowed, the left-aligned columns (words) narrowed,
// widest first, down to their widest word, and wrapped; when narrower, every
// column widened a little to fill the page.
void MideColumnas(Plano& p, const Textos& t, const Almanaque& a, bool envolver) {
    const std::size_t n = a.columnas.size();
    p.ancho = t.ancho;
    p.envuelve.assign(n, false);
    const double disponible = p.hoja.width() - Canal * p.u;
    double total = std::accumulate(p.ancho.begin(), p.ancho.end(), 0.0);
    if (total > disponible && envolver) {
        std::vector<std::size_t> orden(n);
        std::iota(orden.begin(), orden.end(), 0);
        std::sort(orden.begin(), orden.end(),
                  [&](std::size_t x, std::size_t y) { return p.ancho[x] > p.ancho[y]; });
        for (std::size_t c : orden) {
            if (total <= disponible) break;
            if (a.columnas[c].derecha) continue;
            const double nuevo = std::max(t.minimo[c], p.ancho[c] - (total - disponible));
            if (nuevo < p.ancho[c]) {
                total -= p.ancho[c] - nuevo;
                p.ancho[c] = nuevo;
                p.envuelve[c] = true;
            }
        }
    }
    if (total > disponible + 1e-9) {
        p.cabe = false;
    } else if (n > 0) {
        const double extra = std::min(MaximoExtra * p.u, (disponible - total) / double(n));
        for (double& w : p.ancho) w += extra;
        total += extra * double(n);
    }
    p.xTabla = p.hoja.left() + Canal * p.u + std::max(0.0, (disponible - total) / 2);
}

// The table's letters in a form.
std::pair<QFont, QFont> LetrasDeTabla(const FormaPagina& forma, double punto) {
    QFont letra = Letra(forma.cuerpo, punto);
    QFont negrita = Letra(forma.cuerpo, punto, true);
    if (forma.estrecha) {
        letra.setStretch(LetraEstrecha);
        negrita.setStretch(LetraEstrecha);
    }
    return {letra, negrita};
}

std::vector<Entrada> EntradasLeyenda(const OpcionesDocumento& o, bool conCambio) {
    std::vector<Entrada> e;
    for (const Marca& m : o.marcas) {
        if (m.cajaOscura) {
            e.push_back(
                {TipoEntrada::CajaOscura, QStringLiteral(": ") + m.significado + '.', {}, 0});
        } else {
            e.push_back(
                {TipoEntrada::Texto, m.marca + QStringLiteral(": ") + m.significado + '.', {}, 0});
        }
    }
    e.push_back({TipoEntrada::FinDeSemana, QStringLiteral(" sábado y domingo."), {}, 0});
    if (conCambio) {
        e.push_back(
            {TipoEntrada::Cambio, QStringLiteral(" día con cambio de hora (nota arriba)."), {}, 0});
    }
    return e;
}

// The page of a month in a form; `textos` measured with the form's letters.
Plano Planifica(const QPaintDevice& dispositivo, const QRectF& hoja, double punto,
                const Almanaque& a, year_month mes, const FormaPagina& forma, const Textos& textos,
                const OpcionesDocumento& o) {
    Plano p;
    const double cuerpo = forma.cuerpo;
    p.u = punto;
    p.cuerpo = cuerpo;
    p.hoja = hoja;
    std::tie(p.letra, p.negrita) = LetrasDeTabla(forma, punto);
    p.titulo = Letra(CuerpoTitulo, punto, true);
    p.subtitulo = Letra(CuerpoSubtitulo, punto);
    const QFontMetricsF m(p.letra, &dispositivo);
    const QFontMetricsF mt(p.titulo, &dispositivo);
    const QFontMetricsF ms(p.subtitulo, &dispositivo);
    const double u = punto;

    // Title: the place on the left and the month on the right, the month
    // on a line of its own when both do not fit; under them the
    // coordinates and the zone.
    p.lugar = a.titulo.lugar.isEmpty() ? a.titulo.coordenadas : a.titulo.lugar;
    p.mes = Capitaliza(MesYAnio(mes));
    p.linea2 = LineaZona(a.titulo);
    double y = hoja.top();
    const double anchoLugar = mt.horizontalAdvance(p.lugar);
    const double anchoMes = mt.horizontalAdvance(p.mes);
    p.cajaLugar = QRectF(hoja.left(), y, hoja.width(), mt.height());
    if (anchoLugar + anchoMes + 2 * Separacion * u > hoja.width()) y += mt.height();
    p.cajaMes = QRectF(hoja.left(), y, hoja.width(), mt.height());
    y += mt.height();
    const int lineasZona = Lineas(ms, p.linea2, hoja.width());
    p.cajaLinea2 = QRectF(hoja.left(), y, hoja.width(), ms.lineSpacing() * lineasZona);
    y = p.cajaLinea2.bottom() + Separacion * u;

    // Table: two header rows (groups and titles), then the days.
    MideColumnas(p, textos, a, forma.envolver);
    p.altoLinea = cuerpo * Interlineado * u;
    p.yGrupos = y;
    p.yTitulos = y + p.altoLinea;
    p.yFilas = p.yTitulos + p.altoLinea;
    p.dias = DiasDelMes(a, mes);
    y = p.yFilas;
    bool conCambio = false;
    for (const Dia* d : p.dias) {
        int lineas = 1;
        for (std::size_t c = 0; c < p.ancho.size() && c < d->celdas.size(); ++c) {
            if (p.envuelve[c]) {
                lineas =
                    std::max(lineas, Lineas(m, d->celdas[c].texto, p.ancho[c] - 2 * Relleno * u));
            }
        }
        p.altoFila.push_back(p.altoLinea + (lineas - 1) * m.lineSpacing());
        y += p.altoFila.back();
        conCambio = conCambio || d->CambiaLaHora();
        p.notas << d->cambios;
    }
    y += Separacion * u;

    // The notes of the month's clock changes.
    const int lineasNotas =
        p.notas.isEmpty() ? 0 : Lineas(m, p.notas.join(QLatin1Char('\n')), hoja.width());
    p.cajaNotas = QRectF(hoja.left(), y, hoja.width(), lineasNotas * m.lineSpacing());
    if (lineasNotas > 0) y = p.cajaNotas.bottom() + Separacion * u / 2;

    // Legend: its entries one after another, as many lines as they need.
    p.leyenda = EntradasLeyenda(o, conCambio);
    const double muestra = m.horizontalAdvance(QStringLiteral("////"));
    double x = hoja.left();
    const double entre = 2.0 * m.horizontalAdvance(QLatin1Char(' '));
    for (Entrada& e : p.leyenda) {
        e.muestra = e.tipo == TipoEntrada::Texto    ? 0.0
                    : e.tipo == TipoEntrada::Cambio ? cuerpo * 0.8 * u
                                                    : muestra;
        const double ancho = e.muestra + m.horizontalAdvance(e.texto);
        if (x > hoja.left() && x + ancho > hoja.right()) {
            x = hoja.left();
            y += m.lineSpacing();
        }
        e.caja = QRectF(x, y, ancho, m.lineSpacing());
        x += ancho + entre;
    }
    y += m.lineSpacing();

    const int lineasMetodo = Lineas(m, o.metodo, hoja.width());
    p.cajaMetodo = QRectF(hoja.left(), y, hoja.width(), lineasMetodo * m.lineSpacing());
    y = p.cajaMetodo.bottom();

    p.yPie = hoja.bottom() - m.lineSpacing() - 2.0 * u;
    if (y > p.yPie - Separacion * u / 2) p.cabe = false;
    return p;
}

// A page's foot: a rule, the program on the left, the page's number on the
// right.
void DibujaPie(QPainter& pintor, const QRectF& hoja, double u, const QFont& letra,
               const OpcionesDocumento& o, int pagina, int paginas) {
    const QFontMetricsF m(letra, pintor.device());
    const double y = hoja.bottom() - m.lineSpacing();
    pintor.setPen(QPen(colorRaya, 0.5 * u));
    pintor.drawLine(QPointF(hoja.left(), y - 2.0 * u), QPointF(hoja.right(), y - 2.0 * u));
    pintor.setPen(colorTexto);
    pintor.setFont(letra);
    const QRectF caja(hoja.left(), y, hoja.width(), m.lineSpacing());
    pintor.drawText(caja, Qt::AlignLeft | Qt::AlignVCenter, o.programa);
    pintor.drawText(caja, Qt::AlignRight | Qt::AlignVCenter,
                    QStringLiteral("Página %1 de %2").arg(pagina).arg(paginas));
}

// The paint rect of a page of this layout, in a painter's units at `punto`
// units per point, with its origin at the rect's top left as a QPdfWriter
// paints it.
QRectF Hoja(const QPageLayout& diseno, double punto) {
    const QRectF r = diseno.paintRect(QPageLayout::Point);
    return QRectF(0, 0, r.width() * punto, r.height() * punto);
}

}  // namespace

std::vector<Marca> MarcasDeLaTabla() {
    return {
        {QStringLiteral("No hay"), false, QStringLiteral("no se pone")},
        {QStringLiteral("Bajo horizonte"), false, QStringLiteral("no sale")},
        {QStringLiteral("////"), false, QStringLiteral("el crepúsculo no termina")},
        {QString(), true, QStringLiteral("la aurora no llega")},
    };
}

QString NotaDelMetodo() {
    return QStringLiteral(
        "Horas locales de la zona, con los minutos truncados, calculadas con series de baja "
        "precisión del Sol y de la Luna.");
}

std::vector<year_month> MesesDe(const Almanaque& a) {
    std::vector<year_month> meses;
    for (const Dia& d : a.dias) {
        const year_month m{d.fecha.year(), d.fecha.month()};
        if (meses.empty() || meses.back() != m) meses.push_back(m);
    }
    return meses;
}

QPageLayout DisenoDePagina(Papel papel, QPageLayout::Orientation orientacion) {
    const QPageSize tamano(papel == Papel::Carta ? QPageSize::Letter : QPageSize::A4);
    return QPageLayout(tamano, orientacion, QMarginsF(MargenMm, MargenMm, MargenMm, MargenMm),
                       QPageLayout::Millimeter);
}

FormaPagina EligeForma(const QPaintDevice& dispositivo, double punto, const Almanaque& a,
                       const OpcionesDocumento& o) {
    const std::vector<year_month> meses = MesesDe(a);
    auto cabe = [&](const FormaPagina& forma) {
        const QRectF hoja = Hoja(DisenoDePagina(o.papel, forma.orientacion), punto);
        const auto [letra, negrita] = LetrasDeTabla(forma, punto);
        const Textos textos = MideTextos(dispositivo, letra, negrita, punto, a);
        return std::all_of(meses.begin(), meses.end(), [&](year_month mes) {
            return Planifica(dispositivo, hoja, punto, a, mes, forma, textos, o).cabe;
        });
    };
    for (double cuerpo = CuerpoMaximo; cuerpo >= CuerpoMinimo - 1e-9; cuerpo -= 0.5) {
        for (auto orientacion : {QPageLayout::Portrait, QPageLayout::Landscape}) {
            const FormaPagina forma{orientacion, cuerpo, false, false};
            if (cabe(forma)) return forma;
        }
    }
    for (auto [estrecha, envolver] : {std::pair{false, true}, {true, false}, {true, true}}) {
        const FormaPagina forma{QPageLayout::Landscape, CuerpoMinimo, estrecha, envolver};
        if (cabe(forma)) return forma;
    }
    FormaPagina forma{QPageLayout::Landscape, CuerpoMinimo, true, true};
    while (forma.cuerpo > 1.0 && !cabe(forma)) forma.cuerpo -= 0.5;
    return forma;
}

namespace {

// DibujaMes with the texts measured for the form.
void DibujaMesCon(QPainter& pintor, const QRectF& hoja, double punto, const Almanaque& a,
                  year_month mes, const FormaPagina& forma, const Textos& textos,
                  const OpcionesDocumento& o, int pagina, int paginas) {
    const Plano p = Planifica(*pintor.device(), hoja, punto, a, mes, forma, textos, o);
    const double u = punto;
    pintor.save();
    pintor.setRenderHint(QPainter::Antialiasing, true);
    pintor.setPen(colorTexto);

    // Title.
    pintor.setFont(p.titulo);
    pintor.drawText(p.cajaLugar, Qt::AlignLeft | Qt::AlignVCenter, p.lugar);
    pintor.drawText(p.cajaMes, Qt::AlignRight | Qt::AlignVCenter, p.mes);
    pintor.setFont(p.subtitulo);
    pintor.drawText(p.cajaLinea2, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, p.linea2);

    const std::size_t n = p.ancho.size();
    std::vector<double> x(n + 1, p.xTabla);
    for (std::size_t c = 0; c < n; ++c) x[c + 1] = x[c] + p.ancho[c];
    const double relleno = Relleno * u;

    // Rows' backgrounds: weekends shaded, clock-change days in their colour
    // with a triangle in the gutter.
    double y = p.yFilas;
    for (std::size_t f = 0; f < p.dias.size(); ++f) {
        const Dia& d = *p.dias[f];
        const QRectF fila(QPointF(x.front(), y), QPointF(x.back(), y + p.altoFila[f]));
        const weekday dia{sys_days{d.fecha}};
        if (d.CambiaLaHora()) {
            pintor.fillRect(fila, colorFondoCambio);
            const double alto = p.cuerpo * 0.8 * u;
            const QPointF punta(x.front() - 1.5 * u, fila.center().y());
            pintor.setPen(Qt::NoPen);
            pintor.setBrush(colorCambio);
            pintor.drawPolygon(QPolygonF(
                {punta, punta + QPointF(-alto, -alto * 0.6), punta + QPointF(-alto, alto * 0.6)}));
        } else if (dia == Saturday || dia == Sunday) {
            pintor.fillRect(fila, colorFinDeSemana);
        }
        for (std::size_t c = 0; c < n && c < d.celdas.size(); ++c) {
            if (d.celdas[c].oscura) {
                pintor.fillRect(QRectF(QPointF(x[c] + relleno, y + 1.2 * u),
                                       QPointF(x[c + 1] - relleno, y + p.altoFila[f] - 1.2 * u)),
                                colorOscuro);
            }
        }
        y += p.altoFila[f];
    }
    const double fondoTabla = y;

    // Rules: under every row, and between groups of columns.
    pintor.setBrush(Qt::NoBrush);
    pintor.setPen(QPen(colorRaya, 0.4 * u));
    y = p.yFilas;
    for (double alto : p.altoFila) {
        y += alto;
        pintor.drawLine(QPointF(x.front(), y), QPointF(x.back(), y));
    }
    for (std::size_t c = 1; c < n; ++c) {
        if (a.columnas[c].grupo.isEmpty() || a.columnas[c].grupo != a.columnas[c - 1].grupo) {
            pintor.drawLine(QPointF(x[c], p.yGrupos), QPointF(x[c], fondoTabla));
        }
    }
    pintor.setPen(QPen(colorRayaFuerte, 0.8 * u));
    pintor.drawLine(QPointF(x.front(), p.yFilas), QPointF(x.back(), p.yFilas));
    pintor.drawLine(QPointF(x.front(), fondoTabla), QPointF(x.back(), fondoTabla));

    // Headers: each group's title centred over its columns with a rule
    // under it, then the columns' titles.
    pintor.setFont(p.negrita);
    for (std::size_t c = 0; c < n;) {
        std::size_t fin = c + 1;
        while (fin < n && a.columnas[fin].grupo == a.columnas[c].grupo) ++fin;
        if (!a.columnas[c].grupo.isEmpty()) {
            const QRectF caja(QPointF(x[c], p.yGrupos), QPointF(x[fin], p.yTitulos));
            pintor.setPen(colorTexto);
            pintor.drawText(caja, Qt::AlignCenter, a.columnas[c].grupo);
            pintor.setPen(QPen(colorRaya, 0.4 * u));
            pintor.drawLine(QPointF(x[c] + relleno, p.yTitulos),
                            QPointF(x[fin] - relleno, p.yTitulos));
        }
        c = fin;
    }
    pintor.setPen(colorTexto);
    for (std::size_t c = 0; c < n; ++c) {
        const QRectF caja(QPointF(x[c] + relleno, p.yTitulos),
                          QPointF(x[c + 1] - relleno, p.yFilas));
        pintor.drawText(caja,
                        (a.columnas[c].derecha ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                        a.columnas[c].titulo);
    }

    // The cells.
    pintor.setFont(p.letra);
    y = p.yFilas;
    for (std::size_t f = 0; f < p.dias.size(); ++f) {
        const Dia& d = *p.dias[f];
        for (std::size_t c = 0; c < n && c < d.celdas.size(); ++c) {
            const Celda& celda = d.celdas[c];
            if (celda.texto.isEmpty()) continue;
            const QRectF caja(QPointF(x[c] + relleno, y),
                              QPointF(x[c + 1] - relleno, y + p.altoFila[f]));
            pintor.setPen(celda.oscura ? Qt::white : colorTexto);
            const int alineacion =
                (a.columnas[c].derecha ? Qt::AlignRight : Qt::AlignLeft) |
                (p.envuelve[c] ? Qt::AlignTop | Qt::TextWordWrap : Qt::AlignVCenter);
            // A wrapped cell starts where a single line would sit.
            const QRectF dentro =
                p.envuelve[c]
                    ? caja.adjusted(
                          0,
                          (p.altoLinea - QFontMetricsF(p.letra, pintor.device()).lineSpacing()) / 2,
                          0, 0)
                    : caja;
            pintor.drawText(dentro, alineacion, celda.texto);
        }
        y += p.altoFila[f];
    }

    // Notes of the clock changes.
    pintor.setPen(colorTexto);
    if (!p.notas.isEmpty()) {
        pintor.drawText(p.cajaNotas, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                        p.notas.join(QLatin1Char('\n')));
    }

    // Legend.
    for (const Entrada& e : p.leyenda) {
        const QRectF muestra(e.caja.left(), e.caja.top() + e.caja.height() * 0.18, e.muestra,
                             e.caja.height() * 0.64);
        switch (e.tipo) {
            case TipoEntrada::Texto: break;
            case TipoEntrada::CajaOscura: pintor.fillRect(muestra, colorOscuro); break;
            case TipoEntrada::FinDeSemana:
                pintor.fillRect(muestra, colorFinDeSemana);
                pintor.setPen(QPen(colorRaya, 0.4 * u));
                pintor.drawRect(muestra);
                break;
            case TipoEntrada::Cambio: {
                const double alto = muestra.width();
                const QPointF punta(muestra.right(), muestra.center().y());
                pintor.setPen(Qt::NoPen);
                pintor.setBrush(colorCambio);
                pintor.drawPolygon(QPolygonF({punta, punta + QPointF(-alto, -alto * 0.6),
                                              punta + QPointF(-alto, alto * 0.6)}));
                pintor.setBrush(Qt::NoBrush);
                break;
            }
        }
        pintor.setPen(colorTexto);
        pintor.drawText(e.caja.adjusted(e.muestra, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        e.texto);
    }
    pintor.drawText(p.cajaMetodo, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, o.metodo);

    DibujaPie(pintor, hoja, u, p.letra, o, pagina, paginas);
    pintor.restore();
}

}  // namespace

void DibujaMes(QPainter& pintor, const QRectF& hoja, double punto, const Almanaque& a,
               year_month mes, const FormaPagina& forma, const OpcionesDocumento& o, int pagina,
               int paginas) {
    const auto [letra, negrita] = LetrasDeTabla(forma, punto);
    DibujaMesCon(pintor, hoja, punto, a, mes, forma,
                 MideTextos(*pintor.device(), letra, negrita, punto, a), o, pagina, paginas);
}

QTransform GiroDePagina(const QSizeF& hoja, QPageLayout::Orientation pagina) {
    const bool apaisada = hoja.width() > hoja.height();
    if (apaisada == (pagina == QPageLayout::Landscape)) return {};
    QTransform t;
    if (pagina == QPageLayout::Landscape) {
        // (x, y) -> (y, alto - x): the page's top on the sheet's left edge.
        t.translate(0, hoja.height());
        t.rotate(-90);
    } else {
        // (x, y) -> (ancho - y, x): the page's top on the sheet's right edge.
        t.translate(hoja.width(), 0);
        t.rotate(90);
    }
    return t;
}

bool DibujaDocumento(QPagedPaintDevice& dispositivo, const Almanaque& a, const OpcionesDocumento& o,
                     const std::function<bool(int, int)>& progreso, Orientaciones orientaciones) {
    if (a.dias.empty()) return false;
    const double punto = dispositivo.logicalDpiX() / 72.0;
    const std::vector<year_month> meses = MesesDe(a);
    const FormaPagina forma = EligeForma(dispositivo, punto, a, o);
    const auto [letra, negrita] = LetrasDeTabla(forma, punto);
    const Textos textos = MideTextos(dispositivo, letra, negrita, punto, a);
    const int paginas = int(meses.size()) + (o.grafico ? 1 : 0);
    const QFont letraPie = Letra(CuerpoMinimo, punto);
    const bool unaSola = orientaciones == Orientaciones::UnaSola;

    auto orientacion = [&](int pagina) {
        return o.grafico && pagina == 1 ? QPageLayout::Landscape : forma.orientacion;
    };
    dispositivo.setPageLayout(
        DisenoDePagina(o.papel, unaSola ? forma.orientacion : orientacion(1)));
    QPainter pintor;
    if (!pintor.begin(&dispositivo)) return false;
    for (int pagina = 1; pagina <= paginas; ++pagina) {
        if (progreso && !progreso(pagina - 1, paginas)) {
            pintor.end();
            return false;
        }
        if (pagina > 1) {
            // A printer refuses a new layout once the job has begun (and
            // says so on stderr): asked only of a device that takes one.
            if (!unaSola) dispositivo.setPageLayout(DisenoDePagina(o.papel, orientacion(pagina)));
            if (!dispositivo.newPage()) return false;
        }
        const QRectF hoja = Hoja(DisenoDePagina(o.papel, orientacion(pagina)), punto);
        // The sheet as the device has it; a page of the other orientation
        // turned a quarter onto it.
        const QPageLayout::Orientation real = dispositivo.pageLayout().orientation();
        pintor.save();
        pintor.setTransform(
            GiroDePagina(Hoja(DisenoDePagina(o.papel, real), punto).size(), orientacion(pagina)),
            true);
        if (o.grafico && pagina == 1) {
            const QFontMetricsF m(letraPie, &dispositivo);
            const QRectF marco = hoja.adjusted(0, 0, 0, -(m.lineSpacing() + 4.0 * punto));
            DibujaGrafico(pintor, marco, a, OpcionesGrafico{o.luna, punto, o.dorada});
            DibujaPie(pintor, hoja, punto, letraPie, o, pagina, paginas);
        } else {
            const int mes = pagina - 1 - (o.grafico ? 1 : 0);
            DibujaMesCon(pintor, hoja, punto, a, meses[std::size_t(mes)], forma, textos, o, pagina,
                         paginas);
        }
        pintor.restore();
    }
    if (progreso) progreso(paginas, paginas);
    return pintor.end();
}

bool EscribePdf(QIODevice& salida, const Almanaque& a, const OpcionesDocumento& o,
                const std::function<bool(int, int)>& progreso) {
    if (a.dias.empty()) return false;
    QPdfWriter escritor(&salida);
    escritor.setCreator(o.programa);
    escritor.setTitle(TituloGrafico(a));
    return DibujaDocumento(escritor, a, o, progreso);
}

}  // namespace Vespalba::Dibujo

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dibujo/grafico.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

#include "espanol.h"
#include "letras.h"

using namespace std::chrono;

namespace Vespalba::Dibujo {

namespace {

// Sizes of the chart's parts, typographic points.
constexpr double Margen = 8.0;         // around the whole chart
constexpr double CuerpoTitulo = 12.0;  // first title line
constexpr double CuerpoSubtitulo = 8.5;
constexpr double CuerpoEtiqueta = 8.5;  // hours and months
constexpr double CuerpoDia = 7.0;       // the days' numbers
constexpr double CuerpoLeyenda = 8.0;
constexpr double Separacion = 5.0;  // between the parts
constexpr double AltoMarca = 5.0;   // the clock change's triangle
constexpr double Muestra = 10.0;    // width of a legend's swatch
constexpr double EntreEntradas = 12.0;

const QColor colorTexto(0x22, 0x22, 0x22);
const QColor colorMarco(0x44, 0x44, 0x44);
const QColor colorCambio(0xd3, 0x54, 0x00);  // the clock change's mark
const QColor colorSaltada(0xbb, 0xbb, 0xbb);

// What a legend's entry shows beside its words.
enum class TipoMuestra { Banda, Luna, Dorada, Azul, Cambio, Saltada };

struct Entrada {
    TipoMuestra tipo;
    Banda banda = Banda::Noche;
    QString texto;
    QRectF caja;  // swatch and words, in the painter's units
};

// A label placed under the bands.
struct Rotulo {
    QString texto;
    QRectF caja;
};

// The whole layout: the public Disposicion and what only drawing needs.
struct Plano {
    Disposicion d;
    QFont titulo, subtitulo, etiqueta, dia, leyenda;
    QString linea1, linea2;
    QRectF cajaLinea1, cajaLinea2;
    double anchoHoras = 0.0;  // width of the hour labels' column on each side
    int pasoHoras = 1;        // hours between two hour labels
    double yMarcas = 0.0;     // top of the clock changes' triangles
    std::vector<Rotulo> dias;
    std::vector<Rotulo> meses;
    std::vector<double> limitesMes;  // x of the lines between months
    std::vector<Entrada> entradas;
};

bool HayCambios(const Almanaque& a) {
    return std::any_of(a.dias.begin(), a.dias.end(),
                       [](const Dia& d) { return d.existe && d.CambiaLaHora(); });
}

bool HaySaltadas(const Almanaque& a) {
    return std::any_of(a.dias.begin(), a.dias.end(), [](const Dia& d) { return !d.existe; });
}

QString SegundaLinea(const Titulo& t) {
    QStringList partes;
    if (!t.lugar.isEmpty() && !t.coordenadas.isEmpty()) partes << t.coordenadas;
    const QString zona = QStringLiteral("zona horaria ") + t.zona + TextoDesfases(t.desfases);
    if (!t.zona.isEmpty()) partes << zona;
    partes << QStringLiteral("horas del reloj local");
    return partes.join(QStringLiteral(" · "));
}

std::vector<Entrada> Entradas(const Almanaque& a, const OpcionesGrafico& o) {
    std::vector<Entrada> e = {
        {TipoMuestra::Banda, Banda::Noche, QStringLiteral("Noche"), {}},
        {TipoMuestra::Banda, Banda::Astronomico, QStringLiteral("Crepúsculo astronómico"), {}},
        {TipoMuestra::Banda, Banda::Nautico, QStringLiteral("Crepúsculo náutico"), {}},
        {TipoMuestra::Banda, Banda::Civil, QStringLiteral("Crepúsculo civil"), {}},
        {TipoMuestra::Banda, Banda::Dia, QStringLiteral("Día: Sol sobre el horizonte"), {}},
    };
    if (o.dorada) {
        e.push_back({TipoMuestra::Azul, {}, QStringLiteral("Hora azul: Sol de −6° a −4°"), {}});
        e.push_back({TipoMuestra::Dorada, {}, QStringLiteral("Hora dorada: Sol de −4° a +6°"), {}});
    }
    if (o.luna) e.push_back({TipoMuestra::Luna, {}, QStringLiteral("Luna sobre el horizonte"), {}});
    if (HayCambios(a)) e.push_back({TipoMuestra::Cambio, {}, QStringLiteral("Cambio de hora"), {}});
    if (HaySaltadas(a)) {
        e.push_back({TipoMuestra::Saltada, {}, QStringLiteral("Fecha que el reloj salta"), {}});
    }
    return e;
}

Plano Planifica(const QPaintDevice& dispositivo, const QRectF& marco, const Almanaque& a,
                const OpcionesGrafico& o) {
    Plano p;
    const double u = o.punto > 0 ? o.punto : PuntoDeMarco(marco.size());
    p.d.marco = marco;
    p.d.punto = u;
    p.d.dias = int(a.dias.size());
    p.titulo = Letra(CuerpoTitulo, u, true);
    p.subtitulo = Letra(CuerpoSubtitulo, u);
    p.etiqueta = Letra(CuerpoEtiqueta, u);
    p.dia = Letra(CuerpoDia, u);
    p.leyenda = Letra(CuerpoLeyenda, u);
    const QFontMetricsF mTitulo(p.titulo, &dispositivo);
    const QFontMetricsF mSubtitulo(p.subtitulo, &dispositivo);
    const QFontMetricsF mEtiqueta(p.etiqueta, &dispositivo);
    const QFontMetricsF mDia(p.dia, &dispositivo);
    const QFontMetricsF mLeyenda(p.leyenda, &dispositivo);

    const QRectF dentro = marco.adjusted(Margen * u, Margen * u, -Margen * u, -Margen * u);

    // Title: two lines, shortened with an ellipsis only when the frame is
    // too narrow for them.
    p.linea1 = mTitulo.elidedText(TituloGrafico(a), Qt::ElideRight, dentro.width());
    p.linea2 = mSubtitulo.elidedText(SegundaLinea(a.titulo), Qt::ElideRight, dentro.width());
    p.cajaLinea1 = QRectF(dentro.left(), dentro.top(), dentro.width(), mTitulo.height());
    p.cajaLinea2 =
        QRectF(dentro.left(), p.cajaLinea1.bottom(), dentro.width(), mSubtitulo.height());
    const double arriba = p.cajaLinea2.bottom() + Separacion * u;

    // Legend: its entries in rows as wide as the frame, centred, at the bottom.
    p.entradas = Entradas(a, o);
    std::vector<std::vector<std::size_t>> filas(1);
    std::vector<double> anchoFila(1, 0.0);
    for (std::size_t i = 0; i < p.entradas.size(); ++i) {
        const double ancho = (Muestra + 3.0) * u + mLeyenda.horizontalAdvance(p.entradas[i].texto);
        const double con =
            anchoFila.back() + (filas.back().empty() ? 0 : EntreEntradas * u) + ancho;
        if (!filas.back().empty() && con > dentro.width()) {
            filas.emplace_back();
            anchoFila.push_back(0.0);
        }
        anchoFila.back() += (filas.back().empty() ? 0 : EntreEntradas * u) + ancho;
        filas.back().push_back(i);
    }
    const double altoFila = mLeyenda.height() * 1.25;
    double y = dentro.bottom() - altoFila * double(filas.size());
    const double arribaLeyenda = y;
    for (std::size_t f = 0; f < filas.size(); ++f, y += altoFila) {
        double x = dentro.left() + std::max(0.0, (dentro.width() - anchoFila[f]) / 2);
        for (std::size_t i : filas[f]) {
            const double ancho =
                (Muestra + 3.0) * u + mLeyenda.horizontalAdvance(p.entradas[i].texto);
            p.entradas[i].caja = QRectF(x, y, ancho, altoFila);
            x += ancho + EntreEntradas * u;
        }
    }

    // Under the bands: the clock changes' marks, the days' numbers (only
    // where there is room for them), the months' names.
    const double abajoMeses = arribaLeyenda - Separacion * u;
    const double altoMes = mEtiqueta.height();
    const double altoDia = mDia.height();
    const double altoMarcas = AltoMarca * u + 2.0 * u;

    p.anchoHoras = mEtiqueta.horizontalAdvance(QStringLiteral("24:00")) + 4.0 * u;
    const double izquierda = dentro.left() + p.anchoHoras;
    const double derecha = dentro.right() - p.anchoHoras;
    const int n = std::max(1, p.d.dias);
    const double anchoDia = (derecha - izquierda) / n;

    // Days' numbers fit when a two-digit number fits its column, or fits
    // five columns (then 1, 5, 10, 15, 20 and 25 only).
    const double anchoNumero = mDia.horizontalAdvance(QStringLiteral("00")) + 1.5 * u;
    const bool cadaDia = anchoDia >= anchoNumero;
    const bool cadaCinco = !cadaDia && anchoDia * 5 >= anchoNumero * 1.2;
    const bool conDias = cadaDia || cadaCinco;
    const double fondo =
        abajoMeses - altoMes - (conDias ? altoDia : 0.0) - altoMarcas;  // bottom of the bands
    p.d.area = QRectF(QPointF(izquierda, arriba), QPointF(derecha, std::max(arriba + 1.0, fondo)));
    p.yMarcas = p.d.area.bottom() + 1.0 * u;
    const double yDias = p.d.area.bottom() + altoMarcas;
    const double yMeses = yDias + (conDias ? altoDia : 0.0);

    // Hour labels every 1, 2, 3, 6 or 12 hours, whichever first leaves a
    // line and a half between two labels.
    for (int paso : {1, 2, 3, 6, 12}) {
        p.pasoHoras = paso;
        if (p.d.area.height() * paso / 24.0 >= mEtiqueta.height() * 1.5) break;
    }

    if (p.d.dias == 0) return p;
    const bool variosAnios = a.dias.front().fecha.year() != a.dias.back().fecha.year();
    double finUltimoDia = -1e300;
    int inicioMes = 0;
    for (int i = 0; i < p.d.dias; ++i) {
        const year_month_day f = a.dias[std::size_t(i)].fecha;
        const int numero = int(unsigned(f.day()));
        if (cadaDia || (cadaCinco && (numero == 1 || (numero % 5 == 0 && numero != 30)))) {
            const QString t = QString::number(numero);
            const double ancho = mDia.horizontalAdvance(t);
            const double centro = (p.d.Izquierda(i) + p.d.Derecha(i)) / 2;
            const QRectF caja(centro - ancho / 2, yDias, ancho, altoDia);
            if (caja.left() > finUltimoDia + 0.5 * u) {
                p.dias.push_back({t, caja});
                finUltimoDia = caja.right();
            }
        }
        const bool ultimo = i + 1 == p.d.dias;
        if (ultimo || a.dias[std::size_t(i + 1)].fecha.month() != f.month() ||
            a.dias[std::size_t(i + 1)].fecha.year() != f.year()) {
            // The month from inicioMes to i: its name in the longest form that
            // fits its columns.
            const double x0 = p.d.Izquierda(inicioMes);
            const double x1 = p.d.Derecha(i);
            QStringList formas;
            const QString nombre = NombreMes(f.month());
            if (variosAnios)
                formas << nombre + QStringLiteral(" ") + QString::number(int(f.year()));
            formas << nombre << MesAbreviado(f.month()) << nombre.left(1).toUpper();
            for (const QString& forma : formas) {
                const double ancho = mEtiqueta.horizontalAdvance(forma);
                if (ancho + 2.0 * u <= x1 - x0) {
                    p.meses.push_back(
                        {forma, QRectF((x0 + x1 - ancho) / 2, yMeses, ancho, altoMes)});
                    break;
                }
            }
            if (!ultimo) p.limitesMes.push_back(x1);
            inicioMes = i + 1;
        }
    }
    return p;
}

// The triangle that marks a clock change: pointing up, its tip at `punta`.
QPolygonF Triangulo(QPointF punta, double alto) {
    return QPolygonF(
        {punta, punta + QPointF(alto * 0.6, alto), punta + QPointF(-alto * 0.6, alto)});
}

QString HoraEtiqueta(int hora) {
    return QStringLiteral("%1:00").arg(hora, 2, 10, QLatin1Char('0'));
}

}  // namespace

QColor ColorBanda(Banda banda) {
    switch (banda) {
        case Banda::Noche: return QColor(0x0b, 0x1d, 0x3a);
        case Banda::Astronomico: return QColor(0x1f, 0x3d, 0x73);
        case Banda::Nautico: return QColor(0x3a, 0x66, 0xab);
        case Banda::Civil: return QColor(0x86, 0xae, 0xdc);
        case Banda::Dia: return QColor(0xfc, 0xe8, 0xa6);
    }
    return {};
}

QColor ColorLuna() { return QColor(0xe6, 0xe6, 0xff, 0x70); }

// WCAG 2 contrast ratios: the golden hour's dark gold 3.1:1 against the
// day's pale yellow and 3.1:1 against the blue hour's pale sky blue, which
// is 4.7:1 against the nautical twilight's blue below it.
QColor ColorDorada() { return QColor(0xa8, 0x7a, 0x00); }
QColor ColorAzul() { return QColor(0xd0, 0xea, 0xff); }

double PuntoDeMarco(const QSizeF& marco) {
    // Letters grow with the frame, but shrink more slowly than it below
    // 1600 x 900, so that a small picture stays legible.
    const double escala = std::min(marco.width() / 1600.0, marco.height() / 900.0);
    return std::max(0.9, 1.45 * (escala >= 1.0 ? escala : std::sqrt(escala)));
}

Disposicion DisponeGrafico(const QPaintDevice& dispositivo, const QRectF& marco,
                           const Almanaque& almanaque, const OpcionesGrafico& opciones) {
    return Planifica(dispositivo, marco, almanaque, opciones).d;
}

QString TituloGrafico(const Almanaque& a) {
    QString lugar = a.titulo.lugar.isEmpty() ? a.titulo.coordenadas : a.titulo.lugar;
    if (a.dias.empty()) return lugar;
    return lugar + QStringLiteral(" — ") +
           TextoIntervalo(a.dias.front().fecha, a.dias.back().fecha);
}

void DibujaGrafico(QPainter& pintor, const QRectF& marco, const Almanaque& a,
                   const OpcionesGrafico& o) {
    if (a.dias.empty()) return;
    const Plano p = Planifica(*pintor.device(), marco, a, o);
    const Disposicion& d = p.d;
    const double u = d.punto;
    pintor.save();

    // The bands: night under everything, then each brighter band over the
    // hours its lower threshold is passed, so that every hour shows the
    // brightest band the Sun reaches (BandaEnHora). One path per band, its
    // days' rectangles joined (no seams between columns in a vector file).
    pintor.setRenderHint(QPainter::Antialiasing, false);
    pintor.setPen(Qt::NoPen);
    pintor.fillRect(d.area, ColorBanda(Banda::Noche));
    // On a picture each rectangle is filled on its own (the columns share
    // edges and no pixel is filled twice; a path of hundreds of rectangles
    // costs the raster engine a hundred times more).
    const bool raster = pintor.paintEngine()->type() == QPaintEngine::Raster;
    auto rellena = [&](auto&& tramos, const QBrush& brocha) {
        QPainterPath camino;
        camino.setFillRule(Qt::WindingFill);
        for (int i = 0; i < d.dias; ++i) {
            const Dia& dia = a.dias[std::size_t(i)];
            if (!dia.existe) continue;
            for (const Tramo& t : tramos(dia)) {
                const QRectF r(QPointF(d.Izquierda(i), d.Y(t.desde)),
                               QPointF(d.Derecha(i), d.Y(t.hasta)));
                if (raster) {
                    pintor.fillRect(r, brocha);
                } else {
                    camino.addRect(r);
                }
            }
        }
        if (!camino.isEmpty()) pintor.fillPath(camino, brocha);
    };
    for (Banda b : {Banda::Astronomico, Banda::Nautico, Banda::Civil, Banda::Dia}) {
        rellena([b](const Dia& dia) { return TramosSobre(dia[ClaseDeBanda(b)]); }, ColorBanda(b));
    }
    if (o.dorada) {
        rellena([](const Dia& dia) { return TramosAzul(dia); }, ColorAzul());
        rellena([](const Dia& dia) { return TramosDorada(dia); }, ColorDorada());
    }
    if (o.luna) {
        rellena([](const Dia& dia) { return TramosSobre(dia[Clase::Luna]); }, ColorLuna());
    }
    // A date the clock skips: no hours at all.
    for (int i = 0; i < d.dias; ++i) {
        if (a.dias[std::size_t(i)].existe) continue;
        const QRectF columna(QPointF(d.Izquierda(i), d.area.top()),
                             QPointF(d.Derecha(i), d.area.bottom()));
        pintor.fillRect(columna, Qt::white);
        pintor.fillRect(columna, QBrush(colorSaltada, Qt::BDiagPattern));
    }

    // The hour grid over the bands, grey and translucent so that it shows on
    // the night and on the day; stronger every six hours and between months.
    pintor.setRenderHint(QPainter::Antialiasing, true);
    for (int h = 1; h < 24; ++h) {
        const bool fuerte = h % 6 == 0;
        pintor.setPen(QPen(QColor(128, 128, 128, fuerte ? 150 : 70), (fuerte ? 0.8 : 0.5) * u));
        pintor.drawLine(QPointF(d.area.left(), d.Y(h)), QPointF(d.area.right(), d.Y(h)));
    }
    pintor.setPen(QPen(QColor(128, 128, 128, 170), 0.8 * u));
    for (double x : p.limitesMes) {
        pintor.drawLine(QPointF(x, d.area.top()), QPointF(x, d.area.bottom()));
    }
    pintor.setPen(QPen(colorMarco, 0.8 * u));
    pintor.setBrush(Qt::NoBrush);
    pintor.drawRect(d.area);

    // The clock changes: a triangle under each day whose clock changes.
    pintor.setPen(Qt::NoPen);
    pintor.setBrush(colorCambio);
    for (int i = 0; i < d.dias; ++i) {
        const Dia& dia = a.dias[std::size_t(i)];
        if (!dia.existe || !dia.CambiaLaHora()) continue;
        const double centro = (d.Izquierda(i) + d.Derecha(i)) / 2;
        pintor.drawPolygon(Triangulo(QPointF(centro, p.yMarcas), AltoMarca * u));
    }

    // Labels: hours on both sides, the days' numbers and the months.
    pintor.setPen(colorTexto);
    pintor.setBrush(Qt::NoBrush);
    pintor.setFont(p.etiqueta);
    const QFontMetricsF mEtiqueta(p.etiqueta, pintor.device());
    for (int h = 0; h <= 24; h += p.pasoHoras) {
        const QString t = HoraEtiqueta(h);
        const double alto = mEtiqueta.height();
        const QRectF izq(d.marco.left() + Margen * u, d.Y(h) - alto / 2, p.anchoHoras - 3.0 * u,
                         alto);
        const QRectF der(d.area.right() + 3.0 * u, d.Y(h) - alto / 2, p.anchoHoras - 3.0 * u, alto);
        pintor.drawText(izq, Qt::AlignRight | Qt::AlignVCenter, t);
        pintor.drawText(der, Qt::AlignLeft | Qt::AlignVCenter, t);
    }
    for (const Rotulo& r : p.meses) pintor.drawText(r.caja, Qt::AlignCenter, r.texto);
    pintor.setFont(p.dia);
    for (const Rotulo& r : p.dias) pintor.drawText(r.caja, Qt::AlignCenter, r.texto);

    // Title.
    pintor.setFont(p.titulo);
    pintor.drawText(p.cajaLinea1, Qt::AlignLeft | Qt::AlignVCenter, p.linea1);
    pintor.setFont(p.subtitulo);
    pintor.drawText(p.cajaLinea2, Qt::AlignLeft | Qt::AlignVCenter, p.linea2);

    // Legend.
    pintor.setFont(p.leyenda);
    for (const Entrada& e : p.entradas) {
        const QRectF muestra(e.caja.left(), e.caja.center().y() - 3.5 * u, Muestra * u, 7.0 * u);
        pintor.setPen(QPen(colorMarco, 0.5 * u));
        switch (e.tipo) {
            case TipoMuestra::Banda: pintor.setBrush(ColorBanda(e.banda)); break;
            case TipoMuestra::Luna:
                // The translucent Moon as it looks over the night.
                pintor.setBrush(ColorBanda(Banda::Noche));
                pintor.drawRect(muestra);
                pintor.setBrush(ColorLuna());
                break;
            case TipoMuestra::Dorada: pintor.setBrush(ColorDorada()); break;
            case TipoMuestra::Azul: pintor.setBrush(ColorAzul()); break;
            case TipoMuestra::Saltada:
                pintor.setBrush(QBrush(colorSaltada, Qt::BDiagPattern));
                break;
            case TipoMuestra::Cambio: break;
        }
        if (e.tipo == TipoMuestra::Cambio) {
            pintor.setPen(Qt::NoPen);
            pintor.setBrush(colorCambio);
            pintor.drawPolygon(
                Triangulo(QPointF(muestra.center().x(), muestra.top()), muestra.height()));
        } else {
            pintor.drawRect(muestra);
        }
        pintor.setPen(colorTexto);
        pintor.setBrush(Qt::NoBrush);
        pintor.drawText(e.caja.adjusted((Muestra + 3.0) * u, 0, 0, 0),
                        Qt::AlignLeft | Qt::AlignVCenter, e.texto);
    }
    pintor.restore();
}

QImage GraficoImagen(const Almanaque& almanaque, const QSize& tamano,
                     const OpcionesGrafico& opciones) {
    QImage imagen(tamano, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    QPainter pintor(&imagen);
    DibujaGrafico(pintor, QRectF(QPointF(0, 0), QSizeF(tamano)), almanaque, opciones);
    return imagen;
}

bool EscribePng(QIODevice& salida, const Almanaque& almanaque, const QSize& tamano,
                const OpcionesGrafico& opciones) {
    QImageWriter escritor(&salida, "png");
    return escritor.write(GraficoImagen(almanaque, tamano, opciones));
}

bool EscribeSvg(QIODevice& salida, const Almanaque& almanaque, const QSize& tamano,
                const OpcionesGrafico& opciones) {
    QSvgGenerator svg;
    svg.setOutputDevice(&salida);
    svg.setSize(tamano);
    svg.setViewBox(QRect(QPoint(0, 0), tamano));
    // The size written in millimetres: a browser's CSS pixel is 1/96 inch.
    svg.setResolution(96);
    svg.setTitle(TituloGrafico(almanaque));
    svg.setDescription(SegundaLinea(almanaque.titulo));
    QPainter pintor;
    if (!pintor.begin(&svg)) return false;
    pintor.fillRect(QRectF(QPointF(0, 0), QSizeF(tamano)), Qt::white);
    DibujaGrafico(pintor, QRectF(QPointF(0, 0), QSizeF(tamano)), almanaque, opciones);
    return pintor.end();
}

}  // namespace Vespalba::Dibujo

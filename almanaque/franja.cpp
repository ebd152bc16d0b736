// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/franja.h"

#include <QColor>
#include <QDate>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "dias/celdas.h"
#include "dibujo/grafico.h"
#include "lugares/zonas.h"

namespace Vespalba::Almanaque {

using ModuloVespalba::ClaseEvento;
using ModuloVespalba::EstadoClase;
using ModuloVespalba::EventoClase;

namespace {

constexpr qint64 SegundosPorHora = 3600;
constexpr qint64 SegundosPorDia = 86400;

// a / b and a mod b rounded toward minus infinity (b > 0), for instants
// before 1970 as after.
qint64 DivisionEntera(qint64 a, qint64 b) { return a / b - ((a % b != 0 && a < 0) ? 1 : 0); }
qint64 Resto(qint64 a, qint64 b) { return a - DivisionEntera(a, b) * b; }

// The classes whose thresholds make the levels, darkest threshold last.
constexpr std::array<ClaseEvento, 4> ClasesDelSol = {
    ClaseEvento::Sol, ClaseEvento::Civil, ClaseEvento::Nautico, ClaseEvento::Astronomico};

int Indice(ClaseEvento c) { return static_cast<int>(c) - 1; }

// The civil day as an interval of universal time and the clock over it.
struct RelojFranja {
    qint64 inicio = 0;  // the day's first instant, seconds since 1970 UT
    qint64 fin = 0;     // the next day's first instant
    // The offset in force (seconds east of UT) from each instant on, in
    // time order, the first at `inicio`.
    std::vector<std::pair<qint64, int>> desfases;
};

std::optional<RelojFranja> RelojDelDia(const Dias::Consulta& consulta,
                                       const Dias::DiaCalculado& d) {
    RelojFranja r;
    const qint64 dias = qint64(std::chrono::sys_days{d.fecha}.time_since_epoch().count());
    if (!consulta.zonaHoraria.isEmpty()) {
        const QTimeZone zona(consulta.zonaHoraria.toLatin1());
        if (zona.isValid()) {
            const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                              int(unsigned(d.fecha.day())));
            const DiaCivil civil = DescribeDia(zona, fecha);
            if (!civil.existe || !(civil.inicio < civil.fin)) return std::nullopt;
            r.inicio = civil.inicio.toSecsSinceEpoch();
            r.fin = civil.fin.toSecsSinceEpoch();
            r.desfases.push_back({r.inicio, civil.inicio.offsetFromUtc()});
            for (const QTimeZone::OffsetData& cambio : civil.cambios) {
                const qint64 t = cambio.atUtc.toSecsSinceEpoch();
                if (t > r.inicio && t < r.fin) r.desfases.push_back({t, cambio.offsetFromUtc});
            }
            std::sort(r.desfases.begin(), r.desfases.end());
            return r;
        }
    }
    // A fixed offset (the one the day was computed with): midnight at it,
    // 24 hours.
    r.inicio = dias * SegundosPorDia - d.desfase;
    r.fin = r.inicio + SegundosPorDia;
    r.desfases.push_back({r.inicio, d.desfase});
    return r;
}

// Whether the Sun is above a threshold at instant t (seconds since 1970 UT)
// according to the day's search of its crossings (`e`, with their instants
// `cruces`: rise, set): a threshold the Sun stays above or below does so
// all day; with events, the rise and the set in their time order decide
// (one rise alone: above after it; one set alone: above before it).
bool Sobre(const EventoClase& e, const std::array<Dias::Instante, 2>& cruces, double t) {
    switch (e.estado) {
        case EstadoClase::SiempreSobre: return true;
        case EstadoClase::SiempreBajo: return false;
        case EstadoClase::ConEventos: break;
    }
    const double orto = double(cruces[0].segundos);
    const double ocaso = double(cruces[1].segundos);
    if (e.hayOrto && e.hayOcaso) {
        return orto <= ocaso ? (orto <= t && t < ocaso) : (t < ocaso || orto <= t);
    }
    if (e.hayOrto) return orto <= t;
    if (e.hayOcaso) return t < ocaso;
    return false;
}

// The crossings of a threshold within (inicio, fin), added to `cortes`.
void AnadeCortes(const EventoClase& e, const std::array<Dias::Instante, 2>& cruces, qint64 inicio,
                 qint64 fin, std::vector<qint64>& cortes) {
    if (e.estado != EstadoClase::ConEventos) return;
    for (int k = 0; k < 2; ++k) {
        const qint64 t = cruces[std::size_t(k)].segundos;
        if ((k == 0 ? e.hayOrto : e.hayOcaso) && t > inicio && t < fin) cortes.push_back(t);
    }
}

// Sorted, each instant once.
void Ordena(std::vector<qint64>& cortes) {
    std::sort(cortes.begin(), cortes.end());
    cortes.erase(std::unique(cortes.begin(), cortes.end()), cortes.end());
}

int NivelEn(const Dias::DiaCalculado& d, double t) {
    int nivel = 0;
    for (const ClaseEvento c : ClasesDelSol) {
        if (Sobre(d.eventos[c], d.instantes[std::size_t(Indice(c))], t)) ++nivel;
    }
    return nivel;
}

// "5:12": seconds after the date's 0 h on the wall clock, minutes truncated.
QString TextoSegundos(qint64 s) {
    return QStringLiteral("%1:%2")
        .arg(DivisionEntera(s, SegundosPorHora))
        .arg(Resto(DivisionEntera(s, 60), 60), 2, 10, QLatin1Char('0'));
}

bool Finito(double x) { return std::isfinite(x); }

}  // namespace

DatosFranja FranjaDelDia(const Dias::Consulta& consulta, const Dias::DiaCalculado& d) {
    DatosFranja datos;
    if (!d.existe) return datos;
    const std::optional<RelojFranja> reloj = RelojDelDia(consulta, d);
    if (!reloj) return datos;
    const qint64 inicio = reloj->inicio;
    const qint64 fin = reloj->fin;
    const double duracion = double(fin - inicio);
    datos.horasDelDia = duracion / SegundosPorHora;
    auto posicion = [&](qint64 t) { return std::clamp(double(t - inicio) / duracion, 0.0, 1.0); };

    // The day cut at every rise and set of the four classes.
    std::vector<qint64> cortes = {inicio, fin};
    for (const ClaseEvento c : ClasesDelSol) {
        AnadeCortes(d.eventos[c], d.instantes[std::size_t(Indice(c))], inicio, fin, cortes);
    }
    Ordena(cortes);
    for (std::size_t i = 0; i + 1 < cortes.size(); ++i) {
        // No event inside the piece: its middle tells the level of all of it.
        const int nivel = NivelEn(d, 0.5 * (double(cortes[i]) + double(cortes[i + 1])));
        if (!datos.tramos.empty() && datos.tramos.back().nivel == nivel) {
            datos.tramos.back().hasta = posicion(cortes[i + 1]);
        } else {
            datos.tramos.push_back({posicion(cortes[i]), posicion(cortes[i + 1]), nivel});
        }
    }

    // The golden and blue hours: the day cut at every crossing of -6, -4
    // and +6 degrees; a piece above -6 and below -4 is blue, above -4 and
    // below +6 golden.
    if (d.luzEspecial) {
        const Dias::LuzEspecialDia& luz = *d.luzEspecial;
        std::vector<qint64> cortesLuz = {inicio, fin};
        for (std::size_t u = 0; u < luz.cruces.size(); ++u) {
            AnadeCortes(luz.cruces[u], luz.instantes[u], inicio, fin, cortesLuz);
        }
        Ordena(cortesLuz);
        for (std::size_t i = 0; i + 1 < cortesLuz.size(); ++i) {
            const double medio = 0.5 * (double(cortesLuz[i]) + double(cortesLuz[i + 1]));
            const bool sobreMenos6 = Sobre(luz.cruces[0], luz.instantes[0], medio);
            const bool sobreMenos4 = Sobre(luz.cruces[1], luz.instantes[1], medio);
            const bool sobreMas6 = Sobre(luz.cruces[2], luz.instantes[2], medio);
            std::optional<bool> dorada;
            if (sobreMenos4 && !sobreMas6) {
                dorada = true;
            } else if (sobreMenos6 && !sobreMenos4) {
                dorada = false;
            }
            if (!dorada) continue;
            const double desde = posicion(cortesLuz[i]), hasta = posicion(cortesLuz[i + 1]);
            if (!datos.luz.empty() && datos.luz.back().dorada == *dorada &&
                datos.luz.back().hasta == desde) {
                datos.luz.back().hasta = hasta;
            } else {
                datos.luz.push_back({desde, hasta, *dorada});
            }
        }
    }

    // Sunrise, solar noon and sunset, with the wall-clock times the day's
    // tables show.
    const EventoClase& sol = d.eventos[ClaseEvento::Sol];
    const auto& instantesSol = d.instantes[Indice(ClaseEvento::Sol)];
    if (sol.estado == EstadoClase::ConEventos && sol.hayOrto) {
        datos.marcas.push_back({posicion(instantesSol[0].segundos),
                                QStringLiteral("Orto ") + Dias::HoraDeReloj(sol.horaOrto)});
    }
    if (d.almanaque.horaMediodia && Finito(*d.almanaque.horaMediodia)) {
        datos.marcas.push_back(
            {posicion(d.almanaque.mediodia.segundos),
             QStringLiteral("Mediodía ") + Dias::HoraDeReloj(*d.almanaque.horaMediodia)});
    }
    if (sol.estado == EstadoClase::ConEventos && sol.hayOcaso) {
        datos.marcas.push_back({posicion(instantesSol[1].segundos),
                                QStringLiteral("Ocaso ") + Dias::HoraDeReloj(sol.horaOcaso)});
    }
    std::stable_sort(
        datos.marcas.begin(), datos.marcas.end(),
        [](const MarcaFranja& a, const MarcaFranja& b) { return a.posicion < b.posicion; });

    // Every whole hour of the wall clock: within each stretch of one offset,
    // the instants at which the clock reads hh:00.
    for (std::size_t k = 0; k < reloj->desfases.size(); ++k) {
        const auto [desde, desfase] = reloj->desfases[k];
        const qint64 hasta = k + 1 < reloj->desfases.size() ? reloj->desfases[k + 1].first : fin;
        // The first whole hour of the wall clock at or after `desde`.
        qint64 local = -DivisionEntera(-(desde + desfase), SegundosPorHora) * SegundosPorHora;
        for (; local - desfase < hasta; local += SegundosPorHora) {
            const qint64 hora = Resto(DivisionEntera(local, SegundosPorHora), 24);
            datos.horas.push_back({posicion(local - desfase), QString::number(hora)});
        }
    }
    return datos;
}

QString NombreNivel(int nivel) {
    switch (std::clamp(nivel, 0, 4)) {
        case 0: return QStringLiteral("noche");
        case 1: return QStringLiteral("crepúsculo astronómico");
        case 2: return QStringLiteral("crepúsculo náutico");
        case 3: return QStringLiteral("crepúsculo civil");
        default: return QStringLiteral("día");
    }
}

QString DescribeFranja(const DatosFranja& datos, bool conLuz) {
    if (datos.tramos.empty()) return QStringLiteral("Sin datos del día");
    const double horasDia =
        Finito(datos.horasDelDia) && datos.horasDelDia > 0 ? datos.horasDelDia : 24.0;
    const bool unTramo = datos.tramos.size() == 1;
    // The wall-clock reading at a position: the last tick at or before it
    // and the time elapsed since, in whole seconds.
    auto hora = [&](double p) {
        double base = 0.0;
        qint64 segundosBase = 0;
        for (const HoraFranja& h : datos.horas) {
            bool ok = false;
            const int numero = h.texto.toInt(&ok);
            if (!ok || !Finito(h.posicion) || h.posicion > p + 1e-12) break;
            base = h.posicion;
            segundosBase = qint64(numero) * SegundosPorHora;
        }
        return TextoSegundos(segundosBase + std::llround((p - base) * horasDia * 3600.0));
    };
    QStringList partes;
    if (unTramo) partes << NombreNivel(datos.tramos.front().nivel) + QStringLiteral(" todo el día");
    for (const TramoFranja& t : unTramo ? std::vector<TramoFranja>{} : datos.tramos) {
        if (!Finito(t.hasta)) continue;
        partes << QStringLiteral("%1 hasta %2")
                      .arg(NombreNivel(t.nivel), hora(std::clamp(t.hasta, 0.0, 1.0)));
    }
    QStringList luz;
    for (const TramoLuz& t : conLuz ? datos.luz : std::vector<TramoLuz>{}) {
        if (!Finito(t.desde) || !Finito(t.hasta)) continue;
        luz << QStringLiteral("%1 de %2 a %3")
                   .arg(t.dorada ? QStringLiteral("hora dorada") : QStringLiteral("hora azul"),
                        hora(std::clamp(t.desde, 0.0, 1.0)), hora(std::clamp(t.hasta, 0.0, 1.0)));
    }
    return partes.join(QStringLiteral(", ")) +
           (luz.isEmpty() ? QString() : QStringLiteral("; ") + luz.join(QStringLiteral(", ")));
}

// ------------------------------------------------------------------ the widget

namespace {

// The bands' colours, night to day, the same on light and dark themes: each
// reads against both a white and a near-black window, and the two ends
// contrast with each other.
const std::array<QColor, 5> ColoresNivel = {
    QColor(0x14, 0x1f, 0x4a),  // night: deep blue
    QColor(0x25, 0x3d, 0x78),  // astronomical twilight
    QColor(0x3e, 0x66, 0xa8),  // nautical twilight
    QColor(0x86, 0xad, 0xda),  // civil twilight: light sky blue
    QColor(0xf7, 0xe4, 0x9a),  // day: pale yellow
};
const QColor ColorBordeBanda(0x8c, 0x8c, 0x8c);
// An event's line across the band: a dark edge on either side of a light
// core, visible on night and day alike.
const QColor ColorLineaOscura(0x10, 0x10, 0x10);
const QColor ColorLineaClara(0xff, 0xff, 0xff);

// Heights, logical pixels.
constexpr double AltoBanda = 16.0;
constexpr double AltoMuesca = 3.0;          // an hour's tick below the band
constexpr double AltoMuescaRotulada = 5.0;  // a tick with its number
constexpr double Separacion = 2.0;
constexpr double HuecoTextos = 6.0;  // least space between two texts side by side

// Where the parts go in a widget of a given font.
struct Disposicion {
    double arribaTextos;  // top of the events' upper row
    double arribaBanda;
    double abajoBanda;
    double arribaHoras;       // top of the hours' numbers
    double arribaTextosBajo;  // top of the events' lower row
    double alto;              // the whole height needed
};

Disposicion DisposicionPara(const QFontMetricsF& fm) {
    Disposicion d;
    d.arribaTextos = 1.0;
    d.arribaBanda = d.arribaTextos + fm.height() + Separacion;
    d.abajoBanda = d.arribaBanda + AltoBanda;
    d.arribaHoras = d.abajoBanda + AltoMuescaRotulada;
    d.arribaTextosBajo = d.arribaHoras + fm.height();
    d.alto = std::ceil(d.arribaTextosBajo + fm.height() + 1.0);
    return d;
}

}  // namespace

FranjaDia::FranjaDia(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Franja del día"));
    setAccessibleDescription(DescribeFranja(datos_, conLuz_));
}

void FranjaDia::Muestra(const DatosFranja& datos) {
    // Only what can be drawn: finite positions within the day, levels 0 to 4.
    DatosFranja limpios;
    limpios.horasDelDia = datos.horasDelDia;
    for (TramoFranja t : datos.tramos) {
        if (!Finito(t.desde) || !Finito(t.hasta)) continue;
        t.desde = std::clamp(t.desde, 0.0, 1.0);
        t.hasta = std::clamp(t.hasta, 0.0, 1.0);
        t.nivel = std::clamp(t.nivel, 0, 4);
        limpios.tramos.push_back(t);
    }
    for (MarcaFranja m : datos.marcas) {
        if (!Finito(m.posicion)) continue;
        m.posicion = std::clamp(m.posicion, 0.0, 1.0);
        limpios.marcas.push_back(m);
    }
    for (HoraFranja h : datos.horas) {
        if (!Finito(h.posicion)) continue;
        h.posicion = std::clamp(h.posicion, 0.0, 1.0);
        limpios.horas.push_back(h);
    }
    for (TramoLuz t : datos.luz) {
        if (!Finito(t.desde) || !Finito(t.hasta)) continue;
        t.desde = std::clamp(t.desde, 0.0, 1.0);
        t.hasta = std::clamp(t.hasta, 0.0, 1.0);
        limpios.luz.push_back(t);
    }
    datos_ = std::move(limpios);
    setAccessibleDescription(DescribeFranja(datos_, conLuz_));
    update();
}

void FranjaDia::MuestraLuz(bool mostrar) {
    if (mostrar == conLuz_) return;
    conLuz_ = mostrar;
    setAccessibleDescription(DescribeFranja(datos_, conLuz_));
    update();
}

QSize FranjaDia::sizeHint() const {
    return {480, int(DisposicionPara(QFontMetricsF(font())).alto)};
}

QSize FranjaDia::minimumSizeHint() const {
    return {200, int(DisposicionPara(QFontMetricsF(font())).alto)};
}

void FranjaDia::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFontMetricsF fm(font());
    const Disposicion dis = DisposicionPara(fm);
    // Device pixels per logical one of what is painted on: the widget's
    // screen, or the image it is rendered into.
    const QPaintEngine* motor = p.paintEngine();
    const double escala =
        std::max(1.0, motor && motor->paintDevice() ? motor->paintDevice()->devicePixelRatioF()
                                                    : devicePixelRatioF());
    // To whole device pixels, so that edges stay sharp at any scale.
    auto ajusta = [escala](double x) { return std::round(x * escala) / escala; };
    // A line one logical pixel wide, in whole device pixels.
    const double grosor = std::max(1.0, std::round(escala)) / escala;

    // Room at both ends for half of an hour's number.
    const double margen = std::ceil(fm.horizontalAdvance(QStringLiteral("00")) / 2.0 + 2.0);
    const double izquierda = margen;
    const double ancho = std::max(1.0, width() - 2.0 * margen);
    auto x = [&](double posicion) { return ajusta(izquierda + posicion * ancho); };
    const QColor texto = palette().color(QPalette::WindowText);

    // The bands.
    const double arriba = ajusta(dis.arribaBanda);
    const double abajo = ajusta(dis.abajoBanda);
    p.setPen(Qt::NoPen);
    for (const TramoFranja& t : datos_.tramos) {
        const double x0 = x(t.desde), x1 = x(t.hasta);
        if (x1 <= x0) continue;
        p.setBrush(ColoresNivel[std::size_t(t.nivel)]);
        p.drawRect(QRectF(x0, arriba, x1 - x0, abajo - arriba));
    }
    // The blue and golden hours over them, as the year chart draws them.
    if (conLuz_) {
        for (const TramoLuz& t : datos_.luz) {
            const double x0 = x(t.desde), x1 = x(t.hasta);
            if (x1 <= x0) continue;
            p.setBrush(t.dorada ? Dibujo::ColorDorada() : Dibujo::ColorAzul());
            p.drawRect(QRectF(x0, arriba, x1 - x0, abajo - arriba));
        }
    }
    // The band's outline, inside its edges.
    if (!datos_.tramos.empty()) {
        p.setBrush(Qt::NoBrush);
        QPen borde(ColorBordeBanda, grosor);
        borde.setJoinStyle(Qt::MiterJoin);
        p.setPen(borde);
        p.drawRect(QRectF(x(0.0) + grosor / 2, arriba + grosor / 2, x(1.0) - x(0.0) - grosor,
                          abajo - arriba - grosor));
    }

    // The hours: a tick each; the numbers every 1, 2, 3 or 6 hours, the
    // smallest step at which they do not crowd, and none over another.
    const double anchoNumero = fm.horizontalAdvance(QStringLiteral("00")) + HuecoTextos;
    const double horasDia =
        Finito(datos_.horasDelDia) && datos_.horasDelDia > 0 ? datos_.horasDelDia : 24.0;
    int paso = 6;
    for (const int candidato : {1, 2, 3, 6}) {
        if (ancho / horasDia * candidato >= anchoNumero) {
            paso = candidato;
            break;
        }
    }
    p.setPen(Qt::NoPen);
    double finUltimoNumero = -1e9;
    for (const HoraFranja& h : datos_.horas) {
        bool ok = false;
        const int numero = h.texto.toInt(&ok);
        const double xh = x(h.posicion);
        const double w = fm.horizontalAdvance(h.texto);
        const bool rotulada =
            (!ok || numero % paso == 0) && xh - w / 2 >= finUltimoNumero + HuecoTextos / 2;
        p.setBrush(texto);
        p.drawRect(QRectF(xh - ajusta(grosor / 2), abajo, grosor,
                          rotulada ? AltoMuescaRotulada - 1 : AltoMuesca));
        if (rotulada) {
            p.setPen(texto);
            p.drawText(QRectF(xh - w / 2, dis.arribaHoras, w, fm.height()), Qt::AlignCenter,
                       h.texto);
            p.setPen(Qt::NoPen);
            finUltimoNumero = xh + w / 2;
        }
    }

    // The events: a line across the band, and the text above it where it
    // fits, else below the hours, else above over the least crowded spot.
    double finArriba = -1e9, finAbajo = -1e9;
    for (const MarcaFranja& m : datos_.marcas) {
        const double xm = x(m.posicion);
        const double w = fm.horizontalAdvance(m.texto);
        // Centred on the line, kept inside the widget.
        const double ideal = std::clamp(xm - w / 2, 0.0, std::max(0.0, width() - w));
        const bool arribaLibre = ideal >= finArriba + HuecoTextos;
        const bool abajoLibre = ideal >= finAbajo + HuecoTextos;
        const bool enArriba = arribaLibre || (!abajoLibre && finArriba <= finAbajo);
        double& fin = enArriba ? finArriba : finAbajo;
        const double izq = std::min(std::max(ideal, fin + HuecoTextos), std::max(0.0, width() - w));
        const double fila = enArriba ? dis.arribaTextos : dis.arribaTextosBajo;
        p.setPen(texto);
        p.drawText(QRectF(izq, fila, w, fm.height()), Qt::AlignCenter, m.texto);
        fin = izq + w;

        // The line: from the text's row to the band, then across the band
        // dark-edged with a light core.
        p.setPen(Qt::NoPen);
        p.setBrush(texto);
        const double x0 = xm - ajusta(grosor / 2);
        if (enArriba) {
            const double desde = ajusta(dis.arribaTextos + fm.height());
            p.drawRect(QRectF(x0, desde, grosor, arriba - desde));
        }
        p.setBrush(ColorLineaOscura);
        p.drawRect(QRectF(x0 - grosor, arriba, 3 * grosor, abajo - arriba));
        p.setBrush(ColorLineaClara);
        p.drawRect(QRectF(x0, arriba, grosor, abajo - arriba));
    }
}

}  // namespace Vespalba::Almanaque

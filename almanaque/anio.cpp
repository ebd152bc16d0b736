// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/anio.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Vespalba::Almanaque {

namespace {

using namespace std::chrono;

QDate FechaDe(year_month_day f) {
    return QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
}

}  // namespace

GraficoAnio::GraficoAnio(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("graficoAnio"));
    setAccessibleName(QStringLiteral("Gráfico de luz del año"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize GraficoAnio::sizeHint() const { return {960, 540}; }
QSize GraficoAnio::minimumSizeHint() const { return {480, 300}; }

void GraficoAnio::Muestra(Dibujo::Almanaque almanaque, const Dibujo::OpcionesGrafico& opciones,
                          QDate elegida, std::optional<QDate> hoy, double horaAhora) {
    almanaque_ = std::move(almanaque);
    opciones_ = opciones;
    hoy_ = hoy;
    horaAhora_ = horaAhora;
    elegida_ = elegida;
    setAccessibleDescription(TextoDelDia(elegida_));
    update();
}

void GraficoAnio::Elige(QDate fecha) {
    if (fecha == elegida_) return;
    elegida_ = fecha;
    setAccessibleDescription(TextoDelDia(elegida_));
    update();
}

Dibujo::Disposicion GraficoAnio::Dispone() const {
    return Dibujo::DisponeGrafico(*this, QRectF(rect()), almanaque_, opciones_);
}

int GraficoAnio::Indice(QDate fecha) const {
    if (almanaque_.dias.empty() || !fecha.isValid()) return -1;
    const QDate primero = FechaDe(almanaque_.dias.front().fecha);
    const qint64 i = primero.daysTo(fecha);
    if (i < 0 || i >= qint64(almanaque_.dias.size())) return -1;
    return int(i);
}

std::optional<QDate> GraficoAnio::DiaEn(QPointF punto) const {
    if (almanaque_.dias.empty()) return std::nullopt;
    const Dibujo::Disposicion d = Dispone();
    if (!d.area.contains(punto)) return std::nullopt;
    const int i = std::clamp(int(std::floor((punto.x() - d.area.left()) / d.area.width() * d.dias)),
                             0, d.dias - 1);
    return FechaDe(almanaque_.dias[std::size_t(i)].fecha);
}

std::pair<double, double> GraficoAnio::Columna(QDate fecha) const {
    const int i = Indice(fecha);
    if (i < 0) return {0.0, 0.0};
    const Dibujo::Disposicion d = Dispone();
    return {d.Izquierda(i), d.Derecha(i)};
}

double GraficoAnio::Y(double hora) const { return Dispone().Y(hora); }

QString GraficoAnio::TextoDelDia(QDate fecha) const {
    const int i = Indice(fecha);
    if (i < 0) return {};
    const Dibujo::Dia& dia = almanaque_.dias[std::size_t(i)];
    static const QLocale es(QLocale::Spanish, QLocale::Chile);
    QString t = es.toString(fecha, QStringLiteral("dddd d 'de' MMMM 'de' yyyy"));
    if (!dia.existe) return t + QStringLiteral("\nLa zona se salta esta fecha.");
    // The text table's cells, under their titles ("Sol Orto: 7:50").
    for (std::size_t c = 0; c < almanaque_.columnas.size() && c < dia.celdas.size(); ++c) {
        const Dibujo::Columna& col = almanaque_.columnas[c];
        const QString& texto = dia.celdas[c].texto;
        if (texto.trimmed().isEmpty() && !dia.celdas[c].oscura) continue;
        const QString titulo =
            col.grupo.isEmpty() ? col.titulo : col.grupo + QLatin1Char(' ') + col.titulo;
        t += QStringLiteral("\n%1: %2")
                 .arg(titulo, dia.celdas[c].oscura && texto.trimmed().isEmpty()
                                  ? QStringLiteral("no llega")
                                  : texto.trimmed());
    }
    for (const QString& c : dia.cambios) t += QLatin1Char('\n') + c;
    return t;
}

void GraficoAnio::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    if (almanaque_.dias.empty()) return;
    Dibujo::DibujaGrafico(p, QRectF(rect()), almanaque_, opciones_);
    const Dibujo::Disposicion d = Dispone();
    // Today's column and the present time: a red tick and line.
    if (hoy_) {
        const int i = Indice(*hoy_);
        if (i >= 0) {
            const double x = (d.Izquierda(i) + d.Derecha(i)) / 2.0;
            const double y = d.Y(horaAhora_);
            QPen pluma(QColor(200, 0, 0), std::max(1.0, d.punto));
            p.setPen(pluma);
            p.drawLine(QPointF(x, d.area.top()), QPointF(x, d.area.bottom()));
            p.setBrush(QColor(200, 0, 0));
            p.drawEllipse(QPointF(x, y), 2.5 * d.punto, 2.5 * d.punto);
        }
    }
    // The chosen day: its column outlined, wide enough to see on 366 days.
    const int i = Indice(elegida_);
    if (i >= 0) {
        const double ancho = std::max(d.Derecha(i) - d.Izquierda(i), 3.0);
        const double centro = (d.Izquierda(i) + d.Derecha(i)) / 2.0;
        QPen pluma(palette().color(QPalette::Highlight), std::max(1.5, d.punto));
        p.setPen(pluma);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(centro - ancho / 2.0, d.area.top(), ancho, d.area.height()));
    }
    if (hasFocus()) {
        QPen foco(palette().color(QPalette::Highlight), 1.0, Qt::DotLine);
        p.setPen(foco);
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void GraficoAnio::mouseMoveEvent(QMouseEvent* evento) {
    const std::optional<QDate> f = DiaEn(evento->position());
    setCursor(f ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(evento);
}

void GraficoAnio::mousePressEvent(QMouseEvent* evento) {
    if (evento->button() == Qt::LeftButton) {
        if (const std::optional<QDate> f = DiaEn(evento->position())) {
            setFocus(Qt::MouseFocusReason);
            Elige(*f);
            emit DiaElegido(*f);
            return;
        }
    }
    QWidget::mousePressEvent(evento);
}

void GraficoAnio::keyPressEvent(QKeyEvent* evento) {
    int paso = 0;
    switch (evento->key()) {
        case Qt::Key_Left: paso = -1; break;
        case Qt::Key_Right: paso = 1; break;
        case Qt::Key_Up: paso = -7; break;
        case Qt::Key_Down: paso = 7; break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (Indice(elegida_) >= 0) emit DiaElegido(elegida_);
            return;
        default: QWidget::keyPressEvent(evento); return;
    }
    if (evento->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(evento);  // Alt+arrows belong to the window
        return;
    }
    const QDate nueva = elegida_.addDays(paso);
    if (Indice(nueva) < 0) return;  // within the year shown
    Elige(nueva);
    emit DiaElegido(nueva);
}

bool GraficoAnio::event(QEvent* evento) {
    if (evento->type() == QEvent::ToolTip) {
        auto* ayuda = static_cast<QHelpEvent*>(evento);
        if (const std::optional<QDate> f = DiaEn(ayuda->pos())) {
            QToolTip::showText(ayuda->globalPos(), TextoDelDia(*f), this);
        } else {
            QToolTip::hideText();
            evento->ignore();
        }
        return true;
    }
    return QWidget::event(evento);
}

}  // namespace Vespalba::Almanaque

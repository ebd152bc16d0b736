// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's year: the daylight chart of the shown year (the same
// drawing as vespalba-tabla --formato svg, painted as vectors on the widget
// at the screen's device-pixel ratio), to explore. Pointing at a day shows
// its date and its sunrise, sunset, twilights and daylight in a tooltip; a
// click or Return chooses that day; Left and Right move a day, Up and Down a
// week. The chosen day is outlined; when the year is the present one, today
// and the present time are marked.
#pragma once

#include <QDate>
#include <QWidget>

#include <optional>

#include "dibujo/almanaque.h"
#include "dibujo/grafico.h"

namespace Vespalba::Almanaque {

class GraficoAnio : public QWidget {
    Q_OBJECT
public:
    explicit GraficoAnio(QWidget* parent = nullptr);

    // The year's days and the chosen date; `hoy` and `horaAhora` (wall-clock
    // hours) mark the present when it falls in the year.
    void Muestra(Dibujo::Almanaque almanaque, const Dibujo::OpcionesGrafico& opciones,
                 QDate elegida, std::optional<QDate> hoy, double horaAhora);
    // Moves the outline to another date of the year, without drawing the
    // bands again.
    void Elige(QDate fecha);

    // The day under a point of the widget, none outside the bands.
    std::optional<QDate> DiaEn(QPointF punto) const;
    // The column of a date, in widget coordinates: [left, right).
    std::pair<double, double> Columna(QDate fecha) const;
    // The y of a wall-clock hour, [0, 24], in widget coordinates.
    double Y(double hora) const;
    // The tooltip of a day: its date, sunrise, sunset, twilights and daylight.
    QString TextoDelDia(QDate fecha) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A day was chosen here (a click, Return, the arrows).
    void DiaElegido(QDate fecha);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    bool event(QEvent* evento) override;

private:
    Dibujo::Disposicion Dispone() const;
    int Indice(QDate fecha) const;

    Dibujo::Almanaque almanaque_;
    Dibujo::OpcionesGrafico opciones_;
    QDate elegida_;
    std::optional<QDate> hoy_;
    double horaAhora_ = 0.0;
};

}  // namespace Vespalba::Almanaque

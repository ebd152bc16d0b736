// SPDX-License-Identifier: GPL-3.0-or-later
// The month table of the almanac window: the day model's columns and
// cells (the same texts as vespalba-tabla's table), the weekday before the
// date, weekends shaded, today in bold, the clock-change days with their
// note as a tooltip; and the selected rows as tab-separated text.
#pragma once

#include <QAbstractTableModel>
#include <QDate>

#include <vector>

#include "dias/celdas.h"
#include "dias/consulta.h"
#include "dias/dias.h"

namespace Vespalba::Almanaque {

class ModeloMes : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeloMes(QObject* parent = nullptr);

    // The month's days, computed for `consulta`; `hoy` is marked.
    void Muestra(const Dias::Consulta& consulta, const std::vector<Dias::DiaCalculado>& dias,
                 QDate hoy);

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol) const override;

    // The date of a row.
    QDate Fecha(int fila) const;
    // The row of a date, or -1.
    int Fila(QDate fecha) const;
    // The rows as text: a header row, then one line per row, cells apart by
    // tabs, lines by '\n'.
    QString TextoDeFilas(const std::vector<int>& filas) const;

private:
    std::vector<Dias::Columna> columnas_;
    std::vector<Dias::Explicacion> explicaciones_;  // the titles' tooltips, with the zone's
    std::vector<std::vector<Dias::Celda>> celdas_;
    std::vector<QDate> fechas_;
    std::vector<QString> notas_;  // the clock change, for the tooltip
    QDate hoy_;
};

}  // namespace Vespalba::Almanaque

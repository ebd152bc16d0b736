// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/mes.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>

#include "almanaque/modelo.h"

namespace Vespalba::Almanaque {

namespace {

// The shading that stands for the window's frame colour: a dawn that never
// comes, as the text table prints it.
const QChar sombra(0x2593);

QString Titulo(const Dias::Columna& c) {
    return c.grupo.isEmpty() ? c.titulo : c.grupo + QLatin1Char('\n') + c.titulo;
}

}  // namespace

ModeloMes::ModeloMes(QObject* parent) : QAbstractTableModel(parent) {}

void ModeloMes::Muestra(const Dias::Consulta& consulta, const std::vector<Dias::DiaCalculado>& dias,
                        QDate hoy) {
    beginResetModel();
    columnas_ = Dias::Columnas(consulta);
    explicaciones_ = Dias::ExplicacionDeColumnas(consulta);
    celdas_.clear();
    fechas_.clear();
    notas_.clear();
    for (const Dias::DiaCalculado& d : dias) {
        celdas_.push_back(Dias::FilaTexto(consulta, d));
        fechas_.push_back(FechaDe(std::chrono::sys_days{d.fecha}));
        notas_.push_back(Dias::NotasDeCambio(d).join(QLatin1Char('\n')));
    }
    hoy_ = hoy;
    endResetModel();
}

int ModeloMes::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : int(celdas_.size());
}

int ModeloMes::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : int(columnas_.size()) + 1;
}

QDate ModeloMes::Fecha(int fila) const {
    return fila >= 0 && fila < int(fechas_.size()) ? fechas_[std::size_t(fila)] : QDate();
}

int ModeloMes::Fila(QDate fecha) const {
    for (std::size_t i = 0; i < fechas_.size(); ++i) {
        if (fechas_[i] == fecha) return int(i);
    }
    return -1;
}

QVariant ModeloMes::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= rowCount() || indice.column() >= columnCount()) {
        return {};
    }
    const std::size_t fila = std::size_t(indice.row());
    const int columna = indice.column();
    const QDate fecha = fechas_[fila];
    const bool finDeSemana = fecha.dayOfWeek() >= 6;
    switch (rol) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: {
            if (columna == 0) {
                return QLocale(QLocale::Spanish).toString(fecha, QStringLiteral("ddd"));
            }
            const Dias::Celda& c = celdas_[fila][std::size_t(columna - 1)];
            if (c.marco) {
                return rol == Qt::DisplayRole ? QString(4, sombra)
                                              : QStringLiteral("la aurora no llega");
            }
            return c.texto;
        }
        case Qt::ToolTipRole: {
            QString t = FechaEnPalabras(fecha);
            if (!notas_[fila].isEmpty()) t += QLatin1Char('\n') + notas_[fila];
            if (columna > 0 && celdas_[fila][std::size_t(columna - 1)].marco) {
                t += QStringLiteral("\nLa aurora no llega: el Sol no alcanza esa altura.");
            }
            return t;
        }
        case Qt::TextAlignmentRole:
            if (columna > 0 && columnas_[std::size_t(columna - 1)].derecha) {
                return int(Qt::AlignRight | Qt::AlignVCenter);
            }
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::FontRole:
            if (fecha == hoy_) {
                QFont f;
                f.setBold(true);
                return f;
            }
            return {};
        case Qt::BackgroundRole:
            // Weekends on the palette's alternate base, which the desktop's
            // theme keeps legible against its text colour.
            if (finDeSemana) return QGuiApplication::palette().brush(QPalette::AlternateBase);
            return {};
        default: return {};
    }
}

QVariant ModeloMes::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion != Qt::Horizontal || seccion < 0 || seccion >= columnCount()) return {};
    if (rol == Qt::DisplayRole) {
        return seccion == 0 ? QStringLiteral("Día") : Titulo(columnas_[std::size_t(seccion - 1)]);
    }
    if (rol == Qt::ToolTipRole && seccion > 0) {
        const Dias::Columna& c = columnas_[std::size_t(seccion - 1)];
        for (const Dias::Explicacion& e : explicaciones_) {
            if (e.marca.contains(c.grupo.isEmpty() ? c.titulo : c.grupo)) return e.significado;
        }
    }
    return {};
}

QString ModeloMes::TextoDeFilas(const std::vector<int>& filas) const {
    QStringList titulos;
    titulos << QStringLiteral("Día");
    for (const Dias::Columna& c : columnas_) {
        titulos << (c.grupo.isEmpty() ? c.titulo : c.grupo + QLatin1Char(' ') + c.titulo);
    }
    QString texto = titulos.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int f : filas) {
        if (f < 0 || f >= rowCount()) continue;
        QStringList celdas;
        for (int c = 0; c < columnCount(); ++c) {
            const QString t = data(index(f, c), Qt::DisplayRole).toString();
            celdas << QString(t).replace(QLatin1Char('\t'), QLatin1Char(' '));
        }
        texto += celdas.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return texto;
}

}  // namespace Vespalba::Almanaque

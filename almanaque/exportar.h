// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's printing and export: "Imprimir…" shows Qt's print
// preview of the shown month's sheet or the whole year (the chart page and
// twelve months), the same pages as vespalba-tabla --formato pdf, printed
// through the system's printing; "Exportar…" writes the month, the year or a
// range of the shown place in any of vespalba-tabla's formats, through the
// desktop's file dialog, off the GUI thread with progress and cancellation.
#pragma once

#include <QDate>
#include <QDialog>

#include "dias/consulta.h"
#include "salidas/peticion.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPrinter;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace Vespalba::Almanaque {

// The program's name at the pages' foot and as the PDF's creator.
QString NombreDelPrograma();

// The request of the shown place and zone for the days from `desde` to
// `hasta`, in `formato` (a name of vespalba-tabla's --formato).
Salidas::Peticion PeticionDe(const Dias::Consulta& consulta, QDate desde, QDate hasta,
                             const char* formato);

// The message of an export that failed, from Salidas::Exporta's reason (which
// names the file and says that an existing one is kept): as a sentence.
QString MensajeDeFallo(const QString& motivo);

// Draws the request's pages on `impresora` (the preview's or the real one),
// on A4 or Letter as the printer's paper is. False when nothing was drawn.
bool PintaPaginas(QPrinter& impresora, const Salidas::Peticion& peticion);

// Shows the print preview of the request's pages over `padre`.
void MuestraImpresion(QWidget* padre, const Salidas::Peticion& peticion);

// What to export: the format, the days, the calendar's events, the
// chart's size and bands, the paper.
class DialogoExportar : public QDialog {
    Q_OBJECT
public:
    // `consulta`: the shown place and zone; `fecha`: the shown date.
    DialogoExportar(const Dias::Consulta& consulta, QDate fecha, QWidget* padre = nullptr);

    // The request as chosen; valid after exec() accepted.
    Salidas::Peticion Peticion() const;
    // A file name to offer: "valparaiso-2026-12.csv".
    QString NombreSugerido() const;

private:
    void Actualiza();

    Dias::Consulta consulta_;
    QDate fecha_;
    QComboBox* formato_ = nullptr;
    QRadioButton* mes_ = nullptr;
    QRadioButton* anio_ = nullptr;
    QRadioButton* rango_ = nullptr;
    QDateEdit* desde_ = nullptr;
    QDateEdit* hasta_ = nullptr;
    QWidget* eventos_ = nullptr;
    std::vector<QCheckBox*> cajasEventos_;
    QWidget* grafico_ = nullptr;
    QSpinBox* ancho_ = nullptr;
    QSpinBox* alto_ = nullptr;
    QCheckBox* luna_ = nullptr;
    QCheckBox* dorada_ = nullptr;
    QComboBox* papel_ = nullptr;
};

}  // namespace Vespalba::Almanaque

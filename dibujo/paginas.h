// SPDX-License-Identifier: GPL-3.0-or-later
// Printed pages: one month's table per page, and a whole document (the
// daylight chart first when asked, then one page per month) written as PDF
// with QPdfWriter, its letters embedded and its text searchable.
//
// A page: the place, its coordinates and zone and the month as title; the
// table with every column of the Almanaque, the weekends lightly shaded and
// the days of clock change marked and explained under it; the legend of the
// marks; the method's note; the program and the page's number at the foot.
// Drawing needs a QGuiApplication (the "offscreen" platform will do).
#pragma once

#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <chrono>
#include <functional>
#include <vector>

#include "dibujo/almanaque.h"
#include "dibujo/grafico.h"

class QIODevice;
class QPaintDevice;
class QPagedPaintDevice;
class QPainter;

namespace Vespalba::Dibujo {

enum class Papel {
    A4,     // 210 x 297 mm
    Carta,  // US Letter, 8.5 x 11 inches
};

// The smallest letters of a table, typographic points.
inline constexpr double CuerpoMinimo = 8.0;

// One mark explained in a page's legend.
struct Marca {
    QString marca;            // the mark as printed ("No hay"); unused when cajaOscura
    bool cajaOscura = false;  // the mark is the dark box of a dawn that does not come
    QString significado;      // "no se pone"
};

// The marks of the text table: "No hay", "Bajo horizonte", "////" and the
// dark box, with their meanings.
std::vector<Marca> MarcasDeLaTabla();

// The method's note: local hours with the minutes truncated, from the
// low-precision series of the Sun and the Moon.
QString NotaDelMetodo();

struct OpcionesDocumento {
    Papel papel = Papel::A4;
    // The daylight chart as the first page (landscape); a year's document.
    bool grafico = false;
    bool luna = false;    // the chart's Moon band (OpcionesGrafico::luna)
    bool dorada = false;  // the chart's golden and blue hours (OpcionesGrafico::dorada)
    // The program's name and version, at every page's foot and as the PDF's
    // creator: "vespalba-tabla 1.1.0".
    QString programa;
    QString metodo = NotaDelMetodo();
    std::vector<Marca> marcas = MarcasDeLaTabla();
};

// How the month pages are set: the orientation in which the tables fit,
// and the size and width of their letters.
struct FormaPagina {
    QPageLayout::Orientation orientacion = QPageLayout::Portrait;
    double cuerpo = CuerpoMinimo;  // letters of the table, points
    bool estrecha = false;         // letters narrowed to LetraEstrecha of their width
    // The texts of left-aligned columns (words) wrap onto more lines where
    // the columns would not fit the width otherwise.
    bool envolver = false;
};

// How much narrower the narrowed letters are, percent of their width.
inline constexpr int LetraEstrecha = 85;

// The months that the Almanaque's days touch, in order: one page each.
std::vector<std::chrono::year_month> MesesDe(const Almanaque& almanaque);

// The page's layout on paper: the size, the orientation and margins of
// 12 mm.
QPageLayout DisenoDePagina(Papel papel, QPageLayout::Orientation orientacion);

// The form in which every month's page fits, the first of: the largest
// letters from 9 points down to CuerpoMinimo, portrait before landscape;
// then landscape at CuerpoMinimo with the words wrapped, with the letters
// narrowed, with both. Only tables that fit none of these (far wider than
// the text table's 160 characters) get smaller letters than CuerpoMinimo,
// the largest that fit, so that no page is ever cut.
//   dispositivo: the device the pages go to (its letters are measured),
//   punto: its units per typographic point.
FormaPagina EligeForma(const QPaintDevice& dispositivo, double punto, const Almanaque& almanaque,
                       const OpcionesDocumento& opciones);

// Draws the page of month `mes` inside `hoja` (the printable area, in the
// painter's units, `punto` of them per typographic point): title, table of
// the month's days, notes of its clock changes, legend, method's note and
// foot with "Página <pagina> de <paginas>".
void DibujaMes(QPainter& pintor, const QRectF& hoja, double punto, const Almanaque& almanaque,
               std::chrono::year_month mes, const FormaPagina& forma,
               const OpcionesDocumento& opciones, int pagina, int paginas);

// The whole document as PDF to `salida` (open for writing): the chart page
// when opciones.grafico, then one page per month of MesesDe, every month in
// the form EligeForma gives; titled with TituloGrafico, opciones.programa
// as its creator. False when there are no days or the painter could not
// start, open a page or finish; a failure of the device itself shows in the
// device (QSaveFile::commit fails).
//   progreso: told (page done, pages) before each page and at the end; it
//   returns false to stop (the document is then left unfinished, and false
//   returned).
bool EscribePdf(QIODevice& salida, const Almanaque& almanaque, const OpcionesDocumento& opciones,
                const std::function<bool(int, int)>& progreso = {});

// How a page of orientation `pagina` is drawn on a sheet whose printable
// area, from its origin, is `hoja`: unchanged when the sheet has the page's
// orientation; otherwise turned a quarter, as a printer turns a landscape
// page onto a portrait sheet (a landscape page's top along the sheet's left
// edge, read with the sheet turned clockwise; a portrait page's top along a
// landscape sheet's right edge). The page's printable area is the sheet's
// transposed, the margins being the same on every side.
QTransform GiroDePagina(const QSizeF& hoja, QPageLayout::Orientation pagina);

// How a device takes the pages' orientations.
enum class Orientaciones {
    PorPagina,  // each page its own (QPdfWriter, a QPrinter writing PDF)
    UnaSola,    // one for the whole job (a printer, the print preview)
};

// The same pages on any paged device (a QPdfWriter, a QPrinter for the
// print preview or the printer): its resolution sets the units, each page
// gets its layout (the chart's landscape, the months' form) before it is
// drawn. A device of one orientation (`orientaciones`, or one that refuses
// a new layout in the middle of the job) takes the months' orientation,
// and a page of the other is drawn turned a quarter on it, as a printer
// turns a landscape page: read with the sheet turned clockwise. False as
// for EscribePdf.
bool DibujaDocumento(QPagedPaintDevice& dispositivo, const Almanaque& almanaque,
                     const OpcionesDocumento& opciones,
                     const std::function<bool(int, int)>& progreso = {},
                     Orientaciones orientaciones = Orientaciones::PorPagina);

}  // namespace Vespalba::Dibujo

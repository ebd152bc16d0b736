// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window: one search box for the place, the zone, the date, and
// the day and the month of that place in its civil time. The computation
// is the day model's (dias/) and this folder's modelo.h; the window only
// reads its boxes and sets texts.
#pragma once

#include <QDate>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QSettings>

#include <functional>
#include <memory>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "salidas/peticion.h"

class QAction;
class QCheckBox;
class QFileSystemWatcher;
class QComboBox;
class QCompleter;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolButton;

namespace Vespalba::Almanaque {

class DibujoLuna;
class FranjaDia;
class PanelAhora;
class GraficoAnio;
class ModeloMes;

class VentanaAlmanaque : public QMainWindow {
    Q_OBJECT
public:
    // Writes the request to `ruta` off the GUI thread, with a progress
    // dialog that can cancel; a failure gets a message box with the reason.
    // True when written. (Exporta's last step, public for the tests.)
    bool ExportaA(const Salidas::Peticion& peticion, const QString& ruta);

    // The settings to read and keep (the user's, or a test's); `ahora`
    // gives the present instant, seconds since 1970 UT (a test's clock).
    VentanaAlmanaque(std::unique_ptr<QSettings> almanaque, std::unique_ptr<QSettings> comun,
                     std::function<qint64()> ahora, QWidget* parent = nullptr);
    ~VentanaAlmanaque() override;

    // What is shown.
    const Sitio& SitioActual() const { return sitio_; }
    const EleccionZona& ZonaActual() const { return zona_; }
    QDate FechaActual() const { return fecha_; }
    const Dias::Consulta& ConsultaActual() const { return consulta_; }

    // Shows a place, a zone or a date (as the boxes do).
    void EligeSitio(const Sitio& sitio);
    void EligeZona(const EleccionZona& zona);
    void EligeFecha(QDate fecha);

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void ConstruyeMenus();
    void ConstruyeCajas(QWidget* arriba);
    QWidget* ConstruyeDia();
    QWidget* ConstruyeMes();
    QWidget* ConstruyeAnio();
    // Draws the year's chart again when its tab is shown and the year, the
    // place, the zone, the options or today changed; otherwise moves the
    // outline to the date.
    void ActualizaAnio();
    // Archivo: the print preview of the month or the year; the export dialog.
    void Imprime(bool anio);
    void Exporta();
    void LlenaZonas();

    void TextoDelLugarEditado(const QString& texto);
    void LugarConfirmado();
    void SugerenciaElegida(int fila);
    void ZonaConfirmada();
    void MuestraAvisoLugar(const QString& texto);
    void AvisaFecha(const QString& texto);
    void MueveDias(int dias);
    void MueveMeses(int meses);
    void Hoy();
    void Recalcula();
    // The day `d`, with `siguiente` (the next day, or none to compute it)
    // for this evening's ends of twilight after midnight.
    void MuestraDia(const Dias::DiaCalculado& d, const Dias::DiaCalculado* siguiente);
    void CopiaFilas();
    void ActualizaFavoritos();
    void Guarda();
    // A change of the favourites, made on the files' current content
    // (CambiaFavoritos), then the menu.
    void CambiaFavorito(CambioFavorito cambio);
    // The favourites again from the files, when another window or program
    // changed them (the watch below), and the menu with them.
    void RecargaFavoritos();

    std::unique_ptr<QSettings> ajustesAlmanaque_;
    std::unique_ptr<QSettings> ajustesComunes_;
    QFileSystemWatcher* vigilancia_ = nullptr;  // both settings files and their folders
    std::function<qint64()> ahora_;
    Preferencias preferencias_;

    Sitio sitio_;
    EleccionZona zona_;
    QDate fecha_;
    Dias::Consulta consulta_;
    std::vector<Sugerencia> sugerencias_;

    QLineEdit* cajaLugar_ = nullptr;
    QCompleter* completador_ = nullptr;
    // The menus' shortcuts, which win over a text box's own use of the
    // same keys (Ctrl+E, the end of the line on X11 desktops).
    QList<QKeySequence> atajos_;
    QStandardItemModel* modeloSugerencias_ = nullptr;
    QLabel* avisoLugar_ = nullptr;
    QToolButton* botonFavoritos_ = nullptr;
    QMenu* menuFavoritos_ = nullptr;
    QComboBox* cajaZona_ = nullptr;
    QDateEdit* cajaFecha_ = nullptr;
    QLabel* avisoFecha_ = nullptr;
    QLabel* lineaLugar_ = nullptr;
    QTabWidget* pestanas_ = nullptr;

    QLabel* tituloDia_ = nullptr;
    QLabel* avisosDia_ = nullptr;
    QTableWidget* tablaSol_ = nullptr;
    QTableWidget* tablaLuna_ = nullptr;
    FranjaDia* franja_ = nullptr;
    QCheckBox* doradaDia_ = nullptr;  // the golden and blue hours on the strip
    DibujoLuna* dibujoLuna_ = nullptr;
    QLabel* textoLuna_ = nullptr;
    QLabel* fasesLuna_ = nullptr;
    QLabel* estaciones_ = nullptr;
    PanelAhora* panelAhora_ = nullptr;

    QTableView* tablaMes_ = nullptr;
    ModeloMes* modeloMes_ = nullptr;
    QDate mesMostrado_;
    Dias::Consulta consultaMes_;
    Dias::Consulta consultaMostrada_;  // the month table's

    GraficoAnio* graficoAnio_ = nullptr;
    QCheckBox* lunaAnio_ = nullptr;
    QCheckBox* doradaAnio_ = nullptr;
    Dias::Consulta consultaAnio_;  // the chart's, and its options and today
    bool lunaAnioMostrada_ = false;
    QDate hoyAnio_;
    QString ultimaCarpeta_;  // where the last export went
};

}  // namespace Vespalba::Almanaque

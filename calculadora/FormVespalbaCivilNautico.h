// SPDX-License-Identifier: GPL-3.0-or-later
// Vespalba's one window: the inputs on the left, the results on the right,
// and a menu bar with "Ejemplo", "Nuevo Cálculo" and "Salir". Its controls,
// texts, places, colours, fonts, start state and keyboard order are those of
// FormVespalbaCivilNautico.ui.
#pragma once

#include <QDate>
#include <QMainWindow>

#include <functional>
#include <memory>

class QScrollArea;

#include "resultados/area_resultados.h"

namespace Vespalba {

namespace Ui {
class FormVespalbaCivilNautico;
}
enum class ControlEntrada;

class FormVespalbaCivilNautico : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window from its description, wires the handlers below and
    // runs Form_Load; the window is not shown yet. It opens centred on its
    // screen, fixed in size, with the focus in the day box FE1; on a screen
    // too small for it, in the available size with its contents scrolling.
    explicit FormVespalbaCivilNautico(QWidget* parent = nullptr);
    ~FormVespalbaCivilNautico() override;

    // Where "Hoy" takes today's date from; by default the system's local
    // date (QDate::currentDate()). A test fixes the date through here.
    void FijaReloj(std::function<QDate()> reloj);

public slots:
    // Runs once, from the constructor, before the window is first shown:
    // fills ComLugar's list with the forty place names in table order and
    // leaves its text "Selección Lugar".
    void Form_Load();
    // "Calcular" pressed.
    void Command1_Click();
    // "Hoy" pressed: today's day, month and year into FE1, FE2, FE3 as
    // plain numbers ("5", "3", "2026"); nothing else changes.
    void Command4_Click();
    // A place chosen from ComLugar's list by mouse or keyboard (never typed
    // text nor text set by code): copies the place named by the box's text
    // into L3, L4, G3, G4 and selects the hemisphere buttons; a text that
    // names no place changes no box and selects Lnn and Gee.
    void ComLugar_Click();
    // Menu "Ejemplo": the worked example (2 July 2003, 33 16 S, 71 36 W,
    // zone 4) into the inputs, the result frame hidden; no calculation.
    void Ej1_Click();
    // Menu "Nuevo Cálculo": inputs emptied or back to their start values,
    // the result area emptied and hidden.
    void Nuevo_Click();
    // Menu "Salir": closes the window, which ends the program.
    void Salir_Click();

protected:
    // Places the window again once the platform's frame is known, if it does
    // not fit on the screen with it.
    bool event(QEvent* evento) override;

private:
    // The modal message of a failed check: its text alone, one OK button, no
    // icon, caption "Vespalba".
    void MuestraMensaje(const QString& mensaje);
    // Gives `raiz` and every control under it the light palette the window
    // was designed against, each keeping the colours it sets itself: neither
    // the application's palette nor the desktop's theme, at start or changed
    // later, reaches the window's colours.
    static void FijaPaleta(QWidget& raiz);
    // Gives the panels, banner lines and result frame the active-border
    // colour, which a .ui file cannot name.
    void AplicaColoresSistema();
    // Centres the window on its screen's available area when it fits there
    // with its frame. When it does not, the window takes the available size
    // (at most the design's), its client area scrolls in both directions
    // inside it, and its frame's top-left corner lies inside the area.
    void ColocaEnPantalla();
    // Puts the client area, unchanged, inside a scroll area.
    void EnvuelveEnDesplazamiento();
    // Keeps each option-button group one stop of the Tab key, at its
    // selected button: only a selected button takes the focus from Tab.
    void UnaParadaPorGrupo();
    // Sets ComLugar's text from code, which is not a pick: the list's
    // current entry becomes the one of exactly that name, or none.
    void PonTextoLugar(const QString& texto);

    // The input box that a failed check names.
    QWidget* ControlDe(ControlEntrada control) const;

    // The window's controls, by their names in the description.
    std::unique_ptr<Ui::FormVespalbaCivilNautico> ui;
    // The result area's controls, handed to the code that fills it.
    ControlesResultado area_;
    std::function<QDate()> reloj_;
    // The window's own size as designed: client area and menu bar.
    QSize tamanoDiseno_;
    // The platform's frame as last placed with.
    QSize marco_;
    // The scroll area around the client area, once the window did not fit.
    QScrollArea* desplazamiento_ = nullptr;
};

}  // namespace Vespalba

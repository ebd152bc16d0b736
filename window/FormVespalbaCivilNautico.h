// Vespalba's one window: the inputs on the left, the results on the right,
// and a menu bar with "Ejemplo", "Nuevo Cálculo" and "Salir". Its controls,
// texts, places, colours, fonts, start state and keyboard order are those of
// FormVespalbaCivilNautico.ui.
#pragma once

#include <QMainWindow>

#include "ui_FormVespalbaCivilNautico.h"

class FormVespalbaCivilNautico : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window from its description, wires the handlers below and
    // runs Form_Load; the window is not shown yet. It opens centred on its
    // screen, fixed in size, with the focus in the day box FE1.
    explicit FormVespalbaCivilNautico(QWidget* parent = nullptr);

    // The window's controls, by their names in the description. The
    // handlers and the result display read and write them through here.
    Ui::FormVespalbaCivilNautico ui;

public slots:
    // Runs once, from the constructor, before the window is first shown.
    void Form_Load();
    // "Calcular" pressed.
    void Command1_Click();
    // "Hoy" pressed.
    void Command4_Click();
    // A place picked in the list ComLugar.
    void ComLugar_Click();
    // Menu "Ejemplo".
    void Ej1_Click();
    // Menu "Nuevo Cálculo".
    void Nuevo_Click();
    // Menu "Salir": closes the window, which ends the program.
    void Salir_Click();

private:
    // The modal message of a failed check: its text alone, one OK button, no
    // icon, caption "Vespalba".
    void MuestraMensaje(const QString& mensaje);
    // Gives the panels, banner lines and result frame the platform's
    // active-border colour, which a .ui file cannot name.
    void AplicaColoresSistema();
    void CentraEnPantalla();
    // Keeps each option-button group one stop of the Tab key, at its
    // selected button: only a selected button takes the focus from Tab.
    void UnaParadaPorGrupo();
};

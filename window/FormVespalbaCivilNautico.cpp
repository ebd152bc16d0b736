#include "window/FormVespalbaCivilNautico.h"

#include <QLayout>
#include <QRadioButton>
#include <QScreen>

#include "window/colores.h"

FormVespalbaCivilNautico::FormVespalbaCivilNautico(QWidget* parent) : QMainWindow(parent) {
    ui.setupUi(this);
    AplicaColoresSistema();

    connect(ui.Command1, &QPushButton::clicked, this, &FormVespalbaCivilNautico::Command1_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &FormVespalbaCivilNautico::Command4_Click);
    connect(ui.ComLugar, &QComboBox::activated, this, &FormVespalbaCivilNautico::ComLugar_Click);
    connect(ui.Ej1, &QAction::triggered, this, &FormVespalbaCivilNautico::Ej1_Click);
    connect(ui.Nuevo, &QAction::triggered, this, &FormVespalbaCivilNautico::Nuevo_Click);
    connect(ui.Salir, &QAction::triggered, this, &FormVespalbaCivilNautico::Salir_Click);

    for (QRadioButton* opcion : {ui.Lss, ui.Lnn, ui.Gww, ui.Gee, ui.Option1, ui.Option2}) {
        connect(opcion, &QRadioButton::toggled, this, &FormVespalbaCivilNautico::UnaParadaPorGrupo);
    }
    UnaParadaPorGrupo();

    Form_Load();

    // The client area is fixed by the description (789 x 533 pixels below
    // the menu bar); the window takes exactly that size and keeps it.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    CentraEnPantalla();
    ui.FE1->setFocus();
}

void FormVespalbaCivilNautico::AplicaColoresSistema() {
    const QColor borde = ColorBordeActivo();
    for (QWidget* w : {static_cast<QWidget*>(ui.Shape5), static_cast<QWidget*>(ui.Shape3),
                       static_cast<QWidget*>(ui.Shape4), static_cast<QWidget*>(ui.Label23_1),
                       static_cast<QWidget*>(ui.Label23_0), static_cast<QWidget*>(ui.Resultado)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, borde);
        w->setPalette(p);
    }
}

void FormVespalbaCivilNautico::UnaParadaPorGrupo() {
    for (QRadioButton* opcion : {ui.Lss, ui.Lnn, ui.Gww, ui.Gee, ui.Option1, ui.Option2}) {
        opcion->setFocusPolicy(opcion->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void FormVespalbaCivilNautico::CentraEnPantalla() {
    if (const QScreen* pantalla = screen()) {
        QRect marco = frameGeometry();
        marco.moveCenter(pantalla->availableGeometry().center());
        move(marco.topLeft());
    }
}

void FormVespalbaCivilNautico::Form_Load() {}

void FormVespalbaCivilNautico::Command1_Click() {}

void FormVespalbaCivilNautico::Command4_Click() {}

void FormVespalbaCivilNautico::ComLugar_Click() {}

void FormVespalbaCivilNautico::Ej1_Click() {}

void FormVespalbaCivilNautico::Nuevo_Click() {}

void FormVespalbaCivilNautico::Salir_Click() { close(); }

#include "window/FormVespalbaCivilNautico.h"

#include <QLayout>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>

#include <variant>

#include "astro/eventos.h"
#include "results/area_resultados.h"
#include "window/colores.h"
#include "window/validacion.h"

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

void FormVespalbaCivilNautico::Command1_Click() {
    update();
    Vespalba::LimpiaResultados(*this);

    Vespalba::EntradasCalculo entradas;
    entradas.FE1 = ui.FE1->text();
    entradas.FE2 = ui.FE2->text();
    entradas.FE3 = ui.FE3->text();
    entradas.L3 = ui.L3->text();
    entradas.L4 = ui.L4->text();
    entradas.G3 = ui.G3->text();
    entradas.G4 = ui.G4->text();
    entradas.Z = ui.Z->text();
    entradas.Lnn = ui.Lnn->isChecked();
    entradas.Gee = ui.Gee->isChecked();
    entradas.Option2 = ui.Option2->isChecked();

    const auto validado = Vespalba::ValidaDatos(entradas, QLocale());
    if (const auto* fallo = std::get_if<Vespalba::FalloValidacion>(&validado)) {
        // The focus goes first, so that after the message the user types
        // straight into the box at fault.
        if (QWidget* caja = findChild<QWidget*>(QString::fromLatin1(
                Vespalba::NombreControl(fallo->control)))) {
            caja->setFocus();
        }
        MuestraMensaje(fallo->mensaje);
        return;
    }
    const auto& datos = std::get<ModuloVespalba::DatosCalculo>(validado);
    Vespalba::MuestraResultados(*this, ModuloVespalba::BuscaEventos(datos), datos.Fecha);
}

void FormVespalbaCivilNautico::MuestraMensaje(const QString& mensaje) {
    QMessageBox caja(QMessageBox::NoIcon, QStringLiteral("Vespalba"), mensaje, QMessageBox::Ok,
                     this);
    caja.exec();
}

void FormVespalbaCivilNautico::Command4_Click() {}

void FormVespalbaCivilNautico::ComLugar_Click() {}

void FormVespalbaCivilNautico::Ej1_Click() {}

void FormVespalbaCivilNautico::Nuevo_Click() {}

void FormVespalbaCivilNautico::Salir_Click() { close(); }

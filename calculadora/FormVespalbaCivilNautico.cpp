// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculadora/FormVespalbaCivilNautico.h"

#include "ui_FormVespalbaCivilNautico.h"

#include <QApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>
#include <string_view>
#include <utility>
#include <variant>

#include "astro/eventos.h"
#include "calculadora/aplicacion.h"
#include "calculadora/eleccion_lista.h"
#include "calculadora/validacion.h"
#include "lugares/lugares.h"
#include "resultados/area_resultados.h"
#include "resultados/colores.h"

namespace Vespalba {

namespace {

QString Texto(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

FormVespalbaCivilNautico::FormVespalbaCivilNautico(QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::FormVespalbaCivilNautico>()),
      reloj_([] { return QDate::currentDate(); }) {
    ui->setupUi(this);
    area_.Resultado = ui->Resultado;
    area_.cajas = {ui->OcasoLuna,      ui->OrtoLuna,     ui->Orto,      ui->Ocaso,
                   ui->ComAuroraCivil, ui->FinCrepCivil, ui->ComAurora, ui->FinCrep,
                   ui->ComAuroraAstro, ui->FinCrepAstro};
    area_.TextInfo = ui->TextInfo;
    area_.Label1 = ui->Label1;
    area_.Label8 = ui->Label8;
    area_.HorasLuz = ui->HorasLuz;
    area_.TextAl = ui->TextAl;
    // Every pointer comes from the description: a missing control is a
    // fault of the build, caught here in every build type.
    if (!Completos(area_)) qFatal("FormVespalbaCivilNautico: a result control is missing");
    FijaPaleta(*this);
    AplicaColoresSistema();
    // The time boxes and the daylight box were measured for MS Sans Serif;
    // with a substitute face the widest word they show, "Bajo horizonte",
    // must still fit. One letter for all of them, so they look alike.
    EstrechaHastaCaber(*ui->Orto, QStringLiteral("Bajo horizonte"));
    for (QLineEdit* caja :
         {ui->OcasoLuna, ui->OrtoLuna, ui->Ocaso, ui->ComAuroraCivil, ui->FinCrepCivil,
          ui->ComAurora, ui->FinCrep, ui->ComAuroraAstro, ui->FinCrepAstro, ui->HorasLuz}) {
        caja->setFont(ui->Orto->font());
    }
    // The moon captions trade places: the narrower label must hold the
    // longer caption too.
    EstrechaHastaCaber(*ui->Label8, QStringLiteral("Ocaso Luna"));
    ui->Label1->setFont(ui->Label8->font());

    // What the user types into ComLugar stays as typed: no completion from
    // the list's names (the list never grows: NoInsert, in the .ui).
    ui->ComLugar->setCompleter(nullptr);
    // On Linux Qt reads an editable combo box's name as its text, so the
    // name "Lugar" from the .ui would not reach a screen reader; the box's
    // own text field carries it instead.
    ui->ComLugar->lineEdit()->setAccessibleName(ui->ComLugar->accessibleName());

    connect(ui->Command1, &QPushButton::clicked, this, &FormVespalbaCivilNautico::Command1_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &FormVespalbaCivilNautico::Command4_Click);
    connect(new EleccionLista(ui->ComLugar, ui->ComLugar), &EleccionLista::Elegido, this,
            &FormVespalbaCivilNautico::ComLugar_Click);
    connect(ui->Ej1, &QAction::triggered, this, &FormVespalbaCivilNautico::Ej1_Click);
    connect(ui->Nuevo, &QAction::triggered, this, &FormVespalbaCivilNautico::Nuevo_Click);
    connect(ui->Salir, &QAction::triggered, this, &FormVespalbaCivilNautico::Salir_Click);

    for (QRadioButton* opcion : {ui->Lss, ui->Lnn, ui->Gww, ui->Gee, ui->Option1, ui->Option2}) {
        connect(opcion, &QRadioButton::toggled, this, &FormVespalbaCivilNautico::UnaParadaPorGrupo);
    }
    UnaParadaPorGrupo();

    Form_Load();

    // The client area is fixed by the description (789 x 533 pixels below
    // the menu bar); the window takes exactly that size and keeps it.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    tamanoDiseno_ = size();
    ColocaEnPantalla();
    ui->FE1->setFocus();
}

FormVespalbaCivilNautico::~FormVespalbaCivilNautico() = default;

QWidget* FormVespalbaCivilNautico::ControlDe(ControlEntrada control) const {
    switch (control) {
        case ControlEntrada::FE1: return ui->FE1;
        case ControlEntrada::FE2: return ui->FE2;
        case ControlEntrada::FE3: return ui->FE3;
        case ControlEntrada::L3: return ui->L3;
        case ControlEntrada::L4: return ui->L4;
        case ControlEntrada::G3: return ui->G3;
        case ControlEntrada::G4: return ui->G4;
        case ControlEntrada::Z: return ui->Z;
    }
    return ui->FE1;
}

void FormVespalbaCivilNautico::FijaPaleta(QWidget& raiz) {
    const QPalette clara = PaletaVentana();
    QList<QWidget*> widgets = raiz.findChildren<QWidget*>();
    widgets.prepend(&raiz);
    for (QWidget* w : widgets) {
        // The roles a control sets itself (its resolve mask: the .ui's fixed
        // colours) stay; every other comes from the light palette, and all
        // are then its own. The window's style sheet stops a palette from
        // passing down to the controls, hence one by one.
        QPalette p = w->palette().resolve(clara);
        p.setResolveMask(~QPalette::ResolveMask{0});
        w->setPalette(p);
    }
}

void FormVespalbaCivilNautico::AplicaColoresSistema() {
    const QColor borde = ColorBordeActivo();
    for (QWidget* w :
         {static_cast<QWidget*>(ui->Shape5), static_cast<QWidget*>(ui->Shape3),
          static_cast<QWidget*>(ui->Shape4), static_cast<QWidget*>(ui->Label23_1),
          static_cast<QWidget*>(ui->Label23_0), static_cast<QWidget*>(ui->Resultado)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, borde);
        w->setPalette(p);
    }
}

void FormVespalbaCivilNautico::UnaParadaPorGrupo() {
    for (QRadioButton* opcion : {ui->Lss, ui->Lnn, ui->Gww, ui->Gee, ui->Option1, ui->Option2}) {
        opcion->setFocusPolicy(opcion->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void FormVespalbaCivilNautico::ColocaEnPantalla() {
    const QScreen* pantalla = screen();
    if (pantalla == nullptr) {
        return;
    }
    const QRect zona = pantalla->availableGeometry();
    // The frame the platform adds around the window: unknown (zero) before
    // the window is first shown on most platforms.
    marco_ = frameGeometry().size() - geometry().size();
    if (desplazamiento_ == nullptr) {
        if (tamanoDiseno_.width() + marco_.width() <= zona.width() &&
            tamanoDiseno_.height() + marco_.height() <= zona.height()) {
            // It fits: centred on the available area, in the design's size.
            QRect marco = frameGeometry();
            marco.moveCenter(zona.center());
            move(marco.topLeft());
            return;
        }
        EnvuelveEnDesplazamiento();
    }
    // Too large for the screen (a small screen, or a large scale factor):
    // the available size at most, its contents scrolling. In each direction
    // centred when that fits, else from the area's top or left edge, so that
    // the title bar and the menu are always on the screen.
    const QSize tamano = tamanoDiseno_.boundedTo(zona.size() - marco_);
    resize(tamano);
    const QSize conMarco = tamano + marco_;
    const int x = zona.left() + std::max(0, (zona.width() - conMarco.width()) / 2);
    const int y = zona.top() + std::max(0, (zona.height() - conMarco.height()) / 2);
    move(x, y);
}

void FormVespalbaCivilNautico::EnvuelveEnDesplazamiento() {
    // The client area keeps its fixed size and every control its place; it
    // only moves inside a frameless scroll area.
    QWidget* area = takeCentralWidget();
    desplazamiento_ = new QScrollArea(this);
    desplazamiento_->setObjectName(QStringLiteral("desplazamiento"));
    desplazamiento_->setFrameShape(QFrame::NoFrame);
    // Not a stop of the Tab key: the keyboard order stays the design's.
    desplazamiento_->setFocusPolicy(Qt::NoFocus);
    desplazamiento_->setWidget(area);
    setCentralWidget(desplazamiento_);
    FijaPaleta(*desplazamiento_);
    // The control that takes the focus comes into view whole (the scroll
    // area itself only brings a text box's cursor into view).
    // The scroll area is the connection's context and the only object the
    // handler touches: focus still moves while the window is being
    // destroyed (its QWidget part closes it), after this class's part is gone.
    connect(qApp, &QApplication::focusChanged, desplazamiento_,
            [desplazamiento = desplazamiento_](QWidget*, QWidget* ahora) {
                QWidget* area = desplazamiento->widget();
                if (ahora == nullptr || !area->isAncestorOf(ahora)) {
                    return;
                }
                const QRect donde(ahora->mapTo(area, QPoint(0, 0)), ahora->size());
                desplazamiento->ensureVisible(donde.center().x(), donde.center().y(),
                                              donde.width() / 2 + 1, donde.height() / 2 + 1);
            });
    // Resizable now, up to the design's size.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setMinimumSize(0, 0);
    setMaximumSize(tamanoDiseno_);
}

bool FormVespalbaCivilNautico::event(QEvent* evento) {
    const bool hecho = QMainWindow::event(evento);
    // Once shown, the platform's frame becomes known (and a window manager
    // may add it only then): a window that does not fit with it is placed
    // again. A window that fits is never moved after its first placing.
    if (evento->type() == QEvent::Show || evento->type() == QEvent::Move ||
        evento->type() == QEvent::Resize) {
        const QSize marco = frameGeometry().size() - geometry().size();
        if (marco != marco_ && isVisible()) {
            const QRect zona = screen() ? screen()->availableGeometry() : QRect();
            const bool cabe = tamanoDiseno_.width() + marco.width() <= zona.width() &&
                              tamanoDiseno_.height() + marco.height() <= zona.height();
            if (desplazamiento_ != nullptr || !cabe) {
                ColocaEnPantalla();
            } else {
                marco_ = marco;
            }
        }
    }
    return hecho;
}

void FormVespalbaCivilNautico::FijaReloj(std::function<QDate()> reloj) {
    reloj_ = std::move(reloj);
}

void FormVespalbaCivilNautico::PonTextoLugar(const QString& texto) {
    // Neither call emits `activated`, so no pick runs.
    ui->ComLugar->setCurrentIndex(
        ui->ComLugar->findText(texto, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ui->ComLugar->setEditText(texto);
}

void FormVespalbaCivilNautico::Form_Load() {
    // The table itself is built at compile time (lugares/lugares.cpp).
    for (int i = 1; i <= NumLugares; ++i) {
        ui->ComLugar->addItem(Texto(Lugares[i].Nombre));
    }
    // The first entry added to an editable box replaces its text: put the
    // start text back, with no entry current.
    PonTextoLugar(QStringLiteral("Selección Lugar"));
}

void FormVespalbaCivilNautico::Command1_Click() {
    update();
    LimpiaResultados(area_);

    EntradasCalculo entradas;
    entradas.FE1 = ui->FE1->text();
    entradas.FE2 = ui->FE2->text();
    entradas.FE3 = ui->FE3->text();
    entradas.L3 = ui->L3->text();
    entradas.L4 = ui->L4->text();
    entradas.G3 = ui->G3->text();
    entradas.G4 = ui->G4->text();
    entradas.Z = ui->Z->text();
    entradas.Lnn = ui->Lnn->isChecked();
    entradas.Gee = ui->Gee->isChecked();
    entradas.Option2 = ui->Option2->isChecked();

    const auto validado = ValidaDatos(entradas, QLocale());
    if (const auto* fallo = std::get_if<FalloValidacion>(&validado)) {
        // The focus goes first, so that after the message the user types
        // straight into the box at fault.
        ControlDe(fallo->control)->setFocus();
        MuestraMensaje(fallo->mensaje);
        return;
    }
    const auto& datos = std::get<ModuloVespalba::DatosCalculo>(validado);
    MuestraResultados(area_, ModuloVespalba::BuscaEventos(datos), datos.Fecha);
}

void FormVespalbaCivilNautico::MuestraMensaje(const QString& mensaje) {
    QMessageBox caja(QMessageBox::NoIcon, QStringLiteral("Vespalba"), mensaje, QMessageBox::Ok,
                     this);
    caja.exec();
}

void FormVespalbaCivilNautico::Command4_Click() {
    const QDate hoy = reloj_();
    ui->FE1->setText(QString::number(hoy.day()));
    ui->FE2->setText(QString::number(hoy.month()));
    ui->FE3->setText(QString::number(hoy.year()));
}

void FormVespalbaCivilNautico::ComLugar_Click() {
    // The hemispheres of the matched place; both stay empty when the text
    // names none, which selects north and east below.
    std::string_view latHemisferio;
    std::string_view lonHemisferio;
    const QString texto = ui->ComLugar->currentText();
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& lugar = Lugares[i];
        // Exact and case-sensitive, trailing blanks included.
        if (texto == Texto(lugar.Nombre)) {
            ui->L3->setText(QString::number(lugar.LatGrados));
            ui->L4->setText(QString::number(lugar.LatMinutos));
            latHemisferio = lugar.LatHemisferio;
            ui->G3->setText(QString::number(lugar.LonGrados));
            ui->G4->setText(QString::number(lugar.LonMinutos));
            lonHemisferio = lugar.LonHemisferio;
            break;
        }
    }
    // Only "S" and "W" are tested: "N " (with its blank) and "E" fall through.
    (latHemisferio == "S" ? ui->Lss : ui->Lnn)->setChecked(true);
    (lonHemisferio == "W" ? ui->Gww : ui->Gee)->setChecked(true);
}

void FormVespalbaCivilNautico::Ej1_Click() {
    update();
    ui->FE1->setText(QStringLiteral("2"));
    ui->FE2->setText(QStringLiteral("7"));
    ui->FE3->setText(QStringLiteral("2003"));
    ui->Resultado->setVisible(false);
    ui->Z->setText(QStringLiteral("4"));
    ui->L3->setText(QStringLiteral("33"));
    ui->L4->setText(QStringLiteral("16"));
    ui->Lss->setChecked(true);
    ui->G3->setText(QStringLiteral("71"));
    ui->G4->setText(QStringLiteral("36"));
    ui->Gww->setChecked(true);
    // The list entry's text; its 34 minutes are not copied (no pick runs),
    // so G4 keeps 36. The zone's direction and TextInfo stay as they are.
    PonTextoLugar(QStringLiteral("Valparaíso        "));
}

void FormVespalbaCivilNautico::Nuevo_Click() {
    update();
    ui->Resultado->setVisible(false);
    ui->FE1->clear();
    ui->FE2->clear();
    ui->FE3->clear();
    ui->Z->setText(QStringLiteral("4"));
    ui->L3->clear();
    ui->L4->clear();
    ui->G3->clear();
    ui->G4->clear();
    ui->Lss->setChecked(true);
    ui->Gww->setChecked(true);
    PonTextoLugar(QStringLiteral("Selección Lugar"));
    // The clearing that starts a calculation, with the frame left hidden.
    // The zone's direction, HorasLuz, TextAl and the moon captions stay.
    VaciaAreaResultados(area_);
}

void FormVespalbaCivilNautico::Salir_Click() { close(); }

}  // namespace Vespalba

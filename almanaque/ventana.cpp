// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/ventana.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QThreadPool>
#include <QTimeZone>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "almanaque/ahora.h"
#include "almanaque/anio.h"
#include "almanaque/exportar.h"
#include "almanaque/franja.h"
#include "almanaque/luna.h"
#include "almanaque/mes.h"
#include "astro/dominio.h"
#include "dias/presente.h"
#include "lugares/nomenclator.h"
#include "lugares/zonas.h"
#include "salidas/dibujo.h"
#include "salidas/exporta.h"

namespace Vespalba::Almanaque {

namespace {

// Runs an action once, the first time a widget is shown: work a hidden view
// does not need (sizing the month's columns to their texts) waits until then.
class AlMostrarse : public QObject {
public:
    AlMostrarse(QWidget* w, std::function<void()> accion) : QObject(w), accion_(std::move(accion)) {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show && accion_) std::exchange(accion_, nullptr)();
        return false;
    }

private:
    std::function<void()> accion_;
};

// Most suggestions under the place box.
constexpr int MaximoSugerencias = 12;

// Roles of a suggestion's row.
constexpr int RolDetalle = Qt::UserRole + 1;

// The fixed offsets the zone list offers, hours: every whole hour, and the
// fractions tzdata's zones have used.
const double desfasesFijos[] = {-12,  -11, -10,  -9.5, -9, -8,    -7, -6,    -5,   -4,
                                -3.5, -3,  -2,   -1,   0,  1,     2,  3,     3.5,  4,
                                4.5,  5,   5.5,  5.75, 6,  6.5,   7,  8,     8.75, 9,
                                9.5,  10,  10.5, 11,   12, 12.75, 13, 13.75, 14};

QTableWidget* TablaDeSucesos(const QString& nombre) {
    auto* t = new QTableWidget(0, 3);
    t->setObjectName(nombre);
    t->setHorizontalHeaderLabels(
        {QStringLiteral("Suceso"), QStringLiteral("Hora"), QStringLiteral("Nota")});
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setShowGrid(false);
    t->setAlternatingRowColors(true);
    // Tab leaves the table for the next control; the arrows move in it.
    t->setTabKeyNavigation(false);
    t->setWordWrap(false);
    t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    t->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    t->horizontalHeader()->setStretchLastSection(true);
    // As tall as its rows: the day's strip follows right under them.
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    t->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return t;
}

void LlenaSucesos(QTableWidget* t, const std::vector<Suceso>& sucesos) {
    t->setRowCount(int(sucesos.size()));
    for (int i = 0; i < int(sucesos.size()); ++i) {
        const Suceso& s = sucesos[std::size_t(i)];
        const QString celdas[3] = {s.nombre, s.hora, s.nota};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(celdas[c]);
            // A screen reader reads the whole row from any of its cells.
            item->setData(Qt::AccessibleTextRole,
                          s.nombre + QStringLiteral(": ") + s.hora +
                              (s.nota.isEmpty() ? QString() : QStringLiteral(", ") + s.nota));
            if (c == 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(i, c, item);
        }
    }
    t->resizeRowsToContents();
    int alto = t->horizontalHeader()->height() + 2 * t->frameWidth();
    for (int i = 0; i < t->rowCount(); ++i) alto += t->rowHeight(i);
    t->setFixedHeight(alto);
}

// A label's text, also as its accessible description: a label given an
// accessible name (what it is) offers screen readers that name instead of
// its text, so the text goes in the description.
void PonTexto(QLabel* etiqueta, const QString& texto) {
    etiqueta->setText(texto);
    etiqueta->setAccessibleDescription(texto);
}

QLabel* Etiqueta(const QString& nombre) {
    auto* l = new QLabel;
    l->setObjectName(nombre);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setTextFormat(Qt::PlainText);
    return l;
}

}  // namespace

VentanaAlmanaque::VentanaAlmanaque(std::unique_ptr<QSettings> almanaque,
                                   std::unique_ptr<QSettings> comun, std::function<qint64()> ahora,
                                   QWidget* parent)
    : QMainWindow(parent),
      ajustesAlmanaque_(std::move(almanaque)),
      ajustesComunes_(std::move(comun)),
      ahora_(std::move(ahora)) {
    setObjectName(QStringLiteral("VentanaAlmanaque"));
    setWindowTitle(QStringLiteral("Vespalba: almanaque"));
    preferencias_ = LeePreferencias(*ajustesAlmanaque_, *ajustesComunes_);

    auto* central = new QWidget;
    auto* columna = new QVBoxLayout(central);
    auto* arriba = new QWidget;
    ConstruyeCajas(arriba);
    columna->addWidget(arriba);

    lineaLugar_ = Etiqueta(QStringLiteral("lineaLugar"));
    QFont negrita = lineaLugar_->font();
    negrita.setBold(true);
    lineaLugar_->setFont(negrita);
    lineaLugar_->setAccessibleName(QStringLiteral("Lugar y zona mostrados"));
    columna->addWidget(lineaLugar_);

    pestanas_ = new QTabWidget;
    pestanas_->setObjectName(QStringLiteral("pestanas"));
    pestanas_->addTab(ConstruyeDia(), QStringLiteral("&Día"));
    pestanas_->addTab(ConstruyeMes(), QStringLiteral("&Mes"));
    pestanas_->addTab(ConstruyeAnio(), QStringLiteral("&Año"));
    connect(pestanas_, &QTabWidget::currentChanged, this, [this] { ActualizaAnio(); });
    columna->addWidget(pestanas_, 1);
    setCentralWidget(central);
    ConstruyeMenus();
    statusBar()->setSizeGripEnabled(true);
    // A text box with the focus would take Ctrl+E for itself on X11
    // desktops (its emacs-like end of line) and the menu's Exportar would
    // never come: the menus' shortcuts are let through (eventFilter).
    for (const QAction* a : menuBar()->findChildren<QAction*>()) {
        if (!a->shortcut().isEmpty()) atajos_ << a->shortcut();
    }
    for (QLineEdit* caja : findChildren<QLineEdit*>()) caja->installEventFilter(this);

    // The place of the last run, else the default place, else the main
    // location of the system's zone.
    if (preferencias_.ultimo) {
        sitio_ = *preferencias_.ultimo;
    } else if (preferencias_.porOmision >= 0) {
        sitio_ = preferencias_.favoritos[std::size_t(preferencias_.porOmision)];
    } else {
        sitio_ = SitioInicial(QTimeZone::systemTimeZoneId());
    }
    zona_ = preferencias_.zona;
    consulta_ = ConsultaDe(sitio_, zona_, QDate(2000, 1, 1), QDate(2000, 1, 1));
    fecha_ = std::clamp(HoyEn(consulta_, ahora_()), PrimeraFecha, UltimaFecha);
    if (preferencias_.geometria.isEmpty() || !restoreGeometry(preferencias_.geometria)) {
        // 1100 x 720, or the screen's available area when it is smaller
        // (1024 x 600 netbooks).
        QSize tamano(1100, 720);
        if (const QScreen* pantalla = screen()) {
            tamano = tamano.boundedTo(pantalla->availableGeometry().size() - QSize(16, 48));
        }
        resize(tamano);
    }
    cajaLugar_->setText(sitio_.Nombre());
    ActualizaFavoritos();
    // Another window (or vespalba-tabla --guardar-lugar) may change the
    // favourites and the default place: the menu follows the files.
    vigilancia_ = new QFileSystemWatcher(this);
    for (const QString& archivo : {ajustesAlmanaque_->fileName(), ajustesComunes_->fileName()}) {
        const QFileInfo info(archivo);
        QDir().mkpath(info.absolutePath());
        vigilancia_->addPath(info.absolutePath());
        if (info.exists()) vigilancia_->addPath(archivo);
    }
    connect(vigilancia_, &QFileSystemWatcher::fileChanged, this, [this] { RecargaFavoritos(); });
    connect(vigilancia_, &QFileSystemWatcher::directoryChanged, this,
            [this] { RecargaFavoritos(); });
    Recalcula();
}

VentanaAlmanaque::~VentanaAlmanaque() = default;

void VentanaAlmanaque::ConstruyeCajas(QWidget* arriba) {
    auto* rejilla = new QGridLayout(arriba);
    rejilla->setContentsMargins(0, 0, 0, 0);

    // Place: one search box with its suggestions.
    auto* etiquetaLugar = new QLabel(QStringLiteral("&Lugar:"));
    cajaLugar_ = new QLineEdit;
    cajaLugar_->setObjectName(QStringLiteral("cajaLugar"));
    cajaLugar_->setPlaceholderText(
        QStringLiteral("Pueblo, ciudad o puerto, o coordenadas como 33:16S 71:36W"));
    cajaLugar_->setAccessibleName(QStringLiteral("Lugar"));
    cajaLugar_->setAccessibleDescription(QStringLiteral(
        "Escriba un nombre y elija en la lista con las flechas y Entrar, o escriba coordenadas"));
    cajaLugar_->setClearButtonEnabled(true);
    cajaLugar_->setMaxLength(200);
    etiquetaLugar->setBuddy(cajaLugar_);
    modeloSugerencias_ = new QStandardItemModel(this);
    completador_ = new QCompleter(modeloSugerencias_, this);
    completador_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completador_->setCaseSensitivity(Qt::CaseInsensitive);
    completador_->setMaxVisibleItems(MaximoSugerencias);
    completador_->setWidget(cajaLugar_);
    completador_->popup()->setObjectName(QStringLiteral("listaSugerencias"));
    completador_->popup()->setAccessibleName(QStringLiteral("Lugares que coinciden"));
    connect(cajaLugar_, &QLineEdit::textEdited, this, &VentanaAlmanaque::TextoDelLugarEditado);
    connect(cajaLugar_, &QLineEdit::returnPressed, this, &VentanaAlmanaque::LugarConfirmado);
    connect(completador_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& i) { SugerenciaElegida(i.row()); });
    // The completer would write its row's text into the box; the choice is
    // made from the row itself.
    completador_->popup()->installEventFilter(this);

    botonFavoritos_ = new QToolButton;
    botonFavoritos_->setObjectName(QStringLiteral("botonFavoritos"));
    botonFavoritos_->setText(QStringLiteral("Favoritos"));
    botonFavoritos_->setAccessibleName(QStringLiteral("Lugares favoritos"));
    botonFavoritos_->setPopupMode(QToolButton::InstantPopup);
    menuFavoritos_ = new QMenu(QStringLiteral("Lugares &favoritos"), this);
    botonFavoritos_->setMenu(menuFavoritos_);

    avisoLugar_ = Etiqueta(QStringLiteral("avisoLugar"));
    avisoLugar_->setAccessibleName(QStringLiteral("Aviso del lugar"));
    avisoLugar_->hide();

    // Zone: the place's own, another of tzdata's, or a fixed offset.
    auto* etiquetaZona = new QLabel(QStringLiteral("&Zona:"));
    cajaZona_ = new QComboBox;
    cajaZona_->setObjectName(QStringLiteral("cajaZona"));
    cajaZona_->setEditable(true);
    cajaZona_->setInsertPolicy(QComboBox::NoInsert);
    cajaZona_->setAccessibleName(QStringLiteral("Zona horaria"));
    cajaZona_->setAccessibleDescription(QStringLiteral(
        "La zona del lugar, otra zona como America/Santiago o un desfase fijo como -4"));
    cajaZona_->setMinimumContentsLength(22);
    // As wide as 22 letters, not as the longest of 400 zone names: sizing
    // over the whole list cost about 5 % of the window's start.
    cajaZona_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    etiquetaZona->setBuddy(cajaZona_);
    LlenaZonas();
    cajaZona_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    cajaZona_->completer()->setFilterMode(Qt::MatchContains);
    cajaZona_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    connect(cajaZona_, qOverload<int>(&QComboBox::activated), this,
            [this](int) { ZonaConfirmada(); });
    connect(cajaZona_->lineEdit(), &QLineEdit::returnPressed, this,
            &VentanaAlmanaque::ZonaConfirmada);

    // Date: a calendar, days, months and years back and forth, today.
    auto* etiquetaFecha = new QLabel(QStringLiteral("F&echa:"));
    cajaFecha_ = new QDateEdit;
    cajaFecha_->setObjectName(QStringLiteral("cajaFecha"));
    cajaFecha_->setCalendarPopup(true);
    cajaFecha_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    cajaFecha_->setDateRange(PrimeraFecha, UltimaFecha);
    cajaFecha_->setAccessibleName(QStringLiteral("Fecha"));
    etiquetaFecha->setBuddy(cajaFecha_);
    connect(cajaFecha_, &QDateEdit::dateChanged, this, [this](QDate f) {
        if (f != fecha_) EligeFecha(f);
    });
    auto boton = [](const QString& texto, const QString& nombre, const QString& accesible) {
        auto* b = new QToolButton;
        b->setText(texto);
        b->setObjectName(nombre);
        b->setAccessibleName(accesible);
        b->setToolTip(accesible);
        b->setAutoRaise(true);
        return b;
    };
    auto* anioAntes =
        boton(QStringLiteral("«"), QStringLiteral("anioAnterior"), QStringLiteral("Año anterior"));
    auto* mesAntes = boton(QStringLiteral("‹‹"), QStringLiteral("mesAnterior"),
                           QStringLiteral("Mes anterior (Alt+RePág)"));
    auto* diaAntes = boton(QStringLiteral("‹"), QStringLiteral("diaAnterior"),
                           QStringLiteral("Día anterior (Alt+Izquierda)"));
    auto* diaDespues = boton(QStringLiteral("›"), QStringLiteral("diaSiguiente"),
                             QStringLiteral("Día siguiente (Alt+Derecha)"));
    auto* mesDespues = boton(QStringLiteral("››"), QStringLiteral("mesSiguiente"),
                             QStringLiteral("Mes siguiente (Alt+AvPág)"));
    auto* anioDespues = boton(QStringLiteral("»"), QStringLiteral("anioSiguiente"),
                              QStringLiteral("Año siguiente"));
    auto* hoy = new QPushButton(QStringLiteral("&Hoy"));
    hoy->setObjectName(QStringLiteral("botonHoy"));
    hoy->setToolTip(QStringLiteral("La fecha de hoy en la zona (Alt+Inicio)"));
    connect(anioAntes, &QToolButton::clicked, this, [this] { MueveMeses(-12); });
    connect(mesAntes, &QToolButton::clicked, this, [this] { MueveMeses(-1); });
    connect(diaAntes, &QToolButton::clicked, this, [this] { MueveDias(-1); });
    connect(diaDespues, &QToolButton::clicked, this, [this] { MueveDias(1); });
    connect(mesDespues, &QToolButton::clicked, this, [this] { MueveMeses(1); });
    connect(anioDespues, &QToolButton::clicked, this, [this] { MueveMeses(12); });
    connect(hoy, &QPushButton::clicked, this, &VentanaAlmanaque::Hoy);
    avisoFecha_ = Etiqueta(QStringLiteral("avisoFecha"));
    avisoFecha_->setAccessibleName(QStringLiteral("Aviso de la fecha"));
    avisoFecha_->hide();

    auto* filaLugar = new QHBoxLayout;
    filaLugar->addWidget(cajaLugar_, 1);
    filaLugar->addWidget(botonFavoritos_);
    rejilla->addWidget(etiquetaLugar, 0, 0);
    rejilla->addLayout(filaLugar, 0, 1);
    rejilla->addWidget(avisoLugar_, 1, 1);
    auto* filaZonaFecha = new QHBoxLayout;
    filaZonaFecha->addWidget(cajaZona_, 1);
    filaZonaFecha->addSpacing(12);
    filaZonaFecha->addWidget(etiquetaFecha);
    for (QWidget* w : std::initializer_list<QWidget*>{anioAntes, mesAntes, diaAntes, cajaFecha_,
                                                      diaDespues, mesDespues, anioDespues, hoy}) {
        filaZonaFecha->addWidget(w);
    }
    rejilla->addWidget(etiquetaZona, 2, 0);
    rejilla->addLayout(filaZonaFecha, 2, 1);
    rejilla->addWidget(avisoFecha_, 3, 1);
    rejilla->setColumnStretch(1, 1);
}

void VentanaAlmanaque::LlenaZonas() {
    cajaZona_->clear();
    cajaZona_->addItem(QStringLiteral("Zona del lugar"));
    for (double h : desfasesFijos) {
        cajaZona_->addItem(NombreZonaFija(h), h);
    }
    QStringList nombres;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        const QString n = QString::fromLatin1(id);
        // tzdata's region/city names; one chosen is checked as it is read
        // (LeeZona), so the list needs no zone made for each of 400 names.
        if (n.contains(QLatin1Char('/')) && !n.startsWith(QLatin1String("Etc/"))) nombres << n;
    }
    nombres.sort();
    for (const QString& n : nombres) cajaZona_->addItem(n, n);
}

QWidget* VentanaAlmanaque::ConstruyeDia() {
    auto* dia = new QWidget;
    dia->setObjectName(QStringLiteral("vistaDia"));
    auto* fila = new QHBoxLayout(dia);

    auto* izquierda = new QVBoxLayout;
    tituloDia_ = Etiqueta(QStringLiteral("tituloDia"));
    QFont grande = tituloDia_->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.2);
    grande.setBold(true);
    tituloDia_->setFont(grande);
    izquierda->addWidget(tituloDia_);
    avisosDia_ = Etiqueta(QStringLiteral("avisosDia"));
    avisosDia_->setAccessibleName(QStringLiteral("Avisos del día"));
    izquierda->addWidget(avisosDia_);
    tablaSol_ = TablaDeSucesos(QStringLiteral("tablaSol"));
    tablaSol_->setAccessibleName(QStringLiteral("El Sol y los crepúsculos del día"));
    izquierda->addWidget(tablaSol_);
    franja_ = new FranjaDia;
    franja_->setObjectName(QStringLiteral("franjaDia"));
    izquierda->addWidget(franja_);
    doradaDia_ = new QCheckBox(QStringLiteral("Horas dorada y a&zul en la franja"));
    doradaDia_->setObjectName(QStringLiteral("doradaDia"));
    doradaDia_->setChecked(true);
    doradaDia_->setToolTip(
        QStringLiteral("Hora azul: Sol de −6° a −4°. Hora dorada: Sol de −4° a +6°."));
    connect(doradaDia_, &QCheckBox::toggled, franja_, &FranjaDia::MuestraLuz);
    izquierda->addWidget(doradaDia_);
    izquierda->addStretch(1);
    fila->addLayout(izquierda, 3);

    auto* derecha = new QVBoxLayout;
    panelAhora_ = new PanelAhora(ahora_);
    derecha->addWidget(panelAhora_);
    auto* grupoLuna = new QGroupBox(QStringLiteral("La Luna"));
    grupoLuna->setObjectName(QStringLiteral("grupoLuna"));
    auto* columnaLuna = new QVBoxLayout(grupoLuna);
    auto* filaLuna = new QHBoxLayout;
    dibujoLuna_ = new DibujoLuna;
    dibujoLuna_->setObjectName(QStringLiteral("dibujoLuna"));
    filaLuna->addWidget(dibujoLuna_);
    textoLuna_ = Etiqueta(QStringLiteral("textoLuna"));
    filaLuna->addWidget(textoLuna_, 1);
    columnaLuna->addLayout(filaLuna);
    tablaLuna_ = TablaDeSucesos(QStringLiteral("tablaLuna"));
    tablaLuna_->setAccessibleName(QStringLiteral("Orto y ocaso de la Luna"));
    columnaLuna->addWidget(tablaLuna_);
    fasesLuna_ = Etiqueta(QStringLiteral("fasesLuna"));
    fasesLuna_->setAccessibleName(QStringLiteral("Próximas fases de la Luna"));
    columnaLuna->addWidget(fasesLuna_);
    derecha->addWidget(grupoLuna);
    auto* grupoAnio = new QGroupBox(QStringLiteral("Estaciones"));
    auto* columnaAnio = new QVBoxLayout(grupoAnio);
    estaciones_ = Etiqueta(QStringLiteral("estaciones"));
    estaciones_->setAccessibleName(QStringLiteral("Solsticios y equinoccios"));
    columnaAnio->addWidget(estaciones_);
    derecha->addWidget(grupoAnio);
    derecha->addStretch(1);
    fila->addLayout(derecha, 2);

    auto* desplazable = new QScrollArea;
    desplazable->setWidget(dia);
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    desplazable->setFocusPolicy(Qt::NoFocus);  // its controls take the focus
    return desplazable;
}

namespace {

// Whether two requests give the same days.
bool MismaConsulta(const Dias::Consulta& a, const Dias::Consulta& b) {
    return a.latitud == b.latitud && a.longitud == b.longitud && a.zonaHoraria == b.zonaHoraria &&
           a.zona == b.zona && a.desde == b.desde && a.hasta == b.hasta && a.lugar == b.lugar &&
           a.nombreCompleto == b.nombreCompleto;
}

}  // namespace

void VentanaAlmanaque::Imprime(bool anio) {
    const QDate desde = anio ? QDate(fecha_.year(), 1, 1) : QDate(fecha_.year(), fecha_.month(), 1);
    const QDate hasta = anio ? QDate(fecha_.year(), 12, 31) : desde.addMonths(1).addDays(-1);
    Salidas::Peticion p = PeticionDe(consulta_, desde, hasta, "pdf");
    p.luna = lunaAnio_->isChecked();
    p.dorada = doradaAnio_->isChecked();
    MuestraImpresion(this, p);
}

void VentanaAlmanaque::Exporta() {
    DialogoExportar dialogo(consulta_, fecha_, this);
    if (dialogo.exec() != QDialog::Accepted) return;
    const QString carpeta =
        ultimaCarpeta_.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : ultimaCarpeta_;
    const QString ruta = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exportar"), QDir(carpeta).filePath(dialogo.NombreSugerido()));
    if (ruta.isEmpty()) return;
    ultimaCarpeta_ = QFileInfo(ruta).absolutePath();
    ExportaA(dialogo.Peticion(), ruta);
}

bool VentanaAlmanaque::ExportaA(const Salidas::Peticion& peticion, const QString& ruta) {
    // Off the GUI thread: a year of pages or 1980-2040 takes seconds, and
    // the window keeps answering; the progress is read every 50 ms.
    std::atomic<qint64> hecho = 0, total = 0;
    std::atomic<bool> cancelar = false;
    Salidas::Exportacion resultado;
    std::unique_ptr<QThread> hilo(QThread::create([&] {
        resultado = Salidas::Exporta(peticion, ruta, NombreDelPrograma(), [&](qint64 h, qint64 t) {
            hecho = h;
            total = t;
            return !cancelar.load();
        });
    }));
    QProgressDialog progreso(QStringLiteral("Exportando %1…").arg(QFileInfo(ruta).fileName()),
                             QStringLiteral("Cancelar"), 0, 0, this);
    progreso.setObjectName(QStringLiteral("progresoExportar"));
    progreso.setWindowModality(Qt::WindowModal);
    progreso.setMinimumDuration(300);
    QTimer reloj;
    connect(&reloj, &QTimer::timeout, &progreso, [&] {
        if (total > 0) {
            progreso.setMaximum(int(total.load()));
            progreso.setValue(int(std::min(hecho.load(), total.load())));
        }
    });
    connect(&progreso, &QProgressDialog::canceled, &progreso, [&] { cancelar = true; });
    QEventLoop espera;
    connect(hilo.get(), &QThread::finished, &espera, &QEventLoop::quit);
    reloj.start(50);
    hilo->start();
    espera.exec();
    hilo->wait();
    reloj.stop();
    progreso.reset();
    if (resultado.escrito) {
        statusBar()->showMessage(QStringLiteral("Exportado en %1").arg(ruta), 8000);
        return true;
    }
    if (!resultado.cancelado) {
        QMessageBox::warning(this, QStringLiteral("Exportar"), MensajeDeFallo(resultado.motivo));
    }
    return false;
}

QWidget* VentanaAlmanaque::ConstruyeAnio() {
    auto* anio = new QWidget;
    anio->setObjectName(QStringLiteral("vistaAnio"));
    auto* columna = new QVBoxLayout(anio);
    auto* opciones = new QHBoxLayout;
    lunaAnio_ = new QCheckBox(QStringLiteral("Horas de la &Luna"));
    lunaAnio_->setObjectName(QStringLiteral("lunaAnio"));
    doradaAnio_ = new QCheckBox(QStringLiteral("Horas &dorada y azul"));
    doradaAnio_->setObjectName(QStringLiteral("doradaAnio"));
    opciones->addWidget(lunaAnio_);
    opciones->addWidget(doradaAnio_);
    opciones->addStretch(1);
    columna->addLayout(opciones);
    graficoAnio_ = new GraficoAnio;
    columna->addWidget(graficoAnio_, 1);
    for (QCheckBox* c : {lunaAnio_, doradaAnio_}) {
        connect(c, &QCheckBox::toggled, this, [this] { ActualizaAnio(); });
    }
    connect(graficoAnio_, &GraficoAnio::DiaElegido, this, &VentanaAlmanaque::EligeFecha);
    return anio;
}

void VentanaAlmanaque::ActualizaAnio() {
    if (graficoAnio_ == nullptr || pestanas_->currentWidget() != graficoAnio_->parentWidget()) {
        return;  // drawn when the year's tab is shown
    }
    const QDate primero(fecha_.year(), 1, 1);
    Dias::Consulta c = ConsultaDe(sitio_, zona_, primero, QDate(fecha_.year(), 12, 31));
    c.luzEspecial = doradaAnio_->isChecked();
    const qint64 t = ahora_();
    const QDate fechaHoy = HoyEn(c, t);
    const bool igual = MismaConsulta(c, consultaAnio_) &&
                       c.luzEspecial == consultaAnio_.luzEspecial &&
                       lunaAnio_->isChecked() == lunaAnioMostrada_ && fechaHoy == hoyAnio_;
    if (igual) {
        graficoAnio_->Elige(fecha_);
        return;
    }
    consultaAnio_ = c;
    lunaAnioMostrada_ = lunaAnio_->isChecked();
    hoyAnio_ = fechaHoy;
    Salidas::Peticion p;
    static_cast<Dias::Consulta&>(p) = c;
    Dibujo::OpcionesGrafico opciones;
    opciones.luna = lunaAnio_->isChecked();
    opciones.dorada = c.luzEspecial;
    const std::optional<QDate> hoy =
        fechaHoy.year() == fecha_.year() ? std::optional(fechaHoy) : std::nullopt;
    // The present on the zone's clock, hours after its 0 h.
    const qint64 local = t + Dias::DesfaseEn(c, t);
    const double hora = double((local % 86400 + 86400) % 86400) / 3600.0;
    graficoAnio_->Muestra(Salidas::AlmanaqueDe(p, Dias::CalculaDias(c)), opciones, fecha_, hoy,
                          hora);
}

QWidget* VentanaAlmanaque::ConstruyeMes() {
    tablaMes_ = new QTableView;
    tablaMes_->setObjectName(QStringLiteral("tablaMes"));
    tablaMes_->setAccessibleName(QStringLiteral("Los días del mes"));
    modeloMes_ = new ModeloMes(this);
    tablaMes_->setModel(modeloMes_);
    tablaMes_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tablaMes_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tablaMes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tablaMes_->verticalHeader()->hide();
    // Sized to their texts once the month is first shown: a hidden table
    // sized at every change of day cost about 7 % of the window's start.
    new AlMostrarse(tablaMes_, [this] {
        tablaMes_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    });
    tablaMes_->horizontalHeader()->setStretchLastSection(true);
    tablaMes_->setWordWrap(false);
    tablaMes_->setTabKeyNavigation(false);
    connect(tablaMes_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual) {
                const QDate f = modeloMes_->Fecha(actual.row());
                if (f.isValid() && f != fecha_) EligeFecha(f);
            });
    auto* copiar = new QAction(QStringLiteral("Copiar las filas"), tablaMes_);
    copiar->setShortcut(QKeySequence::Copy);
    copiar->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copiar, &QAction::triggered, this, &VentanaAlmanaque::CopiaFilas);
    tablaMes_->addAction(copiar);
    tablaMes_->setContextMenuPolicy(Qt::ActionsContextMenu);
    return tablaMes_;
}

void VentanaAlmanaque::ConstruyeMenus() {
    QMenu* archivo = menuBar()->addMenu(QStringLiteral("&Archivo"));
    QAction* imprimirMes =
        archivo->addAction(QStringLiteral("&Imprimir el mes…"), this, [this] { Imprime(false); });
    imprimirMes->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* imprimirAnio =
        archivo->addAction(QStringLiteral("Imprimir el &año…"), this, [this] { Imprime(true); });
    imprimirAnio->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    QAction* exportar =
        archivo->addAction(QStringLiteral("&Exportar…"), this, &VentanaAlmanaque::Exporta);
    exportar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    archivo->addSeparator();
    QAction* salir = archivo->addAction(QStringLiteral("&Salir"), this, &QWidget::close);
    salir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* ir = menuBar()->addMenu(QStringLiteral("&Ir"));
    const auto accion = [&](const QString& texto, QKeySequence tecla, auto funcion) {
        QAction* a = ir->addAction(texto, this, funcion);
        a->setShortcut(tecla);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    accion(QStringLiteral("&Buscar un lugar"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        cajaLugar_->setFocus(Qt::ShortcutFocusReason);
        cajaLugar_->selectAll();
    });
    ir->addSeparator();
    accion(QStringLiteral("Día &anterior"), QKeySequence(Qt::ALT | Qt::Key_Left),
           [this] { MueveDias(-1); });
    accion(QStringLiteral("Día &siguiente"), QKeySequence(Qt::ALT | Qt::Key_Right),
           [this] { MueveDias(1); });
    accion(QStringLiteral("&Mes anterior"), QKeySequence(Qt::ALT | Qt::Key_PageUp),
           [this] { MueveMeses(-1); });
    accion(QStringLiteral("M&es siguiente"), QKeySequence(Qt::ALT | Qt::Key_PageDown),
           [this] { MueveMeses(1); });
    accion(QStringLiteral("Año a&nterior"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_PageUp),
           [this] { MueveMeses(-12); });
    accion(QStringLiteral("Año si&guiente"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_PageDown),
           [this] { MueveMeses(12); });
    accion(QStringLiteral("&Hoy"), QKeySequence(Qt::ALT | Qt::Key_Home), [this] { Hoy(); });
    ir->addSeparator();
    accion(QStringLiteral("Vista del &día"), QKeySequence(Qt::CTRL | Qt::Key_1),
           [this] { pestanas_->setCurrentIndex(0); });
    accion(QStringLiteral("Vista del m&es"), QKeySequence(Qt::CTRL | Qt::Key_2),
           [this] { pestanas_->setCurrentIndex(1); });
    accion(QStringLiteral("Vista del &año"), QKeySequence(Qt::CTRL | Qt::Key_3),
           [this] { pestanas_->setCurrentIndex(2); });

    menuBar()->addMenu(menuFavoritos_);

    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("A&yuda"));
    ayuda->addAction(QStringLiteral("&Acerca del almanaque"), this, [this] {
        QMessageBox::about(
            this, QStringLiteral("Acerca del almanaque"),
            QStringLiteral(
                "Vespalba almanaque %1\n\nEl Sol, los crepúsculos y la Luna de cualquier "
                "lugar, en la hora civil de su zona, de 1980 a 2040. Horas truncadas "
                "al minuto, calculadas con series de baja precisión.\n\nLicencia "
                "GPL-3.0-or-later. Lugares: GeoNames (CC-BY-4.0).")
                .arg(QCoreApplication::applicationVersion()));
    });
}

// ---------------------------------------------------------------- the place

void VentanaAlmanaque::TextoDelLugarEditado(const QString& texto) {
    sugerencias_ = Sugerencias(texto, MaximoSugerencias);
    modeloSugerencias_->clear();
    for (const Sugerencia& s : sugerencias_) {
        auto* item = new QStandardItem(s.texto + QStringLiteral("  —  ") + s.detalle);
        item->setData(s.detalle, RolDetalle);
        item->setData(s.texto + QStringLiteral(", ") + s.detalle, Qt::AccessibleTextRole);
        item->setEditable(false);
        modeloSugerencias_->appendRow(item);
    }
    if (sugerencias_.empty()) {
        completador_->popup()->hide();
    } else {
        completador_->setCompletionPrefix(QString());
        completador_->complete();
    }
}

void VentanaAlmanaque::SugerenciaElegida(int fila) {
    if (fila < 0 || fila >= int(sugerencias_.size())) return;
    const Sitio s = sugerencias_[std::size_t(fila)].sitio;
    completador_->popup()->hide();
    if (!SitioValido(s)) {
        // Never offered (Sugerencias), but never chosen in silence either.
        MuestraAvisoLugar(QStringLiteral("%1 queda fuera de lo que calcula el almanaque (hasta "
                                         "los 75° de latitud). Se sigue mostrando %2.")
                              .arg(s.Nombre(), sitio_.Nombre()));
        return;
    }
    EligeSitio(s);
}

void VentanaAlmanaque::LugarConfirmado() {
    if (completador_->popup()->isVisible()) {
        const QModelIndex i = completador_->popup()->currentIndex();
        if (i.isValid()) {
            SugerenciaElegida(i.row());
            return;
        }
    }
    const QString texto = cajaLugar_->text();
    if (texto.trimmed() == sitio_.Nombre()) {
        MuestraAvisoLugar(QString());
        return;
    }
    const LecturaLugar l = LeeLugar(texto);
    if (l.sitio) {
        EligeSitio(*l.sitio);
    } else {
        MuestraAvisoLugar(l.problema + QStringLiteral(". Se sigue mostrando ") + sitio_.Nombre() +
                          QLatin1Char('.'));
    }
}

void VentanaAlmanaque::MuestraAvisoLugar(const QString& texto) {
    PonTexto(avisoLugar_, texto);
    avisoLugar_->setVisible(!texto.isEmpty());
}

void VentanaAlmanaque::EligeSitio(const Sitio& sitio) {
    if (!SitioValido(sitio)) return;
    sitio_ = sitio;
    MuestraAvisoLugar(QString());
    cajaLugar_->setText(sitio_.Nombre());
    cajaLugar_->setCursorPosition(0);
    Recalcula();
}

// ----------------------------------------------------------------- the zone

void VentanaAlmanaque::ZonaConfirmada() {
    const int i = cajaZona_->currentIndex();
    const QString texto = cajaZona_->currentText();
    if (i == 0 && texto == cajaZona_->itemText(0)) {
        EligeZona(EleccionZona{});
        return;
    }
    const LecturaZona l = LeeZona(texto);
    if (l.zona) {
        EligeZona(*l.zona);
    } else if (texto.startsWith(QStringLiteral("Zona del lugar"))) {
        EligeZona(EleccionZona{});
    } else {
        statusBar()->showMessage(l.problema, 10000);
        MuestraAvisoLugar(QStringLiteral("Zona: ") + l.problema + QLatin1Char('.'));
    }
}

void VentanaAlmanaque::EligeZona(const EleccionZona& zona) {
    zona_ = zona;
    MuestraAvisoLugar(QString());
    Recalcula();
}

// ----------------------------------------------------------------- the date

void VentanaAlmanaque::AvisaFecha(const QString& texto) {
    PonTexto(avisoFecha_, texto);
    avisoFecha_->setVisible(!texto.isEmpty());
}

void VentanaAlmanaque::EligeFecha(QDate fecha) {
    if (!fecha.isValid()) return;
    if (fecha < PrimeraFecha || fecha > UltimaFecha) {
        AvisaFecha(QStringLiteral("El almanaque va del 1 de enero de 1980 al 31 de diciembre de "
                                  "2040; se muestra el %1.")
                       .arg(fecha < PrimeraFecha ? QStringLiteral("primer día")
                                                 : QStringLiteral("último día")));
        fecha = std::clamp(fecha, PrimeraFecha, UltimaFecha);
    } else {
        AvisaFecha(QString());
    }
    fecha_ = fecha;
    Recalcula();
}

void VentanaAlmanaque::MueveDias(int dias) { EligeFecha(fecha_.addDays(dias)); }

void VentanaAlmanaque::MueveMeses(int meses) { EligeFecha(fecha_.addMonths(meses)); }

void VentanaAlmanaque::Hoy() { EligeFecha(HoyEn(consulta_, ahora_())); }

// ------------------------------------------------------------ the results

void VentanaAlmanaque::Recalcula() {
    const QDate primero(fecha_.year(), fecha_.month(), 1);
    const QDate ultimo = primero.addMonths(1).addDays(-1);
    consulta_ = ConsultaDe(sitio_, zona_, fecha_, fecha_);
    consultaMes_ = ConsultaDe(sitio_, zona_, primero, ultimo);
    const std::vector<Dias::DiaCalculado> dias = Dias::CalculaDias(consultaMes_);
    const int fila = std::clamp(fecha_.day() - 1, 0, int(dias.size()) - 1);

    {
        const QSignalBlocker b(cajaFecha_);
        cajaFecha_->setDate(fecha_);
    }
    {
        const QSignalBlocker b(tablaMes_->selectionModel());
        const bool mismoMes =
            mesMostrado_ == primero && MismaConsulta(consultaMes_, consultaMostrada_);
        if (!mismoMes) {
            modeloMes_->Muestra(consultaMes_, dias, HoyEn(consultaMes_, ahora_()));
            mesMostrado_ = primero;
            consultaMostrada_ = consultaMes_;
            tablaMes_->selectRow(fila);
        }
        // The current row follows the date; a selection of several rows
        // made in the table stays.
        if (tablaMes_->currentIndex().row() != fila) {
            if (!mismoMes || !tablaMes_->selectionModel()->isRowSelected(fila, {})) {
                tablaMes_->selectRow(fila);
            }
            tablaMes_->selectionModel()->setCurrentIndex(modeloMes_->index(fila, 0),
                                                         QItemSelectionModel::NoUpdate);
        }
    }
    // The selection model's signals were blocked, and with them the table's
    // own repaint of the rows whose selection changed.
    tablaMes_->viewport()->update();
    {
        const QSignalBlocker b(cajaZona_);
        if (zona_.tipo == EleccionZona::Tipo::DelLugar) {
            cajaZona_->setItemText(
                0, QStringLiteral("Zona del lugar (%1)").arg(NombreDeZonaElegida(sitio_, zona_)));
            cajaZona_->setCurrentIndex(0);
        } else {
            cajaZona_->setItemText(0, QStringLiteral("Zona del lugar"));
            const QString nombre = NombreDeZonaElegida(sitio_, zona_);
            const int i = cajaZona_->findText(nombre);
            if (i >= 0) {
                cajaZona_->setCurrentIndex(i);
            } else {
                cajaZona_->setEditText(nombre);
            }
        }
    }
    if (!dias.empty()) {
        // The next day from the month already computed, but at its end.
        const std::size_t siguiente = std::size_t(fila) + 1;
        MuestraDia(dias[std::size_t(fila)], siguiente < dias.size() ? &dias[siguiente] : nullptr);
    }
    panelAhora_->Muestra(consulta_);
    ActualizaAnio();
}

void VentanaAlmanaque::MuestraDia(const Dias::DiaCalculado& d,
                                  const Dias::DiaCalculado* siguiente) {
    // The month is computed without the golden and blue hours; the shown
    // day gets them here.
    Dias::DiaCalculado conLuz = d;
    Dias::CompletaLuzEspecial(consulta_, conLuz);
    // The next day, for this evening's ends of twilight after midnight:
    // computed here only when the month did not hold it (its last day).
    std::vector<Dias::DiaCalculado> calculado;
    if (siguiente == nullptr && fecha_ < QDate(ModuloVespalba::AnioMaximo, 12, 31)) {
        Dias::Consulta c = consulta_;
        c.desde = c.hasta = std::chrono::sys_days{d.fecha} + std::chrono::days{1};
        calculado = Dias::CalculaDias(c);
        if (!calculado.empty()) siguiente = &calculado.front();
    }
    const ResumenDia r = ResumeDia(consulta_, conLuz, siguiente);
    // The place always named with its coordinates, zone and offset in
    // force, so that a wrong place or zone shows at once.
    Dias::Consulta c = consulta_;
    QString desfases;
    if (!consulta_.zonaHoraria.isEmpty()) {
        const QTimeZone z(consulta_.zonaHoraria.toLatin1());
        // On a clock-change day both offsets, even where the change falls on
        // the day's first instant (Chile's 24:00 -> 01:00).
        const QDateTime inicio =
            d.cambios.isEmpty() ? fecha_.startOfDay(z) : fecha_.startOfDay(z).addSecs(-1);
        const QDateTime fin = fecha_.addDays(1).startOfDay(z).addSecs(-1);
        desfases = TextoDesfase(inicio.offsetFromUtc());
        if (fin.offsetFromUtc() != inicio.offsetFromUtc()) {
            desfases += QStringLiteral(" → ") + TextoDesfase(fin.offsetFromUtc());
        }
    }
    QString linea = sitio_.Nombre();
    if (!sitio_.nombre.isEmpty() || !sitio_.nombreCompleto.isEmpty()) {
        linea += QStringLiteral(" · ") + Dias::TextoCoordenadas(c);
    }
    linea += QStringLiteral(" · ") + NombreDeZonaElegida(sitio_, zona_);
    if (!desfases.isEmpty()) linea += QStringLiteral(", ") + desfases;
    PonTexto(lineaLugar_, linea);
    setWindowTitle(sitio_.Nombre() + QStringLiteral(" — Vespalba: almanaque"));

    tituloDia_->setText(r.fecha);
    PonTexto(avisosDia_, r.avisos.join(QLatin1Char('\n')));
    avisosDia_->setVisible(!r.avisos.isEmpty());

    std::vector<Suceso> sol = r.sol;
    if (r.existe) {
        sol.push_back({QStringLiteral("Horas de luz"),
                       r.horasDeLuz.isEmpty() ? QStringLiteral("—") : r.horasDeLuz, r.cambioDeLuz});
        sol.insert(sol.end(), r.luzEspecial.begin(), r.luzEspecial.end());
    }
    LlenaSucesos(tablaSol_, sol);
    LlenaSucesos(tablaLuna_, r.luna);
    franja_->Muestra(FranjaDelDia(consulta_, conLuz));

    const LunaDelDia luna = LunaDe(consulta_, d);
    dibujoLuna_->MuestraLuna(luna.fraccion, luna.creciente, luna.hemisferioSur);
    PonTexto(textoLuna_, luna.texto);
    PonTexto(fasesLuna_,
             QStringLiteral("Próximas fases:\n") + luna.proximasFases.join(QLatin1Char('\n')));
    const Estaciones e = EstacionesDe(consulta_, d);
    PonTexto(estaciones_,
             e.proxima +
                 (e.desdeSolsticio.isEmpty() ? QString() : QLatin1Char('\n') + e.desdeSolsticio));
}

void VentanaAlmanaque::CopiaFilas() {
    std::vector<int> filas;
    for (const QModelIndex& i : tablaMes_->selectionModel()->selectedRows())
        filas.push_back(i.row());
    std::sort(filas.begin(), filas.end());
    if (filas.empty()) return;
    QApplication::clipboard()->setText(modeloMes_->TextoDeFilas(filas));
    statusBar()->showMessage(filas.size() == 1
                                 ? QStringLiteral("1 fila copiada")
                                 : QStringLiteral("%1 filas copiadas").arg(filas.size()),
                             4000);
}

// ------------------------------------------------------------- favourites

void VentanaAlmanaque::ActualizaFavoritos() {
    menuFavoritos_->clear();
    menuFavoritos_->addAction(QStringLiteral("&Añadir el lugar mostrado"),
                              QKeySequence(Qt::CTRL | Qt::Key_D), this,
                              [this] { CambiaFavorito(CambioFavorito::Anade); });
    const auto actual =
        std::find(preferencias_.favoritos.begin(), preferencias_.favoritos.end(), sitio_);
    const bool esFavorito = actual != preferencias_.favoritos.end();
    QAction* quitar = menuFavoritos_->addAction(QStringLiteral("&Quitar el lugar mostrado"), this,
                                                [this] { CambiaFavorito(CambioFavorito::Quita); });
    quitar->setEnabled(esFavorito);
    QAction* omision =
        menuFavoritos_->addAction(QStringLiteral("&Lugar por omisión"), this,
                                  [this] { CambiaFavorito(CambioFavorito::PorOmision); });
    omision->setCheckable(true);
    omision->setChecked(esFavorito &&
                        preferencias_.porOmision == int(actual - preferencias_.favoritos.begin()));
    omision->setToolTip(
        QStringLiteral("El lugar que se muestra al empezar y que usan los guiones"));
    if (!preferencias_.favoritos.empty()) menuFavoritos_->addSeparator();
    for (int i = 0; i < int(preferencias_.favoritos.size()); ++i) {
        const Sitio s = preferencias_.favoritos[std::size_t(i)];
        QString texto = s.Nombre();
        texto.replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (i == preferencias_.porOmision) texto += QStringLiteral("  (por omisión)");
        // A favourite comes with its own zone ("Zona del lugar": the zone it
        // was saved with), not with the zone chosen for another place.
        menuFavoritos_->addAction(texto, this, [this, s] {
            zona_ = EleccionZona{};
            EligeSitio(s);
        });
    }
}

void VentanaAlmanaque::Guarda() {
    preferencias_.ultimo = sitio_;
    preferencias_.zona = zona_;
    preferencias_.geometria = saveGeometry();
    // Only this window's own state: the favourites and the default place
    // are written by CambiaFavorito, on the files' current content.
    GuardaEstado(preferencias_, *ajustesAlmanaque_);
}

void VentanaAlmanaque::CambiaFavorito(CambioFavorito cambio) {
    const Preferencias p = CambiaFavoritos(*ajustesAlmanaque_, *ajustesComunes_, cambio, sitio_);
    preferencias_.favoritos = p.favoritos;
    preferencias_.porOmision = p.porOmision;
    ActualizaFavoritos();
    Guarda();
}

void VentanaAlmanaque::RecargaFavoritos() {
    // A settings file is replaced whole when written (a new file renamed
    // over it): the watch follows the name again.
    for (const QString& archivo : {ajustesAlmanaque_->fileName(), ajustesComunes_->fileName()}) {
        if (QFileInfo::exists(archivo) && !vigilancia_->files().contains(archivo)) {
            vigilancia_->addPath(archivo);
        }
    }
    const Preferencias p = RecargaPreferencias(*ajustesAlmanaque_, *ajustesComunes_);
    if (p.favoritos == preferencias_.favoritos && p.porOmision == preferencias_.porOmision) return;
    preferencias_.favoritos = p.favoritos;
    preferencias_.porOmision = p.porOmision;
    ActualizaFavoritos();
}

void VentanaAlmanaque::showEvent(QShowEvent* evento) {
    QMainWindow::showEvent(evento);
    // The gazetteer (about 135,000 places, 20 to 80 ms to open) opened on a
    // worker thread as soon as the window shows, and made ready for the
    // first search of a village, so that the first letters typed do not
    // wait for it; a search that comes sooner waits only for the rest of the
    // opening. Once per process.
    // Started a moment after the window shows, so that on a busy machine
    // the opening does not compete with the first paint (about 10 ms of it
    // on two loaded cores); still long before anyone types.
    static std::once_flag abierto;
    std::call_once(abierto, [] {
        QTimer::singleShot(150, [] {
            QThreadPool::globalInstance()->start([] {
                if (const Nomenclator* mundo = Nomenclator::Mundial()) mundo->Prepara();
            });
        });
    });
}

void VentanaAlmanaque::closeEvent(QCloseEvent* evento) {
    Guarda();
    QMainWindow::closeEvent(evento);
}

bool VentanaAlmanaque::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(objeto)) {
        // Left unaccepted, the key goes to the shortcut of the menu.
        const auto* k = static_cast<QKeyEvent*>(evento);
        if (atajos_.contains(QKeySequence(k->keyCombination()))) {
            evento->ignore();
            return true;
        }
    }
    if (objeto == completador_->popup() && evento->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(evento);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            const QModelIndex i = completador_->popup()->currentIndex();
            if (i.isValid()) {
                SugerenciaElegida(i.row());
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(objeto, evento);
}

}  // namespace Vespalba::Almanaque

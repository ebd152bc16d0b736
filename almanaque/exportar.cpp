// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/exportar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <chrono>

#include "almanaque/modelo.h"
#include "astro/dominio.h"
#include "dibujo/paginas.h"
#include "lugares/nombres.h"
#include "salidas/dibujo.h"
#include "salidas/formatos.h"

namespace Vespalba::Almanaque {

namespace {

using namespace std::chrono;

const Salidas::FormatoSalida* FormatoDe(const char* nombre) {
    for (const Salidas::FormatoSalida& f : Salidas::Formatos()) {
        if (qstrcmp(f.nombre, nombre) == 0) return &f;
    }
    return &Salidas::Formatos().front();
}

}  // namespace

QString NombreDelPrograma() { return QStringLiteral("vespalba-almanaque " VESPALBA_VERSION); }

Salidas::Peticion PeticionDe(const Dias::Consulta& consulta, QDate desde, QDate hasta,
                             const char* formato) {
    Salidas::Peticion p;
    static_cast<Dias::Consulta&>(p) = consulta;
    p.desde = DiaDe(desde);
    p.hasta = DiaDe(std::max(desde, hasta));
    p.formato = FormatoDe(formato);
    p.sello = qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")
                  ? qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong()
                  : QDateTime::currentSecsSinceEpoch();
    return p;
}

QString MensajeDeFallo(const QString& motivo) {
    QString texto = motivo;
    if (!texto.isEmpty()) texto[0] = texto[0].toUpper();
    return texto + QLatin1Char('.');
}

bool PintaPaginas(QPrinter& impresora, const Salidas::Peticion& peticion) {
    Salidas::Peticion p = peticion;
    p.papel = impresora.pageLayout().pageSize().id() == QPageSize::Letter ? Salidas::Papel::Carta
                                                                          : Salidas::Papel::A4;
    const std::vector<Dias::DiaCalculado> dias = Dias::CalculaDias(Salidas::ConsultaDeDias(p));
    // A printer and its preview keep one orientation for the whole job
    // (the preview even when the printer would write PDF).
    return Dibujo::DibujaDocumento(impresora, Salidas::AlmanaqueDe(p, dias),
                                   Salidas::DocumentoDe(p, NombreDelPrograma()), {},
                                   Dibujo::Orientaciones::UnaSola);
}

void MuestraImpresion(QWidget* padre, const Salidas::Peticion& peticion) {
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setDocName(QStringLiteral("Vespalba"));
    QPrintPreviewDialog vista(&impresora, padre);
    vista.setObjectName(QStringLiteral("vistaImpresion"));
    vista.setWindowTitle(QStringLiteral("Vista previa de la impresión"));
    QObject::connect(&vista, &QPrintPreviewDialog::paintRequested, &vista,
                     [&](QPrinter* p) { PintaPaginas(*p, peticion); });
    vista.exec();
}

// ------------------------------------------------------------ the dialog

DialogoExportar::DialogoExportar(const Dias::Consulta& consulta, QDate fecha, QWidget* padre)
    : QDialog(padre), consulta_(consulta), fecha_(fecha) {
    setObjectName(QStringLiteral("dialogoExportar"));
    setWindowTitle(QStringLiteral("Exportar"));
    auto* columna = new QVBoxLayout(this);
    auto* forma = new QFormLayout;
    formato_ = new QComboBox;
    formato_->setObjectName(QStringLiteral("formatoExportar"));
    const struct {
        const char* nombre;
        const char* texto;
    } formatos[] = {
        {"pdf", "PDF: las hojas de cada mes para imprimir"},
        {"csv", "CSV: una fila por día, para hojas de cálculo"},
        {"json", "JSON Lines: un objeto por día"},
        {"ics", "iCalendar: los sucesos, para un calendario"},
        {"texto", "Texto: la tabla de vespalba-tabla"},
        {"svg", "SVG: el gráfico de luz, vectorial"},
        {"png", "PNG: el gráfico de luz, imagen"},
    };
    for (const auto& f : formatos) {
        formato_->addItem(QString::fromUtf8(f.texto), QString::fromLatin1(f.nombre));
    }
    forma->addRow(QStringLiteral("&Formato:"), formato_);

    auto* dias = new QWidget;
    auto* filaDias = new QVBoxLayout(dias);
    filaDias->setContentsMargins(0, 0, 0, 0);
    static const QLocale es(QLocale::Spanish, QLocale::Chile);
    mes_ = new QRadioButton(QStringLiteral("El &mes: ") +
                            es.toString(fecha, QStringLiteral("MMMM 'de' yyyy")));
    anio_ = new QRadioButton(QStringLiteral("El &año %1").arg(fecha.year()));
    rango_ = new QRadioButton(QStringLiteral("&Desde"));
    mes_->setObjectName(QStringLiteral("exportarMes"));
    anio_->setObjectName(QStringLiteral("exportarAnio"));
    rango_->setObjectName(QStringLiteral("exportarRango"));
    mes_->setChecked(true);
    desde_ = new QDateEdit(QDate(fecha.year(), 1, 1));
    hasta_ = new QDateEdit(QDate(fecha.year(), 12, 31));
    for (QDateEdit* e : {desde_, hasta_}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setDateRange(QDate(ModuloVespalba::AnioMinimo, 1, 1),
                        QDate(ModuloVespalba::AnioMaximo, 12, 31));
        e->setCalendarPopup(true);
    }
    desde_->setObjectName(QStringLiteral("exportarDesde"));
    hasta_->setObjectName(QStringLiteral("exportarHasta"));
    auto* filaRango = new QHBoxLayout;
    filaRango->addWidget(rango_);
    filaRango->addWidget(desde_);
    filaRango->addWidget(new QLabel(QStringLiteral("hasta")));
    filaRango->addWidget(hasta_);
    filaRango->addStretch(1);
    filaDias->addWidget(mes_);
    filaDias->addWidget(anio_);
    filaDias->addLayout(filaRango);
    forma->addRow(QStringLiteral("Días:"), dias);

    eventos_ = new QGroupBox(QStringLiteral("Sucesos del calendario"));
    auto* cajas = new QHBoxLayout(eventos_);
    const unsigned porOmision = Salidas::Peticion().eventos;
    for (const Salidas::NombreEventoCalendario& e : Salidas::EventosCalendario) {
        auto* c = new QCheckBox(QString::fromLatin1(e.nombre));
        c->setProperty("bit", e.bit);
        c->setChecked((porOmision & e.bit) != 0);
        cajas->addWidget(c);
        cajasEventos_.push_back(c);
    }
    grafico_ = new QGroupBox(QStringLiteral("Gráfico"));
    auto* filaGrafico = new QHBoxLayout(grafico_);
    ancho_ = new QSpinBox;
    alto_ = new QSpinBox;
    ancho_->setRange(Salidas::TamanoMinimo.width(), Salidas::TamanoMaximo.width());
    alto_->setRange(Salidas::TamanoMinimo.height(), Salidas::TamanoMaximo.height());
    ancho_->setValue(Salidas::TamanoPorDefecto.width());
    alto_->setValue(Salidas::TamanoPorDefecto.height());
    ancho_->setSuffix(QStringLiteral(" px"));
    alto_->setSuffix(QStringLiteral(" px"));
    filaGrafico->addWidget(new QLabel(QStringLiteral("Tamaño:")));
    filaGrafico->addWidget(ancho_);
    filaGrafico->addWidget(new QLabel(QStringLiteral("×")));
    filaGrafico->addWidget(alto_);
    luna_ = new QCheckBox(QStringLiteral("Horas de la Luna"));
    dorada_ = new QCheckBox(QStringLiteral("Horas dorada y azul"));
    filaGrafico->addWidget(luna_);
    filaGrafico->addWidget(dorada_);
    papel_ = new QComboBox;
    papel_->addItem(QStringLiteral("A4"));
    papel_->addItem(QStringLiteral("Carta"));
    if (QLocale().territory() == QLocale::UnitedStates ||
        QLocale().territory() == QLocale::Canada) {
        papel_->setCurrentIndex(1);
    }
    forma->addRow(QStringLiteral("&Papel:"), papel_);

    columna->addLayout(forma);
    columna->addWidget(eventos_);
    columna->addWidget(grafico_);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    botones->button(QDialogButtonBox::Save)->setText(QStringLiteral("&Guardar…"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    columna->addWidget(botones);
    connect(formato_, &QComboBox::currentIndexChanged, this, &DialogoExportar::Actualiza);
    for (QRadioButton* r : {mes_, anio_, rango_}) {
        connect(r, &QRadioButton::toggled, this, &DialogoExportar::Actualiza);
    }
    Actualiza();
}

void DialogoExportar::Actualiza() {
    const QString f = formato_->currentData().toString();
    const bool grafico = f == QLatin1String("svg") || f == QLatin1String("png");
    eventos_->setVisible(f == QLatin1String("ics"));
    grafico_->setVisible(grafico || f == QLatin1String("pdf"));
    ancho_->setEnabled(grafico);
    alto_->setEnabled(grafico);
    papel_->setEnabled(f == QLatin1String("pdf"));
    desde_->setEnabled(rango_->isChecked());
    hasta_->setEnabled(rango_->isChecked());
}

Salidas::Peticion DialogoExportar::Peticion() const {
    QDate desde(fecha_.year(), fecha_.month(), 1), hasta = desde.addMonths(1).addDays(-1);
    if (anio_->isChecked()) {
        desde = QDate(fecha_.year(), 1, 1);
        hasta = QDate(fecha_.year(), 12, 31);
    } else if (rango_->isChecked()) {
        desde = desde_->date();
        hasta = std::max(desde, hasta_->date());
    }
    const QByteArray formato = formato_->currentData().toString().toLatin1();
    Salidas::Peticion p = PeticionDe(consulta_, desde, hasta, formato.constData());
    p.eventos = 0;
    for (QCheckBox* c : cajasEventos_) {
        if (c->isChecked()) p.eventos |= c->property("bit").toUInt();
    }
    if (p.eventos == 0) p.eventos = Salidas::Peticion().eventos;
    p.tamano = QSize(ancho_->value(), alto_->value());
    p.luna = luna_->isChecked();
    p.dorada = dorada_->isChecked();
    p.papel = papel_->currentIndex() == 1 ? Salidas::Papel::Carta : Salidas::Papel::A4;
    return p;
}

QString DialogoExportar::NombreSugerido() const {
    const Salidas::Peticion p = Peticion();
    QString lugar = NombreComparable(consulta_.lugar.trimmed());
    lugar.replace(QLatin1Char(' '), QLatin1Char('-'));
    if (lugar.isEmpty()) lugar = QStringLiteral("vespalba");
    const std::chrono::year_month_day d{p.desde}, h{p.hasta};
    QString dias = QStringLiteral("%1-%2-%3")
                       .arg(int(d.year()))
                       .arg(unsigned(d.month()), 2, 10, QLatin1Char('0'))
                       .arg(unsigned(d.day()), 2, 10, QLatin1Char('0'));
    if (mes_->isChecked()) dias = dias.left(7);
    if (anio_->isChecked()) dias = dias.left(4);
    if (rango_->isChecked() && p.hasta != p.desde) {
        dias += QStringLiteral("_%1-%2-%3")
                    .arg(int(h.year()))
                    .arg(unsigned(h.month()), 2, 10, QLatin1Char('0'))
                    .arg(unsigned(h.day()), 2, 10, QLatin1Char('0'));
    }
    const QString extension = QLatin1String(p.formato->nombre) == QLatin1String("texto")
                                  ? QStringLiteral("txt")
                                  : QLatin1String(p.formato->nombre);
    return QStringLiteral("%1-%2.%3").arg(lugar, dias, extension);
}

}  // namespace Vespalba::Almanaque

// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/ahora.h"

#include <QLabel>
#include <QLocale>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

#include "almanaque/modelo.h"
#include "dias/celdas.h"
#include "dias/presente.h"
#include "lugares/zonas.h"

namespace Vespalba::Almanaque {

namespace {

const QLocale& Espanol() {
    static const QLocale es(QLocale::Spanish, QLocale::Chile);
    return es;
}

QString Grados(double v) { return Espanol().toString(v, 'f', 1) + QStringLiteral("°"); }

}  // namespace

ResumenAhora ResumeAhora(const Dias::Consulta& consulta, qint64 segundos) {
    const Dias::Presente p = Dias::CalculaPresente(consulta, segundos);
    ResumenAhora r;
    r.hora = QStringLiteral("%1 (%2)").arg(Dias::HoraDeInstante(p.instante),
                                           TextoDesfaseIso(p.instante.desfase));
    r.parte = Dias::TextoMomento(p.momento);
    r.sol = QStringLiteral("Sol: altura %1, azimut %2")
                .arg(Grados(p.momento.sol.altura), Grados(p.momento.sol.azimut));
    r.luna = QStringLiteral("Luna: altura %1, azimut %2; iluminada %3 %")
                 .arg(Grados(p.luna.altura), Grados(p.luna.azimut))
                 .arg(Dias::Porcentaje(p.fraccionLuna));
    const Dias::Siguiente* primero = nullptr;
    for (const Dias::Siguiente& s : p.siguientes) {
        if (!s.proximo.instante) continue;
        if (primero == nullptr ||
            s.proximo.instante->segundos < primero->proximo.instante->segundos) {
            primero = &s;
        }
    }
    if (primero == nullptr) {
        r.proximo = QStringLiteral("Ningún suceso en el año que sigue");
    } else {
        const Dias::Instante& e = *primero->proximo.instante;
        r.proximo = QStringLiteral("%1 a las %2, %3")
                        .arg(Dias::EtiquetaSuceso(primero->tipo), Dias::HoraDeInstante(e),
                             Dias::TiempoQueFalta(e.segundos - segundos));
        if (Dias::FechaCivil(e) != p.hoy) r.proximo += QStringLiteral(" (mañana)");
    }
    return r;
}

// ------------------------------------------------------------ Despertador

Despertador::Despertador(QObject* parent) : QObject(parent) {
    descriptor_ = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    if (descriptor_ < 0) return;
    aviso_ = new QSocketNotifier(descriptor_, QSocketNotifier::Read, this);
    connect(aviso_, &QSocketNotifier::activated, this, &Despertador::Lee);
}

Despertador::~Despertador() {
    delete aviso_;
    if (descriptor_ >= 0) close(descriptor_);
}

void Despertador::Programa(qint64 hasta) {
    if (descriptor_ < 0) return;
    itimerspec cuando{};
    cuando.it_value.tv_sec = time_t(hasta);
    // When the clock was set since the last arming, the kernel refuses with
    // ECANCELED: that too is a reason to read the clock again.
    if (timerfd_settime(descriptor_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &cuando,
                        nullptr) != 0 &&
        errno == ECANCELED) {
        QMetaObject::invokeMethod(this, &Despertador::Suena, Qt::QueuedConnection);
    }
}

void Despertador::Lee() {
    std::uint64_t veces = 0;
    // Expired, or ECANCELED for a clock set: both ring; EAGAIN, nothing.
    if (read(descriptor_, &veces, sizeof veces) < 0 && errno == EAGAIN) return;
    emit Suena();
}

// -------------------------------------------------------------- PanelAhora

PanelAhora::PanelAhora(std::function<qint64()> ahora, QWidget* parent)
    : QGroupBox(QStringLiteral("Ahora"), parent), ahora_(std::move(ahora)) {
    setObjectName(QStringLiteral("grupoAhora"));
    auto* columna = new QVBoxLayout(this);
    hora_ = new QLabel;
    hora_->setObjectName(QStringLiteral("horaAhora"));
    QFont grande = hora_->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    grande.setBold(true);
    hora_->setFont(grande);
    hora_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columna->addWidget(hora_);
    texto_ = new QLabel;
    texto_->setObjectName(QStringLiteral("textoAhora"));
    texto_->setWordWrap(true);
    texto_->setTextFormat(Qt::PlainText);
    texto_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columna->addWidget(texto_);
    despertador_ = new Despertador(this);
    despertador_->setObjectName(QStringLiteral("despertadorAhora"));
    connect(despertador_, &Despertador::Suena, this, &PanelAhora::Actualiza);
    hide();
}

void PanelAhora::Muestra(const Dias::Consulta& consulta) {
    consulta_ = consulta;
    hayConsulta_ = true;
    Actualiza();
}

void PanelAhora::Actualiza() {
    if (!hayConsulta_) return;
    const qint64 t = ahora_();
    const QDate hoy = HoyEn(consulta_, t);
    const std::chrono::year_month_day desde{consulta_.desde};
    const QDate mostrada(int(desde.year()), int(unsigned(desde.month())),
                         int(unsigned(desde.day())));
    if (!hoy.isValid() || hoy != mostrada) {
        hide();
        return;
    }
    const ResumenAhora r = ResumeAhora(consulta_, t);
    hora_->setText(r.hora);
    const QString texto = r.parte + QLatin1Char('\n') + r.sol + QLatin1Char('\n') + r.luna +
                          QStringLiteral("\nPróximo: ") + r.proximo;
    texto_->setText(texto);
    setAccessibleDescription(r.hora + QStringLiteral(". ") +
                             QString(texto).replace(QLatin1Char('\n'), QStringLiteral(". ")));
    show();
    // On the next minute, as the clock shows it.
    despertador_->Programa((t / 60 + 1) * 60);
}

}  // namespace Vespalba::Almanaque

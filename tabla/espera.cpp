// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabla/espera.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "dias/celdas.h"
#include "dias/lectura.h"
#include "dias/objetivo.h"
#include "dias/presente.h"

namespace Vespalba::Tabla {

using namespace Salidas;
using namespace Dias;

namespace {

constexpr int SalidaNoEscrita = 1;

QString Errno(int numero) { return QString::fromLocal8Bit(std::strerror(numero)); }

class RelojSistema final : public Reloj {
public:
    RelojSistema() = default;
    RelojSistema(const RelojSistema&) = delete;
    RelojSistema& operator=(const RelojSistema&) = delete;

    ~RelojSistema() override {
        if (temporizador_ >= 0) close(temporizador_);
        if (senales_ >= 0) close(senales_);
        if (bloqueadas_) pthread_sigmask(SIG_SETMASK, &anteriores_, nullptr);
    }

    bool Abre() {
        sigset_t fin;
        sigemptyset(&fin);
        sigaddset(&fin, SIGTERM);
        sigaddset(&fin, SIGINT);
        if (pthread_sigmask(SIG_BLOCK, &fin, &anteriores_) != 0) {
            motivo_ = QStringLiteral("no se pudieron bloquear las señales");
            return false;
        }
        bloqueadas_ = true;
        senales_ = signalfd(-1, &fin, SFD_CLOEXEC);
        if (senales_ < 0) {
            motivo_ = QStringLiteral("signalfd: ") + Errno(errno);
            return false;
        }
        temporizador_ = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC);
        if (temporizador_ < 0) {
            motivo_ = QStringLiteral("timerfd_create: ") + Errno(errno);
            return false;
        }
        return true;
    }

    qint64 Ahora() override {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return qint64(t.tv_sec);
    }

    Despertar Duerme(qint64 hasta) override {
        itimerspec cuando{};
        cuando.it_value.tv_sec = time_t(hasta);
        // TFD_TIMER_CANCEL_ON_SET: a read fails with ECANCELED when the clock
        // is set, so the caller reads the new time and says how late it is.
        if (timerfd_settime(temporizador_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &cuando,
                            nullptr) != 0) {
            if (errno == ECANCELED) return Despertar::RelojCambiado;
            motivo_ = QStringLiteral("timerfd_settime: ") + Errno(errno);
            return Despertar::Error;
        }
        pollfd fds[2] = {{senales_, POLLIN, 0}, {temporizador_, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;  // SIGSTOP and SIGCONT, a debugger
                motivo_ = QStringLiteral("poll: ") + Errno(errno);
                return Despertar::Error;
            }
            if (fds[0].revents & POLLIN) {
                signalfd_siginfo info{};
                if (read(senales_, &info, sizeof info) == ssize_t(sizeof info)) {
                    senal_ = int(info.ssi_signo);
                    return Despertar::Senal;
                }
            }
            if (fds[1].revents & POLLIN) {
                std::uint64_t vencimientos = 0;
                if (read(temporizador_, &vencimientos, sizeof vencimientos) < 0) {
                    if (errno == ECANCELED) return Despertar::RelojCambiado;
                    if (errno == EINTR || errno == EAGAIN) continue;
                    motivo_ = QStringLiteral("timerfd: ") + Errno(errno);
                    return Despertar::Error;
                }
                return Despertar::Vencido;
            }
        }
    }

    int Senal() const override { return senal_; }
    QString Motivo() const override { return motivo_; }

private:
    int temporizador_ = -1;
    int senales_ = -1;
    bool bloqueadas_ = false;
    sigset_t anteriores_{};
    int senal_ = 0;
    QString motivo_;
};

QString NombreSenal(int senal) {
    switch (senal) {
        case SIGTERM: return QStringLiteral("SIGTERM");
        case SIGINT: return QStringLiteral("SIGINT");
        default: return QStringLiteral("la señal %1").arg(senal);
    }
}

}  // namespace

FinEspera Espera(Reloj& reloj, qint64 hasta) {
    FinEspera fin;
    for (;;) {
        const qint64 ahora = reloj.Ahora();
        if (ahora >= hasta) {
            fin.retraso = ahora - hasta;
            return fin;
        }
        ++fin.despertares;
        switch (reloj.Duerme(hasta)) {
            case Reloj::Despertar::Vencido:
            case Reloj::Despertar::RelojCambiado: break;  // read the clock again
            case Reloj::Despertar::Senal: fin.senal = reloj.Senal(); return fin;
            case Reloj::Despertar::Error: fin.error = reloj.Motivo(); return fin;
        }
    }
}

ResultadoEspera EsperaSuceso(const Peticion& peticion, Reloj& reloj,
                             const std::function<void(const QString&)>& aviso) {
    ResultadoEspera r;
    Respuesta& respuesta = r.respuesta;
    const QString evento = DescripcionSuceso(peticion.suceso);
    const qint64 ahora = reloj.Ahora();
    const Objetivo objetivo = BuscaObjetivo(peticion, peticion.suceso, peticion.ajuste, ahora);
    if (!objetivo.instante) {
        respuesta = SinObjetivo(QStringLiteral("--esperar"), peticion.suceso, objetivo);
        return r;
    }
    const Dias::Instante& hasta = *objetivo.instante;
    const Dias::Instante& suceso = *objetivo.suceso;
    QString linea = QStringLiteral("espera hasta %1 (%2, %3): %4 a las %5 del %6")
                        .arg(InstanteIso(hasta), HoraDeInstante(hasta),
                             TiempoQueFalta(hasta.segundos - ahora), evento, HoraDeInstante(suceso),
                             Dias::FechaIso(std::chrono::year_month_day{objetivo.fecha}));
    const Ajuste& ajuste = peticion.ajuste;
    if (ajuste.margen != 0) {
        linea += QStringLiteral(", %1 %2").arg(
            TextoDuracion(ajuste.margen),
            ajuste.margen < 0 ? QStringLiteral("antes") : QStringLiteral("después"));
    }
    const qint64 movido = suceso.segundos + ajuste.margen;
    if (hasta.segundos > movido) {
        linea += QStringLiteral(", llevado a --no-antes");
    } else if (hasta.segundos < movido) {
        linea += QStringLiteral(", traído a --no-despues");
    }
    aviso(linea);

    const FinEspera fin = Espera(reloj, hasta.segundos);
    if (fin.senal != 0) {
        r.senal = fin.senal;
        respuesta.estado = 128 + fin.senal;
        respuesta.mensaje = QStringLiteral("--esperar %1: interrumpida por %2 antes de %3")
                                .arg(evento, NombreSenal(fin.senal), InstanteIso(hasta));
        return r;
    }
    if (!fin.error.isEmpty()) {
        respuesta.estado = SalidaNoEscrita;
        respuesta.mensaje =
            QStringLiteral("--esperar %1: no se pudo esperar (%2)").arg(evento, fin.error);
        return r;
    }
    if (fin.retraso > 0) {
        const QString tarde = QStringLiteral(
                                  "--esperar %1: despertó %2 después de %3 (el equipo estuvo "
                                  "suspendido o el reloj se adelantó)")
                                  .arg(evento, TextoDuracion(fin.retraso), InstanteIso(hasta));
        if (peticion.tolerancia && fin.retraso > *peticion.tolerancia) {
            respuesta.estado = SalidaTarde;
            respuesta.mensaje =
                tarde + QStringLiteral("; pasa de --tolerancia %1: sale con %2 sin seguir")
                            .arg(TextoDuracion(*peticion.tolerancia))
                            .arg(SalidaTarde);
            return r;
        }
        respuesta.mensaje = tarde;
    }
    return r;
}

std::unique_ptr<Reloj> RelojDelSistema(QString& problema) {
    auto reloj = std::make_unique<RelojSistema>();
    if (!reloj->Abre()) {
        problema = reloj->Motivo();
        return nullptr;
    }
    return reloj;
}

}  // namespace Vespalba::Tabla

// SPDX-License-Identifier: GPL-3.0-or-later
// --esperar: sleeping until an event's instant, for scripts
// (`vespalba-tabla --esperar ocaso && luces-encender`). The wait is for an
// absolute instant of the real-time clock, so time spent suspended counts
// and a clock set by hand or by NTP is followed; the program sleeps in one
// blocking call and wakes only at the instant, when the clock is set, or for
// SIGTERM or SIGINT.
#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "tabla/ahora.h"
#include "tabla/orden.h"

namespace Vespalba::Tabla {

// The exit status of a wait that woke later than --tolerancia allows.
inline constexpr int SalidaTarde = 4;

// The clock the wait reads and sleeps on. The program's is the system's
// real-time clock (RelojDelSistema); tests give one of their own.
class Reloj {
public:
    virtual ~Reloj() = default;
    // Why a sleep ended.
    enum class Despertar {
        Vencido,        // the clock reached the instant (or was already past it)
        RelojCambiado,  // the clock was set while sleeping: read it again
        Senal,          // SIGTERM or SIGINT arrived: Senal() says which
        Error,          // sleeping failed: Motivo() says why
    };
    // The present instant, seconds since 1970-01-01 00:00 UT, truncated.
    virtual qint64 Ahora() = 0;
    // Sleeps until the clock reads `hasta` (seconds since 1970 UT).
    virtual Despertar Duerme(qint64 hasta) = 0;
    virtual int Senal() const = 0;
    virtual QString Motivo() const = 0;
};

// How a wait ended.
struct FinEspera {
    int senal = 0;        // the signal that ended it, or 0
    qint64 retraso = 0;   // seconds the clock read past the instant on waking
    int despertares = 0;  // sleeps begun: 1 when nothing disturbed it
    QString error;        // the reason when sleeping failed, or empty
};

// Sleeps on `reloj` until it reads `hasta` or later; a clock set while
// sleeping starts the sleep again, on the instant's new distance.
FinEspera Espera(Reloj& reloj, qint64 hasta);

// The whole of --esperar on `reloj`: the instant (BuscaObjetivo after
// reloj.Ahora()), the line that says what it waits for and until when
// (`aviso`, given at once, before sleeping), the wait, and its end:
//   estado 0 at the instant, also when late (mensaje says how late) unless
//   the lateness exceeds peticion.tolerancia (estado SalidaTarde); SalidaNo
//   when the event does not occur in a year or before 2041 (mensaje says
//   why), 2 for a place or date the search refuses, 1 when sleeping failed.
//   senal: the signal that ended the wait (the caller ends the program by it).
struct ResultadoEspera {
    Respuesta respuesta;
    int senal = 0;
};
ResultadoEspera EsperaSuceso(const Peticion& peticion, Reloj& reloj,
                             const std::function<void(const QString&)>& aviso);

// The system's real-time clock: a timerfd on CLOCK_REALTIME armed for an
// absolute instant with TFD_TIMER_CANCEL_ON_SET, and SIGTERM and SIGINT
// blocked and read from a signalfd. None, with the reason, when the kernel
// refuses either. SIGTERM and SIGINT stay blocked while it lives.
std::unique_ptr<Reloj> RelojDelSistema(QString& problema);

}  // namespace Vespalba::Tabla

// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's "Ahora": while the day shown is today, the present
// clock time in the zone, the part of the day, where the Sun and the Moon
// are, and the next event with the time left, updated on the minute, and
// at once when the machine resumes from suspend or the clock is set (a
// QTimer sees neither: it counts elapsed time, which stops while the
// machine sleeps, and ignores a clock set by hand).
#pragma once

#include <QGroupBox>
#include <QString>

#include <functional>

#include "dias/consulta.h"

class QLabel;
class QSocketNotifier;

namespace Vespalba::Almanaque {

// The texts of the present moment.
struct ResumenAhora {
    QString hora;     // "20:46 (-03:00)"
    QString parte;    // "crepúsculo civil, de tarde; hora azul"
    QString sol;      // "Sol: altura -4,5°, azimut 243,1°"
    QString luna;     // "Luna: altura 12,0°, azimut 80,2°; iluminada 4 %"
    QString proximo;  // "Fin del crepúsculo civil a las 21:15, en 29 min"; or why none
};

// The present moment at the consulta's place and civil time, `segundos`
// since 1970 UT.
ResumenAhora ResumeAhora(const Dias::Consulta& consulta, qint64 segundos);

// Wakes the window at an instant of the real-time clock: a timerfd on
// CLOCK_REALTIME armed for an absolute instant with TFD_TIMER_CANCEL_ON_SET,
// watched by a QSocketNotifier. It rings at the instant, at once on resume
// when the instant passed while the machine slept, and when the clock is
// set. Where the kernel refuses a timerfd it never rings.
class Despertador : public QObject {
    Q_OBJECT
public:
    explicit Despertador(QObject* parent = nullptr);
    ~Despertador() override;
    // Rings at `hasta`, seconds since 1970 UT (replacing an earlier call).
    void Programa(qint64 hasta);

signals:
    void Suena();

private:
    void Lee();
    int descriptor_ = -1;
    QSocketNotifier* aviso_ = nullptr;
};

// The "Ahora" box: hidden unless the date shown is today in the zone.
class PanelAhora : public QGroupBox {
    Q_OBJECT
public:
    // `ahora`: the present instant, seconds since 1970 UT (a test's clock).
    explicit PanelAhora(std::function<qint64()> ahora, QWidget* parent = nullptr);

    // The place and zone shown, and the date shown.
    void Muestra(const Dias::Consulta& consulta);
    // Reads the clock again and shows the moment (or hides, when the date
    // shown is not today); then waits for the next minute.
    void Actualiza();

private:
    std::function<qint64()> ahora_;
    Dias::Consulta consulta_;
    bool hayConsulta_ = false;
    Despertador* despertador_ = nullptr;
    QLabel* hora_ = nullptr;
    QLabel* texto_ = nullptr;
};

}  // namespace Vespalba::Almanaque

// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's "Ahora": the texts of the present moment against the
// event search, the box shown only while the day shown is today, updated at
// once when the clock jumps (a resume, a clock set: simulated with the
// window's injected clock and the alarm's signal), and the real alarm
// ringing for an instant already past and one just ahead.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

#include "almanaque/ahora.h"
#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"
#include "almanaque_comun.h"
#include "dias/presente.h"
#include "dias/proximo.h"

namespace {

using namespace std::chrono;
using namespace Vespalba::Almanaque;

// 2026-12-11 20:30 at Valparaíso (-03), a little before sunset.
constexpr qint64 Tarde = 1797031800;

Vespalba::Dias::Consulta Valpo(QDate fecha) {
    EleccionZona zona;  // the place's own, America/Santiago
    return ConsultaDe(Valparaiso(), zona, fecha, fecha);
}

TEST(AhoraAlmanaque, TextosDelMomento) {
    const Vespalba::Dias::Consulta c = Valpo(QDate(2026, 12, 11));
    const ResumenAhora r = ResumeAhora(c, Tarde);
    EXPECT_EQ(r.hora, QStringLiteral("20:30 (-03:00)"));
    EXPECT_EQ(r.parte, QStringLiteral("día, de tarde; hora dorada"));
    EXPECT_TRUE(r.sol.startsWith(QStringLiteral("Sol: altura "))) << r.sol.toStdString();
    EXPECT_TRUE(r.sol.contains(QStringLiteral(",")))
        << "decimales con coma: " << r.sol.toStdString();
    EXPECT_TRUE(r.luna.contains(QStringLiteral("iluminada "))) << r.luna.toStdString();
    // The next event is today's sunset, as the search gives it.
    const auto ocaso = Vespalba::Dias::BuscaProximo(c, {Vespalba::Dias::TipoSuceso::Ocaso}, Tarde);
    ASSERT_TRUE(ocaso.instante);
    EXPECT_EQ(r.proximo,
              QStringLiteral("Ocaso a las %1, %2")
                  .arg(Vespalba::Dias::HoraDeInstante(*ocaso.instante),
                       Vespalba::Dias::TiempoQueFalta(ocaso.instante->segundos - Tarde)));
    // An hour later: night is coming, the next event is the end of civil
    // twilight or later, and it is the blue hour or past it.
    const ResumenAhora noche = ResumeAhora(c, Tarde + 3 * 3600);
    EXPECT_EQ(noche.hora, QStringLiteral("23:30 (-03:00)"));
    EXPECT_TRUE(noche.parte.startsWith(QStringLiteral("noche, de tarde")))
        << noche.parte.toStdString();
    EXPECT_TRUE(noche.proximo.endsWith(QStringLiteral("(mañana)"))) << noche.proximo.toStdString();
}

class AhoraVentana : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        PruebasAlmanaque::GuardaValparaiso(dir_.filePath("a.conf"), dir_.filePath("c.conf"));
        ventana_ = PruebasAlmanaque::AbreAlmanaque(dir_.filePath("a.conf"), dir_.filePath("c.conf"),
                                                   [reloj = reloj_] { return *reloj; });
        ASSERT_NE(ventana_, nullptr);
    }
    QWidget* Panel() { return ventana_->findChild<QWidget*>(QStringLiteral("grupoAhora")); }
    QString Hora() { return ventana_->findChild<QLabel*>(QStringLiteral("horaAhora"))->text(); }
    void Suena() {
        auto* d = ventana_->findChild<Despertador*>(QStringLiteral("despertadorAhora"));
        ASSERT_NE(d, nullptr);
        emit d->Suena();
    }

    QTemporaryDir dir_;
    std::shared_ptr<qint64> reloj_ = std::make_shared<qint64>(Tarde);
    std::unique_ptr<VentanaAlmanaque> ventana_;
};

TEST_F(AhoraVentana, SoloHoyYAlMomentoTrasUnSalto) {
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 12, 11));
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_EQ(Hora(), QStringLiteral("20:30 (-03:00)"));
    const QString texto = ventana_->findChild<QLabel*>(QStringLiteral("textoAhora"))->text();
    EXPECT_TRUE(texto.contains(QStringLiteral("Próximo: Ocaso a las 20:"))) << texto.toStdString();
    EXPECT_FALSE(Panel()->accessibleDescription().isEmpty());

    // The machine slept 45 minutes (or the clock was set): on the alarm,
    // the box reads the clock at once.
    *reloj_ += 45 * 60;
    Suena();
    EXPECT_EQ(Hora(), QStringLiteral("21:15 (-03:00)"));

    // Another day shown: no "Ahora"; today again: back.
    ventana_->EligeFecha(QDate(2026, 12, 12));
    EXPECT_FALSE(Panel()->isVisible());
    ventana_->EligeFecha(QDate(2026, 12, 11));
    EXPECT_TRUE(Panel()->isVisible());
    // Past midnight the day shown is no longer today.
    *reloj_ += 4 * 3600;
    Suena();
    EXPECT_FALSE(Panel()->isVisible());
}

TEST(AhoraDespertador, SuenaEnElInstante) {
    Despertador d;
    QSignalSpy suena(&d, &Despertador::Suena);
    d.Programa(QDateTime::currentSecsSinceEpoch() - 10);  // already past: at once
    EXPECT_TRUE(suena.wait(5000));
    d.Programa(QDateTime::currentSecsSinceEpoch() + 1);
    EXPECT_TRUE(suena.wait(5000));
    EXPECT_GE(suena.count(), 2);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window driven with real key and mouse events on Qt's
// offscreen platform: the place box and its suggestions, the messages under
// it, the keys for days and months, the month table and its copy, the
// settings kept on closing, hostile texts in every box, and a monkey.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>
#include <QWidget>

#include <cmath>
#include <memory>
#include <random>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"
#include "almanaque_comun.h"
#include "dias/proximo.h"

namespace {

using namespace Vespalba::Almanaque;

// 2026-12-11 01:00 UT: still the 10th on Chile's clock (-03).
constexpr qint64 Ahora = 1796950800;

class VentanaAlmanaqueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // The last place shown: Valparaíso.
        PruebasAlmanaque::GuardaValparaiso(Archivo(), Comun());
        Abre();
    }
    void Abre() {
        ventana_ = PruebasAlmanaque::AbreAlmanaque(Archivo(), Comun(), [] { return Ahora; });
        ASSERT_NE(ventana_, nullptr);
    }
    QString Archivo() const { return dir_.filePath("almanaque.conf"); }
    QString Comun() const { return dir_.filePath("comun.conf"); }
    template <class T>
    T* Hijo(const char* nombre) {
        T* w = ventana_->findChild<T*>(QString::fromLatin1(nombre));
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }
    QLineEdit* Lugar() { return Hijo<QLineEdit>("cajaLugar"); }
    // The suggestions' list: a pop-up window of its own.
    QAbstractItemView* Lista() {
        for (QWidget* w : QApplication::allWidgets()) {
            if (w->objectName() == QLatin1String("listaSugerencias")) {
                return qobject_cast<QAbstractItemView*>(w);
            }
        }
        ADD_FAILURE() << "no listaSugerencias";
        return nullptr;
    }
    QTableWidget* Sol() { return Hijo<QTableWidget>("tablaSol"); }
    QString HoraDe(const QString& suceso) {
        QTableWidget* t = Sol();
        for (int i = 0; i < t->rowCount(); ++i) {
            if (t->item(i, 0)->text() == suceso) return t->item(i, 1)->text();
        }
        return {};
    }
    // Every text the window shows: labels and both tables' cells.
    QStringList Textos() {
        QStringList t;
        for (QLabel* l : ventana_->findChildren<QLabel*>()) t << l->text();
        for (QTableWidget* w : ventana_->findChildren<QTableWidget*>()) {
            for (int i = 0; i < w->rowCount(); ++i) {
                for (int j = 0; j < w->columnCount(); ++j) {
                    if (w->item(i, j)) t << w->item(i, j)->text();
                }
            }
        }
        QAbstractItemModel* m = Hijo<QTableView>("tablaMes")->model();
        for (int i = 0; i < m->rowCount(); ++i) {
            for (int j = 0; j < m->columnCount(); ++j) t << m->index(i, j).data().toString();
        }
        return t;
    }
    void SinNan() {
        static const QRegularExpression nan(QStringLiteral("\\b(nan|inf)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
        // What the user typed may come back quoted in a message, «nan».
        static const QRegularExpression citado(QStringLiteral("«[^»]*»"));
        for (QString t : Textos()) {
            t.remove(citado);
            ASSERT_FALSE(nan.match(t).hasMatch()) << t.toStdString();
        }
    }

    QTemporaryDir dir_;
    std::unique_ptr<VentanaAlmanaque> ventana_;
};

TEST_F(VentanaAlmanaqueTest, BuscaYEligeUnPuebloConElTeclado) {
    EXPECT_EQ(ventana_->SitioActual(), Valparaiso());
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 12, 10)) << "today on Chile's clock";
    QTest::keyClick(ventana_.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Lugar()->hasFocus());
    QTest::keyClicks(Lugar(), QStringLiteral("Concep"));
    ASSERT_TRUE(Lista()->isVisible());
    // Down the list to the town, then Return.
    int fila = -1;
    for (int i = 0; i < Lista()->model()->rowCount(); ++i) {
        if (Lista()->model()->index(i, 0).data().toString().startsWith(
                QStringLiteral("Concepción, Región del Biobío, Chile"))) {
            fila = i;
            break;
        }
    }
    ASSERT_GE(fila, 0);
    for (int i = 0; i <= fila; ++i) QTest::keyClick(Lista(), Qt::Key_Down);
    QTest::keyClick(Lista(), Qt::Key_Return);
    EXPECT_FALSE(Lista()->isVisible());
    EXPECT_EQ(ventana_->SitioActual().nombreCompleto, "Concepción, Región del Biobío, Chile");
    EXPECT_EQ(Lugar()->text(), "Concepción, Región del Biobío, Chile");
    const QString linea = Hijo<QLabel>("lineaLugar")->text();
    EXPECT_TRUE(linea.contains("America/Santiago, -03")) << linea.toStdString();
    EXPECT_TRUE(linea.contains("36°")) << linea.toStdString();

    // The day's sunrise and sunset are the command line's for the same
    // request (its JSON keeps the window's form, " 6: 17").
    QProcess p;
    p.start(QStringLiteral(VESPALBA_TABLA),
            {"--lugar", "Concepción, Chile", "--fecha", "2026-12-10", "--formato", "json"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString json = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* caja : {"Orto", "Ocaso"}) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("\"%1\":\" (\\d+): ?(\\d+)\"").arg(caja)).match(json);
        ASSERT_TRUE(m.hasMatch()) << json.toStdString();
        EXPECT_EQ(HoraDe(QString::fromLatin1(caja)),
                  QStringLiteral("%1:%2")
                      .arg(m.captured(1))
                      .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0')));
    }
}

TEST_F(VentanaAlmanaqueTest, UnNombreDesconocidoDejaLosResultados) {
    const QString orto = HoraDe(QStringLiteral("Orto"));
    ASSERT_FALSE(orto.isEmpty());
    Lugar()->setFocus();
    Lugar()->selectAll();
    QTest::keyClicks(Lugar(), QStringLiteral("Valparaisso"));
    QTest::keyClick(Lista(), Qt::Key_Escape);
    QTest::keyClick(Lugar(), Qt::Key_Return);
    QLabel* aviso = Hijo<QLabel>("avisoLugar");
    EXPECT_TRUE(aviso->isVisible());
    EXPECT_TRUE(aviso->text().contains(QStringLiteral("Valparaíso")))
        << aviso->text().toStdString();
    EXPECT_EQ(ventana_->SitioActual(), Valparaiso());
    EXPECT_EQ(HoraDe(QStringLiteral("Orto")), orto);

    // Coordinates out of range: the accepted range said.
    Lugar()->selectAll();
    QTest::keyClicks(Lugar(), QStringLiteral("80:00S 71:36W"));
    QTest::keyClick(Lugar(), Qt::Key_Return);
    EXPECT_TRUE(aviso->text().contains(QStringLiteral("75°"))) << aviso->text().toStdString();
    EXPECT_EQ(ventana_->SitioActual(), Valparaiso());

    // Valid coordinates: shown in the nautical zone of their longitude.
    Lugar()->selectAll();
    QTest::keyClicks(Lugar(), QStringLiteral("-33.27 -80.5"));
    QTest::keyClick(Lugar(), Qt::Key_Return);
    EXPECT_FALSE(aviso->isVisible());
    EXPECT_NEAR(ventana_->SitioActual().longitud, -80.5, 1e-12);
    EXPECT_TRUE(Hijo<QLabel>("lineaLugar")->text().contains(QStringLiteral("-5 h (zona náutica)")));
}

// A town beyond 75 degrees (Longyearbyen, 78 N) is not offered in the
// list; Return on its name says why under the box, in place of an older
// message.
TEST_F(VentanaAlmanaqueTest, UnLugarFueraDelAlcanceDicePorQue) {
    for (const Sugerencia& s : Sugerencias(QStringLiteral("Longyearbyen"), 8)) {
        EXPECT_LT(std::fabs(s.sitio.latitud), 75.0) << s.texto.toStdString();
    }
    QLabel* aviso = Hijo<QLabel>("avisoLugar");
    Lugar()->setFocus();
    Lugar()->selectAll();
    QTest::keyClicks(Lugar(), QStringLiteral("xqzwv"));
    QTest::keyClick(Lugar(), Qt::Key_Return);
    EXPECT_TRUE(aviso->text().contains(QStringLiteral("xqzwv"))) << aviso->text().toStdString();
    Lugar()->selectAll();
    QTest::keyClicks(Lugar(), QStringLiteral("Longyearbyen"));
    QTest::keyClick(Lugar(), Qt::Key_Return);
    EXPECT_TRUE(aviso->isVisible());
    EXPECT_TRUE(aviso->text().contains(QStringLiteral("Longyearbyen")) &&
                aviso->text().contains(QStringLiteral("75°")) &&
                !aviso->text().contains(QStringLiteral("xqzwv")))
        << aviso->text().toStdString();
    EXPECT_EQ(ventana_->SitioActual(), Valparaiso());
}

TEST_F(VentanaAlmanaqueTest, TeclasDeDiasMesesYHoy) {
    QTest::keyClick(ventana_.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 12, 11));
    QTest::keyClick(ventana_.get(), Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2027, 1, 11));
    QTest::keyClick(ventana_.get(), Qt::Key_PageUp, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 1, 11));
    QTest::keyClick(ventana_.get(), Qt::Key_Home, Qt::AltModifier);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 12, 10));
    EXPECT_EQ(Hijo<QDateEdit>("cajaFecha")->date(), QDate(2026, 12, 10));

    // The limits said plainly.
    ventana_->EligeFecha(QDate(2040, 12, 31));
    QTest::keyClick(ventana_.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2040, 12, 31));
    EXPECT_TRUE(Hijo<QLabel>("avisoFecha")->isVisible());
    EXPECT_TRUE(Hijo<QLabel>("avisoFecha")->text().contains(QStringLiteral("2040")));
    QTest::keyClick(ventana_.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_FALSE(Hijo<QLabel>("avisoFecha")->isVisible());
}

// The shown day's golden and blue hours in the Sun's table, each from–to
// the clock reading (hours and truncated minutes) of the boundaries the
// next-event search finds from the day's first instant: Valparaíso in its
// zone on an ordinary day, on the two days around the clock going back
// (2026-04-04, 25 hours long) and forward (2026-09-06); at 70 N on the
// June solstice the thresholds the Sun does not cross show as "—".
TEST_F(VentanaAlmanaqueTest, HorasDoradaYAzulDelDia) {
    using Vespalba::Dias::TipoSuceso;
    Sitio valparaiso;
    valparaiso.latitud = -33.03;
    valparaiso.longitud = -71.63;
    valparaiso.zona = QStringLiteral("America/Santiago");
    ventana_->EligeSitio(valparaiso);
    struct Fila {
        const char* nombre;
        TipoSuceso desde, hasta;
    };
    const Fila filas[] = {
        {"Hora azul de la mañana", TipoSuceso::InicioAzulManana, TipoSuceso::InicioDoradaManana},
        {"Hora dorada de la mañana", TipoSuceso::InicioDoradaManana, TipoSuceso::FinDoradaManana},
        {"Hora dorada de la tarde", TipoSuceso::InicioDoradaTarde, TipoSuceso::InicioAzulTarde},
        {"Hora azul de la tarde", TipoSuceso::InicioAzulTarde, TipoSuceso::FinAzulTarde},
    };
    const QTimeZone zona("America/Santiago");
    for (const QDate fecha :
         {QDate(2026, 1, 15), QDate(2026, 4, 4), QDate(2026, 4, 5), QDate(2026, 9, 6)}) {
        SCOPED_TRACE(fecha.toString(Qt::ISODate).toStdString());
        ventana_->EligeFecha(fecha);
        const Vespalba::Dias::Consulta& c = ventana_->ConsultaActual();
        const qint64 inicio = fecha.startOfDay(zona).toSecsSinceEpoch();
        const auto reloj = [&](TipoSuceso t) {
            const Vespalba::Dias::Proximo p = Vespalba::Dias::BuscaProximo(c, {t, 0.0}, inicio - 1);
            EXPECT_EQ(p.estado, Vespalba::Dias::EstadoProximo::Hallado);
            EXPECT_EQ(FechaDe(p.fecha), fecha);
            const QDateTime t0 = QDateTime::fromSecsSinceEpoch(
                p.instante->segundos, Qt::OffsetFromUTC, p.instante->desfase);
            return QStringLiteral("%1:%2")
                .arg(t0.time().hour())
                .arg(t0.time().minute(), 2, 10, QLatin1Char('0'));
        };
        for (const Fila& f : filas) {
            EXPECT_EQ(HoraDe(QString::fromUtf8(f.nombre)),
                      reloj(f.desde) + QStringLiteral(" – ") + reloj(f.hasta))
                << f.nombre;
        }
    }
    // After the day's other rows: the sunrise's and the daylight's first.
    QTableWidget* t = Sol();
    ASSERT_GE(t->rowCount(), 4);
    EXPECT_EQ(t->item(t->rowCount() - 4, 0)->text(), QStringLiteral("Hora azul de la mañana"));
    EXPECT_EQ(t->item(t->rowCount() - 5, 0)->text(), QStringLiteral("Horas de luz"));

    // 70 N, 20 E on 2026-06-21: the Sun between +3.4 and +43.4 degrees.
    Sitio polar;
    polar.latitud = 70.0;
    polar.longitud = 20.0;
    polar.zona = QStringLiteral("Europe/Oslo");
    ventana_->EligeSitio(polar);
    ventana_->EligeFecha(QDate(2026, 6, 21));
    EXPECT_EQ(HoraDe(QStringLiteral("Hora azul de la mañana")), QStringLiteral("—"));
    EXPECT_EQ(HoraDe(QStringLiteral("Hora azul de la tarde")), QStringLiteral("—"));
    static const QRegularExpression hora(QStringLiteral("^\\d{1,2}:\\d\\d$"));
    const QStringList manana = HoraDe(QStringLiteral("Hora dorada de la mañana")).split(" – ");
    ASSERT_EQ(manana.size(), 2);
    EXPECT_EQ(manana[0], QStringLiteral("—"));
    EXPECT_TRUE(hora.match(manana[1]).hasMatch()) << manana[1].toStdString();
    const QStringList tarde = HoraDe(QStringLiteral("Hora dorada de la tarde")).split(" – ");
    ASSERT_EQ(tarde.size(), 2);
    EXPECT_TRUE(hora.match(tarde[0]).hasMatch()) << tarde[0].toStdString();
    EXPECT_EQ(tarde[1], QStringLiteral("—"));
    SinNan();
}

TEST_F(VentanaAlmanaqueTest, MesIgualALaLineaDeOrdenesYCopiaDeFilas) {
    Sitio santiago;
    santiago.nombre = QStringLiteral("Santiago");
    santiago.latitud = -33.45;
    santiago.longitud = -70.67;
    santiago.zona = QStringLiteral("America/Santiago");
    ventana_->EligeSitio(santiago);
    ventana_->EligeFecha(QDate(2026, 4, 4));
    QTableView* tabla = Hijo<QTableView>("tablaMes");
    QAbstractItemModel* m = tabla->model();
    ASSERT_EQ(m->rowCount(), 30);
    QProcess p;
    p.start(QStringLiteral(VESPALBA_TABLA),
            {"--lat", "-33.45", "--lon", "-70.67", "--tz", "America/Santiago", "--mes", "2026-04"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QStringList filas = QString::fromUtf8(p.readAllStandardOutput())
                                  .split('\n')
                                  .filter(QRegularExpression("^2026-04-\\d\\d "));
    ASSERT_EQ(filas.size(), 30);
    for (int i = 0; i < 30; ++i) {
        QStringList celdas;
        for (int c = 1; c < m->columnCount(); ++c) {
            const QString t = m->index(i, c).data().toString();
            if (!t.isEmpty()) celdas << t;
        }
        EXPECT_EQ(celdas.join(" | "),
                  filas[i].split(QRegularExpression("  +"), Qt::SkipEmptyParts).join(" | "));
    }
    EXPECT_TRUE(m->index(3, 1).data(Qt::ToolTipRole).toString().contains("cambio de hora"));
    EXPECT_TRUE(m->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().contains("desfase"))
        << "the offset column explained, as the table's legend does with a zone";
    // The place line names both offsets of the clock-change days.
    EXPECT_TRUE(Hijo<QLabel>("lineaLugar")->text().endsWith("America/Santiago, -03 → -04"))
        << Hijo<QLabel>("lineaLugar")->text().toStdString();
    ventana_->EligeFecha(QDate(2026, 9, 6));
    EXPECT_TRUE(Hijo<QLabel>("lineaLugar")->text().endsWith("America/Santiago, -04 → -03"))
        << Hijo<QLabel>("lineaLugar")->text().toStdString();
    ventana_->EligeFecha(QDate(2026, 4, 4));

    // Choosing a row shows its day; Ctrl+C copies the rows with a header.
    ventana_->findChild<QTabWidget*>("pestanas")->setCurrentIndex(1);
    tabla->setFocus();
    tabla->selectRow(9);
    EXPECT_EQ(ventana_->FechaActual(), QDate(2026, 4, 10));
    QTest::keyClick(tabla, Qt::Key_Down, Qt::ShiftModifier);
    QApplication::clipboard()->clear();
    QTest::keyClick(tabla, Qt::Key_C, Qt::ControlModifier);
    const QStringList copiadas = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copiadas.size(), 3) << QApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(copiadas[0].startsWith("Día\tFecha\tDesf.\t")) << copiadas[0].toStdString();
    EXPECT_TRUE(copiadas[1].contains("\t2026-04-10\t"));
    EXPECT_TRUE(copiadas[2].contains("\t2026-04-11\t"));
    EXPECT_EQ(ventana_->statusBar()->currentMessage(), QStringLiteral("2 filas copiadas"));
    // One row: the singular.
    tabla->clearSelection();
    tabla->selectRow(3);
    QTest::keyClick(tabla, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ventana_->statusBar()->currentMessage(), QStringLiteral("1 fila copiada"));
}

TEST_F(VentanaAlmanaqueTest, RecuerdaLugarZonaYFavoritos) {
    LecturaLugar l = LeeLugar(QStringLiteral("Concepción, Chile"));
    ASSERT_TRUE(l.sitio);
    ventana_->EligeSitio(*l.sitio);
    EleccionZona fija;
    fija.tipo = EleccionZona::Tipo::Fija;
    fija.horas = -4;
    ventana_->EligeZona(fija);
    QTest::keyClick(ventana_.get(), Qt::Key_D, Qt::ControlModifier);  // a favourite
    ventana_->close();
    ventana_.reset();
    Abre();
    EXPECT_EQ(ventana_->SitioActual(), *l.sitio);
    EXPECT_EQ(ventana_->ZonaActual(), fija);
    QSettings a(Archivo(), QSettings::IniFormat);
    QSettings c(Comun(), QSettings::IniFormat);
    const Preferencias p = LeePreferencias(a, c);
    ASSERT_EQ(p.favoritos.size(), 1u);
    EXPECT_EQ(p.favoritos[0], *l.sitio);
}

// Two almanac windows on the same settings: what each adds with Ctrl+D is
// kept, a removal in one keeps what the other added, and the other's menu
// follows the file without reopening.
TEST_F(VentanaAlmanaqueTest, DosVentanasNoPierdenFavoritos) {
    auto otra = PruebasAlmanaque::AbreAlmanaque(Archivo(), Comun(), [] { return Ahora; });
    ASSERT_NE(otra, nullptr);
    const LecturaLugar arica = LeeLugar(QStringLiteral("Arica"));
    const LecturaLugar puntaArenas = LeeLugar(QStringLiteral("Punta Arenas"));
    ASSERT_TRUE(arica.sitio && puntaArenas.sitio);
    // Each window's own menu action (a key goes to the active window's).
    // (Triggered after the search: the menu is rebuilt by the action.)
    const auto accion = [](VentanaAlmanaque& v, const QString& texto) {
        QAction* elegida = nullptr;
        for (QAction* a :
             v.findChild<QToolButton*>(QStringLiteral("botonFavoritos"))->menu()->actions()) {
            if (a->text() == texto) elegida = a;
        }
        ASSERT_NE(elegida, nullptr) << texto.toStdString();
        elegida->trigger();
    };
    ventana_->EligeSitio(*arica.sitio);
    accion(*ventana_, QStringLiteral("&Añadir el lugar mostrado"));
    otra->EligeSitio(*puntaArenas.sitio);
    accion(*otra, QStringLiteral("&Añadir el lugar mostrado"));
    const auto enElArchivo = [&] {
        QSettings a(Archivo(), QSettings::IniFormat);
        QSettings c(Comun(), QSettings::IniFormat);
        return LeePreferencias(a, c).favoritos;
    };
    EXPECT_EQ(enElArchivo(), (std::vector<Sitio>{*arica.sitio, *puntaArenas.sitio}));
    // The first window's menu lists Punta Arenas once the file's change
    // reaches it.
    const auto enElMenu = [&](VentanaAlmanaque& v, const QString& nombre) {
        for (QAction* a :
             v.findChild<QToolButton*>(QStringLiteral("botonFavoritos"))->menu()->actions()) {
            if (a->text().startsWith(nombre)) return true;
        }
        return false;
    };
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return enElMenu(*ventana_, QStringLiteral("Punta Arenas")); }, 5000));
    // A removal in the second window keeps the first one's Arica.
    accion(*otra, QStringLiteral("&Quitar el lugar mostrado"));
    EXPECT_EQ(enElArchivo(), (std::vector<Sitio>{*arica.sitio}));
    ventana_->close();  // its own state written on closing, not its list
    otra->close();
    EXPECT_EQ(enElArchivo(), (std::vector<Sitio>{*arica.sitio}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !enElMenu(*ventana_, QStringLiteral("Punta Arenas")); }, 5000));
}

// A favourite restores its own zone: after a fixed +5.5 h chosen for
// another place, picking the favourite Valparaíso (saved with
// America/Santiago) shows it in its zone again.
TEST_F(VentanaAlmanaqueTest, UnFavoritoTraeSuZona) {
    ventana_->EligeSitio(Valparaiso());
    QAction* anadir = nullptr;
    for (QAction* a : Hijo<QToolButton>("botonFavoritos")->menu()->actions()) {
        if (a->text() == QStringLiteral("&Añadir el lugar mostrado")) anadir = a;
    }
    ASSERT_NE(anadir, nullptr);
    anadir->trigger();
    const LecturaLugar otro = LeeLugar(QStringLiteral("Arica"));
    ASSERT_TRUE(otro.sitio);
    ventana_->EligeSitio(*otro.sitio);
    EleccionZona fija;
    fija.tipo = EleccionZona::Tipo::Fija;
    fija.horas = 5.5;
    ventana_->EligeZona(fija);
    QAction* favorito = nullptr;
    for (QAction* a : Hijo<QToolButton>("botonFavoritos")->menu()->actions()) {
        if (a->text().startsWith(Valparaiso().Nombre())) favorito = a;
    }
    ASSERT_NE(favorito, nullptr);
    favorito->trigger();
    EXPECT_EQ(ventana_->SitioActual(), Valparaiso());
    EXPECT_EQ(ventana_->ZonaActual(), EleccionZona{});
    EXPECT_TRUE(Hijo<QComboBox>("cajaZona")->currentText().contains("America/Santiago"))
        << Hijo<QComboBox>("cajaZona")->currentText().toStdString();
}

// Tab reaches every control of the day's view and the month's, and each one
// has a name a screen reader reads.
TEST_F(VentanaAlmanaqueTest, TabLlegaACadaControlConSuNombre) {
    const auto recorre = [&] {
        QStringList vistos;
        Lugar()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 60; ++i) {
            QWidget* w = QApplication::focusWidget();
            if (w == nullptr) break;
            QString nombre = w->objectName();
            if (nombre.isEmpty() && w->parentWidget()) nombre = w->parentWidget()->objectName();
            if (!vistos.contains(nombre)) vistos << nombre;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_TRUE(a && !a->text(QAccessible::Name).trimmed().isEmpty())
                << "sin nombre accesible: " << nombre.toStdString() << " "
                << w->metaObject()->className();
            QTest::keyClick(w, Qt::Key_Tab);
        }
        return vistos;
    };
    const QStringList dia = recorre();
    for (const char* control :
         {"cajaLugar", "botonFavoritos", "cajaZona", "anioAnterior", "mesAnterior", "diaAnterior",
          "cajaFecha", "diaSiguiente", "mesSiguiente", "anioSiguiente", "botonHoy", "tablaSol",
          "tablaLuna"}) {
        EXPECT_TRUE(dia.contains(QLatin1String(control)))
            << control << ": " << dia.join(' ').toStdString();
    }
    QTest::keyClick(ventana_.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_TRUE(recorre().contains(QStringLiteral("tablaMes")));
}

// Types any text, one key event per character with the character as its
// text (QTest's own typing takes ASCII only).
void Teclea(QWidget* w, const QString& texto) {
    for (const QChar c : texto) {
        QKeyEvent pulsa(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent suelta(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &pulsa);
        QApplication::sendEvent(w, &suelta);
    }
}

// What the calculator's boxes withstand, typed into every box of this one.
TEST_F(VentanaAlmanaqueTest, TextosHostilesEnCadaCaja) {
    const QString hostiles[] = {
        QString(10000, QLatin1Char('9')),
        QStringLiteral("\x01\x02\x1b[31m\t\r"),
        QStringLiteral(
            "\u0663\u0663:\u0661\u0666S \u0667\u0661:\u0663\u0666W"),  // Arabic-Indic digits
        QStringLiteral("NaN nan"),
        QStringLiteral("inf -inf"),
        QStringLiteral("1e999 -1e999"),
        QStringLiteral("漢字 עברית"),
        QStringLiteral("-0 -0"),
    };
    QComboBox* zona = Hijo<QComboBox>("cajaZona");
    QDateEdit* fecha = Hijo<QDateEdit>("cajaFecha");
    for (const QString& h : hostiles) {
        SCOPED_TRACE(h.left(20).toStdString());
        Lugar()->setFocus();
        Lugar()->selectAll();
        Teclea(Lugar(), h.left(300));
        QTest::keyClick(Lugar(), Qt::Key_Return);
        zona->setFocus();
        zona->lineEdit()->selectAll();
        Teclea(zona->lineEdit(), h.left(300));
        QTest::keyClick(zona->lineEdit(), Qt::Key_Return);
        fecha->setFocus();
        Teclea(fecha, h.left(50));
        QTest::keyClick(fecha, Qt::Key_Return);
        EXPECT_TRUE(SitioValido(ventana_->SitioActual()));
        EXPECT_GE(ventana_->FechaActual(), PrimeraFecha);
        EXPECT_LE(ventana_->FechaActual(), UltimaFecha);
        SinNan();
    }
    // A paste of 10,000 characters through the clipboard, too.
    Lugar()->setText(QString(10000, QLatin1Char('x')));
    QTest::keyClick(Lugar(), Qt::Key_Return);
    EXPECT_TRUE(Hijo<QLabel>("avisoLugar")->isVisible());
}

// Random actions over the window; after each, the invariants.
TEST_F(VentanaAlmanaqueTest, Mono) {
    std::mt19937 azar(1980);
    const QString textos[] = {"valpa", "Concep", "Punta",  "33:16S 71:36W", "-70 20",
                              "xq",    "Apia",   "Tromsø", "-89 0",         ""};
    const QString zonas[] = {
        "-4", "America/Santiago", "Pacific/Apia", "Europe/Oslo", "+14", "-12", "Zona del lugar",
        "x"};
    QComboBox* zona = Hijo<QComboBox>("cajaZona");
    for (int paso = 0; paso < 400; ++paso) {
        switch (azar() % 7) {
            case 0:
                Lugar()->setFocus();
                Lugar()->selectAll();
                Teclea(Lugar(), textos[azar() % std::size(textos)]);
                if (Lista()->isVisible() && azar() % 2) {
                    QTest::keyClick(Lista(), Qt::Key_Down);
                    QTest::keyClick(Lista(), Qt::Key_Return);
                } else {
                    QTest::keyClick(Lugar(), Qt::Key_Escape);
                    QTest::keyClick(Lugar(), Qt::Key_Return);
                }
                break;
            case 1:
                zona->lineEdit()->selectAll();
                Teclea(zona->lineEdit(), zonas[azar() % std::size(zonas)]);
                QTest::keyClick(zona->lineEdit(), Qt::Key_Return);
                break;
            case 2: QTest::keyClick(ventana_.get(), Qt::Key_Right, Qt::AltModifier); break;
            case 3: QTest::keyClick(ventana_.get(), Qt::Key_PageUp, Qt::AltModifier); break;
            case 4:
                QTest::keyClick(ventana_.get(), Qt::Key_PageDown,
                                Qt::AltModifier | Qt::ShiftModifier);
                break;
            case 5:
                ventana_->EligeFecha(
                    QDate(1975 + int(azar() % 70), 1 + int(azar() % 12), 1 + int(azar() % 28)));
                break;
            case 6: QTest::keyClick(ventana_.get(), Qt::Key_Home, Qt::AltModifier); break;
        }
        ASSERT_TRUE(SitioValido(ventana_->SitioActual()));
        ASSERT_GE(ventana_->FechaActual(), PrimeraFecha);
        ASSERT_LE(ventana_->FechaActual(), UltimaFecha);
        ASSERT_EQ(Hijo<QDateEdit>("cajaFecha")->date(), ventana_->FechaActual());
        if (paso % 20 == 0) SinNan();
    }
}

}  // namespace

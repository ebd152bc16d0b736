// SPDX-License-Identifier: GPL-3.0-or-later
// A monkey on the real window: from a fixed seed, tens of thousands of
// random actions (texts typed or pasted into any box, picks in the place
// list, option buttons, the menu commands but "Salir", "Hoy", "Calcular"
// with its message closed). After every action the window must agree with
// a model of what the user did:
//  - the input boxes hold what was typed, until a command changes them as
//    that command says;
//  - the result frame is shown exactly after "Calcular", hidden after
//    "Ejemplo" and "Nuevo Cálculo";
//  - "Calcular" shows what the display rules compose for the checked inputs,
//    or the message of the first box at fault with the focus on that box;
//  - no result box shows "nan" or "inf", every time has the hours-and-minutes
//    shape, and the place list keeps its forty entries.
// The number of actions comes from VESPALBA_MONO_ACCIONES (default 20000);
// the run also stops after VESPALBA_MONO_SEGUNDOS of work (default 150), so
// a slow sanitizer build stays bounded. Both figures are printed.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <variant>

#include "astro/eventos.h"
#include "calculadora/validacion.h"
#include "lugares/lugares.h"
#include "resultados/area_resultados.h"
#include "resultados/resultados.h"
#include "ventana_fixture.h"

namespace {

const char* const cajasEntrada[] = {"FE1", "FE2", "FE3", "L3", "L4", "G3", "G4", "Z"};
const char* const cajasResultado[] = {"OcasoLuna",      "OrtoLuna",     "Orto",      "Ocaso",
                                      "ComAuroraCivil", "FinCrepCivil", "ComAurora", "FinCrep",
                                      "ComAuroraAstro", "FinCrepAstro", "HorasLuz",  "TextAl",
                                      "TextInfo"};

const QDate hoy(2026, 3, 5);  // the injected clock's date

long Entorno(const char* nombre, long porDefecto) {
    const char* v = std::getenv(nombre);
    return v != nullptr ? std::strtol(v, nullptr, 10) : porDefecto;
}

class Mono : public VentanaTest {
protected:
    std::mt19937 azar{20030702};

    int Entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(azar); }

    // A text a user might type or paste, often odd.
    QString TextoAlAzar() {
        // clang-format off
        static const char* const raros[] = {
            "", " ", "0", "2", "7", "12", "31", "32", "2003", "1980", "2040", "33", "16",
            "71", "36", "4", "-4", "12,5", "59,99", "59.9999", "60", "75", "74", "179,5",
            "180", "1e400", "-1e400", "nan", "NaN", "inf", "-inf", "-0", "+4", ".5", "5.",
            "3 1", "5abc", "1.000", "1,000", "1.000,5", "1e2", "1D1", "٣", "١٢", "１２",
            "Valparaíso        ", "Arica", "🌙☀", "é", "e\u0301", "\u200b7", "مرحبا",
            "\x01\x7f", "' OR 1=1 --", "%s%n%x", "\\", "\"", "<b>x</b>",
        };
        // clang-format on
        switch (Entre(0, 9)) {
            case 0: {  // long
                QString s;
                const int n = Entre(100, 3000);
                for (int i = 0; i < n; ++i) s.append(QChar(Entre(0x20, 0x7e)));
                return s;
            }
            case 1: {  // random code points, surrogates and controls excluded
                QString s;
                const int n = Entre(1, 12);
                for (int i = 0; i < n; ++i) {
                    char32_t c = static_cast<char32_t>(Entre(0x20, 0x2FFFF));
                    if (c >= 0xD800 && c <= 0xDFFF) c = U'x';
                    s.append(QString::fromUcs4(&c, 1));
                }
                return s;
            }
            case 2:
                return QString::number(std::uniform_real_distribution<double>(-100, 3000)(azar),
                                       'g', Entre(1, 17));
            default: return QString::fromUtf8(raros[Entre(0, std::size(raros) - 1)]);
        }
    }

    // Types into a box: printable ASCII by keys, anything else as a paste.
    void Teclea(QLineEdit* caja, const QString& texto, bool reemplaza) {
        caja->setFocus();
        if (reemplaza) caja->selectAll();
        bool ascii = texto.size() < 200;
        for (QChar c : texto) ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7f;
        if (ascii && !texto.isEmpty()) {
            QTest::keyClicks(caja, texto);
        } else {
            caja->insert(texto);
        }
    }

    QLineEdit* Caja(const char* nombre) { return Ventana().findChild<QLineEdit*>(nombre); }

    // The model: what the input boxes must hold, and whether the result
    // frame must show.
    std::map<QString, QString> entradas;
    bool resultadosVisibles = false;
    // Result boxes the user typed into since the program last wrote them:
    // their text is the user's, not a result.
    std::set<QString> tecleadas;
    long rechazos = 0;  // "Calcular" presses answered by a message

    void ProgramaEscribio(bool todas) {
        for (int i = 0; i < 10; ++i) tecleadas.erase(cajasResultado[i]);
        tecleadas.erase("TextInfo");
        if (todas) tecleadas.clear();
    }

    void LeeModelo() {
        for (const char* n : cajasEntrada) entradas[n] = Caja(n)->text();
    }

    Vespalba::EntradasCalculo EntradasActuales() {
        Vespalba::EntradasCalculo e;
        e.FE1 = entradas["FE1"];
        e.FE2 = entradas["FE2"];
        e.FE3 = entradas["FE3"];
        e.L3 = entradas["L3"];
        e.L4 = entradas["L4"];
        e.G3 = entradas["G3"];
        e.G4 = entradas["G4"];
        e.Z = entradas["Z"];
        e.Lnn = Control<QRadioButton>("Lnn")->isChecked();
        e.Gee = Control<QRadioButton>("Gee")->isChecked();
        e.Option2 = Control<QRadioButton>("Option2")->isChecked();
        return e;
    }

    // Presses "Calcular" and checks the outcome against ValidaDatos and the
    // display rules.
    void Calcula(long paso) {
        const auto esperado = Vespalba::ValidaDatos(EntradasActuales(), QLocale());
        std::optional<QString> mensaje;
        QString focoAlAbrir;
        QTimer vigia;
        vigia.setInterval(5);
        QObject::connect(&vigia, &QTimer::timeout, [&] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (caja == nullptr) return;
            vigia.stop();
            mensaje = caja->text();
            QWidget* foco = Ventana().focusWidget();
            focoAlAbrir = foco ? foco->objectName() : QString();
            caja->button(QMessageBox::Ok)->click();
        });
        vigia.start();
        Control<QPushButton>("Command1")->click();
        vigia.stop();
        resultadosVisibles = true;
        ProgramaEscribio(!std::holds_alternative<Vespalba::FalloValidacion>(esperado));

        if (const auto* fallo = std::get_if<Vespalba::FalloValidacion>(&esperado)) {
            ++rechazos;
            ASSERT_TRUE(mensaje) << "step " << paso << ": a message was due";
            ASSERT_EQ(*mensaje, fallo->mensaje) << "step " << paso;
            ASSERT_EQ(focoAlAbrir, Vespalba::NombreControl(fallo->control)) << "step " << paso;
            Ventana().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&Ventana()));
            ASSERT_EQ(NombreConFoco(), Vespalba::NombreControl(fallo->control)) << "step " << paso;
            for (const char* n : cajasResultado) {
                if (QString(n) != "HorasLuz" && QString(n) != "TextAl") {
                    ASSERT_EQ(Caja(n)->text(), "") << "step " << paso << ", " << n;
                }
            }
            return;
        }
        ASSERT_FALSE(mensaje) << "step " << paso << ": unexpected message "
                              << mensaje->toStdString();
        const auto& datos = std::get<Vespalba::ModuloVespalba::DatosCalculo>(esperado);
        const Vespalba::PantallaResultados p =
            Vespalba::ComponeResultados(Vespalba::ModuloVespalba::BuscaEventos(datos));
        for (const auto& c : p.cajas) {
            ASSERT_EQ(Caja(std::string(c.control).c_str())->text().toStdString(), c.texto)
                << "step " << paso << ", " << c.control;
        }
        ASSERT_EQ(Caja("HorasLuz")->text().toStdString(), p.HorasLuz) << "step " << paso;
        ASSERT_EQ(Caja("TextAl")->text(), Vespalba::TextoFechaMedia(datos.Fecha, QLocale()));
        ASSERT_EQ(Caja("TextInfo")->isVisible(), p.TextInfoVisible) << "step " << paso;
    }

    void CompruebaInvariantes(long paso) {
        for (const char* n : cajasEntrada) {
            ASSERT_EQ(Caja(n)->text(), entradas[n]) << "step " << paso << ": box " << n;
        }
        ASSERT_EQ(Control<QWidget>("Resultado")->isVisible(), resultadosVisibles)
            << "step " << paso;
        static const QRegularExpression hora(QStringLiteral("^( |-)\\d+: \\d+$"));
        static const QRegularExpression noNumero(QStringLiteral("nan|inf"),
                                                 QRegularExpression::CaseInsensitiveOption);
        if (resultadosVisibles) {
            for (const char* n : cajasResultado) {
                if (tecleadas.count(n)) continue;
                const QString t = Caja(n)->text();
                ASSERT_FALSE(noNumero.match(t).hasMatch()) << "step " << paso << ", " << n;
            }
            for (int i = 0; i < 10; ++i) {
                if (tecleadas.count(cajasResultado[i])) continue;
                const QString t = Caja(cajasResultado[i])->text();
                const bool marca =
                    t.isEmpty() || t == "No hay" || t == "Bajo horizonte" || t == "////";
                ASSERT_TRUE(marca || hora.match(t).hasMatch())
                    << "step " << paso << ", " << cajasResultado[i] << " = " << t.toStdString();
            }
        }
        ASSERT_EQ(Control<QComboBox>("ComLugar")->count(), Vespalba::NumLugares) << "step " << paso;
    }
};

TEST_F(Mono, AccionesAlAzar) {
    const long acciones = Entorno("VESPALBA_MONO_ACCIONES", 20000);
    const long segundos = Entorno("VESPALBA_MONO_SEGUNDOS", 150);
    Ventana().FijaReloj([] { return hoy; });
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Chile));
    LeeModelo();
    QComboBox* lista = Control<QComboBox>("ComLugar");
    ASSERT_NE(lista, nullptr);
    std::map<int, long> cuenta;

    QElapsedTimer reloj;
    reloj.start();
    long paso = 0;
    for (; paso < acciones && reloj.elapsed() < segundos * 1000; ++paso) {
        const int accion = Entre(0, 99);
        if (accion < 35) {  // type into an input box
            const char* n = cajasEntrada[Entre(0, 7)];
            Teclea(Caja(n), TextoAlAzar(), Entre(0, 3) != 0);
            entradas[n] = Caja(n)->text();
            ++cuenta[0];
        } else if (accion < 40) {  // type into a result box or the place box
            static const char* const otras[] = {"Orto", "TextAl", "HorasLuz", "OcasoLuna"};
            if (Entre(0, 1) == 0) {
                // A typed name, even an exact one, then Return: not a pick.
                const bool nombre = Entre(0, 1) == 0;
                const Vespalba::Lugar& l = Vespalba::Lugares[Entre(1, Vespalba::NumLugares)];
                Teclea(lista->lineEdit(),
                       nombre ? QString::fromUtf8(l.Nombre.data(), l.Nombre.size()) : TextoAlAzar(),
                       true);
                if (Entre(0, 1) == 0) QTest::keyClick(lista, Qt::Key_Return);
            } else {
                const char* n = otras[Entre(0, 3)];
                Teclea(Caja(n), TextoAlAzar(), true);
                tecleadas.insert(n);
            }
            ++cuenta[1];
        } else if (accion < 48) {  // a pick from the list, by keyboard or mouse
            bool elegido = true;   // a click on a row is a pick, even of the current row
            if (Entre(0, 1) == 0) {
                lista->setFocus();
                const int antes = lista->currentIndex();
                QTest::keyClick(lista, Entre(0, 1) ? Qt::Key_Down : Qt::Key_Up);
                elegido = lista->currentIndex() != antes;  // no move at either end
            } else {
                lista->showPopup();
                QAbstractItemView* v = lista->view();
                const QModelIndex fila =
                    lista->model()->index(Entre(0, Vespalba::NumLugares - 1), 0);
                v->scrollTo(fila);
                QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(fila).center());
                if (v->isVisible()) lista->hidePopup();
            }
            // A pick fills the coordinates of the place its text names.
            for (int i = 1; elegido && i <= Vespalba::NumLugares; ++i) {
                const Vespalba::Lugar& l = Vespalba::Lugares[i];
                if (lista->currentText() == QString::fromUtf8(l.Nombre.data(), l.Nombre.size())) {
                    entradas["L3"] = QString::number(l.LatGrados);
                    entradas["L4"] = QString::number(l.LatMinutos);
                    entradas["G3"] = QString::number(l.LonGrados);
                    entradas["G4"] = QString::number(l.LonMinutos);
                    break;
                }
            }
            ++cuenta[2];
        } else if (accion < 58) {  // an option button
            static const char* const opciones[] = {"Lss", "Lnn",     "Gww",
                                                   "Gee", "Option1", "Option2"};
            QTest::mouseClick(Control<QRadioButton>(opciones[Entre(0, 5)]), Qt::LeftButton);
            ++cuenta[3];
        } else if (accion < 63) {  // "Ejemplo"
            Control<QAction>("Ej1")->trigger();
            entradas = {{"FE1", "2"}, {"FE2", "7"}, {"FE3", "2003"}, {"Z", "4"},
                        {"L3", "33"}, {"L4", "16"}, {"G3", "71"},    {"G4", "36"}};
            resultadosVisibles = false;
            ++cuenta[4];
        } else if (accion < 68) {  // "Nuevo Cálculo"
            Control<QAction>("Nuevo")->trigger();
            entradas = {{"FE1", ""}, {"FE2", ""}, {"FE3", ""}, {"Z", "4"},
                        {"L3", ""},  {"L4", ""},  {"G3", ""},  {"G4", ""}};
            resultadosVisibles = false;
            ProgramaEscribio(false);
            ++cuenta[5];
        } else if (accion < 73) {  // "Hoy"
            QTest::mouseClick(Control<QPushButton>("Command4"), Qt::LeftButton);
            entradas["FE1"] = "5";
            entradas["FE2"] = "3";
            entradas["FE3"] = "2026";
            ++cuenta[6];
        } else {  // "Calcular"
            Calcula(paso);
            if (HasFatalFailure()) return;
            ++cuenta[7];
        }
        QApplication::processEvents();
        CompruebaInvariantes(paso);
        if (HasFatalFailure()) return;
    }
    std::printf(
        "mono: %ld acciones en %.1f s (teclear %ld, otras cajas %ld, lista %ld, "
        "opciones %ld, Ejemplo %ld, Nuevo %ld, Hoy %ld, Calcular %ld de ellos %ld con "
        "mensaje)\n",
        paso, reloj.elapsed() / 1000.0, cuenta[0], cuenta[1], cuenta[2], cuenta[3], cuenta[4],
        cuenta[5], cuenta[6], cuenta[7], rechazos);
    // Both outcomes of "Calcular" were exercised.
    EXPECT_GT(rechazos, 0);
    EXPECT_GT(cuenta[7] - rechazos, 0);
    QLocale::setDefault(QLocale::c());
}

}  // namespace

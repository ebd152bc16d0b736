// SPDX-License-Identifier: GPL-3.0-or-later
// The upper halves of the vector registers that Qt leaves in use (its AVX2
// fill when painting, its AES hash of short keys when parsing the command
// line) must not reach the search: read with XGETBV(1) (XINUSE) inside the
// search, at every call it makes into the maths library, after each of those
// Qt paths and through the window's own "Calcular".
//
// The search's calls to sin, cos, sincos and atan are routed through the
// wrappers below by the linker (--wrap, see tests/CMakeLists.txt), which is
// how the state is read from inside the search without touching its code.
// The window's validation is wrapped the same way, so that its handler can
// reach the search with the upper halves in use whatever the processor's
// library routines between the click and the search happen to leave.
#include <QAction>
#include <QCommandLineParser>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <cstdint>
#include <functional>
#include <optional>

#include "astro/eventos.h"
#include "astro/vectorial.h"
#include "calculadora/validacion.h"
#include "ventana_fixture.h"

namespace MV = Vespalba::ModuloVespalba;

namespace {

// What the wrappers saw while `midiendo` was set.
bool midiendo = false;
int lecturas = 0;              // libm calls seen
std::uint64_t enUsoVisto = 0;  // XINUSE bits seen in any of them

void Anota() {
    if (midiendo) {
        if (const auto x = MV::ComponentesEnUso()) {
            enUsoVisto |= *x;
            ++lecturas;
        }
    }
}

}  // namespace

extern "C" {
double __real_sin(double);
double __real_cos(double);
double __real_atan(double);
void __real_sincos(double, double*, double*);
double __wrap_sin(double x) {
    Anota();
    return __real_sin(x);
}
double __wrap_cos(double x) {
    Anota();
    return __real_cos(x);
}
double __wrap_atan(double x) {
    Anota();
    return __real_atan(x);
}
void __wrap_sincos(double x, double* s, double* c) {
    Anota();
    __real_sincos(x, s, c);
}
}

namespace {

bool ensuciaTrasValidar = false;  // the validation wrapper leaves ymm15 in use

void EnsuciaMitadesAltas();

}  // namespace

// The window's validation, as the linker routes the handler's call.
using Validado = std::variant<MV::DatosCalculo, Vespalba::FalloValidacion>;
Validado ValidaDatosReal(const Vespalba::EntradasCalculo& entradas, const QLocale& locale) __asm__(
    "__real__ZN8Vespalba11ValidaDatosERKNS_15EntradasCalculoERK7QLocale");
Validado
ValidaDatosEnvuelta(const Vespalba::EntradasCalculo& entradas, const QLocale& locale) __asm__(
    "__wrap__ZN8Vespalba11ValidaDatosERKNS_15EntradasCalculoERK7QLocale");
Validado ValidaDatosEnvuelta(const Vespalba::EntradasCalculo& entradas, const QLocale& locale) {
    Validado v = ValidaDatosReal(entradas, locale);
    if (ensuciaTrasValidar) {
        EnsuciaMitadesAltas();
    }
    return v;
}

namespace {

bool MitadesAltasSucias() {
    const auto x = MV::ComponentesEnUso();
    return x && (*x & MV::MitadesAltasEnUso) != 0;
}

bool HayAvx() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
#else
    return false;
#endif
}

// Leaves a non-zero upper half in ymm15, as a library that returns without
// VZEROUPPER does. Only called where HayAvx().
void EnsuciaMitadesAltas() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __asm__ volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
#endif
}

// The worked example as the search takes it.
MV::DatosCalculo Ejemplo() {
    MV::DatosCalculo d;
    d.Dia = 2;
    d.Mes = 7;
    d.Anio = 2003;
    d.Latitud = -(33 + 16 / 60.0);
    d.Longitud = 71 + 36 / 60.0;
    d.Zona = -4;
    return d;
}

void EsperaIgual(const MV::EventosDia& a, const MV::EventosDia& b) {
    for (int i = 0; i < MV::NumClases; ++i) {
        EXPECT_EQ(a.clases[i].estado, b.clases[i].estado) << "clase " << i + 1;
        EXPECT_EQ(a.clases[i].hayOrto, b.clases[i].hayOrto) << "clase " << i + 1;
        EXPECT_EQ(a.clases[i].hayOcaso, b.clases[i].hayOcaso) << "clase " << i + 1;
        // Bit for bit: EXPECT_EQ on doubles compares exactly.
        EXPECT_EQ(a.clases[i].horaOrto, b.clases[i].horaOrto) << "clase " << i + 1;
        EXPECT_EQ(a.clases[i].horaOcaso, b.clases[i].horaOcaso) << "clase " << i + 1;
    }
}

class EstadoVectorialTest : public VentanaTest {
protected:
    void SetUp() override {
        if (!MV::ComponentesEnUso()) {
            GTEST_SKIP() << "el procesador no informa los componentes en uso (XINUSE)";
        }
        if (!HayAvx()) {
            GTEST_SKIP() << "sin AVX no hay mitades altas que limpiar";
        }
        VentanaTest::SetUp();
    }

    // Makes sure the upper halves are in use when the Qt path did not leave
    // them so on this processor (for instance without VAES the hash path is
    // another), so that the check below always has something to clear.
    //   porQt: whether the Qt path itself left them in use.
    void AseguraSucio(const char* camino, bool porQt) {
        RecordProperty(camino, porQt ? "sucio por Qt" : "ensuciado a mano");
        if (!MitadesAltasSucias()) {
            EnsuciaMitadesAltas();
        }
        ASSERT_TRUE(MitadesAltasSucias());
    }

    // Runs `calculo` with the wrappers listening and checks that the search
    // read the maths library with the upper halves clean.
    void EsperaBusquedaLimpia(const std::function<void()>& calculo) {
        lecturas = 0;
        enUsoVisto = 0;
        midiendo = true;
        calculo();
        midiendo = false;
        ASSERT_GT(lecturas, 100) << "the search's maths calls were not seen";
        EXPECT_EQ(enUsoVisto & MV::MitadesAltasEnUso, 0u)
            << "XINUSE inside the search: 0x" << std::hex << enUsoVisto;
    }
};

// Qt's paint of a widget and its command-line parser, then the search
// called directly, as vespalba-tabla and the benchmarks call it. `ejecuta`
// tells whether the upper halves were in use right after the Qt call.
struct CaminoQt {
    const char* nombre;
    std::function<bool()> ejecuta;
};

const CaminoQt caminos[] = {
    {"pintado",
     [] {
         QPushButton boton(QStringLiteral("Calcular"));
         boton.resize(200, 60);
         const QImage imagen = boton.grab().toImage();
         // A solid fill of a whole image, the raster engine's memory fill.
         QImage lienzo(512, 512, QImage::Format_ARGB32_Premultiplied);
         QPainter pintor(&lienzo);
         pintor.fillRect(lienzo.rect(), Qt::white);
         const bool sucio = MitadesAltasSucias();
         EXPECT_FALSE(imagen.isNull());
         return sucio;
     }},
    {"parser",
     [] {
         QCommandLineParser parser;
         parser.addOption({QStringLiteral("lugar"), QStringLiteral("lugar"), QStringLiteral("N")});
         parser.addOption({QStringLiteral("zona"), QStringLiteral("zona"), QStringLiteral("H")});
         const bool leido = parser.parse({QStringLiteral("vespalba-tabla"),
                                          QStringLiteral("--lugar"), QStringLiteral("valparaiso"),
                                          QStringLiteral("--zona"), QStringLiteral("-4")});
         const bool sucio = MitadesAltasSucias();
         EXPECT_TRUE(leido);
         EXPECT_EQ(parser.value(QStringLiteral("zona")), QStringLiteral("-4"));
         return sucio;
     }},
};

void PrintTo(const CaminoQt& c, std::ostream* os) { *os << c.nombre; }

class TrasQtTest : public EstadoVectorialTest, public ::testing::WithParamInterface<CaminoQt> {};

TEST_P(TrasQtTest, LaBusquedaEmpiezaLimpia) {
    const MV::EventosDia limpio = MV::BuscaEventos(Ejemplo());
    const bool porQt = GetParam().ejecuta();
    AseguraSucio(GetParam().nombre, porQt);
    MV::EventosDia tras{};
    EsperaBusquedaLimpia([&] { tras = MV::BuscaEventos(Ejemplo()); });
    EsperaIgual(tras, limpio);
}

INSTANTIATE_TEST_SUITE_P(Caminos, TrasQtTest, ::testing::ValuesIn(caminos),
                         [](const auto& info) { return std::string(info.param.nombre); });

// The window: painted, the worked example put in by the Ejemplo command, and
// "Calcular" clicked; its search must start clean too, even with the upper
// halves in use right before it (left so by the validation wrapper).
TEST_F(EstadoVectorialTest, CalcularEnLaVentana) {
    QAction* ejemplo = Ventana().findChild<QAction*>(QStringLiteral("Ej1"));
    QPushButton* calcular = Ventana().findChild<QPushButton*>(QStringLiteral("Command1"));
    QLineEdit* orto = Ventana().findChild<QLineEdit*>(QStringLiteral("Orto"));
    ASSERT_NE(ejemplo, nullptr);
    ASSERT_NE(calcular, nullptr);
    ASSERT_NE(orto, nullptr);
    ejemplo->trigger();
    ASSERT_FALSE(Ventana().grab().toImage().isNull());
    AseguraSucio("ventana", MitadesAltasSucias());
    ensuciaTrasValidar = true;
    EsperaBusquedaLimpia([&] { calcular->click(); });
    ensuciaTrasValidar = false;
    EXPECT_EQ(orto->text(), QStringLiteral(" 7: 50"));
}

}  // namespace

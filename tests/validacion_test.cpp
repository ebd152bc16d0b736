// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the input boxes and checking them before a calculation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "astro/tiempo.h"
#include "calculadora/lectura.h"
#include "calculadora/validacion.h"

using namespace Vespalba;
using Vespalba::ModuloVespalba::BuscaEventos;
using Vespalba::ModuloVespalba::DatosCalculo;
using Vespalba::ModuloVespalba::EventosDia;
using Vespalba::ModuloVespalba::FechaMJD;
using Vespalba::ModuloVespalba::NumClases;

namespace {

const double inf = std::numeric_limits<double>::infinity();

// ------------------------------------------------------------- readings

TEST(LecturaPrefijo, LeeHastaElPrimerCaracterAjeno) {
    const struct {
        const char* texto;
        double valor;
        // clang-format off
    } casos[] = {
        {"", 0},           {" ", 0},           {"abc", 0},        {"12", 12},
        {" 1 2 ", 12},     {"\t7\n", 7},       {"3.5", 3.5},      {"3,5", 3},
        {"-2.5e1", -25},   {"1D2", 100},       {"1d-1", 0.1},     {"1e", 1},
        {"1e+", 1},        {"5abc", 5},        {".5", 0.5},       {"5.", 5},
        {"+4", 4},         {"-", 0},           {".", 0},          {"1e400", inf},
        {"-1e400", -inf},  {"1e-400", 0},      {"3 1", 31},       {"٣", 0},
        {"30,5", 30},      {"0x10", 0},        {"--1", 0},        {"1.2.3", 1.2},
    };
    // clang-format on
    for (const auto& c : casos) {
        EXPECT_EQ(LecturaPrefijo(QString::fromUtf8(c.texto)), c.valor)
            << "LecturaPrefijo(\"" << c.texto << "\")";
    }
}

struct CasoLocal {
    const char* locale;
    const char* texto;
    std::optional<double> valor;
};

TEST(LecturaLocal, TextoEnteroEnElFormatoDelUsuario) {
    // clang-format off
    const CasoLocal casos[] = {
        {"C", "30.5", 30.5},         {"C", " 12 ", 12},      {"C", "1,000", 1000},
        {"C", "30,5", std::nullopt}, {"C", "", std::nullopt}, {"C", "3 1", std::nullopt},
        {"C", "5abc", std::nullopt}, {"C", "1.5e3", 1500},   {"C", "-4", -4},
        {"es_CL", "30,5", 30.5},     {"es_CL", "30.5", 30.5}, {"es_CL", "1.000", 1000},
        {"de_DE", "30,5", 30.5},     {"de_DE", "30.5", 30.5}, {"de_DE", "1,000.5", std::nullopt},
    };
    // clang-format on
    for (const auto& c : casos) {
        EXPECT_EQ(LecturaLocal(QString::fromUtf8(c.texto), QLocale(QString::fromUtf8(c.locale))),
                  c.valor)
            << c.locale << " \"" << c.texto << "\"";
    }
}

TEST(LecturaLocal, NoFinitoNoEsNumero) {
    for (const char* t : {"nan", "NaN", "inf", "-inf", "1e400", "-1e999"}) {
        for (const char* l : {"C", "es_CL"}) {
            EXPECT_FALSE(LecturaLocal(QString::fromUtf8(t), QLocale(QString::fromUtf8(l))))
                << l << " \"" << t << "\"";
        }
    }
}

TEST(LecturaEntera, RedondeaAlParYAcota) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(LecturaEntera(u"2.5", c), 2);
    EXPECT_EQ(LecturaEntera(u"3.5", c), 4);
    EXPECT_EQ(LecturaEntera(u"-2.5", c), -2);
    EXPECT_EQ(LecturaEntera(u"30.4", c), 30);
    EXPECT_EQ(LecturaEntera(u"32767", c), 32767);
    EXPECT_EQ(LecturaEntera(u"-32768", c), -32768);
    EXPECT_EQ(LecturaEntera(u"32768", c), std::nullopt);
    EXPECT_EQ(LecturaEntera(u"x", c), std::nullopt);
}

// ------------------------------------------------------------ the checks

// The worked example as typed: 2 July 2003, 33 16 S, 71 36 W, zone 4 W.
EntradasCalculo Ejemplo() {
    EntradasCalculo e;
    e.FE1 = "2";
    e.FE2 = "7";
    e.FE3 = "2003";
    e.L3 = "33";
    e.L4 = "16";
    e.G3 = "71";
    e.G4 = "36";
    e.Z = "4";
    return e;
}

QString* Campo(EntradasCalculo& e, ControlEntrada c) {
    switch (c) {
        case ControlEntrada::FE1: return &e.FE1;
        case ControlEntrada::FE2: return &e.FE2;
        case ControlEntrada::FE3: return &e.FE3;
        case ControlEntrada::L3: return &e.L3;
        case ControlEntrada::L4: return &e.L4;
        case ControlEntrada::G3: return &e.G3;
        case ControlEntrada::G4: return &e.G4;
        case ControlEntrada::Z: return &e.Z;
    }
    return nullptr;
}

struct CasoCampo {
    ControlEntrada control;
    const char* texto;
    bool aceptado;
};

void PrintTo(const CasoCampo& c, std::ostream* os) {
    *os << NombreControl(c.control) << "=\"" << c.texto << "\"";
}

class ValidaCampo : public ::testing::TestWithParam<CasoCampo> {};

TEST_P(ValidaCampo, AceptaORechazaConSuMensaje) {
    const CasoCampo& c = GetParam();
    EntradasCalculo e = Ejemplo();
    *Campo(e, c.control) = QString::fromUtf8(c.texto);
    const auto r = ValidaDatos(e, QLocale::c());
    if (c.aceptado) {
        EXPECT_TRUE(std::holds_alternative<DatosCalculo>(r));
    } else {
        ASSERT_TRUE(std::holds_alternative<FalloValidacion>(r));
        const auto& f = std::get<FalloValidacion>(r);
        EXPECT_EQ(f.control, c.control);
        EXPECT_EQ(f.mensaje, MensajeValidacion(c.control));
    }
}

using C = ControlEntrada;
// clang-format off
const CasoCampo casosCampo[] = {
    // Day: (0, 31]; a fraction passes.
    {C::FE1, "31", true},   {C::FE1, "32", false},  {C::FE1, "0", false},
    {C::FE1, "0.5", true},  {C::FE1, "", false},    {C::FE1, " ", false},
    {C::FE1, "-1", false},  {C::FE1, "5abc", false}, {C::FE1, "nan", false},
    {C::FE1, "1e400", false},
    // Month: (0, 12].
    {C::FE2, "12", true},   {C::FE2, "13", false},  {C::FE2, "0", false},
    {C::FE2, "x", false},
    // Year: [1980, 2040].
    {C::FE3, "1980", true}, {C::FE3, "2040", true}, {C::FE3, "1979", false},
    {C::FE3, "2041", false}, {C::FE3, "2003.", true},
    // Latitude degrees: [0, 75).
    {C::L3, "74", true},    {C::L3, "75", false},   {C::L3, "-1", false},
    {C::L3, "", false},     {C::L3, "3 1", false},  {C::L3, "inf", false},
    {C::L3, "74.9", true},
    // Latitude minutes: [0, 60).
    {C::L4, "59.9999", true}, {C::L4, "60", false}, {C::L4, "0", true},
    {C::L4, "-0.1", false},   {C::L4, "abc", false},
    // Longitude degrees: [0, 180); a fraction is compared as read.
    {C::G3, "179.5", true}, {C::G3, "180", false},  {C::G3, "NaN", false},
    // Longitude minutes.
    {C::G4, "59.9999", true}, {C::G4, "60", false}, {C::G4, "", false},
    // Zone: |value| <= 12.
    {C::Z, "12", true},     {C::Z, "-12", true},    {C::Z, "12.5", false},
    {C::Z, "-12.5", false}, {C::Z, "", false},      {C::Z, "nan", false},
    {C::Z, "-inf", false},  {C::Z, "5.5", true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Limites, ValidaCampo, ::testing::ValuesIn(casosCampo));

TEST(ValidaDatos, LatitudConMinutosAlBorde) {
    EntradasCalculo e = Ejemplo();
    e.L3 = "74";
    e.L4 = "59.99";
    e.Lnn = true;
    const auto r = ValidaDatos(e, QLocale::c());
    ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r));
    EXPECT_DOUBLE_EQ(std::get<DatosCalculo>(r).Latitud, 74 + 59.99 / 60);
}

TEST(ValidaDatos, ElPrimerFalloDetieneLasComprobaciones) {
    // Every box bad: only the day is reported.
    EntradasCalculo e;
    e.FE1 = "";
    e.FE2 = "99";
    e.FE3 = "1";
    e.L3 = "x";
    e.L4 = "x";
    e.G3 = "x";
    e.G4 = "x";
    e.Z = "99";
    const ControlEntrada orden[] = {C::FE1, C::FE2, C::FE3, C::L3, C::L4, C::G3, C::G4, C::Z};
    EntradasCalculo buenas = Ejemplo();
    // Mend the boxes one at a time, in order: the next bad box is reported.
    for (ControlEntrada esperado : orden) {
        const auto r = ValidaDatos(e, QLocale::c());
        ASSERT_TRUE(std::holds_alternative<FalloValidacion>(r));
        EXPECT_EQ(std::get<FalloValidacion>(r).control, esperado);
        *Campo(e, esperado) = *Campo(buenas, esperado);
    }
    EXPECT_TRUE(std::holds_alternative<DatosCalculo>(ValidaDatos(e, QLocale::c())));
}

TEST(ValidaDatos, EjemploDeValparaiso) {
    const auto r = ValidaDatos(Ejemplo(), QLocale::c());
    ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r));
    const DatosCalculo& d = std::get<DatosCalculo>(r);
    EXPECT_EQ(d.Dia, 2);
    EXPECT_EQ(d.Mes, 7);
    EXPECT_EQ(d.Anio, 2003);
    EXPECT_EQ(d.Latitud, -(33 + 16 / 60.0));
    EXPECT_EQ(d.Latitud, -33.266666666666666);
    EXPECT_EQ(d.Longitud, 71.6);
    EXPECT_EQ(d.Zona, -4);
    EXPECT_EQ(d.Fecha, std::chrono::year_month_day{std::chrono::year{2003} / 7 / 2});
}

TEST(ValidaDatos, HemisferiosYZona) {
    EntradasCalculo e = Ejemplo();
    e.L3 = "33";
    e.L4 = "27";
    e.G3 = "70";
    e.G4 = "40";
    auto d = std::get<DatosCalculo>(ValidaDatos(e, QLocale::c()));
    EXPECT_DOUBLE_EQ(d.Latitud, -33.45);
    EXPECT_DOUBLE_EQ(d.Longitud, 70 + 40 / 60.0);
    EXPECT_EQ(d.Zona, -4);

    e.Lnn = true;
    e.Gee = true;
    e.Option2 = true;
    d = std::get<DatosCalculo>(ValidaDatos(e, QLocale::c()));
    EXPECT_DOUBLE_EQ(d.Latitud, 33.45);
    EXPECT_DOUBLE_EQ(d.Longitud, -(70 + 40 / 60.0));
    EXPECT_EQ(d.Zona, 4);

    // The typed sign takes part: -3 with "W" is 3 hours east.
    e.Option2 = false;
    e.Z = "-3";
    d = std::get<DatosCalculo>(ValidaDatos(e, QLocale::c()));
    EXPECT_EQ(d.Zona, 3);
}

TEST(ValidaDatos, FechaConArrastre) {
    using namespace std::chrono;
    const struct {
        const char *dia, *mes, *anio;
        year_month_day fecha;
        // clang-format off
    } casos[] = {
        {"31", "4", "2003", year{2003} / 5 / 1},     // 31 April is 1 May
        {"31", "2", "2003", year{2003} / 3 / 3},     // runs on into March
        {"31", "2", "2004", year{2004} / 3 / 2},     // leap year
        {"0.5", "3", "2003", year{2003} / 2 / 28},   // rounds to day 0
        {"1", "0.4", "2003", year{2002} / 12 / 1},   // month 0: December before
        {"2.5", "7", "2003", year{2003} / 7 / 2},    // a half to the even day
        {"0.4", "2", "1980", year{1980} / 1 / 31},   // borrows, still in 1980
    };
    // clang-format on
    for (const auto& c : casos) {
        EntradasCalculo e = Ejemplo();
        e.FE1 = c.dia;
        e.FE2 = c.mes;
        e.FE3 = c.anio;
        const auto r = ValidaDatos(e, QLocale::c());
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r)) << c.dia << "/" << c.mes;
        const DatosCalculo& d = std::get<DatosCalculo>(r);
        EXPECT_EQ(d.Fecha, c.fecha) << c.dia << "/" << c.mes;
        // The search runs on the date shown, not on the numbers typed.
        EXPECT_EQ(d.Dia, unsigned(c.fecha.day())) << c.dia << "/" << c.mes;
        EXPECT_EQ(d.Mes, unsigned(c.fecha.month())) << c.dia << "/" << c.mes;
        EXPECT_EQ(d.Anio, int(c.fecha.year())) << c.dia << "/" << c.mes;
    }
}

// A fraction in a date box moves the search to the day the date box shows:
// "1,5" of July is 2 July (a half to the even day), "2003,4" is 2003.
TEST(ValidaDatos, FechaFraccionariaEsLaDelDiaMostrado) {
    const struct {
        const char* locale;
        const char *dia, *mes, *anio;
        // clang-format off
    } casos[] = {
        {"es_CL", "1,5", "7", "2003"},   {"en_US", "1.5", "7", "2003"},
        {"es_CL", "2", "7", "2003,4"},   {"en_US", "2", "7", "2003.4"},
        {"es_CL", "2,4", "7,2", "2003"}, {"C", "1.5", "6.6", "2002.6"},
    };
    // clang-format on
    const auto ejemplo = std::get<DatosCalculo>(ValidaDatos(Ejemplo(), QLocale::c()));
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.dia + "/" + c.mes + "/" + c.anio);
        EntradasCalculo e = Ejemplo();
        e.FE1 = c.dia;
        e.FE2 = c.mes;
        e.FE3 = c.anio;
        const auto r = ValidaDatos(e, QLocale(QString::fromLatin1(c.locale)));
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r));
        const DatosCalculo& d = std::get<DatosCalculo>(r);
        EXPECT_EQ(d.Fecha, ejemplo.Fecha);
        EXPECT_EQ(d.Dia, 2);
        EXPECT_EQ(d.Mes, 7);
        EXPECT_EQ(d.Anio, 2003);
        // Hence the very hours of the worked example.
        const EventosDia a = BuscaEventos(d);
        const EventosDia b = BuscaEventos(ejemplo);
        for (int k = 0; k < NumClases; ++k) {
            EXPECT_EQ(a.clases[k].hayOrto, b.clases[k].hayOrto) << k;
            EXPECT_EQ(a.clases[k].horaOrto, b.clases[k].horaOrto) << k;
            EXPECT_EQ(a.clases[k].hayOcaso, b.clases[k].hayOcaso) << k;
            EXPECT_EQ(a.clases[k].horaOcaso, b.clases[k].horaOcaso) << k;
        }
    }
}

// For whole numbers the search's local midnight is, to the bit, that of the
// numbers as typed, carry included (day 31 of April is 1 May either way).
TEST(ValidaDatos, FechaEnteraSinCambio) {
    const struct {
        const char *dia, *mes, *anio;
        // clang-format off
    } casos[] = {
        {"2", "7", "2003"},  {"31", "4", "2003"}, {"31", "2", "2003"}, {"31", "2", "2004"},
        {"1", "1", "1980"},  {"31", "12", "2040"}, {"29", "2", "2000"}, {"30", "2", "2001"},
        {"31", "11", "1999"}, {"31", "6", "2020"}, {"31", "1", "2040"},
    };
    // clang-format on
    for (const auto& c : casos) {
        EntradasCalculo e = Ejemplo();
        e.FE1 = c.dia;
        e.FE2 = c.mes;
        e.FE3 = c.anio;
        const auto r = ValidaDatos(e, QLocale::c());
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r)) << c.dia << "/" << c.mes;
        const DatosCalculo& d = std::get<DatosCalculo>(r);
        const double tecleado = FechaMJD(std::stod(c.anio), std::stod(c.mes), std::stod(c.dia), 0);
        EXPECT_EQ(FechaMJD(d.Anio, d.Mes, d.Dia, 0), tecleado) << c.dia << "/" << c.mes;
    }
}

// A date that rounding carries out of 1980-2040 is refused with the message
// of the first date box, in the order of the checks, whose rounding borrowed
// from the month or year before; the boxes after it are not looked at.
TEST(ValidaDatos, FechaRedondeadaFueraDeLosAnios) {
    const struct {
        const char *dia, *mes, *anio;
        ControlEntrada control;
        // clang-format off
    } casos[] = {
        {"0.4", "1", "1980", C::FE1},    // 31 December 1979
        {"0.5", "1", "1980", C::FE1},    // a half to the even day: 0
        {"1", "0.4", "1980", C::FE2},    // December 1979
        {"1.2", "0.4", "1980", C::FE2},  // the day's rounding moved nothing
        {"0.4", "0.4", "1980.3", C::FE1},
    };
    // clang-format on
    for (const auto& c : casos) {
        EntradasCalculo e = Ejemplo();
        e.FE1 = c.dia;
        e.FE2 = c.mes;
        e.FE3 = c.anio;
        e.L3 = "99";  // a later box at fault is not reported first
        const auto r = ValidaDatos(e, QLocale::c());
        ASSERT_TRUE(std::holds_alternative<FalloValidacion>(r)) << c.dia << "/" << c.mes;
        EXPECT_EQ(std::get<FalloValidacion>(r).control, c.control) << c.dia << "/" << c.mes;
        EXPECT_EQ(std::get<FalloValidacion>(r).mensaje, MensajeValidacion(c.control));
    }
}

TEST(ValidaDatos, LocaleConComaDecimal) {
    for (const char* nombre : {"es_CL", "de_DE"}) {
        const QLocale coma{QString::fromUtf8(nombre)};
        EntradasCalculo e = Ejemplo();
        // Passes the check as 30.5, enters as 30: the prefix reading stops at the comma.
        e.L4 = "30,5";
        auto r = ValidaDatos(e, coma);
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r)) << nombre;
        EXPECT_EQ(std::get<DatosCalculo>(r).Latitud, -(33 + 30 / 60.0)) << nombre;
        // Typed with a point, it enters as 30.5.
        e.L4 = "30.5";
        r = ValidaDatos(e, coma);
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r)) << nombre;
        EXPECT_EQ(std::get<DatosCalculo>(r).Latitud, -(33 + 30.5 / 60.0)) << nombre;
        // "59,99999" passes; "60,0" does not.
        e.L4 = "60,0";
        r = ValidaDatos(e, coma);
        ASSERT_TRUE(std::holds_alternative<FalloValidacion>(r)) << nombre;
        EXPECT_EQ(std::get<FalloValidacion>(r).control, C::L4);
        // A zone with a decimal comma.
        e = Ejemplo();
        e.Z = "5,5";
        r = ValidaDatos(e, coma);
        ASSERT_TRUE(std::holds_alternative<DatosCalculo>(r)) << nombre;
        EXPECT_EQ(std::get<DatosCalculo>(r).Zona, -5.5);
    }
}

TEST(ValidaDatos, SeparadorDeMilesNoColaUnDiaFueraDeRango) {
    // "1,000" reads as 1000 in English: the day box refuses it.
    EntradasCalculo e = Ejemplo();
    e.FE1 = "1,000";
    const auto r = ValidaDatos(e, QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(std::holds_alternative<FalloValidacion>(r));
    EXPECT_EQ(std::get<FalloValidacion>(r).control, C::FE1);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Angles, fractions, modified Julian dates and sidereal time. Expected
// values were worked out by hand from the calendar and sidereal-time
// formulas in double precision (sidereal times rounded to six decimals).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <type_traits>

#include "astro/tiempo.h"

using namespace Vespalba::ModuloVespalba;

namespace {

struct CasoMJD {
    const char* que;
    double anio, mes, dia, hora;
    double mjd;
};

void PrintTo(const CasoMJD& c, std::ostream* os) { *os << c.que; }

class FechaMJDTest : public ::testing::TestWithParam<CasoMJD> {};

TEST_P(FechaMJDTest, DaLaFechaJulianaModificada) {
    const CasoMJD& c = GetParam();
    EXPECT_EQ(FechaMJD(c.anio, c.mes, c.dia, c.hora), c.mjd) << "FechaMJD: " << c.que;
}

const CasoMJD casosMJD[] = {
    {"J2000 day", 2000, 1, 1, 0, 51544},
    {"MJD origin", 1858, 11, 17, 0, 0},
    {"16 June 2003", 2003, 6, 16, 0, 52806},
    {"16 June 2003 at noon", 2003, 6, 16, 12, 52806.5},
    {"first day accepted", 1980, 1, 1, 0, 44239},
    {"last day accepted", 2040, 12, 31, 0, 66519},
    {"leap day 2000", 2000, 2, 29, 0, 51603},
    {"after leap day 2000", 2000, 3, 1, 0, 51604},
    {"1900 has no 29 Feb", 1900, 2, 28, 0, 15078},
    {"1 March 1900", 1900, 3, 1, 0, 15079},
    {"last Julian day", 1582, 10, 4, 0, -100841},
    {"first Gregorian day", 1582, 10, 15, 0, -100840},
    {"skipped 5 Oct 1582 takes Gregorian branch", 1582, 10, 5, 0, -100850},
    {"skipped 14 Oct 1582 equals 4 Oct", 1582, 10, 14, 0, -100841},
    {"Julian day zero", -4713, 1, 1, 12, -2400000.5},
    {"year -1 moves to 0", -1, 1, 1, 0, -678943},
    {"year 0 left alone", 0, 1, 1, 0, -678943},
    {"31 April is 1 May", 2003, 4, 31, 0, 52760},
    {"1 May 2003", 2003, 5, 1, 0, 52760},
    {"day 32 of January", 2003, 1, 32, 0, 52671},
    {"1 February 2003", 2003, 2, 1, 0, 52671},
    {"day 0 is the last of the month before", 2003, 3, 0, 0, 52698},
    {"fraction of a day adds", 2003, 6, 16.5, 0, 52806.5},
};

INSTANTIATE_TEST_SUITE_P(Calendario, FechaMJDTest, ::testing::ValuesIn(casosMJD),
                         [](const auto& info) { return "caso" + std::to_string(info.index); });

// FechaMJD counts January and February as months 13 and 14 of the year
// before, and year -1 as year 0, on its own copies: it takes its arguments
// by value, so a caller's variables cannot change. A reference parameter
// would let the adjustment reach them (and a second call with the same
// variables give another day); this fails to compile then.
static_assert(std::is_same_v<decltype(&FechaMJD), double (*)(double, double, double, double)>,
              "FechaMJD takes year, month, day and hour by value");

TEST(FechaMJD, LasMismasVariablesDanElMismoDiaOtraVez) {
    double anio = 2003, mes = 1, dia = 15;
    // 17 days before 1 February 2003 (MJD 52671).
    EXPECT_EQ(FechaMJD(anio, mes, dia, 0), 52654);
    EXPECT_EQ(FechaMJD(anio, mes, dia, 0), 52654);
    anio = -1;
    mes = 2;
    dia = 1;
    // 31 days after 1 January of year 0 (MJD -678943), the year -1 moving to 0.
    EXPECT_EQ(FechaMJD(anio, mes, dia, 0), -678912);
    EXPECT_EQ(FechaMJD(anio, mes, dia, 0), -678912);
}

struct CasoSidereo {
    double mjd, longitud, horas;
};

TEST(TiempoSidereo, ValoresCalculados) {
    const CasoSidereo casos[] = {
        {51544, 0, 6.664520},
        {51544.5, 0, 18.697375},
        {51544, 70.65, 1.954520},    // west: one hour less per 15 degrees
        {51544, -70.65, 11.374520},  // east
    };
    for (const auto& c : casos) {
        EXPECT_NEAR(TiempoSidereo(c.mjd, c.longitud), c.horas, 5e-7)
            << "TiempoSidereo(" << c.mjd << ", " << c.longitud << ")";
    }
}

TEST(TiempoSidereo, SiempreEnElDia) {
    for (double mjd = -700000; mjd < 80000; mjd += 1234.567) {
        for (double lon : {-179.99, -90.0, 0.0, 45.5, 179.99}) {
            const double t = TiempoSidereo(mjd, lon);
            EXPECT_GE(t, 0.0) << mjd << " " << lon;
            EXPECT_LT(t, 24.0) << mjd << " " << lon;
        }
    }
}

TEST(Frac, SeMideDesdeElPiso) {
    EXPECT_EQ(Frac(2.75), 0.75);
    EXPECT_EQ(Frac(-0.25), 0.75);
    EXPECT_EQ(Frac(-3), 0.0);
    EXPECT_EQ(Frac(0), 0.0);
    EXPECT_EQ(Frac(-1e-20), 1.0);  // x + 1 rounds to 1
}

TEST(Trunca, CortaHaciaCero) {
    EXPECT_EQ(Trunca(7.999), 7.0);
    EXPECT_EQ(Trunca(-2.5), -2.0);
    EXPECT_EQ(Trunca(2.5), 2.0);
    EXPECT_EQ(Trunca(0), 0.0);
}

TEST(SenGradCosGrad, UsanLaConstanteTalCual) {
    EXPECT_NEAR(SenGrad(30), 0.5, 1e-15);
    EXPECT_EQ(SenGrad(30), std::sin(30 * 0.0174532925199433));
    // The constant is not pi/180 rounded: cos(90) is not 0.
    EXPECT_NEAR(CosGrad(90), -3.8e-16, 0.1e-16);
    EXPECT_NE(CosGrad(90), 0.0);
    EXPECT_EQ(CosGrad(0), 1.0);
}

}  // namespace

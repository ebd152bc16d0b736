// SPDX-License-Identifier: GPL-3.0-or-later
// Sun and Moon positions. Expected values were worked out with the series
// in double precision and are rounded to six decimals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/solluna.h"
#include "astro/tiempo.h"

using namespace Vespalba::ModuloVespalba;

namespace {

struct CasoPosicion {
    const char* que;
    double t;
    double raSol, decSol, raLuna, decLuna;
};

const CasoPosicion casos[] = {
    {"J2000.0", 0.0, 18.752987, -23.033250, 14.829961, -10.903633},
    {"16 June 2003, 0 h", (52806 - 51544.5) / 36525, 5.598961, 23.324225, 19.145725, -26.304050},
    {"negative T", -0.2, 18.742336, -23.044659, 5.980331, 18.983388},
};

void PrintTo(const CasoPosicion& c, std::ostream* os) { *os << c.que; }

class PosicionTest : public ::testing::TestWithParam<CasoPosicion> {};

TEST_P(PosicionTest, Sol) {
    const auto& c = GetParam();
    const PosicionEcuatorial p = PosSol(c.t);
    EXPECT_NEAR(p.ra, c.raSol, 5e-7) << "PosSol ra, " << c.que;
    EXPECT_NEAR(p.dec, c.decSol, 5e-7) << "PosSol dec, " << c.que;
}

TEST_P(PosicionTest, Luna) {
    const auto& c = GetParam();
    const PosicionEcuatorial p = PosLuna(c.t);
    EXPECT_NEAR(p.ra, c.raLuna, 5e-7) << "PosLuna ra, " << c.que;
    EXPECT_NEAR(p.dec, c.decLuna, 5e-7) << "PosLuna dec, " << c.que;
}

INSTANTIATE_TEST_SUITE_P(Valores, PosicionTest, ::testing::ValuesIn(casos),
                         [](const auto& info) { return "caso" + std::to_string(info.index); });

TEST(ConversionEcuatorial, AscensionRectaEnElDia) {
    // Negative from the arc tangent comes back plus 24; 0 stays 0.
    EXPECT_NEAR(ConversionEcuatorial(0.0, -1.0, 0.0).ra, 18.0, 1e-9);
    EXPECT_EQ(ConversionEcuatorial(1.0, 0.0, 0.0).ra, 0.0);
    EXPECT_NEAR(ConversionEcuatorial(0.0, 1.0, 0.0).ra, 6.0, 1e-9);
    // Right ascension 12 h on the equator: x + rho is 0, the limit is 12 h.
    const PosicionEcuatorial p = ConversionEcuatorial(-1.0, 0.0, 0.0);
    EXPECT_EQ(p.ra, 12.0);
    EXPECT_EQ(p.dec, 0.0);
    // Just either side of it the result tends to 12 h.
    EXPECT_NEAR(ConversionEcuatorial(-1.0, 1e-9, 0.0).ra, 12.0, 1e-6);
    EXPECT_NEAR(ConversionEcuatorial(-1.0, -1e-9, 0.0).ra, 12.0, 1e-6);
}

TEST(ConversionEcuatorial, DeclinacionPorArcoTangente) {
    EXPECT_NEAR(ConversionEcuatorial(0.8, 0.0, 0.6).dec, 36.869897645844, 1e-7);
    EXPECT_NEAR(ConversionEcuatorial(0.8, 0.0, -0.6).dec, -36.869897645844, 1e-7);
}

// PosSol and PosLuna convert the ecliptic directions that EclipticaSol and
// EclipticaLuna give, to the last bit: the phases, which use the ecliptic
// longitudes, and the rise and set times see one and the same Sun and Moon.
TEST(Ecliptica, EsLaDireccionQueConviertenPosSolYPosLuna) {
    for (double t = -0.21; t <= 0.41; t += 0.000917) {
        const PosicionEcliptica s = EclipticaSol(t);
        EXPECT_EQ(s.lat, 0.0);
        const PosicionEcuatorial ps = ConversionEcuatorial(
            std::cos(s.lon), COSEPS * std::sin(s.lon), SINEPS * std::sin(s.lon));
        ASSERT_EQ(PosSol(t).ra, ps.ra) << t;
        ASSERT_EQ(PosSol(t).dec, ps.dec) << t;

        const PosicionEcliptica l = EclipticaLuna(t);
        const double x = std::cos(l.lat) * std::cos(l.lon);
        const double v = std::cos(l.lat) * std::sin(l.lon);
        const double w = std::sin(l.lat);
        const PosicionEcuatorial pl =
            ConversionEcuatorial(x, COSEPS * v - SINEPS * w, SINEPS * v + COSEPS * w);
        ASSERT_EQ(PosLuna(t).ra, pl.ra) << t;
        ASSERT_EQ(PosLuna(t).dec, pl.dec) << t;
        ASSERT_GE(s.lon, 0.0);
        ASSERT_LT(s.lon, P2);
        ASSERT_GE(l.lon, 0.0);
        ASSERT_LT(l.lon, P2);
        ASSERT_LT(std::fabs(l.lat), 5.4 * GradoEnRadianes)
            << "the Moon's orbit is inclined 5.1 degrees";
    }
}

// The Sun's longitude at the equinox and solstices of 2000 (instants from
// the published almanac, universal time): 0, 90, 180 and 270 degrees, to
// the series' minute of arc.
TEST(Ecliptica, SolEnLosEquinocciosYSolsticios) {
    const struct {
        double mjd, grados;
    } casos[] = {
        {51623.0 + (7 + 35 / 60.0) / 24, 0.0},     // 20 March 2000, 07:35
        {51716.0 + (1 + 48 / 60.0) / 24, 90.0},    // 21 June 2000, 01:48
        {51809.0 + (17 + 28 / 60.0) / 24, 180.0},  // 22 September 2000, 17:28
        {51899.0 + (13 + 37 / 60.0) / 24, 270.0},  // 21 December 2000, 13:37
    };
    for (const auto& c : casos) {
        const double lon = EclipticaSol((c.mjd - 51544.5) / 36525).lon * 360.0 / P2;
        double d = std::fmod(lon - c.grados + 540.0, 360.0) - 180.0;
        EXPECT_LT(std::fabs(d), 1.5 / 60) << c.grados;
    }
}

TEST(PosSolPosLuna, RangosEnCualquierInstante) {
    for (double t = -1.0; t <= 1.0; t += 0.000713) {
        for (const PosicionEcuatorial p : {PosSol(t), PosLuna(t)}) {
            ASSERT_GE(p.ra, 0.0) << t;
            ASSERT_LT(p.ra, 24.0) << t;
            ASSERT_GT(p.dec, -30.0) << t;
            ASSERT_LT(p.dec, 30.0) << t;
        }
    }
}

}  // namespace

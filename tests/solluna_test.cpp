// SPDX-License-Identifier: GPL-3.0-or-later
// Sun and Moon positions. Expected values were worked out with the series
// in double precision and are rounded to six decimals.
#include <gtest/gtest.h>

#include <string>

#include "astro/solluna.h"

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

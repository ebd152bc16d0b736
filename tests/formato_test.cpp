// The hours-and-minutes text shown for every time and duration.
#include <gtest/gtest.h>

#include <limits>

#include "astro/formato.h"

using ModuloVespalba::HoraMinuto;

namespace {

TEST(HoraMinuto, TextosDeReferencia) {
    const struct {
        double horas;
        const char* texto;
    } casos[] = {
        {6.125, " 6: 7"},     // 7.5 minutes truncated
        {24.0, " 24: 0"},
        {0.0, " 0: 0"},
        {-5.5, "-6: 30"},     // hours by floor, minutes from it
        {6.999, " 6: 59"},    // never rounded up to 7:00
        {7.8481, " 7: 50"},
        {17.84, " 17: 50"},
        {-0.25, "-1: 45"},
        {23.999999, " 23: 59"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(HoraMinuto(c.horas), c.texto) << "HoraMinuto(" << c.horas << ")";
    }
}

TEST(HoraMinuto, SinValorNoHayTexto) {
    EXPECT_EQ(HoraMinuto(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(HoraMinuto(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(HoraMinuto(-std::numeric_limits<double>::infinity()), "");
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The hours-and-minutes text shown for every time and duration.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "astro/formato.h"

using Vespalba::ModuloVespalba::HoraMinuto;

namespace {

TEST(HoraMinuto, TextosDeReferencia) {
    const struct {
        double horas;
        const char* texto;
        // clang-format off
    } casos[] = {
        {6.125, " 6: 7"},      // 7.5 minutes truncated
        {24.0, " 24: 0"},
        {0.0, " 0: 0"},
        {-5.5, "-6: 30"},      // hours by floor, minutes from there
        {6.999, " 6: 59"},     // never rounded up to 7:00
        {7.8481, " 7: 50"},
        {17.84, " 17: 50"},
        {-0.25, "-1: 45"},
        {23.999999, " 23: 59"},
    };
    // clang-format on
    for (const auto& c : casos) {
        EXPECT_EQ(HoraMinuto(c.horas), c.texto) << "HoraMinuto(" << c.horas << ")";
    }
}

// Over a dense spread of times and durations, positive and negative: the
// hours are floor(x) with their sign, the minutes the truncated remainder,
// each with its blank or "-" and no zero filling. Read back, the minutes
// are 0 to 59, and as a count of minutes (hours * 60 + minutes) the texts of
// increasing times never go back and never skip a minute: the steps,
// 0.04386 minutes, are far below one.
TEST(HoraMinuto, HorasPorDefectoYMinutosTruncadosEnTodoElRango) {
    auto conSigno = [](double n) {
        return std::string(n < 0 ? "-" : " ") +
               std::to_string(static_cast<long long>(std::fabs(n)));
    };
    std::optional<long> anterior;
    for (long i = -200000; i <= 200000; ++i) {
        const double x = i * 0.000731 + 1e-9 * static_cast<double>(i % 7);  // about -146 h to 146 h
        const double h = std::floor(x);
        const double m = std::floor((x - h) * 60.0);
        const std::string texto = HoraMinuto(x);
        ASSERT_EQ(texto, conSigno(h) + ":" + conSigno(m)) << "x = " << x;
        // " H: M" or "-H: M".
        const std::size_t dosPuntos = texto.find(':');
        const long horas = std::stol(texto.substr(1, dosPuntos - 1));
        const long minuto = std::stol(texto.substr(dosPuntos + 1));
        ASSERT_LT(minuto, 60) << "x = " << x;
        const long leido = (texto[0] == '-' ? -horas : horas) * 60 + minuto;
        if (anterior) {
            ASSERT_GE(leido, *anterior) << "x = " << x;
            ASSERT_LE(leido, *anterior + 1) << "x = " << x;
        }
        anterior = leido;
    }
    // Large whole numbers keep every digit.
    EXPECT_EQ(HoraMinuto(1e17), " 100000000000000000: 0");
    EXPECT_EQ(HoraMinuto(-1e17), "-100000000000000000: 0");
    EXPECT_EQ(HoraMinuto(-0.0), " 0: 0");
}

TEST(HoraMinuto, SinValorNoHayTexto) {
    EXPECT_EQ(HoraMinuto(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(HoraMinuto(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(HoraMinuto(-std::numeric_limits<double>::infinity()), "");
}

}  // namespace

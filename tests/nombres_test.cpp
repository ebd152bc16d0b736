// SPDX-License-Identifier: GPL-3.0-or-later
// Names of places as people type them: the forty places found without
// accents, case or extra blanks; close names for the unknown ones; the
// reduction of names and its byte-wise form for ASCII text.
#include <gtest/gtest.h>

#include <QString>

#include "lugares/lugares.h"
#include "lugares/nombres.h"

using namespace Vespalba;

namespace {

struct CasoLugar {
    const char* escrito;
    int indice;  // 0: no place
};

void PrintTo(const CasoLugar& c, std::ostream* os) { *os << '"' << c.escrito << '"'; }

class BuscaLugarCaso : public testing::TestWithParam<CasoLugar> {};

TEST_P(BuscaLugarCaso, SinMayusculasAcentosNiBlancos) {
    const CasoLugar& c = GetParam();
    const std::optional<int> i = BuscaLugar(QString::fromUtf8(c.escrito));
    EXPECT_EQ(i.value_or(0), c.indice) << c.escrito;
}

const CasoLugar casosLugar[] = {
    {"valparaiso", 21},
    {"Valparaíso        ", 21},
    {"  VALPARAÍSO", 21},
    {"Punta Arenas", 29},
    {"punta   arenas", 29},
    {"chanaral", 14},
    {"CHAÑARAL", 14},
    {"Arica", 1},
    {"arica   ", 1},
    {"san francisco", 40},
    {"salas y gomez", 11},
    {"Puerto Soberania", 31},
    {"b. inglesa", 16},
    {"valparais", 0},
    {"san", 0},
    {"", 0},
    {"Punta Arenas Chile", 0},
};
INSTANTIATE_TEST_SUITE_P(Nombres, BuscaLugarCaso, testing::ValuesIn(casosLugar));

TEST(LugaresParecidos, ListaLosCercanosEnOrdenDeTabla) {
    const struct {
        const char* escrito;
        std::vector<int> parecidos;
    } casos[] = {
        {"valpo", {21}},            // same beginning
        {"san", {10, 12, 22, 40}},  // contained in the name
        {"tokyo", {34}},            // one letter away
        {"honolulu", {32}},
        {"cape town", {39}},
        {"Punta Arenas Chile", {29}},  // contains the name
        {"xyz", {}},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(LugaresParecidos(QString::fromUtf8(c.escrito)), c.parecidos) << c.escrito;
    }
}

TEST(NombreComparable, SinAcentosMayusculasGuionesNiBlancosDeMas) {
    const struct {
        const char* escrito;
        const char* reducido;
    } casos[] = {
        {"Valparaíso        ", "valparaiso"},
        {"  VALPARAÍSO", "valparaiso"},
        {"punta \t  arenas", "punta arenas"},
        {"Chañaral", "chanaral"},
        {"CONCEPCIÓN", "concepcion"},
        {"Łódź", "lodz"},
        {"Tromsø", "tromso"},
        {"Ærøskøbing", "aeroskobing"},
        {"Straße", "strasse"},
        {"Port-au-Prince", "port au prince"},
        {"Saint - Denis", "saint denis"},
        {"São Paulo", "sao paulo"},
        {"Ciudad de México", "ciudad de mexico"},
        {"Reykjavík", "reykjavik"},
        {"東京", "東京"},  // no marks, no case: unchanged
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(NombreComparable(QString::fromUtf8(c.escrito)), QString::fromUtf8(c.reducido))
            << c.escrito;
        // The UTF-8 form gives the same bytes, by the ASCII path or not.
        EXPECT_EQ(NombreComparable(std::string_view(c.escrito)), c.reducido) << c.escrito;
    }
    // Every byte of ASCII, alone and between letters: the byte-wise path
    // agrees with Qt's folding and simplification.
    for (int b = 0; b < 0x80; ++b) {
        for (const std::string& s : {std::string(1, char(b)), "A" + std::string(1, char(b)) + "b",
                                     std::string(1, char(b)) + " Z-" + std::string(1, char(b))}) {
            EXPECT_EQ(
                NombreComparable(std::string_view(s)),
                NombreComparable(QString::fromLatin1(s.data(), qsizetype(s.size()))).toStdString())
                << "byte " << b;
        }
    }
}

TEST(ContieneDesdePalabra, SoloAlComienzoDeUnaPalabra) {
    EXPECT_TRUE(ContieneDesdePalabra("puerto montt", "montt"));
    EXPECT_TRUE(ContieneDesdePalabra("puerto montt", "puerto m"));
    EXPECT_TRUE(ContieneDesdePalabra("puerto montt", "puerto montt"));
    EXPECT_TRUE(ContieneDesdePalabra("montana montt", "mont"));
    EXPECT_FALSE(ContieneDesdePalabra("puerto montt", "ontt"));
    EXPECT_FALSE(ContieneDesdePalabra("puerto montt", "o m"));
    EXPECT_FALSE(ContieneDesdePalabra("puerto montt", ""));
    EXPECT_FALSE(ContieneDesdePalabra("", "a"));
    // A later occurrence at a word's start counts.
    EXPECT_TRUE(ContieneDesdePalabra("amon mon", "mon"));
}

TEST(DistanciaEdicion, InsercionesBorradosYCambios) {
    EXPECT_EQ(DistanciaEdicion(QStringLiteral("tokyo"), QStringLiteral("tokio")), 1);
    EXPECT_EQ(DistanciaEdicion(std::string_view("tokyo"), std::string_view("tokio")), 1);
    EXPECT_EQ(DistanciaEdicion(std::string_view("kitten"), std::string_view("sitting")), 3);
    EXPECT_EQ(DistanciaEdicion(std::string_view(""), std::string_view("abc")), 3);
    EXPECT_EQ(DistanciaEdicion(std::string_view("abc"), std::string_view("")), 3);
    EXPECT_EQ(DistanciaEdicion(QStringLiteral("honolulu"), QStringLiteral("honolulo")), 1);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The place table: its size, its names with their blanks, a few rows field
// by field (reference: the table of forty places the window's list shows),
// that every place passes the window's coordinate checks, converts to
// decimal degrees as the window reads it, and has a zone of its country.
#include <gtest/gtest.h>

#include <QFile>
#include <QTimeZone>

#include <bit>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>

#include "calculadora/validacion.h"
#include "lugares/lugares.h"

using namespace Vespalba;

namespace {

// Characters, not bytes, of a UTF-8 text: continuation bytes are not counted.
int Caracteres(std::string_view s) {
    int n = 0;
    for (unsigned char c : s) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

TEST(Lugares, CuarentaEntradasDesdeElIndiceUno) {
    EXPECT_EQ(NumLugares, 40);
    EXPECT_EQ(Lugares.size(), 101u);
    EXPECT_TRUE(Lugares[0].Nombre.empty()) << "index 0 is never used";
    for (int i = 1; i <= NumLugares; ++i) {
        EXPECT_FALSE(Lugares[i].Nombre.empty()) << "entry " << i;
    }
    for (std::size_t i = NumLugares + 1; i < Lugares.size(); ++i) {
        EXPECT_TRUE(Lugares[i].Nombre.empty()) << "entry " << i;
    }
    EXPECT_EQ(Lugares[1].Nombre, "Arica");
    EXPECT_EQ(Lugares[NumLugares].Nombre, "San Francisco     ");
}

TEST(Lugares, NombresDeDieciochoCaracteresYUnicos) {
    std::set<std::string_view> vistos;
    for (int i = 1; i <= NumLugares; ++i) {
        const std::string_view n = Lugares[i].Nombre;
        SCOPED_TRACE("entry " + std::to_string(i) + " \"" + std::string(n) + "\"");
        if (n == "Arica" || n == "Vitor") {
            EXPECT_EQ(Caracteres(n), 5);
        } else {
            EXPECT_EQ(Caracteres(n), 18);
            EXPECT_EQ(n.back(), ' ') << "padded with blanks";
        }
        EXPECT_NE(n.front(), ' ');
        EXPECT_TRUE(vistos.insert(n).second) << "repeated name";
    }
    // Accented names: 18 characters in 19 bytes.
    EXPECT_EQ(Lugares[21].Nombre, "Valparaíso        ");
    EXPECT_EQ(Lugares[21].Nombre.size(), 19u);
    EXPECT_EQ(Lugares[14].Nombre, "Chañaral          ");
}

struct Fila {
    int indice;
    const char* nombre;
    int latGrados, latMinutos;
    const char* latHemisferio;
    int lonGrados, lonMinutos;
    const char* lonHemisferio;
    const char* zona;
};

void PrintTo(const Fila& f, std::ostream* os) { *os << f.indice << " \"" << f.nombre << '"'; }

class FilaLugar : public testing::TestWithParam<Fila> {};

TEST_P(FilaLugar, CampoPorCampo) {
    const Fila& f = GetParam();
    const Lugar& l = Lugares[f.indice];
    EXPECT_EQ(l.Nombre, f.nombre);
    EXPECT_EQ(l.LatGrados, f.latGrados);
    EXPECT_EQ(l.LatMinutos, f.latMinutos);
    EXPECT_EQ(l.LatHemisferio, f.latHemisferio);
    EXPECT_EQ(l.LonGrados, f.lonGrados);
    EXPECT_EQ(l.LonMinutos, f.lonMinutos);
    EXPECT_EQ(l.LonHemisferio, f.lonHemisferio);
    EXPECT_EQ(l.Zona, f.zona);
}

const Fila filas[] = {
    {1, "Arica", 18, 29, "S", 70, 19, "W", "America/Santiago"},
    {2, "Vitor", 18, 45, "S", 70, 21, "W", "America/Santiago"},
    {10, "San Félix         ", 26, 20, "S", 80, 5, "W", "America/Santiago"},
    {11, "Salas y Gómez     ", 26, 30, "S", 105, 0, "W", "Pacific/Easter"},
    {13, "Pascua            ", 27, 10, "S", 109, 26, "W", "Pacific/Easter"},
    {21, "Valparaíso        ", 33, 16, "S", 71, 34, "W", "America/Santiago"},
    {27, "Puerto Chacabuco  ", 45, 28, "S", 72, 50, "W", "America/Coyhaique"},
    {28, "Angostura Inglesa ", 48, 59, "S", 74, 24, "W", "America/Punta_Arenas"},
    {29, "Punta Arenas      ", 53, 10, "S", 70, 54, "W", "America/Punta_Arenas"},
    {31, "Puerto Soberanía  ", 62, 29, "S", 59, 38, "W", "America/Punta_Arenas"},
    {32, "Honolulo          ", 21, 18, "N ", 157, 52, "W", "Pacific/Honolulu"},
    {33, "Auckland          ", 36, 50, "S", 174, 52, "E", "Pacific/Auckland"},
    {35, "Manila            ", 15, 0, "N ", 121, 0, "E", "Asia/Manila"},
    {36, "Rabaul            ", 4, 0, "S", 152, 30, "E", "Pacific/Port_Moresby"},
    {39, "Capetown          ", 33, 56, "S", 18, 29, "E", "Africa/Johannesburg"},
    {40, "San Francisco     ", 37, 48, "N ", 122, 24, "W", "America/Los_Angeles"},
};
INSTANTIATE_TEST_SUITE_P(Tabla, FilaLugar, testing::ValuesIn(filas));

TEST(Lugares, TodosPasanLasComprobacionesDeLaVentana) {
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& l = Lugares[i];
        SCOPED_TRACE(std::string(l.Nombre));
        EXPECT_GE(l.LatGrados, 0);
        EXPECT_LT(l.LatGrados, 75);
        EXPECT_GE(l.LatMinutos, 0);
        EXPECT_LT(l.LatMinutos, 60);
        EXPECT_GE(l.LonGrados, 0);
        EXPECT_LT(l.LonGrados, 180);
        EXPECT_GE(l.LonMinutos, 0);
        EXPECT_LT(l.LonMinutos, 60);
        EXPECT_TRUE(l.LatHemisferio == "S" || l.LatHemisferio == "N ") << l.LatHemisferio;
        EXPECT_TRUE(l.LonHemisferio == "W" || l.LonHemisferio == "E") << l.LonHemisferio;
    }
}

// Each place's zone is a zone of the system's tzdata that zone1970.tab lists
// for the place's country (a zone of another country, a link or a
// misspelling fails), and Qt knows it.
TEST(Lugares, ZonaDeZone1970DelPaisDelLugar) {
    QFile tabla(QStringLiteral("/usr/share/zoneinfo/zone1970.tab"));
    ASSERT_TRUE(tabla.open(QIODevice::ReadOnly)) << "tzdata is not installed";
    std::map<std::string, std::set<std::string>> paisesDeZona;  // zone -> country codes
    for (const QByteArray& linea : tabla.readAll().split('\n')) {
        if (linea.startsWith('#') || linea.trimmed().isEmpty()) {
            continue;
        }
        const QList<QByteArray> campos = linea.split('\t');
        ASSERT_GE(campos.size(), 3) << linea.toStdString();
        for (const QByteArray& pais : campos[0].split(',')) {
            paisesDeZona[campos[2].toStdString()].insert(pais.toStdString());
        }
    }
    ASSERT_GT(paisesDeZona.size(), 300u);
    std::set<std::string_view> usadas;
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& l = Lugares[i];
        SCOPED_TRACE(std::string(l.Nombre));
        const std::string zona(l.Zona);
        ASSERT_TRUE(paisesDeZona.count(zona)) << zona;
        EXPECT_TRUE(paisesDeZona[zona].count(std::string(l.Pais))) << zona << " " << l.Pais;
        const QTimeZone tz(QByteArray::fromStdString(zona));
        EXPECT_TRUE(tz.isValid()) << zona;
        EXPECT_TRUE(QTimeZone::isTimeZoneIdAvailable(tz.id())) << zona;
        EXPECT_FALSE(NombrePais(l.Pais).empty()) << l.Pais;
        usadas.insert(l.Zona);
    }
    // Chile's four zones are all in use.
    for (const char* z :
         {"America/Santiago", "America/Coyhaique", "America/Punta_Arenas", "Pacific/Easter"}) {
        EXPECT_TRUE(usadas.count(z)) << z;
    }
    EXPECT_TRUE(NombrePais("XX").empty());
}

// The one conversion to decimal degrees gives, bit for bit, what the window
// computes from the place's boxes when the place is picked, and what the
// formulas it replaces gave (degrees + minutes / 60, then the sign; west
// positive by negation or by a product with -1).
TEST(Lugares, CoordenadasComoLasLeeLaVentanaAlBit) {
    auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& l = Lugares[i];
        SCOPED_TRACE(std::string(l.Nombre));
        const Coordenadas c = CoordenadasDe(l);

        EntradasCalculo e;
        e.FE1 = "2";
        e.FE2 = "7";
        e.FE3 = "2003";
        e.L3 = QString::number(l.LatGrados);
        e.L4 = QString::number(l.LatMinutos);
        e.G3 = QString::number(l.LonGrados);
        e.G4 = QString::number(l.LonMinutos);
        e.Z = "0";
        e.Lnn = l.LatHemisferio != "S";
        e.Gee = l.LonHemisferio != "W";
        const auto r = ValidaDatos(e, QLocale::c());
        ASSERT_TRUE(std::holds_alternative<ModuloVespalba::DatosCalculo>(r));
        const auto& d = std::get<ModuloVespalba::DatosCalculo>(r);
        EXPECT_EQ(bits(c.latitud), bits(d.Latitud));
        EXPECT_EQ(bits(-c.longitud), bits(d.Longitud));  // the window's is west positive

        const double lat = l.LatGrados + l.LatMinutos / 60.0;
        const double lon = l.LonGrados + l.LonMinutos / 60.0;
        EXPECT_EQ(bits(c.latitud), bits(l.LatHemisferio == "S" ? -lat : lat));
        EXPECT_EQ(bits(c.longitud), bits(l.LonHemisferio == "W" ? -lon : lon));
        EXPECT_EQ(bits(-c.longitud), bits(lon * (l.LonHemisferio == "W" ? 1 : -1)));
        EXPECT_EQ(bits(c.latitud), bits(lat * (l.LatHemisferio == "S" ? -1 : 1)));
    }
    // Valparaíso, printed in full: 33 16' S, 71 34' W.
    EXPECT_EQ(CoordenadasDe(Lugares[21]).latitud, -33.266666666666666);
    EXPECT_EQ(CoordenadasDe(Lugares[21]).longitud, -71.566666666666663);
}

}  // namespace

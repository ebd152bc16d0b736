// SPDX-License-Identifier: GPL-3.0-or-later
// The day's event search. The four worked days were computed with the
// calendar, sidereal-time and Sun and Moon routines as written, in double
// precision; hours are rounded to four decimals.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "astro/eventos.h"
#include "astro/tiempo.h"

using namespace Vespalba::ModuloVespalba;

namespace {

// ---------------------------------------------------------------- Cuadratica

TEST(Cuadratica, CurvaQueSoloTocaCero) {
    const auto r = Cuadratica(1, 0, 1);
    EXPECT_EQ(r.nRaices, 0);
    EXPECT_EQ(r.xe, 0.0);
    EXPECT_EQ(r.ye, 0.0);
}

TEST(Cuadratica, DosRaicesConMaximo) {
    const auto r = Cuadratica(-1, 1, -1);
    EXPECT_EQ(r.ye, 1.0);
    EXPECT_EQ(r.nRaices, 2);
    EXPECT_NEAR(r.raiz1, -std::sqrt(2.0) / 2, 1e-15);
    EXPECT_NEAR(r.raiz2, std::sqrt(2.0) / 2, 1e-15);
}

TEST(Cuadratica, DosRaicesConMinimo) {
    const auto r = Cuadratica(0.5, -0.5, 0.5);
    EXPECT_EQ(r.ye, -0.5);
    EXPECT_EQ(r.nRaices, 2);
    EXPECT_NEAR(r.raiz1, -std::sqrt(2.0) / 2, 1e-15);
    EXPECT_NEAR(r.raiz2, std::sqrt(2.0) / 2, 1e-15);
}

TEST(Cuadratica, UnaRaizQuedaEnRaiz1) {
    const auto r = Cuadratica(-1, -0.5, 0.5);
    EXPECT_EQ(r.nRaices, 1);
    EXPECT_NEAR(r.raiz1, (-3 + std::sqrt(17.0)) / 2, 1e-15);
    EXPECT_NEAR(r.raiz1, 0.5616, 1e-4);
    EXPECT_NEAR(r.raiz2, (-3 + std::sqrt(17.0)) / 2, 1e-15);
}

TEST(Cuadratica, RaicesEnLosBordesCuentan) {
    // y = x^2 - 1: roots exactly at -1 and +1, both inclusive.
    const auto r = Cuadratica(0, -1, 0);
    EXPECT_EQ(r.nRaices, 2);
    EXPECT_EQ(r.raiz1, -1.0);
    EXPECT_EQ(r.raiz2, 1.0);
}

TEST(Cuadratica, TresMuestrasEnLineaRecta) {
    // a = 0: the line's root, no division by zero.
    auto r = Cuadratica(-1, 0, 1);
    EXPECT_EQ(r.nRaices, 1);
    EXPECT_EQ(r.raiz1, 0.0);
    EXPECT_TRUE(std::isfinite(r.xe));
    EXPECT_TRUE(std::isfinite(r.ye));

    r = Cuadratica(-0.5, -0.25, 0.0);  // root at the right end
    EXPECT_EQ(r.nRaices, 1);
    EXPECT_EQ(r.raiz1, 1.0);

    r = Cuadratica(1, 2, 3);  // root at -2, outside
    EXPECT_EQ(r.nRaices, 0);

    r = Cuadratica(0.3, 0.3, 0.3);  // flat: no root at all
    EXPECT_EQ(r.nRaices, 0);
    EXPECT_EQ(r.ye, 0.3);
    r = Cuadratica(0, 0, 0);
    EXPECT_EQ(r.nRaices, 0);
}

// ----------------------------------------------------------- worked days

DatosCalculo Datos(double dia, double mes, double anio, double lat, double lon, double zona) {
    DatosCalculo d;
    d.Dia = dia;
    d.Mes = mes;
    d.Anio = anio;
    d.Latitud = lat;
    d.Longitud = lon;
    d.Zona = zona;
    return d;
}

struct Esperado {
    EstadoClase estado;
    std::optional<double> orto, ocaso;
};

constexpr auto Con = EstadoClase::ConEventos;
constexpr auto Sobre = EstadoClase::SiempreSobre;
constexpr auto Bajo = EstadoClase::SiempreBajo;

struct DiaTrabajado {
    const char* que;
    DatosCalculo datos;
    Esperado clases[NumClases];  // Luna, Sol, Civil, Nautico, Astronomico
};

void Comprueba(const DiaTrabajado& dia) {
    const EventosDia ev = BuscaEventos(dia.datos);
    for (int c = 0; c < NumClases; ++c) {
        const EventoClase& e = ev.clases[c];
        const Esperado& x = dia.clases[c];
        SCOPED_TRACE(std::string(dia.que) + ", class " + std::string(NombreClase(Clases[c])));
        EXPECT_EQ(static_cast<int>(e.estado), static_cast<int>(x.estado));
        ASSERT_EQ(e.hayOrto, x.orto.has_value());
        ASSERT_EQ(e.hayOcaso, x.ocaso.has_value());
        if (x.orto) {
            EXPECT_NEAR(e.horaOrto, *x.orto, 5e-5) << "horaOrto";
        }
        if (x.ocaso) {
            EXPECT_NEAR(e.horaOcaso, *x.ocaso, 5e-5) << "horaOcaso";
        }
    }
}

const double latValparaiso = -(33 + 16 / 60.0);
const double lonValparaiso = 71 + 36 / 60.0;

TEST(BuscaEventos, EjemploValparaiso) {
    const DatosCalculo d = Datos(2, 7, 2003, latValparaiso, lonValparaiso, -4);
    EXPECT_NEAR(FechaMJD(d.Anio, d.Mes, d.Dia, 0) - d.Zona / 24, 52822.1667, 5e-5);
    Comprueba({"2 July 2003, Valparaiso",
               d,
               {{Con, 10.2667, 20.6866},
                {Con, 7.8481, 17.8400},
                {Con, 7.3928, 18.2897},
                {Con, 6.8724, 18.8068},
                {Con, 6.3663, 19.3153}}});
}

TEST(BuscaEventos, SoloOcasoDeLunaNoAfectaAlSol) {
    Comprueba({"21 June 2003, 53 10 S 70 55 W",
               Datos(21, 6, 2003, -(53 + 10 / 60.0), 70 + 55 / 60.0, -4),
               {{Con, std::nullopt, 13.2582},
                {Con, 8.9918, 16.5177},
                {Con, 8.2780, 17.2349},
                {Con, 7.5330, 17.9857},
                {Con, 6.8191, 18.6897}}});
}

TEST(BuscaEventos, DiaPolar) {
    Comprueba({"21 June 2003, 70 N 0",
               Datos(21, 6, 2003, 70, 0, 0),
               {{Con, 1.1582, 11.0874},
                {Sobre, std::nullopt, std::nullopt},
                {Sobre, std::nullopt, std::nullopt},
                {Sobre, std::nullopt, std::nullopt},
                {Sobre, std::nullopt, std::nullopt}}});
}

TEST(BuscaEventos, NochePolarConCrepusculos) {
    Comprueba({"21 December 2003, 70 N 0",
               Datos(21, 12, 2003, 70, 0, 0),
               {{Bajo, std::nullopt, std::nullopt},
                {Bajo, std::nullopt, std::nullopt},
                {Con, 9.9062, 14.0263},
                {Con, 8.0894, 15.8423},
                {Con, 6.7547, 17.1754}}});
}

// The search shares the Sun's altitude between the four Sun classes. This
// reference runs the scan exactly as described, one class at a time with its
// own altitude evaluations, and must agree to the last bit.
EventoClase ExploraReferencia(ClaseEvento clase, double mjd0, double lon, double cosLat,
                              double senLat) {
    const double s = SenGrad(AlturaUmbral(clase));
    EventoClase e;
    int hora = 1;
    double yMenos = SenAltura(clase, mjd0, hora - 1, lon, cosLat, senLat) - s;
    const bool arriba = yMenos > 0;
    do {
        const double yCero = SenAltura(clase, mjd0, hora, lon, cosLat, senLat) - s;
        const double yMas = SenAltura(clase, mjd0, hora + 1, lon, cosLat, senLat) - s;
        const auto q = Cuadratica(yMenos, yCero, yMas);
        if (q.nRaices == 1) {
            if (yMenos < 0) {
                e.horaOrto = hora + q.raiz1;
                e.hayOrto = true;
            } else {
                e.horaOcaso = hora + q.raiz1;
                e.hayOcaso = true;
            }
        }
        if (q.nRaices == 2) {
            e.horaOrto = hora + (q.ye < 0 ? q.raiz2 : q.raiz1);
            e.horaOcaso = hora + (q.ye < 0 ? q.raiz1 : q.raiz2);
            e.hayOrto = e.hayOcaso = true;
        }
        yMenos = yMas;
        hora += 2;
    } while (hora != 25 && !(e.hayOrto && e.hayOcaso));
    e.estado = (e.hayOrto || e.hayOcaso) ? Con : (arriba ? Sobre : Bajo);
    return e;
}

TEST(BuscaEventos, IgualAlBitQueLaExploracionClasePorClase) {
    // Outcomes met, so that each branch of the scan was compared: the
    // three states, and a day with a rise or a set only.
    long estados[3] = {};
    long unSoloEvento = 0;
    for (double mjdDia = 44239; mjdDia <= 66519; mjdDia += 97) {
        for (double lat : {-74.99, -52.0, -33.27, 0.0, 21.3, 69.5, 74.99}) {
            for (double lon : {-179.99, -70.0, 0.0, 71.6, 179.99}) {
                for (double zona : {-12.0, -4.0, 0.0, 5.5, 12.0}) {
                    // Calendar date of that MJD: pass it as day offset in January 1980.
                    DatosCalculo d = Datos(1 + (mjdDia - 44239), 1, 1980, lat, lon, zona);
                    const EventosDia ev = BuscaEventos(d);
                    const double mjd0 = FechaMJD(d.Anio, d.Mes, d.Dia, 0) - d.Zona / 24;
                    for (int c = 1; c <= NumClases; ++c) {
                        const auto clase = static_cast<ClaseEvento>(c);
                        const EventoClase r =
                            ExploraReferencia(clase, mjd0, lon, CosGrad(lat), SenGrad(lat));
                        const EventoClase& e = ev[clase];
                        ASSERT_EQ(e.estado, r.estado);
                        ASSERT_EQ(e.hayOrto, r.hayOrto);
                        ASSERT_EQ(e.hayOcaso, r.hayOcaso);
                        if (r.hayOrto) {
                            ASSERT_EQ(e.horaOrto, r.horaOrto);
                        }
                        if (r.hayOcaso) {
                            ASSERT_EQ(e.horaOcaso, r.horaOcaso);
                        }
                        ++estados[static_cast<int>(r.estado)];
                        unSoloEvento += r.hayOrto != r.hayOcaso;
                    }
                }
            }
        }
    }
    EXPECT_GT(estados[static_cast<int>(Bajo)], 0);
    EXPECT_GT(estados[static_cast<int>(Sobre)], 0);
    EXPECT_GT(estados[static_cast<int>(Con)], 0);
    EXPECT_GT(unSoloEvento, 0);
}

// ------------------------------------------------------ whole-domain sweep

TEST(BuscaEventos, BarridoDelDominioSinNaNYEnElDia) {
    // Days of each state, per class: [class - 1][EstadoClase].
    long estados[NumClases][3] = {};
    auto dias = [&](ClaseEvento c, EstadoClase e) {
        return estados[static_cast<int>(c) - 1][static_cast<int>(e)];
    };
    // Every tenth day from 1 January 1980 to 31 December 2040.
    for (double mjdDia = 44239; mjdDia <= 66519; mjdDia += 10) {
        for (int i = -4; i <= 4; ++i) {
            const double lat = 74.99 * i / 4;
            for (int j = -2; j <= 2; ++j) {
                const double lon = 179.99 * j / 2;
                for (double zona : {-12.0, 0.0, 12.0}) {
                    const DatosCalculo d = Datos(1 + (mjdDia - 44239), 1, 1980, lat, lon, zona);
                    const EventosDia ev = BuscaEventos(d);
                    for (int c = 0; c < NumClases; ++c) {
                        const EventoClase& e = ev.clases[c];
                        ++estados[c][static_cast<int>(e.estado)];
                        const bool conEventos = e.estado == EstadoClase::ConEventos;
                        ASSERT_EQ(conEventos, e.hayOrto || e.hayOcaso);
                        for (auto [hay, hora] : {std::pair{e.hayOrto, e.horaOrto},
                                                 std::pair{e.hayOcaso, e.horaOcaso}}) {
                            if (!hay) continue;
                            ASSERT_FALSE(std::isnan(hora)) << mjdDia << " " << lat;
                            ASSERT_GE(hora, 0.0) << mjdDia << " " << lat << " " << lon;
                            ASSERT_LE(hora, 24.0) << mjdDia << " " << lat << " " << lon;
                        }
                    }
                }
            }
        }
    }
    // The sweep reaches 75 degrees, where the Sun and the Moon stay up and
    // stay down for whole days; and the Sun never stays 12 degrees or more
    // below there (at noon of the December solstice it is 75 + 23.4 - 90 =
    // 8.4 degrees down), so nautical dawn always comes.
    for (ClaseEvento c : {ClaseEvento::Luna, ClaseEvento::Sol}) {
        SCOPED_TRACE(c == ClaseEvento::Luna ? "Luna" : "Sol");
        EXPECT_GT(dias(c, Bajo), 0);
        EXPECT_GT(dias(c, Sobre), 0);
        EXPECT_GT(dias(c, Con), 0);
    }
    EXPECT_GT(dias(ClaseEvento::Civil, Bajo), 0) << "civil dawn that never comes";
    EXPECT_EQ(dias(ClaseEvento::Nautico, Bajo), 0);
    EXPECT_EQ(dias(ClaseEvento::Astronomico, Bajo), 0);
}

TEST(BuscaEventos, CadaLlamadaEmpiezaDeCero) {
    const DatosCalculo polar = Datos(21, 6, 2003, 70, 0, 0);
    const DatosCalculo valpo = Datos(2, 7, 2003, latValparaiso, lonValparaiso, -4);
    const EventosDia a = BuscaEventos(valpo);
    BuscaEventos(polar);
    const EventosDia b = BuscaEventos(valpo);
    for (int c = 0; c < NumClases; ++c) {
        EXPECT_EQ(a.clases[c].horaOrto, b.clases[c].horaOrto);
        EXPECT_EQ(a.clases[c].horaOcaso, b.clases[c].horaOcaso);
    }
}

}  // namespace

// The class list is the one every consumer iterates: its order must be the
// enum's (records are indexed by ClaseEvento - 1) and its names are those the
// command-line program's JSON and CSV fields carry.
TEST(Clases, OrdenDeBusquedaYNombres) {
    const std::pair<ClaseEvento, const char*> esperadas[] = {
        {ClaseEvento::Luna, "luna"},
        {ClaseEvento::Sol, "sol"},
        {ClaseEvento::Civil, "civil"},
        {ClaseEvento::Nautico, "nautico"},
        {ClaseEvento::Astronomico, "astronomico"}};
    ASSERT_EQ(std::size(esperadas), Clases.size());
    for (std::size_t i = 0; i < Clases.size(); ++i) {
        EXPECT_EQ(Clases[i], esperadas[i].first) << i;
        EXPECT_EQ(static_cast<int>(Clases[i]), static_cast<int>(i) + 1);
        EXPECT_EQ(NombreClase(Clases[i]), esperadas[i].second);
        // A record written through its class is read back at its index.
        EventosDia ev;
        ev[Clases[i]].horaOrto = 1.0 + i;
        EXPECT_EQ(ev.clases[i].horaOrto, 1.0 + i);
    }
}

// The civil-day search over [0, 24) of the same grid is the day's search:
// the same crossings, bit for bit, and the same states, over a year of days
// at places from the equator to 74 degrees (polar days and nights included).
TEST(BuscaEventosIntervalo, DiaDeVeinticuatroHorasIgualQueBuscaEventos) {
    int diferencias = 0;
    for (double latitud : {-74.0, -33.266666666666666, 0.0, 45.5, 70.0}) {
        for (int d = 0; d < 365; d += 3) {
            DatosCalculo datos;
            datos.Anio = 2003;
            datos.Mes = 1;
            datos.Dia = 1 + d;  // runs on through the months by formula
            datos.Latitud = latitud;
            datos.Longitud = 71.6;
            datos.Zona = -4.0;
            DiaIntervalo intervalo;
            intervalo.Latitud = latitud;
            intervalo.Longitud = 71.6;
            intervalo.MjdOrigen =
                FechaMJD(datos.Anio, datos.Mes, datos.Dia, 0.0) - datos.Zona / 24.0;
            intervalo.Desde = 0.0;
            intervalo.Hasta = 24.0;
            const EventosDia a = BuscaEventos(datos);
            const EventosDia b = BuscaEventosIntervalo(intervalo);
            for (int c = 0; c < NumClases; ++c) {
                const EventoClase& x = a.clases[c];
                const EventoClase& y = b.clases[c];
                // A crossing at exactly hour 24 belongs to the next civil day.
                if ((x.hayOrto && x.horaOrto == 24.0) || (x.hayOcaso && x.horaOcaso == 24.0)) {
                    continue;
                }
                const bool igual = x.estado == y.estado && x.hayOrto == y.hayOrto &&
                                   x.hayOcaso == y.hayOcaso &&
                                   (!x.hayOrto || x.horaOrto == y.horaOrto) &&
                                   (!x.hayOcaso || x.horaOcaso == y.horaOcaso);
                diferencias += !igual;
                EXPECT_TRUE(igual) << "latitude " << latitud << ", day " << d << ", class " << c;
            }
        }
    }
    EXPECT_EQ(diferencias, 0);
}

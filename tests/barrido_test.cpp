// SPDX-License-Identifier: GPL-3.0-or-later
// Every day from 1 January 1980 to 31 December 2040 through the search and
// the display rules, at the forty places of the list with their natural
// zones and at the corners of the accepted domain. Nothing may be NaN, every
// time lies in [0, 24], each state agrees with its flags, and every text the
// window would show is well formed. The counts of each state are printed as
// a sanity check of the astronomy: the Sun always rises and sets at the
// forty places (none lies beyond 62.5 degrees), while summer nights without
// astronomical darkness occur only beyond about 48.6 degrees south, where
// the Sun at the December solstice stays less than 18 degrees below the
// horizon (90 - 48.6 - 23.4).
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "astro/eventos.h"
#include "lugares/lugares.h"
#include "resultados/resultados.h"

using namespace Vespalba::ModuloVespalba;
using Vespalba::PantallaResultados;

namespace {

constexpr double PrimerDia = 44239;  // MJD of 1 January 1980
constexpr double UltimoDia = 66519;  // MJD of 31 December 2040

struct Sitio {
    std::string nombre;
    double latitud;   // degrees, north positive
    double longitud;  // degrees, west positive
    double zona;      // hours, east positive
};

// Counts of each state, per class.
struct Recuento {
    std::array<std::array<long, 3>, NumClases> estados{};  // [class][estado]
    long dias = 0;
};

bool HoraBienFormada(const QString& t) {
    // " H: M" or "-H: M", minutes 0 to 59, hours -24 to 24.
    static const QRegularExpression forma(QStringLiteral("^( |-)(\\d+): (\\d+)$"));
    const auto m = forma.match(t);
    if (!m.hasMatch()) {
        return false;
    }
    return m.captured(2).toInt() <= 24 && m.captured(3).toInt() < 60;
}

// One day at one place: the invariants, counted into `r`. Returns a
// description of the first fault, or "" when all hold.
std::string Comprueba(const Sitio& s, double mjdDia, Recuento& r) {
    DatosCalculo d;
    d.Dia = 1 + (mjdDia - PrimerDia);  // day n of January 1980 runs on through the years
    d.Mes = 1;
    d.Anio = 1980;
    d.Latitud = s.latitud;
    d.Longitud = s.longitud;
    d.Zona = s.zona;
    const EventosDia ev = BuscaEventos(d);
    ++r.dias;
    for (int c = 0; c < NumClases; ++c) {
        const EventoClase& e = ev.clases[c];
        const int estado = static_cast<int>(e.estado);
        if (estado < 0 || estado > 2) return "state out of range";
        ++r.estados[c][estado];
        if ((e.estado == EstadoClase::ConEventos) != (e.hayOrto || e.hayOcaso)) {
            return "state disagrees with flags, class " + std::to_string(c + 1);
        }
        for (const auto& [hay, hora] :
             {std::pair{e.hayOrto, e.horaOrto}, std::pair{e.hayOcaso, e.horaOcaso}}) {
            if (hay && !(hora >= 0.0 && hora <= 24.0)) {
                return "time outside [0, 24]: " + std::to_string(hora);
            }
        }
    }

    static const std::set<QString> marcas = {"", "No hay", "Bajo horizonte", "////"};
    static const std::set<QString> frases = {"",
                                             "Luna Sobre el Horizonte.",
                                             "Luna Bajo el Horizonte.",
                                             "Siempre Sobre el Horizonte.",
                                             "Siempre Bajo el Horizonte.",
                                             "Siempre Brillante.",
                                             "Obscuridad Absoluta."};
    static const std::set<QString> captions = {"Orto Luna", "Ocaso Luna"};
    const PantallaResultados p = Vespalba::ComponeResultados(ev);
    for (const auto& caja : p.cajas) {
        const QString t = QString::fromStdString(caja.texto);
        if (!marcas.count(t) && !HoraBienFormada(t)) {
            return "badly formed text in " + std::string(caja.control) + ": '" + caja.texto + "'";
        }
    }
    const QString luz = QString::fromStdString(p.HorasLuz);
    if (!luz.isEmpty() && !HoraBienFormada(luz))
        return "badly formed daylight '" + p.HorasLuz + "'";
    if (!frases.count(QString::fromUtf8(p.TextInfo.data(), p.TextInfo.size()))) {
        return "unknown status sentence";
    }
    if (p.TextInfoVisible == p.TextInfo.empty()) return "TextInfo visible without text";
    if (!captions.count(QString::fromUtf8(p.Label1.data(), p.Label1.size())) ||
        !captions.count(QString::fromUtf8(p.Label8.data(), p.Label8.size())) ||
        p.Label1 == p.Label8) {
        return "moon captions";
    }
    return {};
}

void Imprime(const char* titulo, const Recuento& r) {
    static const char* const clases[] = {"Luna", "Sol", "Civil", "Nautico", "Astronomico"};
    std::printf("%s: %ld dias-lugar\n", titulo, r.dias);
    std::printf("  %-12s %12s %12s %12s\n", "clase", "ConEventos", "SiempreSobre", "SiempreBajo");
    for (int c = 0; c < NumClases; ++c) {
        std::printf("  %-12s %12ld %12ld %12ld\n", clases[c], r.estados[c][2], r.estados[c][1],
                    r.estados[c][0]);
    }
}

TEST(Barrido, CuarentaLugaresTodosLosDias) {
    Recuento r;
    Recuento sur;  // places beyond 48 degrees south
    for (int i = 1; i <= Vespalba::NumLugares; ++i) {
        const Vespalba::Lugar& l = Vespalba::Lugares[i];
        Sitio s;
        s.nombre = std::string(l.Nombre);
        const Vespalba::Coordenadas c = Vespalba::CoordenadasDe(l);
        s.latitud = c.latitud;
        s.longitud = -c.longitud;                 // west positive
        s.zona = -std::round(s.longitud / 15.0);  // the natural zone, hours east
        Recuento& destino = s.latitud < -48 ? sur : r;
        for (double mjd = PrimerDia; mjd <= UltimoDia; ++mjd) {
            const std::string fallo = Comprueba(s, mjd, destino);
            ASSERT_EQ(fallo, "") << s.nombre << ", MJD " << mjd;
        }
    }
    Imprime("Lugares hasta 48 grados", r);
    Imprime("Lugares al sur de 48 grados", sur);
    // The Sun rises and sets every day at every place of the list.
    for (const Recuento* x : {&r, &sur}) {
        EXPECT_EQ(x->estados[1][2], x->dias);
    }
    // Up to 48 degrees (45 degrees 28 minutes at most in the list) every
    // class has its events every day. The Moon too: there it stays above the
    // horizon for at most about 17 of the 24.8 hours between two of its
    // transits, and below for at least 7, so a day cannot pass without a
    // rise or a set.
    for (int c = 0; c < NumClases; ++c) {
        EXPECT_EQ(r.estados[c][2], r.dias) << "class " << c + 1;
    }
    // Nights without astronomical darkness happen in the far south only.
    EXPECT_GT(sur.estados[4][1], 0);
    EXPECT_EQ(r.estados[4][1], 0);
}

TEST(Barrido, EsquinasDelDominio) {
    Recuento r;
    for (double lat : {-74.99, 74.99}) {
        for (double lon : {-179.99, 179.99}) {
            for (double zona : {-12.0, 12.0}) {
                const Sitio s{"esquina", lat, lon, zona};
                for (double mjd = PrimerDia; mjd <= UltimoDia; ++mjd) {
                    const std::string fallo = Comprueba(s, mjd, r);
                    ASSERT_EQ(fallo, "") << lat << " " << lon << " " << zona << ", MJD " << mjd;
                }
            }
        }
    }
    Imprime("Esquinas (latitud 74.99, longitud 179.99, zona 12)", r);
    // Polar days and nights at 75 degrees: the Sun stays up and stays down.
    EXPECT_GT(r.estados[1][1], 0);
    EXPECT_GT(r.estados[1][0], 0);
    // So does the Moon, whose declination passes 15 degrees every month.
    EXPECT_GT(r.estados[0][1], 0);
    EXPECT_GT(r.estados[0][0], 0);
    // At noon of the winter solstice the Sun is 75 + 23.4 - 90 = 8.4
    // degrees below the horizon: civil dawn may never come, nautical and
    // astronomical dawn always do.
    EXPECT_GT(r.estados[2][0], 0);
    EXPECT_EQ(r.estados[3][0], 0);
    EXPECT_EQ(r.estados[4][0], 0);
}

}  // namespace

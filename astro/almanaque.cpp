// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/almanaque.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "astro/eventos.h"
#include "astro/solluna.h"
#include "astro/tiempo.h"

namespace Vespalba::ModuloVespalba {
namespace {

// Julian centuries from J2000.0 of an instant, as the event search forms them.
double SiglosDesde2000(double mjd) { return (mjd - MJDEpoca2000) / DiasSigloJuliano; }

// Most refinement steps of one bracketed instant. False position with the
// Illinois change closes a bracket of days to ToleranciaInstante in about
// ten steps; the bound only guards against a function that is not monotonic.
constexpr int MaxPasosRefino = 100;

// The instant in (a, b] at which f, negative at a and not negative at b,
// crosses zero: false position in which an end that stays twice in a row has
// its value halved (the Illinois change), so that both ends close in. Stops
// once the bracket is narrower than ToleranciaInstante.
template <class Funcion>
double Refina(Funcion&& f, double a, double fa, double b, double fb) {
    int ladoAnterior = 0;  // -1 when the last step moved a, +1 when it moved b
    for (int paso = 0; paso < MaxPasosRefino && b - a > ToleranciaInstante; ++paso) {
        double c = (a * fb - b * fa) / (fb - fa);
        if (!(c > a && c < b)) {
            c = 0.5 * (a + b);
        }
        const double fc = f(c);
        if (fc == 0.0) {
            return c;
        }
        if (fc < 0.0) {
            a = c;
            fa = fc;
            if (ladoAnterior == -1) {
                fb *= 0.5;
            }
            ladoAnterior = -1;
        } else {
            b = c;
            fb = fc;
            if (ladoAnterior == 1) {
                fa *= 0.5;
            }
            ladoAnterior = 1;
        }
    }
    // The last chord, kept inside the bracket.
    const double c = (a * fb - b * fa) / (fb - fa);
    return (c > a && c <= b) ? c : b;
}

// A crossing of zero by f bracketed in (t0, t1] (f0 < 0 <= f1), refined,
// within an interval that ends at `fin`. In the interval's last step, a
// crossing exactly at its end belongs to the next interval (none is
// returned), and a refined instant is kept below the end: consecutive
// intervals share out the crossings, each to exactly one of them, whose
// instant then lies in it.
template <class Funcion>
std::optional<double> CruceEnTramo(Funcion&& f, double t0, double f0, double t1, double f1,
                                   double fin) {
    if (t1 == fin && f1 == 0.0) {
        return std::nullopt;
    }
    const double t = Refina(f, t0, f0, t1, f1);
    return (t1 == fin) ? std::min(t, std::nextafter(fin, t0)) : t;
}

// x reduced to [-mitad, mitad) of a period 2 * mitad.
double Centrado(double x, double mitad) {
    return x - 2.0 * mitad * std::floor((x + mitad) / (2.0 * mitad));
}

// Elongation in longitude, turns, [0, 1], from the two ecliptic longitudes.
double Vueltas(double lonLuna, double lonSol) { return Frac((lonLuna - lonSol) / P2); }

// Elongation in longitude of the Moon from the Sun at an instant, turns.
double ElongacionVueltas(double mjd) {
    const double t = SiglosDesde2000(mjd);
    return Vueltas(EclipticaLuna(t).lon, EclipticaSol(t).lon);
}

// Aberration of the Sun's longitude, seconds of arc: the Sun is seen where
// it was 8.3 minutes before, 20.5" behind its geometric place (the constant
// of aberration at one astronomical unit; the orbit's eccentricity changes
// it by 0.3" at most).
constexpr double AberracionSol = -20.5;

// Nutation in longitude, seconds of arc: its main term, from the longitude of
// the Moon's ascending node, which turns back once in 18.6 years. The next
// terms (-1.3" sin 2L of the Sun's mean longitude L) vanish where the Sun's
// longitude is a multiple of 90 degrees.
double NutacionLongitud(double T) { return -17.2 * SenGrad(125.04452 - 1934.136261 * T); }

// The Sun's apparent ecliptic longitude at an instant, turns, [0, 1]: the
// series' geometric longitude referred to the mean equinox of the date, plus
// the nutation and the aberration.
double LongitudAparenteSolVueltas(double mjd) {
    const double t = SiglosDesde2000(mjd);
    return Frac(EclipticaSol(t).lon / P2 +
                (NutacionLongitud(t) + AberracionSol) / SegundosPorVuelta);
}

// Quarter of the turn, 0 to 3, in which a quantity in turns lies (a full
// turn, which a rounding can give, is quarter 0).
int Cuarto(double vueltas) { return static_cast<int>(std::floor(4.0 * vueltas)) % 4; }

// Turns to degrees in [0, 360): the one turn that Frac can round to is 0.
double Grados(double vueltas) {
    const double g = 360.0 * vueltas;
    return g < 360.0 ? g : 0.0;
}

}  // namespace

double AnguloHorarioSol(double mjd, double longitud) {
    const PosicionEcuatorial p = PosSol(SiglosDesde2000(mjd));
    return Centrado(TiempoSidereo(mjd, longitud) - p.ra, 12.0);
}

MediodiaSolar BuscaMediodia(double mjdInicio, double mjdFin, double latitud, double longitud) {
    MediodiaSolar r;
    if (!(mjdFin > mjdInicio) || !std::isfinite(mjdFin - mjdInicio)) {
        return r;
    }
    auto h = [longitud](double mjd) { return AnguloHorarioSol(mjd, longitud); };
    double pasos[2];
    int n = 0;

    double t0 = mjdInicio;
    double h0 = h(t0);
    if (h0 == 0.0) {
        pasos[n++] = t0;
    }
    const int tramos = static_cast<int>(std::ceil((mjdFin - mjdInicio) * 24.0 / PasoMediodia));
    for (int i = 1; i <= tramos && n < 2; ++i) {
        const double t1 = (i == tramos) ? mjdFin : mjdInicio + (mjdFin - mjdInicio) * i / tramos;
        const double h1 = h(t1);
        // Growing through 0, not the fall from +12 to -12 h.
        if (h0 < 0.0 && h1 >= 0.0 && h1 - h0 < 12.0) {
            if (const auto t = CruceEnTramo(h, t0, h0, t1, h1, mjdFin)) {
                pasos[n++] = *t;
            }
        }
        t0 = t1;
        h0 = h1;
    }
    if (n == 0) {
        return r;
    }
    r.estado = (n == 1) ? EstadoMediodia::UnPaso : EstadoMediodia::DosPasos;
    r.mjd = pasos[0];
    r.mjdSegundo = (n == 2) ? pasos[1] : 0.0;
    const double senAltura =
        SenAltura(ClaseEvento::Sol, r.mjd, 0.0, longitud, CosGrad(latitud), SenGrad(latitud));
    r.altura = std::asin(std::clamp(senAltura, -1.0, 1.0)) / GradoEnRadianes;
    return r;
}

double ElongacionLuna(double mjd) { return Grados(ElongacionVueltas(mjd)); }

IluminacionLunar IluminacionLuna(double mjd) {
    const double t = SiglosDesde2000(mjd);
    const PosicionEcliptica luna = EclipticaLuna(t);
    const PosicionEcliptica sol = EclipticaSol(t);
    const double dLon = luna.lon - sol.lon;
    // Sun-Moon elongation E, through its cosine and its (non-negative) sine.
    const double cosE = std::cos(luna.lat) * std::cos(dLon);
    const double senE = std::sqrt(std::max(0.0, 1.0 - cosE * cosE));
    // Phase angle i, Sun-Moon-Earth.
    const double i = std::atan2(senE, DistanciaMediaLuna / DistanciaMediaSol - cosE);

    IluminacionLunar r;
    r.fraccion = 0.5 * (1.0 + std::cos(i));
    r.elongacion = Grados(Vueltas(luna.lon, sol.lon));
    r.creciente = r.elongacion > 0.0 && r.elongacion < 180.0;
    return r;
}

std::vector<FasePrincipal> FasesEntre(double mjdDesde, double mjdHasta) {
    std::vector<FasePrincipal> fases;
    if (!(mjdHasta > mjdDesde) || !std::isfinite(mjdHasta - mjdDesde)) {
        return fases;
    }
    fases.reserve(static_cast<std::size_t>((mjdHasta - mjdDesde) / 7.0) + 2);

    // Quarter of the turn, 0 to 3, in which an elongation in turns lies.
    auto cuarto = [](double vueltas) { return static_cast<int>(std::floor(4.0 * vueltas)) % 4; };

    // The samples lie on a grid of whole steps counted from MJD 0, whatever
    // the interval, so that a phase is bracketed and refined alike by every
    // interval that holds it and gets the same instant to the bit (a long
    // range computed in blocks agrees with the same range computed whole).
    // The grid starts a step before the interval: a phase at its very start
    // is found in that step.
    double paso = std::floor(mjdDesde / PasoFases) - 1.0;
    double t0 = paso * PasoFases;
    int q0 = cuarto(ElongacionVueltas(t0));
    while (t0 < mjdHasta) {
        paso += 1.0;
        const double t1 = paso * PasoFases;
        const int q1 = cuarto(ElongacionVueltas(t1));
        if (q1 != q0) {
            // The phase that opens quarter q1: the elongation less its value,
            // in turns centred on 0, is negative at t0 and not at t1.
            const double meta = 0.25 * q1;
            auto f = [meta](double t) { return Centrado(ElongacionVueltas(t) - meta, 0.5); };
            const double t = Refina(f, t0, f(t0), t1, f(t1));
            if (mjdDesde <= t && t < mjdHasta) {
                fases.push_back({static_cast<FaseLunar>(q1), t});
            }
        }
        t0 = t1;
        q0 = q1;
    }
    return fases;
}

std::vector<CambioDeEstacion> EstacionesEntre(double mjdDesde, double mjdHasta) {
    std::vector<CambioDeEstacion> estaciones;
    if (!(mjdHasta > mjdDesde) || !std::isfinite(mjdHasta - mjdDesde)) {
        return estaciones;
    }
    // Four a year of 365.24 days; the reservation only a hint.
    estaciones.reserve(
        std::min<std::size_t>(static_cast<std::size_t>((mjdHasta - mjdDesde) / 91.0) + 2, 1024));

    // A fixed grid, as in FasesEntre: whole steps from MJD 0, starting a step
    // before the interval, so that every interval that holds an instant
    // brackets and refines it alike.
    double paso = std::floor(mjdDesde / PasoEstaciones) - 1.0;
    double t0 = paso * PasoEstaciones;
    int q0 = Cuarto(LongitudAparenteSolVueltas(t0));
    while (t0 < mjdHasta) {
        paso += 1.0;
        const double t1 = paso * PasoEstaciones;
        const int q1 = Cuarto(LongitudAparenteSolVueltas(t1));
        if (q1 != q0) {
            // The instant that opens quarter q1: the longitude less its
            // value, in turns centred on 0, is negative at t0 and not at t1.
            const double meta = 0.25 * q1;
            auto f = [meta](double t) {
                return Centrado(LongitudAparenteSolVueltas(t) - meta, 0.5);
            };
            const double t = Refina(f, t0, f(t0), t1, f(t1));
            if (mjdDesde <= t && t < mjdHasta) {
                estaciones.push_back({static_cast<Estacion>(q1), t});
            }
        }
        t0 = t1;
        q0 = q1;
    }
    return estaciones;
}

std::string_view NombreEstacion(Estacion e) {
    switch (e) {
        case Estacion::EquinoccioMarzo: return "Equinoccio de marzo";
        case Estacion::SolsticioJunio: return "Solsticio de junio";
        case Estacion::EquinoccioSeptiembre: return "Equinoccio de septiembre";
        case Estacion::SolsticioDiciembre: return "Solsticio de diciembre";
    }
    return "Solsticio de diciembre";
}

std::string_view NombreEtapa(EtapaLunar etapa) {
    switch (etapa) {
        case EtapaLunar::LunaNueva: return "Luna nueva";
        case EtapaLunar::Creciente: return "Creciente";
        case EtapaLunar::CuartoCreciente: return "Cuarto creciente";
        case EtapaLunar::GibosaCreciente: return "Gibosa creciente";
        case EtapaLunar::LunaLlena: return "Luna llena";
        case EtapaLunar::GibosaMenguante: return "Gibosa menguante";
        case EtapaLunar::CuartoMenguante: return "Cuarto menguante";
        case EtapaLunar::Menguante: return "Menguante";
    }
    return "Menguante";
}

std::optional<EtapaLunar> EtapaDelDia(std::span<const FasePrincipal> fases, double mjdInicio,
                                      double mjdFin) {
    const auto siguiente =
        std::lower_bound(fases.begin(), fases.end(), mjdInicio,
                         [](const FasePrincipal& f, double mjd) { return f.mjd < mjd; });
    if (siguiente != fases.end() && EnDiaCivil(siguiente->mjd, mjdInicio, mjdFin)) {
        return EtapaDeFase(siguiente->fase);
    }
    if (siguiente != fases.begin()) {
        return EtapaTrasFase(std::prev(siguiente)->fase);
    }
    if (siguiente != fases.end()) {
        return EtapaAntesDeFase(siguiente->fase);
    }
    return std::nullopt;
}

}  // namespace Vespalba::ModuloVespalba

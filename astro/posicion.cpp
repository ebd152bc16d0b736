// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/posicion.h"

#include <cmath>

#include "astro/almanaque.h"
#include "astro/eventos.h"
#include "astro/solluna.h"
#include "astro/tiempo.h"

namespace Vespalba::ModuloVespalba {
namespace {

// Julian centuries from J2000.0 of an instant, as the event search forms them.
double SiglosDesde2000(double mjd) { return (mjd - MJDEpoca2000) / DiasSigloJuliano; }

// Flattening of the Earth's ellipsoid (WGS 84, 1/298.257).
constexpr double Achatamiento = 1.0 / 298.257;

// Angle in degrees reduced to [0, 360); a value that rounds up to 360 is 0.
double Vuelta360(double grados) {
    const double g = grados - 360.0 * std::floor(grados / 360.0);
    return g < 360.0 ? g : 0.0;
}

// Altitude and azimuth of a direction given in the place's hour-angle
// frame: x toward the meridian on the celestial equator, y toward the west
// point, z toward the north celestial pole (any length).
//   senLat, cosLat: sine and cosine of the latitude of the place's vertical.
PosicionHorizontal Horizontal(double x, double y, double z, double senLat, double cosLat) {
    const double arriba = x * cosLat + z * senLat;  // along the vertical
    const double norte = z * cosLat - x * senLat;   // toward the north point
    const double este = -y;                         // toward the east point
    const double horizontal = std::hypot(norte, este);
    PosicionHorizontal p;
    p.altura = std::atan2(arriba, horizontal) / GradoEnRadianes;
    p.azimut = Vuelta360(std::atan2(este, norte) / GradoEnRadianes);
    return p;
}

}  // namespace

PosicionHorizontal PosicionSol(double mjd, double latitud, double longitud) {
    const double senLat = SenGrad(latitud);
    const double cosLat = CosGrad(latitud);
    const PosicionEcuatorial p = PosSol(SiglosDesde2000(mjd));
    // Hour angle, degrees, as the search forms it.
    const double tau = 15.0 * (TiempoSidereo(mjd, longitud) - p.ra);
    PosicionHorizontal h = Horizontal(CosGrad(p.dec) * CosGrad(tau), CosGrad(p.dec) * SenGrad(tau),
                                      SenGrad(p.dec), senLat, cosLat);
    // The altitude exactly as the search samples it: asin of SenAltura, so
    // that the threshold a search crossed is the one read here.
    const double s = SenAltura(ClaseEvento::Sol, mjd, 0.0, longitud, cosLat, senLat);
    h.altura = std::asin(std::fmax(-1.0, std::fmin(1.0, s))) / GradoEnRadianes;
    return h;
}

double ParalajeLuna(double T) {
    // The series' mean anomaly of the Moon and mean elongation, radians.
    const double l = P2 * Frac(0.374897 + 1325.55241 * T);
    const double d = P2 * Frac(0.827361 + 1236.853086 * T);
    const double segundos = 3422.7 + 186.5 * std::cos(l) + 10.2 * std::cos(2.0 * l) +
                            34.3 * std::cos(2.0 * d - l) + 28.2 * std::cos(2.0 * d);
    return segundos / 3600.0;
}

PosicionHorizontal PosicionLuna(double mjd, double latitud, double longitud) {
    const double t = SiglosDesde2000(mjd);
    const PosicionEcuatorial p = PosLuna(t);
    // Distance from the Earth's centre, equatorial radii.
    const double r = 1.0 / SenGrad(ParalajeLuna(t));
    const double tau = 15.0 * (TiempoSidereo(mjd, longitud) - p.ra);
    // The Moon from the Earth's centre, in the hour-angle frame, equatorial radii.
    const double x = r * CosGrad(p.dec) * CosGrad(tau);
    const double y = r * CosGrad(p.dec) * SenGrad(tau);
    const double z = r * SenGrad(p.dec);
    // The place on the ellipsoid, in the same frame: on the meridian (hour
    // angle 0), at distance rho from the centre and geocentric latitude phi'
    // (rho cos phi' = cos u, rho sin phi' = (1 - f) sin u, with the reduced
    // latitude u: tan u = (1 - f) tan(latitude)).
    const double u = std::atan2((1.0 - Achatamiento) * SenGrad(latitud), CosGrad(latitud));
    const double xLugar = std::cos(u);
    const double zLugar = (1.0 - Achatamiento) * std::sin(u);
    // The vertical is the geodetic latitude's.
    return Horizontal(x - xLugar, y, z - zLugar, SenGrad(latitud), CosGrad(latitud));
}

// ------------------------------------------------------- the part of the day

ParteDelDia ParteDelDiaDeAltura(double alturaSol) {
    if (alturaSol >= AlturaDiaDesde) return ParteDelDia::Dia;
    if (alturaSol >= AlturaCivilDesde) return ParteDelDia::CrepusculoCivil;
    if (alturaSol >= AlturaNauticoDesde) return ParteDelDia::CrepusculoNautico;
    if (alturaSol >= AlturaFinNoche) return ParteDelDia::CrepusculoAstronomico;
    return ParteDelDia::Noche;
}

LuzEspecial LuzEspecialDeAltura(double alturaSol) {
    if (alturaSol >= AlturaDoradaDesde && alturaSol < AlturaDoradaHasta) return LuzEspecial::Dorada;
    if (alturaSol >= AlturaAzulDesde && alturaSol < AlturaDoradaDesde) return LuzEspecial::Azul;
    return LuzEspecial::Ninguna;
}

const char* NombreParteDelDia(ParteDelDia parte) {
    switch (parte) {
        case ParteDelDia::Noche: return "noche";
        case ParteDelDia::CrepusculoAstronomico: return "crepusculo-astronomico";
        case ParteDelDia::CrepusculoNautico: return "crepusculo-nautico";
        case ParteDelDia::CrepusculoCivil: return "crepusculo-civil";
        case ParteDelDia::Dia: return "dia";
    }
    return "noche";
}

const char* NombreLuzEspecial(LuzEspecial luz) {
    switch (luz) {
        case LuzEspecial::Ninguna: return "";
        case LuzEspecial::Azul: return "azul";
        case LuzEspecial::Dorada: return "dorada";
    }
    return "";
}

MomentoDelDia MomentoDelDiaEn(double mjd, double latitud, double longitud) {
    MomentoDelDia m;
    m.sol = PosicionSol(mjd, latitud, longitud);
    m.anguloHorario = AnguloHorarioSol(mjd, longitud);
    m.parte = ParteDelDiaDeAltura(m.sol.altura);
    m.luz = LuzEspecialDeAltura(m.sol.altura);
    m.manana = m.anguloHorario < 0.0;
    return m;
}

}  // namespace Vespalba::ModuloVespalba

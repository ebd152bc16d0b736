// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/solluna.h"

#include <cmath>

#include "astro/tiempo.h"

namespace Vespalba::ModuloVespalba {

PosicionEcuatorial ConversionEcuatorial(double x, double y, double z) {
    const double rho = std::sqrt(1.0 - z * z);
    PosicionEcuatorial p;
    p.dec = (360.0 / P2) * std::atan(z / rho);
    const double denominador = x + rho;
    if (denominador == 0.0) {
        p.ra = 12.0;
        return p;
    }
    p.ra = (48.0 / P2) * std::atan(y / denominador);
    if (p.ra < 0.0) {
        p.ra += 24.0;
    }
    return p;
}

PosicionEcliptica EclipticaSol(double T) {
    // Mean anomaly, radians.
    const double m = P2 * Frac(0.993133 + 99.997361 * T);
    // Equation of the centre, seconds of arc.
    const double dl = 6893.0 * std::sin(m) + 72.0 * std::sin(2.0 * m);
    // Ecliptic longitude, radians; the ecliptic latitude is taken as zero.
    const double l = P2 * Frac(0.7859453 + m / P2 + (6191.2 * T + dl) / SegundosPorVuelta);
    return {l, 0.0};
}

PosicionEcuatorial PosSol(double T) {
    const double l = EclipticaSol(T).lon;
    const double sl = std::sin(l);
    const double cl = std::cos(l);
    return ConversionEcuatorial(cl, COSEPS * sl, SINEPS * sl);
}

PosicionEcliptica EclipticaLuna(double T) {
    // Mean arguments. l0 stays in turns; the others are radians.
    const double l0 = Frac(0.606433 + 1336.855225 * T);      // mean longitude
    const double l = P2 * Frac(0.374897 + 1325.55241 * T);   // Moon's mean anomaly
    const double ls = P2 * Frac(0.993133 + 99.997361 * T);   // Sun's mean anomaly
    const double d = P2 * Frac(0.827361 + 1236.853086 * T);  // mean elongation
    const double f = P2 * Frac(0.259086 + 1342.227825 * T);  // distance from node

    // Perturbations in longitude, seconds of arc, summed in this order.
    const double dl =
        22640.0 * std::sin(l) - 4586.0 * std::sin(l - 2.0 * d) + 2370.0 * std::sin(2.0 * d) +
        769.0 * std::sin(2.0 * l) - 668.0 * std::sin(ls) - 412.0 * std::sin(2.0 * f) -
        212.0 * std::sin(2.0 * l - 2.0 * d) - 206.0 * std::sin(l + ls - 2.0 * d) +
        192.0 * std::sin(l + 2.0 * d) - 165.0 * std::sin(ls - 2.0 * d) - 125.0 * std::sin(d) -
        110.0 * std::sin(l + ls) + 148.0 * std::sin(l - ls) - 55.0 * std::sin(2.0 * f - 2.0 * d);

    // Argument of latitude, radians; the -412 sin(2F) term of dl returns
    // here with the opposite sign.
    const double s = f + (dl + 412.0 * std::sin(2.0 * f) + 541.0 * std::sin(ls)) / ARC;
    const double h = f - 2.0 * d;
    // Perturbations in latitude, seconds of arc, summed in this order.
    const double n = 44.0 * std::sin(l + h) - 526.0 * std::sin(h) - 31.0 * std::sin(h - l) -
                     23.0 * std::sin(ls + h) + 11.0 * std::sin(h - ls) -
                     25.0 * std::sin(f - 2.0 * l) + 21.0 * std::sin(f - l);

    // Ecliptic longitude and latitude, radians.
    const double lambda = P2 * Frac(l0 + dl / SegundosPorVuelta);
    const double beta = (18520.0 * std::sin(s) + n) / ARC;
    return {lambda, beta};
}

PosicionEcuatorial PosLuna(double T) {
    const auto [lambda, beta] = EclipticaLuna(T);
    // Ecliptic to equatorial.
    const double cb = std::cos(beta);
    const double x = cb * std::cos(lambda);
    const double v = cb * std::sin(lambda);
    const double w = std::sin(beta);
    return ConversionEcuatorial(x, COSEPS * v - SINEPS * w, SINEPS * v + COSEPS * w);
}

}  // namespace Vespalba::ModuloVespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/eventos.h"

#include <cmath>
#include <optional>

#include "astro/solluna.h"
#include "astro/tiempo.h"
#include "astro/vectorial.h"

namespace Vespalba::ModuloVespalba {
namespace {

// Whole hours sampled by the scan: 0 to 24 for a day of 24 hours; up to 26
// for a civil day that a clock change lengthens (25 hours, starting as late
// as hour 1).
constexpr int HorasMuestreadas = 27;

// Scans one class over hours [desde, hasta) of an hour grid. senAltura(h)
// gives the sine of the body's altitude at whole grid hour h; senUmbral is
// the sine of the class's threshold altitude. Samples are paired into
// two-hour stretches [h - 1, h + 1] for odd h, from hour 0, until a stretch
// reaches hasta or both directions have been seen.
//   recorta:  when true, crossings outside [desde, hasta) are not kept
//             (a civil day that does not start at grid hour 0 or does not
//             last 24 hours); when false, every crossing of the stretches
//             counts, as the search of an ordinary day does.
//   arriba:   whether the body is above the threshold when the day starts,
//             used when no crossing is kept; none to take it from hour 0.
template <class Muestra>
EventoClase ExploraClase(Muestra&& senAltura, double senUmbral, double desde, double hasta,
                         bool recorta, std::optional<bool> arriba) {
    EventoClase evento;
    auto anota = [&](bool sube, double t) {
        if (recorta && !(t >= desde && t < hasta)) return;
        if (sube) {
            evento.horaOrto = t;
            evento.hayOrto = true;
        } else {
            evento.horaOcaso = t;
            evento.hayOcaso = true;
        }
    };
    int hora = 1;
    double yMenos = senAltura(hora - 1) - senUmbral;
    // Taken once, at the start: the only value that decides between always
    // above and always below.
    if (!arriba) arriba = yMenos > 0.0;
    do {
        const double yCero = senAltura(hora) - senUmbral;
        const double yMas = senAltura(hora + 1) - senUmbral;
        const ResultadoCuadratica q = Cuadratica(yMenos, yCero, yMas);
        if (q.nRaices == 1) {
            anota(yMenos < 0.0, hora + q.raiz1);
        } else if (q.nRaices == 2) {
            // A minimum below the threshold goes down first, then up.
            const bool bajaPrimero = q.ye < 0.0;
            anota(!bajaPrimero, hora + q.raiz1);
            anota(bajaPrimero, hora + q.raiz2);
        }
        yMenos = yMas;
        hora += 2;
    } while (hora - 1 < hasta && !(evento.hayOrto && evento.hayOcaso));

    if (evento.hayOrto || evento.hayOcaso) {
        evento.estado = EstadoClase::ConEventos;
    } else {
        evento.estado = *arriba ? EstadoClase::SiempreSobre : EstadoClase::SiempreBajo;
    }
    return evento;
}

// The search over hours [desde, hasta) of the grid whose hour 0 is
// mjdOrigen (see ExploraClase for recorta; arriba is computed at desde when
// recorta is set).
EventosDia Busca(double mjdOrigen, double latitud, double longitud, double desde, double hasta,
                 bool recorta) {
    // Whatever the caller's libraries left in the upper halves of the vector
    // registers would slow every instruction below on some processors.
    LimpiaMitadesAltas();
    const double senLat = SenGrad(latitud);
    const double cosLat = CosGrad(latitud);

    auto arribaAlInicio = [&](ClaseEvento clase) -> std::optional<bool> {
        if (!recorta) return std::nullopt;
        return SenAltura(clase, mjdOrigen, desde, longitud, cosLat, senLat) >
               SenGrad(AlturaUmbral(clase));
    };

    EventosDia eventos;
    eventos[ClaseEvento::Luna] = ExploraClase(
        [&](int hora) {
            return SenAltura(ClaseEvento::Luna, mjdOrigen, hora, longitud, cosLat, senLat);
        },
        SenGrad(AlturaUmbral(ClaseEvento::Luna)), desde, hasta, recorta,
        arribaAlInicio(ClaseEvento::Luna));

    // The Sun's altitude at an hour is the same for the four Sun classes:
    // each hour is computed once, when a class first asks for it.
    std::array<double, HorasMuestreadas> senAlturaSol{};
    std::array<bool, HorasMuestreadas> calculada{};
    auto muestraSol = [&](int hora) {
        if (!calculada[hora]) {
            senAlturaSol[hora] =
                SenAltura(ClaseEvento::Sol, mjdOrigen, hora, longitud, cosLat, senLat);
            calculada[hora] = true;
        }
        return senAlturaSol[hora];
    };
    // Every class after the Moon is one of the Sun's.
    for (std::size_t i = 1; i < Clases.size(); ++i) {
        const ClaseEvento clase = Clases[i];
        eventos[clase] = ExploraClase(muestraSol, SenGrad(AlturaUmbral(clase)), desde, hasta,
                                      recorta, arribaAlInicio(clase));
    }
    return eventos;
}

// One threshold of the Sun over hours [desde, hasta) of the grid whose hour
// 0 is mjdOrigen: the samples and scan of Busca's Sun classes, for any
// altitude (degrees).
EventoClase BuscaSol(double mjdOrigen, double latitud, double longitud, double desde, double hasta,
                     bool recorta, double alturaGrados) {
    LimpiaMitadesAltas();
    const double senLat = SenGrad(latitud);
    const double cosLat = CosGrad(latitud);
    const double senUmbral = SenGrad(alturaGrados);
    std::optional<bool> arriba;
    if (recorta) {
        arriba =
            SenAltura(ClaseEvento::Sol, mjdOrigen, desde, longitud, cosLat, senLat) > senUmbral;
    }
    return ExploraClase(
        [&](int hora) {
            return SenAltura(ClaseEvento::Sol, mjdOrigen, hora, longitud, cosLat, senLat);
        },
        senUmbral, desde, hasta, recorta, arriba);
}

}  // namespace

std::string_view NombreClase(ClaseEvento clase) {
    switch (clase) {
        case ClaseEvento::Luna: return "luna";
        case ClaseEvento::Sol: return "sol";
        case ClaseEvento::Civil: return "civil";
        case ClaseEvento::Nautico: return "nautico";
        case ClaseEvento::Astronomico: return "astronomico";
    }
    return "astronomico";
}

double AlturaUmbral(ClaseEvento clase) {
    switch (clase) {
        case ClaseEvento::Luna: return 8.0 / 60.0;
        case ClaseEvento::Sol: return -50.0 / 60.0;
        case ClaseEvento::Civil: return -6.0;
        case ClaseEvento::Nautico: return -12.0;
        case ClaseEvento::Astronomico: return -18.0;
    }
    return -18.0;
}

double SenAltura(ClaseEvento clase, double mjdMedianoche, double hora, double longitud,
                 double cosLat, double senLat) {
    const double mjd = mjdMedianoche + hora / 24.0;
    const double t = (mjd - MJDEpoca2000) / DiasSigloJuliano;
    const PosicionEcuatorial p = (clase == ClaseEvento::Luna) ? PosLuna(t) : PosSol(t);
    // Hour angle, degrees; only its cosine is used, so it is not reduced.
    const double tau = 15.0 * (TiempoSidereo(mjd, longitud) - p.ra);
    return senLat * SenGrad(p.dec) + cosLat * CosGrad(p.dec) * CosGrad(tau);
}

ResultadoCuadratica Cuadratica(double yMenos, double yCero, double yMas) {
    ResultadoCuadratica r;
    const double a = 0.5 * (yMenos + yMas) - yCero;
    const double b = 0.5 * (yMas - yMenos);
    const double c = yCero;
    if (a == 0.0) {
        // Three samples on a straight line: the extremum formula would divide
        // by zero. Solve the line instead; a flat line has no root.
        r.xe = 0.0;
        r.ye = c;
        if (b != 0.0) {
            const double x = -c / b;
            r.raiz1 = x;
            r.raiz2 = x;
            if (std::fabs(x) <= 1.0) {
                r.nRaices = 1;
            }
        }
        return r;
    }
    r.xe = -b / (2.0 * a);
    r.ye = (a * r.xe + b) * r.xe + c;
    const double dis = b * b - 4.0 * a * c;
    if (dis > 0.0) {
        const double dx = 0.5 * std::sqrt(dis) / std::fabs(a);
        r.raiz1 = r.xe - dx;
        r.raiz2 = r.xe + dx;
        if (std::fabs(r.raiz1) <= 1.0) {
            ++r.nRaices;
        }
        if (std::fabs(r.raiz2) <= 1.0) {
            ++r.nRaices;
        }
        if (r.raiz1 < -1.0) {
            r.raiz1 = r.raiz2;
        }
    }
    return r;
}

EventosDia BuscaEventos(const DatosCalculo& datos) {
    const double mjdMedianoche =
        FechaMJD(datos.Anio, datos.Mes, datos.Dia, 0.0) - datos.Zona / 24.0;
    return Busca(mjdMedianoche, datos.Latitud, datos.Longitud, 0.0, 24.0, false);
}

EventosDia BuscaEventosIntervalo(const DiaIntervalo& dia) {
    return Busca(dia.MjdOrigen, dia.Latitud, dia.Longitud, dia.Desde, dia.Hasta, true);
}

EventoClase BuscaAlturaSol(const DatosCalculo& datos, double alturaGrados) {
    const double mjdMedianoche =
        FechaMJD(datos.Anio, datos.Mes, datos.Dia, 0.0) - datos.Zona / 24.0;
    return BuscaSol(mjdMedianoche, datos.Latitud, datos.Longitud, 0.0, 24.0, false, alturaGrados);
}

EventoClase BuscaAlturaSolIntervalo(const DiaIntervalo& dia, double alturaGrados) {
    return BuscaSol(dia.MjdOrigen, dia.Latitud, dia.Longitud, dia.Desde, dia.Hasta, true,
                    alturaGrados);
}

}  // namespace Vespalba::ModuloVespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/eventos.h"

#include <cmath>

#include "astro/solluna.h"
#include "astro/tiempo.h"

namespace Vespalba::ModuloVespalba {
namespace {

// Whole local hours sampled by the scan: 0 to 24.
constexpr int HorasMuestreadas = 25;

// Scans one class over the local day. senAltura(h) gives the sine of the
// body's altitude at whole local hour h (0 to 24); senUmbral is the sine of
// the class's threshold altitude.
template <class Muestra>
EventoClase ExploraClase(Muestra&& senAltura, double senUmbral) {
    EventoClase evento;
    int hora = 1;
    double yMenos = senAltura(hora - 1) - senUmbral;
    // Taken once, at hour 0: the only value that decides between always
    // above and always below.
    const bool arriba = yMenos > 0.0;
    do {
        const double yCero = senAltura(hora) - senUmbral;
        const double yMas = senAltura(hora + 1) - senUmbral;
        const ResultadoCuadratica q = Cuadratica(yMenos, yCero, yMas);
        if (q.nRaices == 1) {
            if (yMenos < 0.0) {
                evento.horaOrto = hora + q.raiz1;
                evento.hayOrto = true;
            } else {
                evento.horaOcaso = hora + q.raiz1;
                evento.hayOcaso = true;
            }
        } else if (q.nRaices == 2) {
            // A minimum below the threshold goes down first, then up.
            if (q.ye < 0.0) {
                evento.horaOrto = hora + q.raiz2;
                evento.horaOcaso = hora + q.raiz1;
            } else {
                evento.horaOrto = hora + q.raiz1;
                evento.horaOcaso = hora + q.raiz2;
            }
            evento.hayOrto = true;
            evento.hayOcaso = true;
        }
        yMenos = yMas;
        hora += 2;
    } while (hora != HorasMuestreadas && !(evento.hayOrto && evento.hayOcaso));

    if (evento.hayOrto || evento.hayOcaso) {
        evento.estado = EstadoClase::ConEventos;
    } else {
        evento.estado = arriba ? EstadoClase::SiempreSobre : EstadoClase::SiempreBajo;
    }
    return evento;
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
    const double senLat = SenGrad(datos.Latitud);
    const double cosLat = CosGrad(datos.Latitud);
    const double longitud = datos.Longitud;

    EventosDia eventos;
    eventos[ClaseEvento::Luna] = ExploraClase(
        [&](int hora) {
            return SenAltura(ClaseEvento::Luna, mjdMedianoche, hora, longitud, cosLat, senLat);
        },
        SenGrad(AlturaUmbral(ClaseEvento::Luna)));

    // The Sun's altitude at an hour is the same for the four Sun classes:
    // each hour is computed once, when a class first asks for it.
    std::array<double, HorasMuestreadas> senAlturaSol{};
    std::array<bool, HorasMuestreadas> calculada{};
    auto muestraSol = [&](int hora) {
        if (!calculada[hora]) {
            senAlturaSol[hora] =
                SenAltura(ClaseEvento::Sol, mjdMedianoche, hora, longitud, cosLat, senLat);
            calculada[hora] = true;
        }
        return senAlturaSol[hora];
    };
    // Every class after the Moon is one of the Sun's.
    for (std::size_t i = 1; i < Clases.size(); ++i) {
        const ClaseEvento clase = Clases[i];
        eventos[clase] = ExploraClase(muestraSol, SenGrad(AlturaUmbral(clase)));
    }
    return eventos;
}

}  // namespace Vespalba::ModuloVespalba

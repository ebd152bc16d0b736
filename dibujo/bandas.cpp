// SPDX-License-Identifier: GPL-3.0-or-later
#include "dibujo/bandas.h"

#include <algorithm>

namespace Vespalba::Dibujo {

namespace {

double Acota(double hora) { return std::clamp(hora, 0.0, 24.0); }

}  // namespace

std::vector<Tramo> TramosSobre(const ClaseDia& clase) {
    std::vector<Tramo> tramos;
    auto anade = [&](double desde, double hasta) {
        if (hasta > desde) tramos.push_back({desde, hasta});
    };
    switch (clase.estado) {
        case Estado::SiempreSobre: anade(0.0, 24.0); break;
        case Estado::SiempreBajo: break;
        case Estado::ConEventos:
            if (clase.orto && clase.ocaso) {
                const double orto = Acota(*clase.orto);
                const double ocaso = Acota(*clase.ocaso);
                if (orto < ocaso) {
                    anade(orto, ocaso);
                } else {
                    // Set before rise: up at the day's start until the set,
                    // down in between, up again from the rise to the end.
                    anade(0.0, ocaso);
                    anade(orto, 24.0);
                }
            } else if (clase.orto) {
                anade(Acota(*clase.orto), 24.0);
            } else if (clase.ocaso) {
                anade(0.0, Acota(*clase.ocaso));
            }
            break;
    }
    return tramos;
}

bool SobreUmbral(const ClaseDia& clase, double hora) {
    const std::vector<Tramo> tramos = TramosSobre(clase);
    return std::any_of(tramos.begin(), tramos.end(),
                       [hora](const Tramo& t) { return hora >= t.desde && hora < t.hasta; });
}

Banda BandaEnHora(const Dia& dia, double hora) {
    if (SobreUmbral(dia[Clase::Sol], hora)) return Banda::Dia;
    if (SobreUmbral(dia[Clase::Civil], hora)) return Banda::Civil;
    if (SobreUmbral(dia[Clase::Nautico], hora)) return Banda::Nautico;
    if (SobreUmbral(dia[Clase::Astronomico], hora)) return Banda::Astronomico;
    return Banda::Noche;
}

std::vector<Tramo> TramosEntre(const ClaseDia& bajo, const ClaseDia& alto) {
    const std::vector<Tramo> sobre = TramosSobre(alto);
    std::vector<Tramo> tramos;
    for (const Tramo& t : TramosSobre(bajo)) {
        // What is left of t once every stretch above `alto` is taken out.
        double desde = t.desde;
        for (const Tramo& s : sobre) {
            if (s.hasta <= desde || s.desde >= t.hasta) continue;
            if (s.desde > desde) tramos.push_back({desde, s.desde});
            desde = std::max(desde, s.hasta);
        }
        if (t.hasta > desde) tramos.push_back({desde, t.hasta});
    }
    return tramos;
}

std::vector<Tramo> TramosDorada(const Dia& dia) {
    if (!dia.luz) return {};
    return TramosEntre((*dia.luz)[int(UmbralLuz::Menos4)], (*dia.luz)[int(UmbralLuz::Mas6)]);
}

std::vector<Tramo> TramosAzul(const Dia& dia) {
    if (!dia.luz) return {};
    return TramosEntre((*dia.luz)[int(UmbralLuz::Menos6)], (*dia.luz)[int(UmbralLuz::Menos4)]);
}

Clase ClaseDeBanda(Banda banda) {
    switch (banda) {
        case Banda::Dia: return Clase::Sol;
        case Banda::Civil: return Clase::Civil;
        case Banda::Nautico: return Clase::Nautico;
        case Banda::Astronomico:
        case Banda::Noche: break;
    }
    return Clase::Astronomico;
}

}  // namespace Vespalba::Dibujo

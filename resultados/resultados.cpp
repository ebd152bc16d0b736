// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultados/resultados.h"

#include "astro/formato.h"

namespace Vespalba {

using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::EstadoClase;
using Vespalba::ModuloVespalba::EventoClase;
using Vespalba::ModuloVespalba::EventosDia;
using Vespalba::ModuloVespalba::HoraMinuto;

namespace {

constexpr std::array<std::string_view, NumCajas> nombresCaja = {
    "OcasoLuna",    "OrtoLuna",  "Orto",    "Ocaso",          "ComAuroraCivil",
    "FinCrepCivil", "ComAurora", "FinCrep", "ComAuroraAstro", "FinCrepAstro",
};

// Status sentence of a class without events, indexed by class 1 to 5 (0 unused).
constexpr std::array<std::string_view, 6> frasesSiempreSobre = {
    "",
    "Luna Sobre el Horizonte.",
    "Siempre Sobre el Horizonte.",
    "Siempre Brillante.",
    "Siempre Brillante.",
    "Siempre Brillante.",
};
constexpr std::array<std::string_view, 6> frasesSiempreBajo = {
    "",
    "Luna Bajo el Horizonte.",
    "Siempre Bajo el Horizonte.",
    "Obscuridad Absoluta.",
    "Obscuridad Absoluta.",
    "Obscuridad Absoluta.",
};

// Boxes of the upward and downward crossings of the Sun and twilight classes.
struct CajasClase {
    ClaseEvento clase;
    Caja orto;
    Caja ocaso;
};
constexpr CajasClase cajasSol[] = {
    {ClaseEvento::Sol, Caja::Orto, Caja::Ocaso},
    {ClaseEvento::Civil, Caja::ComAuroraCivil, Caja::FinCrepCivil},
    {ClaseEvento::Nautico, Caja::ComAurora, Caja::FinCrep},
    {ClaseEvento::Astronomico, Caja::ComAuroraAstro, Caja::FinCrepAstro},
};

}  // namespace

std::string_view NombreCaja(Caja caja) { return nombresCaja[static_cast<int>(caja)]; }

std::optional<double> HorasDeLuz(const EventosDia& eventos, double duracionDia) {
    const EventoClase& sol = eventos[ClaseEvento::Sol];
    if (sol.hayOrto && sol.hayOcaso) {
        const double entre = sol.horaOcaso - sol.horaOrto;
        // A sunset before the sunrise ends the light of the evening before
        // and the sunrise starts the light that lasts past midnight: the
        // day's light is what lies outside the two.
        return entre < 0.0 ? duracionDia + entre : entre;
    }
    if (sol.estado == EstadoClase::SiempreSobre) return 24.0;
    if (sol.estado == EstadoClase::SiempreBajo) return 0.0;
    return std::nullopt;
}

PantallaResultados ComponeResultados(const EventosDia& eventos, const EventosDia* reloj) {
    // The hours the boxes show.
    const EventosDia& mostradas = reloj ? *reloj : eventos;
    PantallaResultados p;
    for (int i = 0; i < NumCajas; ++i) {
        p.cajas[i].control = nombresCaja[i];
    }

    // Status line: a later class overwrites an earlier one.
    for (ClaseEvento clase : ModuloVespalba::Clases) {
        const int c = static_cast<int>(clase);
        const EstadoClase estado = eventos[clase].estado;
        if (estado == EstadoClase::SiempreSobre) {
            p.TextInfo = frasesSiempreSobre[c];
            p.TextInfoVisible = true;
        } else if (estado == EstadoClase::SiempreBajo) {
            p.TextInfo = frasesSiempreBajo[c];
            p.TextInfoVisible = true;
        }
    }

    // Moon: the earlier event in the upper box, each label naming its event.
    const EventoClase& luna = eventos[ClaseEvento::Luna];
    const EventoClase& lunaReloj = mostradas[ClaseEvento::Luna];
    if (luna.hayOrto && luna.hayOcaso && luna.horaOrto < luna.horaOcaso) {
        p[Caja::OcasoLuna].texto = HoraMinuto(lunaReloj.horaOrto);
        p[Caja::OrtoLuna].texto = HoraMinuto(lunaReloj.horaOcaso);
        p.Label1 = CaptionOrtoLuna;
        p.Label8 = CaptionOcasoLuna;
    } else {
        if (luna.hayOcaso) {
            p[Caja::OcasoLuna].texto = HoraMinuto(lunaReloj.horaOcaso);
        }
        if (luna.hayOrto) {
            p[Caja::OrtoLuna].texto = HoraMinuto(lunaReloj.horaOrto);
        }
        p.Label1 = CaptionOcasoLuna;
        p.Label8 = CaptionOrtoLuna;
    }

    // Sun and twilights, each event in its own box.
    for (const CajasClase& k : cajasSol) {
        const EventoClase& e = mostradas[k.clase];
        if (e.hayOrto) {
            p[k.orto].texto = HoraMinuto(e.horaOrto);
        }
        if (e.hayOcaso) {
            p[k.ocaso].texto = HoraMinuto(e.horaOcaso);
        }
    }

    // Hours of daylight; none to show when only one of sunrise and sunset
    // was found.
    if (const std::optional<double> luz = HorasDeLuz(eventos)) {
        p.HorasLuz = HoraMinuto(*luz);
    }

    // Marks for the classes without events.
    if (luna.estado == EstadoClase::SiempreSobre) {
        p[Caja::OcasoLuna].texto = MarcaNoHay;
    } else if (luna.estado == EstadoClase::SiempreBajo) {
        p[Caja::OrtoLuna].texto = MarcaBajoHorizonte;
    }
    for (const CajasClase& k : cajasSol) {
        const EstadoClase estado = eventos[k.clase].estado;
        const bool esSol = k.clase == ClaseEvento::Sol;
        if (estado == EstadoClase::SiempreSobre) {
            p[k.ocaso].texto = esSol ? MarcaNoHay : MarcaSinFin;
        } else if (estado == EstadoClase::SiempreBajo) {
            if (esSol) {
                p[k.orto].texto = MarcaBajoHorizonte;
            } else {
                p[k.orto].colorMarco = true;
            }
        }
    }
    return p;
}

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
// The present moment at a place: the part of the day, golden or blue hour,
// where the Sun and the Moon are, the Moon's light, and the next event of
// each kind. vespalba-tabla --ahora writes it; the almanac window shows it
// while the shown day is today.
#pragma once

#include <QString>

#include <vector>

#include "astro/almanaque.h"
#include "astro/posicion.h"
#include "dias/consulta.h"
#include "dias/dias.h"
#include "dias/proximo.h"

namespace Vespalba::Dias {

// The next event of a kind, with its kind.
struct Siguiente {
    TipoSuceso tipo = TipoSuceso::Orto;
    Proximo proximo;
};

struct Presente {
    Instante instante;                      // the moment, with the offset in force
    ModuloVespalba::MomentoDelDia momento;  // the Sun and the part of the day
    ModuloVespalba::PosicionHorizontal luna;
    double fraccionLuna = 0.0;  // the Moon's lit fraction now, 0 to 1
    // The stage of the Moon as the almanac gives it for the present civil day.
    ModuloVespalba::EtapaLunar etapa = ModuloVespalba::EtapaLunar::LunaNueva;
    std::chrono::sys_days hoy{};  // the present civil date
    // Sunrise, sunset, solar noon, dawn and dusk of each twilight, moonrise
    // and moonset, in that order, then the earliest principal phase.
    std::vector<Siguiente> siguientes;
};

// The present at the consulta's place and civil time (of consulta only the
// place and the zone are read), `segundos` since 1970 UT.
Presente CalculaPresente(const Consulta& consulta, qint64 segundos);

// The offset east of universal time in force at an instant, seconds, in the
// consulta's zone or at its fixed offset.
int DesfaseEn(const Consulta& consulta, qint64 segundos);

// The civil date of an instant on its clock.
std::chrono::sys_days FechaCivil(const Instante& t);

// How the texts name an event: "Fin del crepúsculo civil", "Orto de la Luna".
QString EtiquetaSuceso(TipoSuceso tipo);

// "crepúsculo civil, de tarde; hora azul".
QString TextoMomento(const ModuloVespalba::MomentoDelDia& m);

// The event as it was asked for: "ocaso", "sube --altura 40".
QString DescripcionSuceso(const Suceso& s);

// Why a search found nothing: FinDelDominio, or none in the year searched,
// up to `ultimo`.
QString SinSuceso(EstadoProximo estado, std::chrono::sys_days ultimo);

// The refusal of a search whose date or place the computation does not
// take.
QString FueraDeLoQueCalcula();

// The instant in ISO 8601 with its offset: "2026-12-11T20:46:03-03:00"
// ("+00:00" for universal time).
QString InstanteIso(const Instante& t);

// The clock time of an instant as the text table writes times: "7:04",
// "20:46" (minutes truncated).
QString HoraDeInstante(const Instante& t);

// The time left until an event, seconds, truncated to the minute: "en 3 h
// 12 min", "en 45 min", "en 2 d 3 h 0 min", "en menos de 1 min".
QString TiempoQueFalta(qint64 segundos);

}  // namespace Vespalba::Dias

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/proximo.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <vector>

#include "astro/almanaque.h"
#include "astro/dominio.h"
#include "astro/posicion.h"
#include "astro/tiempo.h"

namespace Vespalba::Dias {

using namespace std::chrono;
using ModuloVespalba::ClaseEvento;

namespace {

// Modified Julian date of 1970-01-01 00:00 UT, days.
constexpr double MjdUnix = 40587.0;

// The instant of a modified Julian date (universal time), truncated to the
// second, and back: as the day model converts them.
qint64 SegundosDeMjd(double mjd) { return qint64(std::floor((mjd - MjdUnix) * 86400.0)); }
double MjdDeSegundos(qint64 segundos) { return MjdUnix + double(segundos) / 86400.0; }

QDate AQDate(sys_days d) {
    const year_month_day f{d};
    return QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
}

constexpr sys_days PrimerDia = sys_days{year{ModuloVespalba::AnioMinimo} / January / 1};
constexpr sys_days UltimoDia = sys_days{year{ModuloVespalba::AnioMaximo} / December / 31};

// Offset east of UT, seconds, at an instant: the zone's, or the fixed one.
int DesfaseEn(qint64 segundos, const QTimeZone* zona, int fijo) {
    return zona ? zona->offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC)) : fijo;
}

// The civil date that holds an instant.
sys_days FechaDe(qint64 segundos, const QTimeZone* zona, int fijo) {
    const qint64 local = segundos + DesfaseEn(segundos, zona, fijo);
    return sys_days{days{qint64(std::floor(double(local) / 86400.0))}};
}

// The instant of grid hour `hora` of a day, truncated to the second, with
// the offset in force then (the day's own on an ordinary day).
Instante EnDia(const DiaDeBusqueda& dia, double hora, const QTimeZone* zona) {
    Instante i;
    i.segundos = dia.origen + qint64(std::floor(hora * 3600.0));
    i.desfase = dia.ordinario ? dia.desfase : DesfaseEn(i.segundos, zona, dia.desfase);
    return i;
}

// The altitude of the golden and blue hours' boundaries and of a Sun
// altitude, and whether it is crossed rising; none for the other kinds.
struct UmbralSol {
    double altura;
    bool sube;
};

std::optional<UmbralSol> Umbral(const Suceso& s) {
    using ModuloVespalba::AlturaAzulDesde;
    using ModuloVespalba::AlturaDoradaDesde;
    using ModuloVespalba::AlturaDoradaHasta;
    switch (s.tipo) {
        case TipoSuceso::InicioAzulManana: return UmbralSol{AlturaAzulDesde, true};
        case TipoSuceso::InicioDoradaManana: return UmbralSol{AlturaDoradaDesde, true};
        case TipoSuceso::FinDoradaManana: return UmbralSol{AlturaDoradaHasta, true};
        case TipoSuceso::InicioDoradaTarde: return UmbralSol{AlturaDoradaHasta, false};
        case TipoSuceso::InicioAzulTarde: return UmbralSol{AlturaDoradaDesde, false};
        case TipoSuceso::FinAzulTarde: return UmbralSol{AlturaAzulDesde, false};
        case TipoSuceso::SolSube: return UmbralSol{s.altura, true};
        case TipoSuceso::SolBaja: return UmbralSol{s.altura, false};
        default: return std::nullopt;
    }
}

// The class of the day's search and the direction (0 rise, 1 set) of the
// kinds CalculaDia gives; none for the other kinds.
struct EventoDeClase {
    ClaseEvento clase;
    int direccion;
};

std::optional<EventoDeClase> DeClase(TipoSuceso t) {
    switch (t) {
        case TipoSuceso::Orto: return EventoDeClase{ClaseEvento::Sol, 0};
        case TipoSuceso::Ocaso: return EventoDeClase{ClaseEvento::Sol, 1};
        case TipoSuceso::AuroraCivil: return EventoDeClase{ClaseEvento::Civil, 0};
        case TipoSuceso::FinCivil: return EventoDeClase{ClaseEvento::Civil, 1};
        case TipoSuceso::AuroraNautica: return EventoDeClase{ClaseEvento::Nautico, 0};
        case TipoSuceso::FinNautico: return EventoDeClase{ClaseEvento::Nautico, 1};
        case TipoSuceso::AuroraAstronomica: return EventoDeClase{ClaseEvento::Astronomico, 0};
        case TipoSuceso::FinAstronomico: return EventoDeClase{ClaseEvento::Astronomico, 1};
        case TipoSuceso::LunaOrto: return EventoDeClase{ClaseEvento::Luna, 0};
        case TipoSuceso::LunaOcaso: return EventoDeClase{ClaseEvento::Luna, 1};
        default: return std::nullopt;
    }
}

// The principal phase of the phase kinds; none for the others.
std::optional<ModuloVespalba::FaseLunar> Fase(TipoSuceso t) {
    using ModuloVespalba::FaseLunar;
    switch (t) {
        case TipoSuceso::LunaNueva: return FaseLunar::LunaNueva;
        case TipoSuceso::CuartoCreciente: return FaseLunar::CuartoCreciente;
        case TipoSuceso::LunaLlena: return FaseLunar::LunaLlena;
        case TipoSuceso::CuartoMenguante: return FaseLunar::CuartoMenguante;
        default: return std::nullopt;
    }
}

struct Nombre {
    TipoSuceso tipo;
    const char* nombre;
};

constexpr Nombre Nombres[] = {
    {TipoSuceso::Orto, "orto"},
    {TipoSuceso::Ocaso, "ocaso"},
    {TipoSuceso::Mediodia, "mediodia"},
    {TipoSuceso::AuroraCivil, "aurora-civil"},
    {TipoSuceso::FinCivil, "fin-civil"},
    {TipoSuceso::AuroraNautica, "aurora-nautica"},
    {TipoSuceso::FinNautico, "fin-nautico"},
    {TipoSuceso::AuroraAstronomica, "aurora-astronomica"},
    {TipoSuceso::FinAstronomico, "fin-astronomico"},
    {TipoSuceso::LunaOrto, "luna-orto"},
    {TipoSuceso::LunaOcaso, "luna-ocaso"},
    {TipoSuceso::LunaNueva, "luna-nueva"},
    {TipoSuceso::CuartoCreciente, "cuarto-creciente"},
    {TipoSuceso::LunaLlena, "luna-llena"},
    {TipoSuceso::CuartoMenguante, "cuarto-menguante"},
    {TipoSuceso::InicioAzulManana, "inicio-azul-manana"},
    {TipoSuceso::InicioDoradaManana, "inicio-dorada-manana"},
    {TipoSuceso::FinDoradaManana, "fin-dorada-manana"},
    {TipoSuceso::InicioDoradaTarde, "inicio-dorada-tarde"},
    {TipoSuceso::InicioAzulTarde, "inicio-azul-tarde"},
    {TipoSuceso::FinAzulTarde, "fin-azul-tarde"},
    {TipoSuceso::SolSube, "sube"},
    {TipoSuceso::SolBaja, "baja"},
};

// The first phase of the kind after `despuesDe` within [despuesDe, hasta)
// (seconds since 1970 UT).
std::optional<Instante> ProximaFase(ModuloVespalba::FaseLunar fase, qint64 despuesDe, qint64 hasta,
                                    const QTimeZone* zona, int fijo) {
    for (const ModuloVespalba::FasePrincipal& f :
         ModuloVespalba::FasesEntre(MjdDeSegundos(despuesDe), MjdDeSegundos(hasta))) {
        const qint64 s = SegundosDeMjd(f.mjd);
        if (f.fase == fase && s > despuesDe && s < hasta) {
            return Instante{s, DesfaseEn(s, zona, fijo)};
        }
    }
    return std::nullopt;
}

// The first upper meridian passage of the Sun in a civil day after
// `despuesDe`: the passages BuscaMediodia finds over the day, as CalculaDia
// takes the first of them.
std::optional<Instante> MediodiaTras(const Consulta& c, const DiaDeBusqueda& dia, qint64 despuesDe,
                                     const QTimeZone* zona) {
    using ModuloVespalba::EstadoMediodia;
    const ModuloVespalba::MediodiaSolar m = ModuloVespalba::BuscaMediodia(
        MjdDeSegundos(dia.inicio), MjdDeSegundos(dia.fin), c.latitud, c.longitud);
    if (m.estado == EstadoMediodia::SinPaso) return std::nullopt;
    for (double mjd : {m.mjd, m.mjdSegundo}) {
        if (!std::isfinite(mjd)) break;
        const qint64 s = SegundosDeMjd(mjd);
        if (s > despuesDe) return Instante{s, DesfaseEn(s, zona, dia.desfase)};
        if (m.estado != EstadoMediodia::DosPasos) break;
    }
    return std::nullopt;
}

}  // namespace

QString NombreSuceso(TipoSuceso tipo) {
    for (const Nombre& n : Nombres) {
        if (n.tipo == tipo) return QString::fromLatin1(n.nombre);
    }
    return {};
}

std::optional<TipoSuceso> TipoDeNombre(QStringView nombre) {
    for (const Nombre& n : Nombres) {
        if (nombre == QLatin1StringView(n.nombre)) return n.tipo;
    }
    return std::nullopt;
}

DiaDeBusqueda DescribeDiaDeBusqueda(const Consulta& consulta, sys_days dia, const QTimeZone* zona,
                                    const DesfasesZona* desfases) {
    DiaDeBusqueda d;
    d.fecha = dia;
    const year_month_day f{dia};
    const double mjdFecha =
        ModuloVespalba::FechaMJD(int(f.year()), unsigned(f.month()), unsigned(f.day()), 0.0);
    // The day as CalculaDia takes a day of one offset: its hour 0 at 00:00.
    auto ordinario = [&](int desfase, double zonaHoras) {
        d.ordinario = true;
        d.desfase = desfase;
        d.origen = qint64(dia.time_since_epoch().count()) * 86400 - desfase;
        d.inicio = d.origen;
        d.fin = d.origen + 86400;
        d.datos.Dia = unsigned(f.day());
        d.datos.Mes = unsigned(f.month());
        d.datos.Anio = int(f.year());
        d.datos.Fecha = f;
        d.datos.Latitud = consulta.latitud;
        d.datos.Longitud = consulta.longitud;
        d.datos.Zona = zonaHoras;
        d.intervalo.MjdOrigen = mjdFecha - zonaHoras / 24.0;
        d.intervalo.Desde = 0.0;
        d.intervalo.Hasta = 24.0;
    };
    d.intervalo.Latitud = consulta.latitud;
    d.intervalo.Longitud = consulta.longitud;
    if (consulta.zonaHoraria.isEmpty() || !zona) {
        // A fixed offset as given, as CalculaDia takes it.
        ordinario(int(std::lround(consulta.zona * 3600.0)), consulta.zona);
        return d;
    }
    const QDate fecha = AQDate(dia);
    if (desfases) {
        if (const std::optional<int> desfase = desfases->DesfaseDiaOrdinario(fecha)) {
            ordinario(*desfase, *desfase / 3600.0);
            return d;
        }
    }
    const DiaCivil civil = DescribeDia(*zona, fecha);
    if (!civil.existe) {
        d.existe = false;
        return d;
    }
    const int desfase = civil.inicio.offsetFromUtc();
    if (civil.ordinario) {
        ordinario(desfase, desfase / 3600.0);
        return d;
    }
    // A day whose clock changes: the grid of its starting offset, and the
    // civil day's span on it, as CalculaDia searches it.
    d.ordinario = false;
    d.desfase = desfase;
    d.origen = qint64(dia.time_since_epoch().count()) * 86400 - desfase;
    d.inicio = civil.inicio.toSecsSinceEpoch();
    d.fin = civil.fin.toSecsSinceEpoch();
    d.intervalo.MjdOrigen = mjdFecha - (desfase / 3600.0) / 24.0;
    d.intervalo.Desde = double(d.inicio - d.origen) / 3600.0;
    d.intervalo.Hasta = d.intervalo.Desde + double(civil.Segundos()) / 3600.0;
    return d;
}

std::array<std::optional<Instante>, 2> CrucesAlturaSol(const DiaDeBusqueda& dia,
                                                       double alturaGrados, const QTimeZone* zona) {
    std::array<std::optional<Instante>, 2> cruces;
    if (!dia.existe) return cruces;
    const ModuloVespalba::EventoClase e =
        dia.ordinario ? ModuloVespalba::BuscaAlturaSol(dia.datos, alturaGrados)
                      : ModuloVespalba::BuscaAlturaSolIntervalo(dia.intervalo, alturaGrados);
    if (e.hayOrto) cruces[0] = EnDia(dia, e.horaOrto, zona);
    if (e.hayOcaso) cruces[1] = EnDia(dia, e.horaOcaso, zona);
    return cruces;
}

Proximo BuscaProximo(const Consulta& consulta, const Suceso& suceso, qint64 despuesDe) {
    Proximo r;
    if (!std::isfinite(consulta.latitud) || !std::isfinite(consulta.longitud) ||
        !(std::fabs(consulta.latitud) < ModuloVespalba::LatitudLimite) ||
        !std::isfinite(consulta.zona)) {
        return r;
    }
    const std::optional<UmbralSol> umbral = Umbral(suceso);
    if ((suceso.tipo == TipoSuceso::SolSube || suceso.tipo == TipoSuceso::SolBaja) &&
        !(suceso.altura >= ModuloVespalba::AlturaSolMinima &&
          suceso.altura <= ModuloVespalba::AlturaSolMaxima)) {
        return r;
    }
    std::optional<QTimeZone> zonaPropia;
    if (!consulta.zonaHoraria.isEmpty()) {
        zonaPropia.emplace(consulta.zonaHoraria.toLatin1());
        if (!zonaPropia->isValid()) return r;
    }
    const QTimeZone* zona = zonaPropia ? &*zonaPropia : nullptr;
    const int fijo = int(std::lround(consulta.zona * 3600.0));

    const sys_days desde = FechaDe(despuesDe, zona, fijo);
    if (desde < PrimerDia || desde > UltimoDia) {
        r.estado = EstadoProximo::FueraDelDominio;
        return r;
    }
    const bool cortaElDominio = desde + days{DiasDeBusqueda} > UltimoDia;
    const sys_days hasta = cortaElDominio ? UltimoDia : desde + days{DiasDeBusqueda};
    r.fecha = hasta;
    r.estado = cortaElDominio ? EstadoProximo::FinDelDominio : EstadoProximo::NingunoEnUnAnio;

    if (const std::optional<ModuloVespalba::FaseLunar> fase = Fase(suceso.tipo)) {
        // The end of the last civil day searched: the next date's start.
        const qint64 fin = DescribeDiaDeBusqueda(consulta, hasta, zona).fin;
        const qint64 finSeguro =
            fin > 0 ? fin : qint64(((hasta + days{1}).time_since_epoch().count())) * 86400;
        if (const std::optional<Instante> i =
                ProximaFase(*fase, despuesDe, finSeguro, zona, fijo)) {
            r.estado = EstadoProximo::Hallado;
            r.instante = i;
            r.fecha = FechaDe(i->segundos, zona, fijo);
        }
        return r;
    }

    const std::optional<EventoDeClase> deClase = DeClase(suceso.tipo);
    std::optional<DesfasesZona> desfases;
    if (zona) desfases.emplace(*zona, AQDate(desde), AQDate(hasta));
    const DesfasesZona* porFecha = desfases ? &*desfases : nullptr;
    // The phases over the whole span at once, for CalculaDia's almanac (a
    // civil day lies within a day and a half of its date's 0 h in UT).
    std::vector<ModuloVespalba::FasePrincipal> fases;
    if (deClase) {
        const double mjdDesde = MjdUnix + double(desde.time_since_epoch().count());
        const double mjdHasta = MjdUnix + double(hasta.time_since_epoch().count());
        fases = ModuloVespalba::FasesEntre(mjdDesde - 11.5, mjdHasta + 12.5);
    }

    for (sys_days dia = desde; dia <= hasta; dia += days{1}) {
        std::optional<Instante> hallado;
        if (deClase) {
            const DiaCalculado d = CalculaDia(consulta, dia, zona, porFecha, fases);
            if (!d.existe) continue;
            const ModuloVespalba::EventoClase& e = d.eventos[deClase->clase];
            const bool hay = deClase->direccion == 0 ? e.hayOrto : e.hayOcaso;
            const Instante& i = d.instantes[std::size_t(static_cast<int>(deClase->clase) - 1)]
                                           [std::size_t(deClase->direccion)];
            if (hay && i.segundos > despuesDe) hallado = i;
        } else {
            const DiaDeBusqueda d = DescribeDiaDeBusqueda(consulta, dia, zona, porFecha);
            if (!d.existe || d.fin <= despuesDe) continue;
            if (umbral) {
                const std::optional<Instante> i =
                    CrucesAlturaSol(d, umbral->altura, zona)[umbral->sube ? 0 : 1];
                if (i && i->segundos > despuesDe) hallado = i;
            } else {  // TipoSuceso::Mediodia
                hallado = MediodiaTras(consulta, d, despuesDe, zona);
            }
        }
        if (hallado) {
            r.estado = EstadoProximo::Hallado;
            r.instante = hallado;
            r.fecha = dia;
            return r;
        }
    }
    return r;
}

std::optional<Instante> ProximoSuceso(const Consulta& lugarYZona, const Suceso& suceso,
                                      qint64 despuesDe) {
    return BuscaProximo(lugarYZona, suceso, despuesDe).instante;
}

}  // namespace Vespalba::Dias

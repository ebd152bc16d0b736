// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/dias.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "astro/tiempo.h"
#include "dias/proximo.h"

namespace Vespalba::Dias {

using namespace std::chrono;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::DatosCalculo;
using Vespalba::ModuloVespalba::EventoClase;

namespace {

QString Texto(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

// ------------------------------------------------------------ the Moon's names

int Porcentaje(double fraccion) {
    if (!std::isfinite(fraccion)) return 0;
    return int(std::lround(std::clamp(fraccion, 0.0, 1.0) * 100.0));
}

QString TextoEtapa(ModuloVespalba::EtapaLunar etapa) {
    return Texto(ModuloVespalba::NombreEtapa(etapa));
}

QString TextoFase(ModuloVespalba::FaseLunar fase) {
    return TextoEtapa(ModuloVespalba::EtapaDeFase(fase));
}

QString AbreviaturaEtapa(ModuloVespalba::EtapaLunar etapa) {
    using ModuloVespalba::EtapaLunar;
    switch (etapa) {
        case EtapaLunar::LunaNueva: return QStringLiteral("LN");
        case EtapaLunar::Creciente: return QStringLiteral("Cre");
        case EtapaLunar::CuartoCreciente: return QStringLiteral("CC");
        case EtapaLunar::GibosaCreciente: return QStringLiteral("GC");
        case EtapaLunar::LunaLlena: return QStringLiteral("LL");
        case EtapaLunar::GibosaMenguante: return QStringLiteral("GM");
        case EtapaLunar::CuartoMenguante: return QStringLiteral("CM");
        case EtapaLunar::Menguante: return QStringLiteral("Men");
    }
    return QStringLiteral("Men");
}

// ------------------------------------------- golden hour and blue hour

std::optional<MomentoLuz> LuzEspecialDia::Limite(LimiteLuz limite) const {
    const DefinicionLimiteLuz& l = LimitesLuz[std::size_t(limite)];
    const EventoClase& e = cruces[std::size_t(l.umbral)];
    const bool hay = l.direccion == 0 ? e.hayOrto : e.hayOcaso;
    if (!hay) return std::nullopt;
    return MomentoLuz{l.direccion == 0 ? e.horaOrto : e.horaOcaso,
                      instantes[std::size_t(l.umbral)][std::size_t(l.direccion)]};
}

// ---------------------------------------------------------------- computing

namespace {

// Seconds since 1970-01-01 00:00 UT of the date's 0 h at offset `desfase`
// (seconds east of UT).
qint64 MedianocheUtc(year_month_day f, int desfase) {
    return qint64(sys_days{f}.time_since_epoch().count()) * 86400 - desfase;
}

// The instant `hora` hours after `origen` (seconds since 1970 UT), truncated
// to the second.
qint64 SegundosTras(qint64 origen, double hora) {
    return origen + qint64(std::floor(hora * 3600.0));
}

// Modified Julian date of 1970-01-01 00:00 UT, days.
constexpr double MjdUnix = 40587.0;

// The instant of a modified Julian date (universal time), truncated to the
// second.
qint64 SegundosDeMjd(double mjd) { return qint64(std::floor((mjd - MjdUnix) * 86400.0)); }

double MjdDeSegundos(qint64 segundos) { return MjdUnix + double(segundos) / 86400.0; }

// A civil day's interval of universal time and its clock, for the almanac's
// quantities.
struct RelojDia {
    qint64 inicio = 0;                // the day's first instant, seconds since 1970 UT
    qint64 duracion = 0;              // its length, seconds (82800 to 90000)
    qint64 origen = 0;                // the date's 0 h at desfaseInicio, seconds since 1970 UT
    int desfaseInicio = 0;            // offset when the day starts, seconds east of UT
    qint64 mediodia = 0;              // 12:00 on the day's clock, seconds since 1970 UT
    const QTimeZone* zona = nullptr;  // none: desfaseInicio all day long
};

// An instant read on the day's clock.
Instante EnReloj(const RelojDia& r, qint64 segundos) {
    return {segundos, r.zona
                          ? r.zona->offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC))
                          : r.desfaseInicio};
}

// Wall-clock hours after the date's 0 h of the instant `mjd` (universal
// time), read with the offset `desfase` in force then.
double HoraEnReloj(const RelojDia& r, double mjd, int desfase) {
    return (mjd - MjdDeSegundos(r.origen)) * 24.0 + (desfase - r.desfaseInicio) / 3600.0;
}

// The principal phases a day's stage and phase are read from: from ten days
// before the interval [mjdDesde, mjdHasta) to ten days after it, a little
// more than a quarter of a lunation on either side.
std::vector<ModuloVespalba::FasePrincipal> FasesAlrededor(double mjdDesde, double mjdHasta) {
    constexpr double margen = 10.0;  // days
    return ModuloVespalba::FasesEntre(mjdDesde - margen, mjdHasta + margen);
}

// Solar noon, the Moon's light and phase of a civil day (all but the change
// of daylight, which needs the day before).
void CompletaAlmanaque(const Consulta& consulta, DiaCalculado& d, const RelojDia& r,
                       std::span<const ModuloVespalba::FasePrincipal> fases) {
    using namespace ModuloVespalba;
    AlmanaqueDia& a = d.almanaque;
    const double mjdInicio = MjdDeSegundos(r.inicio);
    const double mjdFin = MjdDeSegundos(r.inicio + r.duracion);

    const MediodiaSolar mediodia =
        BuscaMediodia(mjdInicio, mjdFin, consulta.latitud, consulta.longitud);
    if (mediodia.estado != EstadoMediodia::SinPaso && std::isfinite(mediodia.mjd)) {
        a.mediodia = EnReloj(r, SegundosDeMjd(mediodia.mjd));
        a.horaMediodia = HoraEnReloj(r, mediodia.mjd, a.mediodia.desfase);
        a.alturaMediodia = mediodia.altura;
    }

    const IluminacionLunar luz = IluminacionLuna(MjdDeSegundos(r.mediodia));
    a.fraccionLuna = luz.fraccion;
    a.lunaCreciente = luz.creciente;

    std::vector<FasePrincipal> propias;
    if (fases.empty()) {
        propias = FasesAlrededor(mjdInicio, mjdFin);
        fases = propias;
    }
    if (const std::optional<EtapaLunar> etapa = EtapaDelDia(fases, mjdInicio, mjdFin)) {
        a.etapa = *etapa;
    }
    for (const FasePrincipal& f : fases) {
        if (EnDiaCivil(f.mjd, mjdInicio, mjdFin)) {
            FaseDelDia fase;
            fase.fase = f.fase;
            fase.instante = EnReloj(r, SegundosDeMjd(f.mjd));
            fase.hora = HoraEnReloj(r, f.mjd, fase.instante.desfase);
            fase.fraccion = IluminacionLuna(f.mjd).fraccion;
            a.fase = fase;
            break;
        }
    }
}

// The golden and blue hours of a civil day from its search's inputs: on a
// day of one offset (`datos` given) BuscaAlturaSol, on a day whose clock
// changes BuscaAlturaSolIntervalo over `intervalo`, on the grid whose hour
// 0 is `origen` (seconds since 1970 UT) at `desfaseInicio`. `civil`, when
// given, is the civil class the day's search found on that grid (grid
// hours): the search at -6 degrees gives it to the bit, so it is not run
// again. Each crossing is read on the clock in force at its instant (the
// zone's on a day whose clock changes), as CalculaDia reads the events.
LuzEspecialDia BuscaLuzEspecial(const DatosCalculo* datos,
                                const ModuloVespalba::DiaIntervalo& intervalo, qint64 origen,
                                int desfaseInicio, const QTimeZone* zona,
                                const EventoClase* civil) {
    LuzEspecialDia luz;
    for (std::size_t u = 0; u < AlturasLuzEspecial.size(); ++u) {
        const double altura = AlturasLuzEspecial[u];
        EventoClase e;
        if (u == 0 && civil) {
            e = *civil;
        } else if (datos) {
            e = ModuloVespalba::BuscaAlturaSol(*datos, altura);
        } else {
            e = ModuloVespalba::BuscaAlturaSolIntervalo(intervalo, altura);
        }
        auto reloj = [&](bool hay, double& hora, Instante& instante) {
            if (!hay) return;
            instante.segundos = SegundosTras(origen, hora);
            instante.desfase = datos || !zona ? desfaseInicio
                                              : zona->offsetFromUtc(QDateTime::fromSecsSinceEpoch(
                                                    instante.segundos, Qt::UTC));
            hora += (instante.desfase - desfaseInicio) / 3600.0;
        };
        reloj(e.hayOrto, e.horaOrto, luz.instantes[u][0]);
        reloj(e.hayOcaso, e.horaOcaso, luz.instantes[u][1]);
        luz.cruces[u] = e;
    }
    return luz;
}

// Whether a day is computed with its almanac (solar noon, the Moon's light
// and phase) or with its events only, as the change of daylight needs the
// day before.
enum class Alcance { Completo, SoloEventos };

// The search of a day of one fixed offset, `desfase` seconds east of UT:
// what the window computes for that date and zone.
void CalculaDiaFijo(const Consulta& consulta, DiaCalculado& d, int desfase,
                    std::span<const ModuloVespalba::FasePrincipal> fases, Alcance alcance) {
    DatosCalculo datos;
    datos.Dia = unsigned(d.fecha.day());
    datos.Mes = unsigned(d.fecha.month());
    datos.Anio = int(d.fecha.year());
    datos.Fecha = d.fecha;
    datos.Latitud = consulta.latitud;
    datos.Longitud = consulta.longitud;
    // A fixed offset as given; a zone's offset of whole seconds as hours
    // (quarter hours are exact in binary, so --zona -3.5 gives the same).
    datos.Zona = consulta.zonaHoraria.isEmpty() ? consulta.zona : desfase / 3600.0;
    d.desfase = desfase;
    d.eventos = ModuloVespalba::BuscaEventos(datos);
    d.pantalla = ComponeResultados(d.eventos);
    d.horasLuz = HorasDeLuz(d.eventos);
    const qint64 origen = MedianocheUtc(d.fecha, desfase);
    for (std::size_t c = 0; c < d.eventos.clases.size(); ++c) {
        const EventoClase& e = d.eventos.clases[c];
        d.instantes[c][0] = {SegundosTras(origen, e.horaOrto), desfase};
        d.instantes[c][1] = {SegundosTras(origen, e.horaOcaso), desfase};
    }
    if (alcance == Alcance::SoloEventos) return;
    if (consulta.luzEspecial) {
        ModuloVespalba::DiaIntervalo sinUso;
        d.luzEspecial = BuscaLuzEspecial(&datos, sinUso, origen, desfase, nullptr,
                                         &d.eventos[ClaseEvento::Civil]);
    }
    RelojDia reloj;
    reloj.inicio = origen;
    reloj.duracion = 86400;
    reloj.origen = origen;
    reloj.desfaseInicio = desfase;
    reloj.mediodia = origen + 43200;
    CompletaAlmanaque(consulta, d, reloj, fases);
}

// A civil day with a clock change (or not starting at 0 h, or not lasting 24
// hours): one search over the whole civil day, on the hour grid of the
// offset in force when the day starts; each event is then read on the clock
// in force at its instant.
void CalculaDiaConCambio(const Consulta& consulta, DiaCalculado& d, const QTimeZone& zona,
                         const DiaCivil& civil,
                         std::span<const ModuloVespalba::FasePrincipal> fases, Alcance alcance) {
    const int desfaseInicio = civil.inicio.offsetFromUtc();
    const qint64 origen = MedianocheUtc(d.fecha, desfaseInicio);
    ModuloVespalba::DiaIntervalo intervalo;
    intervalo.Latitud = consulta.latitud;
    intervalo.Longitud = consulta.longitud;
    intervalo.MjdOrigen = ModuloVespalba::FechaMJD(int(d.fecha.year()), unsigned(d.fecha.month()),
                                                   unsigned(d.fecha.day()), 0.0) -
                          (desfaseInicio / 3600.0) / 24.0;
    intervalo.Desde = double(civil.inicio.toSecsSinceEpoch() - origen) / 3600.0;
    intervalo.Hasta = intervalo.Desde + double(civil.Segundos()) / 3600.0;
    const ModuloVespalba::EventosDia rejilla = ModuloVespalba::BuscaEventosIntervalo(intervalo);

    d.desfase = desfaseInicio;
    d.eventos = rejilla;
    for (std::size_t c = 0; c < rejilla.clases.size(); ++c) {
        const EventoClase& e = rejilla.clases[c];
        auto reloj = [&](bool hay, double hora, double& enReloj, Instante& instante) {
            if (!hay) return;
            instante.segundos = SegundosTras(origen, hora);
            instante.desfase =
                zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(instante.segundos, Qt::UTC));
            enReloj = hora + (instante.desfase - desfaseInicio) / 3600.0;
        };
        reloj(e.hayOrto, e.horaOrto, d.eventos.clases[c].horaOrto, d.instantes[c][0]);
        reloj(e.hayOcaso, e.horaOcaso, d.eventos.clases[c].horaOcaso, d.instantes[c][1]);
    }
    // Order and elapsed daylight from the instants, texts from the clock.
    d.pantalla = ComponeResultados(rejilla, &d.eventos);
    d.horasLuz = HorasDeLuz(rejilla, double(civil.Segundos()) / 3600.0);
    const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                      int(unsigned(d.fecha.day())));
    for (const QTimeZone::OffsetData& cambio : civil.cambios) {
        d.cambios << NotaCambio(zona, fecha, cambio);
    }
    if (alcance == Alcance::SoloEventos) return;
    if (consulta.luzEspecial) {
        d.luzEspecial = BuscaLuzEspecial(nullptr, intervalo, origen, desfaseInicio, &zona,
                                         &rejilla[ClaseEvento::Civil]);
    }
    RelojDia reloj;
    reloj.inicio = civil.inicio.toSecsSinceEpoch();
    reloj.duracion = civil.Segundos();
    reloj.origen = origen;
    reloj.desfaseInicio = desfaseInicio;
    // 12:00 on the day's clock; a noon the clock skips reads as the hour
    // after it, as QDateTime places a time that does not exist.
    reloj.mediodia = QDateTime(fecha, QTime(12, 0), zona).toSecsSinceEpoch();
    reloj.zona = &zona;
    CompletaAlmanaque(consulta, d, reloj, fases);
}

DiaCalculado CalculaDiaConAlcance(const Consulta& consulta, sys_days dia, const QTimeZone* zona,
                                  const DesfasesZona* desfases,
                                  std::span<const ModuloVespalba::FasePrincipal> fases,
                                  Alcance alcance) {
    DiaCalculado d;
    d.fecha = year_month_day{dia};
    if (consulta.zonaHoraria.isEmpty()) {
        CalculaDiaFijo(consulta, d, int(std::lround(consulta.zona * 3600.0)), fases, alcance);
        return d;
    }
    const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                      int(unsigned(d.fecha.day())));
    if (desfases) {
        if (const std::optional<int> desfase = desfases->DesfaseDiaOrdinario(fecha)) {
            CalculaDiaFijo(consulta, d, *desfase, fases, alcance);
            return d;
        }
    }
    const QTimeZone propia = zona ? QTimeZone() : QTimeZone(consulta.zonaHoraria.toLatin1());
    const QTimeZone& z = zona ? *zona : propia;
    const DiaCivil civil = DescribeDia(z, fecha);
    if (!civil.existe) {
        d.existe = false;
        return d;
    }
    if (civil.ordinario) {
        CalculaDiaFijo(consulta, d, civil.inicio.offsetFromUtc(), fases, alcance);
    } else {
        CalculaDiaConCambio(consulta, d, z, civil, fases, alcance);
    }
    return d;
}

// A day's hours of daylight when it has both a sunrise and a sunset.
std::optional<double> LuzCompleta(const DiaCalculado& d) {
    const EventoClase& sol = d.eventos[ClaseEvento::Sol];
    if (!d.existe || !sol.hayOrto || !sol.hayOcaso || !d.horasLuz || !std::isfinite(*d.horasLuz)) {
        return std::nullopt;
    }
    return d.horasLuz;
}

}  // namespace

DiaCalculado CalculaDia(const Consulta& consulta, sys_days dia, const QTimeZone* zona,
                        const DesfasesZona* desfases,
                        std::span<const ModuloVespalba::FasePrincipal> fases) {
    return CalculaDiaConAlcance(consulta, dia, zona, desfases, fases, Alcance::Completo);
}

void CompletaLuzEspecial(const Consulta& consulta, DiaCalculado& dia, const QTimeZone* zona) {
    if (!dia.existe) return;
    const QTimeZone propia = zona || consulta.zonaHoraria.isEmpty()
                                 ? QTimeZone()
                                 : QTimeZone(consulta.zonaHoraria.toLatin1());
    const QTimeZone* z = zona ? zona : propia.isValid() ? &propia : nullptr;
    const DiaDeBusqueda b = DescribeDiaDeBusqueda(consulta, sys_days{dia.fecha}, z);
    if (!b.existe) return;
    dia.luzEspecial = BuscaLuzEspecial(b.ordinario ? &b.datos : nullptr, b.intervalo, b.origen,
                                       b.desfase, z, nullptr);
}

std::vector<DiaCalculado> CalculaDias(const Consulta& consulta, sys_days desde, sys_days hasta) {
    std::vector<DiaCalculado> dias;
    if (hasta < desde) {
        return dias;
    }
    const QTimeZone zona =
        consulta.zonaHoraria.isEmpty() ? QTimeZone() : QTimeZone(consulta.zonaHoraria.toLatin1());
    auto aQDate = [](sys_days d) {
        const year_month_day f{d};
        return QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
    };
    const std::optional<DesfasesZona> desfases =
        zona.isValid()
            ? std::optional<DesfasesZona>(std::in_place, zona, aQDate(desde), aQDate(hasta))
            : std::nullopt;
    // The phases of the whole range at once (a civil day lies within a day
    // and a half of its date's 0 h in universal time).
    const auto mjd = [](sys_days d) { return MjdUnix + double(d.time_since_epoch().count()); };
    const std::vector<ModuloVespalba::FasePrincipal> fases =
        FasesAlrededor(mjd(desde) - 1.5, mjd(hasta) + 2.5);
    const QTimeZone* z = zona.isValid() ? &zona : nullptr;
    const DesfasesZona* porFecha = desfases ? &*desfases : nullptr;
    // Of the day before, only its sunrise and sunset.
    const DiaCalculado antes =
        CalculaDiaConAlcance(consulta, desde - days{1}, z, nullptr, {}, Alcance::SoloEventos);
    std::optional<double> luzAnterior = LuzCompleta(antes);
    int desfaseAnterior = antes.desfase;
    dias.reserve(std::size_t((hasta - desde).count() + 1));
    for (sys_days d = desde; d <= hasta; d += days{1}) {
        DiaCalculado dia = CalculaDia(consulta, d, z, porFecha, fases);
        const std::optional<double> luz = LuzCompleta(dia);
        if (dia.existe && dia.desfase != desfaseAnterior) {
            // The day starts on another offset than the day before: its
            // hourly samples fall at other instants, and the search's
            // interpolation error (up to about half a minute in the
            // daylight) would show in the difference. The day before is
            // searched again on this day's offset, so both are sampled
            // alike, as on any two days of one offset.
            Consulta fija = consulta;
            fija.zonaHoraria.clear();
            fija.zona = dia.desfase / 3600.0;
            luzAnterior = LuzCompleta(CalculaDiaConAlcance(fija, d - days{1}, nullptr, nullptr, {},
                                                           Alcance::SoloEventos));
        }
        if (luz && luzAnterior) {
            // Truncated toward zero, like every time shown.
            dia.almanaque.cambioLuz = qint64(std::trunc((*luz - *luzAnterior) * 3600.0));
        }
        desfaseAnterior = dia.desfase;
        luzAnterior = luz;
        dias.push_back(std::move(dia));
    }
    return dias;
}

std::vector<DiaCalculado> CalculaDias(const Consulta& consulta) {
    return CalculaDias(consulta, consulta.desde, consulta.hasta);
}

}  // namespace Vespalba::Dias

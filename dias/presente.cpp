// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/presente.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <cstdlib>
#include <optional>

#include "astro/dominio.h"
#include "dias/celdas.h"

namespace Vespalba::Dias {

using namespace std::chrono;

namespace {

constexpr double MjdUnix = 40587.0;  // 1970-01-01 00:00 UT, modified Julian date

// The part of the day as the texts name it.
QString TextoParte(ModuloVespalba::ParteDelDia parte) {
    using ModuloVespalba::ParteDelDia;
    switch (parte) {
        case ParteDelDia::Noche: return QStringLiteral("noche");
        case ParteDelDia::CrepusculoAstronomico: return QStringLiteral("crepúsculo astronómico");
        case ParteDelDia::CrepusculoNautico: return QStringLiteral("crepúsculo náutico");
        case ParteDelDia::CrepusculoCivil: return QStringLiteral("crepúsculo civil");
        case ParteDelDia::Dia: return QStringLiteral("día");
    }
    return {};
}

}  // namespace

int DesfaseEn(const Consulta& consulta, qint64 segundos) {
    if (consulta.zonaHoraria.isEmpty()) return int(std::lround(consulta.zona * 3600.0));
    const QTimeZone zona(consulta.zonaHoraria.toLatin1());
    return zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC));
}

sys_days FechaCivil(const Instante& t) {
    return floor<days>(sys_seconds{seconds{t.segundos + t.desfase}});
}

QString EtiquetaSuceso(TipoSuceso tipo) {
    switch (tipo) {
        case TipoSuceso::Orto: return QStringLiteral("Orto");
        case TipoSuceso::Ocaso: return QStringLiteral("Ocaso");
        case TipoSuceso::Mediodia: return QStringLiteral("Mediodía");
        case TipoSuceso::AuroraCivil: return QStringLiteral("Aurora civil");
        case TipoSuceso::FinCivil: return QStringLiteral("Fin del crepúsculo civil");
        case TipoSuceso::AuroraNautica: return QStringLiteral("Aurora náutica");
        case TipoSuceso::FinNautico: return QStringLiteral("Fin del crepúsculo náutico");
        case TipoSuceso::AuroraAstronomica: return QStringLiteral("Aurora astronómica");
        case TipoSuceso::FinAstronomico: return QStringLiteral("Fin del crepúsculo astronómico");
        case TipoSuceso::LunaOrto: return QStringLiteral("Orto de la Luna");
        case TipoSuceso::LunaOcaso: return QStringLiteral("Ocaso de la Luna");
        case TipoSuceso::LunaNueva: return QStringLiteral("Luna nueva");
        case TipoSuceso::CuartoCreciente: return QStringLiteral("Cuarto creciente");
        case TipoSuceso::LunaLlena: return QStringLiteral("Luna llena");
        case TipoSuceso::CuartoMenguante: return QStringLiteral("Cuarto menguante");
        case TipoSuceso::InicioAzulManana:
            return QStringLiteral("Inicio de la hora azul de mañana");
        case TipoSuceso::InicioDoradaManana:
            return QStringLiteral("Inicio de la hora dorada de mañana");
        case TipoSuceso::FinDoradaManana: return QStringLiteral("Fin de la hora dorada de mañana");
        case TipoSuceso::InicioDoradaTarde:
            return QStringLiteral("Inicio de la hora dorada de tarde");
        case TipoSuceso::InicioAzulTarde: return QStringLiteral("Inicio de la hora azul de tarde");
        case TipoSuceso::FinAzulTarde: return QStringLiteral("Fin de la hora azul de tarde");
        case TipoSuceso::SolSube: return QStringLiteral("El Sol sube");
        case TipoSuceso::SolBaja: return QStringLiteral("El Sol baja");
    }
    return {};
}

QString TextoMomento(const ModuloVespalba::MomentoDelDia& m) {
    QString parte = TextoParte(m.parte) +
                    (m.manana ? QStringLiteral(", de mañana") : QStringLiteral(", de tarde"));
    if (m.luz == ModuloVespalba::LuzEspecial::Dorada) parte += QStringLiteral("; hora dorada");
    if (m.luz == ModuloVespalba::LuzEspecial::Azul) parte += QStringLiteral("; hora azul");
    return parte;
}

Presente CalculaPresente(const Consulta& consulta, qint64 segundos) {
    Presente p;
    p.instante = {segundos, DesfaseEn(consulta, segundos)};
    const double mjd = MjdUnix + double(segundos) / 86400.0;
    p.momento = ModuloVespalba::MomentoDelDiaEn(mjd, consulta.latitud, consulta.longitud);
    p.luna = ModuloVespalba::PosicionLuna(mjd, consulta.latitud, consulta.longitud);
    p.fraccionLuna = ModuloVespalba::IluminacionLuna(mjd).fraccion;
    // The stage of the Moon as the almanac gives it for today.
    p.hoy = FechaCivil(p.instante);
    p.etapa = CalculaDia(consulta, p.hoy).almanaque.etapa;
    for (TipoSuceso tipo :
         {TipoSuceso::Orto, TipoSuceso::Ocaso, TipoSuceso::Mediodia, TipoSuceso::AuroraCivil,
          TipoSuceso::FinCivil, TipoSuceso::AuroraNautica, TipoSuceso::FinNautico,
          TipoSuceso::AuroraAstronomica, TipoSuceso::FinAstronomico, TipoSuceso::LunaOrto,
          TipoSuceso::LunaOcaso}) {
        p.siguientes.push_back({tipo, BuscaProximo(consulta, {tipo}, segundos)});
    }
    // The principal phases: the earliest of the four.
    std::optional<Siguiente> fase;
    for (TipoSuceso tipo : {TipoSuceso::LunaNueva, TipoSuceso::CuartoCreciente,
                            TipoSuceso::LunaLlena, TipoSuceso::CuartoMenguante}) {
        const Siguiente s{tipo, BuscaProximo(consulta, {tipo}, segundos)};
        if (!fase) {
            fase = s;
        } else if (s.proximo.instante &&
                   (!fase->proximo.instante ||
                    s.proximo.instante->segundos < fase->proximo.instante->segundos)) {
            fase = s;
        }
    }
    p.siguientes.push_back(*fase);
    return p;
}

QString DescripcionSuceso(const Suceso& s) {
    if (s.tipo == TipoSuceso::SolSube || s.tipo == TipoSuceso::SolBaja) {
        return QStringLiteral("%1 --altura %2")
            .arg(NombreSuceso(s.tipo), QString::number(s.altura));
    }
    return NombreSuceso(s.tipo);
}

QString SinSuceso(EstadoProximo estado, sys_days ultimo) {
    if (estado == EstadoProximo::FinDelDominio) {
        return QStringLiteral(
                   "no ocurre hasta el 31 de diciembre de %1; el próximo sería después del 31 "
                   "de diciembre de %1, fuera de lo que calcula")
            .arg(ModuloVespalba::AnioMaximo);
    }
    return QStringLiteral("no ocurre en los %1 días que siguen a hoy (hasta el %2)")
        .arg(DiasDeBusqueda)
        .arg(FechaIso(year_month_day{ultimo}));
}

QString FueraDeLoQueCalcula() {
    return QStringLiteral(
               "la fecha de hoy o el lugar quedan fuera de lo que se calcula (años %1 a %2, "
               "latitud menor que %3 grados)")
        .arg(ModuloVespalba::AnioMinimo)
        .arg(ModuloVespalba::AnioMaximo)
        .arg(ModuloVespalba::LatitudLimite);
}

QString InstanteIso(const Instante& t) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(t.segundos + t.desfase, Qt::UTC);
    const int minutos = std::abs(t.desfase) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(t.desfase < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutos / 60, 2, 10, QLatin1Char('0'))
               .arg(minutos % 60, 2, 10, QLatin1Char('0'));
}

QString HoraDeInstante(const Instante& t) {
    // Seconds since the civil date's 0 h; half a second more keeps the
    // truncation of the minutes clear of rounding in the division.
    const qint64 delDia = ((t.segundos + t.desfase) % 86400 + 86400) % 86400;
    return HoraDeReloj((double(delDia) + 0.5) / 3600.0);
}

QString TiempoQueFalta(qint64 segundos) {
    if (segundos < 60) return QStringLiteral("en menos de 1 min");
    const qint64 minutos = segundos / 60;
    const qint64 d = minutos / 1440, h = minutos / 60 % 24, min = minutos % 60;
    if (d > 0) return QStringLiteral("en %1 d %2 h %3 min").arg(d).arg(h).arg(min);
    if (h > 0) return QStringLiteral("en %1 h %2 min").arg(h).arg(min);
    return QStringLiteral("en %1 min").arg(min);
}

}  // namespace Vespalba::Dias

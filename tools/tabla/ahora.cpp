// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tabla/ahora.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTimeZone>

#include <chrono>
#include <cmath>
#include <optional>
#include <vector>

#include "astro/almanaque.h"
#include "astro/dominio.h"
#include "dias/celdas.h"
#include "dias/proximo.h"
#include "places/nombres.h"

namespace Vespalba::Tabla {

namespace {

using namespace std::chrono;
using Dias::EstadoProximo;
using Dias::Instante;
using Dias::TipoSuceso;

constexpr double MjdUnix = 40587.0;  // 1970-01-01 00:00 UT, modified Julian date
constexpr int SalidaDatoInvalido = 2;

// The offset east of universal time in force at an instant, seconds.
int DesfaseEn(const Peticion& p, qint64 segundos) {
    if (p.zonaHoraria.isEmpty()) return int(std::lround(p.zona * 3600.0));
    const QTimeZone zona(p.zonaHoraria.toLatin1());
    return zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC));
}

// The civil date of an instant on its clock.
sys_days FechaCivil(const Instante& t) {
    return floor<days>(sys_seconds{seconds{t.segundos + t.desfase}});
}

// A number for the JSON output, rounded to `decimales` (no NaN reaches it:
// the positions are finite for finite inputs, and null is written otherwise).
QJsonValue Numero(double v, int decimales) {
    if (!std::isfinite(v)) return QJsonValue(QJsonValue::Null);
    const double escala = std::pow(10.0, decimales);
    return std::round(v * escala) / escala + 0.0;
}

// Degrees with one decimal, for the text: "-4.5°".
QString Grados(double v) { return QString::number(v, 'f', 1) + QStringLiteral("°"); }

// How each event is named in the text.
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

// The event as --proximo was given: "ocaso", "sube --altura 40".
QString DescripcionSuceso(const Dias::Suceso& s) {
    if (s.tipo == TipoSuceso::SolSube || s.tipo == TipoSuceso::SolBaja) {
        return QStringLiteral("%1 --altura %2")
            .arg(Dias::NombreSuceso(s.tipo), QString::number(s.altura));
    }
    return Dias::NombreSuceso(s.tipo);
}

// Why a search found nothing.
QString SinSuceso(const Dias::Proximo& p) {
    if (p.estado == EstadoProximo::FinDelDominio) {
        return QStringLiteral(
                   "no ocurre hasta el 31 de diciembre de %1; el próximo sería después del 31 "
                   "de diciembre de %1, fuera de lo que calcula")
            .arg(ModuloVespalba::AnioMaximo);
    }
    return QStringLiteral("no ocurre en los %1 días que siguen a hoy (hasta el %2)")
        .arg(Dias::DiasDeBusqueda)
        .arg(Dias::FechaIso(year_month_day{p.fecha}));
}

// The part of the day as the text names it.
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

// The stage of the Moon as data names it: "gibosa-creciente".
QString NombreDeEtapa(ModuloVespalba::EtapaLunar etapa) {
    return NombreComparable(Dias::TextoEtapa(etapa)).replace(QLatin1Char(' '), QLatin1Char('-'));
}

// The next event of a kind, with its name.
struct Siguiente {
    TipoSuceso tipo = TipoSuceso::Orto;
    Dias::Proximo proximo;
};

// The events --ahora lists, and the next principal phase.
std::vector<Siguiente> Siguientes(const Peticion& p) {
    std::vector<Siguiente> lista;
    for (TipoSuceso tipo :
         {TipoSuceso::Orto, TipoSuceso::Ocaso, TipoSuceso::Mediodia, TipoSuceso::AuroraCivil,
          TipoSuceso::FinCivil, TipoSuceso::AuroraNautica, TipoSuceso::FinNautico,
          TipoSuceso::AuroraAstronomica, TipoSuceso::FinAstronomico, TipoSuceso::LunaOrto,
          TipoSuceso::LunaOcaso}) {
        lista.push_back({tipo, Dias::BuscaProximo(p, {tipo}, p.instante)});
    }
    // The principal phases: the earliest of the four.
    std::optional<Siguiente> fase;
    for (TipoSuceso tipo : {TipoSuceso::LunaNueva, TipoSuceso::CuartoCreciente,
                            TipoSuceso::LunaLlena, TipoSuceso::CuartoMenguante}) {
        const Siguiente s{tipo, Dias::BuscaProximo(p, {tipo}, p.instante)};
        if (!fase) {
            fase = s;
        } else if (s.proximo.instante &&
                   (!fase->proximo.instante ||
                    s.proximo.instante->segundos < fase->proximo.instante->segundos)) {
            fase = s;
        }
    }
    lista.push_back(*fase);
    return lista;
}

Respuesta Ahora(const Peticion& p) {
    const Instante ahora{p.instante, DesfaseEn(p, p.instante)};
    const double mjd = MjdUnix + double(p.instante) / 86400.0;
    const ModuloVespalba::MomentoDelDia m =
        ModuloVespalba::MomentoDelDiaEn(mjd, p.latitud, p.longitud);
    const ModuloVespalba::PosicionHorizontal luna =
        ModuloVespalba::PosicionLuna(mjd, p.latitud, p.longitud);
    const ModuloVespalba::IluminacionLunar luz = ModuloVespalba::IluminacionLuna(mjd);
    // The stage of the Moon as the table gives it for today.
    const sys_days hoy = FechaCivil(ahora);
    const Dias::DiaCalculado dia = Dias::CalculaDia(p, hoy);
    const std::vector<Siguiente> siguientes = Siguientes(p);

    Respuesta r;
    if (QLatin1String(p.formato->nombre) == QLatin1String("json")) {
        QJsonObject proximos;
        for (const Siguiente& s : siguientes) {
            QJsonObject o;
            if (s.proximo.instante) {
                o.insert(QStringLiteral("instante"), InstanteIso(*s.proximo.instante));
                o.insert(QStringLiteral("hora"), HoraDeInstante(*s.proximo.instante));
            } else {
                o.insert(QStringLiteral("instante"), QJsonValue(QJsonValue::Null));
                o.insert(QStringLiteral("hora"), QJsonValue(QJsonValue::Null));
            }
            proximos.insert(Dias::NombreSuceso(s.tipo), o);
        }
        const QJsonObject sol{{QStringLiteral("altura"), Numero(m.sol.altura, 2)},
                              {QStringLiteral("azimut"), Numero(m.sol.azimut, 2)}};
        const QJsonObject lunaJson{{QStringLiteral("altura"), Numero(luna.altura, 2)},
                                   {QStringLiteral("azimut"), Numero(luna.azimut, 2)}};
        const QJsonObject objeto{
            {QStringLiteral("instante"), InstanteIso(ahora)},
            {QStringLiteral("hora"), HoraDeInstante(ahora)},
            {QStringLiteral("sol"), sol},
            {QStringLiteral("luna"), lunaJson},
            {QStringLiteral("parte_del_dia"),
             QString::fromLatin1(ModuloVespalba::NombreParteDelDia(m.parte))},
            {QStringLiteral("manana"), m.manana},
            {QStringLiteral("hora_dorada"), m.luz == ModuloVespalba::LuzEspecial::Dorada},
            {QStringLiteral("hora_azul"), m.luz == ModuloVespalba::LuzEspecial::Azul},
            {QStringLiteral("luna_fraccion"), Numero(luz.fraccion, 3)},
            {QStringLiteral("luna_fase"), NombreDeEtapa(dia.almanaque.etapa)},
            {QStringLiteral("proximos"), proximos},
        };
        r.salida = QJsonDocument(objeto).toJson(QJsonDocument::Indented);
        return r;
    }

    QString t;
    const QString nombre = Dias::NombreDelLugar(p);
    t += QStringLiteral("Lugar: %1%2; zona %3\n")
             .arg(nombre.isEmpty() ? QString() : nombre + QStringLiteral(", "),
                  Dias::TextoCoordenadas(p), Dias::NombreDeZona(p));
    t += QStringLiteral("Ahora: %1 (%2)\n").arg(InstanteIso(ahora), HoraDeInstante(ahora));
    QString parte = TextoParte(m.parte) +
                    (m.manana ? QStringLiteral(", de mañana") : QStringLiteral(", de tarde"));
    if (m.luz == ModuloVespalba::LuzEspecial::Dorada) parte += QStringLiteral("; hora dorada");
    if (m.luz == ModuloVespalba::LuzEspecial::Azul) parte += QStringLiteral("; hora azul");
    t += QStringLiteral("Parte del día: %1\n").arg(parte);
    t += QStringLiteral("Sol: altura %1, azimut %2\n")
             .arg(Grados(m.sol.altura), Grados(m.sol.azimut));
    t += QStringLiteral("Luna: altura %1, azimut %2; iluminada %3 %, %4\n")
             .arg(Grados(luna.altura), Grados(luna.azimut))
             .arg(Dias::Porcentaje(luz.fraccion))
             .arg(Dias::TextoEtapa(dia.almanaque.etapa));
    t += QStringLiteral("Próximos:\n");
    for (const Siguiente& s : siguientes) {
        QString linea = QStringLiteral("  %1").arg(EtiquetaSuceso(s.tipo), -32);
        if (s.proximo.instante) {
            const Instante& e = *s.proximo.instante;
            linea += QStringLiteral("%1  %2")
                         .arg(HoraDeInstante(e), 5)
                         .arg(TiempoQueFalta(e.segundos - p.instante));
            if (FechaCivil(e) != hoy) {
                linea += QStringLiteral(" (%1)").arg(Dias::FechaIso(year_month_day{FechaCivil(e)}));
            }
        } else {
            linea += SinSuceso(s.proximo);
        }
        t += linea + QLatin1Char('\n');
    }
    r.salida = t.toUtf8();
    return r;
}

Respuesta Si(const Peticion& p) {
    const double mjd = MjdUnix + double(p.instante) / 86400.0;
    Respuesta r;
    r.estado =
        CumpleCondicion(p.condicion, ModuloVespalba::MomentoDelDiaEn(mjd, p.latitud, p.longitud))
            ? 0
            : SalidaNo;
    return r;
}

Respuesta Proximo(const Peticion& p) {
    const Dias::Proximo hallado = Dias::BuscaProximo(p, p.suceso, p.instante);
    Respuesta r;
    const QString evento = DescripcionSuceso(p.suceso);
    if (hallado.estado == EstadoProximo::FueraDelDominio ||
        hallado.estado == EstadoProximo::DatosNoValidos) {
        r.estado = SalidaDatoInvalido;
        r.mensaje = QStringLiteral(
                        "--proximo %1: la fecha de hoy o el lugar quedan fuera de lo "
                        "que se calcula (años %2 a %3, latitud menor que %4 grados)")
                        .arg(evento)
                        .arg(ModuloVespalba::AnioMinimo)
                        .arg(ModuloVespalba::AnioMaximo)
                        .arg(ModuloVespalba::LatitudLimite);
        return r;
    }
    if (!hallado.instante) {
        r.estado = SalidaNo;
        r.mensaje = QStringLiteral("--proximo %1: %2").arg(evento, SinSuceso(hallado));
    }
    if (QLatin1String(p.formato->nombre) == QLatin1String("json")) {
        QJsonObject o{{QStringLiteral("evento"), Dias::NombreSuceso(p.suceso.tipo)}};
        if (p.suceso.tipo == TipoSuceso::SolSube || p.suceso.tipo == TipoSuceso::SolBaja) {
            o.insert(QStringLiteral("altura"), p.suceso.altura);
        }
        if (hallado.instante) {
            o.insert(QStringLiteral("instante"), InstanteIso(*hallado.instante));
            o.insert(QStringLiteral("hora"), HoraDeInstante(*hallado.instante));
        } else {
            o.insert(QStringLiteral("instante"), QJsonValue(QJsonValue::Null));
            o.insert(QStringLiteral("hora"), QJsonValue(QJsonValue::Null));
        }
        r.salida = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    } else if (hallado.instante) {
        r.salida = (InstanteIso(*hallado.instante) + QLatin1Char(' ') +
                    HoraDeInstante(*hallado.instante) + QLatin1Char('\n'))
                       .toUtf8();
    }
    return r;
}

}  // namespace

Respuesta Responde(Accion accion, const Peticion& peticion) {
    switch (accion) {
        case Accion::Ahora: return Ahora(peticion);
        case Accion::Si: return Si(peticion);
        case Accion::Proximo: return Proximo(peticion);
        case Accion::Calcular:
        case Accion::Ayuda:
        case Accion::Version:
        case Accion::ListaLugares:
        case Accion::Buscar:
        case Accion::Error: break;
    }
    Respuesta r;
    r.estado = SalidaDatoInvalido;
    r.mensaje = QStringLiteral("no es una pregunta del momento presente");
    return r;
}

bool CumpleCondicion(Condicion condicion, const ModuloVespalba::MomentoDelDia& momento) {
    using ModuloVespalba::LuzEspecial;
    using ModuloVespalba::ParteDelDia;
    switch (condicion) {
        case Condicion::Dia: return momento.parte == ParteDelDia::Dia;
        case Condicion::Noche: return momento.parte != ParteDelDia::Dia;
        case Condicion::CrepusculoCivil: return momento.parte == ParteDelDia::CrepusculoCivil;
        case Condicion::CrepusculoNautico: return momento.parte == ParteDelDia::CrepusculoNautico;
        case Condicion::CrepusculoAstronomico:
            return momento.parte == ParteDelDia::CrepusculoAstronomico;
        case Condicion::NocheCerrada: return momento.parte == ParteDelDia::Noche;
        case Condicion::Dorada: return momento.luz == LuzEspecial::Dorada;
        case Condicion::Azul: return momento.luz == LuzEspecial::Azul;
    }
    return false;
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
    return Dias::HoraDeReloj((double(delDia) + 0.5) / 3600.0);
}

QString TiempoQueFalta(qint64 segundos) {
    if (segundos < 60) return QStringLiteral("en menos de 1 min");
    const qint64 minutos = segundos / 60;
    const qint64 d = minutos / 1440, h = minutos / 60 % 24, min = minutos % 60;
    if (d > 0) return QStringLiteral("en %1 d %2 h %3 min").arg(d).arg(h).arg(min);
    if (h > 0) return QStringLiteral("en %1 h %2 min").arg(h).arg(min);
    return QStringLiteral("en %1 min").arg(min);
}

}  // namespace Vespalba::Tabla

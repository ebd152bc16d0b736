// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabla/ahora.h"

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
#include "dias/objetivo.h"
#include "dias/presente.h"
#include "dias/proximo.h"
#include "lugares/nombres.h"

namespace Vespalba::Tabla {

using namespace Salidas;
using namespace Dias;

namespace {

using namespace std::chrono;
using Dias::EstadoProximo;
using Dias::Instante;
using Dias::TipoSuceso;

constexpr double MjdUnix = 40587.0;  // 1970-01-01 00:00 UT, modified Julian date
constexpr int SalidaDatoInvalido = 2;

// A number for the JSON output, rounded to `decimales` (no NaN reaches it:
// the positions are finite for finite inputs, and null is written otherwise).
QJsonValue Numero(double v, int decimales) {
    if (!std::isfinite(v)) return QJsonValue(QJsonValue::Null);
    const double escala = std::pow(10.0, decimales);
    return std::round(v * escala) / escala + 0.0;
}

// Degrees with one decimal, for the text: "-4.5°".
QString Grados(double v) { return QString::number(v, 'f', 1) + QStringLiteral("°"); }

// The stage of the Moon as data names it: "gibosa-creciente".
QString NombreDeEtapa(ModuloVespalba::EtapaLunar etapa) {
    return NombreComparable(Dias::TextoEtapa(etapa)).replace(QLatin1Char(' '), QLatin1Char('-'));
}

Respuesta Ahora(const Peticion& p) {
    const Dias::Presente presente = Dias::CalculaPresente(p, p.instante);
    const Instante& ahora = presente.instante;
    const ModuloVespalba::MomentoDelDia& m = presente.momento;
    const ModuloVespalba::PosicionHorizontal& luna = presente.luna;
    const sys_days hoy = presente.hoy;
    const std::vector<Dias::Siguiente>& siguientes = presente.siguientes;

    Respuesta r;
    if (QLatin1String(p.formato->nombre) == QLatin1String("json")) {
        QJsonObject proximos;
        for (const Dias::Siguiente& s : siguientes) {
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
            {QStringLiteral("luna_fraccion"), Numero(presente.fraccionLuna, 3)},
            {QStringLiteral("luna_fase"), NombreDeEtapa(presente.etapa)},
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
    t += QStringLiteral("Parte del día: %1\n").arg(Dias::TextoMomento(m));
    t += QStringLiteral("Sol: altura %1, azimut %2\n")
             .arg(Grados(m.sol.altura), Grados(m.sol.azimut));
    t += QStringLiteral("Luna: altura %1, azimut %2; iluminada %3 %, %4\n")
             .arg(Grados(luna.altura), Grados(luna.azimut))
             .arg(Dias::Porcentaje(presente.fraccionLuna))
             .arg(Dias::TextoEtapa(presente.etapa));
    t += QStringLiteral("Próximos:\n");
    for (const Dias::Siguiente& s : siguientes) {
        QString linea = QStringLiteral("  %1").arg(Dias::EtiquetaSuceso(s.tipo), -32);
        if (s.proximo.instante) {
            const Instante& e = *s.proximo.instante;
            linea += QStringLiteral("%1  %2")
                         .arg(HoraDeInstante(e), 5)
                         .arg(TiempoQueFalta(e.segundos - p.instante));
            if (Dias::FechaCivil(e) != hoy) {
                linea += QStringLiteral(" (%1)").arg(
                    Dias::FechaIso(year_month_day{Dias::FechaCivil(e)}));
            }
        } else {
            linea += SinSuceso(s.proximo.estado, s.proximo.fecha);
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
    const Objetivo hallado = BuscaObjetivo(p, p.suceso, p.ajuste, p.instante);
    // Not found: the status and the reason, and for JSON still the object.
    Respuesta r = SinObjetivo(QStringLiteral("--proximo"), p.suceso, hallado);
    if (r.estado == SalidaDatoInvalido) return r;
    // With --margen, --no-antes or --no-despues the instant is the moved
    // one, and the event's own follows it.
    const bool movido = !p.ajuste.Vacio();
    if (QLatin1String(p.formato->nombre) == QLatin1String("json")) {
        QJsonObject o{{QStringLiteral("evento"), Dias::NombreSuceso(p.suceso.tipo)}};
        if (p.suceso.tipo == TipoSuceso::SolSube || p.suceso.tipo == TipoSuceso::SolBaja) {
            o.insert(QStringLiteral("altura"), p.suceso.altura);
        }
        auto pon = [&](const QString& instante, const QString& hora,
                       const std::optional<Instante>& t) {
            o.insert(instante, t ? QJsonValue(InstanteIso(*t)) : QJsonValue(QJsonValue::Null));
            o.insert(hora, t ? QJsonValue(HoraDeInstante(*t)) : QJsonValue(QJsonValue::Null));
        };
        pon(QStringLiteral("instante"), QStringLiteral("hora"), hallado.instante);
        if (movido) {
            pon(QStringLiteral("instante_del_evento"), QStringLiteral("hora_del_evento"),
                hallado.suceso);
        }
        r.salida = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    } else if (hallado.instante) {
        QString linea =
            InstanteIso(*hallado.instante) + QLatin1Char(' ') + HoraDeInstante(*hallado.instante);
        if (movido) {
            linea += QStringLiteral(" (%1 a las %2)")
                         .arg(Dias::NombreSuceso(p.suceso.tipo), HoraDeInstante(*hallado.suceso));
        }
        r.salida = (linea + QLatin1Char('\n')).toUtf8();
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
        case Accion::Esperar:
        case Accion::GuardarLugar:
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

Respuesta SinObjetivo(const QString& opcion, const Dias::Suceso& suceso, const Objetivo& objetivo) {
    Respuesta r;
    if (objetivo.instante) return r;
    const QString evento = DescripcionSuceso(suceso);
    if (objetivo.estado == EstadoProximo::FueraDelDominio ||
        objetivo.estado == EstadoProximo::DatosNoValidos) {
        r.estado = SalidaDatoInvalido;
        r.mensaje = QStringLiteral("%1 %2: ").arg(opcion, evento) + FueraDeLoQueCalcula();
        return r;
    }
    r.estado = SalidaNo;
    r.mensaje =
        QStringLiteral("%1 %2: %3").arg(opcion, evento, SinSuceso(objetivo.estado, objetivo.fecha));
    return r;
}

}  // namespace Vespalba::Tabla

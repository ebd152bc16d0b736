// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tabla/objetivo.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

#include "astro/dominio.h"
#include "dias/presente.h"
#include "places/zonas.h"

namespace Vespalba::Tabla {

namespace {

using namespace std::chrono;

// The largest number a part of a duration may have, and the longest
// duration: ten years.
constexpr qint64 ParteMaxima = 999999;
constexpr qint64 DuracionMaxima = 10LL * 366 * 86400;

qint64 SegundosDelDia(sys_days fecha) { return qint64(fecha.time_since_epoch().count()) * 86400; }

// The last instant computed: 2040-12-31 24:00 on the clock in force then.
bool DespuesDelDominio(const Dias::Instante& t) {
    const sys_days fecha = floor<days>(sys_seconds{seconds{t.segundos + t.desfase}});
    return fecha > sys_days{year{ModuloVespalba::AnioMaximo} / December / 31};
}

}  // namespace

std::optional<qint64> LeeDuracion(const QString& texto, bool conSigno) {
    static const QRegularExpression forma(
        QStringLiteral(R"(^\s*([+-])?\s*(?:(\d+)\s*d)?\s*(?:(\d+)\s*h)?\s*(?:(\d+)\s*m(?:in)?)?)"
                       R"(\s*(?:(\d+)\s*s)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = forma.match(texto);
    if (!m.hasMatch()) return std::nullopt;
    if (!conSigno && m.capturedLength(1) > 0) return std::nullopt;
    constexpr qint64 unidades[] = {86400, 3600, 60, 1};
    qint64 total = 0;
    bool alguna = false;
    for (int i = 0; i < 4; ++i) {
        if (m.capturedLength(i + 2) == 0) continue;
        alguna = true;
        if (m.capturedLength(i + 2) > 6) return std::nullopt;
        const qint64 n = m.captured(i + 2).toLongLong();
        if (n > ParteMaxima) return std::nullopt;
        total += n * unidades[i];
    }
    if (!alguna || total > DuracionMaxima) return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -total : total;
}

QString TextoDuracion(qint64 segundos) {
    const qint64 s = segundos < 0 ? -segundos : segundos;
    const qint64 d = s / 86400, h = s / 3600 % 24, min = s / 60 % 60, seg = s % 60;
    // The two largest units, the second left out when nought.
    auto dos = [](qint64 mayor, const char* u1, qint64 menor, const char* u2) {
        QString t = QStringLiteral("%1 %2").arg(mayor).arg(QLatin1String(u1));
        if (menor > 0) t += QStringLiteral(" %1 %2").arg(menor).arg(QLatin1String(u2));
        return t;
    };
    if (d > 0) return dos(d, "d", h, "h");
    if (h > 0) return dos(h, "h", min, "min");
    if (min > 0) return dos(min, "min", seg, "s");
    return QStringLiteral("%1 s").arg(seg);
}

std::optional<int> LeeHoraDelDia(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})\s*$)"));
    const QRegularExpressionMatch m = forma.match(texto);
    if (!m.hasMatch()) return std::nullopt;
    const int h = m.captured(1).toInt(), min = m.captured(2).toInt();
    if (h > 23 || min > 59) return std::nullopt;
    return h * 60 + min;
}

qint64 InstanteDeReloj(const Dias::Consulta& consulta, sys_days fecha, int minutos) {
    // The clock's reading as seconds of a clock that never changes.
    const qint64 leido = SegundosDelDia(fecha) + qint64(minutos) * 60;
    if (consulta.zonaHoraria.isEmpty()) {
        return leido - qint64(std::lround(consulta.zona * 3600.0));
    }
    const QTimeZone zona(consulta.zonaHoraria.toLatin1());
    const year_month_day f{fecha};
    const DiaCivil dia =
        DescribeDia(zona, QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day()))));
    if (!dia.existe) return leido - Dias::DesfaseEn(consulta, leido);
    // The day in spans of one offset, in order: the clock reads [a + o, b + o)
    // over [a, b).
    qint64 a = dia.inicio.toSecsSinceEpoch();
    int o = dia.inicio.offsetFromUtc();
    const qint64 fin = dia.fin.toSecsSinceEpoch();
    auto tramo = [&](qint64 b) -> std::optional<qint64> {
        if (leido < a + o) return a;  // skipped: the span's start is the first instant after
        if (leido < b + o) return leido - o;
        return std::nullopt;
    };
    for (const QTimeZone::OffsetData& cambio : dia.cambios) {
        const qint64 en = cambio.atUtc.toSecsSinceEpoch();
        if (en <= a) continue;  // the change that moved the day's start
        if (const std::optional<qint64> t = tramo(en)) return *t;
        a = en;
        o = cambio.offsetFromUtc;
    }
    if (const std::optional<qint64> t = tramo(fin)) return *t;
    return fin - 1;  // after the day's last reading: its last second
}

Objetivo BuscaObjetivo(const Dias::Consulta& consulta, const Dias::Suceso& suceso,
                       const Ajuste& ajuste, qint64 ahora) {
    // An event this long before `ahora` may still have its instant after it:
    // by a positive margin, or by --no-antes up to the end of its civil day
    // (a day lasts 25 hours at most; 26 leaves room).
    qint64 desde = ahora - std::max<qint64>(ajuste.margen, 0) - (ajuste.noAntes ? 26 * 3600 : 0);
    Objetivo r;
    // A handful of occurrences a day are passed over at most; the bound
    // only guards against a search that would not move forward.
    for (int vuelta = 0; vuelta < 4 * Dias::DiasDeBusqueda; ++vuelta) {
        const Dias::Proximo p = Dias::BuscaProximo(consulta, suceso, desde);
        if (p.estado == Dias::EstadoProximo::FueraDelDominio && desde < ahora) {
            desde = ahora;  // before 1980: search from the present instant itself
            continue;
        }
        r.estado = p.estado;
        r.fecha = p.fecha;
        if (p.estado != Dias::EstadoProximo::Hallado) return r;
        qint64 t = p.instante->segundos + ajuste.margen;
        if (ajuste.noAntes) t = std::max(t, InstanteDeReloj(consulta, p.fecha, *ajuste.noAntes));
        if (ajuste.noDespues) {
            t = std::min(t, InstanteDeReloj(consulta, p.fecha, *ajuste.noDespues));
        }
        if (t > ahora) {
            const Dias::Instante movido{t, Dias::DesfaseEn(consulta, t)};
            if (DespuesDelDominio(movido)) {
                r.estado = Dias::EstadoProximo::FinDelDominio;
                r.fecha = sys_days{year{ModuloVespalba::AnioMaximo} / December / 31};
                return r;
            }
            r.suceso = p.instante;
            r.instante = movido;
            return r;
        }
        desde = p.instante->segundos;
    }
    r.estado = Dias::EstadoProximo::NingunoEnUnAnio;
    r.suceso.reset();
    r.instante.reset();
    return r;
}

}  // namespace Vespalba::Tabla

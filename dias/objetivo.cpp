// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/objetivo.h"

#include <QDate>
#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

#include "astro/dominio.h"
#include "dias/presente.h"
#include "lugares/zonas.h"

namespace Vespalba::Dias {

namespace {

using namespace std::chrono;

qint64 SegundosDelDia(sys_days fecha) { return qint64(fecha.time_since_epoch().count()) * 86400; }

// The last instant computed: 2040-12-31 24:00 on the clock in force then.
bool DespuesDelDominio(const Instante& t) {
    const sys_days fecha = floor<days>(sys_seconds{seconds{t.segundos + t.desfase}});
    return fecha > sys_days{year{ModuloVespalba::AnioMaximo} / December / 31};
}

}  // namespace

qint64 InstanteDeReloj(const Consulta& consulta, sys_days fecha, int minutos) {
    // The clock's reading as seconds of a clock that never changes.
    const qint64 leido = SegundosDelDia(fecha) + qint64(minutos) * 60;
    if (consulta.zonaHoraria.isEmpty()) {
        return leido - qint64(std::lround(consulta.zona * 3600.0));
    }
    const QTimeZone zona(consulta.zonaHoraria.toLatin1());
    const year_month_day f{fecha};
    const DiaCivil dia =
        DescribeDia(zona, QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day()))));
    if (!dia.existe) return leido - DesfaseEn(consulta, leido);
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

Objetivo BuscaObjetivo(const Consulta& consulta, const Suceso& suceso, const Ajuste& ajuste,
                       qint64 ahora) {
    // An event this long before `ahora` may still have its instant after it:
    // by a positive margin, or by --no-antes up to the end of its civil day
    // (a day lasts 25 hours at most; 26 leaves room).
    qint64 desde = ahora - std::max<qint64>(ajuste.margen, 0) - (ajuste.noAntes ? 26 * 3600 : 0);
    Objetivo r;
    // A handful of occurrences a day are passed over at most; the bound
    // only guards against a search that would not move forward.
    for (int vuelta = 0; vuelta < 4 * DiasDeBusqueda; ++vuelta) {
        const Proximo p = BuscaProximo(consulta, suceso, desde);
        if (p.estado == EstadoProximo::FueraDelDominio && desde < ahora) {
            desde = ahora;  // before 1980: search from the present instant itself
            continue;
        }
        r.estado = p.estado;
        r.fecha = p.fecha;
        if (p.estado != EstadoProximo::Hallado) return r;
        qint64 t = p.instante->segundos + ajuste.margen;
        if (ajuste.noAntes) t = std::max(t, InstanteDeReloj(consulta, p.fecha, *ajuste.noAntes));
        if (ajuste.noDespues) {
            t = std::min(t, InstanteDeReloj(consulta, p.fecha, *ajuste.noDespues));
        }
        if (t > ahora) {
            const Instante movido{t, DesfaseEn(consulta, t)};
            if (DespuesDelDominio(movido)) {
                r.estado = EstadoProximo::FinDelDominio;
                r.fecha = sys_days{year{ModuloVespalba::AnioMaximo} / December / 31};
                return r;
            }
            r.suceso = p.instante;
            r.instante = movido;
            return r;
        }
        desde = p.instante->segundos;
    }
    r.estado = EstadoProximo::NingunoEnUnAnio;
    r.suceso.reset();
    r.instante.reset();
    return r;
}

}  // namespace Vespalba::Dias

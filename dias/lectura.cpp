// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/lectura.h"

#include <QRegularExpression>

#include "astro/dominio.h"

namespace Vespalba::Dias {

namespace {

using namespace std::chrono;

// The largest number a part of a duration may have, and the longest
// duration: ten years.
constexpr qint64 ParteMaxima = 999999;
constexpr qint64 DuracionMaxima = 10LL * 366 * 86400;

}  // namespace

LecturaFecha LeeFecha(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})$)"));
    const QRegularExpressionMatch m = forma.match(texto);
    if (!m.hasMatch()) {
        return {std::nullopt, QStringLiteral("no tiene la forma AAAA-MM-DD")};
    }
    const year_month_day f{year{m.captured(1).toInt()},
                           month{static_cast<unsigned>(m.captured(2).toInt())},
                           day{static_cast<unsigned>(m.captured(3).toInt())}};
    if (!f.ok()) {
        return {std::nullopt, QStringLiteral("no existe en el calendario")};
    }
    if (int(f.year()) < ModuloVespalba::AnioMinimo || int(f.year()) > ModuloVespalba::AnioMaximo) {
        return {std::nullopt, QStringLiteral("año fuera de rango")};
    }
    return {f, {}};
}

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

}  // namespace Vespalba::Dias

// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/lectura.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "astro/dominio.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"

namespace Vespalba {

namespace {

// The places the computation accepts, as the window does.
constexpr double LatitudMaxima = ModuloVespalba::LatitudLimite;    // degrees, excluded
constexpr double LongitudMaxima = ModuloVespalba::LongitudLimite;  // degrees, excluded
constexpr double MinutosMaximos = ModuloVespalba::MinutosLimite;   // excluded

}  // namespace

std::optional<double> LeeDecimal(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    if (!forma.match(texto).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double v = texto.toDouble(&ok);  // "." as decimal mark, whatever the locale
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v + 0.0;  // -0 becomes 0
}

namespace {

// Degrees, minutes and hemisphere as the window takes them, "33:16S" or
// "71:36.5W". Gives degrees + minutes / 60 and the hemisphere letter, in
// upper case; nothing when the text does not have this form.
struct GradosMinutos {
    double grados = 0.0;
    double minutos = 0.0;
    QChar hemisferio;
};
std::optional<GradosMinutos> LeeGradosMinutos(const QString& texto, const QString& letras) {
    static const QRegularExpression forma(
        QStringLiteral(R"(^(\d+)\s*:\s*(\d+(?:\.\d*)?)\s*([A-Za-z])$)"));
    const QRegularExpressionMatch m = forma.match(texto);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QChar letra = m.captured(3).at(0).toUpper();
    if (!letras.contains(letra)) {
        return std::nullopt;
    }
    return GradosMinutos{m.captured(1).toDouble(), m.captured(2).toDouble(), letra};
}

}  // namespace

Lectura LeeLatitud(const QString& textoDado) {
    const QString texto = textoDado.trimmed();
    if (const auto gm = LeeGradosMinutos(texto, QStringLiteral("NS"))) {
        if (gm->grados >= LatitudMaxima) {
            return {std::nullopt, QStringLiteral("grados fuera de rango")};
        }
        if (gm->minutos >= MinutosMaximos) {
            return {std::nullopt, QStringLiteral("minutos fuera de rango")};
        }
        // As the window: degrees + minutes / 60, negated unless north.
        double latitud = gm->grados + gm->minutos / 60;
        if (gm->hemisferio != QLatin1Char('N')) {
            latitud = -latitud;
        }
        return {latitud + 0.0, {}};
    }
    const auto v = LeeDecimal(texto);
    if (!v) {
        return {std::nullopt, QStringLiteral("no es una latitud")};
    }
    if (std::fabs(*v) >= LatitudMaxima) {
        return {std::nullopt, QStringLiteral("fuera de rango")};
    }
    return {*v, {}};
}

Lectura LeeLongitud(const QString& textoDado) {
    const QString texto = textoDado.trimmed();
    if (const auto gm = LeeGradosMinutos(texto, QStringLiteral("EW"))) {
        if (gm->grados >= LongitudMaxima) {
            return {std::nullopt, QStringLiteral("grados fuera de rango")};
        }
        if (gm->minutos >= MinutosMaximos) {
            return {std::nullopt, QStringLiteral("minutos fuera de rango")};
        }
        // As the window: east positive first, then the sign turned, so that
        // the search gets west positive.
        double l = gm->grados + gm->minutos / 60;
        if (gm->hemisferio != QLatin1Char('E')) {
            l = -l;
        }
        return {-l + 0.0, {}};
    }
    const auto v = LeeDecimal(texto);
    if (!v) {
        return {std::nullopt, QStringLiteral("no es una longitud")};
    }
    if (std::fabs(*v) >= LongitudMaxima) {
        return {std::nullopt, QStringLiteral("fuera de rango")};
    }
    return {-*v + 0.0, {}};  // east positive given, west positive kept
}

Lectura LeeDesfase(const QString& texto) {
    const auto v = LeeDecimal(texto.trimmed());
    if (!v) {
        return {std::nullopt, QStringLiteral("no es un número")};
    }
    if (*v < DesfaseMinimo || *v > DesfaseMaximo) {
        return {std::nullopt, QStringLiteral("fuera de rango")};
    }
    if (*v * 4.0 != std::round(*v * 4.0)) {
        return {std::nullopt, QStringLiteral("no es un número de cuartos de hora")};
    }
    return {*v + 0.0, {}};
}

QString UnaLinea(const QString& mensaje) {
    QString linea;
    for (const QChar c : mensaje) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            linea += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            linea += c;
        }
    }
    return linea;
}

LugarPorNombre BuscaPorNombre(const QString& nombre, int maximo) {
    LugarPorNombre r;
    // The forty places first, exactly by their names: no gazetteer.
    if (const std::optional<int> i = BuscaLugar(nombre)) {
        r.resultado = LugarPorNombre::Resultado::DeLaTabla;
        r.tabla = *i;
        return r;
    }
    const Nomenclator* mundo = Nomenclator::Mundial(&r.motivo);
    if (mundo == nullptr) {
        r.resultado = LugarPorNombre::Resultado::SinNomenclator;
        return r;
    }
    r.motivo.clear();
    r.avisoNomenclator = mundo->Aviso();
    // Only a name that is part of several needs more than the first town
    // (to list them): the first is the same whatever the number asked for
    // (the most populous, then the first in the gazetteer's order), and
    // each town given costs its region, country and zone.
    r.encontrados = mundo->Busca(nombre, std::min(maximo, 1));
    const Encontrados& e = r.encontrados;
    if (e.total == 0 || e.poblados.empty()) {
        r.resultado = LugarPorNombre::Resultado::Desconocido;
    } else if (!e.completos && e.total > 1) {
        // Part of several names: which one was meant cannot be told.
        r.resultado = LugarPorNombre::Resultado::Ambiguo;
        if (maximo > 1) {
            r.encontrados = mundo->Busca(nombre, maximo);
        }
    } else if (std::fabs(e.poblados.front().latitud) >= LatitudMaxima) {
        r.resultado = LugarPorNombre::Resultado::FueraDeRango;
    } else {
        r.resultado = LugarPorNombre::Resultado::DelNomenclator;
    }
    return r;
}

}  // namespace Vespalba

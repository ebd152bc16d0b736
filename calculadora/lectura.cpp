// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculadora/lectura.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace Vespalba {
namespace {

bool EsDigito(char32_t c) { return c >= U'0' && c <= U'9'; }

bool EsBlancoIgnorado(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

}  // namespace

double LecturaPrefijo(QStringView texto) {
    // The characters that count, blanks removed, as ASCII; stops at the
    // first character that cannot belong to a number at all.
    std::string s;
    s.reserve(static_cast<std::size_t>(texto.size()));
    for (const QChar qc : texto) {
        const char16_t c = qc.unicode();
        if (EsBlancoIgnorado(c)) {
            continue;
        }
        if (c > 0x7f) {
            break;
        }
        s.push_back(static_cast<char>(c));
    }

    std::size_t i = 0;
    bool negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negativo = s[i] == '-';
        ++i;
    }
    const std::size_t inicioMantisa = i;
    std::size_t digitos = 0;
    while (i < s.size() && EsDigito(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++digitos;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && EsDigito(static_cast<unsigned char>(s[i]))) {
            ++i;
            ++digitos;
        }
    }
    if (digitos == 0) {
        return 0.0;
    }
    std::string numero = s.substr(inicioMantisa, i - inicioMantisa);

    // Exponent: taken only when at least one digit follows the letter.
    bool exponenteNegativo = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponente = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponenteNegativo = s[j] == '-';
            exponente.push_back(s[j]);
            ++j;
        }
        const std::size_t inicioDigitos = j;
        while (j < s.size() && EsDigito(static_cast<unsigned char>(s[j]))) {
            exponente.push_back(s[j]);
            ++j;
        }
        if (j > inicioDigitos) {
            numero += exponente;
        }
    }

    double valor = 0.0;
    const auto r = std::from_chars(numero.data(), numero.data() + numero.size(), valor,
                                   std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: overflow to infinity, underflow to 0.
        valor = exponenteNegativo ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (r.ec != std::errc()) {
        valor = 0.0;
    }
    return negativo ? -valor : valor;
}

std::optional<double> LecturaLocal(QStringView texto, const QLocale& locale) {
    const QStringView recortado = texto.trimmed();
    bool ok = false;
    double valor = locale.toDouble(recortado, &ok);
    if (!ok && locale.decimalPoint() != QStringLiteral(".")) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        valor = c.toDouble(recortado, &ok);
    }
    if (!ok || !std::isfinite(valor)) {
        return std::nullopt;
    }
    return valor;
}

std::optional<int> LecturaEntera(QStringView texto, const QLocale& locale) {
    const std::optional<double> valor = LecturaLocal(texto, locale);
    if (!valor) {
        return std::nullopt;
    }
    const double redondeado = std::nearbyint(*valor);  // a half to the even neighbour
    if (redondeado < -32768.0 || redondeado > 32767.0) {
        return std::nullopt;
    }
    return static_cast<int>(redondeado);
}

}  // namespace Vespalba

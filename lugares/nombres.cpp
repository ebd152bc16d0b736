// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/nombres.h"

#include <QStringList>

#include <algorithm>

#include "lugares/lugares.h"

namespace Vespalba {

namespace {

// Letters that NFD does not split into a base letter and a mark, with the
// plain spelling people type for them (lower case; upper case is folded
// before).
QString SinMarcaPropia(QChar c) {
    switch (c.unicode()) {
        case 0x0142: return QStringLiteral("l");   // ł
        case 0x00F8: return QStringLiteral("o");   // ø
        case 0x0111: return QStringLiteral("d");   // đ
        case 0x00F0: return QStringLiteral("d");   // ð
        case 0x0127: return QStringLiteral("h");   // ħ
        case 0x0131: return QStringLiteral("i");   // ı
        case 0x00E6: return QStringLiteral("ae");  // æ
        case 0x0153: return QStringLiteral("oe");  // œ
        case 0x00FE: return QStringLiteral("th");  // þ
        case 0x00DF: return QStringLiteral("ss");  // ß (Qt folds case one letter to one)
        default: return QString(c);
    }
}

bool EsBlancoAscii(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

QString NombreComparable(const QString& nombre) {
    const QString descompuesto = nombre.toCaseFolded().normalized(QString::NormalizationForm_D);
    QString sinMarcas;
    sinMarcas.reserve(descompuesto.size());
    for (const QChar c : descompuesto) {
        const QChar::Category categoria = c.category();
        if (categoria == QChar::Mark_NonSpacing || categoria == QChar::Mark_Enclosing ||
            categoria == QChar::Mark_SpacingCombining) {
            continue;
        }
        if (c == QLatin1Char('-')) {
            sinMarcas.append(QLatin1Char(' '));
        } else if (c.unicode() < 0x80) {
            sinMarcas.append(c);
        } else {
            sinMarcas.append(SinMarcaPropia(c));
        }
    }
    return sinMarcas.toCaseFolded().simplified();
}

std::string NombreComparable(std::string_view texto) {
    const bool ascii = std::all_of(texto.begin(), texto.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        return NombreComparable(QString::fromUtf8(texto.data(), qsizetype(texto.size())))
            .toStdString();
    }
    // Lower case, hyphens as blanks, runs of blanks as one, none at the ends:
    // what case folding and simplified() do to ASCII text.
    std::string r;
    r.reserve(texto.size());
    bool blancoPendiente = false;
    for (char c : texto) {
        if (EsBlancoAscii(c) || c == '-') {
            blancoPendiente = !r.empty();
            continue;
        }
        if (blancoPendiente) {
            r.push_back(' ');
            blancoPendiente = false;
        }
        r.push_back((c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c);
    }
    return r;
}

bool ContieneDesdePalabra(std::string_view nombre, std::string_view buscado) {
    if (buscado.empty()) {
        return false;
    }
    for (std::size_t i = nombre.find(buscado); i != std::string_view::npos;
         i = nombre.find(buscado, i + 1)) {
        if (i == 0 || nombre[i - 1] == ' ') {
            return true;
        }
    }
    return false;
}

NombreCalificado PartesDelNombre(const QString& texto) {
    NombreCalificado n;
    const QStringList partes = texto.split(QLatin1Char(','));
    n.nombre = NombreComparable(partes.front()).toStdString();
    for (qsizetype i = 1; i < partes.size(); ++i) {
        std::string c = NombreComparable(partes[i]).toStdString();
        if (!c.empty()) {
            n.calificadores.push_back(std::move(c));
        }
    }
    return n;
}

namespace {

template <class Texto>
int Levenshtein(const Texto& a, const Texto& b) {
    std::vector<int> fila(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < fila.size(); ++j) {
        fila[j] = int(j);
    }
    for (std::size_t i = 1; i <= std::size_t(a.size()); ++i) {
        int diagonal = fila[0];
        fila[0] = int(i);
        for (std::size_t j = 1; j < fila.size(); ++j) {
            const int arriba = fila[j];
            fila[j] =
                std::min({fila[j] + 1, fila[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = arriba;
        }
    }
    return fila.back();
}

}  // namespace

int DistanciaEdicion(const QString& a, const QString& b) { return Levenshtein(a, b); }

int DistanciaEdicion(std::string_view a, std::string_view b) { return Levenshtein(a, b); }

QString NombreLugar(int i) {
    const std::string_view n = Lugares[i].Nombre;
    return QString::fromUtf8(n.data(), qsizetype(n.size()));
}

std::optional<int> BuscaLugar(const QString& nombre) {
    const QString buscado = NombreComparable(nombre);
    for (int i = 1; i <= NumLugares; ++i) {
        if (NombreComparable(NombreLugar(i)) == buscado) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<int> LugaresQueContienen(const QString& texto) {
    const NombreCalificado q = PartesDelNombre(texto);
    std::vector<int> lugares;
    if (q.nombre.empty()) {
        return lugares;
    }
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& l = Lugares[i];
        if (NombreComparable(l.Nombre).find(q.nombre) == std::string::npos) {
            continue;
        }
        const std::string pais = NombreComparable(NombrePais(l.Pais));
        const std::string codigo = NombreComparable(l.Pais);
        if (std::all_of(q.calificadores.begin(), q.calificadores.end(),
                        [&](const std::string& c) { return c == pais || c == codigo; })) {
            lugares.push_back(i);
        }
    }
    return lugares;
}

std::vector<int> LugaresParecidos(const QString& nombre) {
    const QString buscado = NombreComparable(nombre);
    std::vector<int> parecidos;
    if (buscado.isEmpty()) {
        return parecidos;
    }
    // Letters that may differ: one in four, at least two.
    const int tolerancia = std::max<int>(2, int(buscado.size()) / 4);
    for (int i = 1; i <= NumLugares; ++i) {
        const QString n = NombreComparable(NombreLugar(i));
        const bool contiene = buscado.size() >= 2 && (n.contains(buscado) || buscado.contains(n));
        const bool mismoComienzo = buscado.size() >= 4 && n.startsWith(buscado.left(4));
        if (contiene || mismoComienzo || DistanciaEdicion(buscado, n) <= tolerancia) {
            parecidos.push_back(i);
        }
    }
    return parecidos;
}

}  // namespace Vespalba

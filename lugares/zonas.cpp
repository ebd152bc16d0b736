// SPDX-License-Identifier: GPL-3.0-or-later
#include "lugares/zonas.h"

#include <QFile>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace Vespalba {
namespace {

// The zone and link names of the system's tzdata, read once from its
// compiled source (tzdata.zi lists every "Z name" and "L target name").
// Where that file is missing, Qt's own list of zones.
const std::set<QString>& NombresDeZonas() {
    static const std::set<QString> nombres = [] {
        std::set<QString> n;
        QFile zi(QStringLiteral("/usr/share/zoneinfo/tzdata.zi"));
        if (zi.open(QIODevice::ReadOnly)) {
            while (!zi.atEnd()) {
                const QByteArray linea = zi.readLine().trimmed();
                const QList<QByteArray> partes = linea.split(' ');
                if (linea.startsWith("Z ") && partes.size() >= 2) {
                    n.insert(QString::fromLatin1(partes[1]));
                } else if (linea.startsWith("L ") && partes.size() >= 3) {
                    n.insert(QString::fromLatin1(partes[2]));
                }
            }
        }
        if (n.empty()) {
            for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
                n.insert(QString::fromLatin1(id));
            }
        }
        n.erase(QStringLiteral("Factory"));
        return n;
    }();
    return nombres;
}

// A name reduced for comparison: lower case, blanks and '_' as one, accents
// dropped.
QString Reducido(const QString& s) {
    QString r = s.normalized(QString::NormalizationForm_D);
    r.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    r = r.toLower().trimmed();
    r.replace(QLatin1Char('_'), QLatin1Char(' '));
    return r;
}

// Levenshtein distance, stopping early beyond `tope`.
int Distancia(const QString& a, const QString& b, int tope) {
    if (std::abs(a.size() - b.size()) > tope) return tope + 1;
    std::vector<int> fila(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < fila.size(); ++j) fila[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = fila[0];
        fila[0] = int(i);
        int minimo = fila[0];
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int arriba = fila[std::size_t(j)];
            fila[std::size_t(j)] = std::min({arriba + 1, fila[std::size_t(j - 1)] + 1,
                                             diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = arriba;
            minimo = std::min(minimo, fila[std::size_t(j)]);
        }
        if (minimo > tope) return tope + 1;
    }
    return fila.back();
}

// "HH:MM" of a count of minutes.
QString Reloj(qint64 minutos) {
    return QStringLiteral("%1:%2")
        .arg(minutos / 60, 2, 10, QLatin1Char('0'))
        .arg(minutos % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

namespace {

// Whether one line of tzdata.zi names `nombre`, read as NombresDeZonas
// reads every line.
bool LineaNombra(const QByteArray& lineaDada, const QString& nombre) {
    const QByteArray linea = lineaDada.trimmed();
    const QList<QByteArray> partes = linea.split(' ');
    if (linea.startsWith("Z ") && partes.size() >= 2) {
        return QString::fromLatin1(partes[1]) == nombre;
    }
    if (linea.startsWith("L ") && partes.size() >= 3) {
        return QString::fromLatin1(partes[2]) == nombre;
    }
    return false;
}

// Whether NombresDeZonas() has `nombre`, looking at the lines of tzdata.zi
// that hold it rather than reading every name (a program that asks for one
// zone pays for one search of the file). When no line names it, or the
// file cannot be read, the whole list answers, with its fallback to Qt's.
bool EnLosNombresDeZonas(const QString& nombre) {
    if (nombre.isEmpty() || nombre == QStringLiteral("Factory")) {
        return false;
    }
    QFile zi(QStringLiteral("/usr/share/zoneinfo/tzdata.zi"));
    if (zi.open(QIODevice::ReadOnly)) {
        const QByteArray todo = zi.readAll();
        const QByteArray buscado = nombre.toLatin1();
        for (qsizetype i = todo.indexOf(buscado); i >= 0; i = todo.indexOf(buscado, i + 1)) {
            const qsizetype inicio = todo.lastIndexOf('\n', i) + 1;
            qsizetype fin = todo.indexOf('\n', i);
            if (fin < 0) fin = todo.size();
            if (LineaNombra(todo.mid(inicio, fin - inicio), nombre)) return true;
            i = fin;
        }
    }
    return NombresDeZonas().count(nombre) > 0;
}

}  // namespace

bool ZonaConocida(const QString& nombre) {
    return EnLosNombresDeZonas(nombre) && QTimeZone(nombre.toLatin1()).isValid();
}

QStringList ZonasParecidas(const QString& nombre, int maximo) {
    const QString buscado = Reducido(nombre);
    QStringList contienen;
    std::vector<std::pair<int, QString>> cercanos;
    if (buscado.isEmpty()) return {};
    for (const QString& zona : NombresDeZonas()) {
        const QString z = Reducido(zona);
        const QString ultima = z.section(QLatin1Char('/'), -1);
        if (z.contains(buscado) ||
            (buscado.contains(QLatin1Char('/')) && buscado.contains(ultima))) {
            contienen << zona;
            continue;
        }
        const int tope = std::max<int>(1, int(buscado.size()) / 4);
        const int d = std::min(Distancia(buscado, z, tope),
                               Distancia(buscado.section(QLatin1Char('/'), -1), ultima, tope));
        if (d <= tope) cercanos.emplace_back(d, zona);
    }
    std::stable_sort(cercanos.begin(), cercanos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList lista = contienen;
    for (const auto& [d, zona] : cercanos) lista << zona;
    return lista.mid(0, maximo);
}

DiaCivil DescribeDia(const QTimeZone& zona, QDate fecha) {
    DiaCivil c;
    c.fecha = fecha;
    c.inicio = fecha.startOfDay(zona);
    c.existe = c.inicio.isValid() && c.inicio.date() == fecha;
    if (!c.existe) {
        c.inicio = {};
        return c;
    }
    // The day ends where the next date that exists starts.
    QDate siguiente = fecha.addDays(1);
    c.fin = siguiente.startOfDay(zona);
    for (int i = 0; i < 3 && !(c.fin.isValid() && c.fin.date() == siguiente); ++i) {
        siguiente = siguiente.addDays(1);
        c.fin = siguiente.startOfDay(zona);
    }
    // nextTransition gives an invalid time when the zone changes no more;
    // an invalid time compares before every other, so test it first.
    const QTimeZone::OffsetData t = zona.nextTransition(c.inicio);
    const bool cambioDentro = t.atUtc.isValid() && t.atUtc < c.fin;
    c.ordinario =
        c.inicio.time() == QTime(0, 0) && c.inicio.secsTo(c.fin) == 86400 && !cambioDentro;
    if (!c.ordinario) {
        for (const QTimeZone::OffsetData& x : zona.transitions(c.inicio, c.fin.addSecs(-1))) {
            // A change at the very start counts when it moved the start off 00:00.
            if (x.atUtc > c.inicio || c.inicio.time() != QTime(0, 0)) c.cambios << x;
        }
    }
    return c;
}

namespace {
// Margin around a date within which a change makes it worth describing the
// day exactly: the day itself (24 h), the widest offsets (-12 h to +14 h)
// and a day's slack.
constexpr qint64 MargenCambio = 2 * 86400;
}  // namespace

DesfasesZona::DesfasesZona(const QTimeZone& zona, QDate desde, QDate hasta) {
    desde_ = QDateTime(desde, QTime(0, 0), Qt::UTC).toSecsSinceEpoch() - MargenCambio;
    hasta_ = QDateTime(hasta, QTime(0, 0), Qt::UTC).toSecsSinceEpoch() + MargenCambio;
    desfaseInicial_ = zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(desde_, Qt::UTC));
    for (const QTimeZone::OffsetData& t :
         zona.transitions(QDateTime::fromSecsSinceEpoch(desde_ + 1, Qt::UTC),
                          QDateTime::fromSecsSinceEpoch(hasta_, Qt::UTC))) {
        instantes_.push_back(t.atUtc.toSecsSinceEpoch());
        desfases_.push_back(t.offsetFromUtc);
    }
}

std::optional<int> DesfasesZona::DesfaseDiaOrdinario(QDate fecha) const {
    const qint64 medianoche = QDateTime(fecha, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    if (medianoche - MargenCambio < desde_ || medianoche + MargenCambio > hasta_) {
        return std::nullopt;  // outside the span read
    }
    // The first change after the margin's start.
    const auto siguiente =
        std::upper_bound(instantes_.begin(), instantes_.end(), medianoche - MargenCambio);
    if (siguiente != instantes_.end() && *siguiente <= medianoche + MargenCambio) {
        return std::nullopt;
    }
    return siguiente == instantes_.begin()
               ? desfaseInicial_
               : desfases_[std::size_t(siguiente - instantes_.begin()) - 1];
}

QString TextoDesfase(int segundos) {
    const int minutos = std::abs(segundos) / 60;
    QString s = QString(segundos < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
                QString::number(minutos / 60).rightJustified(2, QLatin1Char('0'));
    if (minutos % 60 != 0) {
        s += QLatin1Char(':') + QString::number(minutos % 60).rightJustified(2, QLatin1Char('0'));
    }
    return s;
}

QString TextoDesfaseIso(int segundos) {
    const QString s = TextoDesfase(segundos);
    return s.size() == 3 ? s + QStringLiteral(":00") : s;
}

QString NotaCambio(const QTimeZone& zona, QDate fecha, const QTimeZone::OffsetData& cambio) {
    const int antes = zona.offsetFromUtc(cambio.atUtc.addSecs(-1));
    const int despues = cambio.offsetFromUtc;
    const qint64 medianocheUtc = QDateTime(fecha, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    // Minutes after the date's 0 h that the wall clock reads at the change.
    auto reloj = [&](int desfase) {
        return Reloj((cambio.atUtc.toSecsSinceEpoch() + desfase - medianocheUtc) / 60);
    };
    return QStringLiteral("%1 → %2, %3 → %4")
        .arg(reloj(antes), reloj(despues), TextoDesfase(antes), TextoDesfase(despues));
}

QString InstanteIso(qint64 segundos, int desfase) {
    return QDateTime::fromSecsSinceEpoch(segundos + desfase, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           TextoDesfaseIso(desfase);
}

QString InstanteIso(qint64 segundos, const QTimeZone& zona) {
    return InstanteIso(segundos,
                       zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC)));
}

}  // namespace Vespalba

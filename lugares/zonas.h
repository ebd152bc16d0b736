// SPDX-License-Identifier: GPL-3.0-or-later
// Civil time in an IANA time zone, from the system's tzdata through
// QTimeZone: which zone names exist, what a civil day of a zone is (when it
// starts, how long it lasts, which clock changes it holds), and the texts
// that name offsets and changes.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>
#include <vector>

namespace Vespalba {

// Whether `nombre` is a zone or link name of the system's tzdata
// ("America/Santiago", "America/Buenos_Aires"), exactly as written (case
// counts). Abbreviations and POSIX rules that QTimeZone would also take
// ("CLT", "UTC+3", "EST5EDT") and "Factory" are not names.
bool ZonaConocida(const QString& nombre);

// Zone names close to `nombre`: names that contain it or whose last part
// does, ignoring case, blanks and accents, then names a few letters away;
// at most `maximo`, in alphabetical order within each kind.
QStringList ZonasParecidas(const QString& nombre, int maximo = 5);

// One civil day of a zone.
struct DiaCivil {
    QDate fecha;
    // False when the zone skips the date altogether (Pacific/Apia on
    // 2011-12-30, Pacific/Kiritimati on 1994-12-31): the other members are
    // then empty.
    bool existe = false;
    // Starts at 00:00, lasts 24 hours and holds no change of offset: the
    // day is then that of a fixed offset, inicio.offsetFromUtc().
    bool ordinario = false;
    QDateTime inicio;  // first instant of the day, in the zone
    QDateTime fin;     // first instant of the next date that exists; the day is [inicio, fin)
    // The changes of offset within [inicio, fin), and the one at inicio
    // when it moved the day's start off 00:00 (America/Santiago 2023-09-03
    // starts at 01:00).
    QList<QTimeZone::OffsetData> cambios;

    // Length of the day, seconds: 86400, or 82800 and 90000 around a change
    // of one hour (81000 to 91800 for others).
    qint64 Segundos() const { return inicio.secsTo(fin); }
};

// Describes the civil date `fecha` of zone `zona` (a valid zone).
DiaCivil DescribeDia(const QTimeZone& zona, QDate fecha);

// The offsets of a zone over a span of dates, read once, so that most days
// are known to be ordinary without describing each (QDate::startOfDay in a
// zone costs several microseconds; a day's search costs about ten).
class DesfasesZona {
public:
    DesfasesZona(const QTimeZone& zona, QDate desde, QDate hasta);

    // The offset (seconds east of UT) of `fecha` when no change of offset
    // falls within a day and a half of it, so that the date is an ordinary
    // civil day of that offset; none otherwise (DescribeDia then tells).
    std::optional<int> DesfaseDiaOrdinario(QDate fecha) const;

private:
    std::vector<qint64> instantes_;  // changes, seconds since 1970 UT, ascending
    std::vector<int> desfases_;      // the offset from each change on
    int desfaseInicial_ = 0;         // the offset before the first change
    qint64 desde_ = 0, hasta_ = 0;   // the span covered, seconds since 1970 UT
};

// An offset east of universal time as the zone's abbreviation-free text:
// "-04", "+00", "+05:45", "-03:30" (hours, and minutes when not zero).
QString TextoDesfase(int segundos);

// The same with minutes always: "-04:00", "+05:45", as ISO 8601 ends an
// instant.
QString TextoDesfaseIso(int segundos);

// A change of offset on the civil date `fecha`, as the wall clock reads it
// just before and at the change, with the two offsets:
// "00:00 → 01:00, -04 → -03"; a change at the end of the day reads "24:00".
QString NotaCambio(const QTimeZone& zona, QDate fecha, const QTimeZone::OffsetData& cambio);

// An instant in ISO 8601 with the offset in force in `zona` at that instant,
// truncated to the second: "2026-04-04T23:41:07-03:00".
//   segundos: seconds since 1970-01-01 00:00 UT.
QString InstanteIso(qint64 segundos, const QTimeZone& zona);

// The same at a fixed offset east of universal time, seconds.
QString InstanteIso(qint64 segundos, int desfase);

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
// What the almanac window shows, computed without widgets: the places a
// typed text offers, the request of a place, zone and month, and a day's
// events, Moon and seasons as the texts the window sets. Qt Core only, so
// that every rule is tested without a display.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <chrono>
#include <optional>
#include <vector>

#include "dias/consulta.h"
#include "dias/dias.h"

namespace Vespalba::Almanaque {

// A place as the window keeps it (and its settings store it).
struct Sitio {
    QString nombre;          // "Valparaíso", "Concepción"; empty for bare coordinates
    QString nombreCompleto;  // "Concepción, Región del Biobío, Chile"; empty for coordinates
    double latitud = 0.0;    // degrees, north positive, |latitud| < 75
    double longitud = 0.0;   // degrees, EAST positive, |longitud| < 180
    QString zona;            // the place's IANA zone; empty for bare coordinates

    // "Concepción, Región del Biobío, Chile", or the coordinates.
    QString Nombre() const;
    bool operator==(const Sitio&) const = default;
};

// Whether a place may be used: finite coordinates in range, and a zone that
// is empty or known to the system's tzdata.
bool SitioValido(const Sitio& s);

// Valparaíso, the place of the worked example and of last resort.
Sitio Valparaiso();

// The civil time the days are read in.
struct EleccionZona {
    enum class Tipo {
        DelLugar,  // the place's IANA zone (for bare coordinates, the nautical zone)
        Iana,      // another IANA zone, `iana`
        Fija,      // a fixed offset, `horas` east of universal time
    };
    Tipo tipo = Tipo::DelLugar;
    QString iana;
    double horas = 0.0;  // -12 to +14, in quarter hours
    bool operator==(const EleccionZona&) const = default;
};

// What a zone text means: "America/Santiago" (a tzdata name, as written),
// "-4", "+5,75", "5.5 h", "UTC-3" (a fixed offset); none with the reason.
struct LecturaZona {
    std::optional<EleccionZona> zona;
    QString problema;
};
LecturaZona LeeZona(const QString& texto);

// The zone's name as the window lists it: "America/Santiago", "-4 h", "+5,75 h".
QString NombreZonaFija(double horas);

// A suggestion of the place box.
struct Sugerencia {
    Sitio sitio;
    QString texto;    // "Valparaíso, Chile", "Concepción, Región del Biobío, Chile"
    QString detalle;  // "puerto · 33° 2' S, 71° 38' W · America/Santiago"
};

// The places whose names contain the typed text, the forty ports first,
// then towns of the gazetteer as --buscar ranks them; or the one place of
// typed coordinates ("33:16S 71:36W", "-33.27 -71.6", "-33.27, -71.6":
// decimal degrees with north and east positive). At most `maximo`.
std::vector<Sugerencia> Sugerencias(const QString& texto, int maximo);

// The place a text names when the user confirms it without picking a
// suggestion: the coordinates it holds, or the one place whose whole name
// it is (the most populous of several), or the reason none is, with close
// names or the accepted ranges ("Ningún lugar se llama «Xq»; parecidos: ...").
struct LecturaLugar {
    std::optional<Sitio> sitio;
    QString problema;
};
LecturaLugar LeeLugar(const QString& texto);

// Typed coordinates, if the text is two numbers or degree-minute forms;
// none when it does not look like coordinates at all; a problem when it
// does but is out of range.
LecturaLugar LeeCoordenadas(const QString& texto);

// The request for a place and zone choice over [desde, hasta].
Dias::Consulta ConsultaDe(const Sitio& sitio, const EleccionZona& zona, QDate desde, QDate hasta);

// The zone as the place line names it: "America/Santiago", "-4 h", or
// "-5 h (zona náutica)" for coordinates without a zone.
QString NombreDeZonaElegida(const Sitio& sitio, const EleccionZona& zona);

// The offset in force at an instant, "-03"; for a fixed zone its offset.
QString DesfaseEn(const Dias::Consulta& consulta, qint64 segundos);

// The date of "now" in the request's zone.
QDate HoyEn(const Dias::Consulta& consulta, qint64 ahora);

// The first dates and limits the almanac accepts.
inline const QDate PrimeraFecha{1980, 1, 1};
inline const QDate UltimaFecha{2040, 12, 31};

std::chrono::sys_days DiaDe(QDate fecha);
QDate FechaDe(std::chrono::sys_days dia);

// ------------------------------------------------------------- the day

// A row of the day's events: what, when (or in words), and on which offset
// when the day has two.
struct Suceso {
    QString nombre;  // "Orto", "Aurora civil", "Mediodía solar"
    QString hora;    // "7:04", "12:50:17", or words: "el Sol no sale"
    QString nota;    // "−03" on a clock-change day; the noon's altitude
};

struct ResumenDia {
    QString fecha;  // "jueves, 2 de julio de 2003"
    bool existe = true;
    // Dawns, sunrise, noon, sunset and ends of twilight in clock order (an
    // event that does not happen that day keeps its place among them). An
    // end before the day's noon closed last night ("fin del crepúsculo de
    // anoche" in its note); when this evening's end falls after midnight,
    // it follows with its date ("0:21 del sáb 12").
    std::vector<Suceso> sol;
    QString horasDeLuz;        // "9:59"
    QString cambioDeLuz;       // "+0 m 26 s respecto de ayer"; empty when not known
    std::vector<Suceso> luna;  // moonrise and moonset in their order, or words
    // The golden and blue hours, morning then evening ("Hora azul de la
    // mañana", "6:41 – 7:05"; a boundary the Sun does not cross that day as
    // "—"), when the day was computed with them (Dias::CompletaLuzEspecial).
    std::vector<Suceso> luzEspecial;
    QStringList avisos;       // the clock change, polar conditions, a date skipped
    double horasDelDia = 24;  // the civil day's length, hours
};
//   siguiente: the next civil day, for this evening's ends of twilight that
//              fall after midnight; none leaves them out.
ResumenDia ResumeDia(const Dias::Consulta& consulta, const Dias::DiaCalculado& d,
                     const Dias::DiaCalculado* siguiente = nullptr);

// The Moon on a day: its light and phase at 12:00 on the day's clock.
struct LunaDelDia {
    double fraccion = 0.0;
    bool creciente = false;
    bool hemisferioSur = false;
    QString texto;              // "45 % iluminada, gibosa creciente"
    QStringList proximasFases;  // "Luna llena: sábado 4 de abril, 23:15" (four)
};
LunaDelDia LunaDe(const Dias::Consulta& consulta, const Dias::DiaCalculado& d);

// The next solstice or equinox after the day's start, and the daylight
// gained or lost since the last solstice.
struct Estaciones {
    QString proxima;  // "Solsticio de diciembre: lunes 21 de diciembre, 12:02"
    QString
        desdeSolsticio;  // "Desde el solsticio de junio (21 de junio): +2:31 de luz"; may be empty
};
Estaciones EstacionesDe(const Dias::Consulta& consulta, const Dias::DiaCalculado& d);

// A date in words: "jueves, 2 de julio de 2003".
QString FechaEnPalabras(QDate fecha);

}  // namespace Vespalba::Almanaque

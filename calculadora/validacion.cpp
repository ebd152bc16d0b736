// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculadora/validacion.h"

#include <QDate>

#include <cmath>
#include <optional>

#include "astro/dominio.h"
#include "calculadora/lectura.h"

namespace Vespalba {
namespace {

using Vespalba::ModuloVespalba::DatosCalculo;

// A box's accepted interval. Each bound is inclusive or not as the check
// wants it: a day of 31 passes, 75 degrees of latitude does not.
struct Rango {
    double minimo;
    bool minimoIncluido;
    double maximo;
    bool maximoIncluido;

    bool Contiene(double v) const {
        if (!std::isfinite(v)) {
            return false;
        }
        const bool sobreMinimo = minimoIncluido ? v >= minimo : v > minimo;
        const bool bajoMaximo = maximoIncluido ? v <= maximo : v < maximo;
        return sobreMinimo && bajoMaximo;
    }
};

constexpr Rango RangoDia{0, false, 31, true};
constexpr Rango RangoMes{0, false, 12, true};
constexpr Rango RangoAnio{ModuloVespalba::AnioMinimo, true, ModuloVespalba::AnioMaximo, true};
constexpr Rango RangoLatitud{0, true, ModuloVespalba::LatitudLimite, false};
constexpr Rango RangoLongitud{0, true, ModuloVespalba::LongitudLimite, false};
constexpr Rango RangoMinutos{0, true, ModuloVespalba::MinutosLimite, false};
// The window's zone: at most 12 hours either way.
constexpr Rango RangoZona{-12, true, 12, true};

// A date box: checked by its prefix reading; its value is the locale
// reading, which must exist and lie in the same range (so "5abc" or, in a
// locale with a "," group separator, "1,000" is refused, not read as 5 or
// 1000).
std::optional<double> LeeCampoFecha(const QString& texto, const Rango& rango,
                                    const QLocale& locale) {
    if (!rango.Contiene(LecturaPrefijo(texto))) {
        return std::nullopt;
    }
    const std::optional<double> valor = LecturaLocal(texto, locale);
    if (!valor || !rango.Contiene(*valor)) {
        return std::nullopt;
    }
    return valor;
}

// A degrees or minutes box: checked by its locale reading; its value is the
// prefix reading (in a comma locale "30,5" passes as 30.5 and enters as 30),
// which must lie in the same range.
std::optional<double> LeeCampoAngulo(const QString& texto, const Rango& rango,
                                     const QLocale& locale) {
    const std::optional<double> comprobado = LecturaLocal(texto, locale);
    if (!comprobado || !rango.Contiene(*comprobado)) {
        return std::nullopt;
    }
    const double valor = LecturaPrefijo(texto);
    if (!rango.Contiene(valor)) {
        return std::nullopt;
    }
    return valor;
}

// Calendar date of a year, month and day with carry: a day beyond the
// month's length runs on into the months after, day 0 is the last day of
// the month before, month 0 is December of the year before.
std::chrono::year_month_day ComponeFecha(int anio, int mes, int dia) {
    const QDate fecha = QDate(anio, 1, 1).addMonths(mes - 1).addDays(dia - 1);
    return std::chrono::year_month_day{std::chrono::year{fecha.year()},
                                       std::chrono::month{static_cast<unsigned>(fecha.month())},
                                       std::chrono::day{static_cast<unsigned>(fecha.day())}};
}

}  // namespace

const char* NombreControl(ControlEntrada control) {
    switch (control) {
        case ControlEntrada::FE1: return "FE1";
        case ControlEntrada::FE2: return "FE2";
        case ControlEntrada::FE3: return "FE3";
        case ControlEntrada::L3: return "L3";
        case ControlEntrada::L4: return "L4";
        case ControlEntrada::G3: return "G3";
        case ControlEntrada::G4: return "G4";
        case ControlEntrada::Z: return "Z";
    }
    return "";
}

QString MensajeValidacion(ControlEntrada control) {
    switch (control) {
        case ControlEntrada::FE1:
            return QStringLiteral("Verifique Ingreso del Día, (entre 1 y 31.");
        case ControlEntrada::FE2:
            return QStringLiteral("Verifique Ingreso del Mes. (entre 1 y 12)");
        case ControlEntrada::FE3:
            return QStringLiteral("Verifique Ingreso del Año. (entre 1980 y 2040)");
        case ControlEntrada::L3:
            return QStringLiteral("Verifique Ingreso el Grado de Latitud. (entre 0 y 75°)");
        case ControlEntrada::L4:
            return QStringLiteral("Verifique Ingreso del minuto de Latitud. (entre 0 y 59'.99999)");
        case ControlEntrada::G3:
            return QStringLiteral("Verifique Ingreso el Grado de Longitud. (entre 0 y 179°)");
        case ControlEntrada::G4:
            return QStringLiteral("Verifique Ingreso del minuto de Longitud. (entre 0 y 59.9999')");
        case ControlEntrada::Z:
            return QStringLiteral("Verifique Ingreso de la Zona Horaria. (entre 0 y 12 horas)");
    }
    return {};
}

std::variant<DatosCalculo, FalloValidacion> ValidaDatos(const EntradasCalculo& e,
                                                        const QLocale& locale) {
    const auto falla = [](ControlEntrada c) { return FalloValidacion{c, MensajeValidacion(c)}; };

    const std::optional<double> dia = LeeCampoFecha(e.FE1, RangoDia, locale);
    if (!dia) return falla(ControlEntrada::FE1);
    const std::optional<double> mes = LeeCampoFecha(e.FE2, RangoMes, locale);
    if (!mes) return falla(ControlEntrada::FE2);
    const std::optional<double> anio = LeeCampoFecha(e.FE3, RangoAnio, locale);
    if (!anio) return falla(ControlEntrada::FE3);
    // The day searched is the calendar date the date box shows: the rounded
    // day, month and year composed with carry. The ranges above keep every
    // locale reading inside the integer range.
    const int diaEntero = *LecturaEntera(e.FE1, locale);
    const int mesEntero = *LecturaEntera(e.FE2, locale);
    const int anioEntero = *LecturaEntera(e.FE3, locale);
    const std::chrono::year_month_day fecha = ComponeFecha(anioEntero, mesEntero, diaEntero);
    if (!RangoAnio.Contiene(static_cast<int>(fecha.year()))) {
        // Only a day or a month rounded down to 0 borrows from the month or
        // year before ("0,4" of January 1980 is 31 December 1979): the first
        // such box is the one at fault.
        return falla(diaEntero < 1   ? ControlEntrada::FE1
                     : mesEntero < 1 ? ControlEntrada::FE2
                                     : ControlEntrada::FE3);
    }
    const std::optional<double> latGrados = LeeCampoAngulo(e.L3, RangoLatitud, locale);
    if (!latGrados) return falla(ControlEntrada::L3);
    const std::optional<double> latMinutos = LeeCampoAngulo(e.L4, RangoMinutos, locale);
    if (!latMinutos) return falla(ControlEntrada::L4);
    const std::optional<double> lonGrados = LeeCampoAngulo(e.G3, RangoLongitud, locale);
    if (!lonGrados) return falla(ControlEntrada::G3);
    const std::optional<double> lonMinutos = LeeCampoAngulo(e.G4, RangoMinutos, locale);
    if (!lonMinutos) return falla(ControlEntrada::G4);
    const std::optional<double> zona = LecturaLocal(e.Z, locale);
    if (!zona || !RangoZona.Contiene(*zona)) return falla(ControlEntrada::Z);

    DatosCalculo d;
    d.Fecha = fecha;
    // The search runs on that same date. For whole numbers it is the day
    // typed, carry included: the modified Julian date of day 31 of month 4
    // is that of day 1 of month 5, to the bit.
    d.Dia = static_cast<unsigned>(fecha.day());
    d.Mes = static_cast<unsigned>(fecha.month());
    d.Anio = static_cast<int>(fecha.year());

    d.Latitud = *latGrados + *latMinutos / 60.0;
    if (!e.Lnn) {
        d.Latitud = -d.Latitud;
    }
    double l = *lonGrados + *lonMinutos / 60.0;
    if (!e.Gee) {
        l = -l;
    }
    d.Longitud = -l;  // west positive
    d.Zona = e.Option2 ? *zona : -*zona;
    return d;
}

}  // namespace Vespalba

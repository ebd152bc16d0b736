// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes into every reader of the input boxes and
// into ValidaDatos. Any input must be accepted with finite values inside
// their ranges, or refused with the message of one box; never a crash, a
// hang or a NaN.
#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <variant>

#include "calculadora/lectura.h"
#include "calculadora/validacion.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

const QLocale& LocaleNumero(std::uint8_t n) {
    static const QLocale locales[] = {QLocale::c(),     QLocale("es_CL"), QLocale("de_DE"),
                                      QLocale("en_US"), QLocale("fr_FR"), QLocale("ar_EG")};
    return locales[n % (sizeof locales / sizeof locales[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    if (tamano < 1) {
        return 0;
    }
    const std::uint8_t opciones = datos[0];
    const QLocale& locale = LocaleNumero(opciones >> 3);
    const QString texto = QString::fromUtf8(reinterpret_cast<const char*>(datos + 1),
                                            static_cast<qsizetype>(tamano - 1));

    // Each reader on the whole text.
    Exige(!std::isnan(Vespalba::LecturaPrefijo(texto)));
    if (const auto v = Vespalba::LecturaLocal(texto, locale)) {
        Exige(std::isfinite(*v));
    }
    if (const auto v = Vespalba::LecturaEntera(texto, locale)) {
        Exige(*v >= -32768 && *v <= 32767);
    }

    // The eight boxes: the text cut at each 0x01 when it holds one, else at
    // each '|' (as the corpus files are written). Tabs and blanks stay inside
    // their box, and with 0x01 as the cut a box may hold a '|' too.
    const QChar corte = texto.contains(QChar(1)) ? QChar(1) : QChar('|');
    const QStringList partes = texto.split(corte);
    Vespalba::EntradasCalculo e;
    QString* campos[] = {&e.FE1, &e.FE2, &e.FE3, &e.L3, &e.L4, &e.G3, &e.G4, &e.Z};
    for (qsizetype i = 0; i < 8 && i < partes.size(); ++i) {
        *campos[i] = partes[i];
    }
    e.Lnn = opciones & 1;
    e.Gee = opciones & 2;
    e.Option2 = opciones & 4;

    const auto r = Vespalba::ValidaDatos(e, locale);
    if (const auto* d = std::get_if<Vespalba::ModuloVespalba::DatosCalculo>(&r)) {
        Exige(d->Dia > 0 && d->Dia <= 31);
        Exige(d->Mes > 0 && d->Mes <= 12);
        Exige(d->Anio >= 1980 && d->Anio <= 2040);
        Exige(std::fabs(d->Latitud) < 76);
        Exige(std::fabs(d->Longitud) < 181);
        Exige(std::fabs(d->Zona) <= 12);
    } else {
        Exige(!std::get<Vespalba::FalloValidacion>(r).mensaje.isEmpty());
    }
    return 0;
}

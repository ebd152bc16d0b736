// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as what the almanac window reads, typed
// into its boxes (a place's name or coordinates, a zone) and as its
// settings file and the shared one (whose default place vespalba-tabla reads
// too). A place read is always one the computation takes (finite,
// under 75 degrees of latitude, a known zone or none), a zone a known name
// or an offset of -12 to +14 hours; a bad input gets a reason; never a
// crash or a hang.
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "lugares/zonas.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

void ExigeSitio(const Vespalba::Almanaque::Sitio& s) { Exige(Vespalba::Almanaque::SitioValido(s)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    using namespace Vespalba::Almanaque;
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);
    const QString texto = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));

    const LecturaLugar c = LeeCoordenadas(texto);
    if (c.sitio) ExigeSitio(*c.sitio);
    const LecturaLugar l = LeeLugar(texto);
    Exige(l.sitio.has_value() != !l.problema.isEmpty());
    if (l.sitio) ExigeSitio(*l.sitio);
    const std::vector<Sugerencia> s = Sugerencias(texto, 12);
    Exige(s.size() <= 12);
    for (const Sugerencia& u : s) ExigeSitio(u.sitio);

    const LecturaZona z = LeeZona(texto);
    Exige(z.zona.has_value() != !z.problema.isEmpty());
    if (z.zona) {
        if (z.zona->tipo == EleccionZona::Tipo::Fija) {
            Exige(z.zona->horas >= -12.0 && z.zona->horas <= 14.0);
        } else {
            Exige(Vespalba::ZonaConocida(z.zona->iana));
        }
    }

    // The same bytes as the settings file.
    static QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("almanaque.conf"));
    {
        QFile f(ruta);
        Exige(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    QSettings a(ruta, QSettings::IniFormat);
    QSettings comun(ruta, QSettings::IniFormat);
    const Preferencias p = LeePreferencias(a, comun);
    if (p.ultimo) ExigeSitio(*p.ultimo);
    for (const Sitio& f : p.favoritos) ExigeSitio(f);
    Exige(p.porOmision >= -1 && p.porOmision < int(p.favoritos.size()));
    if (p.zona.tipo == EleccionZona::Tipo::Fija) Exige(std::isfinite(p.zona.horas));
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a place's name, into the name
// reduction (both forms must agree and reducing twice changes nothing), the
// split into name and narrowing parts, the forty places' lookup, the
// gazetteer's searches and vespalba-tabla's --lugar reader; and as a .mo
// catalogue. A name is found with coordinates inside the computation's
// range, a zone and a full name, or refused with one line; never a crash
// or a hang.
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lugares/catalogo_mo.h"
#include "lugares/lectura.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"
#include "lugares/nomenclator.h"
#include "tabla/lugares.h"
#include "tabla/orden.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);

    // As a catalogue: every message a view into the bytes.
    for (const auto& [original, traduccion] : Vespalba::LeeCatalogoMo(bytes)) {
        for (const std::string_view v : {original, traduccion}) {
            Exige(v.empty() || (v.data() >= bytes.data() && v.data() + v.size() <= bytes.end()));
        }
    }

    const QString texto = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    const QString reducido = Vespalba::NombreComparable(texto);
    Exige(Vespalba::NombreComparable(reducido) == reducido);
    const QByteArray utf8 = texto.toUtf8();  // valid UTF-8
    Exige(Vespalba::NombreComparable(std::string_view(
              utf8.constData(), std::size_t(utf8.size()))) == reducido.toStdString());

    const Vespalba::NombreCalificado partes = Vespalba::PartesDelNombre(texto);
    Exige(partes.nombre.find(',') == std::string::npos);
    for (const std::string& c : partes.calificadores) {
        Exige(!c.empty() && c.find(',') == std::string::npos);
    }

    if (const auto i = Vespalba::BuscaLugar(texto)) {
        Exige(*i >= 1 && *i <= Vespalba::NumLugares);
        Exige(Vespalba::NombreComparable(Vespalba::NombreLugar(*i)) == reducido);
    }
    for (int i : Vespalba::LugaresParecidos(texto)) {
        Exige(i >= 1 && i <= Vespalba::NumLugares);
    }

    const Vespalba::Nomenclator* mundo = Vespalba::Nomenclator::Mundial();
    Exige(mundo != nullptr);
    const Vespalba::Encontrados e = mundo->Busca(texto, 3);
    Exige(int(e.poblados.size()) == std::min(e.total, 3));
    Exige(mundo->Parecidos(texto, 3).size() <= 3);
    const Vespalba::Encontrados t = mundo->BuscaTexto(texto, 3);
    Exige(t.total >= e.total);  // a name or a part of it is contained in it

    Vespalba::Tabla::Peticion p;
    QString aviso;
    const QString problema = Vespalba::Tabla::LeeNombreDeLugar(texto, p, aviso);
    if (problema.isEmpty()) {
        Exige(std::fabs(p.latitud) < 75.0 && std::fabs(p.longitud) <= 180.0);
        Exige(!p.zonaDelLugar.isEmpty() && !p.nombreCompleto.isEmpty() && !p.lugar.isEmpty());
        Exige(!Vespalba::UnaLinea(aviso).contains(QLatin1Char('\n')));
    } else {
        Exige(!Vespalba::UnaLinea(problema).contains(QLatin1Char('\n')));
    }
    return 0;
}

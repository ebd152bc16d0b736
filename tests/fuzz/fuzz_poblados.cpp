// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a places file (lugares/poblados.h).
// A file is refused with a reason, or every one of its places reads inside
// the bytes: names, regions and reduced names within the data, coordinates
// in range, each id found again; never a crash, a read past the end or a
// hang.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lugares/poblados.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

bool Dentro(std::string_view v, std::string_view bytes) {
    return v.data() >= bytes.data() && v.data() + v.size() <= bytes.data() + bytes.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);
    QString problema;
    const auto archivo = Vespalba::ArchivoPoblados::Lee(bytes, &problema);
    if (!archivo) {
        Exige(!problema.isEmpty());
        return 0;
    }
    Exige(Dentro(archivo->Plegados(), bytes));
    Exige(int(archivo->Inicios().size()) == archivo->NumPoblados());
    for (int i = 0; i < archivo->NumPoblados(); ++i) {
        const Vespalba::ArchivoPoblados::Registro r = archivo->Poblado(i);
        Exige(Dentro(r.nombre, bytes) && !r.nombre.empty());
        Exige(Dentro(r.region, bytes) && Dentro(r.codigoPais, bytes) && r.codigoPais.size() == 2);
        Exige(std::fabs(r.latitud) <= 90.0 && std::fabs(r.longitud) <= 180.0);
        Exige(r.habitantes == archivo->Habitantes(i));
        Exige(archivo->BuscaId(r.id) == i);
        const std::string_view plegado = archivo->Plegado(i);
        Exige(Dentro(plegado, bytes) && !plegado.empty());
        Exige(plegado.find('\n') == std::string_view::npos);
        const Vespalba::ArchivoPoblados::Region region = archivo->RegionNumero(r.indiceRegion);
        Exige(region.codigoPais == r.codigoPais && region.codigo == r.region);
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the gazetteer's cache files (lugares/cache_nomenclator.h)
// as any bytes, and a valid image of a few towns with any bytes written
// over it (its header's hash made right again when the first byte asks, so
// that the checks after the hash are tried). A file is refused, or every
// accessor and the search of the names' words read inside the bytes; never
// a crash, a read past the end or a hang.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lugares/cache_nomenclator.h"

namespace {

void Exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

bool Dentro(std::string_view v, std::string_view bytes) {
    return v.empty() ||
           (v.data() >= bytes.data() && v.data() + v.size() <= bytes.data() + bytes.size());
}

const std::string& Base() {
    static const std::string base = [] {
        const std::vector<Vespalba::CiudadGeonames> ciudades = {
            {"30", "Port Montt", "14", "Los Lagos", "CL", "Chile", "America/Santiago", 200000,
             -41.5, -72.9},
            {"10", "San Pedro de la Paz", "10", "Biobio", "CL", "Chile", "America/Santiago", 90000,
             -36.8, -73.1},
            {"20", "Tokyo", "40", "Tokyo", "JP", "Japan", "Asia/Tokyo", 9000000, 35.7, 139.7},
        };
        const std::unordered_map<std::string_view, std::string_view> es = {
            {"30", "Puerto Montt"}, {"20", "Tokio"}, {"JP", "Japón"}};
        return Vespalba::ImagenGeonames::Construye(ciudades, es, "clave");
    }();
    return base;
}

void Recorre(std::string_view bytes, std::string_view clave) {
    const auto g = Vespalba::ImagenGeonames::Lee(bytes, clave);
    if (!g) {
        return;
    }
    for (int i = -1; i <= g->NumCiudades(); ++i) {
        const Vespalba::ImagenGeonames::Ficha f = g->Ciudad(i);
        for (std::string_view t :
             {f.id, f.nombre, f.admin1, f.region, f.codigoPais, f.pais, f.zona}) {
            Exige(Dentro(t, bytes));
        }
        g->Habitantes(i);
        g->CiudadDeRegion(std::string(f.codigoPais) + '.' + std::string(f.admin1));
        g->CiudadDePais(f.codigoPais);
        if (const auto t = g->Catalogo(f.id)) Exige(Dentro(*t, bytes));
        g->TieneId(std::uint32_t(std::strtoul(std::string(f.id).c_str(), nullptr, 10)));
    }
    for (int k = -1; k <= g->NumNombres(); ++k) {
        g->Inicio(k);
        const int d = g->Dueno(k);
        Exige(d >= -1 && d < g->NumCiudades());
    }
    std::vector<Vespalba::NombreHallado> h;
    for (const char* q : {"montt", "san", "p", "tokio", "a"}) {
        Vespalba::BuscaPalabras(g->Plegados(), g->IndicePalabras(), std::size_t(g->NumNombres()), q,
                                h);
        for (const Vespalba::NombreHallado& n : h) Exige(int(n.nombre) < g->NumNombres());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const std::string_view entrada(reinterpret_cast<const char*>(datos), tamano);
    // The bytes as a file, under the key they hold.
    if (const auto clave = Vespalba::ClaveDeContenedorCache(entrada, 'G')) {
        Exige(Dentro(*clave, entrada));
        Recorre(entrada, *clave);
    }
    if (const auto p = Vespalba::LeeContenedorCache(entrada, 'P', {}, 2)) {
        for (std::string_view s : *p) Exige(Dentro(s, entrada));
    }
    // The valid image with the input written over it at an offset.
    if (tamano >= 5) {
        std::string b = Base();
        std::uint32_t desde = 0;
        std::memcpy(&desde, datos + 1, 4);
        desde %= std::uint32_t(b.size());
        const std::string_view resto = entrada.substr(5);
        b.replace(desde, std::min(resto.size(), b.size() - desde), resto);
        if (datos[0] & 1) {
            Vespalba::RehaceHashContenedorCache(b);
        }
        Recorre(b, "clave");
    } else {
        Recorre(Base(), "clave");
    }
    return 0;
}

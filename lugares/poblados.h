// SPDX-License-Identifier: GPL-3.0-or-later
// GeoNames' places of 1,000 people or more (its "cities1000", about 135,000;
// CC-BY-4.0, see lugares/datos/POBLADOS-PROCEDENCIA.md): name, country,
// region code, population and position, read from a file mapped into memory
// (lugares/datos/poblados.idx, made by lugares/datos/poblados.py, which
// describes its format). The world gazetteer (nomenclator.h) joins them to
// libgeonames' towns; nothing here knows of libgeonames or of zones.
//
// The file is checked whole when it is opened: offsets, lengths, the order
// of the ids, the ranges of the coordinates and the reduced names' layout.
// A file that fails any check is refused with the reason, never read past
// its end. The gazetteer may skip the checks of every place and name for
// the very file it saw pass them before (its stamp, cache_nomenclator.h):
// the header and sections are checked still.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "lugares/cache_nomenclator.h"

namespace Vespalba {

class ArchivoPoblados {
public:
    // One place as the file holds it. The views point into the file's bytes.
    struct Registro {
        std::uint32_t id = 0;          // GeoNames' geonameid
        double latitud = 0.0;          // degrees, north positive
        double longitud = 0.0;         // degrees, EAST positive
        std::uint32_t habitantes = 0;  // 0 when GeoNames gives none
        std::string_view nombre;       // GeoNames' name, UTF-8 ("Hanga Roa")
        std::string_view codigoPais;   // ISO 3166 ("CL")
        std::string_view region;       // GeoNames' admin1 code ("01")
        int indiceRegion = 0;          // of the (country, region code) pair, 0 to NumRegiones() - 1
    };
    // A (country, region code) pair.
    struct Region {
        std::string_view codigoPais;  // ISO 3166 ("CL")
        std::string_view codigo;      // GeoNames' admin1 code ("01")
    };

    // The file at `ruta`, mapped; null, with the reason in Spanish in
    // *problema, when it cannot be opened or is not a valid file.
    static std::unique_ptr<ArchivoPoblados> Abre(const QString& ruta, QString* problema);
    // The same, but when the file opened has the stamp `revisado` (one
    // whose whole check passed before), only its header and sections are
    // checked: not each place and name. The reduced names' starts
    // (Inicios) are then found on first use.
    static std::unique_ptr<ArchivoPoblados> Abre(const QString& ruta, QString* problema,
                                                 const std::optional<SelloArchivo>& revisado);

    // The same checks over bytes in memory, which must outlive the result
    // (for the fuzz target and the tests).
    static std::unique_ptr<ArchivoPoblados> Lee(std::string_view datos, QString* problema);

    // The program's file: $VESPALBA_POBLADOS when set; otherwise
    // ../share/vespalba/poblados.idx from the running program's folder, as
    // installed; otherwise the source tree's lugares/datos/poblados.idx, for
    // programs run from the build folder. The first that exists; empty when
    // none does.
    static QString RutaDelPrograma();

    ~ArchivoPoblados();
    ArchivoPoblados(const ArchivoPoblados&) = delete;
    ArchivoPoblados& operator=(const ArchivoPoblados&) = delete;

    int NumPoblados() const;
    Registro Poblado(int i) const;
    // Place i's population: Poblado(i).habitantes, without the rest.
    std::uint32_t Habitantes(int i) const;
    int NumRegiones() const;
    Region RegionNumero(int r) const;
    // Place i's name reduced as NombreComparable reduces it.
    std::string_view Plegado(int i) const;
    // Every reduced name in the places' order, each after a "\n", with one
    // "\n" at the end: "\nhanga roa\nquellon\n...". Place i's starts at
    // Inicios()[i].
    std::string_view Plegados() const;
    const std::vector<std::uint32_t>& Inicios() const;
    // Place i's GeoNames id; they increase with i.
    std::uint32_t Id(int i) const;
    // The index of the place with GeoNames id `id`, or -1.
    int BuscaId(std::uint32_t id) const;
    // The file mapped, or empty for bytes given to Lee.
    QString Ruta() const;
    // The stamp of the file mapped, taken from the open file; none for
    // bytes given to Lee.
    std::optional<SelloArchivo> Sello() const;
    // Whether this opening checked the whole file (not only its header).
    bool RevisadoEntero() const;

private:
    struct Datos;
    explicit ArchivoPoblados(std::unique_ptr<Datos> datos);
    static std::unique_ptr<ArchivoPoblados> Valida(std::unique_ptr<Datos> d, QString* problema,
                                                   bool entera);
    std::unique_ptr<Datos> d_;
};

}  // namespace Vespalba

// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the reference tables of tests/datos (written by the genera_*.py
// scripts there from an independent ephemeris). Needs VESPALBA_DATOS, the
// folder's path.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace PruebasReferencia {

// Rows of numbers of `carpeta`/`nombre` (tests/datos/ unless told), a
// comma-separated file: '#' lines and the column header are skipped; "nan"
// reads as NaN. A file that cannot be read fails the test and gives no rows.
inline std::vector<std::vector<double>> LeeTabla(const std::string& nombre,
                                                 const std::string& carpeta = VESPALBA_DATOS) {
    // Appended piece by piece: g++ 12 warns falsely (-Warray-bounds) on
    // std::string(...) + "/" + nombre when it inlines the concatenation.
    std::string ruta = carpeta;
    ruta += '/';
    ruta += nombre;
    std::ifstream f(ruta);
    std::vector<std::vector<double>> filas;
    if (!f) {
        ADD_FAILURE() << "no se puede leer " << ruta;
        return filas;
    }
    std::string linea;
    bool cabecera = true;
    while (std::getline(f, linea)) {
        if (linea.empty() || linea[0] == '#') continue;
        if (cabecera) {
            cabecera = false;
            continue;
        }
        std::vector<double> fila;
        std::stringstream ss(linea);
        std::string campo;
        while (std::getline(ss, campo, ',')) fila.push_back(std::stod(campo));
        filas.push_back(std::move(fila));
    }
    return filas;
}

}  // namespace PruebasReferencia

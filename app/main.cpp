// Prints the results of the worked example (2 July 2003 at Valparaíso,
// 33° 16' S, 71° 36' W, zone 4 hours west) until the window takes over.
#include <cstdio>

#include "astro/ModuloVespalba.h"

int main() {
    using namespace ModuloVespalba;
    DatosCalculo datos;
    datos.Dia = 2;
    datos.Mes = 7;
    datos.Anio = 2003;
    datos.Latitud = -(33 + 16 / 60.0);
    datos.Longitud = 71 + 36 / 60.0;
    datos.Zona = -4;
    const EventosDia ev = BuscaEventos(datos);
    const char* nombres[] = {"Luna", "Sol", "Civil", "Nautico", "Astronomico"};
    std::printf("2 jul 2003, 33°16'S 71°36'W, zona -4\n");
    for (int c = 1; c <= NumClases; ++c) {
        const EventoClase& e = ev[static_cast<ClaseEvento>(c)];
        std::printf("%-12s orto %-8s ocaso %-8s\n", nombres[c - 1],
                    e.hayOrto ? HoraMinuto(e.horaOrto).c_str() : "-",
                    e.hayOcaso ? HoraMinuto(e.horaOcaso).c_str() : "-");
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The text of vespalba-tabla --help.
#include <QString>

#include "astro/dominio.h"
#include "lugares/lectura.h"
#include "tabla/orden.h"

namespace Vespalba::Tabla {

using ModuloVespalba::AnioMaximo;
using ModuloVespalba::AnioMinimo;
using namespace Salidas;
using Dias::AlturaProximoMaxima;
using Dias::AlturaProximoMinima;
constexpr double LatitudMaxima = ModuloVespalba::LatitudLimite;    // degrees, excluded
constexpr double LongitudMaxima = ModuloVespalba::LongitudLimite;  // degrees, excluded

namespace {

// A list for the description column of --help: broken between words into
// lines of at most 80 characters, the continuations indented to the column.
QString EnColumna(const QString& lista) {
    constexpr int columna = 24;
    constexpr int ancho = 80 - columna;
    QString texto, linea;
    for (const QString& palabra : lista.split(QLatin1Char(' '))) {
        if (!linea.isEmpty() && linea.size() + 1 + palabra.size() > ancho) {
            texto += linea + QLatin1Char('\n') + QString(columna, QLatin1Char(' '));
            linea.clear();
        }
        linea += (linea.isEmpty() ? QString() : QStringLiteral(" ")) + palabra;
    }
    return texto + linea;
}

}  // namespace

QString TextoAyuda() {
    QString ayuda = QStringLiteral(
        "Uso: vespalba-tabla [LUGAR] [--tz ZONA | --zona HORAS] FECHAS\n"
        "                      [--formato %NOMBRES%] [--eventos LISTA] [--papel a4|carta]\n"
        "                      [--tamano ANCHOxALTO] [--luna] [--dorada]\n"
        "                      [--salida ARCHIVO]\n"
        "\n"
        "Calcula, para cada día, el orto y el ocaso de la Luna y del Sol, la aurora y el fin\n"
        "del crepúsculo civil, náutico y astronómico, y las horas de luz, en la hora local\n"
        "de la zona, con los mismos textos y marcas que la ventana de Vespalba.\n"
        "\n"
        "Lugar (uno de los dos):\n"
        "  --lugar NOMBRE        uno de los 40 lugares de --lugares; da igual mayúsculas,\n"
        "                        acentos y blancos finales (\"valparaiso\", \"punta arenas\");\n"
        "                        si no, un pueblo o ciudad de 1000 habitantes o más del\n"
        "                        nomenclátor mundial (datos de GeoNames, CC-BY-4.0), en\n"
        "                        castellano o en inglés (\"Concepción\", \"Tokyo\"), que se\n"
        "                        precisa con la región o el país (\"Valparaiso, Indiana\",\n"
        "                        \"Valparaíso, Chile\", \"Concepción, CL\"); de varios con el\n"
        "                        mismo nombre se usa el más poblado, y se avisa\n"
        "  --lat LAT --lon LON   coordenadas, como en la ventana: grados:minutos y\n"
        "                        hemisferio (\"33:16S\", \"71:36W\", minutos con decimales);\n"
        "                        o grados decimales con el norte y el ESTE positivos, como\n"
        "                        en los mapas y el GPS (\"-33.27\", \"-71.6\" es 71.6 al oeste).\n"
        "                        %LIMITES%\n"
        "\n"
        "Zona (una de las dos; sin ninguna, la zona del lugar, o la del punto de --lat y\n"
        "--lon según los límites de zonas de timezone-boundary-builder, ODbL-1.0; en el\n"
        "mar, la zona náutica de la longitud):\n"
        "  --tz ZONA             la hora civil de una zona de la base tz, con sus cambios\n"
        "                        de hora (\"America/Santiago\", \"Pacific/Easter\",\n"
        "                        \"America/Punta_Arenas\"); los días del cambio duran 23 o\n"
        "                        25 horas y cada hora se da con el desfase de su momento\n"
        "  --zona HORAS          un desfase fijo: hora local = hora universal + HORAS, el\n"
        "                        este positivo, %ZONA% (la hora del huso\n"
        "                        en el mar: --zona -5 o --zona=-5)\n"
        "\n"
        "Fechas (una de estas formas, años %ANIOS%):\n"
        "  --fecha AAAA-MM-DD    un día\n"
        "  --mes AAAA-MM         un mes\n"
        "  --anio AAAA           un año\n"
        "  --desde AAAA-MM-DD --hasta AAAA-MM-DD\n"
        "                        los días entre ambas fechas, incluidas\n"
        "  --hoy                 la fecha de hoy\n"
        "\n"
        "Ahora (en vez de las fechas; para guiones):\n"
        "  --ahora               el momento presente en el lugar y su zona: la parte del\n"
        "                        día (noche, crepúsculo astronómico, náutico o civil, día;\n"
        "                        mañana o tarde), la hora dorada o azul, la altura y el\n"
        "                        azimut del Sol y de la Luna, la fracción iluminada y la\n"
        "                        fase de la Luna, y el próximo orto, ocaso, mediodía,\n"
        "                        aurora y fin de cada crepúsculo, orto y ocaso de la Luna\n"
        "                        y fase principal, con su hora y lo que falta; con\n"
        "                        --formato json, un objeto\n"
        "  --si CONDICION        no escribe nada: sale con 0 si la condición se cumple\n"
        "                        ahora y con 3 si no; CONDICION es dia (el Sol sobre el\n"
        "                        umbral del orto), noche, crepusculo-civil,\n"
        "                        crepusculo-nautico, crepusculo-astronomico,\n"
        "                        noche-cerrada (bajo -18°), dorada (de -4° a +6°) o\n"
        "                        azul (de -6° a -4°)\n"
        "  --proximo EVENTO      el instante del próximo EVENTO (ISO 8601 con el desfase)\n"
        "                        y su hora; EVENTO es orto, ocaso, mediodia,\n"
        "                        aurora-civil, fin-civil, aurora-nautica, fin-nautico,\n"
        "                        aurora-astronomica, fin-astronomico, luna-orto,\n"
        "                        luna-ocaso, luna-nueva, cuarto-creciente, luna-llena,\n"
        "                        cuarto-menguante, inicio-azul-manana,\n"
        "                        inicio-dorada-manana, fin-dorada-manana,\n"
        "                        inicio-dorada-tarde, inicio-azul-tarde, fin-azul-tarde,\n"
        "                        sube o baja; sale con 3 si no ocurre en un año o antes\n"
        "                        del fin de %ANIO_FIN%\n"
        "  --esperar EVENTO      espera al próximo EVENTO (los de --proximo) y sale con 0\n"
        "                        en su instante: vespalba-tabla --esperar ocaso && orden.\n"
        "                        Dice al empezar, por la salida de errores, qué espera y\n"
        "                        hasta cuándo. Espera un instante del reloj de tiempo\n"
        "                        real: cuenta el tiempo suspendido y sigue al reloj si\n"
        "                        se cambia; si despierta tarde (el equipo dormía), sale\n"
        "                        enseguida y avisa cuánto. SIGTERM y SIGINT la terminan\n"
        "                        (estado 143 y 130)\n"
        "  --altura GRADOS       con --proximo o --esperar sube o baja, la altura del\n"
        "                        centro del Sol, %ALTURAS%\n"
        "  --margen DURACION     con --proximo o --esperar, tanto antes (-30m) o después\n"
        "                        (+1h15m) del suceso; d, h, m y s, un día como mucho\n"
        "  --no-antes HH:MM      con --proximo o --esperar, no antes de esa hora del reloj\n"
        "  --no-despues HH:MM    ni después, en el día civil del suceso (una hora que el\n"
        "                        reloj salta ese día es el primer instante tras ella)\n"
        "  --tolerancia DURACION con --esperar, si despierta más tarde que esto después\n"
        "                        del instante, sale con 4 sin seguir\n"
        "\n"
        "Salida:\n"
        "%FORMATOS%"
        "  --eventos LISTA       los sucesos del calendario ics, separados por comas:\n"
        "                        %EVENTOS%\n"
        "                        (por omisión orto,ocaso,fases); dorada y azul dan el\n"
        "                        comienzo y el fin de cada hora dorada y azul\n"
        "  --papel PAPEL         el papel de las páginas pdf: a4 (por omisión) o carta\n"
        "  --tamano ANCHOxALTO   el tamaño del gráfico svg o png en píxeles,\n"
        "                        %TAMANOS%\n"
        "  --luna                en el gráfico, las horas de la Luna sobre el horizonte\n"
        "  --dorada              en el gráfico, las horas azul (el Sol de -6° a -4°) y\n"
        "                        dorada (de -4° a +6°), de mañana y de tarde\n"
        "  --salida ARCHIVO      escribe en ARCHIVO en vez de la salida normal (- es la\n"
        "                        salida normal); un archivo que ya existe se reemplaza\n"
        "                        solo cuando todo está escrito y guarda sus permisos; si\n"
        "                        algo falla, queda como estaba. Un dispositivo, una\n"
        "                        tubería con nombre o /dev/stdout se escriben en su\n"
        "                        sitio, como con >. pdf y png no se escriben en una\n"
        "                        terminal, tampoco con --salida /dev/tty\n"
        "\n"
        "Lugar por omisión (para guiones):\n"
        "  --guardar-lugar       con --lugar, o --lat y --lon y --tz, guarda ese lugar y\n"
        "                        su zona en ~/.config/vespalba/vespalba.conf (el mismo\n"
        "                        lugar por omisión que el del almanaque); sin --lugar ni\n"
        "                        --lat/--lon se usa el lugar guardado\n"
        "\n"
        "Otras:\n"
        "  --lugares             lista los 40 lugares con sus coordenadas\n"
        "  --buscar TEXTO        lista los lugares cuyo nombre contiene TEXTO, los 40 primero,\n"
        "                        con región, país, latitud, longitud, zona y habitantes\n"
        "  -h, --help            esta ayuda\n"
        "  -v, --version         la versión\n"
        "\n"
        "Estado de salida: 0 si todo va bien, 2 si un dato no es válido (el motivo sale en\n"
        "una línea por la salida de errores y nada por la salida normal), 1 si no se pudo\n"
        "escribir la salida (el motivo, en una línea por la salida de errores), 3 si la\n"
        "condición de --si no se cumple o --proximo o --esperar no hallan el suceso, 4 si\n"
        "--esperar despertó más tarde que --tolerancia.\n"
        "\n"
        "Ejemplos:\n"
        "  vespalba-tabla --lugar valparaiso --zona -4 --fecha 2003-07-02\n"
        "  vespalba-tabla --lat 33:02S --lon 71:38W --tz America/Santiago --mes 2023-09\n"
        "  vespalba-tabla --lugar \"Concepción, Chile\" --anio 2026\n"
        "  vespalba-tabla --buscar concep\n"
        "  vespalba-tabla --lat 53:10S --lon 70:55W --zona=-4 --mes 2003-06 --formato csv\n"
        "  vespalba-tabla --lat 70 --lon 0 --zona 0 --anio 2003 --formato json\n"
        "  vespalba-tabla --lugar valparaiso --anio 2026 --formato ics --eventos orto,fases\n"
        "  vespalba-tabla --lugar valparaiso --anio 2026 --formato pdf --salida 2026.pdf\n"
        "  vespalba-tabla --lugar Tromsø --anio 2026 --formato png --luna --salida t.png\n"
        "  vespalba-tabla --lugar valparaiso --mes 2026-01 --formato svg --dorada\n"
        "  vespalba-tabla --lugar valparaiso --ahora\n"
        "  vespalba-tabla --lugar valparaiso --proximo ocaso\n"
        "  vespalba-tabla --lugar Tromsø --proximo sube --altura 10 --formato json\n"
        "  if vespalba-tabla --lugar valparaiso --si noche; then echo es de noche; fi\n"
        "  vespalba-tabla --lugar valparaiso --guardar-lugar\n"
        "  vespalba-tabla --esperar ocaso --margen -30m --no-despues 21:00 && luces-encender\n");
    QStringList nombres;
    for (const FormatoSalida& f : Formatos()) nombres << QLatin1String(f.nombre);
    return ayuda.replace(QStringLiteral("%NOMBRES%"), nombres.join(QLatin1Char('|')))
        .replace(QStringLiteral("%FORMATOS%"), AyudaDeFormatos())
        .replace(QStringLiteral("%EVENTOS%"), EnColumna(NombresDeEventos(QStringLiteral(", "))))
        .replace(QStringLiteral("%ANIO_FIN%"), QString::number(AnioMaximo))
        .replace(
            QStringLiteral("%ALTURAS%"),
            QStringLiteral("de %1 a +%2 grados").arg(AlturaProximoMinima).arg(AlturaProximoMaxima))
        .replace(QStringLiteral("%TAMANOS%"), QStringLiteral("de %1x%2 a %3x%4; por omisión %5x%6")
                                                  .arg(TamanoMinimo.width())
                                                  .arg(TamanoMinimo.height())
                                                  .arg(TamanoMaximo.width())
                                                  .arg(TamanoMaximo.height())
                                                  .arg(TamanoPorDefecto.width())
                                                  .arg(TamanoPorDefecto.height()))
        .replace(QStringLiteral("%ANIOS%"),
                 QStringLiteral("%1 a %2").arg(AnioMinimo).arg(AnioMaximo))
        .replace(QStringLiteral("%LIMITES%"),
                 QStringLiteral("Latitud menor que %1 grados, longitud menor que %2.")
                     .arg(LatitudMaxima)
                     .arg(LongitudMaxima))
        .replace(QStringLiteral("%ZONA%"),
                 QStringLiteral("de %1 a +%2 en cuartos").arg(DesfaseMinimo).arg(DesfaseMaximo));
}

}  // namespace Vespalba::Tabla

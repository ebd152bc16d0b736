// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabla/orden.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cmath>

#include "astro/dominio.h"
#include "dias/lectura.h"
#include "lugares/lectura.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"
#include "lugares/zona_geo.h"
#include "lugares/zonas.h"
#include "rechazos.h"
#include "salidas/formatos.h"
#include "tabla/lugares.h"

namespace Vespalba::Tabla {

using namespace Salidas;
using namespace Dias;

namespace {

using namespace std::chrono;

// The years and places the computation accepts, as the window does.
using ModuloVespalba::AnioMaximo;
using ModuloVespalba::AnioMinimo;
constexpr double LongitudMaxima = ModuloVespalba::LongitudLimite;  // degrees, excluded
constexpr double MinutosMaximos = ModuloVespalba::MinutosLimite;   // excluded

// What each option accepts, said after the reason of a refusal.
const QString rangoBuscar = QStringLiteral(
    "se acepta el nombre o parte del nombre de un lugar, como «concep» o «Valparaíso, Chile»");
const QString rangoLon =
    QStringLiteral(
        "se acepta grados:minutos y hemisferio, como 71:36W (grados de 0 a %1, minutos "
        "menores que %2), o grados decimales con el este positivo, mayores que -%3 y "
        "menores que %3")
        .arg(LongitudMaxima - 1)
        .arg(MinutosMaximos)
        .arg(LongitudMaxima);
const QString rangoZona =
    QStringLiteral(
        "se aceptan horas entre %1 y +%2 en cuartos de hora, el este positivo (hora local = "
        "hora universal + zona; en el mar, la hora del huso: -5 a 75 W)")
        .arg(DesfaseMinimo)
        .arg(DesfaseMaximo);
const QString rangoTz = QStringLiteral(
    "se acepta un nombre de zona de la base tz, como America/Santiago, Pacific/Easter o "
    "America/Punta_Arenas");
const QString rangoFecha =
    QStringLiteral("se acepta una fecha del calendario AAAA-MM-DD entre %1-01-01 y %2-12-31")
        .arg(AnioMinimo)
        .arg(AnioMaximo);
const QString rangoMes =
    QStringLiteral("se acepta AAAA-MM entre %1-01 y %2-12").arg(AnioMinimo).arg(AnioMaximo);
const QString rangoAnio =
    QStringLiteral("se acepta un año AAAA entre %1 y %2").arg(AnioMinimo).arg(AnioMaximo);
const QString rangoFormato = QStringLiteral("se acepta ") + NombresDeFormatos();
const QString rangoPapel = QStringLiteral("se acepta a4 o carta");
const QString rangoTamano =
    QStringLiteral("se acepta ANCHOxALTO en píxeles, de %1x%2 a %3x%4, como %5x%6")
        .arg(TamanoMinimo.width())
        .arg(TamanoMinimo.height())
        .arg(TamanoMaximo.width())
        .arg(TamanoMaximo.height())
        .arg(TamanoPorDefecto.width())
        .arg(TamanoPorDefecto.height());
const QString rangoSalida = QStringLiteral("se acepta la ruta de un archivo");

const QString rangoEventos =
    QStringLiteral("se aceptan, separados por comas, ") + NombresDeEventos(QStringLiteral(" y "));

// "dia, noche, ... o azul": the conditions of --si.
QString NombresDeCondiciones() {
    QString lista;
    const std::size_t n = std::size(Condiciones);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) lista += i + 1 == n ? QStringLiteral(" o ") : QStringLiteral(", ");
        lista += QLatin1String(Condiciones[i].nombre);
    }
    return lista;
}
// "orto, ocaso, ... sube o baja": the events of --proximo.
QString NombresDeSucesos() {
    QString lista;
    const std::size_t n = Dias::TiposDeSuceso.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) lista += i + 1 == n ? QStringLiteral(" o ") : QStringLiteral(", ");
        lista += Dias::NombreSuceso(Dias::TiposDeSuceso[i]);
    }
    return lista;
}
const QString rangoSi = QStringLiteral("se acepta ") + NombresDeCondiciones();
const QString rangoProximo = QStringLiteral("se acepta ") + NombresDeSucesos() +
                             QStringLiteral(" (estos dos con --altura GRADOS)");
const QString rangoMargen = QStringLiteral(
    "se acepta una duración con signo, como -30m (antes del suceso), +1h15m (después) o 90s, "
    "de un día como mucho");
const QString rangoHoraDelDia =
    QStringLiteral("se acepta una hora del reloj de 0:00 a 23:59, como 7:00 o 22:30");
const QString rangoTolerancia =
    QStringLiteral("se acepta una duración, como 10m, 2h o 1d, de un año como mucho");
const QString rangoAltura =
    QStringLiteral(
        "se aceptan los grados de altura del centro del Sol, de %1 a +%2, como -4 o 12.5")
        .arg(AlturaProximoMinima)
        .arg(AlturaProximoMaxima);

// The options that take a value, with what they accept.
struct OpcionConValor {
    const char* nombre;
    const char* valor;  // name of the value in --help
    const QString* rango;
};
const std::array<OpcionConValor, 24> opcionesConValor = {{
    {"lugar", "NOMBRE", &rangoLugar},
    {"buscar", "TEXTO", &rangoBuscar},
    {"lat", "LATITUD", &rangoLat},
    {"lon", "LONGITUD", &rangoLon},
    {"tz", "ZONA", &rangoTz},
    {"zona", "HORAS", &rangoZona},
    {"fecha", "AAAA-MM-DD", &rangoFecha},
    {"mes", "AAAA-MM", &rangoMes},
    {"anio", "AAAA", &rangoAnio},
    {"desde", "AAAA-MM-DD", &rangoFecha},
    {"hasta", "AAAA-MM-DD", &rangoFecha},
    {"formato", "FORMATO", &rangoFormato},
    {"eventos", "LISTA", &rangoEventos},
    {"papel", "PAPEL", &rangoPapel},
    {"tamano", "ANCHOxALTO", &rangoTamano},
    {"salida", "ARCHIVO", &rangoSalida},
    {"si", "CONDICION", &rangoSi},
    {"proximo", "EVENTO", &rangoProximo},
    {"esperar", "EVENTO", &rangoProximo},
    {"altura", "GRADOS", &rangoAltura},
    {"margen", "DURACION", &rangoMargen},
    {"no-antes", "HH:MM", &rangoHoraDelDia},
    {"no-despues", "HH:MM", &rangoHoraDelDia},
    {"tolerancia", "DURACION", &rangoTolerancia},
}};

const OpcionConValor* BuscaOpcionConValor(const QString& nombre) {
    for (const OpcionConValor& o : opcionesConValor) {
        if (nombre == QLatin1String(o.nombre)) {
            return &o;
        }
    }
    return nullptr;
}

// The options without a value.
const std::array<QStringList, 8> opcionesSinValor = {{
    {QStringLiteral("hoy")},
    {QStringLiteral("guardar-lugar")},
    {QStringLiteral("ahora")},
    {QStringLiteral("luna")},
    {QStringLiteral("dorada")},
    {QStringLiteral("lugares")},
    {QStringLiteral("h"), QStringLiteral("help")},
    {QStringLiteral("v"), QStringLiteral("version")},
}};

QString ConGuiones(const QString& nombre) {
    return (nombre.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nombre;
}

QString FaltaValor(const OpcionConValor& o) {
    return QStringLiteral("falta el valor de --%1; %2").arg(QLatin1String(o.nombre), *o.rango);
}

}  // namespace

// ------------------------------------------------------------ command line

namespace {

// Each of the following reads one part of the request into p and gives
// the reason of a refusal, or an empty text when the part is good.

// --lugar, or --lat and --lon.
QString LeeLugarPedido(const QCommandLineParser& parser, Peticion& p, QString& aviso,
                       const std::function<LugarPorOmision()>& porOmision) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    if (dada("lugar") && (dada("lat") || dada("lon"))) {
        return QStringLiteral(
            "--lugar no puede ir junto con --lat y --lon: un lugar ya "
            "trae sus coordenadas");
    }
    if (dada("lugar")) {
        const QString problema = LeeNombreDeLugar(valor("lugar"), p, aviso);
        if (!problema.isEmpty()) {
            return problema;
        }
    } else if (dada("lat") || dada("lon")) {
        if (!dada("lat") || !dada("lon")) {
            return dada("lat") ? QStringLiteral("--lat necesita también --lon; ") + rangoLon
                               : QStringLiteral("--lon necesita también --lat; ") + rangoLat;
        }
        const Lectura lat = LeeLatitud(valor("lat"));
        if (!lat.valor) {
            return Rechazo(QStringLiteral("--lat"), valor("lat"), lat.problema, rangoLat);
        }
        const Lectura lon = LeeLongitud(valor("lon"));
        if (!lon.valor) {
            return Rechazo(QStringLiteral("--lon"), valor("lon"), lon.problema, rangoLon);
        }
        p.latitud = *lat.valor;
        p.longitud = *lon.valor;
    } else {
        const QString falta =
            QStringLiteral("falta el lugar: --lugar NOMBRE (vea --lugares), o --lat y --lon");
        if (!porOmision) return falta;
        const LugarPorOmision omision = porOmision();
        if (!omision.problema.isEmpty()) {
            return falta + QStringLiteral(
                               "; el lugar guardado en %1 no se pudo usar (%2): "
                               "corrija o borre ese archivo y guarde el lugar con --guardar-lugar")
                               .arg(omision.archivo, omision.problema);
        }
        if (!omision.lugar) {
            return falta + QStringLiteral(
                               "; o guarde uno para cuando no se dé ninguno: vespalba-tabla "
                               "--lugar NOMBRE --guardar-lugar");
        }
        const LugarGuardado& l = *omision.lugar;
        p.lugar = l.nombre;
        p.latitud = l.latitud;
        p.longitud = -l.longitud + 0.0;  // west positive for the search
        p.zonaDelLugar = l.zona;
        p.nombreCompleto = l.nombreCompleto;
    }

    return {};
}

// The days' time: --tz (a zone's civil time), --zona (a fixed offset), or
// the place's own zone when neither is given.
QString LeeZonaPedida(const QCommandLineParser& parser, Peticion& p) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    if (dada("tz") && dada("zona")) {
        return QStringLiteral(
            "--tz y --zona se excluyen: --tz da la hora civil de una zona, con sus cambios de "
            "hora; --zona, un desfase fijo");
    }
    if (dada("zona")) {
        const Lectura zona = LeeDesfase(valor("zona"));
        if (!zona.valor) {
            return Rechazo(QStringLiteral("--zona"), valor("zona"), zona.problema, rangoZona);
        }
        p.zona = *zona.valor;
        return {};
    }
    if (dada("tz")) {
        const QString nombre = valor("tz").trimmed();
        if (!ZonaConocida(nombre)) {
            const QStringList parecidas = ZonasParecidas(nombre);
            return Rechazo(QStringLiteral("--tz"), valor("tz"), QStringLiteral("zona desconocida"),
                           parecidas.isEmpty() ? rangoTz
                                               : QStringLiteral("parecidas: ") +
                                                     parecidas.join(QStringLiteral(", ")));
        }
        p.zonaHoraria = nombre;
        return {};
    }
    if (!p.zonaDelLugar.isEmpty()) {
        p.zonaHoraria = p.zonaDelLugar;
        return {};
    }
    // Coordinates (given, or a stored place without a zone): the zone of the
    // time-zone boundaries at that point, or at sea the longitude's
    // nautical zone.
    QString motivo;
    if (const std::optional<ZonaDeCoordenadas> z = ZonaEn(p.latitud, -p.longitud, &motivo)) {
        if (z->nautica) {
            p.zona = z->horasNauticas;
            p.origenZona = QStringLiteral("zona náutica de la longitud, en el mar");
        } else {
            p.zonaHoraria = z->zona;
            p.origenZona = QStringLiteral(
                "según las coordenadas, en los límites de zonas de timezone-boundary-builder");
            if (z->dudosa && !z->otra.isEmpty()) {
                p.origenZona += QStringLiteral(", a menos de 1 km del límite con %1").arg(z->otra);
            } else if (z->solapadas && !z->otra.isEmpty()) {
                p.origenZona += QStringLiteral(" (también reclamada por %1)").arg(z->otra);
            }
            if (!z->nota.isEmpty()) p.origenZona += QStringLiteral("; ") + z->nota;
        }
        return {};
    }
    return QStringLiteral("falta la zona: la de las coordenadas no se pudo hallar (") + motivo +
           QStringLiteral(
               "); dé --tz ZONA (hora civil, como America/Santiago) o --zona HORAS (desfase "
               "fijo); ") +
           rangoZona;
}

// One of --fecha, --mes, --anio, --desde and --hasta, --hoy.
QString LeeFechasPedidas(const QCommandLineParser& parser, qint64 ahora, Peticion& p) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    // Exactly one way of giving the dates.
    const int formasFecha = int(dada("fecha")) + int(dada("mes")) + int(dada("anio")) +
                            int(dada("desde") || dada("hasta")) + int(dada("hoy"));
    if (formasFecha == 0) {
        return QStringLiteral(
            "falta la fecha: --fecha AAAA-MM-DD, --mes AAAA-MM, --anio "
            "AAAA, --desde y --hasta, o --hoy");
    }
    if (formasFecha > 1) {
        return QStringLiteral(
            "use una sola de --fecha, --mes, --anio, --desde/--hasta y "
            "--hoy");
    }
    if (dada("fecha")) {
        const LecturaFecha f = LeeFecha(valor("fecha"));
        if (!f.fecha) {
            return Rechazo(QStringLiteral("--fecha"), valor("fecha"), f.problema, rangoFecha);
        }
        p.desde = p.hasta = sys_days{*f.fecha};
    } else if (dada("mes")) {
        static const QRegularExpression forma(QStringLiteral(R"(^(\d{4})-(\d{1,2})$)"));
        const QRegularExpressionMatch m = forma.match(valor("mes"));
        if (!m.hasMatch()) {
            return Rechazo(QStringLiteral("--mes"), valor("mes"),
                           QStringLiteral("no tiene la forma AAAA-MM"), rangoMes);
        }
        const int a = m.captured(1).toInt();
        const int mes = m.captured(2).toInt();
        if (mes < 1 || mes > 12) {
            return Rechazo(QStringLiteral("--mes"), valor("mes"),
                           QStringLiteral("no existe ese mes"), rangoMes);
        }
        if (a < AnioMinimo || a > AnioMaximo) {
            return Rechazo(QStringLiteral("--mes"), valor("mes"),
                           QStringLiteral("año fuera de rango"), rangoMes);
        }
        const year_month ym{year{a}, month{static_cast<unsigned>(mes)}};
        p.desde = sys_days{ym / 1};
        p.hasta = sys_days{ym / last};
    } else if (dada("anio")) {
        static const QRegularExpression forma(QStringLiteral(R"(^\d{4}$)"));
        const QString texto = valor("anio");
        if (!forma.match(texto).hasMatch()) {
            return Rechazo(QStringLiteral("--anio"), texto,
                           QStringLiteral("no tiene la forma AAAA"), rangoAnio);
        }
        const int a = texto.toInt();
        if (a < AnioMinimo || a > AnioMaximo) {
            return Rechazo(QStringLiteral("--anio"), texto, QStringLiteral("fuera de rango"),
                           rangoAnio);
        }
        p.desde = sys_days{year{a} / January / 1};
        p.hasta = sys_days{year{a} / December / 31};
    } else if (dada("hoy")) {
        // Today in the request's zone, not the machine's.
        const QDate fechaHoy =
            p.zonaHoraria.isEmpty()
                ? QDateTime::fromSecsSinceEpoch(ahora + qint64(std::lround(p.zona * 3600.0)),
                                                Qt::UTC)
                      .date()
                : QDateTime::fromSecsSinceEpoch(ahora, QTimeZone(p.zonaHoraria.toLatin1())).date();
        const year_month_day hoy{year{fechaHoy.year()}, month{unsigned(fechaHoy.month())},
                                 day{unsigned(fechaHoy.day())}};
        if (!hoy.ok() || int(hoy.year()) < AnioMinimo || int(hoy.year()) > AnioMaximo) {
            return QStringLiteral("--hoy: la fecha de hoy queda fuera de los años %1 a %2; ")
                       .arg(AnioMinimo)
                       .arg(AnioMaximo) +
                   rangoFecha;
        }
        p.desde = p.hasta = sys_days{hoy};
    } else {
        if (!dada("desde") || !dada("hasta")) {
            return dada("desde")
                       ? QStringLiteral("--desde necesita también --hasta; ") + rangoFecha
                       : QStringLiteral("--hasta necesita también --desde; ") + rangoFecha;
        }
        const LecturaFecha d = LeeFecha(valor("desde"));
        if (!d.fecha) {
            return Rechazo(QStringLiteral("--desde"), valor("desde"), d.problema, rangoFecha);
        }
        const LecturaFecha h = LeeFecha(valor("hasta"));
        if (!h.fecha) {
            return Rechazo(QStringLiteral("--hasta"), valor("hasta"), h.problema, rangoFecha);
        }
        if (sys_days{*h.fecha} < sys_days{*d.fecha}) {
            return QStringLiteral(
                       "--hasta %1 es anterior a --desde %2; el intervalo va de "
                       "la fecha menor a la mayor")
                .arg(valor("hasta"), valor("desde"));
        }
        p.desde = sys_days{*d.fecha};
        p.hasta = sys_days{*h.fecha};
    }

    return {};
}

// --formato, texto when not given.
QString LeeFormatoPedido(const QCommandLineParser& parser, Peticion& p) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    if (dada("formato")) {
        p.formato = BuscaFormato(valor("formato"));
        if (p.formato == nullptr) {
            p.formato = &Formatos().front();
            return Rechazo(QStringLiteral("--formato"), valor("formato"),
                           QStringLiteral("formato desconocido"), rangoFormato);
        }
    }
    if (dada("eventos")) {
        if (QLatin1String(p.formato->nombre) != QLatin1String("ics")) {
            return QStringLiteral(
                "--eventos elige los sucesos del calendario y solo vale con "
                "--formato ics");
        }
        p.eventos = 0;
        for (const QString& nombre : valor("eventos").split(QLatin1Char(','))) {
            // Accents and capitals as typed: "Náutico" is nautico.
            const QString buscado = NombreComparable(nombre);
            const auto e = std::find_if(std::begin(EventosCalendario), std::end(EventosCalendario),
                                        [&](const NombreEventoCalendario& n) {
                                            return buscado == QLatin1String(n.nombre);
                                        });
            if (e == std::end(EventosCalendario)) {
                return Rechazo(QStringLiteral("--eventos"), valor("eventos"),
                               nombre.trimmed().isEmpty()
                                   ? QStringLiteral("falta un nombre entre comas")
                                   : QStringLiteral("«%1» no es un suceso conocido").arg(nombre),
                               rangoEventos);
            }
            p.eventos |= e->bit;
        }
    }
    return {};
}

// The calendar's DTSTAMP: SOURCE_DATE_EPOCH, whole seconds since 1970 (up
// to the year 9999), or the present instant when it is not set.
QString LeeSello(const QString& fechaFuente, qint64 ahora, Peticion& p) {
    p.sello = ahora;
    if (fechaFuente.isNull()) {
        return {};
    }
    static const QRegularExpression cifras(QStringLiteral("^[0-9]{1,12}$"));
    const qint64 segundos = fechaFuente.toLongLong();
    if (!cifras.match(fechaFuente).hasMatch() || segundos > 253402300799) {
        return QStringLiteral(
                   "SOURCE_DATE_EPOCH «%1» no es válida; se acepta un número entero de segundos "
                   "desde 1970-01-01 00:00 UTC, o que no esté definida")
            .arg(fechaFuente);
    }
    p.sello = segundos;
    return {};
}

// --papel, --tamano, --luna and --salida, after the format and the dates:
// each only with a format that uses it, and a chart's range long enough.
QString LeeOpcionesDeDibujo(const QCommandLineParser& parser, Peticion& p) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    const FormatoSalida& f = *p.formato;
    const QString formato = QLatin1String(f.nombre);
    if (dada("papel")) {
        const QString papel = valor("papel").trimmed().toLower();
        if (papel == QLatin1String("a4")) {
            p.papel = Papel::A4;
        } else if (papel == QLatin1String("carta")) {
            p.papel = Papel::Carta;
        } else {
            return Rechazo(QStringLiteral("--papel"), valor("papel"),
                           QStringLiteral("papel desconocido"), rangoPapel);
        }
        if (f.lamina != Lamina::Paginas) {
            return QStringLiteral(
                       "--papel: el formato %1 no tiene páginas; el papel vale con --formato "
                       "pdf")
                .arg(formato);
        }
    }
    if (dada("tamano")) {
        static const QRegularExpression forma(QStringLiteral(R"(^(\d{1,9})[xX](\d{1,9})$)"));
        const QRegularExpressionMatch m = forma.match(valor("tamano").trimmed());
        if (!m.hasMatch()) {
            return Rechazo(QStringLiteral("--tamano"), valor("tamano"),
                           QStringLiteral("no tiene la forma ANCHOxALTO"), rangoTamano);
        }
        const QSize tamano(m.captured(1).toInt(), m.captured(2).toInt());
        if (tamano.width() < TamanoMinimo.width() || tamano.height() < TamanoMinimo.height() ||
            tamano.width() > TamanoMaximo.width() || tamano.height() > TamanoMaximo.height()) {
            return Rechazo(QStringLiteral("--tamano"), valor("tamano"),
                           QStringLiteral("fuera de rango"), rangoTamano);
        }
        if (!EsGrafico(f)) {
            return QStringLiteral(
                       "--tamano: el formato %1 no es un gráfico; el tamaño vale con --formato "
                       "svg o png")
                .arg(formato);
        }
        p.tamano = tamano;
    }
    if (dada("luna")) {
        if (f.lamina == Lamina::Paginas && !ConGraficoDelAnio(p)) {
            return QStringLiteral(
                "--luna: el gráfico, y con él la Luna, va solo en el pdf de un año entero "
                "(--anio)");
        }
        if (!EsGrafico(f) && f.lamina != Lamina::Paginas) {
            return QStringLiteral(
                       "--luna: el formato %1 no lleva el gráfico; la Luna vale con --formato "
                       "svg o png, o pdf de un año entero")
                .arg(formato);
        }
        p.luna = true;
    }
    if (dada("dorada")) {
        if (f.lamina == Lamina::Paginas && !ConGraficoDelAnio(p)) {
            return QStringLiteral(
                "--dorada: el gráfico, y con él las horas dorada y azul, va solo en el pdf de "
                "un año entero (--anio)");
        }
        if (!EsGrafico(f) && f.lamina != Lamina::Paginas) {
            return QStringLiteral(
                       "--dorada: el formato %1 no lleva el gráfico; las horas dorada y azul "
                       "valen con --formato svg o png, o pdf de un año entero")
                .arg(formato);
        }
        p.dorada = true;
    }
    if (EsGrafico(f)) {
        const long long dias = (p.hasta - p.desde).count() + 1;
        if (dias < DiasMinimosGrafico) {
            return QStringLiteral(
                       "el gráfico (--formato %1) necesita al menos %2 días y el intervalo "
                       "tiene %3; use --mes, --anio o --desde y --hasta")
                .arg(formato)
                .arg(DiasMinimosGrafico)
                .arg(dias);
        }
    }
    if (dada("salida")) {
        p.salida = valor("salida");
    }
    return {};
}

// --ahora, --si, --proximo or --esperar, the modes of the present instant:
// which one (Accion::Calcular for none), or the refusal of several, of the
// options they do not take, and of a condition, an event, an altitude, a
// margin, a clock time or a tolerance not understood.
struct Modo {
    Accion accion = Accion::Calcular;
    QString opcion;  // "--ahora", "--si", "--proximo" or "--esperar"
};
QString LeeModoPedido(const QCommandLineParser& parser, Modo& modo, Peticion& p) {
    auto valor = [&](const char* nombre) { return parser.value(QLatin1String(nombre)); };
    auto dada = [&](const char* nombre) { return parser.isSet(QLatin1String(nombre)); };
    const int modos =
        int(dada("ahora")) + int(dada("si")) + int(dada("proximo")) + int(dada("esperar"));
    if (modos > 1) {
        return QStringLiteral(
            "--ahora, --si, --proximo y --esperar se excluyen: use una sola de ellas por vez");
    }
    modo.accion = dada("ahora")     ? Accion::Ahora
                  : dada("si")      ? Accion::Si
                  : dada("proximo") ? Accion::Proximo
                  : dada("esperar") ? Accion::Esperar
                                    : Accion::Calcular;
    const bool buscaSuceso = modo.accion == Accion::Proximo || modo.accion == Accion::Esperar;
    // The options of the event's search, refused without one.
    for (const char* ajuste : {"margen", "no-antes", "no-despues"}) {
        if (dada(ajuste) && !buscaSuceso) {
            return QStringLiteral("--%1 solo vale con --proximo o --esperar")
                .arg(QLatin1String(ajuste));
        }
    }
    if (dada("tolerancia") && modo.accion != Accion::Esperar) {
        return QStringLiteral("--tolerancia solo vale con --esperar");
    }
    if (modos == 0) {
        if (dada("altura")) {
            return QStringLiteral("--altura solo vale con --proximo o --esperar sube o baja");
        }
        return {};
    }
    modo.opcion = dada("ahora")     ? QStringLiteral("--ahora")
                  : dada("si")      ? QStringLiteral("--si")
                  : dada("proximo") ? QStringLiteral("--proximo")
                                    : QStringLiteral("--esperar");
    for (const char* fecha : {"fecha", "mes", "anio", "desde", "hasta", "hoy"}) {
        if (dada(fecha)) {
            return QStringLiteral("%1 no va con --%2: %1 es del momento presente, sin fechas")
                .arg(modo.opcion, QLatin1String(fecha));
        }
    }
    for (const char* dibujo : {"papel", "tamano", "luna", "dorada", "eventos"}) {
        if (dada(dibujo)) {
            return QStringLiteral(
                       "%1 no va con --%2, que es de los gráficos, las páginas y el calendario")
                .arg(modo.opcion, QLatin1String(dibujo));
        }
    }
    if (modo.accion == Accion::Si || modo.accion == Accion::Esperar) {
        for (const char* salida : {"formato", "salida"}) {
            if (dada(salida)) {
                return modo.accion == Accion::Si
                           ? QStringLiteral(
                                 "--si no escribe nada, responde con el estado de "
                                 "salida (0 sí, 3 no); no lleva --%1")
                                 .arg(QLatin1String(salida))
                           : QStringLiteral(
                                 "--esperar no escribe nada, sale cuando llega el "
                                 "suceso; no lleva --%1")
                                 .arg(QLatin1String(salida));
            }
        }
    }
    if (modo.accion == Accion::Si) {
        // Accents, capitals and blanks as typed: "Crepúsculo civil".
        const QString buscada = NombreComparable(valor("si"));
        const auto c = std::find_if(std::begin(Condiciones), std::end(Condiciones),
                                    [&](const NombreCondicion& n) {
                                        return buscada == NombreComparable(QLatin1String(n.nombre));
                                    });
        if (c == std::end(Condiciones)) {
            return Rechazo(QStringLiteral("--si"), valor("si"),
                           QStringLiteral("condición desconocida"), rangoSi);
        }
        p.condicion = c->condicion;
    }
    if (buscaSuceso) {
        // Accents, capitals and blanks as typed: "Luna llena", "Aurora Náutica".
        const char* opcion = modo.accion == Accion::Proximo ? "proximo" : "esperar";
        const QString buscado = NombreComparable(valor(opcion));
        const auto t = std::find_if(
            Dias::TiposDeSuceso.begin(), Dias::TiposDeSuceso.end(), [&](Dias::TipoSuceso tipo) {
                return buscado == NombreComparable(Dias::NombreSuceso(tipo));
            });
        if (t == Dias::TiposDeSuceso.end()) {
            return Rechazo(modo.opcion, valor(opcion), QStringLiteral("suceso desconocido"),
                           rangoProximo);
        }
        p.suceso.tipo = *t;
    }
    const bool conAltura = buscaSuceso && (p.suceso.tipo == Dias::TipoSuceso::SolSube ||
                                           p.suceso.tipo == Dias::TipoSuceso::SolBaja);
    if (conAltura && !dada("altura")) {
        return QStringLiteral("%1 %2 necesita --altura GRADOS; ")
                   .arg(modo.opcion, Dias::NombreSuceso(p.suceso.tipo)) +
               rangoAltura;
    }
    if (!conAltura && dada("altura")) {
        return QStringLiteral("--altura solo vale con --proximo o --esperar sube o baja");
    }
    if (conAltura) {
        const std::optional<double> altura = LeeDecimal(valor("altura").trimmed());
        if (!altura) {
            return Rechazo(QStringLiteral("--altura"), valor("altura"),
                           QStringLiteral("no es un número"), rangoAltura);
        }
        if (*altura < AlturaProximoMinima || *altura > AlturaProximoMaxima) {
            return Rechazo(QStringLiteral("--altura"), valor("altura"),
                           QStringLiteral("fuera de rango"), rangoAltura);
        }
        p.suceso.altura = *altura;
    }
    if (dada("margen")) {
        const std::optional<qint64> margen = LeeDuracion(valor("margen"), true);
        if (!margen || *margen < -MargenMaximo || *margen > MargenMaximo) {
            return Rechazo(
                QStringLiteral("--margen"), valor("margen"),
                margen ? QStringLiteral("más de un día") : QStringLiteral("no es una duración"),
                rangoMargen);
        }
        p.ajuste.margen = *margen;
    }
    for (const char* cota : {"no-antes", "no-despues"}) {
        if (!dada(cota)) continue;
        const std::optional<int> minutos = LeeHoraDelDia(valor(cota));
        if (!minutos) {
            return Rechazo(QStringLiteral("--") + QLatin1String(cota), valor(cota),
                           QStringLiteral("no es una hora del reloj"), rangoHoraDelDia);
        }
        (QLatin1String(cota) == QLatin1String("no-antes") ? p.ajuste.noAntes : p.ajuste.noDespues) =
            *minutos;
    }
    if (p.ajuste.noAntes && p.ajuste.noDespues && *p.ajuste.noAntes > *p.ajuste.noDespues) {
        return QStringLiteral(
                   "--no-antes %1 es más tarde que --no-despues %2: ningún instante del día "
                   "cumple ambas")
            .arg(valor("no-antes").trimmed(), valor("no-despues").trimmed());
    }
    if (dada("tolerancia")) {
        const std::optional<qint64> tolerancia = LeeDuracion(valor("tolerancia"), false);
        if (!tolerancia || *tolerancia > ToleranciaMaxima) {
            return Rechazo(QStringLiteral("--tolerancia"), valor("tolerancia"),
                           tolerancia ? QStringLiteral("más de un año")
                                      : QStringLiteral("no es una duración sin signo"),
                           rangoTolerancia);
        }
        p.tolerancia = *tolerancia;
    }
    return {};
}

// The format of --ahora and --proximo: texto or json.
QString LeeFormatoDelModo(const Modo& modo, const Peticion& p) {
    const QLatin1String nombre(p.formato->nombre);
    if (nombre != QLatin1String("texto") && nombre != QLatin1String("json")) {
        return QStringLiteral("--formato %1 no vale con %2; se acepta texto o json")
            .arg(nombre, modo.opcion);
    }
    return {};
}

// The present instant's civil date in the request's zone, within the years
// computed.
QString LeeInstantePedido(const Modo& modo, qint64 ahora, Peticion& p) {
    const QDate fecha =
        p.zonaHoraria.isEmpty()
            ? QDateTime::fromSecsSinceEpoch(ahora + qint64(std::lround(p.zona * 3600.0)), Qt::UTC)
                  .date()
            : QDateTime::fromSecsSinceEpoch(ahora, QTimeZone(p.zonaHoraria.toLatin1())).date();
    if (!fecha.isValid() || fecha.year() < AnioMinimo || fecha.year() > AnioMaximo) {
        return QStringLiteral(
                   "%1: la fecha de hoy queda fuera de los años %2 a %3, los que se "
                   "calculan")
            .arg(modo.opcion)
            .arg(AnioMinimo)
            .arg(AnioMaximo);
    }
    p.instante = ahora;
    return {};
}

}  // namespace

LugarGuardado LugarParaGuardar(const Peticion& peticion) {
    LugarGuardado l;
    l.nombre = peticion.lugar.trimmed();
    l.nombreCompleto = peticion.nombreCompleto;
    l.latitud = peticion.latitud + 0.0;
    l.longitud = -peticion.longitud + 0.0;  // east positive, as stored
    l.zona = peticion.zonaHoraria;
    return l;
}

QString RechazoTerminal(const Peticion& peticion, bool destinoEsTerminal) {
    if (!peticion.formato->binario || !destinoEsTerminal) {
        return {};
    }
    const QLatin1String formato(peticion.formato->nombre);
    if (peticion.salida.isEmpty() || peticion.salida == QLatin1String("-")) {
        return QStringLiteral(
                   "el formato %1 no es texto y la salida es una terminal; escríbalo en un "
                   "archivo con --salida ARCHIVO o rediríjalo (> archivo.%1)")
            .arg(formato);
    }
    return QStringLiteral(
               "el formato %1 no es texto y --salida «%2» es una terminal; escríbalo en un "
               "archivo (--salida archivo.%1)")
        .arg(formato, peticion.salida);
}

Orden LeeOrden(const QStringList& argumentos, qint64 ahora, const QString& fechaFuente,
               const std::function<LugarPorOmision()>& porOmision) {
    auto error = [](const QString& m) {
        Orden o;
        o.accion = Accion::Error;
        o.mensaje = UnaLinea(m);
        return o;
    };
    auto solo = [](Accion a) {
        Orden o;
        o.accion = a;
        return o;
    };

    // Caught before Qt's parser, which words its complaints in English: a
    // value option with nothing after it, and a value given to an option
    // that takes none ("--hoy=1"). The parser takes the argument after a
    // value option as its value whatever it looks like, so "--zona -4"
    // works; a value that is itself an option ("--zona --hoy") is caught
    // after parsing.
    for (qsizetype i = 1; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (a == QLatin1String("--")) {
            break;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            continue;
        }
        const QString nombre = a.mid(2).section(QLatin1Char('='), 0, 0);
        if (a.contains(QLatin1Char('='))) {
            for (const QStringList& sinValor : opcionesSinValor) {
                if (sinValor.contains(nombre)) {
                    return error(QStringLiteral("--%1 no lleva valor; vea vespalba-tabla --help")
                                     .arg(nombre));
                }
            }
            continue;
        }
        if (const OpcionConValor* o = BuscaOpcionConValor(nombre)) {
            // "--lugar --zona -4": --lugar lacks its value, whatever follows.
            if (i + 1 == argumentos.size() || argumentos[i + 1].startsWith(QLatin1String("--"))) {
                return error(FaltaValor(*o));
            }
            ++i;
        }
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OpcionConValor& o : opcionesConValor) {
        parser.addOption(
            QCommandLineOption(QLatin1String(o.nombre), QString(), QLatin1String(o.valor)));
    }
    for (const QStringList& nombres : opcionesSinValor) {
        parser.addOption(QCommandLineOption(nombres, QString()));
    }
    if (!parser.parse(argumentos)) {
        const QStringList desconocidas = parser.unknownOptionNames();
        if (!desconocidas.isEmpty()) {
            return error(QStringLiteral("opción desconocida «%1»; vea vespalba-tabla --help")
                             .arg(ConGuiones(desconocidas.first())));
        }
        // Unknown options and missing or unwanted values are caught above;
        // anything else the parser refuses is reported in its own words.
        return error(QStringLiteral("línea de órdenes no válida (%1); vea vespalba-tabla --help")
                         .arg(parser.errorText()));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return solo(Accion::Ayuda);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return solo(Accion::Version);
    }
    if (parser.isSet(QStringLiteral("lugares"))) {
        return solo(Accion::ListaLugares);
    }

    // Every option once; every value present (a value that is itself an
    // option means the real value is missing: "--zona --hoy").
    const QStringList dadas = parser.optionNames();
    for (const QString& nombre : dadas) {
        if (dadas.count(nombre) > 1) {
            return error(QStringLiteral("%1 se dio más de una vez").arg(ConGuiones(nombre)));
        }
    }
    for (const OpcionConValor& o : opcionesConValor) {
        const QStringList valores = parser.values(QLatin1String(o.nombre));
        if (valores.size() == 1 &&
            (valores[0].trimmed().isEmpty() || valores[0].startsWith(QLatin1String("--")))) {
            return error(FaltaValor(o));
        }
    }
    if (!parser.positionalArguments().isEmpty()) {
        return error(QStringLiteral("argumento inesperado «%1»; las opciones empiezan con -- "
                                    "(vea vespalba-tabla --help)")
                         .arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(QStringLiteral("buscar"))) {
        Orden o = solo(Accion::Buscar);
        o.busqueda = parser.value(QStringLiteral("buscar"));
        return o;
    }
    Orden orden;
    orden.accion = Accion::Calcular;
    Peticion& p = orden.peticion;
    // --guardar-lugar: the place and its zone, nothing else.
    if (parser.isSet(QStringLiteral("guardar-lugar"))) {
        for (const QString& nombre : dadas) {
            if (!QStringList{QStringLiteral("guardar-lugar"), QStringLiteral("lugar"),
                             QStringLiteral("lat"), QStringLiteral("lon"), QStringLiteral("tz")}
                     .contains(nombre)) {
                return error(
                    QStringLiteral("--guardar-lugar no va con %1: guarda solo el lugar (--lugar, "
                                   "o --lat y --lon) y su zona (--tz)")
                        .arg(ConGuiones(nombre)));
            }
        }
        if (!parser.isSet(QStringLiteral("lugar")) && !parser.isSet(QStringLiteral("lat")) &&
            !parser.isSet(QStringLiteral("lon"))) {
            return error(
                QStringLiteral("--guardar-lugar necesita el lugar: --lugar NOMBRE, o "
                               "--lat y --lon con --tz ZONA"));
        }
        QString problema = LeeLugarPedido(parser, p, orden.aviso, {});
        orden.aviso = UnaLinea(orden.aviso);
        if (problema.isEmpty()) problema = LeeZonaPedida(parser, p);
        if (!problema.isEmpty()) return error(problema);
        orden.accion = Accion::GuardarLugar;
        return orden;
    }
    // --ahora, --si and --proximo: the place, the zone and the format of the
    // tables, the present instant for the dates.
    Modo modo;
    if (const QString problema = LeeModoPedido(parser, modo, p); !problema.isEmpty()) {
        return error(problema);
    }
    if (modo.accion != Accion::Calcular) {
        QString problema = LeeLugarPedido(parser, p, orden.aviso, porOmision);
        orden.aviso = UnaLinea(orden.aviso);
        if (problema.isEmpty()) {
            problema = LeeZonaPedida(parser, p);
        }
        if (problema.isEmpty()) {
            problema = LeeFormatoPedido(parser, p);
        }
        if (problema.isEmpty()) {
            problema = LeeFormatoDelModo(modo, p);
        }
        if (problema.isEmpty()) {
            problema = LeeInstantePedido(modo, ahora, p);
        }
        if (problema.isEmpty() && parser.isSet(QStringLiteral("salida"))) {
            p.salida = parser.value(QStringLiteral("salida"));
        }
        if (!problema.isEmpty()) {
            return error(problema);
        }
        orden.accion = modo.accion;
        return orden;
    }
    // In this order; the first refusal ends the reading.
    QString problema = LeeLugarPedido(parser, p, orden.aviso, porOmision);
    orden.aviso = UnaLinea(orden.aviso);
    if (problema.isEmpty()) {
        problema = LeeZonaPedida(parser, p);
    }
    if (problema.isEmpty()) {
        problema = LeeFechasPedidas(parser, ahora, p);
    }
    if (problema.isEmpty()) {
        problema = LeeFormatoPedido(parser, p);
    }
    if (problema.isEmpty()) {
        problema = LeeSello(fechaFuente, ahora, p);
    }
    if (problema.isEmpty()) {
        problema = LeeOpcionesDeDibujo(parser, p);
    }
    if (!problema.isEmpty()) {
        return error(problema);
    }
    return orden;
}

}  // namespace Vespalba::Tabla

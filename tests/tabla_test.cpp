// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: reading of places, coordinates and zones; then the built
// program itself, run as a user runs it, for each output format, the four
// worked days, a leap-year month and every kind of bad input.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dias/proximo.h"
#include "dias_trabajados.h"
#include "lugares/lectura.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"
#include "lugares/nomenclator.h"
#include "programa_tabla.h"
#include "salidas/salida.h"
#include "tabla/lugares.h"
#include "tabla/orden.h"

using namespace Vespalba::Tabla;
using namespace Vespalba::Dias;
using Vespalba::Lectura;
using Vespalba::LeeDesfase;
using Vespalba::LeeLatitud;
using Vespalba::LeeLongitud;
using Vespalba::Salidas::BuscaFormato;
using Vespalba::Salidas::Decimal;
using Vespalba::Salidas::Formatos;
using Vespalba::Salidas::FormatoSalida;
using Vespalba::Salidas::Lamina;
using Vespalba::Salidas::Papel;

namespace {

// ------------------------------------------------------------- coordinates

struct CasoCoordenada {
    const char* texto;
    std::optional<double> valor;  // in the program's convention; none: refused
};

// Latitude: north positive.
const CasoCoordenada latitudes[] = {
    {"33:16S", -(33 + 16 / 60.0)},  // as the window: degrees + minutes / 60, then the sign
    {"33:16s", -(33 + 16 / 60.0)},
    {"33:16.5S", -(33 + 16.5 / 60)},
    {"0:30N", 0.5},
    {"74:59.99N", 74 + 59.99 / 60},
    {"70:0N", 70.0},
    {"12:31N", 12 + 31 / 60.0},  // minutes * (1 / 60.0) would differ in the last bit
    {"-33.27", -33.27},          // decimal degrees, north positive
    {"+12.5", 12.5},
    {"74.999", 74.999},
    {"-0", 0.0},
    {"75:0S", std::nullopt},   // degrees under 75
    {"33:60S", std::nullopt},  // minutes under 60
    {"33:16E", std::nullopt},  // not a latitude hemisphere
    {"33:16", std::nullopt},
    {"75", std::nullopt},
    {"-75.0", std::nullopt},
    {"abc", std::nullopt},
    {"nan", std::nullopt},
    {"1e1", std::nullopt},
    {"", std::nullopt},
};

// Longitude: WEST positive, as the search takes it.
const CasoCoordenada longitudes[] = {
    {"71:36W", 71 + 36 / 60.0},
    {"71:36E", -(71 + 36 / 60.0)},
    {"12:31W", 12 + 31 / 60.0},
    {"179:59.9999W", 179 + 59.9999 / 60},
    {"-71.6", 71.6},  // decimal degrees, EAST positive: 71.6 west
    {"71.6", -71.6},
    {"0", 0.0},
    {"180:0W", std::nullopt},
    {"10:60E", std::nullopt},
    {"10:5N", std::nullopt},
    {"180", std::nullopt},
    {"-180", std::nullopt},
    {"71,6", std::nullopt},
};

TEST(LeeLatitud, DosFormas) {
    for (const CasoCoordenada& c : latitudes) {
        const Lectura l = LeeLatitud(QString::fromUtf8(c.texto));
        ASSERT_EQ(l.valor.has_value(), c.valor.has_value()) << c.texto;
        if (c.valor) {
            EXPECT_EQ(*l.valor, *c.valor) << c.texto;  // to the last bit
        } else {
            EXPECT_FALSE(l.problema.isEmpty()) << c.texto;
        }
    }
    // The window's value for 33 16' S, as printed in full.
    EXPECT_EQ(QByteArray::number(*LeeLatitud("33:16S").valor, 'g', 17), "-33.266666666666666");
}

TEST(LeeLongitud, DosFormas) {
    for (const CasoCoordenada& c : longitudes) {
        const Lectura l = LeeLongitud(QString::fromUtf8(c.texto));
        ASSERT_EQ(l.valor.has_value(), c.valor.has_value()) << c.texto;
        if (c.valor) {
            EXPECT_EQ(*l.valor, *c.valor) << c.texto;
        }
    }
}

// A fixed zone from -12 (the date line's west side) to +14 (the Line
// Islands; Auckland's summer is +13), in quarter hours.
TEST(LeeDesfase, DeMenosDoceAMasCatorceEnCuartos) {
    const CasoCoordenada casos[] = {
        {"-4", -4.0},   {"5.5", 5.5},  {"5.75", 5.75},   {"12", 12.0},  {"-12", -12.0},
        {"+3", 3.0},    {"-0", 0.0},   {"12.25", 12.25}, {"13", 13.0},  {"14", 14.0},
        {"-3.5", -3.5}, {"14.25", {}}, {"-12.25", {}},   {"-12.5", {}}, {"5.1", {}},
        {"5.333", {}},  {"abc", {}},   {"4W", {}},       {"", {}},
    };
    for (const CasoCoordenada& c : casos) {
        const Lectura l = LeeDesfase(QString::fromUtf8(c.texto));
        ASSERT_EQ(l.valor.has_value(), c.valor.has_value()) << c.texto;
        if (c.valor) {
            EXPECT_EQ(*l.valor, *c.valor) << c.texto;
            EXPECT_FALSE(std::signbit(*l.valor) && *l.valor == 0.0) << "no negative zero";
        }
    }
}

// ---------------------------------------------------- drawing options

// The drawing options as read: their defaults, the values each accepts, and
// which formats and ranges take them.
TEST(LeeOrden, OpcionesDeLosDibujos) {
    const struct {
        QStringList opciones;
        Papel papel;
        QSize tamano;
        bool luna;
        const char* salida;
    } casos[] = {
        {{"--formato", "pdf", "--anio", "2026"}, Papel::A4, QSize(1600, 900), false, ""},
        {{"--formato", "pdf", "--mes", "2026-02", "--papel", " Carta "},
         Papel::Carta,
         QSize(1600, 900),
         false,
         ""},
        {{"--formato", "pdf", "--anio", "2026", "--papel", "A4", "--luna"},
         Papel::A4,
         QSize(1600, 900),
         true,
         ""},
        // A whole year given by its days is a year: the chart comes first.
        {{"--formato", "pdf", "--desde", "2026-01-01", "--hasta", "2026-12-31", "--luna"},
         Papel::A4,
         QSize(1600, 900),
         true,
         ""},
        {{"--formato", "png", "--mes", "2026-02", "--tamano", "800x450", "--luna"},
         Papel::A4,
         QSize(800, 450),
         true,
         ""},
        // The limits, both included; the last week-long range.
        {{"--formato", "svg", "--desde", "2026-02-01", "--hasta", "2026-02-07", "--tamano",
          "320X200"},
         Papel::A4,
         QSize(320, 200),
         false,
         ""},
        {{"--formato", "png", "--anio", "2026", "--tamano", "8000x8000"},
         Papel::A4,
         QSize(8000, 8000),
         false,
         ""},
        // Any format to a file.
        {{"--fecha", "2026-02-01", "--salida", "a b/día.txt"},
         Papel::A4,
         QSize(1600, 900),
         false,
         "a b/día.txt"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.opciones.join(' ').toStdString());
        const Orden o =
            LeeOrden(QStringList{"t", "--lugar", "arica", "--zona", "-5"} + c.opciones, {});
        ASSERT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.papel, c.papel);
        EXPECT_EQ(o.peticion.tamano, c.tamano);
        EXPECT_EQ(o.peticion.luna, c.luna);
        EXPECT_EQ(o.peticion.salida, QString::fromUtf8(c.salida));
    }
    auto anio = [](const QStringList& fechas) {
        return ConGraficoDelAnio(
            LeeOrden(QStringList{"t", "--lugar", "arica", "--zona", "-5"} + fechas, {}).peticion);
    };
    EXPECT_TRUE(anio({"--anio", "2024"}));
    EXPECT_FALSE(anio({"--desde", "2024-01-01", "--hasta", "2024-12-30"}));
    EXPECT_FALSE(anio({"--desde", "2024-01-02", "--hasta", "2024-12-31"}));
    EXPECT_FALSE(anio({"--desde", "2024-01-01", "--hasta", "2025-12-31"}));
    EXPECT_FALSE(anio({"--mes", "2024-01"}));
}

// Binary formats never go to a terminal, whether standard output or what
// --salida names is one; text formats always may.
// --dorada: with a chart only (svg, png, a whole year's pdf), refused
// otherwise in one Spanish line; --eventos takes dorada and azul; the days
// get the golden and blue hours only for the outputs that show them.
TEST(LeeOrden, DoradaYEventosDoradaAzul) {
    const struct {
        QStringList opciones;
        const char* rechazo;  // a part of the refusal, or null when accepted
        bool luzEspecial;     // ConsultaDeDias(peticion).luzEspecial
    } casos[] = {
        {{"--anio", "2026"}, nullptr, false},
        {{"--anio", "2026", "--formato", "csv"}, nullptr, true},
        {{"--anio", "2026", "--formato", "json"}, nullptr, true},
        {{"--anio", "2026", "--formato", "ics"}, nullptr, false},
        {{"--anio", "2026", "--formato", "ics", "--eventos", "orto,luna"}, nullptr, false},
        {{"--anio", "2026", "--formato", "ics", "--eventos", "Dorada"}, nullptr, true},
        {{"--anio", "2026", "--formato", "ics", "--eventos", "azul,orto"}, nullptr, true},
        {{"--anio", "2026", "--formato", "svg"}, nullptr, false},
        {{"--anio", "2026", "--formato", "svg", "--dorada"}, nullptr, true},
        {{"--mes", "2026-02", "--formato", "png", "--dorada", "--luna"}, nullptr, true},
        {{"--anio", "2026", "--formato", "pdf", "--dorada"}, nullptr, true},
        {{"--mes", "2026-02", "--formato", "pdf", "--dorada"}, "--dorada: el gráfico", false},
        {{"--anio", "2026", "--dorada"}, "--dorada: el formato texto no lleva el gráfico", false},
        {{"--anio", "2026", "--formato", "csv", "--dorada"},
         "--dorada: el formato csv no lleva el gráfico",
         false},
        {{"--anio", "2026", "--formato", "ics", "--dorada"},
         "--dorada: el formato ics no lleva el gráfico",
         false},
        {{"--ahora", "--dorada"}, "--ahora no va con --dorada", false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.opciones.join(' ').toStdString());
        const Orden o =
            LeeOrden(QStringList{"t", "--lugar", "arica", "--zona", "-5"} + c.opciones, {});
        if (c.rechazo) {
            EXPECT_EQ(o.accion, Accion::Error);
            EXPECT_TRUE(o.mensaje.contains(QString::fromUtf8(c.rechazo)))
                << o.mensaje.toStdString();
            EXPECT_FALSE(o.mensaje.contains(QLatin1Char('\n')));
            continue;
        }
        ASSERT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.dorada, c.opciones.contains(QStringLiteral("--dorada")));
        EXPECT_EQ(ConsultaDeDias(o.peticion).luzEspecial, c.luzEspecial);
    }
    const QString ayuda = TextoAyuda();
    EXPECT_TRUE(ayuda.contains(QStringLiteral("[--dorada]")));
    EXPECT_TRUE(ayuda.contains(QStringLiteral("  --dorada  ")));
    EXPECT_TRUE(ayuda.simplified().contains(QStringLiteral("fases, mediodia, dorada, azul")));
}

TEST(RechazoTerminal, SoloBinarioAUnaTerminal) {
    const struct {
        const char* formato;
        const char* salida;
        bool terminal;  // the destination the program opened is a terminal
        bool rechazo;
    } casos[] = {
        {"pdf", "", true, true},
        {"png", "", true, true},
        {"pdf", "", false, false},
        {"png", "-", true, true},
        {"png", "x.png", false, false},
        {"pdf", "/dev/tty", true, true},
        {"svg", "", true, false},
        {"texto", "", true, false},
        {"csv", "/dev/pts/3", true, false},
        {"json", "", true, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.formato) + " '" + c.salida + "' " +
                     (c.terminal ? "terminal" : "tubo"));
        Peticion p;
        p.formato = BuscaFormato(QString::fromLatin1(c.formato));
        ASSERT_NE(p.formato, nullptr);
        p.salida = QString::fromLatin1(c.salida);
        const QString rechazo = RechazoTerminal(p, c.terminal);
        EXPECT_EQ(!rechazo.isEmpty(), c.rechazo) << rechazo.toStdString();
        if (c.rechazo) {
            EXPECT_TRUE(rechazo.contains(QStringLiteral("terminal")));
            EXPECT_TRUE(rechazo.contains(QStringLiteral("--salida")));
        }
    }
}

// ------------------------------------------------------------- date ranges

TEST(LeeOrden, DiasDeCadaFormaDeFecha) {
    using namespace std::chrono;
    const year_month_day hoy{year{2026}, month{3}, day{14}};
    // 2026-03-14 12:00 UT: the same date at -5 hours.
    const qint64 ahora = QDateTime(QDate(2026, 3, 14), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    const struct {
        QStringList fechas;
        year_month_day desde, hasta;
    } casos[] = {
        {{"--fecha", "2003-07-02"}, 2003y / 7 / 2, 2003y / 7 / 2},
        {{"--mes", "2024-02"}, 2024y / 2 / 1, 2024y / 2 / 29},
        {{"--mes", "2023-02"}, 2023y / 2 / 1, 2023y / 2 / 28},
        {{"--anio", "1980"}, 1980y / 1 / 1, 1980y / 12 / 31},
        {{"--desde", "2040-12-30", "--hasta", "2040-12-31"}, 2040y / 12 / 30, 2040y / 12 / 31},
        {{"--desde", "2003-07-02", "--hasta", "2003-07-02"}, 2003y / 7 / 2, 2003y / 7 / 2},
        {{"--hoy"}, hoy, hoy},
    };
    for (const auto& c : casos) {
        const Orden o = LeeOrden(
            QStringList{"vespalba-tabla", "--lugar", "arica", "--zona", "-5"} + c.fechas, ahora);
        ASSERT_EQ(o.accion, Accion::Calcular)
            << c.fechas.join(' ').toStdString() << ": " << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.desde, sys_days{c.desde}) << c.fechas.join(' ').toStdString();
        EXPECT_EQ(o.peticion.hasta, sys_days{c.hasta}) << c.fechas.join(' ').toStdString();
    }
}

TEST(LeeOrden, LugarDeLaTablaComoLoLeeLaVentana) {
    const Orden o = LeeOrden({"t", "--lugar", "Tokio", "--zona", "9", "--hoy"},
                             QDateTime(QDate(2003, 7, 2), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    ASSERT_EQ(o.accion, Accion::Calcular);
    EXPECT_EQ(o.peticion.lugar, "Tokio             ");
    EXPECT_EQ(o.peticion.latitud, 34 + 50 / 60.0);       // "N "
    EXPECT_EQ(o.peticion.longitud, -(139 + 53 / 60.0));  // east: negative for the search
    EXPECT_EQ(o.peticion.zona, 9.0);
}

// The place's zone and full name for the civil time, from the table or the
// gazetteer; the coordinates of a town exactly as the gazetteer gives them.
TEST(LeeOrden, ZonaYNombreCompletoDelLugar) {
    const Vespalba::Poblado montt =
        Vespalba::Nomenclator::Mundial()->Busca("Puerto Montt", 1).poblados.at(0);
    const struct {
        QStringList lugar;
        const char* zona;
        const char* nombreCompleto;
        bool aviso;
    } casos[] = {
        {{"--lugar", "Puerto Montt"}, "America/Santiago", "Puerto Montt", false},
        {{"--lugar", "puerto chacabuco"}, "America/Coyhaique", "Puerto Chacabuco", false},
        {{"--lugar", "Angostura Inglesa"}, "America/Punta_Arenas", "Angostura Inglesa", false},
        {{"--lugar", "Auckland"}, "Pacific/Auckland", "Auckland", false},
        {{"--lugar", "Port Montt"},
         "America/Santiago",
         "Puerto Montt, Región de Los Lagos, Chile",
         false},
        {{"--lugar", "Coyhaique"},
         "America/Coyhaique",
         "Coyhaique, Región Aysén del General Carlos Ibáñez del Campo, Chile",
         false},
        {{"--lugar", "Concepción"},
         "America/Santiago",
         "Concepción, Región del Biobío, Chile",
         true},
        {{"--lugar", "Valparaiso, Indiana"},
         "America/Chicago",
         "Valparaíso, Indiana, Estados Unidos",
         false},
        {{"--lugar", "Montt"},
         "America/Santiago",
         "Puerto Montt, Región de Los Lagos, Chile",
         true},
        {{"--lat", "33:16S", "--lon", "71:34W"}, "", "", false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lugar.join(' ').toStdString());
        const Orden o = LeeOrden(
            QStringList{"t"} + c.lugar + QStringList{"--zona", "-4", "--fecha", "2026-01-01"}, {});
        ASSERT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.zonaDelLugar, c.zona);
        EXPECT_EQ(o.peticion.nombreCompleto, QString::fromUtf8(c.nombreCompleto));
        EXPECT_EQ(!o.aviso.isEmpty(), c.aviso) << o.aviso.toStdString();
    }
    const Orden o =
        LeeOrden({"t", "--lugar", "Port Montt", "--zona", "-4", "--fecha", "2026-01-01"}, {});
    EXPECT_EQ(o.peticion.lugar, "Puerto Montt");
    EXPECT_EQ(o.peticion.latitud, montt.latitud);
    EXPECT_EQ(o.peticion.longitud, -montt.longitud);  // west positive for the search
}

// ------------------------------------------------------ the built program

using PruebasTabla::Ejecucion;
using PruebasTabla::Ejecuta;

QList<QJsonObject> LineasJson(const QByteArray& salida) {
    QList<QJsonObject> objetos;
    for (const QByteArray& linea : salida.split('\n')) {
        if (linea.isEmpty()) {
            continue;
        }
        QJsonParseError error;
        const QJsonDocument d = QJsonDocument::fromJson(linea, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << linea.toStdString();
        EXPECT_TRUE(d.isObject());
        objetos << d.object();
    }
    return objetos;
}

// RFC 4180 records: quoted fields may hold commas, quotes (doubled) and
// line breaks; records end with CRLF.
QList<QStringList> RegistrosCsv(const QByteArray& texto) {
    QList<QStringList> registros;
    QStringList registro;
    QString campo;
    bool entreComillas = false;
    const QString s = QString::fromUtf8(texto);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (entreComillas) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                campo += '"';
                ++i;
            } else if (c == '"') {
                entreComillas = false;
            } else {
                campo += c;
            }
        } else if (c == '"') {
            entreComillas = true;
        } else if (c == ',') {
            registro << campo;
            campo.clear();
        } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            registro << campo;
            registros << registro;
            registro.clear();
            campo.clear();
            ++i;
        } else {
            EXPECT_NE(c, '\n') << "bare line feed at " << i;
            campo += c;
        }
    }
    EXPECT_TRUE(campo.isEmpty() && registro.isEmpty()) << "last record without CRLF";
    return registros;
}

// A class's name in the output, by its index in search order.
QString NombreClase(int c) {
    const std::string_view n =
        Vespalba::ModuloVespalba::NombreClase(Vespalba::ModuloVespalba::Clases[c]);
    return QString::fromUtf8(n.data(), qsizetype(n.size()));
}

void ComparaTextos(const QJsonObject& textos, const DiasTrabajados::PantallaEsperada& x) {
    for (int i = 0; i < Vespalba::NumCajas; ++i) {
        const QString control =
            QString::fromUtf8(Vespalba::NombreCaja(static_cast<Vespalba::Caja>(i)));
        EXPECT_EQ(textos[control].toString(), QString::fromUtf8(x.cajas[i]))
            << control.toStdString();
    }
    EXPECT_EQ(textos["Label1"].toString(), x.label1);
    EXPECT_EQ(textos["Label8"].toString(), x.label8);
    EXPECT_EQ(textos["HorasLuz"].toString(), x.horasLuz);
    if (x.textInfo) {
        EXPECT_EQ(textos["TextInfo"].toString(), x.textInfo);
    } else {
        EXPECT_TRUE(textos["TextInfo"].isNull());
    }
    QStringList marco;
    for (Vespalba::Caja c : x.colorMarco) {
        marco << QString::fromUtf8(Vespalba::NombreCaja(c));
    }
    EXPECT_EQ(textos["ColorMarco"].toArray().toVariantList(), QVariant(marco).toList());
}

// The four worked days: hours to four decimals and every display text.
class Programa : public testing::TestWithParam<DiasTrabajados::Dia> {};

TEST_P(Programa, DiaTrabajadoEnJson) {
    const DiasTrabajados::Dia& d = GetParam();
    const Ejecucion e = Ejecuta({"--lat", d.lat, "--lon", d.lon, "--zona", d.zona, "--fecha",
                                 d.fecha, "--formato", "json"});
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty());
    const QList<QJsonObject> dias = LineasJson(e.salida);
    ASSERT_EQ(dias.size(), 1);
    const QJsonObject& o = dias[0];
    EXPECT_EQ(o["fecha"].toString(), d.fecha);
    EXPECT_EQ(o["latitud"].toDouble(), d.latitud);
    EXPECT_EQ(o["longitud"].toDouble(), -d.longitud);  // east positive
    EXPECT_EQ(o["zona"].toDouble(), d.zonaHoras);
    const char* const estados[] = {"SiempreBajo", "SiempreSobre", "ConEventos"};
    for (int c = 0; c < Vespalba::ModuloVespalba::NumClases; ++c) {
        SCOPED_TRACE(NombreClase(c).toStdString());
        const QJsonObject clase = o["clases"][NombreClase(c)].toObject();
        const DiasTrabajados::HorasClase& x = d.clases[c];
        EXPECT_EQ(clase["estado"].toString(), estados[static_cast<int>(x.estado)]);
        ASSERT_EQ(clase["orto"].isNull(), !x.orto.has_value());
        ASSERT_EQ(clase["ocaso"].isNull(), !x.ocaso.has_value());
        if (x.orto) {
            EXPECT_NEAR(clase["orto"].toDouble(), *x.orto, 5e-5);
        }
        if (x.ocaso) {
            EXPECT_NEAR(clase["ocaso"].toDouble(), *x.ocaso, 5e-5);
        }
    }
    ComparaTextos(o["textos"].toObject(), d.pantalla);
}

INSTANTIATE_TEST_SUITE_P(Dias, Programa, testing::ValuesIn(DiasTrabajados::Todos()),
                         [](const auto& info) { return std::string(info.param.nombre); });

// The small fixture: three days at the worked example's place and zone,
// the middle one its date.
const QStringList ejemplo = {"--lat", "33:16S",  "--lon",      "71:36W",  "--zona",
                             "-4",    "--desde", "2003-07-01", "--hasta", "2003-07-03"};

// The same days computed in this process, through the library.
std::vector<DiaCalculado> DiasEnProceso(const QStringList& argumentos) {
    const Orden o = LeeOrden(QStringList{"vespalba-tabla"} + argumentos, {});
    EXPECT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
    return CalculaDias(o.peticion);
}

TEST(Programa, JsonUnaLineaPorDiaConSusMiembrosEnOrden) {
    const Ejecucion e = Ejecuta(ejemplo + QStringList{"--formato", "json"});
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.salida.endsWith('\n'));
    const QList<QByteArray> lineas = e.salida.trimmed().split('\n');
    ASSERT_EQ(lineas.size(), 3);
    const char* fechas[] = {"2003-07-01", "2003-07-02", "2003-07-03"};
    for (int i = 0; i < 3; ++i) {
        const QByteArray& l = lineas[i];
        SCOPED_TRACE(l.toStdString());
        // The longitude east positive, as --lon takes it; a fixed zone names
        // no zone and has no clock change.
        EXPECT_TRUE(l.startsWith(QByteArray("{\"fecha\":\"") + fechas[i] +
                                 "\",\"lugar\":null,\"latitud\":-33.266666666666666,"
                                 "\"longitud\":-71.6,\"zona\":-4,\"zona_horaria\":null,"
                                 "\"existe\":true,\"cambios_de_hora\":[],"
                                 "\"clases\":{\"luna\":{\"estado\":"));
        // Members in their fixed order.
        const char* orden[] = {
            "\"luna\":", "\"sol\":", "\"civil\":", "\"nautico\":", "\"astronomico\":",
            "\"textos\":", "\"OcasoLuna\":", "\"OrtoLuna\":", "\"Orto\":", "\"Ocaso\":",
            "\"ComAuroraCivil\":", "\"FinCrepCivil\":", "\"ComAurora\":", "\"FinCrep\":",
            "\"ComAuroraAstro\":", "\"FinCrepAstro\":", "\"Label1\":", "\"Label8\":",
            "\"HorasLuz\":", "\"TextInfo\":", "\"ColorMarco\":", "\"mediodia\":", "\"luz_cambio\":",
            "\"luna\":{\"fraccion\":", "\"creciente\":", "\"fase\":", "\"fase_principal\":",
            // The golden and blue hours' boundaries, last.
            "\"inicio_azul_manana\":{\"hora\":", "\"inicio_dorada_manana\":{\"hora\":",
            "\"fin_dorada_manana\":{\"hora\":", "\"inicio_dorada_tarde\":{\"hora\":",
            "\"inicio_azul_tarde\":{\"hora\":", "\"fin_azul_tarde\":{\"hora\":"};
        qsizetype antes = -1;
        for (const char* m : orden) {
            const qsizetype donde = l.indexOf(m, antes + 1);
            EXPECT_GT(donde, antes) << m;
            antes = donde;
        }
        const QJsonObject o = LineasJson(l).value(0);
        EXPECT_EQ(o.keys(),
                  (QStringList{"cambios_de_hora", "clases", "existe", "fecha", "fin_azul_tarde",
                               "fin_dorada_manana", "inicio_azul_manana", "inicio_azul_tarde",
                               "inicio_dorada_manana", "inicio_dorada_tarde", "latitud", "longitud",
                               "lugar", "luna", "luz_cambio", "mediodia", "textos", "zona",
                               "zona_horaria"}));
        EXPECT_EQ(o["textos"].toObject().keys().size(), 15);
        // Noon and the phase's instant: the decimal hour on the day's clock
        // and its instant agree to the truncated second.
        const QJsonObject mediodia = o["mediodia"].toObject();
        const qint64 cero =
            QDateTime(QDate::fromString(fechas[i], Qt::ISODate), QTime(0, 0), Qt::UTC)
                .toSecsSinceEpoch() +
            4 * 3600;
        EXPECT_EQ(
            QDateTime::fromString(mediodia["instante"].toString(), Qt::ISODate).toSecsSinceEpoch(),
            cero + qint64(std::floor(mediodia["hora"].toDouble() * 3600.0)));
        EXPECT_NEAR(mediodia["altura"].toDouble(), 90.0 - 33.27 - 23.1, 0.3) << "early July";
        EXPECT_EQ(o["luz_cambio"].toInt(), QList<int>({24, 26, 29})[i]) << "seconds gained";
        const QJsonObject luna = o["luna"].toObject();
        EXPECT_EQ(luna["fase"].toString(), "Creciente");
        EXPECT_TRUE(luna["creciente"].toBool());
        EXPECT_TRUE(luna["fase_principal"].isNull());
        EXPECT_NEAR(luna["fraccion"].toDouble(), QList<double>({0.04, 0.09, 0.16})[i], 0.01);
        for (int c = 0; c < Vespalba::ModuloVespalba::NumClases; ++c) {
            const QJsonObject clase = o["clases"][NombreClase(c)].toObject();
            EXPECT_EQ(clase.keys(),
                      (QStringList{"estado", "ocaso", "ocaso_desfase", "ocaso_instante", "orto",
                                   "orto_desfase", "orto_instante"}));
            // Each instant is the date's 0 h at -4 plus the decimal hour,
            // truncated to the second, written with its offset.
            for (const char* evento : {"orto", "ocaso"}) {
                const QString instante = clase[QString(evento) + "_instante"].toString();
                EXPECT_TRUE(instante.endsWith("-04:00")) << instante.toStdString();
                const qint64 medianoche =
                    QDateTime(QDate::fromString(fechas[i], Qt::ISODate), QTime(0, 0), Qt::UTC)
                        .toSecsSinceEpoch() +
                    4 * 3600;
                EXPECT_EQ(QDateTime::fromString(instante, Qt::ISODate).toSecsSinceEpoch(),
                          medianoche + qint64(std::floor(clase[evento].toDouble() * 3600.0)))
                    << instante.toStdString();
                EXPECT_EQ(clase[QString(evento) + "_desfase"].toDouble(), -4.0);
            }
        }
    }
    ComparaTextos(LineasJson(lineas[1]).value(0)["textos"].toObject(),
                  DiasTrabajados::Todos()[0].pantalla);
}

// The CSV and JSON numbers are written without Qt, and must be the very text
// Qt's JSON writer gives (QByteArray::number, 'g', shortest): hours, degrees,
// fractions and offsets, their edges, and a spread of magnitudes, signs and
// short and long mantissas.
TEST(Decimal, ElMismoTextoQueQt) {
    std::vector<double> valores = {0.0,
                                   -0.0,
                                   1.0,
                                   -4.0,
                                   5.75,
                                   -3.5,
                                   14.0,
                                   0.1,
                                   1.0 / 3,
                                   23.999999999,
                                   24.0,
                                   90.0,
                                   -33.266666666666666,
                                   1e-5,
                                   1e-7,
                                   123456.0,
                                   1e5,
                                   99999.99,
                                   1e14,
                                   999999999999999.9,
                                   1e15,
                                   1e16,
                                   1e17,
                                   98393908422337330.0,
                                   1.7976931348623157e308,
                                   4.9e-324,
                                   2.2250738585072014e-308,
                                   std::nan(""),
                                   INFINITY,
                                   -INFINITY};
    std::mt19937_64 azar(20261210);
    for (int exponente = -20; exponente <= 20; ++exponente) {
        std::uniform_real_distribution<double> u(std::pow(10.0, exponente),
                                                 std::pow(10.0, exponente + 1));
        for (int i = 0; i < 2000; ++i) {
            const double x = u(azar);
            valores.insert(valores.end(), {x, -x, std::round(x * 1000.0) / 1000.0, std::round(x)});
        }
    }
    for (int segundos = -12 * 3600; segundos <= 14 * 3600; segundos += 900) {
        valores.push_back(segundos / 3600.0);
    }
    for (const double x : valores) {
        EXPECT_EQ(Decimal(x).toStdString(),
                  QByteArray::number(x + 0.0, 'g', QLocale::FloatingPointShortest).toStdString())
            << x;
    }
}

TEST(Programa, CsvRfc4180ConTextosYHorasDecimales) {
    const Ejecucion e = Ejecuta(ejemplo + QStringList{"--formato", "csv"});
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QList<QStringList> registros = RegistrosCsv(e.salida);
    ASSERT_EQ(registros.size(), 4);  // titles and three days
    const QStringList& titulos = registros[0];
    for (const QStringList& r : registros) {
        EXPECT_EQ(r.size(), titulos.size());
    }
    auto campo = [&](int fila, std::string_view titulo) {
        const qsizetype i =
            titulos.indexOf(QString::fromUtf8(titulo.data(), qsizetype(titulo.size())));
        EXPECT_GE(i, 0) << titulo;
        return i < 0 ? QString() : registros[fila][i];
    };
    // The worked example's day, as the window shows it.
    const DiasTrabajados::PantallaEsperada& x = DiasTrabajados::Todos()[0].pantalla;
    EXPECT_EQ(campo(2, "fecha"), "2003-07-02");
    EXPECT_EQ(campo(2, "latitud"), "-33.266666666666666");
    EXPECT_EQ(campo(2, "longitud"), "-71.6");  // east positive, as --lon takes it
    EXPECT_EQ(campo(2, "zona_horaria"), "");
    EXPECT_EQ(campo(2, "existe"), "true");
    EXPECT_EQ(campo(2, "luna_orto_instante"), "2003-07-02T10:15:59-04:00");
    EXPECT_EQ(campo(2, "sol_ocaso_desfase"), "-4");
    EXPECT_EQ(campo(2, "zona"), "-4");
    for (int i = 0; i < Vespalba::NumCajas; ++i) {
        EXPECT_EQ(campo(2, Vespalba::NombreCaja(static_cast<Vespalba::Caja>(i))), x.cajas[i]);
    }
    EXPECT_EQ(campo(2, "Label1"), x.label1);
    EXPECT_EQ(campo(2, "Label8"), x.label8);
    EXPECT_EQ(campo(2, "HorasLuz"), x.horasLuz);
    EXPECT_EQ(campo(2, "TextInfo"), "");
    EXPECT_EQ(campo(2, "ColorMarco"), "");
    // Every decimal hour reads back to exactly the number behind the text.
    const std::vector<DiaCalculado> dias = DiasEnProceso(ejemplo);
    ASSERT_EQ(dias.size(), 3u);
    for (int f = 1; f <= 3; ++f) {
        const DiaCalculado& d = dias[f - 1];
        for (int c = 0; c < Vespalba::ModuloVespalba::NumClases; ++c) {
            const Vespalba::ModuloVespalba::EventoClase& ev = d.eventos.clases[c];
            const std::string nombre = NombreClase(c).toStdString();
            ASSERT_TRUE(ev.hayOrto && ev.hayOcaso) << nombre;
            EXPECT_EQ(campo(f, nombre + "_orto").toDouble(), ev.horaOrto) << nombre;
            EXPECT_EQ(campo(f, nombre + "_ocaso").toDouble(), ev.horaOcaso) << nombre;
        }
        const auto& sol = d.eventos[Vespalba::ModuloVespalba::ClaseEvento::Sol];
        EXPECT_EQ(campo(f, "horas_luz").toDouble(), sol.horaOcaso - sol.horaOrto);
    }
}

// The golden and blue hours' boundaries at the end of each CSV row and JSON
// line, the earlier columns and members as they were (the CSV's titles up to
// fase_principal_instante as the README lists them): each boundary the
// instant the next-event search finds for it from the day's first instant,
// with its offset and wall-clock hours; the thresholds a polar day does not
// reach empty and null. Valparaíso across the clock going back at the end
// of 2026-04-04 (a 25-hour day), 70 N at the June solstice.
TEST(Programa, HorasDoradaYAzulAlFinalDeCsvYJson) {
    const QByteArray titulosAntes =
        "fecha,lugar,latitud,longitud,zona,zona_horaria,existe,cambios_de_hora,Label1,OcasoLuna,"
        "Label8,OrtoLuna,Orto,Ocaso,ComAuroraCivil,FinCrepCivil,ComAurora,FinCrep,ComAuroraAstro,"
        "FinCrepAstro,HorasLuz,TextInfo,ColorMarco,luna_orto,luna_ocaso,sol_orto,sol_ocaso,civil_"
        "orto,civil_ocaso,nautico_orto,nautico_ocaso,astronomico_orto,astronomico_ocaso,horas_luz,"
        "luna_orto_desfase,luna_ocaso_desfase,luna_orto_instante,luna_ocaso_instante,sol_orto_"
        "desfase,sol_ocaso_desfase,sol_orto_instante,sol_ocaso_instante,civil_orto_desfase,civil_"
        "ocaso_desfase,civil_orto_instante,civil_ocaso_instante,nautico_orto_desfase,nautico_"
        "ocaso_desfase,nautico_orto_instante,nautico_ocaso_instante,astronomico_orto_desfase,"
        "astronomico_ocaso_desfase,astronomico_orto_instante,astronomico_ocaso_instante,mediodia,"
        "mediodia_desfase,mediodia_instante,mediodia_altura,luz_cambio,luna_fraccion,luna_"
        "creciente,luna_fase,fase_principal,fase_principal_hora,fase_principal_desfase,fase_"
        "principal_instante";
    const char* nombres[] = {"inicio_azul_manana",  "inicio_dorada_manana", "fin_dorada_manana",
                             "inicio_dorada_tarde", "inicio_azul_tarde",    "fin_azul_tarde"};
    using Vespalba::Dias::TipoSuceso;
    const TipoSuceso tipos[] = {TipoSuceso::InicioAzulManana, TipoSuceso::InicioDoradaManana,
                                TipoSuceso::FinDoradaManana,  TipoSuceso::InicioDoradaTarde,
                                TipoSuceso::InicioAzulTarde,  TipoSuceso::FinAzulTarde};
    QByteArray titulosNuevos;
    for (const char* n : nombres) {
        titulosNuevos += QByteArray(",") + n + ',' + n + "_desfase," + n + "_instante";
    }
    const struct {
        QStringList lugar;
        const char* zona;
        int dias;
        std::array<bool, 6> hay;  // each boundary, every day
    } casos[] = {
        {{"--lugar", "valparaiso", "--desde", "2026-04-03", "--hasta", "2026-04-06"},
         "America/Santiago",
         4,
         {true, true, true, true, true, true}},
        {{"--lat", "70", "--lon", "20", "--tz", "Europe/Oslo", "--desde", "2026-06-20", "--hasta",
          "2026-06-22"},
         "Europe/Oslo",
         3,
         {false, false, true, true, false, false}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lugar.join(' ').toStdString());
        const Ejecucion csv = Ejecuta(c.lugar + QStringList{"--formato", "csv"});
        const Ejecucion json = Ejecuta(c.lugar + QStringList{"--formato", "json"});
        ASSERT_EQ(csv.estado, 0) << csv.errores.toStdString();
        ASSERT_EQ(json.estado, 0) << json.errores.toStdString();
        EXPECT_EQ(csv.salida.left(csv.salida.indexOf("\r\n")), titulosAntes + titulosNuevos);
        const QList<QStringList> filas = RegistrosCsv(csv.salida);
        const QList<QJsonObject> objetos = LineasJson(json.salida);
        ASSERT_EQ(filas.size(), c.dias + 1);
        ASSERT_EQ(objetos.size(), c.dias);
        const qsizetype primera = titulosAntes.count(',') + 1;
        const Orden orden = LeeOrden(QStringList{"t"} + c.lugar, {});
        ASSERT_EQ(orden.accion, Accion::Calcular);
        const QTimeZone zona(c.zona);
        for (int d = 0; d < c.dias; ++d) {
            const QStringList& fila = filas[d + 1];
            const QJsonObject& o = objetos[d];
            ASSERT_EQ(fila.size(), primera + 18);
            // The members after "luna", in order.
            const QStringList claves = o.keys();
            const QDate fecha = QDate::fromString(o["fecha"].toString(), Qt::ISODate);
            const qint64 inicio = fecha.startOfDay(zona).toSecsSinceEpoch();
            for (int k = 0; k < 6; ++k) {
                SCOPED_TRACE(std::string(nombres[k]) + " " +
                             fecha.toString(Qt::ISODate).toStdString());
                const QString hora = fila[primera + 3 * k];
                const QString desfase = fila[primera + 3 * k + 1];
                const QString instante = fila[primera + 3 * k + 2];
                const QJsonValue v = o[QLatin1String(nombres[k])];
                ASSERT_TRUE(claves.contains(QLatin1String(nombres[k])));
                if (!c.hay[std::size_t(k)]) {
                    EXPECT_TRUE(hora.isEmpty() && desfase.isEmpty() && instante.isEmpty());
                    EXPECT_TRUE(v.isNull());
                    continue;
                }
                ASSERT_TRUE(v.isObject());
                const QJsonObject m = v.toObject();
                EXPECT_EQ(m["hora"].toDouble(), hora.toDouble());
                EXPECT_EQ(m["desfase"].toDouble(), desfase.toDouble());
                EXPECT_EQ(m["instante"].toString(), instante);
                // The next-event search's instant of the boundary, from the
                // day's first instant, written as ISO 8601 with its offset.
                const Vespalba::Dias::Proximo p =
                    Vespalba::Dias::BuscaProximo(orden.peticion, {tipos[k], 0.0}, inicio - 1);
                ASSERT_TRUE(p.instante);
                const QDateTime t = QDateTime::fromSecsSinceEpoch(
                    p.instante->segundos, Qt::OffsetFromUTC, p.instante->desfase);
                EXPECT_EQ(instante, t.toString(Qt::ISODate));
                EXPECT_EQ(desfase.toDouble() * 3600, p.instante->desfase);
                // The wall-clock hours read that instant, to the second.
                const double reloj =
                    t.time().msecsSinceStartOfDay() / 3.6e6 + (t.date() > fecha ? 24.0 : 0.0);
                EXPECT_NEAR(hora.toDouble(), reloj + 0.5 / 3600, 0.5 / 3600);
            }
        }
    }
}

TEST(Programa, TextoAlineadoConCabeceraYMarcas) {
    const Ejecucion e = Ejecuta(ejemplo);
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QStringList lineas = QString::fromUtf8(e.salida).split('\n');
    EXPECT_EQ(lineas.value(0), "Lugar: 33° 16' S, 71° 36' W");
    EXPECT_EQ(lineas.value(1), "Zona horaria: -4 h (hora local = hora universal - 4 h)");
    const QStringList filas = lineas.filter(QRegularExpression("^2003-07-0[123] "));
    ASSERT_EQ(filas.size(), 3);
    // The worked example's row: moon events named, in the window's order;
    // then the solar noon (the Sun crosses 71° 36' W about 4 min after 16:46
    // UT in early July), the daylight gained since the day before (about
    // 25 s a day then at 33° S) and the Moon three days after the new moon
    // of 2003-06-29.
    const QStringList celdas = filas[1].split(QRegularExpression("  +"));
    // Clock times as people write them: hours unpadded, minutes in two
    // digits (the window writes " 7: 50").
    EXPECT_EQ(celdas, (QStringList{"2003-07-02", "Orto 10:15", "Ocaso 20:41", "7:50", "17:50",
                                   "12:50:25", "7:23", "18:17", "6:52", "18:48", "6:21", "19:18",
                                   "9:59", "+0 m 26 s", "9 % Cre"}));
    // Aligned: every row's cells end (or, for the left-aligned Luna, start)
    // under their titles.
    const qsizetype titulos = lineas.indexOf(QRegularExpression("Fecha .*"));  // a whole-line match
    ASSERT_GT(titulos, 0);
    const QString& cabecera = lineas[titulos];
    const qsizetype finMediodia = cabecera.indexOf("Mediodía") + QStringLiteral("Mediodía").size();
    const qsizetype luna = cabecera.indexOf("Luna");
    ASSERT_GT(luna, finMediodia);
    for (const QString& f : filas) {
        EXPECT_EQ(f.mid(finMediodia - 8, 9), f.mid(finMediodia - 8, 8) + " ") << f.toStdString();
        EXPECT_TRUE(f.mid(luna).contains(QRegularExpression("^\\d+ % \\w+$"))) << f.toStdString();
        EXPECT_EQ(f.mid(luna - 2, 2), "  ") << f.toStdString();
    }

    // A polar day and a polar night: marks, frame colour and status
    // sentence; a notice that would pass 160 characters takes the next line,
    // under the row.
    const Ejecucion polar = Ejecuta({"--lat", "74:54N", "--lon", "20:0E", "--zona", "1", "--desde",
                                     "2003-12-30", "--hasta", "2004-01-01"});
    ASSERT_EQ(polar.estado, 0) << polar.errores.toStdString();
    const QString texto = QString::fromUtf8(polar.salida);
    const QStringList todas = texto.split('\n');
    int noches = 0;
    for (qsizetype i = 0; i + 1 < todas.size(); ++i) {
        const QString& f = todas[i];
        EXPECT_LE(f.size(), 160) << f.toStdString();
        if (!f.contains(QRegularExpression("^200[34]-"))) continue;
        ++noches;
        EXPECT_TRUE(f.contains("Bajo horizonte")) << f.toStdString();
        EXPECT_TRUE(f.contains(QString(6, QChar(0x2593)))) << "civil dawn box in the frame colour";
        // The first quarter of 2003-12-30 10:03 UT follows the sentence.
        const QString aviso = f.contains("Obscuridad Absoluta.") ? f : todas[i + 1];
        EXPECT_TRUE(aviso.contains(QRegularExpression("Obscuridad Absoluta\\.( CC 11:0\\d)?$")))
            << aviso.toStdString();
        if (aviso != f) {
            EXPECT_TRUE(aviso.startsWith(QString(12, ' ') + "Obscuridad")) << aviso.toStdString();
        }
    }
    EXPECT_EQ(noches, 3);
    EXPECT_EQ(texto.count(QRegularExpression("\nFecha ")), 2) << "titles again for the new month";

    const Ejecucion dia =
        Ejecuta({"--lat", "70:0N", "--lon", "0:0E", "--zona", "0", "--fecha", "2003-06-21"});
    const QStringList verano =
        QString::fromUtf8(dia.salida).split('\n').filter(QRegularExpression("^2003-"));
    ASSERT_EQ(verano.size(), 1);
    EXPECT_EQ(verano[0].split(QRegularExpression("  +")),
              (QStringList{"2003-06-21", "Orto 1:09", "Ocaso 11:05", "No hay", "12:01:42", "////",
                           "////", "////", "24:00", "51 % CM", "Siempre Brillante. CM 14:49"}))
        << "no change of daylight where the Sun does not set; the last quarter of 2003-06-21 "
           "14:45 UT";
}

// A month of changing days near the pole: every state, mark and number the
// program prints is the library's for that day.
TEST(Programa, MesPolarIgualQueLaBiblioteca) {
    const QStringList argumentos = {"--lat",  "69:30N", "--lon", "-18.95",
                                    "--zona", "1",      "--mes", "2003-05"};
    const Ejecucion e = Ejecuta(argumentos + QStringList{"--formato", "json"});
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QList<QJsonObject> lineas = LineasJson(e.salida);
    const std::vector<DiaCalculado> dias = DiasEnProceso(argumentos);
    ASSERT_EQ(lineas.size(), 31);
    ASSERT_EQ(dias.size(), 31u);
    const char* const estados[] = {"SiempreBajo", "SiempreSobre", "ConEventos"};
    int sinEventos = 0;
    for (int i = 0; i < 31; ++i) {
        const QJsonObject& o = lineas[i];
        const DiaCalculado& d = dias[std::size_t(i)];
        SCOPED_TRACE(o["fecha"].toString().toStdString());
        for (int c = 0; c < Vespalba::ModuloVespalba::NumClases; ++c) {
            const QJsonObject clase = o["clases"][NombreClase(c)].toObject();
            const Vespalba::ModuloVespalba::EventoClase& ev = d.eventos.clases[c];
            EXPECT_EQ(clase["estado"].toString(), estados[static_cast<int>(ev.estado)]);
            sinEventos += ev.estado != Vespalba::ModuloVespalba::EstadoClase::ConEventos;
            if (ev.hayOrto) {
                EXPECT_EQ(clase["orto"].toDouble(), ev.horaOrto);
            } else {
                EXPECT_TRUE(clase["orto"].isNull());
            }
            if (ev.hayOcaso) {
                EXPECT_EQ(clase["ocaso"].toDouble(), ev.horaOcaso);
            } else {
                EXPECT_TRUE(clase["ocaso"].isNull());
            }
        }
        const QJsonObject textos = o["textos"].toObject();
        for (const Vespalba::CajaResultado& c : d.pantalla.cajas) {
            EXPECT_EQ(textos[QString::fromUtf8(c.control.data(), qsizetype(c.control.size()))]
                          .toString()
                          .toStdString(),
                      c.texto);
        }
        EXPECT_EQ(textos["HorasLuz"].toString().toStdString(), d.pantalla.HorasLuz);
    }
    EXPECT_GT(sinEventos, 10) << "the fixture should reach the days without night";
}

TEST(Programa, MesDeFebreroBisiesto) {
    const struct {
        const char* mes;
        int dias;
    } casos[] = {{"2024-02", 29}, {"2023-02", 28}, {"2000-02", 29}, {"1980-02", 29}};
    for (const auto& c : casos) {
        const Ejecucion e =
            Ejecuta({"--lugar", "Arica", "--zona", "-4", "--mes", c.mes, "--formato", "json"});
        ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
        const QList<QJsonObject> dias = LineasJson(e.salida);
        ASSERT_EQ(dias.size(), c.dias) << c.mes;
        EXPECT_EQ(dias.last()["fecha"].toString(), QString("%1-%2").arg(c.mes).arg(c.dias));
    }
    const Ejecucion csv =
        Ejecuta({"--lugar", "Arica", "--zona", "-4", "--mes", "2024-02", "--formato", "csv"});
    EXPECT_EQ(RegistrosCsv(csv.salida).size(), 30);
    const Ejecucion texto = Ejecuta({"--lugar", "Arica", "--zona", "-4", "--mes", "2024-02"});
    EXPECT_EQ(
        QString::fromUtf8(texto.salida).split('\n').filter(QRegularExpression("^2024-02-")).size(),
        29);
}

// Places by name, coordinates in both forms, the zone in both spellings:
// the same request gives the same bytes.
TEST(Programa, FormasEquivalentesDeUnaMismaPeticion) {
    const struct {
        QStringList a, b;
    } pares[] = {
        {{"--lugar", "valparaiso"}, {"--lat", "33:16S", "--lon", "71:34W"}},
        {{"--lugar", "VALPARAÍSO  "}, {"--lugar", "Valparaíso        "}},
        {{"--lugar", "punta arenas"}, {"--lat", "53:10S", "--lon", "70:54W"}},
        {{"--lugar", "chanaral"}, {"--lugar", "Chañaral"}},
        {{"--lugar", "Manila"}, {"--lat", "15:0n", "--lon", "121:0e"}},
        {{"--lat", "70:0N", "--lon", "0:0E"}, {"--lat", "70", "--lon", "0"}},
        {{"--lat", "0:30S", "--lon", "71:36W"}, {"--lat", "-0.5", "--lon", "-71.6"}},
    };
    for (const auto& p : pares) {
        const QStringList resto = {"--zona", "-4", "--fecha", "2003-07-02", "--formato", "json"};
        const Ejecucion a = Ejecuta(p.a + resto);
        const Ejecucion b = Ejecuta(p.b + resto);
        ASSERT_EQ(a.estado, 0) << a.errores.toStdString();
        ASSERT_EQ(b.estado, 0) << b.errores.toStdString();
        // The same results; only the place's name may differ (coordinates
        // have none).
        QJsonObject ja = LineasJson(a.salida).value(0);
        QJsonObject jb = LineasJson(b.salida).value(0);
        ja.remove("lugar");
        jb.remove("lugar");
        EXPECT_EQ(ja, jb) << p.a.join(' ').toStdString() << " / " << p.b.join(' ').toStdString();
    }
    const Ejecucion separada = Ejecuta(ejemplo);
    QStringList junta = ejemplo;
    junta.replace(junta.indexOf("--zona"), "--zona=-4");
    junta.removeAt(junta.indexOf("-4"));
    const Ejecucion conIgual = Ejecuta(junta);
    ASSERT_EQ(conIgual.estado, 0) << conIgual.errores.toStdString();
    EXPECT_EQ(separada.salida, conIgual.salida);
}

// Bad input: one line on standard error naming the option and what it
// accepts, status 2, nothing on standard output.
struct Malo {
    QStringList argumentos;
    const char* dice;  // words the message must contain
};

void PrintTo(const Malo& m, std::ostream* os) { *os << m.argumentos.join(' ').toStdString(); }

class EntradaMala : public testing::TestWithParam<Malo> {};

TEST_P(EntradaMala, UnaLineaEstadoDosNadaEnLaSalida) {
    const Malo& m = GetParam();
    const Ejecucion e = Ejecuta(m.argumentos);
    EXPECT_EQ(e.estado, 2);
    EXPECT_TRUE(e.salida.isEmpty()) << e.salida.toStdString();
    const QString error = QString::fromUtf8(e.errores);
    EXPECT_TRUE(error.startsWith("vespalba-tabla: ")) << error.toStdString();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    EXPECT_TRUE(error.endsWith('\n'));
    EXPECT_TRUE(error.contains(QString::fromUtf8(m.dice))) << error.toStdString();
}

const QStringList lugar = {"--lugar", "Arica", "--zona", "-4"};
const QStringList coordenadas = {"--zona", "-4", "--fecha", "2003-07-02"};

const Malo malos[] = {
    // Unknown option, stray argument, option given twice or with a value it does not take.
    {{"--latitud", "3"}, "opción desconocida «--latitud»"},
    {{"-x"}, "opción desconocida «-x»"},
    {lugar + QStringList{"--hoy", "2003"}, "argumento inesperado «2003»"},
    {lugar + QStringList{"--hoy", "--hoy"}, "--hoy se dio más de una vez"},
    {lugar + QStringList{"--hoy=si"}, "--hoy no lleva valor"},
    // Missing value: at the end, or followed by another option.
    {{"--lugar", "Arica", "--zona"},
     "falta el valor de --zona; se aceptan horas entre -12 y +14 en cuartos de hora"},
    {{"--lugar", "--zona", "-4", "--hoy"}, "falta el valor de --lugar"},
    {{"--lat", "33:16S", "--lon", "--zona", "-4", "--hoy"}, "falta el valor de --lon"},
    {{"--lugar", "Arica", "--tz", "--hoy"}, "falta el valor de --tz"},
    {{"--lugar", "Arica", "--zona", "--hoy"}, "falta el valor de --zona"},
    {{"--lugar", "Arica", "--zona=", "--hoy"}, "falta el valor de --zona"},
    {lugar + QStringList{"--fecha"},
     "falta el valor de --fecha; se acepta una fecha del calendario"},
    // Not a number, or out of range.
    {{"--lugar", "Arica", "--zona", "cuatro", "--hoy"},
     "--zona «cuatro»: no es un número; se aceptan horas entre -12 y +14 en cuartos de hora"},
    {{"--lugar", "Arica", "--zona", "14.5", "--hoy"},
     "--zona «14.5»: fuera de rango; se aceptan horas entre -12 y +14"},
    {{"--lugar", "Arica", "--zona", "-12.25", "--hoy"}, "--zona «-12.25»: fuera de rango"},
    {{"--lugar", "Arica", "--zona", "5.1", "--hoy"},
     "--zona «5.1»: no es un número de cuartos de hora"},
    // Zone names: only tzdata's, exactly as written; close names suggested.
    {{"--lugar", "Arica", "--tz", "Marte/Olimpo", "--hoy"},
     "--tz «Marte/Olimpo»: zona desconocida"},
    {{"--lugar", "Arica", "--tz", "Qqqqqqqq", "--hoy"},
     "--tz «Qqqqqqqq»: zona desconocida; se acepta un nombre de zona de la base tz"},
    {{"--lugar", "Arica", "--tz", "america/santiago", "--hoy"},
     "--tz «america/santiago»: zona desconocida; parecidas: America/Santiago"},
    {{"--lugar", "Arica", "--tz", "CLT", "--hoy"}, "--tz «CLT»: zona desconocida"},
    {{"--lugar", "Arica", "--tz", "UTC+3", "--hoy"}, "--tz «UTC+3»: zona desconocida"},
    {{"--lugar", "Arica", "--tz", "Punta_Arenas", "--hoy"}, "parecidas: America/Punta_Arenas"},
    {{"--lugar", "Arica", "--tz", "America/Santiago", "--zona", "-4", "--hoy"},
     "--tz y --zona se excluyen"},
    {QStringList{"--lat", "33:16", "--lon", "71:36W"} + coordenadas,
     "--lat «33:16»: no es una latitud"},
    {QStringList{"--lat", "75:0S", "--lon", "71:36W"} + coordenadas,
     "--lat «75:0S»: grados fuera de rango; se acepta grados:minutos"},
    {QStringList{"--lat", "33:60S", "--lon", "71:36W"} + coordenadas,
     "--lat «33:60S»: minutos fuera de rango"},
    {QStringList{"--lat", "-75", "--lon", "71:36W"} + coordenadas, "--lat «-75»: fuera de rango"},
    {QStringList{"--lat", "33:16S", "--lon", "180:0W"} + coordenadas,
     "--lon «180:0W»: grados fuera de rango"},
    {QStringList{"--lat", "33:16S", "--lon", "-180.5"} + coordenadas, "menores que 180"},
    {QStringList{"--lat", "33:16S", "--lon", "oeste"} + coordenadas,
     "--lon «oeste»: no es una longitud"},
    // Impossible dates, years out of range, a range backwards.
    {lugar + QStringList{"--fecha", "2023-02-29"},
     "--fecha «2023-02-29»: no existe en el calendario; se acepta una fecha del calendario "
     "AAAA-MM-DD entre 1980-01-01 y 2040-12-31"},
    {lugar + QStringList{"--fecha", "2003-04-31"}, "no existe en el calendario"},
    {lugar + QStringList{"--fecha", "2003-7-2x"},
     "--fecha «2003-7-2x»: no tiene la forma AAAA-MM-DD"},
    {lugar + QStringList{"--fecha", "1979-12-31"}, "año fuera de rango"},
    {lugar + QStringList{"--mes", "2003-13"},
     "--mes «2003-13»: no existe ese mes; se acepta AAAA-MM entre 1980-01 y 2040-12"},
    {lugar + QStringList{"--mes", "2041-01"}, "--mes «2041-01»: año fuera de rango"},
    {lugar + QStringList{"--anio", "1979"},
     "--anio «1979»: fuera de rango; se acepta un año AAAA entre 1980 y 2040"},
    {lugar + QStringList{"--anio", "03"}, "--anio «03»: no tiene la forma AAAA"},
    {lugar + QStringList{"--desde", "2003-02-01", "--hasta", "2003-01-31"},
     "--hasta 2003-01-31 es anterior a --desde 2003-02-01"},
    {lugar + QStringList{"--desde", "2003-02-01"}, "--desde necesita también --hasta"},
    {lugar + QStringList{"--desde", "2003-02-30", "--hasta", "2003-03-01"},
     "--desde «2003-02-30»: no existe en el calendario"},
    // Missing or conflicting parts of the request.
    {{"--zona", "-4", "--hoy"}, "falta el lugar"},
    {lugar, "falta la fecha"},
    {lugar + QStringList{"--hoy", "--anio", "2003"}, "use una sola de --fecha, --mes, --anio"},
    {QStringList{"--lat", "33:16S"} + coordenadas, "--lat necesita también --lon"},
    {QStringList{"--lugar", "Arica", "--lat", "1", "--lon", "1"} + coordenadas,
     "--lugar no puede ir junto con --lat"},
    {lugar + QStringList{"--hoy", "--formato", "xml"},
     "--formato «xml»: formato desconocido; se acepta texto, csv, json, ics, pdf, svg o png"},
    // Unknown places, with the close ones listed.
    {{"--lugar", "valpraiso", "--zona", "-4", "--hoy"},
     "--lugar «valpraiso»: lugar desconocido; parecidos: Valparaíso (vea --lugares)"},
    // Part of a few villages' names: which one cannot be told.
    {{"--lugar", "valpo", "--zona", "-4", "--hoy"},
     "--lugar «valpo»: lugar ambiguo, 4 nombres del nomenclátor lo contienen; parecidos: "
     "Valparaíso (vea --lugares); en el nomenclátor: «Sant'Ambrogio di Valpollicella, Italia»"},
    {{"--lugar", "puerto", "--zona", "-4", "--hoy"},
     "parecidos: Puerto Montt, Puerto Chacabuco, Puerto Williams, Puerto Soberanía"},
    // Control characters typed into a value are shown escaped, on one line.
    {{"--lugar", "Ari\nca\x1b[2J", "--zona", "-4", "--hoy"},
     "--lugar «Ari\\x0aca\\x1b[2J»: lugar desconocido"},
    {{"--lugar", "Xqzwv", "--zona", "-5", "--hoy"},
     "--lugar «Xqzwv»: lugar desconocido; se acepta uno de los 40 lugares (vea --lugares) o un "
     "pueblo o ciudad del nomenclátor mundial"},
    {{"--lugar", "Concepcion, Uruguay", "--zona", "-5", "--hoy"},
     "--lugar «Concepcion, Uruguay»: lugar desconocido; parecidos en el nomenclátor: «Concepción, "
     "Chile», «Concepcion, Luzón Central, Filipinas», «Concepción, Paraguay», «Concepción, "
     "Venezuela»"},
    {{"--lugar", "valparaizo", "--zona", "-4", "--hoy"},
     "parecidos: Valparaíso (vea --lugares); en el nomenclátor: «Valparaíso, Chile», "
     "«Valparaíso, Estados Unidos», «Valparaíso, Brasil»"},
    // Part of several names of the gazetteer.
    {{"--lugar", "puerto", "--zona", "-4", "--hoy"}, "--lugar «puerto»: lugar ambiguo"},
    // A town beyond the latitudes of the computation, refused as --lat.
    {{"--lugar", "Longyearbyen", "--zona", "1", "--hoy"},
     "--lugar «Longyearbyen»: Longyearbyen, Svalbard, Svalbard y Jan Mayen está a 78.22 grados "
     "de latitud: fuera de rango; se acepta grados:minutos y hemisferio"},
    // Searching.
    {{"--buscar"}, "falta el valor de --buscar; se acepta el nombre o parte del nombre"},
    {{"--buscar", "--hoy"}, "falta el valor de --buscar"},
    {{"--buscar", "Xqzwv"},
     "--buscar «Xqzwv»: ningún lugar lo contiene, ni de los 40 de --lugares ni del nomenclátor"},
    {{"--buscar", "Valparaizoo"}, "ningún lugar lo contiene"},
    {{"--buscar", "Xq\nz\x1b[2J"}, "--buscar «Xq\\x0az\\x1b[2J»: ningún lugar lo contiene"},
};
INSTANTIATE_TEST_SUITE_P(Casos, EntradaMala, testing::ValuesIn(malos));

const QStringList anio = {"--lugar", "Arica", "--zona", "-4", "--anio", "2026"};

// The drawing options' bad input.
const Malo malosDibujos[] = {
    {anio + QStringList{"--formato", "pdf", "--papel", "a5"},
     "--papel «a5»: papel desconocido; se acepta a4 o carta"},
    {anio + QStringList{"--formato", "pdf", "--papel", "--luna"}, "falta el valor de --papel"},
    {anio + QStringList{"--papel", "carta"}, "--papel: el formato texto no tiene páginas"},
    {anio + QStringList{"--formato", "svg", "--papel", "carta"},
     "--papel: el formato svg no tiene páginas"},
    {anio + QStringList{"--formato", "png", "--tamano", "0x0"},
     "--tamano «0x0»: fuera de rango; se acepta ANCHOxALTO en píxeles, de 320x200 a 8000x8000"},
    {anio + QStringList{"--formato", "png", "--tamano", "99999x99999"},
     "--tamano «99999x99999»: fuera de rango"},
    {anio + QStringList{"--formato", "png", "--tamano", "319x200"}, "fuera de rango"},
    {anio + QStringList{"--formato", "png", "--tamano", "8000x8001"}, "fuera de rango"},
    {anio + QStringList{"--formato", "png", "--tamano", "abc"},
     "--tamano «abc»: no tiene la forma ANCHOxALTO"},
    {anio + QStringList{"--formato", "png", "--tamano", "800x"},
     "--tamano «800x»: no tiene la forma ANCHOxALTO"},
    {anio + QStringList{"--formato", "svg", "--tamano", "-800x600"},
     "no tiene la forma ANCHOxALTO"},
    {anio + QStringList{"--formato", "pdf", "--tamano", "800x600"},
     "--tamano: el formato pdf no es un gráfico"},
    {anio + QStringList{"--formato", "csv", "--tamano", "800x600"},
     "--tamano: el formato csv no es un gráfico"},
    {anio + QStringList{"--luna"}, "--luna: el formato texto no lleva el gráfico"},
    {anio + QStringList{"--formato", "json", "--luna"}, "--luna: el formato json no lleva"},
    {anio + QStringList{"--luna=si", "--formato", "png"}, "--luna no lleva valor"},
    {lugar + QStringList{"--mes", "2026-02", "--formato", "pdf", "--luna"},
     "--luna: el gráfico, y con él la Luna, va solo en el pdf de un año entero"},
    {lugar + QStringList{"--fecha", "2026-02-01", "--formato", "svg"},
     "el gráfico (--formato svg) necesita al menos 7 días y el intervalo tiene 1"},
    {lugar + QStringList{"--desde", "2026-02-01", "--hasta", "2026-02-06", "--formato", "png"},
     "el gráfico (--formato png) necesita al menos 7 días y el intervalo tiene 6"},
    {anio + QStringList{"--salida"}, "falta el valor de --salida"},
    {anio + QStringList{"--salida", ""}, "falta el valor de --salida"},
};
INSTANTIATE_TEST_SUITE_P(Dibujos, EntradaMala, testing::ValuesIn(malosDibujos));

// Bad input never makes the file of --salida, nor touches one there.
TEST(Programa, EntradaMalaNoCreaNiTocaElArchivo) {
    QTemporaryDir dir;
    const QString nuevo = dir.filePath(QStringLiteral("nuevo"));
    const QString viejo = dir.filePath(QStringLiteral("viejo"));
    QFile f(viejo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("antes\n");
    f.close();
    for (const Malo& m : malosDibujos) {
        if (m.argumentos.contains(QStringLiteral("--salida"))) continue;
        SCOPED_TRACE(m.argumentos.join(' ').toStdString());
        for (const QString& ruta : {nuevo, viejo}) {
            const Ejecucion e = Ejecuta(m.argumentos + QStringList{"--salida", ruta});
            EXPECT_EQ(e.estado, 2);
            EXPECT_TRUE(e.salida.isEmpty());
        }
        EXPECT_FALSE(QFile::exists(nuevo));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "antes\n");
        f.close();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"viejo"});
}

// ------------------------------------------------------------- gazetteer

// An environment without the caller's locale settings, then `variables`.
QProcessEnvironment Entorno(const QList<std::pair<QString, QString>>& variables) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& v : e.keys()) {
        if (v == "LANG" || v == "LANGUAGE" || v.startsWith("LC_")) {
            e.remove(v);
        }
    }
    for (const auto& [nombre, valor] : variables) {
        e.insert(nombre, valor);
    }
    return e;
}

// A town of the gazetteer is computed; one line on standard error says which
// of the four Concepción was used, and narrowing it leaves no doubt.
TEST(Programa, PuebloDelNomenclatorConAviso) {
    const QStringList resto = {"--zona", "-3", "--fecha", "2026-01-01", "--formato", "json"};
    const Ejecucion e = Ejecuta(QStringList{"--lugar", "Concepción"} + resto);
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    EXPECT_EQ(LineasJson(e.salida).size(), 1);
    const QString aviso = QString::fromUtf8(e.errores);
    EXPECT_EQ(aviso.count('\n'), 1);
    const int todos = Vespalba::Nomenclator::Mundial()->Busca("Concepción", 1).total;
    EXPECT_GT(todos, 4);  // libgeonames' four and the villages of the places file
    for (const QString& parte : {QStringLiteral("vespalba-tabla: --lugar «Concepción»: se usó "
                                                "Concepción, Región del Biobío, Chile (215413 "
                                                "habitantes)"),
                                 QStringLiteral("el más poblado de los %1").arg(todos),
                                 QStringLiteral("hay %1 más").arg(todos - 1)}) {
        EXPECT_TRUE(aviso.contains(parte)) << aviso.toStdString();
    }
    const Ejecucion chile = Ejecuta(QStringList{"--lugar", "concepcion, chile"} + resto);
    EXPECT_EQ(chile.estado, 0);
    EXPECT_TRUE(chile.errores.isEmpty()) << chile.errores.toStdString();
    EXPECT_EQ(chile.salida, e.salida);
    // The note quotes what was typed on one line, control characters escaped.
    const Ejecucion lima = Ejecuta(QStringList{"--lugar", "Lima\t"} + resto);
    EXPECT_EQ(lima.estado, 0);
    const QString notaLima = QString::fromUtf8(lima.errores);
    EXPECT_TRUE(notaLima.startsWith("vespalba-tabla: --lugar «Lima\\x09»: se usó Lima, Lima, Perú"))
        << notaLima.toStdString();
    EXPECT_EQ(notaLima.count('\n'), 1);
}

// Spanish names whatever the locale, numbers never in the locale's form: the
// same bytes under C, C.UTF-8, English, Chilean and German settings, a German
// locale really installed (built here with localedef), and one that is not
// installed anywhere.
TEST(Programa, NombresEnCastellanoConCualquierLocale) {
    QTemporaryDir locales;
    ASSERT_TRUE(locales.isValid());
    QProcess localedef;
    localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", locales.filePath("de_DE.UTF-8")});
    ASSERT_TRUE(localedef.waitForFinished(120000));
    ASSERT_EQ(localedef.exitCode(), 0) << localedef.readAllStandardError().toStdString();

    const QStringList buscar = {"--buscar", "Puerto Montt, Chile"};
    const QStringList lugar = {"--lugar", "Londres",    "--zona",    "0",
                               "--fecha", "2026-06-21", "--formato", "csv"};
    const Ejecucion b0 = Ejecuta(buscar, Entorno({{"LC_ALL", "C"}}));
    const Ejecucion l0 = Ejecuta(lugar, Entorno({{"LC_ALL", "C"}}));
    ASSERT_EQ(b0.estado, 0) << b0.errores.toStdString();
    ASSERT_EQ(l0.estado, 0) << l0.errores.toStdString();
    const QString texto = QString::fromUtf8(b0.salida);
    EXPECT_TRUE(texto.contains(QRegularExpression("Puerto Montt +Región de Los Lagos +Chile ")))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains(QRegularExpression("-41\\.\\d{4}  +-72\\.\\d{4}")))
        << texto.toStdString();
    EXPECT_TRUE(l0.salida.contains(",51.5")) << l0.salida.toStdString();  // London's latitude

    const QList<QList<std::pair<QString, QString>>> entornos = {
        {{"LC_ALL", "C.UTF-8"}},
        {{"LANG", "en_US.UTF-8"}},
        {{"LC_ALL", "es_CL.UTF-8"}, {"LANGUAGE", "es"}},
        {{"LC_ALL", "de_DE.UTF-8"}, {"LANGUAGE", "de"}},
        {{"LC_ALL", "de_DE.UTF-8"}, {"LANGUAGE", "de"}, {"LOCPATH", locales.path()}},
        {{"LC_ALL", "xx_YY.UTF-8"}, {"LANGUAGE", "xx"}},
        {{"LC_MESSAGES", "C"}, {"LC_NUMERIC", "de_DE.UTF-8"}, {"LOCPATH", locales.path()}},
    };
    for (const auto& variables : entornos) {
        QStringList nombres;
        for (const auto& [n, v] : variables) {
            nombres << n + "=" + v;
        }
        SCOPED_TRACE(nombres.join(' ').toStdString());
        const Ejecucion b = Ejecuta(buscar, Entorno(variables));
        const Ejecucion l = Ejecuta(lugar, Entorno(variables));
        EXPECT_EQ(b.estado, 0);
        EXPECT_EQ(b.salida, b0.salida);
        EXPECT_EQ(l.estado, 0);
        EXPECT_EQ(l.salida, l0.salida);
        EXPECT_EQ(l.errores, l0.errores);
    }
}

// A run naming one of the forty places never loads the gazetteer's library
// (the dynamic linker's own log says what it loads).
TEST(Programa, UnLugarDeLaTablaNoCargaElNomenclator) {
    const QProcessEnvironment registro = Entorno({{"LD_DEBUG", "libs"}});
    const QStringList resto = {"--zona", "-4", "--fecha", "2026-01-01"};
    const Ejecucion tabla = Ejecuta(QStringList{"--lugar", "Valparaíso"} + resto, registro);
    EXPECT_EQ(tabla.estado, 0);
    EXPECT_TRUE(tabla.errores.contains("libQt6Core")) << "the log is there";
    EXPECT_FALSE(tabla.errores.contains("libgeonames"));
    // A town loads it when the gazetteer's cache does not hold it yet (an
    // empty cache folder); then the cache spares it, with the same days.
    QTemporaryDir cache;
    ASSERT_TRUE(cache.isValid());
    const QProcessEnvironment conCache =
        Entorno({{"LD_DEBUG", "libs"}, {"XDG_CACHE_HOME", cache.path()}});
    const Ejecucion pueblo = Ejecuta(QStringList{"--lugar", "Coyhaique"} + resto, conCache);
    EXPECT_EQ(pueblo.estado, 0);
    EXPECT_TRUE(pueblo.errores.contains("libgeonames.so.0"));
    const Ejecucion otra = Ejecuta(QStringList{"--lugar", "Coyhaique"} + resto, conCache);
    EXPECT_EQ(otra.estado, 0);
    EXPECT_TRUE(otra.errores.contains("libQt6Core")) << "the log is there";
    EXPECT_FALSE(otra.errores.contains("libgeonames"));
    EXPECT_FALSE(otra.errores.contains("libgio"));
    EXPECT_EQ(otra.salida, pueblo.salida);
}

// The gazetteer's cache damaged, truncated, emptied, replaced by a folder, or
// its folder unwritable: the same output, notes and status as a run that
// never had one, and no line more.
TEST(Programa, CacheDanadaLaMismaSalida) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString carpeta = dir.filePath("cache");
    const QString vespalba = carpeta + "/vespalba";
    const QStringList resto = {"--zona", "-4", "--fecha", "2026-01-01"};
    const QList<QStringList> corridas = {
        QStringList{"--lugar", "Concepción"} + resto,
        QStringList{"--lugar", "Hanga Roa"} + resto,
        QStringList{"--lugar", "puerto"} + resto,
        QStringList{"--lugar", "Xqzwv"} + resto,
        QStringList{"--buscar", "concep"},
    };
    // Without a cache: an unwritable folder (a file in its place).
    QFile(dir.filePath("archivo")).open(QIODevice::WriteOnly);
    const QProcessEnvironment sinCache = Entorno({{"XDG_CACHE_HOME", dir.filePath("archivo")}});
    std::vector<Ejecucion> esperadas;
    for (const QStringList& a : corridas) {
        esperadas.push_back(Ejecuta(a, sinCache));
    }
    const QProcessEnvironment conCache = Entorno({{"XDG_CACHE_HOME", carpeta}});
    auto igual = [&](const char* como) {
        for (std::size_t k = 0; k < std::size_t(corridas.size()); ++k) {
            SCOPED_TRACE(std::string(como) + ": " + corridas[qsizetype(k)].join(' ').toStdString());
            const Ejecucion e = Ejecuta(corridas[qsizetype(k)], conCache);
            EXPECT_EQ(e.estado, esperadas[k].estado);
            EXPECT_EQ(e.salida, esperadas[k].salida);
            EXPECT_EQ(e.errores, esperadas[k].errores);
        }
    };
    igual("sin cache todavía");
    ASSERT_TRUE(QFileInfo::exists(vespalba + "/libgeonames.cache"));
    igual("con la cache");
    auto dana = [&](const QString& nombre, const std::function<void(QByteArray&)>& f) {
        QFile a(vespalba + '/' + nombre);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly));
        QByteArray b = a.readAll();
        a.close();
        f(b);
        QFile::remove(a.fileName());
        ASSERT_TRUE(a.open(QIODevice::WriteOnly));
        a.write(b);
    };
    dana("libgeonames.cache", [](QByteArray& b) { b.truncate(b.size() / 2); });
    dana("poblados.cache", [](QByteArray& b) { b[0] = 'X'; });
    igual("truncada");
    dana("libgeonames.cache", [](QByteArray& b) { b.fill('\xa5'); });
    dana("poblados.cache", [](QByteArray& b) { b.clear(); });
    igual("basura");
    QFile::remove(vespalba + "/libgeonames.cache");
    ASSERT_TRUE(QDir(vespalba).mkdir("libgeonames.cache"));
    igual("una carpeta en su lugar");
}

// Whether a run of the program opens `archivo`: inotify reports every open
// of the file, by any process, until the run ends.
bool AbreElArchivo(const QString& archivo, const QStringList& argumentos,
                   const QProcessEnvironment& entorno, Ejecucion& e) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, QFile::encodeName(archivo).constData(), IN_OPEN) < 0) {
        ADD_FAILURE() << "inotify: " << archivo.toStdString();
        return false;
    }
    e = Ejecuta(argumentos, entorno);
    alignas(inotify_event) char eventos[4096];
    const ssize_t leidos = read(fd, eventos, sizeof eventos);
    close(fd);
    return leidos > 0;
}

// Nor the file of the places of 1,000 people or more: a run at one of the
// forty places or at coordinates never opens it; a village does.
TEST(Programa, UnLugarDeLaTablaNoAbreLosPueblos) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copia = dir.filePath("poblados.idx");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VESPALBA_POBLADOS_IDX), copia));
    const QProcessEnvironment entorno = Entorno({{"VESPALBA_POBLADOS", copia}});
    const QStringList fecha = {"--fecha", "2026-01-01"};
    Ejecucion e;
    EXPECT_FALSE(AbreElArchivo(copia, QStringList{"--lugar", "Valparaíso", "--zona", "-4"} + fecha,
                               entorno, e));
    EXPECT_EQ(e.estado, 0);
    EXPECT_FALSE(AbreElArchivo(copia, QStringList{"--lat", "-27.15", "--lon", "-109.42"} + fecha,
                               entorno, e));
    EXPECT_EQ(e.estado, 0);
    EXPECT_TRUE(AbreElArchivo(copia, QStringList{"--lugar", "Hanga Roa"} + fecha, entorno, e));
    EXPECT_EQ(e.estado, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
}

// A village of the places file: its full name, the zone of its point, the
// same days as its coordinates in that zone.
TEST(Programa, PuebloDeMilHabitantes) {
    const Ejecucion e = Ejecuta({"--lugar", "Hanga Roa", "--fecha", "2026-04-04"});
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
    const QStringList lineas = QString::fromUtf8(e.salida).split('\n');
    ASSERT_GT(lineas.size(), 3);
    EXPECT_TRUE(lineas[0].startsWith("Lugar: Hanga Roa, Región de Valparaíso, Chile (27° 9."))
        << lineas[0].toStdString();
    EXPECT_TRUE(lineas[1].startsWith("Zona horaria: Pacific/Easter, hora civil"))
        << lineas[1].toStdString();
    const Vespalba::Poblado p =
        Vespalba::Nomenclator::Mundial()->Busca("Hanga Roa", 1).poblados.at(0);
    const Ejecucion coordenadas = Ejecuta({"--lat", QString::number(p.latitud, 'f', 6), "--lon",
                                           QString::number(p.longitud, 'f', 6), "--tz",
                                           "Pacific/Easter", "--fecha", "2026-04-04"});
    ASSERT_EQ(coordenadas.estado, 0) << coordenadas.errores.toStdString();
    EXPECT_EQ(QString::fromUtf8(coordenadas.salida).split('\n').mid(1), lineas.mid(1));

    const Ejecucion lista = Ejecuta({"--buscar", "hanga roa"});
    ASSERT_EQ(lista.estado, 0) << lista.errores.toStdString();
    const QStringList filas = QString::fromUtf8(lista.salida).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(filas.size(), 2);
    EXPECT_EQ(filas[1].split(QRegularExpression("  +")),
              (QStringList{"Hanga Roa", "Región de Valparaíso", "Chile", "-27.1525", "-109.4244",
                           "Pacific/Easter", QString::number(p.habitantes)}));
}

// A damaged places file: libgeonames' towns as before, with a note on the
// error output; a village refused with the reason.
TEST(Programa, PueblosDanadosSoloLibgeonames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString danado = dir.filePath("poblados.idx");
    {
        QFile original(QStringLiteral(VESPALBA_POBLADOS_IDX));
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        QFile f(danado);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original.read(original.size() / 2));
    }
    const QProcessEnvironment entorno = Entorno({{"VESPALBA_POBLADOS", danado}});
    const QString motivo = danado + ": archivo de poblados truncado";
    const QStringList resto = {"--zona", "-4", "--fecha", "2026-01-01"};

    const Ejecucion pueblo = Ejecuta(QStringList{"--lugar", "Hanga Roa"} + resto, entorno);
    EXPECT_EQ(pueblo.estado, 2);
    EXPECT_TRUE(pueblo.salida.isEmpty());
    const QString error = QString::fromUtf8(pueblo.errores);
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    EXPECT_TRUE(error.contains("--lugar «Hanga Roa»: lugar desconocido")) << error.toStdString();
    EXPECT_TRUE(error.contains(motivo)) << error.toStdString();

    const Ejecucion ciudad = Ejecuta(QStringList{"--lugar", "Concepción, CL"} + resto, entorno);
    EXPECT_EQ(ciudad.estado, 0);
    EXPECT_EQ(ciudad.salida, Ejecuta(QStringList{"--lugar", "Concepción, CL"} + resto).salida);
    const QString nota = QString::fromUtf8(ciudad.errores);
    EXPECT_EQ(nota.count('\n'), 1) << nota.toStdString();
    EXPECT_TRUE(
        nota.startsWith("vespalba-tabla: --lugar «Concepción, CL»: los pueblos de 1000 "
                        "habitantes o más no están: " +
                        motivo))
        << nota.toStdString();

    const Ejecucion lista = Ejecuta({"--buscar", "quell"}, entorno);
    EXPECT_EQ(lista.estado, 0);
    EXPECT_TRUE(lista.salida.contains("Quellón")) << lista.salida.toStdString();
    EXPECT_TRUE(QString::fromUtf8(lista.errores).contains(motivo)) << lista.errores.toStdString();
    // The forty places need no file at all.
    const Ejecucion tabla = Ejecuta(QStringList{"--lugar", "Valparaíso"} + resto, entorno);
    EXPECT_EQ(tabla.estado, 0);
    EXPECT_TRUE(tabla.errores.isEmpty()) << tabla.errores.toStdString();
}

// Without libgeonames: the forty places as ever; any other name, and
// --buscar, refused in one line that says what to install.
TEST(Programa, SinLibgeonamesUnMensajeYEstadoDos) {
    QProcessEnvironment sin = QProcessEnvironment::systemEnvironment();
    sin.insert("LD_PRELOAD", VESPALBA_SIN_GEONAMES);
    // Under the sanitizers, their runtime need not come first.
    sin.insert("ASAN_OPTIONS", sin.value("ASAN_OPTIONS") +
                                   (sin.contains("ASAN_OPTIONS") ? ":" : "") +
                                   "verify_asan_link_order=0");
    const QStringList resto = {"--zona", "-4", "--fecha", "2026-01-01"};
    const Ejecucion tabla = Ejecuta(QStringList{"--lugar", "Valparaíso"} + resto, sin);
    EXPECT_EQ(tabla.estado, 0) << tabla.errores.toStdString();
    EXPECT_EQ(tabla.salida, Ejecuta(QStringList{"--lugar", "Valparaíso"} + resto).salida);
    for (const QStringList& argumentos :
         {QStringList{"--lugar", "Concepción"} + resto, QStringList{"--buscar", "concep"}}) {
        const Ejecucion e = Ejecuta(argumentos, sin);
        SCOPED_TRACE(argumentos.join(' ').toStdString());
        EXPECT_EQ(e.estado, 2);
        EXPECT_TRUE(e.salida.isEmpty());
        const QString error = QString::fromUtf8(e.errores);
        EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
        EXPECT_TRUE(error.contains("no se pudo cargar el nomenclátor mundial"))
            << error.toStdString();
        EXPECT_TRUE(error.contains("instale el paquete libgeonames0")) << error.toStdString();
    }
}

// --buscar: the forty places first, at most 20 lines of places, then how
// many more; aligned columns; coordinates in decimal degrees, north and east
// positive, with a point whatever the locale.
TEST(Programa, BuscarLosCuarentaPrimeroYHastaVeinte) {
    const Ejecucion san = Ejecuta({"--buscar", "san"});
    ASSERT_EQ(san.estado, 0) << san.errores.toStdString();
    EXPECT_TRUE(san.errores.isEmpty());
    const QStringList lineas = QString::fromUtf8(san.salida).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lineas.size(), 1 + MaximoBuscados + 1);
    const QString& titulos = lineas.front();
    EXPECT_EQ(
        titulos.split(QRegularExpression("  +")),
        (QStringList{"Lugar", "Región", "País", "Latitud", "Longitud", "Zona", "Habitantes"}));
    const int total = int(Vespalba::LugaresQueContienen("san").size()) +
                      Vespalba::Nomenclator::Mundial()->BuscaTexto("san", 0).total;
    EXPECT_EQ(lineas.back(),
              QStringLiteral("y %1 más; precise con «Nombre, Región» o «Nombre, País»")
                  .arg(total - MaximoBuscados));
    const char* primeros[] = {"San Félix", "San Ambrosio", "San Antonio", "San Francisco"};
    const int indices[] = {10, 12, 22, 40};
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(lineas[k + 1].startsWith(QString::fromUtf8(primeros[k]) + "  "))
            << lineas[k + 1].toStdString();
        EXPECT_TRUE(
            lineas[k + 1].contains(QStringLiteral("lugar %1 de --lugares").arg(indices[k])));
    }
    const qsizetype zona = titulos.indexOf("Zona");
    for (int k = 1; k <= MaximoBuscados; ++k) {
        EXPECT_TRUE(lineas[k].mid(zona).contains(QRegularExpression("^[A-Z][a-z]+/")))
            << lineas[k].toStdString();
    }

    const Ejecucion valpo = Ejecuta({"--buscar", "Valparaíso, Chile"});
    ASSERT_EQ(valpo.estado, 0) << valpo.errores.toStdString();
    const QStringList filas = QString::fromUtf8(valpo.salida).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(filas.size(), 3);
    const Vespalba::Poblado ciudad =
        Vespalba::Nomenclator::Mundial()->Busca("Valparaíso, Chile", 1).poblados.at(0);
    // 33 16' S, 71 34' W; then the city, as the gazetteer gives it.
    EXPECT_EQ(filas[1].split(QRegularExpression("  +")),
              (QStringList{"Valparaíso", "lugar 21 de --lugares", "Chile", "-33.2667", "-71.5667",
                           "America/Santiago"}));
    EXPECT_EQ(filas[2].split(QRegularExpression("  +")),
              (QStringList{"Valparaíso", "Región de Valparaíso", "Chile",
                           QString::number(ciudad.latitud, 'f', 4),
                           QString::number(ciudad.longitud, 'f', 4), "America/Santiago",
                           QString::number(ciudad.habitantes)}));
    EXPECT_TRUE(filas[2].contains("-71.6")) << "east positive";
}

TEST(Programa, AyudaVersionYLugares) {
    const Ejecucion ayuda = Ejecuta({"--help"});
    EXPECT_EQ(ayuda.estado, 0);
    EXPECT_TRUE(ayuda.errores.isEmpty());
    for (const char* opcion :
         {"--lugar", "--lat", "--lon", "--zona", "--fecha", "--mes", "--anio", "--desde", "--hasta",
          "--hoy", "--formato", "--version", "--buscar", "--lugares"}) {
        EXPECT_TRUE(ayuda.salida.contains(opcion)) << opcion;
    }
    EXPECT_EQ(Ejecuta({"-h"}).salida, ayuda.salida);

    const Ejecucion version = Ejecuta({"--version"});
    EXPECT_EQ(version.estado, 0);
    EXPECT_EQ(version.salida, QByteArray("vespalba-tabla " VESPALBA_VERSION "\n"));

    const Ejecucion lugares = Ejecuta({"--lugares"});
    EXPECT_EQ(lugares.estado, 0);
    const QStringList filas = QString::fromUtf8(lugares.salida).trimmed().split('\n');
    ASSERT_EQ(filas.size(), Vespalba::NumLugares);
    EXPECT_TRUE(filas[20].contains("Valparaíso") && filas[20].contains("33° 16' S") &&
                filas[20].contains("71° 34' W"))
        << filas[20].toStdString();
}

// Every entry of the formats table reaches the user: --help describes it,
// the refusal of an unknown format names it, and the program writes it: a
// text with the entry's own writer, a drawing as a file of its kind. Names
// are matched without case or blanks.
TEST(Programa, CadaFormatoDeLaTablaEnAyudaMensajeYSalida) {
    const QByteArray ayuda = Ejecuta({"--help"}).salida;
    const QStringList peticion = {"--lugar", "Arica", "--zona", "-4", "--fecha", "2003-07-02"};
    const Ejecucion mala = Ejecuta(peticion + QStringList{"--formato", "xml"});
    ASSERT_EQ(mala.estado, 2);
    ASSERT_FALSE(Formatos().empty());
    for (const FormatoSalida& f : Formatos()) {
        SCOPED_TRACE(f.nombre);
        const QByteArray opcion = QByteArray("--formato ") + f.nombre + ' ';
        ASSERT_TRUE(ayuda.contains(opcion));
        // The first line of its description follows the option.
        const QByteArray primera = QByteArray(f.ayuda).split('\n').front();
        EXPECT_TRUE(ayuda.contains(primera)) << primera.toStdString();
        EXPECT_TRUE(mala.errores.contains(f.nombre));

        if (!EsTexto(f)) {
            // A drawing, of a week (a chart's least), into a file: the file
            // is of the kind its name says.
            QTemporaryDir dir;
            const QString ruta = dir.filePath(QStringLiteral("dibujo"));
            const Ejecucion e =
                Ejecuta({"--lugar", "Arica", "--zona", "-4", "--desde", "2003-07-02", "--hasta",
                         "2003-07-08", "--formato", QStringLiteral(" %1 ").arg(f.nombre).toUpper(),
                         "--salida", ruta});
            EXPECT_EQ(e.estado, 0) << e.errores.toStdString();
            QFile archivo(ruta);
            ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
            const QByteArray cabeza = archivo.read(8);
            const QByteArray esperada = f.lamina == Lamina::Paginas     ? QByteArray("%PDF-")
                                        : f.lamina == Lamina::Vectorial ? QByteArray("<?xml")
                                                                        : QByteArray("\x89PNG\r\n");
            EXPECT_TRUE(cabeza.startsWith(esperada)) << cabeza.toHex().toStdString();
            continue;
        }
        // The calendar's DTSTAMP the same in both: the epoch.
        qputenv("SOURCE_DATE_EPOCH", "0");
        const Ejecucion e = Ejecuta(
            peticion + QStringList{"--formato", QStringLiteral(" %1 ").arg(f.nombre).toUpper()});
        qunsetenv("SOURCE_DATE_EPOCH");
        EXPECT_EQ(e.estado, 0);
        Peticion p =
            LeeOrden(QStringList{"vespalba-tabla"} + peticion, {}, QStringLiteral("0")).peticion;
        p.formato = &f;
        EXPECT_EQ(e.salida, Escribe(p));
    }
    EXPECT_EQ(BuscaFormato(QStringLiteral("xml")), nullptr);
    EXPECT_EQ(LeeOrden(QStringList{"vespalba-tabla"} + peticion, {}).peticion.formato,
              &Formatos().front());
}

// At the edges of what is accepted (the polar limits, the date line, the
// farthest zones, the first and last years) every format prints numbers
// only: never "nan" nor "inf", whatever the almanac's quantities do there;
// the text's lines stay within 160 characters.
TEST(Programa, NingunNanEnLosBordes) {
    const QStringList bordes[] = {
        {"--lat", "74.99", "--lon", "179.99", "--zona", "14", "--anio", "1980"},
        {"--lat", "-74.99", "--lon", "-179.99", "--zona", "-12", "--anio", "2040"},
        {"--lat", "74:59.99N", "--lon", "0:0E", "--tz", "Europe/Oslo", "--mes", "2040-12"},
        {"--lat", "-13.83", "--lon", "-171.75", "--tz", "Pacific/Apia", "--mes", "2011-12"},
        // Civil time 12 h from solar time: the Sun crosses the meridian at
        // about midnight, and on 2026-06-13 and 2026-12-25 not within the
        // civil day at all (no noon).
        {"--lat", "10", "--lon", "0", "--zona", "12", "--anio", "2026"},
    };
    for (const QStringList& b : bordes) {
        for (const char* formato : {"texto", "csv", "json", "ics"}) {
            SCOPED_TRACE((b.join(' ') + " " + formato).toStdString());
            const Ejecucion e =
                Ejecuta(b + QStringList{"--formato", formato, "--eventos",
                                        "orto,ocaso,civil,nautico,astronomico,luna,fases,mediodia"}
                                .mid(0, QLatin1String(formato) == "ics" ? 4 : 2));
            ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
            // As a word: "TextInfo" is a field's name.
            static const QRegularExpression noNumero(QStringLiteral("(?<![a-z])(nan|inf)(?![a-z])"),
                                                     QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch m = noNumero.match(QString::fromUtf8(e.salida));
            EXPECT_FALSE(m.hasMatch()) << m.captured().toStdString();
            if (QLatin1String(formato) == QLatin1String("texto")) {
                // A whole polar year too prints on A4 landscape.
                for (const QString& linea : QString::fromUtf8(e.salida).split('\n')) {
                    ASSERT_LE(linea.size(), 160) << linea.toStdString();
                }
            }
            if (QLatin1String(formato) == QLatin1String("csv")) {
                // Every row as many fields as titles, also without a noon.
                const QList<QByteArray> filas = e.salida.trimmed().split('\n');
                const auto campos = [](const QByteArray& fila) {
                    qsizetype n = 1;
                    bool entreComillas = false;
                    for (char c : fila) {
                        if (c == '"') entreComillas = !entreComillas;
                        if (c == ',' && !entreComillas) ++n;
                    }
                    return n;
                };
                for (const QByteArray& fila : filas) {
                    ASSERT_EQ(campos(fila), campos(filas.front())) << fila.constData();
                }
            }
        }
    }
}

TEST(Programa, HoyEsLaFechaLocal) {
    // --hoy is the date on the request's clock (4 hours behind universal
    // time), not on the machine's.
    const auto hoyEnLaZona = [] {
        return QDateTime::currentDateTimeUtc().addSecs(-4 * 3600).date().toString(Qt::ISODate);
    };
    const QString antes = hoyEnLaZona();
    const Ejecucion e = Ejecuta({"--lugar", "Arica", "--zona", "-4", "--hoy", "--formato", "json"});
    const QString despues = hoyEnLaZona();
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QList<QJsonObject> dias = LineasJson(e.salida);
    ASSERT_EQ(dias.size(), 1);
    const QString fecha = dias[0]["fecha"].toString();
    EXPECT_TRUE(fecha == antes || fecha == despues) << fecha.toStdString();
}

// Coordinates without --tz or --zona: the zone of the boundaries at the
// point, on land and on islands; at sea the longitude's nautical zone; the
// header says how it was found.
TEST(LeeOrden, ZonaDeLasCoordenadas) {
    const struct {
        const char* lat;
        const char* lon;
        const char* zona;  // the IANA zone, or empty for a nautical zone
        double horas;      // the nautical zone's offset
    } casos[] = {
        {"33:16S", "71:36W", "America/Santiago", 0},  // the worked example's place
        {"-27.15", "-109.43", "Pacific/Easter", 0},   // Hanga Roa
        {"-33.64", "-78.83", "America/Santiago", 0},  // Juan Fernández
        {"-51.7", "-57.85", "Atlantic/Stanley", 0},   // Stanley, the Falklands
        {"-33.0", "-73.5", "", -5},                   // off Valparaíso
        {"-58.0", "-65.0", "", -4},                   // the Drake Passage
        {"0", "179.9", "", 12},                       // west of the date line
        {"0", "-179.9", "", -12},                     // east of it
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.lat) + " " + c.lon);
        const Orden o = LeeOrden(
            {"vespalba-tabla", "--lat", c.lat, "--lon", c.lon, "--fecha", "2026-12-11"}, 0);
        ASSERT_EQ(o.accion, Accion::Calcular) << o.mensaje.toStdString();
        EXPECT_EQ(o.peticion.zonaHoraria, QString::fromLatin1(c.zona));
        if (c.zona[0] == '\0') {
            EXPECT_EQ(o.peticion.zona, c.horas);
            EXPECT_TRUE(o.peticion.origenZona.contains(QStringLiteral("náutica")));
        } else {
            EXPECT_TRUE(o.peticion.origenZona.contains(QStringLiteral("coordenadas")));
        }
        const QString texto = QString::fromUtf8(Escribe(o.peticion));
        EXPECT_TRUE(texto.contains(QStringLiteral("\nZona hallada: ") + o.peticion.origenZona))
            << texto.left(300).toStdString();
    }
    // A zone given is used as before, without the note.
    const Orden dada = LeeOrden({"vespalba-tabla", "--lat", "33:16S", "--lon", "71:36W", "--zona",
                                 "-4", "--fecha", "2026-12-11"},
                                0);
    EXPECT_TRUE(dada.peticion.origenZona.isEmpty());
    EXPECT_FALSE(
        QString::fromUtf8(Escribe(dada.peticion)).contains(QStringLiteral("Zona hallada")));
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: reading of places, coordinates and zones; then the built
// program itself, run as a user runs it, for each output format, the four
// worked days, a leap-year month and every kind of bad input.
#include <gtest/gtest.h>

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <cmath>
#include <string>

#include "dias_trabajados.h"
#include "places/lugares.h"
#include "tools/tabla/orden.h"
#include "tools/tabla/salida.h"

using namespace Vespalba::Tabla;

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
TEST(LeeZona, DeMenosDoceAMasCatorceEnCuartos) {
    const CasoCoordenada casos[] = {
        {"-4", -4.0},   {"5.5", 5.5},  {"5.75", 5.75},   {"12", 12.0},  {"-12", -12.0},
        {"+3", 3.0},    {"-0", 0.0},   {"12.25", 12.25}, {"13", 13.0},  {"14", 14.0},
        {"-3.5", -3.5}, {"14.25", {}}, {"-12.25", {}},   {"-12.5", {}}, {"5.1", {}},
        {"5.333", {}},  {"abc", {}},   {"4W", {}},       {"", {}},
    };
    for (const CasoCoordenada& c : casos) {
        const Lectura l = LeeZona(QString::fromUtf8(c.texto));
        ASSERT_EQ(l.valor.has_value(), c.valor.has_value()) << c.texto;
        if (c.valor) {
            EXPECT_EQ(*l.valor, *c.valor) << c.texto;
            EXPECT_FALSE(std::signbit(*l.valor) && *l.valor == 0.0) << "no negative zero";
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

// ------------------------------------------------------ the built program

struct Ejecucion {
    int estado = -1;
    QByteArray salida;
    QByteArray errores;
};

Ejecucion Ejecuta(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(VESPALBA_TABLA), argumentos);
    Ejecucion e;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "vespalba-tabla did not end normally: "
                      << argumentos.join(' ').toStdString();
        return e;
    }
    e.estado = p.exitCode();
    e.salida = p.readAllStandardOutput();
    e.errores = p.readAllStandardError();
    return e;
}

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
            "\"luna\":",        "\"sol\":",     "\"civil\":",          "\"nautico\":",
            "\"astronomico\":", "\"textos\":",  "\"OcasoLuna\":",      "\"OrtoLuna\":",
            "\"Orto\":",        "\"Ocaso\":",   "\"ComAuroraCivil\":", "\"FinCrepCivil\":",
            "\"ComAurora\":",   "\"FinCrep\":", "\"ComAuroraAstro\":", "\"FinCrepAstro\":",
            "\"Label1\":",      "\"Label8\":",  "\"HorasLuz\":",       "\"TextInfo\":",
            "\"ColorMarco\":"};
        qsizetype antes = -1;
        for (const char* m : orden) {
            const qsizetype donde = l.indexOf(m, antes + 1);
            EXPECT_GT(donde, antes) << m;
            antes = donde;
        }
        const QJsonObject o = LineasJson(l).value(0);
        EXPECT_EQ(o.keys(), (QStringList{"cambios_de_hora", "clases", "existe", "fecha", "latitud",
                                         "longitud", "lugar", "textos", "zona", "zona_horaria"}));
        EXPECT_EQ(o["textos"].toObject().keys().size(), 15);
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

TEST(Programa, TextoAlineadoConCabeceraYMarcas) {
    const Ejecucion e = Ejecuta(ejemplo);
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QStringList lineas = QString::fromUtf8(e.salida).split('\n');
    EXPECT_EQ(lineas.value(0), "Lugar: 33° 16' S, 71° 36' W");
    EXPECT_EQ(lineas.value(1), "Zona horaria: -4 h (hora local = hora universal - 4 h)");
    const QStringList filas = lineas.filter(QRegularExpression("^2003-07-0[123] "));
    ASSERT_EQ(filas.size(), 3);
    // The worked example's row: moon events named, in the window's order.
    const QStringList celdas = filas[1].split(QRegularExpression("  +"));
    EXPECT_EQ(celdas,
              (QStringList{"2003-07-02", "Orto 10: 15", "Ocaso 20: 41", "7: 50", "17: 50", "7: 23",
                           "18: 17", "6: 52", "18: 48", "6: 21", "19: 18", "9: 59"}));
    // Aligned: every row as long as the title row above it.
    const qsizetype titulos = lineas.indexOf(QRegularExpression("Fecha .*"));  // a whole-line match
    ASSERT_GT(titulos, 0);
    for (const QString& f : filas) {
        EXPECT_EQ(f.size(), lineas[titulos].size() - QStringLiteral("  Aviso").size())
            << f.toStdString();
    }

    // A polar day and a polar night: marks, frame colour and status sentence.
    const Ejecucion polar = Ejecuta({"--lat", "74:54N", "--lon", "20:0E", "--zona", "1", "--desde",
                                     "2003-12-30", "--hasta", "2004-01-01"});
    ASSERT_EQ(polar.estado, 0) << polar.errores.toStdString();
    const QString texto = QString::fromUtf8(polar.salida);
    const QStringList noche = texto.split('\n').filter(QRegularExpression("^200[34]-"));
    ASSERT_EQ(noche.size(), 3);
    for (const QString& f : noche) {
        EXPECT_TRUE(f.contains("Bajo horizonte")) << f.toStdString();
        EXPECT_TRUE(f.contains(QString(6, QChar(0x2593)))) << "civil dawn box in the frame colour";
        EXPECT_TRUE(f.endsWith("Obscuridad Absoluta.")) << f.toStdString();
    }
    EXPECT_EQ(texto.count(QRegularExpression("\nFecha ")), 2) << "titles again for the new month";

    const Ejecucion dia =
        Ejecuta({"--lat", "70:0N", "--lon", "0:0E", "--zona", "0", "--fecha", "2003-06-21"});
    const QStringList verano =
        QString::fromUtf8(dia.salida).split('\n').filter(QRegularExpression("^2003-"));
    ASSERT_EQ(verano.size(), 1);
    EXPECT_EQ(verano[0].split(QRegularExpression("  +")),
              (QStringList{"2003-06-21", "Orto 1: 9", "Ocaso 11: 5", "No hay", "////", "////",
                           "////", "24: 0", "Siempre Brillante."}));
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
    {{"--lat", "33:16S", "--lon", "71:36W", "--hoy"},
     "falta la zona: unas coordenadas no traen zona; dé --tz ZONA"},
    {lugar, "falta la fecha"},
    {lugar + QStringList{"--hoy", "--anio", "2003"}, "use una sola de --fecha, --mes, --anio"},
    {QStringList{"--lat", "33:16S"} + coordenadas, "--lat necesita también --lon"},
    {QStringList{"--lugar", "Arica", "--lat", "1", "--lon", "1"} + coordenadas,
     "--lugar no puede ir junto con --lat"},
    {lugar + QStringList{"--hoy", "--formato", "xml"},
     "--formato «xml»: formato desconocido; se acepta texto, csv o json"},
    // Unknown places, with the close ones listed.
    {{"--lugar", "valpo", "--zona", "-4", "--hoy"},
     "--lugar «valpo»: lugar desconocido; parecidos: Valparaíso"},
    {{"--lugar", "puerto", "--zona", "-4", "--hoy"},
     "parecidos: Puerto Montt, Puerto Chacabuco, Puerto Williams, Puerto Soberanía"},
    // Control characters typed into a value are shown escaped, on one line.
    {{"--lugar", "Ari\nca\x1b[2J", "--zona", "-4", "--hoy"},
     "--lugar «Ari\\x0aca\\x1b[2J»: lugar desconocido"},
    {{"--lugar", "Lima", "--zona", "-5", "--hoy"},
     "--lugar «Lima»: lugar desconocido; uno de los 40 lugares (vea --lugares)"},
};
INSTANTIATE_TEST_SUITE_P(Casos, EntradaMala, testing::ValuesIn(malos));

TEST(Programa, AyudaVersionYLugares) {
    const Ejecucion ayuda = Ejecuta({"--help"});
    EXPECT_EQ(ayuda.estado, 0);
    EXPECT_TRUE(ayuda.errores.isEmpty());
    for (const char* opcion : {"--lugar", "--lat", "--lon", "--zona", "--fecha", "--mes", "--anio",
                               "--desde", "--hasta", "--hoy", "--formato", "--version"}) {
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
// the refusal of an unknown format names it, and the program writes it with
// the entry's own writer. Names are matched without case or blanks.
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

        const Ejecucion e = Ejecuta(
            peticion + QStringList{"--formato", QStringLiteral(" %1 ").arg(f.nombre).toUpper()});
        EXPECT_EQ(e.estado, 0);
        Peticion p = LeeOrden(QStringList{"vespalba-tabla"} + peticion, {}).peticion;
        p.formato = &f;
        EXPECT_EQ(e.salida, Escribe(p));
    }
    EXPECT_EQ(BuscaFormato(QStringLiteral("xml")), nullptr);
    EXPECT_EQ(LeeOrden(QStringList{"vespalba-tabla"} + peticion, {}).peticion.formato,
              &Formatos().front());
}

TEST(Programa, HoyEsLaFechaLocal) {
    const QString antes = QDate::currentDate().toString(Qt::ISODate);
    const Ejecucion e = Ejecuta({"--lugar", "Arica", "--zona", "-4", "--hoy", "--formato", "json"});
    const QString despues = QDate::currentDate().toString(Qt::ISODate);
    ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
    const QList<QJsonObject> dias = LineasJson(e.salida);
    ASSERT_EQ(dias.size(), 1);
    const QString fecha = dias[0]["fecha"].toString();
    EXPECT_TRUE(fecha == antes || fecha == despues) << fecha.toStdString();
}

}  // namespace

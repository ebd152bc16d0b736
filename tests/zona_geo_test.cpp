// SPDX-License-Identifier: GPL-3.0-or-later
// The zone of any coordinates (lugares/zona_geo.h): the nautical zones of the
// longitude; places whose zone is known (islands, the Chilean sea, the
// overlap in Xinjiang); and the index against the exact answer of the
// boundaries, computed by tests/datos/genera_zonas_geo.py with shapely on the
// full-precision polygons of the same release (provenance in the files'
// headers): 100,000 random points on land, the same zone for every one
// farther than 1 km from a boundary, and 10,000 points within 5 km of a
// boundary, each given one of the zones found within 1 km of it.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "lugares/zona_geo.h"
#include "lugares/zonas.h"

using namespace Vespalba;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const IndiceZonas& Indice() {
    static const std::unique_ptr<IndiceZonas> indice = [] {
        QString problema;
        auto i = IndiceZonas::Abre(QStringLiteral(VESPALBA_ZONAS_IDX), &problema);
        if (!i) ADD_FAILURE() << problema.toStdString();
        return i;
    }();
    if (!indice) std::abort();
    return *indice;
}

// A point of the oracle's files: the zones holding it, those within 1 km,
// and whether a boundary passes within 1 km.
struct Punto {
    double latitud = 0, longitud = 0;
    std::set<QString> dentro, cerca;  // tzdata ids; "mar" for the sea
    bool lejos = false;               // farther than 1 km from every boundary
    int linea = 0;
};

std::vector<Punto> LeePuntos(const char* archivo) {
    QFile f(QStringLiteral(VESPALBA_DATOS "/") + QLatin1String(archivo));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << archivo;
    std::map<int, QString> zonas;
    std::vector<Punto> puntos;
    auto lista = [&](const QString& t) {
        std::set<QString> s;
        for (const QString& n : t.split(QLatin1Char('+'))) s.insert(zonas.at(n.toInt()));
        return s;
    };
    int numero = 0;
    while (!f.atEnd()) {
        const QString linea = QString::fromUtf8(f.readLine()).trimmed();
        ++numero;
        if (linea.isEmpty() || linea.startsWith(QLatin1Char('#'))) continue;
        const QStringList partes = linea.split(QLatin1Char(' '));
        if (partes[0] == QLatin1String("Z")) {
            zonas[partes[1].toInt()] = partes[2];
            continue;
        }
        Punto p;
        p.latitud = partes[0].toDouble();
        p.longitud = partes[1].toDouble();
        p.dentro = lista(partes[2]);
        p.cerca = lista(partes[3]);
        p.lejos = partes.value(4) == QLatin1String("1");
        p.linea = numero;
        puntos.push_back(p);
    }
    return puntos;
}

// Whether the index's `zona` is the boundaries' `id`: the same id, or the
// stand-in the note names when the system's tzdata lacks it; "mar" for a
// nautical answer.
bool Es(const ZonaDeCoordenadas& r, const QString& zona, const QString& id) {
    // The boundaries hold no Etc/ zone: those are the nautical ones.
    if (id == QLatin1String("mar")) return zona.startsWith(QLatin1String("Etc/GMT"));
    return zona == id || (!ZonaConocida(id) && r.nota.contains(id));
}

QString Texto(const ZonaDeCoordenadas& r) {
    return QStringLiteral("%1%2%3%4%5")
        .arg(r.zona, r.otra.isEmpty() ? QString() : QStringLiteral(" / ") + r.otra,
             r.dudosa ? QStringLiteral(" dudosa") : QString(),
             r.solapadas ? QStringLiteral(" solapadas") : QString(),
             r.nautica ? QStringLiteral(" náutica") : QString());
}

QString Lista(const std::set<QString>& s) {
    return QStringList(s.begin(), s.end()).join(QLatin1Char('+'));
}

}  // namespace

TEST(ZonaNautica, DeLaLongitud) {
    const struct {
        double longitud, horas;
        const char* nombre;
    } casos[] = {
        {0, 0, "Etc/GMT"},          {7.4, 0, "Etc/GMT"},          {7.5, 1, "Etc/GMT-1"},
        {-7.5, 0, "Etc/GMT"},       {-7.6, -1, "Etc/GMT+1"},      {-71.6, -5, "Etc/GMT+5"},
        {-73.5, -5, "Etc/GMT+5"},   {-67.5, -4, "Etc/GMT+4"},     {172.4, 11, "Etc/GMT-11"},
        {172.5, 12, "Etc/GMT-12"},  {179.99, 12, "Etc/GMT-12"},   {180, 12, "Etc/GMT-12"},
        {-180, -12, "Etc/GMT+12"},  {-179.99, -12, "Etc/GMT+12"}, {-172.5, -11, "Etc/GMT+11"},
        {-172.6, -12, "Etc/GMT+12"}};
    for (const auto& c : casos) {
        EXPECT_EQ(ZonaNautica(c.longitud), c.horas) << c.longitud;
        EXPECT_EQ(NombreZonaNautica(c.horas), QLatin1String(c.nombre)) << c.horas;
        // The id is a zone of tzdata whose offset is the band's.
        EXPECT_TRUE(ZonaConocida(QLatin1String(c.nombre))) << c.nombre;
        EXPECT_EQ(QTimeZone(c.nombre).offsetFromUtc(QDateTime::currentDateTimeUtc()),
                  int(c.horas) * 3600)
            << c.nombre;
    }
    EXPECT_EQ(ZonaNautica(kNaN), 0.0);
    EXPECT_FALSE(std::signbit(ZonaNautica(-0.1)));  // no "-0" hours
}

TEST(ZonaEn, AlgunosLugares) {
    const bool coyhaique = ZonaConocida(QStringLiteral("America/Coyhaique"));
    const struct {
        double latitud, longitud;
        const char* zona;
        bool nautica;
        double horas;
    } casos[] = {
        {-58.0, -65.0, "Etc/GMT+4", true, -4},    // Drake Passage
        {10.0, 179.5, "Etc/GMT-12", true, 12},    // mid-Pacific west of the date line
        {10.0, -179.5, "Etc/GMT+12", true, -12},  // ... and east of it
        {10.0, 180.0, "Etc/GMT-12", true, 12},
        {10.0, -180.0, "Etc/GMT+12", true, -12},
        {-33.0, -73.5, "Etc/GMT+5", true, -5},  // off Valparaíso, beyond the territorial sea
        {-40.0, -30.0, "Etc/GMT+2", true, -2},  // South Atlantic
        {-27.15, -109.43, "Pacific/Easter", false, 0},   // Hanga Roa
        {-33.64, -78.83, "America/Santiago", false, 0},  // Juan Fernández islands
        {-51.7, -57.85, "Atlantic/Stanley", false, 0},   // Stanley, Falklands
        {-33.45, -70.67, "America/Santiago", false, 0},  // Santiago
        {-33.05, -71.62, "America/Santiago", false, 0},  // Valparaíso
        {-53.16, -70.91, "America/Punta_Arenas", false, 0},
        {-45.57, -72.07, coyhaique ? "America/Coyhaique" : "America/Punta_Arenas", false, 0},
        {-34.6, -58.4, "America/Argentina/Buenos_Aires", false, 0},
        {51.5, -0.12, "Europe/London", false, 0},
        {39.9, 116.4, "Asia/Shanghai", false, 0},
        {35.68, 139.76, "Asia/Tokyo", false, 0},
        {-33.45, 360.0 - 70.67, "America/Santiago", false, 0},  // longitude taken modulo 360
        {-33.45, -70.67 - 720.0, "America/Santiago", false, 0},
    };
    for (const auto& c : casos) {
        const auto r = Indice().Busca(c.latitud, c.longitud);
        ASSERT_TRUE(r) << c.latitud << ", " << c.longitud;
        EXPECT_EQ(r->zona, QLatin1String(c.zona)) << c.latitud << ", " << c.longitud;
        EXPECT_EQ(r->nautica, c.nautica) << c.latitud << ", " << c.longitud;
        EXPECT_EQ(r->horasNauticas, c.horas) << c.latitud << ", " << c.longitud;
        EXPECT_FALSE(r->dudosa) << c.latitud << ", " << c.longitud;
        EXPECT_FALSE(r->solapadas) << c.latitud << ", " << c.longitud;
    }
    // Coyhaique on a tzdata without its zone says what it gives instead.
    const auto r = Indice().Busca(-45.57, -72.07);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->nota.isEmpty(), coyhaique) << r->nota.toStdString();
    if (!coyhaique) {
        EXPECT_TRUE(r->nota.contains(QLatin1String("America/Coyhaique")));
    }
}

TEST(ZonaEn, ZonasQueSeSolapan) {
    // Urumqi lies in both Asia/Urumqi and Asia/Shanghai: the smaller first.
    const auto r = Indice().Busca(43.8, 87.6);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zona, QLatin1String("Asia/Urumqi"));
    EXPECT_EQ(r->otra, QLatin1String("Asia/Shanghai"));
    EXPECT_TRUE(r->solapadas);
    EXPECT_FALSE(r->nautica);
}

TEST(ZonaEn, FueraDeRango) {
    for (const auto& [lat, lon] : std::vector<std::pair<double, double>>{
             {90.01, 0}, {-90.01, 0}, {kNaN, 0}, {0, kNaN}, {0, HUGE_VAL}, {-HUGE_VAL, 0}}) {
        EXPECT_FALSE(Indice().Busca(lat, lon)) << lat << ", " << lon;
        QString problema;
        EXPECT_FALSE(ZonaEn(lat, lon, &problema));
        EXPECT_FALSE(problema.isEmpty());
    }
    // The poles themselves are in range.
    EXPECT_TRUE(Indice().Busca(90, 0));
    EXPECT_TRUE(Indice().Busca(-90, 0));
}

TEST(ZonaEn, ElIndiceDelProgramaEnVariosHilos) {
    if (qEnvironmentVariableIsSet("VESPALBA_ZONAS_GEO")) GTEST_SKIP() << "índice elegido a mano";
    // The first calls, from several threads at once, open the index once and
    // agree.
    std::vector<std::thread> hilos;
    std::vector<QString> zonas(4);
    for (int i = 0; i < 4; ++i) {
        hilos.emplace_back([&zonas, i] {
            const auto r = ZonaEn(-33.05, -71.62);
            zonas[i] = r ? r->zona : QStringLiteral("(nada)");
        });
    }
    for (auto& h : hilos) h.join();
    for (const QString& z : zonas) EXPECT_EQ(z, QLatin1String("America/Santiago"));
}

TEST(IndiceZonas, ArchivosQueNoSonIndices) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile original(QStringLiteral(VESPALBA_ZONAS_IDX));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bueno = original.readAll();
    QByteArray otraMarca = bueno;
    otraMarca[0] = 'X';
    QByteArray largoFalso = bueno;
    largoFalso[28] = char(largoFalso[28] + 1);
    const struct {
        const char* nombre;
        QByteArray contenido;
    } casos[] = {{"vacio", QByteArray()},
                 {"texto", QByteArray("America/Santiago\n")},
                 {"marca", otraMarca},
                 {"cortado", bueno.left(bueno.size() / 2)},
                 {"largo", largoFalso}};
    for (const auto& c : casos) {
        const QString ruta = dir.filePath(QLatin1String(c.nombre));
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.contenido);
        f.close();
        QString problema;
        EXPECT_FALSE(IndiceZonas::Abre(ruta, &problema)) << c.nombre;
        EXPECT_TRUE(problema.startsWith(ruta)) << problema.toStdString();
    }
    QString problema;
    EXPECT_FALSE(IndiceZonas::Abre(dir.filePath(QStringLiteral("no-existe")), &problema));
    EXPECT_FALSE(problema.isEmpty());
    EXPECT_GT(Indice().NumZonas(), 400);
}

TEST(IndiceZonas, DatosAlterados) {
    // An index whose header is sound but whose nodes and polygons hold wrong
    // bytes (a damaged disk, a bad copy) still answers every lookup, within
    // the file (the sanitizer build checks the reads) and in bounded time.
    QFile original(QStringLiteral(VESPALBA_ZONAS_IDX));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bueno = original.readAll();
    const quint32 inicioNodos = qFromLittleEndian<quint32>(bueno.constData() + 20);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::mt19937 azar(20261211);
    std::uniform_int_distribution<qsizetype> posicion(inicioNodos, bueno.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int copia = 0; copia < 8; ++copia) {
        QByteArray datos = bueno;
        for (int i = 0; i < 20000; ++i) datos[posicion(azar)] = char(byte(azar));
        QFile f(dir.filePath(QStringLiteral("zonas%1.idx").arg(copia)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(datos);
        f.close();
        const auto indice = IndiceZonas::Abre(f.fileName(), nullptr);
        ASSERT_TRUE(indice);
        for (int i = 0; i < 5000; ++i) {
            const double lat = std::asin(2 * u(azar) - 1) * 180 / M_PI, lon = 360 * u(azar) - 180;
            const auto r = indice->Busca(lat, lon);
            ASSERT_TRUE(r && !r->zona.isEmpty()) << lat << ", " << lon;
        }
    }
}

TEST(IndiceZonas, ZonaQueFaltaEnElTzdata) {
    // The index with America/Coyhaique renamed to an id no tzdata has: the
    // stand-in the index stores for it is given, with a note.
    QFile original(QStringLiteral(VESPALBA_ZONAS_IDX));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray datos = original.readAll();
    const QByteArray id("America/Coyhaique\0", 18), falso("America/Coyhaiqux\0", 18);
    const qsizetype en = datos.indexOf(id);
    ASSERT_GE(en, 0);
    datos.replace(en, id.size(), falso);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("zonas.idx")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(datos);
    f.close();
    QString problema;
    const auto indice = IndiceZonas::Abre(f.fileName(), &problema);
    ASSERT_TRUE(indice) << problema.toStdString();
    const auto r = indice->Busca(-45.57, -72.07);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zona, QLatin1String("America/Punta_Arenas"));
    EXPECT_TRUE(r->nota.contains(QLatin1String("America/Coyhaiqux"))) << r->nota.toStdString();
    EXPECT_TRUE(r->nota.contains(QLatin1String("America/Punta_Arenas"))) << r->nota.toStdString();
    // Other zones are untouched, without a note.
    const auto santiago = indice->Busca(-33.45, -70.67);
    ASSERT_TRUE(santiago);
    EXPECT_EQ(santiago->zona, QLatin1String("America/Santiago"));
    EXPECT_TRUE(santiago->nota.isEmpty());
}

// Run alone by CTest (zona_geo_sin_indice, tests/CMakeLists.txt) with
// VESPALBA_ZONAS_GEO naming a missing file; disabled in the ordinary run,
// where the program finds the source tree's index.
TEST(ZonaEn, DISABLED_SinIndice) {
    ASSERT_TRUE(
        qEnvironmentVariable("VESPALBA_ZONAS_GEO").endsWith(QLatin1String("no-existe.idx")));
    QString problema;
    EXPECT_FALSE(ZonaEn(-33.05, -71.62, &problema));
    EXPECT_TRUE(problema.contains(QLatin1String("no-existe.idx"))) << problema.toStdString();
    EXPECT_EQ(IndiceZonas::DelPrograma(), nullptr);
}

TEST(ZonaEn, ElIndiceDeLasFuentes) {
    // Run from the build folder, with no share/vespalba beside it: the
    // source tree's index.
    if (qEnvironmentVariableIsSet("VESPALBA_ZONAS_GEO")) GTEST_SKIP() << "índice elegido a mano";
    const IndiceZonas* indice = IndiceZonas::DelPrograma();
    ASSERT_TRUE(indice);
    EXPECT_EQ(QFileInfo(indice->Ruta()).canonicalFilePath().toStdString(),
              QFileInfo(QStringLiteral(VESPALBA_ZONAS_IDX)).canonicalFilePath().toStdString());
}

// Run by CTest (zona_geo_instalado, tests/CMakeLists.txt) on a copy of this
// program in DIR/bin with the index in DIR/share/vespalba, as installed.
TEST(ZonaEn, DISABLED_ElIndiceInstalado) {
    const QString esperado = qEnvironmentVariable("VESPALBA_ZONAS_INSTALADO");
    ASSERT_FALSE(esperado.isEmpty());
    const IndiceZonas* indice = IndiceZonas::DelPrograma();
    ASSERT_TRUE(indice);
    EXPECT_EQ(QFileInfo(indice->Ruta()).canonicalFilePath().toStdString(),
              QFileInfo(esperado).canonicalFilePath().toStdString());
    const auto r = ZonaEn(-33.05, -71.62);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zona, QLatin1String("America/Santiago"));
}

// Farther than 1 km from every boundary, the zone of the polygons; nearer,
// one of the zones within 1 km.
void CompruebaPuntos(const char* archivo, size_t cuantos) {
    const auto puntos = LeePuntos(archivo);
    ASSERT_EQ(puntos.size(), cuantos) << archivo;
    size_t lejos = 0, fallos = 0, cercaExactas = 0, cercaDudosas = 0;
    for (const Punto& p : puntos) {
        const auto r = Indice().Busca(p.latitud, p.longitud);
        ASSERT_TRUE(r);
        bool bien;
        if (p.lejos) {
            ++lejos;
            if (p.dentro.size() == 2) {
                // Overlapping zones: both named, the smaller first.
                bien =
                    r->solapadas && !r->nautica &&
                    ((Es(*r, r->zona, *p.dentro.begin()) && Es(*r, r->otra, *p.dentro.rbegin())) ||
                     (Es(*r, r->zona, *p.dentro.rbegin()) && Es(*r, r->otra, *p.dentro.begin())));
            } else {
                bien = Es(*r, r->zona, *p.dentro.begin()) && !r->solapadas;
            }
        } else {
            // One of the zones within 1 km; and where one zone holds the
            // point and one other is near, that zone, or the other one with
            // the doubt said and the exact zone named (near a meeting of
            // three, `otra` may name the third).
            bien = false;
            for (const QString& z : p.cerca) bien = bien || Es(*r, r->zona, z);
            if (p.dentro.size() == 1 && p.cerca.size() == 2) {
                const QString& exacta = *p.dentro.begin();
                bien = bien && (Es(*r, r->zona, exacta) || (r->dudosa && Es(*r, r->otra, exacta)));
            }
            cercaExactas += p.dentro.size() == 1 && Es(*r, r->zona, *p.dentro.begin());
            cercaDudosas += r->dudosa;
        }
        if (!bien && ++fallos <= 20) {
            ADD_FAILURE() << archivo << ":" << p.linea << " " << p.latitud << ", " << p.longitud
                          << ": " << Texto(*r).toStdString() << "; dentro "
                          << Lista(p.dentro).toStdString() << ", a 1 km "
                          << Lista(p.cerca).toStdString();
        }
    }
    EXPECT_EQ(fallos, 0u) << archivo;
    std::printf(
        "%s: %zu puntos, %zu a más de 1 km de un límite; de los %zu a menos, %zu con la zona "
        "exacta "
        "y %zu dudosos\n",
        archivo, puntos.size(), lejos, puntos.size() - lejos, cercaExactas, cercaDudosas);
}

TEST(IndiceZonas, PuntosAlAzarEnTierra) { CompruebaPuntos("zonas_geo_tierra.txt", 100000); }

TEST(IndiceZonas, PuntosCercaDeLosLimites) { CompruebaPuntos("zonas_geo_fronteras.txt", 10000); }

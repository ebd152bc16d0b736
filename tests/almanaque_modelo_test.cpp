// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's rules without the window: what a typed place, zone
// or coordinates mean, the suggestions, the day's summary against the
// table's cells, the Moon and the seasons, and the remembered settings,
// also when their file is damaged.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <random>

#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "dias/celdas.h"

namespace {

using namespace Vespalba::Almanaque;
using Vespalba::Dias::CalculaDias;
using Vespalba::Dias::Consulta;
using Vespalba::Dias::DiaCalculado;

TEST(Coordenadas, FormasAceptadasYRechazos) {
    const struct {
        const char* texto;
        bool coordenadas;          // looks like coordinates at all
        double latitud, longitud;  // north and EAST positive; NaN for a refusal
    } casos[] = {
        {"33:16S 71:36W", true, -(33 + 16 / 60.0), -71.6},
        {"33:16S, 71:36W", true, -(33 + 16 / 60.0), -71.6},
        {"33°16'S 71°36'W", true, -(33 + 16 / 60.0), -71.6},
        {"-33.27 -71.6", true, -33.27, -71.6},
        {"-33.27, -71.6", true, -33.27, -71.6},
        {"-33.27,-71.6", true, -33.27, -71.6},
        {"-33,27 -71,6", true, -33.27, -71.6},  // decimal commas
        {"-33.27; 151.2", true, -33.27, 151.2},
        {"\u221233.27 \u221271.6", true, -33.27, -71.6},  // the minus sign
        {"75 0", true, NAN, NAN},                         // the poles' caps are refused
        {"-33 180", true, NAN, NAN},
        {"33:61S 71:36W", true, NAN, NAN},
        {"1 2 3", true, NAN, NAN},
        {"Valparaíso", false, NAN, NAN},
        {"", false, NAN, NAN},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        const LecturaLugar l = LeeCoordenadas(QString::fromUtf8(c.texto));
        EXPECT_EQ(l.sitio.has_value() || !l.problema.isEmpty(), c.coordenadas);
        if (std::isnan(c.latitud)) {
            EXPECT_FALSE(l.sitio);
            continue;
        }
        ASSERT_TRUE(l.sitio) << l.problema.toStdString();
        EXPECT_NEAR(l.sitio->latitud, c.latitud, 1e-12);
        EXPECT_NEAR(l.sitio->longitud, c.longitud, 1e-12);
        EXPECT_TRUE(l.sitio->zona.isEmpty());
    }
}

TEST(Zonas, LoQueSeEscribe) {
    using Tipo = EleccionZona::Tipo;
    const struct {
        const char* texto;
        bool valida;
        Tipo tipo;
        double horas;
    } casos[] = {
        {"America/Santiago", true, Tipo::Iana, 0},
        {"-4", true, Tipo::Fija, -4},
        {"+5,75", true, Tipo::Fija, 5.75},
        {"UTC-3", true, Tipo::Fija, -3},
        {"5.5 h", true, Tipo::Fija, 5.5},
        {"\u22123,5 h", true, Tipo::Fija, -3.5},
        {"5.6", false, Tipo::Fija, 0},
        {"15", false, Tipo::Fija, 0},
        {"america/santiago", false, Tipo::Iana, 0},
        {"Marte/Olimpo", false, Tipo::Iana, 0},
        {"", false, Tipo::Iana, 0},
        {"nan", false, Tipo::Iana, 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        const LecturaZona l = LeeZona(QString::fromUtf8(c.texto));
        ASSERT_EQ(l.zona.has_value(), c.valida) << l.problema.toStdString();
        if (!c.valida) {
            EXPECT_FALSE(l.problema.isEmpty());
            continue;
        }
        EXPECT_EQ(l.zona->tipo, c.tipo);
        if (c.tipo == Tipo::Fija) {
            EXPECT_EQ(l.zona->horas, c.horas);
        }
    }
    // A close name is offered for a zone written in lower case.
    EXPECT_TRUE(LeeZona(QStringLiteral("america/santiago")).problema.contains("America/Santiago"));
}

// Bare coordinates in "the place's zone": on land the zone of the point
// (Santiago's outskirts, Hanga Roa), at sea the nautical zone.
TEST(Zonas, LaDeLasCoordenadas) {
    const struct {
        double lat, lon;
        const char* zona;
        double horas;
    } casos[] = {
        {-33.5, -70.7, "America/Santiago", 0.0},
        {-27.15, -109.43, "Pacific/Easter", 0.0},
        {-33.27, -80.5, "", -5.0},
    };
    for (const auto& c : casos) {
        Sitio s;
        s.latitud = c.lat;
        s.longitud = c.lon;
        const Vespalba::Dias::Consulta q =
            ConsultaDe(s, EleccionZona{}, QDate(2026, 12, 11), QDate(2026, 12, 11));
        EXPECT_EQ(q.zonaHoraria, QString::fromLatin1(c.zona)) << c.lat << " " << c.lon;
        if (c.zona[0] == '\0') {
            EXPECT_EQ(q.zona, c.horas);
            EXPECT_TRUE(
                NombreDeZonaElegida(s, EleccionZona{}).endsWith(QStringLiteral("(zona náutica)")));
        } else {
            EXPECT_EQ(NombreDeZonaElegida(s, EleccionZona{}),
                      QString::fromLatin1(c.zona) + QStringLiteral(" (por las coordenadas)"));
        }
    }
}

TEST(Lugares, SugerenciasYNombres) {
    const std::vector<Sugerencia> valpa = Sugerencias(QStringLiteral("valpa"), 12);
    ASSERT_FALSE(valpa.empty());
    EXPECT_EQ(valpa.front().sitio.nombre, "Valparaíso") << "the forty ports first";
    EXPECT_EQ(valpa.front().sitio.zona, "America/Santiago");

    const std::vector<Sugerencia> concep = Sugerencias(QStringLiteral("Concep"), 12);
    const auto biobio = std::find_if(concep.begin(), concep.end(), [](const Sugerencia& s) {
        return s.texto == QStringLiteral("Concepción, Región del Biobío, Chile");
    });
    ASSERT_NE(biobio, concep.end());
    EXPECT_NEAR(biobio->sitio.latitud, -36.8, 0.1);
    EXPECT_NEAR(biobio->sitio.longitud, -73.05, 0.1);
    EXPECT_EQ(biobio->sitio.zona, "America/Santiago");
    EXPECT_LE(concep.size(), 12u);

    // Typed coordinates are their one suggestion.
    const std::vector<Sugerencia> coordenadas = Sugerencias(QStringLiteral("33:16S 71:36W"), 12);
    ASSERT_EQ(coordenadas.size(), 1u);
    EXPECT_TRUE(coordenadas.front().sitio.zona.isEmpty());

    const LecturaLugar desconocido = LeeLugar(QStringLiteral("Valparaisso"));
    EXPECT_FALSE(desconocido.sitio);
    EXPECT_TRUE(desconocido.problema.contains(QStringLiteral("Valparaíso")))
        << desconocido.problema.toStdString();
    EXPECT_FALSE(desconocido.problema.contains(QStringLiteral("--")))
        << "no command-line options in the window's words";

    const LecturaLugar puerto = LeeLugar(QStringLiteral("valparaiso"));
    ASSERT_TRUE(puerto.sitio);
    EXPECT_EQ(puerto.sitio->Nombre(), "Valparaíso, Chile");
    EXPECT_EQ(*puerto.sitio, valpa.front().sitio) << "typed or picked, the same place";
}

// The day's times are the table's cells for the same place, zone and date.
TEST(ResumenDia, LasMismasHorasQueLaTabla) {
    using std::chrono::sys_days;
    struct Caso {
        const char* nombre;
        Sitio sitio;
        EleccionZona zona;
        QDate fecha;
        const char* aviso;  // a word every summary of the day holds, or none
    };
    Sitio santiago{
        QStringLiteral("Santiago"), {}, -33.45, -70.67, QStringLiteral("America/Santiago")};
    Sitio norte{{}, {}, 70.0, 20.0, QStringLiteral("Europe/Oslo")};
    Sitio apia{QStringLiteral("Apia"), {}, -13.83, -171.77, QStringLiteral("Pacific/Apia")};
    EleccionZona menosCuatro;
    menosCuatro.tipo = EleccionZona::Tipo::Fija;
    menosCuatro.horas = -4;
    const Caso casos[] = {
        {"ordinario", Valparaiso(), {}, QDate(2003, 7, 2), nullptr},
        {"25 horas", santiago, {}, QDate(2026, 4, 4), "25 horas"},
        {"23 horas", santiago, {}, QDate(2026, 9, 6), "23 horas"},
        {"día polar", norte, {}, QDate(2026, 6, 21), "Día polar"},
        {"noche polar", norte, {}, QDate(2026, 12, 21), "Noche polar"},
        {"no existe", apia, {}, QDate(2011, 12, 30), "no existe"},
        {"desfase fijo", Valparaiso(), menosCuatro, QDate(2003, 7, 2), nullptr},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const Consulta consulta = ConsultaDe(c.sitio, c.zona, c.fecha, c.fecha);
        const std::vector<DiaCalculado> dias = CalculaDias(consulta);
        ASSERT_EQ(dias.size(), 1u);
        const DiaCalculado& d = dias.front();
        const ResumenDia r = ResumeDia(consulta, d);
        if (c.aviso) {
            EXPECT_TRUE(r.avisos.join(' ').contains(QString::fromUtf8(c.aviso)))
                << r.avisos.join(' ').toStdString();
        }
        const std::vector<Vespalba::Dias::Celda> fila = Vespalba::Dias::FilaTexto(consulta, d);
        const std::vector<Vespalba::Dias::Columna> columnas = Vespalba::Dias::Columnas(consulta);
        const auto celda = [&](const char* grupo, const char* titulo) {
            for (std::size_t i = 0; i < columnas.size(); ++i) {
                if (columnas[i].grupo == QString::fromUtf8(grupo) &&
                    columnas[i].titulo == QString::fromUtf8(titulo)) {
                    return fila[i].texto;
                }
            }
            ADD_FAILURE() << grupo << " " << titulo;
            return QString();
        };
        if (!d.existe) {
            EXPECT_FALSE(r.existe);
            EXPECT_TRUE(r.sol.empty());
            continue;
        }
        ASSERT_EQ(r.sol.size(), 9u);
        // Each row, found by its name (the rows are in clock order), says
        // what the table's cell says.
        const std::pair<const char*, std::pair<const char*, const char*>> pares[] = {
            {"Aurora astronómica", {"Astronómico", "Aurora"}},
            {"Aurora náutica", {"Náutico", "Aurora"}},
            {"Aurora civil", {"Civil", "Aurora"}},
            {"Orto", {"Sol", "Orto"}},
            {"Mediodía solar", {"Sol", "Mediodía"}},
            {"Ocaso", {"Sol", "Ocaso"}},
            {"Fin del crepúsculo civil", {"Civil", "Fin"}},
            {"Fin del crepúsculo náutico", {"Náutico", "Fin"}},
            {"Fin del crepúsculo astronómico", {"Astronómico", "Fin"}},
        };
        for (const auto& [nombre, columna] : pares) {
            const QString texto = celda(columna.first, columna.second);
            const auto fila = std::find_if(r.sol.begin(), r.sol.end(), [&](const Suceso& s) {
                return s.nombre == QString::fromUtf8(nombre);
            });
            ASSERT_NE(fila, r.sol.end()) << nombre;
            const QString hora = fila->hora;
            if (QRegularExpression(QStringLiteral("^\\d+:\\d\\d")).match(texto).hasMatch()) {
                EXPECT_EQ(hora, texto) << nombre;
            } else {
                // A mark or nothing in the table: words here, never a time.
                EXPECT_FALSE(hora.contains(QRegularExpression(QStringLiteral("\\d:\\d"))))
                    << hora.toStdString();
            }
        }
        EXPECT_EQ(r.horasDeLuz, celda("Horas", "de luz"));
        // The Moon's events, in the table's order, without their names.
        QStringList luna;
        for (const char* t : {"primero", "segundo"}) {
            const QString m = celda("Luna", t);
            const QRegularExpressionMatch h =
                QRegularExpression(QStringLiteral("(\\d+:\\d\\d)$")).match(m);
            if (h.hasMatch()) luna << h.captured(1);
        }
        QStringList resumida;
        for (const Suceso& s : r.luna) {
            if (QRegularExpression(QStringLiteral("^\\d+:\\d\\d$")).match(s.hora).hasMatch()) {
                resumida << s.hora;
            }
        }
        EXPECT_EQ(resumida, luna);
        for (const Suceso& s : r.sol) {
            EXPECT_FALSE(s.hora.isEmpty()) << s.nombre.toStdString();
            EXPECT_FALSE(s.hora.contains(QStringLiteral("nan"), Qt::CaseInsensitive));
        }
    }
}

// Where the evening twilight ends after midnight (southern Chile in
// summer, Europe above about 48 N in June), the end before the day's noon
// closed last night and says so; tonight's end follows with its date, and
// the rows are in clock order.
TEST(ResumenDia, LaNocheDespuesDeMedianoche) {
    const LecturaLugar leido = LeeLugar(QStringLiteral("Punta Arenas"));
    ASSERT_TRUE(leido.sitio);
    const Sitio puntaArenas = *leido.sitio;
    const Sitio paris{QStringLiteral("París"), {}, 48.8566, 2.3522, QStringLiteral("Europe/Paris")};
    const struct {
        Sitio sitio;
        QDate fecha;
        const char* fin;        // the end of twilight that crosses midnight
        const char* anoche;     // its time today, last night's
        const char* estaNoche;  // tonight's, with its date
    } casos[] = {
        {puntaArenas, QDate(2026, 12, 11), "Fin del crepúsculo náutico", "0:18", "0:21 del sáb 12"},
        {paris, QDate(2026, 6, 20), "Fin del crepúsculo astronómico", nullptr, nullptr},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.sitio.nombre.toStdString());
        const Consulta hoy = ConsultaDe(c.sitio, {}, c.fecha, c.fecha);
        const Consulta manana = ConsultaDe(c.sitio, {}, c.fecha.addDays(1), c.fecha.addDays(1));
        const DiaCalculado d = CalculaDias(hoy).front();
        const DiaCalculado m = CalculaDias(manana).front();
        const ResumenDia sin = ResumeDia(hoy, d);
        const ResumenDia r = ResumeDia(hoy, d, &m);
        std::vector<const Suceso*> fines;
        for (const Suceso& s : r.sol) {
            if (s.nombre == QString::fromUtf8(c.fin)) fines.push_back(&s);
        }
        if (c.anoche != nullptr) {
            // Last night's end first, then tonight's.
            ASSERT_EQ(fines.size(), 2u);
            EXPECT_EQ(fines[0]->hora, QString::fromUtf8(c.anoche));
            EXPECT_EQ(fines[0]->nota, QStringLiteral("fin del crepúsculo de anoche"));
            EXPECT_EQ(fines[1]->hora, QString::fromUtf8(c.estaNoche));
            EXPECT_EQ(fines[1]->nota, QStringLiteral("fin del crepúsculo de esta noche"));
            EXPECT_EQ(sin.sol.size() + 1, r.sol.size());
            // The first and the last of the rows with a time (a row in
            // words keeps its place: "no hay" of the astronomical twilight).
            std::vector<const Suceso*> conHora;
            for (const Suceso& s : r.sol) {
                if (s.hora.contains(QRegularExpression(QStringLiteral("^\\d+:")))) {
                    conHora.push_back(&s);
                }
            }
            ASSERT_GE(conHora.size(), 2u);
            EXPECT_EQ(conHora.front(), fines[0]) << "0:18 is the first event of the day";
            EXPECT_EQ(conHora.back(), fines[1]);
        } else {
            // Paris on 20 June: no astronomical night at all ("////"): the
            // end is missing both days and nothing is made up.
            ASSERT_EQ(fines.size(), 1u);
            EXPECT_FALSE(fines[0]->hora.contains(QRegularExpression(QStringLiteral("\\d:\\d"))));
        }
        // Clock order: every time of the day (h:mm at the start), and the
        // next day's after them.
        int antes = -1;
        bool manianaVisto = false;
        for (const Suceso& s : r.sol) {
            const QRegularExpressionMatch h =
                QRegularExpression(QStringLiteral("^(\\d+):(\\d\\d)")).match(s.hora);
            if (!h.hasMatch()) continue;
            const bool deManana = s.hora.contains(QStringLiteral(" del "));
            EXPECT_TRUE(deManana || !manianaVisto) << s.nombre.toStdString();
            manianaVisto = manianaVisto || deManana;
            if (deManana) continue;
            const int minutos = h.captured(1).toInt() * 60 + h.captured(2).toInt();
            EXPECT_GE(minutos, antes) << s.nombre.toStdString() << " " << s.hora.toStdString();
            antes = minutos;
        }
    }
}

TEST(ResumenDia, LunaYEstaciones) {
    const Sitio santiago{
        QStringLiteral("Santiago"), {}, -33.45, -70.67, QStringLiteral("America/Santiago")};
    const Consulta c = ConsultaDe(santiago, {}, QDate(2026, 12, 11), QDate(2026, 12, 11));
    const DiaCalculado d = CalculaDias(c).front();
    const LunaDelDia l = LunaDe(c, d);
    EXPECT_TRUE(l.hemisferioSur);
    ASSERT_EQ(l.proximasFases.size(), 4);
    // The new moon of 2026-12-09 is past; the next principal phase is the
    // first quarter, then the full moon, as the four phases turn.
    EXPECT_TRUE(l.proximasFases[0].startsWith(QStringLiteral("Cuarto creciente: ")))
        << l.proximasFases.join(" | ").toStdString();
    EXPECT_TRUE(l.proximasFases[1].startsWith(QStringLiteral("Luna llena: ")));
    const Estaciones e = EstacionesDe(c, d);
    EXPECT_TRUE(
        e.proxima.startsWith(QStringLiteral("Solsticio de diciembre: lunes, 21 de diciembre")) ||
        e.proxima.startsWith(QStringLiteral("Solsticio de diciembre: lunes 21 de diciembre")))
        << e.proxima.toStdString();
    EXPECT_TRUE(e.desdeSolsticio.contains(QStringLiteral("solsticio de junio")))
        << e.desdeSolsticio.toStdString();
    EXPECT_TRUE(e.desdeSolsticio.contains(QStringLiteral("más"))) << "days lengthen to December";
}

// ------------------------------------------------------------ settings

// Two windows on the same files, each with its own QSettings: what one adds
// or removes is made on the files' current content, never on a copy read
// earlier, so nothing the other did is lost (before, each wrote its own
// stale list: Arica vanished when Punta Arenas was added, and Punta Arenas
// when Tromsø was removed). The window's own state no longer writes the
// favourites at all.
TEST(Preferencias, DosVentanasNoPierdenFavoritos) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Sitio tromso{QStringLiteral("Tromsø"), {}, 69.65, 18.96, QStringLiteral("Europe/Oslo")};
    const Sitio arica{
        QStringLiteral("Arica"), {}, -18.48, -70.33, QStringLiteral("America/Santiago")};
    const Sitio puntaArenas{
        QStringLiteral("Punta Arenas"), {}, -53.16, -70.91, QStringLiteral("America/Punta_Arenas")};
    {
        Preferencias p;
        p.favoritos = {tromso};
        QSettings a(dir.filePath("a.conf"), QSettings::IniFormat);
        QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
        GuardaPreferencias(p, a, c);
    }
    QSettings a1(dir.filePath("a.conf"), QSettings::IniFormat);
    QSettings c1(dir.filePath("c.conf"), QSettings::IniFormat);
    QSettings a2(dir.filePath("a.conf"), QSettings::IniFormat);
    QSettings c2(dir.filePath("c.conf"), QSettings::IniFormat);
    Preferencias ventana1 = LeePreferencias(a1, c1);
    Preferencias ventana2 = LeePreferencias(a2, c2);
    const auto enElArchivo = [&] {
        QSettings a(dir.filePath("a.conf"), QSettings::IniFormat);
        QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
        return LeePreferencias(a, c);
    };

    const auto nombres = [](const std::vector<Sitio>& v) {
        QStringList n;
        for (const Sitio& x : v) n << x.Nombre();
        return n.join(QStringLiteral(", ")).toStdString();
    };
    CambiaFavoritos(a1, c1, CambioFavorito::Anade, arica);
    ventana1.ultimo = arica;
    GuardaEstado(ventana1, a1);  // window 1's own state, its stale list aside
    CambiaFavoritos(a2, c2, CambioFavorito::Anade, puntaArenas);
    EXPECT_EQ(enElArchivo().favoritos, (std::vector<Sitio>{tromso, arica, puntaArenas}))
        << nombres(enElArchivo().favoritos);

    const Preferencias tras = CambiaFavoritos(a1, c1, CambioFavorito::Quita, tromso);
    EXPECT_EQ(tras.favoritos, (std::vector<Sitio>{arica, puntaArenas}));
    EXPECT_EQ(enElArchivo().favoritos, tras.favoritos);

    // The default place follows the same rule, in the shared file.
    CambiaFavoritos(a2, c2, CambioFavorito::PorOmision, puntaArenas);
    CambiaFavoritos(a1, c1, CambioFavorito::Anade, tromso);
    const Preferencias fin = enElArchivo();
    EXPECT_EQ(fin.favoritos, (std::vector<Sitio>{arica, puntaArenas, tromso}));
    EXPECT_EQ(fin.porOmision, 1);
    QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
    ASSERT_TRUE(LeeLugarPorOmision(c));
    EXPECT_EQ(*LeeLugarPorOmision(c), puntaArenas);

    // Window 2 sees it all again without reopening.
    ventana2 = RecargaPreferencias(a2, c2);
    EXPECT_EQ(ventana2.favoritos, fin.favoritos);
    EXPECT_EQ(ventana2.porOmision, 1);
}

TEST(Preferencias, VuelvenComoSeGuardaron) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Preferencias p;
    p.ultimo = Valparaiso();
    p.zona.tipo = EleccionZona::Tipo::Fija;
    p.zona.horas = -3.5;
    p.geometria = QByteArray("\x01\xd9\xd0\xcb", 4);
    p.favoritos = {Valparaiso(), Sitio{{}, {}, 70.123456789012345, -20.5, {}}};
    p.porOmision = 1;
    {
        QSettings a(dir.filePath("a.conf"), QSettings::IniFormat);
        QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
        GuardaPreferencias(p, a, c);
    }
    QSettings a(dir.filePath("a.conf"), QSettings::IniFormat);
    QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
    const Preferencias leidas = LeePreferencias(a, c);
    EXPECT_EQ(leidas.ultimo, p.ultimo);
    EXPECT_EQ(leidas.zona, p.zona);
    EXPECT_EQ(leidas.geometria, p.geometria);
    EXPECT_EQ(leidas.favoritos, p.favoritos) << "coordinates to the last bit";
    EXPECT_EQ(leidas.porOmision, 1);
    ASSERT_TRUE(LeeLugarPorOmision(c));
    EXPECT_EQ(*LeeLugarPorOmision(c), p.favoritos[1]);
}

// A file written by hand, as a user or a script would: UTF-8 names, a
// comma inside a quoted value.
TEST(Preferencias, UnArchivoEscritoAMano) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath("a.conf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "[ultimo]\nnombre=Valpara\xc3\xadso\nnombre_completo=\"Valpara\xc3\xadso, Chile\"\n"
        "latitud=-33.033333333333331\nlongitud=-71.566666666666663\nzona=America/Santiago\n");
    f.close();
    QSettings a(f.fileName(), QSettings::IniFormat);
    QSettings c(dir.filePath("c.conf"), QSettings::IniFormat);
    const Preferencias p = LeePreferencias(a, c);
    ASSERT_TRUE(p.ultimo);
    EXPECT_EQ(p.ultimo->Nombre(), "Valparaíso, Chile");
    EXPECT_EQ(p.ultimo->zona, "America/Santiago");
}

TEST(Preferencias, UnArchivoDanadoDaLoDeSiempre) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray danados[] = {
        // Nonsense values: every one refused, nothing else lost.
        "[ultimo]\nlatitud=abc\nlongitud=1\n[zona]\ntipo=fija\nhoras=5.6\n"
        "[favoritos]\nsize=1000000000\n1\\latitud=nan\n1\\longitud=0\n2\\latitud=80\n"
        "2\\longitud=0\n3\\latitud=1e400\n3\\longitud=0\n",
        "[ultimo]\nlatitud=10\nlongitud=20\nzona=../../../etc/passwd\n[zona]\ntipo=iana\n"
        "iana=Marte/Olimpo\n[ventana]\ngeometria=@ByteArray(\\0\\0\\0)\n",
        "[ultimo\nlatitud=\n=\n\\\\\\\n[[[]]]\nzona/tipo=\xff\xfe\n",
        QByteArray(4096, '\0'),
    };
    for (const QByteArray& contenido : danados) {
        QFile f(dir.filePath("a.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenido);
        f.close();
        QSettings a(dir.filePath("a.conf"), QSettings::IniFormat);
        QSettings c(dir.filePath("no-existe.conf"), QSettings::IniFormat);
        const Preferencias p = LeePreferencias(a, c);
        EXPECT_FALSE(p.ultimo);
        EXPECT_EQ(p.zona, EleccionZona{});
        EXPECT_TRUE(p.favoritos.empty());
        EXPECT_EQ(p.porOmision, -1);
    }
    // Random bytes, many times: never a crash, never an invalid place.
    std::mt19937 azar(20261211);
    for (int vez = 0; vez < 200; ++vez) {
        QByteArray bytes(int(azar() % 600), '\0');
        for (char& b : bytes) b = char(azar() % 256);
        if (vez % 2 == 0) bytes.prepend("[ultimo]\nlatitud=");
        QFile f(dir.filePath("r.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        QSettings a(dir.filePath("r.conf"), QSettings::IniFormat);
        QSettings c(dir.filePath("r.conf"), QSettings::IniFormat);
        const Preferencias p = LeePreferencias(a, c);
        if (p.ultimo) {
            EXPECT_TRUE(SitioValido(*p.ultimo));
        }
        for (const Sitio& s : p.favoritos) EXPECT_TRUE(SitioValido(s));
    }
}

TEST(Preferencias, PrimerInicioEnLaZonaDelSistema) {
    const Sitio santiago = SitioInicial("America/Santiago");
    EXPECT_EQ(santiago.Nombre(), "Santiago");
    EXPECT_NEAR(santiago.latitud, -(33 + 27 / 60.0), 1e-9);
    EXPECT_NEAR(santiago.longitud, -(70 + 40 / 60.0), 1e-9);
    EXPECT_EQ(santiago.zona, "America/Santiago");
    EXPECT_EQ(SitioInicial("America/Argentina/Buenos_Aires").Nombre(), "Buenos Aires");
    EXPECT_EQ(SitioInicial("UTC"), Valparaiso()) << "a zone without a place";
    EXPECT_EQ(SitioInicial(""), Valparaiso());
    QTemporaryDir dir;
    QFile f(dir.filePath("zone1970.tab"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# comentario\nXX\t+7800+01600\tEurope/Oslo\tpolar\nYY\t+40\tEurope/Madrid\n");
    f.close();
    EXPECT_EQ(SitioInicial("Europe/Oslo", f.fileName()), Valparaiso()) << "75 degrees or more";
    EXPECT_EQ(SitioInicial("Europe/Madrid", f.fileName()), Valparaiso()) << "a broken line";
}

}  // namespace

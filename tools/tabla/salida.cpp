// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tabla/salida.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QString>
#include <QThread>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <unordered_map>

#include "astro/tiempo.h"
#include "places/lugares.h"
#include "places/nombres.h"
#include "places/nomenclator.h"
#include "places/zonas.h"

namespace Vespalba::Tabla {

using namespace std::chrono;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::DatosCalculo;
using Vespalba::ModuloVespalba::EstadoClase;
using Vespalba::ModuloVespalba::EventoClase;

namespace {

const char* NombreEstado(EstadoClase e) {
    switch (e) {
        case EstadoClase::ConEventos: return "ConEventos";
        case EstadoClase::SiempreSobre: return "SiempreSobre";
        case EstadoClase::SiempreBajo: return "SiempreBajo";
    }
    return "SiempreBajo";
}

QString Texto(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QByteArray Bytes(std::string_view s) { return QByteArray(s.data(), qsizetype(s.size())); }

QString FechaIso(year_month_day f) {
    return QStringLiteral("%1-%2-%3")
        .arg(int(f.year()), 4, 10, QLatin1Char('0'))
        .arg(unsigned(f.month()), 2, 10, QLatin1Char('0'))
        .arg(unsigned(f.day()), 2, 10, QLatin1Char('0'));
}

// Shortest decimal text that reads back as the same double, as Qt's JSON
// writer prints numbers.
QByteArray Decimal(double x) {
    return QByteArray::number(x + 0.0, 'g', QLocale::FloatingPointShortest);
}

// "2003-07-02", as FechaIso writes it.
void AgregaFecha(QByteArray& salida, year_month_day f) {
    const int anio = int(f.year());
    if (anio < 1000 || anio > 9999) {
        salida += FechaIso(f).toLatin1();
        return;
    }
    const unsigned mes = unsigned(f.month());
    const unsigned dia = unsigned(f.day());
    const char texto[10] = {char('0' + anio / 1000),
                            char('0' + anio / 100 % 10),
                            char('0' + anio / 10 % 10),
                            char('0' + anio % 10),
                            '-',
                            char('0' + mes / 10),
                            char('0' + mes % 10),
                            '-',
                            char('0' + dia / 10),
                            char('0' + dia % 10)};
    salida.append(texto, 10);
}

// The texts of the few offsets a request meets, made once each: in hours as
// Decimal writes them ("-4", "5.75") and as ISO 8601 ends an instant
// ("-04:00").
class TextosDesfase {
public:
    const QByteArray& Horas(int desfase) {
        return Busca(horas_, desfase, [](int d) { return Decimal(d / 3600.0); });
    }
    const QByteArray& Iso(int desfase) {
        return Busca(iso_, desfase, [](int d) { return TextoDesfaseIso(d).toLatin1(); });
    }

private:
    using Tabla = std::vector<std::pair<int, QByteArray>>;
    template <class Hace>
    static const QByteArray& Busca(Tabla& tabla, int desfase, Hace hace) {
        for (const auto& [d, texto] : tabla) {
            if (d == desfase) return texto;
        }
        tabla.emplace_back(desfase, hace(desfase));
        return tabla.back().second;
    }
    Tabla horas_, iso_;
};

// "2003-07-02T10:15:59-04:00": the instant on the clock of offset `desfase`,
// as InstanteIso writes it.
void AgregaInstante(QByteArray& salida, qint64 segundos, int desfase, TextosDesfase& textos) {
    const sys_seconds reloj{seconds{segundos + desfase}};
    const sys_days dia = floor<days>(reloj);
    const year_month_day f{dia};
    if (int(f.year()) < 1000 || int(f.year()) > 9999) {
        salida += InstanteIso(segundos, desfase).toLatin1();
        return;
    }
    const hh_mm_ss<seconds> hora{reloj - dia};
    const auto dos = [](long long n) {
        return std::array<char, 2>{char('0' + n / 10), char('0' + n % 10)};
    };
    AgregaFecha(salida, f);
    const auto h = dos(hora.hours().count());
    const auto m = dos(hora.minutes().count());
    const auto s = dos(hora.seconds().count());
    const char texto[9] = {'T', h[0], h[1], ':', m[0], m[1], ':', s[0], s[1]};
    salida.append(texto, 9);
    salida += textos.Iso(desfase);
}

// "33° 16' S": whole degrees, minutes (up to three decimals, trailing zeros
// dropped) and hemisphere of a signed angle.
QString GradosMinutos(double angulo, QChar positivo, QChar negativo) {
    const double minutosTotales = std::round(std::fabs(angulo) * 60000.0) / 1000.0;
    const double grados = std::floor(minutosTotales / 60.0);
    QString minutos = QString::number(minutosTotales - 60.0 * grados, 'f', 3);
    while (minutos.endsWith(QLatin1Char('0'))) {
        minutos.chop(1);
    }
    if (minutos.endsWith(QLatin1Char('.'))) {
        minutos.chop(1);
    }
    return QStringLiteral("%1° %2' %3")
        .arg(grados, 0, 'f', 0)
        .arg(minutos)
        .arg(angulo < 0 ? negativo : positivo);
}

QString Horas(double h) {
    return (h > 0 ? QStringLiteral("+") : QString()) + QString::number(h + 0.0, 'g', 6);
}

// The place's name as the outputs give it ("Valparaíso", "Puerto Montt,
// Región de Los Lagos, Chile"); empty for coordinates.
QString NombreDelLugar(const Peticion& p) {
    return p.nombreCompleto.isEmpty() ? p.lugar.trimmed() : p.nombreCompleto;
}

// Adds to `usados` the offsets in force during the days that it lacks, in
// order of first use.
void AnotaDesfases(const std::vector<DiaCalculado>& dias, QStringList& usados) {
    auto anota = [&](int desfase) {
        const QString t = TextoDesfase(desfase);
        if (!usados.contains(t)) usados << t;
    };
    for (const DiaCalculado& d : dias) {
        if (!d.existe) continue;
        anota(d.desfase);
        // The offsets of the events that happened (an absent one has none).
        for (std::size_t c = 0; c < d.instantes.size(); ++c) {
            const EventoClase& e = d.eventos.clases[c];
            if (e.hayOrto) anota(d.instantes[c][0].desfase);
            if (e.hayOcaso) anota(d.instantes[c][1].desfase);
        }
    }
}

// The offsets used, in order: "-04 y -03".
QString TextoDesfasesUsados(QStringList usados) {
    if (usados.size() <= 1) return usados.join(QString());
    const QString ultimo = usados.takeLast();
    return usados.join(QStringLiteral(", ")) + QStringLiteral(" y ") + ultimo;
}

QString TextoCoordenadas(const Peticion& p) {
    return GradosMinutos(p.latitud, QLatin1Char('N'), QLatin1Char('S')) + QStringLiteral(", ") +
           GradosMinutos(-p.longitud, QLatin1Char('E'), QLatin1Char('W'));
}

// The zone as the header names it: its IANA name, or the fixed offset "-4 h".
QString NombreDeZona(const Peticion& p) {
    return p.zonaHoraria.isEmpty() ? Horas(p.zona) + QStringLiteral(" h") : p.zonaHoraria;
}

//   usados: the offsets in force during the days, in order of first use.
QString Cabecera(const Peticion& p, const QStringList& usados) {
    const QString coordenadas = TextoCoordenadas(p);
    const QString nombre = NombreDelLugar(p);
    const QString lugar =
        nombre.isEmpty() ? coordenadas : nombre + QStringLiteral(" (") + coordenadas + ')';
    if (!p.zonaHoraria.isEmpty()) {
        const QString desfases = TextoDesfasesUsados(usados);
        return QStringLiteral(
                   "Lugar: %1\nZona horaria: %2, hora civil (%3 %4; cada hora con el de su "
                   "momento)\n")
            .arg(lugar, p.zonaHoraria,
                 desfases.contains(QLatin1Char(' ')) ? QStringLiteral("desfases")
                                                     : QStringLiteral("desfase"),
                 desfases);
    }
    const QString sentido = p.zona < 0 ? QStringLiteral("- ") : QStringLiteral("+ ");
    return QStringLiteral("Lugar: %1\nZona horaria: %2 (hora local = hora universal %3%4 h)\n")
        .arg(lugar, NombreDeZona(p), sentido, QString::number(std::fabs(p.zona), 'g', 6));
}

// --------------------------------------------------------------- text table

// A moon box as a cell: the event named by its label, then its text
// ("Orto 10: 15", "Ocaso No hay"); empty when the box is.
QString CeldaLuna(std::string_view caption, const std::string& texto) {
    if (texto.empty()) {
        return {};
    }
    QString evento = Texto(caption);
    evento.chop(int(sizeof(" Luna")) - 1);  // "Orto Luna" -> "Orto"
    const QString t = QString::fromStdString(texto);
    return evento + (t.startsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ")) + t;
}

}  // namespace

Encabezado EncabezadoDe(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    Encabezado e{NombreDelLugar(peticion), TextoCoordenadas(peticion), NombreDeZona(peticion), {}};
    AnotaDesfases(dias, e.desfases);
    return e;
}

QStringList NotasDeCambio(const DiaCalculado& d) {
    QStringList notas;
    for (const QString& cambio : d.cambios) {
        notas << QStringLiteral("* %1 cambio de hora: %2").arg(FechaIso(d.fecha), cambio);
    }
    return notas;
}

std::vector<Columna> Columnas(const Peticion& peticion) {
    std::vector<Columna> columnas = {
        {QString(), QStringLiteral("Fecha"), false},
        {QStringLiteral("Luna"), QStringLiteral("primero"), true},
        {QStringLiteral("Luna"), QStringLiteral("segundo"), true},
        {QStringLiteral("Sol"), QStringLiteral("Orto"), true},
        {QStringLiteral("Sol"), QStringLiteral("Ocaso"), true},
        {QStringLiteral("Crepúsculo civil"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Crepúsculo civil"), QStringLiteral("Fin"), true},
        {QStringLiteral("Crepúsculo náutico"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Crepúsculo náutico"), QStringLiteral("Fin"), true},
        {QStringLiteral("Crepúsculo astronómico"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Crepúsculo astronómico"), QStringLiteral("Fin"), true},
        {QStringLiteral("Horas"), QStringLiteral("de luz"), true},
        {QString(), QStringLiteral("Aviso"), false},
    };
    if (!peticion.zonaHoraria.isEmpty()) {
        columnas.insert(columnas.begin() + 1, {QString(), QStringLiteral("Desfase"), false});
    }
    return columnas;
}

std::vector<Celda> FilaTexto(const Peticion& peticion, const DiaCalculado& d) {
    const PantallaResultados& p = d.pantalla;
    std::vector<Celda> fila;
    fila.push_back({FechaIso(d.fecha)});
    const bool conZona = !peticion.zonaHoraria.isEmpty();
    if (!d.existe) {
        // Every column empty but the date's and the notice.
        fila.resize(Columnas(peticion).size() - 1);
        fila.push_back({QStringLiteral("no existe en la zona")});
        return fila;
    }
    if (conZona) {
        // The offset when the day starts; "*" marks a clock change, told
        // under the table.
        fila.push_back(
            {TextoDesfase(d.desfase) + (d.cambios.isEmpty() ? QString() : QStringLiteral("*"))});
    }
    fila.push_back({CeldaLuna(p.Label1, p[Caja::OcasoLuna].texto)});
    fila.push_back({CeldaLuna(p.Label8, p[Caja::OrtoLuna].texto)});
    for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
        fila.push_back({QString::fromStdString(p.cajas[i].texto), p.cajas[i].colorMarco});
    }
    fila.push_back({QString::fromStdString(p.HorasLuz)});
    fila.push_back({p.TextInfoVisible ? Texto(p.TextInfo) : QString()});
    return fila;
}

namespace {

const QChar sombra(0x2593);  // the shading that stands for the frame colour

QString Alinea(const QString& s, qsizetype ancho, bool derecha) {
    return derecha ? s.rightJustified(ancho) : s.leftJustified(ancho);
}

}  // namespace

// ---------------------------------------------------------------- computing

namespace {

// Seconds since 1970-01-01 00:00 UT of the date's 0 h at offset `desfase`
// (seconds east of UT).
qint64 MedianocheUtc(year_month_day f, int desfase) {
    return qint64(sys_days{f}.time_since_epoch().count()) * 86400 - desfase;
}

// The instant `hora` hours after `origen` (seconds since 1970 UT), truncated
// to the second.
qint64 SegundosTras(qint64 origen, double hora) {
    return origen + qint64(std::floor(hora * 3600.0));
}

// The search of a day of one fixed offset, `desfase` seconds east of UT:
// what the window computes for that date and zone.
void CalculaDiaFijo(const Peticion& peticion, DiaCalculado& d, int desfase) {
    DatosCalculo datos;
    datos.Dia = unsigned(d.fecha.day());
    datos.Mes = unsigned(d.fecha.month());
    datos.Anio = int(d.fecha.year());
    datos.Fecha = d.fecha;
    datos.Latitud = peticion.latitud;
    datos.Longitud = peticion.longitud;
    // A fixed offset as given; a zone's offset of whole seconds as hours
    // (quarter hours are exact in binary, so --zona -3.5 gives the same).
    datos.Zona = peticion.zonaHoraria.isEmpty() ? peticion.zona : desfase / 3600.0;
    d.desfase = desfase;
    d.eventos = ModuloVespalba::BuscaEventos(datos);
    d.pantalla = ComponeResultados(d.eventos);
    d.horasLuz = HorasDeLuz(d.eventos);
    const qint64 origen = MedianocheUtc(d.fecha, desfase);
    for (std::size_t c = 0; c < d.eventos.clases.size(); ++c) {
        const EventoClase& e = d.eventos.clases[c];
        d.instantes[c][0] = {SegundosTras(origen, e.horaOrto), desfase};
        d.instantes[c][1] = {SegundosTras(origen, e.horaOcaso), desfase};
    }
}

// A civil day with a clock change (or not starting at 0 h, or not lasting 24
// hours): one search over the whole civil day, on the hour grid of the
// offset in force when the day starts; each event is then read on the clock
// in force at its instant.
void CalculaDiaConCambio(const Peticion& peticion, DiaCalculado& d, const QTimeZone& zona,
                         const DiaCivil& civil) {
    const int desfaseInicio = civil.inicio.offsetFromUtc();
    const qint64 origen = MedianocheUtc(d.fecha, desfaseInicio);
    ModuloVespalba::DiaIntervalo intervalo;
    intervalo.Latitud = peticion.latitud;
    intervalo.Longitud = peticion.longitud;
    intervalo.MjdOrigen = ModuloVespalba::FechaMJD(int(d.fecha.year()), unsigned(d.fecha.month()),
                                                   unsigned(d.fecha.day()), 0.0) -
                          (desfaseInicio / 3600.0) / 24.0;
    intervalo.Desde = double(civil.inicio.toSecsSinceEpoch() - origen) / 3600.0;
    intervalo.Hasta = intervalo.Desde + double(civil.Segundos()) / 3600.0;
    const ModuloVespalba::EventosDia rejilla = ModuloVespalba::BuscaEventosIntervalo(intervalo);

    d.desfase = desfaseInicio;
    d.eventos = rejilla;
    for (std::size_t c = 0; c < rejilla.clases.size(); ++c) {
        const EventoClase& e = rejilla.clases[c];
        auto reloj = [&](bool hay, double hora, double& enReloj, Instante& instante) {
            if (!hay) return;
            instante.segundos = SegundosTras(origen, hora);
            instante.desfase =
                zona.offsetFromUtc(QDateTime::fromSecsSinceEpoch(instante.segundos, Qt::UTC));
            enReloj = hora + (instante.desfase - desfaseInicio) / 3600.0;
        };
        reloj(e.hayOrto, e.horaOrto, d.eventos.clases[c].horaOrto, d.instantes[c][0]);
        reloj(e.hayOcaso, e.horaOcaso, d.eventos.clases[c].horaOcaso, d.instantes[c][1]);
    }
    // Order and elapsed daylight from the instants, texts from the clock.
    d.pantalla = ComponeResultados(rejilla, &d.eventos);
    d.horasLuz = HorasDeLuz(rejilla);
    const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                      int(unsigned(d.fecha.day())));
    for (const QTimeZone::OffsetData& cambio : civil.cambios) {
        d.cambios << NotaCambio(zona, fecha, cambio);
    }
}

}  // namespace

DiaCalculado CalculaDia(const Peticion& peticion, sys_days dia, const QTimeZone* zona,
                        const DesfasesZona* desfases) {
    DiaCalculado d;
    d.fecha = year_month_day{dia};
    if (peticion.zonaHoraria.isEmpty()) {
        CalculaDiaFijo(peticion, d, int(std::lround(peticion.zona * 3600.0)));
        return d;
    }
    const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                      int(unsigned(d.fecha.day())));
    if (desfases) {
        if (const std::optional<int> desfase = desfases->DesfaseDiaOrdinario(fecha)) {
            CalculaDiaFijo(peticion, d, *desfase);
            return d;
        }
    }
    const QTimeZone propia = zona ? QTimeZone() : QTimeZone(peticion.zonaHoraria.toLatin1());
    const QTimeZone& z = zona ? *zona : propia;
    const DiaCivil civil = DescribeDia(z, fecha);
    if (!civil.existe) {
        d.existe = false;
        return d;
    }
    if (civil.ordinario) {
        CalculaDiaFijo(peticion, d, civil.inicio.offsetFromUtc());
    } else {
        CalculaDiaConCambio(peticion, d, z, civil);
    }
    return d;
}

std::vector<DiaCalculado> CalculaDias(const Peticion& peticion, sys_days desde, sys_days hasta) {
    std::vector<DiaCalculado> dias;
    if (hasta < desde) {
        return dias;
    }
    const QTimeZone zona =
        peticion.zonaHoraria.isEmpty() ? QTimeZone() : QTimeZone(peticion.zonaHoraria.toLatin1());
    auto aQDate = [](sys_days d) {
        const year_month_day f{d};
        return QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
    };
    const std::optional<DesfasesZona> desfases =
        zona.isValid()
            ? std::optional<DesfasesZona>(std::in_place, zona, aQDate(desde), aQDate(hasta))
            : std::nullopt;
    dias.reserve(std::size_t((hasta - desde).count() + 1));
    for (sys_days d = desde; d <= hasta; d += days{1}) {
        dias.push_back(CalculaDia(peticion, d, zona.isValid() ? &zona : nullptr,
                                  desfases ? &*desfases : nullptr));
    }
    return dias;
}

std::vector<DiaCalculado> CalculaDias(const Peticion& peticion) {
    return CalculaDias(peticion, peticion.desde, peticion.hasta);
}

// -------------------------------------------------------------------- text

namespace {

using Anchos = std::vector<qsizetype>;

const QString separador = QStringLiteral("  ");

// What the text table needs to know of every day before its first row: the
// widest cell of each column and the offsets in force, in order of first
// use.
struct MedidasTexto {
    Anchos celdas;
    QStringList desfases;
};

MedidasTexto MideTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    MedidasTexto m;
    m.celdas.assign(Columnas(peticion).size(), 0);
    for (const DiaCalculado& d : dias) {
        const std::vector<Celda> fila = FilaTexto(peticion, d);
        for (std::size_t c = 0; c < m.celdas.size(); ++c) {
            m.celdas[c] = std::max(m.celdas[c], fila[c].texto.size());
        }
    }
    AnotaDesfases(dias, m.desfases);
    return m;
}

// `m` and then `otras`, of the days that follow.
void Suma(MedidasTexto& m, const MedidasTexto& otras) {
    if (m.celdas.empty()) {
        m.celdas.assign(otras.celdas.size(), 0);
    }
    for (std::size_t c = 0; c < m.celdas.size(); ++c) {
        m.celdas[c] = std::max(m.celdas[c], otras.celdas[c]);
    }
    for (const QString& t : otras.desfases) {
        if (!m.desfases.contains(t)) m.desfases << t;
    }
}

// The group that starts at column c ends before column FinDeGrupo(c).
std::size_t FinDeGrupo(const std::vector<Columna>& columnas, std::size_t c) {
    std::size_t fin = c + 1;
    while (fin < columnas.size() && columnas[fin].grupo == columnas[c].grupo) {
        ++fin;
    }
    return fin;
}

// Characters spanned by columns c to fin - 1, separators included.
qsizetype AnchoDeGrupo(const Anchos& ancho, std::size_t c, std::size_t fin) {
    qsizetype tramo = qsizetype(fin - c - 1) * separador.size();
    for (std::size_t k = c; k < fin; ++k) {
        tramo += ancho[k];
    }
    return tramo;
}

// Widths: the widest of the title and the cells; a group's title that is
// wider than its columns widens the group's last column.
Anchos AnchosColumnas(const std::vector<Columna>& columnas, const Anchos& celdas) {
    Anchos ancho(columnas.size(), 0);
    for (std::size_t c = 0; c < columnas.size(); ++c) {
        ancho[c] = std::max(columnas[c].titulo.size(), celdas[c]);
    }
    for (std::size_t c = 0; c < columnas.size(); c = FinDeGrupo(columnas, c)) {
        const std::size_t fin = FinDeGrupo(columnas, c);
        const qsizetype tramo = AnchoDeGrupo(ancho, c, fin);
        if (columnas[c].grupo.size() > tramo) {
            ancho[fin - 1] += columnas[c].grupo.size() - tramo;
        }
    }
    return ancho;
}

void TerminaLinea(QString& linea, QString& salida) {
    while (linea.endsWith(QLatin1Char(' '))) {
        linea.chop(1);
    }
    salida += linea;
    salida += QLatin1Char('\n');
}

// The two title lines: the groups' titles centred over their columns, then
// the columns' own titles.
QString Titulos(const std::vector<Columna>& columnas, const Anchos& ancho) {
    const std::size_t n = columnas.size();
    QString titulos;
    QString linea;
    for (std::size_t c = 0; c < n; c = FinDeGrupo(columnas, c)) {
        const std::size_t fin = FinDeGrupo(columnas, c);
        const qsizetype tramo = AnchoDeGrupo(ancho, c, fin);
        const QString& g = columnas[c].grupo;
        const qsizetype izquierda = (tramo - g.size()) / 2;
        linea += QString(izquierda, QLatin1Char(' ')) + g.leftJustified(tramo - izquierda);
        if (fin < n) {
            linea += separador;
        }
    }
    TerminaLinea(linea, titulos);
    linea.clear();
    for (std::size_t c = 0; c < n; ++c) {
        linea += Alinea(columnas[c].titulo, ancho[c], columnas[c].derecha);
        if (c + 1 < n) {
            linea += separador;
        }
    }
    TerminaLinea(linea, titulos);
    return titulos;
}

// The rows of some consecutive days, each month's rows after a blank line
// and the titles.
//   mesAnterior: the month of the row before the first of these; none for
//                the table's first row.
QByteArray FilasTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                      const std::vector<Columna>& columnas, const Anchos& ancho,
                      const QString& titulos, std::optional<year_month> mesAnterior) {
    QString salida;
    for (const DiaCalculado& d : dias) {
        const year_month mes{d.fecha.year(), d.fecha.month()};
        if (mes != mesAnterior) {
            salida += QLatin1Char('\n');
            salida += titulos;
            mesAnterior = mes;
        }
        const std::vector<Celda> fila = FilaTexto(peticion, d);
        QString linea;
        for (std::size_t c = 0; c < columnas.size(); ++c) {
            const Celda& celda = fila[c];
            linea += celda.marco ? QString(ancho[c], sombra)
                                 : Alinea(celda.texto, ancho[c], columnas[c].derecha);
            if (c + 1 < columnas.size()) {
                linea += separador;
            }
        }
        TerminaLinea(linea, salida);
    }
    return salida.toUtf8();
}

// The notes of the days' clock changes, one line each.
QString NotasDeCambios(const std::vector<DiaCalculado>& dias) {
    QString notas;
    for (const DiaCalculado& d : dias) {
        for (const QString& nota : NotasDeCambio(d)) {
            notas += nota + QLatin1Char('\n');
        }
    }
    return notas;
}

// What follows the rows: the clock changes' notes after a blank line, when
// there are any, and the legend.
QByteArray PieTexto(const Peticion& peticion, const QString& notas) {
    QString salida;
    if (!notas.isEmpty()) {
        salida += QLatin1Char('\n') + notas;
    }
    salida += QStringLiteral(
        "\nHoras locales de la zona, con los minutos truncados.\n"
        "No hay: no se pone.  Bajo horizonte: no sale.  ////: el crepúsculo no termina.  ");
    salida += QString(4, sombra);
    salida += QStringLiteral(": la aurora no llega.\n");
    if (!peticion.zonaHoraria.isEmpty()) {
        salida += QStringLiteral(
            "Desfase: el de la zona al empezar el día; cada hora se lee con el desfase de su "
            "momento.\n");
    }
    return salida.toUtf8();
}

}  // namespace

QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const std::vector<Columna> columnas = Columnas(peticion);
    const MedidasTexto m = MideTexto(peticion, dias);
    const Anchos ancho = AnchosColumnas(columnas, m.celdas);
    return Cabecera(peticion, m.desfases).toUtf8() +
           FilasTexto(peticion, dias, columnas, ancho, Titulos(columnas, ancho), std::nullopt) +
           PieTexto(peticion, NotasDeCambios(dias));
}

// --------------------------------------------------------------------- CSV

namespace {

// A text field, always quoted (the times begin with a blank that must
// survive), quotes doubled.
QByteArray CampoTexto(const QByteArray& s) {
    QByteArray campo = s;
    campo.replace('"', "\"\"");
    return '"' + campo + '"';
}

// The same, written at the end of `salida`.
void AgregaCampoTexto(QByteArray& salida, std::string_view s) {
    salida += '"';
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t comilla = std::min(s.find('"', i), s.size());
        salida.append(s.data() + i, qsizetype(comilla - i));
        if (comilla < s.size()) {
            salida += "\"\"";
        }
        i = comilla + 1;
    }
    salida += '"';
}

}  // namespace

namespace {

QByteArrayList TitulosCsv() {
    QByteArrayList titulos = {"fecha",        "lugar",  "latitud",         "longitud", "zona",
                              "zona_horaria", "existe", "cambios_de_hora", "Label1"};
    titulos << Bytes(NombreCaja(Caja::OcasoLuna)) << "Label8" << Bytes(NombreCaja(Caja::OrtoLuna));
    for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
        titulos << Bytes(NombreCaja(static_cast<Caja>(i)));
    }
    titulos << "HorasLuz"
            << "TextInfo"
            << "ColorMarco";
    for (ClaseEvento c : ModuloVespalba::Clases) {
        const QByteArray nombre = Bytes(ModuloVespalba::NombreClase(c));
        titulos << nombre + "_orto" << nombre + "_ocaso";
    }
    titulos << "horas_luz";
    for (ClaseEvento c : ModuloVespalba::Clases) {
        const QByteArray nombre = Bytes(ModuloVespalba::NombreClase(c));
        titulos << nombre + "_orto_desfase" << nombre + "_ocaso_desfase"
                << nombre + "_orto_instante" << nombre + "_ocaso_instante";
    }

    return titulos;
}

// One row per day, of `columnas` fields.
QByteArray FilasCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                    qsizetype columnas) {
    QByteArray salida;
    salida.reserve(qsizetype(dias.size()) * 800);
    const QByteArray lugar = CampoTexto(NombreDelLugar(peticion).toUtf8()) + ',' +
                             Decimal(peticion.latitud) + ',' + Decimal(-peticion.longitud);
    const QByteArray zonaHoraria = CampoTexto(peticion.zonaHoraria.toUtf8());
    TextosDesfase desfases;
    for (const DiaCalculado& d : dias) {
        const PantallaResultados& p = d.pantalla;
        AgregaFecha(salida, d.fecha);
        salida += ',';
        salida += lugar;
        salida += ',';
        if (d.existe) {
            salida += desfases.Horas(d.desfase);
        }
        salida += ',';
        salida += zonaHoraria;
        salida += d.existe ? ",true," : ",false,";
        if (d.cambios.isEmpty()) {
            salida += "\"\"";
        } else {
            salida += CampoTexto(d.cambios.join(QStringLiteral("; ")).toUtf8());
        }
        if (!d.existe) {
            // The rest of the row empty: no times on a date the zone skips.
            // Written so far: date, place, latitude, longitude, zone, zone
            // name, existe and the clock changes.
            constexpr qsizetype contados = 8;
            salida += QByteArray(columnas - contados, ',');
            salida += "\r\n";
            continue;
        }
        for (std::string_view texto : {p.Label1, std::string_view(p[Caja::OcasoLuna].texto),
                                       p.Label8, std::string_view(p[Caja::OrtoLuna].texto)}) {
            salida += ',';
            AgregaCampoTexto(salida, texto);
        }
        for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
            salida += ',';
            AgregaCampoTexto(salida, p.cajas[i].texto);
        }
        salida += ',';
        AgregaCampoTexto(salida, p.HorasLuz);
        salida += ',';
        AgregaCampoTexto(salida, p.TextInfoVisible ? p.TextInfo : std::string_view());
        // The boxes in the frame colour, by name, one blank between names.
        salida += ",\"";
        bool primera = true;
        for (const CajaResultado& c : p.cajas) {
            if (c.colorMarco) {
                if (!primera) salida += ' ';
                primera = false;
                salida.append(c.control.data(), qsizetype(c.control.size()));
            }
        }
        salida += '"';
        for (const EventoClase& e : d.eventos.clases) {
            salida += ',';
            if (e.hayOrto) salida += Decimal(e.horaOrto);
            salida += ',';
            if (e.hayOcaso) salida += Decimal(e.horaOcaso);
        }
        salida += ',';
        if (d.horasLuz) {
            salida += Decimal(*d.horasLuz);
        }
        for (std::size_t i = 0; i < d.eventos.clases.size(); ++i) {
            const EventoClase& e = d.eventos.clases[i];
            const auto& [orto, ocaso] = d.instantes[i];
            salida += ',';
            if (e.hayOrto) salida += desfases.Horas(orto.desfase);
            salida += ',';
            if (e.hayOcaso) salida += desfases.Horas(ocaso.desfase);
            salida += ',';
            if (e.hayOrto) AgregaInstante(salida, orto.segundos, orto.desfase, desfases);
            salida += ',';
            if (e.hayOcaso) AgregaInstante(salida, ocaso.segundos, ocaso.desfase, desfases);
        }
        salida += "\r\n";
    }
    return salida;
}

}  // namespace

QByteArray EscribeCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const QByteArrayList titulos = TitulosCsv();
    return titulos.join(',') + "\r\n" + FilasCsv(peticion, dias, titulos.size());
}

// -------------------------------------------------------------------- JSON

namespace {

// Qt's JSON text of one value: strings escaped, numbers as shortest
// round-trip decimals.
QByteArray Json(const QJsonValue& v) {
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return a.sliced(1, a.size() - 2);  // without the array's brackets
}

// Writes JSON text at the end of an array, byte for byte as Qt's compact
// writer does, with an object's members in the order they are added
// (QJsonObject would sort them by name). The common cases are written
// directly: a string of printable ASCII without quote or backslash is
// quoted as it is, and a number under 100000 in magnitude is the shortest
// round-trip decimal in the 'g' form, as Qt writes both. Everything else
// goes through Qt's writer, and a string's encoding is remembered: the
// status sentences repeat on many lines.
class EscritorJson {
public:
    explicit EscritorJson(QByteArray& salida) : salida_(salida) {}

    void AbreObjeto() {
        salida_ += '{';
        primero_[++nivel_] = true;
    }
    void CierraObjeto() {
        salida_ += '}';
        --nivel_;
    }
    // A member's name; its value follows.
    void Miembro(std::string_view nombre) {
        if (!primero_[nivel_]) {
            salida_ += ',';
        }
        primero_[nivel_] = false;
        Cadena(nombre);
        salida_ += ':';
    }

    void Cadena(std::string_view s) {
        const bool simple = std::all_of(s.begin(), s.end(), [](char c) {
            return c >= 0x20 && c <= 0x7e && c != '"' && c != '\\';
        });
        if (simple) {
            salida_ += '"';
            salida_.append(s.data(), qsizetype(s.size()));
            salida_ += '"';
            return;
        }
        auto [it, nueva] = cadenas_.try_emplace(std::string(s));
        if (nueva) {
            it->second = Json(QJsonValue(Texto(s)));
        }
        salida_ += it->second;
    }
    void Numero(double x) {
        if (std::fabs(x) < 1e5) {
            salida_ += Decimal(x);
        } else {
            salida_ += Json(QJsonValue(x + 0.0));
        }
    }
    void Nulo() { salida_ += "null"; }

private:
    QByteArray& salida_;
    std::unordered_map<std::string, QByteArray> cadenas_;
    std::array<bool, 4> primero_{};  // no member written yet, at each depth
    int nivel_ = 0;
};

}  // namespace

QByteArray EscribeJson(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const QString nombre = NombreDelLugar(peticion);
    const QByteArray lugar = nombre.isEmpty() ? QByteArrayLiteral("null") : Json(nombre);
    const QByteArray zonaHoraria =
        peticion.zonaHoraria.isEmpty() ? QByteArrayLiteral("null") : Json(peticion.zonaHoraria);
    QByteArray salida;
    salida.reserve(qsizetype(dias.size()) * 1700);
    EscritorJson json(salida);
    TextosDesfase desfases;
    // The place's numbers, and the offsets below, as json.Numero writes them.
    QByteArray latitud, longitud;
    EscritorJson(latitud).Numero(peticion.latitud);
    EscritorJson(longitud).Numero(-peticion.longitud);  // east positive
    for (const DiaCalculado& d : dias) {
        json.AbreObjeto();
        json.Miembro("fecha");
        salida += '"';
        AgregaFecha(salida, d.fecha);
        salida += '"';
        json.Miembro("lugar");
        salida += lugar;
        json.Miembro("latitud");
        salida += latitud;
        json.Miembro("longitud");
        salida += longitud;
        json.Miembro("zona");
        if (d.existe) {
            salida += desfases.Horas(d.desfase);
        } else {
            json.Nulo();
        }
        json.Miembro("zona_horaria");
        salida += zonaHoraria;
        json.Miembro("existe");
        salida += d.existe ? "true" : "false";
        json.Miembro("cambios_de_hora");
        salida += d.cambios.isEmpty() ? QByteArrayLiteral("[]")
                                      : Json(QJsonArray::fromStringList(d.cambios));
        if (!d.existe) {
            json.Miembro("clases");
            json.Nulo();
            json.Miembro("textos");
            json.Nulo();
            json.CierraObjeto();
            salida += '\n';
            continue;
        }

        json.Miembro("clases");
        json.AbreObjeto();
        for (std::size_t i = 0; i < ModuloVespalba::Clases.size(); ++i) {
            const ClaseEvento c = ModuloVespalba::Clases[i];
            const EventoClase& e = d.eventos[c];
            const auto& [orto, ocaso] = d.instantes[i];
            json.Miembro(ModuloVespalba::NombreClase(c));
            json.AbreObjeto();
            json.Miembro("estado");
            json.Cadena(NombreEstado(e.estado));
            const auto hora = [&](bool hay, double h) { hay ? json.Numero(h) : json.Nulo(); };
            const auto desfase = [&](bool hay, const Instante& t) {
                hay ? void(salida += desfases.Horas(t.desfase)) : json.Nulo();
            };
            const auto instante = [&](bool hay, const Instante& t) {
                if (!hay) return json.Nulo();
                salida += '"';
                AgregaInstante(salida, t.segundos, t.desfase, desfases);
                salida += '"';
            };
            json.Miembro("orto");
            hora(e.hayOrto, e.horaOrto);
            json.Miembro("ocaso");
            hora(e.hayOcaso, e.horaOcaso);
            json.Miembro("orto_desfase");
            desfase(e.hayOrto, orto);
            json.Miembro("ocaso_desfase");
            desfase(e.hayOcaso, ocaso);
            json.Miembro("orto_instante");
            instante(e.hayOrto, orto);
            json.Miembro("ocaso_instante");
            instante(e.hayOcaso, ocaso);
            json.CierraObjeto();
        }
        json.CierraObjeto();

        const PantallaResultados& p = d.pantalla;
        json.Miembro("textos");
        json.AbreObjeto();
        for (const CajaResultado& c : p.cajas) {
            json.Miembro(c.control);
            json.Cadena(c.texto);
        }
        json.Miembro("Label1");
        json.Cadena(p.Label1);
        json.Miembro("Label8");
        json.Cadena(p.Label8);
        json.Miembro("HorasLuz");
        json.Cadena(p.HorasLuz);
        json.Miembro("TextInfo");
        if (p.TextInfoVisible) {
            json.Cadena(p.TextInfo);
        } else {
            json.Nulo();
        }
        json.Miembro("ColorMarco");
        salida += '[';
        bool primera = true;
        for (const CajaResultado& c : p.cajas) {
            if (c.colorMarco) {
                if (!primera) salida += ',';
                primera = false;
                json.Cadena(c.control);
            }
        }
        salida += ']';
        json.CierraObjeto();
        json.CierraObjeto();
        salida += '\n';
    }
    return salida;
}

// ------------------------------------------------------------ block by block

Bloques::Bloques(const Peticion& peticion, const Reparto& reparto)
    : peticion_(peticion),
      hilos_(reparto.hilos > 0 ? reparto.hilos : std::max(1, QThread::idealThreadCount())),
      dias_((peticion.hasta - peticion.desde).count() + 1) {
    const long long n = dias_;
    // Blocks small enough to share out evenly (four for each thread), and
    // never so large that a block's text weighs more than about a megabyte.
    porBloque_ = reparto.diasPorBloque > 0
                     ? reparto.diasPorBloque
                     : std::clamp<long long>((n + 4 * hilos_ - 1) / (4 * hilos_), 16, 512);
    cuantos_ = int((n + porBloque_ - 1) / porBloque_);
}

std::vector<DiaCalculado> Bloques::DiasDelBloque(int bloque) const {
    const sys_days desde = peticion_.desde + days{bloque * porBloque_};
    const sys_days hasta = std::min(desde + days{porBloque_ - 1}, peticion_.hasta);
    return CalculaDias(peticion_, desde, hasta);
}

bool EscribeTextoPorBloques(const Peticion& peticion, const Bloques& bloques,
                            const Sumidero& sumidero) {
    // Up to this many days (about two megabytes of them) are kept from the
    // first pass rather than computed again.
    constexpr long long DiasGuardados = 2048;
    const bool guarda = bloques.Dias() <= DiasGuardados;
    std::vector<std::vector<DiaCalculado>> guardados;
    MedidasTexto m;
    bloques.EnOrden(
        [&](std::vector<DiaCalculado> dias) {
            MedidasTexto medidas = MideTexto(peticion, dias);
            if (!guarda) dias.clear();
            return std::pair(std::move(medidas), std::move(dias));
        },
        [&](std::pair<MedidasTexto, std::vector<DiaCalculado>> bloque) {
            Suma(m, bloque.first);
            if (guarda) guardados.push_back(std::move(bloque.second));
            return true;
        });
    const std::vector<Columna> columnas = Columnas(peticion);
    const Anchos ancho = AnchosColumnas(columnas, m.celdas);
    const QString titulos = Titulos(columnas, ancho);
    // The clock changes' notes go under the table; there are two a year at
    // most.
    QString notas;
    const auto filas = [&](const std::vector<DiaCalculado>& dias) {
        // The month of the row before the block's first, unless that is the
        // table's first row.
        std::optional<year_month> mesAnterior;
        const sys_days primero{dias.front().fecha};
        if (primero != peticion.desde) {
            const year_month_day anterior{primero - days{1}};
            mesAnterior = anterior.year() / anterior.month();
        }
        return std::pair(FilasTexto(peticion, dias, columnas, ancho, titulos, mesAnterior),
                         NotasDeCambios(dias));
    };
    const auto escribe = [&](const std::pair<QByteArray, QString>& bloque) {
        notas += bloque.second;
        return sumidero(bloque.first);
    };
    if (!sumidero(Cabecera(peticion, m.desfases).toUtf8())) {
        return false;
    }
    if (guarda) {
        for (const std::vector<DiaCalculado>& dias : guardados) {
            if (!escribe(filas(dias))) return false;
        }
    } else if (!bloques.EnOrden(filas, escribe)) {
        return false;
    }
    return sumidero(PieTexto(peticion, notas));
}

bool EscribeCsvPorBloques(const Peticion& peticion, const Bloques& bloques,
                          const Sumidero& sumidero) {
    const QByteArrayList titulos = TitulosCsv();
    return sumidero(titulos.join(',') + "\r\n") &&
           bloques.EnOrden(
               [&](const std::vector<DiaCalculado>& dias) {
                   return FilasCsv(peticion, dias, titulos.size());
               },
               sumidero);
}

bool EscribeJsonPorBloques(const Peticion& peticion, const Bloques& bloques,
                           const Sumidero& sumidero) {
    return bloques.EnOrden(
        [&](const std::vector<DiaCalculado>& dias) { return EscribeJson(peticion, dias); },
        sumidero);
}

// ----------------------------------------------------------------- dispatch

bool EscribePorPartes(const Peticion& peticion, const Sumidero& sumidero, const Reparto& reparto) {
    if (peticion.formato->escribe == nullptr) {
        return false;  // a drawing: see dibujo.h
    }
    const long long n = (peticion.hasta - peticion.desde).count() + 1;
    if (n <= reparto.diasEnUnHilo) {
        return sumidero(peticion.formato->escribe(peticion, CalculaDias(peticion)));
    }
    return peticion.formato->escribePorBloques(peticion, Bloques(peticion, reparto), sumidero);
}

QByteArray Escribe(const Peticion& peticion, const Reparto& reparto) {
    QByteArray salida;
    EscribePorPartes(
        peticion,
        [&](const QByteArray& pieza) {
            salida += pieza;
            return true;
        },
        reparto);
    return salida;
}

QByteArray ListaDeLugares() {
    QString salida;
    for (int i = 1; i <= NumLugares; ++i) {
        const Lugar& l = Lugares[i];
        salida += QStringLiteral("%1  %2  %3° %4' %5  %6° %7' %8\n")
                      .arg(i, 2)
                      .arg(Texto(l.Nombre).leftJustified(18))
                      .arg(l.LatGrados, 2)
                      .arg(l.LatMinutos, 2)
                      .arg(Texto(l.LatHemisferio).trimmed())
                      .arg(l.LonGrados, 3)
                      .arg(l.LonMinutos, 2)
                      .arg(Texto(l.LonHemisferio));
    }
    return salida.toUtf8();
}

Busqueda BuscaLugares(const QString& texto) {
    auto rechazo = [&](const QString& problema, const QString& pista) {
        return Busqueda{
            {}, UnaLinea(QStringLiteral("--buscar «%1»: %2; %3").arg(texto, problema, pista))};
    };
    QString motivo;
    const Nomenclator* mundo = Nomenclator::Mundial(&motivo);
    if (mundo == nullptr) {
        return rechazo(QStringLiteral("no se puede buscar entre los pueblos y ciudades del mundo"),
                       motivo);
    }
    // name, region, country, latitude, longitude, zone, people
    std::vector<QStringList> filas;
    const std::vector<int> deLaTabla = LugaresQueContienen(texto);
    for (int i : deLaTabla) {
        if (int(filas.size()) == MaximoBuscados) {
            break;
        }
        const Lugar& l = Lugares[i];
        const Coordenadas c = CoordenadasDe(l);
        filas.push_back({NombreLugar(i).trimmed(), QStringLiteral("lugar %1 de --lugares").arg(i),
                         Texto(NombrePais(l.Pais)), QString::number(c.latitud, 'f', 4),
                         QString::number(c.longitud, 'f', 4), Texto(l.Zona), QString()});
    }
    const Encontrados e = mundo->BuscaTexto(
        texto, MaximoBuscados - int(std::min<std::size_t>(filas.size(), MaximoBuscados)));
    for (const Poblado& t : e.poblados) {
        filas.push_back({t.nombre, t.region, t.pais, QString::number(t.latitud, 'f', 4),
                         QString::number(t.longitud, 'f', 4), t.zona,
                         QString::number(t.habitantes)});
    }
    const int total = int(deLaTabla.size()) + e.total;
    if (total == 0) {
        const QString pista = PistaDeLugar(texto);
        return rechazo(
            QStringLiteral("ningún lugar lo contiene, ni de los 40 de --lugares ni "
                           "del nomenclátor mundial"),
            pista.isEmpty() ? QStringLiteral("busque parte de un nombre, como «concep»") : pista);
    }

    const QStringList titulos = {QStringLiteral("Lugar"),     QStringLiteral("Región"),
                                 QStringLiteral("País"),      QStringLiteral("Latitud"),
                                 QStringLiteral("Longitud"),  QStringLiteral("Zona"),
                                 QStringLiteral("Habitantes")};
    const std::array<bool, 7> derecha = {false, false, false, true, true, false, true};
    std::vector<qsizetype> ancho(std::size_t(titulos.size()));
    for (qsizetype c = 0; c < titulos.size(); ++c) {
        ancho[std::size_t(c)] = titulos[c].size();
        for (const QStringList& f : filas) {
            ancho[std::size_t(c)] = std::max(ancho[std::size_t(c)], f[c].size());
        }
    }
    QString salida;
    auto linea = [&](const QStringList& celdas) {
        QString l;
        for (qsizetype c = 0; c < celdas.size(); ++c) {
            l += Alinea(celdas[c], ancho[std::size_t(c)], derecha[std::size_t(c)]);
            if (c + 1 < celdas.size()) {
                l += QStringLiteral("  ");
            }
        }
        while (l.endsWith(QLatin1Char(' '))) {
            l.chop(1);
        }
        salida += l + QLatin1Char('\n');
    };
    linea(titulos);
    for (const QStringList& f : filas) {
        linea(f);
    }
    if (total > int(filas.size())) {
        salida += QStringLiteral("y %1 más; precise con «Nombre, Región» o «Nombre, País»\n")
                      .arg(total - int(filas.size()));
    }
    return {salida.toUtf8(), {}};
}

}  // namespace Vespalba::Tabla

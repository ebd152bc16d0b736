// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tabla/salida.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QString>
#include <QThread>
#include <QTime>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "astro/formato.h"
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

// Decimal's text of x in `texto`; returns its length.
std::size_t TextoDecimal(double x, char (&texto)[32]) {
    x += 0.0;  // -0 as 0
    if (std::fabs(x) < 1e15) {
        // At most 24 characters: sign, 17 digits, point, "e-308".
        return std::size_t(std::to_chars(texto, texto + sizeof texto, x).ptr - texto);
    }
    const QByteArray qt = QByteArray::number(x, 'g', QLocale::FloatingPointShortest);
    const std::size_t n = std::min(sizeof texto, std::size_t(qt.size()));  // "1e+308" at most
    std::memcpy(texto, qt.constData(), n);
    return n;
}

// Bytes appended to a QByteArray through a pointer: each piece is a
// capacity check and a copy, both inline, where the array's own appends
// are calls into Qt (a year of JSON has some hundred thousand pieces). The
// array is sized ahead (Qt leaves the new bytes as they are, so no page is
// touched before it is written) and cut to what was written by Termina.
class Escritura {
public:
    // Writes after what `destino` holds, with room made for `previstos`
    // bytes at once.
    Escritura(QByteArray& destino, qsizetype previstos) : destino_(destino) {
        const qsizetype escrito = destino_.size();
        destino_.resize(escrito + previstos);
        pos_ = destino_.data() + escrito;
        fin_ = destino_.data() + destino_.size();
    }
    Escritura(const Escritura&) = delete;
    Escritura& operator=(const Escritura&) = delete;
    ~Escritura() { Termina(); }

    [[gnu::always_inline]] Escritura& operator+=(char c) {
        Hueco(1);
        *pos_++ = c;
        return *this;
    }
    [[gnu::always_inline]] Escritura& operator+=(std::string_view s) {
        append(s.data(), s.size());
        return *this;
    }
    [[gnu::always_inline]] void append(const char* datos, std::size_t n) {
        if (n == 0) return;  // an empty view may have no data pointer at all
        Hueco(n);
        std::memcpy(pos_, datos, n);
        pos_ += n;
    }
    void append(std::size_t n, char c) {
        if (n == 0) return;
        Hueco(n);
        std::memset(pos_, c, n);
        pos_ += n;
    }
    void append(const QByteArray& bytes) { append(bytes.constData(), std::size_t(bytes.size())); }
    void Decimal(double x) {
        char texto[32];
        append(texto, TextoDecimal(x, texto));
    }
    // The array cut to what it held and what was written.
    QByteArray& Termina() {
        if (pos_ != nullptr) {
            destino_.resize(pos_ - destino_.constData());
            pos_ = fin_ = nullptr;
        }
        return destino_;
    }

private:
    // Room for n more bytes at pos_.
    [[gnu::always_inline]] void Hueco(std::size_t n) {
        if (std::size_t(fin_ - pos_) < n) [[unlikely]] {
            Agranda(n);
        }
    }
    [[gnu::noinline]] void Agranda(std::size_t n) {
        const qsizetype escrito = pos_ == nullptr ? destino_.size() : pos_ - destino_.constData();
        destino_.resize(std::max(2 * destino_.size(), escrito + qsizetype(n) + 4096));
        pos_ = destino_.data() + escrito;
        fin_ = destino_.data() + destino_.size();
    }

    QByteArray& destino_;
    char* pos_;  // where the next byte goes
    char* fin_;  // the end of the room made
};

// "2003-07-02", as FechaIso writes it.
void AgregaFecha(Escritura& salida, year_month_day f) {
    const int anio = int(f.year());
    if (anio < 1000 || anio > 9999) {
        salida += FechaIso(f).toStdString();
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
    const std::string& Horas(int desfase) {
        return Busca(horas_, desfase, [](int d) {
            char texto[32];
            return std::string(texto, TextoDecimal(d / 3600.0, texto));
        });
    }
    const std::string& Iso(int desfase) {
        return Busca(iso_, desfase, [](int d) { return TextoDesfaseIso(d).toStdString(); });
    }

private:
    using Tabla = std::vector<std::pair<int, std::string>>;
    template <class Hace>
    static const std::string& Busca(Tabla& tabla, int desfase, Hace hace) {
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
void AgregaInstante(Escritura& salida, qint64 segundos, int desfase, TextosDesfase& textos) {
    const sys_seconds reloj{seconds{segundos + desfase}};
    const sys_days dia = floor<days>(reloj);
    const year_month_day f{dia};
    if (int(f.year()) < 1000 || int(f.year()) > 9999) {
        salida += InstanteIso(segundos, desfase).toStdString();
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

}  // namespace

// ------------------------------------------------------------ the Moon's names

int Porcentaje(double fraccion) {
    if (!std::isfinite(fraccion)) return 0;
    return int(std::lround(std::clamp(fraccion, 0.0, 1.0) * 100.0));
}

QString TextoEtapa(ModuloVespalba::EtapaLunar etapa) {
    return Texto(ModuloVespalba::NombreEtapa(etapa));
}

QString TextoFase(ModuloVespalba::FaseLunar fase) {
    return TextoEtapa(ModuloVespalba::EtapaDeFase(fase));
}

QString AbreviaturaEtapa(ModuloVespalba::EtapaLunar etapa) {
    using ModuloVespalba::EtapaLunar;
    switch (etapa) {
        case EtapaLunar::LunaNueva: return QStringLiteral("LN");
        case EtapaLunar::Creciente: return QStringLiteral("Cre");
        case EtapaLunar::CuartoCreciente: return QStringLiteral("CC");
        case EtapaLunar::GibosaCreciente: return QStringLiteral("GC");
        case EtapaLunar::LunaLlena: return QStringLiteral("LL");
        case EtapaLunar::GibosaMenguante: return QStringLiteral("GM");
        case EtapaLunar::CuartoMenguante: return QStringLiteral("CM");
        case EtapaLunar::Menguante: return QStringLiteral("Men");
    }
    return QStringLiteral("Men");
}

namespace {

// --------------------------------------------------------------- text table

// "12:43:05": an instant on the day's clock, hours, minutes and seconds
// after the date's 0 h (the instant is already truncated to the second).
QString HoraMinutoSegundo(const DiaCalculado& d, const Instante& t) {
    const qint64 medianoche = qint64(sys_days{d.fecha}.time_since_epoch().count()) * 86400;
    const qint64 s = std::clamp<qint64>(t.segundos + t.desfase - medianoche, 0, 99 * 3600);
    const auto cifra = [](qint64 n) { return QChar(char16_t(u'0' + n)); };
    const QChar texto[8] = {cifra(s / 36000),   cifra(s / 3600 % 10), QChar(u':'),
                            cifra(s / 600 % 6), cifra(s / 60 % 10),   QChar(u':'),
                            cifra(s % 60 / 10), cifra(s % 10)};
    return QString(texto, 8);
}

// "+2 m 38 s", "-0 m 05 s", "0 m 00 s": a change of daylight, seconds.
QString CambioDeLuz(qint64 segundos) {
    const qint64 n = segundos < 0 ? -segundos : segundos;
    QString texto;
    texto.reserve(12);
    if (segundos != 0) texto += QChar(segundos > 0 ? u'+' : u'-');
    texto += QString::number(n / 60);
    texto += QLatin1String(" m ");
    texto += QChar(char16_t(u'0' + n % 60 / 10));
    texto += QChar(char16_t(u'0' + n % 10));
    texto += QLatin1String(" s");
    return texto;
}

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
        {QStringLiteral("Sol"), QStringLiteral("Mediodía"), true},
        {QStringLiteral("Civil"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Civil"), QStringLiteral("Fin"), true},
        {QStringLiteral("Náutico"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Náutico"), QStringLiteral("Fin"), true},
        {QStringLiteral("Astronómico"), QStringLiteral("Aurora"), true},
        {QStringLiteral("Astronómico"), QStringLiteral("Fin"), true},
        {QStringLiteral("Horas"), QStringLiteral("de luz"), true},
        {QStringLiteral("Luz"), QStringLiteral("±"), true},
        {QString(), QStringLiteral("Luna"), false},
        {QString(), QStringLiteral("Aviso"), false},
    };
    if (!peticion.zonaHoraria.isEmpty()) {
        columnas.insert(columnas.begin() + 1, {QString(), QStringLiteral("Desf."), false});
    }
    return columnas;
}

std::vector<Explicacion> ExplicacionDeColumnas(const Peticion& peticion) {
    std::vector<Explicacion> e = {
        {QStringLiteral("Civil, Náutico, Astronómico"),
         QStringLiteral("los crepúsculos; Aurora, su comienzo")},
        {QStringLiteral("Luz ±"), QStringLiteral("las horas de luz menos las del día anterior")},
        {QStringLiteral("Luna"), QStringLiteral("fracción iluminada a las 12:00 y fase del día")},
    };
    for (int i = 0; i < 8; ++i) {
        const auto etapa = static_cast<ModuloVespalba::EtapaLunar>(i);
        e.push_back({AbreviaturaEtapa(etapa), TextoEtapa(etapa).toLower()});
    }
    e.push_back({QStringLiteral("Aviso"),
                 QStringLiteral("también la fase principal del día, con su hora")});
    if (!peticion.zonaHoraria.isEmpty()) {
        e.push_back({QStringLiteral("Desf."),
                     QStringLiteral("el desfase de la zona al empezar el día; cada hora se lee "
                                    "con el desfase de su momento")});
    }
    return e;
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
    const AlmanaqueDia& a = d.almanaque;
    fila.push_back({CeldaLuna(p.Label1, p[Caja::OcasoLuna].texto)});
    fila.push_back({CeldaLuna(p.Label8, p[Caja::OrtoLuna].texto)});
    for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
        // Right-aligned: the formatter's blank before the hours adds nothing.
        fila.push_back({QString::fromStdString(p.cajas[i].texto).trimmed(), p.cajas[i].colorMarco});
        if (static_cast<Caja>(i) == Caja::Ocaso) {
            fila.push_back({a.horaMediodia ? HoraMinutoSegundo(d, a.mediodia) : QString()});
        }
    }
    fila.push_back({QString::fromStdString(p.HorasLuz).trimmed()});
    fila.push_back({a.cambioLuz ? CambioDeLuz(*a.cambioLuz) : QString()});
    fila.push_back({QString::number(Porcentaje(a.fraccionLuna)) + QLatin1String(" % ") +
                    AbreviaturaEtapa(a.etapa)});
    QString aviso = p.TextInfoVisible ? Texto(p.TextInfo) : QString();
    if (a.fase) {
        if (!aviso.isEmpty()) aviso += QLatin1Char(' ');
        // The principal phase by its abbreviation, as in the Luna column.
        aviso += AbreviaturaEtapa(ModuloVespalba::EtapaDeFase(a.fase->fase)) + QLatin1Char(' ') +
                 QString::fromStdString(ModuloVespalba::HoraMinuto(a.fase->hora)).trimmed();
    }
    fila.push_back({aviso});
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

// Modified Julian date of 1970-01-01 00:00 UT, days.
constexpr double MjdUnix = 40587.0;

// The instant of a modified Julian date (universal time), truncated to the
// second.
qint64 SegundosDeMjd(double mjd) { return qint64(std::floor((mjd - MjdUnix) * 86400.0)); }

double MjdDeSegundos(qint64 segundos) { return MjdUnix + double(segundos) / 86400.0; }

// A civil day's interval of universal time and its clock, for the almanac's
// quantities.
struct RelojDia {
    qint64 inicio = 0;                // the day's first instant, seconds since 1970 UT
    qint64 duracion = 0;              // its length, seconds (82800 to 90000)
    qint64 origen = 0;                // the date's 0 h at desfaseInicio, seconds since 1970 UT
    int desfaseInicio = 0;            // offset when the day starts, seconds east of UT
    qint64 mediodia = 0;              // 12:00 on the day's clock, seconds since 1970 UT
    const QTimeZone* zona = nullptr;  // none: desfaseInicio all day long
};

// An instant read on the day's clock.
Instante EnReloj(const RelojDia& r, qint64 segundos) {
    return {segundos, r.zona
                          ? r.zona->offsetFromUtc(QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC))
                          : r.desfaseInicio};
}

// Wall-clock hours after the date's 0 h of the instant `mjd` (universal
// time), read with the offset `desfase` in force then.
double HoraEnReloj(const RelojDia& r, double mjd, int desfase) {
    return (mjd - MjdDeSegundos(r.origen)) * 24.0 + (desfase - r.desfaseInicio) / 3600.0;
}

// The principal phases a day's stage and phase are read from: from ten days
// before the interval [mjdDesde, mjdHasta) to ten days after it, a little
// more than a quarter of a lunation on either side.
std::vector<ModuloVespalba::FasePrincipal> FasesAlrededor(double mjdDesde, double mjdHasta) {
    constexpr double margen = 10.0;  // days
    return ModuloVespalba::FasesEntre(mjdDesde - margen, mjdHasta + margen);
}

// Solar noon, the Moon's light and phase of a civil day (all but the change
// of daylight, which needs the day before).
void CompletaAlmanaque(const Peticion& peticion, DiaCalculado& d, const RelojDia& r,
                       std::span<const ModuloVespalba::FasePrincipal> fases) {
    using namespace ModuloVespalba;
    AlmanaqueDia& a = d.almanaque;
    const double mjdInicio = MjdDeSegundos(r.inicio);
    const double mjdFin = MjdDeSegundos(r.inicio + r.duracion);

    const MediodiaSolar mediodia =
        BuscaMediodia(mjdInicio, mjdFin, peticion.latitud, peticion.longitud);
    if (mediodia.estado != EstadoMediodia::SinPaso && std::isfinite(mediodia.mjd)) {
        a.mediodia = EnReloj(r, SegundosDeMjd(mediodia.mjd));
        a.horaMediodia = HoraEnReloj(r, mediodia.mjd, a.mediodia.desfase);
        a.alturaMediodia = mediodia.altura;
    }

    const IluminacionLunar luz = IluminacionLuna(MjdDeSegundos(r.mediodia));
    a.fraccionLuna = luz.fraccion;
    a.lunaCreciente = luz.creciente;

    std::vector<FasePrincipal> propias;
    if (fases.empty()) {
        propias = FasesAlrededor(mjdInicio, mjdFin);
        fases = propias;
    }
    if (const std::optional<EtapaLunar> etapa = EtapaDelDia(fases, mjdInicio, mjdFin)) {
        a.etapa = *etapa;
    }
    for (const FasePrincipal& f : fases) {
        if (EnDiaCivil(f.mjd, mjdInicio, mjdFin)) {
            FaseDelDia fase;
            fase.fase = f.fase;
            fase.instante = EnReloj(r, SegundosDeMjd(f.mjd));
            fase.hora = HoraEnReloj(r, f.mjd, fase.instante.desfase);
            fase.fraccion = IluminacionLuna(f.mjd).fraccion;
            a.fase = fase;
            break;
        }
    }
}

// Whether a day is computed with its almanac (solar noon, the Moon's light
// and phase) or with its events only, as the change of daylight needs the
// day before.
enum class Alcance { Completo, SoloEventos };

// The search of a day of one fixed offset, `desfase` seconds east of UT:
// what the window computes for that date and zone.
void CalculaDiaFijo(const Peticion& peticion, DiaCalculado& d, int desfase,
                    std::span<const ModuloVespalba::FasePrincipal> fases, Alcance alcance) {
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
    if (alcance == Alcance::SoloEventos) return;
    RelojDia reloj;
    reloj.inicio = origen;
    reloj.duracion = 86400;
    reloj.origen = origen;
    reloj.desfaseInicio = desfase;
    reloj.mediodia = origen + 43200;
    CompletaAlmanaque(peticion, d, reloj, fases);
}

// A civil day with a clock change (or not starting at 0 h, or not lasting 24
// hours): one search over the whole civil day, on the hour grid of the
// offset in force when the day starts; each event is then read on the clock
// in force at its instant.
void CalculaDiaConCambio(const Peticion& peticion, DiaCalculado& d, const QTimeZone& zona,
                         const DiaCivil& civil,
                         std::span<const ModuloVespalba::FasePrincipal> fases, Alcance alcance) {
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
    if (alcance == Alcance::SoloEventos) return;
    RelojDia reloj;
    reloj.inicio = civil.inicio.toSecsSinceEpoch();
    reloj.duracion = civil.Segundos();
    reloj.origen = origen;
    reloj.desfaseInicio = desfaseInicio;
    // 12:00 on the day's clock; a noon the clock skips reads as the hour
    // after it, as QDateTime places a time that does not exist.
    reloj.mediodia = QDateTime(fecha, QTime(12, 0), zona).toSecsSinceEpoch();
    reloj.zona = &zona;
    CompletaAlmanaque(peticion, d, reloj, fases);
}

DiaCalculado CalculaDiaConAlcance(const Peticion& peticion, sys_days dia, const QTimeZone* zona,
                                  const DesfasesZona* desfases,
                                  std::span<const ModuloVespalba::FasePrincipal> fases,
                                  Alcance alcance) {
    DiaCalculado d;
    d.fecha = year_month_day{dia};
    if (peticion.zonaHoraria.isEmpty()) {
        CalculaDiaFijo(peticion, d, int(std::lround(peticion.zona * 3600.0)), fases, alcance);
        return d;
    }
    const QDate fecha(int(d.fecha.year()), int(unsigned(d.fecha.month())),
                      int(unsigned(d.fecha.day())));
    if (desfases) {
        if (const std::optional<int> desfase = desfases->DesfaseDiaOrdinario(fecha)) {
            CalculaDiaFijo(peticion, d, *desfase, fases, alcance);
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
        CalculaDiaFijo(peticion, d, civil.inicio.offsetFromUtc(), fases, alcance);
    } else {
        CalculaDiaConCambio(peticion, d, z, civil, fases, alcance);
    }
    return d;
}

// A day's hours of daylight when it has both a sunrise and a sunset.
std::optional<double> LuzCompleta(const DiaCalculado& d) {
    const EventoClase& sol = d.eventos[ClaseEvento::Sol];
    if (!d.existe || !sol.hayOrto || !sol.hayOcaso || !d.horasLuz || !std::isfinite(*d.horasLuz)) {
        return std::nullopt;
    }
    return d.horasLuz;
}

}  // namespace

DiaCalculado CalculaDia(const Peticion& peticion, sys_days dia, const QTimeZone* zona,
                        const DesfasesZona* desfases,
                        std::span<const ModuloVespalba::FasePrincipal> fases) {
    return CalculaDiaConAlcance(peticion, dia, zona, desfases, fases, Alcance::Completo);
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
    // The phases of the whole range at once (a civil day lies within a day
    // and a half of its date's 0 h in universal time).
    const auto mjd = [](sys_days d) { return MjdUnix + double(d.time_since_epoch().count()); };
    const std::vector<ModuloVespalba::FasePrincipal> fases =
        FasesAlrededor(mjd(desde) - 1.5, mjd(hasta) + 2.5);
    const QTimeZone* z = zona.isValid() ? &zona : nullptr;
    const DesfasesZona* porFecha = desfases ? &*desfases : nullptr;
    // Of the day before, only its sunrise and sunset.
    const DiaCalculado antes =
        CalculaDiaConAlcance(peticion, desde - days{1}, z, nullptr, {}, Alcance::SoloEventos);
    std::optional<double> luzAnterior = LuzCompleta(antes);
    int desfaseAnterior = antes.desfase;
    dias.reserve(std::size_t((hasta - desde).count() + 1));
    for (sys_days d = desde; d <= hasta; d += days{1}) {
        DiaCalculado dia = CalculaDia(peticion, d, z, porFecha, fases);
        const std::optional<double> luz = LuzCompleta(dia);
        if (dia.existe && dia.desfase != desfaseAnterior) {
            // The day starts on another offset than the day before: its
            // hourly samples fall at other instants, and the search's
            // interpolation error (up to about half a minute in the
            // daylight) would show in the difference. The day before is
            // searched again on this day's offset, so both are sampled
            // alike, as on any two days of one offset.
            Peticion fija = peticion;
            fija.zonaHoraria.clear();
            fija.zona = dia.desfase / 3600.0;
            luzAnterior = LuzCompleta(CalculaDiaConAlcance(fija, d - days{1}, nullptr, nullptr, {},
                                                           Alcance::SoloEventos));
        }
        if (luz && luzAnterior) {
            // Truncated toward zero, like every time shown.
            dia.almanaque.cambioLuz = qint64(std::trunc((*luz - *luzAnterior) * 3600.0));
        }
        desfaseAnterior = dia.desfase;
        luzAnterior = luz;
        dias.push_back(std::move(dia));
    }
    return dias;
}

std::vector<DiaCalculado> CalculaDias(const Peticion& peticion) {
    return CalculaDias(peticion, peticion.desde, peticion.hasta);
}

QByteArray Decimal(double x) {
    char texto[32];
    return QByteArray(texto, qsizetype(TextoDecimal(x, texto)));
}

// -------------------------------------------------------------------- text

namespace {

// Characters on a line of the table, at most: it prints on A4 landscape.
constexpr qsizetype AnchoMaximoLinea = 160;

// Widths of the columns, characters, and the blanks between two columns:
// two, or one when two would make the table too wide for the page.
struct Anchos : std::vector<qsizetype> {
    using std::vector<qsizetype>::vector;
    qsizetype separacion = 2;
    QString Separador() const { return QString(separacion, QLatin1Char(' ')); }
};

// What the text table needs to know of every day before its first row: the
// widest cell of each column and the offsets in force, in order of first
// use.
struct MedidasTexto {
    Anchos celdas;
    QStringList desfases;
};

// The days' rows of cells, as FilaTexto gives them.
using Filas = std::vector<std::vector<Celda>>;

// `filas`, when given, receives the days' rows, for FilasTexto not to make
// them again.
MedidasTexto MideTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                       Filas* filas = nullptr) {
    MedidasTexto m;
    m.celdas.assign(Columnas(peticion).size(), 0);
    if (filas) filas->reserve(dias.size());
    for (const DiaCalculado& d : dias) {
        std::vector<Celda> fila = FilaTexto(peticion, d);
        for (std::size_t c = 0; c < m.celdas.size(); ++c) {
            m.celdas[c] = std::max(m.celdas[c], fila[c].texto.size());
        }
        if (filas) filas->push_back(std::move(fila));
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
    qsizetype tramo = qsizetype(fin - c - 1) * ancho.separacion;
    for (std::size_t k = c; k < fin; ++k) {
        tramo += ancho[k];
    }
    return tramo;
}

// Widths: the widest of the title and the cells; a group's title that is
// wider than its columns widens the group's last column. The last column,
// the notice, is as wide as its title: a longer notice ends the line or
// takes a line of its own (see FilasTexto). One blank between columns when
// two would put the notice's title past AnchoMaximoLinea (polar places,
// whose cells are the widest).
Anchos AnchosColumnas(const std::vector<Columna>& columnas, const Anchos& celdas) {
    const auto dispone = [&](qsizetype separacion) {
        Anchos ancho(columnas.size(), 0);
        ancho.separacion = separacion;
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
        ancho.back() = columnas.back().titulo.size();
        return ancho;
    };
    Anchos ancho = dispone(2);
    if (AnchoDeGrupo(ancho, 0, ancho.size()) > AnchoMaximoLinea) {
        ancho = dispone(1);
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
            linea += ancho.Separador();
        }
    }
    TerminaLinea(linea, titulos);
    linea.clear();
    for (std::size_t c = 0; c < n; ++c) {
        linea += Alinea(columnas[c].titulo, ancho[c], columnas[c].derecha);
        if (c + 1 < n) {
            linea += ancho.Separador();
        }
    }
    TerminaLinea(linea, titulos);
    return titulos;
}

// The rows of some consecutive days, each month's rows after a blank line
// and the titles.
//   mesAnterior: the month of the row before the first of these; none for
//                the table's first row.
//   filas:       the days' rows already made by MideTexto, or none.
QByteArray FilasTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                      const std::vector<Columna>& columnas, const Anchos& ancho,
                      const QString& titulos, std::optional<year_month> mesAnterior,
                      const Filas* filas = nullptr) {
    QString salida;
    for (std::size_t i = 0; i < dias.size(); ++i) {
        const DiaCalculado& d = dias[i];
        const year_month mes{d.fecha.year(), d.fecha.month()};
        if (mes != mesAnterior) {
            salida += QLatin1Char('\n');
            salida += titulos;
            mesAnterior = mes;
        }
        const std::vector<Celda> propia = filas ? std::vector<Celda>() : FilaTexto(peticion, d);
        const std::vector<Celda>& fila = filas ? (*filas)[i] : propia;
        QString linea;
        if (!d.existe) {
            // Nothing but the date and the notice.
            linea = Alinea(fila.front().texto, ancho.front(), false) + ancho.Separador() +
                    fila.back().texto;
            TerminaLinea(linea, salida);
            continue;
        }
        // Every column but the last, the notice.
        for (std::size_t c = 0; c + 1 < columnas.size(); ++c) {
            const Celda& celda = fila[c];
            linea += celda.marco ? QString(ancho[c], sombra)
                                 : Alinea(celda.texto, ancho[c], columnas[c].derecha);
            linea += ancho.Separador();
        }
        const QString& aviso = fila.back().texto;
        if (linea.size() + aviso.size() > AnchoMaximoLinea) {
            // A notice that would make the line too long for the page goes
            // on a line of its own, under the day's row.
            TerminaLinea(linea, salida);
            linea = QString(ancho.front() + ancho.separacion, QLatin1Char(' '));
        }
        linea += aviso;
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
        "\nHoras locales de la zona, con los minutos truncados; el mediodía (paso del Sol por el "
        "meridiano), con los segundos truncados.\n"
        "No hay: no se pone.  Bajo horizonte: no sale.  ////: el crepúsculo no termina.  ");
    salida += QString(4, sombra);
    salida += QStringLiteral(": la aurora no llega.\n");
    // The columns' explanations, two blanks apart, on lines that fit the page.
    QString linea;
    for (const Explicacion& e : ExplicacionDeColumnas(peticion)) {
        const QString texto = e.marca + QStringLiteral(": ") + e.significado + QLatin1Char('.');
        if (!linea.isEmpty() && linea.size() + 2 + texto.size() > AnchoMaximoLinea) {
            salida += linea + QLatin1Char('\n');
            linea.clear();
        }
        linea += (linea.isEmpty() ? QString() : QStringLiteral("  ")) + texto;
    }
    salida += linea + QLatin1Char('\n');
    return salida.toUtf8();
}

}  // namespace

QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const std::vector<Columna> columnas = Columnas(peticion);
    Filas filas;
    const MedidasTexto m = MideTexto(peticion, dias, &filas);
    const Anchos ancho = AnchosColumnas(columnas, m.celdas);
    return Cabecera(peticion, m.desfases).toUtf8() +
           FilasTexto(peticion, dias, columnas, ancho, Titulos(columnas, ancho), std::nullopt,
                      &filas) +
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
void AgregaCampoTexto(Escritura& salida, std::string_view s) {
    salida += '"';
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t comilla = std::min(s.find('"', i), s.size());
        salida.append(s.data() + i, comilla - i);
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
    titulos << "mediodia"
            << "mediodia_desfase"
            << "mediodia_instante"
            << "mediodia_altura"
            << "luz_cambio"
            << "luna_fraccion"
            << "luna_creciente"
            << "luna_fase"
            << "fase_principal"
            << "fase_principal_hora"
            << "fase_principal_desfase"
            << "fase_principal_instante";

    return titulos;
}

// One row per day, of `columnas` fields.
QByteArray FilasCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                    qsizetype columnas) {
    QByteArray texto;
    Escritura salida(texto, qsizetype(dias.size()) * 1024);  // a row is about 850 bytes
    const QByteArray lugar = CampoTexto(NombreDelLugar(peticion).toUtf8()) + ',' +
                             Decimal(peticion.latitud) + ',' + Decimal(-peticion.longitud);
    const QByteArray zonaHoraria = CampoTexto(peticion.zonaHoraria.toUtf8());
    TextosDesfase desfases;
    for (const DiaCalculado& d : dias) {
        const PantallaResultados& p = d.pantalla;
        AgregaFecha(salida, d.fecha);
        salida += ',';
        salida.append(lugar);
        salida += ',';
        if (d.existe) {
            salida += desfases.Horas(d.desfase);
        }
        salida += ',';
        salida.append(zonaHoraria);
        salida += d.existe ? ",true," : ",false,";
        if (d.cambios.isEmpty()) {
            salida += "\"\"";
        } else {
            salida.append(CampoTexto(d.cambios.join(QStringLiteral("; ")).toUtf8()));
        }
        if (!d.existe) {
            // The rest of the row empty: no times on a date the zone skips.
            // Written so far: date, place, latitude, longitude, zone, zone
            // name, existe and the clock changes.
            constexpr qsizetype contados = 8;
            salida.append(std::size_t(columnas - contados), ',');
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
                salida += c.control;
            }
        }
        salida += '"';
        for (const EventoClase& e : d.eventos.clases) {
            salida += ',';
            if (e.hayOrto) salida.Decimal(e.horaOrto);
            salida += ',';
            if (e.hayOcaso) salida.Decimal(e.horaOcaso);
        }
        salida += ',';
        if (d.horasLuz) {
            salida.Decimal(*d.horasLuz);
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
        const AlmanaqueDia& a = d.almanaque;
        salida += ',';
        if (a.horaMediodia) {
            salida.Decimal(*a.horaMediodia);
            salida += ',';
            salida += desfases.Horas(a.mediodia.desfase);
            salida += ',';
            AgregaInstante(salida, a.mediodia.segundos, a.mediodia.desfase, desfases);
            salida += ',';
            salida.Decimal(a.alturaMediodia);
        } else {
            salida += ",,,";
        }
        salida += ',';
        if (a.cambioLuz) salida += std::to_string(*a.cambioLuz);
        salida += ',';
        salida.Decimal(a.fraccionLuna);
        salida += a.lunaCreciente ? ",true," : ",false,";
        AgregaCampoTexto(salida, ModuloVespalba::NombreEtapa(a.etapa));
        salida += ',';
        if (a.fase) {
            AgregaCampoTexto(
                salida, ModuloVespalba::NombreEtapa(ModuloVespalba::EtapaDeFase(a.fase->fase)));
            salida += ',';
            salida.Decimal(a.fase->hora);
            salida += ',';
            salida += desfases.Horas(a.fase->instante.desfase);
            salida += ',';
            AgregaInstante(salida, a.fase->instante.segundos, a.fase->instante.desfase, desfases);
        } else {
            salida += "\"\",,,";
        }
        salida += "\r\n";
    }
    return salida.Termina();
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
    explicit EscritorJson(Escritura& salida) : salida_(salida) {}

    void AbreObjeto() {
        salida_ += '{';
        primero_[++nivel_] = true;
    }
    void CierraObjeto() {
        salida_ += '}';
        --nivel_;
    }
    // A member's name, one of this program's identifiers (printable ASCII
    // without quotes or backslashes, written as it is); its value follows.
    void Miembro(std::string_view nombre) {
        if (!primero_[nivel_]) {
            salida_ += ',';
        }
        primero_[nivel_] = false;
        salida_ += '"';
        salida_ += nombre;
        salida_ += "\":";
    }

    void Cadena(std::string_view s) {
        const bool simple = std::all_of(s.begin(), s.end(), [](char c) {
            return c >= 0x20 && c <= 0x7e && c != '"' && c != '\\';
        });
        if (simple) {
            salida_ += '"';
            salida_ += s;
            salida_ += '"';
            return;
        }
        auto [it, nueva] = cadenas_.try_emplace(std::string(s));
        if (nueva) {
            it->second = Json(QJsonValue(Texto(s))).toStdString();
        }
        salida_ += it->second;
    }
    void Numero(double x) {
        if (std::fabs(x) < 1e5) {
            salida_.Decimal(x);
        } else {
            salida_.append(Json(QJsonValue(x + 0.0)));
        }
    }
    void Nulo() { salida_ += "null"; }

private:
    Escritura& salida_;
    std::unordered_map<std::string, std::string> cadenas_;
    std::array<bool, 4> primero_{};  // no member written yet, at each depth
    int nivel_ = 0;
};

}  // namespace

QByteArray EscribeJson(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const QString nombre = NombreDelLugar(peticion);
    const QByteArray lugar = nombre.isEmpty() ? QByteArrayLiteral("null") : Json(nombre);
    const QByteArray zonaHoraria =
        peticion.zonaHoraria.isEmpty() ? QByteArrayLiteral("null") : Json(peticion.zonaHoraria);
    // The place's numbers, and the offsets below, as json.Numero writes them.
    QByteArray latitud, longitud;
    {
        Escritura e(latitud, 32);
        EscritorJson(e).Numero(peticion.latitud);
    }
    {
        Escritura e(longitud, 32);
        EscritorJson(e).Numero(-peticion.longitud);  // east positive
    }
    QByteArray texto;
    Escritura salida(texto, qsizetype(dias.size()) * 2048);  // a day is about 1800 bytes
    EscritorJson json(salida);
    TextosDesfase desfases;
    for (const DiaCalculado& d : dias) {
        json.AbreObjeto();
        json.Miembro("fecha");
        salida += '"';
        AgregaFecha(salida, d.fecha);
        salida += '"';
        json.Miembro("lugar");
        salida.append(lugar);
        json.Miembro("latitud");
        salida.append(latitud);
        json.Miembro("longitud");
        salida.append(longitud);
        json.Miembro("zona");
        if (d.existe) {
            salida += desfases.Horas(d.desfase);
        } else {
            json.Nulo();
        }
        json.Miembro("zona_horaria");
        salida.append(zonaHoraria);
        json.Miembro("existe");
        salida += d.existe ? "true" : "false";
        json.Miembro("cambios_de_hora");
        if (d.cambios.isEmpty()) {
            salida += "[]";
        } else {
            salida.append(Json(QJsonArray::fromStringList(d.cambios)));
        }
        if (!d.existe) {
            for (const char* miembro : {"clases", "textos", "mediodia", "luz_cambio", "luna"}) {
                json.Miembro(miembro);
                json.Nulo();
            }
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

        const AlmanaqueDia& a = d.almanaque;
        const auto instante = [&](const Instante& t) {
            salida += '"';
            AgregaInstante(salida, t.segundos, t.desfase, desfases);
            salida += '"';
        };
        json.Miembro("mediodia");
        if (a.horaMediodia) {
            json.AbreObjeto();
            json.Miembro("hora");
            json.Numero(*a.horaMediodia);
            json.Miembro("desfase");
            salida += desfases.Horas(a.mediodia.desfase);
            json.Miembro("instante");
            instante(a.mediodia);
            json.Miembro("altura");
            json.Numero(a.alturaMediodia);
            json.CierraObjeto();
        } else {
            json.Nulo();
        }
        json.Miembro("luz_cambio");
        a.cambioLuz ? void(salida += std::to_string(*a.cambioLuz)) : json.Nulo();
        json.Miembro("luna");
        json.AbreObjeto();
        json.Miembro("fraccion");
        json.Numero(a.fraccionLuna);
        json.Miembro("creciente");
        salida += a.lunaCreciente ? "true" : "false";
        json.Miembro("fase");
        json.Cadena(ModuloVespalba::NombreEtapa(a.etapa));
        json.Miembro("fase_principal");
        if (a.fase) {
            json.AbreObjeto();
            json.Miembro("nombre");
            json.Cadena(ModuloVespalba::NombreEtapa(ModuloVespalba::EtapaDeFase(a.fase->fase)));
            json.Miembro("hora");
            json.Numero(a.fase->hora);
            json.Miembro("desfase");
            salida += desfases.Horas(a.fase->instante.desfase);
            json.Miembro("instante");
            instante(a.fase->instante);
            json.CierraObjeto();
        } else {
            json.Nulo();
        }
        json.CierraObjeto();
        json.CierraObjeto();
        salida += '\n';
    }
    return salida.Termina();
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
    // A block kept from the first pass: its days and their rows of cells,
    // made on the block's thread.
    struct Guardado {
        std::vector<DiaCalculado> dias;
        Filas filas;
    };
    std::vector<Guardado> guardados;
    MedidasTexto m;
    bloques.EnOrden(
        [&](std::vector<DiaCalculado> dias) {
            Guardado g;
            MedidasTexto medidas = MideTexto(peticion, dias, guarda ? &g.filas : nullptr);
            if (guarda) g.dias = std::move(dias);
            return std::pair(std::move(medidas), std::move(g));
        },
        [&](std::pair<MedidasTexto, Guardado> bloque) {
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
    const auto filas = [&](const std::vector<DiaCalculado>& dias, const Filas* hechas) {
        // The month of the row before the block's first, unless that is the
        // table's first row.
        std::optional<year_month> mesAnterior;
        const sys_days primero{dias.front().fecha};
        if (primero != peticion.desde) {
            const year_month_day anterior{primero - days{1}};
            mesAnterior = anterior.year() / anterior.month();
        }
        return std::pair(FilasTexto(peticion, dias, columnas, ancho, titulos, mesAnterior, hechas),
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
        for (const Guardado& g : guardados) {
            if (!escribe(filas(g.dias, &g.filas))) return false;
        }
    } else if (!bloques.EnOrden(
                   [&](const std::vector<DiaCalculado>& dias) { return filas(dias, nullptr); },
                   escribe)) {
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

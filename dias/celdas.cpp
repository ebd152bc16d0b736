// SPDX-License-Identifier: GPL-3.0-or-later
#include "dias/celdas.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <string_view>

#include "astro/formato.h"
#include "lugares/zonas.h"

namespace Vespalba::Dias {

using namespace std::chrono;
using Vespalba::ModuloVespalba::EventoClase;

namespace {

QString Texto(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

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

}  // namespace

QString FechaIso(year_month_day f) {
    return QStringLiteral("%1-%2-%3")
        .arg(int(f.year()), 4, 10, QLatin1Char('0'))
        .arg(unsigned(f.month()), 2, 10, QLatin1Char('0'))
        .arg(unsigned(f.day()), 2, 10, QLatin1Char('0'));
}

QString HorasConSigno(double h) {
    return (h > 0 ? QStringLiteral("+") : QString()) + QString::number(h + 0.0, 'g', 6);
}

QString NombreDelLugar(const Consulta& p) {
    return p.nombreCompleto.isEmpty() ? p.lugar.trimmed() : p.nombreCompleto;
}

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

QString TextoDesfasesUsados(QStringList usados) {
    if (usados.size() <= 1) return usados.join(QString());
    const QString ultimo = usados.takeLast();
    return usados.join(QStringLiteral(", ")) + QStringLiteral(" y ") + ultimo;
}

QString TextoCoordenadas(const Consulta& p) {
    return GradosMinutos(p.latitud, QLatin1Char('N'), QLatin1Char('S')) + QStringLiteral(", ") +
           GradosMinutos(-p.longitud, QLatin1Char('E'), QLatin1Char('W'));
}

QString NombreDeZona(const Consulta& p) {
    return p.zonaHoraria.isEmpty() ? HorasConSigno(p.zona) + QStringLiteral(" h") : p.zonaHoraria;
}

// ------------------------------------------------------- clock-time texts

namespace {

// "7:04" of hours and minutes: the hours unpadded, the minutes in two
// digits. Written into a small buffer: a long range's table makes millions
// of these.
QString HorasYMinutos(long long horas, long long minutos) {
    char16_t texto[32];
    std::size_t n = 0;
    if (horas < 0) {
        texto[n++] = u'-';
        horas = -horas;
    }
    char16_t cifras[24];
    std::size_t k = 0;
    do {
        cifras[k++] = char16_t(u'0' + horas % 10);
        horas /= 10;
    } while (horas > 0 && k < std::size(cifras));
    while (k > 0) texto[n++] = cifras[--k];
    texto[n++] = u':';
    texto[n++] = char16_t(u'0' + minutos / 10);
    texto[n++] = char16_t(u'0' + minutos % 10);
    return QString(reinterpret_cast<const QChar*>(texto), qsizetype(n));
}

}  // namespace

QString HoraDeReloj(double horas) {
    if (!std::isfinite(horas) || std::fabs(horas) > 1e6) return {};
    // The same whole hours and truncated minutes as the window's form.
    const double h = std::floor(horas);
    const double m = std::min(59.0, std::floor((horas - h) * 60.0));
    return HorasYMinutos((long long)h, (long long)m);
}

QString DuracionDeReloj(double horas) {
    if (!std::isfinite(horas) || std::fabs(horas) > 1e6) return {};
    const double n = std::fabs(horas);
    const double h = std::floor(n);
    const double m = std::min(59.0, std::floor((n - h) * 60.0));
    if (horas < 0 && (h > 0 || m > 0))
        return QLatin1Char('-') + HorasYMinutos((long long)h, (long long)m);
    return HorasYMinutos((long long)h, (long long)m);
}

QString HoraConSegundos(const DiaCalculado& d, const Instante& t) {
    const qint64 medianoche = qint64(sys_days{d.fecha}.time_since_epoch().count()) * 86400;
    const qint64 s = std::clamp<qint64>(t.segundos + t.desfase - medianoche, 0, 99 * 3600);
    QString texto = HorasYMinutos(s / 3600, s / 60 % 60);
    texto += QLatin1Char(':');
    texto += QChar(char16_t(u'0' + s % 60 / 10));
    texto += QChar(char16_t(u'0' + s % 10));
    return texto;
}

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

QString TextoDeCaja(const DiaCalculado& d, Caja caja) {
    using ModuloVespalba::ClaseEvento;
    const CajaResultado& c = d.pantalla[caja];
    if (c.texto.empty() || c.texto == MarcaNoHay || c.texto == MarcaBajoHorizonte ||
        c.texto == MarcaSinFin) {
        return Texto(c.texto);
    }
    // The box holds a time: the same event's wall-clock hours.
    const auto& luna = d.eventos[ClaseEvento::Luna];
    switch (caja) {
        case Caja::OcasoLuna:
            return HoraDeReloj(d.pantalla.Label1 == CaptionOrtoLuna ? luna.horaOrto
                                                                    : luna.horaOcaso);
        case Caja::OrtoLuna:
            return HoraDeReloj(d.pantalla.Label8 == CaptionOcasoLuna ? luna.horaOcaso
                                                                     : luna.horaOrto);
        case Caja::Orto: return HoraDeReloj(d.eventos[ClaseEvento::Sol].horaOrto);
        case Caja::Ocaso: return HoraDeReloj(d.eventos[ClaseEvento::Sol].horaOcaso);
        case Caja::ComAuroraCivil: return HoraDeReloj(d.eventos[ClaseEvento::Civil].horaOrto);
        case Caja::FinCrepCivil: return HoraDeReloj(d.eventos[ClaseEvento::Civil].horaOcaso);
        case Caja::ComAurora: return HoraDeReloj(d.eventos[ClaseEvento::Nautico].horaOrto);
        case Caja::FinCrep: return HoraDeReloj(d.eventos[ClaseEvento::Nautico].horaOcaso);
        case Caja::ComAuroraAstro: return HoraDeReloj(d.eventos[ClaseEvento::Astronomico].horaOrto);
        case Caja::FinCrepAstro: return HoraDeReloj(d.eventos[ClaseEvento::Astronomico].horaOcaso);
    }
    return {};
}

QString TextoHorasDeLuz(const DiaCalculado& d) {
    if (d.pantalla.HorasLuz.empty() || !d.horasLuz) return {};
    return DuracionDeReloj(*d.horasLuz);
}

namespace {

// --------------------------------------------------------------- text table

// A moon box as a cell: the event named by its label, then its text
// ("Orto 10:15", "Ocaso No hay"); empty when the box is.
QString CeldaLuna(std::string_view caption, const QString& texto) {
    if (texto.isEmpty()) {
        return {};
    }
    QString evento = Texto(caption);
    evento.chop(int(sizeof(" Luna")) - 1);  // "Orto Luna" -> "Orto"
    return evento + QLatin1Char(' ') + texto;
}

}  // namespace

Encabezado EncabezadoDe(const Consulta& consulta, const std::vector<DiaCalculado>& dias) {
    Encabezado e{NombreDelLugar(consulta), TextoCoordenadas(consulta), NombreDeZona(consulta), {}};
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

std::vector<Columna> Columnas(const Consulta& consulta) {
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
    if (!consulta.zonaHoraria.isEmpty()) {
        columnas.insert(columnas.begin() + 1, {QString(), QStringLiteral("Desf."), false});
    }
    return columnas;
}

std::vector<Explicacion> ExplicacionDeColumnas(const Consulta& consulta) {
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
    if (!consulta.zonaHoraria.isEmpty()) {
        e.push_back({QStringLiteral("Desf."),
                     QStringLiteral("el desfase de la zona al empezar el día; cada hora se lee "
                                    "con el desfase de su momento")});
    }
    return e;
}

std::vector<Celda> FilaTexto(const Consulta& consulta, const DiaCalculado& d) {
    const PantallaResultados& p = d.pantalla;
    std::vector<Celda> fila;
    fila.push_back({FechaIso(d.fecha)});
    const bool conZona = !consulta.zonaHoraria.isEmpty();
    if (!d.existe) {
        // Every column empty but the date's and the notice.
        fila.resize(Columnas(consulta).size() - 1);
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
    fila.push_back({CeldaLuna(p.Label1, TextoDeCaja(d, Caja::OcasoLuna))});
    fila.push_back({CeldaLuna(p.Label8, TextoDeCaja(d, Caja::OrtoLuna))});
    for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
        const Caja caja = static_cast<Caja>(i);
        fila.push_back({TextoDeCaja(d, caja), p.cajas[i].colorMarco});
        if (caja == Caja::Ocaso) {
            fila.push_back({a.horaMediodia ? HoraConSegundos(d, a.mediodia) : QString()});
        }
    }
    fila.push_back({TextoHorasDeLuz(d)});
    fila.push_back({a.cambioLuz ? CambioDeLuz(*a.cambioLuz) : QString()});
    fila.push_back({QString::number(Porcentaje(a.fraccionLuna)) + QLatin1String(" % ") +
                    AbreviaturaEtapa(a.etapa)});
    QString aviso = p.TextInfoVisible ? Texto(p.TextInfo) : QString();
    if (a.fase) {
        if (!aviso.isEmpty()) aviso += QLatin1Char(' ');
        // The principal phase by its abbreviation, as in the Luna column.
        aviso += AbreviaturaEtapa(ModuloVespalba::EtapaDeFase(a.fase->fase)) + QLatin1Char(' ') +
                 HoraDeReloj(a.fase->hora);
    }
    fila.push_back({aviso});
    return fila;
}

}  // namespace Vespalba::Dias

// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/modelo.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "astro/almanaque.h"
#include "dias/celdas.h"
#include "lugares/lectura.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"
#include "lugares/nomenclator.h"
#include "lugares/zona_geo.h"
#include "lugares/zonas.h"

namespace Vespalba::Almanaque {

using namespace std::chrono;
using ModuloVespalba::ClaseEvento;
using ModuloVespalba::EstadoClase;
using ModuloVespalba::EventoClase;

namespace {

QString Texto(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

const QLocale& Espanol() {
    static const QLocale es(QLocale::Spanish, QLocale::Chile);
    return es;
}

// Modified Julian date of 1970-01-01 00:00 UT, days.
constexpr double MjdUnix = 40587.0;
double MjdDe(qint64 segundos) { return MjdUnix + double(segundos) / 86400.0; }
qint64 SegundosDe(double mjd) { return qint64(std::floor((mjd - MjdUnix) * 86400.0)); }

// The places' coordinates as the header writes them.
QString TextoCoordenadasDe(const Sitio& s) {
    Dias::Consulta c;
    c.latitud = s.latitud;
    c.longitud = -s.longitud;
    return Dias::TextoCoordenadas(c);
}

Sitio SitioDeLaTabla(int i) {
    const Lugar& l = Lugares[std::size_t(i)];
    const Coordenadas c = CoordenadasDe(l);
    Sitio s;
    s.nombre = NombreLugar(i).trimmed();
    const QString pais = Texto(NombrePais(l.Pais));
    s.nombreCompleto = pais.isEmpty() ? s.nombre : s.nombre + QStringLiteral(", ") + pais;
    s.latitud = c.latitud;
    s.longitud = c.longitud;
    s.zona = Texto(l.Zona);
    return s;
}

Sitio SitioDe(const Poblado& p) {
    Sitio s;
    s.nombre = p.nombre;
    s.nombreCompleto = p.NombreCompleto();
    s.latitud = p.latitud;
    s.longitud = p.longitud;
    s.zona = p.zona;
    return s;
}

// The day's first instant and its length, seconds.
struct Intervalo {
    qint64 inicio = 0;
    qint64 duracion = 86400;
};
Intervalo IntervaloDelDia(const Dias::Consulta& c, QDate fecha) {
    if (c.zonaHoraria.isEmpty()) {
        const qint64 medianoche = qint64(DiaDe(fecha).time_since_epoch().count()) * 86400 -
                                  qint64(std::lround(c.zona * 3600));
        return {medianoche, 86400};
    }
    const QTimeZone zona(c.zonaHoraria.toLatin1());
    const qint64 inicio = fecha.startOfDay(zona).toSecsSinceEpoch();
    const qint64 fin = fecha.addDays(1).startOfDay(zona).toSecsSinceEpoch();
    return {inicio, std::max<qint64>(0, fin - inicio)};
}

// An instant on the request's clock.
QDateTime EnReloj(const Dias::Consulta& c, qint64 segundos) {
    if (c.zonaHoraria.isEmpty()) {
        return QDateTime::fromSecsSinceEpoch(segundos, Qt::OffsetFromUTC,
                                             int(std::lround(c.zona * 3600)));
    }
    return QDateTime::fromSecsSinceEpoch(segundos, QTimeZone(c.zonaHoraria.toLatin1()));
}

// "sábado 4 de abril, 23:15".
QString FechaYHora(const Dias::Consulta& c, qint64 segundos) {
    const QDateTime t = EnReloj(c, segundos);
    return Espanol().toString(t.date(), QStringLiteral("dddd d 'de' MMMM")) + QStringLiteral(", ") +
           Dias::HoraDeReloj(t.time().hour() + t.time().minute() / 60.0);
}

}  // namespace

QString Sitio::Nombre() const {
    if (!nombreCompleto.isEmpty()) return nombreCompleto;
    if (!nombre.isEmpty()) return nombre;
    return TextoCoordenadasDe(*this);
}

bool SitioValido(const Sitio& s) {
    return std::isfinite(s.latitud) && std::isfinite(s.longitud) && std::fabs(s.latitud) < 75.0 &&
           std::fabs(s.longitud) < 180.0 && (s.zona.isEmpty() || ZonaConocida(s.zona));
}

Sitio Valparaiso() {
    for (int i = 1; i <= NumLugares; ++i) {
        if (NombreComparable(NombreLugar(i)) == QLatin1String("valparaiso"))
            return SitioDeLaTabla(i);
    }
    return SitioDeLaTabla(1);
}

QString NombreZonaFija(double horas) {
    QString n = Espanol().toString(horas, 'g', 6);
    if (horas > 0) n.prepend(QLatin1Char('+'));
    return n + QStringLiteral(" h");
}

LecturaZona LeeZona(const QString& textoDado) {
    const QString texto = textoDado.trimmed();
    if (texto.isEmpty()) return {std::nullopt, QStringLiteral("escriba una zona")};
    if (ZonaConocida(texto)) {
        EleccionZona z;
        z.tipo = EleccionZona::Tipo::Iana;
        z.iana = texto;
        return {z, {}};
    }
    QString n = texto;
    static const QRegularExpression prefijo(QStringLiteral("^(UTC|GMT|TU)\\s*"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sufijo(QStringLiteral("\\s*h$"),
                                           QRegularExpression::CaseInsensitiveOption);
    n.remove(prefijo).remove(sufijo);
    n.replace(QLatin1Char(','), QLatin1Char('.'));
    n.replace(QChar(0x2212), QLatin1Char('-'));  // the minus sign
    if (!n.isEmpty() && n.size() <= 12 && n.contains(QRegularExpression(QStringLiteral("\\d")))) {
        const Vespalba::Lectura l = Vespalba::LeeDesfase(n);
        if (l.valor) {
            EleccionZona z;
            z.tipo = EleccionZona::Tipo::Fija;
            z.horas = *l.valor;
            return {z, {}};
        }
        return {std::nullopt,
                QStringLiteral("«%1»: %2; se acepta un desfase de -12 a +14 horas en cuartos de "
                               "hora (-4, +5,75) o una zona como America/Santiago")
                    .arg(Vespalba::UnaLinea(texto.left(40)), l.problema)};
    }
    const QStringList parecidas = ZonasParecidas(texto.left(60), 3);
    return {std::nullopt,
            QStringLiteral("«%1» no es una zona horaria%2")
                .arg(Vespalba::UnaLinea(texto.left(40)),
                     parecidas.isEmpty()
                         ? QStringLiteral(
                               "; escriba un nombre como America/Santiago o un desfase como -4")
                         : QStringLiteral("; parecidas: ") + parecidas.join(QStringLiteral(", ")))};
}

LecturaLugar LeeCoordenadas(const QString& textoDado) {
    QString texto = textoDado.trimmed();
    static const QRegularExpression forma(
        QStringLiteral("^[0-9\\s.,:;°'’\"+\\-\\x{2212}NSEWnsew]+$"));
    if (texto.size() > 80 || !texto.contains(QRegularExpression(QStringLiteral("\\d"))) ||
        !forma.match(texto).hasMatch()) {
        return {};
    }
    texto.replace(QChar(0x2212), QLatin1Char('-'));
    texto.replace(QChar(0xB0), QLatin1Char(':'));
    texto.remove(QLatin1Char('\'')).remove(QChar(0x2019)).remove(QLatin1Char('"'));
    texto.replace(QLatin1Char(';'), QLatin1Char(' '));
    QStringList partes =
        texto.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (partes.size() == 1 && partes[0].count(QLatin1Char(',')) == 1) {
        partes = partes[0].split(QLatin1Char(','));
    }
    for (QString& p : partes) {
        while (p.endsWith(QLatin1Char(','))) p.chop(1);
        if (!p.contains(QLatin1Char('.')) && !p.contains(QLatin1Char(':'))) {
            p.replace(QLatin1Char(','), QLatin1Char('.'));  // a decimal comma
        }
    }
    partes.removeAll(QString());
    const QString formas = QStringLiteral(
        "escriba la latitud y la longitud, como 33:16S 71:36W o -33.27 -71.6 (grados decimales, "
        "norte y este positivos)");
    if (partes.size() != 2) {
        return {std::nullopt, QStringLiteral("no son coordenadas; ") + formas};
    }
    const Vespalba::Lectura lat = Vespalba::LeeLatitud(partes[0]);
    const Vespalba::Lectura lon = Vespalba::LeeLongitud(partes[1]);
    if (!lat.valor) {
        return {std::nullopt,
                QStringLiteral("latitud «%1»: %2; se acepta de 75° S a 75° N sin llegar a ellos, "
                               "como 33:16S o -33.27")
                    .arg(partes[0], lat.problema)};
    }
    if (!lon.valor) {
        return {std::nullopt,
                QStringLiteral("longitud «%1»: %2; se acepta de 180° W a 180° E sin llegar a "
                               "ellos, como 71:36W o -71.6")
                    .arg(partes[1], lon.problema)};
    }
    Sitio s;
    s.latitud = *lat.valor;
    s.longitud = -*lon.valor + 0.0;  // the reader gives west positive
    return {s, {}};
}

std::vector<Sugerencia> Sugerencias(const QString& textoDado, int maximo) {
    std::vector<Sugerencia> lista;
    const QString texto = textoDado.trimmed().left(200);
    if (texto.isEmpty() || maximo <= 0) return lista;
    if (const LecturaLugar c = LeeCoordenadas(texto); c.sitio) {
        lista.push_back({*c.sitio, TextoCoordenadasDe(*c.sitio), QStringLiteral("coordenadas")});
        return lista;
    }
    for (int i : LugaresQueContienen(texto)) {
        if (int(lista.size()) >= maximo) break;
        Sugerencia s;
        s.sitio = SitioDeLaTabla(i);
        s.texto = s.sitio.nombreCompleto;
        s.detalle =
            QStringLiteral("puerto · %1 · %2").arg(TextoCoordenadasDe(s.sitio), s.sitio.zona);
        lista.push_back(s);
    }
    if (int(lista.size()) < maximo) {
        if (const Nomenclator* mundo = Nomenclator::Mundial()) {
            const Encontrados e = mundo->BuscaTexto(texto, maximo - int(lista.size()));
            for (const Poblado& p : e.poblados) {
                Sugerencia s;
                s.sitio = SitioDe(p);
                // A town the almanac does not compute (at 75 degrees of
                // latitude or more) is not offered: Return on its name
                // says why (LeeLugar).
                if (!SitioValido(s.sitio)) continue;
                s.texto = s.sitio.nombreCompleto;
                s.detalle = QStringLiteral("%1 · %2").arg(TextoCoordenadasDe(s.sitio), p.zona);
                if (p.habitantes > 0) {
                    s.detalle += QStringLiteral(" · %1 hab.").arg(Espanol().toString(p.habitantes));
                }
                lista.push_back(s);
            }
        }
    }
    return lista;
}

LecturaLugar LeeLugar(const QString& textoDado) {
    const QString texto = textoDado.trimmed();
    if (texto.isEmpty())
        return {std::nullopt, QStringLiteral("escriba el nombre de un lugar o sus coordenadas")};
    if (texto.size() > 200) {
        return {std::nullopt, QStringLiteral("el texto es demasiado largo para ser un lugar")};
    }
    if (const LecturaLugar c = LeeCoordenadas(texto); c.sitio || !c.problema.isEmpty()) {
        return c;
    }
    const QString dicho = Vespalba::UnaLinea(texto.left(60));
    const LugarPorNombre hallado = BuscaPorNombre(texto, 8);
    const Encontrados& e = hallado.encontrados;
    switch (hallado.resultado) {
        case LugarPorNombre::Resultado::DeLaTabla: return {SitioDeLaTabla(hallado.tabla), {}};
        case LugarPorNombre::Resultado::SinNomenclator:
            return {std::nullopt,
                    QStringLiteral("«%1» no es uno de los 40 puertos, y los pueblos del mundo no "
                                   "están: %2")
                        .arg(dicho, hallado.motivo)};
        case LugarPorNombre::Resultado::Desconocido: {
            QStringList parecidos;
            for (int j : LugaresParecidos(texto)) parecidos << SitioDeLaTabla(j).nombreCompleto;
            if (const Nomenclator* mundo = Nomenclator::Mundial()) {
                for (const Poblado& t : mundo->Parecidos(texto, 6)) parecidos << t.NombreCompleto();
            }
            parecidos.removeDuplicates();
            if (parecidos.size() > 6) parecidos = parecidos.mid(0, 6);
            return {std::nullopt,
                    QStringLiteral("Ningún lugar se llama «%1»%2%3")
                        .arg(dicho,
                             parecidos.isEmpty()
                                 ? QStringLiteral("; escriba parte del nombre y elija en la lista")
                                 : QStringLiteral("; ¿quiso decir %1?")
                                       .arg(parecidos.join(QStringLiteral(", "))),
                             // Why the villages are missing, when they are.
                             hallado.avisoNomenclator.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (%1)").arg(hallado.avisoNomenclator))};
        }
        case LugarPorNombre::Resultado::Ambiguo:
            return {std::nullopt,
                    QStringLiteral("«%1» es parte de %2 nombres; elija uno en la lista")
                        .arg(dicho)
                        .arg(e.total)};
        case LugarPorNombre::Resultado::FueraDeRango:
        case LugarPorNombre::Resultado::DelNomenclator: break;
    }
    // The whole name (the most populous of several), or the one name that
    // holds the text.
    const Poblado& t = e.poblados.front();
    Sitio s = SitioDe(t);
    if (hallado.resultado == LugarPorNombre::Resultado::FueraDeRango || !SitioValido(s)) {
        return {std::nullopt,
                QStringLiteral("%1 está a %2° de latitud; el almanaque llega hasta los 75°")
                    .arg(t.NombreCompleto(), Espanol().toString(t.latitud, 'f', 1))};
    }
    return {s, {}};
}

std::chrono::sys_days DiaDe(QDate fecha) {
    return sys_days{year{fecha.year()} / month{unsigned(fecha.month())} /
                    day{unsigned(fecha.day())}};
}

QDate FechaDe(std::chrono::sys_days dia) {
    const year_month_day f{dia};
    return QDate(int(f.year()), int(unsigned(f.month())), int(unsigned(f.day())));
}

Dias::Consulta ConsultaDe(const Sitio& sitio, const EleccionZona& zona, QDate desde, QDate hasta) {
    Dias::Consulta c;
    c.lugar = sitio.nombre;
    c.nombreCompleto = sitio.nombreCompleto;
    c.latitud = sitio.latitud;
    c.longitud = -sitio.longitud + 0.0;
    c.zonaDelLugar = sitio.zona;
    switch (zona.tipo) {
        case EleccionZona::Tipo::DelLugar:
            if (sitio.zona.isEmpty()) {
                // Bare coordinates: the zone of the point, or the nautical
                // zone at sea (also when the boundaries' index is missing).
                const std::optional<ZonaDeCoordenadas> z = ZonaEn(sitio.latitud, sitio.longitud);
                if (z && !z->nautica) {
                    c.zonaHoraria = z->zona;
                } else {
                    c.zona = ZonaNautica(sitio.longitud);
                }
            } else {
                c.zonaHoraria = sitio.zona;
            }
            break;
        case EleccionZona::Tipo::Iana: c.zonaHoraria = zona.iana; break;
        case EleccionZona::Tipo::Fija: c.zona = zona.horas; break;
    }
    c.desde = DiaDe(desde);
    c.hasta = DiaDe(std::max(desde, hasta));
    return c;
}

QString NombreDeZonaElegida(const Sitio& sitio, const EleccionZona& zona) {
    switch (zona.tipo) {
        case EleccionZona::Tipo::DelLugar:
            if (sitio.zona.isEmpty()) {
                const std::optional<ZonaDeCoordenadas> z = ZonaEn(sitio.latitud, sitio.longitud);
                if (z && !z->nautica) return z->zona + QStringLiteral(" (por las coordenadas)");
                return NombreZonaFija(ZonaNautica(sitio.longitud)) +
                       QStringLiteral(" (zona náutica)");
            }
            return sitio.zona;
        case EleccionZona::Tipo::Iana: return zona.iana;
        case EleccionZona::Tipo::Fija: return NombreZonaFija(zona.horas);
    }
    return {};
}

QString DesfaseEn(const Dias::Consulta& consulta, qint64 segundos) {
    return TextoDesfase(EnReloj(consulta, segundos).offsetFromUtc());
}

QDate HoyEn(const Dias::Consulta& consulta, qint64 ahora) {
    return EnReloj(consulta, ahora).date();
}

QString FechaEnPalabras(QDate fecha) {
    return Espanol().toString(fecha, QStringLiteral("dddd, d 'de' MMMM 'de' yyyy"));
}

// ----------------------------------------------------------------- the day

namespace {

// "sáb 12": a date as a short note beside a time of the next day.
QString DiaCorto(QDate fecha) {
    static const char* const dias[] = {"lun", "mar", "mié", "jue", "vie", "sáb", "dom"};
    return QStringLiteral("%1 %2")
        .arg(QString::fromUtf8(dias[fecha.dayOfWeek() - 1]))
        .arg(fecha.day());
}

}  // namespace

ResumenDia ResumeDia(const Dias::Consulta& consulta, const Dias::DiaCalculado& d,
                     const Dias::DiaCalculado* siguiente) {
    ResumenDia r;
    const QDate fecha = FechaDe(sys_days{d.fecha});
    r.fecha = FechaEnPalabras(fecha);
    r.existe = d.existe;
    r.horasDelDia = double(IntervaloDelDia(consulta, fecha).duracion) / 3600.0;
    if (!d.existe) {
        r.avisos << QStringLiteral("El %1 no existe en la zona %2: su reloj salta ese día entero.")
                        .arg(Espanol().toString(fecha, QStringLiteral("d 'de' MMMM 'de' yyyy")),
                             consulta.zonaHoraria);
        return r;
    }
    // The events' offsets are named only when they are not all the same
    // (a clock change between two of them): Chile's midnight change leaves
    // every event of the day on the new offset.
    bool dosDesfases = false;
    if (!d.cambios.isEmpty()) {
        std::optional<int> visto;
        const auto anota = [&](const Dias::Instante& t) {
            if (visto && *visto != t.desfase) dosDesfases = true;
            visto = t.desfase;
        };
        for (std::size_t c = 0; c < d.instantes.size(); ++c) {
            const EventoClase& e = d.eventos.clases[c];
            if (e.hayOrto) anota(d.instantes[c][0]);
            if (e.hayOcaso) anota(d.instantes[c][1]);
        }
        if (d.almanaque.horaMediodia) anota(d.almanaque.mediodia);
    }
    const auto nota = [&](const Dias::Instante& t) {
        return dosDesfases ? TextoDesfase(t.desfase) : QString();
    };
    struct Fila {
        const char* nombre;
        ClaseEvento clase;
        int cual;  // 0 rise (dawn), 1 set (end)
    };
    static const Fila antes[] = {
        {"Aurora astronómica", ClaseEvento::Astronomico, 0},
        {"Aurora náutica", ClaseEvento::Nautico, 0},
        {"Aurora civil", ClaseEvento::Civil, 0},
        {"Orto", ClaseEvento::Sol, 0},
    };
    static const Fila despues[] = {
        {"Ocaso", ClaseEvento::Sol, 1},
        {"Fin del crepúsculo civil", ClaseEvento::Civil, 1},
        {"Fin del crepúsculo náutico", ClaseEvento::Nautico, 1},
        {"Fin del crepúsculo astronómico", ClaseEvento::Astronomico, 1},
    };
    // Each row with its instant (seconds since 1970 UT), none for words.
    std::vector<std::pair<Suceso, std::optional<qint64>>> filas;
    const auto suceso = [&](const Fila& f) {
        const EventoClase& e = d.eventos[f.clase];
        const std::size_t c = std::size_t(static_cast<int>(f.clase) - 1);  // as EventosDia::clases
        Suceso s;
        std::optional<qint64> instante;
        s.nombre = QString::fromUtf8(f.nombre);
        const bool hay = f.cual == 0 ? e.hayOrto : e.hayOcaso;
        if (hay) {
            s.hora = Dias::HoraDeReloj(f.cual == 0 ? e.horaOrto : e.horaOcaso);
            s.nota = nota(d.instantes[c][std::size_t(f.cual)]);
            instante = d.instantes[c][std::size_t(f.cual)].segundos;
        } else if (e.estado == EstadoClase::SiempreSobre) {
            s.hora = f.clase == ClaseEvento::Sol
                         ? QStringLiteral("no hay: el Sol no se pone")
                         : QStringLiteral("no hay: el crepúsculo no termina");
        } else if (e.estado == EstadoClase::SiempreBajo) {
            s.hora = f.clase == ClaseEvento::Sol ? QStringLiteral("no hay: el Sol no sale")
                                                 : QStringLiteral("no hay: la aurora no llega");
        } else {
            s.hora = QStringLiteral("no hay este día");
        }
        filas.emplace_back(s, instante);
    };
    for (const Fila& f : antes) suceso(f);
    const Dias::AlmanaqueDia& a = d.almanaque;
    Suceso mediodia;
    mediodia.nombre = QStringLiteral("Mediodía solar");
    if (a.horaMediodia) {
        mediodia.hora = Dias::HoraConSegundos(d, a.mediodia);
        mediodia.nota =
            QStringLiteral("altura %1°").arg(Espanol().toString(a.alturaMediodia, 'f', 1));
        if (dosDesfases) mediodia.nota += QStringLiteral(", ") + TextoDesfase(a.mediodia.desfase);
    } else {
        mediodia.hora = QStringLiteral("no hay este día");
    }
    filas.emplace_back(mediodia,
                       a.horaMediodia ? std::optional<qint64>(a.mediodia.segundos) : std::nullopt);
    // The ends: one before the day's noon (or, without a noon, before its
    // class's own beginning) closed last night; this evening's, when it
    // falls after midnight, is the next day's end before its noon.
    for (const Fila& f : despues) {
        const std::size_t c = std::size_t(static_cast<int>(f.clase) - 1);
        const EventoClase& e = d.eventos[f.clase];
        const std::size_t fila = filas.size();
        suceso(f);
        const std::optional<qint64> fin = filas[fila].second;
        bool deAnoche = false;
        if (fin) {
            deAnoche = a.horaMediodia ? *fin < a.mediodia.segundos
                                      : e.hayOrto && *fin < d.instantes[c][0].segundos;
        }
        if (deAnoche) {
            Suceso& s = filas[fila].first;
            const QString cual = f.clase == ClaseEvento::Sol
                                     ? QStringLiteral("ocaso de anoche")
                                     : QStringLiteral("fin del crepúsculo de anoche");
            s.nota = s.nota.isEmpty() ? cual : s.nota + QStringLiteral(", ") + cual;
        }
        if ((fin && !deAnoche) || siguiente == nullptr || !siguiente->existe) continue;
        const EventoClase& m = siguiente->eventos[f.clase];
        const Dias::AlmanaqueDia& am = siguiente->almanaque;
        if (!m.hayOcaso || !am.horaMediodia) continue;
        const Dias::Instante& t = siguiente->instantes[c][1];
        if (t.segundos >= am.mediodia.segundos) continue;
        Suceso s;
        s.nombre = QString::fromUtf8(f.nombre);
        s.hora =
            QStringLiteral("%1 del %2")
                .arg(Dias::HoraDeReloj(m.horaOcaso), DiaCorto(FechaDe(sys_days{siguiente->fecha})));
        s.nota = f.clase == ClaseEvento::Sol ? QStringLiteral("ocaso de esta noche")
                                             : QStringLiteral("fin del crepúsculo de esta noche");
        if (!fin) {
            filas[fila] = {s, t.segundos};  // instead of "no hay este día"
        } else {
            filas.emplace_back(s, t.segundos);
        }
    }
    // Clock order: the rows with an instant sorted among the places they
    // hold; the rows in words stay where the fixed order put them.
    std::vector<std::size_t> porHora;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas[i].second) porHora.push_back(i);
    }
    std::stable_sort(porHora.begin(), porHora.end(), [&](std::size_t x, std::size_t y) {
        return *filas[x].second < *filas[y].second;
    });
    std::size_t siguienteConHora = 0;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        r.sol.push_back(filas[i].second ? filas[porHora[siguienteConHora++]].first
                                        : filas[i].first);
    }

    if (d.luzEspecial) {
        using Dias::LimiteLuz;
        struct Intervalo {
            const char* nombre;
            LimiteLuz desde, hasta;
        };
        static const Intervalo intervalos[] = {
            {"Hora azul de la mañana", LimiteLuz::InicioAzulManana, LimiteLuz::InicioDoradaManana},
            {"Hora dorada de la mañana", LimiteLuz::InicioDoradaManana, LimiteLuz::FinDoradaManana},
            {"Hora dorada de la tarde", LimiteLuz::InicioDoradaTarde, LimiteLuz::InicioAzulTarde},
            {"Hora azul de la tarde", LimiteLuz::InicioAzulTarde, LimiteLuz::FinAzulTarde},
        };
        const auto hora = [&](LimiteLuz l) {
            const std::optional<Dias::MomentoLuz> m = d.luzEspecial->Limite(l);
            return m ? Dias::HoraDeReloj(m->hora) : QStringLiteral("—");
        };
        for (const Intervalo& i : intervalos) {
            const std::optional<Dias::MomentoLuz> desde = d.luzEspecial->Limite(i.desde);
            const std::optional<Dias::MomentoLuz> hasta = d.luzEspecial->Limite(i.hasta);
            Suceso s;
            s.nombre = QString::fromUtf8(i.nombre);
            // Neither boundary: none that day; one of them: the other shown
            // as missing, never made up.
            s.hora = !desde && !hasta ? QStringLiteral("—")
                                      : hora(i.desde) + QStringLiteral(" – ") + hora(i.hasta);
            if (dosDesfases) {
                QStringList notas;
                if (desde) notas << TextoDesfase(desde->instante.desfase);
                if (hasta) notas << TextoDesfase(hasta->instante.desfase);
                notas.removeDuplicates();
                s.nota = notas.join(QStringLiteral(" – "));
            }
            r.luzEspecial.push_back(s);
        }
    }

    r.horasDeLuz = Dias::TextoHorasDeLuz(d);
    if (a.cambioLuz) {
        r.cambioDeLuz = Dias::CambioDeLuz(*a.cambioLuz) + QStringLiteral(" respecto de ayer");
    }

    // The Moon's events in the order they happen.
    const EventoClase& luna = d.eventos[ClaseEvento::Luna];
    const auto& il = d.instantes[std::size_t(static_cast<int>(ClaseEvento::Luna) - 1)];
    if (luna.estado == EstadoClase::SiempreSobre) {
        r.luna.push_back(
            {QStringLiteral("Luna"), QStringLiteral("sobre el horizonte todo el día"), {}});
    } else if (luna.estado == EstadoClase::SiempreBajo) {
        r.luna.push_back(
            {QStringLiteral("Luna"), QStringLiteral("bajo el horizonte todo el día"), {}});
    } else {
        Suceso orto{
            QStringLiteral("Orto de la Luna"),
            luna.hayOrto ? Dias::HoraDeReloj(luna.horaOrto) : QStringLiteral("no sale este día"),
            luna.hayOrto ? nota(il[0]) : QString()};
        Suceso ocaso{QStringLiteral("Ocaso de la Luna"),
                     luna.hayOcaso ? Dias::HoraDeReloj(luna.horaOcaso)
                                   : QStringLiteral("no se pone este día"),
                     luna.hayOcaso ? nota(il[1]) : QString()};
        const bool ortoPrimero =
            luna.hayOrto && (!luna.hayOcaso || il[0].segundos < il[1].segundos);
        if (ortoPrimero) {
            r.luna = {orto, ocaso};
        } else {
            r.luna = {ocaso, orto};
        }
    }

    for (const QString& cambio : d.cambios) {
        r.avisos << QStringLiteral("Cambio de hora: %1. El día dura %2 horas.")
                        .arg(cambio, Espanol().toString(r.horasDelDia, 'g', 4));
    }
    const EventoClase& sol = d.eventos[ClaseEvento::Sol];
    if (sol.estado == EstadoClase::SiempreSobre) {
        r.avisos << QStringLiteral("Día polar: el Sol no se pone en todo el día.");
    } else if (sol.estado == EstadoClase::SiempreBajo) {
        r.avisos << QStringLiteral("Noche polar: el Sol no sale en todo el día.");
    }
    return r;
}

LunaDelDia LunaDe(const Dias::Consulta& consulta, const Dias::DiaCalculado& d) {
    LunaDelDia l;
    l.hemisferioSur = consulta.latitud < 0;
    if (!d.existe) return l;
    const Dias::AlmanaqueDia& a = d.almanaque;
    l.fraccion = std::isfinite(a.fraccionLuna) ? std::clamp(a.fraccionLuna, 0.0, 1.0) : 0.0;
    l.creciente = a.lunaCreciente;
    l.texto = QStringLiteral("%1 % iluminada, %2")
                  .arg(Dias::Porcentaje(a.fraccionLuna))
                  .arg(Dias::TextoEtapa(a.etapa).toLower());
    const QDate fecha = FechaDe(sys_days{d.fecha});
    const double desde = MjdDe(IntervaloDelDia(consulta, fecha).inicio);
    const std::vector<ModuloVespalba::FasePrincipal> fases =
        ModuloVespalba::FasesEntre(desde, desde + 40.0);
    for (std::size_t i = 0; i < fases.size() && i < 4; ++i) {
        l.proximasFases << QStringLiteral("%1: %2").arg(
            Dias::TextoFase(fases[i].fase), FechaYHora(consulta, SegundosDe(fases[i].mjd)));
    }
    return l;
}

Estaciones EstacionesDe(const Dias::Consulta& consulta, const Dias::DiaCalculado& d) {
    using ModuloVespalba::Estacion;
    Estaciones e;
    const QDate fecha = FechaDe(sys_days{d.fecha});
    const double desde = MjdDe(IntervaloDelDia(consulta, fecha).inicio);
    const auto proximas = ModuloVespalba::EstacionesEntre(desde, desde + 370.0);
    if (!proximas.empty()) {
        e.proxima = QStringLiteral("%1: %2").arg(
            Texto(ModuloVespalba::NombreEstacion(proximas.front().estacion)),
            FechaYHora(consulta, SegundosDe(proximas.front().mjd)));
    }
    // The last solstice before the day, and the daylight of its civil date.
    const auto pasadas = ModuloVespalba::EstacionesEntre(desde - 200.0, desde);
    for (auto it = pasadas.rbegin(); it != pasadas.rend(); ++it) {
        if (it->estacion != Estacion::SolsticioJunio &&
            it->estacion != Estacion::SolsticioDiciembre) {
            continue;
        }
        const QDate dia = EnReloj(consulta, SegundosDe(it->mjd)).date();
        if (!d.existe || !d.horasLuz || dia < QDate(1979, 1, 1)) break;
        const Dias::DiaCalculado s = Dias::CalculaDia(consulta, DiaDe(dia));
        if (!s.existe || !s.horasLuz) break;
        const double diferencia = *d.horasLuz - *s.horasLuz;  // hours
        if (!std::isfinite(diferencia)) break;
        const QString nombre = Texto(ModuloVespalba::NombreEstacion(it->estacion)).toLower();
        const int minutos = int(std::lround(std::fabs(diferencia) * 60.0));
        e.desdeSolsticio =
            QStringLiteral("Desde el %1 (%2): %3 h %4 min %5 de luz")
                .arg(nombre, Espanol().toString(dia, QStringLiteral("d 'de' MMMM")))
                .arg(minutos / 60)
                .arg(minutos % 60)
                .arg(diferencia >= 0 ? QStringLiteral("más") : QStringLiteral("menos"));
        break;
    }
    return e;
}

}  // namespace Vespalba::Almanaque

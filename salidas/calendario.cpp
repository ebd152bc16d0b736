// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/calendario.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <cmath>

#include "astro/eventos.h"
#include "lugares/zonas.h"
#include "salidas/peticion.h"

namespace Vespalba::Salidas {
namespace {

using ModuloVespalba::ClaseEvento;

// One event of a day, before it is written.
struct Suceso {
    Instante instante;  // when, and the offset in force then
    const char* clave;  // the event's part of the UID ("orto", "nautico-fin")
    QString resumen;    // SUMMARY
};

// Text of an iCalendar TEXT value: backslash, semicolon, comma and line
// ends escaped.
QString TextoIcs(const QString& s) {
    QString t;
    t.reserve(s.size());
    for (const QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            t += QLatin1Char('\\');
            t += c;
        } else if (c == QLatin1Char('\n')) {
            t += QStringLiteral("\\n");
        } else if (c.category() == QChar::Other_Control) {
            // Not allowed in a TEXT value.
        } else {
            t += c;
        }
    }
    return t;
}

// Appends one content line: CRLF at its end, folded after at most 75
// octets (a CRLF and a blank before each continuation), never inside a
// UTF-8 character.
void AgregaLinea(QByteArray& salida, const QByteArray& linea) {
    constexpr qsizetype maximo = 75;
    qsizetype inicio = 0;
    qsizetype cabe = maximo;  // octets the current physical line may take
    while (linea.size() - inicio > cabe) {
        qsizetype corte = inicio + cabe;
        // Back off continuation octets (10xxxxxx) so a character stays whole.
        while (corte > inicio && (static_cast<unsigned char>(linea[corte]) & 0xC0) == 0x80) {
            --corte;
        }
        salida += linea.mid(inicio, corte - inicio);
        salida += "\r\n ";
        inicio = corte;
        cabe = maximo - 1;  // the blank that starts the continuation counts
    }
    salida += linea.mid(inicio);
    salida += "\r\n";
}

void AgregaLinea(QByteArray& salida, const QString& linea) { AgregaLinea(salida, linea.toUtf8()); }

// "20260401T105800Z".
QByteArray Utc(qint64 segundos) {
    return QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC)
        .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))
        .toLatin1();
}

// The place's part of every UID: its coordinates to 1e-5 degree, north and
// east positive ("33.26667S71.60000W").
QByteArray LugarUid(const Peticion& p) {
    const double este = -p.longitud;
    return QByteArray::number(std::fabs(p.latitud), 'f', 5) + (p.latitud < 0 ? "S" : "N") +
           QByteArray::number(std::fabs(este), 'f', 5) + (este < 0 ? "W" : "E");
}

// The place as the text table's header names it, or its coordinates when
// it has no name ("33° 16' S, 71° 36' W").
QString NombreLugar(const Peticion& p) {
    const Encabezado e = EncabezadoDe(p, {});
    return e.lugar.isEmpty() ? e.coordenadas : e.lugar;
}

// The chosen events of a day, in time order.
std::vector<Suceso> Sucesos(const Peticion& p, const DiaCalculado& d) {
    std::vector<Suceso> sucesos;
    if (!d.existe) return sucesos;
    struct Clase {
        unsigned bit;
        ClaseEvento clase;
        const char* claveOrto;
        const char* claveOcaso;
        const char* orto;
        const char* ocaso;
    };
    static const Clase clases[] = {
        {EventoOrto, ClaseEvento::Sol, "orto", nullptr, "Orto del Sol", nullptr},
        {EventoOcaso, ClaseEvento::Sol, nullptr, "ocaso", nullptr, "Ocaso del Sol"},
        {EventoCivil, ClaseEvento::Civil, "civil-comienzo", "civil-fin",
         "Comienzo del crepúsculo civil", "Fin del crepúsculo civil"},
        {EventoNautico, ClaseEvento::Nautico, "nautico-comienzo", "nautico-fin",
         "Comienzo del crepúsculo náutico", "Fin del crepúsculo náutico"},
        {EventoAstronomico, ClaseEvento::Astronomico, "astronomico-comienzo", "astronomico-fin",
         "Comienzo del crepúsculo astronómico", "Fin del crepúsculo astronómico"},
        {EventoLuna, ClaseEvento::Luna, "luna-orto", "luna-ocaso", "Orto de la Luna",
         "Ocaso de la Luna"},
    };
    for (const Clase& c : clases) {
        if (!(p.eventos & c.bit)) continue;
        // EventosDia and instantes are indexed from the Moon, class 1.
        const auto i = static_cast<std::size_t>(static_cast<int>(c.clase) - 1);
        const ModuloVespalba::EventoClase& e = d.eventos[c.clase];
        if (c.orto && e.hayOrto) {
            sucesos.push_back({d.instantes[i][0], c.claveOrto, QString::fromUtf8(c.orto)});
        }
        if (c.ocaso && e.hayOcaso) {
            sucesos.push_back({d.instantes[i][1], c.claveOcaso, QString::fromUtf8(c.ocaso)});
        }
    }
    // The golden and blue hours, each as its beginning and its end (the
    // morning's -4 degrees ends the blue hour and begins the golden one).
    struct Limite {
        unsigned bit;
        Dias::LimiteLuz limite;
        const char* clave;
        const char* resumen;
    };
    static const Limite limites[] = {
        {EventoAzul, Dias::LimiteLuz::InicioAzulManana, "azul-manana-comienzo",
         "Comienzo de la hora azul de la mañana"},
        {EventoAzul, Dias::LimiteLuz::InicioDoradaManana, "azul-manana-fin",
         "Fin de la hora azul de la mañana"},
        {EventoDorada, Dias::LimiteLuz::InicioDoradaManana, "dorada-manana-comienzo",
         "Comienzo de la hora dorada de la mañana"},
        {EventoDorada, Dias::LimiteLuz::FinDoradaManana, "dorada-manana-fin",
         "Fin de la hora dorada de la mañana"},
        {EventoDorada, Dias::LimiteLuz::InicioDoradaTarde, "dorada-tarde-comienzo",
         "Comienzo de la hora dorada de la tarde"},
        {EventoDorada, Dias::LimiteLuz::InicioAzulTarde, "dorada-tarde-fin",
         "Fin de la hora dorada de la tarde"},
        {EventoAzul, Dias::LimiteLuz::InicioAzulTarde, "azul-tarde-comienzo",
         "Comienzo de la hora azul de la tarde"},
        {EventoAzul, Dias::LimiteLuz::FinAzulTarde, "azul-tarde-fin",
         "Fin de la hora azul de la tarde"},
    };
    if (d.luzEspecial) {
        for (const Limite& l : limites) {
            if (!(p.eventos & l.bit)) continue;
            if (const std::optional<Dias::MomentoLuz> m = d.luzEspecial->Limite(l.limite)) {
                sucesos.push_back({m->instante, l.clave, QString::fromUtf8(l.resumen)});
            }
        }
    }
    const AlmanaqueDia& a = d.almanaque;
    if ((p.eventos & EventoMediodia) && a.horaMediodia) {
        sucesos.push_back({a.mediodia, "mediodia",
                           // The Sun's altitude with a decimal comma, as in Spanish.
                           QStringLiteral("Mediodía solar, el Sol a %1°")
                               .arg(QString::number(a.alturaMediodia, 'f', 1)
                                        .replace(QLatin1Char('.'), QLatin1Char(',')))});
    }
    if ((p.eventos & EventoFases) && a.fase) {
        sucesos.push_back({a.fase->instante, "fase",
                           QStringLiteral("%1 %2 %")
                               .arg(TextoFase(a.fase->fase))
                               .arg(Porcentaje(a.fase->fraccion))});
    }
    std::stable_sort(sucesos.begin(), sucesos.end(), [](const Suceso& x, const Suceso& y) {
        return x.instante.segundos < y.instante.segundos;
    });
    return sucesos;
}

QByteArray Cabecera(const Peticion& p) {
    QByteArray salida;
    AgregaLinea(salida, QByteArrayLiteral("BEGIN:VCALENDAR"));
    AgregaLinea(salida, QByteArrayLiteral("VERSION:2.0"));
    AgregaLinea(salida,
                QByteArrayLiteral("PRODID:-//Vespalba//vespalba-tabla " VESPALBA_VERSION "//ES"));
    AgregaLinea(salida, QByteArrayLiteral("CALSCALE:GREGORIAN"));
    AgregaLinea(salida, QByteArrayLiteral("METHOD:PUBLISH"));
    AgregaLinea(salida, QStringLiteral("X-WR-CALNAME:") +
                            TextoIcs(QStringLiteral("Vespalba: ") + NombreLugar(p)));
    return salida;
}

QByteArray Sucesos(const Peticion& p, const std::vector<DiaCalculado>& dias) {
    QByteArray salida;
    const QByteArray sello = "DTSTAMP:" + Utc(p.sello);
    const QByteArray lugarUid = LugarUid(p);
    const QString ubicacion = QStringLiteral("LOCATION:") + TextoIcs(NombreLugar(p));
    const QByteArray geo = "GEO:" + QByteArray::number(p.latitud, 'f', 6) + ';' +
                           QByteArray::number(-p.longitud, 'f', 6);
    const QString zona =
        p.zonaHoraria.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(p.zonaHoraria);
    const QString metodo =
        QStringLiteral("Calculado por vespalba-tabla " VESPALBA_VERSION
                       " con series de baja precisión; hora truncada al segundo");
    for (const DiaCalculado& d : dias) {
        // "20260401": the civil date.
        const QByteArray fecha =
            QByteArray::number(int(d.fecha.year()) * 10000 + int(unsigned(d.fecha.month())) * 100 +
                               int(unsigned(d.fecha.day())));
        for (const Suceso& s : Sucesos(p, d)) {
            AgregaLinea(salida, QByteArrayLiteral("BEGIN:VEVENT"));
            AgregaLinea(salida, "UID:" + fecha + '-' + s.clave + '-' + lugarUid + "@vespalba");
            AgregaLinea(salida, sello);
            AgregaLinea(salida, "DTSTART:" + Utc(s.instante.segundos));
            AgregaLinea(salida, QStringLiteral("SUMMARY:") + TextoIcs(s.resumen));
            // The local time, which calendar programs show in the reader's
            // own zone rather than the place's.
            AgregaLinea(salida,
                        QStringLiteral("DESCRIPTION:") +
                            TextoIcs(QStringLiteral("Hora local: %1%2. %3. %4")
                                         .arg(InstanteIso(s.instante.segundos, s.instante.desfase),
                                              zona, NombreLugar(p), metodo)));
            AgregaLinea(salida, ubicacion);
            AgregaLinea(salida, geo);
            AgregaLinea(salida, QByteArrayLiteral("TRANSP:TRANSPARENT"));
            AgregaLinea(salida, QByteArrayLiteral("END:VEVENT"));
        }
    }
    return salida;
}

const QByteArray pie = QByteArrayLiteral("END:VCALENDAR\r\n");

}  // namespace

QByteArray EscribeIcs(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    return Cabecera(peticion) + Sucesos(peticion, dias) + pie;
}

bool EscribeIcsPorBloques(const Peticion& peticion, const Bloques& bloques,
                          const Sumidero& sumidero) {
    return sumidero(Cabecera(peticion)) &&
           bloques.EnOrden(
               [&](const std::vector<DiaCalculado>& dias) { return Sucesos(peticion, dias); },
               sumidero) &&
           sumidero(pie);
}

}  // namespace Vespalba::Salidas

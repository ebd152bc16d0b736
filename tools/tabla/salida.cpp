// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tabla/salida.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QString>

#include <array>
#include <cmath>
#include <string>
#include <unordered_map>

#include "window/lugares.h"

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

QStringList CajasEnColorMarco(const PantallaResultados& p) {
    QStringList cajas;
    for (const CajaResultado& c : p.cajas) {
        if (c.colorMarco) {
            cajas << Texto(c.control);
        }
    }
    return cajas;
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

QString Cabecera(const Peticion& p) {
    const QString coordenadas = GradosMinutos(p.latitud, QLatin1Char('N'), QLatin1Char('S')) +
                                QStringLiteral(", ") +
                                GradosMinutos(-p.longitud, QLatin1Char('E'), QLatin1Char('W'));
    const QString lugar = p.lugar.isEmpty()
                              ? coordenadas
                              : p.lugar.trimmed() + QStringLiteral(" (") + coordenadas + ')';
    const QString sentido = p.zona < 0 ? QStringLiteral("- ") : QStringLiteral("+ ");
    return QStringLiteral("Lugar: %1\nZona horaria: %2 h (hora local = hora universal %3%4 h)\n")
        .arg(lugar, Horas(p.zona), sentido, QString::number(std::fabs(p.zona), 'g', 6));
}

// --------------------------------------------------------------- text table

struct Columna {
    QString grupo;   // title shared with the neighbouring columns of the same group
    QString titulo;  // the column's own title
    bool derecha;    // aligned to the right (times and marks)
};

struct Celda {
    QString texto;
    bool marco = false;  // a dawn box in the frame colour: filled with shading
};

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

std::vector<Celda> FilaTexto(const DiaCalculado& d) {
    const PantallaResultados& p = d.pantalla;
    std::vector<Celda> fila;
    fila.push_back({FechaIso(d.fecha)});
    fila.push_back({CeldaLuna(p.Label1, p[Caja::OcasoLuna].texto)});
    fila.push_back({CeldaLuna(p.Label8, p[Caja::OrtoLuna].texto)});
    for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
        fila.push_back({QString::fromStdString(p.cajas[i].texto), p.cajas[i].colorMarco});
    }
    fila.push_back({QString::fromStdString(p.HorasLuz)});
    fila.push_back({p.TextInfoVisible ? Texto(p.TextInfo) : QString()});
    return fila;
}

const QChar sombra(0x2593);  // the shading that stands for the frame colour

QString Alinea(const QString& s, qsizetype ancho, bool derecha) {
    return derecha ? s.rightJustified(ancho) : s.leftJustified(ancho);
}

}  // namespace

// ---------------------------------------------------------------- computing

DiaCalculado CalculaDia(const Peticion& peticion, sys_days dia) {
    const year_month_day f{dia};
    DatosCalculo datos;
    datos.Dia = unsigned(f.day());
    datos.Mes = unsigned(f.month());
    datos.Anio = int(f.year());
    datos.Fecha = f;
    datos.Latitud = peticion.latitud;
    datos.Longitud = peticion.longitud;
    datos.Zona = peticion.zona;
    DiaCalculado d{f, ModuloVespalba::BuscaEventos(datos), {}};
    d.pantalla = ComponeResultados(d.eventos);
    return d;
}

std::vector<DiaCalculado> CalculaDias(const Peticion& peticion) {
    std::vector<DiaCalculado> dias;
    dias.reserve(std::size_t((peticion.hasta - peticion.desde).count() + 1));
    for (sys_days d = peticion.desde; d <= peticion.hasta; d += days{1}) {
        dias.push_back(CalculaDia(peticion, d));
    }
    return dias;
}

// -------------------------------------------------------------------- text

QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    const std::vector<Columna> columnas = {
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
    const qsizetype n = qsizetype(columnas.size());
    const QString separador = QStringLiteral("  ");

    std::vector<std::vector<Celda>> filas;
    filas.reserve(dias.size());
    for (const DiaCalculado& d : dias) {
        filas.push_back(FilaTexto(d));
    }

    // Widths: the widest of the title and the cells; a group's title that is
    // wider than its columns widens the group's last column.
    std::vector<qsizetype> ancho(std::size_t(n), 0);
    for (qsizetype c = 0; c < n; ++c) {
        ancho[c] = columnas[c].titulo.size();
        for (const auto& f : filas) {
            ancho[c] = std::max(ancho[c], f[c].texto.size());
        }
    }
    // The group that starts at column c ends before column finDeGrupo(c)
    // and spans anchoDeGrupo(c, fin) characters, separators included.
    auto finDeGrupo = [&](qsizetype c) {
        qsizetype fin = c + 1;
        while (fin < n && columnas[fin].grupo == columnas[c].grupo) {
            ++fin;
        }
        return fin;
    };
    auto anchoDeGrupo = [&](qsizetype c, qsizetype fin) {
        qsizetype tramo = (fin - c - 1) * separador.size();
        for (qsizetype k = c; k < fin; ++k) {
            tramo += ancho[k];
        }
        return tramo;
    };
    for (qsizetype c = 0; c < n; c = finDeGrupo(c)) {
        const qsizetype fin = finDeGrupo(c);
        const qsizetype tramo = anchoDeGrupo(c, fin);
        if (columnas[c].grupo.size() > tramo) {
            ancho[fin - 1] += columnas[c].grupo.size() - tramo;
        }
    }

    auto terminaLinea = [](QString& linea, QString& salida) {
        while (linea.endsWith(QLatin1Char(' '))) {
            linea.chop(1);
        }
        salida += linea;
        salida += QLatin1Char('\n');
    };

    QString titulos;
    {
        QString linea;
        for (qsizetype c = 0; c < n; c = finDeGrupo(c)) {
            // The group's title, centred over its columns.
            const qsizetype fin = finDeGrupo(c);
            const qsizetype tramo = anchoDeGrupo(c, fin);
            const QString& g = columnas[c].grupo;
            const qsizetype izquierda = (tramo - g.size()) / 2;
            linea += QString(izquierda, QLatin1Char(' ')) + g.leftJustified(tramo - izquierda);
            if (fin < n) {
                linea += separador;
            }
        }
        terminaLinea(linea, titulos);
        linea.clear();
        for (qsizetype c = 0; c < n; ++c) {
            linea += Alinea(columnas[c].titulo, ancho[c], columnas[c].derecha);
            if (c + 1 < n) {
                linea += separador;
            }
        }
        terminaLinea(linea, titulos);
    }

    QString salida = Cabecera(peticion);
    std::optional<year_month> mesAnterior;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        const year_month mes{dias[i].fecha.year(), dias[i].fecha.month()};
        if (mes != mesAnterior) {
            salida += QLatin1Char('\n');
            salida += titulos;
            mesAnterior = mes;
        }
        QString linea;
        for (qsizetype c = 0; c < n; ++c) {
            const Celda& celda = filas[i][c];
            linea += celda.marco ? QString(ancho[c], sombra)
                                 : Alinea(celda.texto, ancho[c], columnas[c].derecha);
            if (c + 1 < n) {
                linea += separador;
            }
        }
        terminaLinea(linea, salida);
    }
    salida += QStringLiteral(
        "\nHoras locales de la zona, con los minutos truncados.\n"
        "No hay: no se pone.  Bajo horizonte: no sale.  ////: el crepúsculo no termina.  ");
    salida += QString(4, sombra);
    salida += QStringLiteral(": la aurora no llega.\n");
    return salida.toUtf8();
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

QByteArray CampoHora(bool hay, double hora) { return hay ? Decimal(hora) : QByteArray(); }

}  // namespace

QByteArray EscribeCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    QByteArrayList titulos = {"fecha", "latitud", "longitud", "zona", "Label1"};
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

    QByteArray salida = titulos.join(',') + "\r\n";
    const QByteArray lugar =
        Decimal(peticion.latitud) + ',' + Decimal(peticion.longitud) + ',' + Decimal(peticion.zona);
    for (const DiaCalculado& d : dias) {
        const PantallaResultados& p = d.pantalla;
        QByteArrayList campos;
        campos << FechaIso(d.fecha).toLatin1() << lugar;
        campos << CampoTexto(Bytes(p.Label1))
               << CampoTexto(QByteArray::fromStdString(p[Caja::OcasoLuna].texto));
        campos << CampoTexto(Bytes(p.Label8))
               << CampoTexto(QByteArray::fromStdString(p[Caja::OrtoLuna].texto));
        for (int i = static_cast<int>(Caja::Orto); i < NumCajas; ++i) {
            campos << CampoTexto(QByteArray::fromStdString(p.cajas[i].texto));
        }
        campos << CampoTexto(QByteArray::fromStdString(p.HorasLuz));
        campos << CampoTexto(p.TextInfoVisible ? Bytes(p.TextInfo) : QByteArray());
        campos << CampoTexto(CajasEnColorMarco(p).join(' ').toLatin1());
        for (ClaseEvento c : ModuloVespalba::Clases) {
            const EventoClase& e = d.eventos[c];
            campos << CampoHora(e.hayOrto, e.horaOrto) << CampoHora(e.hayOcaso, e.horaOcaso);
        }
        const std::optional<double> luz = HorasDeLuz(d.eventos);
        campos << (luz ? Decimal(*luz) : QByteArray());
        salida += campos.join(',') + "\r\n";
    }
    return salida;
}

// -------------------------------------------------------------------- JSON

namespace {

// Qt's JSON text of one value: strings escaped, numbers as shortest
// round-trip decimals.
QByteArray Json(const QJsonValue& v) {
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return a.sliced(1, a.size() - 2);  // without the array's brackets
}

// Encodes with Qt's JSON writer and remembers the encoding of every string:
// member names and display texts repeat on every line of a year.
class CodificadorJson {
public:
    const QByteArray& Cadena(std::string_view s) {
        auto [it, nueva] = cadenas_.try_emplace(std::string(s));
        if (nueva) {
            it->second = Json(QJsonValue(Texto(s)));
        }
        return it->second;
    }
    QByteArray Numero(double x) const { return Json(QJsonValue(x + 0.0)); }
    QByteArray HoraONulo(bool hay, double hora) const {
        return hay ? Numero(hora) : QByteArrayLiteral("null");
    }

private:
    std::unordered_map<std::string, QByteArray> cadenas_;
};

// A JSON object whose members keep the order in which they are added
// (QJsonObject would sort them by name).
class ObjetoJson {
public:
    explicit ObjetoJson(CodificadorJson& codificador) : codificador_(codificador) {}
    ObjetoJson& Agrega(std::string_view nombre, const QByteArray& valorJson) {
        texto_ += texto_.isEmpty() ? '{' : ',';
        texto_ += codificador_.Cadena(nombre);
        texto_ += ':';
        texto_ += valorJson;
        return *this;
    }
    QByteArray Cierra() const { return texto_.isEmpty() ? QByteArray("{}") : texto_ + '}'; }

private:
    CodificadorJson& codificador_;
    QByteArray texto_;
};

}  // namespace

QByteArray EscribeJson(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    CodificadorJson json;
    const QByteArray latitud = json.Numero(peticion.latitud);
    const QByteArray longitud = json.Numero(peticion.longitud);
    const QByteArray zona = json.Numero(peticion.zona);
    QByteArray salida;
    for (const DiaCalculado& d : dias) {
        ObjetoJson objClases(json);
        for (ClaseEvento c : ModuloVespalba::Clases) {
            const EventoClase& e = d.eventos[c];
            objClases.Agrega(ModuloVespalba::NombreClase(c),
                             ObjetoJson(json)
                                 .Agrega("estado", json.Cadena(NombreEstado(e.estado)))
                                 .Agrega("orto", json.HoraONulo(e.hayOrto, e.horaOrto))
                                 .Agrega("ocaso", json.HoraONulo(e.hayOcaso, e.horaOcaso))
                                 .Cierra());
        }
        const PantallaResultados& p = d.pantalla;
        ObjetoJson textos(json);
        for (const CajaResultado& c : p.cajas) {
            textos.Agrega(c.control, json.Cadena(c.texto));
        }
        textos.Agrega("Label1", json.Cadena(p.Label1))
            .Agrega("Label8", json.Cadena(p.Label8))
            .Agrega("HorasLuz", json.Cadena(p.HorasLuz))
            .Agrega("TextInfo",
                    p.TextInfoVisible ? json.Cadena(p.TextInfo) : QByteArrayLiteral("null"))
            .Agrega("ColorMarco", Json(QJsonArray::fromStringList(CajasEnColorMarco(p))));

        salida += ObjetoJson(json)
                      .Agrega("fecha", Json(QJsonValue(FechaIso(d.fecha))))
                      .Agrega("latitud", latitud)
                      .Agrega("longitud", longitud)
                      .Agrega("zona", zona)
                      .Agrega("clases", objClases.Cierra())
                      .Agrega("textos", textos.Cierra())
                      .Cierra();
        salida += '\n';
    }
    return salida;
}

// ----------------------------------------------------------------- dispatch

QByteArray Escribe(const Peticion& peticion) {
    const std::vector<DiaCalculado> dias = CalculaDias(peticion);
    return peticion.formato->escribe(peticion, dias);
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

}  // namespace Vespalba::Tabla

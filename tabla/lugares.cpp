// SPDX-License-Identifier: GPL-3.0-or-later
// The forty places and the gazetteer's towns as vespalba-tabla lists them.
#include <QString>

#include <algorithm>
#include <array>
#include <string_view>

#include "lugares/lectura.h"
#include "lugares/lugares.h"
#include "lugares/nombres.h"
#include "lugares/nomenclator.h"
#include "rechazos.h"
#include "salidas/salida.h"
#include "tabla/lugares.h"
#include "tabla/orden.h"

namespace Vespalba::Tabla {

using namespace Salidas;
using namespace Dias;

namespace {

QString Texto(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString Alinea(const QString& s, qsizetype ancho, bool derecha) {
    return derecha ? s.rightJustified(ancho) : s.leftJustified(ancho);
}

}  // namespace

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
            {}, UnaLinea(QStringLiteral("--buscar «%1»: %2; %3").arg(texto, problema, pista)), {}};
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
        // GeoNames gives no population for some places (seats of small
        // districts): left blank, as for the forty places.
        filas.push_back({t.nombre, t.region, t.pais, QString::number(t.latitud, 'f', 4),
                         QString::number(t.longitud, 'f', 4), t.zona,
                         t.habitantes > 0 ? QString::number(t.habitantes) : QString()});
    }
    const int total = int(deLaTabla.size()) + e.total;
    if (total == 0) {
        const QString pista = PistaDeLugar(texto);
        return rechazo(
            QStringLiteral("ningún lugar lo contiene, ni de los 40 de --lugares ni "
                           "del nomenclátor mundial%1")
                .arg(mundo->Aviso().isEmpty() ? QString()
                                              : QStringLiteral(" (%1)").arg(mundo->Aviso())),
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
    return {salida.toUtf8(),
            {},
            mundo->Aviso().isEmpty() ? QString()
                                     : UnaLinea(QStringLiteral("--buscar: ") + mundo->Aviso())};
}

// ------------------------------------------------------------------ places

namespace {

// Towns named in a list: "Nombre, País", or "Nombre, Región, País" for those
// whose name and country the list repeats.
QStringList NombresDistinguibles(const std::vector<Poblado>& poblados) {
    QStringList cortos;
    for (const Poblado& t : poblados) {
        cortos << QStringList{t.nombre, t.pais}.join(QStringLiteral(", "));
    }
    QStringList nombres;
    for (std::size_t k = 0; k < poblados.size(); ++k) {
        nombres << QStringLiteral("«%1»").arg(cortos.count(cortos[qsizetype(k)]) > 1
                                                  ? poblados[k].NombreCompleto()
                                                  : cortos[qsizetype(k)]);
    }
    return nombres;
}

// The close names of both sources, for a refusal: "parecidos: Valparaíso
// (vea --lugares); en el nomenclátor: «Valparaíso, Chile», ... (vea
// --buscar)". `delNomenclator` and `mas` (how many more towns there are)
// come from the caller. Empty when there are none.
QString Pista(const QString& nombre, const std::vector<Poblado>& delNomenclator, int mas) {
    QStringList deLaTabla;
    for (int j : LugaresParecidos(nombre)) {
        deLaTabla << NombreLugar(j).trimmed();
    }
    QStringList partes;
    if (!deLaTabla.isEmpty()) {
        partes << QStringLiteral("parecidos: %1 (vea --lugares)").arg(deLaTabla.join(", "));
    }
    if (!delNomenclator.empty()) {
        partes << QStringLiteral("%1: %2%3 (vea --buscar)")
                      .arg(deLaTabla.isEmpty() ? QStringLiteral("parecidos en el nomenclátor")
                                               : QStringLiteral("en el nomenclátor"),
                           NombresDistinguibles(delNomenclator).join(QStringLiteral(", ")),
                           mas > 0 ? QStringLiteral(" y %1 más").arg(mas) : QString());
    }
    return partes.join(QStringLiteral("; "));
}

// Close names listed in a refusal, from the gazetteer.
constexpr int MaximoParecidos = 8;

}  // namespace

QString PistaDeLugar(const QString& nombre) {
    const Nomenclator* mundo = Nomenclator::Mundial();
    return Pista(nombre, mundo ? mundo->Parecidos(nombre, MaximoParecidos) : std::vector<Poblado>{},
                 0);
}

QString LeeNombreDeLugar(const QString& nombre, Peticion& p, QString& aviso) {
    const QString opcion = QStringLiteral("--lugar");
    const LugarPorNombre hallado = BuscaPorNombre(nombre, MaximoParecidos);
    const Encontrados& e = hallado.encontrados;
    // Why the places of 1,000 people or more are missing, when they are.
    const QString sinPueblos = hallado.avisoNomenclator.isEmpty()
                                   ? QString()
                                   : QStringLiteral(" (%1)").arg(hallado.avisoNomenclator);
    switch (hallado.resultado) {
        case LugarPorNombre::Resultado::DeLaTabla: {
            const Lugar& l = Lugares[hallado.tabla];
            const Coordenadas c = CoordenadasDe(l);
            p.lugar = NombreLugar(hallado.tabla);
            p.latitud = c.latitud;
            p.longitud = -c.longitud + 0.0;  // west positive for the search
            p.zonaDelLugar = QString::fromUtf8(l.Zona.data(), qsizetype(l.Zona.size()));
            // The name alone, as the window's list shows it: a run at one of the
            // forty places prints what it printed before the gazetteer.
            p.nombreCompleto = p.lugar.trimmed();
            return {};
        }
        case LugarPorNombre::Resultado::SinNomenclator:
            return Rechazo(
                opcion, nombre, QStringLiteral("no es uno de los 40 lugares"),
                QStringLiteral("para buscarlo entre los pueblos y ciudades del mundo: ") +
                    hallado.motivo);
        case LugarPorNombre::Resultado::Desconocido: {
            const QString pista = PistaDeLugar(nombre);
            return Rechazo(opcion, nombre, QStringLiteral("lugar desconocido") + sinPueblos,
                           pista.isEmpty() ? rangoLugar : pista);
        }
        case LugarPorNombre::Resultado::Ambiguo:
            // Part of several names: which one was meant cannot be told.
            return Rechazo(opcion, nombre,
                           QStringLiteral("lugar ambiguo, %1 nombres del nomenclátor lo contienen")
                               .arg(e.total),
                           Pista(nombre, e.poblados, e.total - int(e.poblados.size())));
        case LugarPorNombre::Resultado::FueraDeRango: {
            const Poblado& t = e.poblados.front();
            return Rechazo(opcion, nombre,
                           QStringLiteral("%1 está a %2 grados de latitud: fuera de rango")
                               .arg(t.NombreCompleto(), QString::number(t.latitud, 'f', 2)),
                           rangoLat);
        }
        case LugarPorNombre::Resultado::DelNomenclator: break;
    }
    const Poblado& t = e.poblados.front();
    p.lugar = t.nombre;
    p.latitud = t.latitud + 0.0;
    p.longitud = -t.longitud + 0.0;  // west positive for the search
    p.zonaDelLugar = t.zona;
    p.nombreCompleto = t.NombreCompleto();
    if (e.total > 1) {
        aviso = QStringLiteral(
                    "--lugar «%1»: se usó %2 (%3 habitantes), el más poblado de los %4 con ese "
                    "nombre; hay %5 más (vea --buscar; elija con «Nombre, País» o «Nombre, "
                    "Región»)")
                    .arg(nombre, t.NombreCompleto(), QString::number(t.habitantes))
                    .arg(e.total)
                    .arg(e.total - 1);
    } else if (!e.completos) {
        aviso = QStringLiteral("--lugar «%1»: se usó %2, el único cuyo nombre lo contiene")
                    .arg(nombre, t.NombreCompleto());
    }
    if (!hallado.avisoNomenclator.isEmpty()) {
        aviso = (aviso.isEmpty() ? QStringLiteral("--lugar «%1»: ").arg(nombre)
                                 : aviso + QStringLiteral("; ")) +
                hallado.avisoNomenclator;
    }
    return {};
}

}  // namespace Vespalba::Tabla

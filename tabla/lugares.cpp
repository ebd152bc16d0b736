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

}  // namespace Vespalba::Tabla

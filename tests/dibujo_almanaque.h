// SPDX-License-Identifier: GPL-3.0-or-later
// An Almanaque filled from vespalba-tabla's real computation, for the tests,
// benchmarks and sample pictures of the drawings: the request read from a
// command line as the program reads it, its days computed by CalculaDias,
// and each day's classes, table cells and clock-change notes copied over the
// way the text table words them.
#pragma once

#include <QStringList>

#include <cmath>
#include <stdexcept>

#include "dibujo/almanaque.h"
#include "places/zonas.h"
#include "tools/tabla/orden.h"
#include "tools/tabla/salida.h"

namespace Vespalba::Pruebas {

// The request of a vespalba-tabla command line ("--lat", "70", ...);
// throws on a line the program refuses.
inline Tabla::Peticion PeticionDe(const QStringList& argumentos) {
    const Tabla::Orden orden =
        Tabla::LeeOrden(QStringList{QStringLiteral("vespalba-tabla")} + argumentos, 0);
    if (orden.accion != Tabla::Accion::Calcular) {
        throw std::invalid_argument(orden.mensaje.toStdString());
    }
    return orden.peticion;
}

inline QString FechaIso(std::chrono::year_month_day f) {
    return QStringLiteral("%1-%2-%3")
        .arg(int(f.year()), 4, 10, QLatin1Char('0'))
        .arg(unsigned(f.month()), 2, 10, QLatin1Char('0'))
        .arg(unsigned(f.day()), 2, 10, QLatin1Char('0'));
}

// "33° 16' S" as the text table writes an angle (whole minutes here).
inline QString GradosMinutos(double angulo, QChar positivo, QChar negativo) {
    const long minutos = std::lround(std::fabs(angulo) * 60.0);
    return QStringLiteral("%1° %2' %3")
        .arg(minutos / 60)
        .arg(minutos % 60)
        .arg(angulo < 0 ? negativo : positivo);
}

// A moon box as the text table's cell: "Orto 10: 15", "Ocaso No hay".
inline QString CeldaLuna(std::string_view caption, const std::string& texto) {
    if (texto.empty()) return {};
    QString evento = QString::fromUtf8(caption.data(), qsizetype(caption.size()));
    evento.chop(int(sizeof(" Luna")) - 1);
    const QString t = QString::fromStdString(texto);
    return evento + (t.startsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ")) + t;
}

inline Dibujo::Almanaque AlmanaqueDe(const Tabla::Peticion& peticion,
                                     const std::vector<Tabla::DiaCalculado>& dias) {
    using Dibujo::Columna;
    Dibujo::Almanaque a;
    const bool conZona = !peticion.zonaHoraria.isEmpty();
    a.titulo.lugar =
        peticion.nombreCompleto.isEmpty() ? peticion.lugar.trimmed() : peticion.nombreCompleto;
    a.titulo.coordenadas = GradosMinutos(peticion.latitud, QLatin1Char('N'), QLatin1Char('S')) +
                           QStringLiteral(", ") +
                           GradosMinutos(-peticion.longitud, QLatin1Char('E'), QLatin1Char('W'));
    a.titulo.zona = conZona ? peticion.zonaHoraria
                            : (peticion.zona > 0 ? QStringLiteral("+") : QString()) +
                                  QString::number(peticion.zona) + QStringLiteral(" h");
    a.columnas = {
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
    if (conZona) {
        a.columnas.insert(a.columnas.begin() + 1, {QString(), QStringLiteral("Desfase"), false});
    }
    for (const Tabla::DiaCalculado& d : dias) {
        Dibujo::Dia dia;
        dia.fecha = d.fecha;
        dia.existe = d.existe;
        dia.desfase = d.desfase;
        const QString desfase = TextoDesfase(d.desfase);
        if (d.existe && !a.titulo.desfases.contains(desfase)) a.titulo.desfases << desfase;
        for (int c = 0; c < Dibujo::NumClases; ++c) {
            const ModuloVespalba::EventoClase& e = d.eventos.clases[std::size_t(c)];
            Dibujo::ClaseDia& clase = dia.clases[std::size_t(c)];
            clase.estado =
                e.estado == ModuloVespalba::EstadoClase::SiempreSobre ? Dibujo::Estado::SiempreSobre
                : e.estado == ModuloVespalba::EstadoClase::SiempreBajo ? Dibujo::Estado::SiempreBajo
                                                                       : Dibujo::Estado::ConEventos;
            if (e.hayOrto) clase.orto = e.horaOrto;
            if (e.hayOcaso) clase.ocaso = e.horaOcaso;
        }
        dia.celdas.push_back({FechaIso(d.fecha)});
        const PantallaResultados& p = d.pantalla;
        if (!d.existe) {
            dia.celdas.resize(a.columnas.size() - 1);
            dia.celdas.push_back({QStringLiteral("no existe en %1: el reloj salta este día")
                                      .arg(peticion.zonaHoraria)});
        } else {
            if (conZona) {
                dia.celdas.push_back(
                    {desfase + (d.cambios.isEmpty() ? QString() : QStringLiteral("*"))});
            }
            dia.celdas.push_back({CeldaLuna(p.Label1, p[Caja::OcasoLuna].texto)});
            dia.celdas.push_back({CeldaLuna(p.Label8, p[Caja::OrtoLuna].texto)});
            for (int c = static_cast<int>(Caja::Orto); c < NumCajas; ++c) {
                dia.celdas.push_back({QString::fromStdString(p.cajas[std::size_t(c)].texto),
                                      p.cajas[std::size_t(c)].colorMarco});
            }
            dia.celdas.push_back({QString::fromStdString(p.HorasLuz)});
            dia.celdas.push_back(
                {p.TextInfoVisible
                     ? QString::fromUtf8(p.TextInfo.data(), qsizetype(p.TextInfo.size()))
                     : QString()});
        }
        for (const QString& cambio : d.cambios) {
            dia.cambios << QStringLiteral("* %1 cambio de hora: %2").arg(FechaIso(d.fecha), cambio);
        }
        a.dias.push_back(std::move(dia));
    }
    return a;
}

// The Almanaque of a command line.
inline Dibujo::Almanaque AlmanaqueDe(const QStringList& argumentos) {
    const Tabla::Peticion peticion = PeticionDe(argumentos);
    return AlmanaqueDe(peticion, Tabla::CalculaDias(peticion));
}

}  // namespace Vespalba::Pruebas

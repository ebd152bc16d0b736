// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's CSV (RFC 4180).
#include <QByteArrayList>
#include <QString>

#include <string>
#include <string_view>

#include "dias/celdas.h"
#include "escritura.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {

using namespace std::chrono;
using Vespalba::ModuloVespalba::ClaseEvento;
using Vespalba::ModuloVespalba::EstadoClase;
using Vespalba::ModuloVespalba::EventoClase;

namespace {

QByteArray Bytes(std::string_view s) { return QByteArray(s.data(), qsizetype(s.size())); }

}  // namespace

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
    // The golden and blue hours' boundaries, each as the events are: the
    // wall-clock hours, the offset and the instant.
    for (const Dias::DefinicionLimiteLuz& l : Dias::LimitesLuz) {
        const QByteArray nombre(l.nombre);
        titulos << nombre << nombre + "_desfase" << nombre + "_instante";
    }

    return titulos;
}

// One row per day, of `columnas` fields.
QByteArray FilasCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias,
                    qsizetype columnas) {
    QByteArray texto;
    Escritura salida(texto, qsizetype(dias.size()) * 1280);  // a row is about 1050 bytes
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
        for (const Dias::DefinicionLimiteLuz& l : Dias::LimitesLuz) {
            salida += ',';
            const EventoClase* e =
                d.luzEspecial ? &d.luzEspecial->cruces[std::size_t(l.umbral)] : nullptr;
            const bool sube = l.direccion == 0;
            if (e && (sube ? e->hayOrto : e->hayOcaso)) {
                const Instante& t =
                    d.luzEspecial->instantes[std::size_t(l.umbral)][std::size_t(l.direccion)];
                salida.Decimal(sube ? e->horaOrto : e->horaOcaso);
                salida += ',';
                salida += desfases.Horas(t.desfase);
                salida += ',';
                AgregaInstante(salida, t.segundos, t.desfase, desfases);
            } else {
                salida += ",,";
            }
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

}  // namespace Vespalba::Salidas

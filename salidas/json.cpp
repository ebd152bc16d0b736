// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's JSON Lines.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dias/celdas.h"
#include "escritura.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {

using namespace std::chrono;
using Vespalba::ModuloVespalba::ClaseEvento;
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
    Escritura salida(texto, qsizetype(dias.size()) * 2560);  // a day is about 2200 bytes
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
            for (const Dias::DefinicionLimiteLuz& l : Dias::LimitesLuz) {
                json.Miembro(l.nombre);
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
        // The golden and blue hours' boundaries, each as solar noon is
        // written: its wall-clock hours, offset and instant, or null.
        for (const Dias::DefinicionLimiteLuz& l : Dias::LimitesLuz) {
            json.Miembro(l.nombre);
            const EventoClase* e =
                d.luzEspecial ? &d.luzEspecial->cruces[std::size_t(l.umbral)] : nullptr;
            const bool sube = l.direccion == 0;
            if (!e || !(sube ? e->hayOrto : e->hayOcaso)) {
                json.Nulo();
                continue;
            }
            const Instante& t =
                d.luzEspecial->instantes[std::size_t(l.umbral)][std::size_t(l.direccion)];
            json.AbreObjeto();
            json.Miembro("hora");
            json.Numero(sube ? e->horaOrto : e->horaOcaso);
            json.Miembro("desfase");
            salida += desfases.Horas(t.desfase);
            json.Miembro("instante");
            instante(t);
            json.CierraObjeto();
        }
        json.CierraObjeto();
        salida += '\n';
    }
    return salida.Termina();
}

bool EscribeJsonPorBloques(const Peticion& peticion, const Bloques& bloques,
                           const Sumidero& sumidero) {
    return bloques.EnOrden(
        [&](const std::vector<DiaCalculado>& dias) { return EscribeJson(peticion, dias); },
        sumidero);
}

}  // namespace Vespalba::Salidas

// SPDX-License-Identifier: GPL-3.0-or-later
#include "salidas/dibujo.h"

#include "dibujo/grafico.h"
#include "dibujo/paginas.h"

namespace Vespalba::Salidas {

// The limits the option reading checks are the drawing library's own.
static_assert(DiasMinimosGrafico == Dibujo::DiasMinimosGrafico);
static_assert(TamanoMinimo == Dibujo::TamanoMinimo);
static_assert(TamanoMaximo == Dibujo::TamanoMaximo);
static_assert(TamanoPorDefecto == Dibujo::TamanoPorDefecto);
static_assert(int(Dibujo::NumClases) == int(ModuloVespalba::NumClases));
static_assert(Dibujo::NumUmbralesLuz == Dias::NumUmbralesLuz);

namespace {

Dibujo::Estado EstadoDe(ModuloVespalba::EstadoClase e) {
    switch (e) {
        case ModuloVespalba::EstadoClase::SiempreSobre: return Dibujo::Estado::SiempreSobre;
        case ModuloVespalba::EstadoClase::SiempreBajo: return Dibujo::Estado::SiempreBajo;
        case ModuloVespalba::EstadoClase::ConEventos: break;
    }
    return Dibujo::Estado::ConEventos;
}

}  // namespace

Dibujo::OpcionesDocumento DocumentoDe(const Peticion& peticion, const QString& programa) {
    Dibujo::OpcionesDocumento documento;
    documento.papel = peticion.papel == Papel::Carta ? Dibujo::Papel::Carta : Dibujo::Papel::A4;
    documento.grafico = ConGraficoDelAnio(peticion);
    documento.luna = peticion.luna;
    documento.dorada = peticion.dorada;
    documento.programa = programa;
    documento.metodo = QStringLiteral(
        "Horas locales de la zona, con los minutos truncados (el mediodía, paso del Sol "
        "por el meridiano, con los segundos), calculadas con series de baja precisión "
        "del Sol y de la Luna.");
    // The abbreviated titles and the almanac's columns, after the marks.
    for (const Explicacion& e : ExplicacionDeColumnas(peticion)) {
        documento.marcas.push_back({e.marca, false, e.significado});
    }
    return documento;
}

Dibujo::Almanaque AlmanaqueDe(const Peticion& peticion, const std::vector<DiaCalculado>& dias) {
    Dibujo::Almanaque a;
    Encabezado e = EncabezadoDe(peticion, dias);
    a.titulo = {std::move(e.lugar), std::move(e.coordenadas), std::move(e.zona),
                std::move(e.desfases)};
    for (const Columna& c : Columnas(peticion)) {
        a.columnas.push_back({c.grupo, c.titulo, c.derecha});
    }
    a.dias.reserve(dias.size());
    for (const DiaCalculado& d : dias) {
        Dibujo::Dia dia;
        dia.fecha = d.fecha;
        dia.existe = d.existe;
        dia.desfase = d.desfase;
        for (std::size_t c = 0; c < dia.clases.size(); ++c) {
            const ModuloVespalba::EventoClase& evento = d.eventos.clases[c];
            Dibujo::ClaseDia& clase = dia.clases[c];
            clase.estado = EstadoDe(evento.estado);
            if (evento.hayOrto) clase.orto = evento.horaOrto;
            if (evento.hayOcaso) clase.ocaso = evento.horaOcaso;
        }
        if (d.luzEspecial) {
            std::array<Dibujo::ClaseDia, Dibujo::NumUmbralesLuz> luz;
            for (std::size_t u = 0; u < luz.size(); ++u) {
                const ModuloVespalba::EventoClase& e = d.luzEspecial->cruces[u];
                luz[u].estado = EstadoDe(e.estado);
                if (e.hayOrto) luz[u].orto = e.horaOrto;
                if (e.hayOcaso) luz[u].ocaso = e.horaOcaso;
            }
            dia.luz = luz;
        }
        for (Celda& celda : FilaTexto(peticion, d)) {
            dia.celdas.push_back({std::move(celda.texto), celda.marco});
        }
        dia.cambios = NotasDeCambio(d);
        a.dias.push_back(std::move(dia));
    }
    return a;
}

bool Dibuja(const Peticion& peticion, const std::vector<DiaCalculado>& dias, QIODevice& salida,
            const QString& programa, const std::function<bool(int, int)>& progreso) {
    const Dibujo::Almanaque almanaque = AlmanaqueDe(peticion, dias);
    Dibujo::OpcionesGrafico grafico;
    grafico.luna = peticion.luna;
    grafico.dorada = peticion.dorada;
    switch (peticion.formato->lamina) {
        case Lamina::Paginas:
            return Dibujo::EscribePdf(salida, almanaque, DocumentoDe(peticion, programa), progreso);
        case Lamina::Vectorial:
            return Dibujo::EscribeSvg(salida, almanaque, peticion.tamano, grafico);
        case Lamina::Imagen: return Dibujo::EscribePng(salida, almanaque, peticion.tamano, grafico);
        case Lamina::Ninguna: break;
    }
    return false;
}

}  // namespace Vespalba::Salidas

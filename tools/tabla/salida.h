// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's computation and its three printed forms: an aligned text
// table, CSV (RFC 4180) and JSON Lines. Every time and mark comes from the
// same display rules as the window's result area.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTimeZone>

#include <array>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <type_traits>
#include <vector>

#include "astro/almanaque.h"
#include "astro/eventos.h"
#include "places/zonas.h"
#include "results/resultados.h"
#include "tools/tabla/orden.h"

namespace Vespalba::Tabla {

// The shortest decimal text that reads back as the same double, in the 'g'
// form, byte for byte as QByteArray::number(x, 'g',
// QLocale::FloatingPointShortest) writes it (Qt's JSON writer's numbers);
// -0 is written as 0. The CSV and JSON rows' numbers. Below 1e15 in
// magnitude it is the standard library's shortest form, the same text
// without Qt's temporary array; above it the two part ways (Qt writes
// 98393908422337330 where the library writes ...328), and Qt writes it.
QByteArray Decimal(double x);

// When an event happened: its instant and the offset in force then.
struct Instante {
    qint64 segundos = 0;  // seconds since 1970-01-01 00:00 UT, truncated
    int desfase = 0;      // offset east of universal time in force, seconds
};

// The Moon's principal phase on a civil day.
struct FaseDelDia {
    ModuloVespalba::FaseLunar fase = ModuloVespalba::FaseLunar::LunaNueva;
    double hora = 0.0;  // wall-clock hours after the date's 0 h, as the events'
    Instante instante;
    double fraccion = 0.0;  // the Moon's illuminated fraction at that instant, 0 to 1
};

// The almanac's other quantities of a civil day.
struct AlmanaqueDia {
    // Solar noon, the Sun's upper meridian passage in the civil day (the
    // first of two on a day that holds two); none only where the civil time
    // is about 12 hours from the local solar time.
    std::optional<double> horaMediodia;  // wall-clock hours, as the events'
    Instante mediodia;
    double alturaMediodia = 0.0;  // the Sun's centre then, degrees, geometric
    // Daylight less the previous civil day's, seconds, truncated toward
    // zero; none when either day lacks its sunrise or its sunset.
    std::optional<qint64> cambioLuz;
    // The Moon at 12:00 on the day's clock: illuminated fraction 0 to 1,
    // whether it waxes, and the name of the day's phase.
    double fraccionLuna = 0.0;
    bool lunaCreciente = false;
    ModuloVespalba::EtapaLunar etapa = ModuloVespalba::EtapaLunar::LunaNueva;
    // The principal phase whose instant falls on the day, if one does.
    std::optional<FaseDelDia> fase;
};

// The Moon's illuminated fraction, 0 to 1, as a whole percentage: rounded
// to the nearest, 0 to 100.
int Porcentaje(double fraccion);

// Spanish name of a stage of the Moon ("Gibosa creciente") and of a
// principal phase ("Luna llena").
QString TextoEtapa(ModuloVespalba::EtapaLunar etapa);
QString TextoFase(ModuloVespalba::FaseLunar fase);

// The text table's abbreviation of a stage: LN luna nueva, Cre creciente,
// CC cuarto creciente, GC gibosa creciente, LL luna llena, GM gibosa
// menguante, CM cuarto menguante, Men menguante.
QString AbreviaturaEtapa(ModuloVespalba::EtapaLunar etapa);

// One computed civil day: the search's result in wall-clock hours and what
// the window would show.
struct DiaCalculado {
    std::chrono::year_month_day fecha;
    // Wall-clock hours of the events, hours after the date's 0 h as the
    // clock in force at each event reads it, [0, 24]; on a day without a
    // clock change exactly the search's local hours.
    ModuloVespalba::EventosDia eventos;
    PantallaResultados pantalla;
    // False when the zone skips the date (Pacific/Apia 2011-12-30): no
    // events, an empty pantalla.
    bool existe = true;
    int desfase = 0;  // offset in force when the day starts, seconds east of UT
    // Per class (indexed as EventosDia::clases) the instant of the rise [0]
    // and of the set [1]; meaningful where the event's flag is set.
    std::array<std::array<Instante, 2>, ModuloVespalba::NumClases> instantes{};
    // Hours of daylight: the time elapsed from sunrise to sunset (also across
    // a clock change), 24 when the Sun stays up, 0 when it stays down.
    std::optional<double> horasLuz;
    // The clock changes of the day, "00:00 → 01:00, -04 → -03".
    QStringList cambios;
    // Solar noon, the change of daylight and the Moon's phase; meaningful
    // where existe.
    AlmanaqueDia almanaque;
};

// The search and the display rules for one day of the request. `zona` is
// the request's IANA zone already made (CalculaDias makes it once); none
// makes it from peticion.zonaHoraria. `desfases`, the zone's offsets over
// the request's dates, spares most days the exact description of the civil
// day; the results are the same without it. `fases`, the principal phases
// from at least ten days before the day to ten days after it, spares the
// day their search. The day's almanaque.cambioLuz needs the previous day:
// CalculaDias fills it, CalculaDia leaves it empty.
DiaCalculado CalculaDia(const Peticion& peticion, std::chrono::sys_days dia,
                        const QTimeZone* zona = nullptr, const DesfasesZona* desfases = nullptr,
                        std::span<const ModuloVespalba::FasePrincipal> fases = {});

// Every day of the request, from desde to hasta.
std::vector<DiaCalculado> CalculaDias(const Peticion& peticion);

// The days from desde to hasta (none when hasta is before desde), at the
// request's place and zone. The day before desde is computed too, for the
// first day's change of daylight, even outside the years a request may ask.
std::vector<DiaCalculado> CalculaDias(const Peticion& peticion, std::chrono::sys_days desde,
                                      std::chrono::sys_days hasta);

// A column of the text table (and of the printed month pages).
struct Columna {
    QString grupo;   // title shared with the neighbouring columns of the same group
    QString titulo;  // the column's own title
    bool derecha;    // aligned to the right (times and marks)
};

// A cell of a day's row.
struct Celda {
    QString texto;
    bool marco = false;  // a dawn box in the frame colour: filled with shading
};

// The parts of the text table's header: the place's name ("Valparaíso",
// "Puerto Montt, Región de Los Lagos, Chile"; empty for coordinates), its
// coordinates ("33° 16' S, 71° 36' W"), the zone ("America/Santiago", or a
// fixed offset "-4 h") and the offsets in force during the days, in order of
// first use ({"-04", "-03"}).
struct Encabezado {
    QString lugar;
    QString coordenadas;
    QString zona;
    QStringList desfases;
};
Encabezado EncabezadoDe(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// The day's clock changes as the text table explains them under its rows,
// one line each: "* 2023-09-03 cambio de hora: 00:00 → 01:00, -04 → -03".
QStringList NotasDeCambio(const DiaCalculado& d);

// The text table's columns for the request, in order; with a zone name, the
// offset's after the date.
std::vector<Columna> Columnas(const Peticion& peticion);

// What the abbreviated titles and the almanac's columns mean, for the
// legend under the text table and on the printed pages: "Luz ±", "las horas
// de luz menos las del día anterior"; each abbreviation of the Moon's phase;
// with a zone name, "Desf.".
struct Explicacion {
    QString marca;
    QString significado;
};
std::vector<Explicacion> ExplicacionDeColumnas(const Peticion& peticion);

// A day's row of the text table, one cell for each of Columnas(peticion):
// the texts exactly as the table prints them, unpadded.
std::vector<Celda> FilaTexto(const Peticion& peticion, const DiaCalculado& d);

// The aligned table: a header with the place, coordinates and zone; one row
// per day (date, the two moon events in the window's order with their names,
// the eight Sun and twilight times, the daylight and the status sentence);
// the column titles again at each new month; a legend of the marks. UTF-8.
QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// RFC 4180: one title row and one row per day, CRLF line ends. Texts as the
// window shows them, quoted; times also as decimal hours (empty when the
// event was not found); latitude north positive, longitude WEST positive.
QByteArray EscribeCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// JSON Lines: one object per day, members in this order:
//   {"fecha":"2003-07-02","latitud":-33.266666666666666,"longitud":71.6,
//    "zona":-4,"clases":{"luna":{"estado":..,"orto":H|null,"ocaso":H|null},
//    "sol":{..},"civil":{..},"nautico":{..},"astronomico":{..}},
//    "textos":{<the ten boxes>,"Label1":..,"Label8":..,"HorasLuz":..,
//    "TextInfo":..|null,"ColorMarco":[..]}}
// Hours are shortest round-trip decimals; longitud is west positive.
QByteArray EscribeJson(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// How a request is computed: a short one whole on the calling thread; a
// longer one in blocks of consecutive days, computed on several threads and
// written in date order, so that only the blocks in flight are ever held.
struct Reparto {
    // Requests of at most this many days are computed whole on the calling
    // thread.
    int diasEnUnHilo = 120;
    // Threads computing blocks at once; 0 for the cores this process may
    // run on.
    int hilos = 0;
    // Days in a block; 0 chooses about a quarter of a thread's share, between
    // 16 and 512 days.
    int diasPorBloque = 0;
};

// A request's days split into blocks of consecutive days.
class Bloques {
public:
    Bloques(const Peticion& peticion, const Reparto& reparto);

    // Computes the blocks' days on `hilos` threads, up to `hilos` blocks at
    // once, each thread running produce(dias) on its block's days (moved
    // in), and hands the products to consume on the calling thread in date
    // order, each as soon as it and those before it are done: besides the
    // one consume holds, at most 2 * `hilos` products exist at a time. Once
    // consume has returned false, it gets nothing more and the threads start
    // no further block; returns that. An exception thrown by produce stops
    // the threads and is thrown again here.
    template <class Produce, class Consume>
    bool EnOrden(Produce&& produce, Consume&& consume) const;

    // Days in all the blocks.
    long long Dias() const { return dias_; }

private:
    std::vector<DiaCalculado> DiasDelBloque(int bloque) const;

    const Peticion& peticion_;
    int hilos_;
    long long dias_;
    long long porBloque_;
    int cuantos_;
};

// The formats' writers block by block (see FormatoSalida::escribePorBloques).
// The text table's column widths and the offsets named in its header depend
// on every day, so a first pass finds them; a range of a few years keeps
// its days for the rows (about a kilobyte each), a longer one is computed
// again block by block.
bool EscribeTextoPorBloques(const Peticion& peticion, const Bloques& bloques,
                            const Sumidero& sumidero);
bool EscribeCsvPorBloques(const Peticion& peticion, const Bloques& bloques,
                          const Sumidero& sumidero);
bool EscribeJsonPorBloques(const Peticion& peticion, const Bloques& bloques,
                           const Sumidero& sumidero);

// The request computed and written in its format, piece by piece, as
// Reparto says. The bytes are those of the format's writer over all the
// days, whatever the split. Returns false when the sink refused a piece.
bool EscribePorPartes(const Peticion& peticion, const Sumidero& sumidero,
                      const Reparto& reparto = {});

// The same, gathered into one array.
QByteArray Escribe(const Peticion& peticion, const Reparto& reparto = {});

// The forty places with their coordinates, one per line, for --lugares.
QByteArray ListaDeLugares();

// Most lines of places --buscar prints.
inline constexpr int MaximoBuscados = 20;

// --buscar: the places whose names contain the text (see
// LugaresQueContienen and Nomenclator::BuscaTexto), the forty places first,
// as an aligned table of name, region, country, latitude and longitude
// (decimal degrees, north and east positive), zone and people; at most
// MaximoBuscados lines of places, then a line saying how many more there
// are. UTF-8. When nothing matches, or the gazetteer cannot be opened, no
// text but the one-line reason in `problema`.
struct Busqueda {
    QByteArray salida;
    QString problema;
};
Busqueda BuscaLugares(const QString& texto);

template <class Produce, class Consume>
bool Bloques::EnOrden(Produce&& produce, Consume&& consume) const {
    using Producto = std::invoke_result_t<Produce&, std::vector<DiaCalculado>>;
    // hilos_ threads made once take the blocks in date order, each the next
    // one as soon as it is free (a thread made for each block would start
    // only when this thread is back from consume, and making it costs tens
    // of microseconds); the products wait in their slots until consume
    // takes them in order. A thread may run up to 2 * hilos_ blocks ahead
    // of the oldest one not yet taken: with only hilos_, a thread done
    // before the one computing the oldest block would sit idle until that
    // block is taken (the first blocks, on cold caches, take longest).
    std::vector<std::optional<Producto>> hechos(static_cast<std::size_t>(cuantos_));
    std::exception_ptr fallo;  // the first failed block's exception
    int fallido = cuantos_;    // that block
    std::mutex candado;
    std::condition_variable aviso;
    int siguiente = 0;   // the next block to start
    int consumidos = 0;  // blocks handed to consume
    bool parar = false;  // consume refused, or a block failed
    const auto trabaja = [&] {
        for (;;) {
            int b = 0;
            {
                std::unique_lock<std::mutex> l(candado);
                aviso.wait(l, [&] {
                    return parar || siguiente >= cuantos_ || siguiente < consumidos + 2 * hilos_;
                });
                if (parar || siguiente >= cuantos_) return;
                b = siguiente++;
            }
            std::optional<Producto> p;
            std::exception_ptr error;
            try {
                p.emplace(produce(DiasDelBloque(b)));
            } catch (...) {
                error = std::current_exception();
            }
            {
                const std::lock_guard<std::mutex> l(candado);
                if (error) {
                    // The blocks before it were all started: they finish
                    // and are handed over; no block starts any more.
                    if (b < fallido) {
                        fallo = error;
                        fallido = b;
                    }
                    parar = true;
                } else {
                    hechos[std::size_t(b)] = std::move(p);
                }
            }
            aviso.notify_all();
        }
    };
    std::vector<std::thread> hilos;
    hilos.reserve(std::size_t(std::min(hilos_, cuantos_)));
    const auto detiene = [&] {
        {
            const std::lock_guard<std::mutex> l(candado);
            parar = true;
        }
        aviso.notify_all();
        for (std::thread& h : hilos) h.join();
    };
    try {
        for (int i = 0; i < std::min(hilos_, cuantos_); ++i) {
            hilos.emplace_back(trabaja);
        }
    } catch (...) {
        detiene();  // the system would not make another thread
        throw;
    }
    bool seguir = true;
    for (int b = 0; b < cuantos_ && seguir; ++b) {
        std::optional<Producto> p;
        {
            std::unique_lock<std::mutex> l(candado);
            aviso.wait(l, [&] { return b >= fallido || hechos[std::size_t(b)].has_value(); });
            if (b >= fallido) break;
            p = std::move(hechos[std::size_t(b)]);
            hechos[std::size_t(b)].reset();
            ++consumidos;
        }
        aviso.notify_all();
        seguir = consume(std::move(*p));
    }
    // After a refusal, the blocks in flight are finished and dropped.
    detiene();
    if (seguir && fallo) std::rethrow_exception(fallo);
    return seguir;
}

}  // namespace Vespalba::Tabla

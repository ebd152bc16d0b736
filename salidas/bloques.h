// SPDX-License-Identifier: GPL-3.0-or-later
// A long request's days computed in blocks of consecutive days on several
// threads, and handed over in date order, so that only the blocks in
// flight are ever held.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#include "dias/consulta.h"
#include "dias/dias.h"

namespace Vespalba::Salidas {

using Dias::DiaCalculado;

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
    Bloques(const Dias::Consulta& consulta, const Reparto& reparto);

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

    const Dias::Consulta& consulta_;
    int hilos_;
    long long dias_;
    long long porBloque_;
    int cuantos_;
};

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

}  // namespace Vespalba::Salidas

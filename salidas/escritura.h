// SPDX-License-Identifier: GPL-3.0-or-later
// What the CSV and JSON writers share: bytes appended through a pointer,
// numbers as their shortest decimals, dates and instants written directly.
// Private to vespalba-tabla's writers.
#pragma once

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lugares/zonas.h"

namespace Vespalba::Salidas {

// Decimal's text of x in `texto`; returns its length.
std::size_t TextoDecimal(double x, char (&texto)[32]);

// Bytes appended to a QByteArray through a pointer: each piece is a
// capacity check and a copy, both inline, where the array's own appends
// are calls into Qt (a year of JSON has some hundred thousand pieces). The
// array is sized ahead (Qt leaves the new bytes as they are, so no page is
// touched before it is written) and cut to what was written by Termina.
class Escritura {
public:
    // Writes after what `destino` holds, with room made for `previstos`
    // bytes at once.
    Escritura(QByteArray& destino, qsizetype previstos) : destino_(destino) {
        const qsizetype escrito = destino_.size();
        destino_.resize(escrito + previstos);
        pos_ = destino_.data() + escrito;
        fin_ = destino_.data() + destino_.size();
    }
    Escritura(const Escritura&) = delete;
    Escritura& operator=(const Escritura&) = delete;
    ~Escritura() { Termina(); }

    [[gnu::always_inline]] Escritura& operator+=(char c) {
        Hueco(1);
        *pos_++ = c;
        return *this;
    }
    [[gnu::always_inline]] Escritura& operator+=(std::string_view s) {
        append(s.data(), s.size());
        return *this;
    }
    [[gnu::always_inline]] void append(const char* datos, std::size_t n) {
        if (n == 0) return;  // an empty view may have no data pointer at all
        Hueco(n);
        std::memcpy(pos_, datos, n);
        pos_ += n;
    }
    void append(std::size_t n, char c) {
        if (n == 0) return;
        Hueco(n);
        std::memset(pos_, c, n);
        pos_ += n;
    }
    void append(const QByteArray& bytes) { append(bytes.constData(), std::size_t(bytes.size())); }
    void Decimal(double x) {
        char texto[32];
        append(texto, TextoDecimal(x, texto));
    }
    // The array cut to what it held and what was written.
    QByteArray& Termina() {
        if (pos_ != nullptr) {
            destino_.resize(pos_ - destino_.constData());
            pos_ = fin_ = nullptr;
        }
        return destino_;
    }

private:
    // Room for n more bytes at pos_.
    [[gnu::always_inline]] void Hueco(std::size_t n) {
        if (std::size_t(fin_ - pos_) < n) [[unlikely]] {
            Agranda(n);
        }
    }
    [[gnu::noinline]] void Agranda(std::size_t n) {
        const qsizetype escrito = pos_ == nullptr ? destino_.size() : pos_ - destino_.constData();
        destino_.resize(std::max(2 * destino_.size(), escrito + qsizetype(n) + 4096));
        pos_ = destino_.data() + escrito;
        fin_ = destino_.data() + destino_.size();
    }

    QByteArray& destino_;
    char* pos_;  // where the next byte goes
    char* fin_;  // the end of the room made
};

// "2003-07-02", as FechaIso writes it.
void AgregaFecha(Escritura& salida, std::chrono::year_month_day f);

// The texts of the few offsets a request meets, made once each: in hours as
// Decimal writes them ("-4", "5.75") and as ISO 8601 ends an instant
// ("-04:00").
class TextosDesfase {
public:
    const std::string& Horas(int desfase) {
        return Busca(horas_, desfase, [](int d) {
            char texto[32];
            return std::string(texto, TextoDecimal(d / 3600.0, texto));
        });
    }
    const std::string& Iso(int desfase) {
        return Busca(iso_, desfase, [](int d) { return TextoDesfaseIso(d).toStdString(); });
    }

private:
    using Tabla = std::vector<std::pair<int, std::string>>;
    template <class Hace>
    static const std::string& Busca(Tabla& tabla, int desfase, Hace hace) {
        for (const auto& [d, texto] : tabla) {
            if (d == desfase) return texto;
        }
        tabla.emplace_back(desfase, hace(desfase));
        return tabla.back().second;
    }
    Tabla horas_, iso_;
};

// "2003-07-02T10:15:59-04:00": the instant on the clock of offset `desfase`,
// as InstanteIso writes it.
void AgregaInstante(Escritura& salida, qint64 segundos, int desfase, TextosDesfase& textos);

}  // namespace Vespalba::Salidas

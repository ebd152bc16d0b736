// SPDX-License-Identifier: GPL-3.0-or-later
#include "escritura.h"

#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>

#include "dias/celdas.h"

namespace Vespalba::Salidas {

using namespace std::chrono;

// Decimal's text of x in `texto`; returns its length.
std::size_t TextoDecimal(double x, char (&texto)[32]) {
    x += 0.0;  // -0 as 0
    if (std::fabs(x) < 1e15) {
        // At most 24 characters: sign, 17 digits, point, "e-308".
        return std::size_t(std::to_chars(texto, texto + sizeof texto, x).ptr - texto);
    }
    const QByteArray qt = QByteArray::number(x, 'g', QLocale::FloatingPointShortest);
    const std::size_t n = std::min(sizeof texto, std::size_t(qt.size()));  // "1e+308" at most
    std::memcpy(texto, qt.constData(), n);
    return n;
}

// "2003-07-02", as FechaIso writes it.
void AgregaFecha(Escritura& salida, year_month_day f) {
    const int anio = int(f.year());
    if (anio < 1000 || anio > 9999) {
        salida += Dias::FechaIso(f).toStdString();
        return;
    }
    const unsigned mes = unsigned(f.month());
    const unsigned dia = unsigned(f.day());
    const char texto[10] = {char('0' + anio / 1000),
                            char('0' + anio / 100 % 10),
                            char('0' + anio / 10 % 10),
                            char('0' + anio % 10),
                            '-',
                            char('0' + mes / 10),
                            char('0' + mes % 10),
                            '-',
                            char('0' + dia / 10),
                            char('0' + dia % 10)};
    salida.append(texto, 10);
}

// "2003-07-02T10:15:59-04:00": the instant on the clock of offset `desfase`,
// as InstanteIso writes it.
void AgregaInstante(Escritura& salida, qint64 segundos, int desfase, TextosDesfase& textos) {
    const sys_seconds reloj{seconds{segundos + desfase}};
    const sys_days dia = floor<days>(reloj);
    const year_month_day f{dia};
    if (int(f.year()) < 1000 || int(f.year()) > 9999) {
        salida += InstanteIso(segundos, desfase).toStdString();
        return;
    }
    const hh_mm_ss<seconds> hora{reloj - dia};
    const auto dos = [](long long n) {
        return std::array<char, 2>{char('0' + n / 10), char('0' + n % 10)};
    };
    AgregaFecha(salida, f);
    const auto h = dos(hora.hours().count());
    const auto m = dos(hora.minutes().count());
    const auto s = dos(hora.seconds().count());
    const char texto[9] = {'T', h[0], h[1], ':', m[0], m[1], ':', s[0], s[1]};
    salida.append(texto, 9);
    salida += textos.Iso(desfase);
}

QByteArray Decimal(double x) {
    char texto[32];
    return QByteArray(texto, qsizetype(TextoDecimal(x, texto)));
}

}  // namespace Vespalba::Salidas

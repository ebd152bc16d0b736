// SPDX-License-Identifier: GPL-3.0-or-later
// The processor's vector-register state around the search.
//
// The search is built for the x86-64 baseline, so its arithmetic is legacy
// SSE code (no VEX encoding). Libraries of the same process may leave the
// upper halves of the AVX registers (bits 128 and up of ymm0-15/zmm0-15)
// non-zero when they return: Qt 6.4's AVX2 fill of the raster engine, run on
// every paint, and its AES hash of short keys, run by every QHash<QString>
// lookup (QCommandLineParser's options among them), both do. On many Intel
// processors every legacy-SSE instruction then pays for that state (a merge
// with the upper half, or a save and restore of it at each switch between
// SSE and VEX code, which the search does at each call into glibc's FMA
// variants of sin, cos and atan); AMD processors do not. Clearing the upper
// halves once at the entry of the search makes its speed that of a clean
// process on every processor.
//
// On processors other than x86-64, or without AVX, there is no such state and
// both functions do nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace Vespalba::ModuloVespalba {

// Zeroes the upper halves of the vector registers (VZEROUPPER) where the
// processor and the system enable AVX; does nothing elsewhere. Results are
// unchanged: the low 128 bits, where scalar doubles live, and the
// floating-point control word are untouched, and every vector register is
// caller-saved, so no caller keeps a value there across a call.
void LimpiaMitadesAltas();

// State components in use (XINUSE), as XGETBV with ECX = 1 reads them, where
// the processor reports them (XSAVE enabled by the system and CPUID leaf 0Dh,
// sub-leaf 1, EAX bit 2); none elsewhere. Bit 1 is SSE, bit 2 the upper
// halves of ymm0-15, bit 5 the AVX-512 mask registers, bit 6 the upper
// halves of zmm0-15, bit 7 zmm16-31.
std::optional<std::uint64_t> ComponentesEnUso();

// The XINUSE bits of the upper halves of ymm0-15 and zmm0-15: the state that
// LimpiaMitadesAltas clears. (zmm16-31, bit 7, is not part of it: it leaves
// legacy SSE code alone, and glibc's own string routines keep it in use in
// every process.)
inline constexpr std::uint64_t MitadesAltasEnUso = (1u << 2) | (1u << 6);

}  // namespace Vespalba::ModuloVespalba

// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/vectorial.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VESPALBA_X86_64 1
#include <cpuid.h>
#else
#define VESPALBA_X86_64 0
#endif

namespace Vespalba::ModuloVespalba {

#if VESPALBA_X86_64

namespace {

// Whether AVX instructions may run: the processor has them and the system
// saves the AVX state (the compiler's check reads CPUID and XCR0).
bool HayAvx() {
    static const bool hay = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return hay;
}

bool HayXinuse() {
    static const bool hay = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_OSXSAVE) == 0) {
            return false;
        }
        if (__get_cpuid_max(0, nullptr) < 0xD) {
            return false;
        }
        __cpuid_count(0xD, 1, a, b, c, d);
        return (a & (1u << 2)) != 0;
    }();
    return hay;
}

}  // namespace

void LimpiaMitadesAltas() {
    if (HayAvx()) {
        // The registers are named as clobbered so that no compiler, whatever
        // the target options, keeps a vector value in them across this.
        __asm__ volatile("vzeroupper" ::
                             : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7",
                               "xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14",
                               "xmm15");
    }
}

std::optional<std::uint64_t> ComponentesEnUso() {
    if (!HayXinuse()) {
        return std::nullopt;
    }
    std::uint32_t bajo = 0, alto = 0;
    __asm__ volatile("xgetbv" : "=a"(bajo), "=d"(alto) : "c"(1u));
    return (std::uint64_t(alto) << 32) | bajo;
}

#else

void LimpiaMitadesAltas() {}

std::optional<std::uint64_t> ComponentesEnUso() { return std::nullopt; }

#endif

}  // namespace Vespalba::ModuloVespalba

// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into vespalba-tabla by the tests to act out a machine without
// libgeonames: dlopen of any library whose name contains "libgeonames"
// fails; every other dlopen goes to the real one.
#include <dlfcn.h>

#include <cstring>

extern "C" void* dlopen(const char* archivo, int modo) {
    if (archivo != nullptr && std::strstr(archivo, "libgeonames") != nullptr) {
        return nullptr;
    }
    using Dlopen = void* (*)(const char*, int);
    static const Dlopen real = reinterpret_cast<Dlopen>(dlsym(RTLD_NEXT, "dlopen"));
    return real(archivo, modo);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// cierra_ventana ID: asks the X11 window ID to close, as a window manager
// does when its close box is clicked: a WM_PROTOCOLS client message carrying
// WM_DELETE_WINDOW. Exits 0 when the message was sent.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: cierra_ventana ID\n");
        return 2;
    }
    Display* pantalla = XOpenDisplay(nullptr);
    if (pantalla == nullptr) {
        std::fprintf(stderr, "cierra_ventana: no hay pantalla X\n");
        return 1;
    }
    const Window ventana = std::strtoul(argv[1], nullptr, 0);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = ventana;
    ev.xclient.message_type = XInternAtom(pantalla, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(pantalla, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    const Status enviado = XSendEvent(pantalla, ventana, False, NoEventMask, &ev);
    XSync(pantalla, False);
    XCloseDisplay(pantalla);
    return enviado != 0 ? 0 : 1;
}

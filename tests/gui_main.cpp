// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for the tests that drive real widgets: the application is
// prepared exactly as the program prepares it, so that the tests see the
// style, letters, colours and translations the user sees.
#include <gtest/gtest.h>

#include <QApplication>

#include "calculadora/aplicacion.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery, run at build time without a
    // display) needs no application.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    Vespalba::PreparaAplicacion(app);
    return RUN_ALL_TESTS();
}

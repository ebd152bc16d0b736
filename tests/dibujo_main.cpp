// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for the drawings: letters need a QGuiApplication (the tests
// set QT_QPA_PLATFORM=offscreen, so no display is needed).
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no application.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

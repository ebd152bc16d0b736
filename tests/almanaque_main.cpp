// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the almanac window's tests: GoogleTest, then a QApplication
// (not made for --gtest_list_tests, so that CTest's discovery needs no
// platform).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

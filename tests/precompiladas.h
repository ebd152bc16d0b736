// SPDX-License-Identifier: GPL-3.0-or-later
// The headers that nearly every test includes, compiled once for the whole
// test folder (tests/CMakeLists.txt): GoogleTest, the standard library and
// the Qt classes the widget tests drive. Parsing them anew took most of each
// test source's compile time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

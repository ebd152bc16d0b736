// SPDX-License-Identifier: GPL-3.0-or-later
// The three ways in which Vespalba reads the text of an input box as a
// number. None of them depends on the C library's locale.
#pragma once

#include <QLocale>
#include <QStringView>

#include <optional>

namespace Vespalba {

// Prefix reading. Blanks, tabs and line feeds are ignored wherever they
// stand; then an optional sign, digits, an optional "." with fraction digits
// and an optional exponent (E or D, either case, optional sign, digits) are
// read up to the first other character, and the rest is ignored. The decimal
// mark is always ".", whatever the locale. A text that does not begin with a
// number (the empty text included) reads as 0. An exponent too large for a
// double gives an infinity of the number's sign; one too small gives 0.
double LecturaPrefijo(QStringView texto);

// Locale reading. The whole text, blanks around it allowed, must be a finite
// number in the format of `locale` (its decimal mark, its group separator
// where that locale allows it, sign, exponent). Where the locale's decimal
// mark is not ".", a text it cannot read that is a plain number with "." as
// decimal mark (no group separators) is read that way, so "30.5" means 30.5
// in every locale. Anything else, the empty text, "nan" and "inf" included,
// is no number: std::nullopt.
std::optional<double> LecturaLocal(QStringView texto, const QLocale& locale);

// Integer reading: the locale reading rounded to the nearest integer, a half
// to the even neighbour; std::nullopt unless it lies in [-32768, 32767].
std::optional<int> LecturaEntera(QStringView texto, const QLocale& locale);

}  // namespace Vespalba

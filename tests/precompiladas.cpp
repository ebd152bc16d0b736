// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the shared precompiled headers of the tests (precompiladas.h).

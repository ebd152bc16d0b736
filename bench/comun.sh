# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# What the whole-process benchmarks share, sourced after `cd` to the
# repository: the arguments [BUILD_DIR] [RUNS], the built vespalba-tabla and
# the programs that measure it, and a temporary folder removed on exit.
# Sets build, corridas, tabla and tmp; the caller names itself in `guion`.

: "${guion:?the sourcing script names itself in guion}"
build=${1:-build}
# shellcheck disable=SC2034 # used by the scripts that source this one
corridas=${2:-20}
tabla="$build/tools/vespalba-tabla"
if [ ! -x "$tabla" ]; then
    echo "$guion: no está $tabla; compile antes (scripts/build $build)" >&2
    exit 1
fi
for programa in hyperfine /usr/bin/time python3; do
    command -v "$programa" >/dev/null || {
        echo "$guion: falta $programa (scripts/deps lo instala)" >&2
        exit 1
    }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

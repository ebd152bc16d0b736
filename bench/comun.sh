# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# What the whole-process benchmarks share, sourced after `cd` to the
# repository: the arguments [BUILD_DIR] [RUNS], the built vespalba-tabla and
# the programs that measure it, a temporary folder removed on exit, and
# `mide`. Sets build, corridas, tabla and tmp; the caller names itself in
# `guion`.

: "${guion:?the sourcing script names itself in guion}"
build=${1:-build}
# shellcheck disable=SC2034 # used by the scripts that source this one
corridas=${2:-20}
tabla="$build/tabla/vespalba-tabla"
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

# mide NOMBRE RUNS ORDEN: ORDEN (one string, split into its words) timed by
# hyperfine over RUNS runs into $tmp/NOMBRE.json, and its peak resident set
# in kB, the largest of three runs, into $tmp/NOMBRE.rss. Stops the script
# with hyperfine's messages when the command fails.
mide() {
    local nombre=$1 runs=$2 orden=$3 pico=0 kb
    if ! hyperfine -N --style none --warmup 2 --runs "$runs" \
        --export-json "$tmp/$nombre.json" "$orden" >/dev/null 2>"$tmp/avisos"; then
        cat "$tmp/avisos" >&2
        exit 1
    fi
    for _ in 1 2 3; do
        # shellcheck disable=SC2086 # the command is split into its words on purpose
        kb=$(/usr/bin/time -f %M $orden 2>&1 >/dev/null | tail -1)
        [ "$kb" -gt "$pico" ] && pico=$kb
    done
    echo "$pico" >"$tmp/$nombre.rss"
}

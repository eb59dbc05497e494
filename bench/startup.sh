#!/usr/bin/env bash
# What one run of trapezoid costs next to a C program that does nothing.
#
#   bench/startup.sh [PROGRAM]
#
# Builds the release program (the default preset) unless PROGRAM is given,
# builds the no-op with the same C compiler family, the optimisation of the
# program's release build (-O3) and the same linking (dynamic, --as-needed),
# and prints for both the whole-process instruction count under callgrind and
# the median wall time over many runs under hyperfine. Standard input is
# /dev/null, so the program does not wait. Needs valgrind and hyperfine
# (Debian packages of those names).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-}
if [ -z "$program" ]; then
    cmake --preset default -S "$here" >/dev/null
    cmake --build "$here/build/default" --target trapezoid >/dev/null
    program=$here/build/default/trapezoid
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main(void) { return 0; }\n' >"$work/noop.c"
cc -O3 -Wl,--as-needed "$work/noop.c" -o "$work/noop"

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" </dev/null 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

median_us() {
    hyperfine --shell=none --warmup 50 --runs "${RUNS:-1000}" --export-json "$work/t.json" "$1" \
        >/dev/null 2>&1
    python3 -c 'import json,sys; print(round(json.load(open(sys.argv[1]))["results"][0]["median"] * 1e6))' \
        "$work/t.json"
}

# Entries of .init_array: the C runtime's own frame_dummy is one; a static
# initialiser (iostreams, say) would add more.
# An entry is a pointer: 8 bytes in a 64-bit ELF file, 4 in a 32-bit one.
initialisers() {
    local size pointer=8
    size=$(readelf -SW "$1" | awk '$2 == ".init_array" { print $6 }')
    readelf -h "$1" | grep -q 'Class: *ELF32' && pointer=4
    echo $((16#${size:-0} / pointer))
}

p_ir=$(instructions "$program")
n_ir=$(instructions "$work/noop")
p_us=$(median_us "$program")
n_us=$(median_us "$work/noop")

printf '%-10s %14s %12s %14s\n' "" "instructions" "median (us)" "init_array"
printf '%-10s %14s %12s %14s\n' trapezoid "$p_ir" "$p_us" "$(initialisers "$program")"
printf '%-10s %14s %12s %14s\n' no-op "$n_ir" "$n_us" "$(initialisers "$work/noop")"
printf '%-10s %14s %12s\n' ratio "$(awk -v a="$p_ir" -v b="$n_ir" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v a="$p_us" -v b="$n_us" 'BEGIN { printf "%.2f", a / b }')"

#!/usr/bin/env bash
# Builds trapezoid for every target it is made for and runs its checks where
# this machine can run them: the arithmetic's exact bits and the program's
# output, under the target's emulator. Then builds the arithmetic test on the
# host with g++ and clang++ at -O0 to -O3, with and without -march=native.
# One line per build; fails if any fails. Installs the Debian packages it
# needs when they are missing.
#
#   cmake/check-targets.sh [CONFIGURE-ARG...]
#
# Every configure gets the arguments given (CI gives -DTRAPEZOID_WERROR=ON).
set -uo pipefail
cd "$(dirname "$0")/.."

packages=(g++-multilib qemu-user clang lld binutils-riscv64-linux-gnu binutils-s390x-linux-gnu
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64)
for arch in arm64 armhf riscv64 s390x; do
    packages+=("libc6-dev-$arch-cross" "libgcc-12-dev-$arch-cross" "libstdc++-12-dev-$arch-cross")
done
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -q >/dev/null &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            "${missing[@]}" >/dev/null || exit 1
fi

configure_args=("$@")
mkdir -p build
passed=0
failed=0

# What a log says in the end: the real compile flags, the tests' count.
summary() {
    grep -o 'compile flags: .*\|[0-9]*% tests passed.*\|[0-9]* passed, [0-9]* failed' "$1" |
        paste -sd ';' | sed 's/;/; /g'
}

# check NAME LOG COMMAND...: runs COMMAND into LOG and prints NAME's line.
check() {
    local name=$1 log=$2
    shift 2
    if "$@" >"$log" 2>&1; then
        printf '%-28s ok   %s\n' "$name" "$(summary "$log")"
        passed=$((passed + 1))
    else
        printf '%-28s FAIL (log: %s)\n' "$name" "$log"
        tail -n 30 "$log" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
}

build_target() {
    cmake --preset "$1" "${configure_args[@]}" && cmake --build --preset "$1"
}
run_target() {
    build_target "$1" && ctest --preset "$1"
}

for target in i686-linux aarch64-linux armhf-linux riscv64-linux s390x-linux x86_64-windows; do
    check "$target" "build/$target.log" run_target "$target"
done
# The original's own target: Wine cannot run 32-bit programs on this host.
check "i686-windows (built only)" build/i686-windows.log build_target i686-windows

# The build type None adds no flags of its own, so each build compiles with
# exactly the matrix's flags; the compile command of the arithmetic test is
# read back and its optimisation and -march flags must be those asked for.
flags_build() {
    local dir=$1 cxx=$2 flags=$3
    cmake -S . -B "$dir" "${configure_args[@]}" -DCMAKE_BUILD_TYPE=None \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "-DCMAKE_CXX_COMPILER=$cxx" "-DCMAKE_CXX_FLAGS=$flags" &&
        real_flags "$dir" "$flags" && cmake --build "$dir" --target arithmetic &&
        "$dir/tests/arithmetic"
}
real_flags() {
    local dir=$1 want=$2 got
    got=$(grep -o '"command": "[^"]*tests/arithmetic\.cpp"' "$dir/compile_commands.json" |
        grep -o ' \(-O[^ ]*\|-march=[^ ]*\)' | xargs)
    echo "compile flags: $got"
    [ "$got" = "$(echo $want)" ] || { echo "want: $want"; return 1; }
}
for cxx in g++ clang++; do
    for opt in -O0 -O1 -O2 -O3; do
        for native in "" -march=native; do
            dir=build/flags-$cxx$opt$native
            check "$cxx $opt $native" "$dir.log" flags_build "$dir" "$cxx" "$opt $native"
        done
    done
done

echo "targets: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

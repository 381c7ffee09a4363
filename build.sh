#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Talvaro and then runs it or its tests.
#   ./build.sh run           build and start the program (further arguments go to it, e.g. --demo)
#   ./build.sh test          all four checks below, as CI runs them
#   ./build.sh format-check  every tracked *.cpp/*.h as clang-format lays it out (no change)
#   ./build.sh check         build and run every test (offscreen, no display needed)
#   ./build.sh sanitize      the same tests built with AddressSanitizer and UBSan (build-sanitize/)
#   ./build.sh fuzz [S]      every libFuzzer target for S seconds each, default 20 (build-fuzz/)
# The builds of check, sanitize and fuzz treat warnings in our own targets as errors.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          libqt6sql6-sqlite libgl-dev fonts-liberation poppler-utils libssl-dev dpkg-dev clang
          libclang-rt-14-dev clang-format qt6-translations-l10n lintian desktop-file-utils
          appstream)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# build <folder> <build type> [cmake options...]
build() {
    local dir=$1 type=$2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${@:3}"
    cmake --build "$dir" -j "$(nproc)"
}

# Reports every file clang-format would change; changes none.
format_check() {
    git rev-parse --git-dir >/dev/null 2>&1 || {
        echo "format-check takes its file list from git: run it in a git checkout" >&2
        return 1
    }
    git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror || {
        echo "clang-format would change the files above; format them with clang-format -i" >&2
        return 1
    }
}

run_tests() {
    (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
}

check() {
    build build RelWithDebInfo -DTALVARO_WERROR=ON
    run_tests build
}

# A sanitizer report aborts the program, so it fails its test.
sanitize() {
    build build-sanitize Debug -DTALVARO_SANITIZE=address,undefined -DTALVARO_WERROR=ON
    ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests build-sanitize
}

fuzz() {
    CXX=clang++ build build-fuzz RelWithDebInfo -DTALVARO_FUZZ=ON -DBUILD_TESTING=OFF \
        -DTALVARO_WERROR=ON
    fuzz/run.sh build-fuzz "${1:-20}"
}

case "${1:-}" in
run)
    install_missing
    build build RelWithDebInfo
    exec ./build/src/app/talvaro "${@:2}"
    ;;
test)
    install_missing
    format_check
    check
    sanitize
    fuzz
    ;;
format-check)
    install_missing
    format_check
    ;;
check | sanitize | fuzz)
    install_missing
    "$1" "${@:2}"
    ;;
*)
    echo "usage: $0 run|test|format-check|check|sanitize|fuzz" >&2
    exit 2
    ;;
esac

#!/usr/bin/env bash
# Builds, runs and tests Tavrilux. Usage: ./dev.sh run [args...] | ./dev.sh test | ./dev.sh build
set -euo pipefail
cd "$(dirname "$0")"

preset=${TAVRILUX_PRESET:-dev}

install_packages() {
    local wanted missing=()
    wanted=$(grep -v '^\s*#' packages.txt | grep -v '^\s*$')
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        echo "dev.sh: installing ${missing[*]}" >&2
        if [ "$(id -u)" -ne 0 ]; then
            echo "dev.sh: missing packages and not root; install them with apt-get" >&2
            exit 1
        fi
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

case "${1:-}" in
run)
    shift
    install_packages
    build "$preset"
    exec "build/$preset/src/app/tavrilux" "$@"
    ;;
test)
    install_packages
    build "$preset"
    ctest --preset "$preset" -j "$(nproc)"
    ;;
build)
    install_packages
    build "$preset"
    ;;
*)
    echo "usage: $0 run|test|build" >&2
    exit 2
    ;;
esac

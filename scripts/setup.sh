#!/usr/bin/env bash
# Installs every Debian package the project needs to build and test, and nothing that is already there.
# Safe to run again and again; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    cmake make g++ googletest libgtest-dev libbenchmark-dev     # native build, unit tests, benchmarks
    clang libclang-rt-14-dev                                     # libFuzzer targets with ASan and UBSan
    mingw-w64 binutils-mingw-w64                                 # the Windows cross toolchains
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix          # ... with std::thread and std::mutex
    wine64 wine64-tools                                          # runs and inspects the win64 build
    python3 python3-pefile python3-fonttools                     # build checks, font fixtures
    fonts-dejavu-core                                            # a real font to make font fixtures from
    liblnk-utils nsis                                            # independent judges: lnkinfo, makensis
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#packages[@]} packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"

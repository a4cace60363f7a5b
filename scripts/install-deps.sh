#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs. `--tests` adds what the test suite needs.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libqt6sql6-sqlite libqt6sql6-psql libpq-dev
          libsqlite3-dev libssl-dev libzip-dev fonts-dejavu-core qt6-charts-dev
          libqt6opengl6-dev)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(libgtest-dev postgresql sqlite3 xvfb xauth clang libclang-rt-14-dev time)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $EUID -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

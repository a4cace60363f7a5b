#!/usr/bin/env bash
# Runs the PostgreSQL tests from a copy of this working tree in a fresh folder of mode 0700,
# like a clone under /root: the test servers must not need the postgres user to enter the
# checkout or the build. Builds only those tests, in Debug.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
chmod 700 "$copy"
if [[ $EUID -eq 0 ]] && runuser -u postgres -- test -x "$copy"; then
    echo "$0: the postgres user can enter $copy, so this would prove nothing" >&2
    exit 1
fi

# Tracked and new files as they are now, so uncommitted work is tested too; no build folders.
cd "$root"
git ls-files -z --cached --others --exclude-standard --deduplicate |
    while IFS= read -r -d '' file; do
        [[ -e $file || -L $file ]] && printf '%s\0' "$file"
    done |
    tar --null -T - -cf - | tar -C "$copy" -xf -
echo "== PostgreSQL tests from $copy (mode 0700)"

cmake -S "$copy" -B "$copy/build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cd "$copy/build"
mapfile -t tests < <(ctest -N -L postgres | sed -n 's/^ *Test *#[0-9]*: //p' |
    grep -v '^postgres_server_')
cmake --build . -j"$(nproc)" --target "${tests[@]}"
ctest -L postgres --output-on-failure -j2

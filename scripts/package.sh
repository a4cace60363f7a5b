#!/usr/bin/env bash
# Builds the Debian package of Tarnwick with CPack into build-package/package/ and checks it with
# lintian, desktop-file-validate and appstreamcli.
#
# --check then installs it on this machine with apt-get, as a user would, tries it from
# /usr/bin, removes it and checks that nothing it installed is left. It needs root (or sudo)
# and changes the machine's installed packages: meant for CI and throwaway machines.
set -euo pipefail

usage() {
    echo "Usage: $0 [--check]" >&2
    exit 2
}
check=false
case $# in
    0) ;;
    1) [[ $1 == --check ]] && check=true || usage ;;
    *) usage ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"
sudo=()
[[ $EUID -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Lintian tags that stay, each with its reason. Any other warning or error fails the build.
declare -A accepted_tags=(
    [initial-upload-closes-no-bugs]="the package is built for users of Tarnwick, not uploaded to
        Debian's archive, so there is no ITP bug for its first changelog entry to close"
)

fail() {
    echo "package.sh: FAILED: $*" >&2
    exit 1
}

step() {
    echo "== $*"
}

need() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

work=$(mktemp -d)
installed_here=false
cleanup() {
    # A check that stopped halfway does not leave its package installed.
    if $installed_here; then
        "${sudo[@]}" apt-get remove --purge -y -qq tarnwick >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- build

"$root/scripts/install-deps.sh"
# libgtest-dev: the top-level project configures the tests, though they are not built here.
need libgtest-dev go-md2man dpkg-dev file lintian desktop-file-utils appstream
umask 022

step "Building into $build (Release, with Debian's hardening flags)"
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
# Only what the package holds is built; cpack must not build the tests first.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_STRIP="$root/dist/debian-strip.sh" \
    -DTARNWICK_MANPAGES=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target tarnwick tarnwick-batch tarnwick_manpages tarnwick_changelog

step "Packaging with cpack -G DEB"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/package/tarnwick_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one tarnwick_*.deb in $build/package"
deb=${debs[0]}
echo "$deb"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"

version=$(dpkg-deb --field "$deb" Version)
changelog_version=$(dpkg-parsechangelog -l "$root/dist/changelog" -S Version)
[[ $version == "$changelog_version" ]] ||
    fail "the package is version $version, dist/changelog's last entry $changelog_version: add an entry"

step "lintian"
lintian_out=$(lintian --display-level '>=pedantic' "$deb" 2>&1) || true
echo "${lintian_out:-(nothing reported)}"
while read -r severity _ tag _; do
    [[ $severity == E: || $severity == W: ]] || continue
    [[ -n ${accepted_tags[$tag]:-} ]] || fail "lintian: $severity $tag is neither fixed nor accepted in scripts/package.sh"
done < <(grep -E '^[EW]: ' <<<"$lintian_out" || true)
lintian --fail-on error "$deb" >/dev/null || fail "lintian reports errors"

step "desktop-file-validate and appstreamcli validate on the files the package holds"
unpacked="$work/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
# It exits 0 on warnings; they fail here too.
validated=$(desktop-file-validate "$unpacked/usr/share/applications/tarnwick.desktop" 2>&1) ||
    fail "desktop-file-validate: $validated"
echo "desktop-file-validate: ${validated:-nothing reported}"
grep -qE ': (error|warning): ' <<<"$validated" && fail "desktop-file-validate reports a warning"
metainfo=("$unpacked"/usr/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 && -f ${metainfo[0]} ]] || fail "expected one metainfo file"
# Offline: the screenshot's web address is not fetched.
appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli validate"

$check || exit 0

# --- --check: installed, tried and removed as a user would

need xvfb xauth xdotool man-db bash-completion
upstream_version=${version%-*}

# Nothing of the program, the user's home included, is written outside this folder.
home="$work/home"
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
as_user() {
    env HOME="$home" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work" "$@"
}

if [[ -n $(dpkg-query -W -f='${db:Status-Status}' tarnwick 2>/dev/null | grep -v not-installed) ]]; then
    step "Removing the tarnwick package installed before"
    "${sudo[@]}" apt-get remove --purge -y -qq tarnwick >/dev/null
fi
# The package's paths that exist before it is installed (/usr, /usr/share, ...) stay after it.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's#^\./#/#' -e 's#/$##' | grep -v '^/*$' \
    >"$work/paths"
while read -r path; do
    if [[ -e $path || -L $path ]]; then echo "$path"; fi
done <"$work/paths" >"$work/present-before"

step "apt-get install $deb"
installed_here=true
"${sudo[@]}" apt-get install -y -qq "$deb"
[[ $(dpkg-query -W -f='${db:Status-Status} ${Version}' tarnwick) == "installed $version" ]] ||
    fail "tarnwick $version is not installed"

step "/usr/bin/tarnwick-batch --version"
reported=$(as_user /usr/bin/tarnwick-batch --version)
echo "$reported"
[[ $reported == "tarnwick-batch $upstream_version" ]] ||
    fail "expected 'tarnwick-batch $upstream_version'"

step "init, hourly, quarterly and counts on samples/ into a new database"
shopt -s nocaseglob
sample_files=("$root"/samples/*.dat)
shopt -u nocaseglob
[[ -f ${sample_files[0]} ]] || fail "no .DAT file in $root/samples"
db="$work/Sources.db"
cd "$work"
for command in init hourly quarterly counts; do
    folder=()
    [[ $command == hourly || $command == quarterly ]] && folder=("$root/samples/")
    echo "\$ tarnwick-batch $command $db ${folder[*]}"
    as_user /usr/bin/tarnwick-batch "$command" "$db" "${folder[@]}" >"$work/$command.txt" \
        2>"$work/$command.err" || fail "$command: $(cat "$work/$command.err")"
    cat "$work/$command.txt"
done
cd "$root"
grep -qx "Created the Sources database $db" "$work/init.txt" || fail "init"
for command in hourly quarterly; do
    grep -q " from ${#sample_files[@]} \.DAT files\$" "$work/$command.txt" ||
        fail "$command did not extract the ${#sample_files[@]} sample files"
done
[[ $(grep -cE ': [1-9][0-9]*$' "$work/counts.txt") -eq 5 ]] ||
    fail "counts: expected rows in each of the five tables"

step "Manual pages"
excluded=$(grep -hs '^path-exclude' /etc/dpkg/dpkg.cfg.d/* | grep '/usr/share/man' || true)
declare -A pages
for page in tarnwick tarnwick-batch; do
    if [[ -z $excluded ]]; then
        found=$(man -w "$page")
        echo "man -w $page: $found"
        [[ $found == "/usr/share/man/man1/$page.1.gz" ]] || fail "man -w $page"
        text=$(MANWIDTH=200 MAN_KEEP_FORMATTING= man "$page" 2>/dev/null | col -b)
    else
        # dpkg leaves manual pages out on this machine: check the package's own.
        echo "NOTE: dpkg here does not install /usr/share/man ($excluded); checking $page.1.gz" \
            "in the package and rendering it with man -l"
        dpkg-deb --contents "$deb" | grep -q " \./usr/share/man/man1/$page\.1\.gz\$" ||
            fail "$page.1.gz is not in the package"
        text=$(MANWIDTH=200 man -l "$unpacked/usr/share/man/man1/$page.1.gz" 2>/dev/null | col -b)
    fi
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
        grep -qx "$section" <<<"$text" || fail "$page(1) has no $section section"
    done
    pages[$page]=$text
done
# Each page describes what --help lists: every command and every option.
options_of() { # the options in the Options section of a --help text
    sed -n '/^Options:/,/^$/p' <<<"$1" | grep -oE '(^| )--?[a-z][a-z-]*' | tr -d ' '
}
describes_options() { # page, options
    local option
    for option in $2; do
        grep -qE "^ {7}(--?[a-z][a-z-]*, )*$option( |,|$)" <<<"${pages[$1]}" ||
            fail "$1(1) does not describe $option"
    done
}
help=$(as_user /usr/bin/tarnwick-batch --help)
help_commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
help_options=$(options_of "$help")
[[ -n $help_commands && -n $help_options ]] || fail "could not read the commands and options of --help"
for command in $help_commands; do
    grep -qE "^ {7}$command( |$)" <<<"${pages[tarnwick-batch]}" ||
        fail "tarnwick-batch(1) does not describe the command $command"
done
describes_options tarnwick-batch "$help_options"
echo "tarnwick-batch(1) describes the commands $(echo $help_commands) and the options $(echo $help_options)"
# The window's program answers --help and --version without opening a window; the offscreen
# platform spares it a display, and the time limit ends it if it opened one all the same.
window_help=$(as_user env QT_QPA_PLATFORM=offscreen timeout 30 /usr/bin/tarnwick --help) ||
    fail "/usr/bin/tarnwick --help"
window_options=$(options_of "$window_help")
[[ -n $window_options ]] || fail "could not read the options of tarnwick --help"
describes_options tarnwick "$window_options"
echo "tarnwick(1) describes the options $(echo $window_options)"
reported=$(as_user env QT_QPA_PLATFORM=offscreen timeout 30 /usr/bin/tarnwick --version) ||
    fail "/usr/bin/tarnwick --version"
[[ $reported == "Tarnwick $upstream_version" ]] || fail "tarnwick --version: $reported"

step "bash completion"
# What the completion offers for a command line whose last word is being typed.
complete_line() {
    as_user bash -c 'source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/tarnwick-batch
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _tarnwick_batch
        printf "%s\n" "${COMPREPLY[@]}" | sort' complete tarnwick-batch "$@"
}
same_words() { # what, expected words, offered words
    [[ $(tr ' ,' '\n\n' <<<"$2" | grep . | sort) == $(grep . <<<"$3" | sort) ]] ||
        fail "completion of $1: expected $(echo $2), got $(echo $3)"
}
same_words commands "$help_commands" "$(complete_line '')"
same_words options "$(sed 's/^-[a-z]$//' <<<"$help_options")" "$(complete_line --)"
tables=$(as_user /usr/bin/tarnwick-batch export "$db" NO_SUCH_TABLE 2>&1 | sed -n 's/.*the tables are \(.*\)\.$/\1/p') || true
measures=$(cd "$work" && as_user /usr/bin/tarnwick-batch chart "$db" --facility 1 --unit 1 \
    --measure NO_SUCH_COLUMN --out chart.png 2>&1 | sed -n 's/.*the columns are \(.*\)$/\1/p') || true
[[ -n $tables && -n $measures ]] || fail "could not read the table and column names from tarnwick-batch"
same_words "export's TABLE" "$tables" "$(complete_line export "$db" '')"
same_words "--measure" "$measures" "$(complete_line chart "$db" --measure '')"
same_words "DB" "$db" "$(complete_line counts "$work/Sources.")"
same_words "FOLDER" "$root/samples" "$(complete_line hourly "$db" "$root/sampl")"
[[ -z $(complete_line quarterly "$db" "$root/samples/") ]] || fail "completion of FOLDER offers files"
echo "commands, options, tables, --measure columns, DB files and folders complete as the program lists them"

step "Desktop entry, icons and metainfo"
desktop=/usr/share/applications/tarnwick.desktop
desktop-file-validate "$desktop" >/dev/null || fail "desktop-file-validate $desktop"
exec_line=$(grep -m1 '^Exec=' "$desktop")
program=${exec_line#Exec=}
program=${program%% *}
resolved=$(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin command -v "$program") ||
    fail "$exec_line: $program is not on the PATH"
[[ $resolved == /usr/bin/tarnwick && -x $resolved ]] || fail "$exec_line runs $resolved"
dpkg -S "$resolved" | grep -q '^tarnwick: ' || fail "$resolved is not the package's"
echo "$exec_line -> $resolved"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for file in 16x16/apps/$icon.png 32x32/apps/$icon.png scalable/apps/$icon.svg; do
    [[ -f /usr/share/icons/hicolor/$file ]] || fail "no icon /usr/share/icons/hicolor/$file"
done
installed_metainfo=$(dpkg -L tarnwick | grep '^/usr/share/metainfo/.*\.metainfo\.xml$') ||
    fail "no metainfo file installed"
appstreamcli validate --no-net "$installed_metainfo" || fail "appstreamcli validate"

step "Starting /usr/bin/tarnwick under Xvfb"
cat >"$work/window.sh" <<'WINDOW'
cd "$1"
/usr/bin/tarnwick &
pid=$!
for _ in $(seq 100); do
    window=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Tarnwick$' 2>/dev/null | head -1)
    [[ -n $window ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if [[ -z $window ]]; then
    echo "no window titled Tarnwick appeared"
    kill "$pid" 2>/dev/null
    exit 1
fi
echo "window $window of /usr/bin/tarnwick (pid $pid), titled: $(xdotool getwindowname "$window")"
sleep 2
kill -0 "$pid" || { echo "tarnwick ended by itself"; exit 1; }
kill "$pid"
wait "$pid" 2>/dev/null
exit 0
WINDOW
as_user xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/window.sh" "$work" ||
    fail "the window of /usr/bin/tarnwick"

step "apt-get remove --purge tarnwick"
dpkg -L tarnwick | grep -v '^/\.$' >"$work/listed"
"${sudo[@]}" apt-get remove --purge -y -qq tarnwick
installed_here=false
[[ -z $(dpkg-query -W -f='${db:Status-Status}' tarnwick 2>/dev/null | grep -v not-installed) ]] ||
    fail "tarnwick is still known to dpkg after the purge"
left=()
while read -r path; do
    grep -qxF "$path" "$work/present-before" && continue
    if [[ -e $path || -L $path ]]; then left+=("$path"); fi
done <"$work/listed"
[[ ${#left[@]} -eq 0 ]] || fail "left after removal: ${left[*]}"
echo "none of the $(wc -l <"$work/listed") paths the package installed is left (the $(wc -l <"$work/present-before") that were there before stay)"

echo "package.sh --check: PASSED ($(basename "$deb"))"

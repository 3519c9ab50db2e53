#!/usr/bin/env bash
# Unpacks the Debian package into a temporary root and runs quire from there in
# a fake home: the binary starts without the build folder, finds its libraries,
# reports the package's version, and scans and lists a skill; the files a
# desktop, man and bash look for are where they look.
#
#   tst_package.sh --build BUILD_DIR   build the package of that build folder
#   tst_package.sh --deb FILE [--lintian]
#                                      check FILE; with --lintian, also fail on
#                                      lintian's errors (when it is installed)
set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

lintian=false
case ${1:-} in
--build)
    for tool in dpkg-shlibdeps file; do
        command -v $tool >/dev/null || skip "$tool is not installed (scripts/deps installs it)"
    done
    cpack --config "$2/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
        || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
    debs=("$work"/out/*.deb)
    deb=${debs[0]}
    ;;
--deb)
    deb=$2
    [[ ${3:-} == --lintian ]] && lintian=true
    ;;
*)
    fail "usage: $0 --build BUILD_DIR | --deb FILE [--lintian]"
    ;;
esac
[[ -f $deb ]] || fail "no package at $deb"

root=$work/root
dpkg-deb -x "$deb" "$root"
app=io.github.quire.Quire
for file in usr/bin/quire \
    usr/share/applications/$app.desktop \
    usr/share/icons/hicolor/scalable/apps/$app.svg \
    usr/share/metainfo/$app.metainfo.xml \
    usr/share/man/man1/quire.1.gz \
    usr/share/bash-completion/completions/quire \
    usr/share/doc/quire/copyright \
    usr/share/doc/quire/changelog.Debian.gz; do
    [[ -s $root/$file ]] || fail "the package has no $file"
done
# The launcher must start the packaged binary and find the packaged icon.
grep -qx "Exec=quire" "$root/usr/share/applications/$app.desktop" \
    || fail "the desktop file does not start quire"
grep -qx "Icon=$app" "$root/usr/share/applications/$app.desktop" \
    || fail "the desktop file names an icon the package does not have"
gzip -t "$root/usr/share/man/man1/quire.1.gz" || fail "the manual page is not gzip data"

home=$work/home
mkdir -p "$home/.claude/skills/pdf-tools"
printf -- '---\nname: pdf-tools\ndescription: Work with PDF files.\n---\n# PDF\n' \
    >"$home/.claude/skills/pdf-tools/SKILL.md"
# Nothing of the caller's environment: no build folder on a path, no store.
quire() {
    env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8 HOME="$home" \
        XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
        "$root/usr/bin/quire" "$@"
}

version=$(dpkg-deb -f "$deb" Version)
expected="quire ${version%-*} (${version##*-})"
actual=$(quire --version) || fail "quire --version failed"
[[ $actual == "$expected" ]] || fail "quire --version says '$actual', the package is $version"

quire scan >"$work/scan.txt" || fail "quire scan failed: $(cat "$work/scan.txt")"
quire list --json >"$work/list.json" || fail "quire list --json failed"
grep -q '"name": "pdf-tools"' "$work/list.json" \
    || fail "quire list --json does not list the scanned skill: $(cat "$work/list.json")"
grep -q "\"filePath\": \"$home/.claude/skills/pdf-tools/SKILL.md\"" "$work/list.json" \
    || fail "quire list --json names another file: $(cat "$work/list.json")"
[[ -s $home/.local/share/Quire/store.sqlite ]] || fail "the store is not under XDG_DATA_HOME"

if $lintian; then
    if command -v lintian >/dev/null; then
        lintian --fail-on error "$deb" || fail "lintian finds errors in $deb"
    else
        echo "lintian is not installed: the package was not linted"
    fi
fi
echo "PASS: $deb"

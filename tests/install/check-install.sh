#!/bin/sh
# Installs the build into a fresh prefix and checks what a user of the installed copy
# gets: the programs, their data files found under share/, the menu entry, icon,
# AppStream metadata and manual pages; then builds the Debian package and runs
# kelvora-cmd from an unpacked copy of it.
# Usage: check-install.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
for f in bin/kelvora bin/kelvora-cmd bin/kelvora-server \
         share/kelvora/Uvoaif.txt share/kelvora/Kelvora.hlp \
         share/applications/org.kelvora.Kelvora.desktop \
         share/icons/hicolor/scalable/apps/org.kelvora.Kelvora.svg \
         share/metainfo/org.kelvora.Kelvora.metainfo.xml \
         share/man/man1/kelvora.1 share/man/man1/kelvora-cmd.1 share/man/man1/kelvora-server.1; do
    [ -e "$work/usr/$f" ] || fail "the install lacks $f"
done
extra=$(cd "$work/usr" && find . -type f | grep -v -e '^./bin/kelvora' -e '^./share/' || true)
[ -z "$extra" ] || fail "the install holds files it should not: $extra"

desktop-file-validate "$work/usr/share/applications/org.kelvora.Kelvora.desktop"
appstreamcli validate --no-net --explain "$work/usr/share/metainfo/org.kelvora.Kelvora.metainfo.xml" >/dev/null \
    || fail "the AppStream metadata does not validate"
for page in kelvora kelvora-cmd kelvora-server; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$work/usr/share/man/man1/$page.1" 2>&1 >/dev/null |
        grep . && fail "the manual page of $page has errors"
done

# The installed kelvora-cmd finds the error names under share/: an error is named.
"$work/usr/bin/kelvora-cmd" --help >/dev/null || fail "kelvora-cmd --help failed"
out=$("$work/usr/bin/kelvora-cmd" -a "$work/no-such-account" EXEC "SSELECT DICT X" 2>&1 || true)
case $out in
    *"Unidentified Error"*|*"could not be read"*) fail "the installed kelvora-cmd has no error names: $out" ;;
    *"error 39101"*) ;;
    *) fail "unexpected answer of the installed kelvora-cmd: $out" ;;
esac

# The Debian package: its file list, its dependencies, and a run from an unpacked copy.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) ||
    fail "cpack failed"
deb=$(ls "$work"/package/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort > "$work/list"
for f in /usr/bin/kelvora /usr/bin/kelvora-cmd /usr/bin/kelvora-server \
         /usr/share/kelvora/Uvoaif.txt /usr/share/applications/org.kelvora.Kelvora.desktop \
         /usr/share/man/man1/kelvora-cmd.1; do
    grep -qx "$f" "$work/list" || fail "the package lacks $f"
done
grep -v -e '^/usr/bin/kelvora' -e '^/usr/share/' "$work/list" && fail "the package holds files outside /usr/bin and /usr/share"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt's widgets"
if dpkg-deb -f "$deb" Description | grep -q '^ *;'; then
    fail "the package's description has lines that start with ;"
fi
dpkg-deb -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/kelvora-cmd" --help >/dev/null || fail "kelvora-cmd of the package does not run"
echo "check-install: install tree and package are complete"

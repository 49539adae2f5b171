#!/usr/bin/env bash
# Builds the Debian package of a built tree, checks its contents and runs the
# programs from the package's files unpacked into a scratch root, where they
# must find their resources without the build folder.
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/out/*.deb)

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/hvc-configurator /usr/bin/hvcctl /usr/bin/hvc-sim \
            /usr/share/hvc-configurator/res/ini/Ramlist.ini \
            /usr/share/hvc-configurator/res/ini/DiagnosticList.ini \
            /usr/share/hvc-configurator/res/ico/hvc.png \
            /usr/share/doc/hvc-configurator/HVCMANUAL.pdf \
            /usr/share/applications/example.oltrava.HvcConfigurator.desktop \
            /usr/share/metainfo/example.oltrava.HvcConfigurator.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/example.oltrava.HvcConfigurator.svg \
            /usr/share/man/man1/hvcctl.1.gz /usr/share/man/man1/hvc-sim.1.gz; do
    grep -qx "$path" "$work/contents" || fail "$path is not in the package"
done
! grep -q 'colour.ini\|demo-eeprom' "$work/contents" || fail "user files in the package"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6serialport6 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
unset HVC_RES_DIR HVC_SIM
bin=$root/usr/bin
[ "$("$bin/hvcctl" --version)" = "hvcctl $(dpkg-deb -f "$deb" Version)" ] ||
    fail "hvcctl --version: $("$bin/hvcctl" --version)"
catalogue=$("$bin/hvcctl" catalogue) || fail "hvcctl catalogue cannot read the installed map"
grep -q HVC_NUM_PROP_REG <<<"$catalogue" || fail "hvcctl catalogue lacks HVC_NUM_PROP_REG"
"$bin/hvc-sim" --help | grep -q -- "--scenario" || fail "hvc-sim --help"
# The simulated unit serves the installed map: it starts and names its device.
timeout 10 "$bin/hvc-sim" >"$work/sim.out" 2>"$work/sim.err" &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true
grep -q '^/dev/pts/' "$work/sim.out" || { cat "$work/sim.err" >&2; fail "hvc-sim did not start"; }
man -l "$root/usr/share/man/man1/hvcctl.1.gz" 2>/dev/null | grep -q catalogue ||
    fail "the man page of hvcctl lacks the commands"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/example.oltrava.HvcConfigurator.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic \
        "$root/usr/share/metainfo/example.oltrava.HvcConfigurator.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "the AppStream metainfo is not valid"; }
fi
echo "package: $(basename "$deb") holds the programs, res/, the manual and the desktop files; they run from it"

#!/usr/bin/env bash
# Installs Kestrim's Debian package on a clean Debian 12 and starts it there, the way a new user
# would: apt-get installs the package with nothing but its declared dependencies, then kestrim is
# started through its desktop entry as an ordinary user, first on the offscreen platform, then on
# an X server (Xvfb), and must come up in ~/Kestrim and stay up.
#
#   packaging/check-deb.sh                      build build-release, make the package, check it
#   packaging/check-deb.sh kestrim_2.1-1_amd64.deb    check this package
#
# Slow (a few minutes; apt fetches Qt, speech-dispatcher and the CJK fonts) and not part of
# ./test.sh. Needs root (debootstrap, chroot, mount namespaces) and a Debian archive:
#   KESTRIM_CHECK_DIR      work folder (default /tmp/kestrim-deb-check); the clean system is
#                          made once in base/ and every run starts from a fresh copy of it
#   KESTRIM_DEBIAN_MIRROR  the archive's URL; by default the one this machine's apt uses for
#                          bookworm (the URIs: of /etc/apt/sources.list.d/*.sources, or the
#                          deb lines of /etc/apt/sources.list)
# It leaves the window's screenshot in $KESTRIM_CHECK_DIR/kestrim-on-clean-debian.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
work=${KESTRIM_CHECK_DIR:-/tmp/kestrim-deb-check}

# The first archive this machine's apt sources give for a suite (bookworm, bookworm-security);
# fails when none does.
archive_for_suite() {
    local suite=$1 file
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        # deb822 stanzas, separated by blank lines; comment lines are skipped.
        awk -v suite="$suite" '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && (suites " ") ~ (" " suite " ") && uri != "")
                    { print uri; found = 1; exit }
                types = ""; suites = ""; uri = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            tolower($1) == "types:" { $1 = ""; types = $0 }
            tolower($1) == "suites:" { $1 = ""; suites = $0 }
            tolower($1) == "uris:" { uri = $2 }
            END { if (!found) flush() }
        ' "$file" | grep . && return 0
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] || continue
        # deb [options] URI suite components...
        sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$file" |
            awk -v suite="$suite" '$1 == "deb" && $3 == suite { print $2; exit }' | grep . &&
            return 0
    done
    return 1
}

if [[ -n ${KESTRIM_DEBIAN_MIRROR:-} ]]; then
    mirror=$KESTRIM_DEBIAN_MIRROR
    security=${mirror%/debian}/debian-security
elif mirror=$(archive_for_suite bookworm); then
    security=$(archive_for_suite bookworm-security || true)
else
    echo "no Debian 12 (bookworm) archive in this machine's apt sources;" \
        "set KESTRIM_DEBIAN_MIRROR to one" >&2
    exit 1
fi

if [[ $(id -u) -ne 0 ]]; then
    echo "check-deb.sh needs root (debootstrap, chroot); run it with sudo" >&2
    exit 1
fi

if [[ $# -ge 1 ]]; then
    deb=$(realpath "$1")
else
    "$repo/scripts/install-deps.sh"
    cmake -S "$repo" -B "$repo/build-release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$repo/build-release" --target kestrim kestrim-sim kestrim-board
    (cd "$repo/build-release" && rm -f kestrim_*.deb && cpack -G DEB >/dev/null)
    deb=$(echo "$repo"/build-release/kestrim_*.deb)
fi
[[ -f "$deb" ]] || { echo "no package at $deb" >&2; exit 1; }
echo "== checking $deb"

if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

mkdir -p "$work"
base=$work/base
if [[ ! -e "$base/.complete" ]]; then
    echo "== making a clean Debian 12 in $base (once)"
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log"
    # What an installed Debian 12 has beside the release itself: updates and security fixes.
    {
        echo "deb $mirror bookworm main"
        echo "deb $mirror bookworm-updates main"
        [[ -z $security ]] || echo "deb $security bookworm-security main"
    } >"$base/etc/apt/sources.list"
    touch "$base/.complete"
fi

root=$work/root
rm -rf "$root"
cp -a "$base" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/kestrim.deb"

# As the user: start kestrim through the desktop entry's Exec line, check that it is up in
# ~/Kestrim and stays up, then (on X) that its window is shown, and take a screenshot.
cat >"$root/tmp/start-as-user.sh" <<'EOF'
#!/bin/bash
set -euo pipefail
launcher=$(sed -n 's/^Exec=//p' /usr/share/applications/io.github.kestrim.Kestrim.desktop)
cd /
"$launcher" >"/tmp/kestrim-$QT_QPA_PLATFORM.log" 2>&1 &
pid=$!
up() {
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "kestrim ($QT_QPA_PLATFORM) stopped:" >&2
        cat "/tmp/kestrim-$QT_QPA_PLATFORM.log" >&2
        exit 1
    fi
}
if [[ $QT_QPA_PLATFORM == xcb ]]; then
    for _ in $(seq 1 150); do
        up
        xwininfo -root -tree | grep -q '("kestrim" "Kestrim")' && break
        sleep 0.2
    done
    xwininfo -root -tree | grep '("kestrim" "Kestrim")' || { echo "no Kestrim window" >&2; exit 1; }
fi
sleep 5
up
echo "kestrim ($QT_QPA_PLATFORM) is up as pid $pid in $(readlink "/proc/$pid/cwd")"
[[ $(readlink "/proc/$pid/cwd") == "$HOME/Kestrim" ]] || { echo "not in ~/Kestrim" >&2; exit 1; }
if [[ $QT_QPA_PLATFORM == xcb ]]; then
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >/tmp/kestrim-on-clean-debian.png
fi
kill "$pid"
wait "$pid" || true
EOF

cat >"$root/tmp/check.sh" <<'EOF'
#!/bin/bash
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
echo "== apt-get install ./kestrim.deb: its declared dependencies only, no recommends"
apt-get update -qq
apt-get install -y -qq --no-install-recommends /tmp/kestrim.deb >/tmp/apt-kestrim.log
dpkg-query -W kestrim
echo "== what kestrim needs but does not link came with it: speech and the templates' fonts"
dpkg-query -W qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng
for family in "Liberation Sans" "Noto Sans CJK SC" "AR PL UKai CN"; do
    found=$(fc-match -f '%{family}' "$family")
    [[ ",$found," == *",$family,"* ]] || { echo "font $family is missing ($found)" >&2; exit 1; }
    echo "$family"
done

echo "== every library the programs load is there"
if ldd /usr/bin/kestrim /usr/bin/kestrim-sim | grep 'not found'; then exit 1; fi
echo "== kestrim-sim --help"
kestrim-sim --help | head -n 3

useradd --create-home --shell /bin/bash tester
as_tester() {
    runuser -u tester -- env -i HOME=/home/tester USER=tester PATH=/usr/bin:/bin LANG=C.UTF-8 \
        XDG_RUNTIME_DIR=/tmp/runtime-tester "$@"
}
install -d -m 700 -o tester /tmp/runtime-tester

echo "== kestrim from its desktop entry, offscreen"
as_tester QT_QPA_PLATFORM=offscreen /tmp/start-as-user.sh

echo "== kestrim from its desktop entry, on an X server"
apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils x11-apps netpbm >/tmp/apt-x.log
rm -rf /home/tester/Kestrim
as_tester QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" /tmp/start-as-user.sh
EOF
chmod +x "$root/tmp/start-as-user.sh" "$root/tmp/check.sh"

# A private mount and process namespace: the mounts and every process started inside (the
# speech service, Xvfb) end with it, whatever happens.
# shellcheck disable=SC2016 # $1 is expanded by the inner shell
unshare --mount --pid --fork --propagation private --mount-proc="$root/proc" \
    bash -c 'mount --rbind /dev "$1/dev" && exec chroot "$1" /tmp/check.sh' _ "$root"

cp "$root/tmp/kestrim-on-clean-debian.png" "$work/"
echo "== kestrim installs and starts on a clean Debian 12; screenshot: $work/kestrim-on-clean-debian.png"

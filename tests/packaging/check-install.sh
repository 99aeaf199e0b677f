#!/usr/bin/env bash
# Installs the build with `cmake --install` the way a package does (prefix /usr into a DESTDIR)
# and checks the installed tree: every file in its place, the desktop entry and the AppStream
# metainfo valid and naming each other, the icon in every size, and the launcher starting
# kestrim in the data folder, never in the folder it was started from.
#
#   check-install.sh <cmake> <build folder> <project version>
set -euo pipefail
cmake=$1
build=$2
version=$3

app=io.github.kestrim.Kestrim
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# --- The tree a package gets: prefix /usr, staged in DESTDIR.
stage=$tmp/stage
DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >"$tmp/install.log"
usr=$stage/usr
desktop=$usr/share/applications/$app.desktop
metainfo=$usr/share/metainfo/$app.metainfo.xml

for program in bin/kestrim bin/kestrim-sim libexec/kestrim/kestrim-desktop; do
    [[ -f "$usr/$program" && -x "$usr/$program" ]] || fail "/usr/$program is not an installed program"
done
for file in "$desktop" "$metainfo" "$usr/share/icons/hicolor/scalable/apps/$app.svg"; do
    [[ -s "$file" ]] || fail "${file#"$stage"} is missing"
done

# Each PNG is where the icon theme looks for its size, and is that size (IHDR width and height).
for size in 16 24 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$app.png
    [[ -s "$png" ]] || fail "${png#"$stage"} is missing"
    read -r -a ihdr < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((ihdr[0] << 24) | (ihdr[1] << 16) | (ihdr[2] << 8) | ihdr[3]))
    height=$(((ihdr[4] << 24) | (ihdr[5] << 16) | (ihdr[6] << 8) | ihdr[7]))
    [[ $width -eq $size && $height -eq $size ]] || fail "${png#"$stage"} is ${width}x$height"
done

# Validators: --strict fails on warnings and infos alike (pedantic hints only are let through).
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net --strict --explain "$metainfo" || fail "appstreamcli rejects the metainfo"
# validate-tree also checks that the metainfo's launchable is an installed desktop entry.
appstreamcli validate-tree --no-net --strict --explain "$stage" || fail "appstreamcli rejects the installed tree"

key() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(key Icon) == "$app" ]] || fail "the desktop entry's icon is '$(key Icon)', not $app"
grep -q "<id>$app</id>" "$metainfo" || fail "the metainfo's id is not $app"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo has no release entry for version $version"

# The entry starts the launcher by its absolute path under the final prefix, not the build's.
exec_line=$(key Exec)
[[ "$exec_line" == /usr/libexec/kestrim/kestrim-desktop ]] ||
    fail "the desktop entry runs '$exec_line', not /usr/libexec/kestrim/kestrim-desktop"
grep -qx "exec '/usr/bin/kestrim' \"\$@\"" "$usr/libexec/kestrim/kestrim-desktop" ||
    fail "the launcher does not start /usr/bin/kestrim"

# The board, when it was built: its program, and its systemd unit starting that program, valid and
# enabled by nothing.
if [[ -x "$build/src/board/kestrim-board" ]]; then
    unit=$usr/lib/systemd/system/kestrim-board.service
    [[ -x "$usr/bin/kestrim-board" ]] || fail "/usr/bin/kestrim-board is not an installed program"
    [[ -s "$unit" ]] || fail "the board's unit is not in /usr/lib/systemd/system"
    grep -qx 'ExecStart=/usr/bin/kestrim-board --url ${KESTRIM_BOARD_URL} --listen ${KESTRIM_BOARD_LISTEN}' "$unit" ||
        fail "the board's unit does not start /usr/bin/kestrim-board"
    [[ ! -e "$stage/etc" ]] || fail "the install wrote to /etc (the board's unit must stay disabled)"
    if command -v systemd-analyze >/dev/null; then
        cp "$unit" "$tmp/kestrim-board.service"
        sed -i "s|/usr/bin/kestrim-board|$usr/bin/kestrim-board|" "$tmp/kestrim-board.service"
        systemd-analyze verify "$tmp/kestrim-board.service" || fail "systemd-analyze rejects the board's unit"
    fi
fi

# --- The launcher at work: a real prefix (no DESTDIR), kestrim replaced by a stand-in that
# tells where it was started and with what.
prefix=$tmp/prefix
env -u DESTDIR "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install-prefix.log"
desktop=$prefix/share/applications/$app.desktop
launcher=$(key Exec)
[[ "$launcher" == "$prefix/libexec/kestrim/kestrim-desktop" ]] ||
    fail "installed under $prefix, the desktop entry runs '$launcher'"
cat >"$prefix/bin/kestrim" <<'STANDIN'
#!/bin/sh
pwd >"$KESTRIM_REPORT"
printf '%s\n' "$@" >>"$KESTRIM_REPORT"
STANDIN

started_in() { sed -n 1p "$tmp/report"; }

# Default data folder: ~/Kestrim, made when missing, whatever folder the desktop starts it in.
mkdir "$tmp/home"
(cd / && env -u KESTRIM_HOME HOME="$tmp/home" KESTRIM_REPORT="$tmp/report" "$launcher")
[[ $(started_in) == "$tmp/home/Kestrim" ]] || fail "started in '$(started_in)', not ~/Kestrim"

# $KESTRIM_HOME wins, may contain spaces, and arguments reach kestrim unchanged.
(cd / && HOME="$tmp/home" KESTRIM_HOME="$tmp/my data" KESTRIM_REPORT="$tmp/report" \
    "$launcher" --one "two words")
[[ $(started_in) == "$tmp/my data" ]] || fail "started in '$(started_in)', not \$KESTRIM_HOME"
[[ $(sed -n '2,$p' "$tmp/report") == $'--one\ntwo words' ]] || fail "arguments changed on the way"

# A data folder that cannot be made stops the launcher before kestrim starts.
rm "$tmp/report"
touch "$tmp/file"
if (cd / && KESTRIM_HOME="$tmp/file/sub" KESTRIM_REPORT="$tmp/report" "$launcher" 2>/dev/null); then
    fail "the launcher went on without its data folder"
fi
[[ ! -e "$tmp/report" ]] || fail "kestrim started without its data folder"

echo "installed tree, desktop entry, metainfo, icons and launcher: all in order"

#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG. Run by hand after changing the SVG
# and commit the results; the build only copies them. Needs rsvg-convert (Debian: librsvg2-bin).
#
#   packaging/render-icons.sh
#
# Writes packaging/icons/<N>x<N>.png for every hicolor size we install, and the window icon
# src/resources/kestrim.png (the 32 px one).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
svg="$here/io.github.kestrim.Kestrim.svg"

for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$svg" --output "$here/icons/${size}x${size}.png"
done
cp "$here/icons/32x32.png" "$here/../src/resources/kestrim.png"

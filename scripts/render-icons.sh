#!/usr/bin/env bash
# Renders the program icon resources/hdmi-matrix-controller.svg into the PNG sizes the window
# and the desktop use (resources/icons/). Run it after changing the SVG and commit the PNGs.
#   scripts/render-icons.sh           writes the PNGs
#   scripts/render-icons.sh --check   fails when a committed PNG differs from the SVG's rendering
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=(48 64 128 256)
svg=resources/hdmi-matrix-controller.svg
out=resources/icons
check=0
case "${1:-}" in
    --check) check=1; out=$(mktemp -d); trap 'rm -rf "$out"' EXIT ;;
    "") ;;
    *) echo "render-icons.sh: unknown option $1" >&2; exit 2 ;;
esac

mkdir -p "$out"
for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" --output "$out/hdmi-matrix-controller-$size.png" \
        "$svg"
done

if [ "$check" -eq 1 ]; then
    for size in "${sizes[@]}"; do
        name="hdmi-matrix-controller-$size.png"
        if ! cmp -s "$out/$name" "resources/icons/$name"; then
            echo "render-icons.sh: resources/icons/$name is not the rendering of $svg;" \
                "run scripts/render-icons.sh and commit the result" >&2
            exit 1
        fi
    done
    echo "icons: the PNGs match $svg"
fi

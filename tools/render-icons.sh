#!/bin/sh
# Renders app/icons/varnel.svg into the PNG sizes the Linux desktop uses and
# packs them into app/icons/varnel.ico for the Windows resource.
# Needs rsvg-convert (Debian package librsvg2-bin) and python3.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
icons="$here/app/icons"
sizes="16 24 32 48 64 128 256"
for size in $sizes; do
    rsvg-convert -w "$size" -h "$size" "$icons/varnel.svg" -o "$icons/varnel-$size.png"
done
# An ICO file is a directory of images; PNG-compressed entries are accepted
# by every Windows since Vista.
python3 - "$icons" $sizes <<'PY'
import struct, sys
icons, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
images = [open(f"{icons}/varnel-{s}.png", "rb").read() for s in sizes]
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in zip(sizes, images):
    side = 0 if size >= 256 else size      # 0 stands for 256
    out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(f"{icons}/varnel.ico", "wb") as f:
    f.write(out + b"".join(images))
PY
echo "icons written to $icons"

#!/usr/bin/env bash
# Regenerates the fuzz seed corpora under tests/fuzz-corpus/ with our own sample generators
# and command-line tools. Seeds are kept small: libFuzzer mutates them thousands of times a
# second, and the resource-limit tests cover the large sizes.
#   scripts/make-fuzz-corpus.sh BUILD_DIR      (a build that has texgen, textool, scenegen, qm4tool)
# Files named crash-* or regress-* are regression inputs and are never touched here.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:?usage: make-fuzz-corpus.sh BUILD_DIR}/bin"
out=tests/fuzz-corpus
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$out/tex" "$out/targa" "$out/scene" "$out/csv" "$out/obj" "$out/image" "$out/tex_thumbnail" \
  "$out/scene_thumbnail"
rm -f "$out"/*/seed-*

# Textures of every depth, a few shapes, and their Targa exports. A Targa seed starts with
# the mode byte of the targa target: bits 0-1 the texture's depth (0 16, 1 24, 2 32), bit 2
# answers the depth question Yes, bit 3 sizes the texture from the Targa's header.
depth_mode() { case "$1" in 16) echo 0;; 24) echo 1;; 32) echo 2;; esac; }
for bpp in 16 24 32; do
  for size in "1 1" "7 5" "16 9"; do
    set -- $size
    name="${1}x${2}-${bpp}"
    "$bin/texgen" "$tmp/$name.tex" "$1" "$2" "$bpp"
    cp "$tmp/$name.tex" "$out/tex/seed-$name.tex"
    "$bin/textool" export "$tmp/$name.tex" "$tmp/$name.tga"
    # Same depth as the texture, and one depth question answered Yes.
    m=$(( $(depth_mode "$bpp") | 8 ))
    { printf "\\x$(printf %02x "$m")"; cat "$tmp/$name.tga"; } >"$out/targa/seed-$name-same.bin"
    other=$(( ( $(depth_mode "$bpp") + 1 ) % 3 | 12 ))
    { printf "\\x$(printf %02x "$other")"; cat "$tmp/$name.tga"; } >"$out/targa/seed-$name-other.bin"
    # The same image run-length encoded by an independent writer, when there is one.
    if command -v convert >/dev/null; then
      case "$bpp" in 16) kind="-depth 5";; 24) kind="-type TrueColor";; *) kind="-type TrueColorAlpha";; esac
      # shellcheck disable=SC2086
      convert "$tmp/$name.tga" $kind -compress RLE "$tmp/$name-rle.tga"
      { printf "\\x$(printf %02x "$m")"; cat "$tmp/$name-rle.tga"; } >"$out/targa/seed-$name-rle.bin"
    fi
  done
done
# A header-only texture (no pixels), accepted whatever its depth says.
head -c 32 "$out/tex/seed-1x1-32.tex" >"$tmp/h.tex"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00' | dd of="$tmp/h.tex" bs=1 seek=20 conv=notrunc status=none
cp "$tmp/h.tex" "$out/tex/seed-empty.tex"

# Scenes: the demo scene and a few seeded random ones, some naming things that do not exist.
if [ -x "$bin/scenegen" ]; then
  "$bin/scenegen" demo "$out/scene/seed-demo.qm4"
  for s in 1 2 3 4 5 6; do
    "$bin/scenegen" random "$tmp/r.qm4" --seed "$s"
    "$bin/scenegen" random "$tmp/b.qm4" --seed "$s" --bad-indices
    # Random scenes can be large; the small ones make better seeds.
    for f in r b; do
      if [ "$(stat -c %s "$tmp/$f.qm4")" -le 16384 ]; then
        cp "$tmp/$f.qm4" "$out/scene/seed-random-$f$s.qm4"
      fi
    done
  done
fi

# CSV: exports of the demo scene in each form. A seed starts with the mode byte of the csv
# target: bits 0-1 the import form (0 all polygons, 1 one object's polygons, 2 vertices),
# bits 2-4 the object number, bit 5 the export round-trip check.
if [ -x "$bin/qm4tool" ] && [ -f "$out/scene/seed-demo.qm4" ]; then
  demo="$out/scene/seed-demo.qm4"
  "$bin/qm4tool" export "$demo" "$tmp/all.csv"
  "$bin/qm4tool" export "$demo" "$tmp/verts.csv" --vertices
  "$bin/qm4tool" export "$demo" "$tmp/obj1.csv" --object 1
  { printf '\x00'; cat "$tmp/all.csv"; } >"$out/csv/seed-polygons.bin"
  { printf '\x05'; cat "$tmp/obj1.csv"; } >"$out/csv/seed-object1.bin"
  { printf '\x22'; cat "$tmp/verts.csv"; } >"$out/csv/seed-vertices.bin"
fi
# OBJ: the demo scene's export, whole and one object, and the same text as a modelling
# program might re-save it (renamed objects, normals). The first byte picks the object the
# file stands for (0xFF: all of them).
if [ -x "$bin/qm4tool" ] && [ -f "$out/scene/seed-demo.qm4" ]; then
  "$bin/qm4tool" export-model "$out/scene/seed-demo.qm4" "$tmp/demo.obj" >/dev/null
  "$bin/qm4tool" export-model "$out/scene/seed-demo.qm4" "$tmp/one.obj" --object 2 >/dev/null
  { printf '\xff'; cat "$tmp/demo.obj"; } >"$out/obj/seed-all.bin"
  { printf '\x02'; cat "$tmp/one.obj"; } >"$out/obj/seed-object3.bin"
  { printf '\xff'; sed -e 's/^o Object_\([0-9]*\)/o Object \1.001\nvn 0 0 1/' -e 's/^# .*/# made elsewhere/' \
      "$tmp/demo.obj"; } >"$out/obj/seed-renamed.bin"
  # Retextured: one texture coordinate moved in every line that writes it, runs of faces given
  # a material whose image names a texture and one whose image is new; and a material without
  # an image. The material library follows a zero byte.
  first_vt=$(grep -m1 '^vt ' "$tmp/demo.obj")
  { printf '\xff'
    awk -v vt="$first_vt" '$0 == vt { print "vt 0.25 0.75"; next }
      /^usemtl / { n++; if (n == 1) { print "usemtl pebbles"; next } if (n == 2) { print "usemtl wood"; next } }
      { print }' "$tmp/demo.obj"
    printf '\0newmtl pebbles\nmap_Kd maps\\STONE.png\nnewmtl wood\nKd 1 1 1\nmap_Kd -s 1 1 1 Wood.png\n'
  } >"$out/obj/seed-retextured.bin"
  { printf '\xff'; sed '0,/^usemtl /s/^usemtl .*/usemtl bare/' "$tmp/demo.obj"; printf '\0newmtl bare\nKd 1 1 1\n'; } \
    >"$out/obj/seed-bare-material.bin"
fi

# Images: PNG and BMP in the kinds other programs write (alpha, palette, grey, 16-bit).
if command -v convert >/dev/null; then
  convert -size 3x2 xc:'rgba(200,100,50,0.5)' "PNG32:$out/image/seed-rgba.png.bin"
  convert -size 4x3 gradient:red-blue "PNG24:$out/image/seed-rgb.png.bin"
  convert -size 5x2 xc:gray50 -depth 8 "PNG8:$out/image/seed-pal.png.bin"
  convert -size 3x3 gradient: -colorspace Gray -depth 16 "PNG:$out/image/seed-grey16.png.bin"
  convert -size 3x2 gradient:red-green -type TrueColor "BMP3:$out/image/seed-rgb.bmp.bin"
  convert -size 3x2 xc:'rgba(10,20,30,0.5)' -type TrueColorAlpha "BMP:$out/image/seed-rgba.bmp.bin"
fi
# Previews: the texture seeds behind a size byte (16, 64 and 128 pixels), the scene seeds as
# they are.
for f in "$out"/tex/seed-*.tex; do
  name="$(basename "$f" .tex)"
  for size in 15 63 127; do
    { printf "\\x$(printf %02x "$size")"; cat "$f"; } >"$out/tex_thumbnail/$name-$((size + 1)).bin"
  done
done
cp "$out"/scene/seed-*.qm4 "$out/scene_thumbnail/" 2>/dev/null || true

ls -l "$out"/*

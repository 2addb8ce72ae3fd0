#!/usr/bin/env bash
# qm4tool import-model carrying texture coordinates and materials back, as a script edits an
# export: one texture vertex moves in every line that writes it, one run of faces takes another
# of our materials, another run a new material whose image sits in the library beside the OBJ.
# Exported again, the result must read as the edited file does, face by face; re-saved by
# another program, the edited file must give the same scene.
#   import-texturing.sh QM4TOOL SCENEGEN WORKDIR
set -euo pipefail
qm4tool=$1 scenegen=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

"$scenegen" demo demo.qm4 >/dev/null
"$qm4tool" export-model demo.qm4 demo.obj 2>/dev/null || fail "export"

first_vt=$(grep -m1 '^vt ' demo.obj)
awk -v vt="$first_vt" '
  $0 == vt { print "vt 0.25 0.75"; next }
  /^usemtl / { n++; if (n == 1) { print "usemtl tex3_grass.tex"; next } if (n == 2) { print "usemtl wood"; next } }
  { print }' demo.obj >edited.obj
printf '\nnewmtl wood\nmap_Kd maps/Wood.png\n' >>demo.mtl

"$qm4tool" import-model demo.qm4 edited.obj out.qm4 2>summary.txt || { cat summary.txt; fail "import"; }
grep -q '^OBJ import: .* texture coordinates\?, .* polygon textures\? changed; texture names added: "Wood.tex"\.$' \
  summary.txt || fail "summary: $(cat summary.txt)"
"$qm4tool" info out.qm4 | grep -q '^Texture names: 5$' || fail "the new name is not in the list"

# Face by face: the material in force and the face line, with the new material under the
# name the export gives it.
faces() { awk '/^usemtl / { m = $2; next } /^f / { print m, $0; next } /^(v|vt|o) / { print }' "$1"; }
"$qm4tool" export-model out.qm4 again.obj 2>/dev/null || fail "export of the result"
diff <(faces edited.obj | sed 's/^wood /tex4_Wood.tex /') <(faces again.obj) >diff.txt ||
  { head -20 diff.txt; fail "the result does not export as the edited file"; }

# Re-saved by another program (assimp: its own material library, its own vt lines, objects as
# groups), the file brings back the same scene.
command -v assimp >/dev/null || fail "assimp is not installed (scripts/install-deps.sh installs assimp-utils)"
assimp export edited.obj resaved.obj >assimp.txt 2>&1 || { cat assimp.txt; fail "assimp cannot re-save"; }
"$qm4tool" import-model demo.qm4 resaved.obj resaved.qm4 2>summary2.txt || { cat summary2.txt; fail "import of the re-saved file"; }
cmp -s out.qm4 resaved.qm4 || fail "the re-saved file gives another scene: $(cat summary2.txt)"

# A material without an image refuses, and writes nothing.
printf '\nnewmtl bare\nKd 1 1 1\n' >>demo.mtl
sed 's/^usemtl wood$/usemtl bare/' edited.obj >bare.obj
if "$qm4tool" import-model demo.qm4 bare.obj refused.qm4 2>refused.txt; then fail "bare material accepted"; fi
grep -qx 'The material "bare" has no texture image (map_Kd). Nothing was imported.' refused.txt ||
  fail "refusal: $(cat refused.txt)"
[ ! -e refused.qm4 ] || fail "a refused import wrote its output"
echo "ok"

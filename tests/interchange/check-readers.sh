#!/usr/bin/env bash
# Our .glb and .obj exports read by programs that are not ours: the Khronos glTF validator must
# find no error and no warning, and assimp must see the objects, vertices and faces we wrote.
#   check-readers.sh QM4TOOL SCENEGEN TEXGEN NODE_MODULES WORKDIR
set -euo pipefail
qm4tool=$1 scenegen=$2 texgen=$3 modules=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
command -v assimp >/dev/null || fail "assimp is not installed (scripts/install-deps.sh installs assimp-utils)"
[ -d "$modules/gltf-validator" ] || fail "gltf-validator is not in $modules (scripts/install-deps.sh installs it)"

"$scenegen" demo demo.qm4
"$texgen" brick.tex
"$texgen" grass.tex 64 32 16
"$scenegen" large generated.qm4 --polygons 130000 --seed 3

# scene  meshes (one per object and texture it uses)  embedded textures
check() {
    local scene=$1 meshes=$2 textures=$3
    for ext in glb obj; do
        local out=${scene%.qm4}.$ext
        "$qm4tool" export-model "$scene" "$out" 2>summary.txt || fail "export of $scene to $ext"
        local polygons
        polygons=$(sed -n 's/^Exported [0-9]* objects\?, \([0-9]*\) polygons\?.*/\1/p' summary.txt)
        [ -n "$polygons" ] || fail "no summary: $(cat summary.txt)"
        if [ "$ext" = glb ]; then
            node "$here/validate-gltf.js" "$modules" "$out" >validator.txt || { cat validator.txt; fail "validator on $out"; }
        fi
        assimp info "$out" -r >assimp.txt 2>&1 || { cat assimp.txt; fail "assimp cannot load $out"; }
        local got_faces got_vertices got_meshes
        got_faces=$(sed -n 's/^Faces: *//p' assimp.txt)
        got_vertices=$(sed -n 's/^Vertices: *//p' assimp.txt)
        got_meshes=$(sed -n 's/^Meshes: *\([0-9]\)/\1/p' assimp.txt | head -1)
        [ "$got_faces" = "$polygons" ] || fail "$out: assimp sees $got_faces faces, we wrote $polygons"
        # assimp unrolls faces into their own corners, or, for glTF, may keep our shared vertices.
        local shared=-1
        if [ "$ext" = glb ]; then
            shared=$(node -e '
                const b = require("fs").readFileSync(process.argv[1]);
                const j = JSON.parse(b.subarray(20, 20 + b.readUInt32LE(12)).toString());
                let n = 0;
                for (const m of j.meshes || []) n += j.accessors[m.primitives[0].attributes.POSITION].count;
                console.log(n);' "$out")
        fi
        [ "$got_vertices" = $((3 * polygons)) ] || [ "$got_vertices" = "$shared" ] ||
            fail "$out: assimp sees $got_vertices vertices for $polygons triangles ($shared shared)"
        [ "$got_meshes" = "$meshes" ] || fail "$out: assimp sees $got_meshes meshes, expected $meshes"
        if [ "$ext" = glb ]; then
            local got_textures
            got_textures=$(sed -n 's/^Textures (embed.): *//p' assimp.txt)
            [ "$got_textures" = "$textures" ] || fail "$out: $got_textures embedded textures, expected $textures"
        fi
        echo "ok $out: $polygons faces, $got_meshes meshes"
    done
}

check demo.qm4 4 2
check generated.qm4 3 0

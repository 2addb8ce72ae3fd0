#include "interchange/ModelExport.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/ParallelFor.h"
#include "interchange/ImageCodec.h"
#include "interchange/InterchangeMessages.h"
#include "interchange/ModelMesh.h"

#include <sstream>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <tiny_gltf.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace interchange {

using scene::CQM4EditDoc;
using scene::PolygonRecord;

namespace {

// The objects an export covers, as a half-open index range.
std::pair<int, int> ObjectRange(const CQM4EditDoc& doc, const ExportOptions& options)
{
    const int n = doc.GetObjectCount();
    if (options.object < 0)
        return {0, n};
    if (options.object >= n)
        return {0, 0};
    return {options.object, options.object + 1};
}

std::string PngFileName(const std::string& baseName, const CQM4EditDoc& doc, int textureIndex)
{
    return baseName + "_" + MaterialName(doc, textureIndex) + ".png";
}

// ---- glTF ----

// Open addressing from (vertex, kind, texture vertex) to the mesh vertex made for it. Key and
// value share one 64-bit slot, so a lookup touches one cache line. One table serves one
// object, so that objects can be built side by side.
class CornerTable {
public:
    explicit CornerTable(std::size_t corners)
    {
        std::size_t cap = 16;
        while (cap < corners * 2)
            cap <<= 1;
        m_slots.assign(cap, EMPTY);
        m_mask = cap - 1;
    }
    // Nearly every corner of a large scene misses the cache here; asking for a slot a few
    // polygons ahead lets those misses overlap (a third of the export's time without it).
    void Prefetch(std::uint64_t key) const
    {
#if defined(__GNUC__)
        __builtin_prefetch(&m_slots[Slot(key)], 1);
#else
        (void)key;
#endif
    }
    // key < 2^34; returns the index stored for key, inserting next when it is new (inserted
    // tells which).
    std::uint32_t Find(std::uint64_t key, std::uint32_t next, bool& inserted)
    {
        std::size_t i = Slot(key);
        while (true) {
            const std::uint64_t slot = m_slots[i];
            if (slot == EMPTY) {
                m_slots[i] = key | (std::uint64_t(next) << 34);
                inserted = true;
                return next;
            }
            if ((slot & KEY_MASK) == key) {
                inserted = false;
                return static_cast<std::uint32_t>(slot >> 34);
            }
            i = (i + 1) & m_mask;
        }
    }

private:
    std::size_t Slot(std::uint64_t key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 24) & m_mask;
    }
    static constexpr std::uint64_t EMPTY = ~std::uint64_t(0);
    static constexpr std::uint64_t KEY_MASK = (std::uint64_t(1) << 34) - 1;
    std::vector<std::uint64_t> m_slots;
    std::size_t m_mask = 0;
};

struct GltfPrimitive {
    int texture = 0;
    std::vector<std::uint32_t> indices;
    std::uint32_t maxIndex = 0;

    // The smallest index type that holds every index keeps files of small objects small.
    bool Narrow() const { return maxIndex < 65535; }
    std::size_t IndexBytes() const { return indices.size() * (Narrow() ? 2 : 4); }
};

// A mesh vertex as the buffer holds it: position and texture coordinate interleaved, one
// buffer view with a stride of 20 bytes for both accessors.
struct GltfVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(GltfVertex) == 20);

// One object's mesh: a vertex per distinct corner, and a primitive per texture in the order
// the polygons first use them.
struct GltfObjectMesh {
    std::vector<GltfVertex> vertices;
    float min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
    std::vector<GltfPrimitive> primitives;
    std::size_t faces = 0;
    std::size_t skipped = 0;
    // Where its parts go in the binary buffer.
    std::size_t vertexOffset = 0;
    std::vector<std::size_t> indexOffsets;
};

GltfObjectMesh MeshOf(const CQM4EditDoc& doc, int object, int textureCount)
{
    GltfObjectMesh mesh;
    const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(object).polygons;
    CornerTable table(polygons.size() * 3);
    std::vector<int> primitiveOf(static_cast<std::size_t>(textureCount), -1);
    mesh.vertices.reserve(polygons.size() * 3);
    auto cornerKey = [](const PolygonRecord& p, int c) {
        const std::uint64_t kind = static_cast<std::uint64_t>(CQM4EditDoc::GetTextureVertexKind(p.type));
        return (std::uint64_t(p.vertex[c]) << 18) | (kind << 16) | p.texVertex[c];
    };
    constexpr std::size_t AHEAD = 8;
    for (std::size_t k = 0; k < polygons.size(); ++k) {
        if (k + AHEAD < polygons.size())
            for (int c = 0; c < 3; ++c)
                table.Prefetch(cornerKey(polygons[k + AHEAD], c));
        const PolygonRecord& p = polygons[k];
        if (!IsExportable(doc, p)) {
            ++mesh.skipped;
            continue;
        }
        ++mesh.faces;
        int& prim = primitiveOf[p.texture];
        if (prim < 0) {
            prim = static_cast<int>(mesh.primitives.size());
            mesh.primitives.emplace_back();
            mesh.primitives.back().texture = p.texture;
        }
        GltfPrimitive& gp = mesh.primitives[static_cast<std::size_t>(prim)];
        for (int c = 0; c < 3; ++c) {
            bool inserted = false;
            const auto next = static_cast<std::uint32_t>(mesh.vertices.size());
            const std::uint32_t index = table.Find(cornerKey(p, c), next, inserted);
            if (inserted) {
                const scene::ObjectVertex v = doc.ObjectVertices().GetAt(p.vertex[c]);
                // glTF's texture origin is the top-left corner, like the scene's.
                const scene::TextureVertex t = CornerUv(doc, p, c);
                const float xyz[3] = {v.x, v.y, v.z};
                for (int a = 0; a < 3; ++a) {
                    if (next == 0 || xyz[a] < mesh.min[a])
                        mesh.min[a] = xyz[a];
                    if (next == 0 || xyz[a] > mesh.max[a])
                        mesh.max[a] = xyz[a];
                }
                mesh.vertices.push_back({v.x, v.y, v.z, t.u, t.v});
            }
            gp.indices.push_back(index);
            gp.maxIndex = std::max(gp.maxIndex, index);
        }
    }
    return mesh;
}

std::size_t Align4(std::size_t n)
{
    return (n + 3) & ~std::size_t(3);
}

int AddView(tinygltf::Model& model, std::size_t offset, std::size_t size, int target)
{
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = offset;
    view.byteLength = size;
    view.target = target;
    model.bufferViews.push_back(std::move(view));
    return static_cast<int>(model.bufferViews.size()) - 1;
}

int AddAccessor(tinygltf::Model& model, int view, int componentType, std::size_t count, int type)
{
    tinygltf::Accessor a;
    a.bufferView = view;
    a.componentType = componentType;
    a.count = count;
    a.type = type;
    model.accessors.push_back(std::move(a));
    return static_cast<int>(model.accessors.size()) - 1;
}

void PutU32(std::uint8_t* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::optional<ModelFormat> ModelFormatFromPath(const std::filesystem::path& path)
{
    std::string ext = common::PathToUtf8(path.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".obj")
        return ModelFormat::Obj;
    if (ext == ".glb")
        return ModelFormat::Glb;
    return std::nullopt;
}

SceneTextures LoadSceneTextures(const CQM4EditDoc& doc, const std::filesystem::path& sceneFolder,
                                const std::vector<bool>& wanted)
{
    SceneTextures t;
    const int n = doc.TextureNames().GetCount();
    t.images.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (!wanted.empty() && (static_cast<std::size_t>(i) >= wanted.size() || !wanted[static_cast<std::size_t>(i)]))
            continue;
        if (auto file = texture::FindTextureFile(sceneFolder, doc.GetTextureName(static_cast<std::uint32_t>(i))))
            t.images[static_cast<std::size_t>(i)] = texture::LoadTextureRgba(*file);
    }
    return t;
}

std::vector<bool> UsedTextures(const CQM4EditDoc& doc, const ExportOptions& options)
{
    std::vector<bool> used(static_cast<std::size_t>(doc.TextureNames().GetCount()), false);
    const auto [first, last] = ObjectRange(doc, options);
    for (int o = first; o < last; ++o)
        for (const PolygonRecord& p : doc.GetObjectRecord(o).polygons)
            if (IsExportable(doc, p))
                used[p.texture] = true;
    return used;
}

ObjFiles BuildObj(const CQM4EditDoc& doc, const SceneTextures& textures, const std::string& baseName,
                  const ExportOptions& options, ExportCounts& counts)
{
    ObjFiles files;
    std::string& s = files.obj;
    const auto [first, last] = ObjectRange(doc, options);
    std::size_t polygonTotal = 0;
    for (int o = first; o < last; ++o)
        polygonTotal += doc.GetObjectRecord(o).polygons.size();
    s.reserve(polygonTotal * 40 + 4096);
    s += "# ";
    s += std::to_string(last - first);
    s += last - first == 1 ? " object\n" : " objects\n";
    s += "mtllib ";
    s += baseName;
    s += ".mtl\n";

    // Per object: which global OBJ index a scene vertex or texture vertex got, stamped with the
    // object so the tables need no clearing between objects.
    const std::size_t vertexCount = static_cast<std::size_t>(doc.GetVertexCount());
    std::vector<int> vStamp(vertexCount, -1);
    std::vector<std::uint32_t> vIndex(vertexCount, 0);
    std::vector<int> tStamp(3 * 65536, -1);
    std::vector<std::uint32_t> tIndex(3 * 65536, 0);
    std::uint64_t vNext = 1, tNext = 1;
    std::vector<const PolygonRecord*> faces;

    for (int o = first; o < last; ++o) {
        s += "o ";
        s += ObjectName(o, doc.GetObjectCount());
        s += '\n';
        faces.clear();
        for (const PolygonRecord& p : doc.GetObjectRecord(o).polygons) {
            if (IsExportable(doc, p))
                faces.push_back(&p);
            else
                ++counts.skippedPolygons;
        }
        for (const PolygonRecord* p : faces) {
            for (int c = 0; c < 3; ++c) {
                const std::uint16_t v = p->vertex[c];
                if (vStamp[v] != o) {
                    vStamp[v] = o;
                    vIndex[v] = static_cast<std::uint32_t>(vNext++);
                    const scene::ObjectVertex pos = doc.ObjectVertices().GetAt(v);
                    s += "v ";
                    AppendFloat(s, pos.x);
                    s += ' ';
                    AppendFloat(s, pos.y);
                    s += ' ';
                    AppendFloat(s, pos.z);
                    s += '\n';
                }
            }
        }
        for (const PolygonRecord* p : faces) {
            const std::size_t kind = static_cast<std::size_t>(CQM4EditDoc::GetTextureVertexKind(p->type));
            for (int c = 0; c < 3; ++c) {
                const std::size_t key = kind * 65536 + p->texVertex[c];
                if (tStamp[key] != o) {
                    tStamp[key] = o;
                    tIndex[key] = static_cast<std::uint32_t>(tNext++);
                    const scene::TextureVertex t = CornerUv(doc, *p, c);
                    s += "vt ";
                    AppendFloat(s, t.u);
                    s += ' ';
                    // OBJ counts v up from the bottom row; the scene counts it down from the top.
                    AppendFloat(s, 1.0f - t.v);
                    s += '\n';
                }
            }
        }
        int material = -1;
        for (const PolygonRecord* p : faces) {
            if (p->texture != material) {
                material = p->texture;
                s += "usemtl ";
                s += MaterialName(doc, material);
                s += '\n';
            }
            const std::size_t kind = static_cast<std::size_t>(CQM4EditDoc::GetTextureVertexKind(p->type));
            s += 'f';
            for (int c = 0; c < 3; ++c) {
                s += ' ';
                AppendUInt(s, vIndex[p->vertex[c]]);
                s += '/';
                AppendUInt(s, tIndex[kind * 65536 + p->texVertex[c]]);
            }
            s += '\n';
        }
        counts.polygons += faces.size();
        ++counts.objects;
    }

    const std::vector<bool> used = UsedTextures(doc, options);
    std::string& m = files.mtl;
    const int textureCount = doc.TextureNames().GetCount();
    m += "# ";
    m += std::to_string(textureCount);
    m += textureCount == 1 ? " material\n" : " materials\n";
    for (int i = 0; i < textureCount; ++i) {
        const std::size_t ui = static_cast<std::size_t>(i);
        m += "\nnewmtl ";
        m += MaterialName(doc, i);
        m += "\nKa 1 1 1\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n";
        if (ui < textures.images.size() && textures.images[ui]) {
            std::vector<std::uint8_t> png = EncodePng(*textures.images[ui]);
            if (!png.empty()) {
                const std::string name = PngFileName(baseName, doc, i);
                m += "map_Kd ";
                m += name;
                m += '\n';
                files.pngs.emplace_back(name, std::move(png));
                ++counts.textures;
                continue;
            }
        }
        if (used[ui])
            ++counts.missingTextures;
    }
    return files;
}

std::vector<std::uint8_t> BuildGlb(const CQM4EditDoc& doc, const SceneTextures& textures, const ExportOptions& options,
                                   ExportCounts& counts)
{
    // Plain names, not a structured binding: the lambdas below capture them.
    const std::pair<int, int> range = ObjectRange(doc, options);
    const int first = range.first, last = range.second;
    const int textureCount = doc.TextureNames().GetCount();

    // The objects' meshes are independent: on a large scene each is built on a thread of its
    // own. A small scene stays on this thread.
    std::vector<GltfObjectMesh> meshes(static_cast<std::size_t>(std::max(0, last - first)));
    std::size_t polygonTotal = 0;
    for (int o = first; o < last; ++o)
        polygonTotal += doc.GetObjectRecord(o).polygons.size();
    common::ParallelFor(
        meshes.size(), [&](std::size_t k) { meshes[k] = MeshOf(doc, first + static_cast<int>(k), textureCount); },
        polygonTotal < 50000 ? 1u : 0u);

    // One material per texture name, at the texture's index; only used ones get their image.
    std::vector<bool> used(static_cast<std::size_t>(textureCount), false);
    for (const GltfObjectMesh& mesh : meshes)
        for (const GltfPrimitive& gp : mesh.primitives)
            used[static_cast<std::size_t>(gp.texture)] = true;

    // The document first: it needs only where each part will stand in the binary buffer,
    // which is then written once, straight into the file's bytes.
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "qm4tool";
    tinygltf::Scene gltfScene;
    std::size_t binSize = 0;
    for (std::size_t k = 0; k < meshes.size(); ++k) {
        GltfObjectMesh& mesh = meshes[k];
        const int o = first + static_cast<int>(k);
        const std::string name = ObjectName(o, doc.GetObjectCount());
        counts.polygons += mesh.faces;
        counts.skippedPolygons += mesh.skipped;
        ++counts.objects;

        gltfScene.nodes.push_back(static_cast<int>(model.nodes.size()));
        tinygltf::Node node;
        node.name = name;
        if (mesh.primitives.empty()) {
            // A glTF mesh needs at least one primitive: an object without polygons is a bare node.
            model.nodes.push_back(std::move(node));
            continue;
        }
        node.mesh = static_cast<int>(model.meshes.size());
        model.nodes.push_back(std::move(node));

        mesh.vertexOffset = binSize;
        const std::size_t vertexBytes = mesh.vertices.size() * sizeof(GltfVertex);
        binSize = Align4(binSize + vertexBytes);
        const int view = AddView(model, mesh.vertexOffset, vertexBytes, TINYGLTF_TARGET_ARRAY_BUFFER);
        model.bufferViews.back().byteStride = sizeof(GltfVertex);
        const std::size_t vertexCount = mesh.vertices.size();
        const int posAccessor =
            AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, vertexCount, TINYGLTF_TYPE_VEC3);
        // The bounds must equal the accessor's float values exactly; a float widens to its
        // double without loss.
        model.accessors.back().minValues.assign(mesh.min, mesh.min + 3);
        model.accessors.back().maxValues.assign(mesh.max, mesh.max + 3);
        const int uvAccessor = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, vertexCount, TINYGLTF_TYPE_VEC2);
        model.accessors.back().byteOffset = offsetof(GltfVertex, u);

        tinygltf::Mesh gltfMesh;
        gltfMesh.name = name;
        for (const GltfPrimitive& gp : mesh.primitives) {
            mesh.indexOffsets.push_back(binSize);
            const int iv = AddView(model, binSize, gp.IndexBytes(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            binSize = Align4(binSize + gp.IndexBytes());
            const int indexAccessor = AddAccessor(
                model, iv, gp.Narrow() ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT : TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                gp.indices.size(), TINYGLTF_TYPE_SCALAR);
            tinygltf::Primitive prim;
            prim.attributes["POSITION"] = posAccessor;
            prim.attributes["TEXCOORD_0"] = uvAccessor;
            prim.indices = indexAccessor;
            prim.material = gp.texture;
            prim.mode = TINYGLTF_MODE_TRIANGLES;
            gltfMesh.primitives.push_back(std::move(prim));
        }
        model.meshes.push_back(std::move(gltfMesh));
    }

    // Materials, each with its texture when the file was found. The PNG goes into the binary
    // buffer as it is; tinygltf is built without an image codec and never re-encodes it.
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> pngs; // offset, bytes
    for (int ti = 0; ti < textureCount; ++ti) {
        const std::size_t k = static_cast<std::size_t>(ti);
        std::vector<std::uint8_t> png;
        if (used[k] && k < textures.images.size() && textures.images[k])
            png = EncodePng(*textures.images[k]);
        tinygltf::Material material;
        material.name = MaterialName(doc, ti);
        material.pbrMetallicRoughness.metallicFactor = 0;
        material.pbrMetallicRoughness.roughnessFactor = 1;
        if (!png.empty()) {
            tinygltf::Image image;
            image.name = material.name;
            image.bufferView = AddView(model, binSize, png.size(), 0);
            pngs.emplace_back(binSize, std::move(png));
            binSize = Align4(binSize + pngs.back().second.size());
            image.mimeType = "image/png";
            tinygltf::Texture texture;
            texture.sampler = 0;
            texture.source = static_cast<int>(model.images.size());
            material.pbrMetallicRoughness.baseColorTexture.index = static_cast<int>(model.textures.size());
            model.images.push_back(std::move(image));
            model.textures.push_back(std::move(texture));
            ++counts.textures;
        } else if (used[k]) {
            ++counts.missingTextures;
        }
        model.materials.push_back(std::move(material));
    }
    if (!model.images.empty()) {
        tinygltf::Sampler sampler;
        sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
        model.samplers.push_back(sampler);
    }
    model.scenes.push_back(std::move(gltfScene));
    model.defaultScene = 0;

    // tinygltf writes the JSON without buffers; the one buffer, the binary chunk, is ours.
    std::ostringstream text;
    tinygltf::TinyGLTF writer;
    writer.WriteGltfSceneToStream(&model, text, false, false);
    std::string json = text.str();
    while (!json.empty() && (json.back() == '\n' || json.back() == '\r' || json.back() == ' '))
        json.pop_back();
    if (binSize != 0 && json.size() >= 2 && json.front() == '{')
        json.insert(1, "\"buffers\":[{\"byteLength\":" + std::to_string(binSize) + "}]" + (json[1] == '}' ? "" : ","));
    // The JSON chunk is padded with spaces, the binary one with zeros, each to 4 bytes.
    json.resize(Align4(json.size()), ' ');

    const std::size_t jsonAt = 20;
    const std::size_t binAt = jsonAt + json.size() + 8;
    const std::size_t total = binSize ? binAt + binSize : jsonAt + json.size();
    std::vector<std::uint8_t> glb(total, 0);
    std::memcpy(glb.data(), "glTF", 4);
    PutU32(glb.data() + 4, 2);
    PutU32(glb.data() + 8, static_cast<std::uint32_t>(total));
    PutU32(glb.data() + 12, static_cast<std::uint32_t>(json.size()));
    PutU32(glb.data() + 16, 0x4E4F534A); // "JSON"
    std::memcpy(glb.data() + jsonAt, json.data(), json.size());
    if (binSize != 0) {
        PutU32(glb.data() + binAt - 8, static_cast<std::uint32_t>(binSize));
        PutU32(glb.data() + binAt - 4, 0x004E4942); // "BIN"
    }
    std::uint8_t* const bin = glb.data() + binAt;
    common::ParallelFor(
        meshes.size(),
        [&](std::size_t k) {
            GltfObjectMesh& mesh = meshes[k];
            if (mesh.primitives.empty())
                return;
            std::memcpy(bin + mesh.vertexOffset, mesh.vertices.data(), mesh.vertices.size() * sizeof(GltfVertex));
            for (std::size_t p = 0; p < mesh.primitives.size(); ++p) {
                const GltfPrimitive& gp = mesh.primitives[p];
                std::uint8_t* at = bin + mesh.indexOffsets[p];
                if (!gp.Narrow()) {
                    std::memcpy(at, gp.indices.data(), gp.indices.size() * 4);
                    continue;
                }
                for (const std::uint32_t i : gp.indices) {
                    const auto narrow = static_cast<std::uint16_t>(i);
                    std::memcpy(at, &narrow, 2);
                    at += 2;
                }
            }
            mesh = {};
        },
        polygonTotal < 50000 ? 1u : 0u);
    for (const auto& [offset, png] : pngs)
        std::memcpy(bin + offset, png.data(), png.size());
    return glb;
}

std::string ExportResult::Summary() const
{
    std::string s = "Exported " + Plural(counts.objects, "object", "objects") + ", " +
        Plural(counts.polygons, "polygon", "polygons") + ", " + Plural(counts.textures, "texture", "textures") + ".";
    if (counts.skippedPolygons)
        s += " " + Plural(counts.skippedPolygons, "polygon", "polygons") +
            " left out: an index names a vertex, texture vertex or texture that does not exist.";
    if (counts.missingTextures)
        s += " " + Plural(counts.missingTextures, "texture", "textures") + " not found beside the scene.";
    return s;
}

ExportResult ExportModelFile(const CQM4EditDoc& doc, const std::filesystem::path& sceneFolder,
                             const std::filesystem::path& out, const ExportOptions& options, common::IFileSystem& fs)
{
    ExportResult result;
    const std::optional<ModelFormat> format = ModelFormatFromPath(out);
    if (!format) {
        result.ok = false;
        result.message = UnknownModelFormatMessage(common::PathToUtf8(out));
        return result;
    }
    const SceneTextures textures = LoadSceneTextures(doc, sceneFolder, UsedTextures(doc, options));
    auto write = [&](const std::filesystem::path& path, const void* data, std::size_t size) {
        if (common::WriteFileAtomically(path, std::span(static_cast<const std::uint8_t*>(data), size), fs))
            return true;
        result.ok = false;
        result.message = CannotWriteMessage(common::PathToUtf8(path));
        return false;
    };
    if (*format == ModelFormat::Glb) {
        const std::vector<std::uint8_t> glb = BuildGlb(doc, textures, options, result.counts);
        write(out, glb.data(), glb.size());
        return result;
    }
    const std::string baseName = SanitizeName(common::PathToUtf8(out.stem()));
    const ObjFiles files = BuildObj(doc, textures, baseName, options, result.counts);
    const std::filesystem::path folder = out.parent_path();
    for (const auto& [name, png] : files.pngs)
        if (!write(folder / common::PathFromUtf8(name), png.data(), png.size()))
            return result;
    if (!write(folder / common::PathFromUtf8(baseName + ".mtl"), files.mtl.data(), files.mtl.size()))
        return result;
    write(out, files.obj.data(), files.obj.size());
    return result;
}

} // namespace interchange

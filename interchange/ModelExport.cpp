#include "interchange/ModelExport.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "interchange/ImageCodec.h"
#include "interchange/InterchangeMessages.h"
#include "interchange/ModelMesh.h"

#include <ostream>
#include <streambuf>

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
// value share one 64-bit slot, so a lookup touches one cache line; the table is allocated
// once for the largest object and cleared between objects.
class CornerTable {
public:
    explicit CornerTable(std::size_t maxCorners)
    {
        std::size_t cap = 16;
        while (cap < maxCorners * 2)
            cap <<= 1;
        m_slots.resize(cap);
    }
    void Reset(std::size_t corners)
    {
        std::size_t cap = 16;
        while (cap < corners * 2)
            cap <<= 1;
        std::fill(m_slots.begin(), m_slots.begin() + static_cast<std::ptrdiff_t>(cap), EMPTY);
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
};

// A mesh vertex as the buffer holds it: position and texture coordinate interleaved, one
// buffer view with a stride of 20 bytes for both accessors.
struct GltfVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(GltfVertex) == 20);

// Appends bytes to the binary buffer at a 4-byte boundary and makes a view of them.
int AddView(tinygltf::Model& model, const void* data, std::size_t size, int target)
{
    std::vector<unsigned char>& bin = model.buffers[0].data;
    while (bin.size() % 4)
        bin.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bin.size();
    view.byteLength = size;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    bin.insert(bin.end(), p, p + size);
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

// An output stream that appends to a byte vector, so the file tinygltf writes needs no copy
// through a string.
class VectorBuf : public std::streambuf {
public:
    explicit VectorBuf(std::vector<std::uint8_t>& out) : m_out(out) {}

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        m_out.insert(m_out.end(), s, s + n);
        return n;
    }
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            m_out.push_back(static_cast<std::uint8_t>(c));
        return traits_type::not_eof(c);
    }

private:
    std::vector<std::uint8_t>& m_out;
};

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
    const auto [first, last] = ObjectRange(doc, options);
    const int textureCount = doc.TextureNames().GetCount();

    // One material per texture name, at the texture's index; only used ones get their image.
    std::vector<bool> used(static_cast<std::size_t>(textureCount), false);

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "qm4tool";
    model.buffers.emplace_back();
    std::size_t polygonTotal = 0;
    for (int o = first; o < last; ++o)
        polygonTotal += doc.GetObjectRecord(o).polygons.size();
    // At most three new vertices of 20 bytes and three indices a polygon, plus the images
    // (a PNG of ours is never much larger than its pixels), so the buffer never moves.
    std::size_t imageBytes = 0;
    for (const auto& image : textures.images)
        if (image)
            imageBytes += image->rgba.size() / 8 * 9 + 4096;
    model.buffers[0].data.reserve(polygonTotal * 3 * 24 + imageBytes + (std::size_t(1) << 16));
    tinygltf::Scene gltfScene;

    std::size_t maxPolygons = 0;
    for (int o = first; o < last; ++o)
        maxPolygons = std::max(maxPolygons, doc.GetObjectRecord(o).polygons.size());
    CornerTable table(maxPolygons * 3);
    std::vector<GltfPrimitive> primitives;
    std::vector<std::uint16_t> narrow;
    std::vector<unsigned char>& bin = model.buffers[0].data;
    for (int o = first; o < last; ++o) {
        const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(o).polygons;
        const std::string name = ObjectName(o, doc.GetObjectCount());
        table.Reset(polygons.size() * 3);
        for (GltfPrimitive& gp : primitives)
            gp.indices.clear(); // keeps their memory for the next object
        std::size_t primitiveCount = 0;
        std::vector<int> primitiveOf(static_cast<std::size_t>(textureCount), -1);

        // The vertices go straight into the buffer, at most one per corner; the unused tail
        // is cut off below.
        while (bin.size() % 4)
            bin.push_back(0);
        const std::size_t vertexOffset = bin.size();
        bin.resize(vertexOffset + polygons.size() * 3 * sizeof(GltfVertex));
        unsigned char* const vertexBase = bin.data() + vertexOffset;
        std::uint32_t vertices = 0;
        float min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
        std::size_t faces = 0;
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
                ++counts.skippedPolygons;
                continue;
            }
            ++faces;
            used[p.texture] = true;
            int& prim = primitiveOf[p.texture];
            if (prim < 0) {
                prim = static_cast<int>(primitiveCount++);
                if (primitives.size() < primitiveCount)
                    primitives.emplace_back();
                primitives[static_cast<std::size_t>(prim)].texture = p.texture;
                primitives[static_cast<std::size_t>(prim)].maxIndex = 0;
            }
            GltfPrimitive& gp = primitives[static_cast<std::size_t>(prim)];
            for (int c = 0; c < 3; ++c) {
                bool inserted = false;
                const std::uint32_t index = table.Find(cornerKey(p, c), vertices, inserted);
                if (inserted) {
                    const scene::ObjectVertex v = doc.ObjectVertices().GetAt(p.vertex[c]);
                    // glTF's texture origin is the top-left corner, like the scene's.
                    const scene::TextureVertex t = CornerUv(doc, p, c);
                    const float xyz[3] = {v.x, v.y, v.z};
                    for (int a = 0; a < 3; ++a) {
                        if (vertices == 0 || xyz[a] < min[a])
                            min[a] = xyz[a];
                        if (vertices == 0 || xyz[a] > max[a])
                            max[a] = xyz[a];
                    }
                    const GltfVertex gv{v.x, v.y, v.z, t.u, t.v};
                    std::memcpy(vertexBase + std::size_t(vertices) * sizeof gv, &gv, sizeof gv);
                    ++vertices;
                }
                gp.indices.push_back(index);
                gp.maxIndex = std::max(gp.maxIndex, index);
            }
        }
        bin.resize(vertexOffset + std::size_t(vertices) * sizeof(GltfVertex));
        counts.polygons += faces;
        ++counts.objects;

        gltfScene.nodes.push_back(static_cast<int>(model.nodes.size()));
        tinygltf::Node node;
        node.name = name;
        if (primitiveCount == 0) {
            // A glTF mesh needs at least one primitive: an object without polygons is a bare node.
            model.nodes.push_back(std::move(node));
            continue;
        }
        node.mesh = static_cast<int>(model.meshes.size());
        model.nodes.push_back(std::move(node));

        tinygltf::BufferView vertexView;
        vertexView.buffer = 0;
        vertexView.byteOffset = vertexOffset;
        vertexView.byteLength = std::size_t(vertices) * sizeof(GltfVertex);
        vertexView.byteStride = sizeof(GltfVertex);
        vertexView.target = TINYGLTF_TARGET_ARRAY_BUFFER;
        model.bufferViews.push_back(std::move(vertexView));
        const int view = static_cast<int>(model.bufferViews.size()) - 1;
        const int posAccessor = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, vertices, TINYGLTF_TYPE_VEC3);
        // The bounds must equal the accessor's float values exactly; a float widens to its
        // double without loss.
        model.accessors.back().minValues.assign(min, min + 3);
        model.accessors.back().maxValues.assign(max, max + 3);
        const int uvAccessor = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, vertices, TINYGLTF_TYPE_VEC2);
        model.accessors.back().byteOffset = offsetof(GltfVertex, u);

        tinygltf::Mesh gltfMesh;
        gltfMesh.name = name;
        for (std::size_t k = 0; k < primitiveCount; ++k) {
            const GltfPrimitive& gp = primitives[k];
            // The smallest index type that holds every index keeps files of small objects small.
            int indexAccessor;
            if (gp.maxIndex < 65535) {
                narrow.assign(gp.indices.begin(), gp.indices.end());
                const int iv = AddView(model, narrow.data(), narrow.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                indexAccessor =
                    AddAccessor(model, iv, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, narrow.size(), TINYGLTF_TYPE_SCALAR);
            } else {
                const int iv =
                    AddView(model, gp.indices.data(), gp.indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                indexAccessor = AddAccessor(model, iv, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, gp.indices.size(),
                                            TINYGLTF_TYPE_SCALAR);
            }
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
            image.bufferView = AddView(model, png.data(), png.size(), 0);
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
    if (model.buffers[0].data.empty())
        model.buffers.clear(); // a buffer must not be empty
    model.scenes.push_back(std::move(gltfScene));
    model.defaultScene = 0;

    std::vector<std::uint8_t> glb;
    glb.reserve((model.buffers.empty() ? 0 : model.buffers[0].data.size()) + (std::size_t(1) << 16));
    VectorBuf buf(glb);
    std::ostream out(&buf);
    tinygltf::TinyGLTF writer;
    writer.WriteGltfSceneToStream(&model, out, false, true);
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

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

// Open addressing from (vertex, kind, texture vertex) to the mesh vertex made for it.
class CornerTable {
public:
    explicit CornerTable(std::size_t corners)
    {
        std::size_t cap = 16;
        while (cap < corners * 2)
            cap <<= 1;
        m_keys.assign(cap, EMPTY);
        m_values.resize(cap);
        m_mask = cap - 1;
    }
    // Returns the index stored for key, inserting next when it is new (inserted tells which).
    std::uint32_t Find(std::uint64_t key, std::uint32_t next, bool& inserted)
    {
        std::size_t i = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & m_mask;
        while (true) {
            if (m_keys[i] == key) {
                inserted = false;
                return m_values[i];
            }
            if (m_keys[i] == EMPTY) {
                m_keys[i] = key;
                m_values[i] = next;
                inserted = true;
                return next;
            }
            i = (i + 1) & m_mask;
        }
    }

private:
    static constexpr std::uint64_t EMPTY = ~std::uint64_t(0);
    std::vector<std::uint64_t> m_keys;
    std::vector<std::uint32_t> m_values;
    std::size_t m_mask = 0;
};

struct GltfPrimitive {
    int texture = 0;
    std::vector<std::uint32_t> indices;
    std::uint32_t maxIndex = 0;
};

struct GltfMesh {
    std::string name;
    std::vector<float> positions; // x, y, z per vertex
    std::vector<float> uvs;        // u, v per vertex
    float min[3] = {0, 0, 0};
    float max[3] = {0, 0, 0};
    std::vector<GltfPrimitive> primitives; // in order of first use of their texture
};

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

std::vector<std::uint8_t> BuildGlb(const CQM4EditDoc& doc, const SceneTextures& textures,
                                   const ExportOptions& options, ExportCounts& counts)
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
    // At most three new vertices of 20 bytes and three indices a polygon, plus the images.
    model.buffers[0].data.reserve(polygonTotal * 3 * 24 + (std::size_t(1) << 20));
    tinygltf::Scene gltfScene;

    GltfMesh mesh;
    for (int o = first; o < last; ++o) {
        const std::vector<PolygonRecord>& polygons = doc.GetObjectRecord(o).polygons;
        mesh.name = ObjectName(o, doc.GetObjectCount());
        mesh.positions.clear();
        mesh.uvs.clear();
        mesh.primitives.clear();
        CornerTable table(polygons.size() * 3);
        mesh.positions.reserve(polygons.size() * 9);
        mesh.uvs.reserve(polygons.size() * 6);
        std::vector<int> primitiveOf(static_cast<std::size_t>(textureCount), -1);
        std::size_t faces = 0;
        for (const PolygonRecord& p : polygons) {
            if (!IsExportable(doc, p)) {
                ++counts.skippedPolygons;
                continue;
            }
            ++faces;
            used[p.texture] = true;
            int& prim = primitiveOf[p.texture];
            if (prim < 0) {
                prim = static_cast<int>(mesh.primitives.size());
                mesh.primitives.push_back({p.texture, {}, 0});
                if (mesh.primitives.size() == 1)
                    mesh.primitives.back().indices.reserve(polygons.size() * 3);
            }
            GltfPrimitive& gp = mesh.primitives[static_cast<std::size_t>(prim)];
            const std::uint64_t kind = static_cast<std::uint64_t>(CQM4EditDoc::GetTextureVertexKind(p.type));
            for (int c = 0; c < 3; ++c) {
                const std::uint64_t key = (std::uint64_t(p.vertex[c]) << 18) | (kind << 16) | p.texVertex[c];
                bool inserted = false;
                const std::uint32_t next = static_cast<std::uint32_t>(mesh.positions.size() / 3);
                const std::uint32_t index = table.Find(key, next, inserted);
                if (inserted) {
                    const scene::ObjectVertex v = doc.ObjectVertices().GetAt(p.vertex[c]);
                    const scene::TextureVertex t = CornerUv(doc, p, c);
                    const float xyz[3] = {v.x, v.y, v.z};
                    for (int a = 0; a < 3; ++a) {
                        if (next == 0 || xyz[a] < mesh.min[a])
                            mesh.min[a] = xyz[a];
                        if (next == 0 || xyz[a] > mesh.max[a])
                            mesh.max[a] = xyz[a];
                    }
                    mesh.positions.insert(mesh.positions.end(), xyz, xyz + 3);
                    // glTF's texture origin is the top-left corner, like the scene's.
                    mesh.uvs.push_back(t.u);
                    mesh.uvs.push_back(t.v);
                }
                gp.indices.push_back(index);
                gp.maxIndex = std::max(gp.maxIndex, index);
            }
        }
        counts.polygons += faces;
        ++counts.objects;

        gltfScene.nodes.push_back(static_cast<int>(model.nodes.size()));
        tinygltf::Node node;
        node.name = mesh.name;
        if (mesh.primitives.empty()) {
            // A glTF mesh needs at least one primitive: an object without polygons is a bare node.
            model.nodes.push_back(std::move(node));
            continue;
        }
        node.mesh = static_cast<int>(model.meshes.size());
        model.nodes.push_back(std::move(node));

        const std::size_t vertices = mesh.positions.size() / 3;
        const int posView = AddView(model, mesh.positions.data(), mesh.positions.size() * sizeof(float),
                                    TINYGLTF_TARGET_ARRAY_BUFFER);
        const int posAccessor =
            AddAccessor(model, posView, TINYGLTF_COMPONENT_TYPE_FLOAT, vertices, TINYGLTF_TYPE_VEC3);
        // The bounds must equal the accessor's float values exactly; a float widens to its
        // double without loss.
        model.accessors.back().minValues.assign(mesh.min, mesh.min + 3);
        model.accessors.back().maxValues.assign(mesh.max, mesh.max + 3);
        const int uvView =
            AddView(model, mesh.uvs.data(), mesh.uvs.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
        const int uvAccessor = AddAccessor(model, uvView, TINYGLTF_COMPONENT_TYPE_FLOAT, vertices, TINYGLTF_TYPE_VEC2);

        tinygltf::Mesh gltfMesh;
        gltfMesh.name = mesh.name;
        for (const GltfPrimitive& gp : mesh.primitives) {
            // The smallest index type that holds every index keeps files of small objects small.
            int indexAccessor;
            if (gp.maxIndex < 65535) {
                std::vector<std::uint16_t> narrow(gp.indices.begin(), gp.indices.end());
                const int view =
                    AddView(model, narrow.data(), narrow.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                indexAccessor = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, narrow.size(),
                                            TINYGLTF_TYPE_SCALAR);
            } else {
                const int view =
                    AddView(model, gp.indices.data(), gp.indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                indexAccessor = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, gp.indices.size(),
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
                    Plural(counts.polygons, "polygon", "polygons") + ", " +
                    Plural(counts.textures, "texture", "textures") + ".";
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

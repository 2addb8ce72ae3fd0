#include "interchange/Thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace interchange {

namespace {

bool SizeOk(int size)
{
    return size >= MIN_THUMBNAIL_SIZE && size <= MAX_THUMBNAIL_SIZE;
}

// Box-filters src (w x h) down by an integer factor, weighting colour by alpha.
texture::RgbaImage Downsample(const std::vector<std::uint8_t>& src, int w, int h, int factor)
{
    texture::RgbaImage out;
    out.width = w / factor;
    out.height = h / factor;
    out.rgba.assign(std::size_t(out.width) * std::size_t(out.height) * 4, 0);
    for (int oy = 0; oy < out.height; ++oy)
        for (int ox = 0; ox < out.width; ++ox) {
            std::uint32_t sum[4] = {0, 0, 0, 0};
            for (int y = oy * factor; y < (oy + 1) * factor; ++y)
                for (int x = ox * factor; x < (ox + 1) * factor; ++x) {
                    const std::uint8_t* p = &src[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += std::uint32_t(p[c]) * p[3];
                    sum[3] += p[3];
                }
            std::uint8_t* d = &out.rgba[(std::size_t(oy) * std::size_t(out.width) + std::size_t(ox)) * 4];
            if (sum[3] == 0)
                continue;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<std::uint8_t>((sum[c] + sum[3] / 2) / sum[3]);
            const std::uint32_t n = std::uint32_t(factor) * std::uint32_t(factor);
            d[3] = static_cast<std::uint8_t>((sum[3] + n / 2) / n);
        }
    return out;
}

} // namespace

texture::RgbaImage ScaleToFit(const texture::RgbaImage& image, int size)
{
    texture::RgbaImage out;
    if (!SizeOk(size) || image.width <= 0 || image.height <= 0 ||
        image.rgba.size() < std::size_t(image.width) * std::size_t(image.height) * 4)
        return out;
    const std::int64_t w = image.width, h = image.height;
    const std::int64_t longer = std::max(w, h);
    out.width = static_cast<int>(std::max<std::int64_t>(1, (w * size + longer / 2) / longer));
    out.height = static_cast<int>(std::max<std::int64_t>(1, (h * size + longer / 2) / longer));
    out.rgba.assign(std::size_t(out.width) * std::size_t(out.height) * 4, 0);
    for (std::int64_t oy = 0; oy < out.height; ++oy) {
        const std::int64_t y0 = oy * h / out.height;
        const std::int64_t y1 = std::max(y0 + 1, (oy + 1) * h / out.height);
        for (std::int64_t ox = 0; ox < out.width; ++ox) {
            const std::int64_t x0 = ox * w / out.width;
            const std::int64_t x1 = std::max(x0 + 1, (ox + 1) * w / out.width);
            std::uint64_t sum[4] = {0, 0, 0, 0};
            std::uint64_t plain[3] = {0, 0, 0};
            for (std::int64_t y = y0; y < y1; ++y)
                for (std::int64_t x = x0; x < x1; ++x) {
                    const std::uint8_t* p = &image.rgba[std::size_t((y * w + x) * 4)];
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += std::uint64_t(p[c]) * p[3];
                        plain[c] += p[c];
                    }
                    sum[3] += p[3];
                }
            const std::uint64_t n = std::uint64_t((y1 - y0) * (x1 - x0));
            std::uint8_t* d = &out.rgba[std::size_t((oy * out.width + ox) * 4)];
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<std::uint8_t>(sum[3] ? (sum[c] + sum[3] / 2) / sum[3] : (plain[c] + n / 2) / n);
            d[3] = static_cast<std::uint8_t>((sum[3] + n / 2) / n);
        }
    }
    return out;
}

texture::RgbaImage TextureThumbnail(const texture::CPixloomDoc& doc, int size)
{
    texture::RgbaImage rgba = texture::ToRgba(doc);
    bool anyAlpha = false;
    for (std::size_t i = 3; i < rgba.rgba.size() && !anyAlpha; i += 4)
        anyAlpha = rgba.rgba[i] != 0;
    if (!anyAlpha)
        for (std::size_t i = 3; i < rgba.rgba.size(); i += 4)
            rgba.rgba[i] = 255;
    return ScaleToFit(rgba, size);
}

// ---------------------------------------------------------------------------------------
// The scene

namespace {

// Positions this far out are damaged data, not geometry; they would shrink the rest to a dot.
constexpr float FARTHEST = 1.0e7f;

// The view: turned 45 degrees about the vertical axis and looking down 30 degrees, so that
// the tops and two sides of boxes show. Orthographic, which fits the square exactly. y is up.
struct View {
    float r[3], u[3], e[3]; // right, up on screen, towards the eye

    View()
    {
        const float yaw = 0.7853982f, pitch = 0.5235988f;
        const float sa = std::sin(yaw), ca = std::cos(yaw), sp = std::sin(pitch), cp = std::cos(pitch);
        e[0] = sa * cp, e[1] = sp, e[2] = ca * cp;
        r[0] = ca, r[1] = 0, r[2] = -sa;
        u[0] = -sp * sa, u[1] = cp, u[2] = -sp * ca;
    }
};

struct Projected {
    float x, y, depth;
    bool usable;
};

// One polygon's texture image and coordinates, or none for a flat-shaded face.
struct Skin {
    const texture::RgbaImage* image = nullptr;
    float u[3] = {0, 0, 0}, v[3] = {0, 0, 0};
};

class CTextureSet {
public:
    CTextureSet(const scene::CQM4EditDoc& doc, std::filesystem::path folder)
        : m_doc(doc), m_folder(std::move(folder)), m_images(std::size_t(doc.TextureNames().GetCount()))
    {}

    // Reads a texture on its first use only; one that is missing or unreadable stays absent.
    // A scene naming more textures than any real one does gets the rest flat-shaded: each
    // lookup may scan the folder.
    const texture::RgbaImage* Get(std::uint16_t index)
    {
        if (index >= m_images.size())
            return nullptr;
        Slot& slot = m_images[index];
        if (!slot.tried && m_lookups < MAX_TEXTURE_LOOKUPS) {
            ++m_lookups;
            slot.tried = true;
            if (const auto path = texture::FindTextureFile(m_folder, m_doc.GetTextureName(index)))
                if (auto image = texture::LoadTextureRgba(*path); image && image->width > 0 && image->height > 0)
                    slot.image = std::move(*image);
        }
        return slot.image ? &*slot.image : nullptr;
    }

private:
    struct Slot {
        bool tried = false;
        std::optional<texture::RgbaImage> image;
    };
    static constexpr int MAX_TEXTURE_LOOKUPS = 256;
    const scene::CQM4EditDoc& m_doc;
    std::filesystem::path m_folder;
    std::vector<Slot> m_images;
    int m_lookups = 0;
};

bool UvOf(const scene::CQM4EditDoc& doc, int kind, std::uint16_t index, float& u, float& v)
{
    auto take = [&](const auto records) {
        if (index >= records.size())
            return false;
        u = records[index].u;
        v = records[index].v;
        return std::isfinite(u) && std::isfinite(v);
    };
    if (kind == scene::TEXVERTEX_PRELIT)
        return take(doc.PrelitTexVertices().Records());
    if (kind == scene::TEXVERTEX_LIT)
        return take(doc.LitTexVertices().Records());
    return take(doc.UnlitTexVertices().Records());
}

// Wraps a texture coordinate into [0, size): textures repeat, as in the editor.
int Wrap(float t, int size)
{
    // Coordinates near the float limit can sum to infinity between the corners.
    const double f = static_cast<double>(t) - std::floor(static_cast<double>(t));
    if (!std::isfinite(f))
        return 0;
    return std::min(size - 1, std::max(0, static_cast<int>(f * size)));
}

class CRasterizer {
public:
    explicit CRasterizer(int size)
        : m_size(size), m_color(std::size_t(size) * size * 4, 0), m_depth(std::size_t(size) * size),
          m_budget(std::uint64_t(256) * std::uint64_t(size) * std::uint64_t(size))
    {
        std::fill(m_depth.begin(), m_depth.end(), -std::numeric_limits<float>::infinity());
    }

    // Corners in pixels (y down) with their depth (larger is nearer); shade scales the colour.
    void Draw(const Projected* c[3], const Skin& skin, float shade)
    {
        const float x0 = c[0]->x, y0 = c[0]->y, x1 = c[1]->x, y1 = c[1]->y, x2 = c[2]->x, y2 = c[2]->y;
        const float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        if (!(std::fabs(area) > 1e-12f))
            return;
        const int minX = std::max(0, static_cast<int>(std::floor(std::min({x0, x1, x2}))));
        const int maxX = std::min(m_size - 1, static_cast<int>(std::ceil(std::max({x0, x1, x2}))));
        const int minY = std::max(0, static_cast<int>(std::floor(std::min({y0, y1, y2}))));
        const int maxY = std::min(m_size - 1, static_cast<int>(std::ceil(std::max({y0, y1, y2}))));
        if (minX > maxX || minY > maxY)
            return;
        // A hostile file can make every one of a million faces cover the whole picture; past
        // a budget far above what real scenes need, the rest is left out.
        const std::uint64_t box = std::uint64_t(maxX - minX + 1) * std::uint64_t(maxY - minY + 1);
        if (box > m_budget)
            return;
        m_budget -= box;
        const float inv = 1.0f / area;
        const std::uint8_t flat[3] = {Channel(200, shade), Channel(200, shade), Channel(208, shade)};
        for (int py = minY; py <= maxY; ++py) {
            const float sy = static_cast<float>(py) + 0.5f;
            for (int px = minX; px <= maxX; ++px) {
                const float sx = static_cast<float>(px) + 0.5f;
                // Barycentric weights; a pixel centre on an edge counts for both faces.
                const float w0 = ((x1 - sx) * (y2 - sy) - (x2 - sx) * (y1 - sy)) * inv;
                const float w1 = ((x2 - sx) * (y0 - sy) - (x0 - sx) * (y2 - sy)) * inv;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0)
                    continue;
                const float depth = w0 * c[0]->depth + w1 * c[1]->depth + w2 * c[2]->depth;
                const std::size_t at = std::size_t(py) * std::size_t(m_size) + std::size_t(px);
                if (!(depth > m_depth[at]))
                    continue;
                m_depth[at] = depth;
                std::uint8_t* d = &m_color[at * 4];
                if (skin.image) {
                    const float u = w0 * skin.u[0] + w1 * skin.u[1] + w2 * skin.u[2];
                    const float v = w0 * skin.v[0] + w1 * skin.v[1] + w2 * skin.v[2];
                    const texture::RgbaImage& img = *skin.image;
                    // v runs down from the top row, as the editor draws it.
                    const std::uint8_t* t = &img.rgba[(std::size_t(Wrap(v, img.height)) * std::size_t(img.width) +
                                                       std::size_t(Wrap(u, img.width))) *
                                                      4];
                    d[0] = Channel(t[0], shade);
                    d[1] = Channel(t[1], shade);
                    d[2] = Channel(t[2], shade);
                } else {
                    d[0] = flat[0];
                    d[1] = flat[1];
                    d[2] = flat[2];
                }
                d[3] = 255;
            }
        }
    }

    const std::vector<std::uint8_t>& Color() const { return m_color; }

private:
    static std::uint8_t Channel(unsigned value, float shade)
    {
        return static_cast<std::uint8_t>(std::min(255.0f, static_cast<float>(value) * shade + 0.5f));
    }

    int m_size;
    std::vector<std::uint8_t> m_color;
    std::vector<float> m_depth;
    std::uint64_t m_budget; // pixels the remaining faces may still test
};

} // namespace

texture::RgbaImage SceneThumbnail(const scene::CQM4EditDoc& doc, const std::filesystem::path& sceneFolder, int size)
{
    if (!SizeOk(size))
        return {};
    // Drawn at twice the size and averaged down, so edges are smooth; large previews need it less.
    const int factor = size <= 512 ? 2 : 1;
    const int canvas = size * factor;

    const View view;
    const auto vertices = doc.ObjectVertices().Records();
    std::vector<Projected> projected(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const scene::ObjectVertex v = vertices[i];
        Projected& p = projected[i];
        p.usable = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::fabs(v.x) < FARTHEST &&
            std::fabs(v.y) < FARTHEST && std::fabs(v.z) < FARTHEST;
        if (!p.usable)
            continue;
        p.x = v.x * view.r[0] + v.y * view.r[1] + v.z * view.r[2];
        p.y = v.x * view.u[0] + v.y * view.u[1] + v.z * view.u[2];
        p.depth = v.x * view.e[0] + v.y * view.e[1] + v.z * view.e[2];
    }

    // The fit: the extent of every corner of a polygon that will be drawn.
    auto drawable = [&](const scene::PolygonRecord& p) {
        for (int k = 0; k < 3; ++k)
            if (p.vertex[k] >= projected.size() || !projected[p.vertex[k]].usable)
                return false;
        return true;
    };
    float lo[2] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    float hi[2] = {std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
    bool any = false;
    for (int o = 0; o < doc.GetObjectCount(); ++o)
        for (const scene::PolygonRecord& p : doc.GetObjectRecord(o).polygons) {
            if (!drawable(p))
                continue;
            any = true;
            for (int k = 0; k < 3; ++k) {
                const Projected& c = projected[p.vertex[k]];
                lo[0] = std::min(lo[0], c.x);
                hi[0] = std::max(hi[0], c.x);
                lo[1] = std::min(lo[1], c.y);
                hi[1] = std::max(hi[1], c.y);
            }
        }
    CRasterizer raster(canvas);
    if (any) {
        const float extent = std::max({hi[0] - lo[0], hi[1] - lo[1], 1e-6f});
        const float scale = static_cast<float>(canvas) * 0.92f / extent;
        const float cx = 0.5f * (lo[0] + hi[0]), cy = 0.5f * (lo[1] + hi[1]);
        const float half = 0.5f * static_cast<float>(canvas);
        for (Projected& p : projected) {
            if (!p.usable)
                continue;
            p.x = (p.x - cx) * scale + half;
            p.y = half - (p.y - cy) * scale;
        }

        // A light from above, a little to the left and in front, so that the faces of a box
        // each get their own shade; both sides of a face are lit alike.
        const float light[3] = {-0.3f / 1.2042f, 1.0f / 1.2042f, 0.6f / 1.2042f};
        CTextureSet textures(doc, sceneFolder);
        for (int o = 0; o < doc.GetObjectCount(); ++o)
            for (const scene::PolygonRecord& p : doc.GetObjectRecord(o).polygons) {
                if (!drawable(p))
                    continue;
                scene::ObjectVertex w[3];
                const Projected* c[3];
                for (int k = 0; k < 3; ++k) {
                    w[k] = vertices[p.vertex[k]];
                    c[k] = &projected[p.vertex[k]];
                }
                const float ax = w[1].x - w[0].x, ay = w[1].y - w[0].y, az = w[1].z - w[0].z;
                const float bx = w[2].x - w[0].x, by = w[2].y - w[0].y, bz = w[2].z - w[0].z;
                const float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
                const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
                const float facing = len > 0 && std::isfinite(len)
                    ? std::fabs(nx * light[0] + ny * light[1] + nz * light[2]) / len
                    : 1.0f;
                const float shade = 0.35f + 0.65f * facing;

                Skin skin;
                if (const texture::RgbaImage* image = textures.Get(p.texture)) {
                    const int kind = scene::CQM4EditDoc::GetTextureVertexKind(p.type);
                    bool ok = true;
                    for (int k = 0; k < 3 && ok; ++k)
                        ok = UvOf(doc, kind, p.texVertex[k], skin.u[k], skin.v[k]);
                    if (ok)
                        skin.image = image;
                }
                raster.Draw(c, skin, shade);
            }
    }
    if (factor == 1) {
        texture::RgbaImage out;
        out.width = out.height = canvas;
        out.rgba = raster.Color();
        return out;
    }
    return Downsample(raster.Color(), canvas, canvas, factor);
}

} // namespace interchange

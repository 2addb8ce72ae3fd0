#pragma once
// Scenes the editor tests open, made with our own generator, and small helpers around them.

#include <cstdint>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include "SceneGen.h"
#include "editor/ViewSelection.h"

namespace fixtures {

inline constexpr auto Tri = scenegen::Triangle;

// Two objects of three and one polygons over six vertices (18 tree items).
inline scenegen::GenScene TwoObjects()
{
    scenegen::GenScene s;
    s.vertices = {{0, 0, 0}, {40, 0, 0}, {0, 0, 30}, {40, 0, 30}, {-40, 0, -30}, {20, 20, 20}};
    scenegen::GenObject a;
    a.polygons = {Tri(0, 1, 2), Tri(1, 3, 2), Tri(0, 2, 4)};
    scenegen::GenObject b;
    b.polygons = {Tri(3, 4, 5)};
    s.objects = {a, b};
    return s;
}

// Just vertices, no objects.
inline scenegen::GenScene Points(std::vector<std::array<float, 3>> vertices)
{
    scenegen::GenScene s;
    s.vertices = std::move(vertices);
    return s;
}

inline std::vector<std::uint8_t> Bytes(const scenegen::GenScene& s)
{
    return scenegen::Encode(s);
}

inline QString WriteFile(const QString& dir, const QString& name, const std::vector<std::uint8_t>& bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

// A selection the viewport tests set directly, without a tree.
class FakeSelection final : public qm4edit::ISceneSelection {
public:
    qm4edit::TreeItemKind kind = qm4edit::TreeItemKind::None;
    int data = -1;
    std::vector<std::array<int, 3>> polygons;

    qm4edit::TreeItemKind GetSelectedKind() const override { return kind; }
    int GetSelectedData() const override { return data; }
    int GetSelectedPolygonCount() const override { return static_cast<int>(polygons.size()); }
    void GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const override
    {
        a = b = c = -1;
        if (k < 0 || k >= static_cast<int>(polygons.size()))
            return;
        a = polygons[static_cast<std::size_t>(k)][0];
        b = polygons[static_cast<std::size_t>(k)][1];
        c = polygons[static_cast<std::size_t>(k)][2];
    }
};

// 0x00BBGGRR of a pixel.
inline std::uint32_t ColorrefAt(const QImage& img, int x, int y)
{
    const QRgb c = img.pixel(x, y);
    return static_cast<std::uint32_t>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

} // namespace fixtures

// Writes a recognisable test texture: a colour gradient with letters and shapes placed so
// that a red/blue swap, a mirror or an upside-down image shows at a glance, and alpha that
// varies across the image.
//
//   texgen OUT.tex [WIDTH HEIGHT BPP]     (default 256 128 32)
//   texgen --scene-textures DIR           the demo scene's brick, stone, brass and grass

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "common/AtomicFile.h"
#include "common/Prompt.h"
#include "texture/PixloomDoc.h"

namespace {

class StderrPrompt final : public common::IPrompt {
public:
    void ShowMessage(const std::string& text, common::MessageIcon) override { std::cerr << text << '\n'; }
    bool AskYesNo(const std::string& text, common::MessageIcon) override
    {
        std::cerr << text << '\n';
        return false;
    }
};

// 5 x 7 glyphs, one byte per row, bit 4 leftmost.
struct Glyph {
    char c;
    unsigned char rows[7];
};
const Glyph FONT[] = {
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
};

const unsigned char* GlyphRows(char c)
{
    for (const Glyph& g : FONT)
        if (g.c == c)
            return g.rows;
    return nullptr;
}

struct Canvas {
    texture::CPixloomDoc& doc;
    int w, h;
    void Put(int x, int y, int r, int g, int b, int a = 255)
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        std::uint8_t* p = doc.GetPixel(x, y);
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        p[3] = static_cast<std::uint8_t>(a);
    }
    void Text(int x0, int y0, int scale, const std::string& s, int r, int g, int b)
    {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const unsigned char* rows = GlyphRows(s[i]);
            if (!rows)
                continue;
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx)
                    if (rows[gy] & (0x10 >> gx))
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                Put(x0 + (static_cast<int>(i) * 6 + gx) * scale + dx, y0 + gy * scale + dy, r, g, b);
        }
    }
};

int Hash(int x, int y, int seed)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
        static_cast<unsigned>(seed) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) & 0xFF);
}

struct SceneTexture {
    const char* file;
    const char* word;
    int size;
    int bpp;
};

// What each demo texture looks like underneath its marks.
void Pattern(Canvas& c, int which)
{
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            const int n = Hash(x, y, which) / 8; // 0..31 of grain
            switch (which) {
            case 0: { // brick: staggered courses with pale mortar
                const int course = y / 16;
                const int bx = (x + (course % 2) * 16) % 32;
                if (y % 16 < 2 || bx < 2)
                    c.Put(x, y, 200 + n, 195 + n, 180 + n);
                else
                    c.Put(x, y, 150 + n + Hash((x + (course % 2) * 16) / 32, course, 7) % 40, 60 + n, 40 + n / 2);
                break;
            }
            case 1: { // stone: grey cobbles, darker between them
                const int cx = x / 24, cy = y / 24;
                const int dx = x % 24 - 12, dy = y % 24 - 12;
                const int shade = 110 + Hash(cx, cy, 3) / 4 + n;
                const bool edge = dx * dx + dy * dy > 120;
                c.Put(x, y, edge ? shade / 2 : shade, edge ? shade / 2 : shade, edge ? shade / 2 : shade + 10);
                break;
            }
            case 2: { // brass: brushed gold with a rivet grid
                const int dx = x % 16 - 8, dy = y % 16 - 8;
                const int band = (y * 7 + Hash(0, y, 5) / 16) % 24;
                if (dx * dx + dy * dy < 5)
                    c.Put(x, y, 255, 240, 170);
                else
                    c.Put(x, y, 190 + band, 140 + band, 40 + n);
                break;
            }
            default: { // grass: green with brighter blades
                const bool blade = Hash(x / 2, y / 6, 9) > 200;
                c.Put(x, y, 40 + n, blade ? 190 + n : 120 + n, 30 + n / 2);
                break;
            }
            }
        }
}

// The marks that show the way round: corner blocks (red top left, green top right, blue
// bottom left, white bottom right), the name along the top and an arrow pointing up.
void OrientationMarks(Canvas& c, const char* word)
{
    const int s = c.w / 8;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            c.Put(x, y, 255, 0, 0);
            c.Put(c.w - s + x, y, 0, 255, 0);
            c.Put(x, c.h - s + y, 0, 0, 255);
            c.Put(c.w - s + x, c.h - s + y, 255, 255, 255);
        }
    const int scale = std::max(1, c.w / 64);
    const int textWidth = static_cast<int>(std::string(word).size()) * 6 * scale;
    c.Text((c.w - textWidth) / 2, s + scale, scale, word, 255, 255, 255);
    const int cx = c.w / 2, top = c.h * 3 / 8, bottom = c.h - s - 2;
    const int head = c.w / 6;
    for (int y = top; y <= bottom; ++y) {
        const int half = y < top + head ? (y - top) : c.w / 24;
        for (int x = cx - half; x <= cx + half; ++x)
            c.Put(x, y, 255, 255, 0);
    }
}

int WriteSceneTextures(const std::string& dir)
{
    // Three depths among the four, so the editor shows each kind of file.
    const SceneTexture textures[] = {
        {"brick.tex", "BRICK", 128, 24},
        {"stone.tex", "STONE", 128, 16},
        {"brass.tex", "BRASS", 64, 32},
        {"grass.tex", "GRASS", 256, 16},
    };
    StderrPrompt prompt;
    for (int i = 0; i < 4; ++i) {
        texture::CPixloomDoc doc;
        texture::TexHeader& hd = doc.GetHeader();
        hd.xRes = hd.yRes = textures[i].size;
        hd.bpp = textures[i].bpp;
        Canvas c{doc, textures[i].size, textures[i].size};
        Pattern(c, i);
        OrientationMarks(c, textures[i].word);
        const std::filesystem::path path = common::PathFromUtf8(dir) / textures[i].file;
        if (!doc.OnSaveDocument(path, prompt))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--scene-textures")
        return WriteSceneTextures(argv[2]);
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: texgen OUT.tex [WIDTH HEIGHT BPP]\n       texgen --scene-textures DIR\n";
        return 2;
    }
    int w = 256, h = 128, bpp = 32;
    if (argc == 5) {
        w = std::atoi(argv[2]);
        h = std::atoi(argv[3]);
        bpp = std::atoi(argv[4]);
    }
    if (w < 1 || h < 1 || w > texture::TEX_MAX_RES || h > texture::TEX_MAX_RES ||
        (bpp != 16 && bpp != 24 && bpp != 32)) {
        std::cerr << "texgen: size must be 1..512 by 1..512 and depth 16, 24 or 32\n";
        return 2;
    }

    texture::CPixloomDoc doc;
    texture::TexHeader& hd = doc.GetHeader();
    const char tag[] = "texgen demo texture";
    for (int i = 0; i < texture::TEX_FILLER_SIZE; ++i)
        hd.filler[i] = static_cast<std::uint8_t>(i < static_cast<int>(sizeof tag - 1) ? tag[i] : 0);
    hd.xRes = w;
    hd.yRes = h;
    hd.bpp = bpp;

    Canvas c{doc, w, h};
    // Background: red grows to the right, blue grows downwards, green constant; alpha falls
    // from opaque at the left to transparent at the right.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            c.Put(x, y, x * 255 / w, 64, y * 255 / h, 255 - x * 255 / w);

    // Pure colour blocks in three corners (red top left, green top right, blue bottom left)
    // and a white bottom-right one, each 16 x 16.
    const int s = std::min(16, std::min(w, h) / 4);
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            c.Put(x, y, 255, 0, 0);
            c.Put(w - s + x, y, 0, 255, 0);
            c.Put(x, h - s + y, 0, 0, 255);
            c.Put(w - s + x, h - s + y, 255, 255, 255);
        }

    // A right triangle pointing up and right, half transparent yellow.
    for (int y = 0; y < h / 3; ++y)
        for (int x = 0; x <= y * 2; ++x)
            c.Put(w / 2 + x, h - 8 - h / 3 + y, 255, 255, 0, 128);

    // Letters read the right way round only when nothing is flipped.
    c.Text(s + 8, s + 4, std::max(1, w / 100), "PIXLOOM", 255, 255, 255);
    c.Text(s + 8, s + 4 + 9 * std::max(1, w / 100), std::max(1, w / 128), "RGB", 255, 0, 0);

    StderrPrompt prompt;
    return doc.OnSaveDocument(common::PathFromUtf8(argv[1]), prompt) ? 0 : 1;
}

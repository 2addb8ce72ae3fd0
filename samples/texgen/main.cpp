// Writes a recognisable test texture: a colour gradient with letters and shapes placed so
// that a red/blue swap, a mirror or an upside-down image shows at a glance, and alpha that
// varies across the image.
//
//   texgen OUT.tex [WIDTH HEIGHT BPP]     (default 256 128 32)

#include <algorithm>
#include <cstdlib>
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
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: texgen OUT.tex [WIDTH HEIGHT BPP]\n";
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

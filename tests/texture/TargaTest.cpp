#include <gtest/gtest.h>

#include "ScriptedPrompt.h"
#include "TexTestUtil.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

using namespace textest;
using common::MessageIcon;
using texture::CPixloomDoc;

namespace {

const char* const UNSUPPORTED_TAIL =
    " is an unsupported image format.  Pixloom only supports uncompressed, unmapped 16-, 24- or 32-BPP RGB "
    "Targa images.  Please save your TGA file in one of these modes.";

class Targa : public ::testing::Test {
protected:
    void Load(int w, int h, int bpp, std::uint32_t seed = 3)
    {
        WriteFile(dir / "t.tex", PatternTex(w, h, bpp, seed));
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.tex", prompt));
    }
    bool Import(const Bytes& tga, const std::string& name = "in.tga")
    {
        WriteFile(dir / name, tga);
        return doc.ImportTarga(dir / name, prompt);
    }
    // Import must have been refused without touching the document.
    void ExpectUnchanged(const Bytes& storeBefore)
    {
        EXPECT_EQ(StoreArea(doc), storeBefore);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.IsLoaded(), 1);
    }
    // A Targa of w x h at depth whose pixel i (in file order) is made from i.
    static Bytes PatternTga(TgaSpec s)
    {
        Bytes b = TgaHeaderBytes(s);
        for (int i = 0; i < s.idLength; ++i)
            b.push_back(0xAA);
        const int entryBytes = (s.mapEntryBits + 7) / 8;
        for (int i = 0; i < s.mapLength * entryBytes; ++i)
            b.push_back(0xBB);
        const int bytesPer = s.depth == 16 ? 2 : s.depth == 24 ? 3 : s.depth == 32 ? 4 : 0;
        for (int i = 0; i < s.width * s.height * bytesPer; ++i)
            b.push_back(static_cast<std::uint8_t>(i * 7 + 1));
        return b;
    }

    TempDir dir;
    ScriptedPrompt prompt;
    CPixloomDoc doc;
};

} // namespace

TEST_F(Targa, ExportedHeaderIsExactlyTheDocumentedOne)
{
    Load(256, 128, 32);
    ASSERT_TRUE(doc.ExportTarga(dir / "out.tga", prompt));
    const Bytes out = ReadFile(dir / "out.tga");
    ASSERT_EQ(out.size(), 18u + 256 * 128 * 4);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 18),
              (Bytes{0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80, 0x00,
                     0x20, 0x08}));

    Load(3, 2, 24);
    ASSERT_TRUE(doc.ExportTarga(dir / "out.tga", prompt));
    EXPECT_EQ(ReadFile(dir / "out.tga")[17], 0);
    EXPECT_EQ(ReadFile(dir / "out.tga").size(), 18u + 3 * 2 * 3); // no ID, map or footer
    Load(3, 2, 16);
    ASSERT_TRUE(doc.ExportTarga(dir / "out.tga", prompt));
    EXPECT_EQ(ReadFile(dir / "out.tga")[16], 16);
    EXPECT_EQ(ReadFile(dir / "out.tga")[17], 1);
    EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(Targa, ExportWritesTheBottomRowFirst)
{
    Bytes tex = TexHeaderBytes(2, 2, 32);
    for (std::uint8_t v = 1; v <= 16; ++v)
        tex.push_back(v); // rows: top (1..8), bottom (9..16)
    WriteFile(dir / "t.tex", tex);
    ASSERT_TRUE(doc.OnOpenDocument(dir / "t.tex", prompt));
    ASSERT_TRUE(doc.ExportTarga(dir / "out.tga", prompt));
    const Bytes out = ReadFile(dir / "out.tga");
    EXPECT_EQ(Bytes(out.begin() + 18, out.end()), (Bytes{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Targa, RoundTripsGiveBackEveryPixelAndEveryByte)
{
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        Load(13, 7, bpp, static_cast<std::uint32_t>(bpp));
        const Bytes before = StoreArea(doc);
        ASSERT_TRUE(doc.ExportTarga(dir / "rt.tga", prompt));
        ASSERT_TRUE(doc.ImportTarga(dir / "rt.tga", prompt));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(StoreArea(doc), before);
        ASSERT_TRUE(doc.OnSaveDocument(dir / "back.tex", prompt));
        EXPECT_EQ(ReadFile(dir / "back.tex"), PatternTex(13, 7, bpp, static_cast<std::uint32_t>(bpp)));
    }
    EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(Targa, NameTestsOfExportAndImport)
{
    Load(2, 2, 24);
    EXPECT_FALSE(doc.ExportTarga(dir / "out.png", prompt));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(prompt.Last().text, "Unrecognized file type.  Please choose a Targa file for export.");
    EXPECT_EQ(prompt.Last().icon, MessageIcon::None);

    prompt.Clear();
    EXPECT_FALSE(Import(Bytes{1, 2, 3}, "in.tga.bak"));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(prompt.Last().text, "Unrecognized file type.  Please choose a Targa file for import.");
    EXPECT_EQ(prompt.Last().icon, MessageIcon::None);

    prompt.Clear();
    EXPECT_TRUE(doc.ExportTarga(dir / "OUT.TGA", prompt));
    EXPECT_TRUE(doc.ImportTarga(dir / "OUT.TGA", prompt));
    EXPECT_EQ(CPixloomDoc::SuggestTargaName("C:\\Art\\Wall.tex"), "Wall.tga");
    EXPECT_EQ(CPixloomDoc::SuggestTargaName("/home/me/art/Wall.TEX"), "Wall.tga");
}

TEST_F(Targa, EveryOtherImageTypeIsRefusedWithItsLeadingText)
{
    Load(4, 2, 32);
    const Bytes before = StoreArea(doc);
    const std::pair<int, const char*> cases[] = {
        {0, "TGA: No Image Data"},
        {1, "TGA: Uncompressed ColorMap"},
        {3, "TGA: Uncompressed B/W"},
        {9, "TGA: Run-Length Encoded ColorMap"},
        {10, "TGA: Run-Length Encoded RGB"},
        {11, "TGA: Compressed B/W"},
        {32, "TGA: Compressed Colormap"},
        {33, "TGA: Compressed Colormap"},
        {4, "The selected file"},
        {255, "The selected file"},
    };
    for (auto [type, lead] : cases) {
        prompt.Clear();
        // Run-length true colour is imported at 16, 24 and 32 bits; at any other depth its
        // packets cannot be read and it keeps its refusal.
        TgaSpec s{4, 2, type == 10 ? 15 : 32};
        s.imageType = type;
        EXPECT_FALSE(Import(PatternTga(s))) << type;
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_EQ(prompt.Last().text, std::string(lead) + UNSUPPORTED_TAIL);
        EXPECT_EQ(prompt.Last().icon, MessageIcon::Stop);
    }
    ExpectUnchanged(before);
}

TEST_F(Targa, DifferentSizeIsRefusedNamingTheTextureSize)
{
    Load(4, 2, 32);
    const Bytes before = StoreArea(doc);
    for (auto [w, h] : {std::pair{2, 4}, std::pair{4, 3}, std::pair{5, 2}}) {
        prompt.Clear();
        EXPECT_FALSE(Import(PatternTga({w, h, 32})));
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_EQ(prompt.Last().text,
                  "The Targa file you selected to import is a different size than the original TEX image.  Please "
                  "select or create an image that is 4 by 2 in resolution.");
        EXPECT_EQ(prompt.Last().icon, MessageIcon::Stop);
    }
    ExpectUnchanged(before);
}

TEST_F(Targa, DepthQuestionsYesGoesOnNoChangesNothing)
{
    const std::string down =
        "The Targa image has a bit-per-pixel level of 32 while the original TEX image has a BPP level of 24.  Do "
        "you want me to downgrade the BPP of the data from the Targa file to match the level of the TEX image?  "
        "This could cause loss of important image information such as alpha settings.";
    const std::string up =
        "The Targa image has a bit-per-pixel level of 16 while the original TEX image has a BPP level of 32.  Do "
        "you want me to upgrade the BPP of the data from the Targa file to match the level of the TEX image?  "
        "This could cause loss of important image information such as alpha settings.";

    for (auto [texBpp, tgaBpp, text] : {std::tuple{24, 32, down}, std::tuple{32, 16, up}}) {
        Load(3, 2, texBpp);
        const Bytes before = StoreArea(doc);
        prompt.Clear();
        prompt.QueueAnswer(false);
        EXPECT_FALSE(Import(PatternTga({3, 2, tgaBpp})));
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_TRUE(prompt.Last().question);
        EXPECT_EQ(prompt.Last().text, text);
        EXPECT_EQ(prompt.Last().icon, MessageIcon::Exclamation);
        ExpectUnchanged(before);

        prompt.QueueAnswer(true);
        EXPECT_TRUE(Import(PatternTga({3, 2, tgaBpp})));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_NE(StoreArea(doc), before);
        EXPECT_EQ(doc.GetHeader().bpp, texBpp);
    }
}

TEST_F(Targa, UndecodableDepthOnYesClearsEveryPixel)
{
    Load(3, 2, 32);
    prompt.QueueAnswer(true);
    TgaSpec s{3, 2, 15};
    EXPECT_TRUE(Import(TgaHeaderBytes(s)));
    EXPECT_EQ(prompt.Last().text.find("The Targa image has a bit-per-pixel level of 15 while"), 0u);
    EXPECT_NE(prompt.Last().text.find("upgrade"), std::string::npos);
    EXPECT_EQ(StoreArea(doc), Bytes(3 * 2 * 4, 0));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Targa, PixelDataStartsAfterTheImageIdAndTheColourMap)
{
    Load(3, 2, 24);
    TgaSpec plain{3, 2, 24};
    ASSERT_TRUE(Import(PatternTga(plain)));
    const Bytes expected = StoreArea(doc);

    TgaSpec withId = plain;
    for (int n : {1, 17, 255}) {
        withId.idLength = n;
        ASSERT_TRUE(Import(PatternTga(withId))) << n;
        EXPECT_EQ(StoreArea(doc), expected) << n;
    }
    TgaSpec withMap = plain;
    withMap.idLength = 5;
    withMap.mapType = 1;
    for (auto [len, bits] : {std::pair{3, 24}, std::pair{7, 15}, std::pair{2, 32}, std::pair{4, 1}}) {
        withMap.mapLength = len;
        withMap.mapEntryBits = bits;
        ASSERT_TRUE(Import(PatternTga(withMap))) << len << "x" << bits;
        EXPECT_EQ(StoreArea(doc), expected) << len << "x" << bits;
    }
    EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(Targa, LargestIdAndColourMapStillReachTheLastPixel)
{
    Load(512, 512, 32);
    TgaSpec s{512, 512, 32};
    s.idLength = 255;
    s.mapType = 1;
    s.mapLength = 65535;
    s.mapEntryBits = 255; // 32 bytes an entry
    Bytes tga = PatternTga(s);
    tga.back() = 0x77;
    ASSERT_TRUE(Import(tga));
    EXPECT_EQ(doc.GetPixel(511, 0)[3], 0x77); // the last pixel in the file: top right
    tga.pop_back();
    EXPECT_FALSE(Import(tga));
}

TEST_F(Targa, OriginBitsPutRowsAndColumnsWhereTheyBelong)
{
    Load(2, 2, 32);
    // File pixels A B / C D in file order.
    const Bytes px = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};
    auto tga = [&](int descriptor) {
        TgaSpec s{2, 2, 32};
        s.descriptor = descriptor;
        Bytes b = TgaHeaderBytes(s);
        b.insert(b.end(), px.begin(), px.end());
        return b;
    };
    auto row = [&](int y) { return std::pair{PixelOf(doc, 0, y)[0], PixelOf(doc, 1, y)[0]}; };

    ASSERT_TRUE(Import(tga(0x08))); // bottom-left: first file row is the bottom row
    EXPECT_EQ(row(0), (std::pair<std::uint8_t, std::uint8_t>{3, 4}));
    EXPECT_EQ(row(1), (std::pair<std::uint8_t, std::uint8_t>{1, 2}));
    ASSERT_TRUE(Import(tga(0x28))); // top-left
    EXPECT_EQ(row(0), (std::pair<std::uint8_t, std::uint8_t>{1, 2}));
    EXPECT_EQ(row(1), (std::pair<std::uint8_t, std::uint8_t>{3, 4}));
    ASSERT_TRUE(Import(tga(0x18))); // bottom-right
    EXPECT_EQ(row(0), (std::pair<std::uint8_t, std::uint8_t>{4, 3}));
    EXPECT_EQ(row(1), (std::pair<std::uint8_t, std::uint8_t>{2, 1}));
    ASSERT_TRUE(Import(tga(0x38))); // top-right
    EXPECT_EQ(row(0), (std::pair<std::uint8_t, std::uint8_t>{2, 1}));
    EXPECT_EQ(row(1), (std::pair<std::uint8_t, std::uint8_t>{4, 3}));
}

TEST_F(Targa, TruncatedFileIsRefusedBeforeAnyPixelChanges)
{
    Load(4, 3, 16);
    const Bytes before = StoreArea(doc);
    TgaSpec s{4, 3, 16};
    s.idLength = 3;
    Bytes full = PatternTga(s);
    Bytes cut(full.begin(), full.end() - 1);
    EXPECT_FALSE(Import(cut));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_EQ(prompt.Last().icon, MessageIcon::Stop);
    EXPECT_NE(prompt.Last().text.find("in.tga"), std::string::npos);
    EXPECT_NE(prompt.Last().text.find(std::to_string(full.size())), std::string::npos);
    ExpectUnchanged(before);

    // Shorter than a header: nothing to decode, nothing changes.
    for (std::size_t n : {0, 1, 17}) {
        prompt.Clear();
        EXPECT_FALSE(Import(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
        EXPECT_EQ(prompt.Count(), 1u);
    }
    // A colour map that runs past the end.
    prompt.Clear();
    s.mapType = 1;
    s.mapLength = 65535;
    s.mapEntryBits = 32;
    EXPECT_FALSE(Import(TgaHeaderBytes(s)));
    EXPECT_EQ(prompt.Count(), 1u);
    ExpectUnchanged(before);

    // The truncation check comes before the question: no point asking about a broken file.
    prompt.Clear();
    Bytes cut24 = PatternTga({4, 3, 24});
    cut24.pop_back();
    EXPECT_FALSE(Import(cut24));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_FALSE(prompt.Last().question);

    // Bytes past the pixel data (an extension area or footer) are fine.
    Bytes longer = PatternTga({4, 3, 16});
    longer.resize(longer.size() + 26, 0x11);
    EXPECT_TRUE(Import(longer));
}

TEST_F(Targa, DepthConversionsWriteAtTheTexturesOwnDepth)
{
    // One pixel: blue 200, green 100, red 50, alpha as given; row one of a 1 x 1 image.
    auto tga = [](int depth, std::uint8_t alpha) {
        Bytes b = TgaHeaderBytes({1, 1, depth});
        if (depth == 16)
            PutLE(b, 0x8000u | (6u << 10) | (12u << 5) | 25u, 2);
        else {
            b.insert(b.end(), {200, 100, 50});
            if (depth == 32)
                b.push_back(alpha);
        }
        return b;
    };
    auto saved = [&](int texBpp, int tgaBpp, std::uint8_t alpha) {
        WriteFile(dir / "t.tex", PatternTex(1, 1, texBpp));
        EXPECT_TRUE(doc.OnOpenDocument(dir / "t.tex", prompt));
        prompt.QueueAnswer(true);
        EXPECT_TRUE(Import(tga(tgaBpp, alpha)));
        EXPECT_TRUE(doc.OnSaveDocument(dir / "o.tex", prompt));
        const Bytes out = ReadFile(dir / "o.tex");
        return Bytes(out.begin() + 32, out.end());
    };
    auto word = [](unsigned r, unsigned g, unsigned a, unsigned b) {
        const unsigned w = (r << 11) | (g << 6) | (a << 5) | b;
        return Bytes{static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)};
    };

    EXPECT_EQ(saved(24, 32, 77), (Bytes{200, 100, 50}));
    EXPECT_EQ(saved(16, 32, 200), word(texture::Reduce8To5(50), texture::Reduce8To5(100), 1, texture::Reduce8To5(200)));
    EXPECT_EQ(saved(16, 32, 127), word(6, 12, 0, 24));
    EXPECT_EQ(saved(16, 32, 1), word(6, 12, 1, 24));
    EXPECT_EQ(saved(32, 24, 0), (Bytes{200, 100, 50, 0}));
    EXPECT_EQ(saved(16, 24, 0), word(6, 12, 0, 24));
    EXPECT_EQ(saved(24, 16, 0), (Bytes{texture::Expand5To8(25), texture::Expand5To8(12), texture::Expand5To8(6)}));
    EXPECT_EQ(saved(32, 16, 0), (Bytes{texture::Expand5To8(25), texture::Expand5To8(12), texture::Expand5To8(6), 1}));
}

TEST_F(Targa, ImportKeepsHeaderPathAndFillerAndTellsTheViews)
{
    Load(5, 5, 32);
    int updates = 0;
    doc.SetUpdateAllViewsHandler([&] { ++updates; });
    const auto path = doc.GetPathName();
    ASSERT_TRUE(Import(PatternTga({5, 5, 32})));
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(doc.GetPathName(), path);
    ASSERT_TRUE(doc.OnSaveDocument(dir / "o.tex", prompt));
    const Bytes out = ReadFile(dir / "o.tex");
    const Bytes header = TexHeaderBytes(5, 5, 32);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 32), header);
}

TEST_F(Targa, FilesThatCannotBeOpenedOrCreatedAreNamed)
{
    Load(2, 2, 24);
    const Bytes before = StoreArea(doc);
    EXPECT_FALSE(doc.ImportTarga(dir / "missing.tga", prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_NE(prompt.Last().text.find("missing.tga"), std::string::npos);
    ExpectUnchanged(before);

    prompt.Clear();
    EXPECT_FALSE(doc.ExportTarga(dir / "no" / "dir.tga", prompt));
    ASSERT_EQ(prompt.Count(), 1u);
    EXPECT_NE(prompt.Last().text.find("dir.tga"), std::string::npos);
}

TEST_F(Targa, ImportFromMemoryMatchesTheFileRoute)
{
    Load(3, 3, 32);
    TgaSpec s{3, 3, 32};
    s.descriptor = 8; // as we write it
    const Bytes tga = PatternTga(s);
    ASSERT_TRUE(doc.ImportTargaBytes(tga, prompt));
    Bytes out;
    doc.WriteTarga(out);
    EXPECT_EQ(out, tga);
}

namespace {

// A run-length Targa of pixels (file order, bytesPer each) cut into packets as plan says: a
// positive count is a raw packet, a negative one a run of the packet's first pixel.
Bytes RleTga(TgaSpec s, const Bytes& pixels, std::initializer_list<int> plan)
{
    s.imageType = 10;
    Bytes b = TgaHeaderBytes(s);
    const std::size_t bytesPer = std::size_t(s.depth) / 8;
    std::size_t at = 0;
    for (int n : plan) {
        const std::size_t count = std::size_t(n < 0 ? -n : n);
        b.push_back(static_cast<std::uint8_t>((n < 0 ? 0x80 : 0) | (count - 1)));
        const std::size_t bytes = (n < 0 ? 1 : count) * bytesPer;
        b.insert(b.end(), pixels.begin() + std::ptrdiff_t(at), pixels.begin() + std::ptrdiff_t(at + bytes));
        at += count * bytesPer;
    }
    return b;
}

// Pixels of a 4 x 3 image in file order, with the repeats the runs of Plan() stand for.
Bytes RunnyPixels(int bytesPer)
{
    const int values[12] = {5, 5, 5, 5, 5, 9, 17, 23, 31, 40, 40, 40};
    Bytes b;
    for (int v : values)
        for (int c = 0; c < bytesPer; ++c)
            b.push_back(static_cast<std::uint8_t>(v * 3 + c * 50));
    return b;
}

} // namespace

TEST_F(Targa, RunLengthImportsTheSamePixelsAsItsUncompressedTwin)
{
    for (int depth : {16, 24, 32}) {
        for (int descriptor : {0x00, 0x20}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, descriptor " << descriptor);
            Load(4, 3, depth);
            TgaSpec s{4, 3, depth};
            s.descriptor = descriptor;
            const Bytes pixels = RunnyPixels(depth / 8);
            Bytes flat = TgaHeaderBytes(s);
            flat.insert(flat.end(), pixels.begin(), pixels.end());
            ASSERT_TRUE(doc.ImportTargaBytes(flat, prompt));
            const Bytes twin = StoreArea(doc);

            // A run and a raw packet that each cross a row, then a run ending the image exactly.
            Load(4, 3, depth);
            const Bytes rle = RleTga(s, pixels, {-5, 4, -3});
            const texture::TargaCheck check = doc.CheckTargaBytes(rle);
            ASSERT_TRUE(check.result.Ok()) << check.result.message;
            EXPECT_FALSE(check.NeedsDepthQuestion());
            ASSERT_TRUE(doc.ConvertTarga(check).Ok());
            EXPECT_EQ(StoreArea(doc), twin);
            EXPECT_TRUE(doc.IsModified());
        }
    }
}

TEST_F(Targa, DamagedRunLengthIsRefusedBeforeAnyPixelChangesOrAnyQuestion)
{
    Load(4, 3, 24);
    const Bytes before = StoreArea(doc);
    // Deeper than the texture: a sound file would bring up the question.
    const TgaSpec s{4, 3, 32};
    const Bytes pixels = RunnyPixels(4);
    const Bytes good = RleTga(s, pixels, {-5, 4, -3});

    for (std::size_t n = 18; n < good.size(); ++n) {
        prompt.Clear();
        EXPECT_FALSE(doc.ImportTargaBytes(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)), prompt)) << n;
        ASSERT_EQ(prompt.Count(), 1u) << n;
        EXPECT_FALSE(prompt.Last().question);
        EXPECT_EQ(prompt.Last().text.rfind("The Targa file is shorter than its header says", 0), 0u) << n;
        EXPECT_EQ(prompt.Last().icon, MessageIcon::Stop);
    }
    // A last packet of two pixels where one is left, as a run and as raw pixels.
    Bytes oneMore = pixels;
    oneMore.insert(oneMore.end(), 4, 0x66);
    for (const Bytes& over : {RleTga(s, oneMore, {-5, 4, -2, -2}), RleTga(s, oneMore, {-5, 4, 2, 2})}) {
        prompt.Clear();
        EXPECT_FALSE(doc.ImportTargaBytes(over, prompt));
        ASSERT_EQ(prompt.Count(), 1u);
        EXPECT_EQ(prompt.Last().text, texture::msg::TargaRunPastImage(""));
    }
    ExpectUnchanged(before);

    // Whole, the same file asks first; the file route names the file in its refusals.
    prompt.Clear();
    prompt.QueueAnswer(false);
    EXPECT_FALSE(Import(good));
    EXPECT_TRUE(prompt.Last().question);
    EXPECT_FALSE(Import(Bytes(good.begin(), good.end() - 1)));
    EXPECT_NE(prompt.Last().text.find("in.tga"), std::string::npos);
    ExpectUnchanged(before);
}

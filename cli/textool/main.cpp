// textool: batch work on textures with the same core as Pixloom.
//
//   textool info FILE.tex
//   textool export IN.tex OUT.tga|OUT.png
//   textool import IN.tex IN.tga|IN.png|IN.bmp OUT.tex [--yes]
//   textool new IN.png|IN.bmp|IN.tga OUT.tex --bpp 16|24|32
//   textool convert IN.tex OUT.tex --bpp 16|24|32
//   textool thumbnail IN.tex OUT.png SIZE
//
// Exit 0 on success, 1 when the operation fails (the message Pixloom would show goes to
// stderr), 2 on wrong usage.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Version.h"
#include "interchange/ImageCodec.h"
#include "interchange/TextureImage.h"
#include "interchange/Thumbnail.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

namespace {

const char* const USAGE = "usage: textool info FILE.tex\n"
                          "       textool export IN.tex OUT.tga\n"
                          "       textool import IN.tex IN.tga OUT.tex [--yes]\n"
                          "       textool export IN.tex OUT.png\n"
                          "       textool import IN.tex IN.png|IN.bmp OUT.tex [--yes]\n"
                          "       textool new IN.png|IN.bmp|IN.tga OUT.tex --bpp 16|24|32\n"
                          "       textool convert IN.tex OUT.tex --bpp 16|24|32\n"
                          "       textool thumbnail IN.tex OUT.png SIZE\n";

const char* const HELP = "\n"
                         "  info    print the texture's header: filler in hex, xRes, yRes, bpp\n"
                         "  export  write the texture as an uncompressed Targa image, or as a PNG image when\n"
                         "          OUT ends in .png\n"
                         "  import  replace the texture's pixels with those of an image of the same size and\n"
                         "          save the result as a texture at the original depth; .png and .bmp files are\n"
                         "          read as PNG and BMP images, any other name as a Targa\n"
                         "  new     make a new texture of the given depth from an image of 1 to 512 pixels on each\n"
                         "          side; its pixels are converted as an import converts them\n"
                         "  convert save the texture at another depth, its pixels converted as a save at that\n"
                         "          depth keeps them\n"
                         "  thumbnail  write a preview: the texture scaled to fit SIZE x SIZE pixels (1 to 2048),\n"
                         "          its aspect ratio and alpha kept; a damaged file writes nothing\n"
                         "\n"
                         "  --bpp N the depth of the texture new or convert writes: 16, 24 or 32\n"
                         "  --yes   answer Yes to the question whether to convert an image of another depth\n"
                         "          (otherwise it is answered No and the import fails)\n"
                         "  --version  print the version\n";

// The core hands back what to tell the user; here it goes to stderr.
bool Done(const texture::TexResult& r)
{
    if (!r.message.empty())
        std::cerr << r.message << '\n';
    return r.Ok();
}

// An image of another depth needs the user's consent; on the command line that is --yes.
bool Import(texture::CPixloomDoc& doc, const std::filesystem::path& image, bool yes)
{
    const texture::TargaCheck check = interchange::CheckImageFile(doc, image);
    if (!Done(check.result))
        return false;
    if (check.NeedsDepthQuestion()) {
        std::cerr << check.depthQuestion << '\n' << (yes ? "Yes (--yes)" : "No (use --yes to answer Yes)") << '\n';
        if (!yes)
            return false;
    }
    return Done(doc.ConvertTarga(check));
}

// SIZE of a thumbnail: a whole number in range, nothing else.
bool ParseSize(const std::string& text, int& size)
{
    std::int64_t n = 0;
    if (!common::ParseIntField(text, n) || n < interchange::MIN_THUMBNAIL_SIZE || n > interchange::MAX_THUMBNAIL_SIZE)
        return false;
    size = static_cast<int>(n);
    return true;
}

int Usage()
{
    std::cerr << USAGE;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args;
    bool yes = false;
    int bpp = 0; // --bpp; 0 when not given
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "--help" || a == "-h")) {
            std::cout << USAGE << HELP;
            return 0;
        } else if (!optionsEnded && a == "--version") {
            std::cout << "textool " << common::kVersion << '\n';
            return 0;
        } else if (!optionsEnded && a == "--yes") {
            yes = true;
        } else if (!optionsEnded && a == "--bpp") {
            const std::string value = i + 1 < argc ? argv[++i] : "";
            if (value != "16" && value != "24" && value != "32") {
                std::cerr << "textool: --bpp takes 16, 24 or 32\n";
                return Usage();
            }
            bpp = std::stoi(value);
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            std::cerr << "textool: unknown option " << a << '\n';
            return Usage();
        } else {
            args.push_back(std::move(a));
        }
    }
    if (args.empty())
        return Usage();

    const std::string& cmd = args[0];
    auto path = [&](std::size_t i) { return common::PathFromUtf8(args[i]); };
    texture::CPixloomDoc doc;

    if (cmd == "info" && args.size() == 2) {
        if (!Done(doc.OnOpenDocument(path(1))))
            return 1;
        const texture::TexHeader& h = doc.GetHeader();
        // Numbers through the locale-free formatter, whatever locale the stream carries.
        std::string out = "filler: " + texture::FormatFiller(h) + "\nxRes: ";
        common::AppendInt(out, h.xRes);
        out += "\nyRes: ";
        common::AppendInt(out, h.yRes);
        out += "\nbpp: ";
        common::AppendInt(out, h.bpp);
        out += '\n';
        std::cout << out;
        return 0;
    }
    if (cmd == "export" && args.size() == 3) {
        if (!Done(doc.OnOpenDocument(path(1))))
            return 1;
        const std::filesystem::path out = path(2);
        if (!Done(interchange::IsPngName(out) ? interchange::ExportTexturePng(doc, out) : doc.ExportTarga(out)))
            return 1;
        return 0;
    }
    if (cmd == "new" && args.size() == 3 && bpp != 0) {
        const texture::TargaCheck check = interchange::CheckNewImageFile(doc, path(1));
        if (!Done(check.result) || !Done(doc.NewFromImage(check, bpp)) || !Done(doc.OnSaveDocument(path(2))))
            return 1;
        return 0;
    }
    if (cmd == "convert" && args.size() == 3 && bpp != 0) {
        // The input file stays as it was, so nothing is asked: whatever the new depth loses
        // is still in IN.
        if (!Done(doc.OnOpenDocument(path(1))) || !Done(doc.ChangeDepth(bpp)) || !Done(doc.OnSaveDocument(path(2))))
            return 1;
        return 0;
    }
    if (cmd == "thumbnail" && args.size() == 4 && bpp == 0) {
        int size = 0;
        if (!ParseSize(args[3], size)) {
            std::cerr << "textool: SIZE must be a whole number from 1 to 2048\n";
            return Usage();
        }
        if (!Done(doc.OnOpenDocument(path(1))))
            return 1;
        const texture::RgbaImage preview = interchange::TextureThumbnail(doc, size);
        if (preview.rgba.empty()) {
            std::cerr << "The texture has no pixels to show.\n";
            return 1;
        }
        if (!interchange::WritePngFile(path(2), preview)) {
            std::cerr << texture::msg::CannotWrite(args[2]) << '\n';
            return 1;
        }
        return 0;
    }
    if (bpp != 0)
        return Usage();
    if (cmd == "import" && args.size() == 4) {
        if (!Done(doc.OnOpenDocument(path(1))) || !Import(doc, path(2), yes) || !Done(doc.OnSaveDocument(path(3))))
            return 1;
        return 0;
    }
    return Usage();
}

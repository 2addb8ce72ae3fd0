// textool: batch work on textures with the same core as Pixloom.
//
//   textool info FILE.tex
//   textool export IN.tex OUT.tga|OUT.png
//   textool import IN.tex IN.tga|IN.png|IN.bmp OUT.tex [--yes]
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
#include "interchange/TextureImage.h"
#include "texture/PixloomDoc.h"

namespace {

const char* const USAGE = "usage: textool info FILE.tex\n"
                          "       textool export IN.tex OUT.tga\n"
                          "       textool import IN.tex IN.tga OUT.tex [--yes]\n"
                          "       textool export IN.tex OUT.png\n"
                          "       textool import IN.tex IN.png|IN.bmp OUT.tex [--yes]\n";

const char* const HELP = "\n"
                         "  info    print the texture's header: filler in hex, xRes, yRes, bpp\n"
                         "  export  write the texture as an uncompressed Targa image, or as a PNG image when\n"
                         "          OUT ends in .png\n"
                         "  import  replace the texture's pixels with those of an image of the same size and\n"
                         "          save the result as a texture at the original depth; .png and .bmp files are\n"
                         "          read as PNG and BMP images, any other name as a Targa\n"
                         "\n"
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
    if (cmd == "import" && args.size() == 4) {
        if (!Done(doc.OnOpenDocument(path(1))) || !Import(doc, path(2), yes) || !Done(doc.OnSaveDocument(path(3))))
            return 1;
        return 0;
    }
    return Usage();
}

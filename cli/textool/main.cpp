// textool: batch work on textures with the same core as Pixloom.
//
//   textool info FILE.tex
//   textool export IN.tex OUT.tga
//   textool import IN.tex IN.tga OUT.tex [--yes]
//
// Exit 0 on success, 1 when the operation fails (the message Pixloom would show goes to
// stderr), 2 on wrong usage.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "common/Prompt.h"
#include "common/Version.h"
#include "texture/PixloomDoc.h"

namespace {

const char* const USAGE =
    "usage: textool info FILE.tex\n"
    "       textool export IN.tex OUT.tga\n"
    "       textool import IN.tex IN.tga OUT.tex [--yes]\n";

const char* const HELP =
    "\n"
    "  info    print the texture's header: filler in hex, xRes, yRes, bpp\n"
    "  export  write the texture as an uncompressed Targa image\n"
    "  import  replace the texture's pixels with those of a Targa image of the same size and\n"
    "          save the result as a texture at the original depth\n"
    "\n"
    "  --yes   answer Yes to the question whether to convert a Targa of another depth\n"
    "          (otherwise it is answered No and the import fails)\n"
    "  --version  print the version\n";

// Messages and questions go to stderr; questions are answered from the command line.
class StderrPrompt final : public common::IPrompt {
public:
    explicit StderrPrompt(bool yes) : m_yes(yes) {}
    void ShowMessage(const std::string& text, common::MessageIcon) override { std::cerr << text << '\n'; }
    bool AskYesNo(const std::string& text, common::MessageIcon) override
    {
        std::cerr << text << '\n' << (m_yes ? "Yes (--yes)" : "No (use --yes to answer Yes)") << '\n';
        return m_yes;
    }

private:
    bool m_yes;
};

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
    StderrPrompt prompt(yes);
    texture::CPixloomDoc doc;

    if (cmd == "info" && args.size() == 2) {
        if (!doc.OnOpenDocument(path(1), prompt))
            return 1;
        const texture::TexHeader& h = doc.GetHeader();
        std::cout << "filler: " << texture::FormatFiller(h) << '\n'
                  << "xRes: " << h.xRes << '\n'
                  << "yRes: " << h.yRes << '\n'
                  << "bpp: " << h.bpp << '\n';
        return 0;
    }
    if (cmd == "export" && args.size() == 3) {
        if (!doc.OnOpenDocument(path(1), prompt) || !doc.ExportTarga(path(2), prompt))
            return 1;
        return 0;
    }
    if (cmd == "import" && args.size() == 4) {
        if (!doc.OnOpenDocument(path(1), prompt) || !doc.ImportTarga(path(2), prompt) ||
            !doc.OnSaveDocument(path(3), prompt))
            return 1;
        return 0;
    }
    return Usage();
}

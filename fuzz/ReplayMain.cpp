// Runs a fuzz entry point over files and folders of inputs, for builds without libFuzzer.
// A crash or a failed property aborts the program, which fails the test that runs it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

static bool RunOne(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", p.string().c_str());
        return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An empty vector's data() may be null; the entry points get a valid pointer either way.
    static const std::uint8_t none = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    return true;
}

int main(int argc, char** argv)
{
    std::size_t runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> files;
            for (const auto& e : fs::recursive_directory_iterator(arg))
                if (e.is_regular_file())
                    files.push_back(e.path());
            std::sort(files.begin(), files.end());
            for (const auto& f : files) {
                ok = RunOne(f) && ok;
                ++runs;
            }
        } else {
            ok = RunOne(arg) && ok;
            ++runs;
        }
    }
    std::printf("%zu inputs replayed\n", runs);
    if (runs == 0) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    return ok ? 0 : 1;
}

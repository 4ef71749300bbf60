// The harnesses as plain programs for ctest: every seed of a corpus folder,
// then 2,000 seeded edits of them (bytes that matter to lines, code pages and
// registry text put in, taken out or changed; pieces of other seeds spliced
// in). A broken property aborts.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(argc > 1 ? argv[1] : "")) {
        files.push_back(file.path());
    }
    std::sort(files.begin(), files.end());  // the same edits everywhere
    std::vector<std::string> seeds;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::mt19937_64 rng(20261206);
    static constexpr char kBytes[] = "\r\n\r\n\0\\\"[]=:,%@\x82\xA0\xE9\xC3\xA9\xE7\xFF/.a";
    for (std::size_t i = 0; i < seeds.size() + 2000; ++i) {
        std::string s = seeds[i < seeds.size() ? i : rng() % seeds.size()];
        for (auto edits = i < seeds.size() ? 0 : 1 + rng() % 6; edits > 0; --edits) {
            const std::size_t at = rng() % (s.size() + 1);
            const char byte = rng() % 4 ? kBytes[rng() % (sizeof kBytes - 1)] : char(rng());
            const std::string& other = seeds[rng() % seeds.size()];
            const auto how = rng() % 4;
            if (how == 0) s.insert(at, 1 + rng() % 4, byte);
            if (how == 1) s.erase(at, 1 + rng() % 8);
            if (how == 2) s.insert(at, other, rng() % (other.size() + 1), rng() % 64);
            if (how == 3 && at < s.size()) s[at] = byte;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    }
}

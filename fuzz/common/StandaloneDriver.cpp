// Runs a fuzz target's entry point without libFuzzer: every file of the seed
// corpus folders given on the command line, then --runs=N inputs made by
// seeded random mutations of them (flips, cuts, splices, random bytes). The
// seed is fixed so a failure repeats; a crash or a sanitizer report fails the
// test.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    long runs = 10000;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) {
            runs = std::atol(argv[i] + 7);
            continue;
        }
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (seeds.empty()) seeds.emplace_back();
    for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());

    std::mt19937 rng(12345);
    for (long r = 0; r < runs; ++r) {
        std::vector<uint8_t> input = seeds[rng() % seeds.size()];
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 6) {
            case 0:  // flip a byte
                if (!input.empty()) input[rng() % input.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
                break;
            case 1:  // cut the tail
                if (!input.empty()) input.resize(rng() % input.size());
                break;
            case 2:  // random byte inserted
                input.insert(input.begin() + static_cast<long>(input.empty() ? 0 : rng() % (input.size() + 1)),
                             static_cast<uint8_t>(rng()));
                break;
            case 3:  // erase a run
                if (!input.empty()) {
                    const size_t at = rng() % input.size();
                    const size_t len = std::min<size_t>(input.size() - at, 1 + rng() % 16);
                    input.erase(input.begin() + static_cast<long>(at), input.begin() + static_cast<long>(at + len));
                }
                break;
            case 4: {  // splice in a piece of another seed
                const auto& other = seeds[rng() % seeds.size()];
                if (!other.empty()) {
                    const size_t at = rng() % other.size();
                    const size_t len = std::min<size_t>(other.size() - at, 1 + rng() % 64);
                    const size_t where = input.empty() ? 0 : rng() % (input.size() + 1);
                    input.insert(input.begin() + static_cast<long>(where), other.begin() + static_cast<long>(at),
                                 other.begin() + static_cast<long>(at + len));
                }
                break;
            }
            default:  // overwrite with an interesting byte
                if (!input.empty()) {
                    static const uint8_t kBytes[] = {0, 0xFF, 0x7F, 0x80, '<', '>', '"', '&', '=', '/', '?', '!'};
                    input[rng() % input.size()] = kBytes[rng() % sizeof kBytes];
                }
                break;
            }
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu seeds, %ld mutated inputs: no failure\n", seeds.size(), runs);
    return 0;
}

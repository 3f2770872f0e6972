// Runs a fuzz target over a bounded, repeatable stream of generated inputs:
// random bytes, and mutations of the seeds the target offers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::mt19937 random(20261208);
    std::vector<std::uint8_t> input;
    for (long run = 0; run < runs; ++run) {
        std::size_t size = random() % (run % 10 == 0 ? 70000 : 600);
        input.resize(size);
        for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld Eingaben ohne Absturz\n", runs);
    return 0;
}

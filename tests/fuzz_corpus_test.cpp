// Replays the fuzzers' seed corpus and every input a fuzzer once failed on through the same
// checks, in the ordinary and the sanitizer builds, so a fault found by fuzzing stays fixed.
#include "fuzz/fuzz_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    void (*check)(const uint8_t*, size_t);
};

const Target kTargets[] = {{"number_format", fuzz::CheckNumberFormat},
                           {"read_status", fuzz::CheckReadStatus},
                           {"load_state", fuzz::CheckLoadState},
                           {"vessel_class", fuzz::CheckVesselClass},
                           {"scenario_file", fuzz::CheckScenarioFile}};

// The files of fuzz/FOLDER/TARGET; none when the folder is missing.
std::vector<fs::path> InputsIn(const char* folder, const std::string& target) {
    std::vector<fs::path> files;
    const fs::path dir = fs::path(KELVANE_SOURCE_DIR) / "fuzz" / folder / target;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzCorpus : public testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        fuzz::OnFailure() = [](const std::string& message) { throw std::runtime_error(message); };
    }
    void TearDown() override { fuzz::OnFailure() = nullptr; }

    // Every file of fuzz/FOLDER/TARGET through the target's check; the folder must hold one.
    void Replay(const char* folder) {
        const Target& target = GetParam();
        const std::vector<fs::path> inputs = InputsIn(folder, target.name);
        ASSERT_FALSE(inputs.empty())
            << "fuzz/" << folder << "/" << target.name << "/ is missing or holds no input";
        for (const fs::path& input : inputs) {
            std::ifstream file(input, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
            try {
                target.check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            } catch (const std::exception& e) {
                ADD_FAILURE() << input << ": " << e.what();
            }
        }
    }
};

TEST_P(FuzzCorpus, SeedInputsPassTheirChecks) {
    Replay("corpus");
}

TEST_P(FuzzCorpus, InputsThatOnceFailedPassTheirChecks) {
    Replay("regressions");
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

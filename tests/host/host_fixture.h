// The harbour data set built once for the host call tests, its blobs written to
// a scratch folder, and helpers that read a session's results back as UTF-8.
#ifndef VANTIR_TESTS_HOST_HOST_FIXTURE_H
#define VANTIR_TESTS_HOST_HOST_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/compile/data_build.h"
#include "vantir/host.h"

namespace vantir::testing {

// A fresh folder under the system's temporary directory, removed at the end.
class HostScratch {
  public:
    HostScratch() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("vantir-host-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~HostScratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    HostScratch(const HostScratch&) = delete;
    HostScratch& operator=(const HostScratch&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The harbour sources compiled once per test program.
inline const tools::BuiltData& HarbourBlobs() {
    static const tools::BuiltData built = [] {
        tools::Diagnostics diagnostics;
        tools::Progress progress;
        return tools::BuildData(
            tools::ResolveBuildInputs(std::filesystem::path(VANTIR_TEST_DATA_DIR) / "harbour", {}),
            tools::ModelOptions{}, diagnostics, progress);
    }();
    return built;
}

// Writes the harbour set into `folder` under the names `vantir build` uses.
inline void WriteHarbourFolder(const std::filesystem::path& folder) {
    const tools::BuiltData& built = HarbourBlobs();
    WriteBytes(folder / "lexicon.wpb", built.lexicon);
    WriteBytes(folder / "model.lmb", built.model);
    WriteBytes(folder / "address.addr", built.address);
}

// Result `index` read with the length query first, as the header tells a host.
inline std::string ResultUtf8(FilterSession* session, int32_t index) {
    const int32_t length = Vantir_GetResultUtf8(session, index, nullptr, 0);
    if (length < 0) return "<code " + std::to_string(length) + ">";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (Vantir_GetResultUtf8(session, index, text.data(), length + 1) != length) return "<changed>";
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::vector<std::string> ResultsUtf8(FilterSession* session) {
    std::vector<std::string> texts;
    const int32_t count = Vantir_GetResultCount(session);
    for (int32_t k = 0; k < count; ++k)
        texts.push_back(ResultUtf8(session, k));
    return texts;
}

// The two hypotheses of the harbour example and what they give: the best one
// lost its house number key, the second names the road without its district.
inline const char* const kHarbourWords[] = {"我 要 去 雲港市 東岸區 光明路 二段 十二",
                                            "雲港市 光明路 二段 十二 號"};
inline const std::vector<std::string> kHarbourResults = {
    "雲港市東岸區光明路二段", "雲港市東岸區光明路二段12號", "雲港市西岸區光明路二段12號"};

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_HOST_HOST_FIXTURE_H

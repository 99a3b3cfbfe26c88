// How well the results' confidences are calibrated against reference texts: a
// reliability table, the expected calibration error, and the rows for a refit.
#ifndef VANTIR_TOOLS_CALIBRATION_REPORT_H
#define VANTIR_TOOLS_CALIBRATION_REPORT_H

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "filter/result_confidence.h"

namespace vantir::tools {

// Confidence bins of the reliability table, each a tenth wide.
constexpr int32_t kCalibrationBins = 10;
// First results at or above this confidence are the ones an application acts on
// without asking back.
constexpr double kActOnConfidence = 0.9;

struct CalibrationRow {
    std::string utterance;
    int32_t position = 0;  // 0 for the first result delivered
    bool right = false;    // the result is the reference's address
    float confidence = 0.0f;
    std::array<double, kConfidenceFeatureCount> features{};
};

struct BinTally {
    int32_t results = 0;
    int32_t right = 0;
    double confidence = 0.0;  // summed
};

// The reliability of one set of results: first results and all results.
class CalibrationTally {
  public:
    void Add(const CalibrationRow& row);
    // An utterance that gave no result at all: counted among the utterances.
    void CountUtterance() { ++utterances_; }

    // The expected calibration error: the bins' |mean confidence - share
    // right|, weighed by their share of the results.
    double ExpectedError(bool firstOnly) const;

    // The table, the errors, and how many first results reach kActOnConfidence
    // and how many of those are right.
    void Print(std::ostream& out, const std::string& title) const;

    // One tab-separated line per result: mode, utterance, position, right,
    // confidence, then the features (scripts/calibrate.py reads them).
    void WriteRows(std::ostream& out, const std::string& mode) const;
    static void WriteHeader(std::ostream& out);

  private:
    std::array<BinTally, kCalibrationBins> first_{};
    std::array<BinTally, kCalibrationBins> all_{};
    std::vector<CalibrationRow> rows_;
    int32_t utterances_ = 0;
};

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_CALIBRATION_REPORT_H

// The reliability table of `vantir eval --calibration`: results binned by their
// confidence beside the share that was right, and the rows a refit reads.
#include "tools/run/calibration_report.h"

#include <algorithm>
#include <cmath>
#include <iomanip>

namespace vantir::tools {

namespace {

constexpr double kWholePercent = 100.0;
// Digits of the features in the rows; more than the fit can use.
constexpr int kFeatureDigits = 6;

int32_t BinOf(double confidence) {
    const auto bin = static_cast<int32_t>(confidence * kCalibrationBins);
    return std::clamp(bin, 0, kCalibrationBins - 1);
}

double ErrorOf(const std::array<BinTally, kCalibrationBins>& bins) {
    int32_t total = 0;
    double error = 0.0;
    for (const BinTally& bin : bins) {
        total += bin.results;
        if (bin.results == 0) continue;
        error += std::fabs(bin.confidence - bin.right);  // bin.results x |mean - share|
    }
    return total > 0 ? error / total : 0.0;
}

}  // namespace

void CalibrationTally::Add(const CalibrationRow& row) {
    const int32_t bin = BinOf(row.confidence);
    for (BinTally* tally : {&all_[bin], row.position == 0 ? &first_[bin] : nullptr}) {
        if (tally == nullptr) continue;
        ++tally->results;
        tally->right += row.right ? 1 : 0;
        tally->confidence += row.confidence;
    }
    if (row.position == 0) ++utterances_;
    rows_.push_back(row);
}

double CalibrationTally::ExpectedError(bool firstOnly) const {
    return ErrorOf(firstOnly ? first_ : all_);
}

void CalibrationTally::Print(std::ostream& out, const std::string& title) const {
    out << "calibration, " << title << " (confidence bins: results, mean confidence, right)\n";
    out << "  bin        first results               all results\n";
    for (int32_t b = 0; b < kCalibrationBins; ++b) {
        out << "  " << std::fixed << std::setprecision(1)
            << static_cast<double>(b) / kCalibrationBins << "-"
            << static_cast<double>(b + 1) / kCalibrationBins;
        for (const auto* bins : {&first_, &all_}) {
            const BinTally& bin = (*bins)[static_cast<size_t>(b)];
            out << std::setw(8) << bin.results;
            if (bin.results == 0) {
                out << std::setw(18) << "-";
                continue;
            }
            out << std::setprecision(3) << std::setw(9) << bin.confidence / bin.results
                << std::setw(9) << static_cast<double>(bin.right) / bin.results;
        }
        out << '\n';
    }
    out << "  expected calibration error: first results " << std::setprecision(3)
        << ExpectedError(true) << ", all results " << ExpectedError(false) << '\n';
    int32_t acted = 0;
    int32_t actedRight = 0;
    for (const CalibrationRow& row : rows_) {
        if (row.position != 0 || row.confidence < kActOnConfidence) continue;
        ++acted;
        actedRight += row.right ? 1 : 0;
    }
    out << "  first results with confidence >= " << std::setprecision(1) << kActOnConfidence << ": "
        << acted << " of " << utterances_ << " utterances (" << std::setprecision(1)
        << (utterances_ > 0 ? kWholePercent * acted / utterances_ : 0.0) << "%), right "
        << (acted > 0 ? kWholePercent * actedRight / acted : 0.0) << "%\n";
}

void CalibrationTally::WriteHeader(std::ostream& out) {
    out << "mode\tutterance\tposition\tright\tconfidence";
    for (int32_t k = 0; k < kConfidenceFeatureCount; ++k)
        out << "\tf" << k;
    out << '\n';
}

void CalibrationTally::WriteRows(std::ostream& out, const std::string& mode) const {
    for (const CalibrationRow& row : rows_) {
        out << mode << '\t' << row.utterance << '\t' << row.position << '\t' << (row.right ? 1 : 0)
            << '\t' << std::setprecision(kFeatureDigits) << std::defaultfloat << row.confidence;
        for (double feature : row.features)
            out << '\t' << feature;
        out << '\n';
    }
}

}  // namespace vantir::tools

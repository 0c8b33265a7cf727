#include "bench/ResultTable.h"

#include <algorithm>
#include <cstdio>

namespace quillmere::bench {
namespace {

std::string Figure(double value, const std::string& unit) {
    char text[64];
    if (unit == "s") {
        value < 1 ? std::snprintf(text, sizeof text, "%.1f ms", value * 1000)
                  : std::snprintf(text, sizeof text, "%.2f s", value);
    } else if (unit == "KiB") {
        std::snprintf(text, sizeof text, "%.1f MiB", value / 1024);
    } else {
        std::snprintf(text, sizeof text, "%.3g%s", value, unit.c_str());
    }
    return text;
}

}  // namespace

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void ResultTable::Add(std::string what, double ours, double baseline, std::string unit, double maxRatio, bool strict) {
    m_rows.push_back({std::move(what), ours, baseline, std::move(unit), maxRatio, strict});
}

void ResultTable::Print() const {
    std::printf("| figure | ours (median) | baseline (median) | ratio | target | result |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& row : m_rows) {
        std::printf("| %s | %s | %s | %.2f | %s %.2f | %s |\n", row.what.c_str(), Figure(row.ours, row.unit).c_str(),
                    Figure(row.baseline, row.unit).c_str(), row.Ratio(), row.strict ? "<" : "<=", row.maxRatio,
                    row.Met() ? "met" : "NOT met");
    }
    std::fflush(stdout);
}

bool ResultTable::AllMet() const {
    return std::all_of(m_rows.begin(), m_rows.end(), [](const Row& row) { return row.Met(); });
}

}  // namespace quillmere::bench

// ResultTable: the figures of one benchmark run, each ours beside its baseline with their ratio
// and the target the ratio must meet, printed as one Markdown table.
#pragma once

#include <string>
#include <vector>

namespace quillmere::bench {

double Median(std::vector<double> values);

class ResultTable {
public:
    // ours / baseline must be at most maxRatio (below it when strict) for the row to be met.
    void Add(std::string what, double ours, double baseline, std::string unit, double maxRatio, bool strict = false);
    void Print() const;
    bool AllMet() const;

private:
    struct Row {
        std::string what;
        double ours;
        double baseline;
        std::string unit;
        double maxRatio;
        bool strict;
        double Ratio() const { return ours / baseline; }
        bool Met() const { return strict ? Ratio() < maxRatio : Ratio() <= maxRatio; }
    };
    std::vector<Row> m_rows;
};

}  // namespace quillmere::bench

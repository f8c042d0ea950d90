// The benchmark's figures and targets, printed as a table and written as
// Markdown for docs/performance.md.
#pragma once
#include <string>
#include <vector>

struct Figure {
    std::string section;  // the measurement it belongs to
    std::string label;
    std::string unit;     // "ms", "MB", ...
    std::vector<double> runs;
    double Value() const;  // the median of the runs
};

struct Target {
    std::string label;  // what is compared, e.g. "start-up, 5,000 pictures / empty"
    double value;
    std::string limit;  // as written, e.g. "<= 1.5"
    bool met;
};

class BenchReport {
public:
    void Add(Figure figure) { figures_.push_back(std::move(figure)); }
    // The median of the figure with this label, or a negative value.
    double Value(const std::string& label) const;
    // The label of the first figure whose label starts with `prefix`, or "".
    std::string LabelStartingWith(const std::string& prefix) const;
    // A ratio of two medians against `limit` (at most), or a value below `limit`.
    void AddRatioTarget(const std::string& label, const std::string& over, const std::string& under, double limit);
    void AddBelowTarget(const std::string& label, const std::string& figure, double limit, const std::string& unit);
    // A remark printed under the table (what a figure means, what failed).
    void Note(const std::string& text) { notes_.push_back(text); }

    void Print() const;
    std::string Markdown() const;

private:
    // The figures grouped by section ("1. ...", "2. ..."), in the order added within one.
    std::vector<Figure> BySection() const;

    std::vector<Figure> figures_;
    std::vector<Target> targets_;
    std::vector<std::string> notes_;
};

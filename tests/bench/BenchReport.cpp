#include "BenchReport.h"

#include <algorithm>
#include <cstdio>

#include "BenchTiming.h"

namespace {

std::string Format(double value, const std::string& unit = "") {
    char text[64];
    if (value < 0) return "n/a";
    if (unit == "x") std::snprintf(text, sizeof text, "%.2f", value);
    else if (value >= 100) std::snprintf(text, sizeof text, "%.0f", value);
    else std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Runs(const Figure& figure) {
    std::string out;
    for (double run : figure.runs) out += (out.empty() ? "" : " ") + Format(run);
    return out;
}

}  // namespace

double Figure::Value() const { return runs.empty() ? -1 : Median(runs); }

double BenchReport::Value(const std::string& label) const {
    for (const Figure& f : figures_)
        if (f.label == label) return f.Value();
    return -1;
}

std::string BenchReport::LabelStartingWith(const std::string& prefix) const {
    for (const Figure& f : figures_)
        if (f.label.compare(0, prefix.size(), prefix) == 0) return f.label;
    return "";
}

void BenchReport::AddRatioTarget(const std::string& label, const std::string& over, const std::string& under,
                                 double limit) {
    const double a = Value(over), b = Value(under);
    const double ratio = a >= 0 && b > 0 ? a / b : -1;
    char text[32];
    std::snprintf(text, sizeof text, "<= %.1f", limit);
    targets_.push_back(Target{label, ratio, text, ratio >= 0 && ratio <= limit});
}

void BenchReport::AddBelowTarget(const std::string& label, const std::string& figure, double limit,
                                 const std::string& unit) {
    const double value = Value(figure);
    targets_.push_back(Target{label, value, "< " + Format(limit) + " " + unit, value >= 0 && value < limit});
}

std::vector<Figure> BenchReport::BySection() const {
    std::vector<Figure> figures = figures_;
    std::stable_sort(figures.begin(), figures.end(),
                     [](const Figure& a, const Figure& b) { return a.section < b.section; });
    return figures;
}

void BenchReport::Print() const {
    std::string section;
    std::printf("\n%-62s %10s  %s\n", "figure (median)", "value", "runs");
    for (const Figure& f : BySection()) {
        if (f.section != section) std::printf("%s\n", (section = f.section).c_str());
        std::printf("  %-60s %7s %-3s (%s)\n", f.label.c_str(), Format(f.Value()).c_str(), f.unit.c_str(),
                    Runs(f).c_str());
    }
    std::printf("\n%-62s %10s  %-8s %s\n", "target", "value", "limit", "");
    for (const Target& t : targets_)
        std::printf("  %-60s %7s     %-8s %s\n", t.label.c_str(), Format(t.value, "x").c_str(), t.limit.c_str(),
                    t.met ? "met" : t.value < 0 ? "not measured" : "MISSED");
    for (const std::string& n : notes_) std::printf("note: %s\n", n.c_str());
}

std::string BenchReport::Markdown() const {
    std::string md = "| measurement | figure | median | runs |\n|---|---|---:|---|\n";
    std::string section;
    for (const Figure& f : BySection()) {
        md += "| " + (f.section != section ? (section = f.section) : std::string()) + " | " + f.label + " | " +
              Format(f.Value()) + " " + f.unit + " | " + Runs(f) + " |\n";
    }
    md += "\n| target | value | limit | |\n|---|---:|---|---|\n";
    for (const Target& t : targets_)
        md += "| " + t.label + " | " + Format(t.value, t.limit.rfind("<=", 0) == 0 ? "x" : "") + " | " + t.limit +
              " | " + (t.met ? "met" : t.value < 0 ? "not measured" : "**missed**") + " |\n";
    if (!notes_.empty()) {
        md += "\n";
        for (const std::string& n : notes_) md += "- " + n + "\n";
    }
    return md;
}

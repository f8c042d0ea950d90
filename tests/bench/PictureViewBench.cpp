#include "PictureViewBench.h"

#include <set>
#include <string>
#include <vector>

#include "Forms.h"
#include "PictureDecoder.h"
#include "PictureViewProbe.h"
#include "PixelCache.h"
#include "TestApplication.h"

namespace {

const char kSection[] = "6. picture view, in-process";

void MeasureThousandPictures(BenchReport& report) {
    TestApplication();
    TempFolder folder;
    constexpr int kPictures = 1000;
    const std::vector<std::string> files = view_probe::ManyPictures(folder, kPictures);
    if (files.empty()) {
        report.Note("picture view: the default library could not be copied");
        return;
    }
    auto* form = new TForm(nullptr);
    form->SetBounds(20, 20, 680, 420);
    form->Show();
    Application->ProcessMessages();
    const int gdiBefore = view_probe::GdiObjects();
    const double memoryBefore = view_probe::CommittedMegabytes();
    const long opensBefore = PictureDecoder::OpenCount();

    // As a tab's page: the view of a sheet 645 wide, shown for the first time.
    auto* view = new TPictureView(form);
    view->SetBounds(5, 5, 635, 317);
    double start = view_probe::NowMs();
    view->SetFiles(files);
    const double setFilesMs = view_probe::NowMs() - start;
    start = view_probe::NowMs();
    view->SetParent(form);
    UpdateWindow(view->Handle());
    const double firstPaintMs = view_probe::NowMs() - start;

    view_probe::LatencyProbe probe;
    const bool screen = view_probe::PumpUntil([&] { return view_probe::ScreenComplete(*view); });
    const double screenMs = view_probe::NowMs() - start;
    const bool all = view_probe::PumpUntil([&] { return view->MeasuredCount() == kPictures && !view->Busy(); });
    const double allMs = view_probe::NowMs() - start;
    const double latencyMs = probe.WorstMs();
    const long opens = PictureDecoder::OpenCount() - opensBefore;
    const size_t cacheBytes = PixelCache::Shared().Bytes();
    const int gdiSettled = view_probe::GdiObjects();
    const double memorySettled = view_probe::CommittedMegabytes();
    start = view_probe::NowMs();
    view->SetScrollPos(view->PageHeight());
    const bool bottom = view_probe::PumpUntil([&] { return view_probe::ScreenComplete(*view); });
    const double bottomMs = view_probe::NowMs() - start;
    delete form;
    if (!screen || !all || !bottom) report.Note("picture view: the thousand pictures did not complete in a minute");

    const std::string tab = "a tab of 1,000 pictures: ";
    report.Add({kSection, tab + "SetFiles", "ms", {setFilesMs}});
    report.Add({kSection, tab + "first paint", "ms", {firstPaintMs}});
    report.Add({kSection, tab + "first screen complete", "ms", {screenMs}});
    report.Add({kSection, tab + "whole page measured", "ms", {allMs}});
    report.Add({kSection, tab + "worst delay of a posted message meanwhile", "ms", {latencyMs}});
    report.Add({kSection, tab + "scroll to the end, decoded", "ms", {bottomMs}});
    report.Add({kSection, tab + "files opened", "", {static_cast<double>(opens)}});
    report.Add({kSection, tab + "pixels kept", "KB", {static_cast<double>(cacheBytes) / 1024.0}});
    report.Add({kSection, tab + "committed memory added", "MB", {memorySettled - memoryBefore}});
    report.Add({kSection, tab + "GDI objects added", "", {static_cast<double>(gdiSettled - gdiBefore)}});
}

// What one picture costs through the codecs: opening (all that measuring
// needs) and decoding after the open, for the first picture of the default
// library in each format.
void MeasureOnePictureByFormat(BenchReport& report, const BenchConfig& config) {
    PictureDecoder decoder;
    PictureFile file;
    std::set<std::string> formats;
    for (const std::string& path : view_probe::LibraryPictures()) {
        if (!formats.insert(path.substr(path.rfind('.') + 1)).second) continue;
        std::vector<double> openMs, decodeMs;
        for (int i = 0; i < config.runs; ++i) {
            double t = view_probe::NowMs();
            if (!decoder.Open(path, file)) break;
            openMs.push_back(view_probe::NowMs() - t);
            PixelBuffer pixels;
            t = view_probe::NowMs();
            if (!file.Decode(pixels)) break;
            decodeMs.push_back(view_probe::NowMs() - t);
        }
        const std::string name = path.substr(path.rfind('\\') + 1);
        if (decodeMs.size() != static_cast<size_t>(config.runs)) {
            report.Note("picture view: " + name + " could not be decoded");
            continue;
        }
        report.Add({kSection, name + ": open", "ms", openMs});
        report.Add({kSection, name + ": decode", "ms", decodeMs});
    }
}

}  // namespace

void MeasurePictureView(BenchReport& report, const BenchConfig& config) {
    Progress("picture view: a tab of 1,000 pictures");
    MeasureThousandPictures(report);
    Progress("picture view: one picture by format");
    MeasureOnePictureByFormat(report, config);
}

// The folder watch on its own: changes made the moment it has been made are
// reported (its reads are in place when the constructor returns), below the
// folder and of the folder itself coming.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FolderWatch.h"
#include "TempFolder.h"
#include "Wait.h"

namespace {

// Collects what the watch raises on this thread.
struct Collector : TObject {
    explicit Collector(TFolderWatch& watch) : watch_(watch) {
        watch.OnChange = TNotifyEvent::Bind<Collector, &Collector::Changed>(this);
    }
    void Changed(TObject*) {
        for (TFolderChange& change : watch_.Take()) changes.push_back(std::move(change));
    }
    bool Saw(const std::string& relativePath) const {
        return std::any_of(changes.begin(), changes.end(), [&](const TFolderChange& c) {
            return !c.wholeFolder && lstrcmpiA(c.relativePath.c_str(), relativePath.c_str()) == 0;
        });
    }
    bool SawWholeFolder() const {
        return std::any_of(changes.begin(), changes.end(), [](const TFolderChange& c) { return c.wholeFolder; });
    }
    std::vector<TFolderChange> changes;

private:
    TFolderWatch& watch_;
};

TEST(FolderWatch, AFileWrittenTheMomentTheWatchIsMadeIsReported) {
    TempFolder root;
    root.MakeFolder("images");
    TFolderWatch watch(nullptr, root / "images");
    ASSERT_TRUE(watch.Watching());
    root.WriteFile("images\\new.gif", "GIF89a");
    Collector seen(watch);
    EXPECT_TRUE(WaitFor([&] { return seen.Saw("new.gif"); }, 5000));
}

TEST(FolderWatch, TheFolderMadeTheMomentTheWatchIsMadeIsReportedAndWatchedInside) {
    TempFolder root;
    TFolderWatch watch(nullptr, root / "images");
    ASSERT_TRUE(watch.Watching());
    root.MakeFolder("images");
    Collector seen(watch);
    ASSERT_TRUE(WaitFor([&] { return seen.SawWholeFolder(); }, 5000)) << "the folder came";
    root.WriteFile("images\\new.gif", "GIF89a");
    EXPECT_TRUE(WaitFor([&] { return seen.Saw("new.gif"); }, 5000));
}

}  // namespace

// The decode worker: reads and decodes on its own thread, tells the window
// once per batch, hands results to the client that asked for them only, and
// forgets a cancelled client's work. And the picture view over it: a page in
// view is read by the worker, not by the window thread, which stays free.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DecodeWorker.h"
#include "Forms.h"
#include "MessageWindow.h"
#include "PictureDecoder.h"
#include "PictureFlow.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "TestPictures.h"
#include "Wait.h"

namespace {

const auto* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr UINT kDone = WM_APP + 5;

// A message-only window that counts the worker's messages.
class Mailbox {
public:
    Mailbox() : window(MakeMessageWindow("DecodeWorkerTestMailbox", Proc, this)) {}
    ~Mailbox() { DestroyWindow(window); }
    HWND window = nullptr;
    int messages = 0;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kDone)
            if (auto* self = reinterpret_cast<Mailbox*>(GetWindowLongPtrA(wnd, GWLP_USERDATA))) ++self->messages;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
};

DecodeWorker::Job Read(std::uint64_t client, int index, const std::string& path) {
    DecodeWorker::Job job;
    job.client = client;
    job.index = index;
    job.path = path;
    return job;
}

// Pumps until `count` results of `client` are taken.
std::vector<DecodeWorker::Result> TakeAll(DecodeWorker& worker, std::uint64_t client, size_t count) {
    std::vector<DecodeWorker::Result> all;
    WaitFor([&] {
        for (DecodeWorker::Result& r : worker.Take(client)) all.push_back(std::move(r));
        return all.size() >= count;
    });
    return all;
}

TEST(DecodeWorker, ReadsMeasureAndDecodeAndTellTheWindowOncePerBatch) {
    TempFolder folder;
    DecodeWorker worker;
    Mailbox box;
    const std::uint64_t client = DecodeWorker::NewClient();
    EXPECT_NE(client, DecodeWorker::NewClient());
    const std::vector<std::string> paths = {TestDataPicture("red.bmp"), folder.WriteFile("bad.png", "not a picture"),
                                            TestDataPicture("anim.gif"), folder / "missing.gif"};
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(worker.Request(box.window, kDone, Read(client, i, paths[static_cast<size_t>(i) % paths.size()])));

    std::vector<DecodeWorker::Result> results = TakeAll(worker, client, 20);
    ASSERT_EQ(results.size(), 20u);
    // Two threads may finish them in another order.
    std::sort(results.begin(), results.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
    for (int i = 0; i < 20; ++i) {
        const DecodeWorker::Result& r = results[static_cast<size_t>(i)];
        EXPECT_EQ(r.index, i);
        EXPECT_TRUE(r.measuring);
        const bool picture = i % 4 == 0 || i % 4 == 2;
        EXPECT_EQ(r.opened, picture) << i;
        EXPECT_EQ(r.ok, picture) << i;
        if (i % 4 == 0) {
            EXPECT_EQ(r.width, 20);
            EXPECT_EQ(r.height, 16);
            EXPECT_EQ(r.pixels.width, 20);
        }
        if (i % 4 == 2) {
            EXPECT_TRUE(r.pixels.Animated());
        }
    }
    // Fewer messages than pictures: the window hears of several at a time.
    EXPECT_GE(box.messages, 1);
    EXPECT_LT(box.messages, 20);
    EXPECT_EQ(worker.Outstanding(), 0u);
}

TEST(DecodeWorker, ADecodeOfAPictureThatChangedSizeSinceItWasMeasuredFails) {
    DecodeWorker worker;
    Mailbox box;
    const std::uint64_t client = DecodeWorker::NewClient();
    DecodeWorker::Job job = Read(client, 7, TestDataPicture("red.bmp"));
    job.width = 20;
    job.height = 16;
    ASSERT_TRUE(worker.Request(box.window, kDone, job));
    job.width = 24;  // measured at another size: the file was rewritten since
    ASSERT_TRUE(worker.Request(box.window, kDone, job));
    std::vector<DecodeWorker::Result> results = TakeAll(worker, client, 2);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0].measuring);
    EXPECT_FALSE(results[1].measuring);
    // One of them decoded, the other refused.
    EXPECT_NE(results[0].ok, results[1].ok);
    EXPECT_TRUE((results[0].ok ? results[1] : results[0]).pixels.pixels.empty());
}

TEST(DecodeWorker, ACancelledClientGetsNothingAndOthersAreNotHeldUp) {
    DecodeWorker worker;
    Mailbox box;
    const std::uint64_t gone = DecodeWorker::NewClient(), kept = DecodeWorker::NewClient();
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(worker.Request(box.window, kDone, Read(gone, i, TestDataPicture("anim.gif"))));
    ASSERT_TRUE(worker.Request(box.window, kDone, Read(kept, 0, TestDataPicture("red.bmp"))));
    worker.Cancel(gone);
    // The kept client's job comes through long before 200 animations could.
    const std::vector<DecodeWorker::Result> results = TakeAll(worker, kept, 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].ok);
    EXPECT_TRUE(WaitFor([&] { return worker.Outstanding() == 0; }));
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    EXPECT_TRUE(worker.Take(gone).empty());
}

TEST(DecodeWorker, WithdrawingDropsQueuedDecodesOutOfRangeButKeepsReads) {
    DecodeWorker worker;
    Mailbox box;
    const std::uint64_t client = DecodeWorker::NewClient(), other = DecodeWorker::NewClient();
    for (int i = 0; i < 100; ++i) {
        DecodeWorker::Job job = Read(client, i, TestDataPicture("anim.gif"));
        if (i % 10 != 9) job.width = job.height = 20;  // decodes; every tenth a read
        ASSERT_TRUE(worker.Request(box.window, kDone, job));
    }
    DecodeWorker::Job theirs = Read(other, 50, TestDataPicture("anim.gif"));
    theirs.width = theirs.height = 20;
    ASSERT_TRUE(worker.Request(box.window, kDone, theirs));

    const std::vector<int> withdrawn = worker.Withdraw(client, 40, 60);
    // Whatever was still queued outside 40..59, reads excepted; the first
    // jobs may be done or under way already.
    ASSERT_GT(withdrawn.size(), 50u);
    for (int i : withdrawn) {
        EXPECT_TRUE(i < 40 || i >= 60) << i;
        EXPECT_NE(i % 10, 9) << i;
    }
    std::vector<DecodeWorker::Result> results =
        TakeAll(worker, client, 100 - withdrawn.size());
    EXPECT_EQ(results.size(), 100 - withdrawn.size());
    for (const DecodeWorker::Result& r : results)
        EXPECT_TRUE(r.index % 10 == 9 || (r.index >= 40 && r.index < 60) ||
                    std::find(withdrawn.begin(), withdrawn.end(), r.index) == withdrawn.end())
            << r.index;
    EXPECT_EQ(TakeAll(worker, other, 1).size(), 1u);  // another client's job is not touched
}

TEST(DecodeWorker, ResultsForAWindowThatIsGoneWaitHarmlesslyUntilCancelled) {
    DecodeWorker worker;
    const std::uint64_t client = DecodeWorker::NewClient();
    HWND window;
    {
        Mailbox box;
        window = box.window;
    }
    ASSERT_FALSE(IsWindow(window));
    ASSERT_TRUE(worker.Request(window, kDone, Read(client, 0, TestDataPicture("red.bmp"))));
    EXPECT_TRUE(WaitFor([&] { return worker.Outstanding() == 0; }));
    worker.Cancel(client);
    EXPECT_TRUE(worker.Take(client).empty());
}

// ------------------------------------------------------------- the view

TEST(PictureViewOverTheWorker, APageInViewIsReadByTheWorkerWhileTheWindowThreadStaysFree) {
    TestApplication();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(40, 40, 340, 260);
    form->Show();
    auto* view = new TPictureView(form.get());
    view->SetBounds(5, 5, 300, 200);
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i) files.push_back(TestDataPicture(i % 2 ? "anim.gif" : "blue.jpg"));
    view->SetFiles(files);

    const long here = PictureDecoder::OpenCountOnThisThread();
    const long all = PictureDecoder::OpenCount();
    view->SetParent(form.get());
    // Messages keep being answered while the pictures come in.
    int answered = 0;
    ASSERT_TRUE(WaitFor([&] {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(view->Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++answered;
        return view->MeasuredCount() == view->Count() && !view->Busy();
    }));
    EXPECT_GT(answered, 0);
    for (int i = 0; i < view->Count(); ++i) EXPECT_TRUE(view->IsDecoded(i)) << i;
    // The reads of two threads come back in any order; the page is laid out in
    // the pictures' order all the same.
    std::vector<flow::Size> sizes;
    for (int i = 0; i < 40; ++i) sizes.push_back(i % 2 ? flow::Size{20, 20} : flow::Size{24, 18});
    const flow::Layout want = flow::LayOut(sizes, view->ClientWidth());
    for (int i = 0; i < 40; ++i) {
        const RECT got = view->PictureRect(i);
        EXPECT_EQ(want.Box(i).left, got.left) << i;
        EXPECT_EQ(want.Box(i).top, got.top) << i;
    }
    // Each picture opened once, and none of them on the window thread.
    EXPECT_EQ(PictureDecoder::OpenCountOnThisThread(), here);
    EXPECT_EQ(PictureDecoder::OpenCount(), all + 40);
}

}  // namespace

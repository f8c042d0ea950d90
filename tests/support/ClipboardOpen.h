// The clipboard opened by the test itself, waiting while another program
// holds it; closed when the scope ends.
#pragma once
#include <windows.h>

#include "Wait.h"

class OpenedForTest {
public:
    OpenedForTest() { ok_ = WaitFor([] { return OpenClipboard(nullptr) != FALSE; }); }
    ~OpenedForTest() {
        if (ok_) CloseClipboard();
    }
    OpenedForTest(const OpenedForTest&) = delete;
    OpenedForTest& operator=(const OpenedForTest&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

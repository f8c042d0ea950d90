// One initialised application object per test program.
#pragma once
#include "Forms.h"

inline TApplication& TestApplication() {
    static TApplication* app = [] {
        auto* a = new TApplication();
        a->Initialize();
        a->SetTitle("Tovira 1.0");
        return a;
    }();
    return *app;
}

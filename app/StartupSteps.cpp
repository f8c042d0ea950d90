#include "StartupSteps.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "Forms.h"

namespace {
std::vector<std::pair<std::string, DWORD>> unset;
}

void MarkStartupStep(const char* property) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const auto ms = static_cast<DWORD>(static_cast<unsigned long long>(now.QuadPart) * 1000ull /
                                       static_cast<unsigned long long>(frequency.QuadPart));
    unset.emplace_back(property, ms);
    TForm* main = Application->MainForm();
    if (!main || !main->HandleAllocated()) return;
    for (const auto& [name, at] : unset)
        SetPropA(main->Handle(), name.c_str(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(at)));
    unset.clear();
}

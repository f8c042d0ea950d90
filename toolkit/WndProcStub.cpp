#include "WndProcStub.h"

#include <string.h>

#include "Exceptions.h"

#if !defined(__i386__) && !defined(_M_IX86)
#error "The window procedure stub is 32-bit x86 code"
#endif

namespace {
constexpr size_t kStubSize = 13;
}

TWndProcStub::TWndProcStub(void* target, Entry entry) {
    void* memory = VirtualAlloc(nullptr, kStubSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!memory) RaiseLastOSError();
    code_ = static_cast<unsigned char*>(memory);
    // mov dword ptr [esp+4], target   ; the first argument (the window) becomes the object
    // jmp entry
    auto object = reinterpret_cast<DWORD>(target);
    auto relative = reinterpret_cast<DWORD>(entry) - (reinterpret_cast<DWORD>(code_) + kStubSize);
    const unsigned char head[] = {0xC7, 0x44, 0x24, 0x04};
    memcpy(code_, head, sizeof head);
    memcpy(code_ + 4, &object, 4);
    code_[8] = 0xE9;
    memcpy(code_ + 9, &relative, 4);
    FlushInstructionCache(GetCurrentProcess(), code_, kStubSize);
}

TWndProcStub::~TWndProcStub() {
    if (code_) VirtualFree(code_, 0, MEM_RELEASE);
}

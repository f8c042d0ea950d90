#include "WndProcStub.h"

#include <string.h>

#include "Exceptions.h"

namespace {

#if defined(__i386__) || defined(_M_IX86)
// mov dword ptr [esp+4], target   ; the first argument (the window) becomes the object
// jmp entry                       ; relative to the end of the stub
constexpr size_t kStubSize = 13;
void WriteStub(unsigned char* code, void* target, TWndProcStub::Entry entry) {
    auto object = reinterpret_cast<DWORD>(target);
    auto relative = reinterpret_cast<DWORD>(entry) - (reinterpret_cast<DWORD>(code) + kStubSize);
    const unsigned char head[] = {0xC7, 0x44, 0x24, 0x04};
    memcpy(code, head, sizeof head);
    memcpy(code + 4, &object, 4);
    code[8] = 0xE9;
    memcpy(code + 9, &relative, 4);
}
#elif defined(__x86_64__) || defined(_M_X64)
// mov rcx, target   ; the first argument (the window) is in rcx
// mov rax, entry
// jmp rax
constexpr size_t kStubSize = 22;
void WriteStub(unsigned char* code, void* target, TWndProcStub::Entry entry) {
    auto object = reinterpret_cast<UINT64>(target);
    auto address = reinterpret_cast<UINT64>(entry);
    code[0] = 0x48, code[1] = 0xB9;
    memcpy(code + 2, &object, 8);
    code[10] = 0x48, code[11] = 0xB8;
    memcpy(code + 12, &address, 8);
    code[20] = 0xFF, code[21] = 0xE0;
}
#else
#error "The window procedure stub is written for x86 and x64 only"
#endif

}  // namespace

TWndProcStub::TWndProcStub(void* target, Entry entry) {
    void* memory = VirtualAlloc(nullptr, kStubSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!memory) RaiseLastOSError();
    code_ = static_cast<unsigned char*>(memory);
    WriteStub(code_, target, entry);
    FlushInstructionCache(GetCurrentProcess(), code_, kStubSize);
}

TWndProcStub::~TWndProcStub() {
    if (code_) VirtualFree(code_, 0, MEM_RELEASE);
}

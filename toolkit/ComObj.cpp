#include "ComObj.h"

#include <cstdio>

std::wstring AnsiToWide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string WideToAnsi(const wchar_t* s) {
    if (!s || !*s) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

void RaiseOleError(HRESULT hr) {
    std::string text = SysErrorMessage(static_cast<unsigned long>(hr));
    if (text.empty()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "OLE error %.8lx", static_cast<unsigned long>(hr));
        text = buf;
    }
    throw EOleError(hr, text);
}

void RaiseInterfaceNotSupported() { throw EInvalidCast("Interface not supported"); }

#include "Exceptions.h"

#include <windows.h>

#include <cstdio>

std::string SysErrorMessage(unsigned long code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

void RaiseOSError(unsigned long code) {
    char head[64];
    std::snprintf(head, sizeof head, "System Error.  Code: %lu.\r\n", code);
    throw EOSError(code, head + SysErrorMessage(code));
}

void RaiseLastOSError() { RaiseOSError(GetLastError()); }

std::string ErrorReportText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

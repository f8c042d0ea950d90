// The toolkit's error types. Failures inside the program are C++ exceptions;
// they are stopped at every Win32 / COM boundary and shown by the
// application's standard error report.
#pragma once
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// An operating-system failure: the system's error code and its message.
class EOSError : public Exception {
public:
    EOSError(unsigned long code, std::string message) : Exception(std::move(message)), code_(code) {}
    unsigned long ErrorCode() const noexcept { return code_; }

private:
    unsigned long code_;
};

// A failed COM call, carrying its HRESULT.
class EOleError : public Exception {
public:
    EOleError(long hr, std::string message) : Exception(std::move(message)), hr_(hr) {}
    long ErrorCode() const noexcept { return hr_; }

private:
    long hr_;
};

class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

// The system's text for an error code, without the trailing line break.
std::string SysErrorMessage(unsigned long code);
// Raises EOSError for `code` ("System Error.  Code: N.\r\n<system text>").
[[noreturn]] void RaiseOSError(unsigned long code);
// Raises EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();

// The text the standard error report shows: the message, with a full stop
// appended when its last character sorts after '.' (letters and digits do).
std::string ErrorReportText(const std::string& message);

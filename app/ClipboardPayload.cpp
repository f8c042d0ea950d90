#include "ClipboardPayload.h"

#include <cstdio>

#include "Exceptions.h"

namespace {

constexpr std::string_view kStartComment = "<!--StartFragment-->";
constexpr std::string_view kEndComment = "<!--EndFragment-->";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kClosingTags = "</body> </html>";
constexpr size_t kFieldDigits = 8;

// Overwrites the eight digits after `field` in the header part of `payload`
// (the first `headerLength` bytes). Fields the prefix lacks stay absent.
void SetHeaderField(std::string& payload, size_t headerLength, std::string_view field, size_t value) {
    size_t at = std::string_view(payload).substr(0, headerLength).find(field);
    if (at == std::string_view::npos) return;
    at += field.size();
    if (at + kFieldDigits > headerLength) return;
    for (size_t i = 0; i < kFieldDigits; ++i)
        if (payload[at + i] < '0' || payload[at + i] > '9') return;
    if (value > 99999999) throw Exception("The picture path is too long for the clipboard");
    char digits[kFieldDigits + 1];
    std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(value));
    payload.replace(at, kFieldDigits, digits, kFieldDigits);
}

}  // namespace

std::string PictureElement(std::string_view path) {
    std::string element = "<IMG src=\"file:///";
    // A `"` would end the attribute: no Windows name has one, but a Unix
    // file seen through Wine can.
    for (char c : path) {
        if (c == '"') element += "&quot;";
        else element += c;
    }
    element += "\">";
    return element;
}

std::string BuildHtmlClipboardPayload(std::string_view prefix, std::string_view path) {
    const std::string element = PictureElement(path);
    std::string payload;
    if (prefix.empty()) {
        payload.append(kStartComment).append(element).append(kEndComment);
        return payload;
    }

    // prefix CRLF <!--StartFragment--> CRLF element CRLF </body> </html> CRLF <!--EndFragment-->
    payload.append(prefix).append(kLineBreak).append(kStartComment);
    const size_t startFragment = payload.size();
    payload.append(kLineBreak).append(element).append(kLineBreak).append(kClosingTags).append(kLineBreak);
    const size_t endFragment = payload.size();
    payload.append(kEndComment);

    // The fields have a fixed width, so writing them moves no offset.
    const size_t htmlAt = prefix.find("<html");
    if (htmlAt != std::string_view::npos) SetHeaderField(payload, prefix.size(), "StartHTML:", htmlAt);
    SetHeaderField(payload, prefix.size(), "EndHTML:", payload.size());
    SetHeaderField(payload, prefix.size(), "StartFragment:", startFragment);
    SetHeaderField(payload, prefix.size(), "EndFragment:", endFragment);
    return payload;
}

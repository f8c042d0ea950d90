#include "IconPageText.h"

#include <cctype>

namespace {
constexpr std::string_view kHeadScript = "<html> <head> <script language=\"JavaScript\" type=\"text/JavaScript\"> ";
constexpr std::string_view kHeadFunction = "function settitle(msg) { document.title=msg; } ";
constexpr std::string_view kHeadBody = "</script> </head> <body bgcolor=\"#FFFFFF\">";
constexpr std::string_view kTail = "</body> </html>";
constexpr std::string_view kBeforePath = "<img src=\"";
constexpr std::string_view kBetweenPaths = "\" onClick=\"settitle( '";
constexpr std::string_view kAfterPath = "')\">&nbsp; ";

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// `&` starts a character reference inside an attribute value and `"` ends
// it. Windows names hold no `"`, but a Unix file seen through Wine can.
std::string AttributeText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// Inside the script's single-quoted string literal, where a raw line break
// is a syntax error (again only a Unix file name can hold one).
std::string ScriptStringText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else {
            if (c == '\\' || c == '\'') out += '\\';
            out += c;
        }
    }
    return out;
}
}  // namespace

std::string ForwardSlashPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool HasExtension(std::string_view fileName, std::string_view extension) {
    if (fileName.size() < extension.size() + 1) return false;
    std::string_view tail = fileName.substr(fileName.size() - extension.size());
    if (fileName[fileName.size() - extension.size() - 1] != '.') return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (Lower(tail[i]) != Lower(extension[i])) return false;
    return true;
}

std::string PicturePageLine(std::string_view path) {
    const std::string p = ForwardSlashPath(path);
    std::string line;
    line += kBeforePath;
    line += AttributeText(p);
    line += kBetweenPaths;
    line += AttributeText(ScriptStringText(p));
    line += kAfterPath;
    return line;
}

std::vector<std::string> BuildPageLines(const std::vector<std::string>& imageFiles) {
    std::vector<std::string> lines;
    if (imageFiles.empty()) return lines;
    lines.push_back(std::string(kHeadScript) + std::string(kHeadFunction) + std::string(kHeadBody));
    for (const std::string& path : imageFiles) lines.push_back(PicturePageLine(path));
    lines.emplace_back(kTail);
    return lines;
}

std::string TitleExtension(std::string_view title) {
    const size_t last = title.find_last_of(".\\:");
    if (last == std::string_view::npos || title[last] != '.') return "";
    std::string extension(title.substr(last));
    for (char& c : extension) c = Lower(c);
    return extension;
}

bool IsPictureTitle(std::string_view title) {
    const std::string e = TitleExtension(title);
    return e == ".gif" || e == ".jpg" || e == ".png" || e == ".bmp";
}

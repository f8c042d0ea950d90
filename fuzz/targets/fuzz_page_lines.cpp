// The icon page's lines from picture file names. The input is a list of
// paths separated by NUL bytes (a file name cannot hold one).
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "IconPageText.h"

namespace {

// An attribute value as an HTML parser reads it: up to the closing quote,
// character references decoded (only the ones the page can contain).
bool ReadAttribute(const std::string& line, size_t& at, std::string& value) {
    value.clear();
    for (; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '&') {
            value += line[at];
            continue;
        }
        static const std::pair<std::string_view, char> kRefs[] = {{"&amp;", '&'}, {"&quot;", '"'}, {"&#39;", '\''}};
        bool known = false;
        for (const auto& [ref, c] : kRefs)
            if (line.compare(at, ref.size(), ref) == 0) {
                value += c;
                at += ref.size() - 1;
                known = true;
                break;
            }
        if (!known) value += '&';
    }
    return at < line.size();
}

// A single-quoted script string starting after its opening quote, unescaped
// as a script engine reads it; false when it does not end with the quote on
// its line.
bool ReadScriptString(const std::string& text, size_t& at, std::string& value) {
    value.clear();
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c == '\'') return true;
        if (c == '\n' || c == '\r') return false;  // a raw line break ends the script with an error
        if (c == '\\') {
            if (++at == text.size()) return false;
            switch (c = text[at]) {
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 'b': c = '\b'; break;
            case 'f': c = '\f'; break;
            case 'v': c = '\v'; break;
            case '0': c = '\0'; break;
            case 'x': case 'u': return false;  // never written
            default: break;
            }
        }
        value += c;
    }
    return false;
}

void CheckLine(const std::string& path) {
    const std::string line = PicturePageLine(path);
    const std::string forward = ForwardSlashPath(path);
    FUZZ_CHECK(forward.find('\\') == std::string::npos && forward.size() == path.size());

    const std::string_view open = "<img src=\"";
    FUZZ_CHECK(line.compare(0, open.size(), open) == 0);
    size_t at = open.size();
    std::string src, onClick;
    // Under Wine a directory walk hands over any byte but NUL, quotes and
    // line breaks included.
    FUZZ_CHECK(ReadAttribute(line, at, src) && src == forward);

    const std::string_view between = "\" onClick=\"";
    FUZZ_CHECK(line.compare(at, between.size(), between) == 0);
    at += between.size();
    FUZZ_CHECK(ReadAttribute(line, at, onClick));
    FUZZ_CHECK(line.compare(at, std::string::npos, "\">&nbsp; ") == 0);

    // The click script reports the path itself.
    const std::string_view call = "settitle( '";
    FUZZ_CHECK(onClick.compare(0, call.size(), call) == 0);
    size_t s = call.size();
    std::string reported;
    FUZZ_CHECK(ReadScriptString(onClick, s, reported));
    FUZZ_CHECK(reported == forward);
    FUZZ_CHECK(onClick.compare(s, std::string::npos, "')") == 0);

    // Paths with nothing to escape appear byte for byte.
    if (forward.find_first_of("&'\"\r\n") == std::string::npos)
        FUZZ_CHECK(line == "<img src=\"" + forward + "\" onClick=\"settitle( '" + forward + "')\">&nbsp; ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    std::vector<std::string> paths;
    while (!in.Empty() && paths.size() < 64) paths.push_back(in.Until('\0'));
    for (const std::string& p : paths) CheckLine(p);

    const std::vector<std::string> lines = BuildPageLines(paths);
    if (paths.empty()) {
        FUZZ_CHECK(lines.empty());
        return 0;
    }
    FUZZ_CHECK(lines.size() == paths.size() + 2);
    FUZZ_CHECK(lines.front().compare(0, 6, "<html>") == 0 && lines.back() == "</body> </html>");
    for (size_t i = 0; i < paths.size(); ++i) FUZZ_CHECK(lines[i + 1] == PicturePageLine(paths[i]));

    // The walk's extension filter against a plain reading of it.
    for (const std::string& p : paths)
        for (const char* ext : PictureExtensions) {
            const std::string e = std::string(".") + ext;
            bool want = p.size() >= e.size();
            for (size_t i = 0; want && i < e.size(); ++i) {
                char c = p[p.size() - e.size() + i];
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
                want = c == e[i];
            }
            FUZZ_CHECK(HasExtension(p, ext) == want);
        }
    return 0;
}

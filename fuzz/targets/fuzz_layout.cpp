// The layout parser on arbitrary text. An accepted layout must hold every
// object, property and item the text names, and must read back the same
// after being written out again; a refused one must say where.
#include <string>

#include "FuzzInput.h"
#include "LayoutParser.h"

namespace {

using layout::CollectionItem;
using layout::Object;
using layout::Property;
using layout::Value;

// ---- counting the text's words the way the scanner splits it

struct Counts {
    int objects = 0, ends = 0, equals = 0;
};

bool IdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9'); }
bool SameWord(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

Counts CountWords(const std::string& t) {
    Counts n;
    size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        if (c == '/' && i + 1 < t.size() && t[i + 1] == '/') {
            while (i < t.size() && t[i] != '\n') ++i;
        } else if (c == '\'') {
            for (++i; i < t.size(); ++i) {
                if (t[i] != '\'') continue;
                if (i + 1 < t.size() && t[i + 1] == '\'') ++i;
                else break;
            }
            ++i;
        } else if (IdentStart(c)) {
            size_t start = i;
            for (;;) {
                while (i < t.size() && IdentChar(t[i])) ++i;
                if (i + 1 < t.size() && t[i] == '.' && IdentStart(t[i + 1])) ++i;
                else break;
            }
            const std::string word = t.substr(start, i - start);
            if (SameWord(word, "object")) ++n.objects;
            if (SameWord(word, "end")) ++n.ends;
        } else if (c == '#' || c == '$' || (c >= '0' && c <= '9')) {
            ++i;
            if (i < t.size() && t[i] == '$') ++i;
            while (i < t.size() && IdentChar(t[i])) ++i;
        } else {
            if (c == '=') ++n.equals;
            ++i;
        }
    }
    return n;
}

void Tally(const std::vector<Property>& props, Counts& n);
void Tally(const Value& v, Counts& n) {
    for (const CollectionItem& item : v.items) {
        ++n.ends;
        Tally(item.props, n);
    }
}
void Tally(const std::vector<Property>& props, Counts& n) {
    for (const Property& p : props) {
        ++n.equals;
        Tally(p.value, n);
    }
}
void Tally(const Object& o, Counts& n) {
    ++n.objects;
    ++n.ends;
    Tally(o.props, n);
    for (const Object& child : o.children) Tally(child, n);
}

// ---- writing a tree back as layout text

std::string StringText(const std::string& s) {
    if (s.empty()) return "''";
    std::string out;
    bool quoted = false;
    for (unsigned char c : s) {
        const bool plain = c >= 32 && c < 127;
        if (plain != quoted) {
            out += '\'';
            quoted = plain;
        }
        if (!plain) out += "#" + std::to_string(c);
        else if (c == '\'') out += "''";
        else out += static_cast<char>(c);
    }
    if (quoted) out += '\'';
    return out;
}

void WriteProps(const std::vector<Property>& props, std::string& out);
void WriteValue(const Value& v, std::string& out) {
    switch (v.kind) {
    case Value::Kind::Integer: out += std::to_string(v.integer); break;
    case Value::Kind::String: out += StringText(v.text); break;
    case Value::Kind::Identifier: out += v.text; break;
    case Value::Kind::Set:
        out += '[';
        for (size_t i = 0; i < v.set.size(); ++i) out += (i ? ", " : "") + v.set[i];
        out += ']';
        break;
    case Value::Kind::List:
        out += "(\n";
        for (const Value& item : v.list) {
            WriteValue(item, out);
            out += '\n';
        }
        out += ')';
        break;
    case Value::Kind::Collection:
        out += "<\n";
        for (const CollectionItem& item : v.items) {
            out += "item\n";
            WriteProps(item.props, out);
            out += "end\n";
        }
        out += '>';
        break;
    }
}
void WriteProps(const std::vector<Property>& props, std::string& out) {
    for (const Property& p : props) {
        out += p.name + " = ";
        WriteValue(p.value, out);
        out += '\n';
    }
}
void WriteObject(const Object& o, std::string& out) {
    out += "object " + o.name + ": " + o.className + "\n";
    WriteProps(o.props, out);
    for (const Object& child : o.children) WriteObject(child, out);
    out += "end\n";
}

// ---- comparing trees (lines aside)

bool Same(const std::vector<Property>& a, const std::vector<Property>& b);
bool Same(const Value& a, const Value& b) {
    if (a.kind != b.kind || a.integer != b.integer || a.text != b.text || a.set != b.set ||
        a.list.size() != b.list.size() || a.items.size() != b.items.size())
        return false;
    for (size_t i = 0; i < a.list.size(); ++i)
        if (!Same(a.list[i], b.list[i])) return false;
    for (size_t i = 0; i < a.items.size(); ++i)
        if (!Same(a.items[i].props, b.items[i].props)) return false;
    return true;
}
bool Same(const std::vector<Property>& a, const std::vector<Property>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || !Same(a[i].value, b[i].value)) return false;
    return true;
}
bool Same(const Object& a, const Object& b) {
    if (a.name != b.name || a.className != b.className || !Same(a.props, b.props) ||
        a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); ++i)
        if (!Same(a.children[i], b.children[i])) return false;
    return true;
}

// ---- the typed accessors agree with the kind

void Access(const Value& v, int lines) {
    FUZZ_CHECK(v.line >= 1 && v.line <= lines);
    auto refused = [&](auto&& get) {
        try {
            get();
            return false;
        } catch (const layout::Error& e) {
            FUZZ_CHECK(e.line() >= v.line && e.line() <= lines);  // a list item names its own line
            return true;
        }
    };
    const bool isInt = v.kind == Value::Kind::Integer;
    FUZZ_CHECK(refused([&] { v.AsInt(); }) == !(isInt && v.integer >= INT32_MIN && v.integer <= INT32_MAX));
    FUZZ_CHECK(refused([&] { v.AsString(); }) == (v.kind != Value::Kind::String));
    FUZZ_CHECK(refused([&] { v.AsIdent(); }) == (v.kind != Value::Kind::Identifier));
    FUZZ_CHECK(refused([&] { v.AsSet(); }) == (v.kind != Value::Kind::Set));
    FUZZ_CHECK(refused([&] { v.AsCollection(); }) == (v.kind != Value::Kind::Collection));
    bool allStrings = v.kind == Value::Kind::List;
    for (const Value& item : v.list) allStrings = allStrings && item.kind == Value::Kind::String;
    FUZZ_CHECK(refused([&] { v.AsStrings(); }) == !allStrings);
    const bool isBool = v.kind == Value::Kind::Identifier && (SameWord(v.text, "true") || SameWord(v.text, "false"));
    FUZZ_CHECK(refused([&] { v.AsBool(); }) == !isBool);
    for (const Value& item : v.list) Access(item, lines);
    for (const CollectionItem& item : v.items)
        for (const Property& p : item.props) Access(p.value, lines);
}
void Access(const Object& o, int lines) {
    FUZZ_CHECK(o.line >= 1 && o.line <= lines);
    for (const Property& p : o.props) {
        FUZZ_CHECK(p.line >= o.line && p.line <= lines);
        Access(p.value, lines);
    }
    for (const Object& child : o.children) Access(child, lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (char c : text) lines += c == '\n';

    Object root;
    try {
        root = layout::Parse(text, "FUZZ");
    } catch (const layout::Error& e) {
        FUZZ_CHECK(e.line() >= 1 && e.line() <= lines);
        FUZZ_CHECK(std::string(e.what()).rfind("Error reading layout FUZZ, line " + std::to_string(e.line()), 0) == 0);
        FUZZ_CHECK(!e.message().empty());
        return 0;
    }

    // Nothing the text names is lost.
    const Counts inText = CountWords(text);
    Counts inTree;
    Tally(root, inTree);
    FUZZ_CHECK(inText.objects == inTree.objects);
    FUZZ_CHECK(inText.ends == inTree.ends);
    FUZZ_CHECK(inText.equals == inTree.equals);
    Access(root, lines);

    // Written out and read again, the same tree.
    std::string again;
    WriteObject(root, again);
    Object reread;
    try {
        reread = layout::Parse(again, "AGAIN");
    } catch (const layout::Error& e) {
        std::fprintf(stderr, "rewritten layout refused: %s\n%s\n", e.what(), again.c_str());
        FUZZ_CHECK(false);
    }
    FUZZ_CHECK(Same(root, reread));
    return 0;
}

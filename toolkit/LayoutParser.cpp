#include "LayoutParser.h"

#include <climits>
#include <cstdint>
#include <utility>

namespace layout {

Error::Error(std::string layoutName, int line, std::string property, std::string message)
    : std::runtime_error(FormatError(layoutName, line, property, message)),
      layoutName_(std::move(layoutName)),
      line_(line),
      property_(std::move(property)),
      message_(std::move(message)) {}

Error Error::Within(const std::string& layoutName, const std::string& property) const {
    return Error(layoutName, line_, property.empty() ? property_ : property, message_);
}

std::string FormatError(const std::string& layoutName, int line, const std::string& property,
                        const std::string& message) {
    std::string text;
    if (!layoutName.empty()) text = "Error reading layout " + layoutName + ", ";
    text += "line " + std::to_string(line);
    if (!property.empty()) text += ", property " + property;
    return text + ": " + message;
}

namespace {

bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// A string shortened and made printable for an error message.
std::string Quoted(const std::string& s) {
    constexpr size_t kShown = 30;
    std::string out = "'";
    for (size_t i = 0; i < s.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        out += (c < 32) ? '?' : char(c);
    }
    if (s.size() > kShown) out += "...";
    return out + "'";
}

struct Token {
    // Bad carries a scanning error in `text`; it is reported when the parser
    // reaches it, so the message can name the property it belongs to.
    enum class Kind { Ident, Integer, String, Symbol, End, Bad } kind = Kind::End;
    std::string text;  // identifier, string bytes, symbol character or error
    long long integer = 0;
    int line = 1;
    bool firstOnLine = false;
    bool dotted = false;  // identifier containing '.'

    bool Is(char symbol) const { return kind == Kind::Symbol && text.size() == 1 && text[0] == symbol; }
    bool IsWord(std::string_view word) const { return kind == Kind::Ident && SameWord(text, word); }

    std::string Describe() const {
        switch (kind) {
        case Kind::Ident: return "'" + text + "'";
        case Kind::Integer: return "number " + std::to_string(integer);
        case Kind::String: return "string " + Quoted(text);
        case Kind::Symbol: return "'" + text + "'";
        case Kind::End: return "end of layout";
        case Kind::Bad: return text;
        }
        return {};
    }
};

// Words that open or close a block are never names or values, so a missing
// value or name is reported where it is missing.
bool IsReserved(const Token& t) { return t.IsWord("object") || t.IsWord("end"); }

// Deep enough for any window; stops runaway recursion on hostile input.
constexpr int kMaxDepth = 64;

class Parser {
public:
    Parser(std::string_view text, const std::string& layoutName) : text_(text), layoutName_(layoutName) {}

    Object ParseLayout() {
        const Token& first = Peek();
        if (!first.IsWord("object")) Unexpected(first, "'object'");
        Object root = ParseObject(0);
        const Token& after = Peek();
        if (after.kind != Token::Kind::End)
            Unexpected(after, "nothing after the final 'end'");
        return root;
    }

private:
    // ---- scanning ----

    const Token& Peek() {
        if (!havePeek_) {
            peeked_ = Scan();
            havePeek_ = true;
        }
        return peeked_;
    }

    Token Next() {
        Peek();
        havePeek_ = false;
        return std::move(peeked_);
    }

    char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    void SkipBlanks() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                atLineStart_ = true;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && At(pos_ + 1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    Token Scan() {
        SkipBlanks();
        Token t;
        t.line = line_;
        t.firstOnLine = atLineStart_;
        atLineStart_ = false;
        if (pos_ >= text_.size()) {
            t.kind = Token::Kind::End;
            // A final line break does not start another line.
            if (!text_.empty() && text_.back() == '\n' && t.line > 1) --t.line;
            return t;
        }
        char c = text_[pos_];
        if (IsIdentStart(c)) return ScanIdent(t);
        if (IsDigit(c) || c == '-' || c == '$') return ScanNumber(t);
        if (c == '\'' || c == '#') return ScanString(t);
        if (std::string_view("=:[](),<>+").find(c) != std::string_view::npos) {
            t.kind = Token::Kind::Symbol;
            t.text = std::string(1, c);
            ++pos_;
            return t;
        }
        unsigned char byte = static_cast<unsigned char>(c);
        if (pos_ == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF")
            return Bad(t, "layout starts with a UTF-8 byte order mark; layouts are ANSI text");
        if (byte < 32 || byte >= 127) return Bad(t, "unexpected character (byte " + std::to_string(byte) + ")");
        return Bad(t, std::string("unexpected character '") + c + "'");
    }

    static Token Bad(Token t, std::string message) {
        t.kind = Token::Kind::Bad;
        t.text = std::move(message);
        return t;
    }

    Token ScanIdent(Token t) {
        t.kind = Token::Kind::Ident;
        size_t start = pos_;
        for (;;) {
            while (IsIdentChar(At(pos_))) ++pos_;
            if (At(pos_) != '.' || !IsIdentStart(At(pos_ + 1))) break;
            t.dotted = true;
            ++pos_;
        }
        t.text = std::string(text_.substr(start, pos_ - start));
        return t;
    }

    Token ScanNumber(Token t) {
        bool negative = false;
        if (At(pos_) == '-') {
            negative = true;
            ++pos_;
        }
        int base = 10;
        if (At(pos_) == '$') {
            base = 16;
            ++pos_;
        }
        // Magnitudes up to 2^63 fit: the most negative value is allowed.
        const std::uint64_t limit = negative ? std::uint64_t(LLONG_MAX) + 1 : std::uint64_t(LLONG_MAX);
        std::uint64_t value = 0;
        bool anyDigit = false, overflow = false;
        for (;;) {
            int d = base == 16 ? HexDigit(At(pos_)) : (IsDigit(At(pos_)) ? At(pos_) - '0' : -1);
            if (d < 0) break;
            anyDigit = true;
            if (value > (limit - std::uint64_t(d)) / std::uint64_t(base)) overflow = true;
            else value = value * std::uint64_t(base) + std::uint64_t(d);
            ++pos_;
        }
        if (!anyDigit || IsIdentChar(At(pos_)) || At(pos_) == '.') {
            while (IsIdentChar(At(pos_)) || At(pos_) == '.') ++pos_;
            return Bad(t, "invalid number");
        }
        if (overflow) return Bad(t, "number out of range");
        t.kind = Token::Kind::Integer;
        t.integer = negative ? static_cast<long long>(0 - value) : static_cast<long long>(value);
        return t;
    }

    // One string token: quoted pieces and #nnn byte codes written back to back.
    Token ScanString(Token t) {
        t.kind = Token::Kind::String;
        while (At(pos_) == '\'' || At(pos_) == '#') {
            if (text_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                        return Bad(t, "unterminated string");
                    char c = text_[pos_++];
                    if (c != '\'') {
                        t.text += c;
                    } else if (At(pos_) == '\'') {
                        t.text += '\'';
                        ++pos_;
                    } else {
                        break;
                    }
                }
            } else {
                ++pos_;
                int base = 10;
                if (At(pos_) == '$') {
                    base = 16;
                    ++pos_;
                }
                int code = 0;
                bool anyDigit = false;
                for (;;) {
                    int d = base == 16 ? HexDigit(At(pos_)) : (IsDigit(At(pos_)) ? At(pos_) - '0' : -1);
                    if (d < 0) break;
                    anyDigit = true;
                    if (code <= 255) code = code * base + d;
                    ++pos_;
                }
                if (!anyDigit) return Bad(t, "expected a character code after '#'");
                if (code > 255) return Bad(t, "character code out of range (0..255)");
                t.text += static_cast<char>(code);
            }
        }
        return t;
    }

    // ---- errors ----

    [[noreturn]] void Fail(int line, const std::string& message) {
        throw Error(layoutName_, line, property_, message);
    }

    [[noreturn]] void Unexpected(const Token& t, const std::string& expected) {
        if (t.kind == Token::Kind::Bad) Fail(t.line, t.text);
        if (t.kind == Token::Kind::End) Fail(t.line, "unexpected end of layout; expected " + expected);
        Fail(t.line, "expected " + expected + ", found " + t.Describe());
    }

    void CheckDepth(int depth, int line) {
        if (depth > kMaxDepth) Fail(line, "layout nested too deeply");
    }

    std::string ExpectName(const std::string& what) {
        Token t = Next();
        if (t.kind != Token::Kind::Ident || IsReserved(t)) Unexpected(t, what);
        if (t.dotted) Fail(t.line, "'.' is allowed only in property names: " + t.text);
        return t.text;
    }

    // ---- grammar ----

    Object ParseObject(int depth) {
        Object obj;
        obj.line = Next().line;  // 'object'
        CheckDepth(depth, obj.line);
        obj.name = ExpectName("object name after 'object'");
        const Token& colon = Peek();
        if (!colon.Is(':')) Unexpected(colon, "':' after object name " + obj.name);
        Next();
        obj.className = ExpectName("class name after ':'");
        for (;;) {
            const Token& t = Peek();
            if (t.kind == Token::Kind::End)
                Fail(t.line, "unexpected end of layout; expected 'end' of object " + obj.name + " (line " +
                                 std::to_string(obj.line) + ")");
            if (t.IsWord("end")) {
                Next();
                return obj;
            }
            if (t.IsWord("object")) {
                obj.children.push_back(ParseObject(depth + 1));
            } else if (t.kind == Token::Kind::Ident) {
                if (!obj.children.empty())
                    Fail(t.line, "property " + t.text + " of " + obj.name + " must come before its nested objects");
                obj.props.push_back(ParseProperty(depth));
            } else {
                Unexpected(t, "a property, 'object' or 'end'");
            }
        }
    }

    Property ParseProperty(int depth) {
        Property prop;
        Token name = Next();
        prop.name = name.text;
        prop.line = name.line;
        std::string outer = std::exchange(property_, prop.name);
        const Token& eq = Peek();
        if (!eq.Is('=')) Unexpected(eq, "'=' after property name");
        Next();
        prop.value = ParseValue(depth);
        const Token& after = Peek();
        if (!after.firstOnLine && after.kind != Token::Kind::End)
            Unexpected(after, "a line break after the value");
        property_ = std::move(outer);
        return prop;
    }

    Value ParseValue(int depth) {
        const Token& t = Peek();
        Value v;
        v.line = t.line;
        if (t.Is('[')) {
            v.kind = Value::Kind::Set;
            v.set = ParseSet();
        } else if (t.Is('(')) {
            v.kind = Value::Kind::List;
            v.list = ParseList();
        } else if (t.Is('<')) {
            v.kind = Value::Kind::Collection;
            v.items = ParseCollection(depth + 1);
        } else {
            return ParseScalar("a value");
        }
        return v;
    }

    Value ParseScalar(const std::string& expected) {
        const Token& t = Peek();
        Value v;
        v.line = t.line;
        if (t.kind == Token::Kind::Integer) {
            v.kind = Value::Kind::Integer;
            v.integer = Next().integer;
        } else if (t.kind == Token::Kind::String) {
            v.kind = Value::Kind::String;
            v.text = Next().text;
            // 'abc' + 'def': a '+' joins the next piece, also across a line break.
            while (Peek().Is('+')) {
                Next();
                const Token& piece = Peek();
                if (piece.kind != Token::Kind::String) Unexpected(piece, "a string after '+'");
                v.text += Next().text;
            }
        } else if (t.kind == Token::Kind::Ident && !IsReserved(t)) {
            v.kind = Value::Kind::Identifier;
            v.text = ExpectName(expected);
        } else {
            Unexpected(t, expected);
        }
        return v;
    }

    std::vector<std::string> ParseSet() {
        int open = Next().line;
        std::vector<std::string> set;
        if (Peek().Is(']')) {
            Next();
            return set;
        }
        for (;;) {
            if (Peek().kind == Token::Kind::End) Fail(Peek().line, SetOpenedOn(open, "']'"));
            set.push_back(ExpectName("an identifier in the set"));
            const Token& t = Peek();
            if (t.Is(']')) break;
            if (!t.Is(',')) {
                if (t.kind == Token::Kind::End) Fail(t.line, SetOpenedOn(open, "']'"));
                Unexpected(t, "',' or ']' in the set");
            }
            Next();
        }
        Next();
        return set;
    }

    std::vector<Value> ParseList() {
        int open = Next().line;
        std::vector<Value> list;
        for (;;) {
            const Token& t = Peek();
            if (t.Is(')')) break;
            if (t.kind == Token::Kind::End) Fail(t.line, "unexpected end of layout; the list opened on line " +
                                                             std::to_string(open) + " has no ')'");
            list.push_back(ParseScalar("a string, number, identifier or ')' in the list"));
        }
        Next();
        return list;
    }

    std::vector<CollectionItem> ParseCollection(int depth) {
        int open = Next().line;
        CheckDepth(depth, open);
        std::vector<CollectionItem> items;
        for (;;) {
            const Token& t = Peek();
            if (t.Is('>')) break;
            if (t.kind == Token::Kind::End) Fail(t.line, SetOpenedOn(open, "'>'", "collection"));
            if (!t.IsWord("item")) Unexpected(t, "'item' or '>'");
            CollectionItem item;
            item.line = Next().line;
            for (;;) {
                const Token& p = Peek();
                if (p.IsWord("end")) break;
                if (p.kind == Token::Kind::End)
                    Fail(p.line, "unexpected end of layout; expected 'end' of the item on line " +
                                     std::to_string(item.line));
                if (p.kind != Token::Kind::Ident || p.IsWord("object") || p.IsWord("item"))
                    Unexpected(p, "a property or 'end' in the collection item");
                item.props.push_back(ParseProperty(depth));
            }
            Next();
            items.push_back(std::move(item));
        }
        Next();
        return items;
    }

    static std::string SetOpenedOn(int line, const std::string& closer, const std::string& what = "set") {
        return "unexpected end of layout; the " + what + " opened on line " + std::to_string(line) + " has no " +
               closer;
    }

    std::string_view text_;
    const std::string& layoutName_;
    size_t pos_ = 0;
    int line_ = 1;
    bool atLineStart_ = true;
    Token peeked_;
    bool havePeek_ = false;
    std::string property_;  // the property whose value is being read, for messages
};

[[noreturn]] void WrongKind(const Value& v, const std::string& expected) {
    throw Error({}, v.line, {}, "expected " + expected + ", found " + v.Describe());
}

}  // namespace

Object Parse(std::string_view text, const std::string& layoutName) {
    return Parser(text, layoutName).ParseLayout();
}

std::string Value::Describe() const {
    switch (kind) {
    case Kind::Integer: return "number " + std::to_string(integer);
    case Kind::String: return "string " + Quoted(text);
    case Kind::Identifier: return "identifier " + text;
    case Kind::Set: return "a set";
    case Kind::List: return "a list";
    case Kind::Collection: return "a collection";
    }
    return {};
}

int Value::AsInt() const {
    if (kind != Kind::Integer) WrongKind(*this, "a number");
    if (integer < INT_MIN || integer > INT_MAX)
        throw Error({}, line, {}, "number " + std::to_string(integer) + " out of range for a 32-bit integer");
    return static_cast<int>(integer);
}

const std::string& Value::AsString() const {
    if (kind != Kind::String) WrongKind(*this, "a string");
    return text;
}

const std::string& Value::AsIdent() const {
    if (kind != Kind::Identifier) WrongKind(*this, "an identifier");
    return text;
}

bool Value::AsBool() const {
    if (kind == Kind::Identifier && SameWord(text, "true")) return true;
    if (kind == Kind::Identifier && SameWord(text, "false")) return false;
    WrongKind(*this, "True or False");
}

const std::vector<std::string>& Value::AsSet() const {
    if (kind != Kind::Set) WrongKind(*this, "a set");
    return set;
}

std::vector<std::string> Value::AsStrings() const {
    if (kind != Kind::List) WrongKind(*this, "a list of strings");
    std::vector<std::string> out;
    out.reserve(list.size());
    for (const Value& item : list) out.push_back(item.AsString());
    return out;
}

const std::vector<CollectionItem>& Value::AsCollection() const {
    if (kind != Kind::Collection) WrongKind(*this, "a collection");
    return items;
}

}  // namespace layout

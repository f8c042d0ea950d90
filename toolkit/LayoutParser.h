// Parser for the stored window layouts compiled into the exe: nested
// `object Name: TClass ... end` blocks holding `Property = value` lines.
// Produces a plain tree; the layout reader turns it into components.
// Pure code (no windows.h) so it can also be built natively and fuzzed.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace layout {

// A reading error. what() is the full report, e.g.
// "Error reading layout FRMMAIN, line 12, property Caption: unterminated string".
// Errors raised by the Value accessors know only the line; the reader adds the
// layout and property with Within() before passing them on.
class Error : public std::runtime_error {
public:
    Error(std::string layoutName, int line, std::string property, std::string message);

    const std::string& layoutName() const noexcept { return layoutName_; }
    int line() const noexcept { return line_; }
    const std::string& property() const noexcept { return property_; }
    const std::string& message() const noexcept { return message_; }  // without the prefix

    // The same error placed in a layout and, when known, a property.
    Error Within(const std::string& layoutName, const std::string& property) const;

private:
    std::string layoutName_;
    int line_;
    std::string property_;
    std::string message_;
};

// "Error reading layout <NAME>, line <N>[, property <Prop>]: <message>".
// With an empty layout name only the message is returned.
std::string FormatError(const std::string& layoutName, int line, const std::string& property,
                        const std::string& message);

struct Property;

struct CollectionItem {
    std::vector<Property> props;
    int line = 0;
};

struct Value {
    enum class Kind { Integer, String, Identifier, Set, List, Collection };

    Kind kind = Kind::Integer;
    long long integer = 0;
    std::string text;                  // String (raw ANSI bytes) or Identifier
    std::vector<std::string> set;      // Set: its identifiers in written order
    std::vector<Value> list;           // List: strings, integers, identifiers
    std::vector<CollectionItem> items; // Collection
    int line = 0;

    // Typed access; a wrong kind throws Error naming the line and what was found.
    int AsInt() const;  // also checks the 32-bit range
    const std::string& AsString() const;
    const std::string& AsIdent() const;
    bool AsBool() const;  // identifiers True / False, any letter case
    const std::vector<std::string>& AsSet() const;
    std::vector<std::string> AsStrings() const;  // a list holding only strings
    const std::vector<CollectionItem>& AsCollection() const;

    std::string Describe() const;  // for messages: "string 'abc'", "identifier bsDialog"
};

struct Property {
    std::string name;  // may be dotted: Font.Name
    Value value;
    int line = 0;
};

struct Object {
    std::string name;
    std::string className;
    std::vector<Property> props;     // in file order
    std::vector<Object> children;    // in file order
    int line = 0;
};

// Parses one layout holding exactly one root object. Throws Error.
Object Parse(std::string_view text, const std::string& layoutName);

}  // namespace layout

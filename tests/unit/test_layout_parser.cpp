#include <gtest/gtest.h>

#include <string>

#include "LayoutParser.h"

using layout::Error;
using layout::Object;
using layout::Parse;
using layout::Value;
using Kind = layout::Value::Kind;

namespace {

Object ParseOk(const std::string& text) { return Parse(text, "TEST"); }

// The single property of a one-property object.
Value OnlyValue(const std::string& valueText) {
    Object o = ParseOk("object A: TA\n  P = " + valueText + "\nend\n");
    EXPECT_EQ(o.props.size(), 1u);
    return o.props.at(0).value;
}

Error ParseError(const std::string& text) {
    try {
        Parse(text, "FRMTEST");
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error for:\n" << text;
    return Error("", 0, "", "");
}

}  // namespace

TEST(LayoutParser, KeepsNestingOrderAndLines) {
    const char* text =
        "object frmMain: TfrmMain\n"
        "  Left = 531\n"
        "  Font.Name = 'MS Sans Serif'\n"
        "  OnCreate = FormCreate\n"
        "  object PageControl1: TPageControl\n"
        "    Top = 36\n"
        "  end\n"
        "  object CoolBar1: TCoolBar\n"
        "    object ToolBar1: TToolBar\n"
        "      Flat = True\n"
        "    end\n"
        "  end\n"
        "  object Panel2: TPanel\n"
        "  end\n"
        "end\n";
    Object o = ParseOk(text);
    EXPECT_EQ(o.name, "frmMain");
    EXPECT_EQ(o.className, "TfrmMain");
    EXPECT_EQ(o.line, 1);
    ASSERT_EQ(o.props.size(), 3u);
    EXPECT_EQ(o.props[0].name, "Left");
    EXPECT_EQ(o.props[1].name, "Font.Name");
    EXPECT_EQ(o.props[1].line, 3);
    EXPECT_EQ(o.props[2].value.kind, Kind::Identifier);
    EXPECT_EQ(o.props[2].value.text, "FormCreate");

    ASSERT_EQ(o.children.size(), 3u);
    EXPECT_EQ(o.children[0].name, "PageControl1");
    EXPECT_EQ(o.children[1].name, "CoolBar1");
    EXPECT_EQ(o.children[2].name, "Panel2");
    EXPECT_EQ(o.children[2].line, 13);
    ASSERT_EQ(o.children[1].children.size(), 1u);
    const Object& toolBar = o.children[1].children[0];
    EXPECT_EQ(toolBar.className, "TToolBar");
    EXPECT_EQ(toolBar.line, 9);
    EXPECT_TRUE(toolBar.props.at(0).value.AsBool());
    EXPECT_TRUE(o.children[2].props.empty());
}

TEST(LayoutParser, StringsEscapesConcatenationAndContinuation) {
    EXPECT_EQ(OnlyValue("'Tovira v2.0'").AsString(), "Tovira v2.0");
    EXPECT_EQ(OnlyValue("''").AsString(), "");
    EXPECT_EQ(OnlyValue("'it''s'").AsString(), "it's");
    EXPECT_EQ(OnlyValue("''''").AsString(), "'");
    EXPECT_EQ(OnlyValue("'a'#13#10'b'").AsString(), "a\r\nb");
    EXPECT_EQ(OnlyValue("#65#$42'c'").AsString(), "ABc");
    EXPECT_EQ(OnlyValue("#0#255").AsString(), std::string("\0\xFF", 2));
    EXPECT_EQ(OnlyValue("'http://x' // a comment").AsString(), "http://x");
    // Bytes of the ANSI code page pass through untouched.
    EXPECT_EQ(OnlyValue("'Gr\xFC\xDF" "e'").AsString(), "Gr\xFC\xDF" "e");

    Object o = ParseOk(
        "object A: TA\n"
        "  Caption = 'first ' +   // comment after the plus\n"
        "\n"
        "    'second'#33 +\n"
        "    'third'\n"
        "  Tag = 1\n"
        "end");
    ASSERT_EQ(o.props.size(), 2u);
    EXPECT_EQ(o.props[0].value.AsString(), "first second!third");
    EXPECT_EQ(o.props[0].line, 2);
    EXPECT_EQ(o.props[1].line, 6);
}

TEST(LayoutParser, IntegersDecimalNegativeAndHex) {
    EXPECT_EQ(OnlyValue("531").AsInt(), 531);
    EXPECT_EQ(OnlyValue("-11").AsInt(), -11);
    EXPECT_EQ(OnlyValue("$1F").AsInt(), 31);
    EXPECT_EQ(OnlyValue("$ff").AsInt(), 255);
    EXPECT_EQ(OnlyValue("-$10").AsInt(), -16);
    EXPECT_EQ(OnlyValue("$FFFBF0").AsInt(), 16776176);
    EXPECT_EQ(OnlyValue("$80000005").integer, 0x80000005LL);  // system colour value
    EXPECT_EQ(OnlyValue("9223372036854775807").integer, 9223372036854775807LL);
    EXPECT_EQ(OnlyValue("-9223372036854775808").integer, -9223372036854775807LL - 1);
    EXPECT_EQ(OnlyValue("-2147483648").AsInt(), -2147483647 - 1);
}

TEST(LayoutParser, SetsListsAndCollections) {
    Value style = OnlyValue("[fsBold, fsItalic,fsUnderline]");
    EXPECT_EQ(style.AsSet(), (std::vector<std::string>{"fsBold", "fsItalic", "fsUnderline"}));
    EXPECT_TRUE(OnlyValue("[]").AsSet().empty());
    EXPECT_TRUE(OnlyValue("[ ]").AsSet().empty());

    Object o = ParseOk(
        "object A: TA\n"
        "  Items.Strings = (\n"
        "    'one'\n"
        "    'two' 'three'\n"
        "    'fo' +\n"
        "    'ur')\n"
        "  Mixed = ('s' -5 $A clRed)\n"
        "  Empty = ()\n"
        "  Bands = <\n"
        "    item\n"
        "      Control = ToolBar1\n"
        "      MinHeight = 22\n"
        "      Inner = <\n"
        "        item\n"
        "        end>\n"
        "    end\n"
        "    item\n"
        "      Width = 678\n"
        "    end>\n"
        "  None = <>\n"
        "end\n");
    ASSERT_EQ(o.props.size(), 5u);
    EXPECT_EQ(o.props[0].value.AsStrings(), (std::vector<std::string>{"one", "two", "three", "four"}));

    const std::vector<Value>& mixed = o.props[1].value.list;
    ASSERT_EQ(mixed.size(), 4u);
    EXPECT_EQ(mixed[0].AsString(), "s");
    EXPECT_EQ(mixed[1].AsInt(), -5);
    EXPECT_EQ(mixed[2].AsInt(), 10);
    EXPECT_EQ(mixed[3].AsIdent(), "clRed");
    EXPECT_EQ(o.props[2].value.kind, Kind::List);
    EXPECT_TRUE(o.props[2].value.list.empty());

    const auto& bands = o.props[3].value.AsCollection();
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].line, 10);
    ASSERT_EQ(bands[0].props.size(), 3u);
    EXPECT_EQ(bands[0].props[0].value.AsIdent(), "ToolBar1");
    EXPECT_EQ(bands[0].props[1].value.AsInt(), 22);
    EXPECT_EQ(bands[0].props[2].value.AsCollection().size(), 1u);
    EXPECT_EQ(bands[1].props.at(0).line, 18);
    EXPECT_TRUE(o.props[4].value.AsCollection().empty());
}

TEST(LayoutParser, CommentsBlankLinesAndLineEndings) {
    Object o = ParseOk(
        "// leading comment\r\n"
        "\r\n"
        "object A: TA // the form\r\n"
        "  // Left = 1\r\n"
        "  Top = 2//no space\r\n"
        "\r\n"
        "end // done\r\n"
        "// trailing\r\n");
    EXPECT_EQ(o.line, 3);
    ASSERT_EQ(o.props.size(), 1u);
    EXPECT_EQ(o.props[0].name, "Top");
    EXPECT_EQ(o.props[0].line, 5);
    EXPECT_EQ(o.props[0].value.AsInt(), 2);
    // Keywords are not case-sensitive.
    EXPECT_EQ(ParseOk("OBJECT A: TA\nEnd").name, "A");
}

TEST(LayoutParser, ErrorsNameLayoutLineAndProperty) {
    struct Case {
        const char* text;
        int line;
        const char* property;
        const char* message;  // must appear in the message
    };
    const Case cases[] = {
        {"", 1, "", "unexpected end of layout; expected 'object'"},
        {"// only a comment\n", 1, "", "unexpected end of layout; expected 'object'"},
        {"object A: TA\n  Left = 1\n", 2, "", "unexpected end of layout; expected 'end' of object A (line 1)"},
        {"object A: TA\n  object B: TB\n  end\n", 3, "", "expected 'end' of object A"},
        {"object A TA\nend", 1, "", "expected ':' after object name A, found 'TA'"},
        {"object : TA\nend", 1, "", "expected object name"},
        {"object A: TA\n  Left 5\nend", 2, "Left", "expected '=' after property name, found number 5"},
        {"object A: TA\n  Caption = 'abc\nend", 2, "Caption", "unterminated string"},
        {"object A: TA\n  Left = 12px\nend", 2, "Left", "invalid number"},
        {"object A: TA\n  Left = 1.5\nend", 2, "Left", "invalid number"},
        {"object A: TA\n  Left = $\nend", 2, "Left", "invalid number"},
        {"object A: TA\n  Left = 99999999999999999999\nend", 2, "Left", "number out of range"},
        {"object A: TA\n  Caption = #300\nend", 2, "Caption", "character code out of range"},
        {"object A: TA\n  Caption = #\nend", 2, "Caption", "expected a character code after '#'"},
        {"object A: TA\n  Caption = 'a' +\n  Left = 1\nend", 3, "Caption", "expected a string after '+'"},
        {"object A: TA\n  Left =\nend", 3, "Left", "expected a value, found 'end'"},
        {"object end: TA\nend", 1, "", "expected object name after 'object', found 'end'"},
        {"object A: TA\n  Left = 1 Top = 2\nend", 2, "Left", "expected a line break after the value, found 'Top'"},
        {"object A: TA\n  Style = [a b]\nend", 2, "Style", "expected ',' or ']' in the set, found 'b'"},
        {"object A: TA\n  Style = [a,]\nend", 2, "Style", "expected an identifier in the set, found ']'"},
        {"object A: TA\n  Style = [a,\n", 2, "Style", "the set opened on line 2 has no ']'"},
        {"object A: TA\n  Items = (\n  'a'\n", 3, "Items", "the list opened on line 2 has no ')'"},
        {"object A: TA\n  Items = ('a' [b])\nend", 2, "Items", "in the list, found '['"},
        {"object A: TA\n  Bands = <\n  thing\n  end>\nend", 3, "Bands", "expected 'item' or '>', found 'thing'"},
        {"object A: TA\n  Bands = <\n  item\n  X = 1\n", 4, "Bands", "expected 'end' of the item on line 3"},
        {"object A: TA\n  Bands = <\n  item\n    W = 'x\n  end>\nend", 4, "W", "unterminated string"},
        {"object A: TA\n  Control = Form2.Button1\nend", 2, "Control", "'.' is allowed only in property names"},
        {"object A: TA\n  object B: TB\n  end\n  Left = 1\nend", 4, "", "property Left of A must come before"},
        {"object A: TA\nend\nobject B: TB\nend", 3, "", "expected nothing after the final 'end'"},
        {"object A: TA\n  Left = 1 ; \nend", 2, "Left", "unexpected character ';'"},
        {"object A: TA\n  \xC4 = 1\nend", 2, "", "unexpected character (byte 196)"},
        {"\xEF\xBB\xBFobject A: TA\nend", 1, "", "UTF-8 byte order mark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Error e = ParseError(c.text);
        EXPECT_EQ(e.layoutName(), "FRMTEST");
        EXPECT_EQ(e.line(), c.line);
        EXPECT_EQ(e.property(), c.property);
        EXPECT_NE(e.message().find(c.message), std::string::npos) << e.message();
        EXPECT_EQ(std::string(e.what()), layout::FormatError("FRMTEST", c.line, c.property, e.message()));
    }
}

TEST(LayoutParser, DeepNestingFailsCleanly) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "object A: TA\n";
    Error e = ParseError(text);
    EXPECT_NE(e.message().find("nested too deeply"), std::string::npos) << e.what();

    std::string bands = "object A: TA\n  B = ";
    for (int i = 0; i < 1000; ++i) bands += "<item\nB = ";
    e = ParseError(bands);
    EXPECT_NE(e.message().find("nested too deeply"), std::string::npos) << e.what();
}

TEST(LayoutError, FormatWithAndWithoutProperty) {
    EXPECT_EQ(layout::FormatError("FRMMAIN", 7, "", "expected 'end'"),
              "Error reading layout FRMMAIN, line 7: expected 'end'");
    EXPECT_EQ(layout::FormatError("FRMMAIN", 12, "Font.Style", "unknown style fsWide"),
              "Error reading layout FRMMAIN, line 12, property Font.Style: unknown style fsWide");
}

TEST(LayoutValue, WrongKindsThrowWithLineAndCanBePlacedInALayout) {
    Object o = ParseOk("object A: TA\n  Left = 'x'\n  Visible = yes\n  Big = $100000000\n  L = ('a' 1)\nend");
    const Value& left = o.props[0].value;
    try {
        (void)left.AsInt();
        FAIL() << "AsInt accepted a string";
    } catch (const Error& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.message(), "expected a number, found string 'x'");
        Error placed = e.Within("FRMMAIN", "Left");
        EXPECT_STREQ(placed.what(), "Error reading layout FRMMAIN, line 2, property Left: expected a number, found string 'x'");
    }
    EXPECT_THROW((void)left.AsIdent(), Error);
    EXPECT_THROW((void)left.AsSet(), Error);
    EXPECT_THROW((void)o.props[1].value.AsBool(), Error);
    EXPECT_THROW((void)o.props[2].value.AsInt(), Error);  // beyond 32 bits
    EXPECT_THROW((void)o.props[3].value.AsStrings(), Error);
    EXPECT_FALSE(OnlyValue("FALSE").AsBool());
    EXPECT_TRUE(OnlyValue("true").AsBool());
}

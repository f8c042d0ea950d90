// The "HTML Format" text placed on the clipboard for one picture: pure text
// building, no window needed.
#pragma once
#include <string>
#include <string_view>

// The prefix the pick code passes for the client that wants a headed fragment.
// Its four numbers are rewritten from the payload actually built (see
// BuildHtmlClipboardPayload); the part before "<html>" is always 97 bytes.
inline constexpr std::string_view HtmlClipboardHeader =
    "Version:0.9\r\n"
    "StartHTML:00000097\r\n"
    "EndHTML:00000305\r\n"
    "StartFragment:00000111\r\n"
    "EndFragment:00000269\r\n"
    "<html> <body>";

// <IMG src="file:///path"> with the path placed verbatim, except that a `"`
// is written &quot; so that it cannot end the attribute.
std::string PictureElement(std::string_view path);

// The payload text, without the terminating zero the clipboard copy adds.
// Empty prefix: start comment, picture element, end comment, no line breaks.
// Otherwise: prefix, then the fragment and the closing tags on lines of their
// own; the header fields of the prefix (StartHTML, EndHTML, StartFragment,
// EndFragment, eight digits each) are set to the byte offsets in this text.
std::string BuildHtmlClipboardPayload(std::string_view prefix, std::string_view path);

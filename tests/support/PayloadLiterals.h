// The "HTML Format" bytes a pick must leave, written out here rather than
// built by the program's own payload code, terminating zero included.
#pragma once
#include <string>

namespace literal {

// The path the clipboard and paste tests pick.
inline constexpr const char* kSmileFacePath = "C:/My Pictures/smile face.gif";

// Picked for a client that wants the plain fragment.
inline const std::string kSmileFacePlain =
    std::string("<!--StartFragment--><IMG src=\"file:///C:/My Pictures/smile face.gif\"><!--EndFragment-->") + '\0';

// Picked for the client that wants the headed fragment: the offsets counted
// by hand (97 header bytes, then the lines below).
inline const std::string kSmileFaceHeaded = std::string(
    "Version:0.9\r\n"
    "StartHTML:00000097\r\n"
    "EndHTML:00000220\r\n"
    "StartFragment:00000132\r\n"
    "EndFragment:00000202\r\n"
    "<html> <body>\r\n"
    "<!--StartFragment-->\r\n"
    "<IMG src=\"file:///C:/My Pictures/smile face.gif\">\r\n"
    "</body> </html>\r\n"
    "<!--EndFragment-->") + '\0';

// The plain fragment for any path without a `"`, spelled out.
inline std::string PlainFragment(const std::string& path) {
    return "<!--StartFragment--><IMG src=\"file:///" + path + "\"><!--EndFragment-->" + '\0';
}

}  // namespace literal

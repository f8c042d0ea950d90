// The picture itself on the clipboard, for programs that are not mail
// clients (browsers above all do not load file:/// pictures): "PNG", the
// registered format, and CF_DIBV5, both 32-bit with the first frame's alpha;
// the system makes CF_DIB and CF_BITMAP from the CF_DIBV5 for readers that
// ask for them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One picture file encoded for the clipboard.
struct ClipboardPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> png;    // a PNG file
    std::vector<std::uint8_t> dibv5;  // BITMAPV5HEADER and the pixels, bottom-up
};

// The file's first frame, encoded; taken from a small cache while the file
// keeps its last-write time and size. Raises EOSError for a file that cannot
// be read and EOleError for one the codecs cannot decode or encode.
// COM is initialised for the call if the thread has not done so.
const ClipboardPicture& EncodeClipboardPicture(const std::string& path);

// Replaces the clipboard's content with the picture at `path` (forward or
// back slashes): "PNG" and CF_DIBV5. Raises like PutHtmlOnClipboard (the
// clipboard is closed on every way out) and like EncodeClipboardPicture.
void PutPictureOnClipboard(const std::string& path);

// Forgets every encoded picture (tests; a library that changed wholesale).
void ForgetClipboardPictures();

// The toolkit's string list (text split into lines and joined again, with
// edits) and its memory stream (reads, writes, seeks and resizes checked
// against a plain byte string). First byte: which of the two.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "StringList.h"
#include "Streams.h"

namespace {

void StringLists(FuzzInput& in) {
    const std::string text = in.Rest();
    TStringList list;
    list.SetText(text);
    for (const std::string& line : list) FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

    // Joined again: the same text with every line break as CR LF.
    std::string normal;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n') normal += "\r\n";
        else normal += text[i];
    }
    if (!normal.empty() && (normal.size() < 2 || normal.compare(normal.size() - 2, 2, "\r\n") != 0)) normal += "\r\n";
    FUZZ_CHECK(list.Text() == normal);

    TStringList again;
    again.SetText(list.Text());
    FUZZ_CHECK(again.Count() == list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(again[i] == list[i]);
        FUZZ_CHECK(list.IndexOf(list[i]) <= i && list.IndexOf(list[i]) >= 0);
    }

    // Out-of-range indices throw and change nothing.
    const int count = list.Count();
    for (int bad : {-1, count, count + 1}) {
        bool thrown = false;
        try {
            list.Delete(bad);
        } catch (const std::out_of_range&) {
            thrown = true;
        }
        FUZZ_CHECK(thrown && list.Count() == count);
    }
    list.Insert(count, "x");
    FUZZ_CHECK(list.Count() == count + 1 && list[count] == "x");
}

void Streams(FuzzInput& in) {
    TMemoryStream stream;
    std::string model;
    size_t position = 0;
    for (int op = 0; op < 64 && !in.Empty(); ++op) {
        switch (in.Byte() % 4) {
        case 0: {  // write
            const std::string bytes(in.Byte() % 33, static_cast<char>(in.Byte()));
            FUZZ_CHECK(stream.Write(bytes.data(), bytes.size()) == bytes.size());
            if (!bytes.empty()) {
                if (position + bytes.size() > model.size()) model.resize(position + bytes.size(), '\0');
                model.replace(position, bytes.size(), bytes);
                position += bytes.size();
            }
            break;
        }
        case 1: {  // read
            const size_t count = in.Byte() % 40;
            char buffer[40] = {};
            const size_t got = stream.Read(buffer, count);
            const size_t want = position >= model.size() ? 0 : std::min(count, model.size() - position);
            FUZZ_CHECK(got == want);
            FUZZ_CHECK(std::string(buffer, got) == model.substr(std::min(position, model.size()), want));
            position += got;
            break;
        }
        case 2: {  // seek
            const auto origin = static_cast<TSeekOrigin>(in.Byte() % 3);
            const std::int64_t offset = in.Int(-300, 300);
            const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                                      : origin == TSeekOrigin::soCurrent ? static_cast<std::int64_t>(position)
                                                                         : static_cast<std::int64_t>(model.size());
            position = static_cast<size_t>(std::max<std::int64_t>(0, base + offset));
            FUZZ_CHECK(stream.Seek(offset, origin) == static_cast<std::int64_t>(position));
            break;
        }
        case 3: {  // resize
            const int newSize = in.Int(-50, 500);
            stream.SetSize(newSize);
            model.resize(static_cast<size_t>(std::max(newSize, 0)), '\0');
            position = std::min(position, model.size());
            break;
        }
        }
        FUZZ_CHECK(stream.Size() == static_cast<std::int64_t>(model.size()));
        FUZZ_CHECK(stream.Position() == static_cast<std::int64_t>(position));
        FUZZ_CHECK(model.empty() || std::memcmp(model.data(), stream.Memory(), model.size()) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    if (in.Byte() & 1) Streams(in);
    else StringLists(in);
    return 0;
}

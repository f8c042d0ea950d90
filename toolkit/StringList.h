// The toolkit's list of single-byte (ANSI) strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TStringList {
public:
    TStringList() = default;

    int Count() const noexcept { return static_cast<int>(items_.size()); }

    int Add(std::string s);              // returns the new index
    void Insert(int index, std::string s);  // 0 <= index <= Count()
    void Delete(int index);
    void Clear() noexcept { items_.clear(); }

    // Checked access; an index outside 0..Count()-1 throws std::out_of_range.
    std::string& Strings(int index);
    const std::string& Strings(int index) const;
    std::string& operator[](int index) { return Strings(index); }
    const std::string& operator[](int index) const { return Strings(index); }

    // First index of s, or -1. Letters A-Z compare equal to a-z unless
    // CaseSensitive is set; other bytes compare exactly.
    int IndexOf(std::string_view s) const;
    bool CaseSensitive = false;

    // Every line followed by CR LF (the last one too); empty for an empty list.
    std::string Text() const;
    // Replaces the lines: splits at CR LF, LF or a lone CR. A final line break
    // does not add an empty line.
    void SetText(std::string_view text);

    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }

private:
    void CheckIndex(int index, int last) const;

    std::vector<std::string> items_;
};

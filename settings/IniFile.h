// SPDX-License-Identifier: GPL-3.0-or-later
// A private-profile text file ("[Section]" lines and "key=value" lines) kept
// as its lines, so that saving changes only the lines we write: section and
// key names compare without case, a rewritten key stays where it is, a new
// key goes to the end of its section and a new section to the end of the
// file, and every other line (comments, garbage, duplicates) is kept as read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace pellavan {

class IniFile {
public:
    static constexpr size_t kMaxTextLength = 2047;
    // Larger files are not settings files we wrote; they are neither parsed nor replaced.
    static constexpr size_t kMaxFileSize = 64u << 20;

    IniFile() = default;
    explicit IniFile(std::string_view text);

    // Reads the file at path.  A missing file gives an empty one; an
    // unreadable or oversized one sets *readable to false (if given).
    static IniFile Load(const std::string &path, bool *readable = nullptr);

    // The value's text (trimmed, and without a matching pair of quotes
    // around it), at most kMaxTextLength bytes; no value when the section or
    // key is missing.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, const std::string &def) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // Any integer other than 0 is on.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    void Write(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    std::string Text() const;

private:
    enum class LineEnd { Lf, CrLf, Cr };
    struct Line {
        std::string text;
        LineEnd end = LineEnd::Lf;   // kept as read, so saving leaves other lines alone
    };
    // Index of the first header line of the section, or -1.
    long FindSection(std::string_view section) const;
    // One past the section's last line (the next header or the end).
    size_t SectionEnd(size_t header) const;
    long FindKey(size_t header, std::string_view key) const;

    std::vector<Line> m_lines;
    LineEnd m_end = LineEnd::Lf;   // new lines follow the file's usual line end
    bool m_bom = false;            // a UTF-8 byte-order mark came before the first line
    bool m_finalNewline = true;
};

// Parses an integer the way settings values are read; no value when text is
// not a number.
std::optional<int> ParseSettingsInteger(std::string_view text);

// The write step of a file replacement, so tests can make it fail half-way.
using WriteFunction = std::function<ssize_t(int fd, const void *data, size_t size)>;

// Replaces the file at path with content atomically: a temporary file in the
// same folder is written, flushed to disk and renamed over it, so the old
// file stays whole whatever fails.  On failure returns false and leaves a
// description in *error (if given).
bool ReplaceFileAtomically(const std::string &path, std::string_view content, std::string *error = nullptr,
                           const WriteFunction &write = {});

} // namespace pellavan

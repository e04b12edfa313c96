// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellavan {

namespace {

constexpr std::string_view kSpace = " \t\v\f\r";

std::string_view Trim(std::string_view s)
{
    const size_t first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(kSpace);
    return s.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The name of a "[name]" line, or no value for any other line.
std::optional<std::string_view> HeaderName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key, value;
};

std::optional<KeyValue> SplitKey(std::string_view line)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyValue{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

// Cuts text to at most max bytes without splitting a UTF-8 sequence.
std::string_view CutText(std::string_view text, size_t max)
{
    if (text.size() <= max)
        return text;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return text.substr(0, n);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<int> ParseSettingsInteger(std::string_view text)
{
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        uint64_t v = 0;
        for (char c : text.substr(2)) {
            const int d = HexDigit(c);
            if (d < 0 || v > 0xFFFFFFFFu / 16)
                return std::nullopt;
            v = v * 16 + uint64_t(d);
        }
        if (v > 0xFFFFFFFFu)
            return std::nullopt;
        return static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(v))); // 32-bit pattern
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return std::nullopt;
    return int(v);
}

IniFile::IniFile(std::string_view text)
{
    // A byte-order mark is no part of the first line; it is written back as read.
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        m_bom = true;
        text.remove_prefix(kBom.size());
    }
    if (text.empty())
        return;
    // "\r\n", "\n" and a lone "\r" each end a line.
    size_t pos = 0, counts[3] = {};
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        Line line;
        line.text = std::string(text.substr(pos, end - pos));
        size_t next = end + 1;
        if (!last && text[end] == '\r') {
            const bool crlf = end + 1 < text.size() && text[end + 1] == '\n';
            line.end = crlf ? LineEnd::CrLf : LineEnd::Cr;
            next += crlf ? 1 : 0;
        }
        if (!last)
            ++counts[size_t(line.end)];
        m_lines.push_back(std::move(line));
        if (last)
            m_finalNewline = false;
        pos = next;
    }
    // New lines follow the file's usual line end; a lone "\r" only in a file
    // that has no other (a stray one in binary junk decides nothing).
    m_end = counts[size_t(LineEnd::CrLf)] > counts[size_t(LineEnd::Lf)] ? LineEnd::CrLf : LineEnd::Lf;
    if (counts[size_t(LineEnd::Cr)] > 0 && counts[size_t(LineEnd::CrLf)] == 0 && counts[size_t(LineEnd::Lf)] == 0)
        m_end = LineEnd::Cr;
    if (!m_finalNewline) // should it get a line end, it gets the usual one
        m_lines.back().end = m_end;
}

IniFile IniFile::Load(const std::string &path, bool *readable)
{
    if (readable)
        *readable = true;
    // Non-blocking, so a FIFO in its place cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (readable)
            *readable = errno == ENOENT;
        return {};
    }
    std::string text;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= kMaxFileSize;
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, size_t(n));
        ok = text.size() <= kMaxFileSize; // the file may grow while we read
    }
    ::close(fd);
    if (!ok) {
        if (readable)
            *readable = false;
        return {};
    }
    return IniFile(text);
}

long IniFile::FindSection(std::string_view section) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        auto name = HeaderName(m_lines[i].text);
        if (name && SameName(*name, section))
            return long(i);
    }
    return -1;
}

size_t IniFile::SectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < m_lines.size() && !HeaderName(m_lines[i].text))
        ++i;
    return i;
}

long IniFile::FindKey(size_t header, std::string_view key) const
{
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        auto kv = SplitKey(m_lines[i].text);
        if (kv && SameName(kv->key, key))
            return long(i);
    }
    return -1;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const
{
    const long header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const long line = FindKey(size_t(header), key);
    if (line < 0)
        return std::nullopt;
    std::string_view value = SplitKey(m_lines[size_t(line)].text)->value;
    // A value in a matching pair of quotes is read without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(CutText(value, kMaxTextLength));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, const std::string &def) const
{
    auto v = Read(section, key);
    return v ? *v : def;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    auto v = Read(section, key);
    auto n = v ? ParseSettingsInteger(*v) : std::nullopt;
    return n ? *n : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    // A line break in a value would split it into lines of their own.
    std::string text = std::string(key) + "=";
    for (char c : value)
        if (c != '\n' && c != '\r')
            text += c;
    const long header = FindSection(section);
    if (header >= 0) {
        const long line = FindKey(size_t(header), key);
        if (line >= 0) {
            m_lines[size_t(line)].text = std::move(text);
            return;
        }
        // After the section's last non-blank line, so a blank line before the
        // next header stays there.
        size_t at = SectionEnd(size_t(header));
        while (at > size_t(header) + 1 && Trim(m_lines[at - 1].text).empty())
            --at;
        if (at == m_lines.size())
            m_finalNewline = true;
        m_lines.insert(m_lines.begin() + long(at), Line{std::move(text), m_end});
        return;
    }
    m_finalNewline = true;
    m_lines.push_back(Line{"[" + std::string(section) + "]", m_end});
    m_lines.push_back(Line{std::move(text), m_end});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    Write(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const
{
    static constexpr const char *kEnds[] = {"\n", "\r\n", "\r"};
    std::string out = m_bom ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].text;
        if (i + 1 < m_lines.size() || m_finalNewline)
            out += kEnds[size_t(m_lines[i].end)];
    }
    return out;
}

bool ReplaceFileAtomically(const std::string &path, std::string_view content, std::string *error,
                           const WriteFunction &write)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    // Keep the old file's permissions; a new one gets the usual 0644.
    struct stat st {};
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);

    int failure = 0;
    size_t done = 0;
    while (!failure && done < content.size()) {
        const ssize_t n = write ? write(fd, content.data() + done, content.size() - done)
                                : ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n == 0 ? EIO : errno;
        else
            done += size_t(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temp.c_str());
        if (error)
            *error = std::strerror(failure);
        return false;
    }
    // Make the rename itself durable.
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace pellavan

// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_tags.h"

#include <cstdint>

namespace dvdc {

namespace {

// A byte that starts no valid UTF-8 sequence is taken as Latin-1, the
// likeliest meaning of a stray byte in a disc's name.
void AppendCodePoint(std::string &out, uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The valid UTF-8 sequence at `s[i]`: its length and code point, or 0.
size_t Utf8At(const std::string &s, size_t i, uint32_t &c)
{
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < n; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t >> 6) != 2)
            return 0;
        c = (c << 6) | (t & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;   // overlong, beyond Unicode, or a UTF-16 half
    return n;
}

} // namespace

std::string TagText(const std::string &raw, size_t limit)
{
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        uint32_t c = 0;
        size_t n = Utf8At(raw, i, c);
        if (n == 0) {
            c = static_cast<unsigned char>(raw[i]);
            n = 1;
        }
        i += n;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            continue;   // control characters have no place in a title
        std::string piece;
        AppendCodePoint(piece, c);
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
    }
    return out;
}

std::string FileTitle(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return TagText(name);
}

} // namespace dvdc

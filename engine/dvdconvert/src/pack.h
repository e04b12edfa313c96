// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG-2 program-stream packs as a DVD stores them: one per 2048-byte block.
#pragma once

#include <cstdint>
#include <cstddef>

namespace dvdc {

constexpr int kBlockSize = 2048;

// A nav pack: pack header, system header, then the PCI and DSI packets at
// their fixed places.
inline bool IsNavPack(const uint8_t *b)
{
    return b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0xBA && b[38] == 0 && b[39] == 0 &&
           b[40] == 1 && b[41] == 0xBF && b[44] == 0x00 && b[1024] == 0 && b[1025] == 0 &&
           b[1026] == 1 && b[1027] == 0xBF && b[1030] == 0x01;
}
constexpr int kPciOffset = 45;
constexpr int kDsiOffset = 1031;

struct PesPacket {
    int streamId;          // 0xE0 video, 0xBD private stream 1, ...
    bool scrambled;
    const uint8_t *payload;  // after the PES header
    int payloadSize;
};

// Calls fn(const PesPacket &) for every complete PES packet of the pack;
// stops at anything malformed.
template <class Fn>
void ForEachPes(const uint8_t *b, Fn &&fn)
{
    if (b[0] != 0 || b[1] != 0 || b[2] != 1 || b[3] != 0xBA)
        return;
    int pos = (b[4] & 0xC0) == 0x40 ? 14 + (b[13] & 7) : 12;
    while (pos + 6 <= kBlockSize) {
        if (b[pos] != 0 || b[pos + 1] != 0 || b[pos + 2] != 1)
            return;
        int id = b[pos + 3];
        int length = (b[pos + 4] << 8) | b[pos + 5];
        int end = pos + 6 + length;
        if (id == 0xB9 || end > kBlockSize)
            return;
        if (id != 0xBB && id != 0xBE && id != 0xBF && pos + 9 <= end) {
            int headerEnd = pos + 9 + b[pos + 8];
            if (headerEnd <= end)
                fn(PesPacket{id, (b[pos + 6] & 0x30) != 0, b + headerEnd, end - headerEnd});
        }
        pos = end;
    }
}

} // namespace dvdc

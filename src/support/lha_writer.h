// The writer of LHA archives (".lzh"): level-2 headers, names in Shift-JIS,
// each file compressed with -lh5- (LZSS over an 8 KiB window, Huffman-coded
// in blocks) or stored with -lh0- when compression does not pay.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

struct TLhaMember {
  std::string name;  // Shift-JIS, folders separated by "\" or "/"
  std::string data;  // the file's bytes
  int64_t mtime = 0; // seconds since 1970
};

// CRC-16 as the format uses it (polynomial 0xA001, reflected, start 0).
uint16_t LhaCrc16(std::string_view data, uint16_t crc = 0);

// The -lh5- form of the bytes.
std::string LhaCompressLh5(std::string_view data);

// The whole archive: one member after the other, then the end mark.
std::string LhaArchive(const std::vector<TLhaMember>& members);

}  // namespace tama::support

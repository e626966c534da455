#pragma once
// Large pictures for the size limits' tests, small on disk: black, one bit a
// pixel, so that an 8192x8192 picture is about 8 KB and is written in
// milliseconds. Decoded, it would take four bytes a pixel like any other.
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_support {

inline void write_blank_png(const std::string& path, std::uint32_t width, std::uint32_t height) {
  const auto big_endian = [](std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
  };
  std::string file = "\x89PNG\r\n\x1a\n";
  const auto chunk = [&](const char* type, const std::string& data) {
    big_endian(file, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    file += typed;
    big_endian(file, static_cast<std::uint32_t>(
                         crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
  };
  std::string header;
  big_endian(header, width);
  big_endian(header, height);
  header += std::string("\x01\x00\x00\x00\x00", 5);  // bit depth 1, grey, deflate, no filter, not interlaced
  chunk("IHDR", header);
  // Each row: filter byte 0 and width/8 bytes of zeros, all zero together.
  const std::vector<Bytef> rows(static_cast<std::size_t>(height) * (1 + (width + 7) / 8), 0);
  uLongf packed_size = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packed_size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size, rows.data(), static_cast<uLong>(rows.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("cannot compress the rows of " + path);
  packed.resize(packed_size);
  chunk("IDAT", packed);
  chunk("IEND", "");
  std::ofstream(path, std::ios::binary) << file;
}

}  // namespace test_support

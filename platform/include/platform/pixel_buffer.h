#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// 8-bit RGBA pixels, rows top to bottom, not premultiplied. A cheap
// reference-counted handle: copies share the pixels.
class PixelBuffer {
 public:
  PixelBuffer() = default;  // empty
  PixelBuffer(int width, int height);  // transparent black
  bool is_null() const { return !data_; }
  int get_width() const;
  int get_height() const;
  // Pointer to width*height*4 bytes (R, G, B, A per pixel).
  std::uint8_t* get_data();
  const std::uint8_t* get_data() const;
  struct Rgba { std::uint8_t r, g, b, a; };
  Rgba get_pixel(int x, int y) const;
  void set_pixel(int x, int y, Rgba value);
  // A deep copy.
  PixelBuffer copy() const;

 private:
  struct Data {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
  };
  std::shared_ptr<Data> data_;
};

struct PNGProvider {
  // The file's samples as 8-bit RGBA: palette and transparent colour applied,
  // 16-bit samples cut to their high byte, no gamma correction. Throws
  // platform::Exception naming the file when it is missing or corrupt, or
  // larger than 8192 pixels on a side (checked before decoding).
  static PixelBuffer load(const std::string& path);
  // The picture's size from the file's header, its pixels left undecoded.
  // Throws as load() does for a missing or broken header, a read error or a
  // side over 8192 pixels.
  struct Dimensions {
    int width = 0, height = 0;
  };
  static Dimensions dimensions(const std::string& path);
  static void save(const PixelBuffer& buffer, const std::string& path);
};

}  // namespace platform

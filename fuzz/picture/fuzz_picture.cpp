// libFuzzer target: any bytes as a picture or as a resource file. The first
// byte's low bit picks one:
// - 0: the rest is a PNG, decoded and, when it decodes, traced into a
//   collision outline as the game does with ground and item outlines. The
//   chunks' checksums are made right first (unless bit 1 is set) so that
//   mutations get past them; bits 2-7 pick the tracing settings.
// - 1: the rest is a resource file, next to a small valid sheet picture;
//   every sprite it names is built.
// Only platform::Exception may come out.
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "../scratch_folder.h"
#include "platform/platform.h"

namespace {

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t read_big_endian(const std::uint8_t* bytes) {
  return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
}

// Writes the right CRC after each whole chunk that follows the signature.
void fix_checksums(std::vector<std::uint8_t>& png) {
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::size_t length = read_big_endian(&png[at]);
    if (length > png.size() - at - 12) break;
    const auto crc = static_cast<std::uint32_t>(crc32(0, &png[at + 4], static_cast<uInt>(length + 4)));
    for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

// An 8x8 sheet with a solid 4x4 square and some translucent pixels.
platform::PixelBuffer sheet_picture() {
  platform::PixelBuffer sheet(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      sheet.set_pixel(x, y, {std::uint8_t(x * 32), std::uint8_t(y * 32), 0, std::uint8_t(x < 4 && y < 4 ? 255 : x * y * 5)});
  return sheet;
}

void trace_picture(const std::string& path, std::uint8_t settings, const platform::CollisionOutline& other) {
  const platform::PixelBuffer picture = platform::PNGProvider::load(path);
  const bool get_insides = settings & 4;
  const int alpha_limit = 1 + (settings >> 3 & 3) * 84;
  const auto accuracy = static_cast<platform::OutlineAccuracy>((settings >> 5) % 5);
  platform::CollisionOutline outline(picture, alpha_limit, accuracy, get_insides);
  outline.set_scale(4.0f, 4.0f);
  outline.set_translation(-2.0f, 3.0f);
  outline.collide(other);
  outline.get_bounding_box();
}

void build_sprites(const std::string& path) {
  platform::ResourceManager resources(path);
  pugi::xml_document document;
  document.load_file(path.c_str());
  platform::GraphicContext no_window;
  for (const pugi::xml_node node : document.child("resources").children("sprite")) {
    const std::string id = node.attribute("name").value();
    if (!resources.has_sprite(id)) continue;
    try {
      platform::Sprite sprite(no_window, id, &resources);
      sprite.update(1000);
      sprite.get_width();
    } catch (const platform::Exception&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The picture input has a folder of its own, out of the resource files'
  // reach: decoded pictures are cached by file, and each input would add one.
  static const ScratchFolder picture_folder;
  static const ScratchFolder resource_folder;
  static const platform::CollisionOutline sheet_outline = [] {
    platform::PNGProvider::save(sheet_picture(), resource_folder.file("sheet.png"));
    return platform::CollisionOutline(resource_folder.file("sheet.png"));
  }();
  if (size == 0) return 0;
  try {
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (data[0] % 2 == 0) {
      if (!(data[0] & 2)) fix_checksums(bytes);
      write_file(picture_folder.file("picture.png"), bytes);
      trace_picture(picture_folder.file("picture.png"), data[0], sheet_outline);
    } else {
      write_file(resource_folder.file("resources.xml"), bytes);
      build_sprites(resource_folder.file("resources.xml"));
    }
  } catch (const platform::Exception&) {
  }
  return 0;
}

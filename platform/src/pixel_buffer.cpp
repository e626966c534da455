#include "platform/pixel_buffer.h"

#include <SDL.h>
#include <SDL_image.h>

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/input_file.h"

namespace platform {

PixelBuffer::PixelBuffer(int width, int height) : data_(std::make_shared<Data>()) {
  if (width < 0 || height < 0) throw Exception("Pixel buffer of negative size");
  data_->width = width;
  data_->height = height;
  data_->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
}

int PixelBuffer::get_width() const { return data_ ? data_->width : 0; }
int PixelBuffer::get_height() const { return data_ ? data_->height : 0; }
std::uint8_t* PixelBuffer::get_data() { return data_ ? data_->pixels.data() : nullptr; }
const std::uint8_t* PixelBuffer::get_data() const { return data_ ? data_->pixels.data() : nullptr; }

PixelBuffer::Rgba PixelBuffer::get_pixel(int x, int y) const {
  if (!data_ || x < 0 || y < 0 || x >= data_->width || y >= data_->height) return {0, 0, 0, 0};
  const std::uint8_t* p = &data_->pixels[(static_cast<std::size_t>(y) * data_->width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

void PixelBuffer::set_pixel(int x, int y, Rgba value) {
  if (!data_ || x < 0 || y < 0 || x >= data_->width || y >= data_->height) return;
  std::uint8_t* p = &data_->pixels[(static_cast<std::size_t>(y) * data_->width + x) * 4];
  p[0] = value.r;
  p[1] = value.g;
  p[2] = value.b;
  p[3] = value.a;
}

PixelBuffer PixelBuffer::copy() const {
  PixelBuffer result;
  if (data_) result.data_ = std::make_shared<Data>(*data_);
  return result;
}

namespace {

// Larger pictures are refused before decoding: a small file can declare a
// huge size, and the game's biggest pictures are far below this.
constexpr png_uint_32 max_picture_side = 8192;

// What one decoding needs; it lives outside the frame libpng's errors jump
// back into, so nothing with a destructor is skipped by the jump.
struct Decoding {
  std::FILE* file = nullptr;
  std::string reason;  // why libpng gave up
  png_uint_32 width = 0, height = 0;
  bool too_large = false;
  PixelBuffer pixels;
  std::vector<png_bytep> rows;
};

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  static_cast<Decoding*>(png_get_error_ptr(png))->reason = message;
  png_longjmp(png, 1);
}

// libpng warns about damage it can get past; a broken file must not flood stderr.
void on_png_warning(png_structp, png_const_charp) {}

// A short read is an error: a chunk that claims more bytes than the file holds
// ends the decoding instead of being read past the end.
void read_file_bytes(png_structp png, png_bytep into, png_size_t count) {
  auto* decoding = static_cast<Decoding*>(png_get_io_ptr(png));
  if (std::fread(into, 1, count, decoding->file) != count)
    png_error(png, std::ferror(decoding->file) ? std::strerror(errno) : "the file ends in the middle of a chunk");
}

// Ancillary chunks that change nothing in raw RGBA samples: skipped unread.
constexpr png_byte ignored_chunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0"
                                      "sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";

// Decodes into decoding.pixels as 8-bit RGBA: the raw samples, palette and
// transparency applied, 16-bit samples cut to their high byte, no gamma
// correction; with header_only, only the size is read. False on failure
// (reason or too_large set). libpng's errors longjmp back here, so this frame
// holds no object with a destructor.
bool decode_png(png_structp png, png_infop info, Decoding& decoding, bool header_only) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &decoding, read_file_bytes);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, ignored_chunks, sizeof ignored_chunks / 5);
  // Sizes are checked here, with the size in the message.
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(png, info);
  decoding.width = png_get_image_width(png, info);
  decoding.height = png_get_image_height(png, info);
  if (decoding.width > max_picture_side || decoding.height > max_picture_side) {
    decoding.too_large = true;
    return false;
  }
  if (header_only) return true;
  const int colour_type = png_get_color_type(png, info);
  const int bit_depth = png_get_bit_depth(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (bit_depth == 16) png_set_strip_16(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(decoding.width) * 4)
    png_error(png, "unexpected pixel layout after conversion to RGBA");

  decoding.pixels = PixelBuffer(static_cast<int>(decoding.width), static_cast<int>(decoding.height));
  decoding.rows.resize(decoding.height);
  for (png_uint_32 y = 0; y < decoding.height; ++y)
    decoding.rows[y] = decoding.pixels.get_data() + static_cast<std::size_t>(y) * decoding.width * 4;
  png_read_image(png, decoding.rows.data());
  png_read_end(png, nullptr);
  return true;
}

// Reads PATH's header, and its pixels unless header_only, into `decoding`;
// throws naming the file.
void read_png(const std::string& path, bool header_only, Decoding& decoding) {
  // Frees libpng's structures and closes the file however the read ends.
  struct Reader {
    Decoding& decoding;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Reader() {
      png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
      if (decoding.file) std::fclose(decoding.file);
      decoding.file = nullptr;
    }
  } reader{decoding};
  std::string reason;
  decoding.file = open_input_stream(path, reason);
  if (!decoding.file) throw Exception("Could not load picture '" + path + "': " + reason);
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decoding, on_png_error, on_png_warning);
  if (reader.png) reader.info = png_create_info_struct(reader.png);
  if (!reader.info) throw Exception("Could not load picture '" + path + "': out of memory");
  if (decode_png(reader.png, reader.info, decoding, header_only)) return;
  if (decoding.too_large)
    throw Exception("Could not load picture '" + path + "': " + std::to_string(decoding.width) + "x" +
                    std::to_string(decoding.height) + " pixels is more than " + std::to_string(max_picture_side) +
                    " on a side");
  throw Exception("Could not load picture '" + path + "': " + decoding.reason);
}

}  // namespace

PixelBuffer PNGProvider::load(const std::string& path) {
  Decoding decoding;
  read_png(path, false, decoding);
  return decoding.pixels;
}

PNGProvider::Dimensions PNGProvider::dimensions(const std::string& path) {
  Decoding decoding;
  read_png(path, true, decoding);
  return {static_cast<int>(decoding.width), static_cast<int>(decoding.height)};
}

void PNGProvider::save(const PixelBuffer& buffer, const std::string& path) {
  if (buffer.is_null()) throw Exception("Cannot save an empty picture to '" + path + "'");
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(buffer.get_data()), buffer.get_width(), buffer.get_height(), 32,
      buffer.get_width() * 4, SDL_PIXELFORMAT_ABGR8888);
  if (!surface) throw Exception("Could not save picture '" + path + "': " + SDL_GetError());
  int rc = IMG_SavePNG(surface, path.c_str());
  SDL_FreeSurface(surface);
  if (rc != 0) throw Exception("Could not save picture '" + path + "': " + IMG_GetError());
}

}  // namespace platform

#include "platform/pixel_buffer.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "platform/error.h"

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

PixelBuffer PNGProvider::load(const std::string& path) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (!loaded) throw Exception("Could not load picture '" + path + "': " + IMG_GetError());
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
  SDL_FreeSurface(loaded);
  if (!rgba) throw Exception("Could not convert picture '" + path + "': " + SDL_GetError());
  PixelBuffer result(rgba->w, rgba->h);
  SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y) {
    std::memcpy(result.get_data() + static_cast<std::size_t>(y) * rgba->w * 4,
                static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<std::size_t>(y) * rgba->pitch,
                static_cast<std::size_t>(rgba->w) * 4);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return result;
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

#include <filesystem>
#include <map>
#include <system_error>

#include "internal.h"
#include "platform/error.h"

namespace platform {

namespace {
bool fully_opaque(const PixelBuffer& pixels) {
  const std::uint8_t* data = pixels.get_data();
  const std::size_t count = static_cast<std::size_t>(pixels.get_width()) * pixels.get_height();
  for (std::size_t i = 0; i < count; ++i) {
    if (data[i * 4 + 3] != 255) return false;
  }
  return true;
}
}  // namespace

Frame::Frame(PixelBuffer pixels) : pixels_(std::move(pixels)), opaque_(fully_opaque(pixels_)) {}

Frame::~Frame() { release_textures(); }

void Frame::release_textures() {
  if (const auto gc = owner_.lock()) {
    for (SDL_Texture* texture : {texture_, faded_}) {
      if (!texture) continue;
      gc->texture_changing(texture);
      SDL_DestroyTexture(texture);
    }
  }
  texture_ = nullptr;
  faded_ = nullptr;
  owner_.reset();
  owner_renderer_ = nullptr;
}

SDL_Texture* Frame::make_texture(SDL_Renderer* renderer, Uint32 format) const {
  SDL_Texture* texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STATIC, width(), height());
  if (!texture) return nullptr;
  std::vector<std::uint8_t> converted(static_cast<std::size_t>(width()) * height() * 4);
  SDL_ConvertPixels(width(), height(), SDL_PIXELFORMAT_RGBA32, pixels_.get_data(), width() * 4, format,
                    converted.data(), width() * 4);
  SDL_UpdateTexture(texture, nullptr, converted.data(), width() * 4);
  return texture;
}

bool Frame::fill_faded(Uint8 alpha) {
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(faded_, nullptr, &pixels, &pitch) != 0) return false;
  // The layer's alpha changes a little every frame: one pass straight into
  // the texture, in its ARGB8888 layout.
  const std::uint8_t* from = pixels_.get_data();
  for (int y = 0; y < height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) + static_cast<std::size_t>(y) * pitch);
    for (int x = 0; x < width(); ++x, from += 4) {
      const std::uint32_t a = (static_cast<std::uint32_t>(from[3]) * alpha + 127) / 255;
      row[x] = a << 24 | static_cast<std::uint32_t>(from[0]) << 16 | static_cast<std::uint32_t>(from[1]) << 8 | from[2];
    }
  }
  SDL_UnlockTexture(faded_);
  return true;
}

SDL_Texture* Frame::texture_for(const std::shared_ptr<GraphicContext::Impl>& gc, Uint8 alpha) {
  if (!gc || !gc->renderer || width() == 0 || height() == 0) return nullptr;
  if (owner_.lock() != gc || owner_renderer_ != gc->renderer) release_textures();
  if (!texture_) {
    // Opaque pictures get a format without alpha: software rendering then
    // copies them, or blends them at a uniform alpha, on a fast path.
    texture_ = make_texture(gc->renderer, opaque_ ? opaque_texture_format : texture_format);
    if (!texture_) return nullptr;
    ++gc->uploaded_textures;
    owner_ = gc;
    owner_renderer_ = gc->renderer;
  }
  if (alpha < 255 && !opaque_ && gc->software) {
    if (!faded_) {
      faded_ = SDL_CreateTexture(gc->renderer, texture_format, SDL_TEXTUREACCESS_STREAMING, width(), height());
      faded_alpha_ = 255;  // contents not yet made
    }
    if (faded_ && faded_alpha_ != alpha) {
      gc->texture_changing(faded_);
      if (fill_faded(alpha)) {
        faded_alpha_ = alpha;
        ++gc->uploaded_textures;
      }
    }
    if (faded_ && faded_alpha_ == alpha) {
      SDL_SetTextureBlendMode(faded_, SDL_BLENDMODE_BLEND);
      SDL_SetTextureAlphaMod(faded_, 255);
      return faded_;
    }
  }
  SDL_SetTextureBlendMode(texture_, opaque_ && alpha == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
  SDL_SetTextureAlphaMod(texture_, alpha);
  return texture_;
}

// What identifies one version of a file: its absolute path, size and time of
// last change, so a rewritten file is decoded again.
std::string picture_file_key(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error || !fs::exists(absolute, error)) throw Exception("Could not load picture '" + path + "': no such file");
  if (!fs::is_regular_file(absolute, error))
    throw Exception("Could not load picture '" + path + "': not a regular file");
  const auto size = fs::file_size(absolute, error);
  const auto stamp = fs::last_write_time(absolute, error).time_since_epoch().count();
  return absolute.lexically_normal().string() + '|' + std::to_string(size) + '|' + std::to_string(stamp);
}

namespace {

PixelBuffer cut_cell(const PixelBuffer& picture, const SDL_Rect& cell) {
  PixelBuffer result(cell.w, cell.h);
  for (int row = 0; row < cell.h; ++row) {
    const std::uint8_t* from =
        picture.get_data() + (static_cast<std::size_t>(cell.y + row) * picture.get_width() + cell.x) * 4;
    std::copy(from, from + static_cast<std::size_t>(cell.w) * 4,
              result.get_data() + static_cast<std::size_t>(row) * cell.w * 4);
  }
  return result;
}

}  // namespace

std::shared_ptr<Frame> cached_frame(const std::string& path, const SDL_Rect* cell) {
  static std::map<std::string, PixelBuffer> pictures;
  static std::map<std::string, std::shared_ptr<Frame>> frames;

  const std::string key = picture_file_key(path);
  std::string frame_key = key;
  if (cell) {
    frame_key += '|' + std::to_string(cell->x) + ',' + std::to_string(cell->y) + ',' + std::to_string(cell->w) +
                 ',' + std::to_string(cell->h);
  }
  if (auto found = frames.find(frame_key); found != frames.end()) return found->second;

  auto picture = pictures.find(key);
  if (picture == pictures.end()) picture = pictures.emplace(key, PNGProvider::load(path)).first;
  const PixelBuffer& whole = picture->second;
  PixelBuffer pixels = whole;
  if (cell) {
    if (cell->x < 0 || cell->y < 0 || cell->w <= 0 || cell->h <= 0 || cell->x + cell->w > whole.get_width() ||
        cell->y + cell->h > whole.get_height())
      throw Exception("Picture '" + path + "' (" + std::to_string(whole.get_width()) + "x" +
                      std::to_string(whole.get_height()) + ") has no cell at " + std::to_string(cell->x) + "," +
                      std::to_string(cell->y) + " of " + std::to_string(cell->w) + "x" + std::to_string(cell->h));
    pixels = cut_cell(whole, *cell);
  }
  auto frame = std::make_shared<Frame>(pixels);
  frames.emplace(frame_key, frame);
  return frame;
}

}  // namespace platform

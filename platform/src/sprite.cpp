#include "platform/sprite.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <numeric>

#include "internal.h"
#include "platform/error.h"
#include "platform/seam.h"
#include "resource_manager_impl.h"

namespace platform {

void SpriteDescription::add_frame(const PixelBuffer& frame, int delay_ms) {
  frames_.push_back(frame);
  delays_.push_back(delay_ms);
}

using FrameList = std::vector<std::shared_ptr<Frame>>;

namespace {

// The shipped sprites have at most 8 frames. Without these limits a small
// resource file could name millions of grid cells, or the same large cell
// over and over, and level start would freeze while memory fills.
constexpr std::size_t max_sprite_frames = 1000;
constexpr std::int64_t max_sprite_pixels = std::int64_t{8192} * 8192;  // one picture of the largest size

}  // namespace

SpriteDescription SpriteDescription::from_pictures(const std::vector<std::string>& paths, const std::string& source) {
  const std::string what = paths.size() == 1 ? "Could not load picture '" + source + "'"
                                              : "Could not load the " + std::to_string(paths.size()) +
                                                    " pictures in '" + source + "'";
  const auto refuse_if_too_many = [&](std::int64_t pixels) {
    if (paths.size() > max_sprite_frames)
      throw Exception(what + ": more than " + std::to_string(max_sprite_frames) + " frames");
    if (pixels > max_sprite_pixels)
      throw Exception(what + ": " + std::to_string(pixels) + " pixels in all is more than " +
                      std::to_string(max_sprite_pixels) + " (8192x8192)");
  };
  // A small file can declare a large picture: the sizes come from the headers first.
  std::int64_t declared = 0;
  refuse_if_too_many(declared);
  for (const std::string& path : paths) {
    const PNGProvider::Dimensions size = PNGProvider::dimensions(path);
    declared += std::int64_t{size.width} * size.height;
  }
  refuse_if_too_many(declared);
  // A file replaced between its header and its decoding is counted as decoded.
  SpriteDescription description;
  std::int64_t decoded = 0;
  for (const std::string& path : paths) {
    description.add_frame(PNGProvider::load(path));
    decoded += std::int64_t{description.frames_.back().get_width()} * description.frames_.back().get_height();
    refuse_if_too_many(decoded);
  }
  return description;
}

struct Sprite::Impl {
  std::shared_ptr<const FrameList> frames;
  std::vector<int> delays;  // one per frame, at least 1 ms
  bool loop = true;
  int current = 0;
  int time_in_frame = 0;  // ms shown of the current frame
  bool finished = false;
  std::uint32_t last_update = 0;
  float angle_degrees = 0.0f;
  float alpha = 1.0f;
};

namespace {

constexpr int default_delay_ms = 60;

std::shared_ptr<Sprite::Impl> make_sprite(std::shared_ptr<const FrameList> frames, std::vector<int> delays,
                                          bool loop) {
  auto impl = std::make_shared<Sprite::Impl>();
  impl->frames = std::move(frames);
  impl->delays = std::move(delays);
  for (int& delay : impl->delays) delay = std::max(delay, 1);
  impl->loop = loop;
  impl->last_update = current_seam().get_time();
  return impl;
}

// "x,y" as two integers; throws naming the file and sprite when malformed.
void parse_pair(const char* text, int& first, int& second, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const long a = std::strtol(text, &end, 10);
  bool ok = end != text && *end == ',' && errno == 0;
  long b = 0;
  if (ok) {
    const char* start = end + 1;
    b = std::strtol(start, &end, 10);
    ok = end != start && *end == '\0' && errno == 0;
  }
  if (!ok || a < -100000 || a > 100000 || b < -100000 || b > 100000)
    throw Exception(what + ": expected two numbers \"x,y\", found \"" + text + "\"");
  first = static_cast<int>(a);
  second = static_cast<int>(b);
}

bool parse_yes_no(const std::string& text, const std::string& what) {
  if (text == "yes" || text == "true" || text == "1") return true;
  if (text == "no" || text == "false" || text == "0") return false;
  throw Exception(what + ": loop must be \"yes\" or \"no\", found \"" + text + "\"");
}

}  // namespace

Sprite::Sprite(GraphicContext&, const SpriteDescription& description) {
  if (description.frames().empty()) throw Exception("A sprite needs at least one frame");
  auto frames = std::make_shared<FrameList>();
  for (const PixelBuffer& picture : description.frames()) {
    if (picture.is_null()) throw Exception("A sprite frame has no picture");
    // A copy: the caller may go on changing its pixel buffer.
    frames->push_back(std::make_shared<Frame>(picture.copy()));
  }
  impl_ = make_sprite(std::move(frames), description.delays(), description.play_loop);
}

Sprite::Sprite(GraphicContext&, const std::string& resource_id, ResourceManager* resources,
               const ImageImportDescription&) {
  if (!resources || resources->is_null())
    throw Exception("Could not load sprite '" + resource_id + "': no resource file");
  const ResourceManager::Impl& manager = *resources->impl();
  const std::string what = "Sprite '" + resource_id + "' in resource file '" + manager.path + "'";
  const auto found = manager.sprites.find(resource_id);
  if (found == manager.sprites.end())
    throw Exception("Resource file '" + manager.path + "' has no sprite '" + resource_id + "'");
  const pugi::xml_node node = found->second;

  // Every <image> is read and the limits checked before any picture is decoded or cut.
  struct Image {
    std::string path;
    bool whole = true;
    int x = 0, y = 0, w = 0, h = 0, columns = 1, rows = 1;
  };
  std::vector<Image> images;
  std::size_t frame_count = 0;
  std::int64_t pixels = 0;  // in the frames
  const auto check_limits = [&] {
    if (frame_count > max_sprite_frames)
      throw Exception(what + " has more than " + std::to_string(max_sprite_frames) + " frames");
    if (pixels > max_sprite_pixels)
      throw Exception(what + " has more than " + std::to_string(max_sprite_pixels) + " pixels in its frames");
  };
  for (const pugi::xml_node element : node.children("image")) {
    Image image;
    const std::string file = element.attribute("file").value();
    if (file.empty()) throw Exception(what + ": an <image> has no file");
    image.path = (std::filesystem::path(manager.folder) / file).string();
    if (const pugi::xml_node grid = element.child("grid")) {
      image.whole = false;
      parse_pair(grid.attribute("pos").as_string("0,0"), image.x, image.y, what + ", grid pos");
      parse_pair(grid.attribute("size").value(), image.w, image.h, what + ", grid size");
      parse_pair(grid.attribute("array").as_string("1,1"), image.columns, image.rows, what + ", grid array");
      const std::int64_t cells = std::int64_t{image.columns} * image.rows;
      if (image.columns <= 0 || image.rows <= 0 || cells > 10000)
        throw Exception(what + ": grid array must be at least 1,1 and at most 10000 cells");
      frame_count += static_cast<std::size_t>(cells);
      pixels += cells * std::max(image.w, 0) * std::max(image.h, 0);
    } else {
      ++frame_count;
    }
    check_limits();
    images.push_back(std::move(image));
  }

  auto frames = std::make_shared<FrameList>();
  for (const Image& image : images) {
    try {
      if (image.whole) frames->push_back(cached_frame(image.path, nullptr));
      for (int row = 0; !image.whole && row < image.rows; ++row) {
        for (int column = 0; column < image.columns; ++column) {
          const SDL_Rect cell{image.x + column * image.w, image.y + row * image.h, image.w, image.h};
          frames->push_back(cached_frame(image.path, &cell));
        }
      }
    } catch (const Exception& error) {
      throw Exception(what + ": " + error.what());
    }
    if (image.whole) {
      // A whole picture's size is known once it is decoded.
      pixels += std::int64_t{frames->back()->width()} * frames->back()->height();
      check_limits();
    }
  }
  if (frames->empty()) throw Exception(what + " has no <image>");

  int delay = default_delay_ms;
  bool loop = true;
  if (const pugi::xml_node animation = node.child("animation")) {
    if (const pugi::xml_attribute speed = animation.attribute("speed")) {
      char* end = nullptr;
      const long value = std::strtol(speed.value(), &end, 10);
      if (end == speed.value() || *end != '\0' || value < 1 || value > 3600000)
        throw Exception(what + ": animation speed must be a positive number of milliseconds, found \"" +
                        speed.value() + "\"");
      delay = static_cast<int>(value);
    }
    if (const pugi::xml_attribute looping = animation.attribute("loop"))
      loop = parse_yes_no(looping.value(), what);
  }
  std::vector<int> delays(frames->size(), delay);
  impl_ = make_sprite(std::move(frames), std::move(delays), loop);
}

void Sprite::draw(GraphicContext& gc, float x, float y) {
  if (!impl_ || gc.is_null() || !drawable_position(x, y)) return;
  const std::shared_ptr<Frame>& frame = (*impl_->frames)[static_cast<std::size_t>(impl_->current)];
  const Uint8 alpha = to_byte(impl_->alpha);
  if (alpha == 0) return;
  SDL_Texture* texture = frame->texture_for(gc.impl(), alpha);
  if (!texture) return;
  const SDL_FRect where{x, y, static_cast<float>(frame->width()), static_cast<float>(frame->height())};
  gc.impl()->draw(copy_op(texture, where, impl_->angle_degrees));
}

void Sprite::draw(GraphicContext& gc, int x, int y) { draw(gc, static_cast<float>(x), static_cast<float>(y)); }

void Sprite::update(int elapsed_ms) {
  if (!impl_) return;
  Impl& s = *impl_;
  const std::uint32_t now = current_seam().get_time();
  // Unsigned difference: correct across the 32-bit wrap of the clock.
  const std::uint32_t since = now - s.last_update;
  s.last_update = now;
  std::uint64_t elapsed = elapsed_ms == -1 ? since : static_cast<std::uint64_t>(std::max(elapsed_ms, 0));
  if (s.finished || elapsed == 0) return;

  const std::uint64_t cycle = std::accumulate(s.delays.begin(), s.delays.end(), std::uint64_t{0});
  std::uint64_t position = static_cast<std::uint64_t>(s.time_in_frame) + elapsed;
  for (int i = 0; i < s.current; ++i) position += static_cast<std::uint64_t>(s.delays[static_cast<std::size_t>(i)]);
  if (position >= cycle) {
    if (!s.loop) {
      s.current = static_cast<int>(s.delays.size()) - 1;
      s.time_in_frame = 0;
      s.finished = true;
      return;
    }
    position %= cycle;
  }
  int frame = 0;
  while (position >= static_cast<std::uint64_t>(s.delays[static_cast<std::size_t>(frame)])) {
    position -= static_cast<std::uint64_t>(s.delays[static_cast<std::size_t>(frame)]);
    ++frame;
  }
  s.current = frame;
  s.time_in_frame = static_cast<int>(position);
}

void Sprite::set_delay(int delay_ms) {
  if (!impl_) return;
  std::fill(impl_->delays.begin(), impl_->delays.end(), std::max(delay_ms, 1));
  impl_->time_in_frame = std::min(impl_->time_in_frame, std::max(delay_ms, 1) - 1);
}

void Sprite::set_play_loop(bool loop) {
  if (!impl_) return;
  impl_->loop = loop;
  if (loop) impl_->finished = false;
}

void Sprite::set_angle(const Angle& angle) {
  // A broken angle (NaN, infinite) draws unturned rather than confusing SDL.
  if (impl_) impl_->angle_degrees = std::isfinite(angle.to_degrees()) ? std::fmod(angle.to_degrees(), 360.0f) : 0.0f;
}
Angle Sprite::get_angle() const { return impl_ ? Angle::from_degrees(impl_->angle_degrees) : Angle(); }

void Sprite::set_alpha(float alpha) {
  if (impl_) impl_->alpha = alpha;
}
float Sprite::get_alpha() const { return impl_ ? impl_->alpha : 0.0f; }

void Sprite::set_image_data(const Sprite& other) {
  if (!impl_ || !other.impl_ || impl_ == other.impl_) return;
  // The player switches to the same animation every frame while in the air;
  // restarting it each time would freeze it on its first frame.
  if (impl_->frames == other.impl_->frames) return;
  impl_->frames = other.impl_->frames;
  impl_->delays = other.impl_->delays;
  impl_->loop = other.impl_->loop;
  impl_->current = 0;
  impl_->time_in_frame = 0;
  impl_->finished = false;
  impl_->last_update = current_seam().get_time();
}

int Sprite::get_width() const {
  return impl_ ? (*impl_->frames)[static_cast<std::size_t>(impl_->current)]->width() : 0;
}
int Sprite::get_height() const {
  return impl_ ? (*impl_->frames)[static_cast<std::size_t>(impl_->current)]->height() : 0;
}
int Sprite::get_current_frame() const { return impl_ ? impl_->current : 0; }
int Sprite::get_frame_count() const { return impl_ ? static_cast<int>(impl_->frames->size()) : 0; }
bool Sprite::is_finished() const { return impl_ && impl_->finished; }
bool Sprite::same_image_data(const Sprite& other) const {
  return impl_ && other.impl_ && impl_->frames == other.impl_->frames;
}

}  // namespace platform

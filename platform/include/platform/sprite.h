#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/geometry.h"
#include "platform/pixel_buffer.h"

namespace platform {

// Frames for building a sprite.
class SpriteDescription {
 public:
  SpriteDescription() = default;
  // The PNG pictures at `paths`, in order, as frames. Bounded as a resource
  // file's sprite is (at most 1000 frames and 8192x8192 pixels in all),
  // checked from the files' headers before any picture is decoded; throws
  // platform::Exception naming `source` (the folder or file they come from)
  // when they go past it, and as PNGProvider::load does for a picture.
  static SpriteDescription from_pictures(const std::vector<std::string>& paths, const std::string& source);
  void add_frame(const PixelBuffer& frame, int delay_ms = 60);
  const std::vector<PixelBuffer>& frames() const { return frames_; }
  const std::vector<int>& delays() const { return delays_; }
  bool play_loop = true;
 private:
  std::vector<PixelBuffer> frames_;
  std::vector<int> delays_;
};

// An XML resource file (format documented in platform/RESOURCES.md).
// Handle: copies share the parsed document. Throws platform::Exception when
// the file is missing or its XML is malformed.
class ResourceManager {
 public:
  ResourceManager() = default;
  explicit ResourceManager(const std::string& path);
  bool is_null() const { return !impl_; }
  bool has_sprite(const std::string& id) const;
  struct Impl;
  const std::shared_ptr<Impl>& impl() const { return impl_; }
 private:
  std::shared_ptr<Impl> impl_;
};

struct ImageImportDescription {};

// An animated picture. Handle: copies share the sprite (its frames, current
// frame, angle and alpha).
class Sprite {
 public:
  Sprite() = default;
  // From frames; throws platform::Exception when the description has none.
  Sprite(GraphicContext& gc, const SpriteDescription& description);
  // From a resource file by id (ids may contain '/'); throws
  // platform::Exception naming the file and id when missing or unloadable.
  Sprite(GraphicContext& gc, const std::string& resource_id, ResourceManager* resources,
         const ImageImportDescription& import = ImageImportDescription());
  bool is_null() const { return !impl_; }

  // Top-left of the current frame lands at (x, y); turns about the frame's centre.
  void draw(GraphicContext& gc, float x, float y);
  void draw(GraphicContext& gc, int x, int y);
  // Advances the animation by elapsed ms; -1 means the time since the last
  // update (measured on the seam clock; the first update counts from creation).
  void update(int elapsed_ms = -1);
  void set_delay(int delay_ms);  // every frame
  void set_play_loop(bool loop);
  // Positive angles turn clockwise on screen.
  void set_angle(const Angle& angle);
  Angle get_angle() const;
  void set_alpha(float alpha);
  float get_alpha() const;
  // Takes the other sprite's frames and timing (and restarts at its first
  // frame); keeps this sprite's angle and alpha. When this sprite already
  // shows the other's frames it carries on where it is.
  void set_image_data(const Sprite& other);
  int get_width() const;   // of the current frame
  int get_height() const;
  int get_current_frame() const;
  int get_frame_count() const;
  bool is_finished() const;
  // True when both handles share frames (set_image_data shares them).
  bool same_image_data(const Sprite& other) const;

  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace platform

#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/color.h"
#include "platform/geometry.h"
#include "platform/pixel_buffer.h"

namespace platform {

class GraphicContext;

struct DisplayWindowDescription {
  void set_title(const std::string& t) { title = t; }
  void set_size(int w, int h, bool client_area) { width = w; height = h; size_is_client_area = client_area; }
  void set_allow_resize(bool allow) { allow_resize = allow; }
  void show_maximize_button(bool show) { maximize_button = show; }
  void show_minimize_button(bool show) { minimize_button = show; }
  void show_sysmenu(bool show) { sysmenu = show; }

  std::string title;
  int width = 640, height = 480;
  bool size_is_client_area = true;
  bool allow_resize = false;
  bool maximize_button = false;
  bool minimize_button = true;
  bool sysmenu = true;
};

// What a key signal hands its slots.
struct InputEvent {
  int id = 0;            // key code (Windows virtual-key codes)
  int repeat_count = 0;  // 0 on first press, > 0 on auto-repeat
};
struct InputState {};

// A connection; releasing the last copy disconnects. Empty when default made.
class Slot {
 public:
  Slot() = default;
  explicit Slot(std::shared_ptr<void> connection) : connection_(std::move(connection)) {}
  bool is_null() const { return !connection_; }
 private:
  std::shared_ptr<void> connection_;
};

class Signal_v2 {
 public:
  using Callback = std::function<void(const InputEvent&, const InputState&)>;
  Signal_v2();
  Slot connect(Callback callback);
  // Calls every connected callback in connection order.
  void invoke(const InputEvent& event, const InputState& state) const;
  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

// The window's keyboard. get_keycode answers from the key events processed so
// far by KeepAlive::process. Handle: copies share the device.
class InputDevice {
 public:
  InputDevice() = default;
  bool is_null() const { return !impl_; }
  bool get_keycode(int keycode) const;
  Signal_v2& sig_key_down();
  Signal_v2& sig_key_up();
  struct Impl;
  explicit InputDevice(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
  const std::shared_ptr<Impl>& impl() const { return impl_; }
 private:
  std::shared_ptr<Impl> impl_;
};

// Drawing surface of a 640x480 window: drawing goes straight into the window
// and flip presents it. Handle: copies share the context.
class GraphicContext {
 public:
  GraphicContext() = default;
  bool is_null() const { return !impl_; }
  int get_width() const;
  int get_height() const;
  void clear(const Colorf& colour = Colorf::black);
  // Reads back the target; an empty rect (0,0,0,0) means the whole surface.
  // Returns what has been drawn since the last clear (i.e. the last frame).
  PixelBuffer get_pixeldata(const Rect& rect = Rect()) const;
  struct Impl;
  explicit GraphicContext(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
  const std::shared_ptr<Impl>& impl() const { return impl_; }
 private:
  std::shared_ptr<Impl> impl_;
};

class DisplayWindow {
 public:
  DisplayWindow() = default;
  // Opens the window; throws platform::Exception when it cannot.
  explicit DisplayWindow(const DisplayWindowDescription& description);
  bool is_null() const { return !impl_; }
  GraphicContext get_gc() const;
  InputDevice get_keyboard() const;
  std::string get_title() const;
  // Shows the frame drawn. The interval argument is accepted and ignored.
  void flip(int interval = 0);
  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

struct Draw {
  static void gradient_fill(GraphicContext& gc, const Rectf& rect, const Gradient& gradient);
  static void fill(GraphicContext& gc, const Rectf& rect, const Colorf& colour);
};

}  // namespace platform

#pragma once
#include <exception>
#include <string>

#include "platform/console.h"
#include "platform/display.h"

// Inside a catch block: the message of the error being handled (the layer's
// own, naming the file and the reason), for the loaders' fixed messages.
inline std::string load_failure_reason() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "unknown error";
  }
}

// Inside a catch block, for a loader whose thrown message is fixed: the
// reason goes on the error stream, just before the message is shown.
inline void write_load_failure_reason() { platform::Console::write_error_line(load_failure_reason()); }

// Base of every drawable game object: a position, a depth and the graphic
// context its sprites are built and drawn with. Moving an element by dx moves
// it by dx / z, so deeper layers scroll slower.
class GraphicElement {
 public:
  GraphicElement(float x, float y, float z, platform::GraphicContext& gc) : x(x), y(y), z(z), gc(gc) {}
  virtual ~GraphicElement() = default;
  GraphicElement(const GraphicElement&) = delete;
  GraphicElement& operator=(const GraphicElement&) = delete;

  virtual float get_x() { return x; }
  virtual float get_y() { return y; }
  virtual float get_z() { return z; }
  virtual void set_x(float value) { x = value; }
  virtual void set_y(float value) { y = value; }
  virtual void set_z(float value) { z = value; }
  virtual void move(float dx) { x = x + dx / z; }

  float x;
  float y;
  float z;
  platform::GraphicContext gc;
};

#include "platform/testing.h"

#include "platform/error.h"

namespace platform::testing {

void save_screenshot(const GraphicContext& gc, const std::string& path) {
  if (gc.is_null()) throw Exception("No screen to save to '" + path + "'");
  PNGProvider::save(gc.get_pixeldata(), path);
}

}  // namespace platform::testing

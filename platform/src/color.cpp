#include "platform/color.h"

namespace platform {

const Colorf Colorf::white(1.0f, 1.0f, 1.0f, 1.0f);
const Colorf Colorf::black(0.0f, 0.0f, 0.0f, 1.0f);
const Colorf Colorf::mediumorchid(186.0f / 255.0f, 85.0f / 255.0f, 211.0f / 255.0f, 1.0f);

}  // namespace platform

#pragma once
#include <cstdint>
#include <ctime>

namespace platform {

// Module set-up objects. Construct in the order core, display, GL1, sound,
// vorbis; destroy in reverse. Each is a scoped guard of an SDL subsystem.
class SetupCore {
 public:
  SetupCore();
  ~SetupCore();
  SetupCore(const SetupCore&) = delete;
  SetupCore& operator=(const SetupCore&) = delete;
};
class SetupDisplay {
 public:
  SetupDisplay();
  ~SetupDisplay();
  SetupDisplay(const SetupDisplay&) = delete;
  SetupDisplay& operator=(const SetupDisplay&) = delete;
};
// Selects the accelerated (OpenGL) renderer where the machine has one;
// software rendering otherwise.
class SetupGL1 {
 public:
  SetupGL1();
  ~SetupGL1();
  SetupGL1(const SetupGL1&) = delete;
  SetupGL1& operator=(const SetupGL1&) = delete;
};
class SetupSound {
 public:
  explicit SetupSound(bool register_resources_only = false);
  ~SetupSound();
  SetupSound(const SetupSound&) = delete;
  SetupSound& operator=(const SetupSound&) = delete;
};
class SetupVorbis {
 public:
  explicit SetupVorbis(bool register_resources_only = false);
  ~SetupVorbis();
  SetupVorbis(const SetupVorbis&) = delete;
  SetupVorbis& operator=(const SetupVorbis&) = delete;
};

// Clock, sleep and calendar time. All go through the active Seam (seam.h),
// so tests can run on a virtual clock.
struct System {
  // Milliseconds since an arbitrary start, wrapping as an unsigned 32-bit value.
  static std::uint32_t get_time();
  static void sleep(int milliseconds);
  // What time(NULL) would return; the endless generator seeds with it.
  static std::time_t calendar_time();
};

// Processes pending window messages: fires the keyboards' key-down / key-up
// signals and updates their held-key state. Never blocks longer than timeout.
struct KeepAlive {
  static void process(int timeout_ms = 0);
};

}  // namespace platform

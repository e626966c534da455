#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace platform {

// A key event as the layer delivers it: Windows virtual-key code
// (Z 90, X 88, Up 38, Down 40, ENTER 13, ESC 27, Backspace 8, A..Z 65..90),
// down or up, and the auto-repeat count (0 on the first press).
struct KeyEventRecord {
  int key = 0;
  bool down = false;
  int repeat_count = 0;
};

// The one seam between the game and the outside world's time, keys and file
// reads. The default (RealSeam) uses SDL's clock, SDL_Delay, time(NULL), the
// SDL event queue and read(2). Tests install a VirtualSeam.
class Seam {
 public:
  virtual ~Seam() = default;
  virtual std::uint32_t get_time() = 0;
  virtual void sleep(int milliseconds) = 0;
  virtual std::time_t calendar_time() = 0;
  // Appends the key events that arrived since the last call. Called by
  // KeepAlive::process, which also counts frames for scripted events.
  virtual void poll_keys(std::vector<KeyEventRecord>& out) = 0;
  // One read of an open file (`offset` bytes of it read so far): the count,
  // 0 at its end, or -1 with errno set. Every file the game reads goes
  // through here (see InputFile).
  virtual long read_file(const std::string& path, int descriptor, char* buffer, std::size_t capacity,
                         std::uint64_t offset);
};

// Installs a seam (not owned); nullptr restores the real one.
void set_seam(Seam* seam);
Seam& current_seam();

// Deterministic seam for tests: sleep advances the clock instantly, the
// calendar time is fixed, keys come from a script.
class VirtualSeam : public Seam {
 public:
  explicit VirtualSeam(std::uint32_t start_ms = 1000, std::time_t calendar = 1700000000);

  std::uint32_t get_time() override { return now_; }
  void sleep(int milliseconds) override;
  std::time_t calendar_time() override { return calendar_; }
  void poll_keys(std::vector<KeyEventRecord>& out) override;

  void set_time(std::uint32_t ms) { now_ = ms; }
  void advance(std::uint32_t ms) { now_ += ms; }
  void set_calendar_time(std::time_t t) { calendar_ = t; }

  // Scripted key events. "at_poll" counts calls of poll_keys (one per
  // KeepAlive::process, i.e. one per frame): an event scheduled at poll N is
  // delivered by the N-th call (0-based). "at_time" events are delivered by
  // the first poll whose clock reading is >= the time.
  void key_at_poll(std::uint64_t poll_index, int key, bool down, int repeat_count = 0);
  void key_at_time(std::uint32_t ms, int key, bool down, int repeat_count = 0);
  // Delivered by the next poll.
  void key_now(int key, bool down, int repeat_count = 0);

  std::uint64_t polls() const { return polls_; }
  bool script_done() const;

  // From now on a file whose path ends with `path_suffix` reads as usual up
  // to `after_bytes` bytes, and then fails with `error` (EIO: a failing disk).
  void fail_reads(const std::string& path_suffix, std::uint64_t after_bytes, int error);
  long read_file(const std::string& path, int descriptor, char* buffer, std::size_t capacity,
                 std::uint64_t offset) override;

 private:
  struct Scripted {
    bool by_poll;
    std::uint64_t when;
    KeyEventRecord event;
    std::uint64_t order;
  };
  std::uint32_t now_;
  std::time_t calendar_;
  std::uint64_t polls_ = 0;
  std::uint64_t next_order_ = 0;
  std::vector<Scripted> script_;
  struct ReadFailure {
    std::string path_suffix;
    std::uint64_t after_bytes;
    int error;
  };
  std::vector<ReadFailure> read_failures_;
};

// RAII installer for tests.
class ScopedSeam {
 public:
  explicit ScopedSeam(Seam& seam) { set_seam(&seam); }
  ~ScopedSeam() { set_seam(nullptr); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;
};

}  // namespace platform

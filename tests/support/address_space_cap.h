#pragma once
// While a cap lives, the process may map only so many bytes more than it has
// mapped already: a test of a size limit then fails with std::bad_alloc where
// the limit is missing, instead of filling the machine's memory. Relative to
// what is mapped, so it works under AddressSanitizer's large reservations too.
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

namespace test_support {

class AddressSpaceCap {
 public:
  explicit AddressSpaceCap(std::uint64_t headroom_bytes) {
    getrlimit(RLIMIT_AS, &previous_);
    std::uint64_t mapped_kb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;) {
      if (key == "VmSize:") {
        status >> mapped_kb;
        break;
      }
    }
    rlimit capped = previous_;
    capped.rlim_cur = static_cast<rlim_t>(std::min<std::uint64_t>(mapped_kb * 1024 + headroom_bytes, previous_.rlim_max));
    setrlimit(RLIMIT_AS, &capped);
  }
  ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &previous_); }
  AddressSpaceCap(const AddressSpaceCap&) = delete;
  AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;

 private:
  rlimit previous_{};
};

}  // namespace test_support

// libFuzzer target: any bytes as a data file of any of the four kinds. The
// first byte picks the kind; the rest is the file. The reader may throw its
// messages, nothing else may happen.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "datafile/data_file.h"

namespace {

// The file each input is written to; removed when the fuzzer exits.
struct ScratchFile {
  ScratchFile() {
    const int handle = mkstemp(path.data());
    if (handle < 0) std::abort();
    close(handle);
  }
  ~ScratchFile() { unlink(path.c_str()); }
  std::string path = "/tmp/morvane-fuzz-XXXXXX";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch;
  const std::string& path = scratch.path;
  if (size == 0) return 0;
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  DataFile reader;
  std::map<std::string, DataValue>* tables[] = {&reader.config_table, &reader.profile_table,
                                                 &reader.level_table, &reader.campaign_table};
  try {
    reader.read(path, tables[data[0] % 4]);
    reader.current = *tables[data[0] % 4];
    for (const auto& [keyword, slot] : reader.current) {
      if (slot.type == type_int) reader.get_int(keyword);
      if (slot.type == type_double) reader.get_double(keyword);
      if (slot.type == type_string) reader.get_string(keyword);
    }
    if (data[0] % 4 == 2) {
      reader.get_grounds();
      reader.get_items();
      reader.get_itemdefs();
    }
  } catch (const std::string&) {
  } catch (const char*) {
  }
  return 0;
}

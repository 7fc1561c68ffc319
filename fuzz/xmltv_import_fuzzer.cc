// skedtool import and validate on arbitrary bytes as an XMLTV file. The
// properties: neither ever crashes; a failed import writes nothing and any
// import leaves no temporary file; every base it writes loads back whole,
// with at most 400 programmes in start order and titles of at most 1,999
// bytes; and validate reads every document import reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/stored_base.h"
#include "fuzz/fuzz_check.h"
#include "platform/base_lock.h"
#include "tool/xmltv_commands.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    fs::path made = fs::temp_directory_path() / ("skedcomp-fuzz-xmltv-" + std::to_string(::rand()));
    // What an earlier run that was stopped left there is no import's.
    fs::remove_all(made);
    fs::create_directories(made / "out");
    return made;
  }();
  return dir;
}

void CheckBase(const std::string& name) {
  StoredBase base;
  BaseDamage damage = BaseDamage::kNone;
  FUZZ_CHECK(ReadStoredBase(name, &base, &damage) == Status::kOk);
  FUZZ_CHECK(base.count <= 400);
  std::uint64_t previous = 0;
  for (std::size_t k = 0; k < base.count; ++k) {
    StoredProgram program;
    FUZZ_CHECK(DecodeStoredProgram(base, k, &program, &damage) == Status::kOk);
    FUZZ_CHECK(program.start >= previous);
    FUZZ_CHECK(program.title.size() <= 1999);
    previous = program.start;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& dir = WorkDir();
  const std::string file = (dir / "tv.xml").string();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const int exit_code = RunImport({"--tz", "UTC", file, (dir / "out").string()});
  FUZZ_CHECK(exit_code == 0 || exit_code == 1);
  const int validated = RunValidate({"--tz", "UTC", file});
  FUZZ_CHECK(validated == 0 || validated == 1 || (validated == 2 && exit_code == 1));
  for (const auto& entry : fs::directory_iterator(dir / "out")) {
    // The folder's lock file stays, empty, whatever the import did.
    if (entry.path().filename() == kLockFileName) continue;
    FUZZ_CHECK(exit_code == 0);
    FUZZ_CHECK(entry.path().extension() == ".ndx" || entry.path().extension() == ".pdt");
    if (entry.path().extension() == ".ndx") {
      CheckBase((entry.path().parent_path() / entry.path().stem()).string());
    }
  }
  for (const auto& entry : fs::directory_iterator(dir / "out")) {
    if (entry.path().filename() != kLockFileName) fs::remove(entry.path());
  }
  return 0;
}

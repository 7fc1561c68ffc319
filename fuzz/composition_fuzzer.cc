// A whole composition in-process: the input is a composition file and up to
// three channel bases "a", "b" and "c", separated by the bytes "\xFF\xFE\xFD".
// Each base part is split into index and title file by its first two bytes,
// as in base_loading_fuzzer. The properties: a composition that succeeds
// wrote a guide that loads back with the GuideTable's records; one that fails
// left the previous guide files exactly as they were; no temporary file stays.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_tables.h"
#include "base/stored_base.h"
#include "composer/compose_guide.h"
#include "fuzz/fuzz_check.h"
#include "platform/base_lock.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

constexpr std::string_view kSeparator = "\xFF\xFE\xFD";
const char* const kOldFiles[][2] = {
    {"guide.ndx", "old index"}, {"guide.pdt", "old titles"}, {"guide.log", "old log"}};

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good());
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> Entries() {
  std::vector<std::string> names;
  DIR* dir = ::opendir(".");
  FUZZ_CHECK(dir != nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    // The lock file stays, empty, once a run has locked a base here.
    if (name != "." && name != ".." && name != kLockFileName) names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

// Runs in a scratch directory of this process's own, and goes back after, so
// that libFuzzer's own relative paths keep working.
class InScratchDirectory {
 public:
  InScratchDirectory() : previous_(::open(".", O_RDONLY | O_DIRECTORY)) {
    static const std::string scratch = [] {
      char pattern[] = "/tmp/skedcomp-fuzz-XXXXXX";
      FUZZ_CHECK(::mkdtemp(pattern) != nullptr);
      return std::string(pattern);
    }();
    FUZZ_CHECK(previous_ >= 0 && ::chdir(scratch.c_str()) == 0);
  }
  ~InScratchDirectory() {
    FUZZ_CHECK(::fchdir(previous_) == 0);
    ::close(previous_);
  }
  InScratchDirectory(const InScratchDirectory&) = delete;
  InScratchDirectory& operator=(const InScratchDirectory&) = delete;

 private:
  int previous_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const InScratchDirectory scratch;
  for (const std::string& name : Entries()) ::unlink(name.c_str());

  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (std::size_t at;
       parts.size() < 3 && (at = input.find(kSeparator)) != std::string_view::npos;) {
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + kSeparator.size());
  }
  parts.push_back(input);
  Write("guide.cfg", parts[0]);
  const char* const channels[] = {"a", "b", "c"};
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    const std::size_t split =
        part.size() < 2 ? 0
                        : std::min<std::size_t>(static_cast<unsigned char>(part[0]) |
                                                    (static_cast<unsigned char>(part[1]) << 8),
                                                part.size() - 2);
    const std::string_view body = part.size() < 2 ? part : part.substr(2);
    Write(std::string(channels[i - 1]) + ".ndx", body.substr(0, split));
    Write(std::string(channels[i - 1]) + ".pdt", body.substr(split));
  }
  for (const auto& old : kOldFiles) Write(old[0], old[1]);
  const std::vector<std::string> before = Entries();

  ComposeReport report;
  const Status status = ComposeGuide("guide", TablesInTableMemory(), &report);
  FUZZ_CHECK(report.replace.left_behind.empty());
  FUZZ_CHECK(Entries().size() == before.size());  // nothing left behind
  if (status != Status::kOk) {
    for (const auto& old : kOldFiles) FUZZ_CHECK(Read(old[0]) == old[1]);
    return 0;
  }
  FUZZ_CHECK(GuideTable.count <= kProgramTableCapacity);
  StoredBase guide;
  BaseDamage damage;
  FUZZ_CHECK(ReadStoredBase("guide", &guide, &damage) == Status::kOk);
  FUZZ_CHECK(guide.count == static_cast<std::size_t>(GuideTable.count));
  FUZZ_CHECK(Read("guide.log").rfind("Check this file for be convinced", 0) == 0);
  return 0;
}

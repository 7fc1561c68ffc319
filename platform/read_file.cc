#include "platform/read_file.h"

#include "platform/base_path.h"

ReadFileResult ReadFileInto(const std::string& path, std::size_t limit, std::string* buffer,
                            std::size_t* length, FileStamp* stamp) {
  if (!NameTheSystemAlters(path).empty()) {
    *length = 0;
    return ReadFileResult::kCantOpen;
  }
  return ReadRegularFile(path, limit, static_cast<std::size_t>(-1), buffer, length, stamp);
}

ReadFileResult ReadWholeFile(const std::string& path, std::size_t limit, std::string* contents) {
  contents->clear();
  if (!NameTheSystemAlters(path).empty()) return ReadFileResult::kCantOpen;
  std::size_t length = 0;
  // A whole page past the limit, not a byte: some /proc files refuse reads
  // of odd sizes, and only one more byte is needed to know.
  ReadFileResult result = ReadRegularFile(path, limit + 4096, limit, contents, &length, nullptr);
  if (result == ReadFileResult::kOk && length > limit) result = ReadFileResult::kTooLarge;
  contents->resize(result == ReadFileResult::kOk ? length : 0);
  return result;
}

std::string ReadFailureText(ReadFileResult result, const std::string& shown, const char* kind) {
  switch (result) {
    case ReadFileResult::kOk:
      return {};
    case ReadFileResult::kTooLarge:
      return shown + " is larger than " + TextFileLimitText() + ", the most a " + kind +
             " may hold";
    default:
      return "cannot read " + shown;
  }
}

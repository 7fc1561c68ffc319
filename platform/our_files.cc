#include "platform/our_files.h"

#include "platform/file_ops.h"

namespace {

constexpr std::string_view kRecordEnding = ".intent";
constexpr std::size_t kHashDigits = 16;

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

std::string HashText(std::uint64_t hash) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(kHashDigits, '0');
  for (std::size_t i = kHashDigits; i-- > 0; hash >>= 4) text[i] = kDigits[hash & 15];
  return text;
}

std::string OurPath(const BaseKey& key, std::string_view ending) {
  return PathInDirectory(key.directory,
                         std::string(kOurPrefix) + HashText(key.hash) + std::string(ending));
}

}  // namespace

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

BaseKey BaseKeyOf(const std::string& path) {
  BaseKey key;
  key.directory = DirectoryOf(path);
  key.name = path.substr(0, path.size() - ExtensionOf(path).size());
  key.hash = Fnv1a(NameKey(FileNameOf(key.name))) >> 2;
  return key;
}

std::string LockFilePath(const std::string& directory) {
  return PathInDirectory(directory, kLockFileName);
}

std::string RecordPath(const BaseKey& key) { return OurPath(key, kRecordEnding); }

std::string NewFilePath(const BaseKey& key, const std::string& target) {
  return OurPath(key, ExtensionOf(target) + ".new");
}

std::string OldFilePath(const BaseKey& key, const std::string& target) {
  return OurPath(key, ExtensionOf(target) + ".old");
}

std::optional<BaseKey> RecordKeyOf(const std::string& directory, std::string_view name) {
  if (name.size() != kOurPrefix.size() + kHashDigits + kRecordEnding.size() ||
      !name.starts_with(kOurPrefix) || !name.ends_with(kRecordEnding)) {
    return std::nullopt;
  }
  BaseKey key;
  key.directory = directory;
  for (const char c : name.substr(kOurPrefix.size(), kHashDigits)) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    key.hash = key.hash << 4 | static_cast<std::uint64_t>(digit);
  }
  if (key.hash >> 62 != 0) return std::nullopt;
  return key;
}

std::vector<std::string> FilesOfOurs(const std::string& target) {
  const BaseKey key = BaseKeyOf(target);
  return {NewFilePath(key, target), OldFilePath(key, target), RecordPath(key)};
}

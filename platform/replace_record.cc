#include "platform/replace_record.h"

#include <cstdint>
#include <utility>

namespace {

constexpr char kHeading[] = "skedcomp replacement\n";
constexpr char kCommit[] = "commit\n";
constexpr char kEnd[] = "end\n";
// A record of ours names three files at most.
constexpr std::size_t kRecordLimit = 64 << 10;
constexpr std::uint64_t kMostNames = kReplacedExtensions.size();

// Reads a decimal number ending in `end` from `text` at `*at`.
bool ReadNumber(std::string_view text, std::size_t* at, char end, std::uint64_t* number) {
  std::size_t digits = 0;
  *number = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && digits < 19) {
    *number = *number * 10 + static_cast<std::uint64_t>(text[*at] - '0');
    ++*at;
    ++digits;
  }
  if (digits == 0 || *at >= text.size() || text[*at] != end) return false;
  ++*at;
  return true;
}

bool ReadWord(std::string_view text, std::size_t* at, std::string_view word) {
  if (text.substr(*at, word.size()) != word) return false;
  *at += word.size();
  return true;
}

// A name a record of this base can hold: a plain file name in its folder,
// of this base, with an extension a writer of ours replaces.
bool NameOfBase(const std::string& name, const BaseKey& key) {
  const std::string path = PathInDirectory(key.directory, name);
  return !name.empty() && name.find('\0') == std::string::npos && FileNameOf(path) == name &&
         IsReplacedExtension(ExtensionOf(path)) && BaseKeyOf(path).hash == key.hash;
}

}  // namespace

std::string RecordStart(const std::vector<std::string>& names) {
  std::string text = kHeading + std::to_string(names.size()) + "\n";
  for (const std::string& name : names) {
    text += std::to_string(name.size()) + " " + name + "\n";
  }
  return text;
}

std::string RecordCommit(const std::vector<FileIdentity>& identities) {
  std::string text = kCommit;
  for (const FileIdentity& identity : identities) {
    text += std::to_string(identity.device) + " " + std::to_string(identity.file) + "\n";
  }
  return text + kEnd;
}

Record ParseRecord(std::string_view text, const BaseKey& key) {
  Record record;
  record.state = Record::kTorn;
  std::size_t at = 0;
  std::uint64_t count = 0;
  if (!ReadWord(text, &at, kHeading) || !ReadNumber(text, &at, '\n', &count) ||
      count > kMostNames) {
    return record;
  }
  std::vector<std::string> names;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t length = 0;
    if (!ReadNumber(text, &at, ' ', &length) || length > text.size() - at ||
        text.substr(at + length, 1) != "\n") {
      return record;
    }
    std::string name(text.substr(at, length));
    at += length + 1;
    if (!NameOfBase(name, key)) return record;
    names.push_back(std::move(name));
  }
  record.names = std::move(names);
  record.state = Record::kPrepared;
  if (!ReadWord(text, &at, kCommit)) return record;
  for (std::uint64_t i = 0; i < count; ++i) {
    FileIdentity identity;
    if (!ReadNumber(text, &at, ' ', &identity.device) ||
        !ReadNumber(text, &at, '\n', &identity.file)) {
      return record;
    }
    record.identities.push_back(identity);
  }
  if (ReadWord(text, &at, kEnd) && at == text.size()) record.state = Record::kCommitted;
  return record;
}

Record ReadRecord(const BaseKey& key) {
  std::string text;
  switch (Ops().read_small_file(RecordPath(key), kRecordLimit, &text)) {
    case SmallRead::kOk:
      return ParseRecord(text, key);
    case SmallRead::kMissing:
      return {};
    case SmallRead::kNotRegular:
      return {Record::kForeign, {}, {}};
    case SmallRead::kFailed:
      break;
  }
  return {Record::kUnreadable, {}, {}};
}

std::optional<FileIdentity> CommittedIdentity(const Record& record, const std::string& name) {
  if (record.state != Record::kCommitted) return std::nullopt;
  for (std::size_t i = 0; i < record.names.size(); ++i) {
    if (NameKey(record.names[i]) == NameKey(name)) return record.identities[i];
  }
  return std::nullopt;
}

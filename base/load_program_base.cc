#include "base/load_program_base.h"

#include <cstring>
#include <string>

#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "platform/base_path.h"
#include "platform/file_time.h"
#include "platform/read_file.h"

namespace {

// Nothing past these can ever be used: at most a full table of entries, and
// the longest title record at the highest offset a 16-bit field can hold.
constexpr std::size_t kIndexReadLimit = kCountSize + kEntrySize * kProgramTableCapacity;
constexpr std::size_t kTitleReadLimit = kMaxTitleOffset + kTitleLengthSize + kMaxTitleLength;

// Fills `record`'s title from the title record at `offset`; false when the
// record is damaged. An offset at or past the end of the file is an empty title.
bool ReadTitle(std::string_view titles, std::size_t offset, ProgramRecord* record) {
  record->title[0] = '\0';
  if (offset >= titles.size()) return true;
  if (titles.size() - offset < kTitleLengthSize) return false;
  const std::size_t length = DecodeLittleEndian(titles, offset, kTitleLengthSize);
  const std::size_t text = offset + kTitleLengthSize;
  if (length > static_cast<std::size_t>(kMaxTitleLength) || titles.size() - text < length) {
    return false;
  }
  // A title ends at its first zero byte.
  const void* zero = std::memchr(titles.data() + text, '\0', length);
  const std::size_t kept =
      zero != nullptr
          ? static_cast<std::size_t>(static_cast<const char*>(zero) - (titles.data() + text))
          : length;
  std::memcpy(record->title, titles.data() + text, kept);
  record->title[kept] = '\0';
  return true;
}

Status LoadEntry(std::string_view index, std::string_view titles, std::size_t k,
                 ProgramRecord* record) {
  const std::size_t entry = kCountSize + kEntrySize * k;
  SYSTEMTIME start;
  if (!FileTimeToSystemTime(
          FILETIME{DecodeLittleEndian(index, entry + kEntryStartOffset, kEntryStartSize)},
          &start)) {
    return Status::kDamagedBase;
  }
  record->hour = start.wHour;
  record->minute = start.wMinute;
  record->day = start.wDay;
  record->month = start.wMonth;
  record->year = start.wYear;
  record->weekday = start.wDayOfWeek == 0 ? 7 : start.wDayOfWeek;
  const std::size_t title_offset =
      DecodeLittleEndian(index, entry + kEntryTitleOffset, kEntryTitleOffsetSize);
  return ReadTitle(titles, title_offset, record) ? Status::kOk : Status::kDamagedBase;
}

}  // namespace

Status LoadProgramBase(std::string_view name) {
  ChannelTable.count = 0;
  std::string index;
  std::string titles;
  const ReadFileResult index_read =
      ReadFilePrefix(BaseFilePath(name, kIndexExtension), kIndexReadLimit, &index);
  const ReadFileResult titles_read =
      ReadFilePrefix(BaseFilePath(name, kTitleExtension), kTitleReadLimit, &titles);
  if (index_read == ReadFileResult::kCantOpen || titles_read == ReadFileResult::kCantOpen) {
    return Status::kCantOpenBase;
  }
  if (index_read != ReadFileResult::kOk || titles_read != ReadFileResult::kOk) {
    return Status::kReadError;
  }

  // An empty index file is an empty channel.
  if (index.empty()) return Status::kOk;
  if (index.size() < kCountSize) return Status::kDamagedBase;
  const std::size_t count = DecodeLittleEndian(index, 0, kCountSize);
  if (count > static_cast<std::size_t>(kProgramTableCapacity)) return Status::kTooManyInBase;
  if (index.size() < kCountSize + kEntrySize * count) return Status::kDamagedBase;

  for (std::size_t k = 0; k < count; ++k) {
    if (const Status status = LoadEntry(index, titles, k, &ChannelTable.records[k]);
        status != Status::kOk) {
      return status;
    }
  }
  ChannelTable.count = static_cast<std::int32_t>(count);
  return Status::kOk;
}

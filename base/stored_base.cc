#include "base/stored_base.h"

#include <cstring>

#include "base/calendar_time.h"
#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "platform/base_path.h"
#include "platform/read_file.h"
#include "platform/read_version.h"

const char* BaseDamageText(BaseDamage damage) {
  switch (damage) {
    case BaseDamage::kNone:
      return "not damaged";
    case BaseDamage::kOneByteIndex:
      return "the .ndx file holds a single byte";
    case BaseDamage::kShortIndex:
      return "the .ndx file is shorter than its count of entries says";
    case BaseDamage::kStartOutOfRange:
      return "the start time is 2^63 or more";
    case BaseDamage::kTitleLengthCut:
      return "the title's length runs past the end of the .pdt file";
    case BaseDamage::kTitleTextCut:
      return "the title runs past the end of the .pdt file";
    case BaseDamage::kTitleTooLong:
      static_assert(kMaxTitleLength == 1999, "the message states it");
      return "the title is longer than 1999 bytes";
  }
  return "damaged";
}

void SetStoredBytes(StoredBase* base, std::string_view index, std::string_view titles) {
  base->index_stamp = {};
  base->titles_stamp = {};
  base->index_stamp.size = index.size();
  base->titles_stamp.size = titles.size();
  base->index_buffer.assign(index.substr(0, kIndexReadLimit));
  base->titles_buffer.assign(titles.substr(0, kTitleReadLimit));
  base->index_length = base->index_buffer.size();
  base->titles_length = base->titles_buffer.size();
}

Status ReadStoredBase(std::string_view name, StoredBase* base, BaseDamage* damage,
                      ReadBatch* batch) {
  *damage = BaseDamage::kNone;
  base->count = 0;
  const std::string index_path = BaseFilePath(name, kIndexExtension);
  if (!NameTheSystemAlters(index_path).empty()) return Status::kUnusableName;
  // Both files as one version: no writer's replacement seen half done.
  VersionedFile files[] = {
      {index_path, kIndexReadLimit, &base->index_buffer, &base->index_length, &base->index_stamp},
      {BaseFilePath(name, kTitleExtension), kTitleReadLimit, &base->titles_buffer,
       &base->titles_length, &base->titles_stamp},
  };
  if ((batch == nullptr || !ReadIntoBatch(files, batch)) && !ReadOneVersion(files)) {
    return Status::kBaseLocked;
  }
  const ReadFileResult index_read = files[0].result;
  const ReadFileResult titles_read = files[1].result;
  // Without its index a base cannot open, whatever its title file is.
  if (index_read == ReadFileResult::kCantOpen || titles_read == ReadFileResult::kCantOpen) {
    return Status::kCantOpenBase;
  }
  if (index_read != ReadFileResult::kOk || titles_read != ReadFileResult::kOk) {
    return Status::kReadError;
  }
  return CheckStoredBase(base, damage);
}

Status CheckStoredBase(StoredBase* base, BaseDamage* damage) {
  *damage = BaseDamage::kNone;
  base->count = 0;
  // An empty index file is an empty channel.
  const std::string_view index = base->index();
  if (index.empty()) return Status::kOk;
  if (index.size() < kCountSize) return StoredDamage(BaseDamage::kOneByteIndex, damage);
  const std::size_t count = DecodeLittleEndian<kCountSize>(index, 0);
  if (count > static_cast<std::size_t>(kProgramTableCapacity)) return Status::kTooManyInBase;
  if (index.size() < kCountSize + kEntrySize * count) {
    return StoredDamage(BaseDamage::kShortIndex, damage);
  }
  base->count = count;
  return Status::kOk;
}

Status DecodeStoredProgram(const StoredBase& base, std::size_t k, StoredProgram* program,
                           BaseDamage* damage) {
  const Status status = LocateStoredProgram(base, k, program, damage);
  program->title = TitleOfStored(program->title);
  return status;
}

Status EncodeStoredBase(std::span<const StoredProgram> programs, std::string* index,
                        std::string* titles) {
  if (programs.size() > 0xFFFF) return Status::kTooManyInGuide;
  // Where each title record starts is known from the sizes alone, so a guide
  // too big is refused before a byte is made.
  std::size_t title_bytes = kTitleFileHeader.size();
  for (const StoredProgram& program : programs) {
    if (title_bytes > kMaxTitleOffset) return Status::kGuideTooBig;
    title_bytes += kTitleLengthSize + program.title.size();
  }
  index->clear();
  index->reserve(kCountSize + kEntrySize * programs.size());
  AppendLittleEndian(index, programs.size(), kCountSize);
  titles->reserve(title_bytes);
  titles->assign(kTitleFileHeader);
  for (const StoredProgram& program : programs) {
    const std::size_t title_offset = titles->size();
    AppendLittleEndian(index, 0, kEntryReservedSize);
    AppendLittleEndian(index, program.start, kEntryStartSize);
    AppendLittleEndian(index, title_offset, kEntryTitleOffsetSize);
    AppendLittleEndian(titles, program.title.size(), kTitleLengthSize);
    titles->append(program.title);
  }
  return Status::kOk;
}

std::string TitlesTooLongText() {
  static_assert(kMaxTitleOffset == 65'535, "the message states it");
  return "the titles together are too long for a base: every title must start within the "
         "first 65,535 bytes of the .pdt file";
}

// A program base as its files store it: reading and checking the raw bytes,
// decoding them entry by entry, and encoding entries back into bytes. The
// composer and skedtool both go through here, so the format has one reader
// and one writer.
#ifndef SKEDCOMP_BASE_STORED_BASE_H_
#define SKEDCOMP_BASE_STORED_BASE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/calendar_time.h"
#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "base/status.h"
#include "platform/read_batch.h"
#include "platform/read_file.h"

// One index entry with its title, as stored.
struct StoredProgram {
  std::uint64_t start = 0;  // FILETIME ticks
  std::string_view title;   // cut at its first zero byte
};

// Why a base counts as damaged.
enum class BaseDamage {
  kNone,
  kOneByteIndex,
  kShortIndex,
  kStartOutOfRange,
  kTitleLengthCut,
  kTitleTextCut,
  kTitleTooLong,
};

// A short English description, such as "the title runs past the end of the .pdt file".
const char* BaseDamageText(BaseDamage damage);

// Nothing past these can ever be used: at most a full table of entries, and
// the longest title record at the highest offset a 16-bit field can hold.
inline constexpr std::size_t kIndexReadLimit = kCountSize + kEntrySize * kProgramTableCapacity;
inline constexpr std::size_t kTitleReadLimit = kMaxTitleOffset + kTitleLengthSize + kMaxTitleLength;

struct StoredBase {
  // The leading bytes of NAME.ndx and NAME.pdt that can ever matter.
  std::string_view index() const { return {index_buffer.data(), index_length}; }
  std::string_view titles() const { return {titles_buffer.data(), titles_length}; }

  // The versions of the two files read: for bytes set otherwise, only
  // their whole sizes.
  FileStamp index_stamp;
  FileStamp titles_stamp;
  std::size_t count = 0;  // entries, at most kProgramTableCapacity

  // The storage behind index() and titles(). It only grows, so a StoredBase
  // used for one channel after another reads without allocating or clearing.
  std::string index_buffer;
  std::string titles_buffer;
  std::size_t index_length = 0;
  std::size_t titles_length = 0;
};

// Puts the bytes of two files into `base` as ReadStoredBase would read them.
void SetStoredBytes(StoredBase* base, std::string_view index, std::string_view titles);

// Reads NAME.ndx and NAME.pdt and checks the count against the capacity and
// the index file's length. Fails with kCantOpenBase, kReadError,
// kTooManyInBase, kDamagedBase (then `damage` says why), kUnusableName, or
// kBaseLocked where writers kept changing it. Reads the two files as one
// version and writes nothing. With `batch`, the files are read into it where
// they can be, to be confirmed one version later (platform/read_batch.h).
Status ReadStoredBase(std::string_view name, StoredBase* base, BaseDamage* damage,
                      ReadBatch* batch = nullptr);

// The count check of ReadStoredBase on bytes already in `base` (index and
// titles cut to the read limits): sets base->count.
Status CheckStoredBase(StoredBase* base, BaseDamage* damage);

// Decodes entry `k` (below base.count); kDamagedBase with `damage` set when
// its start or its title record is damaged. The title points into `base`.
Status DecodeStoredProgram(const StoredBase& base, std::size_t k, StoredProgram* program,
                           BaseDamage* damage);

// kDamagedBase, with `damage` set to `why`.
inline Status StoredDamage(BaseDamage why, BaseDamage* damage) {
  *damage = why;
  return Status::kDamagedBase;
}

// DecodeStoredProgram with the same checks, but the title as stored: the
// whole text of its record, not yet cut at a zero byte. Inline, and on the
// two files' bytes, as the composer checks every entry of every base with it.
inline Status LocateStoredProgram(std::string_view index, std::string_view titles, std::size_t k,
                                  StoredProgram* program, BaseDamage* damage) {
  const std::size_t entry = kCountSize + kEntrySize * k;
  program->start = DecodeLittleEndian<kEntryStartSize>(index, entry + kEntryStartOffset);
  if (program->start >= kFileTimeLimit) return StoredDamage(BaseDamage::kStartOutOfRange, damage);

  // A title offset at or past the end of the title file gives an empty title.
  const std::size_t offset =
      DecodeLittleEndian<kEntryTitleOffsetSize>(index, entry + kEntryTitleOffset);
  program->title = {};
  if (offset >= titles.size()) return Status::kOk;
  if (titles.size() - offset < kTitleLengthSize)
    return StoredDamage(BaseDamage::kTitleLengthCut, damage);
  const std::size_t length = DecodeLittleEndian<kTitleLengthSize>(titles, offset);
  if (length > static_cast<std::size_t>(kMaxTitleLength)) {
    return StoredDamage(BaseDamage::kTitleTooLong, damage);
  }
  const std::size_t text = offset + kTitleLengthSize;
  if (titles.size() - text < length) return StoredDamage(BaseDamage::kTitleTextCut, damage);
  program->title = titles.substr(text, length);
  return Status::kOk;
}

inline Status LocateStoredProgram(const StoredBase& base, std::size_t k, StoredProgram* program,
                                  BaseDamage* damage) {
  return LocateStoredProgram(base.index(), base.titles(), k, program, damage);
}

// A stored title as a programme holds it: up to its first zero byte.
inline std::string_view TitleOfStored(std::string_view stored) {
  return stored.substr(0, stored.find('\0'));
}

// Decodes every entry of `base` in order, handing each to
// `visit(k, program)`, and stops at the first damaged one: kDamagedBase, with
// `damage` and `*damaged_at` (its position) set. The loop of every command;
// the composer's load, which builds only what it keeps, checks each entry
// the same way (LocateStoredProgram).
template <typename Visit>
Status DecodeStoredPrograms(const StoredBase& base, BaseDamage* damage, std::size_t* damaged_at,
                            Visit&& visit) {
  for (std::size_t k = 0; k < base.count; ++k) {
    StoredProgram program;
    if (const Status status = DecodeStoredProgram(base, k, &program, damage);
        status != Status::kOk) {
      *damaged_at = k;
      return status;
    }
    visit(k, program);
  }
  return Status::kOk;
}

// The index and title file bytes holding `programs` in order, titles laid out
// one after another from the end of the header. kGuideTooBig when a title
// record would start past the 16-bit offset range; kTooManyInGuide when the
// count does not fit its 16 bits.
Status EncodeStoredBase(std::span<const StoredProgram> programs, std::string* index,
                        std::string* titles);

// Why a base cannot hold titles that long together (EncodeStoredBase's
// kGuideTooBig), for make and import.
std::string TitlesTooLongText();

#endif  // SKEDCOMP_BASE_STORED_BASE_H_

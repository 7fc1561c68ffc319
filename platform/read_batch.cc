#include "platform/read_batch.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/base_path.h"
#include "platform/our_files.h"
#include "platform/process.h"

namespace {

// Half of what the process may open, so that a batch never leaves the rest
// of the run without files.
std::size_t HeldFileLimit() {
  static const std::size_t limit = std::min(kMaxHeldFiles, OpenFileLimit() / 2);
  return limit;
}

void LetGo(std::vector<ReadBatch::File>& files, std::size_t from) {
  for (std::size_t i = from; i < files.size(); ++i) Ops().close_file(files[i].handle);
  files.resize(from);
}

// The files read from `directory`, by name.
using NamedFiles = std::map<std::string, std::vector<const ReadBatch::File*>, std::less<>>;

bool FolderConfirms(const std::string& directory, const NamedFiles& named, std::size_t count) {
  std::set<std::uint64_t> bases;
  for (const auto& [name, files] : named) bases.insert(BaseKeyOf(files[0]->path).hash);
  std::uint64_t device = 0;
  bool record = false;
  if (!ListFolderEntries(directory, kMaxListedEntries, &device,
                         [&](const FolderEntry& entry) {
                           const std::optional<BaseKey> key = RecordKeyOf(directory, entry.name);
                           record = record || (key.has_value() && bases.contains(key->hash));
                         }) ||
      record) {
    return false;
  }
  std::size_t found = 0;
  return ListFolderEntries(directory, kMaxListedEntries, &device,
                           [&](const FolderEntry& entry) {
                             const auto at = named.find(entry.name);
                             if (at == named.end() || !entry.plain) return;
                             for (const ReadBatch::File* file : at->second) {
                               found += file->identity.device == device &&
                                        file->identity.file == entry.file;
                             }
                           }) &&
         found == count;
}

}  // namespace

bool ReadIntoBatch(std::span<VersionedFile> files, ReadBatch* batch) {
  if (!ListingsGiveFileNumbers() || batch->files.size() + files.size() > HeldFileLimit()) {
    return false;
  }
  const std::size_t first = batch->files.size();
  for (VersionedFile& file : files) {
    FileHandle handle = kNoFile;
    // A link is refused here: it is followed, with its record where it
    // leads, by ReadOneVersion.
    file.result = ReadRegularFile(file.path, file.limit, static_cast<std::size_t>(-1), file.buffer,
                                  file.length, file.stamp, true, &handle);
    if (file.result != ReadFileResult::kOk) {
      LetGo(batch->files, first);
      return false;
    }
    batch->files.push_back({file.path, file.stamp->identity, handle});
  }
  return true;
}

bool ConfirmBatch(ReadBatch* batch) {
  std::map<std::string, NamedFiles> folders;
  for (const ReadBatch::File& file : batch->files) {
    folders[DirectoryOf(file.path)][FileNameOf(file.path)].push_back(&file);
  }
  bool confirmed = true;
  for (const auto& [directory, named] : folders) {
    std::size_t count = 0;
    for (const auto& [name, files] : named) count += files.size();
    confirmed = confirmed && FolderConfirms(directory, named, count);
  }
  LetGo(batch->files, 0);
  return confirmed;
}

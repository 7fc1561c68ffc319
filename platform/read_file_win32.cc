#include <windows.h>

#include <algorithm>

#include "platform/read_file.h"
#include "platform/wide_name_win32.h"

namespace {

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// A file's index is new with each file our writers put in place, and its
// making time with it: Windows changes no time when a file is renamed.
bool StampOf(HANDLE file, FileStamp* stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  stamp->identity = {info.dwVolumeSerialNumber,
                     (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  stamp->size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp->written = Ticks(info.ftLastWriteTime);
  stamp->changed = Ticks(info.ftCreationTime);
  return true;
}

}  // namespace

bool StampOfPath(const std::string& path, FileStamp* stamp) {
  const HANDLE file = ::CreateFileW(WideName(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = StampOf(file, stamp);
  ::CloseHandle(file);
  return known;
}

HANDLE OpenAtName(const std::string& path) {
  return ::CreateFileW(WideName(path).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

bool LinkStampOfPath(const std::string& path, FileStamp* stamp, bool* link) {
  const HANDLE file = OpenAtName(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = StampOf(file, stamp) && ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  *link = known && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return known;
}

bool RealPathOf(const std::string& path, std::string* real) {
  // Links are rare on Windows and made by administrators: a base is taken to
  // be where its name says.
  *real = path;
  return true;
}

ReadFileResult ReadRegularFile(const std::string& path, std::size_t limit, std::size_t refuse_above,
                               std::string* buffer, std::size_t* length, FileStamp* stamp,
                               bool no_follow, FileHandle* held) {
  *length = 0;
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS.
  const HANDLE file = ::CreateFileW(
      WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | (no_follow ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadFileResult::kCantOpen;
  // Devices (NUL, CON, COM1) and pipes are no files: refused before anything
  // is read, so that none can make the tool wait.
  LARGE_INTEGER size;
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return ReadFileResult::kCantOpen;
  }
  const auto whole = static_cast<std::uint64_t>(size.QuadPart);
  if (stamp != nullptr && !StampOf(file, stamp)) {
    ::CloseHandle(file);
    return ReadFileResult::kReadError;
  }
  if (whole > refuse_above) {
    ::CloseHandle(file);
    return ReadFileResult::kTooLarge;
  }
  if (whole < limit) limit = static_cast<std::size_t>(whole);
  if (buffer->size() < limit) buffer->resize(limit);
  std::size_t filled = 0;
  ReadFileResult result = ReadFileResult::kOk;
  while (filled < limit) {
    const DWORD room = static_cast<DWORD>(std::min<std::size_t>(limit - filled, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(file, buffer->data() + filled, room, &got, nullptr)) {
      result = ReadFileResult::kReadError;
      break;
    }
    if (got == 0) break;
    filled += got;
  }
  *length = filled;
  if (held != nullptr && result == ReadFileResult::kOk) {
    *held = reinterpret_cast<FileHandle>(file);
  } else {
    ::CloseHandle(file);
  }
  return result;
}

std::FILE* OpenReadStream(const std::string& path) {
  return ::_wfopen(WideName(path).c_str(), L"rb");
}

PathKind KindOfPath(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideName(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::kMissing
                                                                          : PathKind::kUnknown;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::kFolder;
  // A device name (NUL, COM1) has attributes too, but no file behind it.
  const HANDLE file = ::CreateFileW(WideName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PathKind::kUnknown;
  const bool disk = ::GetFileType(file) == FILE_TYPE_DISK;
  ::CloseHandle(file);
  return disk ? PathKind::kFile : PathKind::kDevice;
}

// Reads are confirmed base by base here: a listing's file numbers would need
// a handle of each file.
bool ListFolderEntries(const std::string&, std::size_t, std::uint64_t*,
                       const std::function<void(const FolderEntry&)>&) {
  return false;
}

bool ListingsGiveFileNumbers() { return false; }

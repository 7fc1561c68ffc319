#include <windows.h>

#include "platform/file_ops.h"
#include "platform/wide_name_win32.h"

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

bool InspectTarget(const std::string& path, ReplaceTarget* target) {
  target->path = path;
  // The access a replacement needs: a file that another program holds open
  // without sharing its deletion cannot be replaced, and is refused now,
  // before anything is written, rather than midway.
  const HANDLE file = ::CreateFileW(WideName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool is_file = ::GetFileType(file) == FILE_TYPE_DISK &&
                       ::GetFileInformationByHandle(file, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  ::CloseHandle(file);
  // A device (NUL, CON), a folder, or a file with the read-only attribute.
  if (!is_file || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
  target->exists = true;
  target->identity = {info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  return true;
}

FileOpResult CreateNewFile(const std::string& path, const ReplaceTarget&, FileHandle* file) {
  const HANDLE created = ::CreateFileW(WideName(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? FileOpResult::kNameTaken
                                                                       : FileOpResult::kFailed;
  }
  *file = reinterpret_cast<FileHandle>(created);
  return FileOpResult::kOk;
}

bool WriteToFile(FileHandle file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(Handle(file), bytes.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool CloseFile(FileHandle file) { return ::CloseHandle(Handle(file)) != 0; }

// Windows has no exchange of two names in one step: the replacement keeps
// the old file under a second name (a hard link) and renames the new one
// over it instead.
FileOpResult ExchangeFiles(const std::string&, const std::string&) {
  return FileOpResult::kUnsupported;
}

FileOpResult LinkFile(const std::string& existing, const std::string& new_name) {
  if (::CreateHardLinkW(WideName(new_name).c_str(), WideName(existing).c_str(), nullptr))
    return FileOpResult::kOk;
  switch (::GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return FileOpResult::kNameTaken;
    case ERROR_NOT_SUPPORTED:  // FAT and other file systems without links
    case ERROR_INVALID_FUNCTION:
    case ERROR_CALL_NOT_IMPLEMENTED:
      return FileOpResult::kUnsupported;
    default:
      return FileOpResult::kFailed;
  }
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::MoveFileExW(WideName(from).c_str(), WideName(to).c_str(), MOVEFILE_REPLACE_EXISTING) !=
         0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(WideName(path).c_str()) != 0; }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    // "C:name" is in the current folder of drive C.
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  }
  // The root keeps its separator: "\" or "C:\".
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string PathInDirectory(const std::string& directory, const std::string& name) {
  // A root ("\\", "C:\\") or a drive's current folder ("C:") needs no separator.
  const char last = directory.empty() ? '\\' : directory.back();
  if (last == '\\' || last == '/' || last == ':') return directory + name;
  return directory + "\\" + name;
}

std::string ProcessTag() { return std::to_string(::GetCurrentProcessId()); }

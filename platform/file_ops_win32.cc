#include <windows.h>

#include "platform/file_ops_system.h"
#include "platform/wide_name_win32.h"

// Helpers and operations alike, so that the table in file_ops.cc finds them.
namespace system_file_ops {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// A virus scanner or an indexer opens a file just written, or about to be
// replaced, for a moment without sharing its deletion; renaming, linking or
// removing it then fails until it lets go. Such a step is tried again, with
// a growing pause, for about two seconds before it counts as failed.
bool SharingViolation(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

template <typename Step>
bool Retried(Step step) {
  DWORD pause = 10;
  for (DWORD waited = 0;; waited += pause, pause = pause < 250 ? pause * 2 : pause) {
    if (step()) return true;
    const DWORD error = ::GetLastError();
    // A holder causes access denied too (a file it deletes, or one it holds
    // while another is renamed over it), so that waits as long: read-only
    // files and folders are refused before any such step is taken.
    if (!SharingViolation(error) || waited >= 2000) {
      ::SetLastError(error);
      return false;
    }
    ::Sleep(pause);
  }
}

bool IdentityOf(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  *identity = {info.dwVolumeSerialNumber,
               (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  return true;
}

// Links are rare on Windows and made by administrators: a target is taken
// to be where its name says.
bool ResolveLink(const std::string& path, std::string* resolved) {
  *resolved = path;
  return true;
}

bool InspectTarget(const std::string& path, ReplaceTarget* target) {
  target->path = path;
  // The access a replacement needs: a file that another program holds open
  // without sharing its deletion cannot be replaced. A holder for a moment
  // (a player reading a published guide, a scanner) is waited for as every
  // step waits; one that keeps it is refused now, before anything is
  // written, rather than midway.
  HANDLE file = INVALID_HANDLE_VALUE;
  Retried([&] {
    file = ::CreateFileW(WideName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
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
  const std::wstring from = WideName(existing);
  const std::wstring to = WideName(new_name);
  if (Retried([&] { return ::CreateHardLinkW(to.c_str(), from.c_str(), nullptr) != 0; })) {
    return FileOpResult::kOk;
  }
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
  const std::wstring source = WideName(from);
  const std::wstring target = WideName(to);
  return Retried([&] {
    return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  });
}

bool RemoveFile(const std::string& path) {
  const std::wstring name = WideName(path);
  return Retried([&] { return ::DeleteFileW(name.c_str()) != 0; });
}

bool IdentityOfPath(const std::string& path, FileIdentity* identity, bool* regular) {
  const HANDLE file = OpenAtName(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = IdentityOf(file, identity) && ::GetFileInformationByHandle(file, &info);
  if (known && regular != nullptr) {
    *regular =
        ::GetFileType(file) == FILE_TYPE_DISK &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  }
  ::CloseHandle(file);
  return known;
}

bool IdentityOfFile(FileHandle file, FileIdentity* identity) {
  return IdentityOf(Handle(file), identity);
}

FileOpResult OpenToAppend(const std::string& path, FileHandle* file) {
  const HANDLE opened =
      ::CreateFileW(WideName(path).c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return FileOpResult::kFailed;
  if (::GetFileType(opened) != FILE_TYPE_DISK) {
    ::CloseHandle(opened);
    return FileOpResult::kFailed;
  }
  *file = reinterpret_cast<FileHandle>(opened);
  return FileOpResult::kOk;
}

// An open file that is a file on a disk: no folder, link, device or pipe.
bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

SmallRead ReadSmallFile(const std::string& path, std::size_t limit, std::string* text) {
  text->clear();
  const HANDLE file = ::CreateFileW(
      WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SmallRead::kMissing
           : error == ERROR_ACCESS_DENIED                                 ? SmallRead::kNotRegular
                                                                          : SmallRead::kFailed;
  }
  if (!IsPlainFile(file)) {
    ::CloseHandle(file);
    return SmallRead::kNotRegular;
  }
  char chunk[4096];
  SmallRead result = SmallRead::kOk;
  while (text->size() < limit) {
    DWORD got = 0;
    if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) result = SmallRead::kFailed;
    if (got == 0) break;
    text->append(chunk, got);
  }
  ::CloseHandle(file);
  return result;
}

bool SyncFile(FileHandle file) { return ::FlushFileBuffers(Handle(file)) != 0; }

// NTFS keeps its names safe in its own journal: a folder needs no flush.
bool SyncDirectory(const std::string&) { return true; }

bool ListDirectory(const std::string& directory, std::string_view prefix,
                   std::vector<std::string>* names) {
  names->clear();
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(WideName(PathInDirectory(directory, "*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    std::string name;
    for (const wchar_t* c = found.cFileName; *c != L'\0'; ++c) {
      if (*c > 0x7F) {  // our own names are ASCII; no other is wanted
        name.clear();
        break;
      }
      name += static_cast<char>(*c);
    }
    if (!name.empty() && std::string_view(name).substr(0, prefix.size()) == prefix) {
      names->push_back(name);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return true;
}

LockFileOpen OpenLockFile(const std::string& path, FileHandle* handle) {
  // Shared every way, so that no program of ours, or another, is kept from
  // the file itself; only its locked bytes are. A scanner that holds it
  // without sharing is waited for, as for any other file.
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const std::wstring name = WideName(path);
  HANDLE file = INVALID_HANDLE_VALUE;
  Retried([&] {
    file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (file == INVALID_HANDLE_VALUE) {
    return ::GetLastError() == ERROR_ACCESS_DENIED ? LockFileOpen::kNotWritable
                                                   : LockFileOpen::kFailed;
  }
  if (!IsPlainFile(file)) {
    ::CloseHandle(file);
    return LockFileOpen::kNotRegular;
  }
  *handle = reinterpret_cast<FileHandle>(file);
  return LockFileOpen::kOk;
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return where;
}

void UnlockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED where = At(offset);
  ::UnlockFileEx(Handle(file), 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32),
                 &where);
}

LockAttempt TryLockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length,
                         bool exclusive) {
  OVERLAPPED where = At(offset);
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (::LockFileEx(Handle(file), flags, 0, static_cast<DWORD>(length),
                   static_cast<DWORD>(length >> 32), &where)) {
    return LockAttempt::kTaken;
  }
  return ::GetLastError() == ERROR_LOCK_VIOLATION ? LockAttempt::kBusy : LockAttempt::kFailed;
}

}  // namespace system_file_ops

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

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return path.substr(separator + 1);
  return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
}

std::string PathInDirectory(const std::string& directory, const std::string& name) {
  // A root ("\\", "C:\\") or a drive's current folder ("C:") needs no separator.
  const char last = directory.empty() ? '\\' : directory.back();
  if (last == '\\' || last == '/' || last == ':') return directory + name;
  return directory + "\\" + name;
}

std::string NameKey(std::string_view name) {
  // As NTFS compares names: by the upper case of each UTF-16 unit.
  std::wstring wide = WideName(std::string(name));
  if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  std::string key;
  for (const wchar_t unit : wide) {
    key += static_cast<char>(unit & 0xFF);
    key += static_cast<char>(unit >> 8);
  }
  return key;
}

// The system's own file operations, each system's in its file_ops_*.cc, put
// together into one table by file_ops.cc. For platform/file_ops alone.
#ifndef SKEDCOMP_PLATFORM_FILE_OPS_SYSTEM_H_
#define SKEDCOMP_PLATFORM_FILE_OPS_SYSTEM_H_

#include "platform/file_ops.h"

namespace system_file_ops {

bool ResolveLink(const std::string& path, std::string* resolved);
bool InspectTarget(const std::string& path, ReplaceTarget* target);
FileOpResult CreateNewFile(const std::string& path, const ReplaceTarget& like, FileHandle* file);
bool WriteToFile(FileHandle file, std::string_view bytes);
bool CloseFile(FileHandle file);
FileOpResult ExchangeFiles(const std::string& first, const std::string& second);
FileOpResult LinkFile(const std::string& existing, const std::string& new_name);
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool IdentityOfPath(const std::string& path, FileIdentity* identity, bool* regular);
bool IdentityOfFile(FileHandle file, FileIdentity* identity);
FileOpResult OpenToAppend(const std::string& path, FileHandle* file);
SmallRead ReadSmallFile(const std::string& path, std::size_t limit, std::string* text);
bool SyncFile(FileHandle file);
bool SyncDirectory(const std::string& directory);
bool ListDirectory(const std::string& directory, std::string_view prefix,
                   std::vector<std::string>* names);
LockFileOpen OpenLockFile(const std::string& path, FileHandle* file);
LockAttempt TryLockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length,
                         bool exclusive);
void UnlockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length);

}  // namespace system_file_ops

#endif  // SKEDCOMP_PLATFORM_FILE_OPS_SYSTEM_H_

#include "platform/file_ops.h"

#include "platform/file_ops_system.h"

namespace {

using namespace system_file_ops;

constexpr FileOps kSystem = {
    ResolveLink,    InspectTarget, CreateNewFile, WriteToFile, CloseFile,
    ExchangeFiles,  LinkFile,      RenameFile,    RemoveFile,  IdentityOfPath,
    IdentityOfFile, OpenToAppend,  ReadSmallFile, SyncFile,    SyncDirectory,
    ListDirectory,  OpenLockFile,  TryLockBytes,  UnlockBytes,
};

const FileOps* in_use = nullptr;

}  // namespace

const FileOps& SystemFileOps() { return kSystem; }

const FileOps& Ops() { return in_use != nullptr ? *in_use : SystemFileOps(); }

void UseFileOps(const FileOps* ops) { in_use = ops; }

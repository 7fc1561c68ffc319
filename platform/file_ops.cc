#include "platform/file_ops.h"

namespace {

const FileOps* in_use = nullptr;

}  // namespace

const FileOps& Ops() { return in_use != nullptr ? *in_use : SystemFileOps(); }

void UseFileOps(const FileOps* ops) { in_use = ops; }

// How skedtool reports: errors on standard error, prefixed with the program
// and command name.
#ifndef SKEDCOMP_TOOL_TOOL_OUTPUT_H_
#define SKEDCOMP_TOOL_TOOL_OUTPUT_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/stored_base.h"
#include "platform/file_replace.h"
#include "platform/read_file.h"
#include "platform/replace_repair.h"
#include "text/code_page.h"
#include "tool/commands.h"

// Prints "skedtool: COMMAND: MESSAGE" and a line feed on standard error.
void PrintError(std::string_view command, std::string_view message);

// Prints the usage error and a pointer to the command's help; returns 2.
int UsageError(std::string_view command, std::string_view message);

// Takes `--codepage CP` out of `args`: afterwards `*shown` converts text from
// the files (titles, names) from CP to UTF-8 for showing (kDefaultCodePage
// when none was given), or leaves it as the bytes it is for `--codepage raw`
// where `raw_allowed`. False after a usage error (`*exit_code`) when CP is
// missing or no single-byte code page.
bool TakeCodePageOption(std::string_view command, Arguments* args, DisplayCodePage* shown,
                        int* exit_code, bool raw_allowed = true);

// The command's arguments after `--codepage CP` is taken as above: exactly
// `count` operands, or a usage error saying what the command `expects`.
bool TakeCodePageAndOperands(std::string_view command, const Arguments& given, std::size_t count,
                             std::string_view expects, Arguments* operands, DisplayCodePage* shown,
                             int* exit_code);

// Takes every `--sync` out of `args`: the files written afterwards are
// flushed to the disk before they take the old ones' place.
void TakeSyncOption(Arguments* args);

// The help that tells `--codepage` of the commands that show titles and
// names; tool_output.cc checks that it states the default.
#define SKEDTOOL_CODEPAGE_HELP                                                    \
  "  --codepage CP  the code page of titles and names, shown in UTF-8: cp1252\n"  \
  "                 (the default) or another that 'skedtool --help' lists; a\n"   \
  "                 byte it leaves undefined is shown as \\xHH. --codepage raw\n" \
  "                 shows the bytes the files hold.\n"

// The help that tells `--sync`, a literal to stand in the commands' helps.
#define SKEDTOOL_SYNC_HELP                                                     \
  "  --sync         flush the new files to the disk before they replace the\n" \
  "                 old ones, so that even a power cut leaves each base old\n" \
  "                 or new (slower: several flushes a base).\n"

// Reports how replacing the files of `what` (such as "DIR/NAME" for its .ndx
// and .pdt) went: an error for a failure, then a warning for each temporary
// file left behind. True on success.
bool ReportReplacement(std::string_view command, const ReplaceReport& report,
                       const std::string& what);

#endif  // SKEDCOMP_TOOL_TOOL_OUTPUT_H_

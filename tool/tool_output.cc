#include "tool/tool_output.h"

#include <algorithm>

#include <cstdio>
#include <string>

#include "base/program_base_format.h"
#include "composition/composition_file.h"
#include "text/ascii.h"
#include "text/code_page.h"

static_assert(Mentions(SKEDTOOL_CODEPAGE_HELP, kDefaultCodePage) &&
                  Mentions(SKEDTOOL_CODEPAGE_HELP, kRawBytes),
              "the help states the default and the name for bytes as they are");

void PrintError(std::string_view command, std::string_view message) {
  std::fprintf(stderr, "skedtool: %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
               static_cast<int>(message.size()), message.data());
}

int UsageError(std::string_view command, std::string_view message) {
  PrintError(command, message);
  std::fprintf(stderr, "Try 'skedtool %.*s --help'.\n", static_cast<int>(command.size()),
               command.data());
  return 2;
}

bool ReportReplacement(std::string_view command, const ReplaceReport& report,
                       const std::string& what) {
  if (report.result != ReplaceResult::kOk) {
    PrintError(command, what + ": " + ReplaceFailureText(report));
  }
  for (const std::string& path : report.left_behind) {
    PrintError(command, "warning: " + LeftBehindText(path));
  }
  return report.result == ReplaceResult::kOk;
}

void TakeSyncOption(Arguments* args) {
  const auto sync = std::remove(args->begin(), args->end(), "--sync");
  if (sync == args->end()) return;
  args->erase(sync, args->end());
  SetDurableReplacement(true);
}

bool TakeCodePageOption(std::string_view command, Arguments* args, DisplayCodePage* shown,
                        int* exit_code, bool raw_allowed) {
  for (std::size_t i = 0; i < args->size(); ++i) {
    if ((*args)[i] != "--codepage") continue;
    if (i + 1 == args->size()) {
      *exit_code = UsageError(command, "--codepage needs a value");
      return false;
    }
    shown->code_page = (*args)[i + 1];
    args->erase(args->begin() + static_cast<std::ptrdiff_t>(i),
                args->begin() + static_cast<std::ptrdiff_t>(i) + 2);
    if (EqualIgnoringAsciiCase(shown->code_page, kRawBytes)) {
      if (raw_allowed) {
        shown->code_page.clear();
        return true;
      }
      *exit_code = UsageError(command, "writes text, so titles need a code page; --codepage " +
                                           std::string(kRawBytes) + " is for dump, diff, week, " +
                                           "check and make");
      return false;
    }
    if (const std::string problem = CodePageProblem(shown->code_page); !problem.empty()) {
      *exit_code = UsageError(command, problem);
      return false;
    }
    return true;
  }
  return true;
}

bool TakeCodePageAndOperands(std::string_view command, const Arguments& given, std::size_t count,
                             std::string_view expects, Arguments* operands, DisplayCodePage* shown,
                             int* exit_code) {
  *operands = given;
  if (!TakeCodePageOption(command, operands, shown, exit_code)) return false;
  if (operands->size() == count) return true;
  *exit_code = UsageError(command, expects);
  return false;
}

// skedtool review: a composed guide, or program bases, as an HTML page.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "report/review.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "tool/commands.h"
#include "tool/review_page.h"
#include "tool/tool_output.h"

constexpr char kReviewHelp[] =
    "Usage: skedtool review [--codepage CP] NAME > NAME.html\n"
    "       skedtool review [--codepage CP] --bases BASE... > bases.html\n"
    "\n"
    "Prints one HTML page (UTF-8, nothing loaded from anywhere, no script) to\n"
    "look at a guide before it is put to use. With NAME it composes NAME.cfg as\n"
    "skedcomp would, writing nothing, and shows where each programme came from:\n"
    "its channel, its start there, the shift, and the range that took it; it\n"
    "says whether NAME.ndx and NAME.pdt on disk hold that guide, and lists what\n"
    "skedtool check finds. With --bases it shows what the bases hold, a colour\n"
    "and a lane each. A page of bases weighs at most 48 MiB: bases that would\n"
    "make a heavier one (many, or far apart in time) are refused before it is\n"
    "made.\n"
    "\n"
    "A week grid shows each date as a 24-hour line, each programme a block from\n"
    "its start to the next start; a listing follows. Marked: a programme its\n"
    "shift moved onto another date, one taken twice, two starting the same\n"
    "minute, a title cut or holding '?' where the code page lacked a character,\n"
    "and more than three hours with no programme starting.\n"
    "\n"
    "  --codepage CP  the code page of titles and names (default cp1252).\n";

static_assert(kMaxPageBytes == std::size_t{48} << 20, "kReviewHelp states the bound");
static_assert(Mentions(kReviewHelp, kDefaultCodePage), "kReviewHelp states the default");

int RunReview(const Arguments& given) {
  Arguments args = given;
  DisplayCodePage shown;
  int exit_code = 0;
  if (!TakeCodePageOption("review", &args, &shown, &exit_code, false)) return exit_code;
  ReviewPage page;
  std::string error;
  if (!args.empty() && args[0] == "--bases") {
    if (args.size() < 2) return UsageError("review", "--bases expects at least one BASE");
    if (!ReviewBases({args.begin() + 1, args.end()}, shown, &page, &error)) {
      PrintError("review", error);
      return 1;
    }
  } else {
    if (args.size() != 1) return UsageError("review", "expects one NAME, or --bases BASE...");
    const auto tables = std::make_unique<ProgramTables>();
    if (!ReviewComposition(args[0], *tables, shown, &page, &error)) {
      PrintError("review", error);
      return 1;
    }
  }
  const std::string html = RenderReviewPage(page);
  std::fwrite(html.data(), 1, html.size(), stdout);
  return 0;
}

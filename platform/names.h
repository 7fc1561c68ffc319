// How file names are written inside the programs. Windows hands a program its
// command line in UTF-16: skedcomp takes names as bytes of the ANSI code page,
// as the old tool did and stored composition files rely on, and skedtool as
// UTF-8, as on Linux, so that channel ids, zones and file names outside the
// ANSI page reach it whole. Elsewhere a name is the bytes it is.
#ifndef SKEDCOMP_PLATFORM_NAMES_H_
#define SKEDCOMP_PLATFORM_NAMES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class NameEncoding { kAnsi, kUtf8 };

// Set once, first thing; kAnsi until then. Every file function of platform/
// then reads names so (on Windows a name that is no UTF-8 is read in the
// ANSI page all the same).
void UseNameEncoding(NameEncoding encoding);

// The arguments after the program's name, in the encoding in use.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A name from a composition file, bytes of the ANSI code page on Windows, in
// the encoding in use.
std::string NameFromComposition(std::string_view name);

// Text of a composition file saved as UTF-16 as the programs read names:
// the ANSI page on Windows (as its profile functions read such a file; a
// character the page lacks becomes '?'), nothing elsewhere, where names are
// UTF-8 bytes and the caller writes it so.
std::optional<std::string> AnsiText(std::u16string_view text);

#endif  // SKEDCOMP_PLATFORM_NAMES_H_

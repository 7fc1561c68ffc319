// Where a composition file is found: a guide NAME is composed as NAME.cfg in
// the current directory says.
#ifndef SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_
#define SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_

#include <string>
#include <string_view>

inline constexpr std::string_view kCompositionExtension = ".cfg";

// ".\NAME.cfg" on Windows, "./NAME.cfg" elsewhere (with "\" read as "/").
std::string CompositionFilePath(std::string_view name);

// For a name given with one of the extensions the programs add themselves
// (.cfg, .ndx, .pdt, .log, in any letter case) where a name without one is
// meant, and that therefore named no file: " (did you mean 'RUN STEM'? names
// go without .EXT)", RUN being how the user ran it ("skedtool dump").
// Empty for any other name.
std::string ExtensionHint(std::string_view run, std::string_view name);

#endif  // SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_

// Where a composition file is found: a guide NAME is composed as NAME.cfg in
// the current directory says.
#ifndef SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_
#define SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_

#include <string>
#include <string_view>

// ".\NAME.cfg" on Windows, "./NAME.cfg" elsewhere (with "\" read as "/").
std::string CompositionFilePath(std::string_view name);

#endif  // SKEDCOMP_COMPOSITION_COMPOSITION_FILE_H_

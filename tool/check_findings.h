// What `skedtool check NAME` finds, for other commands to show.
#ifndef SKEDCOMP_TOOL_CHECK_FINDINGS_H_
#define SKEDCOMP_TOOL_CHECK_FINDINGS_H_

#include <string>
#include <vector>

#include "tool/tool_output.h"

// Each error and warning check reports on NAME.cfg, one line with the section
// it concerns ("[bases\one] warning: ..."), and its verdict ("skedcomp would
// write the guide."). Prints nothing; uses the program tables.
std::vector<std::string> CheckFindings(const std::string& name, const ShownText& shown,
                                       std::string* verdict);

#endif  // SKEDCOMP_TOOL_CHECK_FINDINGS_H_

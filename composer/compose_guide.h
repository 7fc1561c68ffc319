// One composition: the guide of one command-line name.
#ifndef SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_
#define SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "platform/file_replace.h"

// Reads ./NAME.cfg, loads and selects every channel it lists in file order,
// then writes the guide NAME.ndx, NAME.pdt and NAME.log. Every channel is read
// before any output file is touched, so a name may list itself as a channel.
// `report` gets how replacing the guide's files went, when it was tried.
Status ComposeGuide(std::string_view name, ReplaceReport* report);

#endif  // SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_

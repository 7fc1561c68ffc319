// One composition: the guide of one command-line name.
#ifndef SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_
#define SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

// Reads ./NAME.cfg, loads and selects every channel it lists in file order,
// then writes the guide NAME.ndx, NAME.pdt and NAME.log. Every channel is read
// before any output file is touched, so a name may list itself as a channel.
// `left_behind` gets the temporary files the writing could not remove.
Status ComposeGuide(std::string_view name, std::vector<std::string>* left_behind);

#endif  // SKEDCOMP_COMPOSER_COMPOSE_GUIDE_H_

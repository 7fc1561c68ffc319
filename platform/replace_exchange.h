// The exchange: one new file put in its target's place so that, until the
// whole replacement is in, the old file stays reachable under a name of ours
// and can be put back. Where the system exchanges two names in one step, the
// new file's name then holds the old file; elsewhere the old file is first
// given a second name (a hard link, or where there are none it is renamed
// away) and the new file renamed over the target.
#ifndef SKEDCOMP_PLATFORM_REPLACE_EXCHANGE_H_
#define SKEDCOMP_PLATFORM_REPLACE_EXCHANGE_H_

#include <string>
#include <vector>

// Where one file of a replacement stands.
struct Exchange {
  std::string target;  // the file's real path
  bool target_exists = false;
  std::string temporary;      // the new file, until it is swapped in
  bool swapped = false;       // the target now holds the new file
  std::string old_copy;       // where the old file is kept meanwhile; "" when there is none
  bool renamed_away = false;  // the old file left the target's name for old_copy
};

// Puts the new file in the target's place; `old_name` is where the old file
// goes where there is no exchange. False when it could not: the target then
// holds the old file again, or (renamed away, and not back) it is at
// `old_copy`. A file of ours that could not be removed is added to `left`
// while `left` has room.
bool SwapIn(const std::string& old_name, Exchange* file, std::vector<std::string>* left);

// Undoes one file: a new file not swapped in is removed, a swapped one is
// replaced by its old file again. False when the old file is not back.
bool SwapBack(Exchange* file, std::vector<std::string>* left);

// Removes a file of ours; one that stays is added to `left` while `left` has
// room (reserved before the first file was made, so naming it never needs
// memory).
void RemoveOurs(const std::string& path, std::vector<std::string>* left);

#endif  // SKEDCOMP_PLATFORM_REPLACE_EXCHANGE_H_

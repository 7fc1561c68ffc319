// Reading an XMLTV document as a stream of programmes, for import and for the
// feed check alike: every refusal of a document that is not XMLTV or could
// take unbounded time or memory, and each programme of the wanted channels
// handed on as its element ends, with no more of it kept than a base holds.
#ifndef SKEDCOMP_XMLTV_SCAN_XMLTV_H_
#define SKEDCOMP_XMLTV_SCAN_XMLTV_H_

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A channel id becomes a file name, which most file systems keep under 256
// bytes with its extension.
inline constexpr std::size_t kMaxChannelIdLength = 250;
static_assert(kMaxChannelIdLength + sizeof ".ndx" <= 256);

// The parser checks an element's attributes against each other, which takes
// time growing with the square of their number; no XMLTV element has more
// than a handful. The bytes are watched as they are read, so that an element
// with a great many is refused before the parser meets it.
inline constexpr int kMaxAttributes = 64;

// Which document, and which of its programmes.
struct XmltvScope {
  std::string shown_file;             // the file as messages name it
  std::string lang;                   // the title in this language, when there is one
  std::vector<std::string> channels;  // only these, when any
};

// A programme as its element ends. The views last until the next one.
struct ScannedProgramme {
  std::string_view channel;  // never empty
  std::string_view start;    // the attributes as written
  std::string_view stop;
  bool has_stop = false;
  int line = 0;                        // where its element starts
  const std::string* title = nullptr;  // UTF-8, the one --lang chose; null when none
  bool title_cut = false;              // ... cut to the longest a base holds
};

// What the document held beside the programmes handed on.
struct ScanTally {
  std::vector<bool> named_held;  // for each of scope.channels: whether the file holds it
  long without_channel = 0;      // programmes with no channel= (or an empty one)
};

// "channel ID: not in FILE (...)" for the first channel the scope names that
// the document does not hold, or "".
std::string MissingChannelText(const XmltvScope& scope, const ScanTally& tally);

// Each wanted programme; a message stops the reading, given as the failure
// at the programme's line.
using ProgrammeSink = std::function<std::string(const ScannedProgramme&)>;

// Reads the whole document from `file`; false with the reason, the file and
// line named, on the first failure. Nothing beyond `file` is ever loaded.
bool ScanXmltv(std::FILE* file, const XmltvScope& scope, const ProgrammeSink& sink,
               ScanTally* tally, std::string* error);

#endif  // SKEDCOMP_XMLTV_SCAN_XMLTV_H_

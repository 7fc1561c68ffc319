// make_workload KIND DIR: writes a deterministic benchmark workload into DIR:
// channel bases, composition files, `names` (the command line's names, one
// a line) and `reads` (the files the composer reads, in its order).
//   channels  one name over 200 channels of 400 programmes, ~2 kept per channel
//   names     300 names, each over 8 channels of 400 programmes, 50 kept each
//   titles    one name keeping 400 programmes with titles of 1,999 bytes, from
//             bases whose programmes share one title record, as no writer
//             lays them out (hostile input; the guide cannot be written: its
//             titles pass the 16-bit offsets)
//   widest    one name keeping 400 programmes with the longest titles a guide
//             can still hold (161 bytes)
//   sized RECORDS SECTIONS NAMES TITLE
//             NAMES names of SECTIONS sections each, over 100 channels of
//             RECORDS programmes with titles of TITLE bytes (0: 10 to 80);
//             the first 100 sections of a name keep Monday 20:00-20:50,
//             the others nothing
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/calendar_time.h"
#include "base/stored_base.h"

namespace {

constexpr int kPerChannel = 400;
constexpr std::uint64_t kMinute = 60 * kTicksPerSecond;

const char* const kWords[] = {"News",    "Weather",  "Film",    "Night",   "City",  "Harbour",
                              "Live",    "Football", "Garden",  "Crime",   "Scene", "Quiz",
                              "Concert", "Story",    "Cartoon", "Journal", "River", "Europe"};

std::uint32_t next_random = 12345;
std::uint32_t Random() {
  next_random = next_random * 1103515245u + 12345u;
  return next_random >> 8;
}

// A title of 10 to 80 bytes from the word list.
std::string RealisticTitle() {
  const std::size_t length = 10 + Random() % 71;
  std::string title;
  while (title.size() < length) {
    if (!title.empty()) title += ' ';
    title += kWords[Random() % std::size(kWords)];
  }
  title.resize(length);
  return title;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::fprintf(stderr, "make_workload: cannot write %s\n", path.c_str());
}

// 400 programmes, one every 25 minutes from Monday 7 December 2026, 0:00.
// With a shared title the whole base points at one title record.
int records_per_channel = kPerChannel;

void WriteChannel(const std::string& path, const std::string& shared_title,
                  std::size_t title_length) {
  const int per_channel = records_per_channel;
  StoredTime monday;
  StoredTimeOfCalendar(MakeCalendarTime(2026, 12, 7), &monday);
  std::vector<std::string> titles;
  std::vector<StoredProgram> programs;
  titles.reserve(per_channel);
  for (int k = 0; k < per_channel; ++k) {
    std::string title =
        title_length > 0 ? std::string(title_length, 'a' + k % 26) : RealisticTitle();
    titles.push_back(shared_title.empty() ? std::move(title) : shared_title);
  }
  for (int k = 0; k < per_channel; ++k) {
    programs.push_back({monday.ticks + static_cast<std::uint64_t>(k) * 25 * kMinute, titles[k]});
  }
  // With a shared title every entry points at the one record at offset 26,
  // which the encoder cannot lay out: encode without titles, then point.
  if (!shared_title.empty()) {
    for (StoredProgram& program : programs) program.title = {};
  }
  std::string index;
  std::string title_file;
  EncodeStoredBase(programs, &index, &title_file);
  if (!shared_title.empty()) {
    title_file.resize(kTitleFileHeader.size());
    title_file += static_cast<char>(shared_title.size() & 0xFF);
    title_file += static_cast<char>(shared_title.size() >> 8);
    title_file += shared_title;
    for (int k = 0; k < per_channel; ++k) {
      index[kCountSize + kEntrySize * k + kEntryTitleOffset] =
          static_cast<char>(kTitleFileHeader.size());
      index[kCountSize + kEntrySize * k + kEntryTitleOffset + 1] = 0;
    }
  }
  WriteFile(path + ".ndx", index);
  WriteFile(path + ".pdt", title_file);
}

std::string ChannelName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "ch%03d", i);
  return name;
}

// A section keeping `range` on Monday and nothing on the other days; with
// no range, a section without keys, which keeps the whole week.
std::string Section(const std::string& channel, const std::string& range) {
  if (range.empty()) return "[" + channel + "]\n";
  return "[" + channel + "]\nrange1=" + range +
         "\nrange2=\nrange3=\nrange4=\nrange5=\nrange6=\nrange7=\n";
}

struct Composition {
  std::string name;
  std::vector<std::string> channels;
  std::vector<std::string> ranges;
};

void WriteCompositions(const std::string& dir, const std::vector<Composition>& compositions) {
  std::string names;
  std::string reads;
  for (const Composition& composition : compositions) {
    std::string cfg;
    reads += dir + "/" + composition.name + ".cfg\n";
    for (std::size_t j = 0; j < composition.channels.size(); ++j) {
      cfg += Section(composition.channels[j], composition.ranges[j]);
      reads += dir + "/" + composition.channels[j] + ".ndx\n";
      reads += dir + "/" + composition.channels[j] + ".pdt\n";
    }
    WriteFile(dir + "/" + composition.name + ".cfg", cfg);
    names += composition.name + "\n";
  }
  WriteFile(dir + "/names", names);
  WriteFile(dir + "/reads", reads);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "sized" ? argc != 7 : argc != 3) {
    std::fprintf(stderr,
                 "Usage: make_workload channels|names|titles|widest DIR\n"
                 "       make_workload sized DIR RECORDS SECTIONS NAMES TITLE\n");
    return 2;
  }
  const std::string kind = argv[1];
  const std::string dir = argv[2];
  std::vector<Composition> compositions;
  if (kind == "channels") {
    Composition guide{"guide", {}, {}};
    for (int i = 0; i < 200; ++i) {
      WriteChannel(dir + "/" + ChannelName(i), "", 0);
      guide.channels.push_back(ChannelName(i));
      guide.ranges.push_back("20:00-20:50");  // 20:00 and 20:25
    }
    compositions.push_back(guide);
  } else if (kind == "names") {
    for (int i = 0; i < 100; ++i) WriteChannel(dir + "/" + ChannelName(i), "", 0);
    for (int n = 0; n < 300; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "name%03d", n);
      Composition composition{name, {}, {}};
      for (int j = 0; j < 8; ++j) {
        composition.channels.push_back(ChannelName((n * 8 + j) % 100));
        composition.ranges.push_back(j < 6 ? "20:00-22:30" : "20:00-22:55");  // 6 or 7
      }
      compositions.push_back(composition);
    }
  } else if (kind == "sized") {
    records_per_channel = std::atoi(argv[3]);
    const int sections = std::atoi(argv[4]);
    const int names = std::atoi(argv[5]);
    const auto title = static_cast<std::size_t>(std::atoi(argv[6]));
    for (int i = 0; i < 100; ++i) WriteChannel(dir + "/" + ChannelName(i), "", title);
    for (int n = 0; n < names; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "name%03d", n);
      Composition composition{name, {}, {}};
      for (int j = 0; j < sections; ++j) {
        composition.channels.push_back(ChannelName((n + j) % 100));
        composition.ranges.push_back(j < 100 ? "20:00-20:50" : "0:00-0:00");
      }
      compositions.push_back(composition);
    }
  } else if (kind == "titles") {
    Composition guide{"guide", {}, {}};
    for (int i = 0; i < 8; ++i) {
      WriteChannel(dir + "/" + ChannelName(i), std::string(1999, static_cast<char>('A' + i)), 0);
      guide.channels.push_back(ChannelName(i));
      guide.ranges.push_back("0:00-20:50");  // 50 of each
    }
    compositions.push_back(guide);
  } else if (kind == "widest") {
    WriteChannel(dir + "/" + ChannelName(0), "", 161);
    compositions.push_back(Composition{"guide", {ChannelName(0)}, {""}});
  } else {
    std::fprintf(stderr, "make_workload: unknown kind '%s'\n", kind.c_str());
    return 2;
  }
  WriteCompositions(dir, compositions);
  return 0;
}

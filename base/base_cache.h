// Bases read once a run: a base that several sections name, or several
// compositions of one command line, is read from its files once while they
// stay the same.
#ifndef SKEDCOMP_BASE_BASE_CACHE_H_
#define SKEDCOMP_BASE_BASE_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/status.h"
#include "base/stored_base.h"

// What the cache may hold at once beside the base read last: the bases of
// a composition of ordinary size, and little beside the two tables; and how
// many names it remembers having read, to know a base named again.
inline constexpr std::size_t kBaseCacheBytes = std::size_t{3} << 20;
inline constexpr std::size_t kBaseCacheEntries = 256;
inline constexpr std::size_t kBaseCacheNames = 4096;

struct BaseCache {
  struct Entry {
    std::string name;  // as the sections name it
    StoredBase base;
    std::uint64_t composition = 0;  // the last composition that used it
    std::uint64_t used = 0;         // when it was last used, for letting the oldest go
  };
  // The base read last, whose storage the next read of a base not named
  // before fills without allocating: a run whose bases all differ costs no
  // memory more than one.
  Entry last;
  // Bases named again after others were read: kept, the least recently used
  // let go first.
  std::vector<Entry> kept;
  std::unordered_set<std::string> named;  // the names read so far
  std::uint64_t composition = 1;
  std::uint64_t clock = 0;
  // The bases this composition read, to be confirmed one version each
  // before what it selects is used; off while a composition is read again.
  ReadBatch batch;
  bool batching = true;
};

// A new composition begins: bases read before are used again only where
// both their files still have the stamp they had when read. Its bases are
// read into a batch, where they can be, until ConfirmComposition.
void StartComposition(BaseCache* cache);

// The base `name` as ReadStoredBase reads it. Within one composition a base
// is read once, with the reader's lock, and stands for its files for every
// further section that names it, as if all had been read at once; in a
// later composition it is read again unless both files have kept their
// stamps. `*base` stays valid until the next call.
Status ReadCachedBase(BaseCache* cache, std::string_view name, const StoredBase** base);

// Whether every base this composition read was one version as it was read
// (platform/read_batch.h). When not, the bases it read are forgotten and
// read base by base until the next composition starts: the caller selects
// the composition again.
bool ConfirmComposition(BaseCache* cache);

// The composition names the base `name` more than once: its first read is
// kept, where there is room, so that it is read once.
void ExpectBaseAgain(BaseCache* cache, std::string_view name);

// This run has written the base `name`: what was read of it, under any name
// for the same file, is read again. (A file made in the same tick of the
// clock as the last one, of the same size, may reuse its number.)
void ForgetBase(BaseCache* cache, std::string_view name);

#endif  // SKEDCOMP_BASE_BASE_CACHE_H_

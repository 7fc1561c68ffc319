#include "base/base_cache.h"

#include <algorithm>

#include "platform/base_path.h"
#include "platform/file_ops.h"
#include "platform/read_file.h"

namespace {

std::size_t BytesOf(const BaseCache::Entry& entry) {
  return sizeof entry + entry.name.capacity() + entry.base.index_buffer.capacity() +
         entry.base.titles_buffer.capacity();
}

bool Unchanged(const StoredBase& base, std::string_view name) {
  FileStamp index;
  FileStamp titles;
  return StampOfPath(BaseFilePath(name, kIndexExtension), &index) && index == base.index_stamp &&
         StampOfPath(BaseFilePath(name, kTitleExtension), &titles) && titles == base.titles_stamp;
}

// Whether `entry` holds `name` as its files are now, as far as this
// composition must know.
bool Usable(const BaseCache& cache, BaseCache::Entry& entry, std::string_view name) {
  if (entry.name != name) return false;
  if (entry.composition != cache.composition && !Unchanged(entry.base, name)) {
    entry.name.clear();
    return false;
  }
  entry.composition = cache.composition;
  entry.used = cache.clock;
  return true;
}

// Whether `entry` fits beside the kept bases, once those unused since the
// composition before the last are let go, the least recently used first.
// Those in use stay: where a run goes round more bases than fit, a part of
// them is then read once, rather than all of them each time.
bool MakeRoom(BaseCache* cache, const BaseCache::Entry& entry) {
  for (;;) {
    std::size_t bytes = BytesOf(entry);
    for (const BaseCache::Entry& kept : cache->kept) bytes += BytesOf(kept);
    if (bytes <= kBaseCacheBytes && cache->kept.size() < kBaseCacheEntries) return true;
    const auto oldest = std::min_element(
        cache->kept.begin(), cache->kept.end(),
        [](const BaseCache::Entry& a, const BaseCache::Entry& b) { return a.used < b.used; });
    if (oldest == cache->kept.end() || oldest->composition + 1 >= cache->composition) return false;
    cache->kept.erase(oldest);
  }
}

}  // namespace

void StartComposition(BaseCache* cache) {
  ++cache->composition;
  cache->batching = true;
}

bool ConfirmComposition(BaseCache* cache) {
  if (ConfirmBatch(&cache->batch)) return true;
  const auto read_now = [cache](BaseCache::Entry& entry) {
    if (entry.composition == cache->composition) entry.name.clear();
  };
  read_now(cache->last);
  for (BaseCache::Entry& kept : cache->kept) read_now(kept);
  cache->batching = false;
  return false;
}

namespace {

void RememberName(BaseCache* cache, std::string_view name) {
  if (cache->named.size() >= kBaseCacheNames) cache->named.clear();
  cache->named.emplace(name);
}

}  // namespace

void ExpectBaseAgain(BaseCache* cache, std::string_view name) { RememberName(cache, name); }

Status ReadCachedBase(BaseCache* cache, std::string_view name, const StoredBase** base) {
  ++cache->clock;
  if (Usable(*cache, cache->last, name)) {
    *base = &cache->last.base;
    return Status::kOk;
  }
  for (BaseCache::Entry& kept : cache->kept) {
    if (Usable(*cache, kept, name)) {
      *base = &kept.base;
      return Status::kOk;
    }
  }
  std::erase_if(cache->kept, [](const BaseCache::Entry& entry) { return entry.name.empty(); });
  // A base named before, read again, is kept; one named the first time only
  // takes the place of the last.
  const bool again = cache->named.contains(std::string(name));
  if (!again) RememberName(cache, name);
  BaseCache::Entry fresh;
  BaseCache::Entry& entry = again ? fresh : cache->last;
  entry.name.clear();
  BaseDamage damage;
  if (const Status status =
          ReadStoredBase(name, &entry.base, &damage, cache->batching ? &cache->batch : nullptr);
      status != Status::kOk) {
    return status;
  }
  entry.name = name;
  entry.composition = cache->composition;
  entry.used = cache->clock;
  if (again && MakeRoom(cache, entry)) {
    cache->kept.push_back(std::move(entry));
    *base = &cache->kept.back().base;
    return Status::kOk;
  }
  // Not kept: it stands as the last base read.
  if (again) cache->last = std::move(entry);
  *base = &cache->last.base;
  return Status::kOk;
}

void ForgetBase(BaseCache* cache, std::string_view name) {
  const std::string written = NameKey(FileNameOf(std::string(name)));
  const auto same = [&written](const BaseCache::Entry& entry) {
    return !entry.name.empty() && NameKey(FileNameOf(entry.name)) == written;
  };
  if (same(cache->last)) cache->last.name.clear();
  std::erase_if(cache->kept, same);
}

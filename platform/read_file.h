// Reading input files (composition files and channel bases) in one go.
#ifndef SKEDCOMP_PLATFORM_READ_FILE_H_
#define SKEDCOMP_PLATFORM_READ_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

enum class ReadFileResult { kOk, kCantOpen, kReadError };

// Reads up to `limit` bytes from the start of the regular file at `path` into
// `contents`. Anything that is not a regular file (a directory, a FIFO, a
// device) is refused as kCantOpen without blocking, and so is a path holding a
// zero byte, which the OS would silently cut short. `file_size`, when given,
// receives the whole file's size.
ReadFileResult ReadFilePrefix(const std::string& path, std::size_t limit, std::string* contents,
                              std::uint64_t* file_size = nullptr);

// The same into `buffer`, which only ever grows: its first `*length` bytes
// are the file's. A buffer used again reads without allocating or clearing.
ReadFileResult ReadFileInto(const std::string& path, std::size_t limit, std::string* buffer,
                            std::size_t* length, std::uint64_t* file_size = nullptr);

#endif  // SKEDCOMP_PLATFORM_READ_FILE_H_

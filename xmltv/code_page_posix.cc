// The conversions through iconv, which names pages as we do, but for bare
// numbers.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "xmltv/code_page.h"

namespace {

// A code page number is CPnnnn to iconv.
std::string IconvName(const std::string& page) {
  const bool number = !page.empty() && std::all_of(page.begin(), page.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  return number ? "CP" + page : page;
}

// One conversion, opened and closed with its object.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(::iconv_open(IconvName(to).c_str(), IconvName(from).c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`; at a character it cannot convert it appends
  // `stand_in` instead, skips `skip(in)` bytes and counts one.
  std::string Convert(std::string_view in, std::string_view stand_in,
                      std::size_t (*skip)(std::string_view), int* replaced) {
    std::string out;
    char buffer[4096];
    char* input = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* output = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t result = ::iconv(handle_, &input, &left, &output, &room);
      out.append(buffer, static_cast<std::size_t>(output - buffer));
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ: no such character there; EINVAL: a character cut short at the end.
      out += stand_in;
      if (replaced != nullptr) ++*replaced;
      const std::size_t skipped = std::min(left, skip({input, left}));
      input += skipped;
      left -= skipped;
      ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t handle_;
};

std::size_t OneByte(std::string_view) { return 1; }

}  // namespace

bool CodePageKnown(const std::string& page) {
  return !page.empty() && Converter(page, "UTF-8").ok() && Converter("UTF-8", page).ok();
}

bool CodePageIsSingleByte(const std::string& page) {
  // Four characters from four scripts; one the page lacks still counts one '?'.
  const std::string_view sample = "A\xC3\xA9\xE2\x82\xAC\xD0\x96";  // A é € Ж
  return FromUtf8(page, sample, nullptr).size() == 4;
}

std::string FromUtf8(const std::string& page, std::string_view utf8, int* replaced) {
  Converter converter(page, "UTF-8");
  return converter.ok() ? converter.Convert(utf8, "?", Utf8Length, replaced) : std::string();
}

std::string ToUtf8(const std::string& page, std::string_view bytes) {
  Converter converter("UTF-8", page);
  return converter.ok() ? converter.Convert(bytes, "\xEF\xBF\xBD", OneByte, nullptr)
                        : std::string();
}

#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include "platform/names.h"
#include "platform/wide_name_win32.h"

namespace {

NameEncoding encoding = NameEncoding::kAnsi;

std::wstring Wide(unsigned page, DWORD flags, const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(page, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(page, flags, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(unsigned page, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(page, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

void UseNameEncoding(NameEncoding chosen) { encoding = chosen; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  if (encoding == NameEncoding::kAnsi) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  }
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Narrow(CP_UTF8, wide[i]));
  ::LocalFree(wide);
  return args;
}

std::string NameFromComposition(std::string_view name) {
  if (encoding == NameEncoding::kAnsi) return std::string(name);
  return Narrow(CP_UTF8, Wide(CP_ACP, 0, std::string(name)));
}

std::wstring WideName(const std::string& name) {
  if (encoding == NameEncoding::kUtf8) {
    std::wstring wide = Wide(CP_UTF8, MB_ERR_INVALID_CHARS, name);
    if (!wide.empty() || name.empty()) return wide;
  }
  return Wide(CP_ACP, 0, name);
}

std::optional<std::string> AnsiText(std::u16string_view text) {
  const std::wstring wide(text.begin(), text.end());
  return Narrow(CP_ACP, wide);
}

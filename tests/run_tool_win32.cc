#include <windows.h>

#include <string>
#include <thread>

#include "tests/run_tool.h"

namespace {

// One argument as the C runtime of the child splits its command line back:
// quotes around it, and backslashes doubled where a quote follows them.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// The command line as Windows holds it, in UTF-16: an argument that is UTF-8
// as such (skedtool takes it so), any other as bytes of the ANSI code page
// (as skedcomp takes its names).
std::wstring WideArgument(const std::string& text) {
  for (const unsigned page : {unsigned{CP_UTF8}, unsigned{CP_ACP}}) {
    const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int length =
        ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0 && !text.empty()) continue;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
  }
  return {};
}

void Drain(HANDLE pipe, std::string* sink) {
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
    sink->append(buffer, got);
}

// Text-mode output ends lines in CR LF; the tests compare it as LF.
std::string AsLf(const std::string& text) {
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lf.push_back(text[i]);
  }
  return lf;
}

RunResult RunOnce(const char* binary, const std::string& dir, const std::vector<std::string>& args,
                  const RunOptions& options) {
  RunResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE in_read, in_write, out_read, out_write, err_read, err_write;
  if (!::CreatePipe(&in_read, &in_write, &inherit, 0) ||
      !::CreatePipe(&out_read, &out_write, &inherit, 0) ||
      !::CreatePipe(&err_read, &err_write, &inherit, 0)) {
    result.err = "the test could not make pipes: error " + std::to_string(::GetLastError()) + "\n";
    return result;
  }
  for (const HANDLE mine : {in_write, out_read, err_read}) {
    ::SetHandleInformation(mine, HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE stdout_handle = out_write;
  if (!options.stdout_file.empty()) {
    stdout_handle = ::CreateFileA(options.stdout_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  std::wstring wide_command = WideArgument(Quoted(binary));
  for (const std::string& arg : args) wide_command += L" " + WideArgument(Quoted(arg));
  const std::wstring wide_dir = WideArgument(dir);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = stdout_handle;
  startup.hStdError = err_write;
  PROCESS_INFORMATION process = {};
  const bool started = ::CreateProcessW(nullptr, wide_command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, wide_dir.c_str(), &startup, &process);
  ::CloseHandle(in_read);
  ::CloseHandle(out_write);
  ::CloseHandle(err_write);
  if (stdout_handle != out_write) ::CloseHandle(stdout_handle);
  if (!started) {
    // Said, so that a child that did not run is told from one that failed.
    result.err = "the test could not start " + std::string(binary) + ": CreateProcessW error " +
                 std::to_string(::GetLastError()) + "\n";
    for (const HANDLE mine : {in_write, out_read, err_read}) ::CloseHandle(mine);
    return result;
  }
  std::thread out_reader(Drain, out_read, &result.out);
  std::thread err_reader(Drain, err_read, &result.err);
  DWORD written = 0;
  if (!options.input.empty()) {
    ::WriteFile(in_write, options.input.data(), static_cast<DWORD>(options.input.size()), &written,
                nullptr);
  }
  ::CloseHandle(in_write);
  // A hanging tool is ended, and the run fails. Only then is the exit code
  // -1: any other code, 255 too (a program loader that gave up), is the
  // child's own, so that a child that did not run is told apart.
  const bool hung =
      ::WaitForSingleObject(process.hProcess, kWatchdogSeconds * 1000) != WAIT_OBJECT_0;
  if (hung) {
    ::TerminateProcess(process.hProcess, 255);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  out_reader.join();
  err_reader.join();
  DWORD exit_code = 0;
  if (hung) {
    result.err += "the test ended " + std::string(binary) + " after " +
                  std::to_string(kWatchdogSeconds) + " s\n";
  } else if (::GetExitCodeProcess(process.hProcess, &exit_code)) {
    result.exit_code = static_cast<int>(exit_code);
  } else {
    result.err += "the test could not get the exit code of " + std::string(binary) + ": error " +
                  std::to_string(::GetLastError()) + "\n";
  }
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  ::CloseHandle(out_read);
  ::CloseHandle(err_read);
  if (!options.raw_output) {
    result.out = AsLf(result.out);
    result.err = AsLf(result.err);
  }
  return result;
}

// Whether the child never reached its own code: it could not be started, or
// it ended with a system status (0xC...) before writing a byte, as Wine's
// loader does now and then under load.
bool NeverRan(const RunResult& run) {
  if (run.exit_code == -1) return run.err.rfind("the test could not start", 0) == 0;
  return static_cast<unsigned>(run.exit_code) >= 0xC0000000u && run.out.empty() && run.err.empty();
}

}  // namespace

// A child that never ran is started once more: a fault of ours is the same
// the second time, so only the loader's is passed over.
RunResult RunProgram(const char* binary, const std::string& dir,
                     const std::vector<std::string>& args, const RunOptions& options) {
  RunResult result = RunOnce(binary, dir, args, options);
  if (!NeverRan(result)) return result;
  ::Sleep(200);
  return RunOnce(binary, dir, args, options);
}

int StartSkedcomp(const std::string&, const std::vector<std::string>&) { return -1; }

bool IsPosix() { return false; }

bool MakeFifo(const std::string&) { return false; }

bool MakeSymlink(const std::string&, const std::string&) { return false; }

bool NobodyCanRun(const char*) { return false; }

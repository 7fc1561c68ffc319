#!/usr/bin/env python3
"""Fails when an #include reaches up or sideways between the layers, or
when code outside platform/ includes a system header or tests for an
operating system with #if.

The layers, lowest first; each folder may include its own files and those
of the folders before it, so any other include reaches up (no two folders
share a place, so nothing can reach sideways). Tests beside the code may also include tests/, and
may include what they compare the code with (iconv, the Windows functions).

Usage: check_layers.py SOURCE_DIR
"""
import os
import re
import sys

LAYERS = ["platform", "text", "base", "composition", "selection", "xmltv", "report",
          "composer", "tool"]

# The C++ standard library's headers, and the C library's in their C++ form.
STANDARD = set("""
algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes
climits clocale cmath compare concepts cstdarg cstddef cstdint cstdio cstdlib cstring ctime
cuchar cwchar deque exception expected filesystem format forward_list fstream functional
initializer_list iomanip ios iosfwd iostream istream iterator limits list map memory
memory_resource new numbers numeric optional ostream queue random ranges ratio regex
set source_location span sstream stack stdexcept stop_token streambuf string string_view
system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set utility
variant vector version
""".split())
# Libraries the build finds, and where they may be used.
LIBRARIES = {"libxml/": ["xmltv"], "date/": ["xmltv"], "gtest/": None, "benchmark/": None}

OS_TEST = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|__linux__|__unix__|"
                     r"__APPLE__|__MINGW32__|__MINGW64__|_MSC_VER|__CYGWIN__|_POSIX_VERSION)\b")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def check(source):
    problems = []
    for rank, layer in enumerate(LAYERS):
        folder = os.path.join(source, layer)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".cc", ".h", ".inc")):
                continue
            path = os.path.join(layer, name)
            is_test = name.endswith("_test.cc")
            with open(os.path.join(source, path), encoding="utf-8", errors="replace") as file:
                for number, line in enumerate(file, 1):
                    where = "%s:%d" % (path, number)
                    if layer != "platform" and OS_TEST.search(line):
                        problems.append("%s: tests for an operating system outside platform/"
                                        % where)
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    quoted, header = match.group(1) == '"', match.group(2)
                    if quoted:
                        top = header.split("/")[0]
                        if top == "tests" and is_test:
                            continue
                        if top not in LAYERS:
                            problems.append('%s: "%s" is in no layer' % (where, header))
                        elif LAYERS.index(top) > rank:
                            problems.append('%s: "%s" reaches up from %s/' % (where, header, layer))
                        continue
                    if header in STANDARD or layer == "platform" or is_test:
                        continue
                    library = next((p for p in LIBRARIES if header.startswith(p)), None)
                    if library is not None and (LIBRARIES[library] is None or
                                                layer in LIBRARIES[library]):
                        if library in ("gtest/", "benchmark/") and not is_test:
                            problems.append("%s: <%s> outside a test" % (where, header))
                        continue
                    problems.append("%s: system header <%s> outside platform/" % (where, header))
    return problems


def main():
    problems = check(sys.argv[1])
    for problem in problems:
        print(problem)
    if problems:
        print("%d include problem(s)" % len(problems))
        return 1
    print("every include keeps to the layers")
    return 0


sys.exit(main())

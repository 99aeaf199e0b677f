#!/usr/bin/env python3
"""Compiles every translation unit of a build against Windows headers, syntax only.

Reads the build's compile_commands.json and runs each source of src/, tools/ and tests/ through
the MinGW-w64 cross compiler with -fsyntax-only: the Windows system headers, _WIN32 and the
Windows branches of the Qt headers (Q_OS_WIN), with the same include folders, definitions and
warnings as the build. Files named *_posix.cpp are Unix-only and left out; the Windows-only
files (*_win.cpp), which this build does not compile, are checked with the flags of their
*_posix.cpp counterpart. kestrim-board (src/board, tests/board) is built on Linux only and left
out too. The Windows resource script (kestrim.rc) goes through windres.

Limits: the Qt headers are this machine's Linux ones, so their configuration (qconfig.h, the
features) is Linux's; nothing is linked, no template is instantiated past what the syntax check
does, and MSVC's own diagnostics are not seen. It finds Unix-only calls and headers used outside
*_posix.cpp, Windows macros that clash with names (min, max, ERROR, interface, ...) and
Windows-only code that does not compile.

Usage: check-windows-headers.py BUILD_DIR [-j N]; exit status 1 when any unit fails.
"""
import argparse
import concurrent.futures
import json
import os
import shlex
import subprocess
import sys

COMPILER = "x86_64-w64-mingw32-g++-posix"
WINDRES = "x86_64-w64-mingw32-windres"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("src", "tools", "tests")
# Programs built on Linux only (kestrim-board: cpp-httplib from Debian, POSIX signals), and
# their tests: never compiled for Windows, so not checked against its headers.
LINUX_ONLY = (os.path.join("src", "board") + os.sep, os.path.join("tests", "board") + os.sep,
              os.path.join("bench", "bench_board"))


# Headers the build finds in the system's include folder, which the build's commands do not
# name and the cross compiler does not search: given to it from a folder of their own, so that
# the rest of /usr/include (the Linux C library) stays out of sight.
SYSTEM_HEADERS = {
    "SIMPLEINI_INCLUDE_DIR": ["SimpleIni.h"],
    # pkg-config's answer, or, where the build looked for the header itself (no pkg-config,
    # as on Windows), the folder it found.
    "XLSXWRITER_INCLUDEDIR": ["xlsxwriter.h", "xlsxwriter"],
    "XLSXWRITER_HEADER_DIR": ["xlsxwriter.h", "xlsxwriter"],
}
EXTRA_INCLUDES = []


def share_system_headers(build):
    cache = {}
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        for line in f:
            name, _, value = line.strip().partition("=")
            cache[name.split(":")[0]] = value
    folder = os.path.join(os.path.abspath(build), "windows-check-include")
    os.makedirs(folder, exist_ok=True)
    for variable, headers in SYSTEM_HEADERS.items():
        for header in headers:
            source = os.path.join(cache.get(variable, ""), header)
            target = os.path.join(folder, header)
            if os.path.exists(source) and not os.path.exists(target):
                os.symlink(source, target)
    EXTRA_INCLUDES[:] = ["-isystem", folder]


def cross_command(entry):
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    # What the Windows build defines (CMakeLists.txt, Qt's own), and its warnings.
    command = [COMPILER, "-fsyntax-only", "-DUNICODE", "-D_UNICODE", "-DWIN32", "-DNOMINMAX",
               "-DWIN32_LEAN_AND_MEAN", "-Wall", "-Wextra", "-Wpedantic", "-Werror"]
    command += EXTRA_INCLUDES
    i = 1
    while i < len(words):
        word = words[i]
        if word in ("-I", "-isystem", "-D", "-include"):
            # The Linux C library's folder never reaches the cross compiler, even when a
            # header found there (libxlsxwriter's, without pkg-config) names it.
            if words[i + 1] != "/usr/include":
                command += [word, words[i + 1]]
            i += 2
            continue
        if word == "-I/usr/include":
            i += 1
            continue
        if word.startswith(("-I", "-D", "-std=")):
            command.append(word)
        i += 1
    command.append(entry["file"])
    return command


def check(entry):
    result = subprocess.run(cross_command(entry), cwd=entry["directory"], capture_output=True,
                            text=True)
    return entry["file"], result.returncode, result.stderr


def windows_only(entries):
    """The *_win.cpp files, each with a copy of its *_posix.cpp counterpart's entry."""
    by_file = {os.path.realpath(e["file"]): e for e in entries}
    units, missing = [], []
    for folder in FOLDERS:
        for here, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(names):
                if not name.endswith("_win.cpp"):
                    continue
                path = os.path.join(here, name)
                posix = os.path.realpath(path[: -len("_win.cpp")] + "_posix.cpp")
                if posix not in by_file:
                    missing.append(path)
                    continue
                entry = dict(by_file[posix])
                entry.pop("arguments", None)
                words = shlex.split(by_file[posix].get("command") or
                                    shlex.join(by_file[posix]["arguments"]))
                entry["command"] = shlex.join(words)
                entry["file"] = path
                units.append(entry)
    return units, missing


def check_resources(build):
    """Compiles the configured kestrim.rc (icon, version) with windres; the error or None."""
    source = os.path.join(ROOT, "src", "resources", "kestrim.rc.in")
    if not os.path.exists(source):
        return None
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        version = next(line for line in f if line.startswith("project(")).split()[2]
    major, minor = version.split(".")[:2]
    with open(source) as f:
        text = (f.read().replace("@PROJECT_SOURCE_DIR@", ROOT)
                .replace("@PROJECT_VERSION_MAJOR@", major)
                .replace("@PROJECT_VERSION_MINOR@", minor)
                .replace("@PROJECT_VERSION@", version))
    script = os.path.join(build, "kestrim-windows-check.rc")
    with open(script, "w") as f:
        f.write(text)
    result = subprocess.run([WINDRES, script, "-O", "coff", "-o", script + ".res"],
                            capture_output=True, text=True)
    return None if result.returncode == 0 else result.stderr


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("-j", type=int, default=2)
    args = parser.parse_args()
    with open(os.path.join(args.build, "compile_commands.json")) as f:
        entries = json.load(f)
    share_system_headers(args.build)
    units = []
    for entry in entries:
        path = os.path.relpath(os.path.realpath(entry["file"]), ROOT)
        if not path.startswith(tuple(f + os.sep for f in FOLDERS)):
            continue  # generated (moc, resources) or outside the tree
        if path.endswith("_posix.cpp") or path.startswith(LINUX_ONLY):
            continue
        units.append(entry)
    extra, missing = windows_only(entries)
    units += extra
    failed = [os.path.relpath(path, ROOT) + " (no *_posix.cpp counterpart to take flags from)"
              for path in missing]
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.j) as pool:
        for path, status, errors in pool.map(check, units):
            if status != 0:
                failed.append(os.path.relpath(path, ROOT))
                sys.stderr.write(errors)
    resources = check_resources(args.build)
    if resources is not None:
        failed.append("src/resources/kestrim.rc.in (windres)")
        sys.stderr.write(resources)
    print(f"{len(units) - len(failed)} of {len(units)} units compile against Windows headers")
    for path in failed:
        print("  fails:", path)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

// The fuzzers' assertion: says which invariant broke, then aborts so that libFuzzer keeps the
// input. Unlike assert() it holds in every build type.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzCheckFailed(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : FuzzCheckFailed(#condition, __FILE__, __LINE__))

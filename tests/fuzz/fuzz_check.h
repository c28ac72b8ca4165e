#pragma once

// A property of a fuzz target that did not hold: print it and abort, so that
// libFuzzer keeps the input as a crash and the replay test fails.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

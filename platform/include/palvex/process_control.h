// For the machine's own programs and the tests that drive them: a program that is told to hang
// marks itself so, which lets a parent's timed wait on the virtual clock run out at once (the
// clock moves by the wait's time) instead of waiting for an end that never comes.
#pragma once

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// Marks this process as one that will not end by itself, then sleeps for ever.
[[noreturn]] PALVEX_API void HangProcess();

}  // namespace palvex

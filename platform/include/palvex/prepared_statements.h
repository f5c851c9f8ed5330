// How often this process has prepared (parsed and planned) each statement of the machine database,
// to find the queries that are prepared again where a kept prepared statement should serve.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#define PALVEX_API __attribute__((visibility("default")))

namespace palvex::db {

// A statement text of the machine database and how many times this process prepared it.
struct PreparedText {
    std::string sql;
    size_t count = 0;
};

// The texts this process prepared more than once, most often prepared first. A process started
// with $PALVEX_PREPARE_LOG naming a file also appends "pid<TAB>program<TAB>count<TAB>text" there on
// every such repeated prepare, so a program run in its own process can be checked from outside.
PALVEX_API std::vector<PreparedText> PreparedTwice();

}  // namespace palvex::db

// A small settings block worked out by hand, field by field, in stored form (1116 bytes):
//
//   0    DEMO header           rows 2 x 32 at 592, columns 4 at 160
//   160  DEMO columns          TAG STRING @0, _LEVEL DWORD @8, _SUB XPDSTRUCT @12, _DYN DYNAMIC @24
//   592  DEMO rows             "A": 7, ITEM[0,2), record at 1062    "B": 9, ITEM[2,3), no record
//   656  ITEM header           rows 3 x 10 at 1032, columns 2 at 816
//   816  ITEM columns          TAG STRING @0, _N WORD @8
//   1032 ITEM rows             "x": 1   "y": 2   "z": 3
//   1062 value record          text 1086, data 1092, DWORD, 4 x 1
//   1086 record text           "Hi"
//   1092 record data           0x11223344
//   1096 pool                  "A" "B" "x" "y" "z" (20 bytes)
#pragma once

#include <vector>

#include "block_builder.h"

namespace xprtest {

constexpr DWORD kDemoSize = 1116;
constexpr DWORD kDemoPool = 20;

std::vector<BYTE> DemoBlockBytes();
// The same block described to the builder.
BlockBuilder DemoBuilder();

}  // namespace xprtest

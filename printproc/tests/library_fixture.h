// The print processor loaded the way the spooler loads it, on a fresh machine for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <job_runner.h>
#include <palvex/machine.h>

namespace pptest {

// A text for test messages (its characters below 128 as they are, others as '?').
inline std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

// The machine first, so that the library's load already happens on it.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.loaded()) << m_library.error(); }

    palvex::TestMachine m_machine;
    palvex::hosts::PrintProcessorLibrary m_library{TOVQEBPP_LIBRARY};
};

}  // namespace pptest

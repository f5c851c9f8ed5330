// net-snmp's agent (snmpd) for a test: started with the test's configuration lines, with the
// machine's SNMP requests sent to its port. A test skips where snmpd is not installed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "snmp_test_peers.h"

namespace palvex::testing {

class SnmpdAgent {
protected:
    // False when the test cannot go on: snmpd is not installed (the test is skipped) or did not
    // start (the test fails). A skip inside a helper only leaves the helper, so callers return.
    [[nodiscard]] bool Start(const std::vector<std::string>& lines) {
        if (Snmpd::Program().empty()) {
            [] { GTEST_SKIP() << "net-snmp's snmpd is not installed (scripts/setup.sh installs it)"; }();
            return false;
        }
        m_snmpd = std::make_unique<Snmpd>(lines);
        if (!m_snmpd->running()) {
            ADD_FAILURE() << m_snmpd->error();
            return false;
        }
        m_port = std::make_unique<ScopedAgentPort>(m_snmpd->port());
        return true;
    }

    std::unique_ptr<Snmpd> m_snmpd;
    std::unique_ptr<ScopedAgentPort> m_port;
};

}  // namespace palvex::testing

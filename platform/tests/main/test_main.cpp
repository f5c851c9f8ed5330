// The main of every test program. Each test runs on a fresh machine of its own, made before the
// test starts and removed after it ends, so that no test sees another's state and none touches
// the default machine that the tools and the main job use. A test that needs a second machine, or
// one it makes by hand, makes a palvex::TestMachine, which takes over until it is gone.
#include <gtest/gtest.h>

#include <memory>

#include <palvex/machine.h>
#include <palvex/recording_dc.h>

namespace {

class MachinePerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { m_machine = std::make_unique<palvex::TestMachine>(); }
    void OnTestEnd(const ::testing::TestInfo&) override { m_machine.reset(); }

private:
    std::unique_ptr<palvex::TestMachine> m_machine;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The tests assert on what was printed on each side.
    palvex::KeepPrintedSides(true);
    ::testing::UnitTest::GetInstance()->listeners().Append(new MachinePerTest);
    return RUN_ALL_TESTS();
}

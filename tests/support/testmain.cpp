#include "recordedsleeps.h"

#include <runtime/clock.h>

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// Each test starts with the recording sleeper and an empty record, whatever the test before
// it installed.
class FreshSleeper : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        Clock::setSleeper({});
        RecordedSleeps::clear();
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Tests never need a display: widgets are built and grabbed off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    RecordedSleeps::install();
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSleeper);
    return RUN_ALL_TESTS();
}

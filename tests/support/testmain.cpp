#include "recordedsleeps.h"

#include <runtime/clock.h>

#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// A handler that asks the sale form for a control it does not have is at fault, even when the
// test's own assertions hold: the context logs it and carries on, so the test fails here.
void failOnMissingControl(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("sale form has no")))
        ADD_FAILURE() << message.toStdString();
    if (previousHandler)
        previousHandler(type, context, message);
}

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
    previousHandler = qInstallMessageHandler(failOnMissingControl);
    ::testing::InitGoogleTest(&argc, argv);
    RecordedSleeps::install();
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSleeper);
    return RUN_ALL_TESTS();
}

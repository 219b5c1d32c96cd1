#pragma once

// A test on the site's base as the host's own packages reach it: the host's tables declared,
// the host's session made anew for each test, and the clock standing at 5 March 2024, 12:10.

#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>

#include <support/databasefixture.h>

#include <outside/qub_proximocodigo.h>
#include <runtime/clock.h>

class HostBaseTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        DatabaseTest::SetUp();
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(12, 10, 0)); });
    }
    void TearDown() override
    {
        Clock::setNow({});
        HostDatabase::reset();
        Qub_proximocodigo::releaseIdleSession();
        DatabaseTest::TearDown();
    }
};

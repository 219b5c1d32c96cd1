#pragma once

#include <support/databasefixture.h>
#include <support/fakehost.h>
#include <support/fakemessages.h>
#include <support/recordedsleeps.h>

#include <screen/tfrmvendacons.h>

#include <QDateTime>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

class SaleContext;
class SaleDatasets;
struct SaleState;

// The folder of a test's till site (SitePaths points at it while the test runs).
class SiteFolder
{
public:
    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString filePath(const QString &relative) const;

private:
    friend class SaleFormTest;
    QString m_path;
};

// The one set-up of the sale form's tests: a temporary till site with a fresh SQLite base
// (named in its Dados/Conexao.txt, the data module connected to it), a fixed clock that
// answers `now`, recording fakes of the host packages and the message window, and the sale
// form. Nothing really sleeps: every pause is recorded (`pauses()`). The folders' fixtures
// derive from it and add their till's parameters and scripted server functions.
class SaleFormTest : public ::testing::Test
{
protected:
    struct Options
    {
        // Off for the tests that build the form through the host call themselves.
        bool buildForm = true;
    };

    SaleFormTest() = default;
    explicit SaleFormTest(Options options) : m_options(options) {}

    void SetUp() override;
    void TearDown() override;

    SaleContext &context();
    SaleState &state();
    SaleDatasets &data();
    // The pauses asked of the clock since the test began, in milliseconds.
    const QList<int> &pauses() const { return RecordedSleeps::all(); }

    QDateTime now{QDate(2024, 3, 5), QTime(14, 30, 15)};
    SiteFolder site;
    std::unique_ptr<TestBase> m_base;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<FakeMessages> messages;
    std::unique_ptr<TfrmVendaCons> form;

private:
    Options m_options;
};

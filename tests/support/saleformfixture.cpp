#include "saleformfixture.h"

#include <sale/salecontext.h>
#include <screen/tfrmvendacons.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>

QString SiteFolder::filePath(const QString &relative) const
{
    return QDir(m_path).filePath(relative);
}

void SaleFormTest::SetUp()
{
    m_base = std::make_unique<TestBase>(DatabaseKind::SQLite);
    ASSERT_TRUE(m_base->ok()) << m_base->error().toStdString();
    site.m_path = m_base->siteFolder();
    Clock::setNow([this] { return now; });
    host = std::make_unique<FakeHost>();
    messages = std::make_unique<FakeMessages>();
    if (m_options.buildForm)
        form = std::make_unique<TfrmVendaCons>();
}

void SaleFormTest::TearDown()
{
    form.reset();
    messages.reset();
    host.reset();
    // The base puts back the site, the clock and the sleeper.
    m_base.reset();
    site.m_path.clear();
}

SaleContext &SaleFormTest::context()
{
    return form->context();
}

SaleState &SaleFormTest::state()
{
    return form->state();
}

SaleDatasets &SaleFormTest::data()
{
    return form->datasets();
}

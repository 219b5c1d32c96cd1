#pragma once

#include <support/saleformfixture.h>
#include <support/partnerwaits.h>

#include <host/partners/fakepartners.h>

#include <consumer/consumersale.h>
#include <sale/salecontext.h>
#include <sale/serverseams.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <initializer_list>
#include <memory>
#include <utility>

using Behaviour = FakePartners::Behaviour;
using Partner = FakePartners::Partner;

// A data packet of text and number columns, one row per list of values.
inline DataPacket packetOf(const QStringList &columns, const QList<QList<Variant>> &rows,
                           const QStringList &numbers = {})
{
    ClientDataSet dataset(QStringLiteral("packet"));
    for (const QString &column : columns)
        dataset.FieldDefs().Add(column, numbers.contains(column) ? FieldType::Double : FieldType::String,
                                numbers.contains(column) ? 0 : 250);
    dataset.CreateDataSet();
    for (const QList<Variant> &row : rows) {
        dataset.Append();
        for (int i = 0; i < row.size(); ++i) {
            if (numbers.contains(columns.at(i)))
                dataset.FieldByName(columns.at(i)).SetAsFloat(row.at(i).toDouble());
            else
                dataset.FieldByName(columns.at(i)).SetAsString(row.at(i).toString());
        }
        dataset.Post();
    }
    return dataset.Data();
}

// The sale form on a fresh site, the partners' stand-ins on 127.0.0.1 and short time-outs:
// a silent partner costs a fraction of a second.
class PartnersTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        ASSERT_TRUE(partners.start());
    }

    ConsumerSale &consumer() { return context().consumer(); }

    // Every log line the partners' clients wrote, from all their files under the site.
    QString allLogs() const
    {
        QString text;
        QDirIterator files(site.path(), {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (!path.contains(QLatin1String("/logApi")) && !path.contains(QLatin1String("/logClubPetro")))
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

    // Holds no secret of the partners in any log or message.
    void expectNoSecret()
    {
        const FakePartners::Settings &s = partners.settings();
        const QString logs = allLogs() + messages->texts().join(QLatin1Char('\n'));
        for (const QString &secret : {s.amePassword, s.amePasswordHom, s.ameToken, s.clubSecret, s.clubToken, s.gcomToken,
                                      Qub_requisicaohttp::encodeBase64(s.ameLogin + ":" + s.amePassword),
                                      Qub_requisicaohttp::encodeBase64(s.ameLoginHom + ":" + s.amePasswordHom)})
            EXPECT_FALSE(logs.contains(secret)) << secret.toStdString();
    }

    PartnerWaits waits;
    FakePartners partners;
};

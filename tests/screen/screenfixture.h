#pragma once

#include <sale/serverseams.h>
#include <support/saleformfixture.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class TfrmVendaCons;

// A till site for the sale form's tests (SaleFormTest's site, base, clock and fakes): a
// complete parameter file, an operator file, scripted server functions of start-up (recorded
// by name) and one monitor of 1024 x 768. The form is the process-wide one the host call
// builds, freed after each test.
class ScreenTest : public SaleFormTest
{
protected:
    ScreenTest() : SaleFormTest(Options{.buildForm = false}) {}

    void SetUp() override;
    void TearDown() override;

    QString site() const;
    QString sitePath(const QString &relative) const;

    // Parameter file PARAMETROSQUB.CDS: every column, these values set, the others null.
    void writeParameters(const QHash<QString, QString> &values);
    void writeOperator(const QString &code, const QString &name);
    // A client-dataset file of text fields under the site.
    void writeFile(const QString &relative, const QStringList &fields, const QList<QStringList> &rows);
    void writeBytes(const QString &relative, const QByteArray &bytes);

    // One host call through VendaCons. `during` runs on the started form in place of the modal
    // run; unless it closes the form itself the call ends with `keyword` set by hand.
    Variant call(const QString &mode, const std::function<void(TfrmVendaCons &)> &during = {},
                 const QStringList &arguments = {});
    TfrmVendaCons &form();

    // The names of the start-up server functions called, in order.
    QStringList serverCalls;
    ServerSeams fakeServer();

    std::unique_ptr<ScopedTable<ServerSeams>> server;
    QHash<QString, QString> parameters;
};

// Builds a packet of text fields.
DataPacket textPacket(const QStringList &fields, const QList<QStringList> &rows);

#pragma once

#include <sale/serverseams.h>
#include <support/saleformfixture.h>

#include <order/itemargs.h>
#include <screen/tfrmvendacons.h>

#include <runtime/datapacket.h>

#include <QHash>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class ClientDataSet;
class OrderEntry;
class SaleDatasets;
struct SaleState;

// A counter till for the order-entry tests: the sale form of SaleFormTest (fixed clock
// 05/03/2024 14:30:15) and order entry's server functions answered by this fixture: no print
// location, no observations, no balance rule.
class OrderTest : public SaleFormTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    TfrmVendaCons &form() { return *SaleFormTest::form; }
    OrderEntry &order();
    QString Msg(const QString &key);
    QString caption(const char *name);

    // A product of the counter: quantity 1, not weighed, no client price, discount or addition.
    static PreenchePedidoArgs item(const QString &code, const QString &name, const QString &price,
                                   const QString &quantity = QStringLiteral("1"));
    // Registers through the form's event boundary, as the entry roads do; answers the result.
    bool sell(const PreenchePedidoArgs &item);
    // A counter sale with a fiscal printer that does not sell item by item (recovery files on).
    void useFiscalPrinter(int model = 16);
    // Tax rows of the products: code, tax code, rate.
    void taxRows(const QList<QStringList> &rows);
    // Removes the line as item cancellation does: out of cdsItems, into cdsItensCancelados.
    void cancelLine(const QString &NRSEQ);

    // Values of one field over every row, in the order the rows were added.
    static QStringList column(const ClientDataSet &dataset, const char *field);
    // The message texts shown so far.
    QStringList shown() const { return messages->texts(); }

    std::unique_ptr<ScopedTable<ServerSeams>> server;
    // The button rules' question to the server: no card-charge receipt type.
    std::unique_ptr<ScopedTable<ServerSeams>> accessServer;

    // Answers of the fake server functions.
    QString printLocation = QStringLiteral("N");
    DataPacket balanceRule;      // getTipoSaldoProd
    Variant basicSoldToday = 0;  // getProdBasVenDia
    QStringList serverCalls;

private:
    void ensureTaxRow(const QString &code);
    void appendTaxRows(const QList<QStringList> &rows);

    bool m_taxRowsGiven = false;
};

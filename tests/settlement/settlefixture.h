#pragma once

#include "settlementfixture.h"

#include <sale/serverseams.h>
#include <outside/pkg_hrk00001.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/sitepaths.h>

#include <QAbstractButton>

// A counter till on a fresh site for the settle button: three lines on the receipt, a payment
// screen that pays in cash, a save that stores the sale as "0000000042", and the settlement's
// server functions answered here (their calls recorded by name). No fiscal document unless a
// test switches one on.
class SettleTest : public SettlementTest
{
public:
    // The table-driven cases arrange the till through these.
    using SettlementTest::context;
    using SettlementTest::data;
    using SettlementTest::host;
    using SettlementTest::messages;
    using SettlementTest::settlement;
    using SettlementTest::state;

protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.host.stModoVenda = "B";
        s.host.stCdClienteVenda = "000001";
        s.editParams().stCDFILIAL = "0001";
        s.editParams().stCDLOJA = "01";
        s.editParams().stCDCAIXA = "003";
        s.editParams().stCDEMPRESA = "01";
        s.editParams().stIDUTLINTFACELE = "N";
        s.editParams().stIDSENHACUP = "S";
        s.editParams().stIdTpTelaVe = "1";
        s.rights.stCDOPERADOR = "000000000007";
        s.rights.stNMOPERADOR = "MARIA";
        s.startup.stRecebAux2 = site.path() + "/Dados/XML_NFCe_Sat/0001-003-2024-03-05/";
        data().cdsItems.CreateDataSet();
        data().cdsItensCancelados.CreateDataSet();
        addItem("001", "000101", "PRATO FEITO", "1", 25.90);
        addItem("002", "000202", "SUCO DE LARANJA", "2", 7.50);
        addItem("003", "000303", "PUDIM", "1", 8.00);
        s.totals.doTotalVenda = 48.90;
        scriptHost();
        server = std::make_unique<ScopedTable<ServerSeams>>(fakeServer());
    }

    void TearDown() override
    {
        server.reset();
        SettlementTest::TearDown();
    }

public:
    void addItem(const QString &seq, const QString &code, const QString &name, const QString &quantity, double price)
    {
        ClientDataSet &items = data().cdsItems;
        items.Append();
        items.FieldByName("NRSEQ").SetAsString(seq);
        items.FieldByName("CDPRODUTO").SetAsString(code);
        items.FieldByName("NMPRODUTO").SetAsString(name);
        items.FieldByName("QTPRODCOMVEN").SetAsString(quantity);
        items.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        items.FieldByName("VRUNITVENDCL").SetAsFloat(price);
        items.FieldByName("NRCUPOMFIS").SetAsString(couponNumber);
        items.Post();
    }

    // The settle button, clicked through the form's dispatch.
    void settle()
    {
        QAbstractButton *button = form->findChild<QAbstractButton *>("spbReceb");
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        button->click();
    }

    void useFiscalPrinter()
    {
        state().editParams().boUTILIZAIMPFIS = true;
        host->setDefault(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{true, {}, {}});
        host->setDefault(&Pkg_Hrk00001::VerificaSerialImp, HostResult::done());
    }

    void scriptHost()
    {
        host->handle(&Pkg_Hrk00002::Recebimento, [this](const PaymentRequest &request, PaymentDatasets &datasets) {
            ClientDataSet &payments = datasets.cdsMovCaixa;
            payments.Close();
            payments.CreateDataSet();
            payments.Append();
            payments.FieldByName("CDCLIENTE").SetAsString("000001");
            payments.FieldByName("IDTIPOMOVIVE").SetAsString("E");
            payments.FieldByName("VRMOVIVEND").SetAsFloat(48.90);
            payments.Post();
            PaymentAnswer answer = payment;
            if (answer.documentNumber.isEmpty())
                answer.documentNumber = request.documentNumber;
            return answer;
        });
        host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, saved("0000000042"));
        host->setDefault(&Pkg_Hrk00001::FinalizaTransTef, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant("0000000043"), Variant("0000000043")});
        host->setDefault(&Pkg_Hrk00002::AlteraVendaCan, CancellationAnswer{Variant("0000000042"), Variant("0000000042")});
        host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::CalculoIcmsDFederal, TaxEstimateAnswer{true, "1,50", "0,00", "0,75", {}});
        host->setDefault(&Pkg_Hrk00002::getNumeroSerieNFCe, TextAnswer{true, "1", {}});
        host->setDefault(&Pkg_Hrk00002::getDataEmissNFCe, TextAnswer{true, "05/03/2024 14:30:15", {}});
        host->setDefault(&Pkg_Hrk00002::AtualizaVendaSat, Variant(QString("OK")));
        payment.paid = true;
    }

    // The sale rows as the save received them (the reset that follows empties cdsVenda).
    const DataPacket &savedSaleRows()
    {
        host->handle(&Pkg_Hrk00002::SetConcluiFechamento, [this](const ClosingHeader &, ClosingDatasets &datasets) {
            m_savedSaleRows = datasets.cdsVenda.Data();
            return saved(QStringLiteral("0000000042"));
        });
        return m_savedSaleRows;
    }

    static ClosingAnswer saved(const QString &key)
    {
        ClosingAnswer answer;
        answer.savedSaleKey = key;
        return answer;
    }

    static ClosingAnswer failedSave(const QString &text)
    {
        ClosingAnswer answer;
        answer.failure = text;
        return answer;
    }

    ServerSeams fakeServer()
    {
        ServerSeams table = ServerSeams::current();
        auto record = [this](const QString &call) { serverCalls << call; };
        table.access.serverProbe = [this] { return probeFailure; };
        table.loyalty.getProdPromoFidelidade = [](const QString &, const QString &) { return Variant(DataPacket{}); };
        table.counters.getPrxVendaColombia = [this, record](const QString &, const QString &, const QString &, const QString &,
                                                  const QString &) {
            record("getPrxVendaColombia");
            return Variant(colombianNumber);
        };
        table.counters.setNumeroNFCe = [record](const QString &, const QString &, const QString &series, const QString &, bool) {
            record("setNumeroNFCe " + series);
            return Variant(QString("000045"));
        };
        table.counters.setNrVendaNFisc = [record](const QString &, const QString &, const QString &) {
            record("setNrVendaNFisc");
            return Variant(QString("000123"));
        };
        table.loyalty.setVendaBeneficioBalcao = [record](const QString &key, const QString &, const QString &) {
            record("setVendaBeneficioBalcao " + key);
            return Variant(QString());
        };
        table.kds.CancelaPedidoKDS = [record](const Variant &, const QString &, const QString &, const QString &key, bool) {
            record("CancelaPedidoKDS " + key);
            return Variant(QString());
        };
        // Twelve texts: the CPF is the eighth, the kind the last.
        table.consumers.setGravaConsumidor = [record](const QStringList &values) {
            record("setGravaConsumidor " + values.value(7) + " " + values.value(11));
            return Variant(QString());
        };
        table.passwords.getSenhaCupom = [record](const QString &, const QDateTime &) {
            record("getSenhaCupom");
            return Variant(QString("17"));
        };
        table.lookupsTills.getSenhaUtil = [](const QString &, const QString &, const QString &, const QDateTime &) { return QString(); };
        table.passwords.random = [](int) { return 7; };
        return table;
    }

    const RoadEnd &roadEnd() { return settlement().lastRoadEnd(); }
    bool sold() { return roadEnd().kind == RoadEnd::Kind::Sold; }
    QString shown() const { return messages->texts().join(" | "); }

    std::unique_ptr<ScopedTable<ServerSeams>> server;
    QStringList serverCalls;
    PaymentAnswer payment;           // the payment screen's answer (datasets filled anyway)
    QString couponNumber = "000777"; // written into the lines as the open coupon
    QString colombianNumber = "CO0000101";
    QString probeFailure;            // the base's test connection: empty when it answers

private:
    DataPacket m_savedSaleRows;
};

#pragma once

#include "settlefixture.h"

#include <server/srv_salecancel.h>
#include <settlement/receiptcancel_p.h>

#include <QFile>

// A counter till with an open sale of three lines (the settle tests' till) and the receipt
// cancellation's host routines and server functions answered here. Server calls are recorded
// by name in `cancelCalls`; the packets the cancellation lookups answer are set per test.
class ReceiptCancelTest : public SettleTest
{
protected:
    void SetUp() override
    {
        SettleTest::SetUp();
        if (HasFatalFailure())
            return;
        state().flags.boCupomAberto = true;
        state().rights.inCTCANCCUPOM = 12;
        state().editParams().stNMCAIXA = "CAIXA 3";
        state().editParams().dtDTABERCAIX = QDateTime(QDate(2024, 3, 5), QTime(7, 0));
        state().startup.dtMovimentoFiscal = QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, "000000000009"});
        host->setDefault(&Pkg_Hrk00002::SetCupomCancelado, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::setNFCeCancelado, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::LogImpNFiscal, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::DisparaImprimeCancProduto, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::AbreGaveta, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::AtivaProcesso, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::DesativaProcesso, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::NFCeOnlineCanc, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::Imp_Extrato_SAT_Canc, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "<CFeCanc/>", {}});
        host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, "000777"});
        host->setDefault(&Pkg_Hrk00001::CriaDedicado, DedicatedTefAnswer{true, {}, {}, {}, {}, {}});
        host->setDefault(&Pkg_Hrk00001::CancelarVenda, satAnswer("0000"));
        cancelServer = std::make_unique<ScopedTable<ServerSeams>>(cancellationServer());
    }

    void TearDown() override
    {
        cancelServer.reset();
        SettleTest::TearDown();
    }

public:
    void press() { settlement().spbCancelaCupomClick(nullptr); }

    void closeSale()
    {
        state().flags.boCupomAberto = false;
        data().cdsItems.EmptyDataSet();
    }

    void typeNumber(const QString &number) { host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, number}); }

    static DataPacket packet(const QStringList &fields, const QList<QStringList> &rows)
    {
        DataPacket result;
        for (const QString &field : fields)
            result.fields.append(FieldDef{field, FieldType::String, 60});
        for (const QStringList &row : rows) {
            QList<Variant> values;
            for (const QString &value : row)
                values.append(Variant(value));
            result.rows.append(values);
        }
        return result;
    }

    // The cancelled sale as the server answers it.
    static DataPacket cancelledSale(const QString &sequence = "0000000042")
    {
        return packet({"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRVENDAREST"}, {{"0001", "003", sequence, ""}});
    }

    // The NFC-e to cancel: its status, the limit of its cancellation and the branch's rule.
    static DataPacket nfceSale(const QString &status, const QString &limit, const QString &external = "N")
    {
        DataPacket sale = packet({"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "IDCANCEXTNFCE", "IDSTATUSNFCE"},
                                 {{"0001", "003", "0000000042", external, status}});
        sale.fields.append(FieldDef{"DTLIMITECANC", FieldType::DateTime, 0});
        sale.fields.append(FieldDef{"DTABERTUR", FieldType::DateTime, 0});
        sale.rows[0].append(Variant(QDateTime::fromString(limit, Qt::ISODate)));
        sale.rows[0].append(Variant(QDateTime(QDate(2024, 3, 5), QTime(7, 0))));
        return sale;
    }

    static SatAnswer satAnswer(const QString &code)
    {
        SatAnswer answer;
        answer.accepted = code == QLatin1String("0000");
        answer.answer.setValue("CCCC", code);
        answer.answer.setValue("chaveConsulta", "CFe35240312345678000199590001234560001234567");
        answer.answer.setValue("timeStamp", "20240305143015");
        answer.answer.setValue("valorTotalCFe", "48.90");
        answer.answer.setValue("assinaturaQRCODE", "QR");
        const QString xml = "<CFeCanc><infCFe><ide><nserieSAT>900004019</nserieSAT><nCFe>000123</nCFe></ide></infCFe></CFeCanc>";
        answer.answer.setValue("arqxmlnfce", xml);
        answer.answer.setValue("arquivoCFeBase64", QString::fromLatin1(xml.toUtf8().toBase64()).insert(10, "\r\n"));
        return answer;
    }

    ServerSeams cancellationServer()
    {
        ServerSeams table = ServerSeams::current();
        auto record = [this](const QString &call) { cancelCalls << call; };
        table.cancellation.getVendaNFisc = [this, record](const Srv_Kal51000::SaleCancelRequest &request) {
            record("getVendaNFisc " + request.number + " " + request.kind);
            lastCancelRequest = request;
            return vendaNFisc;
        };
        table.cancellation.getVendaCanNFCe = [this, record](const QString &, const QString &, const QString &number,
                                                            const QDateTime &) {
            record("getVendaCanNFCe " + number);
            return Variant(vendaCanNFCe);
        };
        table.cancellation.getObrigaObsCan = [this](const QString &, const QString &) { return Variant(noteRequired); };
        table.cancellation.getIDDTEMISCANC = [this](const QString &) { return Variant(branchRule); };
        table.cancellation.getItemsCancelados = [this](const QString &, const QString &, const QString &number) {
            cancelCalls << "getItemsCancelados " + number;
            return Variant(items);
        };
        table.cancellation.getItemsCanceladosEst = [this](const QString &, const QString &, const QString &) {
            return Variant(parts);
        };
        table.lookupsTills.getImprLoja = [this](const QString &, const QString &, const QString &product) {
            return Variant(firstPrinters.value(product, packet({"CDPORTAIMPR", "IDMODEIMPRES"}, {})));
        };
        table.lookupsTills.getImprLoja2 = [this](const QString &, const QString &, const QString &product) {
            return Variant(secondPrinters.value(product, packet({"CDPORTAIMPR", "IDMODEIMPRES"}, {})));
        };
        table.lookupsProducts.getProdutoPai = [](const QString &, const QString &, const QString &, const QString &item) {
            return Variant(packet({"CDPRODUTO", "NMPRODUTO"}, {{"000900", "COMBO " + item}}));
        };
        table.lookupsFiscal.getUltVendaSat = [this, record](const QString &, const QString &, const QString &number) {
            record("getUltVendaSat " + number);
            return Variant(satSale);
        };
        table.lookupsFiscal.getSituVendaSat = [this](const QString &, const QString &, const QString &) {
            return satAlreadyCancelled;
        };
        table.lookupsFiscal.getRetornaTefCappta = [this, record](const QString &, const QString &, const QString &coupon,
                                                                  const QDateTime &) {
            record("getRetornaTefCappta " + coupon);
            return controlNumber;
        };
        table.loyalty.setApagaBeneficio = [record](const QString &, const QString &, const QString &, const QString &,
                                                   const QString &) {
            record("setApagaBeneficio");
            return Variant(QString());
        };
        table.partners.getDadosGCOM = [record](const QString &, const QString &) {
            record("getDadosGCOM");
            return Variant(DataPacket{});
        };
        // The wallet refund of a sale starts by reading its wallet payments.
        table.partners.getMovCaixaAME = [record](const QString &, const QString &, const QString &sequence,
                                                 const QDateTime &) {
            record("getMovCaixaAME " + sequence);
            return Variant(DataPacket{});
        };
        table.partners.getDadosAme = [](const QString &) { return Variant(DataPacket{}); };
        table.kds.CancelaPedidoKDS = [record](const Variant &, const QString &, const QString &, const QString &key, bool) {
            record("CancelaPedidoKDS " + key);
            return Variant(QString());
        };
        return table;
    }

    bool saleOnScreen() { return state().flags.boCupomAberto && data().cdsItems.RecordCount() == 3; }
    QStringList routines(const QString &prefix) const
    {
        QStringList found;
        for (const QString &routine : host->routines())
            if (routine.startsWith(prefix))
                found << routine;
        return found;
    }

    std::unique_ptr<ScopedTable<ServerSeams>> cancelServer;
    QStringList cancelCalls;
    Variant vendaNFisc = Variant(cancelledSale());
    DataPacket vendaCanNFCe;
    Srv_Kal51000::SaleCancelRequest lastCancelRequest;
    QString noteRequired = "N";
    QString branchRule = "N";
    DataPacket items;
    DataPacket parts;
    QHash<QString, DataPacket> firstPrinters;
    QHash<QString, DataPacket> secondPrinters;
    DataPacket satSale = packet({"NRNOTAFISCALCE", "NRACESSONFCE", "NRSEQVENDA", "ENDVENDAROUTER", "CDCAIXA"},
                                {{"000123", "35240312345678000199590001234560001234567", "0000000042", "r1", "003"}});
    bool satAlreadyCancelled = false;
    Variant controlNumber = Variant(QString());
};

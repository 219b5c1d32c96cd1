#pragma once

// The sale form of SaleFormTest for the product entry and keyboard tests: scripted server
// lookups, a product copy, a price function that answers from a table of prices, and a
// recorder in place of the line registration. Header-only, so that the screen tests can use
// it too.
#include <support/saleformfixture.h>

#include <order/productentry.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <runtime/clock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

// The 27 values of a registration in their order, as one text a failed test shows whole.
inline QString describe(const PreenchePedidoArgs &a)
{
    return QStringList{a.CDPRODUTO, a.CDPRODPROMOCAO, a.CDARVPROD, a.NMPRODUTO, a.CDFAMILISALD,
                       a.VRPRECO, a.VRDESCONTO, a.VRACRESCIMO, a.IDPESAPROD, a.VRPRECOCLIE,
                       a.QTPRODCOMVEN, a.SGUNIDADE, a.IDPROMOCAO, a.NRSEQPRODCOM,
                       QString::number(a.QTTARAPROD), a.validaServico ? "T" : "F", a.CDPORIMPPROD,
                       a.IDIMPCANITEM, a.CDCAMPPROMO, a.STOBSPEDIDO, a.STOBSDIGITADA,
                       a.NRSEQPROMOOBS, a.CDCAMPCOMPGANHE, a.DTINIVGCAMPCG, a.NRSEQITCANC,
                       a.IDIMPPRGRPROMO, a.NRSEQORIG}
        .join(QLatin1Char('|'));
}

struct PriceRow
{
    double price = 0;
    double discount = 0;
    double addition = 0;
    double clientPrice = 0;
    QString variable = QStringLiteral("N");
    QString refusal;     // a refusal code instead of a price
};

class EntryTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        if (HasFatalFailure())
            return;
        server = std::make_unique<ScopedTable<ServerSeams>>(fakeServer());
        m_previousHook = preenchePedidoHook();
        preenchePedidoHook() = [this](SaleContext &, const PreenchePedidoArgs &args) {
            registered.append(args);
            SaleState &s = form->state();
            s.road.stNRSEQ = QStringLiteral("%1").arg(registered.size(), 3, 10, QLatin1Char('0'));
            s.totals.doQuantidade = 1.0;
            s.road.stQtdeCodBarra.clear();
            return true;
        };
        host->handle(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco,
                     [this](const PriceRequest &request, ClientDataSet &cds) { return answerPrice(request, cds); });
        host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("MARIA")});
        SaleState &s = form->state();
        s.editParams().stCDFILIAL = QStringLiteral("0001");
        s.editParams().stCDLOJA = QStringLiteral("01");
        s.editParams().stCDCAIXA = QStringLiteral("003");
        s.editParams().stNRCONFTELA = QStringLiteral("1");
        s.host.stModoVenda = QStringLiteral("B");
        s.rights.stCDOPERADOR = QStringLiteral("000000000007");
        s.rights.stNMOPERADOR = QStringLiteral("MARIA");
        setProducts({});
    }

    void TearDown() override
    {
        form.reset();
        preenchePedidoHook() = m_previousHook;
        server.reset();
        SaleFormTest::TearDown();
    }

    // Product copy rows: code, name, tree code, bar code, keypad code, weighable, tare, unit.
    struct Product
    {
        QString code, name, tree, barcode, keypad, weighable = QStringLiteral("N"), tare, unit = QStringLiteral("UN");
        QString printKind, composition, promoStart, promoEnd, family;
    };
    void setProducts(const QList<Product> &products)
    {
        DataPacket packet;
        for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDBARPRODUTO", "CDPROTECLADO",
                                 "IDPESAPROD", "QTTARAPROD", "SGUNIDADE", "IDIMPPRODUTO", "IDTIPOCOMPPROD",
                                 "DTINIVGPROMOC", "DTFINVGPROMOC", "CDFAMILISALD", "CDPRODINTE"})
            packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 60});
        for (const Product &p : products)
            packet.rows.append({p.code, p.name, p.tree, p.barcode, p.keypad, p.weighable, p.tare, p.unit,
                                p.printKind, p.composition, p.promoStart, p.promoEnd, p.family, QString()});
        ASSERT_TRUE(data().cdsProdutos.SetData(packet));
    }

    ServerSeams fakeServer()
    {
        ServerSeams table = ServerSeams::current();
        table.lookupsProducts.getCodigoAtalho = [this](const QString &, const QString &, const QString &code) {
            return Variant(shortcuts.value(code));
        };
        table.lookupsProducts.getCodigoBarra = [this](const QString &code) { return Variant(barcodes.value(code)); };
        table.counters.getPrxVendaColombia = [this](const QString &, const QString &, const QString &, const QString &,
                                           const QString &) { ++colombianCalls; return Variant(colombianAnswer); };
        table.tabs.verificaIDSTLUGARMESA = [this](const QString &, const QString &, const QString &seat) {
            seatsAsked.append(seat);
            return seatFree;
        };
        table.lookupsProducts.getAgrupProd = [](const QString &, const QString &, const QString &) { return Variant(QStringLiteral("0")); };
        table.loyalty.getCampCompGanhe = [](const QString &) { return Variant(DataPacket{}); };
        table.lookupsTills.getDsOcorr = [](const QString &, const QString &) { return QStringLiteral("SEM GELO"); };
        table.lookupsProducts.getProdTxServ = [](const QString &, const QString &) { return QString(); };
        table.access.setLogAcesso = [](const QString &) { return Variant(); };
        return table;
    }

    PriceAnswer answerPrice(const PriceRequest &request, ClientDataSet &cds)
    {
        const PriceRow row = prices.value(request.cdProduto, PriceRow{10.0});
        if (!row.refusal.isEmpty())
            return PriceAnswer{false, row.refusal, Variant()};
        if (!cds.Active())
            cds.CreateDataSet();
        cds.EmptyDataSet();
        cds.Append();
        cds.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(row.price);
        cds.FieldByName(QStringLiteral("VRDESCONTO")).SetAsFloat(row.discount);
        cds.FieldByName(QStringLiteral("VRACRESCIMO")).SetAsFloat(row.addition);
        cds.FieldByName(QStringLiteral("VRPRECOCLIE")).SetAsFloat(row.clientPrice);
        cds.FieldByName(QStringLiteral("VRPRECODIA")).SetAsFloat(0);
        cds.FieldByName(QStringLiteral("IDPRECVARIA")).SetAsString(row.variable);
        cds.Post();
        return PriceAnswer{true, QString(), Variant()};
    }

    // Keys through the form's own dispatch.
    void press(int key, const QString &text = QString(), Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(form.get(), &event);
    }
    void type(const QString &text)
    {
        for (QChar c : text)
            press(Qt::Key_unknown, QString(c));
    }
    void enter(const QString &code)
    {
        type(code);
        press(Qt::Key_Return, QStringLiteral("\r"));
    }
    QString caption(const char *name)
    {
        return form->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QAbstractButton *button(const char *name)
    {
        return form->findChild<QAbstractButton *>(QString::fromLatin1(name));
    }
    QString lastMessage() const
    {
        return messages->count() ? messages->calls().last().text : QString();
    }

    QHash<QString, QString> shortcuts;
    QHash<QString, QString> barcodes;
    QHash<QString, PriceRow> prices;
    QString colombianAnswer = QStringLiteral("000123");
    int colombianCalls = 0;
    bool seatFree = true;
    QStringList seatsAsked;
    QList<PreenchePedidoArgs> registered;

    std::unique_ptr<ScopedTable<ServerSeams>> server;

private:
    std::function<bool(SaleContext &, const PreenchePedidoArgs &)> m_previousHook;
};

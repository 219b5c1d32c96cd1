#include "benefitsfixture.h"

#include <sale/formnames.h>

#include <runtime/clientdataset.h>

#include <QAbstractButton>
#include <runtime/datapacket.h>
#include <runtime/money.h>

namespace {

const QString orderId = QStringLiteral("5d2c1b7e-93a0-4f3e-8c61-0a9e4d2f7b15");

DataPacket promotions(const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    packet.fields = {{"IDPROMOCAO", FieldType::String, 37}, {"NMPROMOCAO", FieldType::String, 100},
                     {"DSPROMOCAO", FieldType::String, 256}, {"IDTPPROMOCAO", FieldType::String, 1},
                     {"IDTPDESCPROMO", FieldType::String, 1}, {"VRDESCPROMO", FieldType::Double, 0},
                     {"VRVENDAPROMO", FieldType::Double, 0}};
    packet.rows = rows;
    return packet;
}

DataPacket products(const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    packet.fields = {{"IDPROMOCAO", FieldType::String, 37}, {"CDPRODUTO", FieldType::String, 10},
                     {"QTPRODCOMVEN", FieldType::Double, 0}, {"VRPRECCOMVEN", FieldType::Double, 0},
                     {"NRPRODCOMVEN", FieldType::String, 6}, {"INCLUIDO", FieldType::String, 5}};
    packet.rows = rows;
    return packet;
}

DataPacket errors(const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    packet.fields = {{"CDERRO", FieldType::String, 20}, {"DSERROCONS", FieldType::String, 255}};
    packet.rows = rows;
    return packet;
}

PromoAnswer sent()
{
    PromoAnswer answer;
    answer.answered = true;
    answer.orderId = orderId;
    return answer;
}

// Promotion "P1" ("Combo", type O): line 001 (A) costs 4.50, line 002 (B) 2,99 stays, and C
// is not added ("True" is not "true"); promotion "P2" is of another type.
PromoAnswer offered()
{
    PromoAnswer answer;
    answer.answered = true;
    answer.promotions = promotions({{"P1", "Combo", "Combo do dia", "O", "V", 1.5, 9.0},
                                    {"P2", "Cashback", "Outro tipo", "C", "P", 5.0, 0.0}});
    answer.products = products({{"P1", "A", 1.0, 4.5, "1", "false"},
                                {"P1", "B", 1.0, 2.999, "002", "false"},
                                {"P1", "C", 1.0, 1.0, "", "True"},
                                {"P2", "A", 1.0, 0.5, "001", "false"}});
    return answer;
}

class Promotions : public ConsumerFormTest
{
protected:
    void SetUp() override
    {
        ConsumerFormTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        state().editParams().stCDURLINTEPROMO = QStringLiteral("http://127.0.0.1:9/promocoes");
        ClientDataSet &items = data().cdsItems;
        items.CreateDataSet();
        line("001", "A", 6.00, "F1", 0.5);
        line("002", "B", 2.99, "F2", 0);
        data().cdsPromoComanda.CreateDataSet();
        ClientDataSet &families = data().cdsFamiliaSaldo;
        families.CreateDataSet();
        family("F1", 5.50);
        family("F2", 2.99);
        host->handle(&Pkg_Hrk00002::Pesquisa, [](const SearchRequest &, ClientDataSet &list) {
            list.First();
            return true;
        });
    }
    void line(const char *number, const char *product, double price, const char *family, double discount)
    {
        ClientDataSet &items = data().cdsItems;
        items.Append();
        items.FieldByName("NRSEQ").SetAsString(number);
        items.FieldByName("CDPRODUTO").SetAsString(product);
        items.FieldByName("NMPRODUTO").SetAsString(QStringLiteral("Produto ") + product);
        items.FieldByName("QTPRODCOMVEN").SetAsString("1");
        items.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        items.FieldByName("VRUNITVENDCL").SetAsFloat(0);
        items.FieldByName("VRACRCOMVEN").SetAsFloat(0);
        items.FieldByName("VRDESCCOMVEN").SetAsFloat(discount);
        items.FieldByName("CDFAMILISALD").SetAsString(family);
        items.FieldByName("DTINCLUSAO").SetAsDateTime(now.addSecs(QString::fromLatin1(number).toInt()));
        items.Post();
    }
    void family(const char *code, double value)
    {
        ClientDataSet &families = data().cdsFamiliaSaldo;
        families.Append();
        families.FieldByName("CDFAMILISALD").SetAsString(code);
        families.FieldByName("VRSALDCONFAM").SetAsFloat(value);
        families.Post();
    }
    // The operator gives a CPF and a promotion code.
    void operatorTypes(const char *cpf = "52998224725", const char *code = "combo")
    {
        AdditionalDataAnswer typed;
        typed.document = QString::fromLatin1(cpf);
        host->script(&Pkg_Hrk00002::CriaInfAdicional, typed);
        AdditionalDataAnswer promo;
        promo.code = QString::fromLatin1(code);
        host->script(&Pkg_Hrk00002::CriaInfAdicional, promo);
    }
    void consult() { consumer().spbConsultaPromoClick(context().button(FormName::spbConsultaPromo)); }
    QMap<QString, double> prices()
    {
        QMap<QString, double> found;
        ClientDataSet &items = data().cdsItems;
        for (items.First(); !items.Eof(); items.Next())
            found.insert(items.FieldByName("CDPRODUTO").AsString(), items.FieldByName("VRPRECCOMVEN").AsFloat());
        return found;
    }
    QMap<QString, double> families()
    {
        QMap<QString, double> found;
        ClientDataSet &rows = data().cdsFamiliaSaldo;
        for (rows.First(); !rows.Eof(); rows.Next())
            found.insert(rows.FieldByName("CDFAMILISALD").AsString(), rows.FieldByName("VRSALDCONFAM").AsFloat());
        return found;
    }
    QStringList kept(const char *field)
    {
        QStringList found;
        ClientDataSet &rows = data().cdsPromoComanda;
        for (rows.First(); !rows.Eof(); rows.Next())
            found << rows.FieldByName(QString::fromLatin1(field)).AsString();
        return found;
    }
    bool waitWindowClosed() const
    {
        const QStringList calls = host->routines();
        const QString open = QStringLiteral("AtivaProcesso");
        return calls.count(open) == 1 && calls.lastIndexOf(QStringLiteral("DesativaProcesso")) > calls.indexOf(open);
    }
};

TEST_P(Promotions, TheChosenPromotionChangesAPriceAndIsMarkedUsed)
{
    operatorTypes();
    host->script(&Pkg_Hrk00002::IntegracaoPromo, sent());
    host->script(&Pkg_Hrk00002::IntegracaoPromo, offered());
    consult();
    EXPECT_EQ(messages->texts(), QStringList());
    const QList<PromoRequest> requests = host->requests(&Pkg_Hrk00002::IntegracaoPromo);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].operation, "ENVIO_CARRINHO");
    EXPECT_EQ(requests[0].cpf, "52998224725");
    EXPECT_EQ(requests[0].origin, "BAL");
    EXPECT_EQ(requests[0].promoCode, "COMBO");
    EXPECT_EQ(requests[0].cdFilial, "1");
    EXPECT_EQ(requests[0].cdLoja, "01");
    EXPECT_EQ(requests[0].items.packet().rows.size(), 2);
    EXPECT_EQ(requests[1].operation, "CONSULTA_CARRINHO");
    EXPECT_EQ(requests[1].orderId, orderId);
    EXPECT_TRUE(requests[1].items.isNull());
    // Line 001 takes the promotion's price, its discount gone; 2,999 truncates to line 002's
    // 2,99 and leaves it alone; "True" adds nothing.
    EXPECT_EQ(prices(), (QMap<QString, double>{{"A", 4.50}, {"B", 2.99}}));
    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_EQ(kept("IDPROMOCOM"), (QStringList{"P1", "P2"}));
    EXPECT_EQ(kept("IDUTPROMOCOM"), (QStringList{"S", "N"}));
    // Every family is its lines again, not the whole total on the last line's family.
    EXPECT_EQ(families(), (QMap<QString, double>{{"F1", 4.50}, {"F2", 2.99}}));
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 7.49);
    ClientDataSet &items = data().cdsItems;
    for (items.First(); !items.Eof(); items.Next()) {
        EXPECT_EQ(items.FieldByName("IDPEDINTEPROMO").AsString(), orderId);
        EXPECT_EQ(items.FieldByName("NRCPFINTEPROMO").AsString(), "52998224725");
    }
    EXPECT_TRUE(waitWindowClosed());

    host->clear();
    consult();
    EXPECT_EQ(messages->texts().last(), "Operação bloqueada. Promoção já utilizada nesta venda: Combo");
    EXPECT_TRUE(host->requests(&Pkg_Hrk00002::IntegracaoPromo).isEmpty());
}

struct FailureCase
{
    const char *name;
    QList<PromoAnswer> answers;
    QString message;
};

TEST_P(Promotions, AServiceThatFailsLeavesTheSaleAsItWasWithTheWindowClosed)
{
    PromoAnswer down;
    down.failure = "sem resposta no tempo limite";
    PromoAnswer refusedSend = sent();
    refusedSend.error = true;
    refusedSend.errors = errors({{"10", "Loja desconhecida"}, {"11", "CPF inválido"}});
    PromoAnswer refusedQuery = offered();
    refusedQuery.error = true;
    PromoAnswer none = offered();
    none.promotions = promotions({});
    PromoAnswer otherKind = offered();
    otherKind.promotions = promotions({{"P2", "Cashback", "Outro tipo", "C", "P", 5.0, 0.0}});
    const QString noConnection = context().Msg("FALHA_CONEXAO_PROMO");
    const FailureCase cases[] = {
        {"service down", {down}, noConnection},
        {"down on the query", {sent(), down}, noConnection},
        {"error rows on the send", {refusedSend}, "ERRO-10:Loja desconhecida\rERRO-11:CPF inválido\r"},
        {"error flag without rows", {sent(), refusedQuery}, context().Msg("ERRO_CONSULTA_CAR")},
        {"no promotion", {sent(), none}, context().Msg("NAO_HA_PROMO")},
        {"no promotion for the products", {sent(), otherKind}, context().Msg("NAO_HA_PROMO_PROD")},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        host->clear();
        messages->clear();
        operatorTypes();
        for (const PromoAnswer &answer : c.answers)
            host->script(&Pkg_Hrk00002::IntegracaoPromo, answer);
        consult();
        EXPECT_EQ(messages->texts(), QStringList{c.message});
        EXPECT_EQ(prices(), (QMap<QString, double>{{"A", 6.00}, {"B", 2.99}}));
        EXPECT_EQ(families(), (QMap<QString, double>{{"F1", 5.50}, {"F2", 2.99}}));
        EXPECT_FALSE(kept("IDUTPROMOCOM").contains("S"));
        EXPECT_TRUE(waitWindowClosed());
        EXPECT_FALSE(data().cdsPromocaoInt.Filtered());
    }
}

TEST_P(Promotions, NoCpfEndsBeforeAnythingIsSent)
{
    host->script(&Pkg_Hrk00002::CriaInfAdicional, AdditionalDataAnswer());
    consult();
    EXPECT_TRUE(host->requests(&Pkg_Hrk00002::IntegracaoPromo).isEmpty());
    EXPECT_EQ(messages->count(), 0);
}

TEST_P(Promotions, ABadProductRowOrAnUnknownProductChangesNoPrice)
{
    PromoAnswer badPrice = offered();
    badPrice.products = products({{"P1", "A", 1.0, 4.5, "001", "false"}, {"P1", "B", 1.0, Variant::null(), "002", "false"}});
    PromoAnswer unknown = offered();
    unknown.products = products({{"P1", "A", 1.0, 4.5, "001", "false"}, {"P1", "ZZZ", 1.0, 1.0, "", "true"}});
    for (const PromoAnswer &answer : {badPrice, unknown}) {
        operatorTypes();
        host->script(&Pkg_Hrk00002::IntegracaoPromo, sent());
        host->script(&Pkg_Hrk00002::IntegracaoPromo, answer);
        messages->clear();
        consult();
        EXPECT_EQ(messages->count(), 1);
        EXPECT_EQ(prices(), (QMap<QString, double>{{"A", 6.00}, {"B", 2.99}}));
        EXPECT_EQ(data().cdsItems.RecordCount(), 2);
        EXPECT_FALSE(kept("IDUTPROMOCOM").contains("S"));
    }
}

// The fiscal coupon already holds the lines at their prices: sale and coupon must agree.
TEST_P(Promotions, OnAnItemByItemFiscalPrinterAPrintedLineKeepsItsPrice)
{
    state().editParams().boUTILIZAIMPFIS = true;
    state().editParams().inIDTIPOIMPFIS = 1;
    operatorTypes();
    host->script(&Pkg_Hrk00002::IntegracaoPromo, sent());
    host->script(&Pkg_Hrk00002::IntegracaoPromo, offered());
    consult();
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains("já está impresso no cupom fiscal"));
    EXPECT_EQ(prices(), (QMap<QString, double>{{"A", 6.00}, {"B", 2.99}}));
    EXPECT_EQ(kept("IDUTPROMOCOM"), (QStringList{"N", "N"}));
}

TEST_P(Promotions, ErrorsAreListedWithACarriageReturnEachOrTheDefault)
{
    operatorTypes();
    PromoAnswer refused = sent();
    refused.error = true;
    host->script(&Pkg_Hrk00002::IntegracaoPromo, refused);
    consult();
    EXPECT_EQ(messages->texts(), QStringList{context().Msg("ERRO_ENVIO_CAR")});
}

INSTANTIATE_TEST_SUITE_P(Kinds, Promotions, ::testing::Values(DatabaseKind::SQLite), databaseKindName);

} // namespace

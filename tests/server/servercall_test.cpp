#include <support/databasefixture.h>

#include <server/servercall.h>
#include <server/srv_access.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>

namespace {

const Statement testVendaPorDoisCampos{"testVendaPorDoisCampos",
    "SELECT NRSEQVENDA FROM VENDA WHERE CDFILIAL = :P_CODIGO AND CDCAIXA = :P_CODIGO ORDER BY NRSEQVENDA"};
const Statement testVenda{"testVenda",
    "SELECT NRSEQVENDA, DTVENDA, VRTOTVIMO, NRVENDAEXT FROM VENDA WHERE CDFILIAL = :P_CDFILIAL ORDER BY NRSEQVENDA"};
const Statement testContagem{"testContagem",
    "SELECT COUNT(*) AS QTVENDAS, MAX(VRTOTVIMO) AS VRMAIOR FROM VENDA WHERE CDFILIAL = :P_CDFILIAL"};
const Statement testTabelaAusente{"testTabelaAusente",
    "SELECT CDCOISA FROM TABELAQUENAOEXISTE WHERE CDCOISA = :P_CDCOISA"};
const Statement testLog{"testLog", "SELECT CDOPERADOR, DTHRACESSO, DSSISTEMA FROM LOGACESSO"};

class ServerCalls : public DatabaseTest
{
protected:
    void addSale(const char *filial, const char *caixa, const char *seq, double total)
    {
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, DTVENDA, VRTOTVIMO, NRVENDAEXT) "
             "VALUES (:F, :C, :S, :D, :V, :E)",
             {{"F", filial}, {"C", caixa}, {"S", seq}, {"D", QDateTime(QDate(2026, 5, 6), QTime(12, 30, 15))},
              {"V", total}, {"E", "0000000042"}});
    }
};

TEST_P(ServerCalls, AParameterNamedTwiceBindsTheSameValueAtEachPlace)
{
    addSale("7", "7", "1", 1.0);
    addSale("7", "8", "2", 1.0);
    addSale("8", "7", "3", 1.0);
    const Variant packet = ServerCall().packet(testVendaPorDoisCampos, {{"P_CODIGO", "7"}});
    ASSERT_TRUE(packet.isPacket()) << describe(packet).toStdString();
    ASSERT_EQ(packet.packet().rows.size(), 1);
    EXPECT_EQ(packet.packet().value(0, "NRSEQVENDA"), Variant("1"));
}

TEST_P(ServerCalls, PacketColumnsTakeTheSchemaTypes)
{
    addSale("1", "2", "10", 12.5);
    const Variant packet = ServerCall().packet(testVenda, {{"P_CDFILIAL", "1"}});
    ASSERT_TRUE(packet.isPacket()) << describe(packet).toStdString();
    const DataPacket &p = packet.packet();
    ASSERT_EQ(p.fields.size(), 4);
    EXPECT_EQ(p.fields.at(0), (FieldDef{"NRSEQVENDA", FieldType::String, 20, false}));
    EXPECT_EQ(p.fields.at(1).type, FieldType::DateTime);
    EXPECT_EQ(p.fields.at(2).type, FieldType::Double);
    EXPECT_EQ(p.value(0, "DTVENDA"), Variant(QDateTime(QDate(2026, 5, 6), QTime(12, 30, 15))));
    EXPECT_EQ(p.value(0, "VRTOTVIMO"), Variant(12.5));
    EXPECT_EQ(p.value(0, "NRVENDAEXT"), Variant("0000000042")); // digits kept as text
}

TEST_P(ServerCalls, ExpressionColumnsTakeTheTypeTheirValuesShow)
{
    addSale("1", "2", "10", 12.5);
    addSale("1", "2", "11", 20.25);
    ServerCall call;
    EXPECT_EQ(call.value(testContagem, {{"P_CDFILIAL", "1"}}, "QTVENDAS"), Variant(qint64(2)));
    EXPECT_EQ(call.value(testContagem, {{"P_CDFILIAL", "1"}}, "VRMAIOR").toDouble(), 20.25);
}

TEST_P(ServerCalls, ALookupWithNoRowAnswersEmptyNeverAFailure)
{
    ServerCall call;
    const Params none{{"P_CDFILIAL", "999"}};
    const Variant packet = call.packet(testVenda, none);
    ASSERT_TRUE(packet.isPacket());
    EXPECT_TRUE(packet.packet().isEmpty());
    EXPECT_EQ(packet.packet().fields.size(), 4);
    EXPECT_EQ(call.value(testVenda, none, "NRSEQVENDA"), Variant());
    EXPECT_EQ(call.fieldText(testVenda, none, "NRSEQVENDA", TextOnFailure::answer("N")), QString());
    EXPECT_FALSE(call.exists(testVenda, none));
    EXPECT_TRUE(call.exists(testVenda, none, {.found = false, .missing = true}));
    EXPECT_EQ(call.lastErrorText(), QString());
}

TEST_P(ServerCalls, AMissingTableGivesAClearFailureInEveryForm)
{
    ServerCall call;
    const Params params{{"P_CDCOISA", "1"}};
    const Variant packet = call.packet(testTabelaAusente, params);
    ASSERT_TRUE(packet.isFailure());
    EXPECT_TRUE(packet.failureText().contains("testTabelaAusente")) << packet.failureText().toStdString();
    EXPECT_TRUE(packet.failureText().contains("tabelaquenaoexiste", Qt::CaseInsensitive));
    EXPECT_TRUE(call.value(testTabelaAusente, params, "CDCOISA").isFailure());
    EXPECT_EQ(call.fieldText(testTabelaAusente, params, "CDCOISA", TextOnFailure::answer("N")), "N");
    EXPECT_EQ(call.fieldText(testTabelaAusente, params, "CDCOISA", TextOnFailure::errorText()), packet.failureText());
    EXPECT_FALSE(call.exists(testTabelaAusente, params));
    EXPECT_TRUE(call.exists(testTabelaAusente, params, {.failed = true}));
}

TEST_P(ServerCalls, ParametersMustMatchTheStatement)
{
    ServerCall call;
    const Variant missing = call.packet(testVenda, {});
    ASSERT_TRUE(missing.isFailure());
    EXPECT_TRUE(missing.failureText().contains("P_CDFILIAL"));
    const Variant extra = call.packet(testVenda, {{"P_CDFILIAL", "1"}, {"P_CDCAIXA", "2"}});
    ASSERT_TRUE(extra.isFailure());
    EXPECT_TRUE(extra.failureText().contains("P_CDCAIXA"));
}

TEST_P(ServerCalls, SetLogAcessoWritesOneRowNow)
{
    const QDateTime now(QDate(2026, 1, 2), QTime(8, 9, 10));
    Clock::setNow([now] { return now; });
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("OPER01"), Variant());
    const Variant packet = ServerCall().packet(testLog);
    ASSERT_EQ(packet.packet().rows.size(), 1);
    EXPECT_EQ(packet.packet().value(0, "CDOPERADOR"), Variant("OPER01"));
    EXPECT_EQ(packet.packet().value(0, "DTHRACESSO"), Variant(now));
    EXPECT_EQ(packet.packet().value(0, "DSSISTEMA"), Variant("Zmq"));
}

TEST_P(ServerCalls, SetLogAcessoAnswersTheFailureText)
{
    exec("DROP TABLE LOGACESSO");
    const Variant result = Srv_Kal51000::setLogAcesso("OPER01");
    ASSERT_TRUE(result.isFailure());
    EXPECT_TRUE(result.failureText().contains("acmInsLogAcesso")) << result.failureText().toStdString();
}

TEST_P(ServerCalls, TextsKeepTheirAccents)
{
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("JOÃO"), Variant());
    EXPECT_EQ(ServerCall().fieldText(testLog, {}, "CDOPERADOR", TextOnFailure::errorText()), "JOÃO");
}

VENDACONS_DATABASE_KINDS(ServerCalls);

} // namespace

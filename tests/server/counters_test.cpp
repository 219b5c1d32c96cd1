#include <support/databasefixture.h>

#include <server/srv_counters.h>

#include <outside/processlauncher.h>

#include <runtime/clock.h>

namespace {

struct ColombiaCase
{
    const char *name;
    const char *counter;    // stored NOVOCODIGO value, nullptr: no row
    const char *highestExt; // NRVENDAEXT of an earlier sale, nullptr: none
    const char *start;
    const char *end;
    const char *answer;
    const char *storedAfter;
};

const ColombiaCase colombiaCases[] = {
    {"FirstUseStartsAtTheRangeStart", nullptr, nullptr, "1000", "2000", "1000", "00000000000000001000"},
    {"FirstUseFollowsEarlierSales", nullptr, "0000001500", "1000", "2000", "0000001501", "00000000000000001501"},
    {"FirstUseBelowTheRangeTakesTheStart", nullptr, "0000000010", "1000", "2000", "1000", "00000000000000001000"},
    {"FirstUseAboveTheRangeRefuses", nullptr, "0000002000", "1000", "2000", "CUPINV", "00000000000000002000"},
    {"TheRangeStartIsAnsweredAsIs", "999", nullptr, "1000", "2000", "1000", "1000"},
    {"TheRangeEndIsAnsweredAsIs", "1999", nullptr, "1000", "2000", "2000", "2000"},
    {"PastTheEndRefusesAndUndoesTheStep", "2000", nullptr, "1000", "2000", "CUPINV", "2000"},
    {"BelowTheStartMovesToTheStart", "5", nullptr, "1000", "2000", "1000", "1000"},
};


class Counters : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return QDateTime(QDate(2026, 7, 8), QTime(9, 30)); });
        ProcessLauncher::setLauncher([this](const QString &program, const QStringList &arguments) {
            launched.append(program + " " + arguments.join(' '));
            return true;
        });
    }
    void TearDown() override
    {
        ProcessLauncher::setLauncher({});
        DatabaseTest::TearDown();
    }
    QString stored(const QString &key)
    {
        const auto found = rows("SELECT NRSEQUENCIAL FROM NOVOCODIGO WHERE CDCONTADOR = :K", {{"K", key}});
        return found.isEmpty() ? QString("<none>") : found.first().first().toString();
    }
    void colombia(const ColombiaCase &c)
    {
        if (c.counter)
            exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('VENDACOLOMBIA12PX', :V)", {{"V", c.counter}});
        if (c.highestExt) {
            exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRVENDAEXT, CDPREFINTGCOLVEN) VALUES ('1', '2', '1', :E, 'PX')",
                 {{"E", c.highestExt}});
            exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRVENDAEXT, CDPREFINTGCOLVEN) VALUES ('1', '2', '2', '0000009999', 'OTRO')");
        }
        EXPECT_EQ(Srv_Kal51000::getPrxVendaColombia("1", "2", "PX", c.start, c.end), Variant(c.answer));
        EXPECT_EQ(stored("VENDACOLOMBIA12PX"), c.storedAfter);
    }
    QStringList launched;
};

TEST_P(Counters, ColombianRangeOnEveryRoad)
{
    for (const ColombiaCase &c : colombiaCases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM NOVOCODIGO");
        exec("DELETE FROM VENDA");
        colombia(c);
    }
}

TEST_P(Counters, ColombianRangeRefusesAgainAfterTheEnd)
{
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('VENDACOLOMBIA12PX', '2000')");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Srv_Kal51000::getPrxVendaColombia("1", "2", "PX", "1000", "2000"), Variant("CUPINV"));
    EXPECT_EQ(stored("VENDACOLOMBIA12PX"), "2000");
}

TEST_P(Counters, ColombianRangeThatIsNotANumberIsAFailure)
{
    EXPECT_TRUE(Srv_Kal51000::getPrxVendaColombia("1", "2", "PX", "mil", "2000").isFailure());
}

TEST_P(Counters, FirstReceiptOfTheDayIsRecordedOnceAndStartsTheStockProgramOnce)
{
    const QDateTime day(QDate(2026, 7, 8), QTime(0, 0));
    EXPECT_EQ(Srv_Kal51000::setGravaCupomInicial("1", "2", " 123 ", day), Variant());
    EXPECT_EQ(Srv_Kal51000::setGravaCupomInicial("1", "2", "124", day), Variant());
    ASSERT_EQ(launched.size(), 1);
    EXPECT_TRUE(launched.first().endsWith("/QubTab.exe ESTOQUE_1_2_")) << launched.first().toStdString();
    EXPECT_EQ(stored("CUPINICIAL1208/07/2026"), "0000000123");
}

TEST_P(Counters, AnErrorReceiptNumberRecordsTheNextOneOfTheSales)
{
    exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRCUPOMFIS) VALUES ('1', '2', '1', '41')");
    exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRCUPOMFIS) VALUES ('1', '2', '2', '9')");
    EXPECT_EQ(Srv_Kal51000::setGravaCupomInicial("1", "2", " ERRO ", QDateTime(QDate(2026, 7, 8), QTime())), Variant());
    EXPECT_EQ(stored("CUPINICIAL1208/07/2026"), "0000000042");
}

TEST_P(Counters, ConsumerSaleNumbersWriteNoFirstOfTheDayMarker)
{
    EXPECT_EQ(Srv_Kal51000::setNrVendaNFisc("1", "2", "C"), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::setNrVendaNFisc("1", "2", "C"), Variant("2"));
    EXPECT_EQ(stored("VENDAVISTAPRIM1208/07/2026"), "<none>");
}

TEST_P(Counters, CashSaleNumbersRecordTheFirstOfTheDayOnce)
{
    EXPECT_EQ(Srv_Kal51000::setNrVendaNFisc("1", "2", "V"), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::setNrVendaNFisc("1", "2", "V"), Variant("2"));
    EXPECT_EQ(stored("VENDAVISTAPRIM1208/07/2026"), "1");
    EXPECT_EQ(Srv_Kal51000::getPrxVendaVista("1", "2"), Variant("3"));
}

TEST_P(Counters, NfceNumbersRecordTheFirstOfTheDayAndFileForVoidingOnlyWhenAsked)
{
    exec("INSERT INTO FILIAL (CDFILIAL, NRINSJURFILI) VALUES ('1', '12345678000199')");
    EXPECT_EQ(Srv_Kal51000::setNumeroNFCe("1", "2", "5", "2", false), Variant("1"));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM INUTILIZANFCE").first().first().toInt(), 0);
    EXPECT_EQ(Srv_Kal51000::setNumeroNFCe("1", "2", "5", "2", true), Variant("2"));
    EXPECT_EQ(stored("NFCEPRIM_15-08/07/2026_AMB2"), "1");
    const auto filed = rows("SELECT CDFILIAL, CDCAIXA, NRNOTAFISCALCE, CDSERIENFCE, IDTPAMBNFCE, IDSTATUSNFCE, "
                            "NRINSJURFILI FROM INUTILIZANFCE");
    ASSERT_EQ(filed.size(), 1);
    QStringList values;
    for (const QVariant &v : filed.first())
        values.append(v.toString());
    EXPECT_EQ(values, QStringList({"1", "2", "2", "5", "2", "P", "12345678000199"}));
    EXPECT_EQ(Srv_Kal51000::getNumeroNFCe("1", "5", "2"), Variant("3"));
}

TEST_P(Counters, AFailureOfTheServiceReachesTheCallerAsAFailure)
{
    exec("DROP TABLE NOVOCODIGO");
    EXPECT_TRUE(Srv_Kal51000::setNrVendaNFisc("1", "2", "V").isFailure());
    EXPECT_TRUE(Srv_Kal51000::setNumeroNFCe("1", "2", "5", "2", true).isFailure());
    EXPECT_TRUE(Srv_Kal51000::getPrxVendaColombia("1", "2", "PX", "1", "9").isFailure());
}

VENDACONS_DATABASE_KINDS(Counters);

} // namespace

#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/site/saleservices.h>

#include <support/databasefixture.h>

namespace {

class TicketAverageTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        DatabaseTest::SetUp();
    }
    void TearDown() override
    {
        HostDatabase::reset();
        DatabaseTest::TearDown();
    }
    void sale(const QString &number, const QString &when, const QString &state, QList<double> payments,
              const QString &store = "01")
    {
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDSITUVENDA, DTENTRVENDA, CDLOJA) "
             "VALUES ('0001', '001', :P_N, :P_S, :P_D, :P_L)",
             {{"P_N", number}, {"P_S", state}, {"P_D", when}, {"P_L", store}});
        for (double value : payments)
            exec("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, VRMOVIVEND) VALUES ('0001', '001', :P_N, :P_V)",
                 {{"P_N", number}, {"P_V", value}});
    }
    static QString average()
    {
        return SaleServices::CalcTicketMedio({"0001", "01", QDateTime(QDate(2024, 3, 6), QTime(6, 30))}).text;
    }
};

TEST_P(TicketAverageTest, NoSalesIsZeroZero)
{
    EXPECT_EQ(average(), "0-0");
}

TEST_P(TicketAverageTest, AveragesTheDaysSalesOfTheStore)
{
    sale("1", "2024-03-06 11:50:00", "F", {20.00, 10.50});
    sale("2", "2024-03-06 12:10:00", "F", {12.00});
    sale("3", "2024-03-06 12:20:00", "C", {99.00});                // cancelled
    sale("4", "2024-03-05 12:00:00", "F", {50.00});                // yesterday
    sale("5", "2024-03-06 12:30:00", "F", {40.00}, "02");          // another store
    EXPECT_EQ(average(), "21,25-2");
}

VENDACONS_DATABASE_KINDS(TicketAverageTest);

} // namespace

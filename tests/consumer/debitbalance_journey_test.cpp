// One payroll-debit consumer followed through the real server on the till's base: the sale
// posted, the balance read back, the till's floor check on the next item, the sale cancelled
// and the balance given back.
#include "limitsfixture.h"

#include <server/srv_consumers.h>
#include <server/srv_consumers_posting.h>
#include <server/srv_salecancel.h>

#include <outside/qub_movrela_db.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

namespace {

using namespace Srv_Kal51000;

const QDateTime opening(QDate(2024, 3, 5), QTime(7, 0));

class DebitBalanceJourney : public LimitsTest
{
protected:
    void SetUp() override
    {
        LimitsTest::SetUp();
        ASSERT_TRUE(m_base && m_base->ok());
        // The consumer may owe up to 20,00 on the payroll account.
        for (const char *sql : {
                 "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, IDVERSALDCON, "
                 "VRLIMDEBCONS, VRSUBSBASICO) VALUES ('000002', '000101', 'JOSÉ', '1', 'S', -20, 0)",
                 "INSERT INTO TIPORECE (CDTIPORECE, NMTIPORECE, IDTIPORECE) VALUES ('DEB', 'Debito consumidor', 'A')",
                 "INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDSITUVENDA, NRVENDAEXT, DTABERTUR, CDCLIENTE, "
                 "CDCONSUMIDOR) VALUES ('0001', '001', '0000000071', 'O', '71', '2024-03-05 07:00:00', '000002', '000101')",
                 "INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, VRUNITVEND) "
                 "VALUES ('0001', '001', '0000000071', '001', 'P1', 1, 15)",
                 "INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUMOVI, DTABERCAIX, CDTIPORECE, VRMOVIVEND, "
                 "IDTIPOMOVIVE) VALUES ('0001', '001', '0000000071', '1', '2024-03-05 07:00:00', 'DEB', 15, 'V')"})
            ASSERT_TRUE(run(QString::fromUtf8(sql)));
        state().consumer.stVRMESUBCONS = QStringLiteral("-20");
    }

    bool run(const QString &sql)
    {
        Qub_movrela::DbConnection db(QStringLiteral("journey"));
        db.useConnectionString(m_base->connectionString());
        return db.execute(QStringLiteral("journey"), sql, {});
    }

    // The sale's debit posted as the save posts it, in a transaction of its own.
    Variant post(double debit)
    {
        ConsumerPosting posting;
        posting.CDFILIAL = QStringLiteral("0001");
        posting.CDCAIXA = QStringLiteral("001");
        posting.NRSEQVENDA = QStringLiteral("0000000071");
        posting.CDCLIENTE = QStringLiteral("000002");
        posting.CDCONSUMIDOR = QStringLiteral("000101");
        posting.CDOPERADOR = QStringLiteral("OP");
        posting.DTABERCAIX = opening;
        posting.CDTIPORECE = QStringLiteral("DEB");
        posting.debit = debit;
        Qub_movrela::DbConnection till(QStringLiteral("till"));
        till.useConnectionString(m_base->connectionString());
        if (!till.begin())
            return Variant::failure(till.lastError().databaseText);
        const Variant posted = setLancaConsumo(till, posting);
        if (posted.isFailure() || !till.commit())
            till.rollback();
        return posted;
    }

    // The consumer's company balance as the till loads it before checking an item.
    double balance()
    {
        const Variant answer = getSaldoCons(QStringLiteral("000002"), QStringLiteral("000101"));
        const DataPacket packet = answer.isPacket() ? answer.packet() : DataPacket{};
        state().figures.doSaldoCons = packet.isEmpty() ? 0.0 : packet.value(0, "VRSALDOCONS").toDouble();
        return state().figures.doSaldoCons;
    }
};

TEST_F(DebitBalanceJourney, PostingLowersTheBalanceTheFloorStopsTheNextItemAndTheCancellationGivesItBack)
{
    EXPECT_EQ(balance(), 0.0);
    EXPECT_TRUE(debit(QStringLiteral("15,00"))); // a fresh consumer may owe up to the floor

    const Variant posted = post(15);
    ASSERT_FALSE(posted.isFailure()) << posted.failureText().toStdString();
    EXPECT_EQ(balance(), -15.0); // owes 15,00

    EXPECT_TRUE(debit(QStringLiteral("5,00")));
    EXPECT_FALSE(debit(QStringLiteral("5,01")));
    EXPECT_EQ(lastMessage(), message(QStringLiteral("SaldInsufCons"), {PtBr::FormatCurr(-20.0), PtBr::FormatCurr(5.01)}));

    SaleCancelRequest cancel;
    cancel.CDFILIAL = QStringLiteral("0001");
    cancel.CDCAIXA = QStringLiteral("001");
    cancel.number = QStringLiteral("71");
    cancel.kind = QStringLiteral("C");
    cancel.CDSUPERVISOR = QStringLiteral("SUP");
    cancel.DTABERTUR = opening;
    const Variant cancelled = getVendaNFisc(cancel);
    ASSERT_TRUE(cancelled.isPacket()) << cancelled.toString().toStdString();
    EXPECT_EQ(balance(), 0.0);
    EXPECT_TRUE(debit(QStringLiteral("15,00")));

    // The roll-forward of the account agrees with what the posting and the cancellation wrote.
    ASSERT_FALSE(setAtualizaDebCons(QStringLiteral("0001"), QStringLiteral("000002"), QStringLiteral("000101"),
                                    QStringLiteral("OP"), opening.addDays(-120))
                     .isFailure());
    EXPECT_EQ(balance(), 0.0);
}

} // namespace

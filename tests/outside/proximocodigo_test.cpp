#include <support/databasefixture.h>

#include <outside/qub_proximocodigo.h>
#include <server/trdmvendacons.h>

#include <QSet>

#include <mutex>
#include <thread>

namespace {

using Qub_proximocodigo::NextNumber;
using Qub_proximocodigo::TdtmQubProxCodigo;

class NextNumbers : public DatabaseTest
{
protected:
    QString stored(const QString &key)
    {
        const auto found = rows("SELECT NRSEQUENCIAL FROM NOVOCODIGO WHERE CDCONTADOR = :K", {{"K", key}});
        return found.isEmpty() ? QString("<none>") : found.first().first().toString();
    }
};

TEST_P(NextNumbers, DrawsCountUpFromOne)
{
    TdtmQubProxCodigo service;
    EXPECT_EQ(service.PrxVendaVista("1", "2").answer(), Variant("1"));
    EXPECT_EQ(service.PrxVendaVista("1", "2").answer(), Variant("2"));
    EXPECT_EQ(service.PrxVendaVista("1", "3").answer(), Variant("1")); // another desk, another counter
    EXPECT_EQ(service.PrxVendaConsumidor("1", "2").answer(), Variant("1"));
}

TEST_P(NextNumbers, ABlockOfNumbersAnswersItsFirst)
{
    TdtmQubProxCodigo service;
    EXPECT_EQ(service.PrxItemComanda("1", "55", 3).value(), 1);
    EXPECT_EQ(service.PrxItemComanda("1", "55", 2).value(), 4);
    EXPECT_EQ(service.PrxItemComanda("1", "55", 1).value(), 6);
    const QDateTime opened(QDate(2026, 2, 3), QTime(7, 0));
    EXPECT_EQ(service.PrxMovCaixa("1", "2", opened, 2).value(), 1);
    EXPECT_EQ(service.PrxMovCaixa("1", "2", opened, 1).value(), 3);
}

TEST_P(NextNumbers, TheStoredTextKeepsItsWidth)
{
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('VENDACOLOMBIA12PX', '00000000000000001000')");
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('PRXDOCNFISCECFABC', '0009')");
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('PRXITCOMANDAVEN1', '99')");
    TdtmQubProxCodigo service;
    EXPECT_EQ(service.PrxVendaColombia("1", "2", "PX").answer(), Variant("1001"));
    EXPECT_EQ(stored("VENDACOLOMBIA12PX"), "00000000000000001001");
    EXPECT_EQ(service.PrxDocNFiscEcf("ABC").answer(), Variant("10"));
    EXPECT_EQ(stored("PRXDOCNFISCECFABC"), "0010");
    EXPECT_EQ(service.PrxItComandaVen("1").answer(), Variant("100"));
    EXPECT_EQ(stored("PRXITCOMANDAVEN1"), "100");
}

TEST_P(NextNumbers, TheDailyPasswordCounterHasTheKeyItsRestartDeletes)
{
    TdtmQubProxCodigo service;
    EXPECT_EQ(service.PrxVendaDia("7", QDateTime(QDate(2026, 3, 4), QTime(15, 0))).answer(), Variant("1"));
    EXPECT_EQ(stored("VENDADIA704/03/2026"), "1");
}

// The caller's transaction may hold the base's only write lock (SQLite); the number must be
// kept all the same.
TEST_P(NextNumbers, ANumberDrawnInsideARolledBackTransactionStaysTaken)
{
    TdtmQubProxCodigo service;
    ASSERT_TRUE(rdmVendaCons().StartTrans());
    const NextNumber inside = service.PrxNumeroNFCe("1", "1", "2");
    ASSERT_TRUE(inside.ok()) << inside.error().toStdString();
    rdmVendaCons().RollbackTrans();
    const NextNumber after = service.PrxNumeroNFCe("1", "1", "2");
    ASSERT_TRUE(after.ok()) << after.error().toStdString();
    EXPECT_EQ(after.value(), inside.value() + 1);
    EXPECT_EQ(stored("PRXNFCE11_AMB2"), QString::number(after.value()));
}

TEST_P(NextNumbers, ANumberDrawnInsideATransactionThatNeverEndsStaysTaken)
{
    ASSERT_TRUE(rdmVendaCons().StartTrans());
    const NextNumber inside = TdtmQubProxCodigo().PrxVendaConsumidor("1", "2");
    ASSERT_TRUE(inside.ok()) << inside.error().toStdString();
    // The till dies with the transaction open: its session goes without a commit.
    setRdmVendaCons(nullptr);
    Qub_proximocodigo::releaseIdleSession();
    const NextNumber after = TdtmQubProxCodigo().PrxVendaConsumidor("1", "2");
    ASSERT_TRUE(after.ok()) << after.error().toStdString();
    EXPECT_EQ(after.value(), inside.value() + 1);
}

TEST_P(NextNumbers, ACounterDeletedOnPurposeStartsAgainAfterARolledBackDraw)
{
    TdtmQubProxCodigo service;
    const QString key = "PRXVENDAVISTA12";
    ASSERT_TRUE(rdmVendaCons().StartTrans());
    EXPECT_EQ(service.PrxVendaVista("1", "2").answer(), Variant("1"));
    rdmVendaCons().RollbackTrans();
    EXPECT_EQ(service.forget(key), Variant());
    EXPECT_EQ(service.PrxVendaVista("1", "2").answer(), Variant("1"));
    EXPECT_EQ(service.store(key, "41"), Variant());
    EXPECT_EQ(service.PrxVendaVista("1", "2").answer(), Variant("42"));
}

TEST_P(NextNumbers, AFailureIsNeverANumber)
{
    exec("DROP TABLE NOVOCODIGO");
    TdtmQubProxCodigo service;
    const NextNumber n = service.PrxVendaVista("1", "2");
    EXPECT_FALSE(n.ok());
    EXPECT_TRUE(n.error().contains("prxIncrementa")) << n.error().toStdString();
    EXPECT_TRUE(n.answer().isFailure());
    EXPECT_EQ(n.text(), QString());
    EXPECT_FALSE(service.PrxMovFidelidade("1", 0).ok());
}

TEST_P(NextNumbers, SeveralSessionsDrawingAtOnceNeverShareANumber)
{
    constexpr int sessions = 4;
    constexpr int draws = 40;
    std::mutex lock;
    QList<qint64> numbers;
    QStringList errors;
    std::vector<std::thread> threads;
    for (int s = 0; s < sessions; ++s) {
        threads.emplace_back([&] {
            TdtmQubProxCodigo service; // its own session, as each till has
            for (int d = 0; d < draws; ++d) {
                const NextNumber n = service.PrxVendaVista("1", "1");
                std::lock_guard guard(lock);
                if (n.ok())
                    numbers.append(n.value());
                else
                    errors.append(n.error());
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(errors, QStringList());
    const QSet<qint64> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), sessions * draws);
    EXPECT_EQ(*std::max_element(numbers.begin(), numbers.end()), sessions * draws);
}

VENDACONS_DATABASE_KINDS(NextNumbers);

} // namespace

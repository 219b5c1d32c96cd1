#include <support/databasefixture.h>

#include <server/servercall.h>
#include <server/trdmvendacons.h>

namespace {

const Statement testInsLog{"testInsLog",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, :DSSISTEMA)"};
const Statement testInsLogBroken{"testInsLogBroken",
    "INSERT INTO LOGACESSO (CDOPERADOR, COLUNAQUENAOEXISTE) VALUES (:CDOPERADOR, :DSSISTEMA)"};

class Transactions : public DatabaseTest
{
protected:
    Variant insert(ServerCall &call, const QString &operador)
    {
        return call.write(testInsLog, {{"CDOPERADOR", operador}, {"DTHRACESSO", QDateTime(QDate(2026, 3, 4), QTime(10, 0))},
                                       {"DSSISTEMA", "Zmq"}});
    }
    qsizetype committedRows() { return rows("SELECT CDOPERADOR FROM LOGACESSO").size(); }
};

TEST_P(Transactions, TwoStartsAndOneCommitCommitEverything)
{
    TrdmVendaCons &module = rdmVendaCons();
    ServerCall call;
    ASSERT_TRUE(module.StartTrans());
    EXPECT_EQ(insert(call, "1"), Variant());
    ASSERT_TRUE(module.StartTrans()); // joins
    EXPECT_EQ(insert(call, "2"), Variant());
    EXPECT_EQ(committedRows(), 0);
    EXPECT_TRUE(module.CommitTrans());
    EXPECT_FALSE(module.InTransaction());
    EXPECT_EQ(committedRows(), 2);
    EXPECT_TRUE(module.CommitTrans()); // nothing open: nothing happens
    EXPECT_EQ(committedRows(), 2);
}

TEST_P(Transactions, RollbackWithNothingOpenIsSilent)
{
    EXPECT_TRUE(rdmVendaCons().RollbackTrans());
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

TEST_P(Transactions, InnerCommitEndsTheWholeTransaction)
{
    ServerCall call;
    {
        TransactionScope outer(call);
        insert(call, "1");
        {
            TransactionScope inner(call);
            insert(call, "2");
            EXPECT_EQ(inner.commit(), Variant());
        }
        EXPECT_FALSE(rdmVendaCons().InTransaction());
    } // the outer scope's rollback finds nothing open
    EXPECT_EQ(committedRows(), 2);
}

TEST_P(Transactions, ScopeRollsBackUnlessCommitted)
{
    ServerCall call;
    {
        TransactionScope transaction(call);
        insert(call, "1");
    }
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    EXPECT_EQ(committedRows(), 0);
}

TEST_P(Transactions, CommitAfterAFailedStatementRefusesAndRollsBack)
{
    ServerCall call;
    TransactionScope transaction(call);
    insert(call, "1");
    const Variant failed = call.write(testInsLogBroken, {{"CDOPERADOR", "2"}, {"DSSISTEMA", "x"}});
    ASSERT_TRUE(failed.isFailure());
    const Variant committed = transaction.commit();
    EXPECT_TRUE(committed.isFailure());
    EXPECT_TRUE(committed.failureText().contains("testInsLogBroken")) << committed.failureText().toStdString();
    EXPECT_EQ(committedRows(), 0);
}

VENDACONS_DATABASE_KINDS(Transactions);

} // namespace

#include <support/databasefixture.h>

#include <server/srv_tabs.h>
#include <server/trdmvendacons.h>

#include <runtime/clientdataset.h>

namespace {

using namespace Srv_Kal51000;

// Writes of the tab services: given-up lines and the removal of an order without items.
class TabWrites : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FieldDefList &defs = m_itens.FieldDefs();
        defs.Add("NRSEQ", FieldType::String, 3);
        defs.Add("CDPRODUTO", FieldType::String, 20);
        defs.Add("QTPRODCOMVEN", FieldType::Double);
        defs.Add("DSOBSCANITE", FieldType::String, 100);
        defs.Add("CDSUPERVISOR", FieldType::String, 20);
        defs.Add("VRPRECCOMVEN", FieldType::Double);
        defs.Add("VRDESCCOMVEN", FieldType::Double);
        defs.Add("VRACRCOMVEN", FieldType::Double);
        ASSERT_TRUE(m_itens.CreateDataSet());
    }

    void giveUp(const QString &product, double quantity, double price = 5.0)
    {
        m_itens.Append();
        m_itens.FieldByName("NRSEQ").SetAsString(QString::number(m_itens.RecordCount() + 1));
        m_itens.FieldByName("CDPRODUTO").SetAsString(product);
        m_itens.FieldByName("QTPRODCOMVEN").SetAsFloat(quantity);
        m_itens.FieldByName("DSOBSCANITE").SetAsString("desistiu");
        m_itens.FieldByName("CDSUPERVISOR").SetAsString("S1");
        m_itens.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        m_itens.FieldByName("VRDESCCOMVEN").SetAsFloat(0.5);
        m_itens.FieldByName("VRACRCOMVEN").SetAsFloat(0.25);
        ASSERT_TRUE(m_itens.Post());
    }

    QStringList sequences(const QString &desk = "01", const QString &sale = "100")
    {
        QStringList found;
        for (const auto &row : rows("SELECT NRSEQITCOMVENDES FROM ITCOMANDAVENDES WHERE CDFILIAL = '1' "
                                    "AND CDCAIXA = :C AND NRVENDAREST = :V ORDER BY NRSEQITCOMVENDES",
                                    {{"C", desk}, {"V", sale}}))
            found.append(row.at(0).toString());
        return found;
    }

    void addSale(const QString &sale, bool closed = false, const QString &branch = "1", const QString &store = "1")
    {
        exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, NRMESA, DTHRABERMESA, DTHRFECHMESA) "
             "VALUES (:F, :L, :V, '5', '2026-03-04 19:00:00', :X)",
             {{"F", branch}, {"L", store}, {"V", sale}, {"X", closed ? Variant("2026-03-04 20:00:00") : Variant::null()}});
    }
    void addTab(const QString &sale, const QString &tab, const QString &branch = "1")
    {
        exec("INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA) VALUES (:F, :V, :C, '1')",
             {{"F", branch}, {"V", sale}, {"C", tab}});
    }
    void addItem(const QString &sale, const QString &tab, const QString &branch = "1")
    {
        exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN) VALUES (:F, :V, :C, '000001')",
             {{"F", branch}, {"V", sale}, {"C", tab}});
    }
    int count(const char *table, const QString &sale = "100", const QString &branch = "1")
    {
        return rows(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = :F AND NRVENDAREST = :V")
                        .arg(QLatin1String(table)),
                    {{"F", branch}, {"V", sale}})
            .value(0)
            .value(0)
            .toInt();
    }

    ClientDataSet m_itens{"cdsItensCancelados"};
};

TEST_P(TabWrites, FirstGiveUpOfADeskAndSaleIsNumberedOne)
{
    giveUp("P1", 1);
    EXPECT_EQ(setGeraDesistencia("1", "01", "100", m_itens), Variant());
    EXPECT_EQ(sequences(), QStringList{"001"});
}

TEST_P(TabWrites, GiveUpsContinueAfterTheHighestSequenceOfTheDeskAndSale)
{
    exec("INSERT INTO ITCOMANDAVENDES (CDFILIAL, CDCAIXA, NRVENDAREST, NRSEQITCOMVENDES) VALUES "
         "('1', '01', '100', '007'), ('1', '01', '100', '003'), ('1', '02', '100', '050'), ('1', '01', '101', '090')");
    giveUp("P1", 1);
    giveUp("P2", 1);
    giveUp("P3", 1);
    EXPECT_EQ(setGeraDesistencia("1", "01", "100", m_itens), Variant());
    EXPECT_EQ(sequences(), (QStringList{"003", "007", "008", "009", "010"}));
}

TEST_P(TabWrites, GiveUpSequenceGrowsPastThreeDigitsNumerically)
{
    exec("INSERT INTO ITCOMANDAVENDES (CDFILIAL, CDCAIXA, NRVENDAREST, NRSEQITCOMVENDES) VALUES "
         "('1', '01', '100', '999'), ('1', '01', '100', '1000')");
    giveUp("P1", 1);
    EXPECT_EQ(setGeraDesistencia("1", "01", "100", m_itens), Variant());
    EXPECT_TRUE(sequences().contains("1001"));
}

TEST_P(TabWrites, GivenUpQuantityIsStoredPositiveWithTheLinesValues)
{
    giveUp("P1", -2.5, 7.5);
    ASSERT_EQ(setGeraDesistencia("1", "01", "100", m_itens), Variant());
    const auto stored = rows("SELECT QTPRODITCOMVENDES, CDPRODUTO, DSOBSCANITE, CDSUPERVISOR, VRPRECCOMVEN, "
                             "VRDESCCOMVEN, VRACRCOMVEN FROM ITCOMANDAVENDES");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_DOUBLE_EQ(stored.at(0).at(0).toDouble(), 2.5);
    EXPECT_EQ(stored.at(0).at(1).toString(), "P1");
    EXPECT_EQ(stored.at(0).at(2).toString(), "desistiu");
    EXPECT_EQ(stored.at(0).at(3).toString(), "S1");
    EXPECT_DOUBLE_EQ(stored.at(0).at(4).toDouble(), 7.5);
    EXPECT_DOUBLE_EQ(stored.at(0).at(5).toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(stored.at(0).at(6).toDouble(), 0.25);
}

// Once a line cannot be written nothing is kept, and the caller is told.
TEST_P(TabWrites, AFailedLineWritesNoneAndReportsTheFailure)
{
    exec("CREATE UNIQUE INDEX TESTUMPRODUTO ON ITCOMANDAVENDES (CDFILIAL, CDCAIXA, NRVENDAREST, CDPRODUTO)");
    giveUp("P1", 1);
    giveUp("P2", 1);
    giveUp("P1", 1); // refused by the index
    giveUp("P3", 1);
    m_itens.First();
    m_itens.Next();
    const Variant result = setGeraDesistencia("1", "01", "100", m_itens);
    EXPECT_TRUE(result.isFailure()) << describe(result).toStdString();
    EXPECT_TRUE(sequences().isEmpty());
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    EXPECT_EQ(m_itens.FieldByName("CDPRODUTO").AsString(), "P2") << "the cursor is kept";
}

TEST_P(TabWrites, GiveUpOfNothingWritesNothing)
{
    EXPECT_EQ(setGeraDesistencia("1", "01", "100", m_itens), Variant());
    ClientDataSet closed;
    EXPECT_EQ(setGeraDesistencia("1", "01", "100", closed), Variant());
    EXPECT_TRUE(sequences().isEmpty());
}

TEST_P(TabWrites, GiveUpWithoutTheProductFieldIsRefused)
{
    ClientDataSet wrong;
    wrong.FieldDefs().Add("NRSEQ", FieldType::String, 3);
    ASSERT_TRUE(wrong.CreateDataSet());
    wrong.Append();
    wrong.FieldByName("NRSEQ").SetAsString("001");
    wrong.Post();
    const Variant result = setGeraDesistencia("1", "01", "100", wrong);
    ASSERT_TRUE(result.isFailure());
    EXPECT_TRUE(result.failureText().contains("CDPRODUTO"));
}

TEST_P(TabWrites, GiveUpReadFailureIsReported)
{
    exec("DROP TABLE ITCOMANDAVENDES");
    giveUp("P1", 1);
    EXPECT_TRUE(setGeraDesistencia("1", "01", "100", m_itens).isFailure());
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

struct ValidaPedidoCase
{
    const char *name;
    QStringList itemsInTabs;     // tabs of sale 100 (branch 1) that hold an item
    QStringList otherBranchTabs; // tabs of sale 100 of branch 2 that hold an item
    bool closed;
    const char *store; // store asked for
    bool tabDeleted;
    bool saleDeleted;
};

TEST_P(TabWrites, ValidaPedidoDeletesOnlyWhatHoldsNoItem)
{
    const QList<ValidaPedidoCase> cases{
        {"empty order", {}, {}, false, "1", true, true},
        {"items in every tab", {"12", "13"}, {}, false, "1", false, false},
        {"other tab has items", {"13"}, {}, false, "1", true, false},
        {"tab has items, other empty", {"12"}, {}, false, "1", false, false},
        {"items only in another branch", {}, {"12", "13"}, false, "1", true, true},
        {"closed sale", {}, {}, true, "1", false, false},
        {"another store", {}, {}, false, "2", false, false},
    };
    for (const ValidaPedidoCase &c : cases) {
        exec("DELETE FROM VENDAREST");
        exec("DELETE FROM COMANDAVEN");
        exec("DELETE FROM ITCOMANDAVEN");
        addSale("100", c.closed);
        addTab("100", "12");
        addTab("100", "13");
        for (const QString &tab : c.itemsInTabs)
            addItem("100", tab);
        addSale("100", false, "2");
        for (const QString &tab : c.otherBranchTabs) {
            addTab("100", tab, "2");
            addItem("100", tab, "2");
        }
        // the screen discards tab 12; tab 13 is discarded by its own call
        EXPECT_EQ(setValidaPedido("1", "100", c.store, "12"), Variant()) << c.name;
        const bool tabGone = rows("SELECT 1 FROM COMANDAVEN WHERE CDFILIAL = '1' AND NRCOMANDA = '12'").isEmpty();
        EXPECT_EQ(tabGone, c.tabDeleted) << c.name;
        EXPECT_EQ(setValidaPedido("1", "100", c.store, "13"), Variant()) << c.name;
        EXPECT_EQ(count("VENDAREST") == 0, c.saleDeleted) << c.name;
        EXPECT_EQ(count("VENDAREST", "100", "2"), 1) << c.name << ": the other branch is never touched";
    }
}

TEST_P(TabWrites, ValidaPedidoReportsAFailure)
{
    addSale("100");
    addTab("100", "12");
    exec("DROP TABLE ITCOMANDAVEN");
    EXPECT_TRUE(setValidaPedido("1", "100", "1", "12").isFailure());
    EXPECT_EQ(count("COMANDAVEN"), 1);
    EXPECT_EQ(count("VENDAREST"), 1);
}

VENDACONS_DATABASE_KINDS(TabWrites);

} // namespace

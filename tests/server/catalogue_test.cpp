#include <support/databasefixture.h>

#include <server/schema.h>
#include <server/statement.h>
#include <server/trdmvendacons.h>

#include <QStringList>

namespace {

TEST(StatementCatalogue, NamesAreUnique)
{
    EXPECT_EQ(StatementCatalogue::duplicateNames(), QStringList());
    EXPECT_FALSE(StatementCatalogue::all().isEmpty());
}

TEST(StatementCatalogue, PerKindTextsReplaceTheCommonOneOnlyForTheirKind)
{
    const Statement s("testDialeto", "SELECT 1", {.postgresql = "SELECT 2"});
    EXPECT_EQ(s.text(DatabaseKind::SQLite), "SELECT 1");
    EXPECT_EQ(s.text(DatabaseKind::PostgreSql), "SELECT 2");
}

TEST(Schema, DeclarationsAgree)
{
    EXPECT_EQ(Schema::problems(), QStringList());
}

TEST(Schema, TheDdlIsPortable)
{
    const Schema::Table table{"TESTE", {Schema::text("CDTESTE", 10), Schema::number("VRTESTE"), Schema::dateTime("DTTESTE"),
                                        Schema::integer("QTTESTE"), Schema::memo("DSTESTE")},
                              {"CDTESTE"}};
    EXPECT_EQ(Schema::createTableSql(table),
              "CREATE TABLE IF NOT EXISTS TESTE (CDTESTE VARCHAR(10) NOT NULL, VRTESTE NUMERIC(15,2), "
              "DTTESTE TIMESTAMP, QTTESTE INTEGER, DSTESTE TEXT, PRIMARY KEY (CDTESTE))");
}

class Catalogue : public DatabaseTest
{
};

// Every statement of the server layer must be accepted by every kind of database against the
// schema: a misspelt column or a dialect slip fails here, not at the till.
TEST_P(Catalogue, EveryStatementIsAcceptedByTheDatabase)
{
    Qub_movrela::DbConnection &session = rdmVendaCons().adcVendaCons();
    for (const Statement &statement : StatementCatalogue::all()) {
        if (statement.name().startsWith("test"))
            continue; // the tests' own, some broken on purpose
        EXPECT_TRUE(session.check(statement.name(), statement.text(kind())))
            << statement.name().toStdString() << ": " << session.lastError().databaseText.toStdString();
    }
}

TEST_P(Catalogue, AnExistingBaseIsUpgradedInPlace)
{
    exec("DROP TABLE NOVOCODIGO");
    exec("CREATE TABLE NOVOCODIGO (CDCONTADOR VARCHAR(100) NOT NULL PRIMARY KEY)");
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR) VALUES ('GUARDADO')");
    exec("DROP TABLE LOGACESSO");
    TrdmVendaCons module; // a new module checks the schema on its first connect
    QString error;
    ASSERT_TRUE(module.connect(&error)) << error.toStdString();
    const auto kept = rows("SELECT CDCONTADOR, NRSEQUENCIAL FROM NOVOCODIGO");
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.first().first().toString(), "GUARDADO");
    EXPECT_TRUE(kept.first().at(1).isNull());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM LOGACESSO").first().first().toInt(), 0);
}

TEST_P(Catalogue, UpgradingTwiceChangesNothing)
{
    exec("INSERT INTO NOVOCODIGO (CDCONTADOR, NRSEQUENCIAL) VALUES ('X', '5')");
    EXPECT_EQ(Schema::upgrade(rdmVendaCons().adcVendaCons()), Variant());
    EXPECT_EQ(Schema::upgrade(rdmVendaCons().adcVendaCons()), Variant());
    EXPECT_EQ(rows("SELECT NRSEQUENCIAL FROM NOVOCODIGO").first().first().toString(), "5");
}

// A base made when the sale's order identifier of the promotions service was one character
// wide takes the whole 37-character identifier once upgraded.
TEST_P(Catalogue, UpgradingWidensATextColumnAnOldBaseHasNarrower)
{
    if (kind() == DatabaseKind::PostgreSql)
        exec("ALTER TABLE VENDA ALTER COLUMN IDPEDINTEPROMO TYPE VARCHAR(1)");
    ASSERT_EQ(Schema::upgrade(rdmVendaCons().adcVendaCons()), Variant());
    const QString order = QStringLiteral("0f9a3c2e-7d41-4b8a-9e26-5c1d7a0b3e44X");
    ASSERT_EQ(order.size(), 37);
    exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDPEDINTEPROMO) VALUES ('1', '001', '1', :P)",
         {{"P", order}});
    EXPECT_EQ(rows("SELECT IDPEDINTEPROMO FROM VENDA").first().first().toString(), order);
}

// The consumer's movements are read by consumer at every badge item: a base made before their
// index gets it when upgraded, on both kinds.
TEST_P(Catalogue, UpgradingAddsTheIndexAnOldBaseLacks)
{
    const QString name = QStringLiteral("IX_MOVICLIE_CDCLIENTE_CDCONSUMIDOR_DTMOVIMCLIE");
    const QString count = kind() == DatabaseKind::SQLite
                              ? QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = '%1'")
                              : QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname = lower('%1')");
    ASSERT_EQ(rows(count.arg(name)).first().first().toInt(), 1);
    exec(QStringLiteral("DROP INDEX %1").arg(name));
    ASSERT_EQ(rows(count.arg(name)).first().first().toInt(), 0);
    ASSERT_EQ(Schema::upgrade(rdmVendaCons().adcVendaCons()), Variant());
    EXPECT_EQ(rows(count.arg(name)).first().first().toInt(), 1);
}

VENDACONS_DATABASE_KINDS(Catalogue);

} // namespace

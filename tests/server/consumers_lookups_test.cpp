#include "consumers_cases.h"

#include <server/srv_consumers.h>
#include <server/srv_lookups_products.h>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

const QDateTime desk(QDate(2026, 3, 4), QTime(6, 0));

QString deskSale(const char *number, const char *receipt, const char *note, const char *situation, const char *emission)
{
    return QStringLiteral("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRCUPOMFIS, NRNOTAFISCALCE, IDSITUVENDA, "
                          "IDTPEMISVEND, DTABERTUR) VALUES ('01', '001', '%1', '%2', '%3', '%4', %5, '2026-03-04 06:00:00')")
        .arg(QLatin1String(number), QLatin1String(receipt), QLatin1String(note), QLatin1String(situation),
             QLatin1String(emission));
}

QString creditLine(const char *sale)
{
    return QStringLiteral("INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, "
                          "IDTPMOVEXT, VRMOVEXTCONS, CDFILIAL, CDCAIXA, NRSEQVENDA) VALUES ('C1', 'K1', 'REF', "
                          "'2026-03-04 09:00:00', '001', 'V', 5, '01', '001', '%1')")
        .arg(QLatin1String(sale));
}

const QStringList points{
    consumer("K1", "1", "B1"),
    "INSERT INTO CAMPANHA (CDCAMPANHA, IDCAMPANHA, VRPONTOGERADESC, VRDESCVENDA) VALUES ('CP', 'E', 100, 5)",
    "INSERT INTO CAMPANHA (CDCAMPANHA, IDCAMPANHA, VRPONTOGERADESC, VRDESCVENDA) VALUES ('CQ', 'C', 100, 5)",
    "INSERT INTO MOVPONTOCONS (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRSALDOCONS, DTVALIDAPONTO) VALUES ('C1', 'K1', 'CP', 150, '2026-03-04 00:00:00')",
    "INSERT INTO MOVPONTOCONS (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRSALDOCONS, DTVALIDAPONTO) VALUES ('C1', 'K1', 'CP', 99, NULL)",
    "INSERT INTO MOVPONTOCONS (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRSALDOCONS, DTVALIDAPONTO) VALUES ('C1', 'K1', 'CP', 500, '2026-03-03 00:00:00')",
    "INSERT INTO MOVPONTOCONS (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRSALDOCONS, DTVALIDAPONTO) VALUES ('C1', 'K1', 'CQ', 500, NULL)",
};

QString coupon(const char *code, const char *single)
{
    return QStringLiteral("INSERT INTO CUPOMDESCQUB (CDCUPOMDESCQUB, IDTIPODESC, VRDESCCUPOM, IDUSOUNICO) VALUES ('%1', 'V', 2, '%2')")
        .arg(QLatin1String(code), QLatin1String(single));
}

const QStringList coupons{
    coupon("R-BRANCH", "N"), coupon("R-ANY", "N"), coupon("R-OTHER", "N"), coupon("S-BRANCH", "S"), coupon("S-USED", "S"),
    coupon("S-ANY", "S"), coupon("R-OTHERPRODUCT", "N"),
    "INSERT INTO PRODCUPOMDESC (CDCUPOMDESCQUB, CDPRODUTO) SELECT CDCUPOMDESCQUB, 'P1' FROM CUPOMDESCQUB "
    "WHERE CDCUPOMDESCQUB <> 'R-OTHERPRODUCT'",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('R-BRANCH', '01')",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('R-OTHER', '02')",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('S-BRANCH', '01')",
    "INSERT INTO FILIALCUPOMDESC (CDCUPOMDESCQUB, CDFILIAL) VALUES ('S-USED', '01')",
    "INSERT INTO USOCUPOMDESCQUB (CDCUPOMDESCQUB, CDFILIAL, NRSEQVENDA) VALUES ('S-USED', '01', 'V1')",
};

QString sorted(const Variant &value)
{
    QStringList rows = renderColumns(value, {"CDCUPOMDESCQUB"}).split("; ", Qt::SkipEmptyParts);
    rows.sort();
    return rows.join(",");
}

// A sale of the desk that took no coupon number (a cancelled attempt, a sale in progress).
const QString saleWithoutReceipt =
    "INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRCUPOMFIS, IDSITUVENDA, DTABERTUR) "
    "VALUES ('01', '001', 'S9', NULL, 'O', '2026-03-04 06:00:00')";

const QList<Case> lookupCases{
    {"DescVendaFidCampaignWithoutPointsPerBlockEarnsNothingOnBothBases",
     {consumer("K1", "1", "B1"),
      "INSERT INTO CAMPANHA (CDCAMPANHA, IDCAMPANHA, VRPONTOGERADESC, VRDESCVENDA) VALUES ('CZ', 'E', 0, 5)",
      "INSERT INTO MOVPONTOCONS (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, VRSALDOCONS, DTVALIDAPONTO) "
      "VALUES ('C1', 'K1', 'CZ', 150, NULL)"},
     [] { return renderColumns(getDescVendaFid("C1", "K1"), {"CDCAMPANHA", "VRSALDOCONS", "VRDESCONTO"}); }, "CZ|150|0",
     "", "MOVPONTOCONS", failure},
    {"CreditoPessoalLastReceiptIsTheLastNumberedOneOnBothBases",
     {deskSale("S1", "10", "", "O", "'E'"), creditLine("S1"), saleWithoutReceipt},
     [] { return render(getCreditoPessoal("01", "001", "", desk)); }, "True", "False", "EXTRATOCONS", failure},
    {"DescVendaFidWholeBlocksOfValidPoints", points,
     [] { return renderColumns(getDescVendaFid("C1", "K1"), {"CDCAMPANHA", "VRSALDOCONS", "VRDESCONTO"}); }, "CP|249|10",
     "", "MOVPONTOCONS", failure},
    {"CreditoPessoalByNote",
     {deskSale("S1", "10", "500", "O", "'N'"), creditLine("S1"), deskSale("S2", "11", "501", "O", "'S'")},
     [] { return render(getCreditoPessoal("01", "001", "500", desk)) + "/" + render(getCreditoPessoal("01", "001", "501", desk)); },
     "True/False", "False/False", "EXTRATOCONS", "@both"},
    {"CreditoPessoalLastReceiptOnly",
     {deskSale("S1", "10", "", "O", "'E'"), creditLine("S1"), deskSale("S2", "11", "", "O", "NULL")},
     [] { return render(getCreditoPessoal("01", "001", " ", desk)); }, "False", "False", "EXTRATOCONS", failure},
    {"CreditoPessoalLastReceiptWithCredit",
     {deskSale("S1", "10", "", "O", "'E'"), deskSale("S2", "11", "", "O", "NULL"), creditLine("S2")},
     [] { return render(getCreditoPessoal("01", "001", "", desk)); }, "True", "False", "EXTRATOCONS", failure},
    {"CreditoPessoalLastReceiptNoLongerOpen",
     {deskSale("S2", "11", "", "C", "NULL"), creditLine("S2")},
     [] { return render(getCreditoPessoal("01", "001", "", desk)); }, "False", "False", "VENDA", failure},
    {"CuponsValidos", coupons, [] { return sorted(getCuponsValidos("01", "P1")); }, "R-ANY,R-BRANCH,S-ANY,S-BRANCH", "",
     "CUPOMDESCQUB", failure},
    {"IdIntResgSaldo", {"INSERT INTO TIPORECE (CDTIPORECE, IDINTRESGSALDO) VALUES ('009', 'S')"},
     [] { return render(getIdIntResgSaldo("009")); }, "S", "", "TIPORECE", failure},
    {"CNPJEmpresa", plus(branch, {"INSERT INTO EMPRESA (CDEMPRESA, NRINSJUREMPR) VALUES ('E1', '99888777000166')"}),
     [] { return render(getCNPJEmpresa("01")); }, "99888777000166", "", "EMPRESA", failure},
    {"CNPJFil", branch, [] { return render(getCNPJFil("01")); }, "11222333000181", "", "FILIAL", failure},
};

class ConsumerSaleLookups : public Cases {};

TEST_P(ConsumerSaleLookups, MissingFoundFailed)
{
    const Case &c = lookup();
    if (c.failed != "@both") {
        runCase();
        return;
    }
    EXPECT_EQ(c.call(), c.missing);
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    EXPECT_EQ(c.call(), c.found);
    ASSERT_TRUE(m_fixture.exec("DROP TABLE " + c.table));
    const QString failed = c.call();
    EXPECT_TRUE(failed.startsWith("FAILURE ") && failed.contains(c.table, Qt::CaseInsensitive)) << failed.toStdString();
}

LOOKUP_CASES(ConsumerSaleLookups, lookupCases);

} // namespace

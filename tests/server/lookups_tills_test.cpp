#include "lookups_cases_test.h"

#include <server/srv_lookups_tills.h>

using namespace LookupsTest;
using namespace Srv_Kal51000;

namespace {

QStringList with(QStringList base, const QStringList &more)
{
    base.append(more);
    return base;
}

QString desk(const char *columns, const char *values)
{
    return QStringLiteral("INSERT INTO CAIXA (CDFILIAL, CDCAIXA, %1) VALUES ('01', '001', %2)")
        .arg(QLatin1String(columns), QLatin1String(values));
}

const QStringList paymentButtons{
    desk("NRCONFTELA", "'C1'"),
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDIDENTBUTON, IDTPBUTTON) VALUES ('01', 'C1', 'TEF', '5')",
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDIDENTBUTON, IDTPBUTTON) VALUES ('01', 'C1', 'OCU', '5')",
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDIDENTBUTON, IDTPBUTTON) VALUES ('01', 'C1', 'GEN', '5')",
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDIDENTBUTON, IDTPBUTTON) VALUES ('01', 'C1', 'PRD', '1')",
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, CDIDENTBUTON, IDTPBUTTON) VALUES ('01', 'C2', 'ABC', '5')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE, IDMOSTRARECE, IDDESABTEF) VALUES ('TEF', '1', 'S', 'S')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE, IDMOSTRARECE, IDDESABTEF) VALUES ('OCU', '1', 'N', 'N')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE, IDMOSTRARECE, IDDESABTEF) VALUES ('GEN', '1', 'S', 'N')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE, IDMOSTRARECE, IDDESABTEF) VALUES ('PRD', '1', 'S', 'N')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE, IDMOSTRARECE, IDDESABTEF) VALUES ('ABC', '1', 'S', 'N')",
};

const QStringList printers{
    "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, NRSEQIMPRPROD, NRSEQIMPRPROD2) VALUES ('01', 'L1', '1001', '1', '2')",
    "INSERT INTO IMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, CDLOJA, CDIMPRESSORA, CDPORTAIMPR) VALUES ('01', '1', 'L1', 'EP', 'COZINHA')",
    "INSERT INTO IMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, CDLOJA, CDIMPRESSORA, CDPORTAIMPR) VALUES ('01', '2', 'L1', 'BE', 'BAR')",
    "INSERT INTO IMPRESSORA (CDIMPRESSORA, IDMODEIMPRES) VALUES ('EP', '10')",
    "INSERT INTO IMPRESSORA (CDIMPRESSORA, IDMODEIMPRES) VALUES ('BE', '20')",
};

const QStringList backupMap{
    desk("CDLOJA, NRSEQIMPRLOJA1, NRSEQIMPRLOJA1BK, NRSEQIMPRLOJA2, NRSEQIMPRLOJA2BK, NRSEQIMPRLOJA5",
         "'L1', '1', '2', '3', '', '6'"),
    "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, NRSEQIMPRPROD, NRSEQIMPPRDBKP) VALUES ('01', 'L1', '1001', '4', '5')",
    "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, NRSEQIMPRPROD, NRSEQIMPPRDBKP) VALUES ('01', 'L1', '1002', '4', '5')",
    "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, NRSEQIMPRPROD, NRSEQIMPPRDBKP) VALUES ('01', 'L2', '1001', '7', '8')",
    "INSERT INTO IMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, CDIMPRESSORA, CDPORTAIMPR) VALUES ('01', '1', 'EP', 'P1')",
    "INSERT INTO IMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, CDIMPRESSORA, CDPORTAIMPR) VALUES ('01', '2', 'BE', 'P2')",
    "INSERT INTO IMPRESSORA (CDIMPRESSORA, IDMODEIMPRES) VALUES ('EP', '10')",
    "INSERT INTO IMPRESSORA (CDIMPRESSORA, IDMODEIMPRES) VALUES ('BE', '20')",
    "INSERT INTO MAPIMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, DSENDPORTA) VALUES ('01', '1', 'cozinha')",
    "INSERT INTO MAPIMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, DSENDPORTA) VALUES ('01', '2', 'srv\\reserva')",
    "INSERT INTO MAPIMPRLOJA (CDFILIAL, NRSEQIMPRLOJA, DSENDPORTA) VALUES ('01', '4', 'bar')",
};

QString sale(const char *sequence, const char *columns, const char *values)
{
    return QStringLiteral("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, %1) VALUES ('01', '001', '%2', %3)")
        .arg(QLatin1String(columns), QLatin1String(sequence), QLatin1String(values));
}

const QStringList qrSales{
    sale("1", "NRVENDAREST, NRCOMANDAVND, IDSITUVENDA, DTENTRVENDA", "'V1', 'C1', 'O', '2026-03-04 08:15:00'"),
    sale("2", "NRVENDAREST, NRCOMANDAVND, IDSITUVENDA, DTENTRVENDA", "'V2', 'C1', 'C', '2026-03-04 08:15:00'"),
    sale("3", "NRVENDAREST, NRCOMANDAVND, IDSITUVENDA, DTENTRVENDA", "'V3', 'C1', 'O', '2026-03-03 23:59:59'"),
};

QString renderCheck(const QrCodeSaleCheck &check)
{
    switch (check.state) {
    case QrCodeSaleCheck::State::Free:
        return QStringLiteral("free");
    case QrCodeSaleCheck::State::Taken:
        return QStringLiteral("taken");
    case QrCodeSaleCheck::State::Failed:
        return QStringLiteral("FAILURE ") + check.errorText;
    }
    return QString();
}

const QList<Case> tillCases{
    {"ConfigCaixa", {desk("IDLEITURAQRCODE", "'S'")}, [] { return render(getConfigCaixa("01", "001")); }, "S", "",
     "CAIXA", "N"},
    {"VisualizaTelPedS", {desk("IDVISTELPED", "'S'")}, [] { return render(getVisualizaTelPed("01", "001")); },
     "True", "False", "CAIXA", failure},
    {"VisualizaTelPedN", {desk("IDVISTELPED", "'N'")}, [] { return render(getVisualizaTelPed("01", "001")); },
     "False", "False", "CAIXA", failure},
    {"ImpPesagem", {desk("IDIMPPESAGEM", "'S'")}, [] { return render(getImpPesagem("01", "001")); }, "S", "N",
     "CAIXA", "N"},
    {"ImpPesagemEmptyColumn", {desk("IDIMPPESAGEM", "NULL")}, [] { return render(getImpPesagem("01", "001")); }, "N",
     "N", "CAIXA", "N"},
    {"RecebGenerico", paymentButtons, [] { return render(getRecebGenerico("01", "001")); }, "GEN", "", "TIPORECE", ""},
    {"CartaoCHART",
     {"INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('DIN', '1')",
      "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('CHT', 'E')"},
     [] { return render(getCartaoCHART()); }, "true", "false", "TIPORECE", "false"},
    {"CartaoCHARTWithoutKindE", {"INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('DIN', '1')"},
     [] { return render(getCartaoCHART()); }, "false", "false", "TIPORECE", "false"},
    {"ImprLoja", printers, [] { return render(getImprLoja("01", "L1", "1001")); }, "COZINHA|10", "", "IMPRESSORA",
     failure},
    {"ImprLoja2", printers, [] { return render(getImprLoja2("01", "L1", "1001")); }, "BAR|20", "", "IMPRLOJA",
     failure},
    {"ImpBackupPairsWithBothSidesOnce", backupMap,
     [] {
         return renderColumns(getImpBackup("01", "001"), {"NRSEQIMPRLOJA", "NRSEQIMPRLOJABK", "CDPORTAIMPR",
                                                          "CDPORTAIMPRBK", "DSENDPORTA", "DSENDPORTABK", "IDMODEIMPRES",
                                                          "IDMODEIMPRESBK", "CDLOJA", "CDCAIXA", "TIPO"});
     },
     "1|2|P1|P2|cozinha|srv\\reserva|10|20|L1|001|CAIXA; 4|5|||bar||||L1|001|PRODLOJA", "", "MAPIMPRLOJA", failure},
    {"DsOcorr", {"INSERT INTO OCORRENCIA (CDGRPOCOR, CDOCORR, DSOCORR) VALUES ('G1', '01', 'Sem gelo')"},
     [] { return render(getDsOcorr("G1", "01")); }, "Sem gelo", "", "OCORRENCIA", ""},
    {"IDUTCUPOMDESC", {"INSERT INTO PARAMGERAL (IDUTCUPOMDESC) VALUES ('S')"},
     [] { return render(getIDUTCUPOMDESC()); }, "S", "", "PARAMGERAL", errorText},
    {"BloqFimSemana",
     {"INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, IDBLOQSALDFS) VALUES ('C1', '0042', 'S')"},
     [] { return render(getBloqFimSemana("C1", "0042")); }, "S", "", "CONSUMIDOR", errorText},
    {"IDIMPQRTOPDATA",
     {desk("IDIMPQRTOPDATA", "'S'"), "INSERT INTO PRODUTO (CDPRODUTO, IDIMPQRCODECAT) VALUES ('1001', 'S')"},
     [] { return render(getIDIMPQRTOPDATA("001", "01", "1001")); }, "S", "", "CAIXA", ""},
    {"IDIMPQRTOPDATAProductWithoutQR",
     {desk("IDIMPQRTOPDATA", "'S'"), "INSERT INTO PRODUTO (CDPRODUTO, IDIMPQRCODECAT) VALUES ('1001', 'N')"},
     [] { return render(getIDIMPQRTOPDATA("001", "01", "1001")); }, "", "", "PRODUTO", ""},
    {"SenhaUtilUsedThatDay",
     {sale("1", "CDSENHAPED, DTENTRVENDA", "'12', '2026-03-04 08:00:00'")},
     [] { return render(getSenhaUtil("01", "12", "001", QDateTime(QDate(2026, 3, 4), QTime(0, 0)))); }, "12", "",
     "VENDA", errorText},
    {"SenhaUtilFreeOnAnotherDay",
     {sale("1", "CDSENHAPED, DTENTRVENDA", "'12', '2026-03-03 08:00:00'")},
     [] { return render(getSenhaUtil("01", "12", "001", QDateTime(QDate(2026, 3, 4), QTime(0, 0)))); }, "", "",
     "VENDA", errorText},
    {"VendaQRCodeOpenSaleOfTodayIsTaken", qrSales, [] { return renderCheck(getVendaQRCode("01", "V1", "C1")); }, "taken",
     "free", "VENDA", failure},
    {"VendaQRCodeCancelledSaleIsFree", qrSales, [] { return renderCheck(getVendaQRCode("01", "V2", "C1")); }, "free",
     "free", "VENDA", failure},
    {"VendaQRCodeYesterdaysSaleIsFree", qrSales, [] { return renderCheck(getVendaQRCode("01", "V3", "C1")); }, "free",
     "free", "VENDA", failure},
};

class TillLookups : public Cases {};

TEST_P(TillLookups, MissingFoundFailed)
{
    runCase();
}

LOOKUP_CASES(TillLookups, tillCases);

class QrCodeSale : public DatabaseTest {};

// A base that cannot answer must never let the same QR code be sold twice.
TEST_P(QrCodeSale, FailureRefuses)
{
    exec("DROP TABLE VENDA");
    const QrCodeSaleCheck check = getVendaQRCode("01", "V1", "C1");
    EXPECT_EQ(check.state, QrCodeSaleCheck::State::Failed);
    EXPECT_TRUE(check.refuses());
    EXPECT_FALSE(check.errorText.isEmpty());
}

TEST_P(QrCodeSale, OnlyFreeLetsTheSaleGoOn)
{
    const QrCodeSaleCheck free{QrCodeSaleCheck::State::Free, QString()};
    const QrCodeSaleCheck taken{QrCodeSaleCheck::State::Taken, QString()};
    EXPECT_FALSE(free.refuses());
    EXPECT_TRUE(taken.refuses());
}

VENDACONS_DATABASE_KINDS(QrCodeSale);

} // namespace

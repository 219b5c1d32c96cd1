#include "lookups_cases_test.h"

#include <server/srv_lookups_fiscal.h>
#include <server/srv_lookups_partners.h>
#include <server/srv_startup_lookups.h>

using namespace LookupsTest;
using namespace Srv_Kal51000;

namespace {

QString sale(const char *sequence, const char *columns, const char *values)
{
    return QStringLiteral("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, %1) VALUES ('01', '001', '%2', %3)")
        .arg(QLatin1String(columns), QLatin1String(sequence), QLatin1String(values));
}

QString movement(const char *sequence, const char *values)
{
    return QStringLiteral("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUMOVI, DTABERCAIX, CDTIPORECE, "
                          "VRMOVIVEND, NRCONTROLTEF, IDTRANSAME, IDTRANSAMECAPT) VALUES ('01', '001', '%1', %2)")
        .arg(QLatin1String(sequence), QLatin1String(values));
}

QString reduction()
{
    QString nrRed, nrReini;
    double gross = -1, total = -1;
    QDateTime date;
    const Variant answer = getBuscaDadosReducao("01", "001", nrRed, nrReini, gross, total, date);
    return QStringList{render(answer), nrRed, nrReini, QString::number(gross), QString::number(total),
                       date.toString("yyyy-MM-dd hh:mm")}
        .join(QLatin1Char('|'));
}

const QStringList satSales{
    sale("1", "NRNOTAFISCALCE, NRACESSONFCE, ENDVENDAROUTER, IDSITUVENDA, DTVENDA",
         "'000123', 'KEY1', 'r1', 'O', '2026-03-01 10:00:00'"),
    sale("2", "NRNOTAFISCALCE, NRACESSONFCE, ENDVENDAROUTER, IDSITUVENDA, DTVENDA",
         "'000123', 'KEY2', 'r2', 'C', '2026-03-04 09:00:00'"),
    sale("3", "NRNOTAFISCALCE, NRACESSONFCE, ENDVENDAROUTER, IDSITUVENDA, DTVENDA",
         "'000124', 'KEY3', 'r3', 'O', '2026-03-04 09:30:00'"),
};

const QStringList cardSale{
    sale("7", "NRCUPOMFIS, DTENTRVENDA", "'55', '2026-03-04 10:00:00'"),
    sale("8", "NRCUPOMFIS, DTENTRVENDA", "'55', '2026-03-03 10:00:00'"),
    movement("7", "'001', '2026-03-04 06:00:00', 'DIN', 10, NULL, NULL, NULL"),
    movement("7", "'002', '2026-03-04 06:00:00', 'CRD', 20, 'CTRL7', NULL, NULL"),
    movement("8", "'001', '2026-03-03 06:00:00', 'CRD', 20, 'CTRL8', NULL, NULL"),
};

const QStringList walletSale{
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('AME', 'I')",
    "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('DIN', '1')",
    movement("7", "'001', '2026-03-04 06:00:00', 'DIN', 10, NULL, NULL, NULL"),
    movement("7", "'002', '2026-03-04 06:00:00', 'AME', 20, NULL, 'T-1', 'C-1'"),
    movement("7", "'003', '2026-03-03 06:00:00', 'AME', 30, NULL, 'T-0', 'C-0'"),
};

const QString branchSettings =
    "INSERT INTO PARAVEND (CDFILIAL, DSLOGINAME, DSSENHAAME, VRCASHBACK, DSLOGINAMEHOM, DSSENHAAMEHOM, IDAMBIENTEAME, "
    "DSURLSERVAME, VRCONVPONTO, DSIDRESGS, DSSENHARESGS) VALUES ('01', 'loja', 'segredo', 5, 'lojahom', 'segredohom', "
    "'P', 'https://ame', 2.5, 'cliente-7', 'senha-7')";

const QString storeSettings =
    "INSERT INTO LOJA (CDFILIAL, CDLOJA, IDUTLINTEGCOM, CDBRANDIDGCOM, CDURLGCOM, IDCRMBONUS, CDURLCRMBONUS, "
    "CDAUTHCRMBONUS, CDCODECRMBONUS) VALUES ('01', 'L1', 'S', 'B01', 'https://gcom', 'S', 'https://crm', 'Basic x', "
    "'K9')";

const QList<Case> partnerCases{
    {"BuscaDadosReducaoLatest",
     {"INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, DTREDUCAOZ, NRREDREDZ, NRREINIREDZ, VRVENBRUREDZ, VRGTREDZ) "
      "VALUES ('01', '001', '2026-03-02 23:00:00', '0040', '1', 900, 90000)",
      "INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, DTREDUCAOZ, NRREDREDZ, NRREINIREDZ, VRVENBRUREDZ, VRGTREDZ) "
      "VALUES ('01', '001', '2026-03-03 23:00:00', '0041', '1', 1234.5, 91234.5)",
      "INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, DTREDUCAOZ, NRREDREDZ) VALUES ('01', '002', '2026-03-04 01:00:00', '9')"},
     reduction, "|0041|1|1234.5|91234.5|2026-03-03 23:00", "|||0|0|", "REDUCAOZ",
     "@reduction"},
    {"UltVendaSatNewestFirst", satSales,
     [] { return render(getUltVendaSat("01", "001", "000123")); }, "000123|KEY2|2|001|r2; 000123|KEY1|1|001|r1", "",
     "VENDA", failure},
    {"SituVendaSatNewestCancelled", satSales, [] { return render(getSituVendaSat("01", "001", "000123")); }, "true",
     "false", "VENDA", "false"},
    {"SituVendaSatOpen", satSales, [] { return render(getSituVendaSat("01", "001", "000124")); }, "false", "false",
     "VENDA", "false"},
    {"RetornaTefCapptaCardMovementOfThatDay", cardSale,
     [] { return render(getRetornaTefCappta("01", "001", "55", QDateTime(QDate(2026, 3, 4), QTime(15, 30)))); },
     "CTRL7", "", "MOVCAIXA", failure},
    {"DadosAme", {branchSettings}, [] { return render(getDadosAme("01")); },
     "loja|segredo|5|lojahom|segredohom|P||||https://ame", "", "PARAVEND", failure},
    {"MovCaixaAME", walletSale,
     [] { return render(getMovCaixaAME("01", "001", "7", QDateTime(QDate(2026, 3, 4), QTime(6, 0)))); },
     "T-1|002|20|C-1", "", "TIPORECE", failure},
    {"DadosGCOMWithoutGeneralRow", {storeSettings}, [] { return render(getDadosGCOM("01", "L1")); },
     "S|B01|https://gcom|", "", "LOJA", failure},
    {"DadosGCOM", {storeSettings, "INSERT INTO GERPARAMGERAL (IDTOKENAPIGCOM) VALUES ('tok')"},
     [] { return render(getDadosGCOM("01", "L1")); }, "S|B01|https://gcom|tok", "", "GERPARAMGERAL", failure},
    {"VendaGCOM",
     {sale("7", "NRINSJURIEST, NRNOTAFISCALCE, NRCOMANDAEXT, NRTELGCOM", "'12345678000199', '321', 'X9', '11999'")},
     [] { return render(getVendaGCOM("01", "001", "7")); }, "12345678000199|321|X9|11999", "", "VENDA", failure},
    {"Conversao", {branchSettings}, [] { return render(getConversao("01")); }, "2,5", "0", "PARAVEND", failure},
    {"DadosCRMBONUS", {storeSettings}, [] { return render(getDadosCRMBONUS("01", "L1")); },
     "S|https://crm|Basic x|K9", "", "LOJA", failure},
    {"ConsumidorDLV",
     {"INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR) VALUES ('C1', '0042', 'Ana Souza')"},
     [] { return render(getConsumidorDLV("C1", "0042")); }, "Ana Souza", "", "CONSUMIDOR", ""},
    {"DadosResgSaldo", {branchSettings}, [] { return render(getDadosResgSaldo("01")); }, "cliente-7|senha-7", "",
     "PARAVEND", failure},
};

class PartnerLookups : public Cases {};

TEST_P(PartnerLookups, MissingFoundFailed)
{
    const Case &c = lookup();
    if (c.failed != QLatin1String("@reduction")) {
        runCase();
        return;
    }
    EXPECT_EQ(c.call().toStdString(), c.missing.toStdString());
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    EXPECT_EQ(c.call().toStdString(), c.found.toStdString());
    ASSERT_TRUE(m_fixture.exec("DROP TABLE REDUCAOZ"));
    // The failure text first, then outputs left blank.
    const QString failed = c.call();
    EXPECT_TRUE(failed.startsWith("FAILURE ") && failed.contains("REDUCAOZ", Qt::CaseInsensitive)
                && failed.endsWith("|||0|0|"))
        << failed.toStdString();
}

LOOKUP_CASES(PartnerLookups, partnerCases);

class PartnerPackets : public DatabaseTest {};

// The caller writes the chosen environment's address and login into the empty columns.
TEST_P(PartnerPackets, AmeFieldsLeftEmptyAreWideEnoughToFill)
{
    exec(branchSettings);
    const Variant answer = getDadosAme("01");
    ASSERT_TRUE(answer.isPacket()) << describe(answer).toStdString();
    const DataPacket &packet = answer.packet();
    for (const char *name : {"DSURLRAIZ", "DSLOGIN", "DSSENHA"}) {
        const int index = packet.fieldIndex(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_EQ(packet.fields.at(index).size, 255) << name;
        EXPECT_EQ(packet.fields.at(index).type, FieldType::String) << name;
    }
}

TEST_P(PartnerPackets, ConsumerOfAnySituationAndEmptyTextOnFailure)
{
    exec("DROP TABLE CONSUMIDOR");
    const Variant failed = getConsumidorDLV("C1", "0042");
    EXPECT_TRUE(failed.isText() && failed.toString().isEmpty()) << describe(failed).toStdString();
}

VENDACONS_DATABASE_KINDS(PartnerPackets);

} // namespace

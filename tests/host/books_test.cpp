// The books check on every road: each scenario script of host/scripts/, on each desk it is
// written for, played alone on a fresh site by the real vendacons-host; what it saved in the base
// and the documents it issued agree to the cent (books.h says which equations). A failure names
// the script, the desk, the sale and the equation with its figures.
#include "books.h"
#include "differential.h"
#include "hostprogram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using Differential::Desk;
using Differential::Scenario;

const Differential::SiteSetup demoSite{QStringLiteral("demo"), {}};

struct Outcome
{
    bool began = false;
    bool ended = false;
    QStringList disagreements;
    QString output;
};

// Plays `scenario` alone on a fresh site of `desk` and reads its books as it ends; `meddle`
// (when given) may then change the site and answer more findings, before the site is put back.
Outcome playAndCheck(Desk desk, const Scenario &scenario,
                     const std::function<void(const Books::Opening &, const QString &, QStringList &)> &meddle = {})
{
    Outcome outcome;
    Books::Opening opening;
    Differential::watchSites([&](int, const QString &site, bool ended) {
        if (!ended) {
            opening = Books::openBooks(site);
            outcome.began = true;
            return;
        }
        if (outcome.ended)
            return;
        outcome.ended = true;
        outcome.disagreements = Books::disagreements(opening, site);
        if (meddle)
            meddle(opening, site, outcome.disagreements);
    });
    const Differential::Played played =
        Differential::play(desk, {&scenario}, scenario.site.name.isEmpty() ? demoSite : scenario.site);
    Differential::watchSites({});
    outcome.output = played.output;
    return outcome;
}

struct BooksCase
{
    Desk desk;
    const Scenario *scenario;
};

std::vector<BooksCase> everyRoad()
{
    std::vector<BooksCase> cases;
    for (const Scenario &scenario : Differential::everyScenario())
        for (Desk desk : scenario.desks)
            cases.push_back({desk, &scenario});
    return cases;
}

class BooksRoad : public ::testing::TestWithParam<BooksCase>
{
};

TEST_P(BooksRoad, WhatTheScriptSavedAndTheDocumentsItIssuedAgreeToTheCent)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    const Scenario &scenario = *GetParam().scenario;
    const std::string where = scenario.name.toStdString() + " on the " + Differential::tillName(GetParam().desk).toStdString()
        + " desk";
    const Outcome outcome = playAndCheck(GetParam().desk, scenario);
    ASSERT_TRUE(outcome.began && outcome.ended) << where << " did not play:\n" << outcome.output.toStdString();
    EXPECT_TRUE(outcome.disagreements.isEmpty())
        << "BOOKS " << where << ":\n  " << outcome.disagreements.join(QStringLiteral("\n  ")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Books, BooksRoad, ::testing::ValuesIn(everyRoad()), [](const auto &info) {
    return Differential::tillName(info.param.desk).toStdString() + "_"
        + QString(info.param.scenario->name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_")).toStdString();
});

// The check itself: on a sale whose books balance (a card sale, a personal-credit sale), each
// figure put wrong by hand (in the base, on the tape, in the XML, in the card program's ledger,
// in a consumer's balance) is reported.
struct Corruption
{
    const char *name;
    Desk desk;
    std::function<bool(const QString &site)> apply;
    const char *reported; // a text the report must hold
    const char *scenario = "venda-cartao";
};

QString firstFile(const QString &site, const QString &folder, const QString &pattern)
{
    QDirIterator it(QDir(site).filePath(folder), {pattern}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

// Replaces the first match of `pattern` in the file with `replacement`; false when nothing matched.
bool rewrite(const QString &path, const QString &pattern, const QString &replacement)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    const QRegularExpressionMatch match = QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text);
    if (!match.hasMatch())
        return false;
    QString piece = match.captured(0);
    piece.replace(QRegularExpression(pattern, QRegularExpression::MultilineOption), replacement);
    text.replace(match.capturedStart(), match.capturedLength(), piece);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

bool appendTo(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

const std::vector<Corruption> &corruptions()
{
    static const std::vector<Corruption> all{
        {"SaleTotalInTheBase", Desk::Nf,
         [](const QString &site) { return Differential::execute(site, {"UPDATE VENDA SET VRTOTVENDA = VRTOTVENDA + 0.01"}); },
         "VRTOTVENDA = "},
        {"ItemDiscountInTheBase", Desk::Nf,
         [](const QString &site) { return Differential::execute(site, {"UPDATE ITEMVENDA SET VRDESCCOMVEN = 0.01"}); },
         "descontos 0,01"},
        {"PaymentInTheBase", Desk::Nf,
         [](const QString &site) { return Differential::execute(site, {"UPDATE MOVCAIXA SET VRMOVIVEND = VRMOVIVEND - 1"}); },
         "pagamentos 21,90"},
        {"PaymentsNotCancelledWithTheSale", Desk::Nf,
         [](const QString &site) { return Differential::execute(site, {"UPDATE VENDA SET IDSITUVENDA = 'C'"}); },
         "linhas de MOVCAIXA não estão canceladas"},
        {"TapeTotal", Desk::Ecf,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/ImpressoraFiscal", "fita-*.txt"), "^TOTAL R\\$ +\\S+$", "TOTAL R$ 99,99");
         },
         "tem total"},
        {"TapeChange", Desk::Ecf,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/ImpressoraFiscal", "fita-*.txt"), "^(CUPOM FISCAL FECHADO)",
                            "TROCO R$ 0,50\n\\1");
         },
         "TROCO 0,50"},
        {"NfceTotal", Desk::Nfce,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/XML_NFCe_Sat", "*-nfce.xml"), "<vNF>[^<]*</vNF>", "<vNF>1.00</vNF>");
         },
         "tem total 1,00"},
        {"NfceItemDiscount", Desk::Nfce,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/XML_NFCe_Sat", "*-nfce.xml"), "<vDesc>[^<]*</vDesc>", "<vDesc>0.10</vDesc>");
         },
         "vDesc 0,10"},
        {"NfcePayment", Desk::Nfce,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/XML_NFCe_Sat", "*-nfce.xml"), "<vTroco>[^<]*</vTroco>",
                            "<vTroco>0.20</vTroco>");
         },
         "vTroco 0,20"},
        {"CfeTotal", Desk::Sat,
         [](const QString &site) {
             return rewrite(firstFile(site, "Dados/XML_NFCe_Sat", "CFe*.xml"), "<vCFe>[^<]*</vCFe>", "<vCFe>2.00</vCFe>");
         },
         "tem total 2,00"},
        {"CardReversedWhileTheSaleStands", Desk::Nf,
         [](const QString &site) {
             QFile ledger(QDir(site).filePath("Dados/Cartao/transacoes.txt"));
             if (!ledger.open(QIODevice::ReadOnly))
                 return false;
             const QByteArray nsu = ledger.readLine().split(';').value(0);
             ledger.close();
             return !nsu.isEmpty() && appendTo(ledger.fileName(), nsu + ";;ESTORNADA\n");
         },
         "ESTORNADA no programa do cartão"},
        {"ConsumerBalanceBesideItsStatement", Desk::Nf,
         [](const QString &site) {
             return Differential::execute(site, {"UPDATE SALDOCONS SET VRSALDCONFAM = VRSALDCONFAM + 1 WHERE CDFAMILISALD = "
                                                 "(SELECT CDFAMILISALD FROM EXTRATOCONS ORDER BY DTMOVEXTCONS DESC LIMIT 1)"});
         },
         "mas SALDOCONS tem", "venda-credito"},
    };
    return all;
}

class BooksCheck : public ::testing::TestWithParam<Corruption>
{
};

TEST_P(BooksCheck, AFigurePutWrongInASaleThatBalancesIsReported)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    const Corruption &corruption = GetParam();
    const auto found = std::find_if(Differential::everyScenario().cbegin(), Differential::everyScenario().cend(),
                                    [&corruption](const Scenario &s) { return s.name == QLatin1String(corruption.scenario); });
    ASSERT_NE(found, Differential::everyScenario().cend());
    bool applied = false;
    QStringList after;
    const Outcome outcome = playAndCheck(corruption.desk, *found,
                                         [&](const Books::Opening &opening, const QString &site, QStringList &) {
                                             applied = corruption.apply(site);
                                             after = Books::disagreements(opening, site);
                                         });
    ASSERT_TRUE(outcome.ended) << outcome.output.toStdString();
    ASSERT_TRUE(outcome.disagreements.isEmpty()) << outcome.disagreements.join('\n').toStdString();
    ASSERT_TRUE(applied) << "the corruption found nothing to change";
    EXPECT_TRUE(after.join('\n').contains(QString::fromUtf8(corruption.reported)))
        << "expected a report holding \"" << corruption.reported << "\", got:\n"
        << after.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Books, BooksCheck, ::testing::ValuesIn(corruptions()),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

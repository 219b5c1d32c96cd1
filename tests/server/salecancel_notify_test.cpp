#include "salecancel_fixture.h"

#include <support/fakemessages.h>

#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <stdexcept>

namespace {

using Partner = FakePartners::Partner;
using Behaviour = FakePartners::Behaviour;

const char *authorisation = "crm-auth-segredo-42";

// Every partner of the sale recorded in call order; each answers as its slot says.
struct Recorder
{
    QStringList calls;
    QMap<QString, std::function<PartnerAnswer()>> answers;
    Fid4AllAnswer fourAll{true, {}, true};
    UdsAnswer uds{true};
    bool fourAllThrows = false;
    Fid4AllRequest fourAllRequest;
    VimoNotice vimo;
    FixeCrmNotice fixe;

    PartnerAnswer answer(const QString &name)
    {
        calls << name;
        const auto found = answers.find(name);
        return found == answers.end() ? PartnerAnswer{true, {}, Variant(true)} : (*found)();
    }

    void install(Pkg_Hrk00002 &t)
    {
        t.IntegracaoFid4All = [this](const Fid4AllRequest &r) {
            calls << "4ALL";
            fourAllRequest = r;
            if (fourAllThrows)
                throw std::runtime_error("4ALL caiu");
            return fourAll;
        };
        t.IntegracaoFidUds = [this](const UdsRequest &) {
            calls << "UDS";
            return uds;
        };
        t.IntegracaoPromo = [this](const PromoRequest &) {
            calls << "PROMO";
            return PromoAnswer{true};
        };
        t.FidelidadeOnline = [this](const OnlineLoyaltyNotice &) { return answer("FIDONLINE"); };
        t.ValePresente = [this](const GiftVoucherNotice &n) { return answer("VALEPRESENTE " + n.method); };
        t.CoreBancario = [this](const CoreBankingNotice &) { return answer("COREBANC"); };
        t.FidelidadeVimo = [this](const VimoNotice &n) {
            vimo = n;
            return answer("VIMO");
        };
        t.FixeCRM = [this](const FixeCrmNotice &n) {
            fixe = n;
            return answer("FIXECRM");
        };
    }
};

class CancelNotify : public SaleCancelTest
{
protected:
    void SetUp() override
    {
        SaleCancelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(partners.start());
        recorder.install(host.table());
        saveCashSale("0000000005", "", "", "000000777");
        exec("UPDATE VENDA SET NRCPFFID4ALL = '111', NRCPFFIDUDS = '222', IDPEDINTEPROMO = 'PED-1', "
             "IDREQVALPRE = :R, IDREQCOREBANC = :R, NRCPFCOREBANC = '33344455566', IDCUPOMVIMO = 'CUPOM-VIMO-7', "
             "IDBENEFVIMO = 'D', NRTELVIMO = '11999990000', VRTOTVIMO = 12.5, NRCPFFIXECRM = '44455566677', "
             "VRRESGFIXECRM = 3, NRIDBONUSCRM = 'BONUS1234567', NRNFCECRMBONUS = :N, CDCONSUMIDOR = 'K1'",
             {{"R", QString(36, QLatin1Char('a'))}, {"N", QString(25, QLatin1Char('5'))}});
        exec("INSERT INTO CAMPANHA (CDCAMPANHA, IDCAMPANHA, DTINIVIGCAMP, DTFIMVIGCAMP) VALUES ('CP1', 'S', :I, :F)",
             {{"I", now.addDays(-1)}, {"F", now.addDays(1)}});
        exec("INSERT INTO FILICAMPANHA (CDCAMPANHA, CDFILIAL) VALUES ('CP1', '01')");
    }

    SaleCancelRequest everyPartner()
    {
        SaleCancelRequest r = request("000000777", "NFCe");
        r.IDUTILFID4ALL = r.IDUTILFIDUDS = r.IDUTILINTEPROMO = r.IDUTILINTVALPRE = r.IDUTICOREBANC = "S";
        r.IDUTILINTVIMO = r.IDUTILFIXECRM = r.IDCRMBONUS = "S";
        r.CDURLFIDONLINE = "http://127.0.0.1:1/fid";
        r.CDURLCRMBONUS = partners.baseUrl(Partner::CrmBonus);
        r.CDAUTHCRMBONUS = authorisation;
        r.CDCODECRMBONUS = "EMP9";
        return r;
    }

    QString logs()
    {
        QString all;
        QDirIterator it(SitePaths::home(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                all += QString::fromUtf8(file.readAll());
        }
        return all;
    }

    FakePartners partners;
    PartnerWaits waits;
    ScopedHostServices host{Pkg_Hrk00002()};
    Recorder recorder;
    FakeMessages messages;
};

TEST_P(CancelNotify, EveryPartnerOfTheSaleIsToldAfterTheCommitInOrder)
{
    recorder.answers["FIDONLINE"] = [] { return PartnerAnswer{true, {}, Variant("Pontos estornados")}; };
    const Variant answer = getVendaNFisc(everyPartner());
    ASSERT_EQ(answer.packet().rows.size(), 2) << describe(answer).toStdString();
    EXPECT_EQ(recorder.calls, (QStringList{"4ALL", "UDS", "PROMO", "FIDONLINE", "VALEPRESENTE POST",
                                           "VALEPRESENTE GET", "COREBANC", "VIMO", "FIXECRM"}));
    EXPECT_EQ(recorder.fourAllRequest.operation, "VENDA_CANC");
    EXPECT_EQ(recorder.fourAllRequest.nrSeqVenda, "0000000005");
    EXPECT_EQ(recorder.vimo.vrTotVimo, "12.50");
    EXPECT_EQ(recorder.fixe.vrResgFixeCrm, "3.00");
    EXPECT_EQ(messages.texts(), QStringList{"Pontos estornados"});
    // CRM Bonus over HTTP: the bonus id's first 9 characters.
    EXPECT_EQ(partners.applied(Partner::CrmBonus), QStringList{"bonus:BONUS1234"});
    const QByteArray sent = partners.requests(Partner::CrmBonus).value(0).body;
    EXPECT_TRUE(sent.contains("<companyCode>EMP9</companyCode><authorization>crm-auth-segredo-42</authorization>"))
        << sent.toStdString();
    EXPECT_EQ(text("SELECT IDENVIOFID4ALL || IDENVIOFIDUDS FROM VENDA WHERE NRSEQVENDA = '0000000005'"), "NC");
    EXPECT_FALSE(logs().contains(authorisation));
}

// A partner that raises, fails or does not answer is logged; the others are still told and
// the committed cancellation answers its items.
TEST_P(CancelNotify, PartnerFailuresAreLoggedAndTheOthersStillTold)
{
    recorder.fourAllThrows = true;
    recorder.answers["VALEPRESENTE POST"] = [] { return PartnerAnswer{false}; };
    recorder.answers["COREBANC"] = []() -> PartnerAnswer { throw std::runtime_error("core fora"); };
    recorder.answers["VIMO"] = [] { return PartnerAnswer{false, "host caiu"}; };
    waits.setBehaviour(partners, Partner::CrmBonus, Behaviour::Refuse);
    const Variant answer = getVendaNFisc(everyPartner());
    ASSERT_EQ(answer.packet().rows.size(), 2) << describe(answer).toStdString();
    EXPECT_EQ(recorder.calls, (QStringList{"4ALL", "UDS", "PROMO", "FIDONLINE", "VALEPRESENTE POST", "COREBANC",
                                           "COREBANC", "VIMO", "FIXECRM"}));
    EXPECT_EQ(text("SELECT IDSITUVENDA FROM VENDA WHERE NRSEQVENDA = '0000000005'"), "C");
    // 4ALL did not confirm: its cancellation stays to send.
    EXPECT_EQ(text("SELECT IDENVIOFID4ALL FROM VENDA WHERE NRSEQVENDA = '0000000005'"), "S");
    const QString log = logs();
    for (const char *line : {"IntegracaoFid4All: exceção: 4ALL caiu", "ValePresente CANC-RESGATE POST: sem resposta",
                             "CoreBancario: exceção: core fora", "FidelidadeVimo CANC_CUPOM: falhou: host caiu",
                             "criaOrdemCRMBONUS: recusado"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line;
    EXPECT_FALSE(log.contains(authorisation));
}

// An authorisation the document must escape is kept out of the log in either form.
TEST_P(CancelNotify, AnAuthorisationWithMarkupNeverReachesTheLog)
{
    const QString secret = QStringLiteral("tok&en<42>");
    Srv_Kal51000::criaOrdemCRMBONUS(partners.baseUrl(Partner::CrmBonus), secret, QStringLiteral("EMP9"),
                                    QStringLiteral("B1"), QStringLiteral("NF1"));
    ASSERT_FALSE(partners.requests(Partner::CrmBonus).isEmpty());
    const QString log = logs();
    EXPECT_TRUE(log.contains(QStringLiteral("cancelBonus"))) << log.toStdString();
    EXPECT_FALSE(log.contains(secret)) << log.toStdString();
    EXPECT_FALSE(log.contains(secret.toHtmlEscaped())) << log.toStdString();
}

TEST_P(CancelNotify, FourAllWithoutAnAnswerStaysToSend)
{
    recorder.fourAll = Fid4AllAnswer{false};
    ASSERT_EQ(getVendaNFisc(everyPartner()).packet().rows.size(), 2);
    EXPECT_EQ(text("SELECT IDENVIOFID4ALL FROM VENDA WHERE NRSEQVENDA = '0000000005'"), "S");
}

TEST_P(CancelNotify, CoreBankingIsAskedOnceWhenItConfirmsAndTwiceWhenNot)
{
    recorder.answers["COREBANC"] = [] { return PartnerAnswer{true, {}, Variant(false)}; };
    ASSERT_EQ(getVendaNFisc(everyPartner()).packet().rows.size(), 2);
    EXPECT_EQ(recorder.calls.count("COREBANC"), 2);
}

// CRM Bonus over real HTTP: whatever the service does, the cancellation is committed once and
// the outcome logged.
TEST_P(CancelNotify, CrmBonusThatStallsRefusesAnswersGarbageOrClosesLeavesTheCancellationCommitted)
{
    const QList<QPair<Behaviour, const char *>> cases{{Behaviour::Silent, "stalled"},
                                                       {Behaviour::Refuse, "refused"},
                                                       {Behaviour::Garbage, "garbage"},
                                                       {Behaviour::AnswerLost, "closed"}};
    int sale = 10;
    for (const auto &[behaviour, name] : cases) {
        SCOPED_TRACE(name);
        const QString seq = QString::number(++sale);
        const QString number = QStringLiteral("0000009%1").arg(sale);
        saveCashSale(seq, "", "", number);
        exec("UPDATE VENDA SET NRIDBONUSCRM = :B WHERE NRSEQVENDA = :S", {{"B", "B" + seq}, {"S", seq}});
        waits.setBehaviour(partners, Partner::CrmBonus, behaviour);
        SaleCancelRequest r = everyPartner();
        r.number = number;
        const Variant answer = getVendaNFisc(r);
        ASSERT_EQ(answer.packet().rows.size(), 2) << describe(answer).toStdString();
        EXPECT_EQ(text("SELECT IDSITUVENDA FROM VENDA WHERE NRSEQVENDA = '" + seq + "'"), "C");
        EXPECT_TRUE(getVendaNFisc(r).packet().isEmpty());
    }
    // A refused connection may be tried again by the HTTP stack: at least one request a case.
    EXPECT_GE(partners.requests(Partner::CrmBonus).size(), 4);
    EXPECT_EQ(partners.applied(Partner::CrmBonus).size(), 1); // the closed answer was applied, never read
    // Only the garbage came back with a status 200; the others are logged as refused.
    EXPECT_EQ(logs().count("criaOrdemCRMBONUS: recusado"), 3);
    EXPECT_FALSE(logs().contains(authorisation));
}

TEST_P(CancelNotify, SaleWithoutPartnerColumnsCallsNoPartner)
{
    saveCashSale("0000000006", "55", "");
    ASSERT_EQ(getVendaNFisc(request("55", "")).packet().rows.size(), 2);
    EXPECT_TRUE(recorder.calls.isEmpty());
}

VENDACONS_DATABASE_KINDS(CancelNotify);

} // namespace

#include "srv_salecancel_p.h"

#include "servercall.h"
#include "srv_loyalty.h"
#include "statement.h"
#include "trdmvendacons.h"

#include <outside/qub_requisicaohttp.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QXmlStreamWriter>

#include <exception>
#include <functional>

namespace {

using namespace SaleCancellation;
using Srv_Kal51000::SaleCancelRequest;

const Statement adqExtratoConsCanc{"adqExtratoConsCanc",
    "SELECT CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, CDFILIAL, CDCAIXA, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, IDTPMOVEXT, NRDEPOSICONS, NRSEQMOVCAIXA FROM EXTRATOCONS "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA "
    "AND IDTPMOVEXT IN ('C', 'F') ORDER BY DTMOVEXTCONS, CDFAMILISALD, NRSEQMOVEXT"};
const Statement acmExpExtCancFeito{"acmExpExtCancFeito",
    "UPDATE VENDA SET IDEXPEXTCANC = 'S' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};

bool yes(const QString &flag)
{
    return flag == QLatin1String("S");
}

// Runs one outside call; a host that raises is logged with the call's name and the work goes
// on with the next call.
bool guarded(const QString &name, const std::function<void()> &call)
{
    try {
        call();
        return true;
    } catch (const std::exception &error) {
        logCancel(QStringLiteral("%1: exceção: %2").arg(name, QString::fromLocal8Bit(error.what())));
    } catch (...) {
        logCancel(QStringLiteral("%1: exceção desconhecida").arg(name));
    }
    return false;
}

// The answer's outcome as one log line.
QString outcomeText(bool answered, const QString &failure, const QString &element0)
{
    if (!failure.isEmpty())
        return QStringLiteral("falhou: ") + failure;
    if (!answered)
        return QStringLiteral("sem resposta");
    return QStringLiteral("respondeu ") + element0;
}

QString element0Text(const Variant &value)
{
    return value.isBlank() ? QStringLiteral("(vazio)") : value.toString();
}

void logDbOutcome(const QString &name, const Variant &written)
{
    if (written.isFailure())
        logCancel(QStringLiteral("%1 não gravado: %2").arg(name, written.failureText()));
}

const Statement acmExpDebCentFeito{"acmExpDebCentFeito",
    "UPDATE VENDA SET IDEXPDEBCENT = 'S' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};

void tellDebitMirrorPending()
{
    Ravuvozozod::Mensagem(QStringLiteral("Atenção! Não foi possível avisar a base central do débito cancelado. A venda "
                                         "foi cancelada e o estorno do débito ficou marcado como pendente de envio à "
                                         "base central."),
                          QString(), QString(), QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
}

// The central base keeps the cancelled debit until every change reaches it: until then the
// sale keeps its pending mark and the cashier is told, once.
void mirrorDebit(const Outcome &outcome)
{
    if (outcome.centralMirror.isEmpty())
        return;
    bool allDone = true;
    for (const CentralMovementUpdate &update : outcome.centralMirror) {
        bool done = false;
        guarded(QStringLiteral("UpdMoviclieCentral ") + update.operation, [&] {
            const HostResult answer = hostServices().UpdMoviclieCentral(update);
            done = answer.ok;
            logCancel(QStringLiteral("UpdMoviclieCentral %1 %2: %3")
                          .arg(update.operation, update.nrSeqMovCli, answer.ok ? QStringLiteral("feito") : answer.failure));
        });
        allDone = allDone && done;
    }
    const CancelledSale &sale = outcome.sale;
    if (!allDone) {
        logCancel(QStringLiteral("estorno do débito da venda %1 pendente na base central").arg(sale.NRSEQVENDA));
        tellDebitMirrorPending();
        return;
    }
    logDbOutcome(QStringLiteral("estorno do débito na base central"),
                 ServerCall().write(acmExpDebCentFeito, {{"CDFILIAL", sale.CDFILIAL}, {"CDCAIXA", sale.CDCAIXA},
                                                         {"NRSEQVENDA", sale.NRSEQVENDA}}));
}

// The data module's stock line for this event (FALHA_CONEXAO_SRV_CANC) promises an export
// once the connection is back, which nothing here performs: the cashier is told what stands,
// a cancelled sale whose reversal is marked as still owed to the statement server.
void tellExportPending()
{
    Ravuvozozod::Mensagem(QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor de extrato. "
                                         "A venda foi cancelada e o estorno do extrato ficou marcado como pendente de "
                                         "exportação."),
                          QString(), QString(), QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
}

// The reversal lines go to the online statement server; until it takes them the sale keeps
// its pending mark, so the export can be made later.
void exportStatement(const SaleCancelRequest &request, const Outcome &outcome)
{
    if (!yes(request.IDEXTCONSONLINE) || !outcome.statementLines)
        return;
    const CancelledSale &sale = outcome.sale;
    const Variant lines = ServerCall().packet(adqExtratoConsCanc, {{"P_CDFILIAL", sale.CDFILIAL},
                                                                   {"P_CDCAIXA", sale.CDCAIXA},
                                                                   {"P_NRSEQVENDA", sale.NRSEQVENDA}});
    if (lines.isFailure() || lines.packet().isEmpty()) {
        logCancel(QStringLiteral("exportação VENDA_CANC pendente: linhas não lidas ")
                  + (lines.isFailure() ? lines.failureText() : QString()));
        tellExportPending();
        return;
    }
    bool sent = false;
    guarded(QStringLiteral("ExtratoConsOnline VENDA_CANC"), [&] {
        ClientDataSet dataset;
        dataset.SetData(lines.packet());
        OnlineStatementRequest call;
        call.cdFilial = sale.CDFILIAL;
        call.url = request.CDURLWSEXTCONS;
        call.operation = QStringLiteral("VENDA_CANC");
        call.cdCaixa = sale.CDCAIXA;
        call.nrVenda = sale.NRSEQVENDA;
        sent = hostServices().ExtratoConsOnline(call, dataset).answered;
    });
    if (!sent) {
        logCancel(QStringLiteral("exportação VENDA_CANC da venda %1 pendente: servidor de extrato sem resposta")
                      .arg(sale.NRSEQVENDA));
        tellExportPending();
        return;
    }
    logDbOutcome(QStringLiteral("exportação VENDA_CANC"),
                 ServerCall().write(acmExpExtCancFeito, {{"CDFILIAL", sale.CDFILIAL}, {"CDCAIXA", sale.CDCAIXA},
                                                         {"NRSEQVENDA", sale.NRSEQVENDA}}));
    logCancel(QStringLiteral("exportação VENDA_CANC da venda %1 feita").arg(sale.NRSEQVENDA));
}

void refreshCentralBalance(const SaleCancelRequest &request, const Outcome &outcome)
{
    if (!outcome.statementLines || !yes(request.IDEXTCONSCENTRAL))
        return;
    guarded(QStringLiteral("AtuSaldoExtCons"), [&] {
        const HostResult done = hostServices().AtuSaldoExtCons(
            {request.CDFILIAL, outcome.sale.CDCLIENTE, outcome.sale.CDCONSUMIDOR});
        logCancel(QStringLiteral("AtuSaldoExtCons: ") + (done.ok ? QStringLiteral("feito") : done.failure));
    });
}

// ---- partners -------------------------------------------------------------------------------

void notify4All(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTILFID4ALL) || sale.NRCPFFID4ALL.isEmpty())
        return;
    // Only a confirmed answer counts as posted: anything else stays to send.
    bool posted = false;
    guarded(QStringLiteral("IntegracaoFid4All"), [&] {
        Fid4AllRequest call;
        call.operation = QStringLiteral("VENDA_CANC");
        call.url = request.CDURLWSFID4ALL;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.nrSeqVenda = sale.NRSEQVENDA;
        const Fid4AllAnswer answer = hostServices().IntegracaoFid4All(call);
        posted = answer.answered && answer.failure.isEmpty() && answer.refused;
        logCancel(QStringLiteral("IntegracaoFid4All VENDA_CANC: ")
                  + outcomeText(answer.answered, answer.failure, answer.refused ? QStringLiteral("True")
                                                                                 : QStringLiteral("False")));
    });
    logDbOutcome(QStringLiteral("setEnvioFid4ALL"),
                 Srv_Kal51000::setEnvioFid4ALL(rdmVendaCons(), sale.CDFILIAL, sale.CDCAIXA, sale.NRSEQVENDA, posted));
}

void notifyUds(const SaleCancelRequest &request, const Outcome &outcome)
{
    const CancelledSale &sale = outcome.sale;
    if (!yes(request.IDUTILFIDUDS)
        || (sale.NRCPFFIDUDS.isEmpty() && sale.NRINSCRCONS.isEmpty() && !outcome.statementLines))
        return;
    bool cancelled = false;
    guarded(QStringLiteral("IntegracaoFidUds"), [&] {
        UdsRequest call;
        call.operation = QStringLiteral("VENDA_CANC");
        call.url = request.CDURLWSFIDUDS;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.nrSeqVenda = sale.NRSEQVENDA;
        const UdsAnswer answer = hostServices().IntegracaoFidUds(call);
        cancelled = answer.answered && answer.failure.isEmpty() && !answer.error;
        logCancel(QStringLiteral("IntegracaoFidUds VENDA_CANC: ")
                  + outcomeText(answer.answered, answer.failure, answer.error ? QStringLiteral("erro") : QStringLiteral("ok")));
    });
    if (cancelled)
        logDbOutcome(QStringLiteral("setEnvioFidUDS"),
                     Srv_Kal51000::setEnvioFidUDS(rdmVendaCons(), sale.CDFILIAL, sale.CDCAIXA, sale.NRSEQVENDA));
}

void notifyPromo(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTILINTEPROMO) || sale.IDPEDINTEPROMO.isEmpty())
        return;
    guarded(QStringLiteral("IntegracaoPromo"), [&] {
        PromoRequest call;
        call.operation = QStringLiteral("ABANDONA_CARRINHO");
        call.url = request.CDURLINTEPROMO;
        call.when = 0;
        call.items = Variant::null();
        call.orderId = sale.IDPEDINTEPROMO;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.nrSeqVenda = sale.NRSEQVENDA;
        const PromoAnswer answer = hostServices().IntegracaoPromo(call);
        logCancel(QStringLiteral("IntegracaoPromo ABANDONA_CARRINHO: ")
                  + outcomeText(answer.answered, answer.failure, answer.error ? QStringLiteral("erro") : QStringLiteral("ok")));
    });
}

// The branch's campaign is asked only for a sale online loyalty could be told of.
QString activeCampaign(const CancelledSale &sale)
{
    QString campaign;
    guarded(QStringLiteral("getCampanha"), [&] {
        const Variant active = Srv_Kal51000::getCampanha(rdmVendaCons(), sale.CDFILIAL);
        if (active.isFailure())
            logCancel(QStringLiteral("getCampanha falhou: ") + active.failureText());
        else
            campaign = active.toString().trimmed();
    });
    return campaign;
}

void notifyOnlineLoyalty(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (sale.CDCONSUMIDOR.isEmpty() || request.CDURLFIDONLINE.isEmpty() || activeCampaign(sale).isEmpty())
        return;
    guarded(QStringLiteral("FidelidadeOnline"), [&] {
        OnlineLoyaltyNotice call;
        call.url = request.CDURLFIDONLINE;
        call.cdCliente = sale.CDCLIENTE;
        call.cdConsumidor = sale.CDCONSUMIDOR;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.nrSeqVenda = sale.NRSEQVENDA;
        call.dtAbertur = sale.DTABERTUR;
        const PartnerAnswer answer = hostServices().FidelidadeOnline(call);
        logCancel(QStringLiteral("FidelidadeOnline CANCELA_SALDO: ")
                  + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
        const QString text = answer.value.isBlank() ? QString() : answer.value.toString();
        if (answer.answered && answer.failure.isEmpty() && !text.trimmed().isEmpty())
            Ravuvozozod::Mensagem(text, QString(), QString(), QStringLiteral("N"), 0, QString(), QString(), 0);
    });
}

void notifyGiftVoucher(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTILINTVALPRE) || sale.IDREQVALPRE.isEmpty())
        return;
    GiftVoucherNotice call;
    call.url = request.CDURLINTVALPRE;
    call.timeout = request.NRSEGREQVALPRE;
    call.cdFilial = sale.CDFILIAL;
    call.cdLoja = sale.CDLOJA;
    call.cdCaixa = sale.CDCAIXA;
    call.idReqValPre = sale.IDREQVALPRE;
    call.nrComandaVnd = sale.NRCOMANDAVND;
    bool confirmed = false;
    guarded(QStringLiteral("ValePresente POST"), [&] {
        const PartnerAnswer answer = hostServices().ValePresente(call);
        confirmed = answer.answered && answer.failure.isEmpty() && answer.value.toBool();
        logCancel(QStringLiteral("ValePresente CANC-RESGATE POST: ")
                  + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
    });
    if (!confirmed)
        return;
    call.method = QStringLiteral("GET");
    guarded(QStringLiteral("ValePresente GET"), [&] {
        const PartnerAnswer answer = hostServices().ValePresente(call);
        logCancel(QStringLiteral("ValePresente CANC-RESGATE GET: ")
                  + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
    });
}

void notifyCoreBanking(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTICOREBANC) || sale.IDREQCOREBANC.isEmpty())
        return;
    CoreBankingNotice call;
    call.url = request.CDURLCOREBANC;
    call.timeout = request.NRTEMPOCOREBANC;
    call.nrCpfCoreBanc = sale.NRCPFCOREBANC;
    call.idReqCoreBanc = sale.IDREQCOREBANC;
    call.cdFilial = sale.CDFILIAL;
    call.cdLoja = sale.CDLOJA;
    call.cdCaixa = sale.CDCAIXA;
    call.nrSeqVenda = sale.NRSEQVENDA;
    bool done = false;
    for (int attempt = 1; attempt <= 2 && !done; ++attempt) {
        guarded(QStringLiteral("CoreBancario"), [&] {
            const PartnerAnswer answer = hostServices().CoreBancario(call);
            done = answer.answered && answer.failure.isEmpty() && answer.value.toBool();
            logCancel(QStringLiteral("CoreBancario CANC-RESGATE tentativa %1: ").arg(attempt)
                      + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
        });
    }
}

void notifyVimo(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTILINTVIMO) || sale.IDBENEFVIMO != QLatin1String("D"))
        return;
    guarded(QStringLiteral("FidelidadeVimo"), [&] {
        VimoNotice call;
        call.url = request.CDURLINTVIMO;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.vrTotVimo = pointMoney(sale.VRTOTVIMO);
        call.idCupomVimo = sale.IDCUPOMVIMO;
        call.nrTelVimo = sale.NRTELVIMO;
        call.nrSeqVenda = sale.NRSEQVENDA;
        const PartnerAnswer answer = hostServices().FidelidadeVimo(call);
        logCancel(QStringLiteral("FidelidadeVimo CANC_CUPOM: ")
                  + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
    });
}

void notifyFixeCrm(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDUTILFIXECRM) || sale.NRCPFFIXECRM.isEmpty())
        return;
    guarded(QStringLiteral("FixeCRM"), [&] {
        FixeCrmNotice call;
        call.url = request.CDURLFIXECRM;
        call.cdFilial = sale.CDFILIAL;
        call.cdCaixa = sale.CDCAIXA;
        call.vrResgFixeCrm = pointMoney(sale.VRRESGFIXECRM);
        call.nrCpfFixeCrm = sale.NRCPFFIXECRM;
        call.cdLoja = sale.CDLOJA;
        call.nrSeqVenda = sale.NRSEQVENDA;
        const PartnerAnswer answer = hostServices().FixeCRM(call);
        logCancel(QStringLiteral("FixeCRM CANCELAR_TRANS: ")
                  + outcomeText(answer.answered, answer.failure, element0Text(answer.value)));
    });
}

void notifyCrmBonus(const SaleCancelRequest &request, const CancelledSale &sale)
{
    if (!yes(request.IDCRMBONUS) || sale.NRIDBONUSCRM.isEmpty())
        return;
    guarded(QStringLiteral("criaOrdemCRMBONUS"), [&] {
        const bool sent = Srv_Kal51000::criaOrdemCRMBONUS(request.CDURLCRMBONUS, request.CDAUTHCRMBONUS,
                                                          request.CDCODECRMBONUS, sale.NRIDBONUSCRM,
                                                          sale.NRNFCECRMBONUS);
        logCancel(QStringLiteral("criaOrdemCRMBONUS: ") + (sent ? QStringLiteral("aceito") : QStringLiteral("recusado")));
    });
}

// The CRM Bonus log keeps the document without its authorisation value.
void logCrmBonus(const QString &text)
{
    const QDateTime now = Clock::now();
    const QString path = SitePaths::resolve(QStringLiteral("Dados\\logApiCRMBONUS\\logApiCRMBONUS_%1.txt")
                                                .arg(now.toString(QStringLiteral("yyyyMMdd"))));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << now.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) << " - " << text << '\n';
}

QString cancelBonusXml(const QString &company, const QString &authorisation, const QString &bonusId,
                       const QString &nfceCode)
{
    QString xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("root"));
    writer.writeStartElement(QStringLiteral("data"));
    writer.writeTextElement(QStringLiteral("companyCode"), company);
    writer.writeTextElement(QStringLiteral("authorization"), authorisation);
    writer.writeStartElement(QStringLiteral("order"));
    writer.writeTextElement(QStringLiteral("bonusId"), bonusId.left(9));
    writer.writeTextElement(QStringLiteral("nfceCode"), nfceCode);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml.remove(QStringLiteral("\r\n")).remove(QLatin1Char('\n'));
}

} // namespace

namespace SaleCancellation {

void afterCommit(const SaleCancelRequest &request, const Outcome &outcome)
{
    mirrorDebit(outcome);
    exportStatement(request, outcome);
    refreshCentralBalance(request, outcome);
}

void notifyPartners(const SaleCancelRequest &request, const Outcome &outcome)
{
    const CancelledSale &sale = outcome.sale;
    notify4All(request, sale);
    notifyUds(request, outcome);
    notifyPromo(request, sale);
    notifyOnlineLoyalty(request, sale);
    notifyGiftVoucher(request, sale);
    notifyCoreBanking(request, sale);
    notifyVimo(request, sale);
    notifyFixeCrm(request, sale);
    notifyCrmBonus(request, sale);
}

} // namespace SaleCancellation

namespace Srv_Kal51000 {

bool criaOrdemCRMBONUS(const QString &CDURLCRMBONUS, const QString &CDAUTHCRMBONUS, const QString &CDCODECRMBONUS,
                       const QString &NRIDBONUSCRM, const QString &NRNFCECRMBONUS)
{
    const QString url = CDURLCRMBONUS + QStringLiteral("/cancelBonus");
    const QString body = cancelBonusXml(CDCODECRMBONUS, CDAUTHCRMBONUS, NRIDBONUSCRM, NRNFCECRMBONUS);
    // The logged document is built with the authorisation left out, not cut out of the sent
    // one: there it may stand escaped.
    logCrmBonus(QStringLiteral("POST ") + url + QStringLiteral(" ")
                + cancelBonusXml(CDCODECRMBONUS, QStringLiteral("***"), NRIDBONUSCRM, NRNFCECRMBONUS));
    const Qub_requisicaohttp::HttpAnswer answer =
        Qub_requisicaohttp::sendAuthorised(url, body, QStringLiteral("POST"), QString(), QStringLiteral("50"),
                                           QStringLiteral("xml"));
    QString answered = answer.text.left(2000);
    if (!CDAUTHCRMBONUS.isEmpty()) {
        answered.replace(CDAUTHCRMBONUS, QStringLiteral("***"));
        answered.replace(CDAUTHCRMBONUS.toHtmlEscaped(), QStringLiteral("***"));
    }
    logCrmBonus(QStringLiteral("resposta %1: %2").arg(answer.status).arg(answered));
    return answer.ok();
}

} // namespace Srv_Kal51000

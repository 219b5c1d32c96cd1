// The GCOM cashback cancellation of a cancelled sale: an XML "cancelBalance" with the bearer
// token of the installation, judged on the answer's real HTTP status and its error element.
// The platform knows a sale by its CNPJ and fiscal number, so a cancellation sent again after a
// lost answer cancels nothing twice.
#include "consumersale.h"
#include "partners_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/serverseams.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

using namespace PartnerClients;
namespace Http = Qub_requisicaohttp;

namespace {

const QString CancelBalance = QStringLiteral("cancelBalance");

QString field(const ClientDataSet &dataset, const char *name)
{
    return dataset.FieldByName(QString::fromLatin1(name)).AsString();
}

// The children of the answer's document element, by name; false when it does not parse.
bool readAnswer(const QString &fragment, QString &error, QString &message)
{
    QXmlStreamReader reader(fragment);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth == 2) {
            const QString name = reader.name().toString();
            const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
            --depth;
            if (name == QLatin1String("error"))
                error = text;
            else if (name == QLatin1String("message"))
                message = text;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return !reader.hasError();
}

} // namespace

bool ConsumerSale::CancelaCashBackGCOM(const QString &Endpoint, const QString &CDFILIAL, const QString &CDCAIXA,
                                       const QString &NRSEQVENDA)
{
    return GcomCancellation(m_context).run(Endpoint, CDFILIAL, CDCAIXA, NRSEQVENDA);
}

// One try within the request's time-out: the till is not held while a stalled platform is
// asked again. A cancellation that did not complete is kept with the sale's key and sent again
// later (the platform cancels a sale once); the operator is told once what the platform said.
PartnerCall ConsumerSale::cancelGcomCashback(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCAIXA,
                                             const QString &NRSEQVENDA, bool send)
{
    QString answered;
    GcomCancellation gcom(m_context);
    const PartnerCall::Outcome outcome = gcom.cancel(CDFILIAL, CDLOJA, CDCAIXA, NRSEQVENDA, answered, send);
    if (outcome == PartnerCall::Outcome::Done)
        return {};
    PartnerCall call{outcome, QString(), gcom.unanswered()};
    if (outcome == PartnerCall::Outcome::Refused) {
        call.text = QStringLiteral("A GCOM recusou o cancelamento do cashback da venda %1. A GCOM respondeu: %2.")
                        .arg(NRSEQVENDA, answered);
    } else {
        keepPending(QStringLiteral("GCOM"), QStringLiteral("cancelamento do cashback GCOM da venda %1").arg(NRSEQVENDA),
                    {{QStringLiteral("CDFILIAL"), CDFILIAL}, {QStringLiteral("CDLOJA"), CDLOJA},
                     {QStringLiteral("CDCAIXA"), CDCAIXA}, {QStringLiteral("NRSEQVENDA"), NRSEQVENDA}});
        call.text = QStringLiteral("O cancelamento do cashback GCOM da venda %1 não foi confirmado. A GCOM respondeu: %2. "
                                   "Ele fica guardado neste caixa e será reenviado.")
                        .arg(NRSEQVENDA, answered);
    }
    GcomCancellation::LogGCOM(QStringLiteral("Cancelamento de cashback pendente na GCOM. Filial: %1 Caixa: %2 "
                                             "Sequencial Venda: %3")
                                  .arg(CDFILIAL, CDCAIXA, NRSEQVENDA));
    m_context.message(call.text, 3);
    return call;
}

PartnerCall::Outcome GcomCancellation::cancel(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCAIXA,
                                              const QString &NRSEQVENDA, QString &answered, bool send)
{
    m_send = send;
    ClientDataSet &settings = m_context.data().cdsDadosGCOM;
    QString error;
    if (!loadPacket(settings, m_context.server().partners.getDadosGCOM(CDFILIAL, CDLOJA), error)) {
        LogGCOM(QStringLiteral("Exception: ") + error);
        answered = QStringLiteral("parâmetros GCOM da loja não lidos: ") + error;
        return PartnerCall::Outcome::Pending;
    }
    if (settings.IsEmpty() || field(settings, "IDUTLINTEGCOM") != QLatin1String("S"))
        return PartnerCall::Outcome::Done;
    m_outcome = PartnerCall::Outcome::Pending;
    if (run(CancelBalance, CDFILIAL, CDCAIXA, NRSEQVENDA))
        return PartnerCall::Outcome::Done;
    answered = m_answered;
    return m_outcome;
}

bool GcomCancellation::run(const QString &Endpoint, const QString &CDFILIAL, const QString &CDCAIXA,
                           const QString &NRSEQVENDA)
{
    LogGCOM(QStringLiteral(" "));
    LogGCOM(QStringLiteral(" "));
    LogGCOM(QStringLiteral("Função: CancelaCashBackGCOM"));
    const ClientDataSet &settings = m_context.data().cdsDadosGCOM;
    const QString url = field(settings, "CDURLGCOM");
    ClientDataSet cdsVendaGCOM(QStringLiteral("cdsVendaGCOM"));
    QString error;
    if (!loadPacket(cdsVendaGCOM, m_context.server().partners.getVendaGCOM(CDFILIAL, CDCAIXA, NRSEQVENDA), error)) {
        m_answered = QStringLiteral("venda não lida da base: ") + error;
        return fail(error);
    }
    LogGCOM(QStringLiteral("Endpoint: ") + Endpoint);
    LogGCOM(QStringLiteral("URL Api: ") + url);
    LogGCOM(QStringLiteral("Sequencial Venda: ") + NRSEQVENDA);
    const bool found = !cdsVendaGCOM.IsEmpty();
    if (Endpoint != CancelBalance || !found || field(cdsVendaGCOM, "NRTELGCOM").trimmed().isEmpty())
        return true;
    const QString body = montaXmlCancelBalance(field(settings, "CDBRANDIDGCOM"), field(cdsVendaGCOM, "NRINSJURIEST"),
                                               field(cdsVendaGCOM, "NRNOTAFISCALCE"), field(cdsVendaGCOM, "NRCOMANDAEXT"));
    LogGCOM(QStringLiteral("Xml Body: ") + body);
    if (!m_send) {
        m_answered = QStringLiteral("não consultada: um parceiro desta operação não respondeu a tempo");
        return fail(QStringLiteral("não enviado agora: um parceiro desta operação não respondeu a tempo"));
    }
    const Http::HttpAnswer answer = Http::sendAuthorised(url + QLatin1Char('/') + Endpoint, body, QStringLiteral("POST"),
                                                         QStringLiteral("Bearer ") + field(settings, "IDTOKENAPIGCOM"),
                                                         QStringLiteral("15"), QStringLiteral("xml"));
    const QString token = field(settings, "IDTOKENAPIGCOM");
    // The platform's answer is logged as text a person can read: it may hold anything.
    LogGCOM(QStringLiteral("Response: %1 %2").arg(answer.status).arg(loggableAnswer(answer.text, {token})));
    m_unanswered = answer.status == Http::NotCompleted;
    m_answered = answeredText(answer.status, answer.text, answer.ok(), {token});
    // A refusal the platform answered in words (or an authorisation it refused) is final; any
    // other failure may have cancelled the sale there without the answer reaching the till.
    m_outcome = answer.status >= 400 && answer.status < 500 && answer.status != 408 && answer.status != 429
        ? PartnerCall::Outcome::Refused
        : PartnerCall::Outcome::Pending;
    return judge(answer.status, answer.text);
}

// Accepted only with status 200 and an answer document whose error reads "false"; an answer
// without its document is no acceptance.
bool GcomCancellation::judge(int status, const QString &answer)
{
    if (status != 200)
        return false;
    const int start = answer.indexOf(QLatin1String("<root>"));
    const int end = answer.indexOf(QLatin1String("</root>"), start);
    if (start < 0 || end < 0)
        return false;
    QString error;
    QString message;
    if (!readAnswer(answer.mid(start, end + 7 - start), error, message))
        return fail(QStringLiteral("resposta da GCOM ilegível"));
    LogGCOM(QStringLiteral("message: ") + message);
    if (error == QLatin1String("false"))
        return true;
    m_outcome = PartnerCall::Outcome::Refused;
    m_answered = message.isEmpty() ? QStringLiteral("erro sem mensagem") : message;
    return false;
}

// Logged only: the caller tells the operator once.
bool GcomCancellation::fail(const QString &text)
{
    LogGCOM(QStringLiteral("Exception: ") + text);
    return false;
}

QString GcomCancellation::montaXmlCancelBalance(const QString &brandId, const QString &cnpj, const QString &saleCode,
                                                const QString &saleExtCode)
{
    QString body;
    QXmlStreamWriter xml(&body);
    xml.writeStartElement(QStringLiteral("root"));
    xml.writeStartElement(QStringLiteral("data"));
    xml.writeTextElement(QStringLiteral("brandId"), brandId);
    xml.writeTextElement(QStringLiteral("cnpj"), cnpj);
    xml.writeTextElement(QStringLiteral("saleCode"), saleCode);
    xml.writeTextElement(QStringLiteral("saleExtCode"), saleExtCode.isEmpty() ? QStringLiteral("null") : saleExtCode);
    xml.writeEndElement();
    xml.writeEndElement();
    return body.remove(QStringLiteral("\r\n"));
}

// The token travels only in the authorisation value: no line written here carries it.
void GcomCancellation::LogGCOM(const QString &text)
{
    const QDateTime now = Clock::now();
    appendLog(QStringLiteral("Dados\\logApiGCOM\\%1\\%2\\logApiGCOM_%3.txt")
                  .arg(now.toString(QStringLiteral("yyyy")), now.toString(QStringLiteral("MM")),
                       now.toString(QStringLiteral("dd"))),
              {text});
}

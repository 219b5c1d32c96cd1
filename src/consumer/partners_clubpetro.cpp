// The ClubPetro loyalty client: a client-credentials token whose answer names the programme's
// sale API, the customer consult by CPF with one retry by DNI, and the points redemption. The
// token, the address and the online switch are the till's (ClubPetroLink); the customer, the
// messages and the redemption are the sale's (ClubPetroCustomer), so nothing of one customer
// reaches the next. Failures leave the operator message and its detail there for the caller.
// The client secret and the tokens never reach the log.
#include "consumersale.h"
#include "partners_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QUuid>

using namespace PartnerClients;
namespace Http = Qub_requisicaohttp;

namespace {

const QString TimeoutSeconds = QStringLiteral("30");
const QString Separator = QStringLiteral("S");
const QString Plain = QStringLiteral("N");

QString logPath()
{
    return QStringLiteral("Dados\\logClubPetro51000\\logClubPetro51000%1.txt")
        .arg(Clock::now().toString(QStringLiteral("ddMMyyyy")));
}

// The programme's points as the screen keeps them: thousands commas dropped, the decimal point
// turned into a comma; "" and "VAZIO" kept as they are, anything else written "0,0000".
QString normalisedPoints(const QString &points, bool *converted)
{
    QString text = points;
    text.remove(QLatin1Char(',')).replace(QLatin1Char('.'), QLatin1Char(','));
    *converted = false;
    if (text.isEmpty() || text.compare(QLatin1String("VAZIO"), Qt::CaseInsensitive) == 0)
        return text;
    bool ok = false;
    const double value = PtBr::StrToFloat(text, &ok);
    if (!ok)
        return text;
    *converted = true;
    return PtBr::FormatFloat(QStringLiteral("0.0000"), value);
}

QString detailOf(const QString &header, const QString &body, const QString &extra)
{
    return QStringLiteral("Header: ") + header + QStringLiteral("\r\nBody: ") + body + QStringLiteral("?") + extra;
}

} // namespace

// The token endpoint of the programme: a setting of the site ("Dados\ClubPetro.ini", key
// token_url), never an address written into the program.
QString ConsumerSale::clubPetroTokenUrl()
{
    const QString path = SitePaths::resolve(QStringLiteral("Dados\\ClubPetro.ini"));
    if (!QFileInfo::exists(path))
        return QString();
    return QSettings(path, QSettings::IniFormat).value(QStringLiteral("token_url")).toString();
}

// The sale's document: the consumer's registration number when there is one, else the
// foreign id; cut to a CPF's 11 digits unless a foreign id is held.
void ConsumerSale::inicializaVarClubPetro()
{
    SaleState &state = m_context.state();
    ClubPetroLink &link = state.clubPetro;
    ClubPetroCustomer &club = state.clubPetroCustomer;
    link.UrlRaizAPIClubPetro.clear();
    club.stCDCNPJRESGSALDO.clear();
    club.stCDINTRESGSALDO.clear();
    club.boCliClubPetroExiste = true;
    club.stIDTIPORESGATE = QStringLiteral("N");
    club.doSaldoRest = 0.0;
    const QString &registration = state.consumer.stNrInscrConsVenda;
    const QString &foreignId = state.fiscal.stIdEstrangeiroNota;
    if (registration.isEmpty())
        club.stCpfClubPetro.clear();
    if (club.stCpfClubPetro.isEmpty())
        club.stCpfClubPetro = !registration.isEmpty() ? registration : foreignId;
    if ((foreignId.isEmpty() || foreignId == QLatin1String("S")) && club.stCpfClubPetro.size() > 11)
        club.stCpfClubPetro.truncate(11);
}

void ConsumerSale::desalocaVariaveisClubPetro()
{
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    club.stMensagemClubPetro.clear();
    club.stMensagemClubPetroAux.clear();
}

void ConsumerSale::logClubPetro(const QString &Text, const QString &SeparatorOnly, const QString &WithDetail)
{
    const ClubPetroLink &link = m_context.state().clubPetro;
    const ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    const ClientDataSet &credentials = m_context.data().cdsDadosResgSaldo;
    const QString secret = credentials.Active() ? credentials.FindField(QStringLiteral("DSSENHARESGS")).AsString() : QString();
    const QStringList secrets{secret, Http::URLEncode(secret), link.stTokenApiClubPetro};
    const QString separator = stamp() + QString(36, QLatin1Char('-'));
    if (SeparatorOnly == Separator) {
        appendLog(logPath(), {separator}, false);
        return;
    }
    appendLog(logPath(), {redacted(Text, secrets)});
    if (WithDetail == Separator && !club.stMensagemClubPetroAux.isEmpty()) {
        appendLog(logPath(), {redacted(club.stMensagemClubPetroAux, secrets)});
        appendLog(logPath(), {separator}, false);
    }
}

void ConsumerSale::failClubPetroRedemption()
{
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    club.stCDCNPJRESGSALDO.clear();
    club.stCDINTRESGSALDO.clear();
    club.stIDTIPORESGATE = QStringLiteral("F");
    club.doSaldoRest = 0.0;
}

bool ConsumerSale::buscaTokenResgate(const QString &CDFILIAL)
{
    ClubPetroLink &link = m_context.state().clubPetro;
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    desalocaVariaveisClubPetro();
    ClientDataSet &credentials = m_context.data().cdsDadosResgSaldo;
    QString error;
    loadPacket(credentials, m_context.server().startupLookups.getDadosResgSaldo(CDFILIAL), error);
    const QString id = credentials.Active() ? credentials.FindField(QStringLiteral("DSIDRESGS")).AsString() : QString();
    const QString secret = credentials.Active() ? credentials.FindField(QStringLiteral("DSSENHARESGS")).AsString() : QString();
    if (id.isEmpty() || secret.isEmpty()) {
        club.stMensagemClubPetro = m_context.Msg(QStringLiteral("PARAMRESGSALDO"));
        failClubPetroRedemption();
        return false;
    }
    const auto tokenRequest = [&id](const QString &secretText) {
        return Http::retornaJSON({QStringLiteral("grant_type=client_credentials"), QStringLiteral("client_id=") + id,
                                  QStringLiteral("client_secret=") + secretText});
    };
    club.JSONBody = tokenRequest(secret);
    const QString body = Http::URLEncode(club.JSONBody);
    // The log gets the request built with the secret already replaced: a secret the JSON or
    // the URL encoding rewrote ('"', '\\') would slip past a search for its raw text.
    const QString loggedRequest = tokenRequest(QStringLiteral("***"));
    const QString loggedBody = Http::URLEncode(loggedRequest);
    logClubPetro(QString(), Separator, Plain);
    logClubPetro(QStringLiteral("-------> Token"), Plain, Plain);
    logClubPetro(QStringLiteral("Request: ") + loggedRequest, Plain, Plain);
    logClubPetro(QStringLiteral("Header: "), Plain, Plain);
    logClubPetro(QStringLiteral("Body: ") + loggedBody, Plain, Plain);
    const Http::HttpAnswer answer
        = Http::send(clubPetroTokenUrl(), QStringLiteral("JSON"), QStringLiteral("POST"), QString(), body, TimeoutSeconds);
    club.arResultClubPetro = Variant(QList<Variant>{Variant(answer.status), Variant(answer.text)});
    const QString token = answer.ok() ? jsonMember(answer.text, QStringLiteral("access_token")) : QString();
    QString point = answer.ok() ? jsonMember(answer.text, QStringLiteral("access_point")) : QString();
    if (!token.isEmpty() && !point.isEmpty()) {
        link.stTokenApiClubPetro = token;
        logClubPetro(QStringLiteral("Response: ") + withMembersHidden(answer.text, {QStringLiteral("access_token")}),
                     Plain, Plain);
        point.remove(QLatin1Char('\\'));
        link.UrlRaizAPIClubPetro = point + (point.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
            + QStringLiteral("sale");
        club.stClubPetroResult.clear();
        logClubPetro(QStringLiteral("-------> Fim Token"), Plain, Plain);
        return true;
    }
    // A 200 without a usable token is garbage, and garbage is no answer.
    club.stErroRequisicao = answer.ok() ? QStringLiteral("resposta sem token: ") + answer.text.left(200) : answer.text;
    club.stMensagemClubPetro = answer.status == Http::NotCompleted
        ? QStringLiteral("Erro na requisição: Desconhecido -> buscaTokenResgate. ")
        : QStringLiteral("Erro na requisição: %1 - %2").arg(answer.status).arg(club.stErroRequisicao);
    club.stMensagemClubPetroAux = detailOf(QString(), loggedBody, QStringLiteral("Adicional: ") + club.stErroRequisicao);
    failClubPetroRedemption();
    link.stClubPetroOnline = QStringLiteral("N");
    logClubPetro(QStringLiteral("-------> Fim Token"), Plain, Plain);
    return false;
}

bool ConsumerSale::buscaDadosConsClubPetro(const QString &Token, const QString &Documento, const QString &Tipo)
{
    ClubPetroLink &link = m_context.state().clubPetro;
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    desalocaVariaveisClubPetro();
    club.stCNPJFil = m_context.checkedValue(m_context.server().consumers.getCNPJFil(m_context.state().params.stCDFILIAL),
                                            QStringLiteral("getCNPJFil"), m_context.state().params.stCDFILIAL)
                         .toString();
    const bool byCpf = Tipo == Plain;
    const QString header = QStringLiteral("token:") + Token + QStringLiteral(";");
    const QString body = QStringLiteral("{\"cliente\":{\"operacao\":\"Consulta\",\"%1\":%2,\"cod_loja\":%3}}")
                             .arg(byCpf ? QStringLiteral("cpf") : QStringLiteral("dni"), jsonString(Documento),
                                  jsonString(club.stCNPJFil));
    logClubPetro(QString(), Separator, Plain);
    logClubPetro(QStringLiteral("------->Consulta"), Plain, Plain);
    logClubPetro(QStringLiteral("Request: ") + body, Plain, Plain);
    logClubPetro(QStringLiteral("Header: ") + Http::redactedHeader(header), Plain, Plain);
    logClubPetro(QStringLiteral("Body: ") + body, Plain, Plain);
    const Http::HttpAnswer answer = Http::send(link.UrlRaizAPIClubPetro, QStringLiteral("JSON"), QStringLiteral("POST"),
                                               header, body, TimeoutSeconds);
    club.arResultClubPetro = Variant(QList<Variant>{Variant(answer.status), Variant(answer.text)});
    club.boCliClubPetroExiste = true;
    const QString detail = detailOf(Http::redactedHeader(header), body, QString());
    if (!answer.ok() || !isJsonObject(answer.text)) {
        link.stClubPetroOnline = QStringLiteral("N");
        club.stErroRequisicao = answer.ok() ? QStringLiteral("resposta ilegível: ") + answer.text.left(200) : answer.text;
        logClubPetro(QString(), Separator, Plain);
        logClubPetro(answer.status == Http::NotCompleted
                         ? QStringLiteral("Erro na requisição: Erro desconhecido -> buscaDadosConsClubPetro")
                         : QStringLiteral("Erro na requisição: %1").arg(answer.status),
                     Plain, Plain);
        club.stMensagemClubPetro = m_context.Msg(QStringLiteral("ERROCLUBPETRO"));
        club.stMensagemClubPetroAux = detail + QStringLiteral("Adicional: ") + club.stErroRequisicao;
        return false;
    }
    club.stClubPetroResult = answer.text;
    logClubPetro(QStringLiteral("Response: ") + withMembersHidden(answer.text, {QStringLiteral("senha_resgate")}), Plain,
                 Plain);
    // Not found is what the member says, not a "false" anywhere in the answer.
    if (jsonMember(answer.text, QStringLiteral("status_retorno")) == QLatin1String("false")) {
        if (byCpf && buscaDadosConsClubPetro(Token, Documento, QStringLiteral("S")))
            return true;
        club.boCliClubPetroExiste = false;
        club.stMensagemClubPetro = m_context.Msg(QStringLiteral("CLICLUBPETRO_NAO"));
        club.stMensagemClubPetroAux = detail;
        return false;
    }
    return acceptClubPetroCustomer(answer.text, Documento, detail);
}

bool ConsumerSale::acceptClubPetroCustomer(const QString &answer, const QString &Documento, const QString &detail)
{
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    const QString blocked = jsonMember(answer, QStringLiteral("bloqueado"));
    const QString status = jsonMember(answer, QStringLiteral("flg_status_cliente"));
    logClubPetro(QStringLiteral("bloqueado:") + blocked, Plain, Plain);
    logClubPetro(QStringLiteral("flg_status_cliente:") + status, Plain, Plain);
    const QString refusal = blocked == QLatin1String("1") ? QStringLiteral("CLICLUBPET_BLOQ")
        : status == QLatin1String("0")                   ? QStringLiteral("CLICLUBPET_NACEIT")
                                                          : QString();
    if (!refusal.isEmpty()) {
        club.boCliClubPetroExiste = false;
        club.stMensagemClubPetro = m_context.Msg(refusal);
        club.stMensagemClubPetroAux = detail;
        return false;
    }
    ClientDataSet &customers = m_context.data().cdsConsClubPetro;
    if (!customers.Active())
        customers.CreateDataSet();
    customers.Append();
    auto set = [&customers](const char *name, const QString &value) {
        customers.FieldByName(QString::fromLatin1(name)).SetAsString(value);
    };
    set("COD_CLIENTE", jsonMember(answer, QStringLiteral("cod_cliente")));
    set("CARTAO", jsonMember(answer, QStringLiteral("cartao")));
    set("TELCELULAR", jsonMember(answer, QStringLiteral("telcelular")));
    set("CPF_ATIVO", jsonMember(answer, QStringLiteral("cpf_ativo")));
    set("CDCONSRESGSALDO", Documento);
    set("SENHARESGATE", jsonMember(answer, QStringLiteral("senha_resgate")));
    const QString group = jsonMember(answer, QStringLiteral("grupo"));
    set("GRUPOCONS", group);
    bool converted = false;
    const QString rawPoints = jsonMember(answer, QStringLiteral("saldopontos_dalvira"));
    set("SALDOPONTOS", normalisedPoints(rawPoints, &converted));
    if (converted)
        logClubPetro(QStringLiteral("Converteu o Saldo."), Plain, Plain);
    if (!group.isEmpty())
        club.stGrupoConsClubPetro = group;
    customers.Post();
    club.boCliClubPetroExiste = true;
    logClubPetro(QStringLiteral("------->Fim Consulta"), Plain, Plain);
    logClubPetro(QString(), Separator, Plain);
    return true;
}

// The redemption carries an id of its own, made once and kept until the programme answers, so
// a redemption sent again after a lost answer is known and not taken twice.
bool ConsumerSale::resgatePontoClubPetro(const QString &Token, double Pontos, const QDateTime &Momento)
{
    ClubPetroLink &link = m_context.state().clubPetro;
    ClubPetroCustomer &club = m_context.state().clubPetroCustomer;
    desalocaVariaveisClubPetro();
    const QString cnpj = m_context.checkedValue(m_context.server().consumers.getCNPJFil(m_context.state().params.stCDFILIAL),
                                                QStringLiteral("getCNPJFil"), m_context.state().params.stCDFILIAL)
                             .toString();
    if (club.stIdUnicoClubPetro.isEmpty())
        club.stIdUnicoClubPetro = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString header = QStringLiteral("token:") + Token + QStringLiteral(";");
    logClubPetro(QString(), Separator, Plain);
    logClubPetro(QStringLiteral("------->Resgate"), Plain, Plain);
    const QString points = PtBr::FormatFloat(QStringLiteral("0.00"), Pontos).replace(QLatin1Char(','), QLatin1Char('.'));
    logClubPetro(QStringLiteral("Conversão OK: ") + points, Plain, Plain);
    const ClientDataSet &customers = m_context.data().cdsConsClubPetro;
    auto current = [&customers](const char *name) {
        return customers.Active() ? customers.FindField(QString::fromLatin1(name)).AsString() : QString();
    };
    const QList<QPair<QString, QString>> members{
        {QStringLiteral("operacao"), QStringLiteral("consumo_ponto")}, {QStringLiteral("cod_loja"), cnpj},
        {QStringLiteral("cod_cliente"), current("COD_CLIENTE")}, {QStringLiteral("num_tel_celular"), current("TELCELULAR")},
        {QStringLiteral("cartao"), current("CARTAO")}, {QStringLiteral("pontostotal"), points},
        {QStringLiteral("atendente"), m_context.state().rights.stNMOPERADOR},
        {QStringLiteral("descricao"), QStringLiteral("Vendas Lumbera - Movrela - ONLINE")},
        {QStringLiteral("data"), Momento.toString(QStringLiteral("yyyy-MM-dd"))},
        {QStringLiteral("hora"), Momento.toString(QStringLiteral("hh-mm-ss"))},
        {QStringLiteral("id_consumo_ponto"), club.stIdUnicoClubPetro}};
    QStringList texts;
    for (const auto &[name, value] : members)
        texts.append(jsonString(name) + QLatin1Char(':') + jsonString(value));
    const QString body = QStringLiteral("{\"resgate\":{") + texts.join(QLatin1Char(',')) + QStringLiteral("}}");
    logClubPetro(QStringLiteral("Request: ") + body, Plain, Plain);
    logClubPetro(QStringLiteral("Header: ") + Http::redactedHeader(header), Plain, Plain);
    logClubPetro(QStringLiteral("Body: ") + body, Plain, Plain);
    const Http::HttpAnswer answer = Http::send(link.UrlRaizAPIClubPetro, QStringLiteral("JSON"), QStringLiteral("POST"),
                                               header, body, TimeoutSeconds);
    club.arResultClubPetro = Variant(QList<Variant>{Variant(answer.status), Variant(answer.text)});
    const QString authorisation = answer.ok() ? jsonMember(answer.text, QStringLiteral("autorizacao")) : QString();
    bool done = !authorisation.isEmpty();
    if (done) {
        logClubPetro(QStringLiteral("Response: ") + answer.text, Plain, Plain);
        club.stCDCNPJRESGSALDO = cnpj;
        club.stCDINTRESGSALDO = authorisation;
        club.stIDTIPORESGATE = QStringLiteral("O");
        bool ok = false;
        const double left = PtBr::StrToFloat(jsonMember(answer.text, QStringLiteral("saldo")).replace(QLatin1Char('.'), QLatin1Char(',')), &ok);
        club.doSaldoRest = ok ? left : 0.0;
        logClubPetro(QStringLiteral("Saldo Restante: ") + PtBr::FloatToStr(club.doSaldoRest), Plain, Plain);
        club.stIdUnicoClubPetro.clear();
    } else {
        club.stErroRequisicao = answer.ok() ? QStringLiteral("resposta sem autorização: ") + answer.text.left(200) : answer.text;
        logClubPetro(answer.status == Http::NotCompleted
                         ? QStringLiteral("Erro na requisição: Erro desconhecido -> resgatePontoClubPetro")
                         : QStringLiteral("Erro na requisição: %1").arg(answer.status),
                     Plain, Plain);
        club.stMensagemClubPetro = m_context.Msg(QStringLiteral("ERROCLUBPETRO"));
        club.stMensagemClubPetroAux = detailOf(Http::redactedHeader(header), body, QStringLiteral("Adicional: ") + club.stErroRequisicao);
    }
    logClubPetro(QStringLiteral("------->Fim Resgate"), Plain, Plain);
    logClubPetro(QString(), Separator, Plain);
    logClubPetro(QStringLiteral("RESGATE UTILIZADO NA VENDA"), Plain, Plain);
    return done;
}

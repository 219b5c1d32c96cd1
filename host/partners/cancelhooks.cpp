#include "cancelhooks.h"

#include <host/program/hostlog.h>

#include <outside/qub_requisicaohttp.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QPair>

#include <initializer_list>

namespace CancelHooks {

namespace {

namespace Http = Qub_requisicaohttp;

const QString DefaultTimeout = QStringLiteral("15");

// The protocol's JSON object with its "error" flag, or nothing usable.
PartnerAnswer send(const QString &url, const QString &path, const QString &method, const QJsonObject &body,
                   const QString &timeout, bool messageAnswer = false)
{
    PartnerAnswer answer;
    if (url.trimmed().isEmpty()) {
        HostLog::write(QStringLiteral("parceiro sem endereço para %1").arg(path));
        return answer;
    }
    const Http::HttpAnswer reply =
        Http::send(url + path, QStringLiteral("JSON"), method, QString(),
                   QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)),
                   timeout.trimmed().isEmpty() ? DefaultTimeout : timeout);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply.text.toUtf8(), &error);
    const QJsonObject object = document.object();
    answer.answered = reply.ok() && error.error == QJsonParseError::NoError && document.isObject()
        && object.value(QStringLiteral("error")).isBool();
    if (!answer.answered) {
        HostLog::write(QStringLiteral("parceiro %1%2 sem resposta válida: %3 %4")
                           .arg(url, path)
                           .arg(reply.status)
                           .arg(reply.text.left(120)));
        return answer;
    }
    answer.value = messageAnswer ? Variant(object.value(QStringLiteral("message")).toString())
                                 : Variant(!object.value(QStringLiteral("error")).toBool());
    return answer;
}

// The sale's key and the notice's own members.
QJsonObject saleBody(const QString &branch, const QString &desk, const QString &sale,
                     std::initializer_list<QPair<const char *, QString>> members)
{
    QJsonObject body{{QStringLiteral("branch"), branch}, {QStringLiteral("desk"), desk}, {QStringLiteral("sale"), sale}};
    for (const auto &[name, value] : members)
        body.insert(QString::fromLatin1(name), value);
    return body;
}

} // namespace

PartnerAnswer FidelidadeOnline(const OnlineLoyaltyNotice &n)
{
    return send(n.url, QStringLiteral("/cancela_saldo"), QStringLiteral("POST"),
                saleBody(n.cdFilial, n.cdCaixa, n.nrSeqVenda,
                         {{"client", n.cdCliente}, {"consumer", n.cdConsumidor},
                          {"opening", n.dtAbertur.toString(Qt::ISODate)}}),
                QString(), true);
}

PartnerAnswer ValePresente(const GiftVoucherNotice &n)
{
    return send(n.url, QStringLiteral("/canc-resgate"), n.method,
                saleBody(n.cdFilial, n.cdCaixa, QString(),
                         {{"store", n.cdLoja}, {"request", n.idReqValPre}, {"tab", n.nrComandaVnd}}),
                n.timeout);
}

PartnerAnswer CoreBancario(const CoreBankingNotice &n)
{
    return send(n.url, QStringLiteral("/canc-resgate"), n.method,
                saleBody(n.cdFilial, n.cdCaixa, n.nrSeqVenda,
                         {{"store", n.cdLoja}, {"cpf", n.nrCpfCoreBanc}, {"request", n.idReqCoreBanc}}),
                n.timeout);
}

PartnerAnswer FidelidadeVimo(const VimoNotice &n)
{
    return send(n.url, QStringLiteral("/canc_cupom"), QStringLiteral("POST"),
                saleBody(n.cdFilial, n.cdCaixa, n.nrSeqVenda,
                         {{"value", n.vrTotVimo}, {"coupon", n.idCupomVimo}, {"phone", n.nrTelVimo}}),
                QString());
}

PartnerAnswer FixeCRM(const FixeCrmNotice &n)
{
    return send(n.url, QStringLiteral("/cancelar_trans"), QStringLiteral("POST"),
                saleBody(n.cdFilial, n.cdCaixa, n.nrSeqVenda,
                         {{"store", n.cdLoja}, {"value", n.vrResgFixeCrm}, {"cpf", n.nrCpfFixeCrm}}),
                QString());
}

} // namespace CancelHooks

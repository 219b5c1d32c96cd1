#include "srv_orders.h"

#include "servercall.h"
#include "srv_orders_write.h"

#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/qub_proximocodigo.h>

#include <QDebug>
#include <QMutex>

using Qub_proximocodigo::NextNumber;
using Qub_proximocodigo::TdtmQubProxCodigo;

namespace {

const Statement adqRegistroMesa{"adqRegistroMesa",
    "SELECT VRTOTAL FROM REGISTROMESA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST",
    // The row stays locked until the order commits, so two tills add one after the other.
    {.sqlite = QString(), .postgresql = "SELECT VRTOTAL FROM REGISTROMESA WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
                   "FOR UPDATE"}};
const Statement adqDtHrAberMesaReg{"adqDtHrAberMesaReg",
    "SELECT DTHRABERMESA FROM VENDAREST WHERE NRVENDAREST = :P_NRVENDAREST AND CDFILIAL = :P_CDFILIAL"};
// Two tills opening the register at once: the second finds the first's row.
const Statement acmInsRegistroMesa{"acmInsRegistroMesa",
    "INSERT INTO REGISTROMESA (CDFILIAL, NRVENDAREST, DTHRABERTURA, IDSITUACAO, VRTOTAL) "
    "VALUES (:CDFILIAL, :NRVENDAREST, :DTHRABERTURA, 'A', 0) ON CONFLICT (CDFILIAL, NRVENDAREST) DO NOTHING"};
const Statement acmUpdRegistroMesa{"acmUpdRegistroMesa",
    "UPDATE REGISTROMESA SET VRTOTAL = :VRTOTAL WHERE CDFILIAL = :CDFILIAL AND NRVENDAREST = :NRVENDAREST"};

const QStringList priceCodes{QStringLiteral("PRECNCAD"), QStringLiteral("TABENCAD"), QStringLiteral("DTCLI"),
                             QStringLiteral("DTPAR"), QStringLiteral("DTLOJ"), QStringLiteral("PRECZERO")};

// By default an order row is priced by the host's price function (Pkg_Hrk00002); a host that
// raised is a failure that rolls the whole order back.
Srv_Kal51000::OrderRowPrice hostPrice(const Srv_Kal51000::OrderRowPriceRequest &request)
{
    const PriceTextAnswer answer = hostServices().ChamaFuncaoRetornaPreco(
        {request.CDFILIAL, request.CDCLIENTE, request.CDPRODUTO, request.CDLOJA, request.CDCONSUMIDOR,
         request.modoVenda});
    if (!answer.failure.isEmpty())
        return Srv_Kal51000::OrderRowPrice::failed(answer.failure);
    return Srv_Kal51000::OrderRowPrice::fromAnswer(answer.text);
}

struct PriceSeam
{
    QMutex lock;
    Srv_Kal51000::OrderRowPriceFunction function;
};

PriceSeam &priceSeam()
{
    static PriceSeam seam;
    return seam;
}

Params registerKey(const OrderWriting::OrderKeys &keys, const char *prefix)
{
    return {{QString::fromLatin1(prefix) + QStringLiteral("CDFILIAL"), keys.CDFILIAL},
            {QString::fromLatin1(prefix) + QStringLiteral("NRVENDAREST"), keys.NRVENDAREST}};
}

// The sale's running total, inside the order's transaction: the row is made when missing,
// read under lock and written back with the order's value, truncated once.
Variant addToRegister(ServerCall &call, const OrderWriting::OrderKeys &keys, double orderTotal)
{
    Variant stored = call.value(adqRegistroMesa, registerKey(keys, "P_"), "VRTOTAL");
    if (stored.isEmpty()) {
        const Variant opened = call.value(adqDtHrAberMesaReg, registerKey(keys, "P_"), "DTHRABERMESA");
        if (opened.isFailure())
            return opened;
        const Variant made = call.write(acmInsRegistroMesa, registerKey(keys, "") + Params{
            {"DTHRABERTURA", opened.isBlank() ? Variant::null() : opened}});
        if (made.isFailure())
            return made;
        stored = call.value(adqRegistroMesa, registerKey(keys, "P_"), "VRTOTAL");
    }
    if (stored.isFailure())
        return stored;
    const double total = Qub_movrela::Trunc2(stored.toDouble() + orderTotal);
    return call.write(acmUpdRegistroMesa, registerKey(keys, "") + Params{{"VRTOTAL", total}});
}

struct ReservedNumbers
{
    qint64 first = 0;
    QString dispatch;
};

// Both numbers are drawn before anything is written; a failed draw stops the order.
Variant reserveNumbers(const OrderWriting::OrderKeys &keys, int count, ReservedNumbers *numbers)
{
    if (count == 0)
        return Variant();
    TdtmQubProxCodigo service;
    const NextNumber first = service.PrxItemComanda(keys.CDFILIAL, keys.NRCOMANDA, count);
    if (!first.ok())
        return Variant::failure(first.error());
    const NextNumber dispatch = service.PrxItComandaVen(keys.CDFILIAL);
    if (!dispatch.ok())
        return Variant::failure(dispatch.error());
    numbers->first = first.value();
    numbers->dispatch = dispatch.text();
    return Variant();
}

// The items one call wrote, by the dispatch number it drew: asked on a fresh session when the
// answer to the order's COMMIT was lost.
const Statement adqPedidoGravado{"adqPedidoGravado",
    "SELECT COUNT(*) AS TOTAL FROM ITCOMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND NRSEQPRODCUP = :P_NRSEQPRODCUP"};

struct CommitFaultSeam
{
    QMutex lock;
    Srv_Kal51000::OrderCommitFault fault;
};

CommitFaultSeam &commitFaultSeam()
{
    static CommitFaultSeam seam;
    return seam;
}

QString commitFault()
{
    Srv_Kal51000::OrderCommitFault fault;
    {
        QMutexLocker lock(&commitFaultSeam().lock);
        fault = commitFaultSeam().fault;
    }
    return fault ? fault() : QString();
}

// How one attempt at the order's transaction ended.
struct Attempt
{
    enum class End {
        Answered,         // committed, refused or failed for good: `answer` is the call's answer
        Cut,              // the server ended the session before the COMMIT went out: nothing written
        CommitUnanswered, // the session ended while the COMMIT was out: it may have been written
    };
    End end = End::Answered;
    Variant answer;
    bool insertedItems = false;
};

Attempt writeInTransaction(TrdmVendaCons &module, const OrderWriting::OrderKeys &keys,
                           OrderWriting::OrderPackets &packets, const ReservedNumbers &numbers)
{
    ServerCall call(module);
    TransactionScope transaction(call);
    OrderWriting::OrderWriter writer(call, keys, packets);
    // A session lost inside the transaction fails every statement after it as lost too.
    const auto failed = [&](const Variant &failure) {
        return Attempt{call.lastError().lost ? Attempt::End::Cut : Attempt::End::Answered, failure};
    };
    if (Variant r = writer.writeItems(numbers.first, numbers.dispatch); r.isFailure())
        return failed(r);
    if (!writer.refusal().isEmpty()) {
        transaction.rollback();
        return {Attempt::End::Answered, Variant(writer.refusal())};
    }
    if (Variant r = addToRegister(call, keys, writer.total()); r.isFailure())
        return failed(r);
    const Variant committed = transaction.commit();
    if (committed.isFailure()) {
        return {call.session().lastError().lost ? Attempt::End::CommitUnanswered : Attempt::End::Answered, committed,
                writer.insertedItems()};
    }
    if (const QString fault = commitFault(); !fault.isEmpty())
        return {Attempt::End::CommitUnanswered, Variant::failure(fault), writer.insertedItems()};
    return {Attempt::End::Answered, committed};
}

// Settles an attempt whose COMMIT went unanswered by asking the fresh session for the items it
// wrote: found, the order is written; absent, it was cut before it could be. An order that
// inserted no item leaves nothing to look for, and a base that cannot be asked cannot tell:
// both fail, as writing it again might add it twice.
Attempt settleCommit(TrdmVendaCons &module, const OrderWriting::OrderKeys &keys, const ReservedNumbers &numbers,
                     Attempt attempt)
{
    if (attempt.end != Attempt::End::CommitUnanswered)
        return attempt;
    const QString lost = attempt.answer.failureText();
    if (!attempt.insertedItems) {
        qWarning().noquote() << "getGeraPedido: no answer to the order's COMMIT, and nothing to tell whether it was written:"
                             << lost;
        return {Attempt::End::Answered, attempt.answer};
    }
    ServerCall call(module);
    const Variant found = call.value(adqPedidoGravado, {{"P_CDFILIAL", keys.CDFILIAL},
        {"P_NRVENDAREST", keys.NRVENDAREST}, {"P_NRCOMANDA", keys.NRCOMANDA}, {"P_NRSEQPRODCUP", numbers.dispatch}},
        "TOTAL");
    if (found.isFailure()) {
        qWarning().noquote() << "getGeraPedido: no answer to the order's COMMIT, and the base could not tell whether it "
                                "was written:" << found.failureText();
        return {Attempt::End::Answered, attempt.answer};
    }
    const bool written = found.toInt() > 0;
    qInfo().noquote() << "getGeraPedido: no answer to the order's COMMIT (" + lost + "); dispatch" << numbers.dispatch
                      << (written ? "is written" : "was not written");
    return written ? Attempt{Attempt::End::Answered, Variant()} : Attempt{Attempt::End::Cut, attempt.answer};
}

// The order's transaction, made once more, whole, on a fresh session when the server ended the
// session before anything of it could have been written. Never inside a transaction a caller
// opened: the rest of that one is lost with the session.
Variant writeOnce(TrdmVendaCons &module, const OrderWriting::OrderKeys &keys, OrderWriting::OrderPackets &packets,
                  const ReservedNumbers &numbers)
{
    const bool joined = module.InTransaction();
    Attempt attempt = settleCommit(module, keys, numbers, writeInTransaction(module, keys, packets, numbers));
    if (attempt.end == Attempt::End::Cut && !joined) {
        qInfo().noquote() << "getGeraPedido: the server ended the session while the order was written ("
                                 + attempt.answer.failureText() + "); writing it again on a fresh session";
        attempt = settleCommit(module, keys, numbers, writeInTransaction(module, keys, packets, numbers));
    }
    return attempt.answer;
}

} // namespace

namespace OrderWriting {

Srv_Kal51000::OrderRowPrice priceOf(const Srv_Kal51000::OrderRowPriceRequest &request)
{
    Srv_Kal51000::OrderRowPriceFunction function;
    {
        QMutexLocker lock(&priceSeam().lock);
        function = priceSeam().function;
    }
    return function ? function(request) : hostPrice(request);
}

Variant writeOrder(TrdmVendaCons &module, const OrderKeys &keys, const Variant &itens, const Variant &itPromoComb,
                   const Variant &obsItens, const Variant &obsItensEst)
{
    OrderPackets packets;
    if (Variant r = packets.load(itens, itPromoComb, obsItens, obsItensEst); r.isFailure())
        return r;
    ReservedNumbers numbers;
    if (Variant r = reserveNumbers(keys, packets.itemCount(), &numbers); r.isFailure())
        return r;
    return writeOnce(module, keys, packets, numbers);
}

} // namespace OrderWriting

namespace Srv_Kal51000 {

OrderRowPrice OrderRowPrice::price(double value)
{
    OrderRowPrice p;
    p.m_kind = Kind::Price;
    p.m_value = value;
    return p;
}

OrderRowPrice OrderRowPrice::refused(const QString &code)
{
    OrderRowPrice p;
    p.m_kind = Kind::Refused;
    p.m_text = code;
    return p;
}

OrderRowPrice OrderRowPrice::failed(const QString &text)
{
    OrderRowPrice p;
    p.m_kind = Kind::Failed;
    p.m_text = text.isEmpty() ? QStringLiteral("falha sem texto na função de preço") : text;
    return p;
}

OrderRowPrice OrderRowPrice::fromAnswer(const QString &answer)
{
    for (const QString &code : priceCodes) {
        if (answer == code)
            return refused(code);
    }
    bool ok = false;
    const double value = Variant(answer.trimmed()).toDouble(&ok);
    if (ok && !answer.trimmed().isEmpty())
        return price(value);
    return failed(QStringLiteral("A função de preço respondeu \"%1\", que não é um preço.").arg(answer));
}

void setOrderRowPriceFunction(OrderRowPriceFunction function)
{
    QMutexLocker lock(&priceSeam().lock);
    priceSeam().function = std::move(function);
}

void setOrderCommitFault(OrderCommitFault fault)
{
    QMutexLocker lock(&commitFaultSeam().lock);
    commitFaultSeam().fault = std::move(fault);
}

Variant getGeraPedido(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                      const QString &NRCOMANDA, const QString &NRVENDAREST, const Variant &itens,
                      const Variant &itPromoComb, const QString &CDCONSUMIDOR, const QString &CDCAIXA,
                      const QString &CDVENDEDOR, const QString &CDSENHAPED, const Variant &obsItens,
                      const Variant &obsItensEst, const QString &modoVenda)
{
    const OrderWriting::OrderKeys keys{CDFILIAL, CDLOJA, CDCLIENTE, NRCOMANDA, NRVENDAREST,
                                       CDCONSUMIDOR, CDCAIXA, CDVENDEDOR, CDSENHAPED, modoVenda};
    return OrderWriting::writeOrder(rdmVendaCons(), keys, itens, itPromoComb, obsItens, obsItensEst);
}

Variant PrxItemComanda(const QString &CDFILIAL, const QString &NRCOMANDA, int count)
{
    return TdtmQubProxCodigo().PrxItemComanda(CDFILIAL, NRCOMANDA, count).answer();
}

Variant PrxItComandaVen(const QString &CDFILIAL)
{
    return TdtmQubProxCodigo().PrxItComandaVen(CDFILIAL).answer();
}

Variant PrxPedidoQub(const QString &code, int count)
{
    return TdtmQubProxCodigo().PrxMovFidelidade(code, count).answer();
}

} // namespace Srv_Kal51000

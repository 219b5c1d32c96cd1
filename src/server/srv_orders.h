#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

#include <functional>

// Writing the orders of table, tab and delivery sales, and the next-number wrappers of the
// order and loyalty numbers.
namespace Srv_Kal51000 {

// What the host's price function is asked for one order row.
struct OrderRowPriceRequest
{
    QString CDFILIAL;
    QString CDCLIENTE;
    QString CDPRODUTO;
    QString CDLOJA;
    QString CDCONSUMIDOR;
    QString modoVenda; // "B", "M", "C" or "D"
};

// The host's answer for one order row: a unit price, a refusal code the screen shows
// ("PRECNCAD", "FORAHORA", ...: the row is not written) or a failure of the function itself
// (the whole order is rolled back).
class OrderRowPrice
{
public:
    static OrderRowPrice price(double value);
    static OrderRowPrice refused(const QString &code);
    static OrderRowPrice failed(const QString &text);
    // Reads the text answer of the host's ChamaFuncaoRetornaPreco: one of its six codes
    // (exact), else the unit price as a decimal text (comma or point); anything else is a
    // failure naming the answer.
    static OrderRowPrice fromAnswer(const QString &answer);

    bool isPrice() const { return m_kind == Kind::Price; }
    bool isRefused() const { return m_kind == Kind::Refused; }
    bool isFailed() const { return m_kind == Kind::Failed; }
    double value() const { return m_value; }
    // The refusal code or the failure text.
    const QString &text() const { return m_text; }

private:
    enum class Kind { Price, Refused, Failed };
    Kind m_kind = Kind::Failed;
    double m_value = 0;
    QString m_text;
};

// The price of one order row, as the host prices it: by default the host's
// ChamaFuncaoRetornaPreco (Pkg_Hrk00002), whose uninstalled default fails with a clear text, so
// no order is ever written with prices nobody checked.
using OrderRowPriceFunction = std::function<OrderRowPrice(const OrderRowPriceRequest &)>;
// Replaces the price function (tests); an empty function restores the host's.
VENDACONS_EXPORT void setOrderRowPriceFunction(OrderRowPriceFunction function);

// Asked after each order's COMMIT went through (tests): a text makes the order take it as a
// COMMIT whose answer the server never sent, with that text. An empty function is none.
using OrderCommitFault = std::function<QString()>;
VENDACONS_EXPORT void setOrderCommitFault(OrderCommitFault fault);

// Writes one order of a table, tab or delivery sale: its items priced again by the host, the
// items' options, the parts of combined products and their options, and the sale's total in
// REGISTROMESA, all in one transaction. `itens`, `itPromoComb`, `obsItens` and `obsItensEst`
// are the data packets of the screen's cdsItems, cdsItPromoComb, cdsObsItens and
// cdsObsItensEst (an empty variant counts as an empty packet).
//
// The order is written whole or not at all, so that the screen may send it again. Answers
// empty when every row was written; the refusal code when the host refused a row (nothing of
// the order is written; the reserved numbers stay consumed); Variant::failure(error text)
// when the numbers could not be had, a packet is unusable, the price function failed or the
// database failed (nothing of the order is written either).
//
// A server that ends the session while the order is written (a restart of the shared base)
// does not cost the operator the order: cut before its COMMIT, nothing was written and the
// order is written once more, whole, on a fresh session, with the numbers already drawn; cut
// at its COMMIT, the fresh session is asked for the order's items by its dispatch number and
// the order is written again only when they are absent. It is never written twice. A base
// that stays down fails with the database's text.
VENDACONS_EXPORT Variant getGeraPedido(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                                       const QString &NRCOMANDA, const QString &NRVENDAREST, const Variant &itens,
                                       const Variant &itPromoComb, const QString &CDCONSUMIDOR, const QString &CDCAIXA,
                                       const QString &CDVENDEDOR, const QString &CDSENHAPED, const Variant &obsItens,
                                       const Variant &obsItensEst, const QString &modoVenda);

// Next numbers, each drawn on the next-number service's own session (outside the
// transaction). Each answers the number as text, or Variant::failure(error text), never an
// error text in place of a number.
// The first of `count` consecutive order item numbers of the tab.
VENDACONS_EXPORT Variant PrxItemComanda(const QString &CDFILIAL, const QString &NRCOMANDA, int count);
// The dispatch number that groups the items sent together (NRSEQPRODCUP).
VENDACONS_EXPORT Variant PrxItComandaVen(const QString &CDFILIAL);
// The next loyalty movement number.
VENDACONS_EXPORT Variant PrxPedidoQub(const QString &code, int count);

} // namespace Srv_Kal51000

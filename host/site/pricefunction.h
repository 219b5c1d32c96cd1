#pragma once

#include <outside/pkg_hrk00002.h>

#include <QDateTime>
#include <QString>

class ClientDataSet;

// The host's price function over the price tables of the base.
//
// Which table prices an item: the client company's own table (CLIENTE.CDTABEPREC), then the
// store's (LOJA.CDTABEPREC), then the branch's default (PARAVEND.CDTABEPREC). The first of
// them that is not in effect today (TABEVEND.DTINIVIGTABE..DTFINVIGTABE) refuses the item
// with "DTCLI", "DTLOJ" or "DTPAR"; otherwise the first that holds a price of the product
// valid today (ITEMPRECO) gives it. Refusal codes, in the order they are checked:
//   "TABENCAD"  no table is set up, or a table named does not exist
//   "BLOQUEADO" the consumer type may not buy the product today (TIPOSALDOPROD.IDBLOQPROD)
//   "FORAHORA"  outside the consumer type's hours for the product (HRINICIAL..HRFINAL)
//   "DTCLI" / "DTLOJ" / "DTPAR"  that table is not in effect
//   "PRECNCAD"  none of the tables prices the product today
//   "PRECZERO"  the price is zero or less and the product is not sold at a typed price
// A weekday price (ITEMPRECODIA for the branch, product, weekday 1 = Sunday .. 7 = Saturday,
// consumer type or "T") gives VRPRECODIA with the discount (IDACREDESC "D") or surcharge
// ("A") of VRDESCACREDIA, by value ("V") or percentage ("P"), per unit.
// A database failure refuses with the database's text.
namespace PriceFunction {

struct Query
{
    QString cdFilial;
    QString cdCliente;
    QString cdProduto;
    QString cdLoja;
    QString cdTipoCons; // empty: no consumer type
    QString hora;       // "HHMM"; empty: now
};

struct Quote
{
    QString refusal; // empty when priced
    double vrPreco = 0;
    double vrDesconto = 0;
    double vrAcrescimo = 0;
    double vrPrecoClie = 0;
    double vrPrecoDia = 0;
    QString idPercValor;
    QString idAcreDesc;
    QString idPrecVaria = QStringLiteral("N");

    bool ok() const { return refusal.isEmpty(); }
};

Quote quote(const Query &query, const QDateTime &now);
// Whether a refusal is one of the codes above (else it is a database's text).
bool isRefusalCode(const QString &text);

// Fills `cdsRetornaPreco` with one row (creating its fields when it has none).
PriceAnswer ChamaFuncaoGetRetornaPreco(const PriceRequest &request, ClientDataSet &cdsRetornaPreco);
// The price as decimal text ("12,50") or the refusal code.
PriceTextAnswer ChamaFuncaoRetornaPreco(const PriceTextRequest &request);

} // namespace PriceFunction

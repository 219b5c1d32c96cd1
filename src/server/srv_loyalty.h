#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

class TrdmVendaCons;

// Loyalty: campaign benefits granted to consumers, their uses (reserved while a counter sale
// is open, bound to the sale when it is saved, given back when removed), the reversal of a
// sale's points, campaigns, buy-and-win campaigns and the cashback partners' posting flags.
//
// Failure answers: packets and writes answer Variant::failure(error text); the Boolean checks
// answer False on failure (getCadBeneficio too). AtualizaPontuacao, the data module's
// getCampanha, setEnvioFid4ALL and setEnvioFidUDS answer Variant::failure, which their caller
// tests; nothing here throws.
namespace Srv_Kal51000 {

// ---- campaign products and benefits ----------------------------------------------------------

// CDPRODUTO, NRSEQPRODCAMP of the product in the branch's loyalty campaigns.
VENDACONS_EXPORT Variant getProdPromoFidelidade(const QString &CDFILIAL, const QString &CDPRODUTO);
VENDACONS_EXPORT Variant getCamposPromoFidelidade(const QString &CDFILIAL, const QString &CDPRODUTO);
// The benefits of a campaign product in the branch's loyalty campaigns.
VENDACONS_EXPORT Variant getMovFidelidade(const QString &CDFILIAL, const QString &NRSEQPRODCAMP,
                                          const QString &CDPRODUTO);
// Grants a benefit to a consumer (one control row, export flag "I"). `unusedCode` is taken
// for the callers' shape and not used.
VENDACONS_EXPORT Variant setMovFidelidade(const QString &unusedCode, const QString &CDCAMPANHA,
                                          const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO,
                                          const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                          const QString &IDTPDESBENECONS, const QDateTime &DTINIVALBENECONS,
                                          const QDateTime &DTFIMVALBENECONS, double VRDESBENECONS,
                                          int QTDEBENEFICIO);
// True when the consumer has no benefit at all; False when there is one, or on failure.
VENDACONS_EXPORT bool getCadBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// True when the consumer's benefit with most uses left that applies to the product has one.
VENDACONS_EXPORT bool getMovBeneFidelidade(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                           const QString &CDPRODUTO);
// True when the benefit applies to the product.
VENDACONS_EXPORT bool getValProdBeneficio(const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                                          const QString &NRSEQBENECAMP, const QString &CDPRODUTO);
// The consumer's benefits usable today, with the badge code.
VENDACONS_EXPORT Variant getListaBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// The next loyalty movement number: the number as text, or the failure.
VENDACONS_EXPORT Variant PrxFidelidade(const QString &CDFILIAL, int count);

// ---- benefit uses ----------------------------------------------------------------------------

// Reserves one use of a benefit for the open counter sale's item NRSEQUITVEND (its receipt
// order number): one use less on the control row and a use row for sale "9999999", in one
// transaction. The four unused texts keep the callers' twelve positions.
VENDACONS_EXPORT Variant setMovBeneficio(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCAMPANHA,
                                         const QString &NRSEQPRODCAMP, const QString &NRSEQBENEFICIO,
                                         const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                         const QString &unused1, const QString &unused2, const QString &unused3,
                                         const QString &unused4, const QString &NRSEQUITVEND);
// Binds the desk's reserved uses to the saved sale NRSEQVENDA and to its items; a use whose
// item was cancelled is deleted and given back. One transaction: all or nothing.
VENDACONS_EXPORT Variant setVendaBeneficioBalcao(const QString &NRSEQVENDA, const QString &CDFILIAL,
                                                 const QString &CDCAIXA);
// Gives back the reservation taken for the open sale's line NRSEQUITVEND at this desk (an item
// that was offered a benefit but did not register): its use row goes and the control row
// gets the use back. No reservation for the line: nothing changes. Empty, or the failure.
VENDACONS_EXPORT Variant setDevolveBeneficioItem(const QString &CDFILIAL, const QString &CDCAIXA,
                                                 const QString &NRSEQUITVEND);
// Gives back the consumer's reserved uses of the named benefit (and only of that one).
VENDACONS_EXPORT Variant setApagaBeneficio(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                           const QString &CDCAMPANHA, const QString &NRSEQPRODCAMP,
                                           const QString &NRSEQBENEFICIO);

// ---- points, campaigns, partner flags --------------------------------------------------------

// Reverses the sale's loyalty points: one "C" row per point row, numbered after the sale's
// highest. Opens no transaction of its own (the cancellation runs it inside its own).
VENDACONS_EXPORT Variant AtualizaPontuacao(const QString &CDFILIAL, const QString &CDCAIXA,
                                           const QString &NRSEQVENDA);
// Buy-and-win campaigns valid today that count the product, with today's weekday flag.
VENDACONS_EXPORT Variant getCampCompGanhe(const QString &CDPRODUTO);
// The prizes of a buy-and-win campaign period.
VENDACONS_EXPORT Variant getBrCampCompGanhe(const QString &CDCAMPANHA, const QDateTime &DTINIVGCAMP);
// Over the branch's campaigns whose IDCAMPANHA is neither "E" nor "C": True when there is
// none or the first has "P"; False otherwise or on failure.
VENDACONS_EXPORT bool getCampanha(const QString &CDFILIAL);
// True when the branch takes part in a campaign whose IDCAMPANHA is neither "E" nor "C" (the
// sale screen's loyalty flag); the failure when the base fails.
VENDACONS_EXPORT Variant getCampanhaFilial(const QString &CDFILIAL);

// Functions that run on a given data module (the caller passes it in).
// The branch's active campaign ("S") valid today: its code, "" when none, or the failure.
VENDACONS_EXPORT Variant getCampanha(TrdmVendaCons &module, const QString &CDFILIAL);
// Marks the sale's 4ALL cashback posting: IDENVIOFID4ALL "N" when `posted` is True (nothing
// left to send), "S" when it is False (still to send; the caller passes False also when the
// partner did not answer). IDIMPVENDA stays "I", anything else becomes "A".
VENDACONS_EXPORT Variant setEnvioFid4ALL(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA,
                                         const QString &NRSEQVENDA, bool posted);
// Marks the sale's UDS cashback posting cancelled ("C"), IDIMPVENDA as above.
VENDACONS_EXPORT Variant setEnvioFidUDS(TrdmVendaCons &module, const QString &CDFILIAL, const QString &CDCAIXA,
                                        const QString &NRSEQVENDA);

} // namespace Srv_Kal51000

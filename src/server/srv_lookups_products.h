#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

// Lookups of products, prices and promotions. Each runs one read of the base (two for
// getCdGruPromoc) and never starts, commits or rolls back the shared transaction.
// Failure answers: a Variant answer is Variant::failure(error text) unless said otherwise; a
// text answer gives what each function states.
namespace Srv_Kal51000 {

// The product of a bar code; empty when the code is not registered.
VENDACONS_EXPORT Variant getCodigoBarra(const QString &CDBARRAPROD);
// The product behind a shortcut code of the branch's screen configuration; empty when none.
VENDACONS_EXPORT Variant getCodigoAtalho(const QString &CDFILIAL, const QString &NRCONFTELA, const QString &CDATAPRODITM);
// The search list: the top-level products priced today in the branch's price table or in one
// of its general price tables (only its market segment's products when it has one), each once.
VENDACONS_EXPORT Variant getProdPesq(const QString &CDFILIAL);
// IDSOLLOCIMP; on failure a failure whose text is "E" followed by the error text.
VENDACONS_EXPORT Variant getVerificaImpVariavel(const QString &CDPRODUTO);
// CDCLASFISC; "" for an unknown product; the failure on failure.
VENDACONS_EXPORT Variant getProdCodNCM(const QString &CDPRODUTO);
VENDACONS_EXPORT Variant getProdutoPai(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                                       const QString &NRSEQUITVEND);
// The discount coupons of the product usable at the branch (reusable, or single-use and never
// used), with their validity dates unfiltered; the database error on failure.
VENDACONS_EXPORT Variant getCuponsValidos(const QString &CDFILIAL, const QString &CDPRODUTO);
// The highest NRSEQPRODCOM of the tab's order lines as text, "0" when it has none.
VENDACONS_EXPORT Variant getAgrupProd(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST);
// The branch's subsidised products. A failure leaves the caller's transaction alone.
VENDACONS_EXPORT Variant getProdSubsidiado(const QString &CDFILIAL);
VENDACONS_EXPORT Variant getTipoSaldoProd(const QString &CDFILIAL, const QString &CDTIPOCONS, const QString &CDPRODUTO);
// The store's service-fee product; "" when none or on failure.
VENDACONS_EXPORT QString getProdTxServ(const QString &CDFILIAL, const QString &CDLOJA);
// IDUTILDESCDIA of the product's day-price row valid today for weekday DIASEMAN (1 = Sunday)
// and the consumer type, else the row for all types ('T'); "" when none or on failure.
VENDACONS_EXPORT QString getIDUTILDESCDIA(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &TIPOCONS,
                                          const QString &DIASEMAN);
// The branch's promotion group of the product, else the general one; "" when none or on failure.
VENDACONS_EXPORT QString getCdGruPromoc(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &CDPRODPROMOCAO);
VENDACONS_EXPORT Variant getRegraFisPdv(const QString &CDPRODUTO);
// Empty packet when the product has no tax row for the branch.
VENDACONS_EXPORT Variant getValidProdNFCe(const QString &CDFILIAL, const QString &CDPRODUTO);
VENDACONS_EXPORT Variant getPromoCombAux(const QString &CDFILIAL, const QString &CDCAIXA);
// Deletes the cash desk's rows of PROMOCAOCOMBAUX: empty, or the failure.
VENDACONS_EXPORT Variant setPromoCombAux(const QString &CDFILIAL, const QString &CDCAIXA);
// Whether the branch controls the product's stock (a PRODFILI row with IDCNTRESTOQ "S" or
// empty): True or False, or Variant::failure with the error text. A failure is never read as
// either answer; the caller reports it (MensagemMetodo) and refuses what depended on it.
VENDACONS_EXPORT Variant VerificaControleEstoque(const QString &CDFILIAL, const QString &CDPRODUTO);

} // namespace Srv_Kal51000

#pragma once

#include <vendacons_export.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

// Server functions of the badge consumers' accounts: debit (MOVICLIE) and personal credit per
// balance family (SALDOCONS, with every change as a statement line of EXTRATOCONS). Lookups
// answer Variant::failure(error text) when the base fails; none shows a message itself. Money
// is compared after rounding to cents (Money::RoundDec), never as raw doubles.
namespace Srv_Kal51000 {

// ---- balances and statements ---------------------------------------------------------------
// VRSALDOCONS, VRSALDPECONS of the consumer's latest debit movement.
VENDACONS_EXPORT Variant getSaldoCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// The consumer's SALDOCONS row of the family with its name; empty packet when none.
VENDACONS_EXPORT Variant getSaldoCred(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD);
// Every family of the branch with the consumer's balance (0 without a SALDOCONS row):
// CDFAMILISALD, NMFAMILISALD, VRSALDCONFAM, by family code. Arguments in the callers' order.
VENDACONS_EXPORT Variant getConsSaldFam(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// DTMOVEXTCONS: the consumer's earliest statement date (null when none).
VENDACONS_EXPORT Variant getMinDtMovExtCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// Today's spending: kind "1" the debit movements, any other the "V" statement lines.
VENDACONS_EXPORT Variant getGastCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &kind);
// The family's balance as text, "0" without a row; a failure (not "") when the base fails.
VENDACONS_EXPORT Variant GetSaldoConsBonus(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                           const QString &CDFAMILISALD);
// VRLIMDEBCONS, VRMAXDEBCONS, VALCONSUMDIA, VALCONSUMMES of an active consumer at the branch.
VENDACONS_EXPORT Variant getVrSaldConsumi(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDIDCONSUMID,
                                          const QString &CDCONSUMIDOR, const QDateTime &monthStart,
                                          const QDateTime &saleDate);
// Debit spending after `date` less the monthly subsidy (TOTAL).
VENDACONS_EXPORT Variant getSaldoExcedente(const QString &unused, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                           const QDateTime &date);
VENDACONS_EXPORT Variant getVrSubsBasicoCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getVrSubsBasico(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getGtTotConsSaldExtra(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &date);
// [0] the family's rule at the branch, [1] the families that may lend to it with the
// consumer's balances, [2] VRDIARIOFAM; a failure as a whole.
VENDACONS_EXPORT Variant getOrdemFamilia(const QString &CDFILIAL, const QString &CDFAMILISALD, const QString &CDCLIENTE,
                                         const QString &CDCONSUMIDOR, const QString &IDEXTCONSCENTRAL);
// Roll-forwards, run in the open transaction (or their own): each recomputes the carried
// balances from the movements dated from `start` on, so running one twice changes nothing.
VENDACONS_EXPORT Variant setAtualizaDebCons(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                            const QString &CDOPERADOR, const QDateTime &start);
VENDACONS_EXPORT Variant EvoluiSaldo(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFILIAL,
                                     const QDateTime &start);

// ---- payment validation -----------------------------------------------------------------------
// Checks the sale's amount per family (CDFAMILISALD, VRSALDCONFAM) against limits and
// balances. Answers the loans between families (statement-line columns; empty when none) or a
// failure whose text starts with "ERRO_1".."ERRO_5", "FALHA_CONEXAO_SRV" or
// "EXTCONSCENTRAL_ERRO". Writes nothing: the save posts the loans.
VENDACONS_EXPORT Variant setValidaSaldoCons(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                                            const QString &CDCONSUMIDOR, const QString &IDPERCOMVENCPDC,
                                            const QString &IDEXTCONSONLINE, const QString &CDURLWSEXTCONS,
                                            const QString &IDEXTCONSCENTRAL, const Variant &families,
                                            const QDateTime &DTABERCAIX);
// The daily limit of the packet's last family (0: no limit); "ERRO_3 ..." when the family is
// closed to the consumer (a limit set to zero).
VENDACONS_EXPORT Variant getLimitConsDiario(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                                            const QString &CDCONSUMIDOR, const Variant &families,
                                            const QDateTime &DTABERCAIX);
// Today's spending in the packet's last family (0 when none).
VENDACONS_EXPORT Variant getGastoDia(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                                     const QString &CDCONSUMIDOR, const Variant &families, const QDateTime &DTABERCAIX);

// ---- limits and consumption -------------------------------------------------------------------
VENDACONS_EXPORT Variant getProdVenDiaServ(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                           const QString &CDPRODUTO, const QString &CDSERVFILI);
VENDACONS_EXPORT Variant getGtDiaServ(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                      const QString &CDSERVFILI);
VENDACONS_EXPORT Variant getProdBasVenDia(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                          const QString &CDPRODUTO);
// "QTDE_OK", "QTDE_NOT_CONS", "PROD_NOT_CONS", "QTDE_NOT_FAM", "PROD_NOT_FAM", or a failure.
VENDACONS_EXPORT Variant getQtdeProdDia(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                        const QString &CDFAMILISALD, const QString &CDPRODUTO, double quantity,
                                        const Variant &items);
VENDACONS_EXPORT Variant GetTipoConsFili(const QString &CDFILIAL, const QString &CDTIPOCONS);
// NMTIPOCONS on the probe session; "" when none or on failure.
VENDACONS_EXPORT QString GetNmTipoCons(const QString &CDTIPOCONS);
VENDACONS_EXPORT Variant GetTipoConsFiliClubPetro(const QString &NMGRUPOSEGPETRO);
VENDACONS_EXPORT Variant getTipoConsLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                                         const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getLimiteCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getGastConsLoja(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCLIENTE,
                                         const QString &CDCONSUMIDOR, const QString &kind, const QString &period);
VENDACONS_EXPORT Variant getGastoConsMes(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QDateTime &first,
                                         const QDateTime &last);
VENDACONS_EXPORT Variant getVerifProdConsumi(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                             const QString &CDPRODUTO);
// The product's balance family at the branch; "" when it has none; a failure when the base fails.
VENDACONS_EXPORT Variant getCdFamiliSald(const QString &CDFILIAL, const QString &CDPRODUTO);
// The date of the period's last load that was not cancelled ("" when none), `count` := the
// number of such loads (0 first); a failure when the base fails.
VENDACONS_EXPORT Variant GetCargaCredito(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDFAMILISALD,
                                         const QDateTime &first, const QDateTime &last, int &count);
// [0], [1]: whether the first-day and later-day limits allow one more use; [2], [3]: the
// refusing limit as text.
VENDACONS_EXPORT Variant getValLimiteBene(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &CDCAMPANHA,
                                          const QString &NRSEQBENEFICIO);

// ---- consumer records -------------------------------------------------------------------------
// Operation "1" inserts the consumer; any other changes only its CPF when the register allows
// it. True, or the failure (nothing written).
VENDACONS_EXPORT Variant setGravaConsumidor(const QString &CDCLIENTE, const QString &NMCONSUMIDOR,
                                            const QString &CDCONSUMIDOR, const QString &CDIDCONSUMID,
                                            const QString &CDCCUSCLIE, const QString &CDTIPOCONS,
                                            const QString &NRRGCONSUMID, const QString &NRCPFRESPCON,
                                            const QString &NRTELECONS, const QString &NRTELE2CONS,
                                            const QString &STPROCESSAMENTO, const QString &operation);
// Writes the branch's consumer register "Dados/Cadastros/Cad_Consumidor" under `baseFolder` in
// the data-packet file form, replacing the old file only when complete. "" or the failure's text.
VENDACONS_EXPORT QString SetCons(const QString &CDFILIAL, const QString &baseFolder, const QString &IDEXCONSATFIL,
                                 const QString &IDEXCONSATGER);
VENDACONS_EXPORT Variant getConsumidor(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getDadosConsumidor(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getNomeCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT QString getEmailCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
VENDACONS_EXPORT Variant getDadosPreVDSaldo(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// The consumer as the branch may sell to it: CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR,
// IDTPVENDACONS, VRSUBSBASICO, NRCPFRESPCON; both switches "S": active consumers only.
VENDACONS_EXPORT Variant getCadConsumidor(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                          const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER);
// The consumer named on a delivery or reserved tab; "" otherwise and on failure.
VENDACONS_EXPORT QString getDsConsumidor(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST,
                                         const QString &NRCOMANDA);

// ---- sale, coupon and partner lookups ---------------------------------------------------------
VENDACONS_EXPORT Variant getDescVendaFid(const QString &CDCLIENTE, const QString &CDCONSUMIDOR);
// Whether the receipt's sale used personal credit: a Boolean, or a failure.
VENDACONS_EXPORT Variant getCreditoPessoal(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOM,
                                           const QDateTime &DTABERTUR);
// Texts, or a failure (never the error text in place of the value).
VENDACONS_EXPORT Variant getIdIntResgSaldo(const QString &CDTIPORECE);
VENDACONS_EXPORT Variant getCNPJEmpresa(const QString &CDFILIAL);
VENDACONS_EXPORT Variant getCNPJFil(const QString &CDFILIAL);

} // namespace Srv_Kal51000

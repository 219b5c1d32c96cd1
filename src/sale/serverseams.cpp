#include "serverseams.h"

#include <server/srv_access.h>
#include <server/srv_consumers.h>
#include <server/srv_consumers_credit.h>
#include <server/srv_counters.h>
#include <server/srv_kds.h>
#include <server/srv_lookups_fiscal.h>
#include <server/srv_lookups_partners.h>
#include <server/srv_lookups_products.h>
#include <server/srv_lookups_tills.h>
#include <server/srv_loyalty.h>
#include <server/srv_orders.h>
#include <server/srv_passwords.h>
#include <server/srv_salecancel.h>
#include <server/srv_startup_lookups.h>
#include <server/srv_tabs.h>
#include <server/trdmvendacons.h>

#include <outside/qub_movrela_db.h>

#include <QDebug>
#include <QRandomGenerator>

namespace {

// Puts the default back into a member a replacement left empty.
template <class F>
void fill(F &member, const F &fallback)
{
    if (!member)
        member = fallback;
}

QString probeServer()
{
    Qub_movrela::DbConnection &probe = rdmVendaCons().adcTesteConexao();
    if (!probe.open())
        return Qub_movrela::ADOExceptionMessage(probe.lastError(), probe, QString());
    probe.close();
    return QString();
}

// The screen passes the tab before the store; the server takes the store third.
Variant validOrder(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA, const QString &CDLOJA)
{
    return Srv_Kal51000::setValidaPedido(CDFILIAL, NRVENDAREST, CDLOJA, NRCOMANDA);
}

QString listedText(const QStringList &values, int index)
{
    return index < values.size() ? values.at(index) : QString();
}

} // namespace

namespace Seam {

Variant notInstalled(const QString &name)
{
    return Variant::failure(QStringLiteral("função do servidor não instalada: %1").arg(name));
}

// ---- access -----------------------------------------------------------------------------------

Access::Access() : setLogAcesso(Srv_Kal51000::setLogAcesso), serverProbe(probeServer) {}

Access &Access::current()
{
    return ServerSeams::current().access;
}

void Access::fillMissing()
{
    const Access d;
    fill(setLogAcesso, d.setLogAcesso);
    fill(serverProbe, d.serverProbe);
}

// ---- counters ---------------------------------------------------------------------------------

Counters::Counters()
    : getPrxVendaColombia(Srv_Kal51000::getPrxVendaColombia),
      setGravaCupomInicial(Srv_Kal51000::setGravaCupomInicial),
      setNumeroNFCe(Srv_Kal51000::setNumeroNFCe),
      setNrVendaNFisc(Srv_Kal51000::setNrVendaNFisc)
{
}

Counters &Counters::current()
{
    return ServerSeams::current().counters;
}

void Counters::fillMissing()
{
    const Counters d;
    fill(getPrxVendaColombia, d.getPrxVendaColombia);
    fill(setGravaCupomInicial, d.setGravaCupomInicial);
    fill(setNumeroNFCe, d.setNumeroNFCe);
    fill(setNrVendaNFisc, d.setNrVendaNFisc);
}

// ---- kds --------------------------------------------------------------------------------------

Kds::Kds() : CancelaPedidoKDS(Srv_Kal51000::CancelaPedidoKDS) {}

Kds &Kds::current()
{
    return ServerSeams::current().kds;
}

void Kds::fillMissing()
{
    fill(CancelaPedidoKDS, Kds().CancelaPedidoKDS);
}

// ---- product lookups --------------------------------------------------------------------------

LookupsProducts::LookupsProducts()
    : getVerificaImpVariavel(&Srv_Kal51000::getVerificaImpVariavel),
      getCdGruPromoc([](const QString &CDFILIAL, const QString &CDPRODUTO, const QString &CDPRODPROMOCAO) {
          return Variant(Srv_Kal51000::getCdGruPromoc(CDFILIAL, CDPRODUTO, CDPRODPROMOCAO));
      }),
      getTipoSaldoProd(&Srv_Kal51000::getTipoSaldoProd),
      getCodigoAtalho(Srv_Kal51000::getCodigoAtalho),
      getCodigoBarra(Srv_Kal51000::getCodigoBarra),
      getProdPesq(Srv_Kal51000::getProdPesq),
      getProdTxServ(Srv_Kal51000::getProdTxServ),
      getAgrupProd(Srv_Kal51000::getAgrupProd),
      getIDUTILDESCDIA(Srv_Kal51000::getIDUTILDESCDIA),
      getValidProdNFCe(&Srv_Kal51000::getValidProdNFCe),
      getRegraFisPdv(&Srv_Kal51000::getRegraFisPdv),
      setPromoCombAux(&Srv_Kal51000::setPromoCombAux),
      getCuponsValidos(&Srv_Kal51000::getCuponsValidos),
      getPromoCombAux(&Srv_Kal51000::getPromoCombAux),
      getProdCodNCM(&Srv_Kal51000::getProdCodNCM),
      getProdSubsidiado(&Srv_Kal51000::getProdSubsidiado),
      getProdutoPai(&Srv_Kal51000::getProdutoPai)
{
}

LookupsProducts &LookupsProducts::current()
{
    return ServerSeams::current().lookupsProducts;
}

void LookupsProducts::fillMissing()
{
    const LookupsProducts d;
    fill(getVerificaImpVariavel, d.getVerificaImpVariavel);
    fill(getCdGruPromoc, d.getCdGruPromoc);
    fill(getTipoSaldoProd, d.getTipoSaldoProd);
    fill(getCodigoAtalho, d.getCodigoAtalho);
    fill(getCodigoBarra, d.getCodigoBarra);
    fill(getProdPesq, d.getProdPesq);
    fill(getProdTxServ, d.getProdTxServ);
    fill(getAgrupProd, d.getAgrupProd);
    fill(getIDUTILDESCDIA, d.getIDUTILDESCDIA);
    fill(getValidProdNFCe, d.getValidProdNFCe);
    fill(getProdCodNCM, d.getProdCodNCM);
    fill(getProdSubsidiado, d.getProdSubsidiado);
    fill(getRegraFisPdv, d.getRegraFisPdv);
    fill(setPromoCombAux, d.setPromoCombAux);
    fill(getCuponsValidos, d.getCuponsValidos);
    fill(getPromoCombAux, d.getPromoCombAux);
    fill(getProdutoPai, d.getProdutoPai);
}

// ---- till lookups -----------------------------------------------------------------------------

// The field-text and check forms answer plain texts or Booleans; they travel here as values.
LookupsTills::LookupsTills()
    : getDsOcorr(&Srv_Kal51000::getDsOcorr),
      getIDIMPQRTOPDATA(Srv_Kal51000::getIDIMPQRTOPDATA),
      getCartaoCHART([] { return Variant(Srv_Kal51000::getCartaoCHART()); }),
      getVisualizaTelPed(&Srv_Kal51000::getVisualizaTelPed),
      getConfigCaixa([](const QString &CDFILIAL, const QString &CDCAIXA) {
          return Variant(Srv_Kal51000::getConfigCaixa(CDFILIAL, CDCAIXA));
      }),
      getIDUTCUPOMDESC([] { return Variant(Srv_Kal51000::getIDUTCUPOMDESC()); }),
      getImpBackup(&Srv_Kal51000::getImpBackup),
      getImpPesagem([](const QString &CDFILIAL, const QString &CDCAIXA) {
          return Variant(Srv_Kal51000::getImpPesagem(CDFILIAL, CDCAIXA));
      }),
      getSenhaUtil(Srv_Kal51000::getSenhaUtil),
      getBloqFimSemana(&Srv_Kal51000::getBloqFimSemana),
      getRecebGenerico([](const QString &CDFILIAL, const QString &CDCAIXA) {
          return Variant(Srv_Kal51000::getRecebGenerico(CDFILIAL, CDCAIXA));
      }),
      getVendaQRCode([](const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA) {
          const Srv_Kal51000::QrCodeSaleCheck check = Srv_Kal51000::getVendaQRCode(CDFILIAL, NRVENDAREST, NRCOMANDA);
          if (check.state == Srv_Kal51000::QrCodeSaleCheck::State::Failed)
              return Variant::failure(check.errorText);
          return Variant(check.state == Srv_Kal51000::QrCodeSaleCheck::State::Taken);
      }),
      setReservaQRCode([](const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDCAIXA) {
          return Srv_Kal51000::setReservaQRCode(CDFILIAL, NRVENDAREST, NRCOMANDA, CDCAIXA);
      }),
      setLiberaQRCode(&Srv_Kal51000::setLiberaQRCode),
      getImprLoja(&Srv_Kal51000::getImprLoja),
      getImprLoja2(&Srv_Kal51000::getImprLoja2)
{
}

LookupsTills &LookupsTills::current()
{
    return ServerSeams::current().lookupsTills;
}

void LookupsTills::fillMissing()
{
    const LookupsTills d;
    fill(getDsOcorr, d.getDsOcorr);
    fill(getIDIMPQRTOPDATA, d.getIDIMPQRTOPDATA);
    fill(getCartaoCHART, d.getCartaoCHART);
    fill(getVisualizaTelPed, d.getVisualizaTelPed);
    fill(getConfigCaixa, d.getConfigCaixa);
    fill(getIDUTCUPOMDESC, d.getIDUTCUPOMDESC);
    fill(getImpBackup, d.getImpBackup);
    fill(getImpPesagem, d.getImpPesagem);
    fill(getSenhaUtil, d.getSenhaUtil);
    fill(getBloqFimSemana, d.getBloqFimSemana);
    fill(getRecebGenerico, d.getRecebGenerico);
    fill(getVendaQRCode, d.getVendaQRCode);
    fill(setReservaQRCode, d.setReservaQRCode);
    fill(setLiberaQRCode, d.setLiberaQRCode);
    fill(getImprLoja, d.getImprLoja);
    fill(getImprLoja2, d.getImprLoja2);
}

// ---- loyalty ----------------------------------------------------------------------------------

Loyalty::Loyalty()
    : getCampCompGanhe(Srv_Kal51000::getCampCompGanhe),
      getBrCampCompGanhe(Srv_Kal51000::getBrCampCompGanhe),
      getProdPromoFidelidade(Srv_Kal51000::getProdPromoFidelidade),
      getCampanha(&Srv_Kal51000::getCampanhaFilial),
      getCadBeneficio([](const QString &client, const QString &consumer) {
          return Srv_Kal51000::getCadBeneficio(client, consumer);
      }),
      getMovFidelidade(Srv_Kal51000::getMovFidelidade),
      setMovFidelidade(Srv_Kal51000::setMovFidelidade),
      setVendaBeneficioBalcao(Srv_Kal51000::setVendaBeneficioBalcao),
      getMovBeneFidelidade(Srv_Kal51000::getMovBeneFidelidade),
      getValProdBeneficio(Srv_Kal51000::getValProdBeneficio),
      getListaBeneficio(Srv_Kal51000::getListaBeneficio),
      setMovBeneficio([](const QStringList &v) {
          return Srv_Kal51000::setMovBeneficio(listedText(v, 0), listedText(v, 1), listedText(v, 2), listedText(v, 3),
                                               listedText(v, 4), listedText(v, 5), listedText(v, 6), listedText(v, 7),
                                               listedText(v, 8), listedText(v, 9), listedText(v, 10), listedText(v, 11));
      }),
      setDevolveBeneficioItem(Srv_Kal51000::setDevolveBeneficioItem),
      setApagaBeneficio(Srv_Kal51000::setApagaBeneficio)
{
}

Loyalty &Loyalty::current()
{
    return ServerSeams::current().loyalty;
}

void Loyalty::fillMissing()
{
    const Loyalty d;
    fill(getCampCompGanhe, d.getCampCompGanhe);
    fill(getBrCampCompGanhe, d.getBrCampCompGanhe);
    fill(getProdPromoFidelidade, d.getProdPromoFidelidade);
    fill(getCampanha, d.getCampanha);
    fill(getCadBeneficio, d.getCadBeneficio);
    fill(getMovFidelidade, d.getMovFidelidade);
    fill(setMovFidelidade, d.setMovFidelidade);
    fill(setVendaBeneficioBalcao, d.setVendaBeneficioBalcao);
    fill(getMovBeneFidelidade, d.getMovBeneFidelidade);
    fill(getValProdBeneficio, d.getValProdBeneficio);
    fill(getListaBeneficio, d.getListaBeneficio);
    fill(setMovBeneficio, d.setMovBeneficio);
    fill(setDevolveBeneficioItem, d.setDevolveBeneficioItem);
    fill(setApagaBeneficio, d.setApagaBeneficio);
}

// ---- orders -----------------------------------------------------------------------------------

Orders::Orders() : getGeraPedido(&Srv_Kal51000::getGeraPedido) {}

Orders &Orders::current()
{
    return ServerSeams::current().orders;
}

void Orders::fillMissing()
{
    fill(getGeraPedido, Orders().getGeraPedido);
}

// ---- passwords --------------------------------------------------------------------------------

Passwords::Passwords()
    : getSenhaCupom(Srv_Kal51000::getSenhaCupom),
      getSenhaRandonExist(Srv_Kal51000::getSenhaRandonExist),
      ReiniciaSenhaCupom(Srv_Kal51000::ReiniciaSenhaCupom),
      setSenhaPedReserva(Srv_Kal51000::setSenhaPedReserva),
      getSenhaPedLivres(Srv_Kal51000::getSenhaPedLivres),
      random([](int bound) { return bound <= 0 ? 0 : int(QRandomGenerator::global()->bounded(bound)); })
{
}

Passwords &Passwords::current()
{
    return ServerSeams::current().passwords;
}

void Passwords::fillMissing()
{
    const Passwords d;
    fill(getSenhaCupom, d.getSenhaCupom);
    fill(getSenhaRandonExist, d.getSenhaRandonExist);
    fill(ReiniciaSenhaCupom, d.ReiniciaSenhaCupom);
    fill(setSenhaPedReserva, d.setSenhaPedReserva);
    fill(getSenhaPedLivres, d.getSenhaPedLivres);
    fill(random, d.random);
}

// ---- start-up lookups -------------------------------------------------------------------------

StartupLookups::StartupLookups()
    : getDadosCRMBONUS(&Srv_Kal51000::getDadosCRMBONUS),
      getDadosResgSaldo(&Srv_Kal51000::getDadosResgSaldo),
      getConsumidorDLV(&Srv_Kal51000::getConsumidorDLV)
{
}

StartupLookups &StartupLookups::current()
{
    return ServerSeams::current().startupLookups;
}

void StartupLookups::fillMissing()
{
    const StartupLookups d;
    fill(getDadosCRMBONUS, d.getDadosCRMBONUS);
    fill(getDadosResgSaldo, d.getDadosResgSaldo);
    fill(getConsumidorDLV, d.getConsumidorDLV);
}

// ---- tabs -------------------------------------------------------------------------------------

Tabs::Tabs()
    : getOcorPed(&Srv_Kal51000::getOcorPed),
      getValidaMesa(&Srv_Kal51000::getValidaMesa),
      getAcresMesa(&Srv_Kal51000::getAcresMesa),
      setGravaAcrescimo(&Srv_Kal51000::setGravaAcrescimo),
      setGeraDesistencia(&Srv_Kal51000::setGeraDesistencia),
      verificaIDSTLUGARMESA(Srv_Kal51000::verificaIDSTLUGARMESA),
      getSenhaPed([](const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST) {
          return Variant(Srv_Kal51000::getSenhaPed(CDFILIAL, NRCOMANDA, NRVENDAREST));
      }),
      GetDtHrAberMesa(&Srv_Kal51000::GetDtHrAberMesa),
      getProdRefil(&Srv_Kal51000::getProdRefil),
      setProdRefil(&Srv_Kal51000::setProdRefil),
      setValidaPedido(&validOrder),
      getNrPesMesa(&Srv_Kal51000::getNrPesMesa),
      getBuscaComandas(&Srv_Kal51000::getBuscaComandas),
      getDadosComanda(&Srv_Kal51000::getDadosComanda),
      getBuscaItComanda(&Srv_Kal51000::getBuscaItComanda),
      getAcrescimo(&Srv_Kal51000::getAcrescimo)
{
}

Tabs &Tabs::current()
{
    return ServerSeams::current().tabs;
}

void Tabs::fillMissing()
{
    const Tabs d;
    fill(getOcorPed, d.getOcorPed);
    fill(getValidaMesa, d.getValidaMesa);
    fill(getAcresMesa, d.getAcresMesa);
    fill(setGravaAcrescimo, d.setGravaAcrescimo);
    fill(setGeraDesistencia, d.setGeraDesistencia);
    fill(verificaIDSTLUGARMESA, d.verificaIDSTLUGARMESA);
    fill(getSenhaPed, d.getSenhaPed);
    fill(GetDtHrAberMesa, d.GetDtHrAberMesa);
    fill(getProdRefil, d.getProdRefil);
    fill(setProdRefil, d.setProdRefil);
    fill(setValidaPedido, d.setValidaPedido);
    fill(getNrPesMesa, d.getNrPesMesa);
    fill(getBuscaComandas, d.getBuscaComandas);
    fill(getDadosComanda, d.getDadosComanda);
    fill(getBuscaItComanda, d.getBuscaItComanda);
    fill(getAcrescimo, d.getAcrescimo);
}

// ---- consumers --------------------------------------------------------------------------------

Consumers::Consumers()
    : getCadConsumidor(&Srv_Kal51000::getCadConsumidor),
      getNomeCons(&Srv_Kal51000::getNomeCons),
      getProdBasVenDia(&Srv_Kal51000::getProdBasVenDia),
      getConsSaldFam(&Srv_Kal51000::getConsSaldFam),
      getGastoDia([](const DayRequest &r) {
          return Srv_Kal51000::getGastoDia(r.CDFILIAL, r.CDCAIXA, r.CDCLIENTE, r.CDCONSUMIDOR, Variant(r.cdsFamiliaSaldo),
                                           r.DTABERCAIX);
      }),
      getLimitConsDiario([](const DayRequest &r) {
          return Srv_Kal51000::getLimitConsDiario(r.CDFILIAL, r.CDCAIXA, r.CDCLIENTE, r.CDCONSUMIDOR,
                                                  Variant(r.cdsFamiliaSaldo), r.DTABERCAIX);
      }),
      setGravaConsumidor([](const QStringList &v) {
          return Srv_Kal51000::setGravaConsumidor(listedText(v, 0), listedText(v, 1), listedText(v, 2), listedText(v, 3),
                                                  listedText(v, 4), listedText(v, 5), listedText(v, 6), listedText(v, 7),
                                                  listedText(v, 8), listedText(v, 9), listedText(v, 10), listedText(v, 11));
      }),
      getCdFamiliSald(&Srv_Kal51000::getCdFamiliSald),
      getDsConsumidor(&Srv_Kal51000::getDsConsumidor),
      getEmailCons([](const QString &CDCLIENTE, const QString &CDCONSUMIDOR) {
          return Variant(Srv_Kal51000::getEmailCons(CDCLIENTE, CDCONSUMIDOR));
      }),
      getOrdemFamilia(&Srv_Kal51000::getOrdemFamilia),
      getTipoConsLoja(&Srv_Kal51000::getTipoConsLoja),
      getQtdeProdDia(&Srv_Kal51000::getQtdeProdDia),
      getProdVenDiaServ(&Srv_Kal51000::getProdVenDiaServ),
      getGtDiaServ(&Srv_Kal51000::getGtDiaServ),
      getVerifProdConsumi(&Srv_Kal51000::getVerifProdConsumi),
      GetTipoConsFili(&Srv_Kal51000::GetTipoConsFili),
      GetSaldoConsBonus(&Srv_Kal51000::GetSaldoConsBonus),
      GetCargaCredito(&Srv_Kal51000::GetCargaCredito),
      getMinDtMovExtCons(&Srv_Kal51000::getMinDtMovExtCons),
      EvoluiSaldo(&Srv_Kal51000::EvoluiSaldo),
      setGravaCompCred(&Srv_Kal51000::setGravaCompCred),
      getPrxDepositoCons(&Srv_Kal51000::getPrxDepositoCons),
      getCargasPendentes(&Srv_Kal51000::getCargasPendentes),
      getMovCaixaCarga(&Srv_Kal51000::getMovCaixaCarga),
      setCargaConcluida(&Srv_Kal51000::setCargaConcluida),
      getCNPJFil(&Srv_Kal51000::getCNPJFil),
      GetTipoConsFiliClubPetro(&Srv_Kal51000::GetTipoConsFiliClubPetro),
      getGastCons(&Srv_Kal51000::getGastCons),
      getGastConsLoja(&Srv_Kal51000::getGastConsLoja),
      getGastoConsMes(&Srv_Kal51000::getGastoConsMes),
      getSaldoCons(&Srv_Kal51000::getSaldoCons),
      getSaldoCred(&Srv_Kal51000::getSaldoCred),
      getVrSubsBasicoCons(&Srv_Kal51000::getVrSubsBasicoCons),
      getVrSubsBasico(&Srv_Kal51000::getVrSubsBasico),
      GetNmTipoCons(&Srv_Kal51000::GetNmTipoCons),
      getGtTotConsSaldExtra(&Srv_Kal51000::getGtTotConsSaldExtra),
      getDadosPreVDSaldo(&Srv_Kal51000::getDadosPreVDSaldo),
      getConsumidor(&Srv_Kal51000::getConsumidor),
      getCreditoPessoal(&Srv_Kal51000::getCreditoPessoal),
      setAtualizaDebCons(&Srv_Kal51000::setAtualizaDebCons),
      getValLimiteBene(&Srv_Kal51000::getValLimiteBene),
      getDescVendaFid(&Srv_Kal51000::getDescVendaFid),
      getDadosConsumidor(&Srv_Kal51000::getDadosConsumidor),
      getVrSaldConsumi(&Srv_Kal51000::getVrSaldConsumi),
      getSaldoExcedente(&Srv_Kal51000::getSaldoExcedente),
      getLimiteCons(&Srv_Kal51000::getLimiteCons),
      setValidaSaldoCons(&Srv_Kal51000::setValidaSaldoCons)
{
}

Consumers &Consumers::current()
{
    return ServerSeams::current().consumers;
}

void Consumers::fillMissing()
{
    const Consumers d;
    fill(getCadConsumidor, d.getCadConsumidor);
    fill(getNomeCons, d.getNomeCons);
    fill(getProdBasVenDia, d.getProdBasVenDia);
    fill(getConsSaldFam, d.getConsSaldFam);
    fill(getGastoDia, d.getGastoDia);
    fill(getLimitConsDiario, d.getLimitConsDiario);
    fill(setGravaConsumidor, d.setGravaConsumidor);
    fill(getCdFamiliSald, d.getCdFamiliSald);
    fill(getDsConsumidor, d.getDsConsumidor);
    fill(getEmailCons, d.getEmailCons);
    fill(getDadosConsumidor, d.getDadosConsumidor);
    fill(getVrSaldConsumi, d.getVrSaldConsumi);
    fill(getSaldoExcedente, d.getSaldoExcedente);
    fill(getLimiteCons, d.getLimiteCons);
    fill(setValidaSaldoCons, d.setValidaSaldoCons);
    fill(getOrdemFamilia, d.getOrdemFamilia);
    fill(getTipoConsLoja, d.getTipoConsLoja);
    fill(getQtdeProdDia, d.getQtdeProdDia);
    fill(getProdVenDiaServ, d.getProdVenDiaServ);
    fill(getGtDiaServ, d.getGtDiaServ);
    fill(getVerifProdConsumi, d.getVerifProdConsumi);
    fill(GetTipoConsFili, d.GetTipoConsFili);
    fill(GetSaldoConsBonus, d.GetSaldoConsBonus);
    fill(GetCargaCredito, d.GetCargaCredito);
    fill(getMinDtMovExtCons, d.getMinDtMovExtCons);
    fill(EvoluiSaldo, d.EvoluiSaldo);
    fill(setGravaCompCred, d.setGravaCompCred);
    fill(getPrxDepositoCons, d.getPrxDepositoCons);
    fill(getCargasPendentes, d.getCargasPendentes);
    fill(getMovCaixaCarga, d.getMovCaixaCarga);
    fill(setCargaConcluida, d.setCargaConcluida);
    fill(getCNPJFil, d.getCNPJFil);
    fill(GetTipoConsFiliClubPetro, d.GetTipoConsFiliClubPetro);
    fill(getGastCons, d.getGastCons);
    fill(getGastConsLoja, d.getGastConsLoja);
    fill(getGastoConsMes, d.getGastoConsMes);
    fill(getSaldoCons, d.getSaldoCons);
    fill(getSaldoCred, d.getSaldoCred);
    fill(getVrSubsBasicoCons, d.getVrSubsBasicoCons);
    fill(getVrSubsBasico, d.getVrSubsBasico);
    fill(GetNmTipoCons, d.GetNmTipoCons);
    fill(getGtTotConsSaldExtra, d.getGtTotConsSaldExtra);
    fill(getDadosPreVDSaldo, d.getDadosPreVDSaldo);
    fill(getConsumidor, d.getConsumidor);
    fill(getCreditoPessoal, d.getCreditoPessoal);
    fill(setAtualizaDebCons, d.setAtualizaDebCons);
    fill(getValLimiteBene, d.getValLimiteBene);
    fill(getDescVendaFid, d.getDescVendaFid);
}

// ---- partners ---------------------------------------------------------------------------------

Partners::Partners()
    : getDadosAme(&Srv_Kal51000::getDadosAme),
      getMovCaixaAME(&Srv_Kal51000::getMovCaixaAME),
      getDadosGCOM(&Srv_Kal51000::getDadosGCOM),
      getVendaGCOM(&Srv_Kal51000::getVendaGCOM)
{
}

Partners &Partners::current()
{
    return ServerSeams::current().partners;
}

void Partners::fillMissing()
{
    const Partners d;
    fill(getDadosAme, d.getDadosAme);
    fill(getMovCaixaAME, d.getMovCaixaAME);
    fill(getDadosGCOM, d.getDadosGCOM);
    fill(getVendaGCOM, d.getVendaGCOM);
}

// ---- cancellation -----------------------------------------------------------------------------

Cancellation::Cancellation()
    : getVendaNFisc(&Srv_Kal51000::getVendaNFisc),
      getItemsCancelados(&Srv_Kal51000::getItemsCancelados),
      getItemsCanceladosEst(&Srv_Kal51000::getItemsCanceladosEst),
      getVendaCanNFCe(&Srv_Kal51000::getVendaCanNFCe),
      getObrigaObsCan(&Srv_Kal51000::getObrigaObsCan),
      getIDDTEMISCANC(&Srv_Kal51000::getIDDTEMISCANC)
{
}

Cancellation &Cancellation::current()
{
    return ServerSeams::current().cancellation;
}

void Cancellation::fillMissing()
{
    const Cancellation d;
    fill(getVendaNFisc, d.getVendaNFisc);
    fill(getItemsCancelados, d.getItemsCancelados);
    fill(getItemsCanceladosEst, d.getItemsCanceladosEst);
    fill(getVendaCanNFCe, d.getVendaCanNFCe);
    fill(getObrigaObsCan, d.getObrigaObsCan);
    fill(getIDDTEMISCANC, d.getIDDTEMISCANC);
}

// ---- fiscal documents -------------------------------------------------------------------------

LookupsFiscal::LookupsFiscal()
    : getUltVendaSat(&Srv_Kal51000::getUltVendaSat),
      getSituVendaSat(&Srv_Kal51000::getSituVendaSat),
      getRetornaTefCappta(&Srv_Kal51000::getRetornaTefCappta)
{
}

LookupsFiscal &LookupsFiscal::current()
{
    return ServerSeams::current().lookupsFiscal;
}

void LookupsFiscal::fillMissing()
{
    const LookupsFiscal d;
    fill(getUltVendaSat, d.getUltVendaSat);
    fill(getSituVendaSat, d.getSituVendaSat);
    fill(getRetornaTefCappta, d.getRetornaTefCappta);
}

} // namespace Seam

ServerSeams &ServerSeams::current()
{
    static ServerSeams seams;
    return seams;
}

void ServerSeams::fillMissing()
{
    access.fillMissing();
    counters.fillMissing();
    kds.fillMissing();
    lookupsProducts.fillMissing();
    lookupsTills.fillMissing();
    loyalty.fillMissing();
    orders.fillMissing();
    passwords.fillMissing();
    startupLookups.fillMissing();
    tabs.fillMissing();
    consumers.fillMissing();
    partners.fillMissing();
    cancellation.fillMissing();
    lookupsFiscal.fillMissing();
}

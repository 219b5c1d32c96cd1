#include "startup_p.h"

#include "screenshell.h"

#include "tfrmvendacons.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <runtime/ptbr.h>
#include <sale/codes.h>

#include <initializer_list>

namespace {

void clear(std::initializer_list<QString *> texts)
{
    for (QString *text : texts)
        text->clear();
}

void reset(std::initializer_list<bool *> flags)
{
    for (bool *flag : flags)
        *flag = false;
}

void zero(std::initializer_list<double *> values)
{
    for (double *value : values)
        *value = 0.0;
}

} // namespace

void SaleVariables::InicializaVariaveis()
{
    resetEntryAndConsumer();
    resetFlagsAndTotals();
    showEmptySale();
    resetSettlementTexts();
}

// The quantity and the item road's texts, the consumer of the call and the buyer's texts.
void SaleVariables::resetEntryAndConsumer()
{
    SaleState &s = m_context.state();
    SaleTotals &totals = s.totals;
    SaleCounters &counters = s.counters;
    ConsumerState &consumer = s.consumer;
    totals.doQuantidade = 1.0;
    counters.inInicializaAux1 = counters.inInicializaAux2 = counters.inInicializaAux3 = 0;
    totals.doVrDescontoItem = 0.0;
    s.flags.boCupomAberto = false;
    s.road.stExtratoAux2.clear();
    s.flags.boConsultaPreco = false;

    consumer.stCDCONSUMIDOR = s.host.stCdConsumidorVenda;
    clear({&consumer.stNmConsumidor, &consumer.stInicializaAux2, &consumer.stRecebAux6,
           &consumer.stDebitoConsAux1, &consumer.stVRMESUBCONS, &consumer.stVRMAXDEBCONS,
           &consumer.stCredPessoalAux1, &consumer.stCredPessoalAux2, &consumer.stRecebAux8,
           &consumer.stNrCracha, &consumer.stCDTIPOCONS, &s.fiscal.stQrCodeAux1,
           &s.fiscal.stNRCONTCUPOMFISC, &consumer.stCDSERVFILI, &s.road.stNRSEQ,
           &s.fiscal.stCpfCnpjNota, &s.fiscal.stNomeNota, &s.fiscal.stEnderecoNota,
           &s.road.stAddProdAux1, &s.road.stAddProdAux2});
    m_context.setCaption(FormName::lblSerieD, QString());
    s.fiscal.stCancCupomAux3 = QStringLiteral("VV");
}

// The sale kinds and busy flags, the totals and figures of the consumer, the grid's seat and
// product page.
void SaleVariables::resetFlagsAndTotals()
{
    SaleState &s = m_context.state();
    SaleTotals &totals = s.totals;
    SaleCounters &counters = s.counters;
    ConsumerState &consumer = s.consumer;
    reset({&s.flags.boVendaDebito, &s.flags.boCreditoPessoal, &s.flags.boModoCartao,
           &s.flags.boVendaVista, &consumer.boCartaoAux2, &s.flags.boAtivarAux1,
           &s.flags.boImprimindoCompCred, &s.flags.boDigitacaoAux1, &s.flags.boRecebendo,
           &s.flags.boCancCupomAux1});

    zero({&totals.doTotalVenda, &totals.doExtratoAux1, &totals.doVrTxServico,
          &s.figures.doSaldoCredFamilia, &s.figures.doSaldoCons, &s.figures.doGastoCons,
          &s.figures.doConsumoLojaDia, &s.figures.doConsumoLojaMes, &s.figures.doConsumoMes,
          &totals.doVrAcrComanda, &totals.doProdCombAux2, &totals.doVrAcrescimoItem});
    counters.inInicializaAux5 = counters.inInicializaAux6 = 0;
    counters.inPosicaoGrid = 1;
    counters.inPaginaProduto = 1;

    // A table keeps its persons and seats from call to call; any other sale has one.
    if (s.host.stModoVenda != SaleMode::Table) {
        counters.inNrPessoas = qMin(counters.inNrPessoas, 1);
        counters.inExtratoAux1 = qMin(counters.inExtratoAux1, 1);
    }
}

// Persons, an empty key buffer and product, zero totals and the clock.
void SaleVariables::showEmptySale()
{
    const SaleState &s = m_context.state();
    const SaleTotals &totals = s.totals;
    const SaleCounters &counters = s.counters;
    m_context.setCaption(FormName::lblNrPes, QString::number(counters.inNrPessoas));
    for (QLatin1StringView name :
        {FormName::lblBuffer, FormName::lblBufferQRCODE, FormName::lblProduto, FormName::lblValSaldDisp})
        m_context.setCaption(name, QString());
    const QString total = PtBr::FormatFloat(QStringLiteral("#,##0.00"), totals.doTotalVenda);
    m_context.setCaption(FormName::lblVrTotal, total);
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + total);
    const QString quantity = PtBr::FormatFloat(QStringLiteral("#,###0.000"), totals.doExtratoAux1);
    m_context.setCaption(FormName::lblQtdeTotal, quantity);
    m_context.setCaption(FormName::lblQtdeTotal2, quantity);
    saleForm(m_context).timDataHoraTimer();
}

// The settlement's electronic-document texts, loyalty and cashback figures of the last sale.
void SaleVariables::resetSettlementTexts()
{
    SaleState &s = m_context.state();
    SettlementTexts &settlement = s.settlement;
    s.consumer.boCartaoAux1 = false;
    clear({&settlement.stRecebAux17, &settlement.stRecebAux18, &settlement.stRecebAux19,
           &settlement.stRecebAux21, &settlement.stRecebAux22, &settlement.stRecebAux23,
           &settlement.stRecebAux24, &settlement.stRecebAux12, &settlement.stRecebAux13,
           &settlement.stRecebAux14, &settlement.stNrOrdemVnd});
    s.loyalty.boFidelidade = false;
    s.counters.inInicializaAux4 = 1;
    s.loyalty.doFidelidadeAux1 = 0.0;
    zero({&s.totals.doVrImpostoAprox, &s.loyalty.doCashbackAux1, &s.loyalty.doCashbackAux2,
          &s.loyalty.doCashbackUDSAux1});
}

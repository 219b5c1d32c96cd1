#include "closingrecord_p.h"

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

namespace {

bool completesWithOtherMeans(Settlement::ClosingRoad road)
{
    using Road = Settlement::ClosingRoad;
    return road == Road::Completion || road == Road::PersonalCreditComplement || road == Road::DebitComplement;
}

bool carriesReturns(Settlement::ClosingRoad road)
{
    using Road = Settlement::ClosingRoad;
    return road == Road::Ordinary || road == Road::ExchangeFull || road == Road::QrCode;
}

} // namespace

ClosingHeader ClosingRecord::closingHeader(const QString &documentInHand, const QString &paymentText11) const
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const SettlementTexts &texts = state.settlement;
    ClosingHeader header;
    header.cdCaixa = params.stCDCAIXA;
    header.dtAberCaix = params.dtDTABERCAIX;
    header.cdEmpresa = params.stCDEMPRESA;
    header.documentNumber = documentInHand;
    header.stNRCONTCUPOMFISC = state.fiscal.stNRCONTCUPOMFISC;
    header.cdFilial = params.stCDFILIAL;
    header.cdLoja = params.stCDLOJA;
    header.nrMesa = state.host.stNRMESA;
    header.nrVendaRest = state.host.stNRVENDAREST;
    header.stRecebAux9 = texts.stRecebAux9;
    header.idPaisIntegra = params.stIDPAISINTEGRA;
    header.paymentText11 = paymentText11;
    header.nrSerieImp = params.stNRSERIEIMP;
    header.idTipoImpFis = params.inIDTIPOIMPFIS;
    header.dsModeloEcfVe = params.stDSMODELOECFVE;
    header.dsMarcaEcfVe = params.stDSMARCAECFVE;
    header.ecfImp = params.stECFIMP;
    header.dtDataMovimento = state.startup.dtDATAMOVIMENTO;
    header.sgEstadoFili = params.stSGESTADOFILI;
    header.stEnderecoNota = state.fiscal.stEnderecoNota;
    header.stRecebAux12 = texts.stRecebAux12;
    header.stRecebAux11 = texts.stRecebAux11;
    header.stRecebAux7 = state.startup.stRecebAux7;
    header.stRecebAux19 = texts.stRecebAux19;
    header.idAmbTrabNfce = params.stIDAMBTRABNFCE;
    header.stRecebAux24 = texts.stRecebAux24;
    header.stSenhaPedido = texts.stSenhaPedido;
    header.stRecebAux20 = state.startup.stRecebAux20;
    header.doVrImpostoAprox = state.totals.doVrImpostoAprox;
    header.stRecebAux13 = texts.stRecebAux13;
    header.stRecebAux14 = texts.stRecebAux14;
    header.stConfRecebimento = texts.stConfRecebimento;
    return header;
}

ClosingDatasets ClosingRecord::closingDatasets(Settlement::ClosingRoad road)
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &vazio = data.cdsVazio;
    if (!vazio.Active())
        vazio.CreateDataSet();
    return ClosingDatasets{
        data.cdsVenda,
        data.cdsMovCaixa,
        data.cdsVendaCancelada,
        completesWithOtherMeans(road) ? data.cdsFamSaldoComp : data.cdsFamiliaSaldo,
        data.cdsEmprestimoFam,
        data.cdsItPromoComb,
        carriesReturns(road) ? data.cdsDevolucao : vazio,
        vazio,
        data.cdsObsItens,
        data.cdsObsItensEst,
        data.cdsItensCancelados,
        road == Settlement::ClosingRoad::Ordinary ? data.cdsExtConsFid : vazio,
        road == Settlement::ClosingRoad::QrCode ? vazio : data.cdsPromoComanda,
    };
}

QString ClosingRecord::closingTrace(const ClosingHeader &header) const
{
    QString trace = QStringLiteral("cdsvenda.data-cdsMovCaixa.Data-cdsVendaCancelada.Data-cdsFamiliaSaldo.Data-"
                                   "cdsEmprestimoFam.Data-");
    const QStringList values{header.cdCaixa,          PtBr::DateTimeToStr(header.dtDataMovimento),
                             header.cdEmpresa,        header.documentNumber,
                             header.stNRCONTCUPOMFISC, header.cdFilial,
                             header.value6,           header.value7,
                             header.cdLoja,           header.nrMesa,
                             header.nrVendaRest};
    for (const QString &value : values)
        trace += value + QLatin1Char('-');
    return trace + header.pos + header.stRecebAux9;
}

Settlement::SaveResult Settlement::SetConcluiFechamento(ClosingRoad road, const ClosingHeader &header)
{
    SaleState &state = m_context.state();
    state.results.vaRetorno = Variant::array(ClosingAnswer::Size);
    ClosingHeader full = header;
    full.valueCount = ClosingHeader::FullCount; // the save always takes the whole header
    ClosingRecord record(m_context);
    ClosingDatasets datasets = record.closingDatasets(road);
    SaveResult result;
    result.answer = m_context.services().SetConcluiFechamento(full, datasets);
    state.results.vaRetorno = result.answer.toArray();
    if (!result.answer.failure.isEmpty()) {
        result.failure = result.answer.failure; // raised to the road, which decides
        return result;
    }
    Variant key;
    if (!m_context.checkAnswer(result.answer.savedSaleKey, QStringLiteral("setConcluiFechamento"), record.closingTrace(full),
                               key)) {
        result.failure = result.answer.savedSaleKey.toString();
        return result;
    }
    result.saleKey = key.toString();
    result.saved = !result.saleKey.isEmpty();
    return result;
}

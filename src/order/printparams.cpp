// The print parameter record: the one row that travels with every non-fiscal print.
#include "orderentry.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

namespace {

class RecordWriter
{
public:
    explicit RecordWriter(ClientDataSet &record) : m_record(record) {}

    void set(const char *field, const Variant &value)
    {
        m_record.FieldByName(QString::fromLatin1(field)).SetValue(value);
    }
    // The form's value, else the payment row's: a sale without badge or buyer name is named
    // after whoever paid.
    void setOr(const char *field, const QString &value, const ClientDataSet &payments)
    {
        set(field, value.isEmpty() ? payments.FindField(QString::fromLatin1(field)).AsString() : value);
    }

private:
    ClientDataSet &m_record;
};

} // namespace

// Built from scratch on every call; values are copied as they stand (texts longer than their
// column are cut by the dataset). The print kind is the caller's and is not stored.
void OrderEntry::PreencheParamImpCupNF(const QString &, const QString &NrNaoFiscal,
                                       const QString &VendaRealizada, const QString &NrSeqVenda,
                                       double TotalPaid)
{
    const SaleState &s = m_context.state();
    const ClientDataSet &payments = m_context.data().cdsMovCaixa;
    ClientDataSet &record = m_context.data().cdsParamImpCupNF;
    record.Close();
    record.CreateDataSet();
    record.Edit();
    RecordWriter w(record);
    w.setOr("CDIDCONSUMID", s.consumer.stNrCracha, payments);
    w.setOr("NMCONSUMIDOR", s.fiscal.stNomeNota, payments);
    w.set("NRSEQVENDA", NrSeqVenda);
    w.set("NRNAOFISCAL", NrNaoFiscal);
    w.set("BOIMPREDZEPSON", false);
    w.set("VENDAREALIZADA", VendaRealizada);
    w.set("TOTALPAGO", TotalPaid);
    w.set("DOVALACR", s.totals.doVrTxServico);
    w.set("DSCOMANDA", QString());
    w.set("VRCOUVERT", 0.0);
    w.set("VRCONSUMACA", 0.0);
    w.set("VRTXSERVICO", 0.0);
    w.set("CDPRODCOUVER", QString());
    w.set("CDPRODCONSUM", QString());
    w.set("stIdTipoImpNF1", s.params.stIDTIPOIMPNF1);
    w.set("stIdTipoImpNF2", s.params.stIDTIPOIMPNF2);
    w.set("stCdPortImpNF1", s.params.stCDPORTIMPNF1);
    w.set("stCdPortImpNF2", s.params.stCDPORTIMPNF2);
    w.set("stIdVendImpNF1", s.params.stIDTPVENDIMPNF1);
    w.set("stIdVendImpNF2", s.params.stIDTPVENDIMPNF2);
    w.set("STIDPAISINTEGRA", s.params.stIDPAISINTEGRA);
    for (const char *empty : {"stRedZLeituraX", "stImpFechaCaixa", "stImpRelProduto", "stImpRedZLeituX",
                              "stNrSerieECF"})
        w.set(empty, QString());
    w.set("DTABERTURACAIXA", s.params.dtDTABERCAIX);
    for (const char *empty : {"stRelProdutoDia", "NRMESA", "BUSCANRPESSOAS", "NRPESMESAALT", "NMVENDEDOR",
                              "AGRUPADO", "COBRATAXA_FECHAMENTO", "COBRACOUVER_FECHAMENTO",
                              "COBRACONSUMACAO_FECHAMENTO", "NRPESSOAS", "CDCLIENTE", "TIPOCONTA"})
        w.set(empty, QString());
    w.set("VRBASECONSUM", 0.0);
    w.set("STIMPPOSOBS", s.params.stIDPOSOBSPED);
    w.set("TIPOVENDA", s.host.stModoVenda);
    w.set("IDIMPCOMPCUPVEN", s.params.stIDIMPCOMPCUPVEN);
    w.set("SENHACUPOM", s.settlement.stSenhaPedido);
    w.set("IDAMBTRABNFCE", s.params.stIDAMBTRABNFCE);
    w.set("DATAEMISSNFCE", s.settlement.stRecebAux19);
    w.set("QRCODENFCe", s.settlement.stRecebAux18);
    w.set("CHAVEACESSONFCe", s.settlement.stRecebAux17);
    w.set("stIdTipoImpNF3", s.params.stIDTIPOIMPNF3);
    w.set("stCdPortImpNF3", s.params.stCDPORTIMPNF3);
    w.set("stIdVendImpNF3", s.params.stIDTPVENDIMPNF3);
    w.set("STIBPT", s.settlement.stRecebAux21);
    w.set("STIBPTES", s.settlement.stRecebAux22);
    w.set("PROTAUTNFCE", s.settlement.stRecebAux23);
    w.set("NRSERIESAT", s.settlement.stRecebAux16);
    w.set("STNRNOTAFISCALCE", s.settlement.stRecebAux3);
    w.set("STDIRSAT", s.startup.stRecebAux2);
    w.set("VRSALDOFINALCREDCONS", s.settlement.stRecebAux15);
    w.set("VRTOTCONSUMODIA", s.figures.doRecebAux2);
    w.set("IDRETBALLOJA", s.host.stIDRETBALLOJA);
    record.Post();
}

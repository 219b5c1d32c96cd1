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

// The one row, written in groups: the sale, the printers, the fiscal document, the columns
// this till leaves empty.
class PrintParamRecord
{
public:
    PrintParamRecord(const SaleState &state, const ClientDataSet &payments, ClientDataSet &record)
        : m_state(state), m_payments(payments), m_writer(record)
    {
    }

    void sale(const QString &NrNaoFiscal, const QString &VendaRealizada, const QString &NrSeqVenda, double TotalPaid)
    {
        m_writer.setOr("CDIDCONSUMID", m_state.consumer.stNrCracha, m_payments);
        m_writer.setOr("NMCONSUMIDOR", m_state.fiscal.stNomeNota, m_payments);
        m_writer.set("NRSEQVENDA", NrSeqVenda);
        m_writer.set("NRNAOFISCAL", NrNaoFiscal);
        m_writer.set("BOIMPREDZEPSON", false);
        m_writer.set("VENDAREALIZADA", VendaRealizada);
        m_writer.set("TOTALPAGO", TotalPaid);
        m_writer.set("DOVALACR", m_state.totals.doVrTxServico);
        m_writer.set("DTABERTURACAIXA", m_state.params.dtDTABERCAIX);
        m_writer.set("STIMPPOSOBS", m_state.params.stIDPOSOBSPED);
        m_writer.set("TIPOVENDA", m_state.host.stModoVenda);
        m_writer.set("IDIMPCOMPCUPVEN", m_state.params.stIDIMPCOMPCUPVEN);
        m_writer.set("SENHACUPOM", m_state.settlement.stSenhaPedido);
        m_writer.set("VRSALDOFINALCREDCONS", m_state.settlement.stRecebAux15);
        m_writer.set("VRTOTCONSUMODIA", m_state.figures.doRecebAux2);
        m_writer.set("IDRETBALLOJA", m_state.host.stIDRETBALLOJA);
    }

    void printers()
    {
        m_writer.set("stIdTipoImpNF1", m_state.params.stIDTIPOIMPNF1);
        m_writer.set("stIdTipoImpNF2", m_state.params.stIDTIPOIMPNF2);
        m_writer.set("stCdPortImpNF1", m_state.params.stCDPORTIMPNF1);
        m_writer.set("stCdPortImpNF2", m_state.params.stCDPORTIMPNF2);
        m_writer.set("stIdVendImpNF1", m_state.params.stIDTPVENDIMPNF1);
        m_writer.set("stIdVendImpNF2", m_state.params.stIDTPVENDIMPNF2);
        m_writer.set("stIdTipoImpNF3", m_state.params.stIDTIPOIMPNF3);
        m_writer.set("stCdPortImpNF3", m_state.params.stCDPORTIMPNF3);
        m_writer.set("stIdVendImpNF3", m_state.params.stIDTPVENDIMPNF3);
    }

    void fiscalDocument()
    {
        m_writer.set("STIDPAISINTEGRA", m_state.params.stIDPAISINTEGRA);
        m_writer.set("IDAMBTRABNFCE", m_state.params.stIDAMBTRABNFCE);
        m_writer.set("DATAEMISSNFCE", m_state.settlement.stRecebAux19);
        m_writer.set("QRCODENFCe", m_state.settlement.stRecebAux18);
        m_writer.set("CHAVEACESSONFCe", m_state.settlement.stRecebAux17);
        m_writer.set("STIBPT", m_state.settlement.stRecebAux21);
        m_writer.set("STIBPTES", m_state.settlement.stRecebAux22);
        m_writer.set("PROTAUTNFCE", m_state.settlement.stRecebAux23);
        m_writer.set("NRSERIESAT", m_state.settlement.stRecebAux16);
        m_writer.set("STNRNOTAFISCALCE", m_state.settlement.stRecebAux3);
        m_writer.set("STDIRSAT", m_state.startup.stRecebAux2);
    }

    // Table and closing figures: a counter print carries none.
    void leftEmpty()
    {
        for (const char *empty : {"DSCOMANDA", "CDPRODCOUVER", "CDPRODCONSUM", "stRedZLeituraX", "stImpFechaCaixa",
                                  "stImpRelProduto", "stImpRedZLeituX", "stNrSerieECF", "stRelProdutoDia", "NRMESA",
                                  "BUSCANRPESSOAS", "NRPESMESAALT", "NMVENDEDOR", "AGRUPADO", "COBRATAXA_FECHAMENTO",
                                  "COBRACOUVER_FECHAMENTO", "COBRACONSUMACAO_FECHAMENTO", "NRPESSOAS", "CDCLIENTE",
                                  "TIPOCONTA"})
            m_writer.set(empty, QString());
        for (const char *zero : {"VRCOUVERT", "VRCONSUMACA", "VRTXSERVICO", "VRBASECONSUM"})
            m_writer.set(zero, 0.0);
    }

private:
    const SaleState &m_state;
    const ClientDataSet &m_payments;
    RecordWriter m_writer;
};

} // namespace

// Built from scratch on every call; values are copied as they stand (texts longer than their
// column are cut by the dataset). The print kind is the caller's and is not stored.
void OrderEntry::PreencheParamImpCupNF(const QString &, const QString &NrNaoFiscal,
                                       const QString &VendaRealizada, const QString &NrSeqVenda,
                                       double TotalPaid)
{
    ClientDataSet &record = m_context.data().cdsParamImpCupNF;
    record.Close();
    record.CreateDataSet();
    record.Edit();
    PrintParamRecord fill(m_context.state(), m_context.data().cdsMovCaixa, record);
    fill.sale(NrNaoFiscal, VendaRealizada, NrSeqVenda, TotalPaid);
    fill.printers();
    fill.fiscalDocument();
    fill.leftEmpty();
    record.Post();
}

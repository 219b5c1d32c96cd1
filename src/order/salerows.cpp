// The rows handed to settlement: cdsVenda (one per line), the tax summary cdsImpImposto (one
// per tax code) and cdsVendaCancelada (one per cancelled line), rebuilt whole each time.
#include "orderentry.h"

#include "salemoney.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>

#include <exception>
#include <initializer_list>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {


// Columns copied under the same name from the line into the sale row.
const char *const sameColumns[] = {
    "CDPRODUTO", "CDPRODPROMOCAO", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "NRLUGARMESA",
    "CDARVPROD", "CDPRODIMPFIS", "NMPRODUTO", "NRSEQ", "VRACRCOMVEN", "NMCONSVEND", "VRUNITVENDCL",
    "CDFAMILISALD", "CDSERVFILI", "ACRESITEM", "NRCONTCUPOMFISC", "NRCUPOMFIS", "CDORDALIQIMPR",
    "VRALIQIMPR", "DSENDEVENDA", "IDPRODIMPFIS", "NRATRAPROD", "SGUNIDADE", "CDCLASFISC", "CDCAMPPROMO",
    "IDORIGEMVENDA", "CDCUPOMDESCQUB", "CDCAMPCOMPGANHE", "DTINIVGCAMPCG", "NRIDESTRANGEIRA",
    "NRCPFFID4ALL", "CDPROMOFID4ALL", "VRDESCCASH4ALL", "VRDESCPROMO4ALL", "VRDESCOMANDA",
    "IDCOMANDAEXT", "IDENTRPLAT", "IDPAGAMENTOCX", "IDIMPPRGRPROMO", "NRCPFFIDUDS", "VRDESCCASHUDS",
    "NRCPFINTEPROMO", "IDPEDINTEPROMO", "NRTELCRM", "DTHRABERMESA", "NRTELGCOM", "CDGRUPROMOC"};

// Columns of the sale row taken from a line column of another name.
const std::pair<const char *, const char *> renamedColumns[] = {
    {"CDLOJAIT", "CDLOJA"},           {"TXPRODCOMVEN", "STOBSPEDIDO"},
    {"DSOBSPEDDIGITA", "STOBSDIGITADA"}, {"NRSEQPRODCOMIT", "NRSEQPRODCOM"},
    {"QTPRODREFIL", "QTITEMREFIL"},   {"IDOBSERVACAOAD", "IDOBSERVACAO"}};

// Columns of the cancelled row copied from the cancelled line.
const char *const cancelledColumns[] = {
    "CDPRODUTO", "CDPRODPROMOCAO", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRUNITVENCLC", "VRDESCCOMVEN",
    "NRLUGARMESA", "CDARVPROD", "CDPRODIMPFIS", "NMPRODUTO", "VRACRCOMVEN", "CDSERVFILI", "NMCONSVEND",
    "NRINSCRCONS", "NRCONTCUPOMFISC", "NRCUPOMFIS", "CDORDALIQIMPRIC", "VRALIQIMPRIC", "DSENDEVENDA",
    "NRSEQ", "DTABERCAIX", "STOBSPEDIDO", "DSOBSCANITE", "CDGRPOCORCANITE", "CDSUPERVISOR",
    "IDPRODPRODUZ"};

// Copies a value between datasets through the target field's own conversion (texts cut to its
// size; a price kept as text in a cancelled line becomes the number of a float column).
void copy(ClientDataSet &to, const char *toField, const ClientDataSet &from, const char *fromField)
{
    const Field source = from.FieldByName(QString::fromLatin1(fromField));
    Field target = to.FieldByName(QString::fromLatin1(toField));
    if (source.IsNull())
        target.Clear();
    else
        target.SetValue(source.Value());
}

void set(ClientDataSet &to, const char *field, const Variant &value)
{
    to.FieldByName(QString::fromLatin1(field)).SetValue(value);
}

void recreate(ClientDataSet &dataset)
{
    dataset.Close();
    dataset.CreateDataSet();
}

class SaleRows
{
public:
    explicit SaleRows(SaleContext &context) : m_context(context), m_state(context.state()), m_data(context.data()) {}
    void build(double &Total);

private:
    bool locateRate(const QString &CDPRODUTO);
    void saleRow();
    void taxSummary();
    void cancelledRows();
    void cancelledRow();
    void formColumns(ClientDataSet &row);
    QString balanceKind(const QString &CDPRODUTO);

    SaleContext &m_context;
    SaleState &m_state;
    SaleDatasets &m_data;
    bool m_rated = false; // the line's product has its row in cdsAliquota
};

void SaleRows::build(double &Total)
{
    ClientDataSet &items = m_data.cdsItems;
    recreate(m_data.cdsVenda);
    recreate(m_data.cdsImpImposto);
    if (items.Active()) {
        for (items.First(); !items.Eof(); items.Next()) {
            m_rated = locateRate(items.FieldByName(QStringLiteral("CDPRODUTO")).AsString());
            saleRow();
            Total += SaleMoney::cut(SaleMoney::number(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString())
                            * items.FieldByName(QStringLiteral("VRUNITVENDCL")).AsFloat());
            taxSummary();
        }
    }
    m_data.cdsVenda.First();
    if (!m_data.cdsItensCancelados.Active())
        m_data.cdsItensCancelados.CreateDataSet();
    if (m_state.params.boUTILIZAIMPFIS)
        cancelledRows();
}

// A product without a tax row gets empty tax columns and adds nothing to the summary: the
// cursor of a failed search would lend it another product's tax.
bool SaleRows::locateRate(const QString &CDPRODUTO)
{
    ClientDataSet &rates = m_data.cdsAliquota;
    return rates.Active() && rates.Locate(QStringLiteral("CDPRODUTO"), CDPRODUTO);
}

void SaleRows::saleRow()
{
    const ClientDataSet &items = m_data.cdsItems;
    ClientDataSet &row = m_data.cdsVenda;
    row.Append();
    formColumns(row);
    for (const char *column : sameColumns)
        copy(row, column, items, column);
    for (const auto &[to, from] : renamedColumns)
        copy(row, to, items, from);
    const QString waiter = Consiste::Ajusta(m_state.host.stCDVENDEDOR, 4);
    set(row, "CDVENDEDOR", waiter);
    set(row, "CDVENDEDORITEM", waiter);
    QString buyer = items.FieldByName(QStringLiteral("NRINSCRCONS")).AsString();
    if (buyer.isEmpty() && isYes(m_state.consumer.stCpfAux1))
        buyer = m_state.consumer.stNrInscrConsVenda;
    set(row, "NRINSCRCONS", buyer);
    set(row, "CDCLIENTE", m_state.host.stCdClienteVenda);
    set(row, "CDCONSUMIDOR", m_state.consumer.stCDCONSUMIDOR);
    set(row, "CDPREFINTGCOLVEN", m_state.params.stCDPREFINTGCOL);
    set(row, "NRPESMESAVEN", m_state.table.inNrPessoas);
    set(row, "IDCRACHADIGTECL", m_state.consumer.stIDCRACHADIGTECL);
    if (isYes(m_state.params.stIDSALDEXTDEBCON))
        set(row, "IDTIPOSALDOPROD", balanceKind(items.FieldByName(QStringLiteral("CDPRODUTO")).AsString()));
    row.Post();
}

// Columns every row takes from the form: branch, store, operator, opening, surcharge, tax row
// and the service fee of the whole sale.
void SaleRows::formColumns(ClientDataSet &row)
{
    const Parameters &params = m_state.params;
    set(row, "CDFILIAL", params.stCDFILIAL);
    set(row, "CDLOJA", params.stCDLOJA);
    set(row, "NMLOJA", params.stCDLOJA);
    set(row, "CDOPERADOR", m_state.rights.stCDOPERADOR);
    set(row, "NMOPERADOR", m_state.rights.stNMOPERADOR);
    set(row, "DTABERCAIX", params.dtDTABERCAIX);
    set(row, "VRACRCOMANDA", m_state.totals.doVrAcrComanda);
    if (m_state.totals.doVrTxServico != 0.0)
        set(row, "VRTXSERVICO", m_state.totals.doVrTxServico);
    if (m_rated) {
        const ClientDataSet &rates = m_data.cdsAliquota;
        set(row, "VRPEALIMPFIS", rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).AsString());
        copy(row, "CDIMPOSTO", rates, "CDIMPOSTO");
        copy(row, "IDTPIMPOSFIS", rates, "IDTPIMPOSFIS");
    }
}

QString SaleRows::balanceKind(const QString &CDPRODUTO)
{
    const Parameters &params = m_state.params;
    const Variant packet = m_context.checkedValue(
        m_context.server().lookupsProducts.getTipoSaldoProd(params.stCDFILIAL, m_state.consumer.stCDTIPOCONS, CDPRODUTO),
        QStringLiteral("getTipoSaldoProd"),
        params.stCDFILIAL + QLatin1Char('-') + m_state.consumer.stCDTIPOCONS + QLatin1Char('-') + CDPRODUTO);
    if (!packet.isPacket() || packet.packet().isEmpty())
        return QStringLiteral("N");
    return packet.packet().value(0, QStringLiteral("IDTIPOSALDO")).toString();
}

// The tax of each code is cut after every line is added to it.
void SaleRows::taxSummary()
{
    if (!m_rated)
        return;
    const ClientDataSet &rates = m_data.cdsAliquota;
    const ClientDataSet &items = m_data.cdsItems;
    ClientDataSet &summary = m_data.cdsImpImposto;
    const double rate = rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).AsFloat();
    const double base = SaleMoney::number(items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsString())
                            * items.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat()
                        - items.FieldByName(QStringLiteral("VRDESCCOMVEN")).AsFloat();
    const QString code = rates.FieldByName(QStringLiteral("CDIMPOSTO")).AsString();
    if (summary.Locate(QStringLiteral("CDIMPOSTO"), code)) {
        summary.Edit();
        const double sum = summary.FieldByName(QStringLiteral("VRTOTIMPOSTO")).AsFloat();
        set(summary, "VRTOTIMPOSTO", SaleMoney::cut(sum + rate * base / 100.0));
    } else {
        summary.Append();
        set(summary, "CDIMPOSTO", code);
        set(summary, "VRPEALIMPFIS", rate);
        copy(summary, "NMIMPOSTO", rates, "NMIMPOSTO");
        copy(summary, "SGIMPOSTO", rates, "SGIMPOSTO");
        set(summary, "VRTOTIMPOSTO", SaleMoney::cut(rate * base / 100.0));
    }
    summary.Post();
}

void SaleRows::cancelledRows()
{
    ClientDataSet &cancelled = m_data.cdsItensCancelados;
    recreate(m_data.cdsVendaCancelada);
    for (cancelled.First(); !cancelled.Eof(); cancelled.Next()) {
        m_rated = locateRate(cancelled.FieldByName(QStringLiteral("CDPRODUTO")).AsString());
        cancelledRow();
    }
    m_data.cdsVendaCancelada.First();
}

void SaleRows::cancelledRow()
{
    const ClientDataSet &cancelled = m_data.cdsItensCancelados;
    ClientDataSet &row = m_data.cdsVendaCancelada;
    row.Append();
    formColumns(row);
    for (const char *column : cancelledColumns)
        copy(row, column, cancelled, column);
    copy(row, "CDLOJAIT", cancelled, "CDLOJA");
    set(row, "CDVENDEDOR", Consiste::Ajusta(m_state.host.stCDVENDEDOR, 4));
    set(row, "CDOPERCANC", m_state.rights.stCDOPERADOR);
    row.Post();
}

} // namespace

void OrderEntry::PreencheVenda(double &Total)
{
    // A refused or failed build ends the receiving; a built one leaves it to settlement.
    const int failuresBefore = std::uncaught_exceptions();
    OnExit endReceivingOnFailure([this, failuresBefore] {
        if (std::uncaught_exceptions() > failuresBefore)
            m_context.state().flags.boRecebendo = false;
    });
    try {
        SaleRows(m_context).build(Total);
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), 3);
        Abort();
    }
}

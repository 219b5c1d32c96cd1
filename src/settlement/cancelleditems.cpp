// The production ticket of a cancelled receipt: the receipt's items (and parts of composed
// items) whose products ask for a cancellation ticket, each sent to its production printer,
// once for the first printers and once for the second.
#include "settlement.h"

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <exception>
#include <functional>

namespace {

// Every field text, as the ticket service reads them.
const QList<FieldDef> &ticketFields()
{
    static const QList<FieldDef> fields{
        {QStringLiteral("NMPRODUTO"), FieldType::String, 50},   {QStringLiteral("CDPRODUTO"), FieldType::String, 15},
        {QStringLiteral("IDIMPCANITEM"), FieldType::String, 5}, {QStringLiteral("CDPORIMPPROD"), FieldType::String, 15},
        {QStringLiteral("NRMESA"), FieldType::String, 5},       {QStringLiteral("NRCUPOMFIS"), FieldType::String, 10},
        {QStringLiteral("QTPRODCOMVEN"), FieldType::String, 10}, {QStringLiteral("IDMODEIMPRES"), FieldType::String, 5},
        {QStringLiteral("NRCOMANDAVND"), FieldType::String, 10}, {QStringLiteral("DSCOMANDAVND"), FieldType::String, 50},
        {QStringLiteral("NRSEQUITVEND"), FieldType::String, 10}, {QStringLiteral("NMPRODUTOPAI"), FieldType::String, 50},
        {QStringLiteral("CDGRPOCOR"), FieldType::String, 2},     {QStringLiteral("DSOCORR"), FieldType::String, 40},
    };
    return fields;
}

// The fields copied from the server's rows into the ticket list.
const char *const copiedFields[] = {"NMPRODUTO", "CDPRODUTO",    "IDIMPCANITEM", "CDPORIMPPROD", "NRMESA",
                                    "NRCUPOMFIS", "QTPRODCOMVEN", "NRCOMANDAVND", "DSCOMANDAVND", "NRSEQUITVEND"};

QString text(const ClientDataSet &dataset, const QString &name)
{
    return dataset.FindField(name).AsString();
}

class CancelledItemsTicket
{
public:
    CancelledItemsTicket(SaleContext &context, const QString &receipt) : m_context(context), m_receipt(receipt) {}

    void print()
    {
        m_list.FieldDefs().Clear();
        for (const FieldDef &field : ticketFields())
            m_list.FieldDefs().Add(field.name, field.type, field.size);
        m_list.CreateDataSet();
        readParts();
        readItems();
        const Parameters &params = m_context.state().params;
        const auto &lookups = m_context.server().lookupsTills;
        pass(lookups.getImprLoja, QStringLiteral("getImprLoja"), params.stIDTIPOIMPNF1, params.stCDPORTIMPNF1);
        pass(lookups.getImprLoja2, QStringLiteral("getImprLoja2"), params.stIDTIPOIMPNF5, params.stCDPORTAIMPNF5);
    }

private:
    using PrinterLookup = std::function<Variant(const QString &, const QString &, const QString &)>;

    QString keyed(const QStringList &values) const { return values.join(QLatin1Char('-')); }

    void load(ClientDataSet &dataset, const Variant &answer, const QString &method, const QStringList &context)
    {
        dataset.Close();
        const Variant value = m_context.checkedValue(answer, method, keyed(context));
        if (value.isPacket())
            dataset.SetData(value.packet());
        dataset.First();
    }

    void insertRow(const ClientDataSet &source, const QString &parentName)
    {
        m_list.Insert();
        for (const char *name : copiedFields) {
            const QString field = QString::fromLatin1(name);
            m_list.FieldByName(field).SetAsString(text(source, field));
        }
        m_list.FieldByName(QStringLiteral("NMPRODUTOPAI")).SetAsString(parentName);
        m_list.Post();
    }

    void readParts()
    {
        const Parameters &params = m_context.state().params;
        ClientDataSet parts(QStringLiteral("cdsItensCancEst"));
        load(parts, m_context.server().cancellation.getItemsCanceladosEst(params.stCDFILIAL, params.stCDCAIXA, m_receipt),
             QStringLiteral("getItemsCanceladosEst"), {m_receipt, params.stCDFILIAL, params.stCDCAIXA});
        ClientDataSet parent(QStringLiteral("cdsProdutoPai"));
        for (; !parts.Eof(); parts.Next()) {
            const QStringList key{text(parts, QStringLiteral("CDFILIAL")), text(parts, QStringLiteral("CDCAIXA")),
                                  text(parts, QStringLiteral("NRSEQVENDA")), text(parts, QStringLiteral("NRSEQUITVEND"))};
            load(parent, m_context.server().lookupsProducts.getProdutoPai(key.at(0), key.at(1), key.at(2), key.at(3)),
                 QStringLiteral("getProdutoPai"), key);
            insertRow(parts, text(parent, QStringLiteral("NMPRODUTO")));
        }
    }

    void readItems()
    {
        const Parameters &params = m_context.state().params;
        ClientDataSet items(QStringLiteral("cdsItensCancTemp"));
        load(items, m_context.server().cancellation.getItemsCancelados(params.stCDFILIAL, params.stCDCAIXA, m_receipt),
             QStringLiteral("getItemsCancelados"), {m_receipt, params.stCDFILIAL, params.stCDCAIXA});
        for (; !items.Eof(); items.Next()) {
            insertRow(items, QString());
            m_nrComanda = text(items, QStringLiteral("NRCOMANDAVND"));
            m_dsComanda = text(items, QStringLiteral("DSCOMANDAVND"));
        }
    }

    // Each row to the product's printer of this pass, or to the till's printer of the pass
    // when the product has none; then one ticket for the whole list.
    void pass(const PrinterLookup &lookup, const QString &method, const QString &fallbackModel, const QString &fallbackPort)
    {
        const Parameters &params = m_context.state().params;
        ClientDataSet printer(QStringLiteral("cdsImprLoja"));
        for (m_list.First(); !m_list.Eof(); m_list.Next()) {
            const QString product = text(m_list, QStringLiteral("CDPRODUTO"));
            load(printer, lookup(params.stCDFILIAL, params.stCDLOJA, product), method,
                 {params.stCDFILIAL, params.stCDLOJA, product});
            const bool found = !printer.IsEmpty();
            m_list.Edit();
            m_list.FieldByName(QStringLiteral("CDPORIMPPROD"))
                .SetAsString(found ? text(printer, QStringLiteral("CDPORTAIMPR")) : fallbackPort);
            m_list.FieldByName(QStringLiteral("IDMODEIMPRES"))
                .SetAsString(found ? text(printer, QStringLiteral("IDMODEIMPRES")) : fallbackModel);
            m_list.Post();
        }
        if (m_list.IsEmpty())
            return;
        m_context.state().results.vaRetorno = Variant::array(10);
        CancelledItemsTicketRequest ticket;
        ticket.idTipoImpNf = fallbackModel;
        ticket.nmOperador = m_context.state().rights.stNMOPERADOR;
        ticket.cdsItensCanc = m_list.Data();
        for (const char *key : {"MSG_CANC", "MSG_Cupom", "MSG_MOTIVO", "Operador", "MSG_Comanda", "MSG_Mesa", "MSG_SENHA"})
            ticket.labels << m_context.Msg(QString::fromLatin1(key));
        ticket.nrComandaVnd = m_nrComanda;
        ticket.dsComandaVnd = m_dsComanda;
        const HostResult printed = m_context.services().DisparaImprimeCancProduto(ticket);
        if (!printed.ok)
            qWarning().noquote() << "DisparaImprimeCancProduto:" << printed.failure;
    }

    SaleContext &m_context;
    QString m_receipt;
    ClientDataSet m_list{QStringLiteral("cdsItensCanc")};
    QString m_nrComanda;
    QString m_dsComanda;
};

} // namespace

void Settlement::Cancela_Item_Imp_NFis(const QString &receiptNumber)
{
    try {
        CancelledItemsTicket(m_context, receiptNumber).print();
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        m_context.message(QString::fromUtf8(failure.what()), Ravuvozozod::Error);
    }
}

// The walk over the lines of the open sale that writes the production tickets.
#include "tickets.h"

#include "salemoney.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

#include <cmath>
#include <optional>
#include <sale/codes.h>

namespace Tickets {

namespace {

QString textOf(const ClientDataSet &dataset, const char *field)
{
    return dataset.FindField(QString::fromLatin1(field)).AsString();
}


// Leaves the component list as the walk found it open, whatever happens in between: no
// current index, no index definitions, no filter.
class ComponentView
{
public:
    ComponentView(ClientDataSet &components, const QString &product, const QString &sequence)
        : m_components(components)
    {
        m_components.AddIndex(QStringLiteral("Indice"), QStringLiteral("NRSEQ;NRORDITEM"), ixCaseInsensitive);
        m_components.SetIndexName(QStringLiteral("Indice"));
        m_components.SetFilter([product, sequence](const ClientDataSet &row) {
            return row.FieldByName(QStringLiteral("CDPRODVENDA")).AsString() == product
                   && row.FieldByName(QStringLiteral("NRSEQ")).AsString() == sequence;
        });
        m_components.SetFiltered(true);
    }
    ~ComponentView()
    {
        m_components.SetIndexName(QString());
        m_components.ClearIndexDefs();
        m_components.SetFiltered(false);
        m_components.SetFilter({});
    }
    ComponentView(const ComponentView &) = delete;
    ComponentView &operator=(const ComponentView &) = delete;

private:
    ClientDataSet &m_components;
};

} // namespace

// The columns of one line of cdsItems the tickets read.
struct TicketBuilder::Line
{
    QString CDPRODUTO, NMPRODUTO, CDLOJA, CDLOJAIT, STOBSPEDIDO, NRSEQ, NRSEQPRODCOM;
    QString CDPRODPROMOCAO, IDPROMOCAO, NRLUGARMESA, IDORIGEMVENDA, NRSEQPRODPAI, IDOBSERVACAO;
    double QTPRODCOMVEN = 0;
    double VRPRECCOMVEN = 0;
    double VRDESCCOMVEN = 0;

    static Line current(const ClientDataSet &items)
    {
        Line line;
        line.CDPRODUTO = textOf(items, "CDPRODUTO");
        line.NMPRODUTO = textOf(items, "NMPRODUTO");
        line.CDLOJA = textOf(items, "CDLOJA");
        line.CDLOJAIT = textOf(items, "CDLOJAIT");
        line.STOBSPEDIDO = textOf(items, "STOBSPEDIDO");
        line.NRSEQ = textOf(items, "NRSEQ");
        line.NRSEQPRODCOM = textOf(items, "NRSEQPRODCOM");
        line.CDPRODPROMOCAO = textOf(items, "CDPRODPROMOCAO");
        line.IDPROMOCAO = textOf(items, "IDPROMOCAO");
        line.NRLUGARMESA = textOf(items, "NRLUGARMESA");
        line.IDORIGEMVENDA = textOf(items, "IDORIGEMVENDA");
        line.NRSEQPRODPAI = textOf(items, "NRSEQPRODPAI");
        line.IDOBSERVACAO = textOf(items, "IDOBSERVACAO");
        line.QTPRODCOMVEN = SaleMoney::number(textOf(items, "QTPRODCOMVEN"), true);
        line.VRPRECCOMVEN = items.FindField(QStringLiteral("VRPRECCOMVEN")).AsFloat();
        line.VRDESCCOMVEN = items.FindField(QStringLiteral("VRDESCCOMVEN")).AsFloat();
        return line;
    }
};

// What differs between the four kinds of ticket; the rest comes from the line, the order
// and the printers.
struct TicketBuilder::Values
{
    double QTPRODCOMVEN = 0;
    QString NMPRODUTO, DSOBSERVACAO, NRSEQPRODCOM, CDPRODPROMOCAO, IDPROMOCAO, NRSEQ;
    QString NOMEPRODPAI, DSOBSPRODPAI;
    std::optional<double> VRPRECCOMVEN;
    std::optional<double> VRDESCCOMVEN;
    bool withPullPrinter = true;
};

TicketBuilder::TicketBuilder(SaleContext &context, const OrderEntry::TicketContext &ticketContext)
    : m_context(context)
    , m_ticketContext(ticketContext)
    , m_printers(context.data().cdsPortaProd, context.data().cdsProdAmbiente, context.data().cdsImpBackup,
                 TillPrinters::of(context.state().params), ticketContext.Room)
{
}

void TicketBuilder::build()
{
    ClientDataSet &tickets = m_context.data().cdsImprimePedido;
    tickets.Close();
    tickets.CreateDataSet();
    ClientDataSet &items = m_context.data().cdsItems;
    if (!items.Active())
        return;
    for (items.First(); !items.Eof(); items.Next())
        walkLine(Line::current(items));
}

void TicketBuilder::walkLine(const Line &line)
{
    m_component = 1;
    if (isPromotionLine(line))
        promotionTickets(line);
    else if (isCombinedLine(line))
        parentTicket(line);
    lineTicket(line);
}

bool TicketBuilder::isPromotionLine(const Line &line) const
{
    return isYes(line.IDPROMOCAO) && line.CDPRODPROMOCAO == line.CDPRODUTO;
}

bool TicketBuilder::isCombinedLine(const Line &line)
{
    ClientDataSet &products = m_context.data().cdsProdutos;
    return isNo(line.IDPROMOCAO) && line.CDPRODPROMOCAO != line.CDPRODUTO && !line.CDPRODPROMOCAO.isEmpty()
           && products.Active() && products.Locate(QStringLiteral("CDPRODUTO"), line.CDPRODPROMOCAO);
}

void TicketBuilder::promotionTickets(const Line &line)
{
    headerTicket(line);
    componentTickets(line);
}

// The promotion's own ticket goes only to printers of model "12", which print it as the
// heading of the components that follow.
void TicketBuilder::headerTicket(const Line &line)
{
    std::optional<PrinterChoice> printers = m_printers.choose(line.CDLOJA, line.CDPRODUTO);
    if (!printers)
        return;
    const bool primary12 = printers->storeModel == QLatin1String("12") || printers->roomModel == QLatin1String("12");
    const bool secondary12 = printers->storeModel2 == QLatin1String("12");
    if (!primary12 && !secondary12)
        return;
    printers->IDMODEIMPRES = primary12 ? QStringLiteral("12") : QString();
    printers->IDMODEIMPRES2 = secondary12 ? QStringLiteral("12") : QString();
    Values values;
    values.QTPRODCOMVEN = line.QTPRODCOMVEN;
    values.NMPRODUTO = line.NMPRODUTO;
    values.DSOBSERVACAO = headerObservation(line);
    values.CDPRODPROMOCAO = line.CDPRODPROMOCAO;
    values.NRSEQ = line.NRSEQ;
    values.VRPRECCOMVEN = line.VRPRECCOMVEN;
    values.NOMEPRODPAI = line.NMPRODUTO;
    values.withPullPrinter = false;
    write(line, *printers, values);
}

// "A": the observation heads the promotion. "D" keeps it for the header only when the
// component counter (1 here) equals the number of lines of the sale; it still reaches every
// component ticket.
QString TicketBuilder::headerObservation(const Line &line) const
{
    const QString &where = m_context.state().params.stIDPOSOBSPED;
    if (where == QLatin1String("A"))
        return line.STOBSPEDIDO;
    if (where == QLatin1String("D") && m_component == m_context.data().cdsItems.RecordCount())
        return line.STOBSPEDIDO;
    return QString();
}

void TicketBuilder::componentTickets(const Line &line)
{
    ClientDataSet &components = m_context.data().cdsItPromoComb;
    if (!components.Active())
        return;
    ComponentView view(components, line.CDPRODUTO, line.NRSEQ);
    writeComponents(line, components);
}

void TicketBuilder::writeComponents(const Line &line, ClientDataSet &components)
{
    for (components.First(); !components.Eof(); components.Next()) {
        const std::optional<PrinterChoice> printers = m_printers.choose(line.CDLOJA, textOf(components, "CDPRODUTO"));
        if (printers) {
            Values values;
            values.QTPRODCOMVEN = components.FindField(QStringLiteral("QTPRODVEND")).AsFloat();
            values.NMPRODUTO = textOf(components, "NMPRODUTO");
            values.DSOBSERVACAO = textOf(components, "TXPRODCOMVENEST");
            values.CDPRODPROMOCAO = textOf(components, "CDPRODVENDA");
            values.NRSEQ = textOf(components, "NRSEQ");
            values.VRPRECCOMVEN = line.VRPRECCOMVEN;
            values.NOMEPRODPAI = line.NMPRODUTO;
            values.DSOBSPRODPAI = line.STOBSPEDIDO;
            write(line, *printers, values);
        }
        ++m_component;
    }
}

// One ticket for the parent of a combined-product group, however many of its lines follow.
void TicketBuilder::parentTicket(const Line &line)
{
    const std::optional<PrinterChoice> printers = m_printers.choose(line.CDLOJA, line.CDPRODPROMOCAO);
    if (!printers)
        return;
    ClientDataSet &tickets = m_context.data().cdsImprimePedido;
    if (tickets.Locate(QStringLiteral("CDARVPROD;NRSEQPRODCOM"),
                       Variant(QList<Variant>{printers->CDARVPROD, line.NRSEQPRODCOM})))
        return;
    // The combined-line test has just found the parent in the product copy.
    const ClientDataSet &products = m_context.data().cdsProdutos;
    Values values;
    values.QTPRODCOMVEN = line.QTPRODCOMVEN;
    values.NMPRODUTO = textOf(products, "NMPRODUTO");
    values.NRSEQPRODCOM = line.NRSEQPRODCOM;
    values.CDPRODPROMOCAO = line.CDPRODPROMOCAO;
    values.IDPROMOCAO = line.IDPROMOCAO;
    write(line, *printers, values);
}

// Child lines get a ticket only when they are observation items; promotion lines were
// printed as their header and components.
void TicketBuilder::lineTicket(const Line &line)
{
    if (!line.NRSEQPRODPAI.isEmpty() && !isYes(line.IDOBSERVACAO))
        return;
    if (isYes(line.IDPROMOCAO))
        return;
    const std::optional<PrinterChoice> printers = m_printers.choose(line.CDLOJAIT, line.CDPRODUTO);
    if (!printers)
        return;
    Values values;
    values.QTPRODCOMVEN = std::fabs(line.QTPRODCOMVEN);
    values.NMPRODUTO = line.NMPRODUTO;
    values.DSOBSERVACAO = line.STOBSPEDIDO;
    values.NRSEQPRODCOM = line.NRSEQPRODCOM;
    values.CDPRODPROMOCAO = line.CDPRODPROMOCAO;
    values.NRSEQ = line.NRSEQ;
    values.VRPRECCOMVEN = line.VRPRECCOMVEN;
    values.VRDESCCOMVEN = line.VRDESCCOMVEN;
    write(line, *printers, values);
}

void TicketBuilder::write(const Line &line, const PrinterChoice &printers, const Values &values)
{
    ClientDataSet &tickets = m_context.data().cdsImprimePedido;
    --m_number;
    tickets.Insert();
    writeSaleFields(tickets);
    writeItemFields(tickets, line, values);
    writePrinterFields(tickets, printers, values.withPullPrinter);
    tickets.Post();
}

namespace {

void setField(ClientDataSet &tickets, const char *field, const Variant &value)
{
    tickets.FieldByName(QString::fromLatin1(field)).SetValue(value);
}

} // namespace

// The sale's own fields of a ticket: tab, table, waiter, pager, consumer and operator.
void TicketBuilder::writeSaleFields(ClientDataSet &tickets)
{
    const SaleState &state = m_context.state();
    setField(tickets, "NRCOMANDA", state.host.stNRCOMANDA);
    setField(tickets, "NRMESA", state.host.stNRMESA);
    setField(tickets, "CDVENDEDOR", state.host.stCDVENDEDOR);
    setField(tickets, "NMVENDEDOR", m_ticketContext.WaiterName);
    setField(tickets, "IDCOMANDA", QStringLiteral("2"));
    setField(tickets, "SENHACUPOM", state.settlement.stSenhaPedido);
    setField(tickets, "DSCOMANDA", state.host.stNrComandaExib);
    setField(tickets, "NMCONSVEND", m_ticketContext.ConsumerName);
    setField(tickets, "NRSEQITEM", m_number);
    setField(tickets, "CDOPERADOR", state.rights.stCDOPERADOR);
    setField(tickets, "NMOPERADOR", state.rights.stNMOPERADOR);
}

// The item's fields: what is made, how many, its observations and where it hangs in the sale.
void TicketBuilder::writeItemFields(ClientDataSet &tickets, const Line &line, const Values &values)
{
    setField(tickets, "QTPRODCOMVEN", values.QTPRODCOMVEN);
    setField(tickets, "NMPRODUTO", values.NMPRODUTO);
    setField(tickets, "DSOBSERVACAO", values.DSOBSERVACAO);
    setField(tickets, "NRSEQPRODCOM", values.NRSEQPRODCOM);
    setField(tickets, "CDPRODPROMOCAO", values.CDPRODPROMOCAO);
    setField(tickets, "IDPROMOCAO", values.IDPROMOCAO);
    setField(tickets, "NRSEQ", values.NRSEQ);
    if (values.VRPRECCOMVEN)
        setField(tickets, "VRPRECCOMVEN", *values.VRPRECCOMVEN);
    if (values.VRDESCCOMVEN)
        setField(tickets, "VRDESCCOMVEN", *values.VRDESCCOMVEN);
    setField(tickets, "NRLUGARMESA", line.NRLUGARMESA);
    setField(tickets, "NOMEPRODPAI", values.NOMEPRODPAI);
    setField(tickets, "DSOBSPRODPAI", values.DSOBSPRODPAI);
    setField(tickets, "IDORIGEMVENDA", line.IDORIGEMVENDA);
    setField(tickets, "NRSEQPRODPAI", line.NRSEQPRODPAI);
    setField(tickets, "IDOBSERVACAO", line.IDOBSERVACAO);
    setField(tickets, "QTPRODCOMBO", line.QTPRODCOMVEN);
}

// The production printers chosen for the item, and the pull printer when the ticket has one.
void TicketBuilder::writePrinterFields(ClientDataSet &tickets, const PrinterChoice &printers, bool withPullPrinter)
{
    setField(tickets, "CDARVPROD", printers.CDARVPROD);
    setField(tickets, "CDPORIMPPROD", printers.CDPORIMPPROD);
    setField(tickets, "IDIMPRODUVEZ", printers.IDIMPRODUVEZ);
    setField(tickets, "CDPRODUTO", printers.CDPRODUTO);
    setField(tickets, "IDMODEIMPRES", printers.IDMODEIMPRES);
    if (withPullPrinter) {
        setField(tickets, "MODELOPUXA", printers.MODELOPUXA);
        setField(tickets, "PORTAPUXA", printers.PORTAPUXA);
    }
    setField(tickets, "CDPORIMPPROD2", printers.CDPORIMPPROD2);
    setField(tickets, "IDMODEIMPRES2", printers.IDMODEIMPRES2);
    setField(tickets, "DSENDPORTA", printers.DSENDPORTA);
    setField(tickets, "DSENDPORTA2", printers.DSENDPORTA2);
    setField(tickets, "DSENDPORTAPUXA", printers.DSENDPORTAPUXA);
}

} // namespace Tickets

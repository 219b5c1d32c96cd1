// The buyer for the item being registered: in an open counter sale the client company, the
// badge consumer or the buyer identification; otherwise the consumer register's name.
#include "settlement.h"

#include "buyer_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <outside/ravuvozozod.h>

#include <QAbstractButton>
#include <sale/codes.h>
#include <sale/serverseams.h>

// The buyer identification, as its button would ask it.
void BuyerIdentification::askBuyer()
{
    m_context.settlement().spbIncluiCpfClick(m_context.button(FormName::spbIncluiCpf));
}

// The client company of a consumer sale as the buyer: a valid CPF or CNPJ stands; any other
// number stands too unless the till asks for the buyer. A client not in the register changes
// nothing.
void BuyerIdentification::clientCompanyAsBuyer()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    ClientDataSet &clients = c.data().cdsCliente;
    if (!clients.Active())
        return;
    const Variant found = clients.Lookup(QStringLiteral("CDCLIENTE"), state.host.stCdClienteVenda,
                                         QStringLiteral("NRINSJURCLIE;NMFANTCLIE"));
    if (!found.isArray())
        return;
    const QString number = found.at(0).toString();
    state.fiscal.stCpfCnpjNota = number;
    state.fiscal.stNomeNota = found.at(1).toString();
    if (Consiste::CPFOk(number) || Consiste::CGCOk(number))
        return;
    if (isYes(state.params.stIDSOLICITACPF))
        askBuyer();
}

// The badge consumer whose registration number is the buyer's CPF.
void BuyerIdentification::consumerAsBuyer()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    const ConsumerState &consumer = state.consumer;
    const bool noNumber = Consiste::EmptyString(consumer.stNrInscrConsVenda);
    if (isYes(state.params.stIDSOLICITACPF)) {
        if (noNumber) {
            askBuyer();
            return;
        }
        state.fiscal.stCpfCnpjNota = consumer.stNrInscrConsVenda;
        state.fiscal.stNomeNota = consumer.stNmConsumidor;
        return;
    }
    if (noNumber)
        return;
    state.fiscal.stCpfCnpjNota = consumer.stNrInscrConsVenda;
    state.fiscal.stNomeNota = consumer.stNmConsumidor;
    // The consumer search leaves the consumer's address text here.
    state.fiscal.stEnderecoNota = consumer.stInicializaAux2;
}

void BuyerIdentification::counterSaleBuyer()
{
    SaleContext &c = m_context;
    const SaleState &state = c.state();
    const SaleFlags &flags = state.flags;
    const QString &cpfFlag = state.consumer.stCpfAux1;
    const bool consumerSale = flags.boVendaVista || flags.boVendaDebito || flags.boCreditoPessoal;
    if (isYes(state.params.stIDIMPCNPJCLIE) && isNo(cpfFlag) && consumerSale)
        clientCompanyAsBuyer();
    else if (isYes(cpfFlag))
        consumerAsBuyer();
    else if (isYes(state.params.stIDSOLICITACPF))
        askBuyer();
}

// The consumer register of the sale's consumer, loaded into cdsCadConsumidor; false when the
// server failed (it has been reported).
bool BuyerIdentification::loadConsumerRegister()
{
    SaleContext &c = m_context;
    const SaleState &state = c.state();
    const Parameters &p = state.params;
    const QString &client = state.host.stCdClienteVenda;
    const QString &consumer = state.host.stCdConsumidorVenda;
    const Variant result = m_context.server().consumers.getCadConsumidor(p.stCDFILIAL, client, consumer, p.stIDEXCONSATFIL,
                                                          p.stIDEXCONSATGER);
    Variant value;
    const QString trace = p.stCDFILIAL + QLatin1Char('-') + client + QLatin1Char('-') + consumer;
    // The consumer register is checked in its own colour scheme "002", not the site's.
    if (!Ravuvozozod::MensagemMetodo(result, true, 0, QStringLiteral("getCadConsumidor"),
                                     QStringLiteral("Cli_Kal51000"), trace, QStringLiteral("002"), value))
        return false;
    ClientDataSet &rows = c.data().cdsCadConsumidor;
    if (value.isPacket())
        return rows.SetData(value.packet());
    if (!rows.Active())
        rows.CreateDataSet();
    rows.EmptyDataSet();
    return true;
}

// Other sale modes, or the coupon already open: only the consumer's name (and the CPF of the
// consumer's responsible person, where the register has one).
void BuyerIdentification::registeredConsumerName()
{
    SaleContext &c = m_context;
    SaleState &state = c.state();
    if (state.host.stCdConsumidorVenda.isEmpty() || !loadConsumerRegister())
        return;
    ClientDataSet &rows = c.data().cdsCadConsumidor;
    if (!rows.IsEmpty()) {
        rows.First();
        state.fiscal.stNomeNota = rows.FieldByName(QStringLiteral("NMCONSUMIDOR")).AsString();
        // A register without the column leaves the CPF as it was.
        const Field cpf = rows.FindField(QStringLiteral("NRCPFRESPCON"));
        if (cpf.IsValid())
            state.fiscal.stCpfCnpjNota = cpf.AsString();
        return;
    }
    const Variant name = m_context.server().consumers.getNomeCons(state.host.stCdClienteVenda, state.host.stCdConsumidorVenda);
    // The server function shows its own failure; a failure names nobody.
    state.fiscal.stNomeNota = name.isFailure() ? QString() : name.toString();
}

void BuyerIdentification::forItem()
{
    const SaleState &state = m_context.state();
    const int model = state.params.inIDTIPOIMPFIS;
    if (PrinterModel::receiptAtClose(model))
        return;
    if (state.host.stModoVenda == SaleMode::Counter && !state.flags.boCupomAberto)
        counterSaleBuyer();
    else
        registeredConsumerName();
}

void Settlement::SolicitaCpf()
{
    BuyerIdentification(m_context).forItem();
}

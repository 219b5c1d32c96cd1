#pragma once

#include "salestate_consumer.h"
#include "salestate_documents.h"
#include "salestate_parameters.h"
#include "salestate_sale.h"
#include "salestate_till.h"

#include <QString>

// The fields of one sale, grouped by family. A sale begins with a freshly constructed record and
// ends by dropping it whole (SaleState::beginSale / endSale), whichever way it ends: settled,
// cancelled, refused, or left by the call. Nothing here is cleared field by field, so a field
// added to one of these families is reset with the sale without anyone remembering it. What one
// road needs only while it runs lives in that road's own run object, not here.
struct SaleRecord
{
    SaleFlags flags;
    SaleAccess access;
    SaleTotals totals;
    SaleCounters counters;
    RoadFields road;
    FiscalTexts fiscal;
    SettlementTexts settlement;
    SharedResults results;
    ConsumerState consumer;
    ConsumerFigures figures;
    LoyaltyState loyalty;
    ClubPetroCustomer clubPetroCustomer;
};

// The families that outlive a sale: the handlers' busy guards, the call's arguments, the
// operator, the start-up results, what the till, an open table, the screen and an exchange in
// force keep between sales, and the till's link to the fuel-station programme. The till's
// parameters are kept apart (SaleState::params), read-only.
struct TillRecord
{
    HandlerGuards busy;
    HostArguments host;
    OperatorRights rights;
    StartupResults startup;
    TillSession till;
    TableSeats table;
    ScreenNavigation screen;
    ExchangeInForce exchange;
    ClubPetroLink clubPetro;
};

// The private fields of the sale form, named as the handlers name them (state.params.stCDFILIAL,
// state.flags.boCupomAberto). The form lives for the whole process; the per-sale families are
// replaced whole at each sale's start and end, the long-lived ones stay. The sale form owns the
// one instance; handlers reach it through the sale context.
struct SaleState : SaleRecord, TillRecord
{
    SaleState() = default;
    SaleState(const SaleState &) = delete;
    SaleState &operator=(const SaleState &) = delete;

    // The till's parameters, read-only to the sale: loaded once (editParams), and only the
    // three fields below change while the screen runs, through their setters.
    const Parameters &params = m_params;
    // boBOERROIMPRESSORA: the fiscal printer failed; the screen runs consultation-only.
    void setPrinterInError(bool inError) { m_params.boBOERROIMPRESSORA = inError; }
    // stIDSOLOBSPED: whether the item's observations are asked for.
    void setAskOrderNotes(const QString &stIDSOLOBSPED) { m_params.stIDSOLOBSPED = stIDSOLOBSPED; }
    // stIDINFNOMEEND: whether the buyer's name and address are asked for.
    void setAskNameAddress(const QString &stIDINFNOMEEND) { m_params.stIDINFNOMEEND = stIDINFNOMEEND; }
    // The whole record, writable: for the start-up's load and for tests that set up a till.
    Parameters &editParams() { return m_params; }

    SaleRecord &sale() { return *this; }
    const SaleRecord &sale() const { return *this; }

    // A host call begins with a fresh sale and no handler's guard: nothing of a sale the last
    // call left behind (closed by the exit buttons, or by a crash of the handler) reaches this
    // one.
    void beginSale();
    // The sale is over, however it ended: a fresh record replaces it. The busy guards are the
    // till's, not the sale's, so a handler still running keeps its own; the sale's client,
    // consumer and waiter go back to the till's defaults; outside table mode the persons and
    // seats go back to one.
    void endSale();
    // A table keeps its persons and seats from call to call; any other sale has one.
    void keepSeatsOnlyAtTable();

private:
    void freshRecord();

    Parameters m_params;
};

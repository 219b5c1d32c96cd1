#pragma once

#include "salestate_consumer.h"
#include "salestate_documents.h"
#include "salestate_parameters.h"
#include "salestate_sale.h"

#include <QString>

// The private fields of the sale form: a plain record of public members grouped by family,
// named as the handlers name them (state.params.stCDFILIAL, state.flags.boCupomAberto). The
// form lives for the whole process, so every member survives between host calls unless a
// reset clears it. Each member belongs to exactly one family. The sale form owns the one
// instance; handlers reach it through the sale context.
struct SaleState
{
    SaleState() = default;
    SaleState(const SaleState &) = delete;
    SaleState &operator=(const SaleState &) = delete;

    HostArguments host;
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

    OperatorRights rights;
    StartupResults startup;
    SaleFlags flags;
    SaleTotals totals;
    SaleCounters counters;
    RoadFields road;
    FiscalTexts fiscal;
    SettlementTexts settlement;
    SharedResults results;
    ConsumerState consumer;
    ConsumerFigures figures;
    LoyaltyState loyalty;
    ClubPetroState clubPetro;

private:
    Parameters m_params;
};

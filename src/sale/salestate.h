#pragma once

#include "salestate_consumer.h"
#include "salestate_documents.h"
#include "salestate_parameters.h"
#include "salestate_sale.h"

// The private fields of the sale form: a plain record of public members grouped by family,
// named as the handlers name them (state.params.stCDFILIAL, state.flags.boCupomAberto). The
// form lives for the whole process, so every member survives between host calls unless a
// reset clears it. Each member belongs to exactly one family. The sale form owns the one
// instance; handlers reach it through the sale context.
struct SaleState
{
    HostArguments host;
    Parameters params;
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
};

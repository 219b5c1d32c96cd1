#include "salestate.h"

#include "codes.h"

#include <QtGlobal>

void SaleState::freshRecord()
{
    sale() = SaleRecord{};
    consumer.stCartaoAux1 = params.stCDCCUSCLIE;
}

void SaleState::beginSale()
{
    freshRecord();
}

void SaleState::endSale()
{
    // A handler in flight owns its guard and releases it itself; dropping it under the handler
    // would let the same key or button in again while it still runs.
    const SaleFlags running = flags;
    freshRecord();
    flags.boDigitacaoAux1 = running.boDigitacaoAux1;
    flags.boBalcaoAux3 = running.boBalcaoAux3;
    flags.boCancCupomAux1 = running.boCancCupomAux1;
    flags.boProcessando = running.boProcessando;
    flags.boVenderAux1 = running.boVenderAux1;
    flags.boImprimindoCompCred = running.boImprimindoCompCred;

    host.stCdClienteVenda = params.stCDCLIENTE;
    host.stCdConsumidorVenda.clear();
    host.stCDVENDEDOR.clear();
    keepSeatsOnlyAtTable();
}

void SaleState::keepSeatsOnlyAtTable()
{
    if (host.stModoVenda == SaleMode::Table)
        return;
    table.inNrPessoas = qMin(table.inNrPessoas, 1);
    table.inExtratoAux1 = qMin(table.inExtratoAux1, 1);
}

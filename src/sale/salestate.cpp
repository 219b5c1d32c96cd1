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
    busy = HandlerGuards{};
}

void SaleState::endSale()
{
    freshRecord();
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

#include "rights.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>

#include <utility>

void askOperatorRights(SaleContext &context)
{
    OperatorRights &rights = context.state().rights;
    const std::pair<int OperatorRights::*, QString OperatorRights::*> asked[] = {
        {&OperatorRights::inCTCONSULTAPRECO, &OperatorRights::stAcessoConsultaPreco},
        {&OperatorRights::inCTPESQPRODUTO, &OperatorRights::stAcessoPesqProduto},
        {&OperatorRights::inCTCANCITEMGEN, &OperatorRights::stAcessoCancItemGen},
        {&OperatorRights::inCTOBSPRODUTO, &OperatorRights::stAcessoObsProduto},
        {&OperatorRights::inCTCANCCUPOM, &OperatorRights::stAcessoCancCupom},
        {&OperatorRights::inCTPRODCOMBINADO, &OperatorRights::stAcessoProdCombinado},
        {&OperatorRights::inCTMULTIPLICADOR, &OperatorRights::stAcessoMultiplicador},
    };
    for (const auto &[code, answer] : asked)
        rights.*answer = context.services().ControleAcess({rights.*code, rights.stCDOPERADOR});
}

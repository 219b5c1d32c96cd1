#include "productentry_server.h"

#include <server/srv_access.h>
#include <server/srv_consumers.h>
#include <server/srv_counters.h>
#include <server/srv_lookups_products.h>
#include <server/srv_lookups_tills.h>
#include <server/srv_loyalty.h>
#include <server/srv_tabs.h>

EntryServer::EntryServer()
    : getCodigoAtalho(Srv_Kal51000::getCodigoAtalho),
      getCodigoBarra(Srv_Kal51000::getCodigoBarra),
      getPrxVendaColombia(Srv_Kal51000::getPrxVendaColombia),
      getProdPesq(Srv_Kal51000::getProdPesq),
      getCdFamiliSald(Srv_Kal51000::getCdFamiliSald),
      getProdTxServ(Srv_Kal51000::getProdTxServ),
      verificaIDSTLUGARMESA(Srv_Kal51000::verificaIDSTLUGARMESA),
      getAgrupProd(Srv_Kal51000::getAgrupProd),
      getProdRefil(Srv_Kal51000::getProdRefil),
      setProdRefil(Srv_Kal51000::setProdRefil),
      getCuponsValidos(Srv_Kal51000::getCuponsValidos),
      getCampCompGanhe(Srv_Kal51000::getCampCompGanhe),
      getBrCampCompGanhe(Srv_Kal51000::getBrCampCompGanhe),
      getDsOcorr(Srv_Kal51000::getDsOcorr),
      setLogAcesso(Srv_Kal51000::setLogAcesso),
      getIDUTILDESCDIA(Srv_Kal51000::getIDUTILDESCDIA),
      getIDIMPQRTOPDATA(Srv_Kal51000::getIDIMPQRTOPDATA),
      getProdPromoFidelidade(Srv_Kal51000::getProdPromoFidelidade)
{
}

Variant EntryServer::notInstalled(const QString &name)
{
    return Variant::failure(QStringLiteral("função do servidor não instalada: ") + name);
}

EntryServer &entryServer()
{
    static EntryServer table;
    return table;
}

ScopedEntryServer::ScopedEntryServer(EntryServer replacement)
    : m_previous(entryServer())
{
    entryServer() = std::move(replacement);
}

ScopedEntryServer::~ScopedEntryServer()
{
    entryServer() = std::move(m_previous);
}

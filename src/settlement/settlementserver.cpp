#include "settlementserver.h"

#include <server/srv_consumers.h>
#include <server/srv_counters.h>
#include <server/srv_kds.h>
#include <server/srv_lookups_tills.h>
#include <server/srv_loyalty.h>
#include <server/srv_passwords.h>
#include <server/trdmvendacons.h>

#include <outside/qub_movrela_db.h>

#include <QRandomGenerator>

namespace {

QString probeServer()
{
    Qub_movrela::DbConnection &probe = rdmVendaCons().adcTesteConexao();
    if (!probe.open())
        return Qub_movrela::ADOExceptionMessage(probe.lastError(), probe, QString());
    probe.close();
    return QString();
}

} // namespace

SettlementServer::SettlementServer()
    : serverProbe(probeServer),
      getSenhaCupom(Srv_Kal51000::getSenhaCupom),
      getSenhaUtil(Srv_Kal51000::getSenhaUtil),
      getSenhaRandonExist(Srv_Kal51000::getSenhaRandonExist),
      ReiniciaSenhaCupom(Srv_Kal51000::ReiniciaSenhaCupom),
      getPrxVendaColombia(Srv_Kal51000::getPrxVendaColombia),
      setNumeroNFCe(Srv_Kal51000::setNumeroNFCe),
      setNrVendaNFisc(Srv_Kal51000::setNrVendaNFisc),
      getProdPromoFidelidade(Srv_Kal51000::getProdPromoFidelidade),
      getCadBeneficio([](const QString &client, const QString &consumer) {
          return Srv_Kal51000::getCadBeneficio(client, consumer);
      }),
      getMovFidelidade(Srv_Kal51000::getMovFidelidade),
      setMovFidelidade(Srv_Kal51000::setMovFidelidade),
      setVendaBeneficioBalcao(Srv_Kal51000::setVendaBeneficioBalcao),
      CancelaPedidoKDS(Srv_Kal51000::CancelaPedidoKDS),
      setGravaConsumidor([](const QString &CDCLIENTE, const QString &CDCONSUMIDOR, const QString &NRCPF,
                            const QString &STPROCESSAMENTO, const QString &kind) {
          return Srv_Kal51000::setGravaConsumidor(CDCLIENTE, {}, CDCONSUMIDOR, {}, {}, {}, {}, NRCPF, {}, {},
                                                  STPROCESSAMENTO, kind);
      }),
      random([](int bound) { return bound <= 0 ? 0 : int(QRandomGenerator::global()->bounded(bound)); })
{
}

SettlementServer &settlementServer()
{
    static SettlementServer table;
    return table;
}

ScopedSettlementServer::ScopedSettlementServer(SettlementServer replacement) : m_previous(settlementServer())
{
    settlementServer() = std::move(replacement);
}

ScopedSettlementServer::~ScopedSettlementServer()
{
    settlementServer() = std::move(m_previous);
}

// Roads and routines the settle button reaches whose own handlers come later. A road not
// built yet refuses the settlement after a clear message: nothing is paid, numbered or saved,
// and the sale stays on the screen.
#include "settlement.h"

#include <outside/ravuvozozod.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

void Settlement::refuseRoad(const QString &roadName)
{
    const QString text = QStringLiteral("O recebimento por %1 ainda não está disponível neste caixa. "
                                        "A venda continua aberta.")
                             .arg(roadName);
    m_context.message(text, Ravuvozozod::Error);
    m_context.state().flags.boRecebendo = false;
    m_lastRoadEnd = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), text};
}

// Filled in by the personal-credit road.
void Settlement::personalCreditRoad(SettlementRun &)
{
    refuseRoad(QStringLiteral("crédito pessoal"));
}

// Filled in by the consumer-debit road.
void Settlement::consumerDebitRoad(SettlementRun &)
{
    refuseRoad(QStringLiteral("débito do consumidor"));
}

// Filled in by the merchandise-exchange road.
void Settlement::exchangeRoad(SettlementRun &)
{
    refuseRoad(QStringLiteral("troca de mercadoria"));
}

// Vd_PromocaoComb of order entry, filled in by the combined-promotion road: no combined
// promotion is applied yet, the sale rows stay as rebuilt.
void Settlement::combinedPromotions()
{
}

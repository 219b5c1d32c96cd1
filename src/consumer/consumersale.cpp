#include "consumersale.h"

#include <server/srv_startup_lookups.h>

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/qub_movrela.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QDebug>

#include <stdexcept>

ConsumerSale::ConsumerSale(SaleContext &context)
    : m_context(context)
{
}

void ConsumerSale::inicializaVarClubPetro()
{
    SaleState &state = m_context.state();
    ClubPetroState &club = state.clubPetro;
    club.boCliClubPetroExiste = true;
    club.stClubPetroOnline = QStringLiteral("S");
    club.doSaldoRest = 0.0;
    club.stMensagemClubPetro.clear();
    club.stMensagemClubPetroAux.clear();
    club.stErroRequisicao.clear();
    club.stClubPetroResult.clear();
    club.stIDTIPORESGATE = QStringLiteral("N");
    club.stCDCNPJRESGSALDO.clear();
    club.stCDINTRESGSALDO.clear();
    const FiscalTexts &buyer = state.fiscal;
    club.stCpfClubPetro = buyer.stCpfCnpjNota.isEmpty() ? buyer.stIdEstrangeiroNota : buyer.stCpfCnpjNota;
}

// Not available on this till: the consumer, credit, loyalty and partner buttons do nothing.
void ConsumerSale::spbCompraCredClick(QObject *) {}
void ConsumerSale::spbCashbackClick(QObject *) {}
void ConsumerSale::spbCashbackUDSClick(QObject *) {}
void ConsumerSale::spbConsultaPromoClick(QObject *) {}
void ConsumerSale::btnEnterFidClick(QObject *) {}
void ConsumerSale::btnSairFidClick(QObject *) {}

// ---- what item registration asks ------------------------------------------------------------


bool ConsumerSale::Valida_Parametros_Debito_Consumidor(const QString &, const QString &, const QString &,
                                                       const QString &, const QString &, const QString &)
{
    return true;
}

bool ConsumerSale::Valida_Parametros_Credito_Pessoal(const QString &, const QString &, const QString &,
                                                     const QString &, const QString &, const QString &,
                                                     const QString &, const QString &)
{
    return true;
}

bool ConsumerSale::Valida_Produtos_Servico(const QString &, const QString &, const QString &, const QString &,
                                           const QString &, ClientDataSet &)
{
    return true;
}

bool ConsumerSale::Valida_QtdeDia_Credito_Pessoal(const QString &, const QString &, const QString &,
                                                  ClientDataSet &)
{
    return true;
}

// Counter loyalty changes no discount and the debit minimum refuses nothing.
void ConsumerSale::FidelidadeBalcao(const QString &, const QString &, const QString &,
                                    const QString &, const QString &, const QString &)
{
}

void ConsumerSale::VerifVrMinConsumoProd(const QString &) {}


#include "consumersale.h"

#include <screen/salecontext.h>
#include <screen/salestate.h>

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

// The roads below are filled in by the consumer, credit, loyalty and partner roads.
void ConsumerSale::spbCompraCredClick(QObject *) {}
void ConsumerSale::spbCartaoClick(QObject *) {}
void ConsumerSale::spbCredPessoalClick(QObject *) {}
void ConsumerSale::spbVendaVisClick(QObject *) {}
void ConsumerSale::spbVendaDebClick(QObject *) {}
void ConsumerSale::spbCancEscolheClick(QObject *) {}
void ConsumerSale::spbCadConsClick(QObject *) {}
void ConsumerSale::spbCashbackClick(QObject *) {}
void ConsumerSale::spbCashbackUDSClick(QObject *) {}
void ConsumerSale::spbConsultaPromoClick(QObject *) {}
void ConsumerSale::btnEnterFidClick(QObject *) {}
void ConsumerSale::btnSairFidClick(QObject *) {}

// Counter loyalty and the debit minimum: filled in by the loyalty and consumer-limit roads.
void ConsumerSale::FidelidadeBalcao(const QString &, const QString &, const QString &,
                                    const QString &, const QString &, const QString &)
{
}

void ConsumerSale::VerifVrMinConsumoProd(const QString &) {}

#include "consumersale.h"
#include "limits_p.h"

#include "benefits_p.h"
#include "pointsdiscount_p.h"
#include "promotions_p.h"

#include <server/srv_startup_lookups.h>

#include <sale/formnames.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/qub_movrela.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QDebug>
#include <QWidget>

#include <stdexcept>

ConsumerSale::ConsumerSale(SaleContext &context)
    : m_context(context)
{
}

void ConsumerSale::spbConsultaPromoClick(QObject *)
{
    PromotionConsultation(m_context).run();
}

void ConsumerSale::btnEnterFidClick(QObject *)
{
    closeBenefitList();
    m_context.state().loyalty.boFidelidadeAux1 = true;
}

void ConsumerSale::btnSairFidClick(QObject *)
{
    closeBenefitList();
    m_context.state().loyalty.boFidelidadeAux2 = true;
}

void ConsumerSale::btnCimaFidClick(QObject *)
{
    ClientDataSet &list = m_context.data().cdsListaBeneficio;
    if (list.Active())
        list.Prior();
    CounterBenefits::afterScroll(m_context);
}

void ConsumerSale::btnBaixoFidClick(QObject *)
{
    ClientDataSet &list = m_context.data().cdsListaBeneficio;
    if (list.Active())
        list.Next();
    CounterBenefits::afterScroll(m_context);
}

void ConsumerSale::closeBenefitList()
{
    if (QWidget *panel = m_context.widget<QWidget>(FormName::pnlListaBeneficio)) {
        panel->move(72, 613);
        panel->hide();
    }
    if (QWidget *buttons = m_context.widget<QWidget>(FormName::pnlBotoes))
        buttons->setEnabled(true);
}

void ConsumerSale::DescontoVendaFidelidade()
{
    PointsDiscount(m_context).run();
}

void ConsumerSale::settlePendingBenefit()
{
    CounterBenefits(m_context).settlePending();
}

// ---- what item registration asks ------------------------------------------------------------


bool ConsumerSale::Valida_Parametros_Debito_Consumidor(const QString &Qtde, const QString &Preco,
                                                       const QString &PrecoCliente, const QString &Desconto,
                                                       const QString &Acrescimo, const QString &Flag)
{
    return Limits::DebitLimits(m_context).run({Qtde, Preco, PrecoCliente, Desconto, Acrescimo, Flag});
}

bool ConsumerSale::Valida_Parametros_Credito_Pessoal(const QString &CDFAMILISALD, const QString &Qtde,
                                                     const QString &Preco, const QString &PrecoCliente,
                                                     const QString &Desconto, const QString &Acrescimo,
                                                     const QString &Flag, const QString &IDPROMOCAO)
{
    return Limits::CreditLimits(m_context).run(
        {CDFAMILISALD, Qtde, Preco, PrecoCliente, Desconto, Acrescimo, Flag, IDPROMOCAO});
}

bool ConsumerSale::Valida_Produtos_Servico(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Qtde,
                                           const QString &Preco, const QString &PrecoCliente, ClientDataSet &cdsItems)
{
    return Limits::ServiceLimits(m_context).validate(CDPRODUTO, NMPRODUTO, Qtde, Preco, PrecoCliente, cdsItems);
}

bool ConsumerSale::Servico_Consu_Qtde(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                      const QString &CDTIPOCONS, const QString &CDPRODUTO, const QString &NMPRODUTO,
                                      double Quantidade, double ValorUnitario, const DataPacket &Itens,
                                      const DataPacket &ProdServTCon, const DataPacket &ProdServ)
{
    return Limits::ServiceLimits(m_context).check(
        {CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDTIPOCONS, CDPRODUTO, NMPRODUTO, Quantidade, ValorUnitario}, Itens,
        ProdServTCon, ProdServ);
}

bool ConsumerSale::Valida_QtdeDia_Credito_Pessoal(const QString &CDFAMILISALD, const QString &CDPRODUTO,
                                                  const QString &Qtde, ClientDataSet &cdsItems)
{
    return Limits::DailyQuantity(m_context).run(CDFAMILISALD, CDPRODUTO, Qtde, cdsItems);
}

void ConsumerSale::VerifVrSubsBasico(double &Total)
{
    Limits::Subsidy(m_context).consumerSubsidy(Total);
}

void ConsumerSale::VerifVrSubsBasicExtra(double &Total)
{
    Limits::Subsidy(m_context).balances(Total);
}

void ConsumerSale::FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                    const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                                    const QString &Desconto)
{
    CounterBenefits(m_context).run({CDCLIENTE, CDCONSUMIDOR, CDPRODUTO, NMPRODUTO, Preco, Desconto});
}

void ConsumerSale::VerifVrMinConsumoProd(const QString &CDPRODUTO)
{
    Limits::Subsidy(m_context).minimumConsumption(CDPRODUTO);
}


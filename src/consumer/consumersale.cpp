#include "consumersale.h"
#include "limits_p.h"

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

// Not available on this till: the consumer, credit, loyalty and partner buttons do nothing.
void ConsumerSale::spbConsultaPromoClick(QObject *) {}
void ConsumerSale::btnEnterFidClick(QObject *) {}
void ConsumerSale::btnSairFidClick(QObject *) {}

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

// Counter loyalty changes no discount yet.
void ConsumerSale::FidelidadeBalcao(const QString &, const QString &, const QString &,
                                    const QString &, const QString &, const QString &)
{
}

void ConsumerSale::VerifVrMinConsumoProd(const QString &CDPRODUTO)
{
    Limits::Subsidy(m_context).minimumConsumption(CDPRODUTO);
}


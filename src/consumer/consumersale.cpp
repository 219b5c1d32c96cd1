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
void ConsumerSale::spbCartaoClick(QObject *) {}
void ConsumerSale::spbCredPessoalClick(QObject *) {}
void ConsumerSale::spbVendaVisClick(QObject *) {}
void ConsumerSale::spbVendaDebClick(QObject *) {}
void ConsumerSale::spbCancEscolheClick(QObject *) {}
void ConsumerSale::spbCadConsClick(QObject *) {}
void ConsumerSale::spbConsultaPromoClick(QObject *) {}
void ConsumerSale::btnEnterFidClick(QObject *) {}
void ConsumerSale::btnSairFidClick(QObject *) {}

// ---- what item registration asks ------------------------------------------------------------

void ConsumerSale::preparaVarPreVDSaldo() {}

void ConsumerSale::Sald_Gast_Cons(const QString &, const QString &, const QString &, const QString &,
                                  const QString &, const QString &)
{
}

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

void ConsumerSale::LogFamSaldo(const QString &Text)
{
    qInfo().noquote() << "família saldo:" << Text;
}

void ConsumerSale::addFamiliaSaldo(ClientDataSet &cdsFamiliaSaldo, const QString &CDFAMILISALD, double Value,
                                   bool Add)
{
    if (!cdsFamiliaSaldo.Active())
        cdsFamiliaSaldo.CreateDataSet();
    const QString family = QStringLiteral("CDFAMILISALD");
    const QString value = QStringLiteral("VRSALDCONFAM");
    const bool found = cdsFamiliaSaldo.Locate(family, CDFAMILISALD);
    if (Add) {
        LogFamSaldo(QStringLiteral("addFamiliaSaldo - adiciona %1: %2").arg(CDFAMILISALD, PtBr::FloatToStr(Value)));
        if (found) {
            cdsFamiliaSaldo.Edit();
            cdsFamiliaSaldo.FieldByName(value).SetAsFloat(cdsFamiliaSaldo.FieldByName(value).AsFloat() + Value);
        } else {
            cdsFamiliaSaldo.Append();
            cdsFamiliaSaldo.FieldByName(family).SetAsString(CDFAMILISALD);
            cdsFamiliaSaldo.FieldByName(value).SetAsFloat(Value);
        }
        cdsFamiliaSaldo.Post();
        return;
    }
    if (!found)
        return;
    LogFamSaldo(QStringLiteral("addFamiliaSaldo - retira %1: %2").arg(CDFAMILISALD, PtBr::FloatToStr(Value)));
    const double left = cdsFamiliaSaldo.FieldByName(value).AsFloat() - Value;
    if (Money::RoundDec(left, 2) <= 0.0) {
        cdsFamiliaSaldo.Delete();
        return;
    }
    cdsFamiliaSaldo.Edit();
    cdsFamiliaSaldo.FieldByName(value).SetAsFloat(left);
    cdsFamiliaSaldo.Post();
}

void ConsumerSale::LinhaEx3(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                            const QString &Preco, const QString &PrecoCliente, bool, const QString &,
                            const QString &, double, double, const QString &)
{
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    if (!grid.Active())
        grid.CreateDataSet();
    bool priceOk = false;
    bool clientOk = PrecoCliente.trimmed().isEmpty();
    const double price = PtBr::StrToFloat(Preco, &priceOk) + (clientOk ? 0.0 : PtBr::StrToFloat(PrecoCliente, &clientOk));
    if (!priceOk || !clientOk)
        throw std::invalid_argument(QStringLiteral("'%1' não é um valor numérico válido")
                                        .arg(priceOk ? PrecoCliente : Preco).toStdString());
    grid.Append();
    grid.FieldByName(QStringLiteral("DSITEM")).SetAsString(Codigo + QLatin1Char(' ') + Nome);
    grid.FieldByName(QStringLiteral("CDPROD")).SetAsString(Codigo);
    grid.FieldByName(QStringLiteral("NMPROD")).SetAsString(Nome);
    grid.FieldByName(QStringLiteral("STQTDE")).SetAsString(Qtde);
    grid.FieldByName(QStringLiteral("STVALOR")).SetAsString(PtBr::FloatToStr(Qub_movrela::Trunc2(price)));
    grid.FieldByName(QStringLiteral("NRSEQ")).SetAsString(NrSeq);
    grid.Post();
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


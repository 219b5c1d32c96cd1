#include "consumersale.h"

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
void ConsumerSale::spbCartaoClick(QObject *) {}
void ConsumerSale::spbCredPessoalClick(QObject *) {}
void ConsumerSale::spbVendaVisClick(QObject *) {}
void ConsumerSale::spbVendaDebClick(QObject *) {}
void ConsumerSale::spbCancEscolheClick(QObject *) {}
void ConsumerSale::spbCadConsClick(QObject *) {}
void ConsumerSale::spbCashbackClick(QObject *) {}
void ConsumerSale::spbCashbackUDSClick(QObject *) {}

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

void ConsumerSale::preparaVarPreVDSaldo() {}

void ConsumerSale::Sald_Gast_Cons(const QString &, const QString &, const QString &, const QString &,
                                  const QString &, const QString &)
{
}

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

void ConsumerSale::FidelidadeBalcao(const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                                    const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Preco,
                                    const QString &Desconto)
{
    CounterBenefits(m_context).run({CDCLIENTE, CDCONSUMIDOR, CDPRODUTO, NMPRODUTO, Preco, Desconto});
}

// The debit minimum refuses nothing.

void ConsumerSale::VerifVrMinConsumoProd(const QString &) {}


#include "fiscalreceipt.h"

#include "orderentry.h"
#include "salemoney.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/money.h>

#include <QDebug>
#include <QWidget>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

// Absent amounts (a blank client price or addition) count as 0.
double number(const QString &text)
{
    return SaleMoney::number(text, true);
}

QString blankAsEmpty(const QString &text)
{
    return text.trimmed().isEmpty() ? QString() : text;
}

} // namespace

FiscalItemSale OrderEntry::VendeItemImpFiscal(const PreenchePedidoArgs &Item, const QString &Preco,
                                               const QString &Desconto, const ItemTax &Taxa)
{
    return FiscalReceipt(m_context).sell(Item, Preco, Desconto, Taxa);
}

FiscalReceipt::FiscalReceipt(SaleContext &context) : m_context(context)
{
}

FiscalItemSale FiscalReceipt::sell(const PreenchePedidoArgs &Item, const QString &Preco, const QString &Desconto,
                                    const ItemTax &Taxa)
{
    SaleState &s = m_context.state();
    m_printerError = 0;
    if (!s.flags.boCupomAberto && !openReceipt()) {
        refusedOpening();
        return FiscalItemSale::OpeningRefused;
    }
    const bool sold = sellItem(Item, Preco, Desconto, Taxa);
    s.flags.boBalcaoAux1 = false;
    if (!sold) {
        refusedItem();
        return FiscalItemSale::ItemRefused;
    }
    return FiscalItemSale::Sold;
}

// ---- the receipt opening ---------------------------------------------------------------------

bool FiscalReceipt::openReceipt()
{
    const Parameters &p = m_context.state().params;
    if (p.boDISPLAYOK) {
        m_context.devices().LimpaDisplay();
        // The key's text starts with a marker character that the display does not show.
        m_context.devices().DisplayEnviaTexto(
            DisplayTextRequest{m_context.Msg(QStringLiteral("AbrCupFisc")).mid(1), 1, 1, 1, 0});
    }
    return p.inIDTIPOIMPFIS == PrinterModel::BuyerAtOpening26 ? openWithBuyerData() : openPlain();
}

// Printer model 26: the buyer's data first, asked again after each refusal of the printer.
bool FiscalReceipt::openWithBuyerData()
{
    SaleState &s = m_context.state();
    if (s.flags.boVendaDebito || s.flags.boVendaVista)
        takeClientCompanyAsBuyer();
    for (;;) {
        if (!askBuyerData())
            return false;
        const CouponOpenAnswer answer = m_context.devices().AbreCupom(openingRecord(QString()));
        if (!answer.ok)
            continue;
        readBack(answer);
        s.busy.boProcessando = true;
        m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Cupom_Aberto")));
        recordOpening();
        s.flags.boCupomAberto = true;
        closeSaleModeButtons();
        return true;
    }
}

bool FiscalReceipt::openPlain()
{
    SaleState &s = m_context.state();
    const CouponOpenAnswer answer = m_context.devices().AbreCupom(openingRecord(s.host.stNRVENDAREST));
    if (!answer.ok)
        return false;
    s.busy.boProcessando = false;
    readBack(answer);
    recordOpening();
    s.flags.boCupomAberto = true;
    m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Cupom_Aberto")));
    closeSaleModeButtons();
    return true;
}

void FiscalReceipt::takeClientCompanyAsBuyer()
{
    SaleState &s = m_context.state();
    SaleDatasets &data = m_context.data();
    ClientDataSet clients(QStringLiteral("cdsClienteArg"));
    if (!data.cdsCliente.Active() || !clients.CopyFrom(data.cdsCliente))
        return;
    if (!clients.Locate(QStringLiteral("CDCLIENTE"), s.host.stCdClienteVenda))
        return;
    s.fiscal.stNomeNota = clients.FieldByName(QStringLiteral("NMFANTCLIE")).AsString();
    s.fiscal.stNRINSJURCLIE = clients.FieldByName(QStringLiteral("NRINSJURCLIE")).AsString().right(11);
}

// The buyer-data dialog fills its seven fields; a cancelled dialog changes none of them.
bool FiscalReceipt::askBuyerData()
{
    FiscalTexts &f = m_context.state().fiscal;
    const ArgentineBuyerData current{f.stRecebAux5,    f.stNomeNota,   f.stPedidoAux1, f.stNRINSJURCLIE,
                                     f.stEnderecoNota, f.stPedidoAux2, f.inPedidoAux1};
    const ArgentineBuyerAnswer answer = m_context.services().CriaDadosClienteArgentina(current);
    if (!answer.confirmed)
        return false;
    const ArgentineBuyerData &d = answer.data;
    f.stRecebAux5 = d.stRecebAux5;
    f.stNomeNota = d.stNomeNota;
    f.stPedidoAux1 = d.stPedidoAux1;
    f.stNRINSJURCLIE = d.stNRINSJURCLIE;
    f.stEnderecoNota = d.stEnderecoNota;
    f.stPedidoAux2 = d.stPedidoAux2;
    f.inPedidoAux1 = d.inPedidoAux1;
    return true;
}

CouponOpenRequest FiscalReceipt::openingRecord(const QString &nrVendaRest) const
{
    const SaleState &s = m_context.state();
    const FiscalTexts &f = s.fiscal;
    CouponOpenRequest record;
    record.idEsquema = s.params.stIDESQUEMA;
    record.inQrCodeAux1 = m_printerError;
    record.stCpfCnpjNota = f.stCpfCnpjNota;
    record.stNomeNota = f.stNomeNota;
    record.stEnderecoNota = f.stEnderecoNota;
    record.stQrCodeAux1 = f.stQrCodeAux1;
    record.stNRCONTCUPOMFISC = f.stNRCONTCUPOMFISC;
    record.stRecebAux5 = f.stRecebAux5;
    record.stPedidoAux2 = f.stPedidoAux2;
    record.inPedidoAux1 = f.inPedidoAux1;
    record.stPedidoAux1 = f.stPedidoAux1;
    record.stNRINSJURCLIE = f.stNRINSJURCLIE;
    record.nrVendaRest = nrVendaRest;
    record.value13 = QString();
    record.value14 = false;
    return record;
}

void FiscalReceipt::readBack(const CouponOpenAnswer &answer)
{
    FiscalTexts &f = m_context.state().fiscal;
    m_printerError = int(answer.recebeParams(PrinterKeys::INTTEFERRO).toInt());
    f.stCpfCnpjNota = answer.recebeParams(PrinterKeys::INCLUICPF).toString();
    f.stNomeNota = answer.recebeParams(PrinterKeys::INCLUINOME).toString();
    f.stEnderecoNota = answer.recebeParams(PrinterKeys::INCLUIENDERECO).toString();
    f.stQrCodeAux1 = answer.recebeParams(PrinterKeys::CUPNR).toString();
    f.stNRCONTCUPOMFISC = answer.recebeParams(PrinterKeys::CONTCUPOM).toString();
}

// The server records the opening; its answer is not used, but a failure is logged.
void FiscalReceipt::recordOpening()
{
    const SaleState &s = m_context.state();
    const Variant answer = m_context.server().counters.setGravaCupomInicial(s.params.stCDFILIAL, s.params.stCDCAIXA,
                                                               s.fiscal.stQrCodeAux1, s.startup.dtMovimentoFiscal);
    if (answer.isFailure())
        qWarning().noquote() << "setGravaCupomInicial failed:" << answer.failureText();
}

// While a receipt is open the operator cannot leave nor switch to another sale mode.
void FiscalReceipt::closeSaleModeButtons()
{
    SaleState &s = m_context.state();
    for (QLatin1StringView name : {FormName::spbIncluiCpf, FormName::lblSair, FormName::spbMenuMesa, FormName::spbComanda}) {
        if (QWidget *control = m_context.widget(name))
            control->setEnabled(false);
    }
    for (QLatin1StringView name : {FormName::spbMenuMesa, FormName::spbComanda}) {
        if (QWidget *control = m_context.widget(name))
            control->setVisible(control->isEnabled());
    }
    s.till.stCancCupomAux3 = s.flags.boCreditoPessoal ? QStringLiteral("CP") : QStringLiteral("VV");
}

// No line was added and nothing is said here; the registration's closing steps still run.
void FiscalReceipt::refusedOpening()
{
    m_context.state().totals.doQuantidade = 1.0;
    m_context.screen().LimpaVariaveis();
    m_context.order().AtualizaExtrato();
    m_context.screen().ControleAcessoBotoes();
}

// ---- the item sale ---------------------------------------------------------------------------

QString FiscalReceipt::itemCode(const PreenchePedidoArgs &item)
{
    SaleState &s = m_context.state();
    ClientDataSet &buttons = m_context.data().cdsConfigProd;
    s.road.stCDBARPRODUTO.clear();
    if (buttons.Active() && buttons.Locate(QStringLiteral("CDARVPROD"), item.CDARVPROD))
        s.road.stCDBARPRODUTO = buttons.FieldByName(QStringLiteral("CDBARPRODUTO")).AsString();
    return s.road.stCDBARPRODUTO.trimmed().isEmpty() ? item.CDARVPROD : s.road.stCDBARPRODUTO;
}

QString FiscalReceipt::itemDescription(const QString &classification, const QString &secondCode,
                                       const QString &name)
{
    QString second = blankAsEmpty(secondCode);
    second.remove(QLatin1Char('.'));
    return QLatin1Char('#') + second + QLatin1Char('#') + blankAsEmpty(classification) + QLatin1Char('#') + name;
}

QString FiscalReceipt::description(const PreenchePedidoArgs &item)
{
    Variant &codes = m_context.state().results.vaRetornoItem;
    codes = Variant::array(2);
    const FiscalCodeAnswer answer = m_context.services().getProdCodCestNcm(FiscalCodeRequest{item.CDPRODUTO});
    codes.setAt(0, answer.classification);
    codes.setAt(1, answer.secondCode);
    return itemDescription(codes.at(0).toString(), codes.at(1).toString(), item.NMPRODUTO);
}

bool FiscalReceipt::sellItem(const PreenchePedidoArgs &item, const QString &price, const QString &discount,
                             const ItemTax &rate)
{
    const SaleState &s = m_context.state();
    const ClientDataSet &printerRates = m_context.data().cdsAliqImpFis;
    ItemSaleRequest record;
    record.idEsquema = s.params.stIDESQUEMA;
    record.nrMesa = s.host.stNRMESA;
    record.itemCode = itemCode(item);
    record.description = description(item);
    record.aliquotCode = rate.CDORDALIQIMPR;
    record.idAliqImpFis = printerRates.Active() && !printerRates.IsEmpty()
                             ? printerRates.FieldByName(QStringLiteral("IDALIQIMPFIS")).AsString()
                             : QString();
    record.sgUnidade = item.SGUNIDADE;
    record.stRecebAux5 = s.fiscal.stRecebAux5;
    record.aliquotValue = rate.VRALIQIMPR;
    record.inQrCodeAux1 = m_printerError;
    record.quantity = number(item.QTPRODCOMVEN);
    record.price = Money::Trunc2(number(price)) + Money::Trunc2(number(item.VRPRECOCLIE));
    record.discount = Money::Trunc2(number(discount)) + Money::Trunc2(s.loyalty.doVrCupomDesc);
    record.addition = Money::Trunc2(number(item.VRACRESCIMO));
    record.value16 = false;
    const ItemSaleAnswer answer = m_context.devices().VendaItem(record);
    if (answer.ok)
        m_printerError = int(answer.recebeParams(PrinterKeys::INTTEFERRO).toInt());
    return answer.ok;
}

// The line is not added and keeps no number; the receipt stays open, and the cashier line
// says so (not "CAIXA LIVRE", which would tell of a free till while the receipt is open).
void FiscalReceipt::refusedItem()
{
    m_context.message(m_context.Msg(QStringLiteral("CancItem")), Ravuvozozod::Error);
    m_context.order().AtualizaExtrato();
    m_context.setCaption(FormName::lblProduto, QString());
    const bool open = m_context.state().flags.boCupomAberto;
    m_context.screen().Mensagem_Caixa(m_context.Msg(QString::fromLatin1(open ? "Cupom_Aberto" : "Venda_Balcao")));
}

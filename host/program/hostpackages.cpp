#include "hostpackages.h"

#include <host/dialogs/access.h>
#include <host/partners/authorities.h>
#include <host/partners/balanceservers.h>
#include <host/dialogs/buyerdialog.h>
#include <host/partners/cancelhooks.h>
#include <host/devices/cardterminal.h>
#include <host/documents/debitreceipt.h>
#include <host/documents/creditvouchers.h>
#include <host/documents/creditpurchase.h>
#include <host/dialogs/consumerdialog.h>
#include <host/dialogs/counterservices.h>
#include <host/devices/devices.h>
#include <host/dialogs/dialogs.h>
#include <host/dialogs/dialogs_sale.h>
#include <host/devices/fiscalprinter.h>
#include "hostlog.h"
#include <host/dialogs/itemdialogs.h>
#include <host/devices/nonfiscal.h>
#include <host/dialogs/ordercancel.h>
#include <host/partners/partnerservices.h>
#include <host/dialogs/payment.h>
#include <host/site/pricefunction.h>
#include <host/documents/receiptcancel.h>
#include <host/partners/promotions.h>
#include <host/site/saleservices.h>
#include <host/site/salesaving.h>
#include "scriptedanswers.h"
#include <host/dialogs/waitwindow.h>

#include <outside/pkg_hrk00001.h>
#include <runtime/clientdataset.h>
#include <outside/pkg_hrk00002.h>
#include <outside/processlauncher.h>
#include <outside/ravuvozozod.h>

#include <QFileInfo>
#include <QProcess>

namespace HostPackages {

namespace {

void reportPrinterError(const QString &text)
{
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          QString(), 0);
}

FiscalPrinter &printer()
{
    FiscalPrinter &p = FiscalPrinter::forSite();
    p.setReporter(reportPrinterError);
    return p;
}

void installServices(Pkg_Hrk00002 &t)
{
    t.ChamaFuncaoRetornaPreco = PriceFunction::ChamaFuncaoRetornaPreco;
    t.ChamaFuncaoGetRetornaPreco = PriceFunction::ChamaFuncaoGetRetornaPreco;
    t.TecladoNumerico = Dialogs::TecladoNumerico;
    t.Pesquisa = Dialogs::Pesquisa;
    t.PesqConsumidor = ConsumerDialog::PesqConsumidor;
    t.CriaCadConsumidor = ConsumerDialog::CriaCadConsumidor;
    t.VerificaAcesso = Access::VerificaAcesso;
    t.ControleAcess = Access::ControleAcess;
    t.LogControleAcess = Access::LogControleAcess;
    t.CalcTicketMedio = SaleServices::CalcTicketMedio;
    t.Vd_VrMinMaxSangria = SaleServices::Vd_VrMinMaxSangria;
    t.getProdCodCestNcm = SaleServices::getProdCodCestNcm;
    t.CalculoIcmsDFederal = SaleServices::CalculoIcmsDFederal;
    // Settlement: payment screen, sale save, cancellation records, fiscal authorities, printing.
    t.Recebimento = Payment::Recebimento;
    t.SetConcluiFechamento = SaleSaving::SetConcluiFechamento;
    t.IncluiVendaCan = SaleSaving::IncluiVendaCan;
    t.AlteraVendaCan = SaleSaving::AlteraVendaCan;
    t.getNumeroSerieNFCe = Authorities::getNumeroSerieNFCe;
    t.getDataEmissNFCe = Authorities::getDataEmissNFCe;
    t.SATOnline = Authorities::SATOnline;
    t.GeraArqXmlSat = Authorities::GeraArqXmlSat;
    t.AtualizaVendaSat = Authorities::AtualizaVendaSat;
    t.DisparaImpressaoNaoFiscal = NonFiscal::DisparaImpressaoNaoFiscal;
    t.ImprimePadrao = NonFiscal::ImprimePadrao;
    t.Imp_Extrato_SAT_Ger = NonFiscal::Imp_Extrato_SAT_Ger;
    t.AbreGaveta = Devices::AbreGaveta;
    t.CriaInfAdicional = BuyerDialog::CriaInfAdicional;
    t.IntegracaoPromo = Promotions::IntegracaoPromo;
    t.AtivaProcesso = WaitWindow::AtivaProcesso;
    t.DesativaProcesso = WaitWindow::DesativaProcesso;
    t.CriaFuncoesFiscais = SaleDialogs::CriaFuncoesFiscais;
    t.CriaMensagemProducao = SaleDialogs::CriaMensagemProducao;
    t.ProdCombinado = ItemDialogs::ProdCombinado;
    t.CriaPromocaoInteligente = ItemDialogs::CriaPromocaoInteligente;
    t.VerificaStatusGaveta = Devices::VerificaStatusGaveta;
    // The credit purchase: the voucher of an electronic-document till.
    t.Imp_Compr_Cred = CreditPurchaseHost::Imp_Compr_Cred;
    t.ImpCompVenCredNFCeSAT = CreditVouchers::ImpCompVenCredNFCeSAT;
    t.IntegracaoFid4All = PartnerServices::IntegracaoFid4All;
    t.IntegracaoFidUds = PartnerServices::IntegracaoFidUds;
    t.Comp_DebitoCons_Bematech_NaoFiscal = DebitReceiptHost::Comp_DebitoCons_Bematech_NaoFiscal;
    t.CancelaPedido = [](const OrderCancelRequest &r, OrderCancelDatasets &d) {
        return OrderCancel::CancelaPedido(r, d, &printer());
    };
    // The receipt cancellation: note, SAT and NFC-e cancellation, vouchers, tickets, log.
    t.Observacao = ReceiptCancelHost::Observacao;
    t.GeraArqXmlSat = ReceiptCancelHost::GeraArqXmlSat;
    t.AlteraVendaCan = ReceiptCancelHost::AlteraVendaCan;
    t.NFCeOnlineCanc = ReceiptCancelHost::NFCeOnlineCanc;
    t.setNFCeCancelado = ReceiptCancelHost::setNFCeCancelado;
    t.SetCupomCancelado = ReceiptCancelHost::SetCupomCancelado;
    t.Imp_Extrato_SAT_Canc = ReceiptCancelHost::Imp_Extrato_SAT_Canc;
    t.LogImpNFiscal = ReceiptCancelHost::LogImpNFiscal;
    t.DisparaImprimeCancProduto = ReceiptCancelHost::DisparaImprimeCancProduto;
    // The partners a cancelled sale is reported to.
    t.FidelidadeOnline = CancelHooks::FidelidadeOnline;
    t.ValePresente = CancelHooks::ValePresente;
    t.CoreBancario = CancelHooks::CoreBancario;
    t.FidelidadeVimo = CancelHooks::FidelidadeVimo;
    t.FixeCRM = CancelHooks::FixeCRM;
    // The counter's smaller dialogs and services.
    t.TrocaOperadorCaixa = CounterServices::TrocaOperadorCaixa;
    t.CriaConsultaProd = CounterServices::CriaConsultaProd;
    t.RelFiscais = CounterServices::RelFiscais;
    t.CriaRegVenda = CounterServices::CriaRegVenda;
    t.CriaDadosClienteArgentina = CounterServices::CriaDadosClienteArgentina;
    t.CriaFidelidade = CounterServices::CriaFidelidade;
    t.CriaConfirmaBio = CounterServices::CriaConfirmaBio;
    // Consumer balances read from the online statement or the central base.
    t.ExtratoConsOnline = BalanceServers::ExtratoConsOnline;
    t.ExtratoConsCentral = BalanceServers::ExtratoConsCentral;
    t.MoviclieCentral = BalanceServers::MoviclieCentral;
    t.AtuSaldoExtCons = BalanceServers::AtuSaldoExtCons;
    t.AtuSaldoDebCons = BalanceServers::AtuSaldoDebCons;
    t.UpdMoviclieCentral = BalanceServers::UpdMoviclieCentral;
    t.CargaCreditoBonus = BalanceServers::CargaCreditoBonus;
}

void installDevices(Pkg_Hrk00001 &t)
{
    t.DataMoviFiscal = [](const SchemeRequest &r) { return printer().DataMoviFiscal(r); };
    t.AbreCupom = [](const CouponOpenRequest &r) { return printer().AbreCupom(r); };
    t.VendaItem = [](const ItemSaleRequest &r) { return printer().VendaItem(r); };
    t.FechaCupom = [](const FiscalCloseRequest &r) { return printer().FechaCupom(r); };
    t.ImpressaoVenda = [](const SalePrintRequest &r, SalePrintDatasets &d) {
        return printer().ImpressaoVenda(r, d.cdsVenda.Data(), d.cdsMovCaixa.Data());
    };
    t.Imp_CompVenCred = CreditVouchers::Imp_CompVenCred;
    t.Cancela_Cupom_Imp = [](const CouponCancelRequest &r) { return printer().Cancela_Cupom_Imp(r); };
    t.EmitirVenda = Authorities::EmitirVenda;
    t.VerificaSerialImp = [](const SerialCheckRequest &r) { return printer().VerificaSerialImp(r); };
    t.VerificaData = [](const DateCheckRequest &r) { return printer().VerificaData(r); };
    t.Nr_Cupom = [](const ReceiptNumberRequest &r) { return printer().Nr_Cupom(r); };
    t.Atu_TotGeral = [](const GrandTotalRequest &r) { return printer().Atu_TotGeral(r); };
    t.Abre_Gaveta_Imp = [](const FiscalDrawerRequest &r) { return printer().Abre_Gaveta_Imp(r); };
    t.Compr_CredPessoal = [](const CreditPurchaseFiscalRequest &r, ClientDataSet &payments) {
        return printer().Compr_CredPessoal(r, payments.Data());
    };
    t.Comp_DebitoCons = DebitReceiptHost::Comp_DebitoCons;
    t.Estado_Gaveta_Imp = Devices::Estado_Gaveta_Imp;
    t.BuscaPeso = Devices::BuscaPeso;
    t.LimpaDisplay = Devices::LimpaDisplay;
    t.DisplayEnviaTexto = Devices::DisplayEnviaTexto;
    t.DigitaCpfPinpad = BuyerDialog::DigitaCpfPinpad;
    // Card payments, their confirmation or undoing, receipts and reversals: the card program.
    t.FinalizaTransTef = CardTerminal::FinalizaTransTef;
    t.ImprimeCupomTef = CardTerminal::ImprimeCupomTef;
    t.CriaDedicado = CardTerminal::CriaDedicado;
    t.CancelarVenda = ReceiptCancelHost::CancelarVenda;
    t.ImprCupons = CounterServices::ImprCupons;
}

// The back office's stock program is not on a till of this system: the host stands in for it,
// noting each stock request in its log instead of failing to start a missing program.
bool startProgram(const QString &program, const QStringList &arguments)
{
    if (QFileInfo(program).fileName().compare(QLatin1String("QubTab.exe"), Qt::CaseInsensitive) == 0) {
        HostLog::write(QStringLiteral("programa de estoque: ") + arguments.join(QLatin1Char(' ')));
        return true;
    }
    return QProcess::startDetached(program, arguments);
}

} // namespace

void install()
{
    ProcessLauncher::setLauncher(startProgram);
    // The failover watches the queues of the site's printers the host prints into.
    Spooler::setCurrent(NonFiscal::siteSpooler());
    installServices(hostServices());
    installDevices(hostDevices());
}

void installUnattendedMessages()
{
    Ravuvozozod::services().showMessage = [](const Ravuvozozod::MessageRequest &request) {
        const bool question = request.question || Ravuvozozod::isQuestion(request.kind, request.defaultAnswer);
        bool answer = false;
        QString how = QStringLiteral("ok");
        if (question) {
            const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::YesNo);
            answer = scripted ? (!scripted->cancel && scripted->value.toUpper().startsWith(QLatin1Char('S')))
                              : request.defaultAnswer.toUpper() == QLatin1String("S");
            how = (answer ? QStringLiteral("sim") : QStringLiteral("não"))
                + (scripted ? QStringLiteral(" (roteiro)") : QStringLiteral(" (padrão)"));
        }
        HostLog::write(QStringLiteral("mensagem [%1]: %2%3 -> %4")
                           .arg(request.kind)
                           .arg(request.text, request.detail.isEmpty() ? QString() : QStringLiteral(" / ") + request.detail, how));
        return answer;
    };
}

} // namespace HostPackages

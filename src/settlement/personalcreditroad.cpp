// Settling a sale on the badge consumer's personal credit: the opening, the balance
// validation, the choice between paying whole and completing with other means, and the whole
// payment with its close, number and voucher. The complement is in
// personalcreditroad_complement.cpp; the save in personalcreditroad_save.cpp.
#include "personalcreditroad_p.h"

#include "settlebutton_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QAbstractButton>
#include <QDebug>
#include <QRegularExpression>
#include <QStringList>

#include <stdexcept>

namespace {

bool automaticCoupon(const ClientDataSet &services)
{
    const Field field = services.FindField(QStringLiteral("IDIMPCUPOMAUT"));
    return services.Active() && !services.IsEmpty() && field.IsValid() && isYes(field.AsString());
}

QString text(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsString();
}

double number(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsFloat();
}

// The end-of-sale observation goes with every sale row.
void askEndOfSaleObservation(SaleContext &context)
{
    if (!isYes(context.state().params.stIDSOLOBSFINVEN))
        return;
    context.screen().GetObsFinVen();
    const QString observation = context.state().settlement.stDSOBSFINVEN;
    ClientDataSet &rows = context.data().cdsVenda;
    if (observation.isEmpty() || !rows.Active() || rows.IsEmpty() || !rows.HasField(QStringLiteral("DSOBSFINVEN")))
        return;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("DSOBSFINVEN")).SetAsString(observation);
        rows.Post();
    }
}

// What the consumer's credit still allows after this sale, as the voucher and the coupon say it.
QString remainingLimitText(const SaleState &s)
{
    const QString maximum = s.flags.boVendaDebito ? s.consumer.stVRMAXDEBCONS : s.consumer.stRecebAux8;
    if (maximum.trimmed().isEmpty())
        return {};
    bool ok = false;
    const double value = PtBr::StrToFloat(maximum.trimmed(), &ok);
    return ok ? PtBr::FloatToStr(Money::RoundDec(value - s.figures.doRecebAux2, 2)) : QString();
}

} // namespace

void SettleButton::personalCreditRoad()
{
    PersonalCreditRoad(m_context, m_end, m_run).run();
}

void PersonalCreditRoad::run()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    m_numberBefore = s.settlement.stRecebAux9;
    if (!automaticCoupon(d.cdsProdServ) && !automaticCoupon(d.cdsProdServTCon)
        && !Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Desej_Cred")), QString(), QStringLiteral("N"),
                                  QStringLiteral("S"), Ravuvozozod::Warning, QString(), s.params.stIDESQUEMA, 0)) {
        s.flags.boRecebendo = false;
        m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), QString()};
        return;
    }
    disableButtons();
    if (!balancesValidated())
        return;
    m_context.consumer().DescontoVendaFidelidade();
    if (!isYes(s.params.stIDPERCOMVENCPDC) || !isYes(s.consumer.stRecebAux6)) {
        fullCredit();
        return;
    }
    switch (checkItems()) {
    case ItemCheck::Passed:
        fullCredit();
        return;
    case ItemCheck::Complement:
        complement();
        return;
    case ItemCheck::Declined:
        stop(QString());
        return;
    }
}

void PersonalCreditRoad::disableButtons()
{
    const SaleState &s = m_context.state();
    auto enable = [this](QLatin1StringView name, bool on) {
        if (QWidget *widget = m_context.widget(name))
            widget->setEnabled(on);
    };
    for (QLatin1StringView name : {FormName::spbReceb, FormName::spbCancProd, FormName::spbObs, FormName::spbCancelaCupom,
                                   FormName::spbProdCombinado, FormName::spbFuncoes, FormName::spbPesquisa,
                                   FormName::spbConsultaPreco, FormName::spbMenuMesa, FormName::spbComanda,
                                   FormName::spbCompraCred, FormName::spbCartao})
        enable(name, false);
    const bool quantities = !s.screen.boConsultaPreco && !s.params.boBOERROIMPRESSORA;
    enable(FormName::spbQtde, quantities);
    enable(FormName::spbQtde2, quantities);
    m_context.setVisible(FormName::spbMenuMesa, false);
    m_context.setVisible(FormName::spbComanda, false);
}

// What the balance validation answers as its verdict, which the outer block's recovery words
// for the cashier: the coded balance errors and the keys of a silent server or central base.
namespace {

bool isBalanceVerdict(const QString &failure)
{
    static const QStringList keys{QStringLiteral("FALHA_CONEXAO_SRV"), QStringLiteral("EXTCONSCENTRAL_ERRO"),
                                  QStringLiteral("MOVICLIECENTRAL_ERRO"), QStringLiteral("ERRO_SALDO")};
    static const QRegularExpression coded(QStringLiteral("^ERRO_[1-5]"));
    return keys.contains(failure) || coded.match(failure).hasMatch();
}

} // namespace

// The server's word on the balances and the loans between families that cover the sale. A
// verdict (a coded balance error, a silent server) leaves by the outer block's recovery; any
// other failure is the base's and stops here with the sale on the screen.
bool PersonalCreditRoad::balancesValidated()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    const QString client = s.host.stCdClienteVenda;
    const QString consumer = s.consumer.stCDCONSUMIDOR;
    s.consumer.stSaldGastAux1 = QStringList{p.stCDFILIAL, p.stCDCAIXA, client, consumer, p.stIDPERCOMVENCPDC,
                                            QStringLiteral("cdsFamiliaSaldo.data"), PtBr::DateToStr(p.dtDTABERCAIX.date())}
                                    .join(QLatin1Char('-'));
    const Variant answer = m_context.server().consumers.setValidaSaldoCons(
        p.stCDFILIAL, p.stCDCAIXA, client, consumer, p.stIDPERCOMVENCPDC, p.stIDEXTCONSONLINE, p.stCDURLWSEXTCONS,
        p.stIDEXTCONSCENTRAL, Variant(d.cdsFamiliaSaldo.Data()), p.dtDTABERCAIX);
    if (answer.isFailure()) {
        const QString failure = answer.failureText();
        if (!isBalanceVerdict(failure)) {
            // The base itself failed: one clear message, its own text in the detail and the log.
            qWarning().noquote() << "setValidaSaldoCons failed:" << failure;
            const QString text = m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
            Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                                  p.stIDESQUEMA, 0);
            stop(QString());
            m_end.reason = text;
            return false;
        }
        throw std::runtime_error(failure.toStdString());
    }
    d.cdsEmprestimoFam.Close();
    if (answer.isPacket() && !d.cdsEmprestimoFam.SetData(answer.packet())) {
        stop(QStringLiteral("A validação de saldo do consumidor respondeu dados ilegíveis. Nada foi lançado."));
        return false;
    }
    return true;
}

// Row by row with the growing total; the first row that breaks a limit (the check shows why)
// offers to complete the sale with other means.
PersonalCreditRoad::ItemCheck PersonalCreditRoad::checkItems()
{
    SaleState &s = m_context.state();
    ClientDataSet &rows = m_context.data().cdsVenda;
    s.figures.doTotalVendaAux = 0;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const double quantity = number(rows, "QTPRODCOMVEN");
        s.figures.doTotalVendaAux = Money::RoundDec(
            s.figures.doTotalVendaAux
                + Money::Trunc2(quantity * (number(rows, "VRPRECCOMVEN") + number(rows, "VRUNITVENDCL")))
                - number(rows, "VRDESCCOMVEN") + number(rows, "ACRESITEM"),
            2);
        if (m_context.consumer().Valida_Parametros_Credito_Pessoal(
                text(rows, "CDFAMILISALD"), text(rows, "QTPRODCOMVEN"), text(rows, "VRPRECCOMVEN"),
                text(rows, "VRUNITVENDCL"), text(rows, "VRDESCCOMVEN"), text(rows, "ACRESITEM"), QStringLiteral("S"),
                QString()))
            continue;
        return Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Comp_Venda")), QString(), QStringLiteral("N"),
                                     QStringLiteral("S"), Ravuvozozod::Information, QString(), s.params.stIDESQUEMA, 0)
                   ? ItemCheck::Complement
                   : ItemCheck::Declined;
    }
    return ItemCheck::Passed;
}

// The whole sale on personal credit: the row, the close or print, the number, the voucher and
// the save.
void PersonalCreditRoad::fullCredit()
{
    SaleState &s = m_context.state();
    askEndOfSaleObservation(m_context);
    if (!m_context.settlement().InsereMovCaixa(true)) {
        stop(QString());
        return;
    }
    if (!documentClosed())
        return;
    if (s.settlement.stSenhaPedido.isEmpty())
        s.settlement.stSenhaPedido = m_context.settlement().GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
    const QString failure = takeOwnRoadNumber(m_context, m_run.documentInHand);
    if (!failure.isEmpty()) {
        m_context.data().cdsMovCaixa.EmptyDataSet();
        stop(failure);
        return;
    }
    OwnRoadSave::Options options;
    options.road = Settlement::ClosingRoad::PersonalCreditFull;
    options.showsPoints = true;
    // The voucher tells the consumer the credit was used: only a stored sale used it (another
    // till may have spent the balance first, and the base then refuses this one).
    options.onStored = [this] { printVoucher(); };
    OwnRoadSave(m_context, m_end, options).run(m_run.documentInHand, m_run.paymentText11, m_numberBefore);
}

// With a fiscal printer the document is closed (or printed) now; a refusal leaves the sale on
// the screen. Without one the document is done.
bool PersonalCreditRoad::documentClosed()
{
    SaleState &s = m_context.state();
    if (!s.params.boUTILIZAIMPFIS)
        return true;
    if (s.settlement.stSenhaPedido.isEmpty())
        s.settlement.stSenhaPedido = m_context.settlement().GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
    OwnRoadClose close;
    close.road = QStringLiteral("1");
    close.discount = isYes(s.params.stIDUTILFID4ALL) ? s.loyalty.doCashbackAux2 : s.loyalty.doFidelidadeAux1;
    close.saleTotal = m_run.saleTotal;
    close.limitText = remainingLimitText(s);
    close.withBalances = true;
    close.grandTotalFillers = {Variant(false), Variant(QString()), Variant(QString()), Variant(QString()),
                               Variant(QString()), Variant(0), Variant(0)};
    const FiscalCloseOutcome closed = closeOnFiscalPrinter(m_context, close);
    if (!closed.done) {
        m_context.data().cdsMovCaixa.EmptyDataSet();
        stop(QString());
        m_end.reason = closed.failure;
        return false;
    }
    if (!closed.documentNumber.isEmpty())
        m_run.documentInHand = closed.documentNumber;
    m_run.paymentText11 = closed.closeAnswer;
    s.till.stCancCupomAux3 = QStringLiteral("CP");
    return true;
}

// The personal-credit voucher, when the consumer is registered and the till prints it.
void PersonalCreditRoad::printVoucher()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    const ClientDataSet &payment = d.cdsMovCaixa;
    const QString client = text(payment, "CDCLIENTE");
    const QString consumer = text(payment, "CDCONSUMIDOR");
    const Variant registration = m_context.checkedValue(
        m_context.server().consumers.getCadConsumidor(p.stCDFILIAL, client, consumer, p.stIDEXCONSATFIL, p.stIDEXCONSATGER),
        QStringLiteral("getCadConsumidor"), QStringList{p.stCDFILIAL, client, consumer}.join(QLatin1Char('-')));
    d.cdsCadConsumidor.Close();
    if (!registration.isPacket() || !d.cdsCadConsumidor.SetData(registration.packet()) || d.cdsCadConsumidor.IsEmpty())
        return;
    if (!isYes(p.stIDIMPCOMPVCP))
        return;
    if (d.cdsCliente.Active())
        d.cdsCliente.Locate(QStringLiteral("CDCLIENTE"), client);
    CreditVoucherRequest voucher;
    voucher.idEsquema = p.stIDESQUEMA;
    voucher.cdsVenda = d.cdsVenda.Data();
    voucher.cdsConsultaSaldo = d.cdsConsultaSaldo.Data();
    voucher.vrMoviVend = number(payment, "VRMOVIVEND");
    voucher.dsImpFiscal = text(payment, "DSIMPFISCAL").left(16);
    voucher.cdConsumidor = consumer;
    voucher.nmConsumidor = text(d.cdsCadConsumidor, "NMCONSUMIDOR");
    voucher.cdCliente = client;
    voucher.nmFantClie = d.cdsCliente.Active() ? text(d.cdsCliente, "NMFANTCLIE") : QString();
    voucher.stSenhaPedido = s.settlement.stSenhaPedido;
    voucher.doSaldoCons = s.figures.doSaldoCons;
    voucher.saleTotal = m_run.saleTotal;
    voucher.idImpSaldoCupom = p.stIDIMPSALDOCUPOM;
    HostResult printed;
    if (p.boUTILIZAIMPFIS) {
        printed = m_context.devices().Imp_CompVenCred(voucher);
    } else {
        voucher.cdsFamiliaSaldo = d.cdsFamiliaSaldo.Data();
        voucher.idTipoImpNf3 = p.stIDTIPOIMPNF3;
        voucher.cdPortImpNf3 = p.stCDPORTIMPNF3;
        printed = m_context.services().ImpCompVenCredNFCeSAT(voucher);
    }
    if (!printed.ok)
        m_context.message(QStringLiteral("O comprovante de crédito pessoal não foi impresso: ") + printed.failure,
                          Ravuvozozod::Warning);
}

// A stop with the sale on the screen: the buttons come back and the settle button is free.
void PersonalCreditRoad::stop(const QString &reason)
{
    SaleState &s = m_context.state();
    if (!reason.isEmpty())
        m_context.message(reason, Ravuvozozod::Error);
    m_context.screen().ControleAcessoBotoes();
    s.flags.boRecebendo = false;
    m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), reason};
}

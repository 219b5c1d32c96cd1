// The QR-code sale's save, its NFC-e or SAT document, and every way it ends: sold, NFC-e in
// contingency, refused before anything was written, or undone after the attempt began.
#include "qrcodesale_p.h"

#include "closingrecord_p.h"
#include "settlement.h"
#include "settlementend_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <outside/untcodbarra.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>

namespace {

const QString contingency = QStringLiteral("CONTIGENCIA_SP");

// `length` digits starting `skip` characters after the first `marker`; empty when missing.
QString cut(const QString &xml, const QString &marker, int skip, int length)
{
    const int at = xml.indexOf(marker);
    if (at < 0)
        return {};
    const QString value = xml.mid(at + skip, length);
    if (value.size() != length)
        return {};
    for (const QChar c : value) {
        if (!c.isDigit())
            return {};
    }
    return value;
}

} // namespace

void QrCodeSale::saveAndFinish()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    if (!p.boUTILIZAIMPFIS && isNo(p.stIDUTLINTFACELE) && !isYes(s.settlement.stConfRecebimento)) {
        estimateTaxes();
        s.totals.doVrImpostoAprox =
            PtBr::StrToFloat(s.settlement.stRecebAux21) + PtBr::StrToFloat(s.settlement.stRecebAux22);
        if (p.boSISTEMAQUBNFCE && !numberNfce())
            return;
    }
    // The document the sale is known by: the coupon on the printer, the NFC-e number on the
    // NFC-e desk (stored as the typed-code sale stores it, so the receipt cancellation finds it).
    const QString document = p.boUTILIZAIMPFIS ? s.fiscal.stQrCodeAux1
                             : p.boSISTEMAQUBNFCE ? s.settlement.stRecebAux9
                                                  : QString();
    ClosingHeader header = ClosingRecord(m_context).closingHeader(document, QString());
    header.value6 = m_sale.tab;
    header.nrVendaRest = m_sale.saleNumber;
    header.paymentText11.clear();
    header.stEnderecoNota.clear();
    header.value33 = 3;
    header.stRecebAux13.clear();
    header.stRecebAux14.clear();
    header.valueCount = p.boUTILIZAIMPFIS ? 46 : 47;
    if (p.boUTILIZAIMPFIS)
        header.stConfRecebimento.clear();
    m_context.screen().relacionaEmailVenda();
    m_saveTried = true;
    const Settlement::SaveResult saved = m_context.settlement().SetConcluiFechamento(Settlement::ClosingRoad::QrCode, header);
    if (!saved.saved) {
        fail(QStringLiteral("A venda do Qr Code não foi gravada. ") + saved.failure);
        return;
    }
    m_saleKey = saved.saleKey;
    if (!p.boUTILIZAIMPFIS && p.boSISTEMAQUBNFCE) {
        s.settlement.stRecebAux17 = saved.answer.nfceText1;
        s.settlement.stRecebAux18 = saved.answer.nfceText2;
        s.settlement.stRecebAux23 = saved.answer.nfceStatus;
        if (saved.answer.nfceStatus == contingency) {
            nfceContingency();
            return;
        }
    }
    if (!p.boUTILIZAIMPFIS && p.boSISTEMAQUBSAT && !isYes(s.settlement.stConfRecebimento) && !transmitSat())
        return;
    finishSold();
}

// A number the server could not give stops the sale before the save.
bool QrCodeSale::numberNfce()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    const TextAnswer series = m_context.services().getNumeroSerieNFCe(NfceSeriesRequest{p.stCDFILIAL, p.stCDCAIXA});
    t.stRecebAux24 = series.ok ? series.text : QString();
    const Variant number =
        m_context.server().counters.setNumeroNFCe(p.stCDFILIAL, p.stCDCAIXA, t.stRecebAux24, p.stIDAMBTRABNFCE, true);
    if (number.isFailure() || number.toString().isEmpty()) {
        fail(QStringLiteral("Não foi possível numerar a NFC-e. ") + number.failureText());
        return false;
    }
    t.stRecebAux9 = number.toString();
    const TextAnswer emission = m_context.services().getDataEmissNFCe();
    t.stRecebAux19 = emission.ok ? emission.text : QString();
    return true;
}

bool QrCodeSale::transmitSat()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    const QString cancelled = m_context.Msg(QStringLiteral("VENDA_SAT_CAN"));
    const TextAnswer xml = m_context.services().GeraArqXmlSat(SatXmlRequest{QStringLiteral("VENDA"), m_saleKey, QString()});
    if (!xml.ok || xml.text.isEmpty()) {
        fail(xml.failure + QLatin1Char('\n') + cancelled);
        return false;
    }
    const SatAnswer sat = m_context.devices().EmitirVenda(SatEmitRequest{s.startup.stCDATIVACAOSAT, xml.text, s.startup.stRecebAux2});
    const NameValueList &answer = sat.answer;
    const QString code = answer.value(QStringLiteral("EEEEE"));
    if (code.isEmpty()) {
        const QString error = answer.value(QStringLiteral("ERRO"));
        fail((error.isEmpty() ? m_context.Msg(QStringLiteral("Falha_Conex_SAT")) : error) + QLatin1Char('\n') + cancelled);
        return false;
    }
    if (code != QLatin1String("06000")) {
        const QString text = answer.value(QStringLiteral("mensagem"));
        fail((text.isEmpty() ? m_context.Msg(QStringLiteral("ERRO_COM_SAT")) : text) + QLatin1Char('\n') + cancelled);
        return false;
    }
    const QString document = answer.value(QStringLiteral("arqxmlnfce"));
    QStringList qr;
    for (const char *name : {"chaveConsulta", "timeStamp", "valorTotalCFe", "CPFCNPJValue", "assinaturaQRCODE"})
        qr << answer.value(QString::fromLatin1(name));
    t.stRecebAux18 = qr.join(QLatin1Char('|'));
    t.stRecebAux17 = answer.value(QStringLiteral("chaveConsulta"));
    t.stRecebAux3 = cut(document, QStringLiteral("nCFe"), 5, 6);
    Untcodbarra::CriaCodBarra(t.stRecebAux17, s.startup.stRecebAux2);
    t.stRecebAux16 = cut(document, QStringLiteral("nserieSAT"), 10, 9);
    Variant ignored;
    m_context.checkAnswer(m_context.services().AtualizaVendaSat(
                              SatUpdateRequest{p.stCDFILIAL, p.stCDCAIXA, m_saleKey, t.stRecebAux3, t.stRecebAux18, answer}),
                          QStringLiteral("AtualizaVendaSat"),
                          QStringList{p.stCDFILIAL, p.stCDCAIXA, m_saleKey, t.stRecebAux3}.join(QLatin1Char('-')), ignored);
    m_context.devices().FinalizaTransTef(TefFinishRequest{true});
    return true;
}

// With a fiscal printer the coupon is the sale's document and no order is sent; the other
// desks send the order with its production tickets, as after an ordinary sale.
void QrCodeSale::finishSold()
{
    SaleState &s = m_context.state();
    m_stopped = true;
    closePanelAndWindow();
    std::optional<SoldSale> sold;
    if (!s.params.boUTILIZAIMPFIS)
        sold = SoldSale{m_saleKey, QStringLiteral("A"), s.settlement.stRecebAux9};
    m_end = RoadEnd{RoadEnd::Kind::Sold, SoldSale{m_saleKey, QStringLiteral("A"), s.settlement.stRecebAux9}, false,
                    QString(), QString()};
    SettlementEnd(m_context, m_end).resetAfterSettlement(sold);
}

// The stored sale is not authorised: a wallet payment is refunded, the sale recorded as
// cancelled and the till made free; no order is sent.
void QrCodeSale::nfceContingency()
{
    m_stopped = true;
    releaseClaim();
    const ClientDataSet &sale = m_context.data().cdsVenda;
    auto text = [&sale](const char *name) {
        const Field field = sale.FindField(QString::fromLatin1(name));
        return field.IsValid() ? field.AsString() : QString();
    };
    const Field opened = sale.FindField(QStringLiteral("DTABERTUR"));
    m_context.consumer().EstornoAME(text("CDFILIAL"), text("CDCAIXA"), m_saleKey,
                                    opened.IsValid() ? opened.AsDateTime() : m_context.state().params.dtDTABERCAIX);
    closePanelAndWindow();
    m_context.state().settlement.stSenhaPedido.clear();
    SettlementEnd(m_context, m_end).nfceContingency(m_saleKey);
}

void QrCodeSale::refuse(const QString &message)
{
    if (m_stopped)
        return;
    m_stopped = true;
    if (!message.isEmpty())
        m_context.message(message, Ravuvozozod::Error);
    releaseClaim();
    dropAttemptRows();
    m_context.services().DesativaProcesso();
    QrCodeReading(m_context).readyForNextScan();
    m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), message};
}

void QrCodeSale::refuseUnanswered(const QString &call, const QString &failure)
{
    if (m_stopped)
        return;
    qWarning().noquote() << call << "failed for the QR code:" << failure;
    const QString text = m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
    Ravuvozozod::Mensagem(text, failure, QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          m_context.state().params.stIDESQUEMA, 0);
    refuse(QString());
    m_end.reason = text;
}

void QrCodeSale::fail(const QString &message, bool keepPanel)
{
    if (m_stopped)
        return;
    m_stopped = true;
    SaleState &s = m_context.state();
    if (!message.isEmpty())
        m_context.message(message, Ravuvozozod::Error);
    SettlementEnd end(m_context, m_end);
    releaseClaim();
    cancelOpenCoupon();
    if (m_couponIssued || m_saveTried)
        end.undoCardPayment();
    if (!m_saleKey.isEmpty()) {
        end.markStoredSaleCancelled(m_saleKey);
    } else if (m_couponIssued || m_saveTried) {
        const QString document = s.settlement.stRecebAux9.isEmpty() ? s.fiscal.stQrCodeAux1 : s.settlement.stRecebAux9;
        end.recordCancelledSale(document);
    }
    s.settlement.stSenhaPedido.clear();
    if (keepPanel && !m_couponIssued && !m_saveTried) {
        dropAttemptRows();
        m_context.services().DesativaProcesso();
        QrCodeReading(m_context).readyForNextScan();
    } else {
        closePanelAndWindow();
        end.resetAfterSettlement();
        if (keepPanel)
            QrCodeReading(m_context).open();
    }
    m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), message};
}

void QrCodeSale::cancelOpenCoupon()
{
    if (!m_couponIssued)
        return;
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    CouponCancelRequest request;
    request.idEsquema = p.stIDESQUEMA;
    request.cdFilial = p.stCDFILIAL;
    request.cdCaixa = p.stCDCAIXA;
    request.nrSerieImp = p.stNRSERIEIMP;
    const CouponCancelAnswer cancelled = m_context.devices().Cancela_Cupom_Imp(request);
    if (!cancelled.ok)
        qWarning().noquote() << "Cancela_Cupom_Imp after a QR-code sale stopped:" << cancelled.failure;
    else
        SettlementEnd(m_context, m_end).logCouponCancelled(s.fiscal.stQrCodeAux1);
    s.flags.boCupomAberto = false;
}

// The rows and fields this attempt added leave the sale; what the till held before stays.
void QrCodeSale::dropAttemptRows()
{
    SaleState &s = m_context.state();
    s.sale() = m_saleBefore;
    s.host.stCdClienteVenda = m_clientBefore;
    // The buyer the code named is no longer shown as the sale's.
    if (s.host.stModoVenda == SaleMode::Counter)
        m_context.screen().RestauraRodape(QStringLiteral("1"), QString());
    SaleDatasets &d = m_context.data();
    ClientDataSet &items = d.cdsItems;
    for (const QString &line : std::as_const(m_addedLines)) {
        if (items.Active() && items.Locate(QStringLiteral("NRSEQ"), line))
            items.Delete();
    }
    m_addedLines.clear();
    for (ClientDataSet *rows : {&d.cdsVenda, &d.cdsMovCaixa}) {
        if (rows->Active())
            rows->EmptyDataSet();
    }
    m_movCaixaImp.Close();
}

void QrCodeSale::closePanelAndWindow()
{
    QrCodeReading(m_context).close();
    m_context.services().DesativaProcesso();
}

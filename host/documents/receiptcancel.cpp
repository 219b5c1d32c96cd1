#include "receiptcancel.h"

#include <host/partners/authorities.h>
#include <host/dialogs/dialogs_sale.h>
#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/devices/nonfiscal.h>
#include <host/site/salesaving.h>
#include <host/program/scriptedanswers.h>

#include <outside/consiste.h>
#include <outside/qub_proximocodigo.h>
#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <server/srv_salecancel.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QLineEdit>
#include <QMap>
#include <QSaveFile>

#include <optional>

namespace ReceiptCancelHost {

namespace {

// The serial the simulated SAT signs its cancellations with (its sales carry the same).
const QString satSerial = QStringLiteral("900000001");

QString textOf(const DataPacket &packet, int row, const char *field)
{
    const int column = packet.fieldIndex(QString::fromLatin1(field));
    return column < 0 || row >= packet.rows.size() ? QString() : packet.rows.at(row).value(column).toString();
}

QString rule(QChar c = QLatin1Char('-'))
{
    return QString(40, c);
}

double numberOf(const DataPacket &packet, int row, const char *field)
{
    return packet.value(row, QString::fromLatin1(field)).toDouble();
}

// Left text and right text on one line of the voucher.
QString columns(const QString &left, const QString &right)
{
    return NonFiscal::twoColumns(left, right, 40);
}

// An amount the SAT answers with a decimal point, as the till shows money.
QString money(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? PtBr::FloatToStrFixed(value, 2) : text;
}

QString tillPrinter()
{
    DataPacket parameters;
    if (CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters) && !parameters.rows.isEmpty())
        return textOf(parameters, 0, "CDPORTIMPNF1");
    return QString();
}

ObservationAnswer askCancellationNote()
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmObservacaoCancelamento"));
    dialog.setWindowTitle(QStringLiteral("Motivo do cancelamento"));
    auto *layout = new QFormLayout(&dialog);
    auto *text = new QLineEdit(&dialog);
    text->setObjectName(QStringLiteral("edtObservacao"));
    text->setMaxLength(100);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(QStringLiteral("Motivo"), text);
    layout->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    ObservationAnswer answer;
    if (dialog.exec() == QDialog::Accepted && !text->text().trimmed().isEmpty())
        answer.text = text->text().trimmed();
    return answer;
}

// The stored sale of a CF-e access key (with or without its "CFe" prefix).
struct SatSale
{
    bool found = false;
    QString failure;
    QString cdFilial, cdCaixa, nrSeqVenda, total;
};

SatSale satSaleOf(const QString &accessKey)
{
    QString key = accessKey;
    if (key.startsWith(QLatin1String("CFe")))
        key = key.mid(3);
    SatSale sale;
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostSatVendaCanc"),
        QStringLiteral("SELECT CDFILIAL, CDCAIXA, NRSEQVENDA FROM VENDA WHERE NRACESSONFCE = :P_CHAVE AND IDSITUVENDA = 'O'"),
        {{QStringLiteral("P_CHAVE"), key}});
    if (!rows.ok()) {
        sale.failure = rows.error;
        return sale;
    }
    if (rows.rows.isEmpty())
        return sale;
    sale.found = true;
    sale.cdFilial = rows.rows.first().value(0).toString();
    sale.cdCaixa = rows.rows.first().value(1).toString();
    sale.nrSeqVenda = rows.rows.first().value(2).toString();
    const HostDatabase::Rows total = HostDatabase::query(
        QStringLiteral("hostSatVendaCancTotal"),
        QStringLiteral("SELECT SUM(QTPRODVEND * VRUNITVEND) FROM ITEMVENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                       "AND NRSEQVENDA = :P_NRSEQVENDA"),
        {{QStringLiteral("P_CDFILIAL"), sale.cdFilial},
         {QStringLiteral("P_CDCAIXA"), sale.cdCaixa},
         {QStringLiteral("P_NRSEQVENDA"), sale.nrSeqVenda}});
    sale.total = total.ok() && !total.rows.isEmpty() ? QString::number(total.rows.first().value(0).toDouble(), 'f', 2)
                                                     : QStringLiteral("0.00");
    return sale;
}

SatAnswer satRefusal(const QString &code, const QString &message)
{
    SatAnswer answer;
    answer.failure = message;
    if (!code.isEmpty())
        answer.answer.setValue(QStringLiteral("CCCC"), code);
    answer.answer.setValue(QStringLiteral("mensagem"), message);
    HostLog::write(QStringLiteral("SAT: ") + message);
    return answer;
}

bool keepDocument(const QString &folder, const QString &name, const QString &text)
{
    QDir().mkpath(folder);
    QSaveFile file(QDir(folder).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

// The open sale a coupon number names on the till, with what the server's cancellation needs.
struct OpenCoupon
{
    QString nrSeqVenda;
    QString nrVendaExt;
    QString nrCupomFis;
    QDateTime dtAbertur;
    bool consumerBalance = false; // paid by personal credit or consumer debit
};

std::optional<OpenCoupon> openCouponOf(const CancelledStatusChange &change, QString &failure)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostCupomCancelar"),
        QStringLiteral("SELECT V.NRSEQVENDA, V.NRVENDAEXT, V.DTABERTUR, V.NRCUPOMFIS, (SELECT COUNT(*) FROM MOVCAIXA M JOIN TIPORECE T "
                       "ON T.CDTIPORECE = M.CDTIPORECE WHERE M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA "
                       "AND M.NRSEQVENDA = V.NRSEQVENDA AND T.IDTIPORECE IN ('9', 'A')) FROM VENDA V "
                       "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.IDSITUVENDA = 'O' "
                       "AND (V.NRCUPOMFIS = :P_CHAVE OR V.NRSEQVENDA = :P_CHAVE) ORDER BY V.NRSEQVENDA DESC"),
        {{QStringLiteral("P_CDFILIAL"), change.cdFilial},
         {QStringLiteral("P_CDCAIXA"), change.cdCaixa},
         {QStringLiteral("P_CHAVE"), change.saleKey.trimmed()}});
    if (!rows.ok()) {
        failure = rows.error;
        return std::nullopt;
    }
    if (rows.rows.isEmpty())
        return std::nullopt;
    const QList<QVariant> &row = rows.rows.first();
    return OpenCoupon{row.value(0).toString(), row.value(1).toString(), row.value(3).toString(),
                      HostDatabase::dateTimeOf(row.value(2)), row.value(4).toInt() > 0};
}

bool nameByCoupon(const CancelledStatusChange &change, const OpenCoupon &coupon, QString &failure)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    Qub_movrela::QueryRows rows;
    const bool ok = db.execute(QStringLiteral("hostVendaExtCupom"),
                               QStringLiteral("UPDATE VENDA SET NRVENDAEXT = :P_NRCUPOMFIS WHERE CDFILIAL = :P_CDFILIAL "
                                              "AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA"),
                               {{QStringLiteral("P_NRCUPOMFIS"), coupon.nrCupomFis},
                                {QStringLiteral("P_CDFILIAL"), change.cdFilial},
                                {QStringLiteral("P_CDCAIXA"), change.cdCaixa},
                                {QStringLiteral("P_NRSEQVENDA"), coupon.nrSeqVenda}},
                               &rows);
    if (!ok)
        failure = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
    return ok;
}

// The till's statement server and partner switches as its parameter file holds them, so a
// coupon cancelled here is mirrored, exported and told as the till's own cancellation by
// number is. The store's CRM Bonus row is no till parameter, and a coupon sale carries no
// bonus: it is left out.
void fillTillSettings(Srv_Kal51000::SaleCancelRequest &request)
{
    DataPacket parameters;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters) || parameters.rows.isEmpty())
        return;
    auto value = [&](const char *name) { return textOf(parameters, 0, name).trimmed(); };
    request.IDEXTCONSONLINE = value("IDEXTCONSONLINE");
    request.CDURLWSEXTCONS = value("CDURLWSEXTCONS");
    request.IDUTILFID4ALL = value("IDUTILFID4ALL");
    request.CDURLWSFID4ALL = value("CDURLWSFID4ALL");
    request.IDUTILFIDUDS = value("IDUTILFIDUDS");
    request.CDURLWSFIDUDS = value("CDURLWSFIDUDS");
    request.IDUTILINTEPROMO = value("IDUTILINTEPROMO");
    request.CDURLINTEPROMO = value("CDURLINTEPROMO");
    request.IDDEBCONSCENTRAL = value("IDDEBCONSCENTRAL");
    request.IDEXTCONSCENTRAL = value("IDEXTCONSCENTRAL");
    request.CDURLFIDONLINE = value("CDURLFIDONLINE");
    request.IDUTILINTVALPRE = value("IDUTILINTVALPRE");
    request.CDURLINTVALPRE = value("CDURLINTVALPRE");
    request.NRSEGREQVALPRE = value("NRSEGREQVALPRE");
    request.IDUTICOREBANC = value("IDUTICOREBANC");
    request.CDURLCOREBANC = value("CDURLCOREBANC");
    request.NRTEMPOCOREBANC = value("NRTEMPOCOREBANC");
    request.IDUTILINTVIMO = value("IDUTILINTVIMO");
    request.CDURLINTVIMO = value("CDURLINTVIMO");
    request.IDUTILFIXECRM = value("IDUTILFIXECRM");
    request.CDURLFIXECRM = value("CDURLFIXECRM");
}

QString notFound(const CancelledStatusChange &change)
{
    return QStringLiteral("Venda do cupom %1 não encontrada ou já cancelada.").arg(change.saleKey);
}

} // namespace

ObservationAnswer Observacao(const ObservationRequest &request)
{
    const bool cancellation = request.value0 == QLatin1String("S") && request.value1 == QLatin1String("C");
    if (!cancellation || ScriptedAnswers::pending(ScriptedAnswers::Kind::Observation) > 0 || ScriptedAnswers::unattended())
        return SaleDialogs::Observacao(request);
    return askCancellationNote();
}

TextAnswer GeraArqXmlSat(const SatXmlRequest &request)
{
    if (request.operation != QLatin1String("CANC"))
        return Authorities::GeraArqXmlSat(request);
    TextAnswer answer;
    if (request.saleNumber.trimmed().isEmpty() || request.accessKey.trimmed().isEmpty()) {
        answer.failure = QStringLiteral("GeraArqXmlSat: venda ou chave do CF-e não informada.");
        return answer;
    }
    answer.ok = true;
    answer.text = QStringLiteral("<CFeCanc><infCFe chCanc=\"CFe%1\"><ide><NRSEQVENDA>%2</NRSEQVENDA></ide></infCFe></CFeCanc>")
                      .arg(request.accessKey.toHtmlEscaped(), request.saleNumber.toHtmlEscaped());
    return answer;
}

// The SAT answers a cancellation with a document of its own (its number and key), kept in the
// day's folder beside the sale's.
SatAnswer CancelarVenda(const SatCancelRequest &request)
{
    const Authorities::Behaviour behaviour = Authorities::behaviourOf(QStringLiteral("SAT"));
    if (behaviour == Authorities::Behaviour::TimeOut)
        return satRefusal(QString(), QStringLiteral("Tempo esgotado na comunicação com o SAT."));
    if (behaviour == Authorities::Behaviour::Refuse)
        return satRefusal(QStringLiteral("1999"), QStringLiteral("Rejeição: cancelamento recusado pelo SAT simulado."));
    const SatSale sale = satSaleOf(request.accessKey);
    if (!sale.found)
        return satRefusal(QStringLiteral("1412"), sale.failure.isEmpty() ? QStringLiteral("CF-e a cancelar não encontrado.")
                                                                          : sale.failure);
    const Qub_proximocodigo::NextNumber number =
        Qub_proximocodigo::TdtmQubProxCodigo().draw(QStringLiteral("SATCFE") + satSerial);
    if (!number.ok())
        return satRefusal(QStringLiteral("1999"), number.error());
    const QString cfe = Consiste::Ajusta(QString::number(number.value() % 1000000), 6);
    const QDateTime now = Clock::now();
    const QString key = Authorities::accessKey(QStringLiteral("35"), now.date(), QStringLiteral("00000000000000"),
                                               QStringLiteral("59"), satSerial.right(3), cfe, cfe);
    const QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc><infCFe Id=\"CFe%1\" "
                                       "chCanc=\"CFe%2\"><ide><nserieSAT>%3</nserieSAT><nCFe>%4</nCFe><dEmi>%5</dEmi>"
                                       "<hEmi>%6</hEmi></ide><total><vCFe>%7</vCFe></total></infCFe></CFeCanc>")
                            .arg(key, request.accessKey, satSerial, cfe, now.toString(QStringLiteral("yyyyMMdd")),
                                 now.toString(QStringLiteral("hhmmss")), sale.total);
    const QString folder = request.stRecebAux2.isEmpty() ? Authorities::dayFolder(sale.cdFilial, sale.cdCaixa, now.date())
                                                         : request.stRecebAux2;
    if (!keepDocument(folder, QStringLiteral("CFeCanc%1.xml").arg(key), xml))
        return satRefusal(QStringLiteral("1999"), QStringLiteral("Não foi possível guardar o XML do cancelamento."));
    SatAnswer answer;
    answer.accepted = true;
    NameValueList &list = answer.answer;
    list.setValue(QStringLiteral("CCCC"), QStringLiteral("0000"));
    list.setValue(QStringLiteral("mensagem"), QStringLiteral("Cupom cancelado com sucesso."));
    list.setValue(QStringLiteral("chaveConsulta"), QStringLiteral("CFe") + key);
    list.setValue(QStringLiteral("timeStamp"), now.toString(QStringLiteral("yyyyMMddhhmmss")));
    list.setValue(QStringLiteral("valorTotalCFe"), sale.total);
    list.setValue(QStringLiteral("assinaturaQRCODE"), QStringLiteral("QR") + cfe);
    list.setValue(QStringLiteral("arqxmlnfce"), xml);
    list.setValue(QStringLiteral("arquivoCFeBase64"), QString::fromLatin1(xml.toUtf8().toBase64()));
    HostLog::write(QStringLiteral("SAT: CF-e da venda %1 cancelado (CF-e de cancelamento %2)").arg(sale.nrSeqVenda, cfe));
    return answer;
}

QString satCancelReceiptText(const SatCancelReceiptRequest &request)
{
    const QDateTime stamp = QDateTime::fromString(request.timeStamp, QStringLiteral("yyyyMMddhhmmss"));
    QStringList lines{rule(QLatin1Char('=')),
                      QStringLiteral("EXTRATO No ") + request.cfeNumber,
                      QStringLiteral("CUPOM FISCAL ELETRONICO - SAT"),
                      QStringLiteral("CANCELAMENTO"),
                      rule(),
                      QStringLiteral("DADOS DO CF-e CANCELADO"),
                      QStringLiteral("CF-e No %1  VENDA %2").arg(request.nrNotaFiscalCe, request.nrSeqVenda),
                      QStringLiteral("CHAVE DE ACESSO")};
    lines << NonFiscal::accessKeyLines(request.nrAcessoNfce) << columns(QStringLiteral("TOTAL R$"), money(request.valorTotalCfe))
          << rule() << QStringLiteral("SAT No ") + request.satSerial << QStringLiteral("CHAVE DO CANCELAMENTO")
          << NonFiscal::accessKeyLines(request.chaveConsulta)
          << QStringLiteral("CAIXA %1  %2").arg(request.cdCaixa, stamp.isValid() ? PtBr::DateTimeToStr(stamp) : request.timeStamp)
          << rule(QLatin1Char('=')) << QString();
    return lines.join(QLatin1Char('\n'));
}

HostResult Imp_Extrato_SAT_Canc(const SatCancelReceiptRequest &request)
{
    return NonFiscal::printText(tillPrinter(), QStringLiteral("VendaCons CF-e SAT cancelamento"), satCancelReceiptText(request));
}

// The authority follows the site's file: a refusal or no answer leaves the NFC-e authorised.
HostResult NFCeOnlineCanc(const NfceCancelRequest &request, ClientDataSet &cdsVendaCanNFCe)
{
    cdsVendaCanNFCe.First();
    const QString number = cdsVendaCanNFCe.FindField(QStringLiteral("NRNOTAFISCALCE")).AsString();
    const QString key = cdsVendaCanNFCe.FindField(QStringLiteral("NRACESSONFCE")).AsString();
    const Authorities::Behaviour behaviour = Authorities::behaviourOf(QStringLiteral("NFCE"));
    if (behaviour != Authorities::Behaviour::Accept) {
        const QString text = behaviour == Authorities::Behaviour::TimeOut
            ? QStringLiteral("NFC-e %1: tempo esgotado no cancelamento.").arg(number)
            : QStringLiteral("NFC-e %1: cancelamento rejeitado pela autoridade simulada.").arg(number);
        HostLog::write(text);
        return HostResult{false, text};
    }
    const QDateTime now = Clock::now();
    const QString cdCaixa = cdsVendaCanNFCe.FindField(QStringLiteral("CDCAIXA")).AsString();
    const QString xml = QStringLiteral("<procEventoNFe><evento><infEvento><chNFe>%1</chNFe><tpEvento>110111</tpEvento>"
                                       "<dhEvento>%2</dhEvento></infEvento></evento></procEventoNFe>")
                            .arg(key.toHtmlEscaped(), now.toString(Qt::ISODate));
    if (!keepDocument(Authorities::dayFolder(request.cdFilial, cdCaixa, now.date()),
                      QStringLiteral("NFCeCanc%1.xml").arg(key.isEmpty() ? number : key), xml))
        return HostResult{false, QStringLiteral("Não foi possível guardar o XML do cancelamento da NFC-e.")};
    HostLog::write(QStringLiteral("NFC-e %1 cancelada na autoridade").arg(number));
    return HostResult::done();
}

QString nfceCancelVoucherText(const NfceCancelVoucherRequest &request)
{
    QStringList lines{rule(QLatin1Char('=')), QStringLiteral("CANCELAMENTO DE NFC-e"),
                      QStringLiteral("NFC-e No ") + request.documentNumber,
                      QStringLiteral("FILIAL %1  CAIXA %2 %3").arg(request.cdFilial, request.cdCaixa, request.nmCaixa)};
    if (request.contingency)
        lines << NonFiscal::wrapped(QStringLiteral("CANCELADA APENAS NO SISTEMA: CANCELE NA SEFAZ"));
    for (int row = 0; row < request.cdsVendaNFisc.rows.size(); ++row)
        lines << QStringLiteral("%1 %2").arg(textOf(request.cdsVendaNFisc, row, "QTPRODCOMVEN"),
                                             textOf(request.cdsVendaNFisc, row, "NMPRODUTO"));
    lines << request.dsObsCupFis << PtBr::DateTimeToStr(Clock::now()) << rule(QLatin1Char('=')) << QString();
    return lines.join(QLatin1Char('\n'));
}

HostResult setNFCeCancelado(const NfceCancelVoucherRequest &request)
{
    return NonFiscal::printText(request.cdPortImpNf3, QStringLiteral("VendaCons cancelamento NFC-e"),
                                nfceCancelVoucherText(request));
}

QString cancelVoucherText(const CancelVoucherRequest &request)
{
    auto label = [&](int index) { return request.labels.value(index); };
    const QDateTime now = Clock::now();
    const QString desk = request.nrSerieImp.trimmed().isEmpty() ? request.cdCaixa
                                                                : request.cdCaixa + QLatin1Char('/') + request.nrSerieImp.trimmed();
    QStringList lines{rule(QLatin1Char('=')), label(6),
                      QStringLiteral("%1 %2").arg(label(1), desk), QStringLiteral("%1 %2").arg(label(4), request.documentNumber),
                      QStringLiteral("%1 %2   %3 %4").arg(label(2), PtBr::DateToStr(now.date()), label(3),
                                                          now.time().toString(QStringLiteral("hh:mm:ss")))};
    if (request.kind == QLatin1String("C"))
        lines << QStringLiteral("VENDA CREDITO PESSOAL");
    double total = 0;
    for (int row = 0; row < request.sale.rows.size(); ++row) {
        lines << QStringLiteral("%1 %2").arg(textOf(request.sale, row, "QTPRODCOMVEN"), textOf(request.sale, row, "NMPRODUTO"));
        total = Money::Trunc2(total + Money::Trunc2(numberOf(request.sale, row, "QTPRODCOMVEN") * numberOf(request.sale, row, "VRPRECCOMVEN"))
                              - numberOf(request.sale, row, "VRDESCCOMVEN"));
    }
    lines << columns(label(5), PtBr::FormatCurr(total)) << request.dsObsCupFis << rule(QLatin1Char('=')) << QString();
    return lines.join(QLatin1Char('\n'));
}

HostResult SetCupomCancelado(const CancelVoucherRequest &request)
{
    return NonFiscal::printText(request.cdPortImpNf, QStringLiteral("VendaCons cupom cancelado"), cancelVoucherText(request));
}

HostResult LogImpNFiscal(const NonFiscalLogRequest &request)
{
    const QString folder = SitePaths::resolve(QStringLiteral("Dados\\LogImp00000NF"));
    QDir().mkpath(folder);
    const QDateTime now = Clock::now();
    QFile file(QDir(folder).filePath(QStringLiteral("LogImpNFiscal_%1.txt").arg(now.toString(QStringLiteral("yyyyMMdd")))));
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return HostResult{false, file.errorString()};
    const QByteArray line = (PtBr::DateTimeToStr(now) + QStringLiteral(" ") + request.text + QLatin1Char('\n')).toUtf8();
    if (file.write(line) != line.size())
        return HostResult{false, file.errorString()};
    return HostResult::done();
}

QString cancelledItemsText(const CancelledItemsTicketRequest &request, const QString &port)
{
    const DataPacket &items = request.cdsItensCanc;
    QStringList lines{rule(QLatin1Char('=')), request.labels.value(0).trimmed(),
                      QStringLiteral("%1 %2").arg(request.labels.value(3), request.nmOperador)};
    if (!request.nrComandaVnd.isEmpty())
        lines << QStringLiteral("%1 %2 %3").arg(request.labels.value(4), request.nrComandaVnd, request.dsComandaVnd);
    lines << rule();
    for (int row = 0; row < items.rows.size(); ++row) {
        if (textOf(items, row, "CDPORIMPPROD") != port)
            continue;
        QString line = QStringLiteral("%1 x %2").arg(textOf(items, row, "QTPRODCOMVEN"), textOf(items, row, "NMPRODUTO"));
        if (!textOf(items, row, "NMPRODUTOPAI").isEmpty())
            line += QStringLiteral(" (") + textOf(items, row, "NMPRODUTOPAI") + QLatin1Char(')');
        lines << line << QStringLiteral("%1 %2").arg(request.labels.value(1), textOf(items, row, "NRCUPOMFIS"));
    }
    lines << rule(QLatin1Char('=')) << QString();
    return lines.join(QLatin1Char('\n'));
}

// One ticket a printer: the rows of the pass grouped by the port each was given.
HostResult DisparaImprimeCancProduto(const CancelledItemsTicketRequest &request)
{
    QMap<QString, int> ports;
    for (int row = 0; row < request.cdsItensCanc.rows.size(); ++row)
        ports[textOf(request.cdsItensCanc, row, "CDPORIMPPROD")] += 1;
    QStringList failed;
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        const HostResult printed = NonFiscal::printText(it.key(), QStringLiteral("VendaCons cancelamento de pedido"),
                                                        cancelledItemsText(request, it.key()));
        if (!printed.ok)
            failed << it.key() + QStringLiteral(": ") + printed.failure;
    }
    return failed.isEmpty() ? HostResult::done() : HostResult{false, failed.join(QStringLiteral("; "))};
}

CancellationAnswer AlteraVendaCan(const CancelledStatusChange &change)
{
    if (!change.kind.isEmpty())
        return SaleSaving::AlteraVendaCan(change);
    CancellationAnswer answer;
    QString failure;
    const std::optional<OpenCoupon> coupon = openCouponOf(change, failure);
    if (!coupon) {
        answer.definitive = failure.isEmpty();
        answer.result = Variant::failure(answer.definitive ? notFound(change) : failure);
        return answer;
    }
    // The server finds a sale by its external number; a coupon sale is stored without one, so
    // it is given its coupon's number first.
    if (coupon->nrVendaExt.trimmed().isEmpty() && !nameByCoupon(change, *coupon, failure)) {
        answer.result = Variant::failure(failure);
        return answer;
    }
    Srv_Kal51000::SaleCancelRequest request;
    request.CDFILIAL = change.cdFilial;
    request.CDCAIXA = change.cdCaixa;
    request.number = coupon->nrVendaExt.trimmed().isEmpty() ? coupon->nrCupomFis : coupon->nrVendaExt;
    request.kind = coupon->consumerBalance ? QStringLiteral("C") : QString();
    request.CDSUPERVISOR = change.stRetAcesso;
    request.DSOBSCANCUP = change.note;
    request.DTABERTUR = coupon->dtAbertur;
    fillTillSettings(request);
    const Variant cancelled = Srv_Kal51000::getVendaNFisc(request);
    if (cancelled.isFailure()) {
        answer.result = cancelled;
        return answer;
    }
    if (!cancelled.isPacket() || cancelled.packet().rows.isEmpty()) {
        answer.definitive = true;
        answer.result = Variant::failure(notFound(change));
        return answer;
    }
    answer.result = coupon->nrSeqVenda;
    answer.saleSequence = coupon->nrSeqVenda;
    answer.sale = cancelled.packet();
    return answer;
}

} // namespace ReceiptCancelHost

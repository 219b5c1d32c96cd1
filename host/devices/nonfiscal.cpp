#include "nonfiscal.h"

#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>

#include <outside/consiste.h>
#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cups/cups.h>

namespace NonFiscal {

namespace {

constexpr int Width = 40;

QString rule(QChar c = QLatin1Char('-'))
{
    return QString(Width, c);
}

QString columns(const QString &left, const QString &right)
{
    const int room = Width - int(right.size()) - 1;
    return left.left(qMax(0, room)).leftJustified(qMax(0, room)) + QLatin1Char(' ') + right;
}

QString textOf(const DataPacket &packet, int row, const char *field)
{
    const Variant value = packet.value(row, QString::fromLatin1(field));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

double numberOf(const DataPacket &packet, int row, const char *field)
{
    return packet.value(row, QString::fromLatin1(field)).toDouble();
}

HostResult printToQueue(const QString &queue, const QString &documentName, const QString &text)
{
    const QByteArray name = queue.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), documentName.toUtf8().constData(), 0, nullptr);
    HostResult result;
    if (job <= 0) {
        result.failure = QStringLiteral("Fila %1: %2").arg(queue, QString::fromUtf8(cupsLastErrorString()));
        return result;
    }
    const QByteArray data = text.toUtf8();
    const bool written = cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, documentName.toUtf8().constData(),
                                           CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE
        && cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(), size_t(data.size())) == HTTP_STATUS_CONTINUE;
    const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) == IPP_STATUS_OK;
    if (!written || !finished) {
        // A job left half-written would print garbage or hang the queue.
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        result.failure = QStringLiteral("Fila %1: %2").arg(queue, QString::fromUtf8(cupsLastErrorString()));
        return result;
    }
    result.ok = true;
    return result;
}

HostResult printToFile(const QString &path, const QString &text)
{
    HostResult result;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        result.failure = QStringLiteral("Pasta da impressora não criada: ") + path;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text.toUtf8()) < 0) {
        result.failure = QStringLiteral("Impressora %1: %2").arg(path, file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

// A file printer of the site, through its spooler: a printer that is down queues the job.
// `queued` tells a job kept in the queue of a printer marked down from one printed.
HostResult printToSite(const QString &port, const QString &documentName, const QString &text, bool *queued)
{
    const QString printer = port.trimmed().isEmpty() ? QStringLiteral("padrao") : port.trimmed();
    QString notReady;
    *queued = !siteSpooler()->ready(printer, &notReady);
    const SpoolAnswer answer = siteSpooler()->printRaw(printer, documentName, text.toUtf8());
    return answer.ok ? HostResult::done() : HostResult{false, answer.failure};
}

QStringList itemLines(const DataPacket &sale)
{
    QStringList lines;
    for (int row = 0; row < sale.rows.size(); ++row) {
        const double quantity = numberOf(sale, row, "QTPRODCOMVEN");
        const double price = numberOf(sale, row, "VRPRECCOMVEN");
        lines << QStringLiteral("%1 %2").arg(textOf(sale, row, "NRSEQ"), textOf(sale, row, "NMPRODUTO"));
        lines << columns(QStringLiteral("   %1 x %2").arg(PtBr::FloatToStr(quantity), PtBr::FloatToStrFixed(price, 2)),
                         PtBr::FloatToStrFixed(Money::Trunc2(quantity * price), 2));
        const double discount = numberOf(sale, row, "VRDESCCOMVEN");
        if (discount > 0)
            lines << columns(QStringLiteral("   desconto"), QStringLiteral("-") + PtBr::FloatToStrFixed(discount, 2));
    }
    return lines;
}

double saleValue(const DataPacket &sale)
{
    double total = 0;
    for (int row = 0; row < sale.rows.size(); ++row) {
        const double gross = Money::Trunc2(numberOf(sale, row, "QTPRODCOMVEN") * numberOf(sale, row, "VRPRECCOMVEN"));
        total = Money::Trunc2(total + gross - numberOf(sale, row, "VRDESCCOMVEN") + numberOf(sale, row, "VRACRCOMVEN"));
    }
    return total;
}

// Each means of payment with what was handed over: a payment row holds what the sale took and,
// beside it, the change given back, so the customer's money is their sum.
QStringList paymentLines(const DataPacket &payments, double paid, double total)
{
    QStringList lines;
    if (payments.rows.isEmpty()) {
        if (paid > 0)
            lines << columns(QStringLiteral("PAGO R$"), PtBr::FloatToStrFixed(paid, 2));
        if (paid > total)
            lines << columns(QStringLiteral("TROCO R$"), PtBr::FloatToStrFixed(Money::Trunc2(paid - total), 2));
        return lines;
    }
    double change = 0;
    for (int row = 0; row < payments.rows.size(); ++row) {
        const double given = Money::Trunc2(numberOf(payments, row, "VRMOVIVEND") + numberOf(payments, row, "VRTROCO"));
        lines << columns(textOf(payments, row, "NMTIPORECE"), PtBr::FloatToStrFixed(given, 2));
        change = Money::Trunc2(change + numberOf(payments, row, "VRTROCO"));
    }
    if (change > 0)
        lines << columns(QStringLiteral("TROCO R$"), PtBr::FloatToStrFixed(change, 2));
    return lines;
}

// The electronic document's own lines: the device, where to look it up, its key, the
// authorisation and the QR code's text.
QStringList documentLines(const SaleReceipt &receipt)
{
    QStringList lines;
    if (receipt.kind == SaleReceipt::Kind::Sat && !receipt.satSerial.isEmpty())
        lines << QStringLiteral("SAT No ") + receipt.satSerial;
    if (!receipt.accessKey.isEmpty()) {
        lines << (receipt.kind == SaleReceipt::Kind::Sat ? QStringLiteral("Chave de acesso:")
                                                         : QStringLiteral("Consulte pela chave de acesso:"));
        lines += accessKeyLines(receipt.accessKey);
    }
    if (!receipt.protocol.isEmpty())
        lines << QStringLiteral("Autorização: ") + receipt.protocol;
    if (!receipt.qrText.isEmpty())
        lines << QStringLiteral("QR Code:") << wrapped(receipt.qrText);
    return lines;
}

// The emission date as the receipt shows it: the authority's ISO text in the till's form.
QString emissionText(const QString &text)
{
    const QDateTime when = QDateTime::fromString(text.trimmed().left(19), Qt::ISODate);
    return when.isValid() ? PtBr::DateTimeToStr(when) : text.trimmed();
}

QString portOfParameters(const DataPacket &parameters)
{
    return textOf(parameters, 0, "stCdPortImpNF1");
}

} // namespace

QString twoColumns(const QString &left, const QString &right, int width)
{
    return left + QString(qMax(1, width - int(left.size()) - int(right.size())), QLatin1Char(' ')) + right;
}

// A word longer than a line (a URL, a signature) is cut where the line ends.
QStringList wrapped(const QString &text)
{
    QStringList lines;
    QString line;
    for (QString word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > Width) {
            lines << line;
            line.clear();
        }
        while (word.size() > Width) {
            lines << word.left(Width);
            word = word.mid(Width);
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QStringList accessKeyLines(const QString &key)
{
    const QString digits = key.startsWith(QLatin1String("CFe")) ? key.mid(3) : key;
    QStringList groups;
    for (int at = 0; at < digits.size(); at += 4)
        groups << digits.mid(at, 4);
    return wrapped(groups.join(QLatin1Char(' ')));
}

std::shared_ptr<FileSpooler> siteSpooler()
{
    // One per site folder, so that every thread printing into it shares its lock.
    static QMutex lock;
    static std::shared_ptr<FileSpooler> spooler;
    static QString folder;
    QMutexLocker locker(&lock);
    const QString wanted = SitePaths::resolve(QStringLiteral("Dados\\ImpressoraNaoFiscal"));
    if (!spooler || folder != wanted) {
        spooler = std::make_shared<FileSpooler>(wanted);
        folder = wanted;
    }
    return spooler;
}

QString queueOf(const QString &port)
{
    const QString trimmed = port.trimmed();
    return trimmed.startsWith(QLatin1String("cups:"), Qt::CaseInsensitive) ? trimmed.mid(5).trimmed() : QString();
}

QString fileOf(const QString &port)
{
    QString name = port.trimmed().isEmpty() ? QStringLiteral("padrao") : port.trimmed();
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return QDir(SitePaths::resolve(QStringLiteral("Dados\\ImpressoraNaoFiscal"))).filePath(name + QStringLiteral(".txt"));
}

HostResult printText(const QString &port, const QString &documentName, const QString &text)
{
    const QString queue = queueOf(port);
    bool queued = false;
    const HostResult result = queue.isEmpty() ? printToSite(port, documentName, text, &queued)
                                              : printToQueue(queue, documentName, text);
    const QString printer = port.isEmpty() ? QStringLiteral("padrao") : port;
    if (result.ok) {
        HostLog::write(QStringLiteral("impressão não fiscal \"%1\" em %2: %3")
                           .arg(documentName, printer,
                                queued ? QStringLiteral("na fila (impressora parada)") : QStringLiteral("impresso")));
        return result;
    }
    HostLog::write(QStringLiteral("ERRO impressão não fiscal \"%1\" em %2: %3").arg(documentName, printer, result.failure));
    // A queue that cannot be reached still leaves the text where a person finds it.
    if (!queue.isEmpty()) {
        const HostResult kept = printToFile(fileOf(port), text);
        HostLog::write(kept.ok ? QStringLiteral("texto de \"%1\" guardado em %2").arg(documentName, fileOf(port))
                               : QStringLiteral("ERRO texto de \"%1\" não guardado: %2").arg(documentName, kept.failure));
    }
    return result;
}

DataPacket salePayments(const NonFiscalPrintRequest &request)
{
    DataPacket payments;
    payments.fields = {{"NMTIPORECE", FieldType::String, 40}, {"VRMOVIVEND", FieldType::Double, 0},
                       {"VRTROCO", FieldType::Double, 0}};
    const QString sequence = textOf(request.parameters, 0, "NRSEQVENDA");
    DataPacket till;
    if (sequence.isEmpty() || !CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &till))
        return payments;
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostPagamentosDoCupom"),
        QStringLiteral("SELECT NMTIPORECE, VRMOVIVEND, VRTROCO FROM MOVCAIXA WHERE CDFILIAL = :P_CDFILIAL "
                       "AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA ORDER BY NRSEQUMOVI"),
        {{QStringLiteral("P_CDFILIAL"), textOf(till, 0, "CDFILIAL")},
         {QStringLiteral("P_CDCAIXA"), textOf(till, 0, "CDCAIXA")},
         {QStringLiteral("P_NRSEQVENDA"), sequence}});
    for (const QList<QVariant> &row : rows.rows)
        payments.rows.append({row.value(0).toString(), row.value(1).toDouble(), row.value(2).toDouble()});
    return payments;
}

QString saleReceiptText(const SaleReceipt &receipt)
{
    const bool nfce = receipt.kind == SaleReceipt::Kind::Nfce;
    const bool sat = receipt.kind == SaleReceipt::Kind::Sat;
    QString title = nfce ? QStringLiteral("DANFE NFC-e") : sat ? QStringLiteral("EXTRATO CF-e SAT") : QStringLiteral("CUPOM NÃO FISCAL");
    if (sat && !receipt.documentNumber.isEmpty())
        title += QStringLiteral(" No ") + receipt.documentNumber;
    QStringList lines{rule(QLatin1Char('=')), title};
    if (!sat && !receipt.documentNumber.isEmpty())
        lines << (nfce ? QStringLiteral("NFC-e No ") : QStringLiteral("No ")) + receipt.documentNumber;
    lines << (receipt.issuedAt.isEmpty() ? PtBr::DateTimeToStr(Clock::now()) : receipt.issuedAt) << rule();
    lines += itemLines(receipt.sale);
    const double total = saleValue(receipt.sale);
    lines << rule() << columns(QStringLiteral("TOTAL R$"), PtBr::FloatToStrFixed(total, 2));
    lines += paymentLines(receipt.payments, receipt.paid, total);
    if (!receipt.taxFederal.isEmpty() || !receipt.taxState.isEmpty())
        lines << QStringLiteral("Tributos aproximados R$") << columns(QStringLiteral("  federais"), receipt.taxFederal)
              << columns(QStringLiteral("  estaduais"), receipt.taxState);
    if (!receipt.finalBalance.trimmed().isEmpty())
        lines += receipt.finalBalance.trimmed().split(QLatin1Char('\n'));
    if (nfce || sat)
        lines += documentLines(receipt);
    if (!receipt.saleKey.isEmpty())
        lines << QStringLiteral("Venda: ") + receipt.saleKey;
    if (!receipt.pager.isEmpty())
        lines << QStringLiteral("SENHA: ") + receipt.pager;
    if (!receipt.buyer.isEmpty())
        lines << QStringLiteral("Consumidor: ") + receipt.buyer;
    lines << rule(QLatin1Char('=')) << QString() << QString();
    return lines.join(QLatin1Char('\n'));
}

QString receiptText(const NonFiscalPrintRequest &request, const DataPacket &payments)
{
    const DataPacket &parameters = request.parameters;
    const auto field = [&parameters](const char *name) { return textOf(parameters, 0, name); };
    SaleReceipt receipt;
    // The till's document kind names the receipt: the electronic documents' own, else a
    // non-fiscal receipt.
    receipt.kind = request.kind == QLatin1String("EXTRATO_SAT")  ? SaleReceipt::Kind::Sat
                   : request.kind == QLatin1String("VENDA_NFCe") ? SaleReceipt::Kind::Nfce
                                                                 : SaleReceipt::Kind::NonFiscal;
    receipt.sale = request.sale.isPacket() ? request.sale.packet() : DataPacket();
    receipt.payments = payments;
    receipt.paid = numberOf(parameters, 0, "TOTALPAGO");
    receipt.issuedAt = emissionText(field("DATAEMISSNFCE"));
    receipt.documentNumber = field("STNRNOTAFISCALCE").isEmpty() ? field("NRNAOFISCAL") : field("STNRNOTAFISCALCE");
    receipt.satSerial = field("NRSERIESAT");
    receipt.accessKey = field("CHAVEACESSONFCe");
    receipt.qrText = field("QRCODENFCe");
    receipt.protocol = field("PROTAUTNFCE");
    receipt.taxFederal = field("STIBPT");
    receipt.taxState = field("STIBPTES");
    receipt.saleKey = field("NRSEQVENDA");
    receipt.pager = field("SENHACUPOM");
    receipt.buyer = field("NMCONSUMIDOR");
    receipt.finalBalance = field("VRSALDOFINALCREDCONS");
    return saleReceiptText(receipt);
}

HostResult DisparaImpressaoNaoFiscal(const NonFiscalPrintRequest &request)
{
    HostResult result = HostResult::done();
    auto keep = [&result](const HostResult &one) {
        if (!one.ok && result.ok)
            result = one; // the first failure is the one reported; the other jobs still print
    };
    if (request.sale.isPacket())
        keep(printText(portOfParameters(request.parameters), QStringLiteral("VendaCons ") + request.kind,
                       receiptText(request, salePayments(request))));
    if (request.tickets.isPacket()) {
        const TillSpool till = TillSpool::forSite();
        // With the receipt only when no order print of the same tickets follows: the kitchen
        // gets each ticket once.
        if (request.kind == QLatin1String("PEDIDO") || till.ticketsWithReceipt)
            keep(printProductionJobs(productionJobs(request.tickets.packet(), till)));
    }
    return result;
}

HostResult ImprimePadrao(const PlainPrintRequest &request)
{
    return printText(request.cdPortImpNf, QStringLiteral("VendaCons"), request.text);
}

QString electronicReceiptText(const SatReceiptRequest &request)
{
    SaleReceipt receipt;
    receipt.kind = request.cfeNumber.isEmpty() ? SaleReceipt::Kind::Nfce : SaleReceipt::Kind::Sat;
    receipt.issuedAt = emissionText(request.emissionDate);
    receipt.sale = request.cdsVenda;
    receipt.payments = request.cdsMovCaixa;
    receipt.documentNumber = request.cfeNumber;
    receipt.satSerial = request.satSerial;
    receipt.taxFederal = request.tax0;
    receipt.taxState = request.tax2;
    receipt.saleKey = request.savedSaleKey;
    receipt.pager = request.stSenhaPedido;
    receipt.finalBalance = request.stRecebAux15;
    return saleReceiptText(receipt);
}

HostResult Imp_Extrato_SAT_Ger(const SatReceiptRequest &request)
{
    DataPacket parameters;
    QString port;
    if (CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters) && !parameters.rows.isEmpty())
        port = textOf(parameters, 0, "CDPORTIMPNF1");
    return printText(port, QStringLiteral("VendaCons ") + (request.cfeNumber.isEmpty() ? QStringLiteral("NFC-e")
                                                                                         : QStringLiteral("CF-e SAT")),
                     electronicReceiptText(request));
}

} // namespace NonFiscal

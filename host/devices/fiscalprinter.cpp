#include "fiscalprinter.h"

#include "cardterminal.h"
#include "nonfiscal.h"

#include <host/documents/creditpurchase.h>
#include <host/program/hostlog.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <memory>

namespace {

constexpr int TapeWidth = 48;

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("#,##0.00"), value);
}

QString counter(int value)
{
    return QStringLiteral("%1").arg(value, 6, 10, QLatin1Char('0'));
}

// Left text and right text on one tape line.
QString columns(const QString &left, const QString &right)
{
    return NonFiscal::twoColumns(left, right, TapeWidth);
}

QString rule(QChar c = QLatin1Char('-'))
{
    return QString(TapeWidth, c);
}

// The product name of the printer description "#<code>#<class>#<name>" (or the text itself).
QString itemName(const QString &description)
{
    const int hash = int(description.lastIndexOf(QLatin1Char('#')));
    return (hash >= 0 ? description.mid(hash + 1) : description).trimmed();
}

QString numberText(double value)
{
    return QString::number(value, 'f', 3);
}

} // namespace

QString FiscalPrinter::defaultSerial()
{
    return QStringLiteral("SIM0000000001");
}

FiscalPrinter::FiscalPrinter(const QString &folder)
    : m_folder(folder), m_serial(defaultSerial())
{
    QDir().mkpath(m_folder);
    load();
}

FiscalPrinter &FiscalPrinter::forSite()
{
    static std::unique_ptr<FiscalPrinter> printer;
    const QString folder = SitePaths::resolve(QStringLiteral("Dados\\ImpressoraFiscal"));
    if (!printer || printer->folder() != folder) {
        auto reporter = printer ? printer->m_reporter : std::function<void(const QString &)>();
        printer = std::make_unique<FiscalPrinter>(folder);
        printer->setReporter(reporter);
    }
    return *printer;
}

double FiscalPrinter::Item::total() const
{
    return Money::Trunc2(Money::Trunc2(quantity * price) - discount + addition);
}

double FiscalPrinter::openTotal() const
{
    double total = 0;
    for (const Item &item : m_items) {
        if (!item.cancelled)
            total = Money::Trunc2(total + item.total());
    }
    return total;
}

QString FiscalPrinter::tapePath(const QDate &day) const
{
    return QDir(m_folder).filePath(QStringLiteral("fita-%1.txt").arg(day.toString(QStringLiteral("yyyy-MM-dd"))));
}

bool FiscalPrinter::refuse(const QString &text)
{
    HostLog::write(QStringLiteral("impressora fiscal: ") + text);
    if (m_reporter)
        m_reporter(text);
    return false;
}

void FiscalPrinter::print(const QStringList &lines)
{
    QFile tape(tapePath(Clock::now().date()));
    if (!tape.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        HostLog::write(QStringLiteral("impressora fiscal: não foi possível escrever a fita ") + tape.fileName());
        return;
    }
    QTextStream out(&tape);
    for (const QString &line : lines)
        out << line << '\n';
}

void FiscalPrinter::load()
{
    QFile file(QDir(m_folder).filePath(QStringLiteral("estado.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const int eq = int(line.indexOf(QLatin1Char('=')));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("SERIE") && !value.isEmpty())
            m_serial = value;
        else if (key == QLatin1String("COO"))
            m_coo = value.toInt();
        else if (key == QLatin1String("CCF"))
            m_ccf = value.toInt();
        else if (key == QLatin1String("GT"))
            m_grandTotal = value.toDouble();
        else if (key == QLatin1String("ABERTO"))
            m_open = value == QLatin1String("S");
        else if (key == QLatin1String("PAGO"))
            m_paid = value == QLatin1String("S");
        else if (key == QLatin1String("TOTALPAGO"))
            m_paidTotal = value.toDouble();
        else if (key == QLatin1String("ULTIMOCOO"))
            m_lastCoo = value.toInt();
        else if (key == QLatin1String("ULTIMOTOTAL"))
            m_lastTotal = value.toDouble();
        else if (key == QLatin1String("ULTIMOCANCELADO"))
            m_lastCancelled = value == QLatin1String("S");
        else if (key == QLatin1String("ITEM")) {
            const QStringList f = value.split(QLatin1Char('\t'));
            if (f.size() == 8 || f.size() == 9)
                m_items.append({f[0], f[1], f[2], f[3], f[4].toDouble(), f[5].toDouble(), f[6].toDouble(), f[7].toDouble(),
                                f.value(8) == QLatin1String("C")});
        }
    }
}

void FiscalPrinter::save() const
{
    QSaveFile file(QDir(m_folder).filePath(QStringLiteral("estado.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << "SERIE=" << m_serial << '\n' << "COO=" << m_coo << '\n' << "CCF=" << m_ccf << '\n'
        << "GT=" << QString::number(m_grandTotal, 'f', 2) << '\n' << "ABERTO=" << (m_open ? "S" : "N") << '\n'
        << "PAGO=" << (m_paid ? "S" : "N") << '\n' << "TOTALPAGO=" << QString::number(m_paidTotal, 'f', 2) << '\n'
        << "ULTIMOCOO=" << m_lastCoo << '\n' << "ULTIMOTOTAL=" << QString::number(m_lastTotal, 'f', 2) << '\n'
        << "ULTIMOCANCELADO=" << (m_lastCancelled ? "S" : "N") << '\n';
    for (const Item &item : m_items) {
        out << "ITEM="
            << QStringList{item.code, item.name, item.unit, item.rate, numberText(item.quantity),
                           numberText(item.price), numberText(item.discount), numberText(item.addition),
                           QLatin1String(item.cancelled ? "C" : "")}
                   .join(QLatin1Char('\t'))
            << '\n';
    }
    out.flush();
    if (!file.commit())
        HostLog::write(QStringLiteral("impressora fiscal: não foi possível guardar o estado em ") + m_folder);
}

DateAnswer FiscalPrinter::DataMoviFiscal(const SchemeRequest &)
{
    return {true, Clock::now().date().startOfDay(), {}};
}

CouponOpenAnswer FiscalPrinter::AbreCupom(const CouponOpenRequest &request)
{
    CouponOpenAnswer answer;
    if (m_open) {
        answer.failure = QStringLiteral("Já existe um cupom fiscal aberto na impressora (COO %1).").arg(counter(m_coo));
        refuse(answer.failure);
        return answer;
    }
    m_open = true;
    m_paid = false;
    m_paidTotal = 0;
    ++m_coo;
    ++m_ccf;
    m_items.clear();
    save();
    const QDateTime now = Clock::now();
    QStringList lines{rule(QLatin1Char('=')), QStringLiteral("IMPRESSORA FISCAL SIMULADA  Série ") + m_serial,
                      columns(PtBr::DateTimeToStr(now), QStringLiteral("COO: ") + counter(m_coo)),
                      QStringLiteral("CUPOM FISCAL          CCF: ") + counter(m_ccf)};
    if (!request.stCpfCnpjNota.trimmed().isEmpty())
        lines << QStringLiteral("CPF/CNPJ do consumidor: ") + request.stCpfCnpjNota.trimmed();
    if (!request.stNomeNota.trimmed().isEmpty())
        lines << QStringLiteral("Nome: ") + request.stNomeNota.trimmed();
    if (!request.stEnderecoNota.trimmed().isEmpty())
        lines << QStringLiteral("Endereço: ") + request.stEnderecoNota.trimmed();
    lines << rule() << QStringLiteral("ITEM CÓDIGO      DESCRIÇÃO")
          << QStringLiteral("     QTD x VL UNIT        ST          VL ITEM") << rule();
    print(lines);
    answer.ok = true;
    answer.cupNr = counter(m_coo);
    answer.contCupom = counter(m_ccf);
    // The buyer's data as printed on the receipt: the sale keeps these for its document, so a
    // receipt without a buyer answers them empty (never a flag that would read as a name).
    answer.incluiCpf = request.stCpfCnpjNota.trimmed();
    answer.incluiNome = request.stNomeNota.trimmed();
    answer.incluiEndereco = request.stEnderecoNota.trimmed();
    return answer;
}

QStringList FiscalPrinter::itemLines(int number, const Item &item) const
{
    QStringList lines{QStringLiteral("%1 %2 %3").arg(number, 3, 10, QLatin1Char('0')).arg(item.code, -12).arg(item.name)};
    const QString quantity = PtBr::FormatFloat(QStringLiteral("0.000"), item.quantity) + QLatin1Char(' ') + item.unit;
    lines << columns(QStringLiteral("     %1 x %2  %3").arg(quantity, money(item.price), item.rate),
                     money(Money::Trunc2(item.quantity * item.price)));
    if (item.discount > 0)
        lines << columns(QStringLiteral("     desconto"), QStringLiteral("-") + money(item.discount));
    if (item.addition > 0)
        lines << columns(QStringLiteral("     acréscimo"), QStringLiteral("+") + money(item.addition));
    return lines;
}

ItemSaleAnswer FiscalPrinter::VendaItem(const ItemSaleRequest &request)
{
    ItemSaleAnswer answer;
    if (!m_open) {
        answer.failure = QStringLiteral("Não há cupom fiscal aberto na impressora.");
        refuse(answer.failure);
        return answer;
    }
    if (m_paid) {
        answer.failure = QStringLiteral("O cupom fiscal (COO %1) já foi totalizado: não aceita mais itens.").arg(counter(m_coo));
        refuse(answer.failure);
        return answer;
    }
    if (!(request.quantity > 0) || request.price < 0 || request.discount < 0 || request.addition < 0) {
        answer.failure = QStringLiteral("Item recusado pela impressora: quantidade %1, preço %2.")
                             .arg(PtBr::FloatToStr(request.quantity), PtBr::FloatToStr(request.price));
        refuse(answer.failure);
        return answer;
    }
    const QString rate = request.idAliqImpFis.trimmed()
        + (request.aliquotValue.trimmed().isEmpty() ? request.aliquotCode.trimmed() : request.aliquotValue.trimmed() + QLatin1Char('%'));
    Item item{request.itemCode.trimmed(), itemName(request.description), request.sgUnidade.trimmed(), rate,
              request.quantity, Money::Trunc2(request.price), Money::Trunc2(request.discount), Money::Trunc2(request.addition)};
    m_items.append(item);
    save();
    print(itemLines(int(m_items.size()), item));
    answer.ok = true;
    return answer;
}

QString FiscalPrinter::cancelItem(int number)
{
    QString refusal;
    if (!m_open)
        refusal = QStringLiteral("Não há cupom fiscal aberto para cancelar o item %1.").arg(number, 3, 10, QLatin1Char('0'));
    else if (m_paid)
        refusal = QStringLiteral("O cupom fiscal (COO %1) já foi totalizado: o item %2 não pode ser cancelado.")
                      .arg(counter(m_coo))
                      .arg(number, 3, 10, QLatin1Char('0'));
    else if (number < 1 || number > m_items.size() || m_items.at(number - 1).cancelled)
        refusal = QStringLiteral("O item %1 não está no cupom fiscal (COO %2) ou já foi cancelado.")
                      .arg(number, 3, 10, QLatin1Char('0'))
                      .arg(counter(m_coo));
    if (!refusal.isEmpty()) {
        refuse(refusal);
        return refusal;
    }
    Item &item = m_items[number - 1];
    item.cancelled = true;
    save();
    print({columns(QStringLiteral("CANCELAMENTO ITEM %1 %2").arg(number, 3, 10, QLatin1Char('0')).arg(item.code),
                   QStringLiteral("-") + money(item.total()))});
    return QString();
}

QString FiscalPrinter::registerPayments(const DataPacket &payments, double discount)
{
    if (!m_open) {
        const QString text = QStringLiteral("Não há cupom fiscal aberto para receber.");
        refuse(text);
        return text;
    }
    if (m_paid) {
        const QString text = QStringLiteral("Os pagamentos do cupom fiscal (COO %1) já foram registrados.").arg(counter(m_coo));
        refuse(text);
        return text;
    }
    if (payments.rows.isEmpty()) {
        const QString text = QStringLiteral("O cupom fiscal (COO %1) não pode ser totalizado sem pagamento.").arg(counter(m_coo));
        refuse(text);
        return text;
    }
    const double total = Money::Trunc2(openTotal() - discount);
    QStringList lines{rule()};
    if (discount > 0)
        lines << columns(QStringLiteral("DESCONTO R$"), QStringLiteral("-") + money(discount));
    lines << columns(QStringLiteral("TOTAL R$"), money(total));
    double tendered = 0;
    for (int row = 0; row < payments.rows.size(); ++row) {
        QString name = payments.value(row, QStringLiteral("NMTIPORECE")).toString().trimmed();
        if (name.isEmpty())
            name = payments.value(row, QStringLiteral("CDTIPORECE")).toString().trimmed();
        // The change of a cash payment was handed over too: the tape shows what was given.
        const double value = Money::Trunc2(payments.value(row, QStringLiteral("VRMOVIVEND")).toDouble()
                                           + payments.value(row, QStringLiteral("VRTROCO")).toDouble());
        tendered = Money::Trunc2(tendered + value);
        lines << columns(name.isEmpty() ? QStringLiteral("Pagamento") : name, money(value));
    }
    if (tendered > total)
        lines << columns(QStringLiteral("TROCO R$"), money(Money::Trunc2(tendered - total)));
    m_paid = true;
    m_paidTotal = total;
    save();
    print(lines);
    return {};
}

QString FiscalPrinter::endClosing(const QString &note)
{
    if (!m_open || !m_paid) {
        const QString text = m_open ? QStringLiteral("O cupom fiscal (COO %1) não tem pagamentos registrados.").arg(counter(m_coo))
                                    : QStringLiteral("Não há cupom fiscal aberto para fechar.");
        refuse(text);
        return text;
    }
    QStringList lines;
    if (!note.trimmed().isEmpty())
        lines << note.trimmed();
    lines << QStringLiteral("CUPOM FISCAL FECHADO  COO: ") + counter(m_coo) << rule(QLatin1Char('=')) << QString();
    m_grandTotal = Money::Trunc2(m_grandTotal + m_paidTotal);
    m_open = false;
    m_paid = false;
    m_items.clear();
    m_lastCoo = m_coo;
    m_lastTotal = m_paidTotal;
    m_lastCancelled = false;
    m_paidTotal = 0;
    save();
    print(lines);
    return {};
}

FiscalCloseAnswer FiscalPrinter::FechaCupom(const FiscalCloseRequest &request)
{
    FiscalCloseAnswer answer;
    if (!m_open) {
        answer.failure = QStringLiteral("Não há cupom fiscal aberto para fechar.");
        refuse(answer.failure);
        return answer;
    }
    if (!m_paid)
        answer.failure = registerPayments(request.payments, request.discount.toDouble());
    if (answer.failure.isEmpty())
        answer.failure = endClosing(request.dsObsCupFis);
    if (!answer.failure.isEmpty())
        return answer;
    answer.ok = true;
    answer.closeAnswer = counter(m_lastCoo);
    answer.element1 = QStringLiteral("0");
    return answer;
}

CouponCancelAnswer FiscalPrinter::Cancela_Cupom_Imp(const CouponCancelRequest &)
{
    CouponCancelAnswer answer;
    if (m_open) {
        const double total = openTotal();
        print({rule(), columns(QStringLiteral("CUPOM FISCAL CANCELADO  COO: ") + counter(m_coo), money(total)),
               rule(QLatin1Char('=')), QString()});
        answer.couponNumber = counter(m_coo);
        m_open = false;
        m_paid = false;
        m_paidTotal = 0;
        m_items.clear();
        m_lastCoo = m_coo;
        m_lastTotal = total;
        m_lastCancelled = true;
        save();
        answer.ok = true;
        return answer;
    }
    if (m_lastCancelled || m_lastCoo == 0) {
        answer.failure = QStringLiteral("Não há cupom fiscal para cancelar.");
        refuse(answer.failure);
        return answer;
    }
    // A closed receipt is cancelled by a document of its own that names it.
    ++m_coo;
    m_grandTotal = Money::Trunc2(m_grandTotal - m_lastTotal);
    print({rule(QLatin1Char('=')), columns(PtBr::DateTimeToStr(Clock::now()), QStringLiteral("COO: ") + counter(m_coo)),
           columns(QStringLiteral("CANCELAMENTO DO CUPOM  COO: ") + counter(m_lastCoo), money(m_lastTotal)),
           rule(QLatin1Char('=')), QString()});
    answer.couponNumber = counter(m_lastCoo);
    m_lastCancelled = true;
    save();
    answer.ok = true;
    return answer;
}

TextAnswer FiscalPrinter::ImpressaoVenda(const SalePrintRequest &request, const DataPacket &sale,
                                         const DataPacket &payments)
{
    TextAnswer answer{true, QStringLiteral("Erro"), {}};
    if (m_open)
        answer.failure = QStringLiteral("Há um cupom fiscal aberto na impressora (COO %1): a venda não foi impressa.")
                             .arg(counter(m_coo));
    else if (sale.rows.isEmpty())
        answer.failure = QStringLiteral("A venda não tem itens para imprimir.");
    else if (payments.rows.isEmpty())
        answer.failure = QStringLiteral("A venda não tem pagamentos para imprimir.");
    if (!answer.failure.isEmpty()) {
        refuse(answer.failure);
        return answer;
    }
    CouponOpenRequest opening;
    opening.stNomeNota = request.nmConsumidor;
    const CouponOpenAnswer opened = AbreCupom(opening);
    if (!opened.ok) {
        answer.failure = opened.failure;
        return answer;
    }
    const auto text = [&sale](int row, const char *field) {
        const Variant value = sale.value(row, QString::fromLatin1(field));
        return value.isBlank() ? QString() : value.toString().trimmed();
    };
    const auto number = [&sale](int row, const char *field) {
        return sale.value(row, QString::fromLatin1(field)).toDouble();
    };
    double saleDiscount = 0;
    for (int row = 0; row < sale.rows.size() && answer.failure.isEmpty(); ++row) {
        ItemSaleRequest item;
        item.itemCode = text(row, "CDPRODUTO");
        item.description = text(row, "NMPRODUTO");
        item.idAliqImpFis = text(row, "IDTPIMPOSFIS");
        item.aliquotCode = text(row, "CDORDALIQIMPR");
        item.sgUnidade = text(row, "SGUNIDADE").isEmpty() ? QStringLiteral("UN") : text(row, "SGUNIDADE");
        item.quantity = number(row, "QTPRODCOMVEN");
        item.price = Money::Trunc2(number(row, "VRPRECCOMVEN")) + Money::Trunc2(number(row, "VRUNITVENDCL"));
        item.discount = number(row, "VRDESCCOMVEN");
        item.addition = Money::Trunc2(number(row, "VRACRCOMVEN") + number(row, "ACRESITEM"));
        // A sale-wide discount rides whole on every row it was granted on: it counts once.
        saleDiscount = qMax(saleDiscount, number(row, "VRDESCOMANDA"));
        answer.failure = VendaItem(item).failure;
    }
    if (answer.failure.isEmpty())
        answer.failure = registerPayments(payments, Money::Trunc2(saleDiscount));
    QStringList note;
    if (!request.pager.trimmed().isEmpty())
        note << QStringLiteral("Senha: ") + request.pager.trimmed();
    if (!request.dsObsCupFis.trimmed().isEmpty())
        note << request.dsObsCupFis.trimmed();
    if (answer.failure.isEmpty())
        answer.failure = endClosing(note.join(QLatin1Char('\n')));
    if (!answer.failure.isEmpty()) {
        Cancela_Cupom_Imp(CouponCancelRequest{});
        return answer;
    }
    answer.text = counter(m_lastCoo);
    return answer;
}

HostResult FiscalPrinter::VerificaSerialImp(const SerialCheckRequest &request)
{
    if (!request.boUtilizaImpFis || request.nrSerieImp.trimmed() == m_serial)
        return HostResult::done();
    HostResult result;
    result.failure = QStringLiteral("O número de série da impressora (%1) difere do cadastrado no caixa (%2).")
                         .arg(m_serial, request.nrSerieImp.trimmed());
    refuse(result.failure);
    return result;
}

DateCheckAnswer FiscalPrinter::VerificaData(const DateCheckRequest &)
{
    // The simulated printer's clock is the till's clock.
    DateCheckAnswer answer;
    answer.ok = true;
    answer.text = PtBr::DateToStr(Clock::now().date());
    return answer;
}

TextAnswer FiscalPrinter::Nr_Cupom(const ReceiptNumberRequest &)
{
    TextAnswer answer;
    answer.ok = true;
    answer.text = counter(m_coo);
    return answer;
}

HostResult FiscalPrinter::Atu_TotGeral(const GrandTotalRequest &)
{
    return HostResult::done();
}

HostResult FiscalPrinter::Abre_Gaveta_Imp(const FiscalDrawerRequest &)
{
    // The drawer springs open and the operator pushes it back: it stays closed afterwards
    // unless the site's drawer file says otherwise.
    print({columns(QStringLiteral("GAVETA ABERTA"), PtBr::DateTimeToStr(Clock::now()))});
    return HostResult::done();
}

CreditPurchaseFiscalAnswer FiscalPrinter::Compr_CredPessoal(const CreditPurchaseFiscalRequest &request,
                                                             const DataPacket &payments)
{
    CreditPurchaseFiscalAnswer answer;
    answer.failure = printVoucher(QStringLiteral("COMPRA DE CRÉDITO PESSOAL"),
                                  CreditPurchaseHost::loadLines(request.nmConsumidor, request.familyName,
                                                                request.depositNumber, request.voucherNumber, payments));
    if (!answer.failure.isEmpty())
        return answer;
    answer.ok = true;
    answer.receiptNumber = counter(m_coo);
    answer.receiptCounter = counter(m_coo);
    // On a fiscal-printer desk the till asks for no confirmation: the card charge of the load
    // stands once its voucher is out, as a sale's does once its receipt closes.
    const HostResult confirmed = CardTerminal::FinalizaTransTef(TefFinishRequest{true});
    if (!confirmed.ok)
        HostLog::write(QStringLiteral("cartão da carga de crédito não confirmado: ") + confirmed.failure);
    return answer;
}

QString FiscalPrinter::printVoucher(const QString &title, const QStringList &body)
{
    if (m_open) {
        const QString text = QStringLiteral("Já existe um cupom fiscal aberto na impressora (COO %1).").arg(counter(m_coo));
        refuse(text);
        return text;
    }
    ++m_coo;
    save();
    QStringList lines{rule(QLatin1Char('=')), QStringLiteral("IMPRESSORA FISCAL SIMULADA  Série ") + m_serial,
                      columns(PtBr::DateTimeToStr(Clock::now()), QStringLiteral("COO: ") + counter(m_coo)),
                      QStringLiteral("COMPROVANTE NÃO FISCAL"), title, rule()};
    lines << body << rule(QLatin1Char('=')) << QString();
    print(lines);
    return {};
}

QString FiscalPrinter::readingX()
{
    if (m_open) {
        const QString text = QStringLiteral("Há um cupom fiscal aberto (COO %1): feche-o antes da leitura X.").arg(counter(m_coo));
        refuse(text);
        return text;
    }
    ++m_coo;
    save();
    print({rule(QLatin1Char('=')), QStringLiteral("IMPRESSORA FISCAL SIMULADA  Série ") + m_serial,
           columns(PtBr::DateTimeToStr(Clock::now()), QStringLiteral("COO: ") + counter(m_coo)), QStringLiteral("LEITURA X"),
           rule(), columns(QStringLiteral("GRANDE TOTAL"), money(m_grandTotal)),
           columns(QStringLiteral("ÚLTIMO CUPOM (COO)"), counter(m_lastCoo)), rule(QLatin1Char('=')), QString()});
    return {};
}

#include "books.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>

namespace Books {

namespace {

const QString BaseFile = QStringLiteral("Dados/VendaCons.db");
const QString TapeFolder = QStringLiteral("Dados/ImpressoraFiscal");
const QString DocumentFolder = QStringLiteral("Dados/XML_NFCe_Sat");
const QString LedgerFile = QStringLiteral("Dados/Cartao/transacoes.txt");

// Amounts are compared in whole cents: what a document prints and a base keeps to the cent.
qint64 cents(double value)
{
    return std::llround(value * 100.0);
}

bool same(double a, double b)
{
    return cents(a) == cents(b);
}

QString money(double value)
{
    return QString::number(double(cents(value)) / 100.0, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

// Down to the cent, as a line's value is cut (x 100 of a binary double is not exact).
double trunc2(double value)
{
    const double scaled = value * 100.0;
    const double nearest = std::round(scaled);
    return (std::fabs(scaled - nearest) < 1e-6 ? nearest : std::floor(scaled)) / 100.0;
}

// "1.234,56" (a tape's amount) as a number; false when the text is not one.
bool tapeAmount(const QString &text, double &value)
{
    static const QRegularExpression amount(QStringLiteral("[-+]?(\\d{1,3}(?:\\.\\d{3})*|\\d+),(\\d{2})$"));
    const QRegularExpressionMatch match = amount.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    value = QString(match.captured(1)).remove(QLatin1Char('.')).toDouble() + match.captured(2).toDouble() / 100.0;
    return true;
}

double tapeValue(const QString &line)
{
    double value = 0;
    tapeAmount(line.trimmed().section(QLatin1Char(' '), -1), value);
    return value;
}

// A running number as printed or stored ("000123", "123"): the same number either way.
QString number(const QString &text)
{
    QString digits = text.trimmed();
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

// A document key without its kind ("NFe", "CFe").
QString keyDigits(const QString &text)
{
    return QString(text).remove(QRegularExpression(QStringLiteral("[^0-9]")));
}

bool withBase(const QString &site, const std::function<void(QSqlDatabase &)> &work)
{
    const QString connection = QStringLiteral("books-") + QUuid::createUuid().toString(QUuid::Id128);
    bool opened = false;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        base.setDatabaseName(QDir(site).filePath(BaseFile));
        base.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        opened = base.open();
        if (opened)
            work(base);
    }
    QSqlDatabase::removeDatabase(connection);
    return opened;
}

using Row = QMap<QString, QVariant>;

QList<Row> rowsOf(QSqlDatabase &base, const QString &statement, const QMap<QString, QVariant> &binds = {})
{
    QSqlQuery query(base);
    query.prepare(statement);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        query.bindValue(it.key(), it.value());
    QList<Row> rows;
    if (!query.exec())
        return rows;
    while (query.next()) {
        Row row;
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i).toUpper(), query.value(i));
        rows << row;
    }
    return rows;
}

QString text(const Row &row, const char *column)
{
    return row.value(QString::fromLatin1(column)).toString().trimmed();
}

double amount(const Row &row, const char *column)
{
    return row.value(QString::fromLatin1(column)).toDouble();
}

QString rowText(const Row &row)
{
    QStringList cells;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        cells << it.key() + QLatin1Char('=') + it.value().toString();
    return cells.join(QLatin1Char('|'));
}

QString saleKey(const Row &row)
{
    return text(row, "CDFILIAL") + QLatin1Char('|') + text(row, "CDCAIXA") + QLatin1Char('|') + text(row, "NRSEQVENDA");
}

// One sale of the base with what its lines and payments come to.
struct Sale
{
    QString key;
    QString number; // NRSEQVENDA
    bool cancelled = false;
    QString coupon;   // NRCUPOMFIS
    QString document; // NRNOTAFISCALCE
    QString access;   // NRACESSONFCE
    double total = 0;
    int lines = 0;
    double gross = 0;
    double discounts = 0;
    double additions = 0;
    int payments = 0;
    int paymentsStanding = 0; // payment rows not marked cancelled
    double tendered = 0;
    double change = 0;
    double personalCredit = 0;
    QMap<QString, double> cards; // NSU -> value the sale kept
};

QString nameOf(const Sale &sale)
{
    return QStringLiteral("venda %1").arg(sale.number);
}

void readLines(QSqlDatabase &base, Sale &sale, const QMap<QString, QVariant> &key)
{
    for (const Row &line : rowsOf(base,
                                  QStringLiteral("SELECT * FROM ITEMVENDA WHERE CDFILIAL = :F AND CDCAIXA = :C AND "
                                                 "NRSEQVENDA = :V"),
                                  key)) {
        ++sale.lines;
        sale.gross += trunc2(amount(line, "QTPRODCOMVEN") * (amount(line, "VRPRECCOMVEN") + amount(line, "VRUNITVENDCL")));
        sale.discounts += amount(line, "VRDESCCOMVEN");
        sale.additions += amount(line, "VRACRCOMVEN") + amount(line, "ACRESITEM");
    }
}

void readPayments(QSqlDatabase &base, Sale &sale, const QMap<QString, QVariant> &key)
{
    const QList<Row> kinds = rowsOf(base, QStringLiteral("SELECT * FROM TIPORECE"));
    QMap<QString, QString> kindOf;
    for (const Row &kind : kinds)
        kindOf.insert(text(kind, "CDTIPORECE"), text(kind, "IDTIPORECE"));
    for (const Row &payment : rowsOf(base,
                                     QStringLiteral("SELECT * FROM MOVCAIXA WHERE CDFILIAL = :F AND CDCAIXA = :C AND "
                                                    "NRSEQVENDA = :V"),
                                     key)) {
        ++sale.payments;
        if (text(payment, "IDTIPOMOVIVE") != QLatin1String("C"))
            ++sale.paymentsStanding;
        // The row keeps what the sale took; its change went back to the customer.
        sale.tendered += amount(payment, "VRMOVIVEND") + amount(payment, "VRTROCO");
        sale.change += amount(payment, "VRTROCO");
        const QString kind = text(payment, "IDTIPORECE").isEmpty() ? kindOf.value(text(payment, "CDTIPORECE"))
                                                                    : text(payment, "IDTIPORECE");
        if (kind == QLatin1String("9"))
            sale.personalCredit += amount(payment, "VRMOVIVEND");
        // The till's own card program's transaction; a sale paid elsewhere (a QR code) carries
        // only the host NSU of a charge that program never saw.
        const QString nsu = text(payment, "NRCONTROLTEF");
        if (!nsu.isEmpty())
            sale.cards[number(nsu)] += amount(payment, "VRMOVIVEND");
    }
}

// The sales the script saved or changed.
QList<Sale> salesOf(QSqlDatabase &base, const Opening &opening)
{
    QList<Sale> sales;
    for (const Row &row : rowsOf(base, QStringLiteral("SELECT * FROM VENDA ORDER BY NRSEQVENDA"))) {
        const QString key = saleKey(row);
        if (opening.sales.value(key) == rowText(row))
            continue;
        Sale sale;
        sale.key = key;
        sale.number = text(row, "NRSEQVENDA");
        sale.cancelled = text(row, "IDSITUVENDA") == QLatin1String("C");
        sale.coupon = text(row, "NRCUPOMFIS");
        sale.document = text(row, "NRNOTAFISCALCE");
        sale.access = keyDigits(text(row, "NRACESSONFCE"));
        sale.total = amount(row, "VRTOTVENDA");
        const QMap<QString, QVariant> binds{{QStringLiteral(":F"), row.value(QStringLiteral("CDFILIAL"))},
                                            {QStringLiteral(":C"), row.value(QStringLiteral("CDCAIXA"))},
                                            {QStringLiteral(":V"), row.value(QStringLiteral("NRSEQVENDA"))}};
        readLines(base, sale, binds);
        readPayments(base, sale, binds);
        sales << sale;
    }
    return sales;
}

// One document the script issued, of any kind, reduced to its figures.
struct Document
{
    QString kind;     // "cupom", "NFC-e", "CF-e"
    QString name;     // how a report names it
    QString number;   // COO, nNF, nCFe
    QString key;      // the access key's digits (NFC-e, CF-e)
    bool closed = false;
    bool cancelled = false;
    double total = 0;
    double gross = 0;
    double discounts = 0;
    double others = 0;    // other charges (vOutro, the tape's additions)
    double withdrawn = 0; // items cancelled on the tape
    double saleDiscount = 0;
    double tendered = 0;
    double change = 0;
};

// The coupons of the tape's new text: opened, their items, totals and payments, and how each ended.
QList<Document> coupons(const QString &tape, QSet<QString> &cancelledLater)
{
    static const QRegularExpression cooLine(QStringLiteral("COO: (\\d+)\\s*$"));
    static const QRegularExpression itemLine(QStringLiteral("^\\d{3} "));
    static const QRegularExpression closedLine(QStringLiteral("^CUPOM FISCAL FECHADO\\s+COO: (\\d+)"));
    static const QRegularExpression voidedLine(QStringLiteral("^CUPOM FISCAL CANCELADO\\s+COO: (\\d+)"));
    static const QRegularExpression laterLine(QStringLiteral("^CANCELAMENTO DO CUPOM\\s+COO: (\\d+)"));
    QList<Document> found;
    QString lastCoo;
    bool inCoupon = false;
    bool paying = false;
    bool itemValueNext = false;
    Document coupon;
    for (const QString &line : tape.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (const QRegularExpressionMatch later = laterLine.match(trimmed); later.hasMatch()) {
            cancelledLater.insert(number(later.captured(1)));
            continue;
        }
        if (trimmed.startsWith(QLatin1String("CUPOM FISCAL ")) && trimmed.contains(QLatin1String("CCF:"))) {
            coupon = Document{QStringLiteral("cupom"), QStringLiteral("cupom COO %1").arg(lastCoo), lastCoo};
            inCoupon = true;
            paying = false;
            itemValueNext = false;
            continue;
        }
        if (const QRegularExpressionMatch coo = cooLine.match(trimmed); coo.hasMatch() && !inCoupon)
            lastCoo = number(coo.captured(1));
        if (!inCoupon)
            continue;
        const QRegularExpressionMatch closed = closedLine.match(trimmed);
        const QRegularExpressionMatch voided = voidedLine.match(trimmed);
        if (closed.hasMatch() || voided.hasMatch()) {
            coupon.closed = closed.hasMatch();
            coupon.cancelled = voided.hasMatch();
            found << coupon;
            inCoupon = false;
            continue;
        }
        if (itemValueNext) {
            coupon.gross += tapeValue(trimmed);
            itemValueNext = false;
        } else if (itemLine.match(trimmed).hasMatch() && !paying) {
            itemValueNext = true;
        } else if (trimmed.startsWith(QLatin1String("desconto"))) {
            coupon.discounts += tapeValue(trimmed);
        } else if (trimmed.startsWith(QLatin1String("acréscimo"))) {
            coupon.others += tapeValue(trimmed);
        } else if (trimmed.startsWith(QLatin1String("CANCELAMENTO ITEM"))) {
            coupon.withdrawn += tapeValue(trimmed);
        } else if (trimmed.startsWith(QLatin1String("DESCONTO R$"))) {
            coupon.saleDiscount += tapeValue(trimmed);
        } else if (trimmed.startsWith(QLatin1String("TOTAL R$"))) {
            coupon.total = tapeValue(trimmed);
            paying = true;
        } else if (trimmed.startsWith(QLatin1String("TROCO R$"))) {
            coupon.change = tapeValue(trimmed);
            paying = false;
        } else if (paying) {
            double value = 0;
            if (tapeAmount(trimmed.section(QLatin1Char(' '), -1), value))
                coupon.tendered += value;
        }
    }
    return found;
}

// An NFC-e, a CF-e or the cancellation of one, from its XML.
struct Xml
{
    QString root;
    QString id;
    QString number;
    QString cancels; // the key a cancellation names
    double total = 0;
    double gross = 0, discounts = 0, others = 0;
    double paid = 0, change = 0;
    bool totalSeen = false;
};

Xml readXml(const QByteArray &bytes)
{
    Xml xml;
    QXmlStreamReader reader(bytes);
    bool inTotal = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("total"))
            inTotal = false;
        if (!reader.isStartElement())
            continue;
        const QString name = reader.name().toString();
        if (xml.root.isEmpty())
            xml.root = name;
        if (name == QLatin1String("infNFe") || name == QLatin1String("infCFe")) {
            xml.id = reader.attributes().value(QStringLiteral("Id")).toString();
            xml.cancels = reader.attributes().value(QStringLiteral("chCanc")).toString();
            continue;
        }
        if (name == QLatin1String("total")) {
            inTotal = true;
            continue;
        }
        if (name == QLatin1String("chNFe")) {
            xml.cancels = reader.readElementText();
            continue;
        }
        const QSet<QString> figures{"nNF", "nCFe", "vProd", "vDesc", "vOutro", "vNF", "vCFe", "vPag", "vMP", "vTroco"};
        if (!figures.contains(name))
            continue;
        const QString value = reader.readElementText().trimmed();
        const double v = value.toDouble();
        if (name == QLatin1String("nNF") || name == QLatin1String("nCFe"))
            xml.number = number(value);
        else if (name == QLatin1String("vProd") && !inTotal)
            xml.gross += v;
        else if (name == QLatin1String("vDesc") && !inTotal)
            xml.discounts += v;
        else if (name == QLatin1String("vOutro"))
            xml.others += v;
        else if (name == QLatin1String("vNF") || name == QLatin1String("vCFe")) {
            xml.total = v;
            xml.totalSeen = true;
        } else if (name == QLatin1String("vPag") || name == QLatin1String("vMP"))
            xml.paid += v;
        else if (name == QLatin1String("vTroco"))
            xml.change += v;
    }
    return xml;
}

QString relative(const QString &site, const QString &path)
{
    return QDir(site).relativeFilePath(path);
}

// The files of `folder` (relative to the site) with their sizes.
QMap<QString, qint64> filesUnder(const QString &site, const QString &folder)
{
    QMap<QString, qint64> files;
    QDirIterator it(QDir(site).filePath(folder), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(relative(site, path), QFileInfo(path).size());
    }
    return files;
}

QByteArray readAll(const QString &path, qint64 from = 0)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
        return {};
    return file.readAll();
}

struct Documents
{
    QList<Document> issued;
    QSet<QString> cancelledCoupons; // COO of coupons cancelled after they closed
    QSet<QString> cancelledKeys;    // keys of NFC-e and CF-e cancelled
};

Documents documentsOf(const Opening &opening, const QString &site)
{
    Documents documents;
    const QMap<QString, qint64> tapes = filesUnder(site, TapeFolder);
    for (auto it = tapes.cbegin(); it != tapes.cend(); ++it) {
        if (!QFileInfo(it.key()).fileName().startsWith(QLatin1String("fita-")))
            continue;
        const QByteArray added = readAll(QDir(site).filePath(it.key()), opening.documentSizes.value(it.key(), 0));
        documents.issued += coupons(QString::fromUtf8(added), documents.cancelledCoupons);
    }
    const QMap<QString, qint64> xmls = filesUnder(site, DocumentFolder);
    for (auto it = xmls.cbegin(); it != xmls.cend(); ++it) {
        if (opening.documentSizes.contains(it.key()) || !it.key().endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
            continue;
        const Xml xml = readXml(readAll(QDir(site).filePath(it.key())));
        if (xml.root == QLatin1String("procEventoNFe") || xml.root == QLatin1String("CFeCanc")) {
            documents.cancelledKeys.insert(keyDigits(xml.cancels));
            continue;
        }
        if (xml.root != QLatin1String("nfeProc") && xml.root != QLatin1String("CFe"))
            continue;
        Document document;
        document.kind = xml.root == QLatin1String("CFe") ? QStringLiteral("CF-e") : QStringLiteral("NFC-e");
        document.name = QStringLiteral("%1 %2 (%3)").arg(document.kind, xml.number, QFileInfo(it.key()).fileName());
        document.number = xml.number;
        document.key = keyDigits(xml.id);
        document.closed = true;
        document.total = xml.total;
        document.gross = xml.gross;
        document.discounts = xml.discounts;
        document.others = xml.others;
        document.tendered = xml.paid;
        document.change = xml.change;
        documents.issued << document;
    }
    return documents;
}

// The document of `sale`: its coupon by COO, its NFC-e or CF-e by key, else by number.
const Document *documentOf(const Sale &sale, const QList<Document> &issued)
{
    for (const Document &document : issued) {
        if (document.kind == QLatin1String("cupom") ? !sale.coupon.isEmpty() && number(sale.coupon) == document.number
                                                    : !sale.access.isEmpty() && sale.access == document.key)
            return &document;
    }
    for (const Document &document : issued)
        if (document.kind != QLatin1String("cupom") && !sale.document.isEmpty() && number(sale.document) == document.number)
            return &document;
    return nullptr;
}

void checkSale(const Sale &sale, QStringList &found)
{
    const QString name = nameOf(sale);
    const double lines = sale.gross - sale.discounts + sale.additions;
    if (!same(lines, sale.total))
        found << QStringLiteral("%1: linhas %2 - descontos %3 + acréscimos %4 = %5, mas VENDA.VRTOTVENDA = %6 (%7 linhas)")
                     .arg(name, money(sale.gross), money(sale.discounts), money(sale.additions), money(lines),
                          money(sale.total))
                     .arg(sale.lines);
    if (sale.payments == 0 && sale.cancelled)
        return; // cancelled while open: nothing was paid
    const double paid = sale.tendered - sale.change;
    if (!same(paid, sale.total))
        found << QStringLiteral("%1: pagamentos %2 - troco %3 = %4 (MOVCAIXA, %5 linhas), mas VENDA.VRTOTVENDA = %6")
                     .arg(name, money(sale.tendered), money(sale.change), money(paid))
                     .arg(sale.payments)
                     .arg(money(sale.total));
    if (sale.cancelled && sale.paymentsStanding > 0)
        found << QStringLiteral("%1: cancelada na VENDA, mas %2 de %3 linhas de MOVCAIXA não estão canceladas")
                     .arg(name)
                     .arg(sale.paymentsStanding)
                     .arg(sale.payments);
    if (!sale.cancelled && sale.paymentsStanding < sale.payments)
        found << QStringLiteral("%1: não cancelada na VENDA, mas %2 linhas de MOVCAIXA estão canceladas")
                     .arg(name)
                     .arg(sale.payments - sale.paymentsStanding);
}

void checkDocument(const Document &document, QStringList &found)
{
    if (!document.closed)
        return;
    const double items = document.gross - document.discounts + document.others - document.withdrawn - document.saleDiscount;
    if (!same(items, document.total)) {
        const QString parts = document.kind == QLatin1String("cupom")
            ? QStringLiteral("itens %1 - descontos %2 + acréscimos %3 - itens cancelados %4 - desconto %5")
                  .arg(money(document.gross), money(document.discounts), money(document.others),
                       money(document.withdrawn), money(document.saleDiscount))
            : QStringLiteral("vProd %1 - vDesc %2 + vOutro %3")
                  .arg(money(document.gross), money(document.discounts), money(document.others));
        found << QStringLiteral("%1: %2 = %3, mas o total do documento é %4")
                     .arg(document.name, parts, money(items), money(document.total));
    }
    const double paid = document.tendered - document.change;
    if (!same(paid, document.total))
        found << QStringLiteral("%1: %2 %3 - %4 %5 = %6, mas o total do documento é %7")
                     .arg(document.name,
                          document.kind == QLatin1String("cupom") ? QStringLiteral("pagamentos")
                          : document.kind == QLatin1String("CF-e") ? QStringLiteral("vMP")
                                                                   : QStringLiteral("vPag"),
                          money(document.tendered),
                          document.kind == QLatin1String("cupom") ? QStringLiteral("TROCO") : QStringLiteral("vTroco"),
                          money(document.change), money(paid), money(document.total));
}

bool documentCancelled(const Document &document, const Documents &documents)
{
    if (document.kind == QLatin1String("cupom"))
        return document.cancelled || documents.cancelledCoupons.contains(document.number);
    return documents.cancelledKeys.contains(document.key);
}

void checkSaleDocument(const Sale &sale, const Documents &documents, QSet<const Document *> &claimed, QStringList &found)
{
    const Document *document = documentOf(sale, documents.issued);
    const QString name = nameOf(sale);
    if (!document) {
        // A coupon or key the base names, but no document of the script holds.
        if (!sale.coupon.isEmpty() && !sale.cancelled)
            found << QStringLiteral("%1: VENDA.NRCUPOMFIS %2, mas a fita não tem esse cupom fechado").arg(name, sale.coupon);
        return;
    }
    claimed.insert(document);
    if (document->closed && !same(document->total, sale.total))
        found << QStringLiteral("%1: VENDA.VRTOTVENDA %2, mas %3 tem total %4")
                     .arg(name, money(sale.total), document->name, money(document->total));
    if (document->kind == QLatin1String("NFC-e") && number(sale.document) != document->number)
        found << QStringLiteral("%1: VENDA.NRNOTAFISCALCE \"%2\", mas a venda foi emitida na %3")
                     .arg(name, sale.document, document->name);
    const bool cancelled = documentCancelled(*document, documents);
    if (sale.cancelled != cancelled)
        found << QStringLiteral("%1: %2 na VENDA, mas %3 %4")
                     .arg(name, sale.cancelled ? QStringLiteral("cancelada") : QStringLiteral("não cancelada"),
                          document->name,
                          cancelled ? QStringLiteral("está cancelado") : QStringLiteral("não foi cancelado"));
}

struct Transaction
{
    qint64 cents = 0;
    QString state;
};

QMap<QString, Transaction> ledgerOf(const QByteArray &bytes)
{
    QMap<QString, Transaction> ledger;
    for (const QByteArray &line : bytes.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(';');
        if (fields.size() != 3)
            continue;
        Transaction &transaction = ledger[number(QString::fromUtf8(fields.at(0)))];
        if (!fields.at(1).isEmpty())
            transaction.cents = fields.at(1).toLongLong();
        transaction.state = QString::fromUtf8(fields.at(2));
    }
    return ledger;
}

void checkCards(const Sale &sale, const QMap<QString, Transaction> &ledger, QStringList &found)
{
    for (auto it = sale.cards.cbegin(); it != sale.cards.cend(); ++it) {
        const QString name = nameOf(sale);
        if (!ledger.contains(it.key())) {
            found << QStringLiteral("%1: pagamento com cartão NSU %2 (%3) que o programa do cartão não tem")
                         .arg(name, it.key(), money(it.value()));
            continue;
        }
        const Transaction &transaction = ledger.value(it.key());
        if (transaction.cents != cents(it.value()))
            found << QStringLiteral("%1: cartão NSU %2 de %3 no MOVCAIXA, mas %4 no programa do cartão")
                         .arg(name, it.key(), money(it.value()), money(double(transaction.cents) / 100.0));
        const bool undone = transaction.state == QLatin1String("ESTORNADA") || transaction.state == QLatin1String("DESFEITA");
        if (sale.cancelled != undone)
            found << QStringLiteral("%1: %2 na VENDA, mas o cartão NSU %3 está %4 no programa do cartão")
                         .arg(name, sale.cancelled ? QStringLiteral("cancelada") : QStringLiteral("não cancelada"),
                              it.key(), transaction.state);
    }
}

QString familyKey(const Row &row)
{
    return text(row, "CDCLIENTE") + QLatin1Char('|') + text(row, "CDCONSUMIDOR") + QLatin1Char('|')
        + text(row, "CDFAMILISALD");
}

QString lineKey(const Row &row)
{
    return familyKey(row) + QLatin1Char('|') + row.value(QStringLiteral("DTMOVEXTCONS")).toString() + QLatin1Char('|')
        + text(row, "NRSEQMOVEXT");
}

QMap<QString, double> balancesOf(QSqlDatabase &base)
{
    QMap<QString, double> balances;
    for (const Row &row : rowsOf(base, QStringLiteral("SELECT * FROM SALDOCONS")))
        balances.insert(familyKey(row), amount(row, "VRSALDCONFAM"));
    return balances;
}

// A statement line lowers the family's balance (a sale, a debit) or raises it (a load, a
// cancellation's credit).
int direction(const QString &kind)
{
    if (kind == QLatin1String("V") || kind == QLatin1String("D") || kind == QLatin1String("E"))
        return -1;
    if (kind == QLatin1String("C") || kind == QLatin1String("F"))
        return 1;
    return 0;
}

void checkStatements(QSqlDatabase &base, const Opening &opening, const QList<Sale> &sales, QStringList &found)
{
    const QMap<QString, double> after = balancesOf(base);
    QMap<QString, QList<Row>> moved;
    for (const Row &row : rowsOf(base, QStringLiteral("SELECT * FROM EXTRATOCONS ORDER BY DTMOVEXTCONS, NRSEQMOVEXT")))
        if (!opening.statementLines.contains(lineKey(row)))
            moved[familyKey(row)] << row;
    for (auto it = moved.cbegin(); it != moved.cend(); ++it) {
        double balance = opening.balances.value(it.key());
        for (const Row &line : it.value()) {
            const double step = amount(line, "VRMOVEXTCONS");
            const double next = amount(line, "VRSALDCONEXT");
            const int sign = direction(text(line, "IDTPMOVEXT"));
            const bool follows = sign != 0 ? same(balance + sign * step, next)
                                           : same(balance + step, next) || same(balance - step, next);
            if (!follows)
                found << QStringLiteral("extrato %1: saldo %2 e linha \"%3\" %4 %5 (%6), mas a linha diz saldo %7")
                             .arg(it.key(), money(balance), text(line, "DSOPEEXTCONS"), text(line, "IDTPMOVEXT"),
                                  money(step), money(balance + (sign == 0 ? -1 : sign) * step), money(next));
            balance = next;
        }
        if (!same(balance, after.value(it.key())))
            found << QStringLiteral("extrato %1: a última linha diz saldo %2, mas SALDOCONS tem %3")
                         .arg(it.key(), money(balance), money(after.value(it.key())));
    }
    for (const Sale &sale : sales) {
        double debited = 0;
        for (const QList<Row> &lines : moved)
            for (const Row &line : lines)
                if (text(line, "IDTPMOVEXT") == QLatin1String("V") && text(line, "NRSEQVENDA") == sale.number)
                    debited += amount(line, "VRMOVEXTCONS");
        if (!same(debited, sale.personalCredit) && !sale.cancelled)
            found << QStringLiteral("%1: crédito pessoal %2 no MOVCAIXA, mas o extrato debitou %3")
                         .arg(nameOf(sale), money(sale.personalCredit), money(debited));
    }
}

} // namespace

Opening openBooks(const QString &site)
{
    Opening opening;
    withBase(site, [&opening](QSqlDatabase &base) {
        for (const Row &row : rowsOf(base, QStringLiteral("SELECT * FROM VENDA")))
            opening.sales.insert(saleKey(row), rowText(row));
        opening.balances = balancesOf(base);
        for (const Row &row : rowsOf(base, QStringLiteral("SELECT * FROM EXTRATOCONS")))
            opening.statementLines.insert(lineKey(row));
    });
    opening.documentSizes = filesUnder(site, TapeFolder);
    opening.documentSizes.insert(filesUnder(site, DocumentFolder));
    opening.ledger = readAll(QDir(site).filePath(LedgerFile));
    return opening;
}

QStringList disagreements(const Opening &opening, const QString &site)
{
    QStringList found;
    QList<Sale> sales;
    const bool opened = withBase(site, [&](QSqlDatabase &base) {
        sales = salesOf(base, opening);
        checkStatements(base, opening, sales, found);
    });
    if (!opened)
        return {QStringLiteral("a base do site não abriu")};
    const Documents documents = documentsOf(opening, site);
    const QMap<QString, Transaction> ledger = ledgerOf(readAll(QDir(site).filePath(LedgerFile)));
    QSet<const Document *> claimed;
    for (const Sale &sale : sales) {
        checkSale(sale, found);
        checkSaleDocument(sale, documents, claimed, found);
        checkCards(sale, ledger, found);
    }
    for (const Document &document : documents.issued) {
        checkDocument(document, found);
        // A document that closed with money but no sale the base kept.
        if (document.closed && !claimed.contains(&document) && !documentCancelled(document, documents))
            found << QStringLiteral("%1: total %2, mas nenhuma venda salva o nomeia").arg(document.name, money(document.total));
    }
    return found;
}

} // namespace Books

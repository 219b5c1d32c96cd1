// The QR-code sale text: the scanner's compact form expanded by a tokeniser, and the expanded
// form read field by field in its fixed order.
#include "qrcodepayload_p.h"

#include <QHash>
#include <QLocale>

namespace QrCodePayload {

namespace {

// Short keys of the scanner and the keys they stand for. Keys the scanner writes in full
// (TXPRODCOMVEN, CDOCORR, CDGRPOCOR) and full keys map to themselves by not being here.
const QHash<QString, QString> &shortKeys()
{
    static const QHash<QString, QString> keys{
        {QStringLiteral("FIL"), QStringLiteral("FILIAL")},
        {QStringLiteral("NVR"), QStringLiteral("NRVENDAREST")},
        {QStringLiteral("NCD"), QStringLiteral("NRCOMANDA")},
        {QStringLiteral("CLIE"), QStringLiteral("CDCLIENTE")},
        {QStringLiteral("CONS"), QStringLiteral("CDCONSUMIDOR")},
        {QStringLiteral("NSU"), QStringLiteral("CDNSUHOSTTEF")},
        {QStringLiteral("PRODS"), QStringLiteral("PRODUCTSDETAILS")},
        {QStringLiteral("CDP"), QStringLiteral("CDPRODUTO")},
        {QStringLiteral("QT"), QStringLiteral("QTPRODCOMVEN")},
        {QStringLiteral("VR"), QStringLiteral("VRPRECITEM")},
        {QStringLiteral("IMPPROD"), QStringLiteral("IDIMPPRODUTO")},
        {QStringLiteral("OBS"), QStringLiteral("OBSERVACOES")},
        {QStringLiteral("PROMO"), QStringLiteral("PROMOPRODS")},
        {QStringLiteral("REC"), QStringLiteral("RECEBIMENTOS")},
        {QStringLiteral("CDTREC"), QStringLiteral("CDTIPORECE")},
        {QStringLiteral("IDTREC"), QStringLiteral("IDTIPORECE")},
        {QStringLiteral("VRT"), QStringLiteral("VRPRECITEMT")},
    };
    return keys;
}

// Noise dropped, substitutes replaced, ASCII letters upper-cased (values too: "nul" is "NUL").
QString normalised(const QString &scanned)
{
    QString text;
    text.reserve(scanned.size());
    for (const QChar c : scanned) {
        switch (c.unicode()) {
        case '<': case '>': case '*': continue;
        case '$': text += QLatin1Char('='); break;
        case '(': text += QLatin1Char('['); break;
        case ')': text += QLatin1Char(']'); break;
        default:
            text += (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
        }
    }
    return text;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('[') || c == QLatin1Char(']');
}

// Reads the expanded text from the front; the first failure is kept and every later step fails.
class Reader
{
public:
    explicit Reader(const QString &text) : m_text(text) {}

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    bool at(QLatin1StringView text) const { return ok() && QStringView(m_text).mid(m_pos).startsWith(text); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QString rest() const { return m_text.mid(m_pos); }

    // "KEY=" at the front, then the value up to (not taking) the first of `enders`.
    QString field(QLatin1StringView key, QLatin1StringView enders = QLatin1StringView(","))
    {
        if (!ok())
            return {};
        if (!at(key) || m_text.mid(m_pos + key.size(), 1) != QLatin1String("=")) {
            fail(QStringLiteral("campo %1 ausente ou fora de ordem").arg(key));
            return {};
        }
        const int start = m_pos + int(key.size()) + 1;
        int end = start;
        while (end < m_text.size() && !enders.contains(m_text.at(end)))
            ++end;
        if (end >= m_text.size()) {
            fail(QStringLiteral("campo %1 sem fim").arg(key));
            return {};
        }
        m_pos = end;
        return m_text.mid(start, end - start);
    }
    void take(QLatin1StringView text, const QString &what)
    {
        if (!ok())
            return;
        if (!at(text)) {
            fail(what);
            return;
        }
        m_pos += int(text.size());
    }
    double decimal(const QString &value, const QString &what, bool emptyIsZero = false)
    {
        double number = 0;
        if (!ok() || (emptyIsZero && value.isEmpty()))
            return 0;
        if (!readDecimal(value, number))
            fail(QStringLiteral("%1 não é um número: \"%2\"").arg(what, value));
        return number;
    }
    void fail(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }

private:
    QString m_text;
    int m_pos = 0;
    QString m_error;
};

void readHeader(Reader &r, Sale &sale)
{
    const QLatin1StringView comma(",");
    sale.branch = r.field(QLatin1StringView("FILIAL"));
    r.take(comma, QStringLiteral("FILIAL sem vírgula"));
    sale.saleNumber = r.field(QLatin1StringView("NRVENDAREST"));
    r.take(comma, QStringLiteral("NRVENDAREST sem vírgula"));
    sale.tab = r.field(QLatin1StringView("NRCOMANDA"));
    r.take(comma, QStringLiteral("NRCOMANDA sem vírgula"));
    sale.client = r.field(QLatin1StringView("CDCLIENTE"));
    r.take(comma, QStringLiteral("CDCLIENTE sem vírgula"));
    sale.consumer = r.field(QLatin1StringView("CDCONSUMIDOR"));
    r.take(comma, QStringLiteral("CDCONSUMIDOR sem vírgula"));
    sale.nsu = r.field(QLatin1StringView("CDNSUHOSTTEF"));
    r.take(comma, QStringLiteral("CDNSUHOSTTEF sem vírgula"));
}

// The observation pairs are read past: the till does not use them.
void skipObservations(Reader &r)
{
    r.take(QLatin1StringView("OBSERVACOES=["), QStringLiteral("campo OBSERVACOES ausente ou fora de ordem"));
    if (r.at(QLatin1StringView("]"))) {
        r.take(QLatin1StringView("]"), QString());
    } else {
        while (r.ok()) {
            r.field(QLatin1StringView("CDOCORR"));
            r.take(QLatin1StringView(","), QStringLiteral("observação incompleta"));
            r.field(QLatin1StringView("CDGRPOCOR"), QLatin1StringView(",]"));
            if (r.at(QLatin1StringView("]"))) {
                r.take(QLatin1StringView("]"), QString());
                break;
            }
            r.take(QLatin1StringView(","), QStringLiteral("observação incompleta"));
        }
    }
    r.take(QLatin1StringView(","), QStringLiteral("OBSERVACOES sem vírgula"));
}

Product readProduct(Reader &r)
{
    const QLatin1StringView comma(",");
    Product product;
    product.code = r.field(QLatin1StringView("CDPRODUTO"));
    r.take(comma, QString());
    if (r.ok() && product.code.isEmpty())
        r.fail(QStringLiteral("produto sem código"));
    product.quantity = r.decimal(r.field(QLatin1StringView("QTPRODCOMVEN")), QStringLiteral("quantidade"));
    r.take(comma, QString());
    if (r.ok() && product.quantity <= 0)
        r.fail(QStringLiteral("quantidade zero do produto %1").arg(product.code));
    product.price = r.decimal(r.field(QLatin1StringView("VRPRECITEM")), QStringLiteral("preço"));
    r.take(comma, QString());
    if (r.ok() && product.price <= 0)
        r.fail(QStringLiteral("preço zero do produto %1").arg(product.code));
    product.printFlag = r.field(QLatin1StringView("IDIMPPRODUTO"));
    r.take(comma, QString());
    product.surcharge = r.decimal(r.field(QLatin1StringView("TXPRODCOMVEN")), QStringLiteral("acréscimo"), true);
    r.take(comma, QString());
    skipObservations(r);
    r.take(QLatin1StringView("PROMOPRODS=["), QStringLiteral("campo PROMOPRODS ausente ou fora de ordem"));
    // A promotion list with products cannot be told apart from the sale's own records.
    r.take(QLatin1StringView("]"), QStringLiteral("promoções com conteúdo não são aceitas"));
    return product;
}

void readProducts(Reader &r, Sale &sale)
{
    r.take(QLatin1StringView("PRODUCTSDETAILS=["), QStringLiteral("campo PRODUCTSDETAILS ausente ou fora de ordem"));
    while (r.ok()) {
        sale.products.append(readProduct(r));
        if (r.at(QLatin1StringView("]")))
            break;
        r.take(QLatin1StringView(","), QStringLiteral("produto sem fim"));
    }
    r.take(QLatin1StringView("],"), QStringLiteral("lista de produtos sem fim"));
}

void readPayment(Reader &r, Sale &sale)
{
    Payment &payment = sale.payment;
    r.take(QLatin1StringView("RECEBIMENTOS=["), QStringLiteral("campo RECEBIMENTOS ausente ou fora de ordem"));
    payment.type = r.field(QLatin1StringView("CDTIPORECE"));
    r.take(QLatin1StringView(","), QString());
    payment.kind = r.field(QLatin1StringView("IDTIPORECE"));
    r.take(QLatin1StringView(","), QString());
    const QString value = r.field(QLatin1StringView("VRPRECITEMT"), QLatin1StringView(",]"));
    if (r.at(QLatin1StringView(",")) || r.rest().contains(QLatin1String("CDTIPORECE"))) {
        r.fail(QStringLiteral("mais de um recebimento"));
        return;
    }
    payment.value = r.decimal(value, QStringLiteral("valor pago"));
    if (r.ok() && payment.type.size() != 3)
        r.fail(QStringLiteral("tipo de recebimento \"%1\" inválido").arg(payment.type));
    if (r.ok() && payment.kind.size() != 1)
        r.fail(QStringLiteral("forma de recebimento \"%1\" inválida").arg(payment.kind));
    // Only closing brackets may follow.
    const QString rest = r.rest();
    if (r.ok() && rest.count(QLatin1Char(']')) != rest.size())
        r.fail(QStringLiteral("texto após o recebimento"));
}

} // namespace

QString expand(const QString &scanned)
{
    const QString text = normalised(scanned);
    QString out;
    out.reserve(text.size() * 2);
    bool fieldStart = true;
    int i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (isSeparator(c)) {
            out += c;
            fieldStart = c != QLatin1Char(']');
            ++i;
            continue;
        }
        if (fieldStart) {
            int eq = i;
            while (eq < text.size() && text.at(eq) != QLatin1Char('=') && !isSeparator(text.at(eq)))
                ++eq;
            if (eq < text.size() && text.at(eq) == QLatin1Char('=')) {
                const QString key = text.mid(i, eq - i);
                out += shortKeys().value(key, key) + QLatin1Char('=');
                i = eq + 1;
                fieldStart = false;
                continue;
            }
        }
        out += c;
        fieldStart = false;
        ++i;
    }
    return out;
}

bool readDecimal(const QString &text, double &value)
{
    if (text.isEmpty() || text.size() > 20)
        return false;
    int dot = -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('.') && dot < 0 && i > 0 && i + 1 < text.size())
            dot = i;
        else if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    // Digits and at most one inner point: the C locale reads it exactly as written.
    bool ok = false;
    value = QLocale::c().toDouble(text, &ok);
    return ok;
}

bool read(const QString &expanded, Sale &sale, QString &error)
{
    sale = Sale{};
    Reader r(expanded);
    readHeader(r, sale);
    readProducts(r, sale);
    readPayment(r, sale);
    error = r.error();
    return r.ok();
}

} // namespace QrCodePayload

#include "salesaving.h"

#include <host/partners/authorities.h>
#include <host/devices/cardterminal.h>
#include <host/devices/fiscalprinter.h>
#include "hostdatabase.h"
#include <host/program/hostlog.h>
#include <host/partners/partnerservices.h>

#include <outside/consiste.h>
#include <outside/qub_proximocodigo.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <server/srv_consumers_posting.h>

#include <QFile>

#include <algorithm>
#include <optional>

namespace SaleSaving {

namespace {

// The answer's NFC-e status when the authority refused the document.
const QString nfceRefusedStatus = QStringLiteral("REJEITADA");

FailurePoint &failurePoint()
{
    static FailurePoint point;
    return point;
}

using Values = QList<std::pair<QString, Variant>>;

Variant dateOrNull(const QDateTime &moment)
{
    return moment.isValid() ? Variant(moment) : Variant::null();
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

// What a step of the save writes, in the cashier's words ("ITEMVENDA 2": "o item 2 da venda").
QString stepInWords(const QString &step)
{
    static const QList<std::pair<QString, QString>> words{
        {QStringLiteral("VENDA"), QStringLiteral("o registro da venda")},
        {QStringLiteral("ITEMVENDA"), QStringLiteral("o item %1 da venda")},
        {QStringLiteral("MOVCAIXA"), QStringLiteral("o pagamento %1 da venda")},
        {QStringLiteral("ITVENDACAN"), QStringLiteral("o item cancelado %1 da venda")},
        {QStringLiteral("PROMOCOMANDA"), QStringLiteral("a promoção %1 da venda")},
        {QStringLiteral("USOCUPOMDESCQUB"), QStringLiteral("o uso do cupom de desconto %1")},
        {QStringLiteral("NFCE"), QStringLiteral("os dados da NFC-e da venda")},
        {QStringLiteral("CANCELAMENTO"), QStringLiteral("o cancelamento da venda")}};
    const QString table = step.section(QLatin1Char(' '), 0, 0);
    const QString which = step.section(QLatin1Char(' '), 1);
    for (const auto &[name, text] : words) {
        if (name == table)
            return text.contains(QLatin1String("%1")) ? text.arg(which) : text;
    }
    return QStringLiteral("os dados da venda");
}

// Inserts and the error of the first failure, on the host's session, inside the caller's
// transaction. Column names come from this file only; every value is bound.
class Writer
{
public:
    explicit Writer(Qub_movrela::DbConnection &db) : m_db(db) {}

    bool insert(const QString &table, const Values &values, const QString &step)
    {
        QStringList columns, binds;
        Qub_movrela::Params params;
        for (const auto &[column, value] : values) {
            columns << column;
            binds << QStringLiteral(":P_") + column;
            params.append({QStringLiteral("P_") + column, value});
        }
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(QStringLiteral(", ")),
                                                                             binds.join(QStringLiteral(", ")));
        return run(QStringLiteral("hostGrava") + table, sql, params, nullptr, step) && reached(step);
    }

    // `step` names what the statement writes, for the cashier's words when the base refuses it.
    bool run(const QString &name, const QString &sql, const Qub_movrela::Params &params, int *affected = nullptr,
             const QString &step = {})
    {
        Qub_movrela::QueryRows rows;
        if (!m_db.execute(name, sql, params, &rows)) {
            m_error = Qub_movrela::ADOExceptionMessage(m_db.lastError(), m_db, QString());
            refusedInWords(step);
            return false;
        }
        if (affected)
            *affected = rows.rowsAffected;
        return true;
    }

    // The injected failure of a test, as if the database had refused at this step.
    bool reached(const QString &step)
    {
        if (!failurePoint())
            return true;
        m_error = failurePoint()(step);
        return m_error.isEmpty();
    }

    void fail(const QString &text) { m_error = text; }
    const QString &error() const { return m_error; }

private:
    // A base that is up and refuses a row (a constraint, a trigger, a full disk) is told in
    // words, with the base's own reason; the statement's name and the base's address go to the
    // log only. A base that cannot be reached keeps its text, which the screen words itself.
    void refusedInWords(const QString &step)
    {
        const Qub_movrela::DbError &error = m_db.lastError();
        if (error.cause != Qub_movrela::DbError::Cause::Statement && error.cause != Qub_movrela::DbError::Cause::Parameters)
            return;
        HostLog::write(QStringLiteral("banco recusou a gravação: ") + m_error);
        m_error = QStringLiteral("O banco de dados recusou gravar %1 (motivo informado pelo banco: %2).")
                      .arg(stepInWords(step), error.databaseText);
    }

    Qub_movrela::DbConnection &m_db;
    QString m_error;
};

// The transaction of one save: rolled back on the way out unless committed.
class Transaction
{
public:
    explicit Transaction(Qub_movrela::DbConnection &db) : m_db(db) { m_begun = db.begin(); }
    ~Transaction()
    {
        if (m_begun && !m_committed)
            m_db.rollback();
    }
    bool begun() const { return m_begun; }
    bool commit() { return m_committed = m_db.commit(); }

private:
    Qub_movrela::DbConnection &m_db;
    bool m_begun = false;
    bool m_committed = false;
};

// How one attempt at a save's transaction ended.
enum class Attempt {
    Committed,
    Refused,          // the database, the authority or a check said no: nothing stored
    Cut,              // the server ended the session before the COMMIT went out: nothing stored
    CommitUnanswered, // the session ended while the COMMIT was out: it may have been stored
};

// Whether the work of a transaction whose COMMIT went unanswered was stored; empty when the
// base could not tell.
using StoredLookup = std::function<std::optional<bool>()>;

Attempt attemptOnce(Qub_movrela::DbConnection &db, const std::function<bool(Writer &)> &body, QString *error)
{
    Writer writer(db);
    Transaction transaction(db);
    // BEGIN has already been made once more on a fresh session when the idle one was gone.
    if (!transaction.begun()) {
        *error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return Attempt::Refused;
    }
    if (!body(writer)) {
        *error = writer.error().isEmpty() ? Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString())
                                          : writer.error();
        // A session lost inside the transaction fails every statement after it as lost too.
        return db.lastError().lost ? Attempt::Cut : Attempt::Refused;
    }
    if (!transaction.commit()) {
        *error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return db.lastError().lost ? Attempt::CommitUnanswered : Attempt::Refused;
    }
    if (!writer.reached(QStringLiteral("COMMIT"))) {
        *error = writer.error();
        return Attempt::CommitUnanswered;
    }
    return Attempt::Committed;
}

// Runs `body` in one transaction on the host's session. A server restart that ends the
// session must not cost the cashier the sale: when nothing of the transaction can have been
// stored it is made once more, whole, on a fresh session; when the answer to its COMMIT was
// lost, `stored` asks the fresh session whether it was written, so it is stored once, never
// twice. Without `stored` the work is one that does the same when made twice. A base that
// stays down fails with the database's text. True when stored; else `error` says why.
bool storeOnce(Qub_movrela::DbConnection &db, const QString &what, const std::function<bool(Writer &)> &body,
               const StoredLookup &stored, QString *error)
{
    const auto resolve = [&](Attempt outcome) {
        if (outcome != Attempt::CommitUnanswered)
            return outcome;
        if (!stored)
            return Attempt::Cut;
        const std::optional<bool> found = stored();
        if (!found) {
            HostLog::write(QStringLiteral("%1: sem resposta do banco à gravação, e não foi possível saber se foi gravada")
                               .arg(what));
            return Attempt::Refused;
        }
        HostLog::write(QStringLiteral("%1: sem resposta do banco à gravação; %2").arg(
            what, *found ? QStringLiteral("está gravada") : QStringLiteral("não foi gravada")));
        return *found ? Attempt::Committed : Attempt::Cut;
    };
    Attempt outcome = resolve(attemptOnce(db, body, error));
    if (outcome == Attempt::Cut) {
        HostLog::write(QStringLiteral("%1: conexão com o banco perdida (%2); gravando de novo em nova conexão")
                           .arg(what, *error));
        outcome = resolve(attemptOnce(db, body, error));
    }
    if (outcome == Attempt::Committed)
        error->clear();
    return outcome == Attempt::Committed;
}

// Whether the sale `key` is in VENDA, asked outside any transaction (a read the session makes
// once more on a fresh connection when the old one is gone).
StoredLookup saleInVenda(Qub_movrela::DbConnection &db, const QString &cdFilial, const QString &cdCaixa,
                         const QString &nrSeqVenda)
{
    return [&db, cdFilial, cdCaixa, nrSeqVenda]() -> std::optional<bool> {
        Qub_movrela::QueryRows found;
        if (!db.execute(QStringLiteral("hostVendaGravada"),
                        QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                                       "AND NRSEQVENDA = :P_NRSEQVENDA"),
                        {{QStringLiteral("P_CDFILIAL"), cdFilial},
                         {QStringLiteral("P_CDCAIXA"), cdCaixa},
                         {QStringLiteral("P_NRSEQVENDA"), nrSeqVenda}},
                        &found)
            || found.rows.isEmpty())
            return std::nullopt;
        return found.rows.first().first().toLongLong() > 0;
    };
}

Qub_proximocodigo::NextNumber newSaleKey(const QString &cdFilial, const QString &cdCaixa)
{
    return Qub_proximocodigo::TdtmQubProxCodigo().draw(QStringLiteral("VENDAHOST") + cdFilial + cdCaixa);
}

QString saleKeyText(const Qub_proximocodigo::NextNumber &number)
{
    return Consiste::Ajusta(number.text(), 10);
}

struct SaleKey
{
    QString cdFilial, cdCaixa, nrSeqVenda;
    Values values() const
    {
        return {{QStringLiteral("CDFILIAL"), cdFilial}, {QStringLiteral("CDCAIXA"), cdCaixa},
                {QStringLiteral("NRSEQVENDA"), nrSeqVenda}};
    }
};

// The line's number in the receipt (its NRSEQ), in the five-digit form the benefit uses of
// the sale are bound by; empty for a row without one.
QString receiptOrder(const DataPacket &rows, int row)
{
    const QString line = textOf(rows, row, "NRSEQ").trimmed();
    return line.isEmpty() ? QString() : Consiste::Ajusta(line, 5);
}

// The cart's order identifier at the promotions service, from the first line that has one.
QString promotionOrder(const DataPacket &rows)
{
    for (int row = 0; row < rows.rows.size(); ++row) {
        const QString order = textOf(rows, row, "IDPEDINTEPROMO").trimmed();
        if (!order.isEmpty())
            return order;
    }
    return QString();
}

bool writePromotions(Writer &writer, const SaleKey &key, const DataPacket &rows)
{
    for (int row = 0; row < rows.rows.size(); ++row) {
        Values values = key.values();
        for (const char *field : {"IDPROMOCOM", "NMPROMOCOM", "DSPROMOCOM", "IDTPPROMOCOM", "IDTPDESCPROMO",
                                  "IDUTPROMOCOM"})
            values.append({QString::fromLatin1(field), textOf(rows, row, field)});
        values += {{QStringLiteral("VRDESCPROMO"), numberOf(rows, row, "VRDESCPROMO")},
                   {QStringLiteral("VRVENDAPROMO"), numberOf(rows, row, "VRVENDAPROMO")}};
        if (!writer.insert(QStringLiteral("PROMOCOMANDA"), values, QStringLiteral("PROMOCOMANDA %1").arg(row + 1)))
            return false;
    }
    return true;
}

bool writeItems(Writer &writer, const SaleKey &key, const DataPacket &rows)
{
    for (int row = 0; row < rows.rows.size(); ++row) {
        Values values = key.values();
        values += {{QStringLiteral("NRSEQUITVEND"), Consiste::Ajusta(QString::number(row + 1), 3)},
                   {QStringLiteral("CDPRODUTO"), textOf(rows, row, "CDPRODUTO")},
                   {QStringLiteral("NMPRODUTO"), textOf(rows, row, "NMPRODUTO")},
                   {QStringLiteral("CDARVPROD"), textOf(rows, row, "CDARVPROD")},
                   {QStringLiteral("QTPRODCOMVEN"), numberOf(rows, row, "QTPRODCOMVEN")},
                   {QStringLiteral("VRPRECCOMVEN"), numberOf(rows, row, "VRPRECCOMVEN")},
                   {QStringLiteral("VRUNITVENDCL"), numberOf(rows, row, "VRUNITVENDCL")},
                   {QStringLiteral("VRDESCCOMVEN"), numberOf(rows, row, "VRDESCCOMVEN")},
                   {QStringLiteral("VRACRCOMVEN"), numberOf(rows, row, "VRACRCOMVEN")},
                   {QStringLiteral("ACRESITEM"), numberOf(rows, row, "ACRESITEM")},
                   // The consumption figures of the server (today's quantities and values) read these.
                   {QStringLiteral("QTPRODVEND"), numberOf(rows, row, "QTPRODCOMVEN")},
                   {QStringLiteral("VRUNITVEND"), numberOf(rows, row, "VRPRECCOMVEN")},
                   {QStringLiteral("VRDESITVEND"), numberOf(rows, row, "VRDESCCOMVEN")},
                   {QStringLiteral("VRACRITVEND"), numberOf(rows, row, "VRACRCOMVEN") + numberOf(rows, row, "ACRESITEM")},
                   {QStringLiteral("CDIMPOSTO"), textOf(rows, row, "CDIMPOSTO")},
                   {QStringLiteral("VRPEALIMPFIS"), numberOf(rows, row, "VRPEALIMPFIS")},
                   {QStringLiteral("IDTPIMPOSFIS"), textOf(rows, row, "IDTPIMPOSFIS")},
                   {QStringLiteral("CDLOJA"), textOf(rows, row, "CDLOJAIT").isEmpty() ? textOf(rows, row, "CDLOJA")
                                                                                        : textOf(rows, row, "CDLOJAIT")},
                   {QStringLiteral("NRLUGARMESA"), textOf(rows, row, "NRLUGARMESA")},
                   {QStringLiteral("CDVENDEDOR"), textOf(rows, row, "CDVENDEDOR")},
                   {QStringLiteral("SGUNIDADE"), textOf(rows, row, "SGUNIDADE")},
                   {QStringLiteral("CDCLASFISC"), textOf(rows, row, "CDCLASFISC")},
                   {QStringLiteral("CDCUPOMDESCQUB"), textOf(rows, row, "CDCUPOMDESCQUB")},
                   {QStringLiteral("CDPRODPROMOCAO"), textOf(rows, row, "CDPRODPROMOCAO")},
                   {QStringLiteral("NRSEQPRODCOMIT"), textOf(rows, row, "NRSEQPRODCOMIT")},
                   // The take-away mark goes with the sale, as it goes with a table's order.
                   {QStringLiteral("IDPARAVIAGEM"), textOf(rows, row, "IDPARAVIAGEM")},
                   {QStringLiteral("IDORIGEMVENDA"), textOf(rows, row, "IDORIGEMVENDA")},
                   {QStringLiteral("NRORDITCUPFIS"), receiptOrder(rows, row)}};
        if (!writer.insert(QStringLiteral("ITEMVENDA"), values, QStringLiteral("ITEMVENDA %1").arg(row + 1)))
            return false;
    }
    return true;
}

// Each coupon applied in the sale is recorded as used: a single-use one is then no longer
// offered.
bool writeCouponUses(Writer &writer, const SaleKey &key, const DataPacket &rows, const QDateTime &when)
{
    QStringList recorded;
    for (int row = 0; row < rows.rows.size(); ++row) {
        const QString coupon = textOf(rows, row, "CDCUPOMDESCQUB");
        if (coupon.isEmpty() || recorded.contains(coupon))
            continue;
        recorded << coupon;
        Values values = key.values();
        values += {{QStringLiteral("CDCUPOMDESCQUB"), coupon}, {QStringLiteral("DTUSOCUPOM"), when}};
        if (!writer.insert(QStringLiteral("USOCUPOMDESCQUB"), values, QStringLiteral("USOCUPOMDESCQUB ") + coupon))
            return false;
    }
    return true;
}

bool writePayments(Writer &writer, const SaleKey &key, const DataPacket &rows, const QDateTime &dtAberCaix)
{
    for (int row = 0; row < rows.rows.size(); ++row) {
        Values values = key.values();
        const Variant when = rows.value(row, QStringLiteral("DTHRINCMOV"));
        const Variant day = rows.value(row, QStringLiteral("DTMOVIMCAIXA"));
        values += {{QStringLiteral("NRSEQUMOVI"), QString::number(row + 1)},
                   {QStringLiteral("DTABERCAIX"), dateOrNull(dtAberCaix)},
                   {QStringLiteral("CDTIPORECE"), textOf(rows, row, "CDTIPORECE")},
                   {QStringLiteral("NMTIPORECE"), textOf(rows, row, "NMTIPORECE")},
                   {QStringLiteral("IDTIPORECE"), textOf(rows, row, "IDTIPORECE")},
                   {QStringLiteral("IDTIPOMOVIVE"), textOf(rows, row, "IDTIPOMOVIVE")},
                   {QStringLiteral("VRMOVIVEND"), numberOf(rows, row, "VRMOVIVEND")},
                   {QStringLiteral("VRTROCO"), numberOf(rows, row, "VRTROCO")},
                   {QStringLiteral("DTHRINCMOV"), when.isBlank() ? Variant::null() : when},
                   {QStringLiteral("DTMOVIMCAIXA"), day.isBlank() ? Variant::null() : day},
                   {QStringLiteral("CDCLIENTE"), textOf(rows, row, "CDCLIENTE")},
                   {QStringLiteral("CDCONSUMIDOR"), textOf(rows, row, "CDCONSUMIDOR")},
                   {QStringLiteral("CDCCUSCLIE"), textOf(rows, row, "CDCCUSCLIE")},
                   {QStringLiteral("CDBANCARTCR"), textOf(rows, row, "CDBANCARTCR")},
                   {QStringLiteral("QTPARCRECEB"), textOf(rows, row, "QTPARCRECEB")},
                   {QStringLiteral("NRCONTROLTEF"), textOf(rows, row, "NRCONTROLTEF")},
                   {QStringLiteral("CDNSUHOSTTEF"), textOf(rows, row, "CDNSUHOSTTEF")}};
        if (!writer.insert(QStringLiteral("MOVCAIXA"), values, QStringLiteral("MOVCAIXA %1").arg(row + 1)))
            return false;
    }
    return true;
}

bool writeCancelledLines(Writer &writer, const SaleKey &key, const DataPacket &rows, const QString &cdOperador)
{
    for (int row = 0; row < rows.rows.size(); ++row) {
        Values values = key.values();
        const QString operatorCode = textOf(rows, row, "CDOPERCANC");
        values += {{QStringLiteral("NRSEQITVENDC"), Consiste::Ajusta(QString::number(row + 1), 3)},
                   {QStringLiteral("CDPRODUTO"), textOf(rows, row, "CDPRODUTO")},
                   {QStringLiteral("NMPRODUTO"), textOf(rows, row, "NMPRODUTO")},
                   {QStringLiteral("QTPRODCOMVEN"), numberOf(rows, row, "QTPRODCOMVEN")},
                   {QStringLiteral("VRPRECCOMVEN"), numberOf(rows, row, "VRPRECCOMVEN")},
                   {QStringLiteral("VRDESCCOMVEN"), numberOf(rows, row, "VRDESCCOMVEN")},
                   {QStringLiteral("CDIMPOSTO"), textOf(rows, row, "CDIMPOSTO")},
                   {QStringLiteral("VRPEALIMPFIS"), numberOf(rows, row, "VRPEALIMPFIS")},
                   {QStringLiteral("CDOPERCANC"), operatorCode.isEmpty() ? cdOperador : operatorCode},
                   {QStringLiteral("NRORDITCUPFISCA"), receiptOrder(rows, row)}};
        if (!writer.insert(QStringLiteral("ITVENDACAN"), values, QStringLiteral("ITVENDACAN %1").arg(row + 1)))
            return false;
    }
    return true;
}

// The header row of a sale; `situation` "O" for a stored sale, "C" for a cancelled record.
// The receipt kind of a payment row ("9" personal credit, "A" consumer debit), from the row or
// else from the payment-type table.
QString paymentKind(const DataPacket &payments, int row)
{
    const QString kind = textOf(payments, row, "IDTIPORECE");
    if (!kind.isEmpty())
        return kind;
    const HostDatabase::Rows found = HostDatabase::query(QStringLiteral("hostTipoRece"),
        QStringLiteral("SELECT IDTIPORECE FROM TIPORECE WHERE CDTIPORECE = :P_CDTIPORECE"),
        {{QStringLiteral("P_CDTIPORECE"), textOf(payments, row, "CDTIPORECE")}});
    return found.ok() && !found.rows.isEmpty() ? found.rows.first().first().toString().trimmed() : QString();
}

// Posts the consumer's part of the sale (personal credit per family, loans between families,
// consumer debit) inside the save's transaction, through the server layer's posting.
bool postConsumer(Writer &writer, Qub_movrela::DbConnection &db, const SaleKey &key, const ClosingHeader &header,
                  ClosingDatasets &datasets, const DataPacket &items)
{
    const DataPacket payments = datasets.cdsMovCaixa.Data();
    ConsumerPosting posting;
    posting.CDFILIAL = key.cdFilial;
    posting.CDLOJA = header.cdLoja;
    posting.CDCAIXA = key.cdCaixa;
    posting.NRSEQVENDA = key.nrSeqVenda;
    posting.CDOPERADOR = textOf(items, 0, "CDOPERADOR");
    posting.DTABERCAIX = header.dtAberCaix;
    bool credit = false;
    for (int row = 0; row < payments.rows.size(); ++row) {
        const QString kind = paymentKind(payments, row);
        if (kind != QLatin1String("9") && kind != QLatin1String("A"))
            continue;
        posting.CDCLIENTE = textOf(payments, row, "CDCLIENTE");
        posting.CDCONSUMIDOR = textOf(payments, row, "CDCONSUMIDOR");
        if (kind == QLatin1String("A")) {
            posting.debit = Money::RoundDec(posting.debit + numberOf(payments, row, "VRMOVIVEND"), 2);
        } else if (!credit) {
            credit = true;
            posting.CDTIPORECE = textOf(payments, row, "CDTIPORECE");
        }
    }
    if (posting.CDCONSUMIDOR.isEmpty())
        return true;
    if (posting.CDCLIENTE.isEmpty())
        posting.CDCLIENTE = textOf(items, 0, "CDCLIENTE");
    if (credit) {
        posting.families = datasets.familySlot.Data();
        posting.loans = datasets.cdsEmprestimoFam.Data();
    }
    const Variant posted = Srv_Kal51000::setLancaConsumo(db, posting);
    if (posted.isFailure()) {
        writer.fail(posted.failureText());
        return false;
    }
    return writer.reached(QStringLiteral("CONSUMO"));
}

Values headerValues(const SaleKey &key, const ClosingHeader &header, const DataPacket &items, const QString &situation)
{
    const bool nfce = header.stRecebAux20 == QLatin1String("N");
    const bool fiscalPrinter = header.stRecebAux20 != QLatin1String("N") && header.stRecebAux20 != QLatin1String("S")
        && !header.nrSerieImp.trimmed().isEmpty();
    const QDateTime now = Clock::now();
    Values values = key.values();
    values += {{QStringLiteral("IDSITUVENDA"), situation},
               {QStringLiteral("NRCUPOMFIS"), fiscalPrinter ? header.documentNumber : QString()},
               {QStringLiteral("NRNOTAFISCALCE"), nfce ? header.documentNumber : QString()},
               {QStringLiteral("NRVENDAEXT"), header.stRecebAux9.right(10)},
               {QStringLiteral("DTABERTUR"), dateOrNull(header.dtAberCaix)},
               {QStringLiteral("DTVENDA"), now},
               {QStringLiteral("DTENTRVENDA"), now},
               {QStringLiteral("DTMOVIMENTO"), dateOrNull(header.dtDataMovimento)},
               {QStringLiteral("CDCLIENTE"), textOf(items, 0, "CDCLIENTE")},
               {QStringLiteral("CDCONSUMIDOR"), textOf(items, 0, "CDCONSUMIDOR")},
               {QStringLiteral("CDLOJA"), header.cdLoja},
               {QStringLiteral("NRVENDAREST"), header.nrVendaRest},
               {QStringLiteral("NRMESA"), header.nrMesa},
               {QStringLiteral("CDSENHAPED"), header.stSenhaPedido},
               {QStringLiteral("IDTPEMISVEND"), header.stRecebAux20},
               {QStringLiteral("NRINSCRCONS"), textOf(items, 0, "NRINSCRCONS")},
               {QStringLiteral("NRCPFFID4ALL"), textOf(items, 0, "NRCPFFID4ALL")},
               {QStringLiteral("NRCPFFIDUDS"), textOf(items, 0, "NRCPFFIDUDS")},
               {QStringLiteral("SGESTADO"), header.sgEstadoFili},
               {QStringLiteral("CDSERIENFCE"), nfce ? header.stRecebAux24 : QString()},
               {QStringLiteral("IDTPAMBNFCE"), header.idAmbTrabNfce},
               {QStringLiteral("VRTOTVENDA"), saleTotal(items)},
               {QStringLiteral("VRIMPOSTOAPROX"), header.doVrImpostoAprox},
               {QStringLiteral("CDOPERADOR"), textOf(items, 0, "CDOPERADOR")},
               {QStringLiteral("CDEMPRESA"), header.cdEmpresa},
               {QStringLiteral("NRSERIEIMP"), header.nrSerieImp},
               {QStringLiteral("DSENDEVENDA"), header.stEnderecoNota},
               {QStringLiteral("NRORDEMVND"), textOf(items, 0, "NRORDEMVND")},
               {QStringLiteral("IDPEDINTEPROMO"), promotionOrder(items)}};
    // The QR-code sale (header value 33 the integer 3) names the tab it was taken under in
    // value 6: with the restaurant sale number it tells whether the code was sold already.
    if (header.value33.kind() == Variant::Kind::Integer && header.value33.toInt() == 3)
        values += {{QStringLiteral("NRCOMANDAVND"), header.value6}};
    return values;
}

// The means the customer paid with, each with its receipt kind, for the document's payments.
DataPacket documentPayments(const DataPacket &payments)
{
    DataPacket rows;
    rows.fields = {{QStringLiteral("IDTIPORECE")}, {QStringLiteral("VRMOVIVEND"), FieldType::Double},
                   {QStringLiteral("VRTROCO"), FieldType::Double}};
    for (int row = 0; row < payments.rows.size(); ++row)
        rows.rows.append({paymentKind(payments, row), numberOf(payments, row, "VRMOVIVEND"),
                          numberOf(payments, row, "VRTROCO")});
    return rows;
}

Authorities::NfceDocument nfceDocument(const SaleKey &key, const ClosingHeader &header, const DataPacket &items,
                                       const DataPacket &payments)
{
    Authorities::NfceDocument document;
    document.cdFilial = key.cdFilial;
    document.cdCaixa = key.cdCaixa;
    document.number = header.documentNumber.isEmpty() ? header.stRecebAux9 : header.documentNumber;
    document.series = header.stRecebAux24.isEmpty() ? QStringLiteral("1") : header.stRecebAux24;
    document.environment = header.idAmbTrabNfce;
    document.sgEstado = header.sgEstadoFili;
    document.buyerDocument = textOf(items, 0, "NRINSCRCONS");
    document.total = saleTotal(items);
    document.items = items;
    document.payments = documentPayments(payments);
    document.issuedAt = Clock::now();
    return document;
}

// Authorises the NFC-e inside the open transaction and records its answer on the sale. A
// save made again after a lost session records the authorisation it already holds: the
// authority refuses a second request for the same number, and the first one stands.
bool issueNfce(Writer &writer, const SaleKey &key, const ClosingHeader &header, const DataPacket &items,
               const DataPacket &payments, ClosingAnswer &answer, std::optional<Authorities::NfceResult> *authorised,
               bool *refused)
{
    if (!*authorised) {
        Authorities::NfceResult asked = Authorities::authoriseNfce(nfceDocument(key, header, items, payments));
        if (asked.status == Authorities::NfceResult::Status::Refused) {
            *refused = true;
            writer.fail(asked.message);
            return false;
        }
        *authorised = std::move(asked);
    }
    const Authorities::NfceResult &nfce = **authorised;
    const bool contingency = nfce.status == Authorities::NfceResult::Status::Contingency;
    answer.nfceText1 = nfce.accessKey;
    answer.nfceText2 = nfce.qrText;
    answer.nfceStatus = contingency ? QStringLiteral("CONTIGENCIA_SP") : QStringLiteral("AUTORIZADA");
    Qub_movrela::Params params{{QStringLiteral("P_CHAVE"), nfce.accessKey},
                               {QStringLiteral("P_STATUS"), contingency ? QStringLiteral("P") : QStringLiteral("A")},
                               {QStringLiteral("P_PROTOCOLO"), nfce.protocol},
                               {QStringLiteral("P_QRCODE"), nfce.qrText},
                               {QStringLiteral("P_EMISSAO"), Clock::now()}};
    for (const auto &[column, value] : key.values())
        params.append({QStringLiteral("P_") + column, value});
    return writer.run(QStringLiteral("hostGravaNFCe"),
                      QStringLiteral("UPDATE VENDA SET NRACESSONFCE = :P_CHAVE, IDSTATUSNFCE = :P_STATUS, "
                                     "NRPROTOCOLONFCE = :P_PROTOCOLO, DSQRCODEVENDA = :P_QRCODE, DTEMISSAONFCE = :P_EMISSAO "
                                     "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA"),
                      params, nullptr, QStringLiteral("NFCE"))
        && writer.reached(QStringLiteral("NFCE"));
}

// The counter sale's receipt on the fiscal printer ends once the sale is stored: a sale that
// could not be stored finds its receipt still open, and the settlement cancels it.
// False when the receipt stays open.
bool closeFiscalReceipt(const ClosingHeader &header, const DataPacket &payments)
{
    if (header.stRecebAux20 == QLatin1String("N") || header.stRecebAux20 == QLatin1String("S")
        || header.nrSerieImp.trimmed().isEmpty())
        return true;
    FiscalPrinter &printer = FiscalPrinter::forSite();
    if (!printer.receiptOpen())
        return true;
    // A road whose payment screen did not reach the printer: the stored payments close it.
    QString refusal = printer.paymentsRegistered() ? QString() : printer.registerPayments(payments);
    if (refusal.isEmpty())
        refusal = printer.endClosing();
    if (!refusal.isEmpty())
        HostLog::write(QStringLiteral("cupom fiscal da venda não fechado: ") + refusal);
    return refusal.isEmpty();
}

// The card charge stands once the sale's document does: the fiscal receipt closed, the NFC-e
// authorised, or the sale stored on a desk of non-fiscal receipts. A SAT desk confirms after
// its CF-e is transmitted, and an NFC-e in contingency is undone by the settlement.
void confirmCardCharge(const ClosingHeader &header, const ClosingAnswer &answer)
{
    if (header.stRecebAux20 == QLatin1String("S"))
        return;
    if (header.stRecebAux20 == QLatin1String("N") && answer.nfceStatus != QLatin1String("AUTORIZADA"))
        return;
    const HostResult confirmed = CardTerminal::FinalizaTransTef(TefFinishRequest{true});
    if (!confirmed.ok)
        HostLog::write(QStringLiteral("cartão da venda não confirmado: ") + confirmed.failure);
}

ClosingAnswer failed(const QString &text)
{
    ClosingAnswer answer;
    answer.failure = text;
    answer.savedSaleKey = Variant::failure(text);
    HostLog::write(QStringLiteral("venda não gravada: ") + text);
    return answer;
}

} // namespace

void setFailurePoint(FailurePoint point)
{
    failurePoint() = std::move(point);
}

// A subsidised line keeps the consumer's part in VRPRECCOMVEN and the client company's part in
// VRUNITVENDCL: the line is worth both, as on the fiscal coupon and in the payments.
double lineValue(const DataPacket &cdsVenda, int row)
{
    const double gross = Money::Trunc2(numberOf(cdsVenda, row, "QTPRODCOMVEN")
                                       * (numberOf(cdsVenda, row, "VRPRECCOMVEN") + numberOf(cdsVenda, row, "VRUNITVENDCL")));
    return Money::Trunc2(gross - numberOf(cdsVenda, row, "VRDESCCOMVEN") + numberOf(cdsVenda, row, "VRACRCOMVEN")
                         + numberOf(cdsVenda, row, "ACRESITEM"));
}

double saleTotal(const DataPacket &cdsVenda)
{
    double total = 0;
    for (int row = 0; row < cdsVenda.rows.size(); ++row)
        total = Money::Trunc2(total + lineValue(cdsVenda, row));
    if (!cdsVenda.rows.isEmpty())
        total = Money::Trunc2(total + numberOf(cdsVenda, 0, "VRTXSERVICO"));
    // A sale-wide discount (cashback, points) rides whole on every line it was granted on:
    // it counts once.
    double discount = 0;
    for (int row = 0; row < cdsVenda.rows.size(); ++row)
        discount = std::max(discount, numberOf(cdsVenda, row, "VRDESCOMANDA"));
    return Money::Trunc2(total - discount);
}

ClosingAnswer SetConcluiFechamento(const ClosingHeader &header, ClosingDatasets &datasets)
{
    const DataPacket items = datasets.cdsVenda.Data();
    if (items.rows.isEmpty())
        return failed(QStringLiteral("A venda não tem itens para gravar."));
    const Qub_proximocodigo::NextNumber number = newSaleKey(header.cdFilial, header.cdCaixa);
    if (!number.ok())
        return failed(number.error());
    const SaleKey key{header.cdFilial, header.cdCaixa, saleKeyText(number)};
    const DataPacket cancelled = datasets.cdsVendaCancelada.Data().rows.isEmpty() ? datasets.cdsItensCancelados.Data()
                                                                                  : datasets.cdsVendaCancelada.Data();
    Qub_movrela::DbConnection &db = HostDatabase::session();
    ClosingAnswer answer;
    std::optional<Authorities::NfceResult> nfce;
    bool nfceRefused = false;
    const auto body = [&](Writer &writer) {
        answer = ClosingAnswer{};
        return writer.insert(QStringLiteral("VENDA"), headerValues(key, header, items, QStringLiteral("O")),
                             QStringLiteral("VENDA"))
            && writeItems(writer, key, items)
            && writeCouponUses(writer, key, items, Clock::now())
            && writePayments(writer, key, datasets.cdsMovCaixa.Data(), header.dtAberCaix)
            && writeCancelledLines(writer, key, cancelled, textOf(items, 0, "CDOPERADOR"))
            && writePromotions(writer, key, datasets.promotionSlot.Data())
            && postConsumer(writer, db, key, header, datasets, items)
            && (header.stRecebAux20 != QLatin1String("N")
                || issueNfce(writer, key, header, items, datasets.cdsMovCaixa.Data(), answer, &nfce, &nfceRefused));
    };
    QString error;
    if (!storeOnce(db, QStringLiteral("venda ") + key.nrSeqVenda, body,
                   saleInVenda(db, key.cdFilial, key.cdCaixa, key.nrSeqVenda), &error)) {
        if (nfce && !nfce->xmlFile.isEmpty())
            QFile::remove(nfce->xmlFile); // the document of a sale that was not saved is not kept
        ClosingAnswer refusal = failed(error);
        // The settlement tells the cashier the authority refused, not the base.
        if (nfceRefused)
            refusal.nfceStatus = nfceRefusedStatus;
        return refusal;
    }
    answer.savedSaleKey = key.nrSeqVenda;
    HostLog::write(QStringLiteral("venda %1 gravada: %2 itens").arg(key.nrSeqVenda).arg(items.rows.size()));
    if (closeFiscalReceipt(header, datasets.cdsMovCaixa.Data()))
        confirmCardCharge(header, answer);
    PartnerServices::postCashbackUses(key.cdFilial, key.cdCaixa, key.nrSeqVenda, items);
    return answer;
}

namespace {

// The record of a sale never stored, made out as cancelled; dtAberCaix is the opening it keeps.
CancellationAnswer insertCancelledSale(const CancelledSaleRecord &record, const QDateTime &dtAberCaix)
{
    CancellationAnswer answer;
    const QString cdFilial = textOf(record.cdsVenda, 0, "CDFILIAL");
    const Qub_proximocodigo::NextNumber number = newSaleKey(cdFilial, record.cdCaixa);
    if (!number.ok()) {
        answer.result = Variant::failure(number.error());
        return answer;
    }
    const SaleKey key{cdFilial, record.cdCaixa, saleKeyText(number)};
    ClosingHeader header;
    header.cdFilial = cdFilial;
    header.cdCaixa = record.cdCaixa;
    header.cdEmpresa = record.cdEmpresa;
    header.documentNumber = record.documentNumber;
    header.stRecebAux9 = record.documentNumber;
    header.nrSerieImp = record.nrSerieImp;
    header.dtDataMovimento = record.dtDataMovimento;
    header.dtAberCaix = dtAberCaix;
    header.cdLoja = textOf(record.cdsVenda, 0, "CDLOJA");
    header.stRecebAux20 = record.stRecebAux20;
    Qub_movrela::DbConnection &db = HostDatabase::session();
    const auto body = [&](Writer &writer) {
        return writer.insert(QStringLiteral("VENDA"), headerValues(key, header, record.cdsVenda, QStringLiteral("C")),
                             QStringLiteral("VENDA"))
            && writeItems(writer, key, record.cdsVenda)
            && writeCancelledLines(writer, key, record.cdsVendaCancelada, textOf(record.cdsVenda, 0, "CDOPERADOR"));
    };
    QString error;
    if (!storeOnce(db, QStringLiteral("venda cancelada ") + key.nrSeqVenda, body,
                   saleInVenda(db, key.cdFilial, key.cdCaixa, key.nrSeqVenda), &error)) {
        answer.result = Variant::failure(error);
        return answer;
    }
    answer.result = key.nrSeqVenda;
    answer.saleSequence = key.nrSeqVenda;
    return answer;
}

} // namespace

CancellationAnswer IncluiVendaCan(const CancelledSaleRecord &record)
{
    return insertCancelledSale(record, record.dtDataMovimento);
}

CancellationAnswer recordInterruptedSale(const CancelledSaleRecord &record, const QDateTime &dtAberCaix)
{
    return insertCancelledSale(record, dtAberCaix.isValid() ? dtAberCaix : record.dtDataMovimento);
}

CancellationAnswer AlteraVendaCan(const CancelledStatusChange &change)
{
    CancellationAnswer answer;
    if (change.saleKey.trimmed().isEmpty()) {
        answer.definitive = true;
        answer.result = Variant::failure(QStringLiteral("Nenhuma venda gravada para cancelar."));
        return answer;
    }
    const Qub_movrela::Params find{{QStringLiteral("P_CDFILIAL"), change.cdFilial},
                                   {QStringLiteral("P_CDCAIXA"), change.cdCaixa},
                                   {QStringLiteral("P_CHAVE"), change.saleKey.trimmed()}};
    const HostDatabase::Rows found = HostDatabase::query(
        QStringLiteral("hostVendaCancelar"),
        QStringLiteral("SELECT NRSEQVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                       "AND (NRSEQVENDA = :P_CHAVE OR NRCUPOMFIS = :P_CHAVE) ORDER BY NRSEQVENDA DESC"),
        find);
    if (!found.ok() || found.rows.isEmpty()) {
        answer.definitive = found.ok();
        answer.result = Variant::failure(found.ok() ? QStringLiteral("Venda %1 não encontrada.").arg(change.saleKey)
                                                    : found.error);
        return answer;
    }
    const SaleKey key{change.cdFilial, change.cdCaixa, found.rows.first().value(0).toString()};
    Qub_movrela::Params keyParams;
    for (const auto &[column, value] : key.values())
        keyParams.append({QStringLiteral("P_") + column, value});
    const Qub_movrela::Params params = Qub_movrela::Params{{QStringLiteral("P_OBS"), change.note},
                                                           {QStringLiteral("P_SUPERVISOR"), change.stRetAcesso}}
        + keyParams;
    const QString where = QStringLiteral(" WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA");
    Qub_movrela::DbConnection &db = HostDatabase::session();
    // Marking the sale cancelled twice marks it the same: a lost COMMIT answer is made again.
    const auto body = [&](Writer &writer) {
        return writer.run(QStringLiteral("hostVendaCancelada"),
                          QStringLiteral("UPDATE VENDA SET IDSITUVENDA = 'C', DSOBSCANCUP = :P_OBS, CDSUPERVISOR = :P_SUPERVISOR")
                              + where,
                          params, nullptr, QStringLiteral("CANCELAMENTO"))
            && writer.run(QStringLiteral("hostMovCaixaCancelada"),
                          QStringLiteral("UPDATE MOVCAIXA SET IDTIPOMOVIVE = 'C'") + where, keyParams, nullptr,
                          QStringLiteral("CANCELAMENTO"));
    };
    QString error;
    if (!storeOnce(db, QStringLiteral("cancelamento da venda ") + key.nrSeqVenda, body, {}, &error)) {
        answer.result = Variant::failure(error);
        return answer;
    }
    answer.result = key.nrSeqVenda;
    answer.saleSequence = key.nrSeqVenda;
    return answer;
}

} // namespace SaleSaving

#include "srv_consumers_posting.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"

#include <outside/consiste.h>
#include <runtime/limitrule.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QMap>

namespace {

using namespace ConsumerAccounts;

// The row lock keeps a second till waiting until this save ends; SQLite's save already holds
// the base's write lock.
const Statement adqTravaConsumidor{"adqTravaConsumidor",
    "SELECT IDVERSALDCON, VRSUBSBASICO, VRLIMDEBCONS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR",
    {.sqlite = {},
     .postgresql = "SELECT IDVERSALDCON, VRSUBSBASICO, VRLIMDEBCONS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE "
                   "AND CDCONSUMIDOR = :P_CDCONSUMIDOR FOR UPDATE"}};
const Statement adqSaldosLancamento{"adqSaldosLancamento",
    "SELECT S.CDFAMILISALD, S.VRSALDCONFAM FROM SALDOCONS S WHERE S.CDCLIENTE = :P_CDCLIENTE "
    "AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqRegrasNegativo{"adqRegrasNegativo",
    "SELECT F.CDFAMILISALD, F.IDSALDNEGFAM, R.IDSALDNEGRAL, N.NMFAMILISALD FROM FAMSALDOFILI F "
    "LEFT JOIN RALIMENT R ON R.CDFILIAL = F.CDFILIAL AND R.CDFAMILISALD = F.CDFAMILISALD "
    "AND R.CDCLIENTE = :P_CDCLIENTE AND R.CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "LEFT JOIN FAMILIASALDO N ON N.CDFAMILISALD = F.CDFAMILISALD WHERE F.CDFILIAL = :P_CDFILIAL"};
const Statement adqTipoReceInterno{"adqTipoReceInterno",
    "SELECT CDTIPORECE FROM TIPORECE WHERE IDTIPORECE = 'A' ORDER BY CDTIPORECE"};
const Statement acmInsEXTRATOCONS{"acmInsEXTRATOCONS",
    "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, IDTPMOVEXT, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERCAIX, NRDEPOSICONS, NRSEQMOVCAIXA) "
    "VALUES (:CDCLIENTE, :CDCONSUMIDOR, :CDFAMILISALD, :DTMOVEXTCONS, :NRSEQMOVEXT, :CDTIPORECE, :IDTPMOVEXT, "
    ":DSOPEEXTCONS, :VRMOVEXTCONS, :VRSALDCONEXT, :CDFILIAL, :CDCAIXA, :NRSEQVENDA, :DTABERCAIX, :NRDEPOSICONS, "
    ":NRSEQMOVCAIXA)"};
const Statement adqUltMoviClie{"adqUltMoviClie",
    "SELECT NRSEQMOVCLI, VRSALDOCONS, VRSALDPECONS FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR ORDER BY DTMOVCLI DESC NULLS LAST, NRSEQMOVCLI DESC LIMIT 1"};
const Statement adqSeqMoviClie{"adqSeqMoviClie",
    "SELECT MAX(NRSEQMOVCLI) AS NRSEQMOVCLI FROM MOVICLIE WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqSubsidioDia{"adqSubsidioDia",
    "SELECT COALESCE(SUM(S.VRMOVCLI), 0) AS VRSUBSBASICODIA FROM MOVICLIE S WHERE S.IDTIPMOCVLI = 'D' "
    "AND S.CDCLIENTE = :P_CDCLIENTE AND COALESCE(S.CDCONSUMIDOR, '') = '' AND S.DTMOVIMCLIE >= :P_HOJE AND S.DTMOVIMCLIE < :P_AMANHA "
    "AND EXISTS (SELECT 1 FROM MOVICLIE M WHERE M.CDFILIAL = S.CDFILIAL AND M.CDCAIXA = S.CDCAIXA "
    "AND M.NRSEQVENDA = S.NRSEQVENDA AND M.CDCLIENTE = :P_CDCLIENTE AND M.CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND M.IDTIPMOCVLI = 'D')"};
const Statement acmInsMOVICLIE{"acmInsMOVICLIE",
    "INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, CDCAIXA, NRSEQVENDA, DTMOVIMCLIE, DTMOVCLI, "
    "IDTIPMOCVLI, VRMOVCLI, VRSALDOCONS, VRSALDPECONS, CDOPERADOR) VALUES (:CDCLIENTE, :CDCONSUMIDOR, :NRSEQMOVCLI, "
    ":CDFILIAL, :CDCAIXA, :NRSEQVENDA, :DTMOVIMCLIE, :DTMOVCLI, 'D', :VRMOVCLI, :VRSALDOCONS, :VRSALDPECONS, :CDOPERADOR)"};

// The maxima the till checks a checked consumer's sale against: the consumer's own and those of
// its type at the store.
const Statement adqLimitesLancamento{"adqLimitesLancamento",
    "SELECT C.NMCONSUMIDOR, C.VRMAXCREDCONS, C.VRLIMCREDCONS, C.VRMAXDEBCONS, T.VRMAXCONSDIAC, T.VRMAXCONSMESC, "
    "T.VRMAXCONSDIAD, T.VRMAXCONSMESD, T.VRMAXCONSMENSAL FROM CONSUMIDOR C LEFT JOIN TIPOCONSLOJA T "
    "ON T.CDTIPOCONS = C.CDTIPOCONS AND T.CDFILIAL = :P_CDFILIAL AND T.CDLOJA = :P_CDLOJA "
    "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR"};

const Statement adqSubsidioConsumidor{"adqSubsidioConsumidor",
    "SELECT VRSUBSBASICO FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};

Params dayOf(const QDateTime &stamp)
{
    const QDateTime start = dayStart(stamp.date());
    return {{"P_HOJE", start}, {"P_AMANHA", start.addDays(1)}};
}

// The day's basic subsidy still unpaid, up to the debit.
double subsidyShare(const Variant &daily, const Variant &paidToday, double debit)
{
    const double left = Money::RoundDec(Money::RoundDec(money(daily), 2) - money(paidToday), 2);
    return left > 0 ? qMin(left, debit) : 0.0;
}

// The days [first, last] whole, as the spending statements take them.
Params period(const QDate &first, const QDate &last)
{
    const QDateTime start = dayStart(first);
    return {{"P_INICIO", start}, {"P_FIM", dayStart(last).addDays(1)}};
}

struct Line
{
    QString family;
    QString kind;
    double amount = 0;
};

class Posting
{
public:
    Posting(Session &db, const ConsumerPosting &in) : m_db(db), m_in(in) {}

    Variant run();

private:
    Variant failDb() const { return m_db.failure(); }
    Params consumer() const
    {
        return {{"P_CDCLIENTE", m_in.CDCLIENTE}, {"P_CDCONSUMIDOR", m_in.CDCONSUMIDOR}};
    }
    QList<Line> creditLines() const;
    bool readState();
    QString refusal(const QList<Line> &lines);
    bool writeLines(const QList<Line> &lines);
    bool debitShares();
    bool limitsHold(const QList<Line> &lines);
    bool creditLimitsHold(const QList<Line> &lines, const DataPacket &limits);
    bool debitLimitsHold(const DataPacket &limits);
    bool maximumHolds(const Variant &limit, const Statement &spending, const Params &window, const char *column,
                      double amount, const char *key);
    bool refuseLimit(const QString &text);
    QString debitRefusal(double balanceAfter) const;
    bool writeDebit();
    bool insertMovement(const QString &consumer, double amount, double balance, double pending);

    Session &m_db;
    const ConsumerPosting &m_in;
    DataPacket m_consumer;
    QMap<QString, double> m_balance;
    QDateTime m_stamp;
    QString m_refusal;
    // The debit split: the consumer's own row and the company's basic subsidy of the day.
    double m_own = 0;
    double m_subsidy = 0;
    QString m_name; // the consumer's name, for a refusal
};

QList<Line> Posting::creditLines() const
{
    QList<Line> lines;
    for (int row = 0; row < m_in.loans.rows.size(); ++row)
        lines.append({m_in.loans.value(row, "CDFAMILISALD").toString(), m_in.loans.value(row, "IDTPMOVEXT").toString(),
                      Money::RoundDec(money(m_in.loans.value(row, "VRMOVEXTCONS")), 2)});
    for (int row = 0; row < m_in.families.rows.size(); ++row) {
        const double amount = Money::RoundDec(money(m_in.families.value(row, "VRSALDCONFAM")), 2);
        if (amount > 0)
            lines.append({m_in.families.value(row, "CDFAMILISALD").toString(), QStringLiteral("V"), amount});
    }
    return lines;
}

bool Posting::readState()
{
    DataPacket balances;
    if (!m_db.packet(adqTravaConsumidor, consumer(), m_consumer) || !m_db.packet(adqSaldosLancamento, consumer(), balances))
        return false;
    for (int row = 0; row < balances.rows.size(); ++row)
        m_balance[balances.value(row, "CDFAMILISALD").toString()] = Money::RoundDec(money(balances.value(row, "VRSALDCONFAM")), 2);
    // Taken after the lock: stamps and sequences follow the order in which tills post.
    m_stamp = lineStamp();
    return true;
}

// The first family the sale would take below zero without leave, as the refusal's text.
QString Posting::refusal(const QList<Line> &lines)
{
    QMap<QString, double> after = m_balance;
    QMap<QString, bool> lowered;
    for (const Line &line : lines) {
        after[line.family] = Money::RoundDec(after.value(line.family, 0.0) + signedAmount(line.kind, line.amount), 2);
        lowered[line.family] = lowered.value(line.family) || !addsToBalance(line.kind);
    }
    const bool mayGoShort = m_in.IDPERCOMVENCPDC == QLatin1String("S")
        && m_consumer.value(0, "IDVERSALDCON").toString() == QLatin1String("S");
    if (mayGoShort)
        return {};
    DataPacket rules;
    if (!m_db.packet(adqRegrasNegativo, consumer() + Params{{"P_CDFILIAL", m_in.CDFILIAL}}, rules))
        return m_db.error();
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!lowered.value(it.key()) || it.value() >= 0)
            continue;
        QString flag = QStringLiteral("N"), name;
        for (int row = 0; row < rules.rows.size(); ++row) {
            if (rules.value(row, "CDFAMILISALD").toString() != it.key())
                continue;
            name = rules.value(row, "NMFAMILISALD").toString();
            const QString own = rules.value(row, "IDSALDNEGRAL").toString().trimmed();
            const QString family = rules.value(row, "IDSALDNEGFAM").toString().trimmed();
            flag = !own.isEmpty() ? own : (!family.isEmpty() ? family : flag);
        }
        if (flag == QLatin1String("N"))
            return QStringLiteral("ERRO_2") + it.key() + QStringLiteral(" - ") + name;
    }
    return {};
}

bool Posting::writeLines(const QList<Line> &lines)
{
    DataPacket internal;
    if (!m_in.loans.isEmpty() && !m_db.packet(adqTipoReceInterno, {}, internal))
        return false;
    for (const Line &line : lines) {
        QString sequence;
        if (!nextStatementSequence(m_db, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, line.family, m_stamp, sequence))
            return false;
        const double after = Money::RoundDec(m_balance.value(line.family, 0.0) + signedAmount(line.kind, line.amount), 2);
        m_balance[line.family] = after;
        const bool sale = line.kind == QLatin1String("V");
        const QString description = sale ? QStringLiteral("VENDA ") + m_in.NRSEQVENDA
            : line.kind == QLatin1String("D") ? QStringLiteral("QUB - Debito Oper.Interna")
                                              : QStringLiteral("QUB - Credito Oper.Interna");
        if (!m_db.run(acmInsEXTRATOCONS,
                      {{"CDCLIENTE", m_in.CDCLIENTE}, {"CDCONSUMIDOR", m_in.CDCONSUMIDOR}, {"CDFAMILISALD", line.family},
                       {"DTMOVEXTCONS", m_stamp}, {"NRSEQMOVEXT", sequence},
                       {"CDTIPORECE", sale ? m_in.CDTIPORECE : internal.value(0, "CDTIPORECE").toString()},
                       {"IDTPMOVEXT", line.kind}, {"DSOPEEXTCONS", description.left(30)}, {"VRMOVEXTCONS", line.amount},
                       {"VRSALDCONEXT", after}, {"CDFILIAL", m_in.CDFILIAL}, {"CDCAIXA", m_in.CDCAIXA},
                       {"NRSEQVENDA", sale ? Variant(m_in.NRSEQVENDA) : Variant::null()},
                       {"DTABERCAIX", m_in.DTABERCAIX.isValid() ? Variant(m_in.DTABERCAIX) : Variant::null()},
                       {"NRDEPOSICONS", Variant::null()}, {"NRSEQMOVCAIXA", Variant::null()}}))
            return false;
    }
    for (auto it = m_balance.cbegin(); it != m_balance.cend(); ++it) {
        bool touched = false;
        for (const Line &line : lines)
            touched = touched || line.family == it.key();
        if (touched && !storeFamilyBalance(m_db, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, it.key(), it.value()))
            return false;
    }
    return true;
}

bool Posting::insertMovement(const QString &consumer, double amount, double balance, double pending)
{
    DataPacket last;
    if (!m_db.packet(adqSeqMoviClie, {{"P_CDCLIENTE", m_in.CDCLIENTE}, {"P_CDCONSUMIDOR", consumer}}, last))
        return false;
    const qint64 next = last.value(0, "NRSEQMOVCLI").toString().trimmed().toLongLong() + 1;
    return m_db.run(acmInsMOVICLIE,
                    {{"CDCLIENTE", m_in.CDCLIENTE}, {"CDCONSUMIDOR", consumer},
                     {"NRSEQMOVCLI", QString::number(next).rightJustified(10, QLatin1Char('0'))},
                     {"CDFILIAL", m_in.CDFILIAL}, {"CDCAIXA", m_in.CDCAIXA}, {"NRSEQVENDA", m_in.NRSEQVENDA},
                     {"DTMOVIMCLIE", dayStart(m_stamp.date())}, {"DTMOVCLI", m_stamp}, {"VRMOVCLI", amount},
                     {"VRSALDOCONS", balance}, {"VRSALDPECONS", pending}, {"CDOPERADOR", m_in.CDOPERADOR}});
}

// The company pays the consumer's basic subsidy of the day first; the consumer's debit row
// carries the rest, so both rows together are the amount paid on the account.
bool Posting::debitShares()
{
    const double debit = Money::RoundDec(m_in.debit, 2);
    m_subsidy = 0;
    const Variant daily = m_consumer.value(0, "VRSUBSBASICO");
    if (debit > 0 && Money::RoundDec(money(daily), 2) > 0) {
        DataPacket paid;
        if (!m_db.packet(adqSubsidioDia, consumer() + dayOf(m_stamp), paid))
            return false;
        m_subsidy = subsidyShare(daily, paid.value(0, "VRSUBSBASICODIA"), debit);
    }
    m_own = Money::RoundDec(debit - m_subsidy, 2);
    return true;
}

bool Posting::refuseLimit(const QString &text)
{
    m_refusal = QString::fromLatin1(consumerLimitRefusal) + text;
    return false;
}

// One maximum: what the consumer spent in the period, as the base holds it now that this
// consumer's other sales have waited on the lock, plus this sale's part. Equal passes.
bool Posting::maximumHolds(const Variant &limit, const Statement &spending, const Params &window, const char *column,
                           double amount, const char *key)
{
    if (!isSet(limit))
        return true;
    DataPacket spent;
    if (!m_db.packet(spending, consumer() + window, spent))
        return false;
    if (!LimitRule::exceeds(money(limit), money(spent.value(0, QString::fromLatin1(column))) + amount))
        return true;
    const QString who = m_in.CDCONSUMIDOR + QStringLiteral(" - ") + m_name;
    return refuseLimit(Lvm_msg::Format(Lvm_msg::msgPadrao().Msg(QString::fromLatin1(key)),
                                       {who, PtBr::FormatCurr(Money::RoundDec(money(limit), 2))}));
}

// The personal-credit part: the store's daily and monthly maxima, the consumer's own maximum and
// the balance floor. As at Receber, a sale that borrows between families is held to the
// families' rules only.
bool Posting::creditLimitsHold(const QList<Line> &lines, const DataPacket &limits)
{
    double sale = 0;
    for (const Line &line : lines)
        sale += line.kind == QLatin1String("V") ? line.amount : 0.0;
    sale = Money::RoundDec(sale, 2);
    if (sale <= 0 || !m_in.loans.isEmpty())
        return true;
    const QDate day = m_stamp.date();
    const Params store{{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDLOJA", m_in.CDLOJA}};
    if (!maximumHolds(limits.value(0, "VRMAXCONSDIAC"), adqGtTotCredLoja, store + period(day, day), "VRCONSUMO", sale,
                      "VRMAXCONS_LOJA")
        || !maximumHolds(limits.value(0, "VRMAXCONSMESC"), adqGtTotCredLoja,
                         store + period(QDate(day.year(), day.month(), 1), day), "VRCONSUMO", sale, "VRMAXCONSMES_LOJA")
        || !maximumHolds(limits.value(0, "VRMAXCREDCONS"), adqGastConsCred, dayOf(m_stamp), "VALCONSUM", sale,
                         "OPE_SALMAX_DEB"))
        return false;
    const Variant floor = limits.value(0, "VRLIMCREDCONS");
    if (!isSet(floor))
        return true;
    QMap<QString, double> after = m_balance;
    for (const Line &line : lines)
        after[line.family] = Money::RoundDec(after.value(line.family, 0.0) + signedAmount(line.kind, line.amount), 2);
    for (const Line &line : lines) {
        if (LimitRule::below(money(floor), after.value(line.family)))
            return refuseLimit(Lvm_msg::Format(Lvm_msg::msgPadrao().Msg(QStringLiteral("SaldInsufCre")),
                                               {PtBr::FormatCurr(money(floor))}));
    }
    return true;
}

// The consumer's own share of the debit: the monthly maximum, the store's daily and monthly
// maxima and the consumer's maximum. The floor is held where the movement is written.
bool Posting::debitLimitsHold(const DataPacket &limits)
{
    if (m_own <= 0)
        return true;
    const QDate day = m_stamp.date();
    const QDate first(day.year(), day.month(), 1);
    const Params store{{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDLOJA", m_in.CDLOJA}};
    return maximumHolds(limits.value(0, "VRMAXCONSMENSAL"), adqGastoConsMes, period(first, day), "VRGASTOCONSMES", m_own,
                        "VRMAXCONSMES")
        && maximumHolds(limits.value(0, "VRMAXCONSDIAD"), adqGtTotConsLoja, store + period(day, day), "VRCONSUMO", m_own,
                        "VRMAXCONS_LOJA")
        && maximumHolds(limits.value(0, "VRMAXCONSMESD"), adqGtTotConsLoja, store + period(first, day), "VRCONSUMO",
                        m_own, "VRMAXCONSMES_LOJA")
        && maximumHolds(limits.value(0, "VRMAXDEBCONS"), adqGastConsDeb, dayOf(m_stamp), "VALCONSUM", m_own,
                        "OPE_SALMAX_DEB");
}

// The till checks a checked consumer's maxima before each item and at Receber, but two tills
// selling to one consumer at once each pass them alone: under the consumer's lock they are
// checked again with what the other till saved meanwhile.
bool Posting::limitsHold(const QList<Line> &lines)
{
    if (m_consumer.value(0, "IDVERSALDCON").toString() != QLatin1String("S"))
        return true;
    DataPacket limits;
    if (!m_db.packet(adqLimitesLancamento, consumer() + Params{{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDLOJA", m_in.CDLOJA}},
                     limits))
        return false;
    m_name = limits.value(0, "NMCONSUMIDOR").toString();
    return creditLimitsHold(lines, limits) && debitLimitsHold(limits);
}

// The till checks the floor before the save, but two tills may both pass it for one consumer:
// under the consumer's lock the floor holds whatever the other till saved meanwhile.
QString Posting::debitRefusal(double balanceAfter) const
{
    const Variant floor = m_consumer.value(0, "VRLIMDEBCONS");
    if (m_consumer.value(0, "IDVERSALDCON").toString() != QLatin1String("S") || !isSet(floor))
        return {};
    if (balanceAfter >= Money::RoundDec(money(floor), 2))
        return {};
    return QStringLiteral("Saldo do consumidor não pode ficar inferior a %1: o débito de %2 o deixaria em %3.")
        .arg(QString::number(Money::RoundDec(money(floor), 2), 'f', 2),
             QString::number(Money::RoundDec(m_in.debit, 2), 'f', 2), QString::number(balanceAfter, 'f', 2));
}

// A debit movement carries the consumer's balance after it: the balance before, less what the
// consumer's own row takes (money owed shows below zero).
bool Posting::writeDebit()
{
    if (Money::RoundDec(m_in.debit, 2) <= 0)
        return true;
    const double own = m_own, subsidy = m_subsidy;
    DataPacket last;
    if (!m_db.packet(adqUltMoviClie, consumer(), last))
        return false;
    const double balance = Money::RoundDec(money(last.value(0, "VRSALDOCONS")) - own, 2);
    if (own > 0) {
        if (const QString refused = debitRefusal(balance); !refused.isEmpty()) {
            m_refusal = refused;
            return false;
        }
        if (!insertMovement(m_in.CDCONSUMIDOR, own, balance, money(last.value(0, "VRSALDPECONS"))))
            return false;
    }
    return subsidy <= 0 || insertMovement(QStringLiteral(""), subsidy, 0.0, 0.0);
}

Variant Posting::run()
{
    const QList<Line> lines = creditLines();
    if (lines.isEmpty() && Money::RoundDec(m_in.debit, 2) <= 0)
        return Variant();
    if (!readState())
        return failDb();
    if (m_consumer.isEmpty())
        return Variant::failure(QStringLiteral("Consumidor %1 do cliente %2 não cadastrado.").arg(m_in.CDCONSUMIDOR, m_in.CDCLIENTE));
    if (const QString refused = refusal(lines); !refused.isEmpty())
        return Variant::failure(refused);
    if (!debitShares() || !limitsHold(lines))
        return m_refusal.isEmpty() ? failDb() : Variant::failure(m_refusal);
    if (!writeLines(lines) || !writeDebit())
        return m_refusal.isEmpty() ? failDb() : Variant::failure(m_refusal);
    return Variant();
}

} // namespace

namespace Srv_Kal51000 {

Variant setLancaConsumo(Qub_movrela::DbConnection &connection, const ConsumerPosting &posting)
{
    if (!connection.inTransaction())
        return Variant::failure(QStringLiteral("setLancaConsumo: a gravação do consumo precisa da transação da venda"));
    if (const QString lacking = missingColumn(posting.families, {"CDFAMILISALD", "VRSALDCONFAM"}); !lacking.isEmpty())
        return Variant::failure(QStringLiteral("setLancaConsumo: falta a coluna %1 nos valores por família").arg(lacking));
    if (const QString lacking = missingColumn(posting.loans, {"CDFAMILISALD", "IDTPMOVEXT", "VRMOVEXTCONS"});
        !lacking.isEmpty())
        return Variant::failure(QStringLiteral("setLancaConsumo: falta a coluna %1 nos empréstimos").arg(lacking));
    for (int row = 0; row < posting.loans.rows.size(); ++row) {
        const QString kind = posting.loans.value(row, "IDTPMOVEXT").toString();
        if (kind != QLatin1String("C") && kind != QLatin1String("D"))
            return Variant::failure(QStringLiteral("setLancaConsumo: empréstimo de tipo \"%1\"").arg(kind));
    }
    Session session(connection);
    return Posting(session, posting).run();
}

Variant getSubsidioDebito(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, double debit)
{
    ServerCall call;
    const Params consumer{{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}};
    const Variant daily = call.value(adqSubsidioConsumidor, consumer, "VRSUBSBASICO");
    if (daily.isFailure() || Money::RoundDec(money(daily), 2) <= 0)
        return daily.isFailure() ? daily : Variant(0.0);
    const Variant paid = call.value(adqSubsidioDia, consumer + dayOf(lineStamp()), "VRSUBSBASICODIA");
    if (paid.isFailure())
        return paid;
    return Variant(subsidyShare(daily, paid, Money::RoundDec(debit, 2)));
}

} // namespace Srv_Kal51000

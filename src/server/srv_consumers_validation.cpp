#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/limitrule.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QMap>

namespace {

using namespace ConsumerAccounts;

const Statement adqConsumidorSaldo{"adqConsumidorSaldo",
    "SELECT IDVERSALDCON, VRMAXCREDCONS, VRLIMCREDCONS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND IDSITCONSUMI = '1'"};
const Statement adqSaldoCons{"adqSaldoCons",
    "SELECT S.CDCLIENTE, S.CDCONSUMIDOR, S.CDFAMILISALD, F.NMFAMILISALD, S.VRSALDCONFAM FROM SALDOCONS S "
    "JOIN FAMILIASALDO F ON F.CDFAMILISALD = S.CDFAMILISALD "
    "WHERE S.CDCLIENTE = :P_CDCLIENTE AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqSaldNegRal{"adqSaldNegRal",
    "SELECT CDFAMILISALD, VRCONSDIARAL, IDSALDNEGRAL FROM RALIMENT WHERE CDFILIAL = :P_CDFILIAL "
    "AND CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqSaldNegFam{"adqSaldNegFam",
    "SELECT CDFAMILISALD, VRCONSDIAFAM, IDSALDNEGFAM, NRORDAPRSALD FROM FAMSALDOFILI WHERE CDFILIAL = :P_CDFILIAL"};
const Statement adqVrTotVend{"adqVrTotVend",
    "SELECT CDFAMILISALD, SUM(CASE WHEN IDTPMOVEXT = 'V' THEN VRMOVEXTCONS ELSE -VRMOVEXTCONS END) AS SOMA "
    "FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND (IDTPMOVEXT = 'V' OR (IDTPMOVEXT = 'C' AND COALESCE(NRSEQVENDA, '') <> '')) "
    "AND DTMOVEXTCONS >= :P_HOJE AND DTMOVEXTCONS < :P_AMANHA GROUP BY CDFAMILISALD"};
const Statement adqNmFamilia{"adqNmFamilia", "SELECT CDFAMILISALD, NMFAMILISALD FROM FAMILIASALDO"};
const Statement adqTipoReceEmprestimo{"adqTipoReceEmprestimo",
    "SELECT CDTIPORECE FROM TIPORECE WHERE IDTIPORECE = :P_IDTIPORECE ORDER BY CDTIPORECE"};
const Statement adqOrdemCandidatos{"adqOrdemCandidatos",
    "SELECT FF.CDFAMILISALD, F.NMFAMILISALD, FF.NRORDAPRSALD, S.VRSALDCONFAM, FF.IDSALDNEGFAM FROM FAMSALDOFILI FF "
    "JOIN FAMILIASALDO F ON F.CDFAMILISALD = FF.CDFAMILISALD "
    "LEFT JOIN SALDOCONS S ON S.CDFAMILISALD = FF.CDFAMILISALD AND S.CDCLIENTE = :P_CDCLIENTE "
    "AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR WHERE FF.CDFILIAL = :P_CDFILIAL AND FF.NRORDAPRSALD <= :P_NRORDAPRSALD "
    "ORDER BY FF.NRORDAPRSALD NULLS FIRST, FF.CDFAMILISALD"};

struct Rule
{
    bool present = false;
    Variant limit;
    QString negative;
};

struct Candidate
{
    QString family;
    QString name;
    QString order;
    double balance = 0;
    QString negative;
};

// One validation: the consumer's balances, rules and spending of today read once, then every
// family of the sale checked in the packet's order; loans collect across the families.
class Validation
{
public:
    struct Input
    {
        QString CDFILIAL, CDCAIXA, CDCLIENTE, CDCONSUMIDOR, IDPERCOMVENCPDC, IDEXTCONSONLINE, CDURLWSEXTCONS,
            IDEXTCONSCENTRAL;
        QDateTime DTABERCAIX;
    };

    Validation(const Input &input, Session &session) : m_in(input), m_db(session) {}

    bool load();
    bool validate(const DataPacket &amounts);
    DataPacket loans() const { return m_loans; }
    const QString &failure() const { return m_failure; }

    // The daily limit and today's spending of a family (0 when none); false after a refusal.
    bool dayFigures(const QString &family, double &limit, double &spent);
    double spentToday(const QString &family) const { return m_spent.value(family, 0.0); }

private:
    bool fail(const QString &text) { m_failure = text; return false; }
    bool failDb() { return fail(m_db.error()); }
    bool hostPacket(const QString &operation, const QString &family, DataPacket &out);
    bool loadBalances();
    bool loadSpending();
    bool checkFamily(const QString &family, double amount, const DataPacket &amounts);
    bool borrow(const QString &family, double missing, const DataPacket &amounts, bool &lent);
    bool candidates(const QString &family, const QString &order, QList<Candidate> &out);
    bool sequence(const QString &family, const QDateTime &stamp, QString &out);
    double effectiveBalance(const QString &family) const;
    void appendLine(const QString &family, const QString &kind, double amount, double after, const QDateTime &stamp,
                    const QString &sequence, const QString &receiptType);
    QString limitText(const QString &code, const QString &family, const QString &name, double limit, double spent,
                      double amount) const;

    bool online() const { return m_in.IDEXTCONSONLINE == QLatin1String("S"); }
    bool central() const { return m_in.IDEXTCONSCENTRAL == QLatin1String("S"); }

    Input m_in;
    Session &m_db;
    QString m_failure;
    DataPacket m_consumer;
    QMap<QString, double> m_balance;
    QMap<QString, QString> m_name;
    QMap<QString, Rule> m_consumerRule;
    QMap<QString, Rule> m_familyRule;
    QMap<QString, QString> m_order;
    QMap<QString, double> m_spent;
    DataPacket m_loans;
};

Params consumerKey(const Validation::Input &in)
{
    return {{"P_CDCLIENTE", in.CDCLIENTE}, {"P_CDCONSUMIDOR", in.CDCONSUMIDOR}};
}

DataPacket emptyLoans()
{
    DataPacket packet;
    const auto text = [](const char *name, int size) { return FieldDef{QString::fromLatin1(name), FieldType::String, size}; };
    const auto stamp = [](const char *name) { return FieldDef{QString::fromLatin1(name), FieldType::DateTime, 0}; };
    const auto number = [](const char *name) { return FieldDef{QString::fromLatin1(name), FieldType::Double, 0}; };
    packet.fields = {text("CDCLIENTE", 21),  text("CDCONSUMIDOR", 21), text("CDFAMILISALD", 3),
                     stamp("DTMOVEXTCONS"),  text("NRSEQMOVEXT", 3),   text("CDTIPORECE", 3),
                     text("IDTPMOVEXT", 1),  text("DSOPEEXTCONS", 30), number("VRMOVEXTCONS"),
                     number("VRSALDCONEXT"), text("CDFILIAL", 4),      text("CDCAIXA", 3),
                     text("NRSEQVENDA", 10), stamp("DTABERCAIX")};
    return packet;
}

Rule ruleOf(const DataPacket &rows, int row, const char *limit, const char *negative)
{
    return {true, rows.value(row, QString::fromLatin1(limit)), rows.value(row, QString::fromLatin1(negative)).toString()};
}

bool Validation::hostPacket(const QString &operation, const QString &family, DataPacket &out)
{
    StatementAnswer answer;
    const QString day = PtBr::DateToStr(Clock::now().date());
    if (online()) {
        ClientDataSet none;
        answer = hostServices().ExtratoConsOnline(
            {m_in.CDFILIAL, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, family, day, m_in.CDURLWSEXTCONS, operation}, none);
        if (!answer.answered)
            return fail(QStringLiteral("FALHA_CONEXAO_SRV"));
    } else {
        answer = hostServices().ExtratoConsCentral(
            {m_in.CDFILIAL, {}, {}, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, family, day, operation});
        if (!answer.answered)
            return fail(QStringLiteral("EXTCONSCENTRAL_ERRO"));
    }
    out = answer.value.packet();
    return true;
}

bool Validation::loadBalances()
{
    DataPacket rows;
    if (online() || central()) {
        if (!hostPacket(online() ? QStringLiteral("CONSULTA_SALDO") : QStringLiteral("CONSULTA_SALDO_TODOS"), {}, rows))
            return false;
    } else if (!m_db.packet(adqSaldoCons, consumerKey(m_in), rows)) {
        return failDb();
    }
    for (int row = 0; row < rows.rows.size(); ++row)
        m_balance[rows.value(row, "CDFAMILISALD").toString()] = money(rows.value(row, "VRSALDCONFAM"));
    return true;
}

bool Validation::loadSpending()
{
    DataPacket rows;
    if (online() || central()) {
        if (!hostPacket(QStringLiteral("CONSULTA_CONSUMO_FAMILIA"), {}, rows))
            return false;
    } else {
        const QDateTime start = dayStart(Clock::now().date());
        if (!m_db.packet(adqVrTotVend, consumerKey(m_in) + Params{{"P_HOJE", start}, {"P_AMANHA", start.addDays(1)}}, rows))
            return failDb();
    }
    for (int row = 0; row < rows.rows.size(); ++row) {
        const double sum = money(rows.value(row, "SOMA"));
        if (Money::RoundDec(sum, 2) > 0)
            m_spent[rows.value(row, "CDFAMILISALD").toString()] = sum;
    }
    return true;
}

bool Validation::load()
{
    m_loans = emptyLoans();
    const Params branch{{"P_CDFILIAL", m_in.CDFILIAL}};
    DataPacket consumerRules, familyRules, names;
    if (!m_db.packet(adqConsumidorSaldo, consumerKey(m_in), m_consumer)
        || !m_db.packet(adqSaldNegRal, consumerKey(m_in) + branch, consumerRules)
        || !m_db.packet(adqSaldNegFam, branch, familyRules) || !m_db.packet(adqNmFamilia, {}, names))
        return failDb();
    for (int row = 0; row < consumerRules.rows.size(); ++row)
        m_consumerRule[consumerRules.value(row, "CDFAMILISALD").toString()] = ruleOf(consumerRules, row, "VRCONSDIARAL", "IDSALDNEGRAL");
    for (int row = 0; row < familyRules.rows.size(); ++row) {
        const QString family = familyRules.value(row, "CDFAMILISALD").toString();
        m_familyRule[family] = ruleOf(familyRules, row, "VRCONSDIAFAM", "IDSALDNEGFAM");
        m_order[family] = familyRules.value(row, "NRORDAPRSALD").toString();
    }
    for (int row = 0; row < names.rows.size(); ++row)
        m_name[names.value(row, "CDFAMILISALD").toString()] = names.value(row, "NMFAMILISALD").toString();
    return loadBalances() && loadSpending();
}

QString Validation::limitText(const QString &code, const QString &family, const QString &name, double limit,
                              double spent, double amount) const
{
    return code + QLatin1Char(' ') + family + QStringLiteral(" - ") + name + QStringLiteral("@@") + PtBr::FloatToStr(limit)
        + QStringLiteral("==") + PtBr::FloatToStr(spent) + QStringLiteral("@@") + PtBr::FloatToStr(amount);
}

bool Validation::dayFigures(const QString &family, double &limit, double &spent)
{
    limit = 0;
    spent = m_spent.value(family, 0.0);
    const Rule rule = m_consumerRule.contains(family) ? m_consumerRule.value(family) : m_familyRule.value(family);
    if (!rule.present || !isSet(rule.limit))
        return true;
    if (Money::RoundDec(money(rule.limit), 2) <= 0)
        return fail(QStringLiteral("ERRO_3 ") + family + QStringLiteral(" - ") + m_name.value(family));
    limit = money(rule.limit);
    return true;
}

// The family's balance with the loans of this validation already counted.
double Validation::effectiveBalance(const QString &family) const
{
    double balance = m_balance.value(family, 0.0);
    for (int row = 0; row < m_loans.rows.size(); ++row) {
        if (m_loans.value(row, "CDFAMILISALD").toString() == family)
            balance += signedAmount(m_loans.value(row, "IDTPMOVEXT").toString(), money(m_loans.value(row, "VRMOVEXTCONS")));
    }
    return Money::RoundDec(balance, 2);
}

bool Validation::checkFamily(const QString &family, double amount, const DataPacket &amounts)
{
    double limit = 0, spent = 0;
    if (!dayFigures(family, limit, spent))
        return false;
    if (Money::RoundDec(limit, 2) > 0 && LimitRule::exceeds(limit, amount + spent))
        return fail(limitText(QStringLiteral("ERRO_1"), family, m_name.value(family), limit, spent, amount));
    QString negative = QStringLiteral("N");
    const Rule rule = m_consumerRule.contains(family) ? m_consumerRule.value(family) : m_familyRule.value(family);
    if (rule.present && !rule.negative.trimmed().isEmpty())
        negative = rule.negative;
    if (negative != QLatin1String("N"))
        return true;
    const double balance = effectiveBalance(family);
    if (Money::RoundDec(amount, 2) <= balance)
        return true;
    const double missing = Money::RoundDec(balance > 0 ? amount - balance : amount, 2);
    bool lent = false;
    if (!borrow(family, missing, amounts, lent))
        return false;
    if (lent)
        return true;
    const bool mayGoShort = m_in.IDPERCOMVENCPDC == QLatin1String("S")
        && m_consumer.value(0, "IDVERSALDCON").toString() == QLatin1String("S");
    if (mayGoShort)
        return true;
    return fail(QStringLiteral("ERRO_2") + family + QStringLiteral(" - ") + m_name.value(family));
}

bool Validation::candidates(const QString &family, const QString &order, QList<Candidate> &out)
{
    DataPacket rows;
    if (online() || central()) {
        if (!hostPacket(QStringLiteral("CONSULTA_ORDEM_FAMILIA"), family, rows))
            return false;
    } else if (!m_db.packet(adqOrdemCandidatos, consumerKey(m_in) + Params{{"P_CDFILIAL", m_in.CDFILIAL},
                                                                          {"P_NRORDAPRSALD", order}}, rows)) {
        return failDb();
    }
    for (int row = 0; row < rows.rows.size(); ++row)
        out.append({rows.value(row, "CDFAMILISALD").toString(), rows.value(row, "NMFAMILISALD").toString(),
                    rows.value(row, "NRORDAPRSALD").toString(), money(rows.value(row, "VRSALDCONFAM")),
                    rows.value(row, "IDSALDNEGFAM").toString()});
    return true;
}

bool Validation::sequence(const QString &family, const QDateTime &stamp, QString &out)
{
    if (central()) {
        const StatementAnswer answer = hostServices().ExtratoConsCentral(
            {m_in.CDFILIAL, {}, {}, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, family, PtBr::DateToStr(stamp.date()),
             QStringLiteral("SEQUENCIAL_EXTRATO")});
        if (!answer.answered)
            return fail(QStringLiteral("EXTCONSCENTRAL_ERRO"));
        out = answer.value.toString();
        return true;
    }
    if (!nextStatementSequence(m_db, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, family, stamp, out))
        return failDb();
    // Lines of this validation at the same instant are not in the base yet.
    int taken = 0;
    for (int row = 0; row < m_loans.rows.size(); ++row)
        taken += m_loans.value(row, "CDFAMILISALD").toString() == family ? 1 : 0;
    out = QString::number(out.toInt() + taken).rightJustified(3, QLatin1Char('0'));
    return true;
}

void Validation::appendLine(const QString &family, const QString &kind, double amount, double after,
                            const QDateTime &stamp, const QString &sequence, const QString &receiptType)
{
    const QString description =
        kind == QLatin1String("D") ? QStringLiteral("QUB - Debito Oper.Interna") : QStringLiteral("QUB - Credito Oper.Interna");
    m_loans.rows.append({m_in.CDCLIENTE, m_in.CDCONSUMIDOR, family, stamp, sequence, receiptType, kind, description,
                         amount, Money::RoundDec(after, 2), m_in.CDFILIAL, m_in.CDCAIXA, QString(),
                         m_in.DTABERCAIX.isValid() ? Variant(m_in.DTABERCAIX) : Variant::null()});
}

bool Validation::borrow(const QString &family, double missing, const DataPacket &amounts, bool &lent)
{
    Consiste::Delay(1);
    const QDateTime stamp = lineStamp();
    const QString order = m_order.value(family);
    QList<Candidate> list;
    if (!candidates(family, order, list))
        return false;
    DataPacket types;
    if (!m_db.packet(adqTipoReceEmprestimo, {{"P_IDTIPORECE", QStringLiteral("A")}}, types))
        return failDb();
    const QString receiptType = types.value(0, "CDTIPORECE").toString();
    int position = -1;
    for (int i = 0; i < list.size(); ++i)
        position = list.at(i).family == family ? i : position;
    for (int i = (position < 0 ? list.size() : position) - 1; i >= 0; --i) {
        const Candidate &c = list.at(i);
        if (!(c.order < order))
            continue;
        double available = effectiveBalance(c.family);
        for (int row = 0; row < amounts.rows.size(); ++row) {
            if (amounts.value(row, "CDFAMILISALD").toString() == c.family)
                available -= money(amounts.value(row, "VRSALDCONFAM"));
        }
        available = Money::RoundDec(available, 2);
        if (available < Money::RoundDec(missing, 2) && c.negative != QLatin1String("S"))
            continue;
        double limit = 0, spent = 0;
        if (!dayFigures(c.family, limit, spent))
            return false;
        if (m_consumer.value(0, "IDVERSALDCON").toString() == QLatin1String("S")) {
            const Variant maxCredit = m_consumer.value(0, "VRMAXCREDCONS");
            const Variant floor = m_consumer.value(0, "VRLIMCREDCONS");
            if (isSet(maxCredit) && LimitRule::exceeds(money(maxCredit), missing + spent))
                return fail(limitText(QStringLiteral("ERRO_4"), c.family, c.name, money(maxCredit), spent, available));
            if (isSet(floor) && LimitRule::below(money(floor), available - missing))
                return fail(limitText(QStringLiteral("ERRO_5"), c.family, c.name, money(floor), spent, available));
        }
        // The lender's daily value is held to the same rule as the family's own, to the cent.
        if (Money::RoundDec(limit, 2) > 0 && LimitRule::exceeds(limit, spent + missing))
            return fail(limitText(QStringLiteral("ERRO_1"), c.family, c.name, limit, spent, available));
        QString lenderSequence, borrowerSequence;
        const double lenderAfter = effectiveBalance(c.family) - missing;
        if (!sequence(c.family, stamp, lenderSequence))
            return false;
        appendLine(c.family, QStringLiteral("D"), missing, lenderAfter, stamp, lenderSequence, receiptType);
        const double borrowerAfter = effectiveBalance(family) + missing;
        if (!sequence(family, stamp, borrowerSequence))
            return false;
        appendLine(family, QStringLiteral("C"), missing, borrowerAfter, stamp, borrowerSequence, receiptType);
        lent = true;
        return true;
    }
    return true;
}

bool Validation::validate(const DataPacket &amounts)
{
    for (int row = 0; row < amounts.rows.size(); ++row) {
        if (!checkFamily(amounts.value(row, "CDFAMILISALD").toString(), money(amounts.value(row, "VRSALDCONFAM")), amounts))
            return false;
    }
    return true;
}

// Reads the rules and figures for the day-figure lookups; the last family of the packet answers.
template<typename Answer>
Variant lastFamily(const Validation::Input &in, const Variant &families, Answer answer)
{
    ServerCall call;
    if (!call.module().connect())
        return Variant::failure(call.module().lastErrorText());
    Session session(call.session());
    Validation validation(in, session);
    if (!validation.load())
        return Variant::failure(validation.failure());
    const DataPacket &amounts = families.packet();
    if (amounts.isEmpty())
        return Variant(0.0);
    return answer(validation, amounts.value(amounts.rows.size() - 1, "CDFAMILISALD").toString());
}

} // namespace

namespace Srv_Kal51000 {

Variant setValidaSaldoCons(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                           const QString &CDCONSUMIDOR, const QString &IDPERCOMVENCPDC, const QString &IDEXTCONSONLINE,
                           const QString &CDURLWSEXTCONS, const QString &IDEXTCONSCENTRAL, const Variant &families,
                           const QDateTime &DTABERCAIX)
{
    if (!families.isPacket())
        return Variant::failure(QStringLiteral("setValidaSaldoCons: os valores por família não vieram como pacote"));
    if (const QString lacking = missingColumn(families.packet(), {"CDFAMILISALD", "VRSALDCONFAM"}); !lacking.isEmpty())
        return Variant::failure(QStringLiteral("setValidaSaldoCons: falta a coluna %1 nos valores por família").arg(lacking));
    ServerCall call;
    if (!call.module().connect())
        return Variant::failure(call.module().lastErrorText());
    Session session(call.session());
    Validation validation({CDFILIAL, CDCAIXA, CDCLIENTE, CDCONSUMIDOR, IDPERCOMVENCPDC, IDEXTCONSONLINE, CDURLWSEXTCONS,
                           IDEXTCONSCENTRAL, DTABERCAIX},
                          session);
    if (!validation.load() || !validation.validate(families.packet()))
        return Variant::failure(validation.failure());
    return Variant(validation.loans());
}

Variant getLimitConsDiario(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                           const QString &CDCONSUMIDOR, const Variant &families, const QDateTime &DTABERCAIX)
{
    return lastFamily({CDFILIAL, CDCAIXA, CDCLIENTE, CDCONSUMIDOR, {}, {}, {}, {}, DTABERCAIX}, families,
                      [](Validation &validation, const QString &family) {
                          double limit = 0, spent = 0;
                          if (!validation.dayFigures(family, limit, spent))
                              return Variant::failure(validation.failure());
                          return Variant(Money::RoundDec(limit, 2));
                      });
}

Variant getGastoDia(const QString &CDFILIAL, const QString &CDCAIXA, const QString &CDCLIENTE,
                    const QString &CDCONSUMIDOR, const Variant &families, const QDateTime &DTABERCAIX)
{
    return lastFamily({CDFILIAL, CDCAIXA, CDCLIENTE, CDCONSUMIDOR, {}, {}, {}, {}, DTABERCAIX}, families,
                      [](Validation &validation, const QString &family) {
                          return Variant(Money::RoundDec(validation.spentToday(family), 2));
                      });
}

} // namespace Srv_Kal51000

// Bonus credit rules of a consumer type: a balance ceiling and a number of loads per period.
#include "creditpurchase_p.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace {

// A figure of the type's row: numbers as they are, texts with a decimal comma or point, blank 0.
double figure(const Variant &value, bool *ok = nullptr)
{
    if (ok)
        *ok = true;
    if (value.isBlank())
        return 0.0;
    if (value.kind() == Variant::Kind::Double || value.kind() == Variant::Kind::Integer)
        return value.toDouble();
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return 0.0;
    bool parsed = false;
    double number = PtBr::StrToFloat(text, &parsed);
    if (!parsed)
        number = text.toDouble(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? number : 0.0;
}

} // namespace

QDate BonusRules::weekStart(const QDate &day)
{
    // Qt counts Monday as 1 and Sunday as 7.
    return day.addDays(1 - day.dayOfWeek());
}

bool BonusRules::refuse(const QString &text)
{
    m_context.message(text, Ravuvozozod::Error);
    return false;
}

bool BonusRules::VerificaBonus(const QString &CDFAMILISALD, const QString &NMFAMILISALD)
{
    SaleState &s = m_context.state();
    const QString &branch = s.params.stCDFILIAL;
    const QString &client = s.host.stCdClienteVenda;
    const QString &consumer = s.consumer.stCDCONSUMIDOR;
    Seam::Consumers &server = m_context.server().consumers;
    const bool central = s.params.stIDEXTCONSCENTRAL == QLatin1String("S");

    // A type that cannot be read refuses: its rules are unknown, and a bonus type must not
    // load past them.
    Variant type;
    if (!m_context.checkAnswer(server.GetTipoConsFili(branch, s.consumer.stCDTIPOCONS), QStringLiteral("GetTipoConsFili"),
                               branch + QLatin1Char('-') + s.consumer.stCDTIPOCONS, type))
        return false;
    const DataPacket row = type.packet();
    s.consumer.stBonusAux1 = row.isEmpty() ? QString() : row.value(0, QStringLiteral("IDRECEBEBONUS")).toString();
    if (s.consumer.stBonusAux1 != QLatin1String("S"))
        return true;
    const double ceiling = figure(row.value(0, QStringLiteral("VRSALDCONSBONUS")));

    QString balanceText;
    if (central) {
        const StatementAnswer answer = m_context.services().ExtratoConsCentral(
            {branch, {}, {}, client, consumer, CDFAMILISALD, {}, QStringLiteral("SALDO_BONUS")});
        if (!answer.answered) {
            s.consumer.stSaldGastAux2 = QStringLiteral("SALDO_BONUS");
            return refuse(m_context.messages().Msg(QStringLiteral("EXTCONSCENTRAL_ERRO"), {QStringLiteral("SALDO_BONUS")}));
        }
        balanceText = answer.value.toString();
    } else {
        Variant balance;
        if (!m_context.checkAnswer(server.GetSaldoConsBonus(client, consumer, CDFAMILISALD),
                                   QStringLiteral("GetSaldoConsBonus"), client + QLatin1Char('-') + consumer, balance))
            return false;
        balanceText = balance.toString();
    }
    bool numeric = false;
    const double balance = figure(Variant(balanceText), &numeric);
    if (!numeric)
        return refuse(QStringLiteral("'%1' não é um valor numérico válido").arg(balanceText));
    if (Money::RoundDec(balance, 2) > Money::RoundDec(ceiling, 2))
        return refuse(m_context.messages().Msg(QStringLiteral("CARGA_SALDO"),
                                               {NMFAMILISALD, NMFAMILISALD, PtBr::FormatFloat(QStringLiteral("0.00"), balance),
                                                PtBr::FormatFloat(QStringLiteral("0.00"), ceiling)}));

    const bool monthly = row.value(0, QStringLiteral("IDPERIODOBONUS")).toString() == QLatin1String("M");
    const QDate today = Clock::now().date();
    const QDate first = monthly ? QDate(today.year(), today.month(), 1) : weekStart(today);
    const QDate last = monthly ? QDate(today.year(), today.month(), today.daysInMonth()) : today;
    int count = 0;
    QString lastLoad;
    if (central) {
        const BonusLoadAnswer loads = m_context.services().CargaCreditoBonus(
            {branch, client, consumer, CDFAMILISALD, first.startOfDay(), last.startOfDay()});
        if (!loads.answered) {
            s.consumer.stSaldGastAux2 = QStringLiteral("CARGA_CREDITO_BONUS");
            return refuse(
                m_context.messages().Msg(QStringLiteral("EXTCONSCENTRAL_ERRO"), {QStringLiteral("CARGA_CREDITO_BONUS")}));
        }
        count = loads.count;
        lastLoad = loads.lastLoadDate;
    } else {
        // A count that cannot be read refuses with the server's error, never lets the load pass.
        Variant answer;
        if (!m_context.checkAnswer(server.GetCargaCredito(client, consumer, CDFAMILISALD, first.startOfDay(),
                                                          last.startOfDay(), count),
                                   QStringLiteral("GetCargaCredito"), client + QLatin1Char('-') + consumer, answer))
            return false;
        lastLoad = answer.toString();
    }
    if (monthly) {
        if (int(figure(row.value(0, QStringLiteral("QTRECARGASMES")))) > count)
            return true;
        return refuse(m_context.messages().Msg(QStringLiteral("CARGA_MENSAL"), {NMFAMILISALD, lastLoad}));
    }
    if (lastLoad.isEmpty())
        return true;
    return refuse(m_context.messages().Msg(QStringLiteral("CARGA_SEMANAL"), {NMFAMILISALD, lastLoad}));
}

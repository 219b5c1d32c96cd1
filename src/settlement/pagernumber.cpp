// The order pager number of a sale, in the mode the till is set to.
#include "settlement.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <optional>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

// Bounds that keep a full day of orders from hanging the till: drawing (or asking) until a
// number is had would go on for ever when every number is taken or nobody is at the keypad.
constexpr int maxSequentialTries = 50;
constexpr int maxRandomDraws = 200;
constexpr int maxKeypadAsks = 10;

const QString noPagerText = QStringLiteral("Não foi possível gerar a senha/pager do cupom: todas estão em uso.");
const QString pagerTakenText = QStringLiteral("Senha/Pager já está em uso em outro pedido.");

bool above(const QString &number, const QString &maximum)
{
    bool numberOk = false;
    bool maximumOk = false;
    const qint64 n = number.trimmed().toLongLong(&numberOk);
    const qint64 max = maximum.trimmed().toLongLong(&maximumOk);
    return numberOk && maximumOk && n > max;
}

class PagerNumber
{
public:
    explicit PagerNumber(SaleContext &context) : m_context(context) {}

    QString sequentialPager();
    QString typedPager();
    QString randomPager(int lowest, int highest);

private:
    // True when an order uses the number; empty when the server could not say (reported).
    std::optional<bool> pagerInUse(const QString &number);
    // Checks the number and takes it for this desk in one step: false when it is now ours,
    // true when taken; empty when the server could not say (reported).
    std::optional<bool> takePager(const QString &number);
    // True when no number of the range is free today (told once a day) or the server could
    // not say (reported).
    bool rangeFull(int lowest, int highest);

    SaleContext &m_context;
};


// The day's next number of the branch; one found in use is replaced by the next, and a number
// above NRMAXSENHAPED (compared as numbers: "1000" is above "999") restarts the day's sequence.
QString PagerNumber::sequentialPager()
{
    const SaleState &state = m_context.state();
    const QString branch = state.params.stCDFILIAL;
    const QDateTime today = Clock::now();
    auto next = [&]() -> QString {
        Variant value;
        if (!m_context.checkAnswer(m_context.server().passwords.getSenhaCupom(branch, today), QStringLiteral("getSenhaCupom"),
                                   branch, value))
            return {};
        return value.toString().trimmed();
    };
    QString number = next();
    for (int tries = 0; !number.isEmpty() && tries < maxSequentialTries; ++tries) {
        if (!state.params.stNRMAXSENHAPED.trimmed().isEmpty() && above(number, state.params.stNRMAXSENHAPED)) {
            Variant ignored;
            m_context.checkAnswer(
                m_context.server().passwords.ReiniciaSenhaCupom(branch, today.toString(QStringLiteral("dd/MM/yyyy"))),
                QStringLiteral("ReiniciaSenhaCupom"), branch, ignored);
            number = next();
            continue;
        }
        if (m_context.server().lookupsTills.getSenhaUtil(branch, number, state.params.stCDCAIXA, today).isEmpty())
            return number;
        number = next();
    }
    if (!number.isEmpty())
        m_context.message(noPagerText, Ravuvozozod::Error);
    return {};
}

// The operator types the number on the keypad; it must not be empty or in use. Leaving the
// keypad asks again (the sale needs a number), a bounded number of times.
QString PagerNumber::typedPager()
{
    SaleState &state = m_context.state();
    for (int asked = 0; asked < maxKeypadAsks; ++asked) {
        KeypadRequest request;
        request.value = state.settlement.stNotaManualAux1;
        request.title = m_context.Msg(QStringLiteral("Senha_Cup1"));
        request.prompt = m_context.Msg(QStringLiteral("Senha_Cup2"));
        request.emptyMessage = m_context.Msg(QStringLiteral("Senha_Cup3"));
        request.maxLength = 5;
        const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
        if (!answer.confirmed)
            continue;
        state.settlement.stNotaManualAux1 = answer.value;
        if (answer.value.trimmed().isEmpty()) {
            m_context.message(m_context.Msg(QStringLiteral("Senha_Cup3")), Ravuvozozod::Error);
            continue;
        }
        const std::optional<bool> taken = pagerInUse(answer.value.trimmed());
        if (!taken)
            return {};
        if (!*taken)
            return answer.value;
        m_context.message(pagerTakenText, Ravuvozozod::Error);
    }
    m_context.message(m_context.Msg(QStringLiteral("Senha_Cup3")), Ravuvozozod::Error);
    return {};
}

// A random number from `lowest` to `highest`, five characters wide, that no order uses,
// taken for this desk as it is found free, so that two tills drawing at once never both get
// it. After many taken draws the range is searched in order from a random start, once round.
// A range found full in one query is told to the cashier once a day; the sales after it go
// without a number and without asking the base for each one.
QString PagerNumber::randomPager(int lowest, int highest)
{
    lowest = qBound(0, lowest, highest);
    const int span = highest - lowest + 1;
    if (rangeFull(lowest, highest))
        return {};
    auto tryNumber = [this](int n) -> std::optional<QString> {
        const QString text = Consiste::Ajusta(QString::number(n), 5);
        const std::optional<bool> taken = takePager(text);
        if (!taken)
            return QString(); // the server failed: reported, no number
        return *taken ? std::nullopt : std::optional<QString>(text);
    };
    for (int draw = 0; draw < maxRandomDraws; ++draw) {
        if (const auto found = tryNumber(lowest + m_context.server().passwords.random(span)))
            return *found;
    }
    const int start = m_context.server().passwords.random(span);
    for (int i = 0; i < span; ++i) {
        if (const auto found = tryNumber(lowest + (start + i) % span))
            return *found;
    }
    m_context.message(noPagerText, Ravuvozozod::Error);
    return {};
}

bool PagerNumber::rangeFull(int lowest, int highest)
{
    SaleState &state = m_context.state();
    const QDate today = Clock::now().date();
    Variant free;
    if (!m_context.checkAnswer(m_context.server().passwords.getSenhaPedLivres(state.params.stCDFILIAL, lowest, highest),
                               QStringLiteral("getSenhaPedLivres"), state.params.stCDFILIAL, free))
        return true;
    if (free.toInt() > 0)
        return false;
    if (state.till.pagerRangeFullTold != today) {
        state.till.pagerRangeFullTold = today;
        m_context.message(noPagerText, Ravuvozozod::Error);
    }
    return true;
}

std::optional<bool> PagerNumber::takePager(const QString &number)
{
    const SaleState &state = m_context.state();
    Variant value;
    if (!m_context.checkAnswer(
            m_context.server().passwords.setSenhaPedReserva(state.params.stCDFILIAL, state.params.stCDCAIXA, number),
            QStringLiteral("setSenhaPedReserva"), state.params.stCDFILIAL + QLatin1Char('-') + number, value))
        return std::nullopt;
    return !value.toBool();
}

std::optional<bool> PagerNumber::pagerInUse(const QString &number)
{
    const SaleState &state = m_context.state();
    Variant value;
    if (!m_context.checkAnswer(m_context.server().passwords.getSenhaRandonExist(state.params.stCDFILIAL, state.params.stCDCAIXA, number),
                               QStringLiteral("getSenhaRandonExist"), state.params.stCDFILIAL + QLatin1Char('-') + number,
                               value))
        return std::nullopt;
    return value.toBool();
}

} // namespace

QString Settlement::GeraSenhaCupom(const QString &mode, int lowest)
{
    if (isYes(mode))
        return PagerNumber(m_context).sequentialPager();
    if (mode == QLatin1String("D"))
        return PagerNumber(m_context).typedPager();
    if (mode == QLatin1String("A"))
        return PagerNumber(m_context).randomPager(lowest, 99998);
    return PagerNumber(m_context).randomPager(lowest, 998);
}

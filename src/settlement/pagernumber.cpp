#include "settlement.h"

#include "settlementserver.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <optional>
#include <sale/codes.h>

namespace {

const QString unitName = QStringLiteral("Cli_Kal51000");

// Bounds that keep a full day of orders from hanging the till: the original drew (or asked)
// until it had a number, for ever when every number was taken or nobody was at the keypad.
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

} // namespace

QString Settlement::GeraSenhaCupom(const QString &mode, int lowest)
{
    if (isYes(mode))
        return sequentialPager();
    if (mode == QLatin1String("D"))
        return typedPager();
    if (mode == QLatin1String("A"))
        return randomPager(lowest, 99998);
    return randomPager(lowest, 998);
}

// The day's next number of the branch; one found in use is replaced by the next, and a number
// above NRMAXSENHAPED (compared as numbers: "1000" is above "999") restarts the day's sequence.
QString Settlement::sequentialPager()
{
    const SaleState &state = m_context.state();
    const QString branch = state.params.stCDFILIAL;
    const QDateTime today = Clock::now();
    auto next = [&]() -> QString {
        Variant value;
        if (!Ravuvozozod::MensagemMetodo(settlementServer().getSenhaCupom(branch, today), true, 0,
                                         QStringLiteral("getSenhaCupom"), unitName, branch, state.params.stIDESQUEMA, value))
            return {};
        return value.toString().trimmed();
    };
    QString number = next();
    for (int tries = 0; !number.isEmpty() && tries < maxSequentialTries; ++tries) {
        if (!state.params.stNRMAXSENHAPED.trimmed().isEmpty() && above(number, state.params.stNRMAXSENHAPED)) {
            Variant ignored;
            Ravuvozozod::MensagemMetodo(settlementServer().ReiniciaSenhaCupom(branch, today.toString(QStringLiteral("dd/MM/yyyy"))),
                                        true, 0, QStringLiteral("ReiniciaSenhaCupom"), unitName, branch,
                                        state.params.stIDESQUEMA, ignored);
            number = next();
            continue;
        }
        if (settlementServer().getSenhaUtil(branch, number, state.params.stCDCAIXA, today).isEmpty())
            return number;
        number = next();
    }
    if (!number.isEmpty())
        m_context.message(noPagerText, Ravuvozozod::Error);
    return {};
}

// The operator types the number on the keypad; it must not be empty or in use. Leaving the
// keypad asks again (the sale needs a number), a bounded number of times.
QString Settlement::typedPager()
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

// A random number from `lowest` to `highest`, five characters wide, that no order uses. After
// many taken draws the range is searched in order from a random start, once round.
QString Settlement::randomPager(int lowest, int highest)
{
    lowest = qBound(0, lowest, highest);
    const int span = highest - lowest + 1;
    auto tryNumber = [this](int n) -> std::optional<QString> {
        const QString text = Consiste::Ajusta(QString::number(n), 5);
        const std::optional<bool> taken = pagerInUse(text);
        if (!taken)
            return QString(); // the server failed: reported, no number
        return *taken ? std::nullopt : std::optional<QString>(text);
    };
    for (int draw = 0; draw < maxRandomDraws; ++draw) {
        if (const auto found = tryNumber(lowest + settlementServer().random(span)))
            return *found;
    }
    const int start = settlementServer().random(span);
    for (int i = 0; i < span; ++i) {
        if (const auto found = tryNumber(lowest + (start + i) % span))
            return *found;
    }
    m_context.message(noPagerText, Ravuvozozod::Error);
    return {};
}

std::optional<bool> Settlement::pagerInUse(const QString &number)
{
    const SaleState &state = m_context.state();
    Variant value;
    if (!Ravuvozozod::MensagemMetodo(settlementServer().getSenhaRandonExist(state.params.stCDFILIAL, state.params.stCDCAIXA, number),
                                     true, 0, QStringLiteral("getSenhaRandonExist"), unitName,
                                     state.params.stCDFILIAL + QLatin1Char('-') + number, state.params.stIDESQUEMA, value))
        return std::nullopt;
    return value.toBool();
}

#include "benefits_p.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/consiste.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace {

QString text(const ClientDataSet &data, const char *field)
{
    return data.FindField(QString::fromLatin1(field)).AsString();
}

} // namespace

CounterBenefits::CounterBenefits(SaleContext &context)
    : m_context(context)
{
}

void CounterBenefits::run(const Item &item)
{
    settlePending();
    SaleState &state = m_context.state();
    const QString &mode = state.host.stModoVenda;
    if (mode == SaleMode::Table || mode == SaleMode::Tab || item.Desconto != QLatin1String("0"))
        return;
    // Without a consumer there is no benefit to offer: nothing is asked of the server.
    if (item.CDCONSUMIDOR.trimmed().isEmpty())
        return;
    state.loyalty.boFidelidadeAux3 = offered(item) && chooseFromList(item);
    showList(false);
    if (!state.loyalty.boFidelidadeAux3)
        return;
    bool priceOk = false;
    const double price = PtBr::StrToFloat(item.Preco, &priceOk);
    if (!priceOk || price < 0 || item.CDPRODUTO.trimmed().isEmpty()) {
        m_context.message(QStringLiteral("Benefício não aplicado: produto ou preço do item inválido (%1, %2).")
                              .arg(item.CDPRODUTO, item.Preco),
                          Ravuvozozod::Error);
        return;
    }
    if (!productAccepted(item) || !withinDailyLimits(item) || !reserveUse())
        return;
    state.totals.doVrDescontoItem = unitDiscount(price);
}

bool CounterBenefits::offered(const Item &item)
{
    if (!m_context.server().loyalty.getMovBeneFidelidade(item.CDCLIENTE, item.CDCONSUMIDOR, item.CDPRODUTO))
        return false;
    return Ravuvozozod::Mensagem(m_context.messages().Msg(QStringLiteral("Fidelidade2"), {item.NMPRODUTO}), QString(),
                                 QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Question, QString(),
                                 m_context.state().params.stIDESQUEMA, 0);
}

// Shows the list and waits, keeping the screen alive, until the operator uses a benefit or
// closes the list; a form closed meanwhile counts as closed.
bool CounterBenefits::chooseFromList(const Item &item)
{
    LoyaltyState &loyalty = m_context.state().loyalty;
    loyalty.boFidelidadeAux1 = false;
    loyalty.boFidelidadeAux2 = false;
    ClientDataSet &list = m_context.data().cdsListaBeneficio;
    const Variant answer = m_context.checkedValue(
        m_context.server().loyalty.getListaBeneficio(item.CDCLIENTE, item.CDCONSUMIDOR), QStringLiteral("getListaBeneficio"),
        item.CDCLIENTE + QLatin1Char('-') + item.CDCONSUMIDOR);
    if (!list.Active())
        list.CreateDataSet();
    list.EmptyDataSet();
    list.FieldByName(QStringLiteral("IDTPDESBENECONS")).SetOnGetText([](const Field &f) {
        return discountKindText(f.AsString());
    });
    list.FieldByName(QStringLiteral("VRDESBENECONS")).SetDisplayFormat(QStringLiteral("#.##"));
    for (int row = 0; row < answer.packet().rows.size(); ++row) {
        list.Append();
        for (const char *field : {"CDCAMPANHA", "VRDESBENECONS", "NRSEQPRODCAMP", "IDTPDESBENECONS", "NRSEQBENEFICIO",
                                  "CDIDCONSUMID", "QTDEBENEFICIO"}) {
            const Variant value = answer.packet().value(row, field);
            if (!value.isBlank())
                list.FieldByName(QString::fromLatin1(field)).SetValue(value);
        }
        list.Post();
    }
    list.First();
    afterScroll(m_context);
    showList(true);
    QPointer<QWidget> panel = m_context.widget<QWidget>(FormName::pnlListaBeneficio);
    while (!loyalty.boFidelidadeAux1 && !loyalty.boFidelidadeAux2) {
        if (!panel) {
            loyalty.boFidelidadeAux2 = true;
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return loyalty.boFidelidadeAux1;
}

bool CounterBenefits::productAccepted(const Item &item)
{
    const LoyaltyState &l = m_context.state().loyalty;
    const bool keys = !l.stFidelidadeAux1.isEmpty() && !l.stFidelidadeAux2.isEmpty() && !l.stFidelidadeAux3.isEmpty();
    if (keys && m_context.server().loyalty.getValProdBeneficio(l.stFidelidadeAux1, l.stFidelidadeAux2,
                                                               l.stFidelidadeAux3, item.CDPRODUTO))
        return true;
    m_context.message(m_context.Msg(QStringLiteral("Prod_Beneficio")), Ravuvozozod::Error);
    return false;
}

bool CounterBenefits::withinDailyLimits(const Item &item)
{
    const LoyaltyState &l = m_context.state().loyalty;
    const Variant limits = m_context.checkedValue(
        m_context.server().consumers.getValLimiteBene(item.CDCLIENTE, item.CDCONSUMIDOR, l.stFidelidadeAux1,
                                                      l.stFidelidadeAux3),
        QStringLiteral("getValLimiteBene"),
        QStringList{item.CDCLIENTE, item.CDCONSUMIDOR, l.stFidelidadeAux1, l.stFidelidadeAux2}.join(QLatin1Char('-')));
    // A limit that cannot be read allows nothing: the use would go unchecked.
    if (!limits.isArray())
        return false;
    if (!limits.at(0).toBool()) {
        m_context.message(m_context.messages().Msg(QStringLiteral("LIM_BENE_DIA"), {limits.at(2).toString()}),
                          Ravuvozozod::Error);
        return false;
    }
    if (!limits.at(1).toBool()) {
        m_context.message(m_context.messages().Msg(QStringLiteral("LIM_BENE_SUB"), {limits.at(3).toString()}),
                          Ravuvozozod::Error);
        return false;
    }
    return true;
}

// A use that could not be recorded gives no discount.
bool CounterBenefits::reserveUse()
{
    SaleState &state = m_context.state();
    const LoyaltyState &l = state.loyalty;
    const QString line = Consiste::Ajusta(QString::number(state.counters.inInicializaAux4), 3);
    const QStringList values{state.params.stCDFILIAL, state.params.stCDCAIXA, l.stFidelidadeAux1, l.stFidelidadeAux2,
                             l.stFidelidadeAux3, state.host.stCdClienteVenda, state.host.stCdConsumidorVenda,
                             QString(), QString(), QString(), QString(), line};
    Variant done;
    if (!m_context.checkAnswer(m_context.server().loyalty.setMovBeneficio(values), QStringLiteral("setMovBeneficio"),
                               QStringList{state.params.stCDFILIAL, state.params.stCDCAIXA, l.stFidelidadeAux1,
                                           l.stFidelidadeAux2}.join(QLatin1Char('-')),
                               done))
        return false;
    state.loyalty.pendingBenefitLine = state.counters.inInicializaAux4;
    return true;
}

double CounterBenefits::unitDiscount(double price) const
{
    const ClientDataSet &list = m_context.data().cdsListaBeneficio;
    const double value = list.FieldByName(QStringLiteral("VRDESBENECONS")).AsFloat();
    const double truncated = Money::Trunc2(price);
    // A unit never costs less than 0.01 through a benefit, and a discount is never negative.
    const double whole = qMax(0.0, Money::RoundDec(price - 0.01, 2));
    if (text(list, "IDTPDESBENECONS") == QLatin1String("P")) {
        const double share = Money::Trunc2(price * value / 100.0);
        return truncated > share ? share : whole;
    }
    return truncated > Money::Trunc2(value) ? value : whole;
}

void CounterBenefits::showList(bool shown)
{
    QWidget *panel = m_context.widget<QWidget>(FormName::pnlListaBeneficio);
    if (QWidget *buttons = m_context.widget<QWidget>(FormName::pnlBotoes))
        buttons->setEnabled(!shown);
    if (!panel)
        return;
    panel->move(72, shown ? 77 : 613);
    panel->setVisible(shown);
    if (shown)
        panel->raise();
}

void CounterBenefits::settlePending()
{
    SaleState &state = m_context.state();
    const int line = state.loyalty.pendingBenefitLine;
    if (line == 0)
        return;
    state.loyalty.pendingBenefitLine = 0;
    if (state.counters.inInicializaAux4 != line)
        return; // the item registered: its use stays reserved for the sale
    const QString number = Consiste::Ajusta(QString::number(line), 3);
    Variant done;
    m_context.checkAnswer(m_context.server().loyalty.setDevolveBeneficioItem(state.params.stCDFILIAL,
                                                                            state.params.stCDCAIXA, number),
                          QStringLiteral("setDevolveBeneficioItem"),
                          QStringList{state.params.stCDFILIAL, state.params.stCDCAIXA, number}.join(QLatin1Char('-')),
                          done);
}

void CounterBenefits::afterScroll(SaleContext &context)
{
    LoyaltyState &l = context.state().loyalty;
    const ClientDataSet &list = context.data().cdsListaBeneficio;
    const bool row = list.Active() && !list.IsEmpty();
    l.stFidelidadeAux1 = row ? text(list, "CDCAMPANHA") : QString();
    l.stFidelidadeAux2 = row ? text(list, "NRSEQPRODCAMP") : QString();
    l.stFidelidadeAux3 = row ? text(list, "NRSEQBENEFICIO") : QString();
}

QString CounterBenefits::discountKindText(const QString &IDTPDESBENECONS)
{
    return IDTPDESBENECONS == QLatin1String("P") ? QStringLiteral("Percentual") : QStringLiteral("Valor");
}

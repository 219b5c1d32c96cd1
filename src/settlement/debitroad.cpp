// Settling a sale on the badge consumer's debit (payroll), whole or with other payments: the
// entry, the subsidy split and limit check of each row, and the two calculations the debit
// needs (what the debit still covers, the payroll period's first day).
#include "debitroad_p.h"
#include "settlebutton_p.h"

#include <consumer/consumersale.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <algorithm>

void SettleButton::consumerDebitRoad()
{
    ConsumerDebitRoad(m_context, m_end, m_run).run();
}

double debitPart(const DebitRooms &rooms, double subsidyGranted, double saleTotal)
{
    double smallest = 0;
    bool anyBroken = false;
    for (const std::optional<double> &room : {rooms.balanceFloor, rooms.maximumDebit, rooms.storeDaily, rooms.monthly,
                                              rooms.storeMonthly, rooms.basicBalance, rooms.extraBalance}) {
        if (!room)
            continue;
        smallest = anyBroken ? std::min(smallest, *room) : *room;
        anyBroken = true;
    }
    const double part = Money::RoundDec(std::max(0.0, smallest) + subsidyGranted, 2);
    return std::clamp(part, 0.0, std::max(0.0, Money::RoundDec(saleTotal, 2)));
}

std::optional<QDate> payrollClosingDate(const QDate &today, const QString &closingDay, QString *text)
{
    bool ok = false;
    const int day = closingDay.trimmed().toInt(&ok);
    if (!ok || day < 1 || day > 31)
        return std::nullopt;
    // Past the closing day the period began this month; on it or before, the month before.
    const bool thisMonth = today.day() > day;
    const QDate first = QDate(today.year(), today.month(), 1).addMonths(thisMonth ? 0 : -1);
    const QDate closing(first.year(), first.month(), std::min(day, first.daysInMonth()));
    if (text) {
        // The central base has always been given the month before as a plain number and the
        // current month in two digits.
        const QString month = thisMonth ? QStringLiteral("%1").arg(closing.month(), 2, 10, QLatin1Char('0'))
                                        : QString::number(closing.month());
        *text = QStringLiteral("%1/%2/%3").arg(closing.day(), 2, 10, QLatin1Char('0')).arg(month).arg(closing.year());
    }
    return closing;
}

void ConsumerDebitRoad::run()
{
    if (!limitTextsReadable())
        return;
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    if (types.Active() && types.RecordCount() > 1)
        types.First();
    m_subsidy = m_run.saleTotal;
    m_numberBefore = m_context.state().settlement.stRecebAux9;
    m_context.consumer().DescontoVendaFidelidade();
    if (!itemCheckApplies()) {
        fullDebitRoad();
        return;
    }
    switch (checkEveryRow()) {
    case Check::AllPass:
        fullDebitRoad();
        break;
    case Check::Complement:
        complementRoad();
        break;
    case Check::Declined:
        m_context.screen().ControleAcessoBotoes();
        m_context.state().flags.boRecebendo = false;
        m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), QString()};
        break;
    }
}

// The consumer's limits arrive as texts; one that is not a number stops the settlement before
// anything is numbered, printed or booked.
bool ConsumerDebitRoad::limitTextsReadable()
{
    const ConsumerState &consumer = m_context.state().consumer;
    const struct { const char *name; const QString &text; } limits[] = {
        {"débito máximo", consumer.stVRMAXDEBCONS}, {"limite de saldo", consumer.stVRMESUBCONS},
        {"subsídio mensal", m_monthlySubsidy}};
    for (const auto &limit : limits) {
        bool ok = true;
        if (!limit.text.trimmed().isEmpty())
            PtBr::StrToFloat(limit.text, &ok);
        if (ok)
            continue;
        refuse(QStringLiteral("O %1 do consumidor (\"%2\") não é um valor válido. Nada foi debitado e a venda "
                              "continua na tela.")
                   .arg(QString::fromUtf8(limit.name), limit.text));
        return false;
    }
    return true;
}

// The rows are checked one by one only where the till lets a consumer sale be completed with
// other payments and the consumer's balance is verified.
bool ConsumerDebitRoad::itemCheckApplies() const
{
    const SaleState &s = m_context.state();
    return isYes(s.params.stIDPERCOMVENCPDC) && isYes(s.consumer.stRecebAux6);
}

ConsumerDebitRoad::Check ConsumerDebitRoad::checkEveryRow()
{
    SaleState &s = m_context.state();
    ConsumerFigures &f = s.figures;
    ClientDataSet &venda = m_context.data().cdsVenda;
    f.doDebitoConsAux1 = f.doSubsidioAux1 = f.doSubsidioAux3 = f.doDebitoConsAux2 = f.doDebitoConsAux3 = 0;
    f.doSubsidioAux2 = 0;
    venda.SetIndexFieldNames(QString());
    const bool extra = isYes(s.params.stIDSALDEXTDEBCON);
    if (isNo(s.params.stIDSALDEXTDEBCON)) {
        const Variant packet = m_context.checkedValue(m_context.server().lookupsProducts.getProdSubsidiado(s.params.stCDFILIAL),
                                                      QStringLiteral("getProdSubsidiado"), s.params.stCDFILIAL);
        if (packet.isPacket())
            m_context.data().cdsProdSubsidiado.SetData(packet.packet());
    } else {
        venda.SetIndexFieldNames(QStringLiteral("IDTIPOSALDOPROD"));
    }
    for (venda.First(); !venda.Eof(); venda.Next()) {
        f.doDebitoConsAux2 = Money::RoundDec(f.doDebitoConsAux2 + rowValue(), 2);
        if (extra)
            m_context.consumer().VerifVrSubsBasicExtra(m_subsidy);
        else
            m_context.consumer().VerifVrSubsBasico(m_subsidy);
        auto text = [&venda](const char *name) {
            return PtBr::FloatToStr(venda.FieldByName(QString::fromLatin1(name)).AsFloat());
        };
        if (m_context.consumer().Valida_Parametros_Debito_Consumidor(text("QTPRODCOMVEN"), text("VRPRECCOMVEN"),
                                                                     text("VRUNITVENDCL"), text("VRDESCCOMVEN"),
                                                                     text("ACRESITEM"), QStringLiteral("S")))
            continue;
        const bool complete = Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Comp_Venda")), QString(),
                                                    QStringLiteral("S"), QStringLiteral("S"), Ravuvozozod::Question,
                                                    QString(), s.params.stIDESQUEMA, 0);
        return complete ? Check::Complement : Check::Declined;
    }
    return Check::AllPass;
}

// The row's value as the debit counts it: only the price times the quantity is truncated.
double ConsumerDebitRoad::rowValue() const
{
    const ClientDataSet &venda = m_context.data().cdsVenda;
    auto number = [&venda](const char *name) {
        const Field field = venda.FindField(QString::fromLatin1(name));
        return field.IsValid() ? field.AsFloat() : 0.0;
    };
    return Money::Trunc2((number("VRPRECCOMVEN") + number("VRUNITVENDCL")) * number("QTPRODCOMVEN"))
        - number("VRDESCCOMVEN") + number("ACRESITEM");
}

// A stop before anything was paid or booked: the sale stays on the screen.
void ConsumerDebitRoad::refuse(const QString &text, RoadEnd::Kind kind)
{
    m_context.message(text, Ravuvozozod::Error);
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (payments.Active())
        payments.EmptyDataSet();
    m_context.state().flags.boRecebendo = false;
    m_end = RoadEnd{kind, std::nullopt, false, QString(), text};
}

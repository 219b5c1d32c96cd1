// 4ALL and UDS cashback through the host's partner routines: the buyer's CPF, the balance (and
// for 4ALL its promotion codes), then a discount on the whole sale that every line carries in
// VRDESCOMANDA. A sale takes one cashback: the use is known from any of its lines, so an item
// sold after the discount does not open the way to a second one.
#include "consumersale.h"
#include "pointsdiscount_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <functional>

namespace {

const QString Discount = QStringLiteral("VRDESCOMANDA");

// A CPF of 11 digits in the person mask; anything else as it stands.
QString maskedCpf(const QString &cpf)
{
    if (cpf.size() != 11)
        return cpf;
    return QStringLiteral("%1.%2.%3-%4").arg(cpf.mid(0, 3), cpf.mid(3, 3), cpf.mid(6, 3), cpf.mid(9, 2));
}

// The first line's value of the column among the lines that have one; empty when none has.
QString usedValue(ClientDataSet &items, const QString &column)
{
    if (!items.Active())
        return QString();
    for (items.First(); !items.Eof(); items.Next()) {
        const QString value = items.FieldByName(column).AsString();
        if (!value.isEmpty() && value != QLatin1String("0"))
            return value;
    }
    return QString();
}

class CashbackRoad
{
public:
    explicit CashbackRoad(SaleContext &context) : m_context(context), m_state(context.state()) {}

    void fourAll();
    void uds();

private:
    struct Applied
    {
        double applied = 0;
        double granted = 0;
    };
    using LineUpdate = std::function<void(ClientDataSet &items, double granted)>;

    QString askCpf();
    QString askCode();
    bool promotionCodes(const QString &cpf);
    Applied apply(double value, const LineUpdate &update);
    void lowerFamilies(double applied);
    bool question(const QString &text);
    void error(const QString &text) { m_context.message(text, 3); }
    QString msg(const QString &key, const QStringList &args = {}) const
    {
        return m_context.messages().Msg(key, args);
    }

    SaleContext &m_context;
    SaleState &m_state;
};

QString CashbackRoad::askCpf()
{
    AdditionalDataRequest request;
    request.idEsquema = m_state.params.stIDESQUEMA;
    request.valueCount = 8;
    return m_context.services().CriaInfAdicional(request).document.trimmed();
}

QString CashbackRoad::askCode()
{
    AdditionalDataRequest request;
    request.idEsquema = m_state.params.stIDESQUEMA;
    request.value8 = QStringLiteral("S");
    request.value10 = QStringLiteral("S");
    request.valueCount = 11;
    return m_context.services().CriaInfAdicional(request).code.trimmed().toUpper();
}

bool CashbackRoad::question(const QString &text)
{
    return Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("S"), 1, QString(), QString(), 0);
}

// Q is the sum of the quantities, or the number of lines when that is larger, so a discount
// always leaves 0.01 a unit.
CashbackRoad::Applied CashbackRoad::apply(double value, const LineUpdate &update)
{
    ClientDataSet &items = m_context.data().cdsItems;
    double units = 0;
    int lines = 0;
    for (items.First(); !items.Eof(); items.Next(), ++lines)
        units += items.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat();
    units = std::max(units, double(lines));
    double &total = m_state.totals.doTotalVenda;
    Applied result{value, value};
    if (value >= total) {
        result.granted = Money::Trunc2(total);
        result.applied = Money::Trunc2(result.granted - Money::Trunc2(0.01 * units));
    }
    if (result.applied <= 0)
        return Applied{0, 0};
    total = Money::Trunc2(total - result.applied);
    m_context.setCaption(QStringLiteral("lblVrTotal"), PtBr::FormatFloat(QStringLiteral("#,##0.00"), total));
    for (items.First(); !items.Eof(); items.Next()) {
        items.Edit();
        update(items, result.granted);
        items.FieldByName(Discount).SetAsFloat(items.FieldByName(Discount).AsFloat() + result.applied);
        items.Post();
    }
    lowerFamilies(result.applied);
    return result;
}

// Personal credit is debited by family: each family's consumption loses its share of the
// discount, so the consumer is not debited the undiscounted value.
void CashbackRoad::lowerFamilies(double applied)
{
    lowerFamiliesByShare(m_context.data().cdsFamiliaSaldo, applied, m_state.totals.doTotalVenda + applied);
}

// The code loop ends with an empty code or an accepted code the balance answer listed.
bool CashbackRoad::promotionCodes(const QString &cpf)
{
    ClientDataSet &promotions = m_context.data().cdsPromocao;
    if (!promotions.Active() || promotions.IsEmpty())
        return false;
    for (;;) {
        const QString code = askCode();
        if (code.isEmpty())
            return false;
        Fid4AllRequest request;
        request.operation = QStringLiteral("VALIDA_PROMOCODE");
        request.url = m_state.params.stCDURLWSFID4ALL;
        request.cpf = cpf;
        request.promoCode = code;
        request.nrInsJurFili = m_state.params.stNRINSJURFILI;
        request.totalText = PtBr::FormatFloat(QStringLiteral("#,##0.00"), m_state.totals.doTotalVenda);
        request.items = m_context.data().cdsItems.Data();
        request.valueCount = 10;
        const Fid4AllAnswer answer = m_context.services().IntegracaoFid4All(request);
        if (!answer.answered) {
            error(msg(QStringLiteral("FALHA_VAL_PROMOCODE")));
            continue;
        }
        if (answer.refused || !promotions.Locate(QStringLiteral("CDPROMOCAO"), code)) {
            error(msg(QStringLiteral("PROMOCODE_INV")) + QLatin1Char(' ') + answer.message);
            continue;
        }
        double value = Money::Trunc2(promotions.FieldByName(QStringLiteral("VRPROMOCAO")).AsFloat());
        if (promotions.FieldByName(QStringLiteral("DSTIPPROMO")).AsString() == QLatin1String("percentual"))
            value = Money::Trunc2(m_state.totals.doTotalVenda * value / 100.0);
        const Applied applied = apply(value, [&code](ClientDataSet &items, double granted) {
            items.FieldByName(QStringLiteral("VRDESCPROMO4ALL")).SetAsFloat(granted);
            items.FieldByName(QStringLiteral("CDPROMOFID4ALL")).SetAsString(code);
        });
        m_state.loyalty.doCashbackAux2 = applied.applied;
        m_state.loyalty.doCashbackAux1 = applied.granted;
        return true;
    }
}

void CashbackRoad::fourAll()
{
    ClientDataSet &items = m_context.data().cdsItems;
    const QString used = usedValue(items, QStringLiteral("NRCPFFID4ALL"));
    if (!used.isEmpty()) {
        error(msg(QStringLiteral("CASH_JA_UTIL"), {maskedCpf(used)}));
        return;
    }
    const QString cpf = askCpf();
    if (cpf.isEmpty())
        return;
    Fid4AllRequest request;
    request.operation = QStringLiteral("CONSULTA");
    request.url = m_state.params.stCDURLWSFID4ALL;
    request.cpf = cpf;
    const Fid4AllAnswer answer = m_context.services().IntegracaoFid4All(request);
    if (!answer.answered) {
        error(msg(QStringLiteral("FALHA_CONEXAO_4ALL")));
        return;
    }
    if (answer.refused) {
        error(msg(QStringLiteral("CPF_INV")) + QLatin1Char(' ') + answer.message);
        return;
    }
    ClientDataSet &promotions = m_context.data().cdsPromocao;
    if (!promotions.SetData(answer.promotions))
        promotions.Close();
    for (items.First(); !items.Eof(); items.Next()) {
        items.Edit();
        items.FieldByName(QStringLiteral("NRCPFFID4ALL")).SetAsString(cpf);
        items.Post();
    }
    promotionCodes(cpf);
    if (answer.balance <= 0) {
        m_context.message(msg(QStringLiteral("SALD_CASH_ZERO"), {answer.name}), 0);
        return;
    }
    if (!question(msg(QStringLiteral("SALD_FID_4ALL"),
                      {answer.name, PtBr::FormatFloat(QStringLiteral("0.00"), answer.balance)})))
        return;
    const Applied applied = apply(answer.balance, [](ClientDataSet &lines, double granted) {
        lines.FieldByName(QStringLiteral("VRDESCCASH4ALL")).SetAsFloat(granted);
    });
    m_state.loyalty.doCashbackAux2 = applied.applied;
    m_state.loyalty.doCashbackAux1 = applied.granted;
}

void CashbackRoad::uds()
{
    ClientDataSet &items = m_context.data().cdsItems;
    if (!usedValue(items, QStringLiteral("VRDESCCASHUDS")).isEmpty()) {
        error(msg(QStringLiteral("CASH_JA_UTIL"), {maskedCpf(usedValue(items, QStringLiteral("NRCPFFIDUDS")))}));
        return;
    }
    const QString cpf = askCpf();
    if (cpf.isEmpty())
        return;
    auto setBuyer = [&cpf](ClientDataSet &lines, const QString &name) {
        lines.FieldByName(QStringLiteral("NRCPFFIDUDS")).SetAsString(cpf);
        lines.FieldByName(QStringLiteral("NRINSCRCONS")).SetAsString(cpf);
        lines.FieldByName(QStringLiteral("NMCONSVEND")).SetAsString(name.left(50));
    };
    for (items.First(); !items.Eof(); items.Next()) {
        items.Edit();
        setBuyer(items, QStringLiteral("CONSUMIDOR FINAL"));
        items.Post();
    }
    UdsRequest request;
    request.operation = QStringLiteral("CONSULTA");
    request.url = m_state.params.stCDURLWSFIDUDS;
    request.cpf = cpf;
    request.cdFilial = m_state.params.stCDFILIAL;
    request.total = m_state.totals.doTotalVenda;
    request.origin = m_state.startup.stRecebAux7;
    request.cdCliente = m_state.host.stCdClienteVenda;
    request.cdTipoCons = m_state.consumer.stCDTIPOCONS;
    const UdsAnswer answer = m_context.services().IntegracaoFidUds(request);
    if (!answer.answered) {
        error(msg(QStringLiteral("FALHA_CONEXAO_UDS")));
        return;
    }
    // The partner's own message, when it sends one, replaces every later message.
    auto said = [&answer](const QString &text) { return answer.message.isEmpty() ? text : answer.message; };
    if (answer.error) {
        error(said(msg(QStringLiteral("ERRO_UDS"))));
        return;
    }
    if (answer.blocked) {
        error(said(msg(QStringLiteral("SALDO_BLOQ"), {answer.name})));
        return;
    }
    if (answer.balance <= 0) {
        m_context.message(said(msg(QStringLiteral("SALD_CASH_ZERO"), {answer.name})), 0);
        return;
    }
    if (!question(said(msg(QStringLiteral("SALD_FID_4ALL"),
                           {answer.name, PtBr::FormatFloat(QStringLiteral("0.00"), answer.balance)}))))
        return;
    const QString name = answer.name.isEmpty() ? QStringLiteral("CONSUMIDOR FINAL") : answer.name;
    const Applied applied = apply(answer.balance, [&](ClientDataSet &lines, double granted) {
        lines.FieldByName(QStringLiteral("VRDESCCASHUDS")).SetAsFloat(granted);
        setBuyer(lines, name);
    });
    m_state.loyalty.doFidelidadeAux1 = applied.applied;
    m_state.loyalty.doCashbackUDSAux1 = applied.granted;
}

} // namespace

void ConsumerSale::spbCashbackClick(QObject *)
{
    CashbackRoad(m_context).fourAll();
}

void ConsumerSale::spbCashbackUDSClick(QObject *)
{
    CashbackRoad(m_context).uds();
}

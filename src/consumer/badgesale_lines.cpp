#include "consumersale.h"

#include "badgesale_p.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <exception>
#include <optional>

// Statement lines of the compact screens, the final balance text of a consumer receipt, the
// family-balance log and the sale's consumption per balance family.

namespace {

QString field(const ClientDataSet &rows, const char *name)
{
    return rows.FieldByName(QString::fromLatin1(name)).AsString();
}

void appendRow(ClientDataSet &grid, std::initializer_list<std::pair<const char *, QString>> values)
{
    grid.Append();
    for (const auto &[name, value] : values)
        grid.FieldByName(QString::fromLatin1(name)).SetAsString(value);
    grid.Post();
}

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("0.00"), value);
}

} // namespace

void ConsumerSale::LinhaEx3(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                            const QString &Preco, const QString &PrecoCliente, bool ComObs, const QString &,
                            const QString &Unidade, double Desconto, double Acrescimo, const QString &Obs)
{
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    if (!grid.Active()) {
        try {
            grid.Close();
            grid.CreateDataSet();
        } catch (const std::exception &error) {
            m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
        }
    }
    const double q = PtBr::StrToFloat(Qtde);
    const double p = PtBr::StrToFloat(Preco);
    const double a = PtBr::StrToFloat(PrecoCliente);
    const double unit = Qub_movrela::Trunc2(p + a);
    const double total = q * unit - Desconto + Acrescimo;
    const ClientDataSet &items = m_context.data().cdsItems;
    const bool comboPart = !field(items, "CDPRODPROMOCAO").isEmpty() && !isYes(field(items, "IDPESAPROD"));
    // A line of no quantity shows its unit value rather than spreading the discount over 0.
    const double shown = comboPart || q == 0.0 ? unit : Qub_movrela::Trunc2((p + a) - Desconto / q + Acrescimo / q);
    QString tail = Unidade + QStringLiteral(" - ") + Consiste::Ajusta(Qtde, 5) + QStringLiteral(" X ") + money(shown)
                   + QLatin1Char(' ') + Consiste::TamFixoR(money(Qub_movrela::Trunc2(total)), 16)
                   + QStringLiteral(" - Horário: ")
                   + PtBr::FormatDateTime(QStringLiteral("hh:mm:ss"), items.FieldByName(QStringLiteral("DTINCLUSAO")).AsDateTime())
                   + QLatin1Char(' ');
    if (m_context.state().host.stModoVenda == SaleMode::Table)
        tail += QStringLiteral("Posição: ") + field(items, "NRLUGARMESA");
    appendRow(grid, {{"DSITEM", Codigo + QStringLiteral(" - ") + Nome.left(25) + QStringLiteral(" - ") + tail},
                     {"STQTDE", PtBr::FloatToStr(q)},
                     {"STVALOR", PtBr::FloatToStr(unit)},
                     {"CDPROD", Codigo},
                     {"NRSEQ", NrSeq}});
    if (ComObs)
        appendRow(grid, {{"DSITEM", Obs.left(30)}, {"NRSEQ", NrSeq}});
    appendRow(grid, {{"DSITEM", QString(198, QLatin1Char('-'))}, {"NRSEQ", NrSeq}});
}

namespace {

double familyBalanceSum(SaleDatasets &data)
{
    ClientDataSet &balances = data.cdsConsultaSaldo;
    double sum = 0.0;
    if (!balances.Active())
        return sum;
    for (balances.First(); !balances.Eof(); balances.Next())
        sum += balances.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
    return sum;
}

// One line a family that held a balance before the sale: that balance less the sale's
// consumption and the loan it gave, plus the loan it received.
QString familyFinalLines(SaleDatasets &data)
{
    ClientDataSet &balances = data.cdsConsultaSaldo;
    ClientDataSet &consumed = data.cdsFamiliaSaldo;
    ClientDataSet &loans = data.cdsEmprestimoFam;
    auto loan = [&loans](const QString &family, const char *kind) -> std::optional<double> {
        if (!loans.Active())
            return std::nullopt;
        for (loans.First(); !loans.Eof(); loans.Next()) {
            if (field(loans, "CDFAMILISALD") == family && field(loans, "IDTPMOVEXT") == QLatin1String(kind))
                return loans.FieldByName(QStringLiteral("VRMOVEXTCONS")).AsFloat();
        }
        return std::nullopt;
    };
    QString text;
    if (!balances.Active())
        return text;
    for (balances.First(); !balances.Eof(); balances.Next()) {
        double value = balances.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
        if (value == 0.0)
            continue;
        const QString family = field(balances, "CDFAMILISALD");
        const bool inSale = consumed.Active()
                            && consumed.Locate(QStringLiteral("CDFAMILISALD"), family, LocateOptions(loCaseInsensitive));
        if (inSale)
            value -= consumed.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
        if (const auto lent = loan(family, "D"))
            value -= *lent;
        else if (inSale) {
            if (const auto received = loan(family, "C"))
                value += *received;
        }
        text += Consiste::TamFixo(field(balances, "NMFAMILISALD"), 25)
                + Consiste::TamFixoR(PtBr::FormatCurr(value, 2), 22) + QChar(10);
    }
    return text;
}

} // namespace

QString ConsumerSale::CalcSaldoFinalCredCons(double Movimento, double Saldo, double Venda, const QString &Modo,
                                             const QString &Tipo)
{
    SaleState &state = m_context.state();
    try {
        const double final = Saldo + Venda - Movimento;
        QString text;
        if (Tipo == QLatin1String("C")) {
            if (Modo == QLatin1String("0"))
                text = QStringLiteral("Saldo Final: RS ") + PtBr::FormatFloat(QStringLiteral("#00.00"), final + familyBalanceSum(m_context.data()))
                       + QChar(10);
            else if (Modo == QLatin1String("1"))
                text = familyFinalLines(m_context.data());
        } else if (Modo != QLatin1String("2")) {
            text = QStringLiteral("Saldo Final: ") + PtBr::FormatCurr(final, 2);
        }
        state.settlement.stRecebAux15 = text;
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Information);
    }
    return state.settlement.stRecebAux15;
}

// The family-balance log never fails the sale: a line that cannot be written is dropped.
void ConsumerSale::LogFamSaldo(const QString &Text)
{
    const QDateTime now = Clock::now();
    const QString folder = SitePaths::resolve(QStringLiteral("dados\\LogKal51000\\LogKal51000_")
                                              + now.toString(QStringLiteral("yyyy")));
    if (!QDir().mkpath(folder))
        return;
    QFile file(folder + QStringLiteral("/LogKal51000_") + now.toString(QStringLiteral("ddMM")) + QStringLiteral(".txt"));
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << PtBr::DateTimeToStr(now) << " - " << Text << '\n';
}

void ConsumerSale::addFamiliaSaldo(ClientDataSet &cdsFamiliaSaldo, const QString &CDFAMILISALD, double Value,
                                   bool Add)
{
    if (!cdsFamiliaSaldo.Active())
        cdsFamiliaSaldo.CreateDataSet();
    const QString family = QStringLiteral("CDFAMILISALD");
    const QString value = QStringLiteral("VRSALDCONFAM");
    if (Add) {
        LogFamSaldo(QStringLiteral("addFamiliaSaldo - adicionar valor: ") + PtBr::FloatToStr(Value)
                    + QStringLiteral(" Familia: ") + CDFAMILISALD);
        if (cdsFamiliaSaldo.Locate(family, CDFAMILISALD)) {
            LogFamSaldo(QStringLiteral("addFamiliaSaldo - edit"));
            cdsFamiliaSaldo.Edit();
            cdsFamiliaSaldo.FieldByName(value).SetAsFloat(cdsFamiliaSaldo.FieldByName(value).AsFloat() + Value);
        } else {
            LogFamSaldo(QStringLiteral("addFamiliaSaldo - insert"));
            cdsFamiliaSaldo.Append();
            cdsFamiliaSaldo.FieldByName(family).SetAsString(CDFAMILISALD);
            cdsFamiliaSaldo.FieldByName(value).SetAsFloat(Value);
        }
        cdsFamiliaSaldo.Post();
        return;
    }
    if (!cdsFamiliaSaldo.Locate(family, CDFAMILISALD))
        return;
    const double left = cdsFamiliaSaldo.FieldByName(value).AsFloat() - Value;
    cdsFamiliaSaldo.Edit();
    cdsFamiliaSaldo.FieldByName(value).SetAsFloat(left);
    cdsFamiliaSaldo.Post();
    if (Money::RoundDec(left, 2) <= 0.0)
        cdsFamiliaSaldo.Delete();
}

QDateTime ConsumerSale::PrimeiroDiaMes(const QDateTime &Date)
{
    return BadgeSaleRules::PrimeiroDiaMes(Date);
}

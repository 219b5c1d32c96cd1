// What the scale produces: its error codes, and the weighing receipt of an order.
#include "orderentry.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>

#include <QDebug>

#include <exception>
#include <sale/codes.h>

namespace {

constexpr int Width = 35;

// The scale model "12" answers these codes in place of a weight.
QString scaleErrorText(double weight)
{
    if (weight == -1)
        return QStringLiteral("Peso Instável");
    if (weight == -2)
        return QStringLiteral("Peso Negativo");
    if (weight == -10)
        return QStringLiteral("Sobrecarga de Peso");
    return QString();
}

} // namespace

bool OrderEntry::RealizarTratamentoErroBalanca(double Weight)
{
    const QString error = scaleErrorText(Weight);
    if (error.trimmed().isEmpty())
        return true;
    const Parameters &params = m_context.state().params;
    const QString detail = Lvm_msg::Format(
        QStringLiteral("IDTIPOBAL (modelo): %s - CDPORTABAL (porta): %s - NRVELOCBAL (velocidade da porta): %s"),
        {params.stIDTIPOBAL, params.stCDPORTABAL, params.stNRVELOCBAL});
    Ravuvozozod::Mensagem(m_context.messages().Msg(QStringLiteral("MSG_BAL_ERRO_2"), {error}), detail,
                          QStringLiteral("N"), QStringLiteral("N"), 0, QString(), params.stIDESQUEMA, 0);
    return false;
}

QString OrderEntry::textoComprovantePesagem()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    ClientDataSet &items = m_context.data().cdsItems;
    auto text = [&items](const char *column) { return items.FindField(QString::fromLatin1(column)).AsString(); };
    auto number = [&items](const char *column) { return items.FindField(QString::fromLatin1(column)).AsFloat(); };
    auto marked = [&] { return isYes(text("IDIMPPESAGEM")); };
    bool any = false;
    if (items.Active()) {
        for (items.First(); !items.Eof() && !any; items.Next())
            any = marked();
    }
    if (!any)
        return QString();
    const QString end = Qub_movrela::PropriedadesImpNF(params.stIDTIPOIMPNF3).lineEnd;
    QString receipt;
    auto line = [&receipt, &end](const QString &content) { receipt += content + end; };
    const QString rule = Consiste::Replicate(QStringLiteral("-"), Width);
    const QString notFiscal = Consiste::Centraliza(QStringLiteral("ESTE CUPOM NAO TEM VALOR FISCAL"), Width);
    line(Consiste::Centraliza(params.stNMRAZSOCFILI, Width));
    line(Consiste::Centraliza(QStringLiteral("CNPJ: ") + params.stNRINSJURFILI, Width));
    line(Consiste::Centraliza(params.stDSENDEFILI, Width));
    line(rule);
    line(Consiste::Centraliza(QStringLiteral("COMPROVANTE DE PESAGEM"), Width));
    line(rule);
    line(notFiscal);
    line(Consiste::TamFixo(QStringLiteral("Data hora: ") + PtBr::DateTimeToStr(Clock::now()), Width));
    const QString &mode = state.host.stModoVenda;
    if (mode == QLatin1String("C") && !state.host.stNrComandaExib.isEmpty())
        line(Consiste::TamFixo(QStringLiteral("Comanda: ") + state.host.stNrComandaExib, Width));
    if (mode == QLatin1String("M") && !state.host.stNRMESA.isEmpty())
        line(Consiste::TamFixo(QStringLiteral("Mesa: ") + state.host.stNRMESA, Width));
    line(QString());
    for (items.First(); !items.Eof(); items.Next()) {
        if (!marked())
            continue;
        const double unit = Qub_movrela::Trunc2(number("VRPRECCOMVEN") + number("VRUNITVENDCL"));
        // The printed total is what the line is charged: cut, never rounded up by the format.
        const double total = Qub_movrela::Trunc2(number("QTPRODCOMVEN") * unit);
        line(Consiste::PadR(text("CDARVPROD"), 10) + QStringLiteral(" - ") + text("NMPRODUTO").left(22));
        const QString amount = PtBr::FormatFloat(QStringLiteral("#0.00"), number("QTPRODCOMVEN"))
                               + QLatin1Char(' ') + text("SGUNIDADE") + QStringLiteral(" X ")
                               + PtBr::FormatFloat(QStringLiteral("#00.00"), number("VRPRECCOMVEN") + number("VRUNITVENDCL"));
        line(Consiste::PadR(amount, 17) + Consiste::PadL(PtBr::FormatFloat(QStringLiteral("#00.00"), total), 17));
    }
    line(QString());
    line(notFiscal);
    line(rule);
    line(Consiste::Centraliza(QStringLiteral("VendaCons - sistema de vendas"), Width));
    line(QString());
    return receipt;
}

void OrderEntry::ComprovantePesagem()
{
    const Parameters &params = m_context.state().params;
    try {
        const QString receipt = textoComprovantePesagem();
        if (receipt.isEmpty())
            return;
        const HostResult printed = m_context.services().ImprimePadrao({params.stCDPORTIMPNF3, params.stIDTIPOIMPNF3, receipt});
        // The order is sent either way; a receipt that did not print is at least in the log.
        if (!printed.ok)
            qWarning() << "weighing receipt not printed:" << printed.failure;
    } catch (const std::exception &error) {
        qWarning() << "weighing receipt not printed:" << error.what();
    }
}

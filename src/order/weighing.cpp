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

// The weighing receipt of the lines of cdsItems marked for it, lines ended by the printer
// model's terminator.
class WeighingReceipt
{
public:
    WeighingReceipt(const SaleState &state, ClientDataSet &items)
        : m_state(state), m_items(items),
          m_end(Qub_movrela::PropriedadesImpNF(state.params.stIDTIPOIMPNF3).lineEnd)
    {
    }

    // Empty when no line is marked.
    QString text()
    {
        if (!anyMarked())
            return QString();
        heading();
        for (m_items.First(); !m_items.Eof(); m_items.Next()) {
            if (marked())
                weighedLine();
        }
        footing();
        return m_receipt;
    }

private:
    QString field(const char *column) const { return m_items.FindField(QString::fromLatin1(column)).AsString(); }
    double number(const char *column) const { return m_items.FindField(QString::fromLatin1(column)).AsFloat(); }
    bool marked() const { return isYes(field("IDIMPPESAGEM")); }
    void line(const QString &content) { m_receipt += content + m_end; }
    static QString rule() { return Consiste::Replicate(QStringLiteral("-"), Width); }
    static QString notFiscal() { return Consiste::Centraliza(QStringLiteral("ESTE CUPOM NAO TEM VALOR FISCAL"), Width); }

    bool anyMarked()
    {
        if (!m_items.Active())
            return false;
        for (m_items.First(); !m_items.Eof(); m_items.Next()) {
            if (marked())
                return true;
        }
        return false;
    }

    void heading()
    {
        const Parameters &params = m_state.params;
        line(Consiste::Centraliza(params.stNMRAZSOCFILI, Width));
        line(Consiste::Centraliza(QStringLiteral("CNPJ: ") + params.stNRINSJURFILI, Width));
        line(Consiste::Centraliza(params.stDSENDEFILI, Width));
        line(rule());
        line(Consiste::Centraliza(QStringLiteral("COMPROVANTE DE PESAGEM"), Width));
        line(rule());
        line(notFiscal());
        line(Consiste::TamFixo(QStringLiteral("Data hora: ") + PtBr::DateTimeToStr(Clock::now()), Width));
        const HostArguments &host = m_state.host;
        if (host.stModoVenda == QLatin1String("C") && !host.stNrComandaExib.isEmpty())
            line(Consiste::TamFixo(QStringLiteral("Comanda: ") + host.stNrComandaExib, Width));
        if (host.stModoVenda == QLatin1String("M") && !host.stNRMESA.isEmpty())
            line(Consiste::TamFixo(QStringLiteral("Mesa: ") + host.stNRMESA, Width));
        line(QString());
    }

    void weighedLine()
    {
        const double unit = Qub_movrela::Trunc2(number("VRPRECCOMVEN") + number("VRUNITVENDCL"));
        // The printed total is what the line is charged: cut, never rounded up by the format.
        const double total = Qub_movrela::Trunc2(number("QTPRODCOMVEN") * unit);
        line(Consiste::PadR(field("CDARVPROD"), 10) + QStringLiteral(" - ") + field("NMPRODUTO").left(22));
        const QString amount = PtBr::FormatFloat(QStringLiteral("#0.00"), number("QTPRODCOMVEN")) + QLatin1Char(' ')
                               + field("SGUNIDADE") + QStringLiteral(" X ")
                               + PtBr::FormatFloat(QStringLiteral("#00.00"), number("VRPRECCOMVEN") + number("VRUNITVENDCL"));
        line(Consiste::PadR(amount, 17) + Consiste::PadL(PtBr::FormatFloat(QStringLiteral("#00.00"), total), 17));
    }

    void footing()
    {
        line(QString());
        line(notFiscal());
        line(rule());
        line(Consiste::Centraliza(QStringLiteral("VendaCons - sistema de vendas"), Width));
        line(QString());
    }

    const SaleState &m_state;
    ClientDataSet &m_items;
    const QString m_end;
    QString m_receipt;
};

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
    return WeighingReceipt(m_context.state(), m_context.data().cdsItems).text();
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

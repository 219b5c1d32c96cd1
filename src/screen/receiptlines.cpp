#include "receiptlines_p.h"

#include "screenshell.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include "tfrmvisualiza.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/datasetvalues.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QLabel>

#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <sale/codes.h>

namespace {

const QString separator = QString(43, QLatin1Char('-'));

using Cells = std::initializer_list<std::pair<const char *, QString>>;

void appendRow(ClientDataSet &dataset, Cells cells)
{
    dataset.Append();
    for (const auto &[field, value] : cells)
        dataset.FieldByName(QString::fromLatin1(field)).SetAsString(value);
    dataset.Post();
}

// Creates the dataset empty when it is not open; false when that failed.
bool ensureOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        return true;
    dataset.Close();
    return dataset.CreateDataSet();
}

// A quantity or price text of a receipt line. A text that is no number is refused: writing the
// line with 0 would show a wrong total.
double toNumber(const QString &text)
{
    bool ok = false;
    const double value = PtBr::StrToFloat(text, &ok);
    if (!ok)
        throw std::invalid_argument(QStringLiteral("'%1' não é um valor numérico válido").arg(text).toStdString());
    return value;
}

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("0.00"), value);
}

// A line total cut to cents once the binary noise of the sum is dropped (no real amount has a
// ninth decimal): 1 x 8,50 - 8,49 shows 0,01, not 0,00.
double cutTotal(double value)
{
    return Qub_movrela::Trunc2(Money::RoundDec(value, 9));
}

} // namespace

void ScreenShell::Linha(const QString &text)
{
    ReceiptLines(m_context).Linha(text);
}

// The observation does not show on the receipt.
void ScreenShell::LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq,
                           const QString &, const QString &Qtde, const QString &Preco,
                           const QString &PrecoCliente)
{
    ReceiptLines(m_context).LinhaEx1(Codigo, Nome, NrSeq, Qtde, Preco, PrecoCliente);
}

// The seat comes from the item's row, not from Lugar.
void ScreenShell::LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente,
                           const QString &NrSeq, bool ComObs, const QString &,
                           const QString &Unidade, double Desconto, double Acrescimo,
                           const QString &Obs)
{
    ReceiptLines(m_context).LinhaEx2(Qtde, Preco, PrecoCliente, NrSeq, ComObs, Unidade, Desconto, Acrescimo, Obs);
}

void ReceiptLines::Linha(const QString &text)
{
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    ensureOpen(grid);
    appendRow(grid, {{"DSITEM", DataSetValues::cutText(text, 35)}});
    if (TfrmVisualiza *display = m_context.display()) {
        ensureOpen(display->cdsExtratoVisualiza);
        appendRow(display->cdsExtratoVisualiza, {{"DSITEM", DataSetValues::cutText(text, 25)}});
    }
}

void ReceiptLines::LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq,
                            const QString &Qtde, const QString &Preco, const QString &PrecoCliente)
{
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    TfrmVisualiza *display = m_context.display();
    if (!ensureOpen(grid) || (display && !ensureOpen(display->cdsExtratoVisualiza)))
        m_context.message(QStringLiteral("Não foi possível preparar as linhas do cupom."), 3);

    const double unit = Qub_movrela::Trunc2(toNumber(Preco) + toNumber(PrecoCliente));
    const double total = toNumber(Qtde) * unit;
    appendRow(grid, {{"DSITEM", Codigo}, {"STQTDE", Qtde}, {"CDPROD", Codigo}, {"NRSEQ", NrSeq}});
    appendRow(grid, {{"DSITEM", DataSetValues::cutText(Nome, 25)}, {"NRSEQ", NrSeq}});
    if (display) {
        appendRow(display->cdsExtratoVisualiza,
                  {{"DSITEM", DataSetValues::cutText(Nome, 25)},
                   {"DSITEM2", Qtde + QStringLiteral(" X ") + money(unit)},
                   {"DSITEM3", money(cutTotal(total))},
                   {"STQTDE", Qtde}, {"CDPROD", Codigo}, {"NRSEQ", NrSeq}});
    }
}

void ReceiptLines::LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente,
                            const QString &NrSeq, bool ComObs, const QString &Unidade, double Desconto,
                            double Acrescimo, const QString &Obs)
{
    const double price = toNumber(Preco) + toNumber(PrecoCliente);
    const double gross = Qub_movrela::Trunc2(price);
    const QString grossText = PtBr::FloatToStr(gross);
    ClientDataSet &grid = m_context.data().cdsExtratoTemp;
    ensureOpen(grid);
    appendRow(grid, {{"DSITEM", valueText(Qtde, gross, price, Unidade, Desconto, Acrescimo)},
                     {"STQTDE", Qtde}, {"STVALOR", grossText}, {"NRSEQ", NrSeq}});
    if (TfrmVisualiza *display = m_context.display()) {
        ensureOpen(display->cdsExtratoVisualiza);
        appendRow(display->cdsExtratoVisualiza,
                  {{"DSITEM", separator}, {"STQTDE", Qtde}, {"STVALOR", grossText}, {"NRSEQ", NrSeq}});
    }

    appendRow(grid, {{"DSITEM", timeText()}, {"NRSEQ", NrSeq}});
    if (ComObs)
        appendRow(grid, {{"DSITEM", DataSetValues::cutText(Obs, 30)}, {"NRSEQ", NrSeq}});
    appendRow(grid, {{"DSITEM", separator}, {"NRSEQ", NrSeq}});
}

// "UN - quantity X unit price total": a promotion's (not weighed) line shows the gross price.
QString ReceiptLines::valueText(const QString &Qtde, double gross, double price, const QString &Unidade,
                                double Desconto, double Acrescimo)
{
    const double quantity = toNumber(Qtde);
    const double total = quantity * gross - Desconto + Acrescimo;
    const ClientDataSet &items = m_context.data().cdsItems;
    const bool promotion = !items.FieldByName(QStringLiteral("CDPRODPROMOCAO")).AsString().isEmpty();
    const bool weighed = isYes(items.FieldByName(QStringLiteral("IDPESAPROD")).AsString());
    // A quantity of 0 never reaches a line; it would only divide by zero here.
    const double shown = (promotion && !weighed) || quantity == 0.0
                             ? gross
                             : cutTotal(price - Desconto / quantity + Acrescimo / quantity);
    return Unidade + QStringLiteral(" - ") + Consiste::Ajusta(Qtde, 5) + QStringLiteral(" X ") + money(shown)
           + QLatin1Char(' ') + Consiste::TamFixoR(money(cutTotal(total)), 16);
}

// The time the item was entered, and its seat at a table.
QString ReceiptLines::timeText()
{
    const ClientDataSet &items = m_context.data().cdsItems;
    QString line = QStringLiteral("Horário: ")
                   + PtBr::FormatDateTime(QStringLiteral("hh:mm:ss"),
                                          items.FieldByName(QStringLiteral("DTINCLUSAO")).AsDateTime())
                   + QLatin1Char(' ');
    if (m_context.state().host.stModoVenda == SaleMode::Table)
        line += QStringLiteral("Posição: ") + items.FieldByName(QStringLiteral("NRLUGARMESA")).AsString();
    return line;
}

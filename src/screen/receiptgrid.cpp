#include "receiptgrid.h"

#include "datasetmodel.h"
#include "screenshell.h"
#include "tfrmvisualiza.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/qub_movrela.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <stdexcept>

namespace {

double numberOf(const QString &text)
{
    bool ok = false;
    const double value = PtBr::StrToFloat(text, &ok);
    if (!ok)
        throw std::invalid_argument(QStringLiteral("'%1' não é um valor numérico válido").arg(text).toStdString());
    return value;
}

// How a receipt line is drawn: the history title in red, the selected line white on the
// highlight colour, the text 1 pixel in and 2 pixels down.
class ReceiptCellPainter : public QStyledItemDelegate
{
public:
    ReceiptCellPainter(SaleContext &context, QObject *parent) : QStyledItemDelegate(parent), m_context(context) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString text = index.data().toString();
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        if (selected)
            painter->setPen(Qt::white);
        else
            painter->setPen(text == m_context.Msg(QStringLiteral("Hist_Prod")) ? Qt::red : Qt::black);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(1, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
        painter->restore();
    }

private:
    SaleContext &m_context;
};

} // namespace

namespace ReceiptGrid {

// The binary noise of the sum is dropped before the cut (rounding at the ninth decimal, which
// no real amount reaches): 1 x 8.50 - 8.49 must count 0.01, not 0.00.
double runningTotal(double total, double quantity, double value, double discount, double addition)
{
    using Qub_movrela::Trunc2;
    return Trunc2(Money::RoundDec(quantity * value - Trunc2(discount) + Trunc2(addition) + total, 9));
}

int nextSeat(int seat, int seats, int step)
{
    if (step < 0)
        return seat > 1 ? seat - 1 : std::max(seats, 1);
    return seat < seats ? seat + 1 : 1;
}

void install(SaleContext &context, ScreenShell &owner)
{
    ScreenShell *shell = &owner;
    context.data().cdsExtratoTemp.BeforePost = [shell](ClientDataSet &rows) { shell->cdsExtratoTempBeforePost(rows); };
    auto *grid = context.widget<QTableView>(FormName::dbgCupom);
    if (!grid)
        return;
    grid->setItemDelegate(new ReceiptCellPainter(context, grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double-click works on the row it hit, whatever row was current before.
    QObject::connect(grid, &QAbstractItemView::doubleClicked, grid, [&context, shell, grid](const QModelIndex &index) {
        ClientDataSet &rows = context.data().cdsExtratoTemp;
        if (!index.isValid() || !rows.Active() || !rows.SetRecNo(index.row() + 1))
            return;
        context.dispatch([shell, grid] { shell->dbgCupomDblClick(grid); });
    });
    if (auto *model = qobject_cast<DataSetModel *>(grid->model())) {
        QObject::connect(model, &DataSetModel::currentRowChanged, grid, [grid](int row) {
            if (row < 0) {
                grid->clearSelection();
                return;
            }
            const QModelIndex index = grid->model()->index(row, 0);
            grid->setCurrentIndex(index);
            grid->scrollTo(index);
        });
    }
}

} // namespace ReceiptGrid

namespace {

// The seat buttons work only while the seat label is shown (table mode).
void moveSeat(SaleContext &context, int step)
{
    QLabel *seat = context.label(FormName::stPosicao);
    if (!seat || seat->isHidden())
        return;
    TableSeats &seats = context.state().table;
    seats.inPosicaoGrid = ReceiptGrid::nextSeat(seats.inPosicaoGrid, seats.inExtratoAux1, step);
    seat->setText(QString::number(seats.inPosicaoGrid));
}

} // namespace

void ScreenShell::cdsExtratoTempBeforePost(ClientDataSet &DataSet)
{
    SaleTotals &totals = m_context.state().totals;
    const QString value = DataSet.FieldByName(QStringLiteral("STVALOR")).AsString();
    if (!value.isEmpty())
        totals.doTotalVenda = ReceiptGrid::runningTotal(
            totals.doTotalVenda, numberOf(DataSet.FieldByName(QStringLiteral("STQTDE")).AsString()), numberOf(value),
            totals.doVrDescontoItem, totals.doVrAcrescimoItem);
    const QString text = PtBr::FormatFloat(QStringLiteral("#,##0.00"), totals.doTotalVenda);
    m_context.setCaption(FormName::lblVrTotal, text);
    m_context.setCaption(FormName::lblTotVenda, QString::fromLatin1(PtBr::CurrencyString) + text);
    if (TfrmVisualiza *display = m_context.display()) {
        if (auto *label = display->findChild<QLabel *>(DisplayName::lblVrTotal))
            label->setText(text);
    }
}

void ScreenShell::spbGridBaixoClick(QObject *)
{
    ClientDataSet &rows = m_context.data().cdsExtratoTemp;
    if (!rows.Active() || rows.IsEmpty())
        return;
    rows.MoveBy(rows.RecNo() == 1 ? 6 : 5);
}

void ScreenShell::spbGridAcimaClick(QObject *)
{
    ClientDataSet &rows = m_context.data().cdsExtratoTemp;
    if (rows.Active() && !rows.IsEmpty())
        rows.MoveBy(-5);
}

void ScreenShell::spbPosAbaixoClick(QObject *)
{
    moveSeat(m_context, -1);
}

void ScreenShell::spbPosAcimaClick(QObject *)
{
    moveSeat(m_context, +1);
}

#pragma once

class ClientDataSet;
class QTableView;
class SaleContext;
class ScreenShell;

// The receipt grid dbgCupom over cdsExtratoTemp: the running total kept as rows are posted,
// the paging and seat buttons (ScreenShell's handlers, receiptgrid.cpp) and the painting of
// its lines.
namespace ReceiptGrid {

// One counted row added to the running total: Trunc2(quantity x value - Trunc2(discount) +
// Trunc2(addition) + total).
double runningTotal(double total, double quantity, double value, double discount, double addition);

// The seat after `seat` going one step up (+1) or down (-1) among `seats`, wrapping around.
int nextSeat(int seat, int seats, int step);

// Hooks the posting rule to cdsExtratoTemp and the painting and cursor of dbgCupom to the
// grid. Called once, by the shell as it is made (the context does not hold it yet).
void install(SaleContext &context, ScreenShell &shell);

} // namespace ReceiptGrid

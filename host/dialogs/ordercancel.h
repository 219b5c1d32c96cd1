#pragma once

#include <outside/pkg_hrk00002.h>

#include <QString>
#include <QStringList>

#include <optional>

class FiscalPrinter;

// The host's order-cancellation dialog: the operator picks lines of the open sale and a
// reason; each chosen line is taken out of the items and kept as a cancelled line, its value
// given back to the consumer's balance family and its tab surcharge answered. On a counter
// sale whose receipt is open on the fiscal printer the item is cancelled there first; a line
// the printer will not cancel stays in the sale.
namespace OrderCancel {

// The reason recorded when none is given.
QString defaultReason();

struct Choice
{
    QStringList lines; // NRSEQ of the lines to cancel, in the order chosen
    QString reason;
};

// A scripted answer: "NRSEQ[;NRSEQ...] [REASON]" ("002;003 Cliente desistiu"). Empty when it
// names no line.
std::optional<Choice> choiceOf(const QString &scripted);

// Cancels the chosen lines. `printer` is the desk's fiscal printer (none on a desk without
// one). The cursor of the cancelled lines is left on the first one added.
OrderCancelAnswer cancelLines(const Choice &choice, const OrderCancelRequest &request, OrderCancelDatasets &datasets,
                              FiscalPrinter *printer);

// The dialog: a scripted answer first (ScriptedAnswers "cancelitem"); unattended without one
// nothing is cancelled.
OrderCancelAnswer CancelaPedido(const OrderCancelRequest &request, OrderCancelDatasets &datasets,
                                FiscalPrinter *printer);

} // namespace OrderCancel

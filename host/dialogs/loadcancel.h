#pragma once

#include <QString>

// "Cancela Carga de Cartão" of the functions menu (F9): a credit load taken at this desk since
// its opening is chosen in the search (deposit, badge, consumer, family, value, time), the
// operator confirms, and the server cancels it (the consumer's balance gives the credit back,
// the load's cash movements are marked cancelled). Needs the receipt-cancellation right
// (CTCANCCUPOM); a supervisor may authorise. Every refusal is told to the operator.
namespace LoadCancel {

// Runs the cancellation; answers what was done or why not, as told (and logged).
QString cancelLoad();

} // namespace LoadCancel

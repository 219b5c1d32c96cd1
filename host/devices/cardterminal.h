#pragma once

#include <outside/pkg_hrk00001.h>

#include <QString>

// The till's side of the card program's file exchange for the host's own card routines: a
// card payment of the payment screen ("PAGAMENTO"), its confirmation or undoing at the end of
// the sale ("CONFIRMA", "DESFAZ": FinalizaTransTef), the card receipt (ImprimeCupomTef) and the
// reversal of a card payment (CriaDedicado, "ESTORNO"). Each request waits at most 5 s to be
// taken up and the site's time limit (Dados/TefChart.txt, "TEMPOLIMITE=<s>", else 60 s) for
// its answer; a junk answer counts as refused. Nothing is charged unless "tefchart.ok" came.
namespace CardTerminal {

struct Result
{
    bool ok = false;
    QString nsu;     // the card program's number of the transaction
    QString receipt; // the card receipt, on a payment
    QString failure; // why not, for the log and the operator
};

Result pay(double amount);
Result finish(bool confirm, const QString &nsu);
Result reverse(const QString &nsu);

// The last payment taken and not yet confirmed or undone, and its receipt.
QString pendingNsu();
QString lastReceipt();

HostResult FinalizaTransTef(const TefFinishRequest &request);
HostResult ImprimeCupomTef(const TefReceiptRequest &request, ClientDataSet &cdsUltTef);
DedicatedTefAnswer CriaDedicado(const DedicatedTefRequest &request);

} // namespace CardTerminal

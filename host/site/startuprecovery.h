#pragma once

#include <QString>

#include <functional>

// Before the first sale: a counter sale that the till was killed in the middle of leaves its
// receipt open on the fiscal printer and its lines in the recovery files (cdsVenda.cds,
// cdsItensCancelados.cds in the folder DSDIRCAD), and the printer refuses every new receipt
// while that one is open. The host ends it here, telling the operator what it does:
// - the sale was stored already (the till stopped between the save and the end of the
//   receipt): the receipt is closed with the stored payments;
// - otherwise the receipt is cancelled on the printer and the sale recorded as cancelled with
//   the recovery files' lines (the printer's own lines when the files are gone).
// A desk without a fiscal printer (NFC-e, SAT, plain receipts) finds the interrupted sale by
// its recovery files alone: stored after the files were last written, nothing is left to do;
// otherwise it is recorded as cancelled with the files' lines. Cancelled records carry the
// till's movement day (Dados/Cadastros/DataMovimento.cds), as every sale does.
// The recovery files are removed once the sale is accounted for; a record the base refuses
// keeps them, and the operator is told.
namespace StartupRecovery {

struct Outcome
{
    enum class Kind { Nothing, Cancelled, Closed, Failed };
    Kind kind = Kind::Nothing;
    QString coupon;  // the receipt's COO
    QString saleKey; // the cancelled record's key, or the stored sale's
    QString message; // what the operator was told last
};

// Runs on the current site (its parameter file, printer and base); `tell` shows the operator
// a warning.
Outcome recoverOpenReceipt(const std::function<void(const QString &)> &tell);

} // namespace StartupRecovery

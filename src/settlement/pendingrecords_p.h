#pragma once

#include <outside/pkg_hrk00002_sale.h>

#include <QString>

class SaleContext;
struct DataPacket;

// Cancellation records (IncluiVendaCan, AlteraVendaCan) the base could not take: each is kept
// as one data-packet file in a folder under DSDIRCAD, the cashier told once, and written when
// the base answers again.
class PendingRecords
{
public:
    explicit PendingRecords(SaleContext &context) : m_context(context) {}

    QString folder() const;
    // Sends the record; false when the host did not take it now (it is kept). `saleSequence`,
    // when given, receives the recorded sale's sequence (element 1 of the host's result).
    bool sendCancelledSale(const CancelledSaleRecord &record, const QString &trace, Variant *saleSequence = nullptr);
    // `sale`, when given, receives the cancelled sale's rows the host answered (may be empty).
    bool sendStoredSaleCancelled(const CancelledStatusChange &change, const QString &trace,
                                 Variant *saleSequence = nullptr, DataPacket *sale = nullptr);
    // Writes the kept records, oldest first, deleting each file once the host wrote it; stops
    // at the first one the host still refuses. Answers how many were written.
    int write();

private:
    void keep(const DataPacket &record, const QString &failure);
    // The host's answer for one kept file; false (logged) when the file cannot be read.
    bool resend(const QString &file, CancellationAnswer &answer);

    SaleContext &m_context;
};

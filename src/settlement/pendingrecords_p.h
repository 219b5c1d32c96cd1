#pragma once

#include <outside/pkg_hrk00002_sale.h>
#include <server/srv_salecancel.h>

#include <QString>

class SaleContext;
struct SaleState;
struct DataPacket;

// Cancellation records the base could not take: the host's records (IncluiVendaCan,
// AlteraVendaCan) and the server's cancellation of a sale whose document is already cancelled
// at the SAT or the tax authority (getVendaNFisc). Each is kept as one data-packet file in a
// folder under DSDIRCAD, the cashier told once, and written when the base answers again.
class PendingRecords
{
public:
    explicit PendingRecords(SaleContext &context) : m_context(context) {}

    QString folder() const;
    // Where a kept record the base refused for good is moved, out of the queue, for a person.
    QString refusedFolder() const;
    // Sends the record; false when the host did not take it now (it is kept). `saleSequence`,
    // when given, receives the recorded sale's sequence (element 1 of the host's result).
    bool sendCancelledSale(const CancelledSaleRecord &record, const QString &trace, Variant *saleSequence = nullptr);
    // `sale`, when given, receives the cancelled sale's rows the host answered (may be empty).
    // A refusal for good (no such sale, or one already cancelled) is shown and not kept.
    bool sendStoredSaleCancelled(const CancelledStatusChange &change, const QString &trace,
                                 Variant *saleSequence = nullptr, DataPacket *sale = nullptr);
    // Keeps a server cancellation that failed after its document was cancelled outside, with
    // `text` told to the cashier. Only the sale's own values are kept: the till's switches
    // and partner settings are the current ones when it is written.
    void keepServerCancellation(const Srv_Kal51000::SaleCancelRequest &request, const QString &failure,
                                const QString &text);
    // True when a server cancellation of that document of the desk is still kept.
    bool holdsServerCancellation(const QString &kind, const QString &number) const;
    // Writes the kept records, oldest first, deleting each file once the base wrote it. A
    // record refused for good is moved to refusedFolder() and the next one is written; the
    // first one still refused otherwise (the base away) ends the run. Answers how many were
    // written.
    int write();

private:
    void keep(const DataPacket &record, const QString &failure, const QString &text);
    // The answer for one kept file; false (logged) when the file cannot be read.
    bool resend(const QString &file, CancellationAnswer &answer);
    CancellationAnswer resendServerCancellation(const Srv_Kal51000::SaleCancelRequest &request);
    bool setAside(const QString &file);

    SaleContext &m_context;
};

// A server cancellation carries the till's statement server and partner settings: the
// parameters of the same names and the store's CRM Bonus row read at start-up.
void fillCancellationSettings(const SaleState &state, Srv_Kal51000::SaleCancelRequest &request);

// A document number as the base may keep it: the keypad pads numbers with zeros ("000000045"),
// a base may hold the number as it was drawn ("45"). Zeros alone stay one "0".
QString withoutLeadingZeros(const QString &number);

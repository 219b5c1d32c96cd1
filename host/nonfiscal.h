#pragma once

#include <outside/pkg_hrk00002.h>

#include <QString>
#include <QStringList>

// The host's non-fiscal printers. A printer is named by its port: a port "cups:QUEUE" sends a
// raw text job to that CUPS queue; any other port appends the text to the site file
// "Dados/ImpressoraNaoFiscal/<port>.txt" (an empty port is "padrao"), so a person sees every
// receipt and ticket the sale screen printed.
namespace NonFiscal {

// The CUPS queue a port names, or empty when the port is not a queue.
QString queueOf(const QString &port);
// The file a port prints to when it is not a queue.
QString fileOf(const QString &port);
// Prints `text` on the printer of `port` as one job named `documentName`.
HostResult printText(const QString &port, const QString &documentName, const QString &text);

// The texts the receipt print makes of a sale (cdsVenda packet, tax summary, paid amount).
QString receiptText(const NonFiscalPrintRequest &request);
// One production ticket a row of the tickets packet (cdsImprimePedido), with its port.
struct Ticket
{
    QString port;
    QString text;
};
QList<Ticket> ticketTexts(const DataPacket &tickets);

// The host routines. DisparaImpressaoNaoFiscal prints the receipt on printer 1 of the print
// parameters (stCdPortImpNF1) when the sale rows came, and each ticket on its printer port.
HostResult DisparaImpressaoNaoFiscal(const NonFiscalPrintRequest &request);
HostResult ImprimePadrao(const PlainPrintRequest &request);

} // namespace NonFiscal

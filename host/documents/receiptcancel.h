#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

// The stand-in host's services of the receipt cancellation: the note form, the SAT's
// cancellation of a CF-e, the NFC-e authority's cancellation, the cancellation vouchers and
// receipts on the non-fiscal printers, the cancelled-items production tickets, the non-fiscal
// printer's log, and the status change of a stored sale, which for a closed coupon gives back
// what the sale took through the server's cancellation.
//
// The vouchers print on the port they are given (nonfiscal.h); the SAT receipt on printer 1 of
// the till; the log goes to "Dados/LogImp00000NF/LogImpNFiscal_<yyyyMMdd>.txt". The SAT and the
// authority follow "Dados/Autoridade.txt" as the sale does (authorities.h).
namespace ReceiptCancelHost {

// The cancellation's note ("S", "C"): a reason and nothing else; the other forms are the sale
// dialogs' own. A scripted observation answers either.
ObservationAnswer Observacao(const ObservationRequest &request);
// "CANC": the cancellation document of a stored CF-e; the sale's own document otherwise.
TextAnswer GeraArqXmlSat(const SatXmlRequest &request);
SatAnswer CancelarVenda(const SatCancelRequest &request);
HostResult Imp_Extrato_SAT_Canc(const SatCancelReceiptRequest &request);
HostResult NFCeOnlineCanc(const NfceCancelRequest &request, ClientDataSet &cdsVendaCanNFCe);
HostResult setNFCeCancelado(const NfceCancelVoucherRequest &request);
HostResult SetCupomCancelado(const CancelVoucherRequest &request);
HostResult LogImpNFiscal(const NonFiscalLogRequest &request);
HostResult DisparaImprimeCancProduto(const CancelledItemsTicketRequest &request);
// A closed coupon cancelled by the receipt cancellation (kind empty) is cancelled with the
// server's getVendaNFisc, which gives back balances, points and benefits, with the till's
// statement server and partner switches of PARAMETROSQUB.CDS; the settlement's status
// changes keep the sale saving's own. No such open coupon: a failure marked definitive.
CancellationAnswer AlteraVendaCan(const CancelledStatusChange &change);

// The texts printed, for the tests.
QString cancelVoucherText(const CancelVoucherRequest &request);
QString cancelledItemsText(const CancelledItemsTicketRequest &request, const QString &port);
QString nfceCancelVoucherText(const NfceCancelVoucherRequest &request);
QString satCancelReceiptText(const SatCancelReceiptRequest &request);

} // namespace ReceiptCancelHost

#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QList>

#include <functional>

class TfrmVendaCons;

// The host's entry: opens the sale screen for one call and hands back, in element 0 of `Ret`,
// the keyword that tells the host what to open next ("FECHA_SISTEMA", "VENDA_MESA",
// "VENDA_COMANDA", "VENDA_DELIVERY"), or "ERRO_SISTEMA" after showing why the call failed.
// `Params` holds the ten host arguments (see HostCall). The form is made on the first call
// and kept for the life of the process. Not re-entrant: GUI thread, one call at a time.
extern "C" VENDACONS_EXPORT void VendaCons(const QList<Variant> &Params, Variant &Ret);

namespace VendaConsEntry {

// Runs the started form until a closing road ends it. The default shows it modally
// (QDialog::exec); tests install a runner that drives the form and returns.
using ModalRunner = std::function<void(TfrmVendaCons &)>;
void setModalRunner(ModalRunner runner); // empty restores the modal run

// The process's sale form; null before the first call.
TfrmVendaCons *frmVendaCons();

// Frees the sale form and the customer display, as if the process started afresh (tests).
void reset();

} // namespace VendaConsEntry

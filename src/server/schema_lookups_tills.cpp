#include "schema.h"

namespace {

using namespace Schema;

// Desks, payment types, printers, occurrences and general parameters read by the lookups.
const Area lookupsTills{
    // A desk belongs to a store, whose product printers are part of its backup map.
    {"CAIXA", {text("CDFILIAL", 20), text("CDCAIXA", 20), text("CDLOJA", 20)}, {"CDFILIAL", "CDCAIXA"}},
    {"ITMENUCONFTE",
     {text("CDFILIAL", 20), text("NRCONFTELA", 20), text("CDATAPRODITM", 20), text("CDIDENTBUTON", 20),
      text("IDTPBUTTON", 1)},
     {}},
    {"TIPORECE",
     {text("CDTIPORECE", 20), text("NMTIPORECE", 60), text("IDTIPORECE", 1), text("IDMOSTRARECE", 1),
      text("IDDESABTEF", 1)},
     {"CDTIPORECE"}},
    {"PRODLOJA",
     {text("CDFILIAL", 20), text("CDLOJA", 20), text("CDPRODUTO", 20), text("NRSEQIMPRPROD", 20),
      text("NRSEQIMPRPROD2", 20), text("NRSEQIMPRPUXA", 20), text("NRSEQIMPPRDBKP", 20), text("NRSEQIMPPRD2BKP", 20),
      text("NRSEQIMPPUXABKP", 20)},
     {"CDFILIAL", "CDLOJA", "CDPRODUTO"}},
    {"IMPRLOJA",
     {text("CDFILIAL", 20), text("NRSEQIMPRLOJA", 20), text("CDLOJA", 20), text("CDIMPRESSORA", 20),
      text("CDPORTAIMPR", 60)},
     {"CDFILIAL", "NRSEQIMPRLOJA"}},
    {"IMPRESSORA", {text("CDIMPRESSORA", 20), text("NMIMPRESSORA", 60), text("IDMODEIMPRES", 20)}, {"CDIMPRESSORA"}},
    // The spooler address of each store printer.
    {"MAPIMPRLOJA", {text("CDFILIAL", 20), text("NRSEQIMPRLOJA", 20), text("DSENDPORTA", 255)},
     {"CDFILIAL", "NRSEQIMPRLOJA"}},
    {"OCORRENCIA", {text("CDGRPOCOR", 20), text("CDOCORR", 20), text("DSOCORR", 100)}, {"CDGRPOCOR", "CDOCORR"}},
    {"PARAMGERAL", {text("IDUTCUPOMDESC", 1)}, {}},
    {"CONSUMIDOR",
     {text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), text("NMCONSUMIDOR", 60), text("IDBLOQSALDFS", 1)},
     {"CDCLIENTE", "CDCONSUMIDOR"}},
    // The desk that sells a QR code of the day (DTLEITURA "yyyy-MM-dd"); its key lets one till only
    // claim a code.
    {"QRCODEVENDA",
     {text("CDFILIAL", 20), text("NRVENDAREST", 20), text("NRCOMANDA", 20), text("DTLEITURA", 10), text("CDCAIXA", 20)},
     {"CDFILIAL", "NRVENDAREST", "NRCOMANDA", "DTLEITURA"}},
};

} // namespace

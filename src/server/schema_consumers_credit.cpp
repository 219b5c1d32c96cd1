#include "schema.h"

namespace {

using namespace Schema;

// What a credit purchase writes beside the statement: its cash movements, with the cheque,
// card and foreign-currency details of each tender and the non-fiscal document they belong to.
const Area consumersCredit{
    {"MOVCAIXA",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), dateTime("DTABERCAIX"), text("NRSEQUMOVI", 20),
      text("NRSEQUMOVIMSDE", 20), text("IDTIPOMOVIVE", 1), text("DSMOVIVEND", 250), number("VRMOVIVEND"),
      text("NRSEQVENDA", 20), text("CDTIPORECE", 20), dateTime("DTHRINCMOV"), text("NMTIPORECEORIG", 40),
      text("CDCLIENTE", 20), dateTime("DTMOVIMCAIXA"), text("CDAGECHEQVEN", 5), text("CDBANCHEQVEN", 3),
      text("CDCNTCHEQVEN", 16), text("NRCHEQUEVEND", 6), text("NRCARTBANCO", 10), text("CDNSUHOSTTEF", 50),
      number("VRMOVIVEOUT"), number("VRCOTINDOUT"), dateTime("DTDEPCHEQVEN"), text("NRSERCAIXADOCNF", 30),
      text("NRSEQCAIXADOCNF", 20),
      // The credit load (or card recharge) the movement belongs to: a retry finds it written.
      text("NRDEPOSICONS", 20)},
     {}},
    // A load written but whose voucher and card confirmation are not done yet: written in the
    // load's own transaction and removed once they are, so a till stopped in between finishes
    // the load at its next start instead of the operator loading it again.
    {"CARGAPENDCONS",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRDEPOSICONS", 20), text("CDCLIENTE", 20),
      text("CDCONSUMIDOR", 20), text("NMCONSUMIDOR", 60), text("CDFAMILISALD", 20), text("NMFAMILISALD", 30),
      text("NRCUPOMCARGA", 20), text("NRSEQECFDOCNF", 20), number("VRSALDCREDFAM"), dateTime("DTABERCAIX"),
      dateTime("DTMOVIMENTO"), dateTime("DTGRAVACARGA"), memo("DSCOMPRACREDTEF")},
     {"CDFILIAL", "CDCAIXA", "NRDEPOSICONS"}},
};

} // namespace

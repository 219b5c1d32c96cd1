#include "schema.h"

namespace {

using namespace Schema;

const Table venda{
    "VENDA",
    {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("IDSITUVENDA", 1),
     text("NRCUPOMFIS", 20), text("NRNOTAFISCALCE", 20), text("NRVENDAEXT", 10), text("CDPREFINTGCOLVEN", 20),
     dateTime("DTABERTUR"), dateTime("DTVENDA"), dateTime("DTENTRVENDA"), text("IDIMPVENDA", 1),
     text("IDENVIOFID4ALL", 1), text("IDENVIOFIDUDS", 1), text("DSOBSCANCUP", 255), text("CDGRPOCORCANCUP", 20),
     text("CDSUPERVISOR", 20), text("NRACESSOCANC", 60), text("IDSTATUSNFCE", 1), memo("DSARQXMLCANCNFCE"),
     text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), text("CDLOJA", 20), text("CDSERVFILI", 20),
     text("NRVENDAREST", 20), text("NRCOMANDAVND", 20), text("DSCOMANDAVND", 60), text("NRMESA", 20),
     text("CDSENHAPED", 20), text("IDTPEMISVEND", 1), text("NRACESSONFCE", 60), text("ENDVENDAROUTER", 255),
     text("NRLANCTONFCE", 20), text("IDTPAMBNFCE", 1), text("NRINSJURIEST", 20), text("NRCOMANDAEXT", 20),
     text("NRTELGCOM", 20), text("SGESTADO", 2), text("IDORIGEMVENDA", 10), dateTime("DTEMISSAONFCE"),
     text("CDSERIENFCE", 10), text("DSOBSSTATUSNFCE", 255), text("NRRECIBONFCE", 60), dateTime("DTENVIONFCE"),
     text("NRPROTOCOLONFCE", 60), dateTime("DTHRPROTOCONFCE"), text("NRPROTOCOLOCANC", 60),
     dateTime("DTHRPROTOCOCANC"), text("CDOPERADORCANC", 20), text("DSRAZAOCANCNFCE", 255),
     text("NRCPFFID4ALL", 20), text("NRCPFFIDUDS", 20), text("IDPEDINTEPROMO", 37), text("NRINSCRCONS", 20),
     text("IDREQVALPRE", 36), text("IDREQCOREBANC", 36), text("NRCPFCOREBANC", 20), text("IDCUPOMVIMO", 20),
     text("IDBENEFVIMO", 1), text("NRTELVIMO", 20), number("VRTOTVIMO"), text("NRCPFFIXECRM", 20),
     number("VRRESGFIXECRM"), text("NRIDBONUSCRM", 60), text("NRNFCECRMBONUS", 25),
     // "P": the cancellation's statement reversal is still owed to the online statement server.
     text("IDEXPEXTCANC", 1)},
    {"CDFILIAL", "CDCAIXA", "NRSEQVENDA"}};

const Area sales{
    venda,
    {"DOCNFISCECF",
     {text("NRSERIEEFCDOCNF", 30), text("NRSEQECFDOCNF", 20), text("NRCOODOCNFIS", 20), text("NRGNFDOCNFIS", 20),
      text("NRGRGDOCNFIS", 20), text("NRCDCDOCNFIS", 20), text("IDTPDENOMDOCNF", 2), dateTime("DTHRFINEMISEFC"),
      dateTime("DTMOVIDOCNFIS")},
     {}},
    // NFC-e numbers filed for voiding.
    {"INUTILIZANFCE",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRNOTAFISCALCE", 20), dateTime("DTENTRVENDA"),
      text("CDSERIENFCE", 10), text("IDTPAMBNFCE", 1), text("IDSTATUSNFCE", 1), text("NRINSJURFILI", 20)},
     {}},
};

} // namespace

#include "salestate_load.h"

#include <limits>
#include <type_traits>
#include "codes.h"

namespace {

// Every column of the parameter file with the member that keeps its copy. A member is named
// after its column with the type prefix, except where noted. Keys given as text in the file
// but typed here: the five Booleans ("S"/"N"), IDTIPOIMPFIS, TAMDISPLAY, NRMINSENHAAL and the
// CT* access codes (integers), DTABERCAIX (date-time), VROBRIGCPFNOTA (double).
// Named differently from the column:
//   IDHABCAIXAVENDA -> inCaixaTAA (1 when "TAA", else 0);
//   IdTpTelaVe, IdPerTrocaOp keep the column's mixed case (stIdTpTelaVe, stIdPerTrocaOp);
//   CT* -> OperatorRights::inCT* (the access codes live with the rights they are asked for).
// Not from this file: stIDLEITURAQRCODE (server's desk configuration), stImpPesagem (server),
// stCancCupomAux4..7 (the database's CRM bonus row, crmBonusColumns below),
// stCDOPERADOR / stNMOPERADOR (operator file ControleAcess.cds).
const QList<ParameterColumn> parameterTable = {
    {"CDFILIAL", &Parameters::stCDFILIAL},
    {"CDLOJA", &Parameters::stCDLOJA},
    {"CDCAIXA", &Parameters::stCDCAIXA},
    {"CDCLIENTE", &Parameters::stCDCLIENTE},
    {"IDESQUEMA", &Parameters::stIDESQUEMA},
    {"IDCOLETOR", &Parameters::stIDCOLETOR},
    {"STSISTEMAPRIN", &Parameters::stSTSISTEMAPRIN},
    {"IdTpTelaVe", &Parameters::stIdTpTelaVe},
    {"DSLOGOTELA", &Parameters::stDSLOGOTELA},
    {"DSDIRCAD", &Parameters::stDSDIRCAD},
    {"UTILIZAIMPFIS", &Parameters::boUTILIZAIMPFIS},
    {"BOERROIMPRESSORA", &Parameters::boBOERROIMPRESSORA},
    {"DISPLAYOK", &Parameters::boDISPLAYOK},
    {"SISTEMAQUBNFCE", &Parameters::boSISTEMAQUBNFCE},
    {"SISTEMAQUBSAT", &Parameters::boSISTEMAQUBSAT},
    {"IDTIPOIMPFIS", &Parameters::inIDTIPOIMPFIS},
    {"DTABERCAIX", &Parameters::dtDTABERCAIX},
    {"VROBRIGCPFNOTA", &Parameters::doVROBRIGCPFNOTA},
    {"IDHABCAIXAVENDA", &Parameters::inCaixaTAA, ParameterConversion::TaaFlag},
    {"IdPerTrocaOp", &Parameters::stIdPerTrocaOp},
    {"IDSOLICITATEL", &Parameters::stIDSOLICITATEL},
    {"IDSOLICTELGER", &Parameters::stIDSOLICTELGER},
    {"IDPAISINTEGRA", &Parameters::stIDPAISINTEGRA},
    {"SGESTADOFILI", &Parameters::stSGESTADOFILI},
    {"TAMDISPLAY", &Parameters::inTAMDISPLAY},
    {"NRMINSENHAAL", &Parameters::inNRMINSENHAAL},
    {"CDPORTAIMPFIS", &Parameters::stCDPORTAIMPFIS},
    {"IDTIPOGAVETA", &Parameters::stIDTIPOGAVETA},
    {"IDTIPOIMPNF1", &Parameters::stIDTIPOIMPNF1},
    {"CDPORTIMPNF1", &Parameters::stCDPORTIMPNF1},
    {"IDTPVENDIMPNF1", &Parameters::stIDTPVENDIMPNF1},
    {"IDTIPOIMPNF2", &Parameters::stIDTIPOIMPNF2},
    {"CDPORTIMPNF2", &Parameters::stCDPORTIMPNF2},
    {"IDTPVENDIMPNF2", &Parameters::stIDTPVENDIMPNF2},
    {"IDTIPOIMPNF5", &Parameters::stIDTIPOIMPNF5},
    {"CDPORTAIMPNF5", &Parameters::stCDPORTAIMPNF5},
    {"NRSERIEIMP", &Parameters::stNRSERIEIMP},
    {"DATAIMP", &Parameters::stDATAIMP},
    {"ECFIMP", &Parameters::stECFIMP},
    {"IDIMPCOMPDEBCON", &Parameters::stIDIMPCOMPDEBCON},
    {"NMRAZSOCFILI", &Parameters::stNMRAZSOCFILI},
    {"NMBAIRFILI", &Parameters::stNMBAIRFILI},
    {"NRPOSINICODBARR", &Parameters::stNRPOSINICODBARR},
    {"NRPOSFINCODBARR", &Parameters::stNRPOSFINCODBARR},
    {"CDPREFINTGCOL", &Parameters::stCDPREFINTGCOL},
    {"NRCUPINIINTGCOL", &Parameters::stNRCUPINIINTGCOL},
    {"NRCUPFININTGCOL", &Parameters::stNRCUPFININTGCOL},
    {"IDUTTABPRECLVDC", &Parameters::stIDUTTABPRECLVDC},
    {"IDLCDBARBALATOL", &Parameters::stIDLCDBARBALATOL},
    {"NRPOSINIQTCDBAR", &Parameters::stNRPOSINIQTCDBAR},
    {"NRPOSFINQTCDBAR", &Parameters::stNRPOSFINQTCDBAR},
    {"NRPOSINIVRCDBAR", &Parameters::stNRPOSINIVRCDBAR},
    {"NRPOSFINVRCDBAR", &Parameters::stNRPOSFINVRCDBAR},
    {"IDPOSOBSPED", &Parameters::stIDPOSOBSPED},
    {"IDLUGARMESA", &Parameters::stIDLUGARMESA},
    {"IDPERCOMVENCPDC", &Parameters::stIDPERCOMVENCPDC},
    {"IDTIPOBAL", &Parameters::stIDTIPOBAL},
    {"CDPORTABAL", &Parameters::stCDPORTABAL},
    {"NRVELOCBAL", &Parameters::stNRVELOCBAL},
    {"IDIMPCNPJCLIE", &Parameters::stIDIMPCNPJCLIE},
    {"IDSOLICITACPF", &Parameters::stIDSOLICITACPF},
    {"IDACRIMPOSTO", &Parameters::stIDACRIMPOSTO},
    {"CDCCUSCLIE", &Parameters::stCDCCUSCLIE},
    {"STPROCESSAMENTO", &Parameters::stSTPROCESSAMENTO},
    {"IDUTILTEF", &Parameters::stIDUTILTEF},
    {"DSOBSCUPFIS", &Parameters::stDSOBSCUPFIS},
    {"IDIMPBARRCUP", &Parameters::stIDIMPBARRCUP},
    {"NMPADBARRCUP", &Parameters::stNMPADBARRCUP},
    {"IDIMPSALDOCUPOM", &Parameters::stIDIMPSALDOCUPOM},
    {"IDIMPRCUPTEFRED", &Parameters::stIDIMPRCUPTEFRED},
    {"IDINFVENBAL", &Parameters::stIDINFVENBAL},
    {"IDTIPINFCONS", &Parameters::stIDTIPINFCONS},
    {"DSMENSCPFCUP", &Parameters::stDSMENSCPFCUP},
    {"STTOTCV", &Parameters::stSTTOTCV},
    {"IDIMPVENDCON", &Parameters::stIDIMPVENDCON},
    {"STTOTCOMPCRED", &Parameters::stSTTOTCOMPCRED},
    {"IDIMPCOMPCREDPE", &Parameters::stIDIMPCOMPCREDPE},
    {"NMFILIAL", &Parameters::stNMFILIAL},
    {"NMCAIXA", &Parameters::stNMCAIXA},
    {"DSENDEFILI", &Parameters::stDSENDEFILI},
    {"NMMUNICIPIOFILI", &Parameters::stNMMUNICIPIOFILI},
    {"CDINSCMUNIFILI", &Parameters::stCDINSCMUNIFILI},
    {"CDPRODCOUVER", &Parameters::stCDPRODCOUVER},
    {"CDPRODCONSUM", &Parameters::stCDPRODCONSUM},
    {"CDEMPRESA", &Parameters::stCDEMPRESA},
    {"IDIMPCOMPCUPVEN", &Parameters::stIDIMPCOMPCUPVEN},
    {"IDUTCONFCADCONS", &Parameters::stIDUTCONFCADCONS},
    {"NRCONFTELA", &Parameters::stNRCONFTELA},
    {"DSMODELOECFVE", &Parameters::stDSMODELOECFVE},
    {"DSMARCAECFVE", &Parameters::stDSMARCAECFVE},
    {"IDSOLCONICNFIS", &Parameters::stIDSOLCONICNFIS},
    {"IDSOLDIGOBSDC", &Parameters::stIDSOLDIGOBSDC},
    {"IDPERCADCONSFCXA", &Parameters::stIDPERCADCONSFCXA},
    {"IDSOLDIGCONS", &Parameters::stIDSOLDIGCONS},
    {"IDPARIMPRLIMVDC", &Parameters::stIDPARIMPRLIMVDC},
    {"QTMAXPERVNDPROD", &Parameters::stQTMAXPERVNDPROD},
    {"IDIMPCOMPVCP", &Parameters::stIDIMPCOMPVCP},
    {"IDSOLOBSCANCUP", &Parameters::stIDSOLOBSCANCUP},
    {"IDSOLOBSPED", &Parameters::stIDSOLOBSPED},
    {"NRSEQIMPRLOJA2", &Parameters::stNRSEQIMPRLOJA2},
    {"NRSEQIMPRLOJA1", &Parameters::stNRSEQIMPRLOJA1},
    {"NRSEQIMPRLOJA5", &Parameters::stNRSEQIMPRLOJA5},
    {"NRDIAFECHAFOLHA", &Parameters::stNRDIAFECHAFOLHA},
    {"IDEXCONSATFIL", &Parameters::stIDEXCONSATFIL},
    {"IDEXCONSATGER", &Parameters::stIDEXCONSATGER},
    {"IDEXIBTICCUP", &Parameters::stIDEXIBTICCUP},
    {"CDINSJUREMPR", &Parameters::stCDINSJUREMPR},
    {"CDESTADOIBGE", &Parameters::stCDESTADOIBGE},
    {"IDAMBTRABNFCE", &Parameters::stIDAMBTRABNFCE},
    {"NRCERTDIGNFCE", &Parameters::stNRCERTDIGNFCE},
    {"IDIMPPEDPROD", &Parameters::stIDIMPPEDPROD},
    {"IDTIPOIMPNF3", &Parameters::stIDTIPOIMPNF3},
    {"CDPORTIMPNF3", &Parameters::stCDPORTIMPNF3},
    {"IDTPVENDIMPNF3", &Parameters::stIDTPVENDIMPNF3},
    {"IDENVIAPEDKDS", &Parameters::stIDENVIAPEDKDS},
    {"IDSENHACUP", &Parameters::stIDSENHACUP},
    {"IDOBRIGFECHCAIX", &Parameters::stIDOBRIGFECHCAIX},
    {"IDINFOCPFPINPAD", &Parameters::stIDINFOCPFPINPAD},
    {"DSENDIPSITEF", &Parameters::stDSENDIPSITEF},
    {"CDLOJATEF", &Parameters::stCDLOJATEF},
    {"CDTERTEF", &Parameters::stCDTERTEF},
    {"IDTPTEF", &Parameters::stIDTPTEF},
    {"CDPORTATEF", &Parameters::stCDPORTATEF},
    {"CDESTTEF", &Parameters::stCDESTTEF},
    {"IDTIPCOBRA", &Parameters::stIDTIPCOBRA},
    {"NRINSJURFILI", &Parameters::stNRINSJURFILI},
    {"IDUTILSATCOMP", &Parameters::stIDUTILSATCOMP},
    {"IDMOMENTOCPFVEN", &Parameters::stIDMOMENTOCPFVEN},
    {"IDVERGAVETANFIS", &Parameters::stIDVERGAVETANFIS},
    {"IDINFNOMEEND", &Parameters::stIDINFNOMEEND},
    {"NRCNPJLOJA", &Parameters::stNRCNPJLOJA},
    {"NRCNPJTEFHOUSE", &Parameters::stNRCNPJTEFHOUSE},
    {"IDSOLOBSFINVEN", &Parameters::stIDSOLOBSFINVEN},
    {"IDFECHACUPOM", &Parameters::stIDFECHACUPOM},
    {"IDIMPRVIACONSTEF", &Parameters::stIDIMPRVIACONSTEF},
    {"IDCTRLPEDVIAGEM", &Parameters::stIDCTRLPEDVIAGEM},
    {"IDEXTCONSONLINE", &Parameters::stIDEXTCONSONLINE},
    {"CDURLWSEXTCONS", &Parameters::stCDURLWSEXTCONS},
    {"IDIMPRTEF", &Parameters::stIDIMPRTEF},
    {"IDPEREDTCONSFCXA", &Parameters::stIDPEREDTCONSFCXA},
    {"HRTEMPOROD", &Parameters::stHRTEMPOROD},
    {"IDCONSUBDESFOL", &Parameters::stIDCONSUBDESFOL},
    {"IDPREVDSALDO", &Parameters::stIDPREVDSALDO},
    {"IDINTRESGSALDO", &Parameters::stIDINTRESGSALDO},
    {"IDUTILFID4ALL", &Parameters::stIDUTILFID4ALL},
    {"CDURLWSFID4ALL", &Parameters::stCDURLWSFID4ALL},
    {"IDUTLINTFACELE", &Parameters::stIDUTLINTFACELE},
    {"IDENVCUPOMEMAIL", &Parameters::stIDENVCUPOMEMAIL},
    {"NRMAXSENHAPED", &Parameters::stNRMAXSENHAPED},
    {"IDSALDEXTDEBCON", &Parameters::stIDSALDEXTDEBCON},
    {"IDUTILFIDUDS", &Parameters::stIDUTILFIDUDS},
    {"CDURLWSFIDUDS", &Parameters::stCDURLWSFIDUDS},
    {"IDUTILINTEPROMO", &Parameters::stIDUTILINTEPROMO},
    {"CDURLINTEPROMO", &Parameters::stCDURLINTEPROMO},
    {"IDDEBCONSCENTRAL", &Parameters::stIDDEBCONSCENTRAL},
    {"IDEXTCONSCENTRAL", &Parameters::stIDEXTCONSCENTRAL},
    {"CDURLFIDONLINE", &Parameters::stCDURLFIDONLINE},
    {"CDPRODCMDAUTO", &Parameters::stCDPRODCMDAUTO},
    {"IDUTLNFSVENCONS", &Parameters::stIDUTLNFSVENCONS},
    {"IDIMPCUPMEI", &Parameters::stIDIMPCUPMEI},
    {"CDTOKENTLS", &Parameters::stCDTOKENTLS},
    {"CDTPCOMUNTLS", &Parameters::stCDTPCOMUNTLS},
    {"CDTPPROXYTLS", &Parameters::stCDTPPROXYTLS},
    {"CDENPROXYTLS", &Parameters::stCDENPROXYTLS},
    {"IDUTILINTVALPRE", &Parameters::stIDUTILINTVALPRE},
    {"CDURLINTVALPRE", &Parameters::stCDURLINTVALPRE},
    {"NRSEGREQVALPRE", &Parameters::stNRSEGREQVALPRE},
    {"NMRAZSOCEMPR", &Parameters::stNMRAZSOCEMPR},
    {"IDUTICOREBANC", &Parameters::stIDUTICOREBANC},
    {"CDURLCOREBANC", &Parameters::stCDURLCOREBANC},
    {"NRTEMPOCOREBANC", &Parameters::stNRTEMPOCOREBANC},
    {"IDUTILINTVIMO", &Parameters::stIDUTILINTVIMO},
    {"CDURLINTVIMO", &Parameters::stCDURLINTVIMO},
    {"IDUTILFIXECRM", &Parameters::stIDUTILFIXECRM},
    {"CDURLFIXECRM", &Parameters::stCDURLFIXECRM},
    {"IDADESAOREFTRIB", &Parameters::stIDADESAOREFTRIB},
    {"CTCONSULTAPRECO", &OperatorRights::inCTCONSULTAPRECO},
    {"CTPESQPRODUTO", &OperatorRights::inCTPESQPRODUTO},
    {"CTCANCITEMGEN", &OperatorRights::inCTCANCITEMGEN},
    {"CTOBSPRODUTO", &OperatorRights::inCTOBSPRODUTO},
    {"CTCANCCUPOM", &OperatorRights::inCTCANCCUPOM},
    {"CTPRODCOMBINADO", &OperatorRights::inCTPRODCOMBINADO},
    {"CTMULTIPLICADOR", &OperatorRights::inCTMULTIPLICADOR},
    {"CTTROCAOPERADOR", &OperatorRights::inCTTROCAOPERADOR},
    {"CTABRIRGAVETA", &OperatorRights::inCTABRIRGAVETA},
};

// The branch's CRM bonus row from the database (not the parameter file); the members are
// named by position, not after the columns.
const QList<ParameterColumn> crmBonusTable = {
    {"IDCRMBONUS", &StartupResults::stCancCupomAux4},
    {"CDURLCRMBONUS", &StartupResults::stCancCupomAux5},
    {"CDAUTHCRMBONUS", &StartupResults::stCancCupomAux6},
    {"CDCODECRMBONUS", &StartupResults::stCancCupomAux7},
};

template <class M> struct MemberOf;
template <class F, class T> struct MemberOf<T F::*>
{
    using Family = F;
};

template <class F> F &familyOf(SaleState &state);
template <> Parameters &familyOf<Parameters>(SaleState &state) { return state.editParams(); }
template <> OperatorRights &familyOf<OperatorRights>(SaleState &state) { return state.rights; }
template <> StartupResults &familyOf<StartupResults>(SaleState &state) { return state.startup; }

bool isBlank(const Variant &value)
{
    return value.isBlank() || (value.isText() && value.toString().trimmed().isEmpty());
}

bool convert(const Variant &value, QString &out)
{
    out = value.toString();
    return true;
}

// The file holds "S"/"N"; a typed Boolean column and "True"/"False" are accepted as well.
bool convert(const Variant &value, bool &out)
{
    if (value.isText()) {
        const QString text = value.toString().trimmed().toUpper();
        if (isYes(text) || text == QLatin1String("T")) {
            out = true;
            return true;
        }
        if (isNo(text) || text == QLatin1String("F")) {
            out = false;
            return true;
        }
    }
    bool ok = false;
    const bool flag = value.toBool(&ok);
    if (ok)
        out = flag;
    return ok;
}

bool convert(const Variant &value, int &out)
{
    bool ok = false;
    const qint64 number = value.toInt(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return false;
    out = int(number);
    return true;
}

bool convert(const Variant &value, double &out)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok)
        out = number;
    return ok;
}

bool convert(const Variant &value, QDateTime &out)
{
    bool ok = false;
    const QDateTime moment = value.toDateTime(&ok);
    if (ok)
        out = moment;
    return ok;
}

template <class T> bool assign(const Variant &value, ParameterConversion conversion, T &member)
{
    if constexpr (std::is_same_v<T, int>) {
        if (conversion == ParameterConversion::TaaFlag) {
            member = value.toString().trimmed() == QLatin1String("TAA") ? 1 : 0;
            return true;
        }
    }
    // A null value reads as empty, 0 or False, as the runtime's field access gives it.
    if (isBlank(value)) {
        member = T();
        return true;
    }
    T converted = member;
    if (!convert(value, converted))
        return false;
    member = converted;
    return true;
}

ParameterLoadReport load(SaleState &state, const QList<ParameterColumn> &table,
                         const DataPacket &packet, int row)
{
    ParameterLoadReport report;
    if (row < 0 || row >= packet.rows.size())
        return report;
    report.rowFound = true;
    for (const ParameterColumn &entry : table) {
        const QString column = QLatin1String(entry.column);
        if (packet.fieldIndex(column) < 0) {
            report.missingColumns << column;
            continue;
        }
        const Variant value = packet.value(row, column);
        const bool ok = std::visit(
            [&](auto member) {
                using Family = typename MemberOf<decltype(member)>::Family;
                return assign(value, entry.conversion, familyOf<Family>(state).*member);
            },
            entry.member);
        if (!ok)
            report.invalidValues << column + QLatin1Char('=') + value.toString();
    }
    return report;
}

} // namespace

const QList<ParameterColumn> &parameterColumns()
{
    return parameterTable;
}

const QList<ParameterColumn> &crmBonusColumns()
{
    return crmBonusTable;
}

ParameterLoadReport loadParameters(SaleState &state, const DataPacket &packet, int row)
{
    ParameterLoadReport report = load(state, parameterTable, packet, row);
    // Asking the telephone everywhere includes this desk.
    if (isYes(state.params.stIDSOLICTELGER))
        state.editParams().stIDSOLICITATEL = state.params.stIDSOLICTELGER;
    return report;
}

ParameterLoadReport loadCrmBonusSettings(SaleState &state, const DataPacket &packet, int row)
{
    return load(state, crmBonusTable, packet, row);
}

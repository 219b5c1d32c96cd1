#pragma once

#include <QDateTime>
#include <QString>

// Copies of the till's parameter row (the file PARAMETROSQUB.CDS beside the program), one
// member per key, named after the key with the type prefix. They are loaded once per process
// at start-up (loadParameters in salestate_load.h); the handlers read these members, never the
// parameter dataset, except DSDIRCAD and CDOPERADORATUAL, which start-up reads from the row.
// Every key not listed as Boolean, integer, double or date is kept as text, as loaded.
// The access codes CT* of the same row live with the operator's rights (OperatorRights).
struct Parameters
{
    QString stCDFILIAL;
    QString stCDLOJA;
    QString stCDCAIXA;
    QString stCDCLIENTE;                 // default client of counter sales
    // Colour scheme handed to every message and peripheral call
    QString stIDESQUEMA;
    // "C": collector desk (takes orders, issues no fiscal document)
    QString stIDCOLETOR;
    // Main system of the desk: "RES", "QUB", "CMD", "DEZ" or "POS"
    QString stSTSISTEMAPRIN;
    // Screen layout: "4", "6", "8" compact, no touch grid; others touch grid
    QString stIdTpTelaVe;
    QString stDSLOGOTELA;                // full path of the logo shown on the screen
    // Folder of the identification file and failover files; ends with a backslash
    QString stDSDIRCAD;
    bool boUTILIZAIMPFIS = false;
    // Fiscal printer in error: the screen runs consultation-only (also set at run time)
    bool boBOERROIMPRESSORA = false;
    bool boDISPLAYOK = false;            // a customer pole display is present
    bool boSISTEMAQUBNFCE = false;       // the desk issues NFC-e receipts
    bool boSISTEMAQUBSAT = false;        // the desk issues SAT receipts
    // Fiscal printer model code (16, 21, 26, 30 change the roads)
    int inIDTIPOIMPFIS = 0;
    QDateTime dtDTABERCAIX;              // opening date of the cash desk
    // Sale total from which the buyer must be identified; 0 switches the rule off
    double doVROBRIGCPFNOTA = 0.0;
    int inCaixaTAA = 0;                  // 1 on a self-service (TAA) desk, else 0
    QString stIdPerTrocaOp;              // "S": the operator may be changed at the desk
    // "S": ask the consumer's telephone here (IDSOLICTELGER "S" overrides it)
    QString stIDSOLICITATEL;
    QString stIDSOLICTELGER;             // "S": ask the telephone everywhere
    QString stIDPAISINTEGRA;             // country integration; "01" Colombian receipt numbering
    QString stSGESTADOFILI;              // state of the branch ("ES", "PB", "BA" are tested)
    int inTAMDISPLAY = 0;                // pole display width in characters
    int inNRMINSENHAAL = 0;
    QString stCDPORTAIMPFIS;             // fiscal printer port
    QString stIDTIPOGAVETA;              // drawer sensor kind: empty or "0" none, "1", "2"
    QString stIDTIPOIMPNF1;              // model of non-fiscal printer 1 (primary)
    QString stCDPORTIMPNF1;              // port of non-fiscal printer 1
    QString stIDTPVENDIMPNF1;            // sale kinds printed on printer 1
    QString stIDTIPOIMPNF2;              // model of non-fiscal printer 2 (pull printer)
    QString stCDPORTIMPNF2;
    QString stIDTPVENDIMPNF2;
    QString stIDTIPOIMPNF5;              // model of non-fiscal printer 5 (secondary)
    // Port of printer 5 (the column is spelled CDPORTA..., unlike 1 to 3)
    QString stCDPORTAIMPNF5;
    QString stNRSERIEIMP;                // registered serial number of the fiscal printer
    QString stDATAIMP;                   // fiscal printer date parameter
    QString stECFIMP;
    QString stIDIMPCOMPDEBCON;
    QString stNMRAZSOCFILI;
    QString stNMBAIRFILI;
    QString stNRPOSINICODBARR;           // scale label: first and last position of the product code
    QString stNRPOSFINCODBARR;
    // Colombian numbering: prefix, first and last number of the range
    QString stCDPREFINTGCOL;
    QString stNRCUPINIINTGCOL;
    QString stNRCUPFININTGCOL;
    QString stIDUTTABPRECLVDC;           // "S": the price lookup depends on the debit-sale flag
    QString stIDLCDBARBALATOL;           // "S": read scale labels
    QString stNRPOSINIQTCDBAR;           // scale label: positions of the quantity
    QString stNRPOSFINQTCDBAR;
    QString stNRPOSINIVRCDBAR;           // scale label: positions of the value
    QString stNRPOSFINVRCDBAR;
    QString stIDPOSOBSPED;               // "S": observations printed after the item
    QString stIDLUGARMESA;               // "S": table sales record seat positions
    QString stIDPERCOMVENCPDC;
    QString stIDTIPOBAL;                 // scale model, port and speed
    QString stCDPORTABAL;
    QString stNRVELOCBAL;
    QString stIDIMPCNPJCLIE;
    QString stIDSOLICITACPF;
    QString stIDACRIMPOSTO;
    QString stCDCCUSCLIE;                // default cost centre of the consumer
    QString stSTPROCESSAMENTO;           // processing state handed with a stored consumer CPF
    QString stIDUTILTEF;
    QString stDSOBSCUPFIS;
    QString stIDIMPBARRCUP;
    QString stNMPADBARRCUP;
    QString stIDIMPSALDOCUPOM;
    QString stIDIMPRCUPTEFRED;
    QString stIDINFVENBAL;
    QString stIDTIPINFCONS;
    QString stDSMENSCPFCUP;
    QString stSTTOTCV;
    QString stIDIMPVENDCON;
    QString stSTTOTCOMPCRED;             // only tested for emptiness (credit purchase voucher)
    QString stIDIMPCOMPCREDPE;
    QString stNMFILIAL;
    QString stNMCAIXA;
    QString stDSENDEFILI;
    QString stNMMUNICIPIOFILI;
    QString stCDINSCMUNIFILI;
    QString stCDPRODCOUVER;              // cover-charge product, never listed in the bill
    QString stCDPRODCONSUM;              // consumption product, never listed in the bill
    QString stCDEMPRESA;
    QString stIDIMPCOMPCUPVEN;
    QString stIDUTCONFCADCONS;
    QString stNRCONFTELA;                // number of the screen's button configuration
    QString stDSMODELOECFVE;
    QString stDSMARCAECFVE;
    QString stIDSOLCONICNFIS;
    QString stIDSOLDIGOBSDC;
    QString stIDPERCADCONSFCXA;
    QString stIDSOLDIGCONS;
    QString stIDPARIMPRLIMVDC;
    QString stQTMAXPERVNDPROD;           // maximum quantity of one product per sale
    QString stIDIMPCOMPVCP;
    QString stIDSOLOBSCANCUP;
    QString stIDSOLOBSPED;               // "S": ask for observations of the item
    QString stNRSEQIMPRLOJA2;            // sequence of the store printers 2, 1 and 5 (failover map)
    QString stNRSEQIMPRLOJA1;
    QString stNRSEQIMPRLOJA5;
    QString stNRDIAFECHAFOLHA;           // payroll closing day, two digits
    QString stIDEXCONSATFIL;
    QString stIDEXCONSATGER;
    QString stIDEXIBTICCUP;
    QString stCDINSJUREMPR;
    QString stCDESTADOIBGE;
    QString stIDAMBTRABNFCE;
    QString stNRCERTDIGNFCE;
    QString stIDIMPPEDPROD;
    QString stIDTIPOIMPNF3;              // model of non-fiscal printer 3 (drawer and card receipts)
    QString stCDPORTIMPNF3;
    QString stIDTPVENDIMPNF3;
    QString stIDENVIAPEDKDS;
    QString stIDSENHACUP;                // order password settings handed to the password generator
    QString stIDOBRIGFECHCAIX;           // "S": the desk must be closed before a new day
    QString stIDINFOCPFPINPAD;
    // Card terminal (TEF) address, store, terminal, kind, port, state
    QString stDSENDIPSITEF;
    QString stCDLOJATEF;
    QString stCDTERTEF;
    QString stIDTPTEF;
    QString stCDPORTATEF;
    QString stCDESTTEF;
    QString stIDTIPCOBRA;
    QString stNRINSJURFILI;
    QString stIDUTILSATCOMP;
    QString stIDMOMENTOCPFVEN;           // moment the buyer's CPF is asked ("A": at the start)
    QString stIDVERGAVETANFIS;
    QString stIDINFNOMEEND;
    QString stNRCNPJLOJA;
    QString stNRCNPJTEFHOUSE;
    QString stIDSOLOBSFINVEN;
    QString stIDFECHACUPOM;
    QString stIDIMPRVIACONSTEF;
    QString stIDCTRLPEDVIAGEM;           // "S": take-away control
    QString stIDEXTCONSONLINE;           // "S": credit figures from the online statement service
    QString stCDURLWSEXTCONS;            // address of the online statement service
    QString stIDIMPRTEF;
    QString stIDPEREDTCONSFCXA;
    QString stHRTEMPOROD;                // all-you-can-eat time limit, "hhmm"
    QString stIDCONSUBDESFOL;
    QString stIDPREVDSALDO;              // "S": balance check before the sale
    QString stIDINTRESGSALDO;
    QString stIDUTILFID4ALL;
    QString stCDURLWSFID4ALL;
    // "S": electronic invoicing integration (no numbering here)
    QString stIDUTLINTFACELE;
    QString stIDENVCUPOMEMAIL;
    QString stNRMAXSENHAPED;
    QString stIDSALDEXTDEBCON;           // "S": basic/extra balance scheme of the debit account
    QString stIDUTILFIDUDS;
    QString stCDURLWSFIDUDS;
    QString stIDUTILINTEPROMO;
    QString stCDURLINTEPROMO;
    QString stIDDEBCONSCENTRAL;          // "S": debit figures from the central base
    QString stIDEXTCONSCENTRAL;          // "S": credit statement from the central base
    QString stCDURLFIDONLINE;
    QString stCDPRODCMDAUTO;             // product of the automatic tab sale
    QString stIDUTLNFSVENCONS;           // "S": services invoice, a consumer is required
    QString stIDIMPCUPMEI;
    // Card terminal TLS token, communication, proxy kind and address
    QString stCDTOKENTLS;
    QString stCDTPCOMUNTLS;
    QString stCDTPPROXYTLS;
    QString stCDENPROXYTLS;
    QString stIDUTILINTVALPRE;
    QString stCDURLINTVALPRE;
    QString stNRSEGREQVALPRE;
    QString stNMRAZSOCEMPR;
    QString stIDUTICOREBANC;
    QString stCDURLCOREBANC;
    QString stNRTEMPOCOREBANC;
    QString stIDUTILINTVIMO;
    QString stCDURLINTVIMO;
    QString stIDUTILFIXECRM;
    QString stCDURLFIXECRM;
    QString stIDADESAOREFTRIB;
};

#pragma once

#include <vendacons_export.h>

#include "pkg_hrk00001_fiscal.h"

#include <functional>

// The host's peripheral package: fiscal printer, SAT device, card terminal and PinPad, scale,
// drawer through the printer and the customer pole display, as a table of procedure
// variables. The stand-in host fills it at start (`hostDevices()` or a `ScopedTable`); tests
// replace it with recording fakes. A default-constructed table answers every device "failed"
// with "serviço não instalado: <routine>" and logs the call.

#define PKG_HRK00001_ROUTINES(X) \
    X(DataMoviFiscal) X(BuscaPeso) X(Abre_Gaveta_Imp) X(AbreCupom) X(VendaItem) \
    X(VerificaSerialImp) X(VerificaData) X(Estado_Gaveta_Imp) X(LimpaDisplay) \
    X(DisplayEnviaTexto) X(FinalizaTransTef) X(ImprimeCupomTef) X(FechaCupom) \
    X(ImpressaoVenda) X(Atu_TotGeral) X(Cancela_Cupom_Imp) X(CancelarVenda) X(EmitirVenda) \
    X(CriaDedicado) X(DigitaCpfPinpad) X(Comp_DebitoCons) X(Imp_CompVenCred) \
    X(Compr_CredPessoal) X(Nr_Cupom) X(ImprCupons)

struct VENDACONS_EXPORT Pkg_Hrk00001
{
    Pkg_Hrk00001(); // every member holds its default

    // Fiscal printer
    std::function<DateAnswer(const SchemeRequest &)> DataMoviFiscal;
    std::function<CouponOpenAnswer(const CouponOpenRequest &)> AbreCupom;
    std::function<ItemSaleAnswer(const ItemSaleRequest &)> VendaItem;
    std::function<HostResult(const SerialCheckRequest &)> VerificaSerialImp;
    std::function<DateCheckAnswer(const DateCheckRequest &)> VerificaData;
    std::function<FiscalCloseAnswer(const FiscalCloseRequest &)> FechaCupom;
    std::function<TextAnswer(const SalePrintRequest &, SalePrintDatasets &)> ImpressaoVenda;
    std::function<HostResult(const GrandTotalRequest &)> Atu_TotGeral;
    std::function<CouponCancelAnswer(const CouponCancelRequest &)> Cancela_Cupom_Imp;
    std::function<HostResult(const DebitVoucherRequest &)> Comp_DebitoCons;
    std::function<HostResult(const CreditVoucherRequest &)> Imp_CompVenCred;
    std::function<CreditPurchaseFiscalAnswer(const CreditPurchaseFiscalRequest &,
                                             ClientDataSet &payments)>
        Compr_CredPessoal;
    std::function<TextAnswer(const ReceiptNumberRequest &)> Nr_Cupom;

    // Drawer, scale, pole display
    std::function<HostResult(const FiscalDrawerRequest &)> Abre_Gaveta_Imp;
    std::function<DrawerStateAnswer(const SchemeRequest &)> Estado_Gaveta_Imp;
    std::function<ScaleAnswer(const ScaleRequest &)> BuscaPeso;
    std::function<HostResult()> LimpaDisplay;
    std::function<HostResult(const DisplayTextRequest &)> DisplayEnviaTexto;

    // SAT device
    std::function<SatAnswer(const SatCancelRequest &)> CancelarVenda;
    std::function<SatAnswer(const SatEmitRequest &)> EmitirVenda;

    // Card terminal and PinPad
    std::function<HostResult(const TefFinishRequest &)> FinalizaTransTef;
    std::function<HostResult(const TefReceiptRequest &, ClientDataSet &cdsUltTef)> ImprimeCupomTef;
    std::function<HostResult(const CardReceiptLinesRequest &)> ImprCupons;
    std::function<DedicatedTefAnswer(const DedicatedTefRequest &)> CriaDedicado;
    std::function<PinpadCpfAnswer(const PinpadCpfRequest &)> DigitaCpfPinpad;

    void fillMissing();
    static QStringList routineNames();
    static Pkg_Hrk00001 &current();
};

// The table the sale screen calls for its devices; the stand-in host fills it at start.
inline Pkg_Hrk00001 &hostDevices()
{
    return Pkg_Hrk00001::current();
}

using ScopedHostDevices = ScopedTable<Pkg_Hrk00001>;

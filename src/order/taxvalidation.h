#pragma once

#include "itemargs.h"

#include <runtime/clientdataset.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

#include <functional>

class SaleContext;

// The product tax validation: before a line is added, the product's tax data must be complete
// for every fiscal document the till issues. The checks run in a fixed order; the first that
// fails shows its message (error) and refuses the item.
//
// A printer rate found for the item leaves cdsAliqImpFis on that rate's row, which the fiscal
// printer road reads. For printer model 26 the filter of cdsAliquota on the product stays on.
class TaxValidation
{
public:
    explicit TaxValidation(SaleContext &context);
    TaxValidation(const TaxValidation &) = delete;
    TaxValidation &operator=(const TaxValidation &) = delete;

    // The item's rate code and value when the product may be sold; `accepted` false when refused
    // (the message has been shown).
    ItemTax Valida(const QString &CDPRODUTO);

    // The answers of the last run, as the checks read them.
    const ClientDataSet &validProdNFCe() const { return m_cdsValidProdNFCe; }
    const ClientDataSet &regraFisPdv() const { return m_cdsRegraFisPdv; }

private:
    bool passes(const QString &CDPRODUTO, ItemTax &rate);
    bool checkTaxRate(const QString &CDPRODUTO, ItemTax &rate);
    bool checkElectronicReceipt(const QString &CDPRODUTO);
    bool checkTaxReform(const QString &CDPRODUTO);
    bool checkFiscalClosing(const QString &CDPRODUTO);
    bool locatePrinterRate(const ClientDataSet &aliquota);
    void loadValidProdNFCe(const QString &CDPRODUTO);
    bool refuse(const QString &key);

    SaleContext &m_context;
    ClientDataSet m_cdsValidProdNFCe{QStringLiteral("cdsValidProdNFCe")};
    ClientDataSet m_cdsRegraFisPdv{QStringLiteral("cdsRegraFisPdv")};
};

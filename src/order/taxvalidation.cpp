#include "taxvalidation.h"

#include "orderentry.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>
#include <server/srv_counters.h>
#include <server/srv_lookups_products.h>

#include <initializer_list>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

// A field that must hold a value, and the message that refuses the item when it does not.
struct Required
{
    const char *field;
    const char *key;
};

const Required electronicReceipt[] = {
    {"CDCLASFISC", "NCM_NCAD"},         {"CDCFOPPFIS", "CFOP_NCAD"},
    {"CDCSTICMS", "CSTICMS_NCAD"},      {"CDCSTPISCOF", "CSTPC_NCAD"},
    {"VRALIQPIS", "ALIQPIS_NCAD"},      {"VRALIQCOFINS", "ALIQCOF_NCAD"},
};

const Required fiscalClosing[] = {
    {"CDCLASFISC", "NCM_NCAD_FC"},      {"CDCFOPPFIS", "CFOP_NCAD_FC"},
    {"CDCSTICMS", "CSTICMS_NCAD_FC"},   {"CDCSTPISCOF", "CSTPC_NCAD_FC"},
    {"VRALIQPIS", "ALIQPIS_NCAD_FC"},   {"VRALIQCOFINS", "ALIQCOF_NCAD_FC"},
};

const Required taxReform[] = {
    {"CDCSTIBSCBS", "CSTIBSCBS_NCAD"},   {"CDCLATRIBIBSCBS", "CLATRIBIBSCBS_NCAD"},
    {"VRALIQIBSUF", "ALIQIBSUF_NCAD"},   {"VRALIQIBSMUN", "ALIQIBSMUN_NCAD"},
    {"VRALIQCBS", "ALIQCBS_NCAD"},
};

// Empty or blank counts as missing.
bool missing(const ClientDataSet &data, const char *field)
{
    return data.FieldByName(QString::fromLatin1(field)).AsString().trimmed().isEmpty();
}

QString text(const ClientDataSet &data, const char *field)
{
    return data.FieldByName(QString::fromLatin1(field)).AsString();
}

bool oneOf(const QString &value, std::initializer_list<const char *> codes)
{
    for (const char *code : codes) {
        if (value == QLatin1String(code))
            return true;
    }
    return false;
}

// A product rate and a printer rate are the same when their numbers are (texts and numbers of
// the cadastre files may differ in form: "18", "18,00", 18.0), else when their texts are.
bool sameRate(const Variant &a, const Variant &b)
{
    bool aNumber = false, bNumber = false;
    const double x = a.toDouble(&aNumber);
    const double y = b.toDouble(&bNumber);
    if (aNumber && bNumber)
        return qAbs(x - y) < 1e-9;
    return a.toString().trimmed().compare(b.toString().trimmed(), Qt::CaseInsensitive) == 0;
}

// Loads a server answer through the result checker; a failure (already reported) or an answer
// that is no packet leaves the dataset empty, so the checks refuse as for a missing row.
void load(const SaleContext &sale, ClientDataSet &dataset, const Variant &answer, const QString &method,
          const QString &context)
{
    const Variant value = sale.checkedValue(answer, method, context);
    dataset.Close();
    if (!value.isPacket() || !dataset.SetData(value.packet()))
        dataset.Close();
}

} // namespace

TaxValidation::TaxValidation(SaleContext &context) : m_context(context)
{
}

ItemTax TaxValidation::Valida(const QString &CDPRODUTO)
{
    ItemTax rate;
    rate.accepted = passes(CDPRODUTO, rate);
    if (!rate.accepted)
        rate = ItemTax{false, {}, {}};
    return rate;
}

bool TaxValidation::passes(const QString &CDPRODUTO, ItemTax &rate)
{
    const Parameters &p = m_context.state().params;
    if (!checkTaxRate(CDPRODUTO, rate))
        return false;
    const bool electronic = isNo(p.stIDUTLINTFACELE) && !isYes(p.stIDUTLNFSVENCONS)
                            && (p.boSISTEMAQUBNFCE || p.boSISTEMAQUBSAT);
    if (electronic) {
        if (!checkElectronicReceipt(CDPRODUTO))
            return false;
        if (isYes(p.stIDADESAOREFTRIB) && p.boSISTEMAQUBNFCE && !checkTaxReform(CDPRODUTO))
            return false;
    }
    if (p.boUTILIZAIMPFIS && isYes(p.stIDFECHACUPOM))
        return checkFiscalClosing(CDPRODUTO);
    return true;
}

bool TaxValidation::refuse(const QString &key)
{
    m_context.message(m_context.Msg(key), Ravuvozozod::Error);
    return false;
}

// The tax row: exactly one for the product, and with an item-by-item printer the same rate
// loaded in the printer.
bool TaxValidation::checkTaxRate(const QString &CDPRODUTO, ItemTax &rate)
{
    const Parameters &p = m_context.state().params;
    ClientDataSet &aliquota = m_context.data().cdsAliquota;
    // The rate copy holds every product of the till: count and find by its key index.
    const int count = aliquota.Active() ? aliquota.KeyCount(QStringLiteral("CDPRODUTO"), CDPRODUTO) : 0;
    if (count != 1)
        return refuse(QString::fromLatin1(count > 1 ? "IMPOSTO_ERR" : "IMPOS_NCAD"));
    aliquota.Locate(QStringLiteral("CDPRODUTO"), CDPRODUTO);
    const int model = p.inIDTIPOIMPFIS;
    if (p.boUTILIZAIMPFIS && model == PrinterModel::BuyerAtOpening26) {
        rate.VRALIQIMPR = text(aliquota, "VRPEALIMPFIS");
        return true;
    }
    const bool itemByItem = p.boUTILIZAIMPFIS && PrinterModel::sellsItemByItem(model)
                            && p.stIDCOLETOR != QLatin1String("C");
    const bool found = itemByItem && locatePrinterRate(aliquota);
    if (!itemByItem)
        return true;
    if (!found)
        return refuse(QStringLiteral("ALIQ_NCAD"));
    const ClientDataSet &printer = m_context.data().cdsAliqImpFis;
    rate.CDORDALIQIMPR = text(printer, "CDALIQIMPFIS");
    rate.VRALIQIMPR = text(printer, "VRALIQIMPFIS");
    return true;
}

// Leaves cdsAliqImpFis on the printer rate of the product's rate and tax kind (kind without
// regard to case); the cursor stays where it was when there is none.
bool TaxValidation::locatePrinterRate(const ClientDataSet &aliquota)
{
    ClientDataSet &printer = m_context.data().cdsAliqImpFis;
    if (!printer.Active())
        return false;
    const Variant productRate = aliquota.FieldByName(QStringLiteral("VRPEALIMPFIS")).Value();
    const QString productKind = text(aliquota, "IDTPIMPOSFIS");
    const Bookmark start = printer.GetBookmark();
    for (printer.First(); !printer.Eof(); printer.Next()) {
        if (sameRate(printer.FieldByName(QStringLiteral("VRALIQIMPFIS")).Value(), productRate)
            && text(printer, "IDALIQIMPFIS").compare(productKind, Qt::CaseInsensitive) == 0)
            return true;
    }
    if (!start.isNull())
        printer.GotoBookmark(start);
    return false;
}

void TaxValidation::loadValidProdNFCe(const QString &CDPRODUTO)
{
    const Parameters &p = m_context.state().params;
    m_context.screen().ControleAcessoBotoes();
    load(m_context, m_cdsValidProdNFCe, m_context.server().lookupsProducts.getValidProdNFCe(p.stCDFILIAL, CDPRODUTO),
         QStringLiteral("getValidaProdNFCe"), p.stCDFILIAL + QLatin1Char('-') + CDPRODUTO);
}

// The electronic receipt data: what the NFC-e and SAT receipts need, with the code lists of the
// branch's regime.
bool TaxValidation::checkElectronicReceipt(const QString &CDPRODUTO)
{
    loadValidProdNFCe(CDPRODUTO);
    const ClientDataSet &data = m_cdsValidProdNFCe;
    if (data.IsEmpty())
        return refuse(QStringLiteral("IMPOS_NCAD"));
    const bool substituted = isYes(text(data, "IDTPIMPOSFIS"));
    for (const Required &required : electronicReceipt) {
        const bool icms = QLatin1String(required.field) == QLatin1String("CDCSTICMS");
        if ((!icms || !substituted) && missing(data, required.field))
            return refuse(QString::fromLatin1(required.key));
    }
    if (substituted)
        return true;
    const QString regime = text(data, "CDSITUCRT");
    const QString cst = text(data, "CDCSTICMS");
    if (regime == QLatin1String("1") && !oneOf(cst, {"102", "103", "300", "400", "500", "900"}))
        return refuse(QStringLiteral("CSOSN_INV"));
    if (oneOf(regime, {"2", "3"}) && !oneOf(cst, {"00", "20", "40", "41", "60", "90"}))
        return refuse(QStringLiteral("CSTICMS_INV"));
    return true;
}

// The tax reform: the product's IBS/CBS rule.
bool TaxValidation::checkTaxReform(const QString &CDPRODUTO)
{
    load(m_context, m_cdsRegraFisPdv, m_context.server().lookupsProducts.getRegraFisPdv(CDPRODUTO), QStringLiteral("getRegraFisPdv"),
         CDPRODUTO);
    if (m_cdsRegraFisPdv.IsEmpty())
        return refuse(QStringLiteral("REGRAFISPDV_NCAD"));
    for (const Required &required : taxReform) {
        if (missing(m_cdsRegraFisPdv, required.field))
            return refuse(QString::fromLatin1(required.key));
    }
    return true;
}

// The fiscal closing: what the branch's closing routine needs; the ICMS code whatever the tax
// kind.
bool TaxValidation::checkFiscalClosing(const QString &CDPRODUTO)
{
    loadValidProdNFCe(CDPRODUTO);
    if (m_cdsValidProdNFCe.IsEmpty())
        return refuse(QStringLiteral("IMPOS_NCAD"));
    for (const Required &required : fiscalClosing) {
        if (missing(m_cdsValidProdNFCe, required.field))
            return refuse(QString::fromLatin1(required.key));
    }
    return true;
}

ItemTax OrderEntry::ValidaImpostoProduto(const QString &CDPRODUTO)
{
    return TaxValidation(m_context).Valida(CDPRODUTO);
}

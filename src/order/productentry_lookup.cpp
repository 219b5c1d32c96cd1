// Resolution of a typed or scanned code into a product of the local product copy, and the one
// loader of a product row.
#include "orderentry.h"

#include "codeparsing.h"
#include "productentry_index.h"
#include "productlookup_p.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <sale/codes.h>
#include <sale/serverseams.h>

ProductRow loadProductRow(const ClientDataSet &row)
{
    auto text = [&row](const char *column) { return row.FindField(QString::fromLatin1(column)).AsString(); };
    ProductRow product;
    product.CDPRODUTO = text("CDPRODUTO");
    product.NMPRODUTO = text("NMPRODUTO");
    product.CDARVPROD = text("CDARVPROD");
    product.CDFAMILISALD = text("CDFAMILISALD");
    product.IDPESAPROD = text("IDPESAPROD");
    product.SGUNIDADE = text("SGUNIDADE");
    product.QTTARAPROD = text("QTTARAPROD");
    if (product.QTTARAPROD.isEmpty())
        product.QTTARAPROD = QStringLiteral("0");
    product.IDIMPPRODUTO = text("IDIMPPRODUTO");
    product.IDTIPOCOMPPROD = text("IDTIPOCOMPPROD");
    product.DTFINVGPROMOC = text("DTFINVGPROMOC");
    product.DTINIVGPROMOC = text("DTINIVGPROMOC");
    return product;
}

ProductCodeIndex &OrderEntry::productIndex()
{
    if (!m_productIndex) {
        m_productIndex = std::make_shared<ProductCodeIndex>(
            QStringList{QStringLiteral("CDPRODUTO"), QStringLiteral("CDBARPRODUTO"),
                        QStringLiteral("CDARVPROD"), QStringLiteral("CDPRODINTE"),
                        QStringLiteral("CDPROTECLADO")});
    }
    return *m_productIndex;
}

bool OrderEntry::ValidaProduto_Codigo(QString &ProductCode, QString &ProductName, QString &TreeCode,
                                      QString &Family, QString &Weighable, QString &Unit, QString &Tare,
                                      QString &PrintKind, QString &CompositionKind, QString &PromoEnd,
                                      QString &PromoStart, const QString &Code, bool &FromScaleLabel)
{
    FromScaleLabel = false;
    ProductRow product;
    if (!ProductLookup(m_context, productIndex()).find(Code, product))
        return false;
    ProductCode = product.CDPRODUTO;
    ProductName = product.NMPRODUTO;
    TreeCode = product.CDARVPROD;
    Family = product.CDFAMILISALD;
    Weighable = product.IDPESAPROD;
    Unit = product.SGUNIDADE;
    Tare = product.QTTARAPROD;
    PrintKind = product.IDIMPPRODUTO;
    CompositionKind = product.IDTIPOCOMPPROD;
    PromoEnd = product.DTFINVGPROMOC;
    PromoStart = product.DTINIVGPROMOC;
    FromScaleLabel = product.fromScaleLabel;
    return true;
}

ProductLookup::ProductLookup(SaleContext &context, ProductCodeIndex &index)
    : m_context(context), m_index(index), m_products(context.data().cdsProdutos)
{
}

bool ProductLookup::find(const QString &Code, ProductRow &product)
{
    if (!m_products.Active() || m_products.IsEmpty())
        return refuse("TAB_VAZIA_PROD");
    bool fromScaleLabel = false;
    if (!locateCode(Code)) {
        fromScaleLabel = isYes(m_context.state().params.stIDLCDBARBALATOL) && locateScaleLabel(Code);
        if (!fromScaleLabel)
            return refuse("Prod_NCad");
    }
    product = loadProductRow(m_products);
    product.fromScaleLabel = fromScaleLabel;
    return true;
}

// The text of a server answer, through the checker that reports nothing: a failure's text
// then simply matches no product.
QString ProductLookup::answerText(const Variant &result, const QString &method, const QString &context) const
{
    Variant value;
    m_context.checkAnswer(result, method, context, value, SaleContext::Failure::Quiet);
    return value.isFailure() ? value.failureText() : value.toString();
}

QString ProductLookup::shortcutProduct(const QString &code) const
{
    const Parameters &params = m_context.state().params;
    return answerText(m_context.server().lookupsProducts.getCodigoAtalho(params.stCDFILIAL, params.stNRCONFTELA, code),
                      QStringLiteral("GetCodigoAtalho"), code);
}

QString ProductLookup::barcodeProduct(const QString &code) const
{
    return answerText(m_context.server().lookupsProducts.getCodigoBarra(code), QStringLiteral("GetCodigoBarra"), code);
}

bool ProductLookup::locate(const char *column, const QString &value)
{
    return m_index.locate(m_products, QString::fromLatin1(column), value);
}

// Both server calls are always made, as the lookup order needs both answers.
bool ProductLookup::locateCode(const QString &Code)
{
    const QString shortcut = shortcutProduct(Code);
    const QString barcode = barcodeProduct(Code);
    return locate("CDPRODUTO", shortcut) || locate("CDBARPRODUTO", Code) || locate("CDPRODUTO", barcode)
           || locate("CDARVPROD", Code) || locate("CDPRODUTO", Code) || locate("CDPRODINTE", Code)
           || locate("CDPROTECLADO", Code);
}

// The product part of a scale label, at the positions the parameters give.
bool ProductLookup::locateScaleLabel(const QString &Code)
{
    SaleState &state = m_context.state();
    const QString part =
        CodeParsing::cutPositions(Code, state.params.stNRPOSINICODBARR, state.params.stNRPOSFINCODBARR);
    state.road.stProdutoAux1 = part;
    QString labelProduct = shortcutProduct(part);
    if (labelProduct.isEmpty())
        labelProduct = barcodeProduct(part);
    return locate("CDPROTECLADO", part) || locate("CDBARPRODUTO", part) || locate("CDPRODUTO", labelProduct);
}

bool ProductLookup::refuse(const char *key)
{
    m_context.message(m_context.Msg(QString::fromLatin1(key)), 3);
    return false;
}

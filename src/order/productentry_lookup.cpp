// Resolution of a typed or scanned code into a product of the local product copy.
#include "orderentry.h"

#include "codeparsing.h"
#include "productentry_index.h"
#include "productentry_server.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>
#include <sale/codes.h>

namespace {

const QString Unit = QStringLiteral("Cli_Kal51000");

// The text of a server answer, through the checker that reports nothing: a failure's text
// then simply matches no product.
QString answerText(const Variant &result, const QString &method, const QString &context,
                   const QString &scheme)
{
    Variant value;
    Ravuvozozod::MensagemMetodo(result, false, 0, method, Unit, context, scheme, value);
    return value.isFailure() ? value.failureText() : value.toString();
}

} // namespace

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
                                      QString &Family, QString &Weighable, QString &Unit_,
                                      QString &Tare, QString &PrintKind, QString &CompositionKind,
                                      QString &PromoEnd, QString &PromoStart, const QString &Code,
                                      bool &FromScaleLabel)
{
    FromScaleLabel = false;
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    ClientDataSet &products = m_context.data().cdsProdutos;
    if (!products.Active() || products.IsEmpty()) {
        m_context.message(m_context.Msg(QStringLiteral("TAB_VAZIA_PROD")), 3);
        return false;
    }
    EntryServer &server = entryServer();
    auto shortcut = [&](const QString &code) {
        return answerText(server.getCodigoAtalho(params.stCDFILIAL, params.stNRCONFTELA, code),
                          QStringLiteral("GetCodigoAtalho"), code, params.stIDESQUEMA);
    };
    auto barcode = [&](const QString &code) {
        return answerText(server.getCodigoBarra(code), QStringLiteral("GetCodigoBarra"), code,
                          params.stIDESQUEMA);
    };
    ProductCodeIndex &index = productIndex();
    auto find = [&](const char *column, const QString &value) {
        return index.locate(products, QString::fromLatin1(column), value);
    };

    // Both server calls are always made, as the lookup order needs both answers.
    const QString shortcutProduct = shortcut(Code);
    const QString barcodeProduct = barcode(Code);
    bool found = find("CDPRODUTO", shortcutProduct) || find("CDBARPRODUTO", Code)
                 || find("CDPRODUTO", barcodeProduct) || find("CDARVPROD", Code)
                 || find("CDPRODUTO", Code) || find("CDPRODINTE", Code)
                 || find("CDPROTECLADO", Code);
    if (!found && isYes(params.stIDLCDBARBALATOL)) {
        const QString part = CodeParsing::cutPositions(Code, params.stNRPOSINICODBARR,
                                                       params.stNRPOSFINCODBARR);
        state.road.stProdutoAux1 = part;
        QString labelProduct = shortcut(part);
        if (labelProduct.isEmpty())
            labelProduct = barcode(part);
        found = find("CDPROTECLADO", part) || find("CDBARPRODUTO", part)
                || find("CDPRODUTO", labelProduct);
        FromScaleLabel = found;
    }
    if (!found) {
        m_context.message(m_context.Msg(QStringLiteral("Prod_NCad")), 3);
        return false;
    }
    auto text = [&](const char *column) {
        return products.FindField(QString::fromLatin1(column)).AsString();
    };
    ProductCode = text("CDPRODUTO");
    ProductName = text("NMPRODUTO");
    TreeCode = text("CDARVPROD");
    Family = text("CDFAMILISALD");
    Weighable = text("IDPESAPROD");
    Unit_ = text("SGUNIDADE");
    Tare = text("QTTARAPROD");
    if (Tare.isEmpty())
        Tare = QStringLiteral("0");
    PrintKind = text("IDIMPPRODUTO");
    CompositionKind = text("IDTIPOCOMPPROD");
    PromoEnd = text("DTFINVGPROMOC");
    PromoStart = text("DTINIVGPROMOC");
    return true;
}

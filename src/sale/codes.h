#pragma once

#include <QLatin1StringView>
#include <QString>

// The codes the parameter file, the cadastres and the host's calls use, by name.

// A yes/no flag: "S" is yes and "N" is no. Anything else (an empty field) is neither, so a
// test for "not yes" and a test for "no" stay different questions.
inline bool isYes(const QString &flag)
{
    return flag == QLatin1StringView("S");
}

inline bool isNo(const QString &flag)
{
    return flag == QLatin1StringView("N");
}

inline QString yesNo(bool value)
{
    return value ? QStringLiteral("S") : QStringLiteral("N");
}

// How the host called the sale screen (`stModoVenda`).
namespace SaleMode {
inline constexpr QLatin1StringView Counter{"B"};
inline constexpr QLatin1StringView Table{"M"};
inline constexpr QLatin1StringView Tab{"C"};
inline constexpr QLatin1StringView Delivery{"D"};
} // namespace SaleMode

// Fiscal printer models (`inIDTIPOIMPFIS`) whose roads differ from the item-by-item printer.
namespace PrinterModel {
// The receipt is issued whole at the close: the sale opens as on a desk without a printer.
inline constexpr int ReceiptAtClose16 = 16;
inline constexpr int ReceiptAtClose30 = 30;
// Items are not sold on the printer one by one.
inline constexpr int NoItemSale21 = 21;
// The printer asks the buyer's data when the receipt opens.
inline constexpr int BuyerAtOpening26 = 26;

inline bool receiptAtClose(int model)
{
    return model == ReceiptAtClose16 || model == ReceiptAtClose30;
}

// Whether items are sold on the printer as they are registered.
inline bool sellsItemByItem(int model)
{
    return !receiptAtClose(model) && model != NoItemSale21;
}
} // namespace PrinterModel

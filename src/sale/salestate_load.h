#pragma once

#include <vendacons_export.h>

#include "salestate.h"

#include <runtime/datapacket.h>

#include <QList>
#include <QStringList>

#include <variant>

// How a column's value becomes its member.
enum class ParameterConversion {
    Plain,   // by the member's type: text, "S"/"N" to Boolean, numbers from text, date-time
    TaaFlag, // 1 when the text is "TAA", else 0
};

// One column of a parameter row and the member that keeps its copy.
struct ParameterColumn
{
    using Target = std::variant<QString Parameters::*, bool Parameters::*, int Parameters::*,
                                double Parameters::*, QDateTime Parameters::*,
                                int OperatorRights::*, QString StartupResults::*>;

    const char *column;
    Target member;
    ParameterConversion conversion = ParameterConversion::Plain;
};

// What a load could not do. A missing column or a value that does not convert leaves its
// member as it was; the caller decides whether that stops start-up.
struct ParameterLoadReport
{
    bool rowFound = false;      // false: the packet has no such row and nothing was changed
    QStringList missingColumns;
    QStringList invalidValues;  // "COLUMN=value"

    bool complete() const
    {
        return rowFound && missingColumns.isEmpty() && invalidValues.isEmpty();
    }
};

// The columns of the parameter file (PARAMETROSQUB.CDS) and their members, in file order.
const QList<ParameterColumn> &parameterColumns();
// The columns of the branch's CRM bonus row (server's getDadosCRMBONUS).
const QList<ParameterColumn> &crmBonusColumns();

// Copies row `row` of the parameter file's packet into the parameter copies and the access
// codes. Columns are found without regard to case; unknown columns are ignored; a null value
// clears its member (empty, 0, False). Afterwards IDSOLICTELGER "S" overrides IDSOLICITATEL.
// Exported for the host tests, which load the demo site's file as the start-up does.
VENDACONS_EXPORT ParameterLoadReport loadParameters(SaleState &state, const DataPacket &packet, int row = 0);
// Copies the CRM bonus settings into stCancCupomAux4..7.
ParameterLoadReport loadCrmBonusSettings(SaleState &state, const DataPacket &packet, int row = 0);

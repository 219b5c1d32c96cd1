// The order operation: filled in by the order sending road.
#include "orderentry.h"

void OrderEntry::VendeProduto(const QString &, const QString &, const QString &)
{
}

#include "qub_movrela.h"

#include <runtime/money.h>

namespace Qub_movrela {

double Trunc2(double value)
{
    return Money::Trunc2(value);
}

void ParamRecord::set(const QString &key, const Variant &value)
{
    for (auto &entry : values) {
        if (entry.first.compare(key, Qt::CaseInsensitive) == 0) {
            entry.second = value;
            return;
        }
    }
    values.append({key, value});
}

bool ParamRecord::contains(const QString &key) const
{
    for (const auto &entry : values) {
        if (entry.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Variant ParamRecord::value(const QString &key) const
{
    for (const auto &entry : values) {
        if (entry.first.compare(key, Qt::CaseInsensitive) == 0)
            return entry.second;
    }
    return Variant();
}

Variant RecebeParams(const ParamRecord &record, const QString &key)
{
    return record.value(key);
}

PrinterControls PropriedadesImpNF(const QString & /*model*/)
{
    return PrinterControls();
}

} // namespace Qub_movrela

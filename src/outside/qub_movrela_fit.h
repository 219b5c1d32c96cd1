#pragma once

#include <runtime/variant.h>

#include <QString>

namespace Qub_movrela {

// What a parameter's value is written as: the layer that owns the schema rounds a number
// bound to a declared column to that column's decimals (money to the cent), so every kind of
// base keeps the same figure. Set once at start for every session; none: values go as given.
using ValueFitter = Variant (*)(const QString &parameter, const Variant &value);
void setValueFitter(ValueFitter fitter);

} // namespace Qub_movrela

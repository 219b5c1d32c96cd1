#pragma once

#include "datapacket.h"
#include "variant.h"

#include <QString>

// Value rules shared by the dataset's fields, searches, indexes and packets.
namespace DataSetValues {

// Converts a value to what a field of `def` stores: null for a null, empty or blank-text value;
// texts cut to the field size in characters (a fixed field is then blank-padded to it);
// numbers, Booleans and dates in their own kind. `ok` is false when it does not convert.
Variant coerce(const FieldDef &def, const Variant &value, bool *ok);

// Cuts a text to `size` characters (code points: an accented letter or a surrogate pair
// counts as one); a size of 0 means no limit.
QString cutText(const QString &text, int size);

// Orders two stored values of a field of `type`; a null sorts first.
int compare(FieldType type, const Variant &a, const Variant &b, bool caseInsensitive);

bool isText(FieldType type);

// The text a stored text value is compared by (a fixed field without its padding).
QString keyText(FieldType type, const Variant &value);

// A locate key against a stored value; both already coerced to the field's type.
bool matches(FieldType type, const Variant &stored, const Variant &key, bool caseInsensitive,
             bool partial);

} // namespace DataSetValues

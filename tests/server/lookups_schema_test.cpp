#include <server/schema.h>
#include <server/statement.h>

#include <gtest/gtest.h>

namespace {

// The lookup tables are registered beside other areas' tables of the same name; the merged
// schema must stay consistent, and every statement name must be unique.
TEST(LookupsSchema, MergesWithoutConflicts)
{
    EXPECT_EQ(Schema::problems().join("\n").toStdString(), "");
}

TEST(LookupsSchema, StatementNamesAreUnique)
{
    EXPECT_EQ(StatementCatalogue::duplicateNames().join(", ").toStdString(), "");
}

} // namespace

#pragma once

// The tables and columns that the host's own packages read (price tables, ticket average,
// fiscal codes). They are declared in the package's schema registry, so the data module's
// first connect creates them with everything else; a column that another area declares as
// well is declared here exactly as there.
namespace HostSchema {

// Registers the host's area once; call it before the data module first connects.
void registerTables();

} // namespace HostSchema

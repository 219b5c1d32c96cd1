#pragma once

// The sale form's start-up asks the server layer through a table (startupServer()) that the
// package wires to its server functions. Until a function is wired, its member answers
// "função do servidor não instalada"; start-up then stops. So that the stand-in host runs on
// a package where some are not wired yet, each member is wrapped: the package's answer is
// used whenever it is anything else, and only that "not installed" answer is replaced by the
// neutral answer of a site without the feature (no CRM bonus, no customer display, no QR-code
// sale, no campaign, no backup printers...). Each replacement is logged once.
namespace StartupStandIns {

void install();

} // namespace StartupStandIns

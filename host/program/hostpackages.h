#pragma once

// Puts the host's implementations into the package tables (hostServices(), hostDevices()):
// every routine of both tables, none left to the package's "not installed" default.
namespace HostPackages {

void install();

// The message window for a run without a person (a script or a screenshot): each message is
// logged; a question takes the next scripted yes/no answer, else its default answer.
void installUnattendedMessages();

} // namespace HostPackages

#pragma once

// Puts the host's implementations into the package tables (hostServices(), hostDevices()).
// Routines the host does not implement yet keep the package's defaults: the payment screen,
// the sale save, NFC-e and SAT, non-fiscal printing, consumer and partner services.
namespace HostPackages {

void install();

// The message window for a run without a person (a script or a screenshot): each message is
// logged; a question takes the next scripted yes/no answer, else its default answer.
void installUnattendedMessages();

} // namespace HostPackages

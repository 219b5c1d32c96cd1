#pragma once

#include <outside/pkg_hrk00002.h>

// The host's waiting window (AtivaProcesso / DesativaProcesso): a modeless frameless box with
// the text, over the sale form, until closed. A second close, or a close with none open, does
// nothing; a second open replaces the text.
namespace WaitWindow {

HostResult AtivaProcesso(const WaitWindowRequest &request);
HostResult DesativaProcesso();

// Whether the window is up, and its text (tests, scripts).
bool isOpen();
QString text();

} // namespace WaitWindow

#pragma once

#include <outside/consiste.h>

// The server side's name for the same routines: one implementation, in Consiste.
namespace Srv_consiste {

using Consiste::Ajusta;
using Consiste::AjustaZero;
using Consiste::CGCOk;
using Consiste::CPFOk;
using Consiste::Delay;
using Consiste::EmptyString;
using Consiste::iif;
using Consiste::PadL;
using Consiste::PadR;
using Consiste::PriDiaMes;
using Consiste::RoundDec;
using Consiste::TamFixo;
using Consiste::TamFixoR;
using Consiste::Trunc3;
using Consiste::UltimoDiaMes;

} // namespace Srv_consiste

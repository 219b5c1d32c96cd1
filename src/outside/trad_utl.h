#pragma once

class QWidget;

// The translation hook every form calls once it is built. The package serves sites in other
// languages by rewriting a form's captions here; this site is pt-BR, the language the forms are
// written in, so the texts stay as they are. The call is kept so that the forms keep the shape
// the other languages need.
namespace Trad_utl {

void Trad(QWidget *form);

} // namespace Trad_utl

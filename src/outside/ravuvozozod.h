#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;
struct DataPacket;

// The message window of the utility package and the checker of server results.
//
// Every message goes through one replaceable service (services().showMessage), so that tests
// install a scripted fake (tests/support/fakemessages.h) and the host may put its own window.
// The default is a modal QMessageBox with pt-BR buttons.
namespace Ravuvozozod VENDACONS_EXPORT {

enum MessageKind { Information = 0, Question = 1, Warning = 2, Error = 3 };

// What a message asks of the window, as the callers pass it.
struct MessageRequest
{
    QString text;
    QString detail;        // a second, smaller text; may be empty
    QString defaultAnswer; // "S" or "N": the button focused on a question
    int kind = Information;
    QString scheme;        // the colour scheme of the site; the window may ignore it
    bool question = false; // asks yes or no (see isQuestion)
    const DataPacket *dataset = nullptr; // rows shown under the text; not owned
};

struct Services
{
    // Shows the message and, for a question, answers true for yes. Runs a modal loop.
    std::function<bool(const MessageRequest &)> showMessage;
};

// The process-wide table. Replace a member to take over; resetServices() restores the defaults.
Services &services();
void resetServices();

// A message asks yes or no when its kind is Question or its default answer is "S": callers of
// the sale write questions both ways ("S" with kind 0 or 1).
bool isQuestion(int kind, const QString &defaultAnswer);

// The default window, built but not run: icon and title by kind, the text, the detail as
// informative text, the dataset's rows as detailed text, and "Sim"/"Não" (objects "btnSim",
// "btnNao", the default answer's button focused, Escape is "Não") or one "OK" ("btnOK").
std::unique_ptr<QMessageBox> buildMessageBox(const MessageRequest &request, QWidget *parent = nullptr);

// Shows a message. Kinds: 0 information, 1 question, 2 warning (the open-drawer notice),
// 3 error; an unknown kind shows as information. `flag`, `extra` and `reserved` are taken in the
// callers' order and not used. The answer is true only when a question was answered yes; a
// message that asks nothing answers false.
bool Mensagem(const QString &text, const QString &detail, const QString &flag,
              const QString &defaultAnswer, int kind, const QString &extra, const QString &scheme,
              int reserved, const DataPacket *dataset = nullptr);

// The checker every server call's answer passes through, in both call shapes of the sale:
//  - a failure with `report` set is shown as an error (the failure's text, with the method,
//    unit and context in the detail) and `value` becomes empty, so the caller goes on with "no
//    data" (an empty packet, an empty text, 0, False) rather than with an error text;
//  - a failure without `report` is handed back unchanged in `value` (its text reads as an error
//    text that matches nothing), and nothing is shown;
//  - anything else is handed back unchanged.
// Answers true when the result was usable (not a failure). `reserved` is not used.
bool MensagemMetodo(const Variant &result, bool report, int reserved, const QString &method,
                    const QString &unit, const QString &context, const QString &scheme,
                    Variant &value);

// The footer of a sale screen: the screen code, the program and its version, "ECF" when a
// fiscal printer is in use, and the current date (clock) when `withDate` is "S", joined by
// " | ": "KAL51000 | VendaCons 0.1 | ECF | 05/03/2024".
QString MontaRodapeGeral(bool fiscalPrinterInUse, const QString &screenCode, const QString &withDate);

} // namespace Ravuvozozod

#pragma once

#include <QString>

#include <optional>

// Answers queued for the host's dialogs by a script (or a test), taken in order by the next
// dialog of that kind instead of asking a person. With no person at the screen (unattended:
// a script or a screenshot run) a dialog without a queued answer is cancelled and logged,
// never left waiting.
namespace ScriptedAnswers {

// Combined: the parts of the combined-product dialog ("201*2;301"); Promotion: the components
// of the smart-promotion dialog ("301;302"); Coupon: the discount coupon typed for the item;
// CancelItem: the lines the order-cancellation dialog cancels ("002;003 REASON"); Reports: the
// fiscal report chosen ("X"); BuyerData: the buyer form's fields; Biometric: the consumer the
// finger reader reads.
enum class Kind { Keypad, Search, YesNo, Scale, Observation, Functions, Message, Email, Combined, Promotion, Coupon, Badge, CancelItem,
                  Reports, BuyerData, Biometric, Consumer };

struct Answer
{
    bool cancel = false;
    QString value; // the typed value, the search text, "S"/"N", the weight
};

void push(Kind kind, const Answer &answer);
std::optional<Answer> take(Kind kind);
int pending(Kind kind);
void clear();

void setUnattended(bool unattended);
bool unattended();

QString kindName(Kind kind);
std::optional<Kind> kindFromName(const QString &name);

} // namespace ScriptedAnswers

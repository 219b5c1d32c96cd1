#include "script.h"

#include <QKeySequence>

namespace HostScript {

namespace {

constexpr int DefaultFormWaitMs = 30000;

// The rest of a line after its first `words` words, with surrounding quotes taken off.
QString rest(const QString &line, int words)
{
    QString text = line.trimmed();
    for (int i = 0; i < words; ++i) {
        const int blank = int(text.indexOf(QLatin1Char(' ')));
        text = blank < 0 ? QString() : text.mid(blank + 1).trimmed();
    }
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

bool parseAnswer(const QStringList &words, const QString &line, Step &step, QString *error)
{
    const std::optional<ScriptedAnswers::Kind> kind = ScriptedAnswers::kindFromName(words.value(1));
    if (!kind) {
        *error = QStringLiteral("resposta de diálogo desconhecida \"%1\" (keypad, search, yesno, scale, observation, functions, message, email, combined, promotion, coupon, badge, cancelitem)").arg(words.value(1));
        return false;
    }
    step.answer = *kind;
    step.text = rest(line, 2);
    step.cancel = step.text.compare(QLatin1String("cancel"), Qt::CaseInsensitive) == 0;
    if (step.text.isEmpty() && *kind != ScriptedAnswers::Kind::Keypad && *kind != ScriptedAnswers::Kind::Email) {
        *error = QStringLiteral("falta o valor da resposta");
        return false;
    }
    if (*kind == ScriptedAnswers::Kind::YesNo && !step.cancel
        && !QStringList{"S", "N", "SIM", "NAO", "NÃO"}.contains(step.text.toUpper())) {
        *error = QStringLiteral("yesno espera S ou N");
        return false;
    }
    return true;
}

bool parseMilliseconds(const QString &text, int *out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        return false;
    *out = value;
    return true;
}

bool parseLine(const QString &line, Step &step, QString *error)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString command = words.first().toLower();
    if (command == QLatin1String("wait-form")) {
        step.kind = StepKind::WaitForm;
        int seconds = DefaultFormWaitMs / 1000;
        if (words.size() > 1 && !parseMilliseconds(words[1], &seconds)) {
            *error = QStringLiteral("wait-form espera segundos");
            return false;
        }
        step.milliseconds = seconds * 1000;
        return true;
    }
    if (command == QLatin1String("key")) {
        step.kind = StepKind::Key;
        const std::optional<QKeyCombination> key = parseKey(rest(line, 1));
        if (!key)
            *error = QStringLiteral("tecla desconhecida \"%1\"").arg(rest(line, 1));
        step.key = key.value_or(QKeyCombination());
        step.text = rest(line, 1);
        return key.has_value();
    }
    if (command == QLatin1String("type")) {
        step.kind = StepKind::Type;
        step.text = rest(line, 1);
        if (step.text.isEmpty())
            *error = QStringLiteral("type sem texto");
        return !step.text.isEmpty();
    }
    if (command == QLatin1String("sync")) {
        step.kind = StepKind::Sync;
        step.target = rest(line, 1);
        if (step.target.isEmpty())
            *error = QStringLiteral("sync sem arquivo");
        return !step.target.isEmpty();
    }
    if (command == QLatin1String("click") || command == QLatin1String("screenshot")) {
        step.kind = command == QLatin1String("click") ? StepKind::Click : StepKind::Screenshot;
        step.target = rest(line, 1);
        if (step.target.isEmpty())
            *error = command + QStringLiteral(" sem ") + (step.kind == StepKind::Click ? QStringLiteral("objeto") : QStringLiteral("arquivo"));
        return !step.target.isEmpty();
    }
    if (command == QLatin1String("expect")) {
        step.kind = StepKind::Expect;
        step.target = words.value(1);
        step.text = rest(line, 2);
        if (step.target.isEmpty())
            *error = QStringLiteral("expect sem objeto");
        return !step.target.isEmpty();
    }
    if (command == QLatin1String("expect-row")) {
        step.kind = StepKind::ExpectRow;
        step.target = words.value(1);
        bool ok = false;
        step.row = words.value(2).toInt(&ok);
        step.text = rest(line, 3);
        if (step.target.isEmpty() || !ok || step.row < 1) {
            *error = QStringLiteral("expect-row espera objeto, linha (a partir de 1) e texto");
            return false;
        }
        return true;
    }
    if (command == QLatin1String("answer")) {
        step.kind = StepKind::Answer;
        return parseAnswer(words, line, step, error);
    }
    if (command == QLatin1String("wait")) {
        step.kind = StepKind::Wait;
        if (words.size() != 2 || !parseMilliseconds(words[1], &step.milliseconds)) {
            *error = QStringLiteral("wait espera milissegundos");
            return false;
        }
        return true;
    }
    if (command == QLatin1String("quit")) {
        step.kind = StepKind::Quit;
        return true;
    }
    if (command == QLatin1String("clock")) {
        step.kind = StepKind::Clock;
        int seconds = 0;
        if (words.size() != 2 || !words[1].startsWith(QLatin1Char('+')) || !parseMilliseconds(words[1].mid(1), &seconds)) {
            *error = QStringLiteral("clock espera +segundos");
            return false;
        }
        step.milliseconds = seconds * 1000;
        return true;
    }
    if (command == QLatin1String("timer")) {
        step.kind = StepKind::Timer;
        step.target = rest(line, 1);
        if (step.target.isEmpty())
            *error = QStringLiteral("timer sem objeto");
        return !step.target.isEmpty();
    }
    *error = QStringLiteral("passo desconhecido \"%1\"").arg(words.first());
    return false;
}

} // namespace

std::optional<QKeyCombination> parseKey(const QString &name)
{
    const QString text = name.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    static const QList<std::pair<QString, Qt::Key>> aliases{
        {"enter", Qt::Key_Return}, {"return", Qt::Key_Return}, {"esc", Qt::Key_Escape}, {"escape", Qt::Key_Escape},
        {"pgup", Qt::Key_PageUp}, {"pgdown", Qt::Key_PageDown}, {"del", Qt::Key_Delete}};
    // Modifiers and the key, by the portable names ("Alt+I", "Ctrl+F5").
    QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    const QString last = text.section(QLatin1Char('+'), -1).toLower();
    for (const auto &[alias, key] : aliases) {
        if (last == alias) {
            const QString modifiers = text.left(text.size() - last.size());
            sequence = QKeySequence::fromString(modifiers + QStringLiteral("A"), QKeySequence::PortableText);
            if (sequence.count() != 1)
                return std::nullopt;
            return QKeyCombination(sequence[0].keyboardModifiers(), key);
        }
    }
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return std::nullopt;
    return sequence[0];
}

Parsed parse(const QString &text)
{
    Parsed parsed;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Step step;
        step.line = i + 1;
        QString error;
        if (parseLine(line, step, &error))
            parsed.steps.append(step);
        else
            parsed.errors.append(QStringLiteral("linha %1: %2").arg(i + 1).arg(error));
    }
    return parsed;
}

QString describe(const Step &step)
{
    switch (step.kind) {
    case StepKind::WaitForm:
        return QStringLiteral("wait-form %1").arg(step.milliseconds / 1000);
    case StepKind::Key:
        return QStringLiteral("key ") + QKeySequence(step.key).toString(QKeySequence::PortableText);
    case StepKind::Type:
        return QStringLiteral("type ") + step.text;
    case StepKind::Click:
        return QStringLiteral("click ") + step.target;
    case StepKind::Answer:
        return QStringLiteral("answer %1 %2").arg(ScriptedAnswers::kindName(step.answer), step.text);
    case StepKind::Wait:
        return QStringLiteral("wait %1").arg(step.milliseconds);
    case StepKind::Screenshot:
        return QStringLiteral("screenshot ") + step.target;
    case StepKind::Expect:
        return QStringLiteral("expect %1 \"%2\"").arg(step.target, step.text);
    case StepKind::ExpectRow:
        return QStringLiteral("expect-row %1 %2 \"%3\"").arg(step.target).arg(step.row).arg(step.text);
    case StepKind::Quit:
        return QStringLiteral("quit");
    case StepKind::Clock:
        return QStringLiteral("clock +%1").arg(step.milliseconds / 1000);
    case StepKind::Timer:
        return QStringLiteral("timer ") + step.target;
    case StepKind::Sync:
        return QStringLiteral("sync ") + step.target;
    }
    return QString();
}

} // namespace HostScript

#include "dialogs.h"

#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Dialogs {

namespace {

QPushButton *bigButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setMinimumSize(72, 60);
    button->setFocusPolicy(Qt::NoFocus);
    QFont font = button->font();
    font.setPointSize(18);
    font.setBold(true);
    button->setFont(font);
    return button;
}

} // namespace

KeypadDialog::KeypadDialog(const KeypadRequest &request, QWidget *parent)
    : QDialog(parent), m_emptyMessage(request.emptyMessage), m_maxLength(request.maxLength > 0 ? request.maxLength : 10)
{
    setObjectName(QStringLiteral("frmTecladoNumerico"));
    setWindowTitle(request.title.isEmpty() ? QStringLiteral("Teclado numérico") : request.title);
    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel(request.prompt, this);
    prompt->setObjectName(QStringLiteral("lblPrompt"));
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    m_value = new QLineEdit(request.value.left(m_maxLength), this);
    m_value->setObjectName(QStringLiteral("edtValor"));
    m_value->setReadOnly(true);
    m_value->setAlignment(Qt::AlignRight);
    QFont font = m_value->font();
    font.setPointSize(20);
    m_value->setFont(font);
    layout->addWidget(m_value);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMensagem"));
    m_message->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(m_message);

    auto *grid = new QGridLayout;
    const QStringList order{"7", "8", "9", "4", "5", "6", "1", "2", "3"};
    for (int i = 0; i < order.size(); ++i) {
        auto *button = bigButton(order[i], QStringLiteral("btn") + order[i], this);
        connect(button, &QPushButton::clicked, this, [this, key = order[i]] { press(key); });
        grid->addWidget(button, i / 3, i % 3);
    }
    auto *zero = bigButton(QStringLiteral("0"), QStringLiteral("btn0"), this);
    connect(zero, &QPushButton::clicked, this, [this] { press(QStringLiteral("0")); });
    auto *comma = bigButton(QStringLiteral(","), QStringLiteral("btnVirgula"), this);
    connect(comma, &QPushButton::clicked, this, [this] { press(QStringLiteral(",")); });
    auto *correct = bigButton(QStringLiteral("←"), QStringLiteral("btnCorrige"), this);
    connect(correct, &QPushButton::clicked, this, [this] { m_value->setText(m_value->text().chopped(qMin(1, int(m_value->text().size())))); });
    grid->addWidget(comma, 3, 0);
    grid->addWidget(zero, 3, 1);
    grid->addWidget(correct, 3, 2);
    auto *clear = bigButton(QStringLiteral("Limpa"), QStringLiteral("btnLimpa"), this);
    connect(clear, &QPushButton::clicked, m_value, &QLineEdit::clear);
    auto *ok = bigButton(QStringLiteral("OK"), QStringLiteral("btnOK"), this);
    connect(ok, &QPushButton::clicked, this, &KeypadDialog::confirm);
    auto *cancel = bigButton(QStringLiteral("Cancela"), QStringLiteral("btnCancela"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addWidget(clear, 4, 0);
    grid->addWidget(cancel, 4, 1);
    grid->addWidget(ok, 4, 2);
    layout->addLayout(grid);
}

QString KeypadDialog::value() const
{
    return m_value->text();
}

void KeypadDialog::press(const QString &key)
{
    QString text = m_value->text();
    if (text.size() >= m_maxLength)
        return;
    if (key == QLatin1String(",") && text.contains(QLatin1Char(',')))
        return; // one decimal comma
    m_message->clear();
    m_value->setText(text + key);
}

void KeypadDialog::confirm()
{
    if (m_value->text().isEmpty() && !m_emptyMessage.isEmpty()) {
        m_message->setText(m_emptyMessage);
        return;
    }
    accept();
}

void KeypadDialog::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        confirm();
    } else if (event->key() == Qt::Key_Backspace) {
        m_value->setText(m_value->text().chopped(qMin(1, int(m_value->text().size()))));
    } else if (text.size() == 1 && (text[0].isDigit() || text == QLatin1String(",") || text == QLatin1String("."))) {
        press(text == QLatin1String(".") ? QStringLiteral(",") : text);
    } else {
        QDialog::keyPressEvent(event); // Escape cancels
    }
}

KeypadAnswer TecladoNumerico(const KeypadRequest &request)
{
    const int maxLength = request.maxLength > 0 ? request.maxLength : 10;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Keypad)) {
        HostLog::write(QStringLiteral("teclado numérico \"%1\": %2")
                           .arg(request.prompt, scripted->cancel ? QStringLiteral("cancelado") : scripted->value));
        return {!scripted->cancel, scripted->cancel ? QString() : scripted->value.left(maxLength)};
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("teclado numérico \"%1\" sem resposta no roteiro: cancelado").arg(request.prompt));
        return {};
    }
    KeypadDialog dialog(request);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return {true, dialog.value()};
}

} // namespace Dialogs

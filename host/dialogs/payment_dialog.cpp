#include "payment.h"

#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace Payment {

namespace {

QLabel *bigLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setPointSize(16);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumSize(140, 48);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

PaymentDialog::PaymentDialog(const QList<Means> &means, double due, QWidget *parent)
    : QDialog(parent), m_session(due)
{
    setObjectName(QStringLiteral("frmRecebimento"));
    setWindowTitle(QStringLiteral("Recebimento"));
    auto *layout = new QVBoxLayout(this);
    QLabel *total = bigLabel(QStringLiteral("lblTotal"), this);
    total->setText(QStringLiteral("Total: ") + PtBr::FormatCurr(m_session.due()));
    layout->addWidget(total);
    m_remaining = bigLabel(QStringLiteral("lblFalta"), this);
    m_change = bigLabel(QStringLiteral("lblTroco"), this);
    layout->addWidget(m_remaining);
    layout->addWidget(m_change);
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("edtValor"));
    m_value->setPlaceholderText(QStringLiteral("Valor (vazio = o que falta)"));
    layout->addWidget(m_value);

    auto *grid = new QGridLayout;
    for (int i = 0; i < means.size(); ++i) {
        QPushButton *b = button(means[i].nmTipoRece, QStringLiteral("btnMeio") + means[i].cdTipoRece, this);
        connect(b, &QPushButton::clicked, this, [this, m = means[i]] { pay(m); });
        grid->addWidget(b, i / 3, i % 3);
    }
    layout->addLayout(grid);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstPagamentos"));
    layout->addWidget(m_list);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMensagem"));
    m_message->setStyleSheet(QStringLiteral("color: #b00000"));
    m_message->setWordWrap(true);
    layout->addWidget(m_message);

    auto *actions = new QHBoxLayout;
    QPushButton *remove = button(QStringLiteral("Remove último"), QStringLiteral("btnRemove"), this);
    connect(remove, &QPushButton::clicked, this, [this] {
        m_session.removeLast();
        refresh();
    });
    QPushButton *cancel = button(QStringLiteral("Cancela"), QStringLiteral("btnCancela"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *ok = button(QStringLiteral("Confirma"), QStringLiteral("btnOK"), this);
    connect(ok, &QPushButton::clicked, this, &PaymentDialog::confirm);
    actions->addWidget(remove);
    actions->addWidget(cancel);
    actions->addWidget(ok);
    layout->addLayout(actions);
    refresh();
}

void PaymentDialog::pay(const Means &means)
{
    const QString typed = m_value->text().trimmed();
    bool ok = true;
    const double value = typed.isEmpty() ? m_session.remaining() : PtBr::StrToFloat(typed, &ok);
    const QString refusal = ok ? m_session.add(means, value) : QStringLiteral("Valor inválido: ") + typed;
    m_value->clear();
    refresh();
    m_message->setText(refusal);
}

void PaymentDialog::confirm()
{
    if (!m_session.complete()) {
        m_message->setText(QStringLiteral("Falta pagar %1.").arg(PtBr::FormatCurr(m_session.remaining())));
        return;
    }
    accept();
}

void PaymentDialog::refresh()
{
    m_list->clear();
    for (const Entry &entry : m_session.entries()) {
        QString line = entry.means.nmTipoRece + QStringLiteral("  ") + PtBr::FormatCurr(entry.amount);
        if (entry.change > 0)
            line += QStringLiteral("  (troco %1)").arg(PtBr::FormatCurr(entry.change));
        m_list->addItem(line);
    }
    m_remaining->setText(QStringLiteral("Falta: ") + PtBr::FormatCurr(m_session.remaining()));
    m_change->setText(QStringLiteral("Troco: ") + PtBr::FormatCurr(m_session.change()));
    m_message->clear();
}

} // namespace Payment

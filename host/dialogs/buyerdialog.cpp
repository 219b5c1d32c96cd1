#include "buyerdialog.h"

#include "dialogs_sale.h"
#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <outside/consiste.h>

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <functional>

namespace BuyerDialog {

namespace {

// What the SiTef client answers when the PinPad cannot be reached or the buyer gives up.
constexpr int InvalidAddress = 1;
constexpr int InvalidStore = 2;
constexpr int GaveUp = -2;

bool is(const QString &value, const char *expected)
{
    return value == QLatin1String(expected);
}

QWidget *activeParent()
{
    return QApplication::activeWindow();
}

void addButtons(QDialog *dialog, QVBoxLayout *layout, const std::function<void()> &confirm)
{
    auto *row = new QHBoxLayout;
    auto *cancel = new QPushButton(QStringLiteral("Cancela"), dialog);
    cancel->setObjectName(QStringLiteral("btnCancela"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, confirm);
    row->addStretch();
    row->addWidget(cancel);
    row->addWidget(ok);
    layout->addLayout(row);
}

QLabel *messageLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lblMensagem"));
    label->setStyleSheet(QStringLiteral("color: #b00000"));
    return label;
}

// A scripted answer of the dialog: "CPF;NOME;ENDEREÇO;ID ESTRANGEIRO", the later parts optional.
AdditionalDataAnswer scriptedAnswer(const ScriptedAnswers::Answer &scripted)
{
    AdditionalDataAnswer answer;
    if (scripted.cancel)
        return answer;
    const QStringList parts = scripted.value.split(QLatin1Char(';'));
    answer.confirmed = true;
    answer.document = documentDigits(parts.value(0));
    answer.name = parts.value(1);
    answer.address = parts.value(2);
    answer.foreignId = parts.value(3);
    return answer;
}

} // namespace

QString documentDigits(const QString &typed)
{
    QString digits;
    for (const QChar c : typed) {
        if (c.isDigit() && c.unicode() < 128)
            digits.append(c);
        else if (!QStringLiteral(".-/ ").contains(c))
            return QString();
    }
    return digits;
}

QString documentProblem(const QString &typed)
{
    if (Consiste::EmptyString(typed))
        return QString();
    const QString digits = documentDigits(typed);
    if (digits.size() == 11 && Consiste::CPFOk(digits))
        return QString();
    if (digits.size() == 14 && Consiste::CGCOk(digits))
        return QString();
    return digits.size() == 14 ? QStringLiteral("CNPJ inválido.") : QStringLiteral("CPF inválido.");
}

AdditionalDataDialog::AdditionalDataDialog(const AdditionalDataRequest &request, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfAdicional"));
    setWindowTitle(QStringLiteral("Informações adicionais"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const bool cpfForm = request.valueCount == AdditionalDataRequest::MaxValues;
    const bool promotionCode = isPromotionCodeForm(request);
    const bool coupon = isCouponForm(request) || promotionCode;
    const bool observationOnly = is(request.askObservation, "S") || coupon;
    const bool nameAndAddress = is(request.askNameAddress, "S");
    auto add = [this, form](const char *name, const char *caption, const QString &value, bool shown) {
        auto *edit = new QLineEdit(value, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setVisible(shown);
        if (shown)
            form->addRow(QString::fromUtf8(caption), edit);
        return edit;
    };
    m_document = add("edtCpfCnpj", "CPF/CNPJ", request.document, !observationOnly);
    m_name = add("edtNome", "Nome", request.name, !observationOnly && (nameAndAddress || !cpfForm));
    m_address = add("edtEndereco", "Endereço", request.address, !observationOnly && nameAndAddress);
    m_foreignId = add("edtIdEstrangeiro", "Id. estrangeiro", QString(), cpfForm || isQrCodeForm(request));
    m_observation = add("edtObservacao", "Observação", QString(), observationOnly && !coupon);
    m_coupon = promotionCode ? add("edtCodigoPromocao", "Código da promoção", QString(), true)
                             : add("edtCupom", "Cupom de desconto", QString(), coupon);
    m_message = messageLabel(this);
    layout->addWidget(m_message);
    addButtons(this, layout, [this] { confirm(); });
}

AdditionalDataAnswer AdditionalDataDialog::answer() const
{
    AdditionalDataAnswer answer;
    answer.confirmed = result() == QDialog::Accepted;
    answer.document = documentDigits(m_document->text());
    answer.name = m_name->text().trimmed();
    answer.address = m_address->text().trimmed();
    answer.foreignId = m_foreignId->text().trimmed();
    answer.observation = m_observation->text().trimmed();
    // The code as typed: the till tells coupons apart by letter case.
    answer.code = m_coupon->text().trimmed();
    return answer;
}

void AdditionalDataDialog::confirm()
{
    const QString problem = documentProblem(m_document->text());
    if (!problem.isEmpty()) {
        m_message->setText(problem);
        return;
    }
    accept();
}

PinpadDialog::PinpadDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPinPad"));
    setWindowTitle(QStringLiteral("PinPad"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Digite o CPF no PinPad"), this));
    m_cpf = new QLineEdit(this);
    m_cpf->setObjectName(QStringLiteral("edtCpf"));
    m_cpf->setMaxLength(11);
    m_cpf->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,11}")), m_cpf));
    layout->addWidget(m_cpf);
    m_message = messageLabel(this);
    layout->addWidget(m_message);
    addButtons(this, layout, [this] { confirm(); });
}

QString PinpadDialog::cpf() const
{
    return m_cpf->text();
}

void PinpadDialog::confirm()
{
    if (!Consiste::CPFOk(m_cpf->text())) {
        m_message->setText(QStringLiteral("CPF inválido. Digite novamente."));
        return;
    }
    accept();
}

// The QR-code sale asks its buyer with the same marker as the coupon form, but with the name
// and address asked as well (and a tenth value when balances may be redeemed).
bool isQrCodeForm(const AdditionalDataRequest &request)
{
    return (request.valueCount == 9 || request.valueCount == 10) && is(request.value8, "S")
        && is(request.askNameAddress, "S");
}

bool isCouponForm(const AdditionalDataRequest &request)
{
    return request.valueCount == 9 && is(request.value8, "S") && !isQrCodeForm(request);
}

bool isPromotionCodeForm(const AdditionalDataRequest &request)
{
    return request.valueCount == 11 && is(request.value8, "S") && is(request.value10, "S");
}

// The promotion code, from the script's keypad answers when it has one; unattended and
// without one, no code (the consultation then asks for every promotion of the cart).
AdditionalDataAnswer promotionCodeAnswer(const AdditionalDataRequest &request)
{
    AdditionalDataAnswer answer;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Keypad)) {
        HostLog::write(QStringLiteral("código da promoção: %1")
                           .arg(scripted->cancel ? QStringLiteral("cancelado") : scripted->value));
        answer.confirmed = !scripted->cancel;
        if (!scripted->cancel)
            answer.code = scripted->value.trimmed();
        return answer;
    }
    if (ScriptedAnswers::unattended())
        return answer;
    AdditionalDataDialog dialog(request, activeParent());
    dialog.exec();
    return dialog.answer();
}

// The coupon asked for every item has answers of its own, so that it never takes one queued
// for the keypad; unattended and without one, the item goes on without coupon.
AdditionalDataAnswer couponAnswer(const AdditionalDataRequest &request)
{
    AdditionalDataAnswer answer;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Coupon)) {
        HostLog::write(QStringLiteral("cupom de desconto: %1")
                           .arg(scripted->cancel ? QStringLiteral("cancelado") : scripted->value));
        answer.confirmed = !scripted->cancel;
        if (!scripted->cancel)
            answer.code = scripted->value.trimmed();
        return answer;
    }
    if (ScriptedAnswers::unattended())
        return answer;
    AdditionalDataDialog dialog(request, activeParent());
    dialog.exec();
    return dialog.answer();
}

AdditionalDataAnswer CriaInfAdicional(const AdditionalDataRequest &request)
{
    if (request.askEmail == QLatin1String("S"))
        return SaleDialogs::emailForm(request);
    if (isCouponForm(request))
        return couponAnswer(request);
    if (isPromotionCodeForm(request))
        return promotionCodeAnswer(request);
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Keypad)) {
        HostLog::write(QStringLiteral("informações adicionais: %1")
                           .arg(scripted->cancel ? QStringLiteral("cancelado") : scripted->value));
        return scriptedAnswer(*scripted);
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("informações adicionais sem resposta no roteiro: cancelado"));
        return {};
    }
    AdditionalDataDialog dialog(request, activeParent());
    dialog.exec();
    return dialog.answer();
}

PinpadCpfAnswer DigitaCpfPinpad(const PinpadCpfRequest &request)
{
    PinpadCpfAnswer answer;
    answer.secondCode = 0;
    if (Consiste::EmptyString(request.dsEndIpSitef)) {
        answer.returnCode = InvalidAddress;
        return answer;
    }
    if (Consiste::EmptyString(request.cdLojaTef)) {
        answer.returnCode = InvalidStore;
        return answer;
    }
    answer.returnCode = GaveUp;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Keypad)) {
        HostLog::write(QStringLiteral("PinPad: %1").arg(scripted->cancel ? QStringLiteral("cancelado") : QStringLiteral("CPF digitado")));
        if (!scripted->cancel) {
            answer.returnCode = 0;
            answer.cpf = documentDigits(scripted->value);
        }
        return answer;
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("PinPad sem resposta no roteiro: cancelado"));
        return answer;
    }
    PinpadDialog dialog(activeParent());
    if (dialog.exec() == QDialog::Accepted) {
        answer.returnCode = 0;
        answer.cpf = dialog.cpf();
    }
    return answer;
}

} // namespace BuyerDialog

#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// The host's buyer dialogs: the additional-data dialog (CriaInfAdicional) and the PinPad on
// which the buyer types the CPF (DigitaCpfPinpad, simulated). Both first take a scripted
// keypad answer when one is queued; unattended, without one, they cancel and log.
namespace BuyerDialog {

AdditionalDataAnswer CriaInfAdicional(const AdditionalDataRequest &request);
PinpadCpfAnswer DigitaCpfPinpad(const PinpadCpfRequest &request);

// The digits of a typed CPF or CNPJ (dots, dashes, slashes and blanks dropped); empty when
// another character appears.
QString documentDigits(const QString &typed);
// Why a typed document cannot be the buyer's: empty when it is blank or a valid CPF or CNPJ.
QString documentProblem(const QString &typed);

// The additional-data dialog. Objects: "frmInfAdicional", "edtCpfCnpj", "edtNome",
// "edtEndereco", "edtIdEstrangeiro", "edtObservacao", "lblMensagem", "btnOK", "btnCancela".
// Which fields show depends on the caller's layout (name and address when asked, the
// observation when asked, the foreign id in the CPF form).
// The coupon form (nine values, the ninth "S") asks only the discount coupon's code.
bool isCouponForm(const AdditionalDataRequest &request);
// The promotion-code form of the promotions consultation (11 values, 8 and 10 "S"): one
// field, answered as the code.
bool isPromotionCodeForm(const AdditionalDataRequest &request);
// The buyer form of the QR-code sale: CPF/CNPJ, name, address and foreign id.
bool isQrCodeForm(const AdditionalDataRequest &request);

class AdditionalDataDialog : public QDialog
{
public:
    explicit AdditionalDataDialog(const AdditionalDataRequest &request, QWidget *parent = nullptr);
    AdditionalDataAnswer answer() const;
    // Accepts when the typed document is acceptable, else says why and stays open.
    void confirm();

private:
    QLineEdit *m_document = nullptr;
    QLineEdit *m_coupon = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_foreignId = nullptr;
    QLineEdit *m_observation = nullptr;
    QLabel *m_message = nullptr;
};

// The PinPad stand-in: the buyer types the eleven digits of the CPF. Objects: "frmPinPad",
// "edtCpf", "lblMensagem", "btnOK", "btnCancela".
class PinpadDialog : public QDialog
{
public:
    explicit PinpadDialog(QWidget *parent = nullptr);
    QString cpf() const;
    void confirm();

private:
    QLineEdit *m_cpf = nullptr;
    QLabel *m_message = nullptr;
};

} // namespace BuyerDialog

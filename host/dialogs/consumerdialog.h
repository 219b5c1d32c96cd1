#pragma once

#include <outside/pkg_hrk00002.h>

#include <QDialog>

class QLineEdit;

// The badge consumer search and the consumer registration of the host. The search reads the
// badge (typed, or "answer badge NUMBER" in a script) and finds the active consumer who
// carries it in CONSUMIDOR. The registration form ("answer consumer CLIENT;CODE;NAME;BADGE;TYPE;
// CPF;PHONE" in a script) records a new consumer through the server's consumer record.
namespace ConsumerDialog {

ConsumerSearchAnswer PesqConsumidor(const ConsumerSearchRequest &request, ClientDataSet &cdsCliente);
ConsumerRegisterAnswer CriaCadConsumidor(const ConsumerRegisterRequest &request);

// The active consumer who carries the badge; `found` false when there is none.
ConsumerSearchAnswer consumerOfBadge(const QString &badge);

// The badge prompt: objects "frmPesqConsumidor", "lblMensagem", "edtCracha", "btnOK",
// "btnCancela".
class BadgeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BadgeDialog(const QString &prompt, QWidget *parent = nullptr);
    QString badge() const;

private:
    QLineEdit *m_badge = nullptr;
};

} // namespace ConsumerDialog

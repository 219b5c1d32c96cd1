#pragma once

#include <QLabel>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class ConsumerSale;
class OrderEntry;
class SaleDatasets;
class ScreenShell;
class Settlement;
class TfrmVendaCons;
class TfrmVisualiza;
class TrdmVendaCons;
struct AccessLogRequest;
struct Pkg_Hrk00001;
struct Pkg_Hrk00002;
struct SaleState;
struct StartupServer;
class QAbstractButton;

namespace Lvm_msg {
class FormMessages;
}

// The one thing the four sale subsystems share: the form's state and datasets, its widgets by
// name, the data module, the host packages, the message tables, the start-up's server table
// and the four handler objects. The form owns the context, and the context owns the handlers;
// every handler keeps a reference to it and reaches the others only through it.
class SaleContext
{
public:
    SaleContext(TfrmVendaCons &form, SaleState &state, SaleDatasets &datasets);
    ~SaleContext();
    SaleContext(const SaleContext &) = delete;
    SaleContext &operator=(const SaleContext &) = delete;

    SaleState &state() { return m_state; }
    SaleDatasets &data() { return m_datasets; }
    TfrmVendaCons &form() { return m_form; }

    // A control of the sale form by its name; null when there is none of that kind.
    template <class T = QWidget>
    T *widget(const QString &name) const;
    QLabel *label(const QString &name) const;
    QAbstractButton *button(const QString &name) const;
    // Sets a label's caption; a missing label is logged, never a crash.
    void setCaption(const QString &labelName, const QString &text) const;
    void setVisible(const QString &name, bool visible) const;

    TrdmVendaCons &module();
    Pkg_Hrk00001 &devices();
    Pkg_Hrk00002 &services();
    StartupServer &server();
    const Lvm_msg::FormMessages &messages() const;
    // The text of a key of the form's tables (msgPadrao, then msgPadrao2; else the key).
    QString Msg(const QString &key) const;
    // An access-log line of this till and its logged operator (the authoriser included) for
    // `action`; the sale's references stay empty for the caller to fill when they belong.
    AccessLogRequest accessLog(const QString &action, const QString &description, const QString &text) const;
    // Ravuvozozod.Mensagem with the site's colour scheme and default answer "N".
    bool message(const QString &text, int kind) const;

    // The customer display while it is in use (boExibeVisualiza), else null.
    TfrmVisualiza *display() const;

    ScreenShell &shell() { return *m_shell; }
    OrderEntry &order() { return *m_order; }
    Settlement &settlement() { return *m_settlement; }
    ConsumerSale &consumer() { return *m_consumer; }

private:
    QWidget *findWidget(const QString &name) const;

    TfrmVendaCons &m_form;
    // Widgets found by name: the form holds hundreds, and the sale roads ask for the same few
    // on every line. A widget renamed or destroyed is looked up again.
    mutable QHash<QString, QPointer<QWidget>> m_widgets;
    SaleState &m_state;
    SaleDatasets &m_datasets;
    std::unique_ptr<ScreenShell> m_shell;
    std::unique_ptr<OrderEntry> m_order;
    std::unique_ptr<Settlement> m_settlement;
    std::unique_ptr<ConsumerSale> m_consumer;
};

template <class T>
T *SaleContext::widget(const QString &name) const
{
    return qobject_cast<T *>(findWidget(name));
}

#pragma once

#include <QHash>
#include <QLabel>
#include <QLatin1StringView>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class ConsumerSale;
class OrderEntry;
class SaleDatasets;
class SaleShell;
class ScreenShell;
class Settlement;
class TfrmVisualiza;
class TrdmVendaCons;
struct AccessLogRequest;
struct Pkg_Hrk00001;
struct Pkg_Hrk00002;
struct SaleState;
struct ServerSeams;
class QAbstractButton;
class QDialog;
class Variant;

namespace Lvm_msg {
class FormMessages;
}

// The one thing the four sale subsystems share: the form's state and datasets, its widgets by
// name, the data module, the host packages, the message tables and the four handler objects.
// It sits below the subsystems and knows none of them: the sale form owns the context and the
// handlers, and attaches the handlers once it has made them. Every handler keeps a reference to
// the context and reaches the others only through it.
class SaleContext
{
public:
    SaleContext(QDialog &form, SaleState &state, SaleDatasets &datasets);
    ~SaleContext();
    SaleContext(const SaleContext &) = delete;
    SaleContext &operator=(const SaleContext &) = delete;

    // The four handler objects of the form, which outlive every call through the context.
    struct Handlers
    {
        ScreenShell *shell = nullptr;
        OrderEntry *order = nullptr;
        Settlement *settlement = nullptr;
        ConsumerSale *consumer = nullptr;
        // The shell again, as the sale roads see it.
        SaleShell *screen = nullptr;
    };
    void attach(const Handlers &handlers) { m_handlers = handlers; }
    // Where the customer display comes from (the screen owns it); without one there is none.
    void setDisplaySource(std::function<TfrmVisualiza *()> source) { m_displaySource = std::move(source); }
    // Runs a handler at an event boundary of the form (its refusals end there quietly); the
    // form installs how. Without a dispatcher the handler simply runs.
    using Dispatcher = std::function<void(const std::function<void()> &)>;
    void setDispatcher(Dispatcher dispatcher) { m_dispatcher = std::move(dispatcher); }
    void dispatch(const std::function<void()> &handler) const;

    SaleState &state() { return m_state; }
    SaleDatasets &data() { return m_datasets; }
    QDialog &form() { return m_form; }

    // A control of the sale form by its name; null when there is none of that kind. Each
    // takes a FormName constant (looked up without building a QString) or any QString.
    template <class T = QWidget>
    T *widget(const QString &name) const;
    template <class T = QWidget>
    T *widget(QLatin1StringView name) const;
    QLabel *label(const QString &name) const;
    QLabel *label(QLatin1StringView name) const;
    QAbstractButton *button(const QString &name) const;
    QAbstractButton *button(QLatin1StringView name) const;
    // Sets a label's caption; a missing label is logged ("sale form has no label ..."), never
    // a crash: the tests fail on that message.
    void setCaption(const QString &labelName, const QString &text) const;
    void setCaption(QLatin1StringView labelName, const QString &text) const;
    void setVisible(const QString &name, bool visible) const;
    void setVisible(QLatin1StringView name, bool visible) const;

    TrdmVendaCons &module();
    Pkg_Hrk00001 &devices();
    Pkg_Hrk00002 &services();
    // The server functions the sale calls, by server area (`server().tabs.getValidaMesa(...)`);
    // tests replace them with ScopedTable (sale/serverseams.h).
    ServerSeams &server() const;
    const Lvm_msg::FormMessages &messages() const;
    // The text of a key of the form's tables (msgPadrao, then msgPadrao2; else the key).
    QString Msg(const QString &key) const;
    // An access-log line of this till and its logged operator for `action`, allowed by
    // `authoriser`: a key's own, or the sale's for what the sale does. The sale's references
    // stay empty for the caller to fill when they belong.
    AccessLogRequest accessLog(const QString &action, const QString &description, const QString &text,
                               const QString &authoriser) const;
    // Ravuvozozod.Mensagem with the site's colour scheme and default answer "N".
    bool message(const QString &text, int kind) const;

    // Every server answer of the sale passes here (MensagemMetodo with the sale's unit
    // "Cli_Kal51000" and the site's colour scheme). `context` names what was asked (branch,
    // product, ...) for the failure's detail. Shown: a failure is shown as an error and `value`
    // is left empty. Quiet: a failure comes back unchanged in `value`, nothing is shown.
    // True when the answer was usable (no failure).
    enum class Failure { Shown, Quiet };
    bool checkAnswer(const Variant &answer, const QString &method, const QString &context, Variant &value,
                     Failure failure = Failure::Shown) const;
    // The value of a checked answer; empty after a shown failure.
    Variant checkedValue(const Variant &answer, const QString &method, const QString &context) const;

    // The customer display while it is in use (boExibeVisualiza), else null; the screen's, as
    // the sale roads reach it through SaleShell::customerDisplay.
    TfrmVisualiza *display() const;

    // The screen's own shell, for the screen's code; order, settlement and consumer ask the
    // screen through screen() and never see how it is built.
    ScreenShell &shell() { return *m_handlers.shell; }
    SaleShell &screen() { return *m_handlers.screen; }
    OrderEntry &order() { return *m_handlers.order; }
    Settlement &settlement() { return *m_handlers.settlement; }
    ConsumerSale &consumer() { return *m_handlers.consumer; }

private:
    QWidget *findWidget(const QString &name) const;
    QWidget *findWidget(QLatin1StringView name) const;

    QDialog &m_form;
    // Widgets found by name: the form holds hundreds, and the sale roads ask for the same few
    // on every line. A widget renamed or destroyed is looked up again. Constant names are
    // kept by where their characters lie; a hit is checked against the name all the same.
    mutable QHash<QString, QPointer<QWidget>> m_widgets;
    mutable QHash<const char *, QPointer<QWidget>> m_constantWidgets;
    SaleState &m_state;
    SaleDatasets &m_datasets;
    Handlers m_handlers;
    std::function<TfrmVisualiza *()> m_displaySource;
    Dispatcher m_dispatcher;
};

template <class T>
T *SaleContext::widget(const QString &name) const
{
    return qobject_cast<T *>(findWidget(name));
}

template <class T>
T *SaleContext::widget(QLatin1StringView name) const
{
    return qobject_cast<T *>(findWidget(name));
}

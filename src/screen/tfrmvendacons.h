#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QObject;
class QPushButton;
class QTimer;
class SaleContext;
class SaleDatasets;
struct HostCall;
struct SaleState;

// The sale form: a frameless 800 x 600 dialog that owns the sale's state, datasets, widgets
// (named as the handlers find them) and the sale context with its handlers. It routes key
// presses, clicks and timers to the handlers through dispatch(), so that no exception ever
// leaves an event: the silent abort ends the handler quietly, a checked server result is
// shown as an error, anything else is shown as an error too.
class TfrmVendaCons : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmVendaCons(QWidget *parent = nullptr);
    ~TfrmVendaCons() override;

    SaleState &state() { return *m_state; }
    SaleDatasets &datasets() { return *m_datasets; }
    SaleContext &context() { return *m_context; }

    // Start-up for one host call (see ScreenShell::InicializaForm); throws when it fails.
    void InicializaForm(const HostCall &call);

    // Life events of the form.
    void FormCreate();
    void FormClose();
    void timDataHoraTimer();
    // Runs the closing clean-up and ends the modal run when the form is shown.
    void Close();

    // Runs one handler at an event boundary.
    void dispatch(const std::function<void()> &handler);

    // The translation hook FormCreate passes the form to (Trad_utl::Trad); tests count calls.
    static std::function<void(QWidget *)> &translator();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool routeQrCodeKey(QObject *sender, QKeyEvent *event);
    void reject() override;

private:
    // Panels, top to bottom, left to right (tfrmvendacons_panels.cpp).
    void buildHeader();
    void buildCustomerLabels();
    void buildReceipt();
    void buildTotals();
    void buildFunctionButtons();
    void buildTouchGrid();
    void buildChoicePanels();
    void buildBenefitList(const QString &panelStyle);
    void buildFooter();
    void buildImages();
    void buildTimers();
    void buildAutomaticTab();
    void routeClicks();

    QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &rect,
                     const QString &style = QString());
    QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption,
                           const QRect &rect);
    // Clicks of the button go to `handler` with the button as Sender.
    void route(const QString &buttonName, std::function<void(QObject *)> handler);
    void routeKey(QObject *sender, QKeyEvent *event);

    // The four handlers, made once the context is there and gone before it.
    struct Handlers;

    std::unique_ptr<SaleState> m_state;
    std::unique_ptr<SaleDatasets> m_datasets;
    std::unique_ptr<SaleContext> m_context;
    std::unique_ptr<Handlers> m_handlers;
};

// The sale form behind a context: the screen made both, so its context's form is always one.
TfrmVendaCons &saleForm(SaleContext &context);

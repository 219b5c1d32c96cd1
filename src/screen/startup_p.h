#pragma once

// Private to the screen subsystem: the start-up of the sale form, in the order its steps run.

class QString;
class SaleContext;
struct HostCall;

// Once per process (while the parameter row is empty): parameter file, server settings,
// fiscal identification, local cadastre copies, fiscal date, window, logo and document
// variant. A failure leaves the parameter row empty, so the next call runs it whole again.
class ProcessStartup
{
public:
    explicit ProcessStartup(SaleContext &context) : m_context(context) {}

    // Every call: the data module's connection, opened when it is not.
    void connectDataModule();
    void run();

private:
    void loadParameterFile();
    void loadCrmBonusSettings();
    void decideCustomerDisplay();
    void loadIdentificationFile();
    void loadCadastres();
    void findReceiptTypeNine();
    void takeFiscalDate();
    void placeWindow();
    void loadLogo();
    void chooseDocumentVariant();
    void readQrCodeSwitch();

    SaleContext &m_context;
};

// Every call: operator, sale mode, sale datasets, rights, layout, menus, printer failover and
// the partners' state.
class CallStartup
{
public:
    explicit CallStartup(SaleContext &context) : m_context(context) {}

    void run(const HostCall &call);

private:
    void resetGuards();
    void loadOperator();
    void takeArguments(const HostCall &call);
    void findOperatorWaiter();
    void setUpSaleMode(const HostCall &call);
    void setUpCounter(const HostCall &call);
    void setUpOrderMode(const HostCall &call);
    QString orderFooter(const QString &mode, const HostCall &call);
    void readTableOpening();
    void prepareSaleDatasets();
    void warnClosedDesk();
    void askRights();
    void recreateItems();
    void loadCouponSetting();
    void loadCampaignSwitch();
    void fillReceipt();
    void setElectronicDocumentFolder();
    void prepareFailover();
    void startFailover();
    void resetPartners();
    void loadBalanceAndWeighing();

    SaleContext &m_context;
};

// The screen's layout by the layout code IdTpTelaVe, and the controls of the sale mode.
class StartupLayout
{
public:
    explicit StartupLayout(SaleContext &context) : m_context(context) {}

    void layOut();

private:
    void compactLayout();
    void compactConsumerLines();
    void compactReceipt();
    void touchLayout();
    void modeControls();

    SaleContext &m_context;
};

// The sale variables of a fresh sale; both start-up parts run it.
class SaleVariables
{
public:
    explicit SaleVariables(SaleContext &context) : m_context(context) {}

    void InicializaVariaveis();

private:
    void showEmptySale();

    SaleContext &m_context;
};

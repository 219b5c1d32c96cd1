#pragma once

// Private to the screen subsystem: the touch grid of groups and products, drawn from the
// screen configuration of the cadastre folder.

class ClientDataSet;
class QObject;
class QString;
class SaleContext;

class TouchGrid
{
public:
    explicit TouchGrid(SaleContext &context) : m_context(context) {}

    void LimpaMenuGrupo();
    void LimpaMenuProduto();
    void MontaConfigGrupo(bool First);
    void MontaConfigProduto(const QString &Group);
    void tcbGrupo01Click(QObject *Sender);

private:
    void drawGroupPage(ClientDataSet &groups);
    void drawProductPage(const QString &Group);
    void turnGroupPage(int step);
    int lastGroupPage();

    SaleContext &m_context;
};

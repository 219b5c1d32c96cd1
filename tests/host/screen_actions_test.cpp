// The screen's actions on an open sale, played by the real host program on a fresh demo site:
// F3 presets the quantity, F10 takes a scripted observation, the sale is settled; sale after
// sale in one run. The observation reaches the kitchen ticket and the quantity the base.
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "hostprogram.h"

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString writeScript(const QString &folder, const QString &name, const QString &text)
{
    const QString path = QDir(folder).filePath(name);
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(text.toUtf8());
    return path;
}

QString observationScript()
{
    return readText(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-observacao.txt"));
}

int count(const QString &site, const QString &sql)
{
    const QString name = QStringLiteral("screen-actions");
    int found = -1;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        if (base.open()) {
            QSqlQuery query(base);
            EXPECT_TRUE(query.exec(sql)) << query.lastError().text().toStdString();
            if (query.next())
                found = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

class ScreenActionsHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    }
    bool play(const QString &script)
    {
        return runHost({"--site", site, "--script", writeScript(work.path(), QStringLiteral("roteiro.txt"), script)},
                       work.path(), output);
    }
    QString kitchen() const { return readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/COZINHA.txt"))); }

    QTemporaryDir work;
    QString site;
    QString output;
};

} // namespace

TEST_F(ScreenActionsHost, PresetQuantityAndObservationGoWithEachSaleOneAfterAnother)
{
    ASSERT_TRUE(play(observationScript() + QLatin1Char('\n') + observationScript())) << output.toStdString();
    EXPECT_EQ(count(site, QStringLiteral("SELECT COUNT(*) FROM VENDA")), 2);
    EXPECT_EQ(count(site, QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA WHERE CDPRODUTO = '01001' AND QTPRODCOMVEN = 2")), 2);
    EXPECT_EQ(kitchen().count(QStringLiteral("OBS: Sem cebola Segura de 10 minutos")), 2) << kitchen().toStdString();
}

// A typed quantity that is no number changes nothing: the next code sells one.
TEST_F(ScreenActionsHost, KeypadTextThatIsNoNumberLeavesTheQuantityAlone)
{
    const QString script = QStringLiteral("wait-form\nanswer keypad 2x\nkey F3\nexpect lblProduto \"\"\n"
                                          "type 01001\nkey Enter\nexpect lblVrTotal 22,90\n"
                                          "answer keypad 50\nclick spbReceb\nexpect lblMensagemCaixa CAIXA LIVRE\n");
    ASSERT_TRUE(play(script)) << output.toStdString();
    EXPECT_EQ(count(site, QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA WHERE QTPRODCOMVEN = 1")), 1);
}

// The functions menu: back to the sale keeps the screen; closing it ends the host.
TEST_F(ScreenActionsHost, FunctionsMenuGoesBackToTheSaleOrClosesTheTill)
{
    const QString script = QStringLiteral("wait-form\nanswer functions back\nkey F9\nexpect lblMensagemCaixa CAIXA LIVRE\n"
                                          "answer functions close\nkey F9\n");
    EXPECT_TRUE(play(script)) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("funções fiscais: voltar à venda"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("FECHA_SISTEMA"))) << output.toStdString();
}

// The production message goes to the kitchen printer; one that cannot be written is said.
TEST_F(ScreenActionsHost, ProductionMessageIsPrintedOnTheKitchenPrinter)
{
    const QString script = QStringLiteral("wait-form\nanswer keypad 7\nclick spbMenuMesa\nexpect lblMensagemCaixa VENDA MESA\n"
                                          "answer message Mesa sete sem pressa\nkey Alt+I\n");
    ASSERT_TRUE(play(script)) << output.toStdString();
    EXPECT_TRUE(kitchen().contains(QStringLiteral("MENSAGEM DA PRODUÇÃO\nMESA 0007"))) << kitchen().toStdString();
    EXPECT_TRUE(kitchen().contains(QStringLiteral("Mesa sete sem pressa"))) << kitchen().toStdString();
}

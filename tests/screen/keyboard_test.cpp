#include "screenfixture.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <outside/consiste.h>
#include <runtime/abort.h>

#include <QApplication>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QLabel>

class ShellKeys : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        m_form = std::make_unique<TfrmVendaCons>();
    }
    void TearDown() override
    {
        m_form.reset();
        ScreenTest::TearDown();
    }

    void type(const QString &text)
    {
        for (QChar character : text)
            press(Qt::Key_unknown, QString(character));
    }
    void press(int key, const QString &text)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(m_form.get(), &event);
    }
    QString buffer() { return m_form->findChild<QLabel *>(QStringLiteral("lblBuffer"))->text(); }

    std::unique_ptr<TfrmVendaCons> m_form;
};

TEST_F(ShellKeys, TypedCharactersGoIntoTheBufferAndClearTheProductLine)
{
    m_form->findChild<QLabel *>(QStringLiteral("lblProduto"))->setText(QStringLiteral("COXINHA"));
    type(QStringLiteral("7891"));
    EXPECT_EQ(buffer(), QStringLiteral("7891"));
    EXPECT_EQ(m_form->findChild<QLabel *>(QStringLiteral("lblProduto"))->text(), QString());
}

TEST_F(ShellKeys, ControlKeysAndSignsNeverEnterTheBuffer)
{
    // With the sale-kind choice on screen the keyboard map leaves Enter and Backspace alone,
    // so only the key buffer's own rule is seen here.
    m_form->state().flags.boTipoVendaSelecionado = true;
    type(QStringLiteral("12"));
    press(Qt::Key_Escape, QStringLiteral("\x1b"));
    press(Qt::Key_Return, QStringLiteral("\r"));
    press(Qt::Key_Backspace, QStringLiteral("\b"));
    type(QStringLiteral("+-"));
    EXPECT_EQ(buffer(), QStringLiteral("12"));
    EXPECT_TRUE(m_form->isHidden()); // Esc does not close the screen by itself
}

TEST_F(ShellKeys, TheBufferHoldsTwentyCharacters)
{
    type(QStringLiteral("123456789012345678901234"));
    EXPECT_EQ(buffer(), QStringLiteral("12345678901234567890"));
}

TEST_F(ShellKeys, KeysAreIgnoredWhileSettling)
{
    m_form->state().flags.boRecebendo = true;
    type(QStringLiteral("55"));
    EXPECT_EQ(buffer(), QString());
}

TEST_F(ShellKeys, PriceConsultationKeepsTheProductLine)
{
    m_form->state().screen.boConsultaPreco = true;
    m_form->findChild<QLabel *>(QStringLiteral("lblProduto"))->setText(QStringLiteral("R$ 5,00"));
    type(QStringLiteral("1"));
    EXPECT_EQ(m_form->findChild<QLabel *>(QStringLiteral("lblProduto"))->text(), QStringLiteral("R$ 5,00"));
}

TEST_F(ShellKeys, DispatchEndsARefusalSilentlyAndShowsACheckedResult)
{
    m_form->dispatch([] { Abort(); });
    EXPECT_EQ(messages->count(), 0);
    m_form->dispatch([] { throw Consiste::EResultServ(QStringLiteral("QTDE_NOT_CONS")); });
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().at(0).text, QStringLiteral("QTDE_NOT_CONS"));
    EXPECT_EQ(messages->calls().at(0).kind, 3);
}

TEST_F(ShellKeys, ButtonsPassThemselvesAsSender)
{
    // The closing road of the leave button runs through the click route.
    m_form->state().host.stRetornoVenda.clear();
    m_form->findChild<QAbstractButton *>(QStringLiteral("lblSair"))->click();
    EXPECT_EQ(m_form->state().host.stRetornoVenda, QStringLiteral("FECHA_SISTEMA"));
}

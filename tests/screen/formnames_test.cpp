#include "screenfixture.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <screen/tfrmvisualiza.h>

#include <QAbstractButton>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest-spi.h>

#include <span>

namespace {

// Whether `object` is what the name's kind says the form builds under it.
bool isOfKind(const QObject *object, ControlKind kind)
{
    switch (kind) {
    case ControlKind::Form:
        return qobject_cast<const QWidget *>(object) && static_cast<const QWidget *>(object)->isWindow();
    case ControlKind::Label:
        return qobject_cast<const QLabel *>(object);
    case ControlKind::Button:
        return qobject_cast<const QAbstractButton *>(object);
    case ControlKind::Panel:
        return qobject_cast<const QFrame *>(object) && !qobject_cast<const QLabel *>(object)
               && !qobject_cast<const QTableView *>(object);
    case ControlKind::Grid:
        return qobject_cast<const QTableView *>(object);
    case ControlKind::Timer:
        return qobject_cast<const QTimer *>(object);
    case ControlKind::Edit:
        return qobject_cast<const QLineEdit *>(object);
    }
    return false;
}

// The names of `controls` the form lacks or holds as another kind, one line each.
QStringList missingOrWrong(QObject &form, std::span<const NamedControl> controls)
{
    QStringList faults;
    for (const NamedControl &control : controls) {
        QObject *found = form.objectName() == control.name ? &form : form.findChild<QObject *>(QString(control.name));
        if (!found)
            faults << QString(control.name) + QStringLiteral(": missing");
        else if (!isOfKind(found, control.kind))
            faults << QString(control.name) + QStringLiteral(": a ") + QString::fromLatin1(found->metaObject()->className());
    }
    return faults;
}

// The named objects of the form (itself included) that no list names. Objects Qt makes inside
// its own widgets are named "qt_..."; they are not the form's.
QStringList unlisted(QObject &form, std::initializer_list<std::span<const NamedControl>> lists)
{
    QSet<QString> listed;
    for (const auto &list : lists) {
        for (const NamedControl &control : list)
            listed.insert(QString(control.name));
    }
    QStringList strays;
    QList<QObject *> objects = form.findChildren<QObject *>();
    objects.prepend(&form);
    for (QObject *object : objects) {
        const QString name = object->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !listed.contains(name))
            strays << name;
    }
    return strays;
}

// A handler asking a bare form for a label it does not have.
void askForMissingLabel()
{
    QDialog form;
    SaleState state;
    SaleDatasets datasets;
    SaleContext context(form, state, datasets);
    context.setCaption(QStringLiteral("lblNaoExiste"), QStringLiteral("x"));
}

void askForMissingControl()
{
    QDialog form;
    SaleState state;
    SaleDatasets datasets;
    SaleContext context(form, state, datasets);
    context.setVisible(FormName::pnlBotoes, false);
}

} // namespace

class FormNames : public ScreenTest
{
protected:
    void TearDown() override
    {
        destroyFrmVisualiza();
        ScreenTest::TearDown();
    }
};

TEST_F(FormNames, StartedSaleFormHoldsEveryBuiltNameAsItsKind)
{
    QStringList faults{QStringLiteral("form not run")};
    call(QStringLiteral("B"), [&](TfrmVendaCons &form) { faults = missingOrWrong(form, FormName::built); });
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(FormNames, StartedSaleFormNamesNothingTheListsLeaveOut)
{
    QStringList strays{QStringLiteral("form not run")};
    call(QStringLiteral("B"), [&](TfrmVendaCons &form) {
        strays = unlisted(form, {FormName::built, FormName::buyerPanel, FormName::optional});
    });
    EXPECT_TRUE(strays.isEmpty()) << strays.join(QLatin1Char(' ')).toStdString();
}

TEST_F(FormNames, BuyerPanelOnceOpenedHoldsItsNamesAsTheirKinds)
{
    QStringList faults{QStringLiteral("panel never waited")};
    QStringList strays;
    call(QStringLiteral("B"), [&](TfrmVendaCons &form) {
        SaleState &state = form.state();
        state.editParams().stIDINFOCPFPINPAD = QStringLiteral("S");
        state.editParams().stIDUTILTEF = QStringLiteral("T");
        form.datasets().cdsItems.CreateDataSet();
        QTimer::singleShot(0, &form, [&] {
            faults = missingOrWrong(form, FormName::buyerPanel);
            strays = unlisted(form, {FormName::built, FormName::buyerPanel, FormName::optional});
            form.context().button(FormName::btnSairCPF)->click();
        });
        QAbstractButton *buyer = form.context().button(FormName::spbIncluiCpf);
        buyer->setEnabled(true);
        buyer->click();
    });
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(strays.isEmpty()) << strays.join(QLatin1Char(' ')).toStdString();
}

TEST_F(FormNames, OptionalNamesAreNotOnTheSaleForm)
{
    QStringList present{QStringLiteral("form not run")};
    call(QStringLiteral("B"), [&](TfrmVendaCons &form) {
        present.clear();
        for (const NamedControl &control : FormName::optional) {
            if (form.findChild<QObject *>(QString(control.name)))
                present << QString(control.name);
        }
    });
    EXPECT_TRUE(present.isEmpty()) << "list them among the built ones: " << present.join(' ').toStdString();
}

TEST_F(FormNames, CustomerDisplayHoldsEveryNameAsItsKindAndNoOther)
{
    TfrmVisualiza &display = createFrmVisualiza();
    const QStringList faults = missingOrWrong(display, DisplayName::built);
    const QStringList strays = unlisted(display, {DisplayName::built});
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(strays.isEmpty()) << strays.join(QLatin1Char(' ')).toStdString();
}

TEST(FormNameConstants, SpellTheirIdentifiers)
{
    EXPECT_EQ(FormName::spbReceb, QLatin1StringView("spbReceb"));
    EXPECT_EQ(FormName::groupButtons[0], FormName::tcbGrupo01);
    EXPECT_EQ(FormName::groupButtons[11], QLatin1StringView("tcbGrupo12"));
    EXPECT_EQ(FormName::productButtons[35], QLatin1StringView("tcbBalcao36"));
    EXPECT_EQ(DisplayName::images[2], QLatin1StringView("Image3"));
}

TEST(FormNameConstants, ContextFindsByConstantAndByTextAlike)
{
    QDialog form;
    form.setObjectName(QString(FormName::frmVendaCons));
    auto *caption = new QLabel(&form);
    caption->setObjectName(QStringLiteral("lblMenu"));
    SaleState state;
    SaleDatasets datasets;
    SaleContext context(form, state, datasets);

    EXPECT_EQ(context.label(FormName::lblMenu), caption);
    EXPECT_EQ(context.label(QStringLiteral("lblMenu")), caption);
    EXPECT_EQ(context.widget(FormName::frmVendaCons), &form);
    EXPECT_EQ(context.button(FormName::lblMenu), nullptr) << "a label is no button";
    context.setCaption(FormName::lblMenu, QStringLiteral("Lanches"));
    EXPECT_EQ(caption->text(), QStringLiteral("Lanches"));

    // A control renamed after it was found is looked up again.
    caption->setObjectName(QStringLiteral("lblOutro"));
    EXPECT_EQ(context.label(FormName::lblMenu), nullptr);
    EXPECT_EQ(context.label(QLatin1StringView("lblOutro")), caption);
}

TEST(MissingControlMessage, FailsTheTestThatLogsIt)
{
    EXPECT_NONFATAL_FAILURE(askForMissingLabel(), "sale form has no label lblNaoExiste");
    EXPECT_NONFATAL_FAILURE(askForMissingControl(), "sale form has no control pnlBotoes");
}

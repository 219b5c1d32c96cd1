#include "screenshell.h"

#include "salecontext.h"
#include "salestate.h"
#include "touchbutton.h"

#include <QPushButton>

namespace {

// The colour a cleared group button takes ($B09090).
const QColor clearedGroup = colorFromBgr(0xB09090);

QString buttonName(const char *prefix, int number)
{
    return QString::fromLatin1(prefix) + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

void styleTouchButton(QPushButton *button, const QColor &text, const QColor &back, int pointSize)
{
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: %1; background-color: %2; border: none; border-radius: 6px;"
        " font-family: Arial; font-weight: bold; font-size: %3pt; }"
        "QPushButton:pressed { color: palette(window); background-color: red; }"
        "QPushButton:disabled { color: black; background-color: #CCCCCC; }")
        .arg(text.name(), back.name()).arg(pointSize));
}

void ScreenShell::LimpaMenuGrupo()
{
    for (int n = 1; n <= 12; ++n) {
        if (auto *button = m_context.widget<QPushButton>(buttonName("tcbGrupo", n))) {
            button->setText(QString());
            styleTouchButton(button, Qt::black, clearedGroup, 8);
            button->hide();
        }
    }
}

void ScreenShell::LimpaMenuProduto()
{
    for (int n = 1; n <= 36; ++n) {
        if (auto *button = m_context.widget<QPushButton>(buttonName("tcbBalcao", n))) {
            button->setText(QString());
            styleTouchButton(button, Qt::black, Qt::lightGray, 8);
            button->hide();
        }
    }
}

// The group page is drawn from cdsConfigGrupo by the touch-grid road; until then the buttons
// stay cleared and the page starts again at 1 when asked.
void ScreenShell::MontaConfigGrupo(bool First)
{
    LimpaMenuGrupo();
    if (First)
        m_context.state().counters.inPaginaGrupo = 1;
    m_context.setCaption(QStringLiteral("lblMenu"), QString());
}

// The product page is drawn from cdsConfigProd by the touch-grid road.
void ScreenShell::MontaConfigProduto(bool, const QString &)
{
    LimpaMenuProduto();
}

// Group and product buttons: filled in by the touch-grid and product-button roads.
void ScreenShell::tcbGrupo01Click(QObject *) {}
void ScreenShell::tcbBalcao01Click(QObject *) {}

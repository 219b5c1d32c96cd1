#include "tfrmvisualiza.h"

#include "datasetmodel.h"
#include "screens.h"
#include "touchbutton.h"

#include <sale/formnames.h>

#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QTableView>

namespace {

TfrmVisualiza *&instance()
{
    static TfrmVisualiza *form = nullptr;
    return form;
}

constexpr int FormWidth = 1024;
constexpr int FormHeight = 768;
const QColor boxColour = colorFromBgr(0x985C27);

QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &rect,
                 int pixelSize, Qt::Alignment alignment, const QString &colour)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(alignment);
    label->setStyleSheet(QStringLiteral("color: %1; font-family: Arial; font-weight: bold; font-size: %2px;")
                             .arg(colour).arg(pixelSize));
    return label;
}

// A rounded box with a white bold title, as the three boxes of the display.
QFrame *addBox(QWidget *parent, const QString &name, int x, int y, const QString &titleName,
               const QString &title, int titleSize)
{
    auto *box = new QFrame(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, 383, 44);
    box->setStyleSheet(QStringLiteral("QFrame#%1 { background-color: %2; border-radius: 10px; }")
                           .arg(name, boxColour.name()));
    addLabel(box, titleName, title, QRect(0, 0, 383, 44), titleSize, Qt::AlignCenter, QStringLiteral("white"));
    return box;
}

} // namespace

TfrmVisualiza::TfrmVisualiza(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(DisplayName::frmVisualiza);
    resize(1008, 729);
    FieldDefList &defs = cdsExtratoVisualiza.FieldDefs();
    defs.Add(QStringLiteral("DSITEM3"), FieldType::String, 8);
    defs.Add(QStringLiteral("DSITEM2"), FieldType::String, 17);
    defs.Add(QStringLiteral("DSITEM"), FieldType::String, 25);
    defs.Add(QStringLiteral("CDPROD"), FieldType::String, 20);
    defs.Add(QStringLiteral("NMPROD"), FieldType::String, 50);
    defs.Add(QStringLiteral("STVALOR"), FieldType::String, 20);
    defs.Add(QStringLiteral("STQTDE"), FieldType::String, 20);
    defs.Add(QStringLiteral("NRSEQ"), FieldType::String, 10);
    buildPictures();
    buildBoxes();
}

QLabel *TfrmVisualiza::label(const QString &name) const
{
    return findChild<QLabel *>(name);
}

TfrmVisualiza::~TfrmVisualiza()
{
    if (instance() == this)
        instance() = nullptr;
}

void TfrmVisualiza::buildPictures()
{
    auto *background = new QFrame(this);
    background->setObjectName(DisplayName::blsFundo);
    background->setGeometry(rect());
    background->setStyleSheet(QStringLiteral("QFrame#blsFundo { background-color: white; border-radius: 20px; }"));
    auto *logo = new QLabel(this);
    logo->setObjectName(DisplayName::imgLogo);
    logo->setGeometry(1, 3, 120, 67);
    logo->setAlignment(Qt::AlignCenter);
    const int tops[] = {109, 296, 481};
    for (int i = 0; i < 3; ++i) {
        auto *image = new QLabel(this);
        image->setObjectName(DisplayName::images[i]);
        image->setGeometry(1, tops[i], 608, 154);
        image->setAlignment(Qt::AlignCenter);
    }
}

void TfrmVisualiza::buildBoxes()
{
    const QString highlight = QStringLiteral("palette(highlight)");
    addBox(this, DisplayName::bldPeso, 624, 14, DisplayName::lblBalanca, QStringLiteral("Balança"), 27);
    addLabel(this, DisplayName::lblPeso, QStringLiteral("0"), QRect(719, 60, 195, 49), 40,
             Qt::AlignCenter, highlight);
    addBox(this, DisplayName::BlendedShape2, 624, 112, DisplayName::lblComanda,
           QStringLiteral("Produtos comandados"), 27);
    auto *tray = new QFrame(this);
    tray->setObjectName(DisplayName::panFundoBandeja);
    tray->setGeometry(623, 158, 381, 456);
    tray->setFrameShape(QFrame::Panel);
    tray->setFrameShadow(QFrame::Sunken);
    tray->setStyleSheet(QStringLiteral("QFrame#panFundoBandeja { background-color: white; }"));
    auto *coupon = new QFrame(tray);
    coupon->setObjectName(DisplayName::panCupom);
    coupon->setGeometry(5, 6, 370, 445);
    auto *grid = new QTableView(coupon);
    grid->setObjectName(DisplayName::dbgVisualiza);
    grid->setGeometry(-2, -2, 387, 482);
    m_model = new DataSetModel(cdsExtratoVisualiza, {QStringLiteral("DSITEM"), QStringLiteral("DSITEM2"),
                                                     QStringLiteral("DSITEM3")}, this);
    m_model->setAlignment(1, Qt::AlignRight);
    m_model->setAlignment(2, Qt::AlignRight);
    grid->setModel(m_model);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setShowGrid(false);
    grid->setFrameShape(QFrame::NoFrame);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setColumnWidth(0, 189);
    grid->setColumnWidth(1, 121);
    grid->setStyleSheet(QStringLiteral("font-family: Arial; font-weight: bold; font-size: 13px;"));
    addBox(this, DisplayName::BlendedShape3, 624, 619, DisplayName::lblTotal, QStringLiteral("Total"), 32);
    addLabel(this, DisplayName::lblVrTotal, QString(), QRect(715, 667, 195, 49), 45,
             Qt::AlignRight | Qt::AlignVCenter, highlight);
}

void TfrmVisualiza::showEvent(QShowEvent *event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TfrmVisualiza::FormShow()
{
    // The display is only made with a second monitor; should it be gone, the main one serves.
    const QList<QRect> monitors = Screens::monitors();
    const QRect monitor = monitors.size() > 1 ? monitors.at(1) : monitors.value(0, QRect(0, 0, FormWidth, FormHeight));
    setGeometry(monitor.left() + monitor.width() / 2 - FormWidth / 2,
                monitor.top() + monitor.height() / 2 - FormHeight / 2, FormWidth, FormHeight);
    if (!cdsExtratoVisualiza.Active())
        cdsExtratoVisualiza.CreateDataSet();
    findChild<QLabel *>(DisplayName::lblVrTotal)->setText(PtBr::FormatFloat(QStringLiteral("#,##0.00"), 0.0));
    findChild<QLabel *>(DisplayName::lblPeso)->setText(QStringLiteral("0"));
    loadPictures();
}

void TfrmVisualiza::loadPictures()
{
    if (!QFileInfo(SitePaths::resolve(QStringLiteral("Dados\\Img"))).isDir())
        return;
    for (int i = 1; i <= 3; ++i) {
        const QString path = SitePaths::resolve(QStringLiteral("Dados\\Img\\img%1.jpg").arg(i));
        QPixmap picture;
        if (QFileInfo(path).isFile() && picture.load(path))
            findChild<QLabel *>(DisplayName::images[i - 1])->setPixmap(picture);
    }
}

TfrmVisualiza *frmVisualiza()
{
    return instance();
}

TfrmVisualiza &createFrmVisualiza()
{
    if (!instance())
        instance() = new TfrmVisualiza();
    return *instance();
}

void destroyFrmVisualiza()
{
    delete instance();
    instance() = nullptr;
}

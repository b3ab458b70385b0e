// Renders the compiled picture set onto one PNG: a few screens put together from the
// pictures at their screen positions under the application style sheet, then every picture
// with its resource name and size.
//
//   quarn_contactsheet <out.png>

#include "resources/quarnResources.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

const QString Images = QStringLiteral(":/:/images/images/");

QPixmap pic(const QString& name)
{
    return QPixmap(name.startsWith(QLatin1Char(':')) ? name : Images + name);
}

// Status bar as laid out on the instrument: camera, time, battery, headlight, target class.
QWidget* statusBar(QWidget* parent, const QString& battery, const QString& status)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("IconStatusBar"));
    bar->setGeometry(0, 0, 240, 40);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral(
        "#IconStatusBar { background-image: url(:/:/images/images/main_backgrd_upper.png); }"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    auto* camera = new QPushButton(bar);
    camera->setIcon(pic(QStringLiteral("camera.png")));
    camera->setIconSize(QSize(34, 34));
    camera->setStyleSheet(QStringLiteral("QPushButton\n{\nborder: none;\nbackground:none\n}"));
    row->addWidget(camera);
    auto* time = new QLabel(QStringLiteral("14:07"), bar);
    time->setStyleSheet(QStringLiteral("background: none;\ncolor:rgb(133, 133, 133)"));
    time->setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    row->addWidget(time);
    row->addStretch();
    for (const QString& name : {battery, QStringLiteral("headlamp_on.png"), status}) {
        auto* icon = new QLabel(bar);
        icon->setStyleSheet(QStringLiteral("background: none;"));
        icon->setFixedSize(34, 34);
        icon->setScaledContents(true);
        icon->setPixmap(pic(name));
        row->addWidget(icon);
    }
    return bar;
}

QWidget* page(QWidget* screen)
{
    auto* stack = new QWidget(screen);
    stack->setObjectName(QStringLiteral("stack"));
    stack->setGeometry(0, 40, 240, 280);
    stack->setAttribute(Qt::WA_StyledBackground);
    stack->setStyleSheet(QStringLiteral(
        "#stack { background-image: url(:/:/images/images/main_backgrd_lower.png); }"));
    return stack;
}

QPushButton* iconButton(QWidget* parent, const QString& icon, QSize size, const QRect& geometry)
{
    auto* button = new QPushButton(parent);
    button->setIcon(pic(icon));
    button->setIconSize(size);
    button->setGeometry(geometry);
    return button;
}

void bottomRow(QWidget* page, const QStringList& icons, QSize iconSize = QSize(32, 32))
{
    const int w = 240 / icons.size();
    for (int i = 0; i < icons.size(); ++i)
        iconButton(page, icons.at(i), iconSize, QRect(i * w + 6, 234, w - 12, 42));
}

// The bar graph's drawing steps with fixed readings: transmit 16 of 20, RX2 at full scale,
// RX3 at 100 of 239, power level 16 in automatic mode, trip level 6.
class BarGraphMock : public QWidget
{
public:
    explicit BarGraphMock(QWidget* parent) : QWidget(parent) { setGeometry(0, 0, 240, 280); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const int power = 16 * 830 / 100;
        const int rx2 = std::min(239, 239) * 166 / 239;
        const int rx3 = std::min(100, 239) * 166 / 239;
        const int level = 16;
        const int trip = 6;

        QPainter p(this);
        for (int x : {30, 110, 170})
            p.drawPixmap(x, 30, pic(QStringLiteral("sliderbar.png")));
        p.drawPixmap(63, 40, pic(QStringLiteral("power_scale.png")));
        const struct
        {
            int x;
            int height;
            const char* name;
        } bars[] = {{40, power, "power"}, {120, rx2, "rx2"}, {180, rx3, "rx3"}};
        for (const auto& bar : bars) {
            const QString name = QLatin1String(bar.name);
            p.drawPixmap(bar.x, 208, pic(name + QStringLiteral("_bar_bottom.png")));
            for (int i = 0; i < bar.height; i += 2)
                p.drawPixmap(bar.x, 206 - i, pic(name + QStringLiteral("_bar_fill.png")));
            if (bar.height > 165)
                p.drawPixmap(bar.x, 38, pic(name + QStringLiteral("_bar_top.png")));
        }
        p.drawPixmap(143, 124, pic(QStringLiteral("threshold_scale")));
        p.drawPixmap(30, 206 - (5 * level) * 166 / 100, pic(QStringLiteral("threshold_rule.png")));
        p.drawPixmap(10, 199 - (5 * level) * 166 / 100, pic(QStringLiteral("auto_pwr.png")));
        p.drawPixmap(110, 202 - (5 * trip) * 166 / 100, pic(QStringLiteral("threshold_btn_rule2")));
    }
};

QWidget* screen(const QString& battery, const QString& status)
{
    auto* screen = new QWidget;
    screen->setFixedSize(240, 320);
    page(screen);
    statusBar(screen, battery, status);
    return screen;
}

QWidget* barGraphScreen()
{
    QWidget* s = screen(QStringLiteral("battery_75.png"), QStringLiteral("semi_conductor_on.png"));
    auto* stack = s->findChild<QWidget*>(QStringLiteral("stack"));
    new BarGraphMock(stack);
    bottomRow(stack, {QStringLiteral("audio_on.png"), QStringLiteral("home.png"),
                      QStringLiteral("audio_change.png")});
    return s;
}

QWidget* homeScreen()
{
    QWidget* s = screen(QStringLiteral("battery_25.png"), QStringLiteral("corrosive_yellow.png"));
    auto* stack = s->findChild<QWidget*>(QStringLiteral("stack"));
    const QStringList tiles = {
        QStringLiteral(":/:/images/barscreen80.png"), QStringLiteral(":/:/images/chartrec80.png"),
        QStringLiteral(":/:/images/freqscan80.png"), QStringLiteral("SpectralDisplayButton.png")};
    for (int i = 0; i < tiles.size(); ++i)
        iconButton(stack, tiles.at(i), QSize(80, 80),
                   QRect(22 + (i % 2) * 106, 26 + (i / 2) * 104, 92, 96));
    bottomRow(stack, {QStringLiteral("audio_off.png"), QStringLiteral("home.png"),
                      QStringLiteral("tools.png")});
    return s;
}

QWidget* keypadScreen()
{
    QWidget* s = screen(QStringLiteral("ac_power.png"), QStringLiteral("frequency.png"));
    auto* stack = s->findChild<QWidget*>(QStringLiteral("stack"));
    const QStringList keys = {
        QStringLiteral("keypad_power_on.png"),     QStringLiteral("keypad_transmit_up.png"),
        QStringLiteral("keypad_audio_select.png"), QStringLiteral("keypad_volume_down.png"),
        QStringLiteral("keypad_select.png"),       QStringLiteral("keypad_volume_up.png"),
        QStringLiteral("Menu_button.png"),         QStringLiteral("keypad_transmit_down.png")};
    for (int i = 0; i < keys.size(); ++i) {
        QPushButton* key = iconButton(stack, keys.at(i), QSize(56, 56),
                                      QRect(27 + (i % 3) * 64, 24 + (i / 3) * 64, 58, 58));
        key->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    }
    bottomRow(stack, {QStringLiteral("audio_on.png"), QStringLiteral("home.png"),
                      QStringLiteral("tools.png")});
    return s;
}

QWidget* setupScreen()
{
    QWidget* s = screen(QStringLiteral("battery_100.png"), QString());
    auto* stack = s->findChild<QWidget*>(QStringLiteral("stack"));
    const QStringList texts = {QStringLiteral("Volume"),           QStringLiteral("Audio\nMode"),
                               QStringLiteral("Tx Power\n Mode"),  QStringLiteral("Freq\nMode"),
                               QStringLiteral("DSP Gain\n Level"), QStringLiteral("Brightness")};
    for (int i = 0; i < texts.size(); ++i) {
        auto* b = new QPushButton(texts.at(i), stack);
        b->setGeometry(20 + (i % 2) * 104, 28 + (i / 2) * 64, 96, 56);
    }
    auto* label = new QLabel(QStringLiteral("1/3"), stack);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, 216, 240, 16);
    iconButton(stack, QStringLiteral("straight_arrow_left.png"), QSize(56, 24),
               QRect(6, 234, 68, 42));
    iconButton(stack, QStringLiteral("home.png"), QSize(32, 32), QRect(86, 234, 68, 42));
    iconButton(stack, QStringLiteral("straight_arrow_right.png"), QSize(56, 24),
               QRect(166, 234, 68, 42));
    return s;
}

QStringList allPictures()
{
    QStringList names;
    QDirIterator it(QStringLiteral(":/:/images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next();
    // Bare names are the same pictures as their .png twins.
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& n) { return !n.endsWith(QLatin1String(".png")); }),
                names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const QImage ia(a), ib(b);
        const int areaA = ia.width() * ia.height(), areaB = ib.width() * ib.height();
        return areaA != areaB ? areaA < areaB : a < b;
    });
    return names;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: quarn_contactsheet <out.png>\n");
        return 2;
    }
    QuarnResources::Init();
    QFile qss(QStringLiteral(":/:/qss/QuarnStyle.qss"));
    if (!qss.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    app.setStyleSheet(QString::fromUtf8(qss.readAll()));
    app.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    const QList<QWidget*> screens = {barGraphScreen(), homeScreen(), keypadScreen(), setupScreen()};
    const QStringList pictures = allPictures();

    const int sheetWidth = 1100;
    const int margin = 20;
    const int cellW = 150;

    // Lay the cells out first so the sheet height is known.
    QList<QRect> cells;
    int x = margin, y = margin + 320 + 52, rowHeight = 0;
    for (const QString& name : pictures) {
        const QSize size = QImage(name).size();
        const int w = std::max(cellW, ((size.width() + 20 + cellW - 1) / cellW) * cellW);
        const int h = std::max(size.height(), 20) + 44;
        if (x + w > sheetWidth - margin) {
            x = margin;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        cells << QRect(x, y, w - 10, h);
        x += w;
        rowHeight = std::max(rowHeight, h);
    }

    QImage sheet(sheetWidth, y + rowHeight + margin, QImage::Format_RGB32);
    sheet.fill(QColor(0x17, 0x18, 0x1a));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont caption(QStringLiteral("DejaVu Sans"), 8);
    QFont title(QStringLiteral("DejaVu Sans"), 10, QFont::Bold);
    const QStringList screenNames = {QStringLiteral("Bar graph"), QStringLiteral("Home"),
                                     QStringLiteral("Keypad"), QStringLiteral("Setup")};
    p.setFont(caption);
    p.setPen(QColor(0x85, 0x85, 0x85));
    p.drawText(
        QRect(margin, margin + 350, sheetWidth - 2 * margin, 14), Qt::AlignLeft,
        QStringLiteral("Each picture on the button face (left half) and on the dark screen "
                       "(right half); names below :/:/images/images/ unless shown with a folder."));
    for (int i = 0; i < screens.size(); ++i) {
        const QPoint at(margin + i * 260, margin + 20);
        p.setFont(title);
        p.setPen(QColor(0xb1, 0xb1, 0xb1));
        p.drawText(at + QPoint(0, -6), screenNames.at(i));
        p.drawPixmap(at, screens.at(i)->grab());
        p.setPen(QColor(0x50, 0x51, 0x55));
        p.drawRect(QRect(at, QSize(240, 320)).adjusted(-1, -1, 0, 0));
    }

    for (int i = 0; i < pictures.size(); ++i) {
        const QRect cell = cells.at(i);
        const QImage image(pictures.at(i));
        p.fillRect(cell, QColor(0x26, 0x27, 0x2a));
        // Half the cell shows the picture on the button face, so both backgrounds are judged.
        p.fillRect(QRect(cell.topLeft(), QSize(cell.width() / 2, cell.height() - 30)),
                   QColor(0x4c, 0x4d, 0x4f));
        const QPoint pos(cell.center().x() - image.width() / 2, cell.top() + 6);
        p.drawImage(pos, image);
        p.setFont(caption);
        p.setPen(QColor(0xb1, 0xb1, 0xb1));
        // Pictures of the inner folder go by their file name, the few outside it by their path.
        QString name = pictures.at(i);
        name.remove(0, name.startsWith(Images) ? Images.size() : 4);
        const QRect line(cell.left() + 2, cell.bottom() - 28, cell.width() - 4, 14);
        p.drawText(line, Qt::AlignCenter,
                   p.fontMetrics().elidedText(name, Qt::ElideMiddle, line.width()));
        p.setPen(QColor(0x85, 0x85, 0x85));
        p.drawText(QRect(cell.left() + 2, cell.bottom() - 14, cell.width() - 4, 14),
                   Qt::AlignCenter,
                   QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
    }
    p.end();
    qDeleteAll(screens);
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

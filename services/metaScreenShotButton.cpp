#include "services/metaScreenShotButton.h"

#include "services/metaScreenShot.h"
#include "services/sdCardMonitor.h"
#include "shell/panelDialogs.h"

#include <QDebug>
#include <QTimer>

MetaScreenShotButton::MetaScreenShotButton(const QIcon& icon, const QString& text, QWidget* parent)
    : HapticPushButton(icon, text, parent)
{
    init();
}

MetaScreenShotButton::MetaScreenShotButton(const QString& text, QWidget* parent)
    : HapticPushButton(text, parent)
{
    init();
}

MetaScreenShotButton::MetaScreenShotButton(QWidget* parent) : HapticPushButton(parent)
{
    init();
}

MetaScreenShotButton::~MetaScreenShotButton() = default;

void MetaScreenShotButton::init()
{
    // One event-loop pass later, after the creator's own wiring of clicked().
    QTimer::singleShot(0, this, &MetaScreenShotButton::ConnectWithBaseSignal);

    m_revertTimer = new QTimer(this);
    m_revertTimer->setSingleShot(true);
    connect(m_revertTimer, &QTimer::timeout, this, &MetaScreenShotButton::RevertColorToNormal);

    m_sheet = std::make_unique<MetaScreenShot>();
    connect(m_sheet.get(), &MetaScreenShot::SaveComplete, this,
            &MetaScreenShotButton::ScreenShotComplete);
    connect(m_sheet.get(), &MetaScreenShot::SaveFailed, this,
            &MetaScreenShotButton::ScreenShotFailed);
}

void MetaScreenShotButton::ConnectWithBaseSignal()
{
    connect(this, &QPushButton::clicked, this, &MetaScreenShotButton::TakeMetaScreenShot,
            Qt::UniqueConnection);
}

void MetaScreenShotButton::TakeMetaScreenShot()
{
    SdCardMonitor* card = SdCardMonitor::Get();
    if (!card->IsCardReady()) {
        PanelMessageBox box(QMessageBox::Information, tr("SD Card Required"),
                            tr("To take a screenshot, please insert a micro SD Card"),
                            QMessageBox::Ok);
        box.setWindowIcon(icon());
        box.exec();
        return;
    }
    // A write-protected card may still take the file (root on the desktop): the card's
    // read-only state decides, as it does for every writer to the card.
    if (!card->IsCardWritable()) {
        qDebug() << "Screenshot not saved: card is read-only";
        emit ScreenShotFailed();
        return;
    }

    // Taken now, not at construction: the style sheet sets the palette when the button is
    // first shown. A flash still running keeps the palette it will return to.
    if (!m_revertTimer->isActive())
        m_normalPalette = palette();
    QPalette flash = m_normalPalette;
    flash.setColor(QPalette::All, backgroundRole(), Qt::blue);
    setPalette(flash);
    m_sheet->Save(card->GetSdCardRootFolder());
    m_revertTimer->start(kFlashMs);
}

void MetaScreenShotButton::RevertColorToNormal()
{
    setPalette(m_normalPalette);
}

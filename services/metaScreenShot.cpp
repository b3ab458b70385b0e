#include "services/metaScreenShot.h"

#include "board/board.h"
#include "services/rawScreenShot.h"
#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "ui_metaScreenShot.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QLocale>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>

namespace {
const char* kNomenclatureKt = ":/:/images/images/nomenclature_kt.png";
const char* kNomenclature900 = ":/:/images/images/nomenclature_900.png";
const char* kFileStampFormat = "yyyy_MM_dd_hh_mm_ss";
} // namespace

bool SaveImageToFileAndSync(QString path, QImage image, QString format)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QImageWriter writer(&file, format.toLatin1());
    const bool written = writer.write(image) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        file.remove();
    Board::Get().SyncFileSystems();
    return written && file.error() == QFileDevice::NoError;
}

MetaScreenShot::MetaScreenShot(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MetaScreenShot>()), m_pollTimer(new QTimer(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    m_pollTimer->setInterval(kPollMs);
    connect(m_pollTimer, &QTimer::timeout, this, &MetaScreenShot::CheckSaveProgress);
}

MetaScreenShot::~MetaScreenShot() = default;

QString MetaScreenShot::ModeText(int operatingMode)
{
    switch (eOperatingMode(operatingMode)) {
    case eOperatingMode::Standby:
        return tr("Standby");
    case eOperatingMode::Ambient:
        return tr("Ambient");
    case eOperatingMode::CW:
        return tr("CW");
    case eOperatingMode::Echo:
        return tr("Echo");
    case eOperatingMode::Search:
        return tr("Search: ") + AudioModeUserSetting().toString();
    }
    return QStringLiteral("Unknown - Error");
}

QString MetaScreenShot::FrequencyText(unsigned int frequencyHz)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(qulonglong(frequencyHz));
}

QString MetaScreenShot::OutputPowerText(int powerLevel)
{
    return QString::number(quint8(powerLevel * 5)) + QLatin1Char('%');
}

QImage MetaScreenShot::RenderSheet(const QDateTime& dateTime)
{
    ui->modeLabel->setText(ModeText(OperatingModeUserSetting().Get()));
    ui->freqLabel->setText(FrequencyText(FreqValueUserSetting().Get()));
    ui->quarnTitleLabel->setPixmap(QPixmap(QLatin1String(
        AdminOptionsSettings().IsHeadVariant900() ? kNomenclature900 : kNomenclatureKt)));
    ui->dateTimeLabel->setText(dateTime.toString(Qt::TextDate));
    ui->outputPowerLabel->setText(OutputPowerText(PowerLevelUserSetting().Get()));

    // Never shown: the layout has to be brought up to date before the screen is fitted in.
    layout()->activate();
    const QSize room = ui->screenShotLabel->contentsRect().size();
    QPixmap screen = RawScreenShot().GetScreenShot();
    if (screen.width() > room.width() || screen.height() > room.height())
        screen = screen.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui->screenShotLabel->setPixmap(screen);

    QImage sheet(size(), QImage::Format_RGB888);
    render(&sheet);
    return sheet;
}

QString MetaScreenShot::ChooseFileName(const QString& folder, const QDateTime& dateTime)
{
    const QString stem =
        folder + QStringLiteral("vek_") + dateTime.toString(QLatin1String(kFileStampFormat));
    const auto taken = [this](const QString& path) {
        if (QFileInfo::exists(path))
            return true;
        return std::any_of(m_saves.cbegin(), m_saves.cend(),
                           [&path](const PendingSave& save) { return save.path == path; });
    };
    QString path = stem + QStringLiteral(".png");
    for (int number = 2; taken(path); ++number)
        path = stem + QLatin1Char('_') + QString::number(number) + QStringLiteral(".png");
    return path;
}

void MetaScreenShot::Save(const QString& folder)
{
    const QDateTime now = Board::Get().Now();
    const QImage sheet = RenderSheet(now);
    const QString path = ChooseFileName(folder, now);
    m_saves.append(
        {path, QtConcurrent::run(SaveImageToFileAndSync, path, sheet, QStringLiteral("png"))});
    m_pollTimer->start();
}

void MetaScreenShot::CheckSaveProgress()
{
    while (!m_saves.isEmpty() && m_saves.first().written.isFinished()) {
        const PendingSave save = m_saves.takeFirst();
        if (m_saves.isEmpty())
            m_pollTimer->stop();
        if (save.written.result()) {
            emit SaveComplete();
        } else {
            qDebug() << "Screenshot not saved:" << save.path;
            emit SaveFailed();
        }
    }
}

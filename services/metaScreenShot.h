#pragma once

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class QTimer;

namespace Ui {
class MetaScreenShot;
}

// Encodes image in format into a new file at path and flushes the file systems. Never
// replaces an existing file: false when the file exists already or cannot be written (a
// partly written file is removed). Runs on a worker thread.
bool SaveImageToFileAndSync(QString path, QImage image, QString format);

// The annotated screenshot: the current screen, reduced, on a 480 x 640 sheet with the
// model's nomenclature, the operating mode, frequency, output power, date and time. The
// sheet is rendered on the GUI thread; encoding and writing run on the global thread pool.
// Never shown.
class MetaScreenShot : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 50;

    explicit MetaScreenShot(QWidget* parent = nullptr);
    ~MetaScreenShot() override;

    // Renders the sheet and starts writing it into folder (with its trailing '/'), under a
    // name from the current date and time that no earlier screenshot holds.
    void Save(const QString& folder);

    // Fills the sheet from the current settings, the screen and dateTime, and renders it.
    QImage RenderSheet(const QDateTime& dateTime);
    // The file for a screenshot taken at dateTime: vek_yyyy_MM_dd_hh_mm_ss.png, with _2, _3 ...
    // before the suffix for further screenshots of the same second.
    QString ChooseFileName(const QString& folder, const QDateTime& dateTime);
    bool IsSaving() const { return !m_saves.isEmpty(); }

    static QString ModeText(int operatingMode);
    static QString FrequencyText(unsigned int frequencyHz);
    static QString OutputPowerText(int powerLevel);

signals:
    void SaveComplete();
    // Emitted in place of SaveComplete() when the file could not be written.
    void SaveFailed();

public slots:
    void CheckSaveProgress();

private:
    std::unique_ptr<Ui::MetaScreenShot> ui;
    QTimer* m_pollTimer = nullptr;
    struct PendingSave
    {
        QString path;
        QFuture<bool> written;
    };
    // Every save still running, oldest first: each one's outcome is reported, and its name
    // stays taken until then.
    QList<PendingSave> m_saves;
};

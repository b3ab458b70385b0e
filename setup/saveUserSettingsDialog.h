#pragma once

#include <QDialog>
#include <QList>

#include <memory>

namespace Ui {
class SaveUserSettingsDialog;
}

// Asks where the current settings go: the internal profile or one of the six SD-card
// profiles, which can be chosen only while the card is ready. Without a card they are
// shown dimmed over a note, and a tap on one says why.
class SaveUserSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SaveUserSettingsDialog(QWidget* parent = nullptr);
    ~SaveUserSettingsDialog() override;

    bool isInternalSelected() const { return m_internalSelected; }
    // 1 to 6, or -1 while the internal profile is chosen.
    int selectedSdProfile() const { return m_selectedSdProfile; }

    void UpdateButtonStatus();

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void onSdCardStatusChange();
    void on_internalButton_clicked();
    void on_sdCard1Button_clicked();
    void on_sdCard2Button_clicked();
    void on_sdCard3Button_clicked();
    void on_sdCard4Button_clicked();
    void on_sdCard5Button_clicked();
    void on_sdCard6Button_clicked();

private:
    void selectSdProfile(int n);
    QList<QWidget*> sdButtons() const;
    void explainNoCard();
    bool cardIsReadOnly() const;

    std::unique_ptr<Ui::SaveUserSettingsDialog> ui;
    bool m_internalSelected = true;
    int m_selectedSdProfile = -1;
};

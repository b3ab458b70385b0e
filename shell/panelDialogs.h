#pragma once

#include <QMessageBox>
#include <QObject>

class QApplication;
class QDialog;

// Keeps every dialog on the 240 x 320 panel: a maximised dialog covers the panel (on a
// desktop the window manager would spread it over the whole screen), any other is made to
// fit and centred over it. The look (dark ground, legible text, finger-sized buttons) is
// the style sheet's.
class PanelDialogs : public QObject
{
    Q_OBJECT
public:
    // Watches the application's dialogs from now on.
    static void Install(QApplication& app);
    // Fits one dialog now; Install does it for each dialog as it is shown or maximised.
    static void Fit(QDialog& dialog);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

// A message box for the panel. A plain message box sizes itself for the screen under the
// mouse (400 pixels wide and more on a desktop) every time its layout changes; this one
// wraps its text to the panel's width and sits centred over the panel, maximised or not.
class PanelMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    static constexpr int kMargin = 8;

    using QMessageBox::QMessageBox;
    bool event(QEvent* event) override;

    // A warning with OK that is shown without blocking (the caller may be inside the bus's
    // delivery of a message) and deletes itself when closed.
    static PanelMessageBox* OpenNotice(const QString& title, const QString& text, QWidget* parent);

private:
    void fitToPanel();
};

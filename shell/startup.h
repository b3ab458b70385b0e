#pragma once

class QApplication;

// Starts the instrument on an application object whose board layer is set up, and runs
// the event loop. Shared by the device program and the desktop build.
int RunInstrument(QApplication& app);

// Loads the style sheet from the resources ("not here" when it is missing).
void ApplyStyleSheet(QApplication& app);

// The style sheet, and dialogs kept on the panel.
void ApplyPanelStyle(QApplication& app);

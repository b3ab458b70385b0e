#pragma once

#include <memory>

class QApplication;
class Quarn24EX;

// Starts the instrument on an application object whose board layer is set up, and runs
// the event loop. Shared by the device program and the desktop build.
int RunInstrument(QApplication& app);

// Everything RunInstrument does short of the event loop: the services in their order and
// the shown main window. Fuzzing and soak tools drive the running program with it.
std::unique_ptr<Quarn24EX> StartInstrument(QApplication& app);

// Loads the style sheet from the resources ("not here" when it is missing).
void ApplyStyleSheet(QApplication& app);

// The style sheet, and dialogs kept on the panel.
void ApplyPanelStyle(QApplication& app);

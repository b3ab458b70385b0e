#pragma once

class FakeDevice;
class UserSettingsService;

// The program as the fuzz targets need it: an offscreen application over a sandboxed board,
// quiet debug output, and on request every service and the main window.
namespace FuzzProgram {
// Creates the application and the sandbox once.
void Start(bool widgets = false);
// Start(true), then the services and the shown main window, as the instrument starts.
// Install the bus on a fake line first.
void StartWholeProgram();

// Start(), then the bus on a fake line and the settings service over a fresh store, made
// once; the settings targets feed the service directly.
struct SettingsOnLine
{
    FakeDevice* line = nullptr;
    UserSettingsService* settings = nullptr;
};
SettingsOnLine& StartSettings();
} // namespace FuzzProgram

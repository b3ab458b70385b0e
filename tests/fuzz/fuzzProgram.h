#pragma once

// The program as the fuzz targets need it: an offscreen application over a sandboxed board,
// quiet debug output, and on request every service and the main window.
namespace FuzzProgram {
// Creates the application and the sandbox once.
void Start(bool widgets = false);
// Start(true), then the services and the shown main window, as the instrument starts.
// Install the bus on a fake line first.
void StartWholeProgram();
} // namespace FuzzProgram

#pragma once

// The pictures and the style sheet live in the static library quarn_ui; a program (or test)
// registers them once with Init() before it loads anything under ":/:/".
namespace QuarnResources {
void Init();
} // namespace QuarnResources

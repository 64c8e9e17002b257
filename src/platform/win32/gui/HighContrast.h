#pragma once
// Whether the user chose a high-contrast theme: then the window's lines take
// the theme's colours, never colours of their own.

bool HighContrastOn();

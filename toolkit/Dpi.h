// The resolution of the screen and of windows. Uses the per-monitor calls
// of Windows 10 (1607 and later) where the system has them, the screen's
// LOGPIXELSY elsewhere. Arithmetic on the values is DpiScale's.
#pragma once
#include <windows.h>

#include "DpiScale.h"

// The system resolution: what a window gets on the primary monitor.
int SystemDpi();
// The resolution of the monitor `wnd` is on (the system resolution where
// the system has no per-monitor resolutions).
int WindowDpi(HWND wnd);
// GetSystemMetrics at `dpi` (icon sizes, frame widths ...).
int SystemMetricForDpi(int index, int dpi);
// AdjustWindowRectEx with the frame of a window at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi);
// The system's non-client metrics (menu and caption fonts ...) at `dpi`.
NONCLIENTMETRICSA NonClientMetricsForDpi(int dpi);
// The program's icon (resource MAINICON) at the size the system asks for
// at its resolution: small (SM_CXSMICON) or large (SM_CXICON). Loaded once
// per size and kept for the process.
HICON ProgramIcon(bool small, int dpi = SystemDpi());

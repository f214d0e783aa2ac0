// What a desktop needs to tell the viewer's window apart: its class
// (WM_CLASS, matched to the desktop entry's StartupWMClass) and its icon
// (_NET_WM_ICON), read from the icon installed beside the artwork.
#pragma once

// The class the window and the desktop entry's StartupWMClass share, and
// the instance name beside it.
constexpr const char* windowClassName = "Zandervale";
constexpr const char* windowInstanceName = "zandervale";

// Names the current GLUT window for the desktop; a missing icon file leaves
// the window without one.
void nameWindowForDesktop();

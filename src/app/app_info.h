#pragma once
// Names and version the window, the About box and the message boxes show, and the room the
// windows leave for the window manager.

#include <QSize>

namespace quarvel::app {

// Room a window manager's title bar and borders take around a window, kept free within the
// screen's available area where the platform does not tell.
inline constexpr QSize kWindowFrameAllowance{16, 48};

inline constexpr const char* kApplicationTitle = "Quarvel";
inline constexpr const char* kMainWindowCaption = "Quarvel : Bouc-Wen model modification";
// The project's version, given by the build.
inline constexpr int kVersionMajor = QUARVEL_VERSION_MAJOR;
inline constexpr int kVersionMinor = QUARVEL_VERSION_MINOR;
inline constexpr int kVersionRevision = QUARVEL_VERSION_PATCH;
inline constexpr const char* kApplicationComment =
    "Bouc-Wen model modification for compliance with Drucker's and Il'iushin's postulates of "
    "plasticity.";

}  // namespace quarvel::app

#pragma once
// Names and version the window, the About box and the message boxes show.

namespace quarvel::app {

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

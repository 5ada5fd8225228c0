#pragma once
// Names and version the window, the About box and the message boxes show.

namespace quarvel::app {

inline constexpr const char* kApplicationTitle = "Quarvel";
inline constexpr const char* kMainWindowCaption = "Quarvel : Bouc-Wen model modification";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;
inline constexpr const char* kApplicationComment =
    "Bouc-Wen model modification for compliance with Drucker's and Il'iushin's postulates of "
    "plasticity.";

}  // namespace quarvel::app

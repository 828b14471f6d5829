#pragma once
// The sync's own texts: wire words, status and mode lines, message boxes.

namespace synctext {

inline constexpr const char* kRegistrationCaption = "Registration Error";
inline constexpr const char* kNameInUse = "Name in use, please choose another";
inline constexpr const char* kRegistrationFailed = "Error!!!";

}  // namespace synctext

namespace synctext {

inline constexpr const char* kDeleteFailed = "Delete failed";
inline constexpr const char* kCopyFileFailed = "CopyFile failed";

}  // namespace synctext

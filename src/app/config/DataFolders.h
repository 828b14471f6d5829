#pragma once
// Where a user's files live: the default data folder of each device, the names of the
// entries a data folder holds, and the naming of device folders and settings keys.
//
// A device ID comes from the network and may hold anything. Folder names and settings key
// names are made from it by EncodeDeviceId, which is reversible and never yields a path
// separator, a backslash, a control character, "." or "..", a hidden name or an empty
// name; so a device folder always lies directly inside UsersParentFolder() and two device
// IDs never share a folder or a key.

#include <optional>

#include <QString>

namespace config {

inline const QString kCategoriesFile = QStringLiteral("Categories.xml");
inline const QString kDeletedFilesFile = QStringLiteral("DeletedFiles.xml");
inline const QString kFilingCabinetFile = QStringLiteral("FilingCabinet.xml");
inline const QString kImagesFolder = QStringLiteral("Images");
inline const QString kConflictsFolder = QStringLiteral("Conflicts");
inline const QString kTempDataFolder = QStringLiteral("TempData");
inline const QString kBackupFolder = QStringLiteral("Backup");  // beside the data folders
inline const QString kOutlineExtension = QStringLiteral("orv");
inline const QString kTemplateExtension = QStringLiteral("ort");

// folder + "/" + name, the separator inserted only when folder does not already end with
// one. An empty folder gives name unchanged.
QString JoinFolder(const QString& folder, const QString& name);

// The user's documents folder (never empty: home + "/Documents" stands in).
QString DocumentsFolder();
// Documents + "/Varnholt/Orvelle": the folder holding every device's data folder.
QString UsersParentFolder();

// The reversible name form of a device ID. Escapes "%" "/" "\" "~", control characters
// and unpaired surrogates as %XX (or %uXXXX), a leading "." as %2E, and gives "%" for an
// empty ID. Plain IDs (letters, digits, "-", "_") come back unchanged.
QString EncodeDeviceId(const QString& deviceId);
// The device ID of an encoded name; nullopt when the text is not exactly what
// EncodeDeviceId makes of some ID (so no two texts decode to one ID).
std::optional<QString> DecodeDeviceId(const QString& encoded);

// The name of the device's data folder: EncodeDeviceId, and for long IDs (more than
// 200 bytes of UTF-8 once encoded) a prefix of it with "~" and a hash of the full ID, so
// the name fits the file system and stays unique.
QString DeviceFolderName(const QString& deviceId);

// UsersParentFolder() + "/" + DeviceFolderName(deviceId).
QString DefaultDataFolderFor(const QString& deviceId);

}  // namespace config

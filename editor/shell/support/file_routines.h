// Path, file and folder routines that the whole editor shares. Paths are
// native ('/'), stored paths may also hold '\'. No routine follows a link
// out of a folder it lists or clears.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system's drive types.
inline constexpr unsigned DRIVE_UNKNOWN = 0;
inline constexpr unsigned DRIVE_NO_ROOT_DIR = 1;
inline constexpr unsigned DRIVE_REMOVABLE = 2;
inline constexpr unsigned DRIVE_FIXED = 3;
inline constexpr unsigned DRIVE_REMOTE = 4;
inline constexpr unsigned DRIVE_CDROM = 5;
inline constexpr unsigned DRIVE_RAMDISK = 6;

// Appends the separator '/' when the path does not end with one ('/' or
// '\').
void AddBackslash(std::string &path);
// The path cut to at most maximum characters: the path itself when it fits;
// the file name alone when maximum is less than the name's length + 7;
// otherwise the path's start, "...", the separator and the file name
// ("/home/me/.../file.mpd"); empty when no start fits.
std::string ShortenPath(const std::string &path, int maximum);
// The file's size in bytes; -1 when it does not exist or is a folder.
int64_t FileSizeOf(const std::string &file);
// Copies a file over an existing target, through a temporary file in the
// target's folder and a rename, keeping the source's date. Copying a file
// onto itself (the same file by any path) leaves it as it is and succeeds.
bool CopyFileOver(const std::string &source, const std::string &target);
// Adds the paths below a folder to list: files with their full paths,
// folders with a separator at their end and followed by what they hold,
// names beginning with "." left out. A link is listed as itself (a file
// entry) and never followed. The folder itself is not listed. False, adding
// nothing, for an empty folder name, the root or a folder that cannot be
// read.
bool ListFiles(const std::string &folder, std::vector<std::string> &list);
// Deletes what ListFiles lists, from the last entry to the first (links are
// removed, never what they point to); stops at the first failure. True when
// everything went; false for an empty name or the root.
bool ClearFolder(const std::string &folder);
// Copies each plain file of the source folder (not its subfolders) that is
// missing in the target folder or whose copy there is older. True when at
// least one file was copied.
bool CopyNewerFiles(const std::string &sourceFolder, const std::string &targetFolder);
// The drive type of the file system that holds path (DRIVE_NO_ROOT_DIR when
// the path does not exist).
unsigned DriveType(const std::string &path);
// The drive type of a file system type number of statfs.
unsigned DriveTypeOfFileSystem(int64_t fileSystemType);

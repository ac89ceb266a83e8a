// The temporary file behind a save that replaces its target only when the
// new content is whole. Where the file system allows it the file has no name
// until it is complete (O_TMPFILE), so that a process killed while writing
// leaves nothing behind; elsewhere it has a name that tells which process
// wrote it, and the next save in that folder removes it once that process is
// gone.
#pragma once

#include <string>

// Why a target cannot be replaced: an existing target that the user may not
// write refuses, as opening it for writing would (errno, 0 when it may be
// replaced). The rename into the folder is never a way around that.
int ReplaceTargetRefusal(const std::string &target);

// Opens the temporary file in the target's folder for writing; -1 with errno
// set on failure. namedTemp receives the temporary file's name when it has
// one, and is emptied when it has none yet.
int OpenReplacementFile(const std::string &target, std::string *namedTemp);

// Puts the complete temporary file in the target's place: links an unnamed
// file in, or renames a named one. false with errno set on failure; the
// temporary file's name, if any, stays in namedTemp for the caller to remove.
bool CommitReplacementFile(int fd, const std::string &target, std::string *namedTemp);

// The name a temporary file of this process gets beside target.
std::string ReplacementFileName(const std::string &target, int pid, unsigned serial);

// Removes the temporary files in folder that processes now gone left behind
// (regular files of this user named as ReplacementFileName names them).
// Returns how many were removed.
int RemoveStaleReplacementFiles(const std::string &folder);

#pragma once
// The checks the track index file passes before SQLite opens it: the folder
// is resolved to its real path (a home or cache folder that is a link
// works), must be the user's own and is made private to them; the file and
// its -wal and -shm companions must be the user's own regular files and are
// made private too. A damaged file is set aside under another name.
//
// Threads: any; plain functions on the file system.
#include <string>

// Creates the folder (and its parent) when missing. realPath: the file's
// path under the resolved folder, without links. why: what is wrong.
bool prepareIndexFile(const std::string& path, std::string& realPath, std::string& why);

// Renames the file and its companions to "<file>.damaged" (replacing an
// older one); returns the new name, or "" when the file could not be moved.
std::string setAsideIndexFile(const std::string& realPath);

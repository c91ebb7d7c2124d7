#pragma once
// Copies a folder tree file by file. Existing destination files are never
// replaced (they count as copied), so the copy only adds what is missing.
// The result is that of the last entry handled: a folder without entries,
// or any entry that fails, makes the whole copy fail.
#include <string>

bool CopyFolderTree(std::string source, std::string destination, bool failIfExists);

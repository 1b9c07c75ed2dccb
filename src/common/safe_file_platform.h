#pragma once
// What the safe writing of data files needs from the platform; one implementation per platform, chosen by CMake.

#include <QFileDevice>
#include <filesystem>
#include <string>

namespace trelvo::platform {

// Flushes what the system holds of an open file to the disk. On failure `reason` has the system's words.
bool SyncFileToDisk(QFileDevice& file, std::string& reason);

// Makes a rename in `dir` itself durable where the platform needs that; best effort.
void SyncDirectory(const std::filesystem::path& dir);

// Marks an open file as being written by this process for as long as it stays open; best effort.
void MarkWriting(QFileDevice& file);

// Removes `file` unless some process is writing it (MarkWriting); true when it is gone.
bool RemoveUnlessWriting(const std::filesystem::path& file);

// The permissions that a file created now by this process would get.
std::filesystem::perms NewFilePermissions();

} // namespace trelvo::platform

// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

// Makes folder and its missing parents, each new one with mode 0700 whatever
// the umask: a lax umask would otherwise let any local user put files in
// them (an autostart entry that runs at the next login, say), and a strict
// one could leave them unwritable. Folders that exist already keep their
// mode. True when folder is a folder afterwards (through a link is fine).
bool MakePrivateFolders(const std::filesystem::path& folder);

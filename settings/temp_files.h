// Replacing a file whole on POSIX systems: the new content goes to a
// temporary file beside it, which is renamed over it once complete. Each
// temporary file stays under an exclusive flock from its creation until its
// writer closes it or ends, so that a later writer tells what a writer that
// died left behind (no lock) from what one is still writing (locked).
#pragma once

#include <string>

namespace roamlets {

// The folder part of a path, "." when there is none.
std::string folder_of(const std::string& path);

// The file a path names once its symbolic links are followed, so that a save
// through a link replaces the file it points to and keeps the link. A relative
// link is read from the link's folder; a dangling one names the file it would
// point to. The path as given when it is no link (or after 40 links).
std::string follow_links(const std::string& path);

struct TempFile {
  int fd = -1;
  std::string path;
};

// Creates the hidden `<folder>.<name>.XXXXXX` beside `target` (its folder
// and name), readable and writable by the owner only, open for writing and
// locked. Returns 0, or the errno of the failure.
int create_temp_beside(const std::string& target, TempFile& temp);

// Removes the temporary files of `target` (of the same owner) that no writer
// holds any more.
void remove_stale_temps(const std::string& target);

}  // namespace roamlets

// Where a rewrite in place keeps the old content of a file, and which such backups exist.
#pragma once

#include <string>
#include <string_view>

namespace Backups {

// The folder path lies in: "." for a bare name.
std::string FolderOf(const std::string& path);

// The n-th name under which the old content of target (the file itself, past any links) may be
// kept, numbered as GNU tools number backups: "<name>~", then "<name>.~1~", "<name>.~2~" and so
// on, beside it or, where its folder may not be written, in the user's cache folder under the
// file's whole path with every "/" made a "!" (and every "!" and "%" written "%21" and "%25", so
// that no two paths share one).
std::string Name(const std::string& target, bool besideTheFile, int n = 0);

// The most recently changed backup of the file name points to, beside it or in the cache, or ""
// when there is none.
std::string Newest(const std::string& name);

// The folder of the cache backup, and the one above it, made for the user alone where they are
// missing; true when one was made.
bool MakeFolderFor(const std::string& backup);

// name and suffix as one name that a folder can hold; a name too long keeps its start, or with
// keepEnd its end, and a hash of the whole.
std::string WithSuffix(const std::string& name, std::string_view suffix, bool keepEnd = false);

} // namespace Backups

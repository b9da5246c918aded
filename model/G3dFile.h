// G3D files, the text form of a model: a "G3DModel" header line, the model's name, then one
// "x,y,z" line per point holding its offsets from the centre.
#pragma once

#include <cstddef>
#include <string>

class c3dObj;

namespace G3dFile {

// Every line of a file has a bound, in bytes without its line end, so that a file that is not a
// model (a huge file of zeros, an image, one endless line) is refused after a few KiB and memory
// stays small. A saved file's point lines are at most 41 bytes; the bounds leave ample room for
// files written by hand or by other programs, with blanks and long digit strings:
//  - the header line: a longer first line is not the header;
inline constexpr std::size_t kMaxHeaderLine = 4096;
//  - the name line, which is also the longest name Save writes;
inline constexpr std::size_t kMaxNameLine = 4096;
//  - every line after the name, point lines and blank ones alike.
inline constexpr std::size_t kMaxPointLine = 2048;

// Appends the file's points to obj at obj's centre and replaces its name. A file without the
// header shows " Invalid File ", changes nothing and gives false.
[[nodiscard]] bool Load(c3dObj& obj, const std::string& fileName);

// Writes obj as a G3D file; the file it replaces keeps its old content if the save fails, or,
// where even putting it back fails, the error names the backup that holds it. See SafeWriter for
// links, hard links and files rewritten in place.
void Save(const c3dObj& obj, const std::string& fileName);

} // namespace G3dFile

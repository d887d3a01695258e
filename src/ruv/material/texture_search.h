// Texture lookup: the paths that materials store are often stale (the scene was moved, or made on
// another machine), so a missing texture is looked for by its file name in the scene's folder, the
// host's image folder and its data folder, and all their subfolders.
//
// Within one export every folder tree is read at most once: the first search of a tree walks it
// only as far as it must and remembers every file name it passed; later searches answer from
// what was seen and go on walking from where the last one stopped. The answers are those of a
// plain depth-first walk in the folder listing's order. Call ResetTextureSearch at the start of
// every export, so that files added or removed since the last one are seen.
#pragma once

#include <string>

// The path of an existing file or folder for the texture at host path `path`, or a best guess:
// - empty for an empty path;
// - `path` itself when something exists there;
// - else the first find of its file name (the part after the last '\'; a '/' does not split) in
//   the trees of SceneDir, ImageDir and DataDir, in that order;
// - else SceneDir + the file name, a path that need not exist (empty when the name is empty).
std::wstring FindTextureFile(const std::wstring& path);

// The full path of the first file named exactly `name` (case-sensitive) in the tree of `folder`,
// or empty. The walk is depth first in listing order, passes over folders whose names begin with
// '.', and never enters a folder a second time, so a link back up the tree cannot trap it. A
// `folder` without a trailing '\' gets one; an empty `folder` is the working folder.
std::wstring SearchFolderTree(const std::wstring& folder, const std::wstring& name);

// Forgets every folder tree read so far.
void ResetTextureSearch();

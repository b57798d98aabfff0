// The studio's material library: the material files of the program's folder
// and of the engineer's own, each read so that the panel can list it by name,
// or list it as unreadable with the reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "material/Material.h"

namespace tadmor::studio {

struct LibraryFolder {
    std::string path;
    std::string title;  // "the program's materials", "your materials"
};

struct LibraryEntry {
    std::string path;                            // the file
    LibraryFolder folder;                        // the folder it was found in
    std::optional<material::Material> material;  // none: the file cannot be read
    std::string problem;                         // why not, naming the file and the line
    // The material's name; the file's name when it has none or is unreadable.
    std::string Name() const;
    // Where an applied material came from: "the program's materials: default.material".
    std::string Origin() const;
};

// The *.material files of each folder, the folders in order and the files of
// one by name. A folder that does not exist gives none.
std::vector<LibraryEntry> ListLibrary(const std::vector<LibraryFolder>& folders);

// The program's materials, installed as ../share/tadmor/materials beside the
// executable's folder, or the source tree's materials/ when run from the
// build tree; then the engineer's own folder (UserMaterialsFolder).
std::vector<LibraryFolder> LibraryFolders();

// The engineer's materials folder, in the application's local data folder;
// made when `create` and it does not exist yet.
std::string UserMaterialsFolder(bool create = false);

}  // namespace tadmor::studio

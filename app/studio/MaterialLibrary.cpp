#include "app/studio/MaterialLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tadmor::studio {

namespace fs = std::filesystem;

std::string LibraryEntry::Name() const {
    if (material && !material->name.empty()) return material->name;
    return fs::path(path).stem().string();
}

std::string LibraryEntry::Origin() const { return folder.title + ": " + fs::path(path).filename().string(); }

std::vector<LibraryEntry> ListLibrary(const std::vector<LibraryFolder>& folders) {
    std::vector<LibraryEntry> entries;
    for (const LibraryFolder& folder : folders) {
        std::vector<std::string> files;
        std::error_code error;
        for (fs::directory_iterator it(folder.path, error), end; !error && it != end; it.increment(error))
            if (it->path().extension() == ".material") files.push_back(it->path().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            LibraryEntry entry{file, folder, std::nullopt, {}};
            try {
                entry.material = material::ReadMaterialFile(file);
            } catch (const std::exception& e) {  // the reason, never a crash
                entry.problem = e.what();
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::vector<LibraryFolder> LibraryFolders() {
    std::vector<LibraryFolder> folders;
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../share/tadmor/materials");
    QString program = QDir(installed).exists() ? QDir::cleanPath(installed) : QString();
#ifdef TADMOR_SOURCE_MATERIALS
    if (program.isEmpty()) program = QStringLiteral(TADMOR_SOURCE_MATERIALS);
#endif
    if (!program.isEmpty())
        folders.push_back(
            {program.toStdString(),
             QCoreApplication::translate("tadmor::studio::MaterialLibrary", "the program's materials").toStdString()});
    folders.push_back({UserMaterialsFolder(),
                       QCoreApplication::translate("tadmor::studio::MaterialLibrary", "your materials").toStdString()});
    return folders;
}

std::string UserMaterialsFolder(bool create) {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/materials");
    if (create) QDir().mkpath(folder);
    return folder.toStdString();
}

}  // namespace tadmor::studio

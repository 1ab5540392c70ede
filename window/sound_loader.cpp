#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

#include <cstdio>

#include "window/system_ports.h"

namespace tolvan {

namespace {

template <class F>
bool bind(void* handle, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(handle, name));
    return slot != nullptr;
}

}  // namespace

QString soundLibraryPath() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = QDir(programDir).filePath(QString::fromLatin1(sound_library_name));
    if (QFile::exists(beside)) return beside;
    const QString installed = QDir(QString::fromStdString(installedLibraryDir(programDir.toStdString())))
                                  .filePath(QString::fromLatin1(sound_library_name));
    return QFile::exists(installed) ? installed : QString();
}

bool loadSoundLibrary(SoundLibrary& lib, const QString& path) {
    lib = SoundLibrary{};
    if (path.isEmpty()) return false;
    // Kept open for the life of the process: the game may call into it until the end.
    // The library binds the functions it calls at once (it is linked so), and so fails
    // here when one is missing; those of the many libraries under SDL2_mixer that are
    // not linked so bind theirs when first called, which saves time at start-up.
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "tolvan: no sound library: %s\n", dlerror());
        return false;
    }
    SoundLibrary l;
    bool ok = bind(handle, "dsInitialize", l.dsInitialize) &&
              bind(handle, "dsCreateDSB", l.dsCreateDSB) && bind(handle, "dsPlay", l.dsPlay) &&
              bind(handle, "dsPlayLooping", l.dsPlayLooping) && bind(handle, "dsStop", l.dsStop) &&
              bind(handle, "dsFree", l.dsFree) && bind(handle, "dsTerminate", l.dsTerminate);
    if (!ok) {
        std::fprintf(stderr, "tolvan: the sound library lacks a function\n");
        dlclose(handle);
        return false;
    }
    lib = l;
    return true;
}

}  // namespace tolvan

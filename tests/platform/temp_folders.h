// Gives each test its own profile folder, so tests never touch the user's
// files or one another's.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>

class TempProfileFolder {
public:
    TempProfileFolder() { setenv("MAP_PROFILE_DIR", dir_.path().toLocal8Bit().constData(), 1); }
    ~TempProfileFolder() { unsetenv("MAP_PROFILE_DIR"); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

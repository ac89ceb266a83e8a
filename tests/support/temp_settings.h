// Gives a test its own registry and profile folders, so it never touches the
// user's settings or another test's.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>

class TempSettingsFolders {
public:
    TempSettingsFolders()
    {
        setenv("MAP_REGISTRY_DIR", (dir_.path() + "/registry").toLocal8Bit().constData(), 1);
        setenv("MAP_PROFILE_DIR", (dir_.path() + "/profiles").toLocal8Bit().constData(), 1);
    }
    ~TempSettingsFolders()
    {
        unsetenv("MAP_REGISTRY_DIR");
        unsetenv("MAP_PROFILE_DIR");
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Switches LC_NUMERIC to a locale whose decimal separator is a comma for one
// scope, so tests show that numbers are read and written with a point
// whatever the locale. The machine may have no such locale installed: then
// one is compiled once with localedef into a folder of the test's own.
#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <string>

class CommaLocale {
public:
    CommaLocale()
    {
        old_ = std::setlocale(LC_NUMERIC, nullptr);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") ||
                  (Compile() && std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
        if (active_)
            active_ = std::localeconv()->decimal_point[0] == ',';
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, old_.c_str()); }
    bool active() const { return active_; }

private:
    static bool Compile()
    {
        static QTemporaryDir folder;
        static const bool made = [] {
            if (!folder.isValid())
                return false;
            const QString target = folder.path() + "/de_DE.UTF-8";
            const int code = QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", target});
            // localedef reports warnings with code 1 and still writes the locale.
            return (code == 0 || code == 1) && QFileInfo(target).isDir();
        }();
        if (made)
            setenv("LOCPATH", folder.path().toLocal8Bit().constData(), 1);
        return made;
    }

    std::string old_;
    bool active_ = false;
};

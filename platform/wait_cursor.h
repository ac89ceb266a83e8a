// The wait cursor shown while a long operation runs on the GUI thread: an
// object that shows it for its lifetime, so that every road out of the
// operation puts the cursor back. Nothing happens without an application
// object (a program that has no windows).
#pragma once

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    // Whether a wait cursor of this kind is showing at the moment.
    static bool Showing();

private:
    bool shown_ = false;
};

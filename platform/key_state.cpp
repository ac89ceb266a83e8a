#include "platform/key_state.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QThread>

#include <array>
#include <atomic>
#include <mutex>

namespace {

struct KeyTable {
    std::mutex mutex;
    std::array<bool, 256> down{};
    std::array<bool, 256> toggled{};
};

KeyTable &keys()
{
    static KeyTable t;
    return t;
}

// The virtual key of a Qt key; -1 for keys nobody asks about.
int virtualKeyOf(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    default:
        return -1;
    }
}

void setOne(KeyTable &t, int vk, bool down)
{
    if (down && !t.down[size_t(vk)])
        t.toggled[size_t(vk)] = !t.toggled[size_t(vk)];
    t.down[size_t(vk)] = down;
}

// A key of a left and right pair moves the pair's own code too: it is down
// while either side is.
void setLocked(KeyTable &t, int vk, bool down)
{
    setOne(t, vk, down);
    auto pair = [&](int left, int right, int both) {
        if (vk == left || vk == right)
            setOne(t, both, t.down[size_t(left)] || t.down[size_t(right)]);
        else if (vk == both && !down) {
            setOne(t, left, false);
            setOne(t, right, false);
        }
    };
    pair(VK_LSHIFT, VK_RSHIFT, VK_SHIFT);
    pair(VK_LCONTROL, VK_RCONTROL, VK_CONTROL);
}

// X11's key symbols of the right-hand Shift and Ctrl keys.
constexpr quint32 kXkShiftR = 0xFFE2;
constexpr quint32 kXkControlR = 0xFFE4;

// The side key of a Shift or Ctrl event (left unless the event says right).
int sideKeyOf(const QKeyEvent &key)
{
    const bool right = key.nativeVirtualKey() == kXkShiftR || key.nativeVirtualKey() == kXkControlR;
    if (key.key() == Qt::Key_Shift)
        return right ? VK_RSHIFT : VK_LSHIFT;
    if (key.key() == Qt::Key_Control)
        return right ? VK_RCONTROL : VK_LCONTROL;
    return -1;
}

void releaseAll(KeyTable &t) { t.down.fill(false); }

class KeyStateTracker : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusOut || type == QEvent::ApplicationDeactivate) {
            // The releases of keys held now go to whoever has the focus next.
            KeyTable &t = keys();
            std::lock_guard lock(t.mutex);
            releaseAll(t);
        } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            KeyTable &t = keys();
            std::lock_guard lock(t.mutex);
            if (const int side = sideKeyOf(*key); side >= 0)
                setLocked(t, side, type == QEvent::KeyPress);
            else if (const int vk = virtualKeyOf(key->key()); vk >= 0)
                setLocked(t, vk, type == QEvent::KeyPress);
            // The modifiers an event carries are the truth: a key released
            // while another window had the focus is corrected here.
            const Qt::KeyboardModifiers m = key->modifiers();
            if (key->key() != Qt::Key_Shift)
                setLocked(t, VK_SHIFT, m & Qt::ShiftModifier);
            if (key->key() != Qt::Key_Control)
                setLocked(t, VK_CONTROL, m & Qt::ControlModifier);
            if (key->key() != Qt::Key_Alt)
                setLocked(t, VK_MENU, m & Qt::AltModifier);
        }
        return QObject::eventFilter(watched, event);
    }
};

// The application the tracker watches; a new application gets a new one.
std::atomic<QCoreApplication *> g_watched{nullptr};

} // namespace

void InstallKeyStateTracker()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || g_watched == app || QThread::currentThread() != app->thread())
        return;
    // The application owns the tracker and deletes it with itself.
    auto *tracker = new KeyStateTracker;
    tracker->setParent(app);
    app->installEventFilter(tracker);
    g_watched = app;
    QObject::connect(app, &QObject::destroyed, [] { g_watched = nullptr; });
}

int16_t GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    InstallKeyStateTracker();
    KeyTable &t = keys();
    std::lock_guard lock(t.mutex);
    return int16_t((t.down[size_t(virtualKey)] ? 0x8000 : 0) | (t.toggled[size_t(virtualKey)] ? 1 : 0));
}

void ReleaseAllKeys()
{
    KeyTable &t = keys();
    std::lock_guard lock(t.mutex);
    releaseAll(t);
}

void SetKeyState(int virtualKey, bool down)
{
    if (virtualKey < 0 || virtualKey > 255)
        return;
    KeyTable &t = keys();
    std::lock_guard lock(t.mutex);
    setLocked(t, virtualKey, down);
}
